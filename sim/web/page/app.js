// The simulated iPhone in the browser: draws the render trees the server pushes,
// scaled to fit the window, turns pointer, wheel and key input into touches,
// scrolling and typing, mirrors what is on the screen for screen readers, and
// shows the stored settings and the device's events beside the phone. Everything
// comes over one WebSocket (/api/live); the page polls nothing. It knows nothing of
// the platform's look or classes: every colour, radius, shape and material comes in
// the render tree (docs/simulator.md). This module starts the others and runs the
// loop that draws a frame each display frame; each concern is a module of its own
// in modules/.

import { listenToAddress, openFromAddress, showAddress } from './modules/address.js';
import { showBundles } from './modules/bundles.js';
import { connect } from './modules/connection.js';
import { draw } from './modules/drawing.js';
import { followPixelRatio, layout, screenSize, setScreen } from './modules/fitting.js';
import {
  drawRequested, receiveFrame, shownFrame, shownScene, showNextFrame, takeDrawRequest,
} from './modules/frames.js';
import { updateCursor } from './modules/hover.js';
import { forgetInput, listenForInput, pointerIsDown, sendWheel } from './modules/input.js';
import { updateMirror } from './modules/mirror.js';
import { showConnected, showRefused } from './modules/notices.js';
import { appendEvents, clearLog, listenToPanel, showPanel } from './modules/panel.js';
import { showReloadProblems } from './modules/reloads.js';
import { loadSymbols } from './modules/pictures.js';
import { answerScreenshot, listenForScreenshots } from './modules/screenshot.js';
import { forgetOlderThanASecond, stats } from './modules/stats.js';

// Read by end-to-end tests: the page's figures and how the phone sits in the window.
window.kavro = { stats, layout };

const handlers = {
  hello(message) {
    setScreen(message.screen);
    clearLog();
    openFromAddress();
  },
  frame: receiveFrame,
  panel(message) {
    showPanel(message);
    showAddress(message);
    showBundles(message.bundles);
    showReloadProblems(message.reloadErrors);
  },
  events(message) {
    appendEvents(message.events, !message.history);
  },
  refused(message) {
    stats.refused++;
    showRefused(message.error);
  },
  error(message) {
    console.warn(`the simulator refused an input: ${message.error}`);
  },
  screenshot: answerScreenshot,
};

function connectionChanged(connected) {
  if (!connected) forgetInput();
  showConnected(connected);
}

// The figures of a frame drawn: when, and for the latest press, when its first
// changed frame was.
function countDrawn(now, frame) {
  const press = stats.lastPress;
  if (press && press.drawn === undefined && frame && frame.seq > press.sequence) press.drawn = performance.now();
  stats.framesDrawn++;
  stats.times.push(now);
  stats.history.push(now);
  if (stats.history.length > 600) stats.history.shift();
  if (frame) window.kavro.lastAppearance = frame.appearance;
}

function drawScreen(now) {
  const fresh = takeDrawRequest();
  const frame = shownFrame();
  const drawStart = performance.now();
  draw(frame);
  stats.drawMilliseconds = performance.now() - drawStart;
  if (stats.drawTimes) stats.drawTimes.push(stats.drawMilliseconds);
  stats.lastDrawn = now;
  if (frame) stats.drawnSequence = frame.seq;
  if (fresh) countDrawn(now, frame);
}

function renderLoop() {
  requestAnimationFrame(renderLoop);
  if (!screenSize()) return; // nothing to draw on before the server has said what
  followPixelRatio();
  sendWheel();
  const now = performance.now();
  const fresh = showNextFrame();
  // The caret blinks and the clock turns even when no new frame came.
  const scene = shownScene();
  const blinking = Boolean(scene && scene.caret);
  if (drawRequested() || blinking || now - stats.lastDrawn > 1000) drawScreen(now);
  if (fresh) {
    updateMirror(scene);
    updateCursor(scene, pointerIsDown());
  }
  forgetOlderThanASecond(now);
}

listenForInput();
listenToPanel();
listenToAddress();
listenForScreenshots();
loadSymbols();
connect(handlers, connectionChanged);
requestAnimationFrame(renderLoop);
