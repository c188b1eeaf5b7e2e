// The simulated iPhone in the browser: draws the render trees the server pushes
// (one CSS pixel per point), turns pointer input into touches and key presses into
// typing, and shows the stored settings and the device's events beside the phone.
// Everything comes over one WebSocket (/api/live); the page polls nothing.
'use strict';

const screenElement = document.getElementById('screen');
const canvas = document.getElementById('canvas');
const context = canvas.getContext('2d');

const state = {
  screen: null, // the phone's screen, as the server describes it on connecting
  frame: null, // the render tree drawn
  sequence: 0, // the sequence number of the latest one received
  // Frames received and not drawn yet: two can come within one display frame; the
  // second is drawn at the next rather than never.
  waiting: [],
  dirty: true,
  symbols: new Map(), // name → {width, height, path: Path2D}
  images: new Map(), // URL → HTMLImageElement
  clock: null, // {t, at}: the device's clock at a moment of performance.now()
  appearance: 'light',
  stats: { framesReceived: 0, framesDrawn: 0, lastDrawn: 0, times: [], history: [], refused: 0 },
};
// Read by end-to-end tests: how many frames arrived and were drawn (and when),
// pointer movements, refused presses, and the timing of the latest press.
window.kavro = { stats: state.stats };

// ---------------------------------------------------------------------------
// Talking to the simulator

let socket = null;
let reconnectDelay = 250;

function connect() {
  const url = new URL('/api/live', window.location.href);
  url.protocol = url.protocol === 'https:' ? 'wss:' : 'ws:';
  socket = new WebSocket(url);
  socket.onopen = () => {
    reconnectDelay = 250;
    showDisconnected(false);
  };
  socket.onmessage = (message) => receive(JSON.parse(message.data));
  socket.onclose = () => {
    socket = null;
    activePointer = null;
    showDisconnected(true);
    setTimeout(connect, reconnectDelay);
    reconnectDelay = Math.min(reconnectDelay * 2, 4000);
  };
}

// Inputs go out at once, in order. With no connection they are dropped: the
// phone is shown as inactive meanwhile.
function send(message) {
  if (socket && socket.readyState === WebSocket.OPEN) socket.send(JSON.stringify(message));
}

const handlers = {
  hello(message) {
    state.screen = message.screen;
    screenElement.style.width = `${message.screen.width}px`;
    screenElement.style.height = `${message.screen.height}px`;
    document.getElementById('log').replaceChildren();
  },
  frame(message) {
    const press = state.stats.lastPress;
    if (press && press.received === undefined && message.seq > press.sequence) press.received = performance.now();
    state.waiting.push(message);
    if (state.waiting.length > 2) state.waiting.shift();
    state.sequence = message.seq;
    state.stats.framesReceived++;
  },
  panel(message) {
    showPrefs(message.prefs, message.prefsFile);
    showAppearance(message.appearance);
    document.getElementById('front-process').textContent = message.process;
    state.clock = { t: message.t, at: performance.now() };
  },
  events(message) {
    appendEvents(message.events, !message.history);
  },
  refused(message) {
    state.stats.refused++;
    showRefused(message.error);
  },
  error(message) {
    console.warn(`the simulator refused an input: ${message.error}`);
  },
};

function receive(message) {
  const handler = handlers[message.type];
  if (handler) handler(message);
}

function showDisconnected(disconnected) {
  document.getElementById('connection').hidden = !disconnected;
  document.body.classList.toggle('disconnected', disconnected);
}

let refusedTimer = null;

// A press the simulator could not take (another window's finger is down) is said
// so on the phone, for a moment.
function showRefused(reason) {
  const notice = document.getElementById('refused');
  notice.textContent = `Not touched: ${reason}.`;
  notice.hidden = false;
  clearTimeout(refusedTimer);
  refusedTimer = setTimeout(() => (notice.hidden = true), 2500);
}

const delay = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

async function loadSymbols() {
  for (;;) {
    try {
      const response = await fetch('/api/symbols');
      const symbols = await response.json();
      for (const [name, [width, height, path]] of Object.entries(symbols)) {
        state.symbols.set(name, { width, height, path: new Path2D(path) });
      }
      state.dirty = true;
      return;
    } catch (error) {
      await delay(1000);
    }
  }
}

function image(url) {
  let element = state.images.get(url);
  if (!element) {
    element = new Image();
    element.onload = () => (state.dirty = true);
    // A picture the server no longer has is asked for again with a later frame.
    element.onerror = () => setTimeout(() => state.images.delete(url), 1000);
    element.src = url;
    state.images.set(url, element);
  }
  return element.complete && element.naturalWidth ? element : null;
}

// ---------------------------------------------------------------------------
// Drawing

const FONT_FAMILY =
  '-apple-system, BlinkMacSystemFont, "SF Pro Text", "Helvetica Neue", Inter, "Segoe UI", Roboto, ' +
  '"Liberation Sans", Arial, sans-serif';

function font(size, weight) {
  return `${weight} ${size}px ${FONT_FAMILY}`;
}

// `corners`: [top, bottom], which ends are rounded (both by default).
function roundedRect(target, x, y, width, height, radius, corners = [true, true]) {
  const r = Math.max(0, Math.min(radius, width / 2, height / 2));
  const top = corners[0] ? r : 0;
  const bottom = corners[1] ? r : 0;
  target.beginPath();
  if (top === 0 && bottom === 0) target.rect(x, y, width, height);
  else target.roundRect(x, y, width, height, [top, top, bottom, bottom]);
}

// Which ends of a view are rounded: those its sheet or its grouped section gives it.
function viewCorners(view) {
  if (view.sheet && !view.r) return view.sheet.corners;
  if (view.cell && view.cell.corners) return view.cell.corners;
  return [true, true];
}

// Offscreen layers for views drawn with an alpha below 1 as one group, as the
// platform composites a layer with its sublayers.
const layerPool = [];

function acquireLayer(scale) {
  const layer = layerPool.pop() || document.createElement('canvas');
  const width = Math.round(state.screen.width * scale);
  const height = Math.round(state.screen.height * scale);
  if (layer.width !== width || layer.height !== height) {
    layer.width = width;
    layer.height = height;
  }
  const target = layer.getContext('2d');
  target.setTransform(1, 0, 0, 1, 0, 0);
  target.clearRect(0, 0, width, height);
  target.setTransform(scale, 0, 0, scale, 0, 0);
  return layer;
}

const scratch = document.createElement('canvas');

function draw() {
  const scale = window.devicePixelRatio || 1;
  const width = Math.round(state.screen.width * scale);
  const height = Math.round(state.screen.height * scale);
  if (canvas.width !== width || canvas.height !== height) {
    canvas.width = width;
    canvas.height = height;
  }
  context.setTransform(1, 0, 0, 1, 0, 0);
  context.fillStyle = '#000';
  context.fillRect(0, 0, width, height);
  context.setTransform(scale, 0, 0, scale, 0, 0);
  const frame = state.frame;
  if (frame && frame.root) {
    const drawing = { scale, appearance: frame.appearance, search: null, tint: frame.tint };
    drawView(context, frame.root, drawing);
  }
  drawStatusBar(frame);
  drawHomeIndicator(frame);
}

function drawView(target, view, drawing) {
  if (view.hidden) return;
  const alpha = view.a === undefined ? 1 : view.a;
  if (alpha <= 0.001) return;
  const [x, y, width, height] = view.f;

  if (view.sheet) {
    // The page behind a sheet dims as the sheet comes up.
    target.save();
    target.fillStyle = view.sheet.dim;
    target.fillRect(0, 0, state.screen.width, state.screen.height);
    target.restore();
  }

  const group = alpha < 1 && view.kids && view.kids.length > 0;
  const layer = group ? acquireLayer(drawing.scale) : null;
  const into = layer ? layer.getContext('2d') : target;
  into.save();
  if (!group && alpha < 1) into.globalAlpha *= alpha;

  const sheetRadius = view.sheet ? view.sheet.radius : 0;
  const radius = view.r || sheetRadius;
  if (view.bg || view.shadow) {
    into.save();
    if (view.shadow) {
      const [opacity, dx, dy, blur, color] = view.shadow;
      into.shadowColor = withAlpha(color, opacity);
      into.shadowOffsetX = dx * drawing.scale;
      into.shadowOffsetY = dy * drawing.scale;
      into.shadowBlur = blur * 2 * drawing.scale;
    }
    if (view.bg) {
      into.fillStyle = view.bg;
      roundedRect(into, x, y, width, height, radius, viewCorners(view));
      into.fill();
    }
    into.restore();
  }
  if (view.material) drawMaterial(into, view, drawing);
  if (view.border) {
    const [borderWidth, color] = view.border;
    into.save();
    into.strokeStyle = color;
    into.lineWidth = borderWidth;
    roundedRect(into, x + borderWidth / 2, y + borderWidth / 2, width - borderWidth, height - borderWidth,
      Math.max(0, radius - borderWidth / 2), viewCorners(view));
    into.stroke();
    into.restore();
  }
  if (view.field) drawSearchGlass(into, view, drawing);
  if (view.text) drawText(into, view, drawing);
  if (view.img) drawImage(into, view);
  if (view.grip && !view.img) drawReorderGrip(into, view);

  if (view.kids) {
    const savedSearch = drawing.search;
    if (view.search) drawing.search = view.search;
    into.save();
    if (view.clip || sheetRadius) {
      roundedRect(into, x, y, width, height, radius, viewCorners(view));
      into.clip();
    }
    for (const kid of view.kids) drawView(into, kid, drawing);
    into.restore();
    drawing.search = savedSearch;
    if (view.cell && view.cell.acc === 'checkmark') drawMissingCheckmark(into, view, drawing);
  }
  into.restore();

  if (layer) {
    target.save();
    target.globalAlpha *= alpha;
    target.setTransform(1, 0, 0, 1, 0, 0);
    target.drawImage(layer, 0, 0);
    target.restore();
    layerPool.push(layer);
  }
}

// "#RRGGBBAA" with its alpha multiplied by `factor`, as an rgba() colour.
function withAlpha(hex, factor) {
  const red = parseInt(hex.slice(1, 3), 16);
  const green = parseInt(hex.slice(3, 5), 16);
  const blue = parseInt(hex.slice(5, 7), 16);
  const alpha = hex.length >= 9 ? parseInt(hex.slice(7, 9), 16) / 255 : 1;
  return `rgba(${red}, ${green}, ${blue}, ${alpha * factor})`;
}

// A blur of what lies behind the view, desaturated or saturated by its settings,
// under a translucent tint of the material.
function drawMaterial(target, view, drawing) {
  const [x, y, width, height] = view.f;
  const { radius: blur, saturation, tint } = view.material;
  const scale = drawing.scale;
  const pad = Math.ceil(blur * 2);
  const sx = Math.max(0, Math.floor((x - pad) * scale));
  const sy = Math.max(0, Math.floor((y - pad) * scale));
  const sw = Math.min(target.canvas.width - sx, Math.ceil((width + 2 * pad) * scale));
  const sh = Math.min(target.canvas.height - sy, Math.ceil((height + 2 * pad) * scale));
  target.save();
  roundedRect(target, x, y, width, height, view.r || 0, viewCorners(view));
  target.clip();
  if (sw > 0 && sh > 0) {
    scratch.width = sw;
    scratch.height = sh;
    const copy = scratch.getContext('2d');
    copy.drawImage(target.canvas, sx, sy, sw, sh, 0, 0, sw, sh);
    target.filter = `blur(${blur / 2}px) saturate(${saturation})`;
    target.drawImage(scratch, 0, 0, sw, sh, sx / scale, sy / scale, sw / scale, sh / scale);
    target.filter = 'none';
  }
  target.fillStyle = tint;
  target.fillRect(x, y, width, height);
  target.restore();
}

function lineRuns(text) {
  if (text.runs) return text.runs;
  return text.lines.map((line) => [[line, text.font[0], text.font[1], text.color]]);
}

// A label: the lines the platform broke it into, centred vertically in its
// bounds, each aligned. The browser's font may be a little wider than the
// platform's measure: such a line is narrowed to the label's width; a single line
// the platform finds too long for the label ("cut") ends in an ellipsis.
function drawText(target, view, drawing) {
  const [x, y, width, height] = view.f;
  const text = view.text;
  const lines = lineRuns(text);
  const heights = lines.map((runs) => Math.max(...runs.map((run) => run[1] * 1.2), text.font[0] * 1.2));
  const total = heights.reduce((sum, h) => sum + h, 0);
  let top = y + (height - total) / 2;
  target.save();
  target.textBaseline = 'middle';
  let caretX = x;
  let caretY = y + height / 2;
  let caretHeight = text.font[0] * 1.2;
  lines.forEach((runs, index) => {
    const lineHeight = heights[index];
    let widths = runs.map(([content, size, weight]) => {
      target.font = font(size, weight);
      return target.measureText(content).width;
    });
    let natural = widths.reduce((sum, w) => sum + w, 0);
    let contents = runs.map((run) => run[0]);
    if (text.cut && natural > width && runs.length === 1) {
      contents = [fitWithEllipsis(target, runs[0], width)];
      target.font = font(runs[0][1], runs[0][2]);
      widths = [target.measureText(contents[0]).width];
      natural = widths[0];
    }
    const squeeze = natural > width && width > 0 ? width / natural : 1;
    const lineWidth = natural * squeeze;
    let left = x;
    if (text.align === 'center') left = x + (width - lineWidth) / 2;
    else if (text.align === 'right') left = x + width - lineWidth;
    const middle = top + lineHeight / 2;
    runs.forEach(([, size, weight, color], runIndex) => {
      target.font = font(size, weight);
      target.fillStyle = color;
      const runWidth = widths[runIndex] * squeeze;
      target.fillText(contents[runIndex], left, middle, Math.max(runWidth, 0.1));
      left += runWidth;
    });
    caretX = left;
    caretY = middle;
    caretHeight = lineHeight;
    top += lineHeight;
  });
  target.restore();
  if (text.caret && Math.floor(performance.now() / 530) % 2 === 0) {
    const search = drawing.search;
    const atStart = search && search.text === '';
    const caretLeft = atStart ? x : Math.min(caretX, x + width);
    target.save();
    target.fillStyle = drawing.tint;
    target.fillRect(caretLeft + 1, caretY - caretHeight * 0.45, 2, caretHeight * 0.9);
    target.restore();
  }
}

function fitWithEllipsis(target, run, width) {
  const [content, size, weight] = run;
  target.font = font(size, weight);
  const characters = Array.from(content);
  let low = 0;
  let high = characters.length;
  while (low < high) {
    const middle = Math.ceil((low + high) / 2);
    if (target.measureText(characters.slice(0, middle).join('') + '…').width <= width) low = middle;
    else high = middle - 1;
  }
  return characters.slice(0, low).join('').trimEnd() + '…';
}

function drawImage(target, view) {
  const picture = view.img;
  const [x, y, width, height] = picture.rect;
  if (width <= 0 || height <= 0) return;
  if (picture.sym) {
    const symbol = state.symbols.get(picture.sym);
    if (!symbol) return;
    // The artwork's square view box, centred and covering the rectangle
    // (preserveAspectRatio="xMidYMid slice"), filled even-odd in the tint.
    const side = Math.max(width, height);
    target.save();
    target.beginPath();
    target.rect(x, y, width, height);
    target.clip();
    target.translate(x + width / 2 - side / 2, y + height / 2 - side / 2);
    target.scale(side / 100, side / 100);
    target.fillStyle = picture.tint || '#000000FF';
    target.fill(symbol.path, 'evenodd');
    target.restore();
    return;
  }
  const element = image(picture.src);
  if (!element) return;
  target.save();
  if (view.clip) {
    const [vx, vy, vw, vh] = view.f;
    roundedRect(target, vx, vy, vw, vh, view.r || 0);
    target.clip();
  }
  if (picture.tint) {
    // A template picture: its shape in the tint.
    const scale = window.devicePixelRatio || 1;
    const tinted = document.createElement('canvas');
    tinted.width = Math.max(1, Math.round(width * scale));
    tinted.height = Math.max(1, Math.round(height * scale));
    const paint = tinted.getContext('2d');
    paint.drawImage(element, 0, 0, tinted.width, tinted.height);
    paint.globalCompositeOperation = 'source-in';
    paint.fillStyle = picture.tint;
    paint.fillRect(0, 0, tinted.width, tinted.height);
    target.drawImage(tinted, x, y, width, height);
  } else {
    target.imageSmoothingQuality = 'high';
    target.drawImage(element, x, y, width, height);
  }
  target.restore();
}

// The magnifying glass at the start of a search field.
function drawSearchGlass(target, view, drawing) {
  const symbol = state.symbols.get('magnifyingglass');
  const [x, y, , height] = view.f;
  const size = 15;
  const left = x + 8;
  const top = y + (height - size) / 2;
  target.save();
  const color = view.glass;
  if (symbol) {
    target.translate(left, top);
    target.scale(size / 100, size / 100);
    target.fillStyle = color;
    target.fill(symbol.path, 'evenodd');
  } else {
    target.strokeStyle = color;
    target.lineWidth = 2;
    target.beginPath();
    target.arc(left + 6, top + 6, 5, 0, Math.PI * 2);
    target.moveTo(left + 10, top + 10);
    target.lineTo(left + 14, top + 14);
    target.stroke();
  }
  target.restore();
}

// A cell's check mark whose accessory view has no picture (a symbol the platform's
// catalogue lacks) is drawn here, in its place.
function drawMissingCheckmark(target, cell, drawing) {
  const accessory = cell.kids.find((kid) => kid.k === 'UIImageView' && !kid.img && !kid.hidden);
  if (!accessory || cell.kids.some((kid) => kid.img && kid.img.sym === 'checkmark')) return;
  const [x, y, width, height] = accessory.f;
  target.save();
  target.strokeStyle = drawing.tint;
  target.lineWidth = 2.2;
  target.lineCap = 'round';
  target.lineJoin = 'round';
  target.beginPath();
  target.moveTo(x + width * 0.1, y + height * 0.55);
  target.lineTo(x + width * 0.4, y + height * 0.85);
  target.lineTo(x + width * 0.95, y + height * 0.15);
  target.stroke();
  target.restore();
}

function drawReorderGrip(target, view) {
  const [x, y, width, height] = view.f;
  target.save();
  target.fillStyle = view.grip;
  for (let i = -1; i <= 1; i++) target.fillRect(x + width / 2 - 9, y + height / 2 + i * 5 - 0.75, 18, 1.5);
  target.restore();
}

// The status bar: the time at the left, signal, Wi-Fi and battery at the right,
// the notch in the middle, in the content colour the frame gives.
function drawStatusBar(frame) {
  const { width } = state.screen;
  const color = !frame || frame.statusBar === 'light' ? '#FFFFFF' : '#000000';
  const right = width - 98; // where the signal bars begin
  context.save();
  context.fillStyle = '#000';
  roundedRect(context, width / 2 - 82, -20, 164, 52, 20);
  context.fill();
  context.fillStyle = color;
  context.textBaseline = 'middle';
  context.textAlign = 'center';
  context.font = font(17, 600);
  const now = new Date();
  context.fillText(`${now.getHours()}:${String(now.getMinutes()).padStart(2, '0')}`, 62, 25);
  // Signal bars.
  for (let i = 0; i < 4; i++) context.fillRect(right + i * 5, 29 - (i + 1) * 2.6, 3, (i + 1) * 2.6);
  // Wi-Fi: three arcs over a dot.
  context.strokeStyle = color;
  context.lineWidth = 2;
  for (let i = 0; i < 3; i++) {
    context.beginPath();
    context.arc(right + 30, 30, 3 + i * 3.6, -Math.PI * 0.75, -Math.PI * 0.25);
    context.stroke();
  }
  // Battery.
  context.globalAlpha = 0.45;
  roundedRect(context, right + 45, 19.5, 25, 12, 3.5);
  context.lineWidth = 1;
  context.stroke();
  context.fillRect(right + 71, 23.5, 1.5, 4);
  context.globalAlpha = 1;
  roundedRect(context, right + 47, 21.5, 19, 8, 2);
  context.fill();
  context.restore();
}

function drawHomeIndicator(frame) {
  const { width, height } = state.screen;
  context.save();
  context.fillStyle = !frame || frame.statusBar === 'light' ? '#FFFFFF' : '#000000';
  roundedRect(context, width / 2 - 67, height - 13, 134, 5, 2.5);
  context.fill();
  context.restore();
}

function renderLoop() {
  requestAnimationFrame(renderLoop);
  if (!state.screen) return; // nothing to draw on before the server has said what
  const now = performance.now();
  if (state.waiting.length) {
    state.frame = state.waiting.shift();
    state.dirty = true;
  }
  // The caret blinks and the clock turns even when no new frame came.
  const blinking = state.frame && state.frame.root && hasCaret(state.frame.root);
  if (state.dirty || blinking || now - state.stats.lastDrawn > 1000) {
    const freshFrame = state.dirty;
    state.dirty = false;
    const drawStart = performance.now();
    draw();
    state.stats.drawMilliseconds = performance.now() - drawStart;
    if (state.stats.drawTimes) state.stats.drawTimes.push(state.stats.drawMilliseconds);
    state.stats.lastDrawn = now;
    if (freshFrame) {
      const press = state.stats.lastPress;
      if (press && press.drawn === undefined && state.frame && state.frame.seq > press.sequence) {
        press.drawn = performance.now();
      }
      state.stats.framesDrawn++;
      state.stats.times.push(now);
      state.stats.history.push(now);
      if (state.stats.history.length > 600) state.stats.history.shift();
      if (state.frame) window.kavro.lastAppearance = state.frame.appearance;
    }
  }
  const times = state.stats.times;
  while (times.length && now - times[0] > 1000) times.shift();
}

function hasCaret(view) {
  if (view.text && view.text.caret) return true;
  if (!view.kids) return false;
  for (const kid of view.kids) if (hasCaret(kid)) return true;
  return false;
}

// ---------------------------------------------------------------------------
// Input

let activePointer = null;

function pointInScreen(event) {
  const box = screenElement.getBoundingClientRect();
  if (!state.screen) return { x: 0, y: 0 };
  const { width, height } = state.screen;
  return {
    x: Math.round(((event.clientX - box.left) * width / box.width) * 100) / 100,
    y: Math.round(((event.clientY - box.top) * height / box.height) * 100) / 100,
  };
}

// The input goes out first; sound is set up after it, never in its way.
function touch(phase, event) {
  send({ type: 'touch', phase, ...(event ? pointInScreen(event) : {}) });
}

screenElement.addEventListener('pointerdown', (event) => {
  if (event.button !== 0 || activePointer !== null) return;
  activePointer = event.pointerId;
  touch('down', event);
  // For the figures the browser tests report: when the press happened, went out,
  // and (below) when its first changed frame came and was drawn.
  state.stats.lastPress = { event: event.timeStamp, sent: performance.now(), sequence: state.sequence };
  screenElement.setPointerCapture(event.pointerId);
  screenElement.focus({ preventScroll: true });
  event.preventDefault();
  prepareSoundSoon();
});

screenElement.addEventListener('pointermove', (event) => {
  if (event.pointerId !== activePointer) return;
  state.stats.moves = (state.stats.moves || 0) + 1;
  touch('move', event);
});

screenElement.addEventListener('pointerup', (event) => {
  if (event.pointerId !== activePointer) return;
  activePointer = null;
  touch('up', event);
  if (state.stats.lastPress) state.stats.lastPress.up = event.timeStamp;
});

function cancelTouch(event) {
  if (event.pointerId !== activePointer) return;
  activePointer = null;
  touch('cancel');
}
screenElement.addEventListener('pointercancel', cancelTouch);
screenElement.addEventListener('lostpointercapture', cancelTouch);
screenElement.addEventListener('contextmenu', (event) => event.preventDefault());

// Whether a field on the phone is being edited now: typing has somewhere to go.
function editedField(view) {
  if (!view) return false;
  if (view.search && view.search.editing) return true;
  return (view.kids || []).some(editedField);
}

// Typing reaches the field being edited on the phone. With none, the simulator
// drops the keys quietly, and the page leaves them to the browser.
document.addEventListener('keydown', (event) => {
  if (event.ctrlKey || event.metaKey || event.altKey) return;
  const inPanel = event.target instanceof HTMLElement && event.target.closest('.panel');
  if (inPanel && (event.key === ' ' || event.key === 'Enter')) return; // a panel button's own keys
  const editing = state.frame && editedField(state.frame.root);
  if (event.key === 'Backspace') {
    send({ type: 'key', backspace: 1 });
  } else if (Array.from(event.key).length === 1) {
    send({ type: 'key', text: event.key });
  } else {
    return;
  }
  if (editing) event.preventDefault();
  prepareSoundSoon();
});

document.addEventListener('paste', (event) => {
  const text = (event.clipboardData && event.clipboardData.getData('text')) || '';
  const printable = Array.from(text.replace(/[\u0000-\u001f\u007f]/g, ' ')).slice(0, 64).join('');
  if (printable) send({ type: 'key', text: printable });
  event.preventDefault();
});

// ---------------------------------------------------------------------------
// Sound: a short click for each system sound the device plays. The browser lets
// a page play sound only after a gesture; setting it up can take a while, so it
// happens after the gesture's input has gone out.

let audio = null;
let soundPending = false;

function prepareSoundSoon() {
  if (soundPending || (audio && audio.state === 'running')) return;
  soundPending = true;
  setTimeout(() => {
    soundPending = false;
    try {
      if (!audio) audio = new (window.AudioContext || window.webkitAudioContext)();
      if (audio.state === 'suspended') audio.resume();
    } catch (error) {
      audio = null;
    }
  }, 0);
}

function playClick() {
  if (!audio || audio.state !== 'running') return;
  const length = Math.floor(audio.sampleRate * 0.012);
  const buffer = audio.createBuffer(1, length, audio.sampleRate);
  const samples = buffer.getChannelData(0);
  for (let i = 0; i < length; i++) samples[i] = (Math.random() * 2 - 1) * Math.pow(1 - i / length, 4);
  const source = audio.createBufferSource();
  const gain = audio.createGain();
  gain.gain.value = 0.35;
  source.buffer = buffer;
  source.connect(gain).connect(audio.destination);
  source.start();
}

// ---------------------------------------------------------------------------
// Beside the phone

function describeValue(value) {
  if (Array.isArray(value)) {
    if (!value.length) return document.createTextNode('[ ]');
    const list = document.createElement('ol');
    list.className = 'list';
    list.start = 0;
    for (const item of value) {
      const entry = document.createElement('li');
      entry.textContent = JSON.stringify(item);
      list.appendChild(entry);
    }
    return list;
  }
  return document.createTextNode(JSON.stringify(value));
}

let shownPrefs = '';

function showPrefs(prefs, fileExists) {
  const badge = document.getElementById('prefs-file');
  badge.textContent = fileExists ? 'file present' : 'no file';
  badge.classList.toggle('present', fileExists);
  const text = JSON.stringify(prefs);
  if (text === shownPrefs) return;
  shownPrefs = text;
  const list = document.getElementById('prefs');
  list.replaceChildren();
  const keys = Object.keys(prefs).sort();
  if (!keys.length) {
    const empty = document.createElement('div');
    empty.className = 'empty';
    empty.textContent = 'Nothing stored';
    list.appendChild(empty);
  }
  for (const key of keys) {
    const term = document.createElement('dt');
    term.textContent = key;
    const value = document.createElement('dd');
    value.dataset.key = key;
    value.appendChild(describeValue(prefs[key]));
    list.append(term, value);
  }
}

function eventDetail(event) {
  switch (event.event) {
    case 'sound': return `system sound ${event.id}`;
    case 'notify': return event.name;
    case 'relaunch': return `${event.reason}, options ${event.options}, then ${event.url}`;
    case 'present':
    case 'dismiss': return `${event.class} (${event.process})`;
    default: {
      const { t, event: kind, seq, ...rest } = event;
      return JSON.stringify(rest);
    }
  }
}

function appendEvents(events, fresh) {
  const log = document.getElementById('log');
  for (const event of events) {
    const entry = document.createElement('li');
    entry.dataset.event = event.event;
    const time = document.createElement('span');
    time.className = 'time';
    time.textContent = `${event.t.toFixed(2)} s`;
    const kind = document.createElement('span');
    kind.className = `kind ${event.event}`;
    kind.textContent = event.event;
    const detail = document.createElement('span');
    detail.className = 'detail';
    detail.textContent = eventDetail(event);
    entry.append(time, kind, detail);
    log.prepend(entry);
    if (fresh && event.event === 'sound') playClick();
  }
  while (log.children.length > 300) log.lastElementChild.remove();
}

function showAppearance(appearance) {
  state.appearance = appearance;
  document.body.classList.toggle('dark', appearance === 'dark');
  document.getElementById('appearance-light').setAttribute('aria-checked', String(appearance !== 'dark'));
  document.getElementById('appearance-dark').setAttribute('aria-checked', String(appearance === 'dark'));
}

// The device's clock runs with real time: shown from the last value the server
// sent, moved on by the time since.
function showClock() {
  if (state.clock) {
    const t = state.clock.t + (performance.now() - state.clock.at) / 1000;
    document.getElementById('device-clock').textContent = `${t.toFixed(1)} s`;
  }
  document.getElementById('fps').textContent = String(state.stats.times.length);
}

function command(message) {
  send(message);
  prepareSoundSoon();
}

document.getElementById('open-settings').addEventListener('click', () => command({ type: 'open', target: 'settings' }));
document.getElementById('open-springboard').addEventListener('click', () =>
  command({ type: 'open', target: 'springboard' }));
document.getElementById('appearance-light').addEventListener('click', () => {
  showAppearance('light');
  command({ type: 'appearance', appearance: 'light' });
});
document.getElementById('appearance-dark').addEventListener('click', () => {
  showAppearance('dark');
  command({ type: 'appearance', appearance: 'dark' });
});
document.getElementById('clear-log').addEventListener('click', () => document.getElementById('log').replaceChildren());

loadSymbols();
connect();
setInterval(showClock, 250);
requestAnimationFrame(renderLoop);
