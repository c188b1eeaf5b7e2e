// The simulated iPhone in the browser: draws the render trees the server sends
// (one CSS pixel per point), turns pointer input into touches and key presses into
// typing, and shows the stored settings and the device's events beside the phone.
'use strict';

const SCREEN_WIDTH = 390;
const SCREEN_HEIGHT = 844;
const STATUS_BAR_HEIGHT = 47;

const screenElement = document.getElementById('screen');
const canvas = document.getElementById('canvas');
const context = canvas.getContext('2d');

const state = {
  frame: null, // the latest render tree
  sequence: 0, // its sequence number
  dirty: true,
  symbols: new Map(), // name → {width, height, path: Path2D}
  images: new Map(), // URL → HTMLImageElement
  eventCursor: 0,
  seenFirstPanel: false,
  appearance: 'light',
  stats: { framesReceived: 0, framesDrawn: 0, lastDrawn: 0, times: [], history: [] },
};
// Read by end-to-end tests: how many frames arrived and were drawn.
window.kavro = { stats: state.stats };

// ---------------------------------------------------------------------------
// Talking to the simulator

async function post(path, body) {
  const response = await fetch(path, {
    method: 'POST',
    headers: { 'Content-Type': 'application/json' },
    body: JSON.stringify(body),
  });
  if (!response.ok && response.status !== 409) {
    const text = await response.text();
    console.warn(`${path} answered ${response.status}: ${text}`);
  }
  return response;
}

// Inputs go out one at a time and in order; a movement still waiting is replaced
// by the newer one, so a fast drag never builds up a backlog.
const inputQueue = [];
let sending = false;

function queueInput(path, body) {
  const last = inputQueue[inputQueue.length - 1];
  if (last && path === '/api/touch' && body.phase === 'move' && last.path === path && last.body.phase === 'move') {
    last.body = body;
  } else {
    inputQueue.push({ path, body });
  }
  pumpInputs();
}

async function pumpInputs() {
  if (sending) return;
  sending = true;
  try {
    while (inputQueue.length) {
      const { path, body } = inputQueue.shift();
      try {
        await post(path, body);
      } catch (error) {
        showDisconnected(true);
      }
      state.dirty = true;
    }
  } finally {
    sending = false;
  }
}

function showDisconnected(disconnected) {
  document.getElementById('connection').hidden = !disconnected;
}

const nextAnimationFrame = () => new Promise((resolve) => requestAnimationFrame(resolve));
const delay = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Frames: one request at a time. The server answers 204 while the picture is
// unchanged, and the next request then waits for the next animation frame; while
// pictures keep changing (an animation) the next request goes out at once, so
// the round trip does not halve the frame rate.
async function pollFrames() {
  for (;;) {
    let changed = false;
    try {
      const response = await fetch(`/api/frame?after=${state.sequence}`, { cache: 'no-store' });
      if (response.status === 200) {
        const frame = await response.json();
        changed = frame.seq !== state.sequence;
        state.frame = frame;
        state.sequence = frame.seq;
        state.dirty = true;
        state.stats.framesReceived++;
      }
      showDisconnected(false);
    } catch (error) {
      showDisconnected(true);
      await delay(500);
    }
    if (!changed) await nextAnimationFrame();
  }
}

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

// Which ends of a view are rounded: a presented sheet its top, a grouped cell
// the ends its section gives it.
function viewCorners(view) {
  if (view.sheet !== undefined && !view.r) return [true, false];
  if (view.cell && view.cell.corners) return view.cell.corners;
  return [true, true];
}

// Offscreen layers for views drawn with an alpha below 1 as one group, as the
// platform composites a layer with its sublayers.
const layerPool = [];

function acquireLayer(scale) {
  const layer = layerPool.pop() || document.createElement('canvas');
  const width = Math.round(SCREEN_WIDTH * scale);
  const height = Math.round(SCREEN_HEIGHT * scale);
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
  const width = Math.round(SCREEN_WIDTH * scale);
  const height = Math.round(SCREEN_HEIGHT * scale);
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
    const drawing = { scale, appearance: frame.appearance, search: null, tint: frame.tint || '#007AFFFF' };
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

  if (view.sheet !== undefined) {
    // The page behind a sheet dims as the sheet comes up.
    target.save();
    target.fillStyle = `rgba(0, 0, 0, ${0.35 * view.sheet})`;
    target.fillRect(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
    target.restore();
  }

  const group = alpha < 1 && view.kids && view.kids.length > 0;
  const layer = group ? acquireLayer(drawing.scale) : null;
  const into = layer ? layer.getContext('2d') : target;
  into.save();
  if (!group && alpha < 1) into.globalAlpha *= alpha;

  const sheetRadius = view.sheet !== undefined ? 10 : 0;
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
  if (view.reorder && !view.img) drawReorderGrip(into, view);

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
  const material = view.material;
  const blur = material.radius !== undefined ? material.radius : 30;
  const saturation = material.saturation !== undefined ? material.saturation : 1.8;
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
  // Dark blur effects (style 2) and dark backdrops (style 2) stay dark in light
  // appearance; light ones (0, 1) stay light; the system materials follow it.
  const style = material.blur !== undefined ? material.blur : material.backdrop;
  const dark = style === 2 || (style !== 0 && style !== 1 && drawing.appearance === 'dark');
  target.fillStyle = dark ? 'rgba(28, 28, 30, 0.74)' : 'rgba(250, 250, 252, 0.78)';
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
  const color = drawing.appearance === 'dark' ? '#EBEBF599' : '#3C3C4399';
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
  target.fillStyle = '#8E8E93';
  for (let i = -1; i <= 1; i++) target.fillRect(x + width / 2 - 9, y + height / 2 + i * 5 - 0.75, 18, 1.5);
  target.restore();
}

// The status bar: the time at the left, signal, Wi-Fi and battery at the right,
// the notch in the middle.
function drawStatusBar(frame) {
  const light = !frame || frame.appearance === 'dark' || frame.process === 'springboard';
  const color = light ? '#FFFFFF' : '#000000';
  context.save();
  context.fillStyle = '#000';
  roundedRect(context, SCREEN_WIDTH / 2 - 82, -20, 164, 52, 20);
  context.fill();
  context.fillStyle = color;
  context.textBaseline = 'middle';
  context.textAlign = 'center';
  context.font = font(17, 600);
  const now = new Date();
  context.fillText(`${now.getHours()}:${String(now.getMinutes()).padStart(2, '0')}`, 62, 25);
  // Signal bars.
  for (let i = 0; i < 4; i++) context.fillRect(292 + i * 5, 29 - (i + 1) * 2.6, 3, (i + 1) * 2.6);
  // Wi-Fi: three arcs over a dot.
  context.strokeStyle = color;
  context.lineWidth = 2;
  for (let i = 0; i < 3; i++) {
    context.beginPath();
    context.arc(322, 30, 3 + i * 3.6, -Math.PI * 0.75, -Math.PI * 0.25);
    context.stroke();
  }
  // Battery.
  context.globalAlpha = 0.45;
  roundedRect(context, 337, 19.5, 25, 12, 3.5);
  context.lineWidth = 1;
  context.stroke();
  context.fillRect(363, 23.5, 1.5, 4);
  context.globalAlpha = 1;
  roundedRect(context, 339, 21.5, 19, 8, 2);
  context.fill();
  context.restore();
}

function drawHomeIndicator(frame) {
  const light = !frame || frame.appearance === 'dark' || frame.process === 'springboard';
  context.save();
  context.fillStyle = light ? '#FFFFFF' : '#000000';
  roundedRect(context, SCREEN_WIDTH / 2 - 67, SCREEN_HEIGHT - 13, 134, 5, 2.5);
  context.fill();
  context.restore();
}

function renderLoop() {
  const now = performance.now();
  // The caret blinks and the clock turns even when no new frame came.
  const blinking = state.frame && state.frame.root && hasCaret(state.frame.root);
  if (state.dirty || blinking || now - state.stats.lastDrawn > 1000) {
    const freshFrame = state.dirty;
    state.dirty = false;
    const drawStart = performance.now();
    draw();
    state.stats.drawMilliseconds = performance.now() - drawStart;
    state.stats.lastDrawn = now;
    if (freshFrame) {
      state.stats.framesDrawn++;
      state.stats.times.push(now);
      state.stats.history.push(now);
      if (state.stats.history.length > 600) state.stats.history.shift();
      if (state.frame) window.kavro.lastAppearance = state.frame.appearance;
    }
  }
  const times = state.stats.times;
  while (times.length && now - times[0] > 1000) times.shift();
  requestAnimationFrame(renderLoop);
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
  return {
    x: Math.round(((event.clientX - box.left) * SCREEN_WIDTH / box.width) * 100) / 100,
    y: Math.round(((event.clientY - box.top) * SCREEN_HEIGHT / box.height) * 100) / 100,
  };
}

screenElement.addEventListener('pointerdown', (event) => {
  unlockAudio();
  if (event.button !== 0 || activePointer !== null) return;
  activePointer = event.pointerId;
  screenElement.setPointerCapture(event.pointerId);
  screenElement.focus({ preventScroll: true });
  queueInput('/api/touch', { phase: 'down', ...pointInScreen(event) });
  event.preventDefault();
});

screenElement.addEventListener('pointermove', (event) => {
  if (event.pointerId !== activePointer) return;
  queueInput('/api/touch', { phase: 'move', ...pointInScreen(event) });
});

screenElement.addEventListener('pointerup', (event) => {
  if (event.pointerId !== activePointer) return;
  activePointer = null;
  queueInput('/api/touch', { phase: 'up', ...pointInScreen(event) });
});

function cancelTouch(event) {
  if (event.pointerId !== activePointer) return;
  activePointer = null;
  queueInput('/api/touch', { phase: 'cancel' });
}
screenElement.addEventListener('pointercancel', cancelTouch);
screenElement.addEventListener('lostpointercapture', cancelTouch);
screenElement.addEventListener('contextmenu', (event) => event.preventDefault());

// Typing reaches the field being edited on the phone.
document.addEventListener('keydown', (event) => {
  if (event.ctrlKey || event.metaKey || event.altKey) return;
  const inPanel = event.target instanceof HTMLElement && event.target.closest('.panel');
  if (inPanel && (event.key === ' ' || event.key === 'Enter')) return; // a panel button's own keys
  unlockAudio();
  if (event.key === 'Backspace') {
    queueInput('/api/key', { backspace: 1 });
    event.preventDefault();
  } else if (Array.from(event.key).length === 1) {
    queueInput('/api/key', { text: event.key });
    event.preventDefault();
  }
});

document.addEventListener('paste', (event) => {
  const text = (event.clipboardData && event.clipboardData.getData('text')) || '';
  const printable = Array.from(text.replace(/[\u0000-\u001f\u007f]/g, ' ')).slice(0, 64).join('');
  if (printable) queueInput('/api/key', { text: printable });
  event.preventDefault();
});

// ---------------------------------------------------------------------------
// Sound: a short click for each system sound the device plays.

let audio = null;

function unlockAudio() {
  try {
    if (!audio) audio = new (window.AudioContext || window.webkitAudioContext)();
    if (audio.state === 'suspended') audio.resume();
  } catch (error) {
    audio = null;
  }
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

async function pollPanel() {
  for (;;) {
    try {
      const response = await fetch(`/api/panel?after=${state.eventCursor}`, { cache: 'no-store' });
      if (response.ok) {
        const panel = await response.json();
        showPrefs(panel.prefs, panel.prefsFile);
        showAppearance(panel.appearance);
        document.getElementById('front-process').textContent = panel.process;
        document.getElementById('device-clock').textContent = `${panel.t.toFixed(1)} s`;
        if (panel.last < state.eventCursor) document.getElementById('log').replaceChildren();
        appendEvents(panel.events, state.seenFirstPanel);
        state.eventCursor = panel.last;
        state.seenFirstPanel = true;
      }
    } catch (error) {
      // The frame loop shows the lost connection.
    }
    document.getElementById('fps').textContent = String(state.stats.times.length);
    await delay(200);
  }
}

document.getElementById('open-settings').addEventListener('click', () => post('/api/open', { target: 'settings' }));
document.getElementById('open-springboard').addEventListener('click', () => post('/api/open', { target: 'springboard' }));
document.getElementById('appearance-light').addEventListener('click', () => {
  showAppearance('light');
  post('/api/appearance', { appearance: 'light' });
});
document.getElementById('appearance-dark').addEventListener('click', () => {
  showAppearance('dark');
  post('/api/appearance', { appearance: 'dark' });
});
document.getElementById('clear-log').addEventListener('click', () => document.getElementById('log').replaceChildren());
for (const button of document.querySelectorAll('.panel button')) button.addEventListener('pointerdown', unlockAudio);

loadSymbols();
pollFrames();
pollPanel();
requestAnimationFrame(renderLoop);
