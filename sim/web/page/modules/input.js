// Input on the phone: the mouse and touch become touches at points of the screen
// (one pointer at a time), the wheel and the trackpad scroll the view under the
// pointer (summed and sent once a display frame), and keys type into the field
// being edited. A press goes out before anything else is done for it; sound is set
// up after it.

import { isConnected, send } from './connection.js';
import { layout, pointInScreen, screenSize } from './fitting.js';
import { receivedSequence, shownScene } from './frames.js';
import { hoverAt, hoverLeft } from './hover.js';
import { activate } from './mirror.js';
import { prepareSoundSoon } from './sound.js';
import { stats } from './stats.js';

const screenElement = document.getElementById('screen');
let activePointer = null;
let pendingWheel = null;

export const pointerIsDown = () => activePointer !== null;

// The connection went: a finger down is the server's to lift, and the wheel's sum
// is dropped.
export function forgetInput() {
  activePointer = null;
  pendingWheel = null;
}

function touch(phase, event) {
  send({ type: 'touch', phase, ...(event ? pointInScreen(event.clientX, event.clientY) : {}) });
}

function pointerDown(event) {
  if (event.button !== 0 || activePointer !== null) return;
  activePointer = event.pointerId;
  touch('down', event);
  // For the figures the browser tests report: when the press happened, went out,
  // and (frames.js, app.js) when its first changed frame came and was drawn.
  stats.lastPress = { event: event.timeStamp, sent: performance.now(), sequence: receivedSequence() };
  try {
    screenElement.setPointerCapture(event.pointerId);
  } catch (error) {
    // A pointer the browser does not know (made up by a script) is not captured.
  }
  screenElement.focus({ preventScroll: true });
  event.preventDefault();
  prepareSoundSoon();
}

function pointerMove(event) {
  if (event.pointerId !== activePointer) {
    if (activePointer === null) hoverAt(pointInScreen(event.clientX, event.clientY), shownScene());
    return;
  }
  stats.moves = (stats.moves || 0) + 1;
  touch('move', event);
}

function pointerUp(event) {
  if (event.pointerId !== activePointer) return;
  activePointer = null;
  touch('up', event);
  if (stats.lastPress) stats.lastPress.up = event.timeStamp;
}

function cancelTouch(event) {
  if (event.pointerId !== activePointer) return;
  activePointer = null;
  touch('cancel');
}

// Lines and pages as the browser counts them, in CSS pixels; the phone shows
// `scale` CSS pixels a point, so content follows the fingers on a trackpad.
function wheel(event) {
  event.preventDefault();
  const screen = screenSize();
  if (!screen || !isConnected() || event.ctrlKey) return; // a pinch is no scroll
  const unit = event.deltaMode === 1 ? 16 : event.deltaMode === 2 ? screen.height : 1;
  const perPoint = layout.scale || 1;
  const point = pointInScreen(event.clientX, event.clientY);
  if (!pendingWheel) pendingWheel = { x: point.x, y: point.y, dx: 0, dy: 0 };
  pendingWheel.x = point.x;
  pendingWheel.y = point.y;
  pendingWheel.dx += (event.deltaX * unit) / perPoint;
  pendingWheel.dy += (event.deltaY * unit) / perPoint;
  stats.wheelEvents = (stats.wheelEvents || 0) + 1;
}

// The wheel's movements since the last display frame, as one.
export function sendWheel() {
  if (!pendingWheel) return;
  const { x, y, dx, dy } = pendingWheel;
  pendingWheel = null;
  const round = (value) => Math.round(value * 100) / 100;
  if (dx === 0 && dy === 0) return;
  send({ type: 'wheel', x, y, dx: round(dx), dy: round(dy) });
  stats.wheelsSent = (stats.wheelsSent || 0) + 1;
}

// The message a key sends, or null: Return and Esc only while a field is edited.
function keyMessage(key, editing) {
  if (key === 'Escape' || key === 'Enter') return editing ? { type: 'key', key: key === 'Escape' ? 'escape' : 'return' } : null;
  if (key === 'Backspace') return { type: 'key', backspace: 1 };
  if (Array.from(key).length === 1) return { type: 'key', text: key };
  return null;
}

// Typing reaches the field being edited on the phone (with none, the simulator
// drops the keys quietly); Return is the keyboard's return key and Esc ends editing
// as the field's Cancel does; Tab moves the focus between the phone and the panel
// as the browser does; Enter or Space on a mirrored element taps it.
function keyDown(event) {
  if (event.ctrlKey || event.metaKey || event.altKey || event.key === 'Tab') return;
  const target = event.target instanceof Element ? event.target : null;
  const inPanel = target && target.closest('.panel');
  if (inPanel && (event.key === ' ' || event.key === 'Enter')) return; // a panel button's own keys
  const scene = shownScene();
  const editing = Boolean(scene && scene.editing);
  const mirrored = target && target.closest('#mirror [data-id]');
  if (mirrored && (event.key === 'Enter' || event.key === ' ')) {
    const typingInField = editing && ['searchbox', 'textbox'].includes(mirrored.getAttribute('role'));
    if (!typingInField) {
      event.preventDefault();
      activate(mirrored);
      return;
    }
  }
  const message = keyMessage(event.key, editing);
  if (!message) return;
  send(message);
  stats.lastKey = message;
  if (editing) event.preventDefault();
  prepareSoundSoon();
}

function paste(event) {
  const text = (event.clipboardData && event.clipboardData.getData('text')) || '';
  const printable = Array.from(text.replace(/[\u0000-\u001f\u007f]/g, ' ')).slice(0, 64).join('');
  if (printable) send({ type: 'key', text: printable });
  event.preventDefault();
}

export function listenForInput() {
  screenElement.addEventListener('pointerdown', pointerDown);
  screenElement.addEventListener('pointermove', pointerMove);
  screenElement.addEventListener('pointerup', pointerUp);
  screenElement.addEventListener('pointercancel', cancelTouch);
  screenElement.addEventListener('lostpointercapture', cancelTouch);
  screenElement.addEventListener('pointerleave', hoverLeft);
  screenElement.addEventListener('contextmenu', (event) => event.preventDefault());
  screenElement.addEventListener('wheel', wheel, { passive: false });
  document.addEventListener('keydown', keyDown);
  document.addEventListener('paste', paste);
}
