// Pictures: the system symbols' artwork (one request, each path made when first
// drawn), pictures by URL (asked for again a second after a failure), and template
// pictures in their tint, made once for each picture, tint and size.

import { requestDraw } from './frames.js';
import { viewShape } from './shapes.js';

const symbols = new Map(); // name → {svg (path data), path: Path2D once drawn}
const images = new Map(); // URL → HTMLImageElement
const tintedPictures = new Map();
// Pictures that finished loading: one may now show where a kept picture has none.
let loaded = 0;

export const picturesLoaded = () => loaded;

const delay = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

export async function loadSymbols() {
  for (;;) {
    try {
      const response = await fetch('/api/symbols');
      const artwork = await response.json();
      // Each symbol's path is made when it is first drawn: loading stays out of the
      // way of the first input.
      for (const [name, [, , path]] of Object.entries(artwork)) symbols.set(name, { svg: path, path: null });
      loaded++;
      requestDraw();
      return;
    } catch (error) {
      await delay(1000);
    }
  }
}

function symbolPath(name) {
  const symbol = symbols.get(name);
  if (!symbol) return null;
  if (!symbol.path) symbol.path = new Path2D(symbol.svg);
  return symbol.path;
}

function image(url) {
  let element = images.get(url);
  if (!element) {
    element = new Image();
    element.onload = () => {
      loaded++;
      requestDraw();
    };
    // A picture the server no longer has is asked for again with a later frame.
    element.onerror = () => setTimeout(() => images.delete(url), 1000);
    element.src = url;
    images.set(url, element);
  }
  return element.complete && element.naturalWidth ? element : null;
}

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

// A symbol: the artwork's square view box, centred and covering the rectangle
// (preserveAspectRatio="xMidYMid slice"), filled even-odd in the tint.
function drawSymbol(target, picture, drawing) {
  const path = symbolPath(picture.sym);
  if (!path) {
    drawing.missing++;
    return;
  }
  const [x, y, width, height] = picture.rect;
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
}

// A picture by URL, inside the view's shape when it clips; a template one in its tint.
function drawPicture(target, view, drawing) {
  const picture = view.img;
  const element = image(picture.src);
  if (!element) {
    drawing.missing++;
    return;
  }
  const [x, y, width, height] = picture.rect;
  target.save();
  if (view.clip) {
    viewShape(target, view);
    target.clip();
  }
  if (picture.tint) {
    const tinted = tintedPicture(element, picture.src, picture.tint, Math.max(1, Math.round(width * drawing.scale)),
      Math.max(1, Math.round(height * drawing.scale)));
    target.drawImage(tinted, x, y, width, height);
  } else {
    target.imageSmoothingQuality = 'high';
    target.drawImage(element, x, y, width, height);
  }
  target.restore();
}

export function drawImage(target, view, drawing) {
  const [, , width, height] = view.img.rect;
  if (width <= 0 || height <= 0) return;
  if (view.img.sym) drawSymbol(target, view.img, drawing);
  else drawPicture(target, view, drawing);
}
