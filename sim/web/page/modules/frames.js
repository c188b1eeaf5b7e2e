// The frames the server pushes and the one on the screen. The page draws one frame
// a display frame; a second that arrives within the same display frame waits for
// the next rather than being dropped (at most two wait, the oldest going first).
// Anything that changes the picture without a new frame (a picture loaded, the
// phone refitted) asks for the screen to be drawn again.

import { sceneOf } from './scene.js';
import { stats } from './stats.js';

const waiting = [];
let shown = null; // the frame on the screen, with its scene
let latestSequence = 0;
let drawPending = true;

export function receiveFrame(message) {
  const press = stats.lastPress;
  if (press && press.received === undefined && message.seq > press.sequence) press.received = performance.now();
  waiting.push(message);
  if (waiting.length > 2) waiting.shift();
  latestSequence = message.seq;
  stats.framesReceived++;
}

// Takes the next waiting frame for the screen; whether there was one.
export function showNextFrame() {
  if (!waiting.length) return false;
  shown = waiting.shift();
  shown.scene = sceneOf(shown.root);
  drawPending = true;
  return true;
}

export const shownFrame = () => shown;
export const shownScene = () => (shown ? shown.scene : null);
// The sequence number of the latest frame received.
export const receivedSequence = () => latestSequence;

export function requestDraw() {
  drawPending = true;
}

export const drawRequested = () => drawPending;

// Whether the screen must be drawn again; asking clears it.
export function takeDrawRequest() {
  const requested = drawPending;
  drawPending = false;
  return requested;
}
