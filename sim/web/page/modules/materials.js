// Materials: a blur of what lies behind a view, its saturation changed, under its
// translucent tint. Blurring is by far the costliest drawing there is, so two
// pictures are kept while what lies behind them stays the same: each material's
// blurred backdrop, and everything up to and including a frame's last material
// (what a sheet's backdrop covers: the page behind, the dimming, the blur), which
// the next frame starts from when it is still the same. What lies behind a
// material is known by the frame's text before it: everything drawn before it.

import { picturesLoaded } from './pictures.js';
import { caretShows } from './text.js';
import { viewShape } from './shapes.js';
import { stats } from './stats.js';

const underMaterial = { canvas: document.createElement('canvas'), key: null };

// Where each material of a frame begins in the frame's text.
function materialPlaces(frame) {
  if (frame.materialPlaces) return frame.materialPlaces;
  const text = frame.text || '';
  const places = { start: text.indexOf('"root":'), at: [] };
  for (let at = text.indexOf('"material":'); at >= 0; at = text.indexOf('"material":', at + 1)) places.at.push(at);
  frame.materialPlaces = places;
  return places;
}

// The frame's text before its material `index`, or null when it cannot be told.
function textBehind(frame, index) {
  const places = materialPlaces(frame);
  if (!frame.text || places.start < 0 || index >= places.at.length) return null;
  return frame.text.slice(places.start, places.at[index]);
}

// What the picture up to the frame's last material depends on besides the text
// before it: the canvas, the scale, pictures that loaded since, and a blinking
// caret. Null when it cannot be kept.
export function underMaterialKey(frame, last, scale, width, height, now) {
  const behind = textBehind(frame, last.index);
  if (behind === null) return null;
  const caret = frame.scene.caret;
  const phase = caret ? (caretShows(caret.blink, now) ? 0 : 1) : '';
  return `${width}x${height},${scale},${picturesLoaded()},${phase},${JSON.stringify(last.view.material)},${behind}`;
}

export const underMaterialKept = (key) => key !== null && key === underMaterial.key;
export const keptUnderMaterial = () => underMaterial.canvas;

export function keepUnderMaterial(source, key) {
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

// The material's blurred backdrop in device pixels: [sx, sy, sw, sh] of the canvas.
function backdropArea(target, view, blur, scale) {
  const [x, y, width, height] = view.f;
  const pad = Math.ceil(blur * 2);
  const sx = Math.max(0, Math.floor((x - pad) * scale));
  const sy = Math.max(0, Math.floor((y - pad) * scale));
  const sw = Math.min(target.canvas.width - sx, Math.ceil((width + 2 * pad) * scale));
  const sh = Math.min(target.canvas.height - sy, Math.ceil((height + 2 * pad) * scale));
  return [sx, sy, sw, sh];
}

// The blur of what is drawn under the material, made again only when that changed.
function blurredBackdrop(target, area, index, drawing, material) {
  const [sx, sy, sw, sh] = area;
  const { radius: blur, saturation } = material;
  const scale = drawing.scale;
  const behind = textBehind(drawing.frame, index);
  const key = `${sx},${sy},${sw},${sh},${scale},${blur},${saturation},${drawing.inLayer},` +
    `${drawing.missing},${drawing.carets}`;
  // One per material of the frame, by order, for each target drawn on.
  const blurredBackdrops = drawing.backdrops;
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
    stats.blurs = (stats.blurs || 0) + 1;
  }
  return cached.canvas;
}

export function drawMaterial(target, view, drawing) {
  const [x, y, width, height] = view.f;
  const scale = drawing.scale;
  const index = drawing.materials++;
  const area = backdropArea(target, view, view.material.radius, scale);
  const [sx, sy, sw, sh] = area;
  target.save();
  viewShape(target, view);
  target.clip();
  if (sw > 0 && sh > 0) {
    const blurred = blurredBackdrop(target, area, index, drawing, view.material);
    target.drawImage(blurred, 0, 0, sw, sh, sx / scale, sy / scale, sw / scale, sh / scale);
  }
  target.fillStyle = view.material.tint;
  target.fillRect(x, y, width, height);
  target.restore();
}
