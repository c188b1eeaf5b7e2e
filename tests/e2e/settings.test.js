// The settings page in the browser: the master switch, dark appearance, and
// applying with the relaunch that brings the page back.
'use strict';

const { describe, test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { Phone, frame, views, centre, settle, waitForState, pixelAt } = require('./harness');

describe('the settings page', () => {
  let phone;
  before(async () => {
    phone = await Phone.open();
    await phone.openSettingsPage();
  });
  after(async () => {
    if (phone) await phone.close();
  });

  test('a tap on the master switch stores "enabled" and animates the thumb smoothly', async (t) => {
    const before = await waitForState('the master switch', (s) => s.switches.length > 0 && s);
    const wasOn = before.prefs.enabled === true;
    const page = phone.page;
    const startedAt = await page.evaluate(() => performance.now());
    await phone.tap(centre(before.switches[0].frame));

    // The value is stored at the tap; the switch flips when its thumb has overshot.
    await waitForState('"enabled" to change', (s) => s.prefs.enabled === !wasOn);
    await waitForState('the switch to settle', (s) => s.switches[0].isOn === !wasOn && s.switches[0].interaction);
    await settle();

    // The server sends a frame only when the picture changed, so the frames drawn
    // since the tap are those of the thumb's movement (0.3 s of the 0.35 s change):
    // a figure for the report, not a timed assertion.
    const drawn = await page.evaluate((from) => window.kavro.stats.history.filter((time) => time >= from).length,
      startedAt);
    const perSecond = Math.round(drawn / 0.3);
    t.diagnostic(`frames drawn during the switch animation: ${drawn} (about ${perSecond} frames/s)`);
    console.log(`e2e: switch animation drawn at about ${perSecond} frames/s`);
    assert.ok(drawn > 0, 'the animation was drawn');
    assert.deepEqual(phone.errors, []);
  });

  test('dark appearance turns the page dark', async () => {
    await phone.page.click('#appearance-dark');
    await waitForState('dark appearance', (s) => s.appearance === 'dark');
    // The grouped table's background, away from every cell, once a dark frame is drawn.
    await phone.page.waitForFunction(() => window.kavro.lastAppearance === 'dark');
    const pixels = await phone.pixels();
    const tree = await frame();
    const table = [...views(tree.root)].find((view) => view.k === 'UITableView');
    assert.ok(table && table.bg, 'the table is drawn with a background');
    const [red, green, blue] = [1, 3, 5].map((i) => parseInt(table.bg.slice(i, i + 2), 16));
    assert.ok(red + green + blue < 3 * 40, `the table background ${table.bg} is dark`);
    const [r, g, b] = pixelAt(pixels, 4, 600);
    assert.ok(r + g + b < 3 * 60, `the drawn page is dark at its left edge (${r}, ${g}, ${b})`);

    await phone.page.click('#appearance-light');
    await waitForState('light appearance', (s) => s.appearance === 'light');
  });

  test('apply, confirm, and the page comes back after the relaunch', async () => {
    await phone.tapButton('checkmark.circle.fill');
    await waitForState('the respring alert', (s) => s.alert && s.alert.actions.some((a) => a.title === 'Respring'));
    await phone.tapButton('Respring');
    const relaunched = await waitForState('the relaunch request', (s) => s.log.find((e) => e.event === 'relaunch'));
    assert.equal(relaunched.url, 'prefs:root=Kavro');
    // The home screen restarts in front, and Settings shows the page anew after it.
    const back = await waitForState('the page to come back', (s) =>
      s.process === 'settings' && s.t >= relaunched.t + 0.5 && s.top === 'KavroRootListController' && !s.alert && s);
    assert.equal(back.title, 'Kavro');
    // The page's event log shows the request too.
    await phone.page.waitForSelector('#log li[data-event="relaunch"]');
  });
});
