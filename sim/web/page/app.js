// The simulated iPhone in the browser: draws the render trees the server pushes,
// scaled to fit the window, turns pointer, wheel and key input into touches,
// scrolling and typing, mirrors what is on the screen for screen readers, and
// shows the stored settings and the device's events beside the phone. Everything
// comes over one WebSocket (/api/live); the page polls nothing. It knows nothing of
// the platform's look: every colour, radius and material comes in the render tree
// (docs/simulator.md).
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
  symbols: new Map(), // name → {width, height, svg (path data), path: Path2D once drawn}
  images: new Map(), // URL → HTMLImageElement
  clock: null, // {t, at}: the device's clock at a moment of performance.now()
  appearance: 'light',
  connected: false,
  picturesLoaded: 0, // pictures that finished loading: one may show in a kept picture's place
  stats: { framesReceived: 0, framesDrawn: 0, lastDrawn: 0, times: [], history: [], refused: 0 },
};
// How the phone sits in the window: its scale, the display's pixel ratio, and
// whether the panel went below it.
const layout = { scale: 1, pixelRatio: window.devicePixelRatio || 1, stacked: false };
// The screen's box on the page, kept until the window is resized or scrolled or the
// phone refitted: reading it afresh in an input handler could make the browser lay
// the page out first.
let screenBox = null;
const forgetScreenBox = () => (screenBox = null);
window.addEventListener('resize', forgetScreenBox);
window.addEventListener('scroll', forgetScreenBox, { passive: true });

// Read by end-to-end tests: how many frames arrived and were drawn (and when), the
// latest drawn, pointer movements, refused presses, the timing of the latest press,
// the latest key sent, the layout.
window.kavro = { stats: state.stats, layout };

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
  };
  socket.onmessage = (message) => {
    const text = message.data;
    const parsed = JSON.parse(text);
    // A frame keeps its text: what precedes a material in it is what lies behind it.
    if (parsed.type === 'frame') parsed.text = text;
    receive(parsed);
  };
  socket.onclose = () => {
    socket = null;
    activePointer = null;
    showConnected(false);
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
    fitPhone();
    showConnected(true);
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

// While the server is gone the phone looks switched off and a notice at the top of
// the window says so; the server's hello brings both back.
function showConnected(connected) {
  state.connected = connected;
  document.getElementById('connection').hidden = connected;
  document.body.classList.toggle('disconnected', !connected);
  if (!connected) pendingWheel = null;
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
      // Each symbol's path is made when it is first drawn: loading stays out of the
      // way of the first input.
      for (const [name, [width, height, path]] of Object.entries(symbols)) {
        state.symbols.set(name, { width, height, svg: path, path: null });
      }
      state.picturesLoaded++;
      state.dirty = true;
      return;
    } catch (error) {
      await delay(1000);
    }
  }
}

function symbolPath(name) {
  const symbol = state.symbols.get(name);
  if (!symbol) return null;
  if (!symbol.path) symbol.path = new Path2D(symbol.svg);
  return symbol.path;
}

function image(url) {
  let element = state.images.get(url);
  if (!element) {
    element = new Image();
    element.onload = () => {
      state.picturesLoaded++;
      state.dirty = true;
    };
    // A picture the server no longer has is asked for again with a later frame.
    element.onerror = () => setTimeout(() => state.images.delete(url), 1000);
    element.src = url;
    state.images.set(url, element);
  }
  return element.complete && element.naturalWidth ? element : null;
}

// ---------------------------------------------------------------------------
// Fitting the phone to the window

const deskElement = document.getElementById('desk');
const phoneFrame = document.getElementById('phone-frame');
const phoneElement = document.getElementById('phone');
const panelElement = document.querySelector('.panel');

function cssPixels(name) {
  return parseFloat(getComputedStyle(document.documentElement).getPropertyValue(name)) || 0;
}

// The phone at its natural size (one CSS pixel per point) is scaled down as a whole
// until it fits the window beside the panel; when that would shrink it much below
// the window's height, the panel goes below it instead. It is never scaled up.
function fitPhone() {
  if (!state.screen) return;
  const bezel = parseFloat(getComputedStyle(phoneElement.firstElementChild).paddingLeft) || 0;
  const naturalWidth = state.screen.width + 2 * bezel;
  const naturalHeight = state.screen.height + 2 * bezel;
  const margin = cssPixels('--margin');
  const gap = cssPixels('--gap');
  const panelWidth = cssPixels('--panel-width');
  const width = document.documentElement.clientWidth - 2 * margin;
  const height = window.innerHeight - 2 * margin;
  const fit = (w, h) => Math.max(0.1, Math.min(1, w / naturalWidth, h / naturalHeight));
  const byHeight = fit(Infinity, height);
  const beside = fit(width - gap - panelWidth, height);
  const stacked = beside < byHeight * 0.85;
  const scale = stacked ? fit(width, height) : beside;
  deskElement.classList.toggle('stacked', stacked);
  phoneFrame.style.width = `${naturalWidth * scale}px`;
  phoneFrame.style.height = `${naturalHeight * scale}px`;
  phoneElement.style.transform = scale === 1 ? '' : `scale(${scale})`;
  panelElement.style.height = stacked ? '' : `${naturalHeight * scale}px`;
  layout.scale = scale;
  layout.stacked = stacked;
  screenBox = null;
  layout.pixelRatio = window.devicePixelRatio || 1;
  state.dirty = true;
}

window.addEventListener('resize', fitPhone);

// ---------------------------------------------------------------------------
// Drawing

const FONT_FAMILY =
  '-apple-system, BlinkMacSystemFont, "SF Pro Text", "Helvetica Neue", Inter, "Segoe UI", Roboto, ' +
  '"Liberation Sans", Arial, sans-serif';

const fonts = new Map();
function font(size, weight) {
  const key = size * 10000 + weight;
  let name = fonts.get(key);
  if (!name) {
    name = `${weight} ${size}px ${FONT_FAMILY}`;
    fonts.set(key, name);
  }
  return name;
}

// Text widths by font and text: the same labels are measured in every frame.
const widths = new Map();
function textWidth(target, fontName, text) {
  const key = `${fontName}\u0000${text}`;
  let width = widths.get(key);
  if (width === undefined) {
    if (widths.size > 20000) widths.clear();
    target.font = fontName;
    width = target.measureText(text).width;
    widths.set(key, width);
  }
  return width;
}

const ALL_CORNERS = [true, true, true, true];
const SHEET_CORNERS = [true, true, false, false];

// A rectangle with some of its corners rounded: `corners` is [top-left, top-right,
// bottom-left, bottom-right].
function roundedRect(target, x, y, width, height, radius, corners = ALL_CORNERS) {
  const r = Math.max(0, Math.min(radius, width / 2, height / 2));
  target.beginPath();
  if (r === 0 || !corners.some(Boolean)) {
    target.rect(x, y, width, height);
    return;
  }
  const [topLeft, topRight, bottomLeft, bottomRight] = corners.map((rounded) => (rounded ? r : 0));
  target.roundRect(x, y, width, height, [topLeft, topRight, bottomRight, bottomLeft]);
}

// Which corners of a view its radius rounds: the layer's own choice, else those of
// a presented sheet (its top), else all four.
function viewCorners(view) {
  if (view.rounded) return view.rounded;
  if (view.sheet && !view.r) return SHEET_CORNERS;
  return ALL_CORNERS;
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

// The picture of everything up to and including the last material of a frame
// (what a sheet's backdrop covers: the page behind, the dimming, the blur), kept
// while the frame's text up to there stays the same; a frame that keeps it starts
// from this picture and draws only what lies over the material.
const underMaterial = { canvas: document.createElement('canvas'), key: null };

// The last material of a frame drawn straight onto the screen (no ancestor in an
// offscreen group), with its index among the frame's materials and the chain of
// views down to it; null when there is none.
function lastMaterial(frame) {
  if (frame.lastMaterial !== undefined) return frame.lastMaterial;
  let found = null;
  let index = 0;
  const chain = [];
  const visit = (view, grouped) => {
    if (view.hidden || (view.a !== undefined && view.a <= 0.001)) return;
    chain.push(view);
    if (view.material) {
      if (!grouped) found = { view, index, chain: new Set(chain) };
      index++;
    }
    const groups = view.a !== undefined && view.kids && view.kids.length > 0;
    for (const kid of view.kids || []) visit(kid, grouped || groups);
    chain.pop();
  };
  visit(frame.root, false);
  frame.lastMaterial = found;
  return found;
}

function underMaterialKey(frame, found, scale, width, height) {
  const places = materialPlaces(frame);
  if (!frame.text || places.start < 0 || found.index >= places.at.length) return null;
  // Pictures that loaded since, and a blinking caret, may show under the material.
  const caret = hasCaret(frame.root) ? Math.floor(performance.now() / 530) % 2 : '';
  return `${width}x${height},${scale},${state.picturesLoaded},${caret},` +
    `${JSON.stringify(found.view.material)},${frame.text.slice(places.start, places.at[found.index])}`;
}

function draw() {
  // Device pixels per point: the display's ratio times the phone's scale on the page.
  const scale = layout.pixelRatio * layout.scale;
  const width = Math.round(state.screen.width * scale);
  const height = Math.round(state.screen.height * scale);
  if (canvas.width !== width || canvas.height !== height) {
    canvas.width = width;
    canvas.height = height;
  }
  const frame = state.frame;
  const found = frame && frame.root ? lastMaterial(frame) : null;
  const key = found ? underMaterialKey(frame, found, scale, width, height) : null;
  const reuse = key !== null && key === underMaterial.key;
  context.setTransform(1, 0, 0, 1, 0, 0);
  if (reuse) {
    context.drawImage(underMaterial.canvas, 0, 0);
  } else {
    context.fillStyle = '#000';
    context.fillRect(0, 0, width, height);
  }
  context.setTransform(scale, 0, 0, scale, 0, 0);
  if (frame && frame.root) {
    const drawing = {
      scale,
      frame,
      search: null,
      tint: frame.tint,
      caretShown: Math.floor(performance.now() / 530) % 2 === 0,
      materials: 0, // materials drawn so far in this frame
      inLayer: 0, // how deep in offscreen groups the drawing is
      // Drawn so far: pictures still loading (drawn as nothing) and carets shown;
      // what lies behind a material changes with them.
      missing: 0,
      carets: 0,
      // Drawing up to the last material: from the kept picture (`reuse`), or keeping it.
      under: found && key !== null ? { ...found, key, reuse, skipping: reuse } : null,
    };
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
  // While the kept picture stands for what comes before the last material, only the
  // views on the way to it are visited, for their clipping, and nothing is painted.
  const under = drawing.under;
  const skipping = under !== null && under.skipping;
  if (skipping && !under.chain.has(view)) return;

  if (view.sheet && !skipping) {
    // The page behind a sheet dims as the sheet comes up.
    target.save();
    target.fillStyle = view.sheet.dim;
    target.fillRect(0, 0, state.screen.width, state.screen.height);
    target.restore();
  }

  const group = alpha < 1 && view.kids && view.kids.length > 0;
  const layer = group ? acquireLayer(drawing.scale) : null;
  const into = layer ? layer.getContext('2d') : target;
  if (layer) drawing.inLayer++;
  into.save();
  if (!group && alpha < 1) into.globalAlpha *= alpha;

  const sheetRadius = view.sheet ? view.sheet.radius : 0;
  const radius = view.r || sheetRadius;
  const corners = viewCorners(view);
  if ((view.bg || view.shadow) && !skipping) {
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
      roundedRect(into, x, y, width, height, radius, corners);
      into.fill();
    }
    into.restore();
  }
  if (view.material && under !== null && view === under.view) {
    if (under.reuse) {
      // The kept picture, drawn first, holds everything up to here.
      under.skipping = false;
      drawing.materials = under.index + 1;
    } else {
      drawMaterial(into, view, drawing);
      keepUnderMaterial(into.canvas, under.key);
    }
  } else if (view.material && !skipping) {
    drawMaterial(into, view, drawing);
  }
  if (skipping && view !== under.view) {
    // An ancestor of the material: its own painting is in the kept picture.
  } else {
    drawViewContent(into, view, drawing, radius, corners);
  }
  drawKids(into, view, drawing, x, y, width, height, radius, corners, sheetRadius);
  into.restore();

  if (layer) {
    drawing.inLayer--;
    target.save();
    target.globalAlpha *= alpha;
    target.setTransform(1, 0, 0, 1, 0, 0);
    target.drawImage(layer, 0, 0);
    target.restore();
    layerPool.push(layer);
  }
}

function keepUnderMaterial(source, key) {
  const kept = underMaterial.canvas;
  if (kept.width !== source.width || kept.height !== source.height) {
    kept.width = source.width;
    kept.height = source.height;
  }
  const paint = kept.getContext('2d');
  paint.clearRect(0, 0, kept.width, kept.height);
  paint.drawImage(source, 0, 0);
  underMaterial.key = key;
}

// What a view draws of its own over its background: border, search glass, text,
// picture, grip.
function drawViewContent(into, view, drawing, radius, corners) {
  const [x, y, width, height] = view.f;
  if (view.border) {
    const [borderWidth, color] = view.border;
    into.save();
    into.strokeStyle = color;
    into.lineWidth = borderWidth;
    roundedRect(into, x + borderWidth / 2, y + borderWidth / 2, width - borderWidth, height - borderWidth,
      Math.max(0, radius - borderWidth / 2), corners);
    into.stroke();
    into.restore();
  }
  if (view.field) drawSearchGlass(into, view);
  if (view.text) drawText(into, view, drawing);
  if (view.img) drawImage(into, view, drawing);
  if (view.grip && !view.img) drawReorderGrip(into, view);
}

function drawKids(into, view, drawing, x, y, width, height, radius, corners, sheetRadius) {
  if (view.kids) {
    const savedSearch = drawing.search;
    if (view.search) drawing.search = view.search;
    into.save();
    // A clipping view shows its subviews only inside its (rounded) shape.
    if (view.clip || sheetRadius) {
      roundedRect(into, x, y, width, height, radius, corners);
      into.clip();
    }
    for (const kid of view.kids) drawView(into, kid, drawing);
    into.restore();
    drawing.search = savedSearch;
    if (view.cell && view.cell.acc === 'checkmark') drawMissingCheckmark(into, view, drawing);
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

// Where each material of a frame begins in the frame's text: what the text holds
// before it (after the frame's clock) is everything drawn before it, that is what
// lies behind it.
function materialPlaces(frame) {
  if (frame.materialPlaces) return frame.materialPlaces;
  const text = frame.text || '';
  const places = { start: text.indexOf('"root":'), at: [] };
  for (let at = text.indexOf('"material":'); at >= 0; at = text.indexOf('"material":', at + 1)) places.at.push(at);
  frame.materialPlaces = places;
  return places;
}

// Blurred backdrops, one per material of the frame (by order), kept while what lies
// behind them stays the same: blurring is by far the costliest drawing there is,
// and what scrolls over a material rarely changes what is under it.
const blurredBackdrops = [];

// A blur of what lies behind the view, its saturation changed, under the
// material's translucent tint.
function drawMaterial(target, view, drawing) {
  const [x, y, width, height] = view.f;
  const { radius: blur, saturation, tint } = view.material;
  const scale = drawing.scale;
  const index = drawing.materials++;
  const pad = Math.ceil(blur * 2);
  const sx = Math.max(0, Math.floor((x - pad) * scale));
  const sy = Math.max(0, Math.floor((y - pad) * scale));
  const sw = Math.min(target.canvas.width - sx, Math.ceil((width + 2 * pad) * scale));
  const sh = Math.min(target.canvas.height - sy, Math.ceil((height + 2 * pad) * scale));
  target.save();
  roundedRect(target, x, y, width, height, view.r || 0, viewCorners(view));
  target.clip();
  if (sw > 0 && sh > 0) {
    const places = materialPlaces(drawing.frame);
    const text = drawing.frame.text;
    const behind = text && places.start >= 0 && index < places.at.length ? text.slice(places.start, places.at[index]) : null;
    const key = `${sx},${sy},${sw},${sh},${scale},${blur},${saturation},${drawing.inLayer},` +
      `${drawing.missing},${drawing.carets}`;
    let cached = blurredBackdrops[index];
    if (!cached || behind === null || cached.behind !== behind || cached.key !== key) {
      cached = cached || { canvas: document.createElement('canvas') };
      const blurred = cached.canvas;
      blurred.width = sw;
      blurred.height = sh;
      const paint = blurred.getContext('2d');
      paint.filter = `blur(${(blur / 2) * scale}px) saturate(${saturation})`;
      paint.drawImage(target.canvas, sx, sy, sw, sh, 0, 0, sw, sh);
      paint.filter = 'none';
      cached.behind = behind;
      cached.key = key;
      blurredBackdrops[index] = cached;
      state.stats.blurs = (state.stats.blurs || 0) + 1;
    }
    target.drawImage(cached.canvas, 0, 0, sw, sh, sx / scale, sy / scale, sw / scale, sh / scale);
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
    let contents = runs.map((run) => run[0]);
    let widthsOfRuns = runs.map(([content, size, weight]) => textWidth(target, font(size, weight), content));
    let natural = widthsOfRuns.reduce((sum, w) => sum + w, 0);
    // Only the last line holds the rest of a text cut at its line limit; earlier
    // lines the browser measures a little wider are narrowed, never cut.
    if (text.cut && index === lines.length - 1 && natural > width && runs.length === 1) {
      contents = [fitWithEllipsis(target, runs[0], width)];
      widthsOfRuns = [textWidth(target, font(runs[0][1], runs[0][2]), contents[0])];
      natural = widthsOfRuns[0];
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
      const runWidth = widthsOfRuns[runIndex] * squeeze;
      if (squeeze < 1) target.fillText(contents[runIndex], left, middle, Math.max(runWidth, 0.1));
      else target.fillText(contents[runIndex], left, middle);
      left += runWidth;
    });
    caretX = left;
    caretY = middle;
    caretHeight = lineHeight;
    top += lineHeight;
  });
  target.restore();
  if (text.caret && drawing.caretShown) {
    drawing.carets++;
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
  const fontName = font(size, weight);
  const characters = Array.from(content);
  let low = 0;
  let high = characters.length;
  while (low < high) {
    const middle = Math.ceil((low + high) / 2);
    if (textWidth(target, fontName, characters.slice(0, middle).join('') + '…') <= width) low = middle;
    else high = middle - 1;
  }
  return characters.slice(0, low).join('').trimEnd() + '…';
}

// Template pictures in their tint, made once for each picture, tint and size.
const tintedPictures = new Map();

function tintedPicture(element, source, tint, width, height) {
  const key = `${source}\u0000${tint}\u0000${width}x${height}`;
  let tinted = tintedPictures.get(key);
  if (!tinted) {
    if (tintedPictures.size > 500) tintedPictures.clear();
    tinted = document.createElement('canvas');
    tinted.width = width;
    tinted.height = height;
    const paint = tinted.getContext('2d');
    paint.drawImage(element, 0, 0, width, height);
    paint.globalCompositeOperation = 'source-in';
    paint.fillStyle = tint;
    paint.fillRect(0, 0, width, height);
    tintedPictures.set(key, tinted);
  }
  return tinted;
}

function drawImage(target, view, drawing) {
  const picture = view.img;
  const [x, y, width, height] = picture.rect;
  if (width <= 0 || height <= 0) return;
  if (picture.sym) {
    const path = symbolPath(picture.sym);
    if (!path) {
      drawing.missing++;
      return;
    }
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
    target.fill(path, 'evenodd');
    target.restore();
    return;
  }
  const element = image(picture.src);
  if (!element) {
    drawing.missing++;
    return;
  }
  target.save();
  if (view.clip) {
    const [vx, vy, vw, vh] = view.f;
    roundedRect(target, vx, vy, vw, vh, view.r || 0, viewCorners(view));
    target.clip();
  }
  if (picture.tint) {
    // A template picture: its shape in the tint.
    const tinted = tintedPicture(element, picture.src, picture.tint, Math.max(1, Math.round(width * drawing.scale)),
      Math.max(1, Math.round(height * drawing.scale)));
    target.drawImage(tinted, x, y, width, height);
  } else {
    target.imageSmoothingQuality = 'high';
    target.drawImage(element, x, y, width, height);
  }
  target.restore();
}

// The magnifying glass at the start of a search field.
function drawSearchGlass(target, view) {
  const glass = symbolPath('magnifyingglass');
  const [x, y, , height] = view.f;
  const size = 15;
  const left = x + 8;
  const top = y + (height - size) / 2;
  target.save();
  const color = view.glass;
  if (glass) {
    target.translate(left, top);
    target.scale(size / 100, size / 100);
    target.fillStyle = color;
    target.fill(glass, 'evenodd');
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
  // A change of the display's pixel ratio (zooming, another screen) calls for a
  // sharper or smaller canvas; not every such change resizes the window.
  if ((window.devicePixelRatio || 1) !== layout.pixelRatio) fitPhone();
  sendWheel();
  const now = performance.now();
  let fresh = false;
  if (state.waiting.length) {
    state.frame = state.waiting.shift();
    state.dirty = true;
    fresh = true;
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
    if (state.frame) state.stats.drawnSequence = state.frame.seq;
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
  if (fresh) {
    updateMirror(state.frame);
    updateCursor();
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

// A point of the page in screen points, through the screen's box on the page
// (which the phone's scale shrinks).
function pointInScreen(clientX, clientY) {
  if (!screenBox) screenBox = screenElement.getBoundingClientRect();
  const box = screenBox;
  if (!state.screen) return { x: 0, y: 0 };
  const { width, height } = state.screen;
  return {
    x: Math.round(((clientX - box.left) * width / box.width) * 100) / 100,
    y: Math.round(((clientY - box.top) * height / box.height) * 100) / 100,
  };
}

// The input goes out first; sound is set up after it, never in its way.
function touch(phase, event) {
  send({ type: 'touch', phase, ...(event ? pointInScreen(event.clientX, event.clientY) : {}) });
}

screenElement.addEventListener('pointerdown', (event) => {
  if (event.button !== 0 || activePointer !== null) return;
  activePointer = event.pointerId;
  touch('down', event);
  // For the figures the browser tests report: when the press happened, went out,
  // and (below) when its first changed frame came and was drawn.
  state.stats.lastPress = { event: event.timeStamp, sent: performance.now(), sequence: state.sequence };
  try {
    screenElement.setPointerCapture(event.pointerId);
  } catch (error) {
    // A pointer the browser does not know (made up by a script) is not captured.
  }
  screenElement.focus({ preventScroll: true });
  event.preventDefault();
  prepareSoundSoon();
});

screenElement.addEventListener('pointermove', (event) => {
  if (event.pointerId !== activePointer) {
    if (activePointer === null) hoverAt(event.clientX, event.clientY);
    return;
  }
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
screenElement.addEventListener('pointerleave', () => {
  hover = null;
});
screenElement.addEventListener('contextmenu', (event) => event.preventDefault());

// The wheel and the trackpad scroll the view under the pointer, never the page.
// Their deltas are gathered and sent once a display frame.
let pendingWheel = null;

screenElement.addEventListener('wheel', (event) => {
  event.preventDefault();
  if (!state.screen || !state.connected || event.ctrlKey) return; // a pinch is no scroll
  // Lines and pages as the browser counts them, in CSS pixels; the phone shows
  // `scale` CSS pixels a point, so content follows the fingers on a trackpad.
  const unit = event.deltaMode === 1 ? 16 : event.deltaMode === 2 ? state.screen.height : 1;
  const perPoint = layout.scale || 1;
  const point = pointInScreen(event.clientX, event.clientY);
  if (!pendingWheel) pendingWheel = { x: point.x, y: point.y, dx: 0, dy: 0 };
  pendingWheel.x = point.x;
  pendingWheel.y = point.y;
  pendingWheel.dx += (event.deltaX * unit) / perPoint;
  pendingWheel.dy += (event.deltaY * unit) / perPoint;
  state.stats.wheelEvents = (state.stats.wheelEvents || 0) + 1;
}, { passive: false });

function sendWheel() {
  if (!pendingWheel) return;
  const { x, y, dx, dy } = pendingWheel;
  pendingWheel = null;
  const round = (value) => Math.round(value * 100) / 100;
  if (dx === 0 && dy === 0) return;
  send({ type: 'wheel', x, y, dx: round(dx), dy: round(dy) });
  state.stats.wheelsSent = (state.stats.wheelsSent || 0) + 1;
}

// Whether a field on the phone is being edited now: typing has somewhere to go.
function editedField(view) {
  if (!view) return false;
  if (view.search && view.search.editing) return true;
  return (view.kids || []).some(editedField);
}

// Keys: typing reaches the field being edited on the phone (with none, the
// simulator drops the keys quietly); Return is the keyboard's return key and Esc
// ends editing as the field's Cancel does; Tab moves the focus between the phone
// and the panel as the browser does; Enter or Space on a mirrored element taps it.
document.addEventListener('keydown', (event) => {
  if (event.ctrlKey || event.metaKey || event.altKey || event.key === 'Tab') return;
  const target = event.target instanceof Element ? event.target : null;
  const inPanel = target && target.closest('.panel');
  if (inPanel && (event.key === ' ' || event.key === 'Enter')) return; // a panel button's own keys
  const editing = state.frame && editedField(state.frame.root);
  const mirrored = target && target.closest('#mirror [data-id]');
  if (mirrored && (event.key === 'Enter' || event.key === ' ')) {
    const typingInField = editing && mirrored.getAttribute('role') === 'searchbox';
    if (!typingInField) {
      event.preventDefault();
      activate(mirrored);
      return;
    }
  }
  let message;
  if (event.key === 'Escape' || event.key === 'Enter') {
    if (!editing) return;
    message = { type: 'key', key: event.key === 'Escape' ? 'escape' : 'return' };
  } else if (event.key === 'Backspace') {
    message = { type: 'key', backspace: 1 };
  } else if (Array.from(event.key).length === 1) {
    message = { type: 'key', text: event.key };
  } else {
    return;
  }
  send(message);
  state.stats.lastKey = message;
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
// Hovering: a pointer cursor over what a tap would act on

let hover = null; // the pointer's place on the screen while it hovers, in points
let shownCursor = '';

// The views a touch at (x, y) would go through, from the window down to the view
// it hits, as the platform's hit testing finds them: the front-most subview that
// holds the point, skipping hidden and transparent views and those that let
// touches through; a point outside a view reaches none of its subviews.
function hitChain(view, x, y) {
  if (!view || view.hidden || view.pass) return null;
  if (view.a !== undefined && view.a <= 0.01) return null;
  const [vx, vy, width, height] = view.f;
  if (x < vx || y < vy || x >= vx + width || y >= vy + height) return null;
  const kids = view.kids || [];
  for (let i = kids.length - 1; i >= 0; i--) {
    const chain = hitChain(kids[i], x, y);
    if (chain) {
      chain.unshift(view);
      return chain;
    }
  }
  return [view];
}

function hoverAt(clientX, clientY) {
  hover = pointInScreen(clientX, clientY);
  updateCursor();
}

function updateCursor() {
  let cursor = 'default';
  if (hover && state.frame && state.frame.root && activePointer === null) {
    const chain = hitChain(state.frame.root, hover.x, hover.y);
    if (chain && chain.some((view) => view.tap)) cursor = 'pointer';
  }
  if (cursor !== shownCursor) {
    shownCursor = cursor;
    screenElement.style.cursor = cursor === 'default' ? '' : cursor;
  }
}

// ---------------------------------------------------------------------------
// The accessibility mirror: an element for each accessibility element of the
// screen (and for the tables, alerts and sheets that group them), with the role,
// name and state the platform gives it, placed where its view is. Each frame
// changes only what changed. Activating an element (a click from a screen reader,
// Enter or Space) taps the centre of what shows of its view.

const mirrorRoot = document.getElementById('mirror');
const mirrored = new Map(); // id → {element, content, props…}

const ARIA_ROLES = {
  button: 'button',
  switch: 'switch',
  searchbox: 'searchbox',
  link: 'link',
  heading: 'heading',
  img: 'img',
  row: 'row',
  table: 'table',
  alertdialog: 'alertdialog',
  dialog: 'dialog',
  text: null, // plain text, read as it is
};
const ACTIVATABLE = new Set(['button', 'switch', 'searchbox', 'link', 'row']);

function intersect(a, b) {
  const x = Math.max(a[0], b[0]);
  const y = Math.max(a[1], b[1]);
  const right = Math.min(a[0] + a[2], b[0] + b[2]);
  const bottom = Math.min(a[1] + a[3], b[1] + b[3]);
  return right > x && bottom > y ? [x, y, right - x, bottom - y] : null;
}

// The mirrored nodes of a frame in drawing order: {id, ax, rect (what shows of the
// view), parent (the mirrored node it lies in)}. Hidden, transparent and clipped
// away views are left out; so is everything behind a modal alert or sheet, as a
// screen reader does.
function mirrorNodes(root) {
  const nodes = [];
  let modal = -1;
  const visit = (view, clip, parent) => {
    if (view.hidden || (view.a !== undefined && view.a <= 0.01)) return;
    const shown = intersect(view.f, clip);
    if (!shown) return;
    let node = parent;
    if (view.ax) {
      node = { id: view.ax.id, ax: view.ax, rect: shown, parent };
      if (view.ax.role === 'alertdialog' || view.ax.role === 'dialog') modal = nodes.length;
      nodes.push(node);
    }
    if (!view.kids) return;
    const inner = view.clip || view.sheet ? shown : clip;
    for (const kid of view.kids) visit(kid, inner, node);
  };
  visit(root, [0, 0, state.screen.width, state.screen.height], null);
  if (modal < 0) return nodes;
  const kept = nodes.slice(modal);
  const keptIds = new Set(kept.map((node) => node.id));
  for (const node of kept) if (node.parent && !keptIds.has(node.parent.id)) node.parent = null;
  return kept;
}

function setAttribute(element, name, value) {
  if (value === null || value === undefined) {
    if (element.hasAttribute(name)) element.removeAttribute(name);
  } else if (element.getAttribute(name) !== value) {
    element.setAttribute(name, value);
  }
}

// Puts `element` into `parent` just before `next`. An element that holds the focus
// stays where it is (moving it would lose the focus): what lies between goes after it.
function placeElement(parent, element, next) {
  if (element.parentNode === parent && element.contains(document.activeElement)) {
    let after = element;
    while (next && next !== element) {
      const moving = next;
      next = next.nextSibling;
      parent.insertBefore(moving, after.nextSibling);
      after = moving;
    }
    return;
  }
  parent.insertBefore(element, next);
}

function updateMirror(frame) {
  if (!frame || !frame.root || !state.screen) return;
  const nodes = mirrorNodes(frame.root);
  // What went from the screen goes first, so that what stays need not move.
  const seen = new Set(nodes.map((node) => node.id));
  for (const [id, entry] of mirrored) {
    if (!seen.has(id)) {
      entry.element.remove();
      mirrored.delete(id);
    }
  }
  const lastChild = new Map(); // parent element → the child placed last
  for (const node of nodes) {
    const { ax, rect } = node;
    let entry = mirrored.get(node.id);
    if (!entry || entry.role !== ax.role) {
      if (entry) entry.element.remove();
      const element = document.createElement('div');
      element.dataset.id = String(node.id);
      if (ACTIVATABLE.has(ax.role)) element.tabIndex = -1;
      entry = { element, content: element, role: ax.role };
      const role = ARIA_ROLES[ax.role];
      if (role) element.setAttribute('role', role);
      if (ax.role === 'heading') element.setAttribute('aria-level', '2');
      if (ax.role === 'row') {
        // A row's parts (a switch) live in its one cell.
        entry.content = document.createElement('div');
        entry.content.setAttribute('role', 'cell');
        element.appendChild(entry.content);
      }
      mirrored.set(node.id, entry);
    }
    const { element } = entry;
    // Its name and state.
    const label = ax.label || '';
    const spoken = ax.role === 'text' || ax.role === 'heading' ? label : ax.role === 'searchbox' ? ax.value || '' : '';
    if (entry.spoken !== spoken) {
      if (entry.content === element) element.textContent = spoken;
      entry.spoken = spoken;
    }
    const named = ax.role !== 'text' && ax.role !== 'heading';
    setAttribute(element, 'aria-label', named && label ? label : null);
    setAttribute(element, 'aria-checked', ax.role === 'switch' ? String(Boolean(ax.checked)) : null);
    setAttribute(element, 'aria-selected', ax.role === 'row' ? String(Boolean(ax.selected)) : null);
    setAttribute(element, 'aria-disabled', ax.disabled ? 'true' : null);
    setAttribute(element, 'aria-description', ax.role === 'alertdialog' && ax.value ? ax.value : null);
    setAttribute(element, 'aria-modal', ax.role === 'alertdialog' || ax.role === 'dialog' ? 'true' : null);
    // Where it is, within the element it lies in.
    // Moved by a transform, which needs no layout: rows move in every frame of a scroll.
    const origin = node.parent ? node.parent.rect : [0, 0];
    const place = `translate(${rect[0] - origin[0]}px, ${rect[1] - origin[1]}px)`;
    if (entry.place !== place) {
      element.style.transform = place;
      entry.place = place;
    }
    const size = `${rect[2]},${rect[3]}`;
    if (entry.size !== size) {
      element.style.width = `${rect[2]}px`;
      element.style.height = `${rect[3]}px`;
      entry.size = size;
    }
    entry.rect = rect;
    // In drawing order under its parent.
    const parentElement = node.parent ? mirrored.get(node.parent.id).content : mirrorRoot;
    const previous = lastChild.get(parentElement) || null;
    const expectedNext = previous ? previous.nextSibling : parentElement.firstChild;
    if (element.parentNode !== parentElement || element !== expectedNext) placeElement(parentElement, element, expectedNext);
    lastChild.set(parentElement, element);
  }
}

// Activating a mirrored element taps the centre of what shows of its view.
function activate(element) {
  const entry = mirrored.get(Number(element.dataset.id));
  if (!entry || !entry.rect || !state.connected) return;
  const [x, y, width, height] = entry.rect;
  const point = { x: Math.round((x + width / 2) * 100) / 100, y: Math.round((y + height / 2) * 100) / 100 };
  send({ type: 'touch', phase: 'down', ...point });
  send({ type: 'touch', phase: 'up', ...point });
  state.stats.activations = (state.stats.activations || 0) + 1;
  prepareSoundSoon();
}

mirrorRoot.addEventListener('click', (event) => {
  const element = event.target instanceof Element && event.target.closest('[data-id]');
  if (element && ACTIVATABLE.has(mirrored.get(Number(element.dataset.id))?.role)) activate(element);
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

// Text that may break only between the parts of identifiers and paths (after a
// dot, a slash, a hyphen, an underscore or a comma) and at spaces, never inside a
// word.
function breakable(text) {
  const fragment = document.createDocumentFragment();
  for (const part of String(text).split(/(?<=[./_,-])/)) {
    if (fragment.childNodes.length) fragment.appendChild(document.createElement('wbr'));
    fragment.appendChild(document.createTextNode(part));
  }
  return fragment;
}

function describeValue(value) {
  if (Array.isArray(value)) {
    if (!value.length) return document.createTextNode('[ ]');
    const list = document.createElement('ol');
    list.className = 'list';
    list.start = 0;
    for (const item of value) {
      const entry = document.createElement('li');
      entry.appendChild(breakable(JSON.stringify(item)));
      list.appendChild(entry);
    }
    return list;
  }
  return breakable(JSON.stringify(value));
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
    term.appendChild(breakable(key));
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
    detail.appendChild(breakable(eventDetail(event)));
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
  if (state.clock && state.connected) {
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
