// Fitting the phone to the window. The phone at its natural size (one CSS pixel
// per point) is scaled down as a whole until it fits the window beside the panel;
// when that would shrink it much below the window's height, the panel goes below
// it instead. It is never scaled up. Also where a point of the page falls on the
// screen.

import { requestDraw } from './frames.js';

const screenElement = document.getElementById('screen');
const deskElement = document.getElementById('desk');
const phoneFrame = document.getElementById('phone-frame');
const phoneElement = document.getElementById('phone');
const panelElement = document.querySelector('.panel');

// How the phone sits in the window: its scale, the display's pixel ratio, and
// whether the panel went below it (read by the end-to-end tests).
export const layout = { scale: 1, pixelRatio: window.devicePixelRatio || 1, stacked: false };

let screen = null; // the phone's screen as the server describes it: width, height (points)
// The screen's box on the page, kept until the window is resized or scrolled or the
// phone refitted: reading it afresh in an input handler could make the browser lay
// the page out first.
let screenBox = null;

export const screenSize = () => screen;

// The server described the screen (on connecting).
export function setScreen(described) {
  screen = described;
  screenElement.style.width = `${screen.width}px`;
  screenElement.style.height = `${screen.height}px`;
  fitPhone();
}

function cssPixels(name) {
  return parseFloat(getComputedStyle(document.documentElement).getPropertyValue(name)) || 0;
}

export function fitPhone() {
  if (!screen) return;
  const bezel = parseFloat(getComputedStyle(phoneElement.firstElementChild).paddingLeft) || 0;
  const naturalWidth = screen.width + 2 * bezel;
  const naturalHeight = screen.height + 2 * bezel;
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
  requestDraw();
}

// A change of the display's pixel ratio (zooming, another screen) calls for a
// sharper or smaller canvas; not every such change resizes the window.
export function followPixelRatio() {
  if ((window.devicePixelRatio || 1) !== layout.pixelRatio) fitPhone();
}

// A point of the page in screen points, through the screen's box on the page
// (which the phone's scale shrinks).
export function pointInScreen(clientX, clientY) {
  if (!screenBox) screenBox = screenElement.getBoundingClientRect();
  const box = screenBox;
  if (!screen) return { x: 0, y: 0 };
  const { width, height } = screen;
  return {
    x: Math.round(((clientX - box.left) * width / box.width) * 100) / 100,
    y: Math.round(((clientY - box.top) * height / box.height) * 100) / 100,
  };
}

const forgetScreenBox = () => (screenBox = null);
window.addEventListener('resize', forgetScreenBox);
window.addEventListener('scroll', forgetScreenBox, { passive: true });
window.addEventListener('resize', fitPhone);
