// What the end-to-end tests share: Debian's Chromium on the simulator's page, the
// device's state through /api/state, and touches given as a person gives them, with
// the mouse on the screen element. The screen element is one CSS pixel per point in
// its own box, which the page may scale down to fit the window: points map to the
// page through the element's bounding box.
'use strict';

const fs = require('node:fs');
const zlib = require('node:zlib');
const os = require('node:os');
const path = require('node:path');
const { spawn } = require('node:child_process');
const { chromium } = require('playwright-core');

const BASE_URL = process.env.KAVRO_URL;
if (!BASE_URL) throw new Error('KAVRO_URL is not set: run the tests through tests/e2e/run.sh');

const CHROMIUM = process.env.KAVRO_CHROMIUM || '/usr/bin/chromium';
const CHROMIUM_ARGS = [
  '--headless',
  '--no-sandbox',
  '--disable-gpu',
  '--disable-quic',
  '--no-first-run',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
];

async function api(route) {
  const response = await fetch(new URL(route, BASE_URL));
  if (!response.ok) throw new Error(`${route} answered ${response.status}`);
  return response.json();
}

const state = () => api('/api/state');
const frame = () => api('/api/frame');

async function post(route, body) {
  const response = await fetch(new URL(route, BASE_URL), {
    method: 'POST',
    headers: { 'Content-Type': 'application/json' },
    body: JSON.stringify(body),
  });
  if (!response.ok) throw new Error(`${route} answered ${response.status}: ${await response.text()}`);
}

// Asks the device again and again until `predicate` holds for its state (it may
// return a value, which is passed on); the device runs in real time, so an
// animation or a relaunch takes the time it takes.
async function waitForState(description, predicate, timeout = 10000) {
  const end = Date.now() + timeout;
  let last;
  for (;;) {
    last = await state();
    const result = predicate(last);
    if (result) return result;
    if (Date.now() > end) {
      const summary = { top: last.top, process: last.process, alert: last.alert, prefs: last.prefs };
      throw new Error(`timed out waiting for ${description}; the device shows ${JSON.stringify(summary)}`);
    }
    await new Promise((resolve) => setTimeout(resolve, 40));
  }
}

// Every view of a render tree, depth first.
function* views(node) {
  if (!node) return;
  yield node;
  for (const kid of node.kids || []) yield* views(kid);
}

const centre = ([x, y, width, height]) => ({ x: x + width / 2, y: y + height / 2 });

// Waits until the picture stops changing (no animation runs): the frame is the
// same one a little later.
async function settle(timeout = 10000) {
  const end = Date.now() + timeout;
  for (;;) {
    const { seq } = await frame();
    await new Promise((resolve) => setTimeout(resolve, 150));
    const response = await fetch(new URL(`/api/frame?after=${seq}`, BASE_URL));
    if (response.status === 204) return;
    if (Date.now() > end) throw new Error('the screen kept changing');
  }
}

class Phone {
  // A browser window on the page: 1000 × 940 unless told otherwise (the phone at its
  // natural size), at the given device-pixel ratio; `url` for another server.
  static async open({ viewport = { width: 1000, height: 940 }, deviceScaleFactor = 1, url = BASE_URL } = {}) {
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'kavro-e2e-chromium-'));
    const context = await chromium.launchPersistentContext(profile, {
      executablePath: CHROMIUM,
      headless: true,
      args: CHROMIUM_ARGS,
      viewport,
      deviceScaleFactor,
    });
    const page = context.pages()[0] || (await context.newPage());
    const errors = [];
    page.on('pageerror', (error) => errors.push(error.message));
    // Warnings and errors in the console, and requests that failed: a page that
    // works logs none.
    page.on('console', (message) => {
      if (message.type() === 'error' || message.type() === 'warning') errors.push(`console: ${message.text()}`);
    });
    page.on('requestfailed', (request) => errors.push(`request failed: ${request.url()}`));
    await page.goto(url);
    await page.waitForFunction(() => window.kavro && window.kavro.stats.framesDrawn > 0);
    return new Phone(context, page, profile, errors);
  }

  constructor(context, page, profile, errors) {
    this.context = context;
    this.page = page;
    this.profile = profile;
    this.errors = errors;
  }

  async close() {
    await this.context.close();
    fs.rmSync(this.profile, { recursive: true, force: true });
  }

  // The screen's box on the page, and how many page pixels a point takes there.
  async screenBox() {
    const box = await this.page.locator('#screen').boundingBox();
    const points = await this.page.locator('#screen').evaluate((element) => element.offsetWidth);
    return { ...box, scale: box.width / points };
  }

  // Where a point of the screen is on the page.
  async toPage({ x, y }) {
    const box = await this.screenBox();
    return { x: box.x + x * box.scale, y: box.y + y * box.scale };
  }

  async tap(point) {
    const at = await this.toPage(point);
    await this.page.mouse.click(at.x, at.y);
  }

  async press(point, milliseconds) {
    const at = await this.toPage(point);
    await this.page.mouse.move(at.x, at.y);
    await this.page.mouse.down();
    await this.page.waitForTimeout(milliseconds);
    await this.page.mouse.up();
  }

  async drag(from, to, steps = 10) {
    const start = await this.toPage(from);
    const end = await this.toPage(to);
    await this.page.mouse.move(start.x, start.y);
    await this.page.mouse.down();
    await this.page.mouse.move(end.x, end.y, { steps });
    await this.page.mouse.up();
  }

  // The screen as drawn, in device pixels: {width, height, scale (pixels a point),
  // data (RGBA)}.
  async pixels() {
    const png = await this.page.locator('#screen').screenshot();
    const points = await this.page.locator('#screen').evaluate((element) => element.offsetWidth);
    const picture = decodePng(png);
    return { ...picture, scale: picture.width / points };
  }

  // Waits until the page has drawn the screen as the device shows it now: the
  // device's state can be read before the page is sent its picture.
  async caughtUp() {
    const { seq } = await frame();
    await this.page.waitForFunction((wanted) => (window.kavro.stats.drawnSequence || 0) >= wanted, seq);
  }

  // Taps the button a person sees labelled `label` (a title, a symbol name or an
  // icon's application identifier), once the device offers it.
  async tapButton(label) {
    const button = await waitForState(`a button "${label}"`, (s) => s.buttons.find((b) => b.label === label));
    await this.tap(centre(button.frame));
  }

  // The table cells shown now, with their section, row, text and window frame.
  static cells(s) {
    if (!s.table) return [];
    return s.table.sections.flatMap((section, index) => section.cells.map((cell) => ({ section: index, ...cell })));
  }

  // Taps the cell showing `text` (in `section`, when given).
  async tapCell(text, section) {
    const cell = await waitForState(`a cell "${text}"`, (s) =>
      Phone.cells(s).find((c) => c.text === text && (section === undefined || c.section === section)));
    await this.tap(centre(cell.frame));
  }

  // The settings page of the bundle, in front, with no guide sheet over it.
  async openSettingsPage() {
    await this.page.click('#open-settings');
    const s = await waitForState('the settings page', (s) => s.process === 'settings' && (s.sheet || s.top === 'KavroRootListController') && s);
    if (s.sheet) {
      await this.tapButton('Dismiss');
      await waitForState('the guide to close', (s) => !s.sheet && s.top === 'KavroRootListController');
    }
  }
}

// A PNG as Chromium writes screenshots (8 bits a channel, RGB or RGBA, not
// interlaced), decoded to {width, height, data: RGBA bytes}.
function decodePng(png) {
  let width = 0;
  let height = 0;
  let channels = 0;
  const compressed = [];
  for (let at = 8; at < png.length;) {
    const length = png.readUInt32BE(at);
    const type = png.toString('latin1', at + 4, at + 8);
    const body = png.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      const [depth, colourType, , , interlace] = body.subarray(8, 13);
      channels = { 2: 3, 6: 4 }[colourType];
      if (depth !== 8 || !channels || interlace) throw new Error('a PNG this decoder does not read');
    } else if (type === 'IDAT') {
      compressed.push(body);
    }
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(compressed));
  const stride = width * channels;
  const rows = Buffer.alloc(stride * height);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; x++) {
      const left = x >= channels ? rows[y * stride + x - channels] : 0;
      const up = y > 0 ? rows[(y - 1) * stride + x] : 0;
      const corner = x >= channels && y > 0 ? rows[(y - 1) * stride + x - channels] : 0;
      let value = line[x];
      if (filter === 1) value += left;
      else if (filter === 2) value += up;
      else if (filter === 3) value += (left + up) >> 1;
      else if (filter === 4) {
        const p = left + up - corner;
        const [pa, pb, pc] = [Math.abs(p - left), Math.abs(p - up), Math.abs(p - corner)];
        value += pa <= pb && pa <= pc ? left : pb <= pc ? up : corner;
      }
      rows[y * stride + x] = value & 255;
    }
  }
  const data = Buffer.alloc(width * height * 4);
  for (let i = 0, j = 0; i < width * height; i++, j += channels) {
    data[i * 4] = rows[j];
    data[i * 4 + 1] = rows[j + 1];
    data[i * 4 + 2] = rows[j + 2];
    data[i * 4 + 3] = channels === 4 ? rows[j + 3] : 255;
  }
  return { width, height, data };
}

// The colour of a pixel of `pixels` (from Phone.pixels) at a point of the screen.
function pixelAt(pixels, x, y) {
  const px = Math.min(pixels.width - 1, Math.max(0, Math.round(x * pixels.scale)));
  const py = Math.min(pixels.height - 1, Math.max(0, Math.round(y * pixels.scale)));
  const at = (py * pixels.width + px) * 4;
  return [pixels.data[at], pixels.data[at + 1], pixels.data[at + 2]];
}

// WCAG contrast of two sRGB colours [r, g, b] (0–255).
function contrast(a, b) {
  const luminance = (rgb) => {
    const [r, g, bl] = rgb.map((c) => {
      const v = c / 255;
      return v <= 0.03928 ? v / 12.92 : ((v + 0.055) / 1.055) ** 2.4;
    });
    return 0.2126 * r + 0.7152 * g + 0.0722 * bl;
  };
  const [light, dark] = [luminance(a), luminance(b)].sort((x, y) => y - x);
  return (light + 0.05) / (dark + 0.05);
}

// A `kavro-sim serve` of a test's own on a new device in `folder` (any free port),
// with `args` added (such as --bundle DIR): {child, url, device} once it listens.
function startServer(folder, args = []) {
  if (!process.env.KAVRO_SIM) throw new Error('KAVRO_SIM is not set: run the tests through tests/e2e/run.sh');
  const device = path.join(folder, 'device');
  return new Promise((resolve, reject) => {
    const child = spawn(process.env.KAVRO_SIM, ['serve', '--device', device, '--port', '0', ...args],
      { stdio: ['ignore', 'pipe', 'pipe'] });
    let output = '';
    child.stdout.on('data', (data) => {
      output += data;
      const match = output.match(/http:\/\/127\.0\.0\.1:\d+\//);
      if (match) resolve({ child, url: match[0], device });
    });
    child.stderr.on('data', () => {});
    child.on('exit', (code) => reject(new Error(`kavro-sim serve stopped (${code}) before listening: ${output}`)));
  });
}

// Stops a server startServer started; resolves once it has exited.
function stopServer(server) {
  return new Promise((resolve) => {
    if (!server || server.child.exitCode !== null) return resolve();
    server.child.on('exit', resolve);
    server.child.kill('SIGTERM');
  });
}

module.exports = {
  startServer, stopServer,
  BASE_URL, Phone, api, state, frame, post, views, centre, settle, waitForState, pixelAt, contrast,
};
