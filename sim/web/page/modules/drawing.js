// Drawing a frame on the canvas: its window's views in drawing order, then the
// system's chrome over them, each view by the same steps: the dimming behind a
// sheet, its background and shadow, its material, its own content (one entry of
// CONTENT for each field the page draws), its subviews (inside its shape when it
// clips). Views drawn with an alpha below 1 and their subviews are composited as
// one group through an offscreen layer, as the platform composites a layer with its
// sublayers. The page draws only what the tree says. The same drawing also makes a
// picture of the screen on a canvas of its own at any number of pixels a point
// (a screenshot), whatever the on-screen canvas's size.

import { layout, screenSize } from './fitting.js';
import {
  drawMaterial, keepUnderMaterial, keptUnderMaterial, underMaterialKept, underMaterialKey,
} from './materials.js';
import { drawImage } from './pictures.js';
import { drawBorder, drawPath, viewShape, withAlpha } from './shapes.js';
import { drawText } from './text.js';

const canvas = document.getElementById('canvas');
const context = canvas.getContext('2d');

// What a view draws of its own over its background, by the field that says so, in
// this order. A new kind of content is one entry here.
const CONTENT = [
  ['border', drawBorder],
  ['text', drawText],
  ['img', drawImage],
  ['path', drawPath],
];

// Offscreen layers for groups, used again from frame to frame.
const layerPool = [];

function acquireLayer(scale) {
  const screen = screenSize();
  const layer = layerPool.pop() || document.createElement('canvas');
  const width = Math.round(screen.width * scale);
  const height = Math.round(screen.height * scale);
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

function compositeLayer(target, layer, alpha, drawing) {
  drawing.inLayer--;
  target.save();
  target.globalAlpha *= alpha;
  target.setTransform(1, 0, 0, 1, 0, 0);
  target.drawImage(layer, 0, 0);
  target.restore();
  layerPool.push(layer);
}

// The page behind a sheet dims as the sheet comes up.
function dimBehind(target, dim) {
  const screen = screenSize();
  target.save();
  target.fillStyle = dim;
  target.fillRect(0, 0, screen.width, screen.height);
  target.restore();
}

function drawBackground(target, view, drawing) {
  if (!view.bg && !view.shadow) return;
  target.save();
  if (view.shadow) {
    const [opacity, dx, dy, blur, color] = view.shadow;
    target.shadowColor = withAlpha(color, opacity);
    target.shadowOffsetX = dx * drawing.scale;
    target.shadowOffsetY = dy * drawing.scale;
    target.shadowBlur = blur * 2 * drawing.scale;
  }
  if (view.bg) {
    target.fillStyle = view.bg;
    viewShape(target, view);
    target.fill();
  }
  target.restore();
}

// A material, or at the frame's last one, the kept picture of everything up to it:
// drawn first from the kept picture (`reuse`), or kept now.
function drawMaterialOf(target, view, drawing, skipping) {
  const under = drawing.under;
  if (under !== null && view === under.view) {
    if (under.reuse) {
      under.skipping = false;
      drawing.materials = under.index + 1;
    } else {
      drawMaterial(target, view, drawing);
      keepUnderMaterial(target.canvas, under.key);
    }
  } else if (!skipping) {
    drawMaterial(target, view, drawing);
  }
}

function drawContent(target, view, drawing) {
  for (const [field, draw] of CONTENT) if (view[field]) draw(target, view, drawing);
}

function drawKids(target, view, drawing) {
  if (!view.kids) return;
  target.save();
  // A clipping view shows its subviews only inside its (rounded) shape.
  if (view.clip) {
    viewShape(target, view);
    target.clip();
  }
  for (const kid of view.kids) drawView(target, kid, drawing);
  target.restore();
}

function drawView(target, view, drawing) {
  if (view.hidden || view.a === 0) return;
  // While the kept picture stands for what comes before the last material, only the
  // views on the way to it are visited, for their clipping, and nothing is painted.
  const under = drawing.under;
  const skipping = under !== null && under.skipping;
  if (skipping && !under.chain.has(view)) return;
  if (view.sheet && !skipping) dimBehind(target, view.sheet.dim);
  const alpha = view.a === undefined ? 1 : view.a;
  const layer = alpha < 1 && view.kids && view.kids.length > 0 ? acquireLayer(drawing.scale) : null;
  const into = layer ? layer.getContext('2d') : target;
  if (layer) drawing.inLayer++;
  into.save();
  if (!layer && alpha < 1) into.globalAlpha *= alpha;
  if (!skipping) drawBackground(into, view, drawing);
  if (view.material) drawMaterialOf(into, view, drawing, skipping);
  // An ancestor of the kept material has its own painting in the kept picture.
  if (!skipping || view === under.view) drawContent(into, view, drawing);
  drawKids(into, view, drawing);
  into.restore();
  if (layer) compositeLayer(target, layer, alpha, drawing);
}

// The drawing state of one frame; `backdrops` holds the blurred backdrops kept
// for the materials of this target (materials.js).
function drawingOf(frame, scale, under, now, backdrops) {
  return {
    scale,
    frame,
    now,
    backdrops,
    materials: 0, // materials drawn so far
    inLayer: 0, // how deep in offscreen groups the drawing is
    // Drawn so far: pictures still loading (drawn as nothing) and carets shown;
    // what lies behind a material changes with them.
    missing: 0,
    carets: 0,
    under,
  };
}

// The blurred backdrops of the screen's canvas, and of pictures drawn apart from it
// (kept apart so that a screenshot at another scale does not make the screen blur
// everything again).
const screenBackdrops = [];
const pictureBackdrops = [];

// Draws the frame's window and chrome; what lies under the last material comes
// from the kept picture when `under` says so.
function drawTrees(target, frame, scale, under, now, backdrops) {
  drawView(target, frame.root, drawingOf(frame, scale, under, now, backdrops));
  const chrome = drawingOf(frame, scale, null, now, backdrops);
  for (const view of frame.chrome || []) drawView(target, view, chrome);
}

export function draw(frame) {
  const screen = screenSize();
  // Device pixels per point: the display's ratio times the phone's scale on the page.
  const scale = layout.pixelRatio * layout.scale;
  const width = Math.round(screen.width * scale);
  const height = Math.round(screen.height * scale);
  if (canvas.width !== width || canvas.height !== height) {
    canvas.width = width;
    canvas.height = height;
  }
  const now = performance.now();
  const last = frame && frame.root ? frame.scene.lastMaterial : null;
  const key = last ? underMaterialKey(frame, last, scale, width, height, now) : null;
  const reuse = underMaterialKept(key);
  context.setTransform(1, 0, 0, 1, 0, 0);
  if (reuse) {
    context.drawImage(keptUnderMaterial(), 0, 0);
  } else {
    context.fillStyle = '#000';
    context.fillRect(0, 0, width, height);
  }
  context.setTransform(scale, 0, 0, scale, 0, 0);
  if (!frame || !frame.root) return;
  const under = key !== null ? { ...last, key, reuse, skipping: reuse } : null;
  drawTrees(context, frame, scale, under, now, screenBackdrops);
}

// The frame drawn on a canvas of its own at `scale` pixels a point (the screen's
// size in points times the scale, whatever the window), as the screen shows it:
// the same steps, pictures still loading left out as they are on the screen.
export function drawScreenPicture(frame, scale) {
  const screen = screenSize();
  const picture = document.createElement('canvas');
  picture.width = Math.round(screen.width * scale);
  picture.height = Math.round(screen.height * scale);
  const target = picture.getContext('2d');
  target.fillStyle = '#000';
  target.fillRect(0, 0, picture.width, picture.height);
  target.setTransform(scale, 0, 0, scale, 0, 0);
  if (frame && frame.root) drawTrees(target, frame, scale, null, performance.now(), pictureBackdrops);
  return picture;
}
