// Hovering: a pointer cursor over what a tap would act on, found in the shown
// frame's scene by the platform's hit testing (scene.js).

import { hitAt } from './scene.js';

const screenElement = document.getElementById('screen');
let hover = null; // the pointer's place on the screen while it hovers, in points
let shownCursor = '';

// The cursor for the pointer's place now; `pressing` while a button is down.
export function updateCursor(scene, pressing) {
  let cursor = 'default';
  if (hover && scene && !pressing) {
    const hit = hitAt(scene, hover.x, hover.y);
    if (hit && hit.taps) cursor = 'pointer';
  }
  if (cursor !== shownCursor) {
    shownCursor = cursor;
    screenElement.style.cursor = cursor === 'default' ? '' : cursor;
  }
}

// The pointer hovers at a point of the screen (no button down).
export function hoverAt(point, scene) {
  hover = point;
  updateCursor(scene, false);
}

export function hoverLeft() {
  hover = null;
}
