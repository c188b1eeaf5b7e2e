// What the end-to-end tests share: Debian's Chromium on the simulator's page, the
// device's state through /api/state, and touches given as a person gives them, with
// the mouse on the screen element (one CSS pixel per point).
'use strict';

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
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
  static async open() {
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'kavro-e2e-chromium-'));
    const context = await chromium.launchPersistentContext(profile, {
      executablePath: CHROMIUM,
      headless: true,
      args: CHROMIUM_ARGS,
      viewport: { width: 1000, height: 940 },
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
    await page.goto(BASE_URL);
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

  async screenOrigin() {
    const box = await this.page.locator('#screen').boundingBox();
    return { x: box.x, y: box.y };
  }

  async tap({ x, y }) {
    const origin = await this.screenOrigin();
    await this.page.mouse.click(origin.x + x, origin.y + y);
  }

  async press({ x, y }, milliseconds) {
    const origin = await this.screenOrigin();
    await this.page.mouse.move(origin.x + x, origin.y + y);
    await this.page.mouse.down();
    await this.page.waitForTimeout(milliseconds);
    await this.page.mouse.up();
  }

  async drag(from, to, steps = 10) {
    const origin = await this.screenOrigin();
    await this.page.mouse.move(origin.x + from.x, origin.y + from.y);
    await this.page.mouse.down();
    await this.page.mouse.move(origin.x + to.x, origin.y + to.y, { steps });
    await this.page.mouse.up();
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

module.exports = { BASE_URL, Phone, api, state, frame, post, views, centre, settle, waitForState };
