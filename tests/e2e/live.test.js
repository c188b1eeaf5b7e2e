// The page on the pushed protocol: how fast a press reaches the phone and shows,
// how smoothly a drag of the picker's table is drawn, what an idle page costs,
// two windows pressing at once, and keys with no field to go to. Timings are
// reported as figures, not asserted.
'use strict';

const fs = require('node:fs');
const { describe, test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { Phone, centre, settle, waitForState } = require('./harness');

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
};
const round = (value) => Math.round(value * 10) / 10;

function report(t, text) {
  t.diagnostic(text);
  console.log(`e2e: ${text}`);
}

// The server's processor time so far, in seconds (Linux /proc).
function serverCpuSeconds() {
  const pid = process.env.KAVRO_SERVER_PID;
  if (!pid) return null;
  const fields = fs.readFileSync(`/proc/${pid}/stat`, 'utf8').split(') ')[1].split(' ');
  const ticks = Number(fields[11]) + Number(fields[12]); // utime, stime
  return ticks / 100;
}

// Drags the picker's table up and down for three seconds as a mouse does: the
// button goes down for real, then the pointer moves once a display frame (as the
// browser reports a moving mouse), each movement sent without waiting for the last
// one's effect. Returns what was drawn meanwhile.
async function dragTable(phone) {
  const page = phone.page;
  const from = await phone.toPage({ x: 200, y: 700 });
  const to = await phone.toPage({ x: 200, y: 350 });
  await page.mouse.move(from.x, from.y);
  await page.mouse.down();
  const figures = await page.evaluate(({ x, bottom, top }) => new Promise((done) => {
    const stats = window.kavro.stats;
    const screen = document.getElementById('screen');
    const received = stats.framesReceived;
    const moves = stats.moves || 0;
    stats.drawTimes = [];
    const started = performance.now();
    let y = bottom;
    let step = -8;
    const pointer = (type) => screen.dispatchEvent(new PointerEvent(type, {
      pointerId: 1, pointerType: 'mouse', isPrimary: true, clientX: x, clientY: y, bubbles: true, button: 0,
    }));
    const move = () => {
      const now = performance.now();
      if (now - started >= 3000) {
        pointer('pointerup');
        const seconds = (now - started) / 1000;
        const sorted = [...stats.drawTimes].sort((a, b) => a - b);
        done({
          seconds,
          drawn: stats.history.filter((time) => time >= started && time <= now).length,
          received: stats.framesReceived - received,
          moves: (stats.moves || 0) - moves,
          drawMedian: sorted[Math.floor(sorted.length / 2)] || 0,
          drawSlow: sorted[Math.floor(sorted.length * 0.9)] || 0,
        });
        return;
      }
      y += step;
      if (y <= top || y >= bottom) step = -step;
      pointer('pointermove');
      requestAnimationFrame(move);
    };
    requestAnimationFrame(move);
  }), { x: from.x, bottom: from.y, top: to.y });
  await page.mouse.up();
  return figures;
}

function describeDrag(f) {
  return `${round(f.drawn / f.seconds)} distinct frames drawn a second (${round(f.received / f.seconds)} received, ` +
    `${round(f.moves / f.seconds)} pointer movements a second); drawing one takes ${round(f.drawMedian)} ms ` +
    `(median; 90th percentile ${round(f.drawSlow)} ms)`;
}

describe('the page on the pushed protocol', () => {
  let phone;
  before(async () => {
    phone = await Phone.open();
    await phone.openSettingsPage();
    await settle();
  });
  after(async () => {
    if (phone) await phone.close();
  });

  test('a press reaches the phone at once, the first after loading too', async (t) => {
    const page = phone.page;
    await page.reload();
    await page.waitForFunction(() => window.kavro && window.kavro.stats.framesDrawn > 0);
    await settle();
    const s = await waitForState('the master switch', (s) => s.switches.length > 0 && s);
    const presses = [];
    for (let i = 0; i < 6; i++) {
      await phone.tap(centre(s.switches[0].frame));
      await page.waitForFunction(() => window.kavro.stats.lastPress && window.kavro.stats.lastPress.drawn !== undefined);
      presses.push(await page.evaluate(() => window.kavro.stats.lastPress));
      await waitForState('the switch to settle', (s) => s.switches[0].interaction);
      await settle();
    }
    const sent = presses.map((p) => p.sent - p.event);
    // A tap's change (the thumb setting off) begins at the release; the switch's
    // own animation waits 50 ms before it moves the thumb.
    const received = presses.map((p) => p.received - p.up);
    const drawn = presses.map((p) => p.drawn - p.up);
    const drawnAfterPress = presses.map((p) => p.drawn - p.event);
    report(t, `first press after loading: sent ${round(sent[0])} ms after the mouse event, ` +
      `first changed frame received ${round(received[0])} ms after the release, drawn ${round(drawn[0])} ms ` +
      `(${round(drawnAfterPress[0])} ms after the press)`);
    const later = presses.slice(1);
    report(t, `press (median of the ${later.length} later ones): sent ${round(median(sent.slice(1)))} ms, ` +
      `first changed frame received ${round(median(received.slice(1)))} ms, drawn ${round(median(drawn.slice(1)))} ms ` +
      `(${round(median(drawnAfterPress.slice(1)))} ms after the press)`);
    assert.ok(presses.every((p) => p.drawn >= p.received && p.received >= p.sent), 'each press showed a change');
    assert.deepEqual(phone.errors, []);
  });

  test('idle, the page asks for nothing and the server rests', async (t) => {
    const page = phone.page;
    await settle();
    let requests = 0;
    let messages = 0;
    const countRequest = () => requests++;
    page.on('request', countRequest);
    const socketSeen = (socket) => socket.on('framereceived', () => messages++);
    page.on('websocket', socketSeen);
    const cpuBefore = serverCpuSeconds();
    const started = Date.now();
    await page.waitForTimeout(5000);
    const seconds = (Date.now() - started) / 1000;
    const cpuAfter = serverCpuSeconds();
    page.off('request', countRequest);
    page.off('websocket', socketSeen);
    report(t, `idle for ${round(seconds)} s: ${round(requests / seconds)} requests/s from the page`);
    if (cpuBefore !== null)
      report(t, `idle server: ${round(((cpuAfter - cpuBefore) / seconds) * 100)} % of a core`);
    assert.ok(requests / seconds <= 3, `the idle page made ${requests} requests in ${seconds} s`);
  });

  test('dragging the picker table draws a steady stream of frames', async (t) => {
    const page = phone.page;
    await phone.tapCell('Blacklisted Apps');
    await waitForState('the picker', (s) => s.top === 'KavroApplicationSelector');
    // The page's push starts at the release: its first frame shows the input's
    // effect without any delay of the bundle's own.
    await page.waitForFunction(() => window.kavro.stats.lastPress.drawn !== undefined);
    const push = await page.evaluate(() => window.kavro.stats.lastPress);
    report(t, `tapping a row: first changed frame received ${round(push.received - push.up)} ms after the release, ` +
      `drawn ${round(push.drawn - push.up)} ms`);
    await settle();
    const figures = await dragTable(phone);
    report(t, `dragging the picker table (device-pixel ratio 1): ${describeDrag(figures)}`);
    assert.ok(figures.drawn > 0, 'the drag was drawn');
    await settle();

    // The same on a display of twice the pixels, where the page draws four times as many.
    const viewport = page.viewportSize();
    const devTools = await page.context().newCDPSession(page);
    await devTools.send('Emulation.setDeviceMetricsOverride', { ...viewport, deviceScaleFactor: 2, mobile: false });
    try {
      await page.waitForFunction(() => window.kavro.layout.pixelRatio === 2 &&
        document.getElementById('canvas').width === Math.round(390 * 2 * window.kavro.layout.scale));
      await settle();
      const sharpFigures = await dragTable(phone);
      report(t, `dragging the picker table (device-pixel ratio 2): ${describeDrag(sharpFigures)}`);
    } finally {
      await devTools.send('Emulation.clearDeviceMetricsOverride');
      await devTools.detach();
    }
    await settle();
    await phone.tapButton('arrow.left.circle.fill');
    await waitForState('the settings page', (s) => s.top === 'KavroRootListController');
    await settle();
  });

  test('a press from a second window while the first holds its finger down is refused there, visibly', async () => {
    const other = await Phone.open();
    try {
      const s = await waitForState('the settings page', (s) => s.top === 'KavroRootListController' && s);
      const row = Phone.cells(s).find((cell) => cell.text === 'Blacklisted Apps');
      const at = await phone.toPage({ x: 30, y: row.frame[1] + 10 });
      await phone.page.mouse.move(at.x, at.y);
      await phone.page.mouse.down();
      await waitForState('the first finger', (s) => s.table !== null);
      await other.tap(centre(row.frame));
      await other.page.waitForSelector('#refused:not([hidden])');
      assert.match(await other.page.locator('#refused').innerText(), /finger/);
      assert.equal(await other.page.evaluate(() => window.kavro.stats.refused), 1);
      // The first window's touch goes on and ends as a tap of the row.
      await phone.page.mouse.up();
      await waitForState('the picker', (s) => s.top === 'KavroApplicationSelector');
      await settle();
      await phone.tapButton('arrow.left.circle.fill');
      await waitForState('the settings page', (s) => s.top === 'KavroRootListController');
      assert.deepEqual(other.errors, []);
    } finally {
      await other.close();
    }
  });

  test('keys with no field to go to are dropped quietly', async () => {
    const before = await waitForState('the settings page', (s) => s.top === 'KavroRootListController' && s);
    await phone.page.locator('#screen').focus();
    await phone.page.keyboard.type('hello');
    await phone.page.keyboard.press('Backspace');
    const afterwards = await waitForState('state', (s) => s);
    assert.deepEqual(afterwards.prefs, before.prefs);
    assert.equal(afterwards.top, before.top);
    assert.deepEqual(phone.errors, []);
  });
});
