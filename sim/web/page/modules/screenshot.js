// Screenshots: the phone's screen as the page draws it (the window's views, the
// status bar and the home indicator; not the bezel or the panel), at the device's
// own pixels, 390 × 844 points at scale 3 (1170 × 2532), whatever the window's size
// and the display's pixel ratio. The panel's button saves one as a PNG file
// (nothing goes to the server); the server asks for one with {"type": "screenshot",
// "id": N} when GET /api/screenshot is asked, and is answered with the PNG in base64
// (or the reason there is none).

import { send } from './connection.js';
import { drawScreenPicture } from './drawing.js';
import { screenSize } from './fitting.js';
import { shownFrame } from './frames.js';

// The screen drawn at the device's scale, on a canvas of its own.
export function screenshotCanvas() {
  const screen = screenSize();
  const frame = shownFrame();
  if (!screen || !frame) throw new Error('the page has no picture of the screen yet');
  return drawScreenPicture(frame, screen.scale || 3);
}

// The screenshot as a PNG blob.
export function screenshotBlob() {
  return new Promise((resolve, reject) => {
    let canvas;
    try {
      canvas = screenshotCanvas();
    } catch (error) {
      reject(error);
      return;
    }
    canvas.toBlob((blob) => (blob ? resolve(blob) : reject(new Error('the browser could not make a PNG'))), 'image/png');
  });
}

const twoDigits = (number) => String(number).padStart(2, '0');

// kavro-YYYYMMDD-HHMMSS.png, in the local time of `date`.
export function screenshotName(date = new Date()) {
  const day = `${date.getFullYear()}${twoDigits(date.getMonth() + 1)}${twoDigits(date.getDate())}`;
  const time = `${twoDigits(date.getHours())}${twoDigits(date.getMinutes())}${twoDigits(date.getSeconds())}`;
  return `kavro-${day}-${time}.png`;
}

// Saves a screenshot as a download of the browser's.
export async function saveScreenshot() {
  const blob = await screenshotBlob();
  const link = document.createElement('a');
  link.download = screenshotName();
  link.href = URL.createObjectURL(blob);
  link.click();
  // The download has its own copy once it has begun.
  setTimeout(() => URL.revokeObjectURL(link.href), 10000);
}

function base64Of(blob) {
  return new Promise((resolve, reject) => {
    const reader = new FileReader();
    reader.onload = () => resolve(reader.result.slice(reader.result.indexOf(',') + 1));
    reader.onerror = () => reject(reader.error);
    reader.readAsDataURL(blob);
  });
}

// The server's ask: answered with the picture, or with why there is none.
export async function answerScreenshot(message) {
  try {
    const png = await base64Of(await screenshotBlob());
    send({ type: 'screenshot', id: message.id, png });
  } catch (error) {
    send({ type: 'screenshot', id: message.id, error: String(error && error.message ? error.message : error) });
  }
}

export function listenForScreenshots() {
  const button = document.getElementById('screenshot');
  button.addEventListener('click', async () => {
    button.disabled = true;
    try {
      await saveScreenshot();
    } catch (error) {
      console.warn(`no screenshot: ${error.message}`);
    } finally {
      button.disabled = false;
    }
  });
}
