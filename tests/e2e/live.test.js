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
    // A tap's change (the thumb setting off) begins at the release.
    const received = presses.map((p) => p.received - p.up);
    const drawn = presses.map((p) => p.drawn - p.up);
    report(t, `first press after loading: sent ${round(sent[0])} ms after the mouse event, ` +
      `first changed frame received ${round(received[0])} ms after the release, drawn ${round(drawn[0])} ms`);
    report(t, `press (median of ${presses.length}): sent ${round(median(sent))} ms, ` +
      `first changed frame received ${round(median(received))} ms, drawn ${round(median(drawn))} ms`);
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
    const origin = await phone.screenOrigin();
    const x = origin.x + 200;
    const top = origin.y + 350;
    const bottom = origin.y + 700;
    await page.mouse.move(x, bottom);
    await page.mouse.down();
    const started = await page.evaluate(() => performance.now());
    const receivedBefore = await page.evaluate(() => window.kavro.stats.framesReceived);
    const movesBefore = await page.evaluate(() => window.kavro.stats.moves || 0);
    await page.evaluate(() => (window.kavro.stats.drawTimes = []));
    const end = Date.now() + 3000;
    let y = bottom;
    let step = -8;
    // The browser reports a mouse's position once a display frame (60 times a
    // second): movements go out at that pace, each without waiting for the one
    // before to be taken.
    const pending = [];
    for (let next = Date.now(); Date.now() < end; next += 16) {
      y += step;
      if (y <= top || y >= bottom) step = -step;
      pending.push(page.mouse.move(x, y));
      const wait = next + 16 - Date.now();
      if (wait > 0) await new Promise((resolve) => setTimeout(resolve, wait));
    }
    await Promise.all(pending);
    const finished = await page.evaluate(() => performance.now());
    await page.mouse.up();
    const drawn = await page.evaluate(
      ({ from, to }) => window.kavro.stats.history.filter((time) => time >= from && time <= to).length,
      { from: started, to: finished });
    const seconds = (finished - started) / 1000;
    const received = (await page.evaluate(() => window.kavro.stats.framesReceived)) - receivedBefore;
    const drawTimes = await page.evaluate(() => window.kavro.stats.drawTimes);
    const moves = (await page.evaluate(() => window.kavro.stats.moves)) - movesBefore;
    report(t, `dragging the picker table: ${round(drawn / seconds)} distinct frames drawn a second ` +
      `(${round(received / seconds)} received, ${round(moves / seconds)} pointer movements a second; ` +
      `drawing one takes ${round(median(drawTimes))} ms, median)`);
    assert.ok(drawn > 0, 'the drag was drawn');
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
      const origin = await phone.screenOrigin();
      await phone.page.mouse.move(origin.x + 30, origin.y + row.frame[1] + 10);
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
