// The page around the phone: fitting the window at any size and pixel ratio, the
// wheel and the trackpad, hovering, the keyboard, the accessibility mirror, the
// event panel's line breaks, and what the page shows while the server is gone.
'use strict';

const { spawn } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { describe, test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { Phone, centre, settle, waitForState } = require('./harness');

const ALL = 1;
const SMALLEST = { width: 1280, height: 720 };

// How the phone and the panel sit in the window, and whether the page scrolls.
async function placement(page) {
  return page.evaluate(() => {
    const box = (selector) => {
      const rect = document.querySelector(selector).getBoundingClientRect();
      return { left: rect.left, top: rect.top, right: rect.right, bottom: rect.bottom };
    };
    const scroller = document.scrollingElement;
    return {
      phone: box('.bezel'),
      screen: box('#screen'),
      panel: box('.panel'),
      window: { width: window.innerWidth, height: window.innerHeight },
      scrolls: scroller.scrollHeight > window.innerHeight || scroller.scrollWidth > window.innerWidth,
      canvas: { width: document.getElementById('canvas').width, height: document.getElementById('canvas').height },
      layout: { ...window.kavro.layout },
    };
  });
}

const rowsOf = (s, section) => Phone.cells(s).filter((cell) => cell.section === section);

describe('the page around the phone', () => {
  let phone;
  before(async () => {
    phone = await Phone.open({ viewport: SMALLEST });
    await phone.openSettingsPage();
    await settle();
  });
  after(async () => {
    if (phone) await phone.close();
  });

  test('the whole phone fits the window without scrolling, sharp at any pixel ratio; a narrow window puts the panel below', async (t) => {
    const page = phone.page;
    const devTools = await page.context().newCDPSession(page);
    try {
      for (const pixelRatio of [1, 2]) {
        for (const size of [{ width: 1440, height: 900 }, { width: 1366, height: 768 }, SMALLEST]) {
          await devTools.send('Emulation.setDeviceMetricsOverride', { ...size, deviceScaleFactor: pixelRatio, mobile: false });
          await page.waitForFunction((ratio) => window.kavro.layout.pixelRatio === ratio, pixelRatio);
          await page.waitForTimeout(50);
          const p = await placement(page);
          const where = `${size.width}×${size.height} at ${pixelRatio}×`;
          t.diagnostic(`${where}: phone scaled to ${p.layout.scale.toFixed(3)}, canvas ${p.canvas.width}×${p.canvas.height}`);
          assert.ok(p.phone.top >= 0 && p.phone.left >= 0 && p.phone.bottom <= size.height && p.phone.right <= size.width,
            `${where}: the phone ${JSON.stringify(p.phone)} is wholly in the window`);
          assert.ok(!p.scrolls, `${where}: the page does not scroll`);
          assert.ok(p.panel.left >= p.phone.right && p.panel.bottom <= size.height, `${where}: the panel is beside the phone`);
          // One canvas pixel for each pixel of the display: points × ratio × scale.
          assert.equal(p.canvas.width, Math.round(390 * pixelRatio * p.layout.scale), `${where}: canvas width`);
          assert.equal(p.canvas.height, Math.round(844 * pixelRatio * p.layout.scale), `${where}: canvas height`);
          assert.ok(Math.abs((p.screen.right - p.screen.left) - 390 * p.layout.scale) < 0.5, `${where}: screen box`);
        }
      }
      await devTools.send('Emulation.setDeviceMetricsOverride', { width: 600, height: 900, deviceScaleFactor: 1, mobile: false });
      await page.waitForFunction(() => window.kavro.layout.stacked);
      const narrow = await placement(page);
      assert.ok(narrow.panel.top >= narrow.phone.bottom, 'on a narrow window the panel is below the phone');
      assert.ok(narrow.phone.right <= 600 && narrow.phone.bottom <= 900, 'and the phone still fits');
    } finally {
      await devTools.send('Emulation.clearDeviceMetricsOverride');
      await devTools.detach();
    }
    await page.waitForFunction(() => !window.kavro.layout.stacked && window.kavro.layout.scale < 1);

    // Taps at the frames the state gives land where they are drawn on the scaled phone.
    await phone.tapCell('Blacklisted Apps');
    await waitForState('the picker', (s) => s.top === 'KavroApplicationSelector');
    await settle();
    assert.deepEqual(phone.errors, []);
  });

  test('the wheel scrolls the view under the pointer, coalesced a display frame at a time; the page never scrolls', async () => {
    const page = phone.page;
    const first = rowsOf(await waitForState('the picker', (s) => s.top === 'KavroApplicationSelector' && s), ALL)[0];
    const scale = (await phone.screenBox()).scale;
    const over = await phone.toPage({ x: 200, y: first.frame[1] + 30 });
    await page.mouse.move(over.x, over.y);
    await page.mouse.wheel(0, 120);
    const moved = await waitForState('the table to scroll', (s) => {
      const row = Phone.cells(s).find((cell) => cell.section === ALL && cell.row === first.row);
      return row && row.frame[1] < first.frame[1] - 1 && row;
    });
    await settle();
    const afterWheel = Phone.cells(await waitForState('state', (s) => s)).find((c) => c.section === ALL && c.row === first.row);
    assert.ok(Math.abs(first.frame[1] - afterWheel.frame[1] - 120 / scale) < 1,
      `the content followed the wheel: ${first.frame[1]} → ${afterWheel.frame[1]} (${moved.frame[1]} on the way)`);
    assert.equal(await page.evaluate(() => window.scrollY), 0, 'the page did not scroll');

    // Ten wheel events within one display frame go out as one scroll of their sum.
    const sentBefore = await page.evaluate(() => window.kavro.stats.wheelsSent || 0);
    await page.evaluate(({ x, y }) => {
      const screen = document.getElementById('screen');
      for (let i = 0; i < 10; i++) {
        screen.dispatchEvent(new WheelEvent('wheel', { deltaY: 10, clientX: x, clientY: y, bubbles: true, cancelable: true }));
      }
    }, over);
    await page.waitForFunction((before) => (window.kavro.stats.wheelsSent || 0) > before, sentBefore);
    await settle();
    const afterBurst = Phone.cells(await waitForState('state', (s) => s)).find((c) => c.section === ALL && c.row === first.row);
    assert.equal(await page.evaluate(() => window.kavro.stats.wheelsSent), sentBefore + 1, 'one message for the burst');
    assert.ok(Math.abs(afterWheel.frame[1] - afterBurst.frame[1] - 100 / scale) < 1, 'the burst scrolled by its sum');

    // On a narrow window the page itself scrolls (the panel is below the phone), but
    // never for a wheel over the phone; back to the top of the table.
    await page.setViewportSize({ width: 600, height: 700 });
    await page.waitForFunction(() => window.kavro.layout.stacked);
    await page.evaluate(() => window.scrollTo(0, 60));
    const pageScroll = await page.evaluate(() => window.scrollY);
    assert.ok(pageScroll > 0, 'the narrow page scrolls');
    const middle = await phone.toPage({ x: 200, y: 500 });
    await page.mouse.move(middle.x, middle.y);
    await page.mouse.wheel(0, 300);
    await page.mouse.wheel(0, -5000);
    await waitForState('the table at its top', (s) => {
      const row = Phone.cells(s).find((cell) => cell.section === ALL && cell.row === first.row);
      return row && Math.abs(row.frame[1] - first.frame[1]) < 1;
    });
    assert.equal(await page.evaluate(() => window.scrollY), pageScroll, 'a wheel over the phone never scrolls the page');
    await page.evaluate(() => window.scrollTo(0, 0));
    await page.setViewportSize(SMALLEST);
    await page.waitForFunction(() => !window.kavro.layout.stacked);
    await settle();
  });

  test('hovering shows a pointer over what a tap acts on', async () => {
    const page = phone.page;
    const s = await waitForState('the picker', (s) => s.top === 'KavroApplicationSelector' && s);
    const cursorAt = async (point) => {
      const at = await phone.toPage(point);
      await page.mouse.move(at.x, at.y);
      return page.evaluate(() => getComputedStyle(document.getElementById('screen')).cursor);
    };
    const row = rowsOf(s, ALL)[0];
    assert.equal(await cursorAt(centre(row.frame)), 'pointer', 'over a row');
    const back = s.buttons.find((button) => button.label === 'arrow.left.circle.fill');
    assert.equal(await cursorAt(centre(back.frame)), 'pointer', 'over a bar button');
    // The table's own background beside a section header (a scroll view's pan is no tap).
    assert.equal(await cursorAt({ x: 300, y: row.frame[1] - 20 }), 'default', 'over empty space');
  });

  test('keys: Return reaches the field, Esc ends the search as Cancel does, Tab moves between the phone and the panel', async () => {
    const page = phone.page;
    const s = await waitForState('the picker', (s) => s.top === 'KavroApplicationSelector' && s.search && s);
    assert.equal(s.search.editing, false);
    const field = page.getByRole('searchbox', { name: 'Search' });
    await field.focus();
    await page.keyboard.press('Enter'); // activates the mirrored field: a tap on it
    await waitForState('the search field to be edited', (s) => s.search.editing);
    await phone.caughtUp();
    await page.keyboard.type('ca');
    await waitForState('the search text', (s) => s.search.text === 'ca');
    await phone.caughtUp();
    await page.keyboard.press('Enter');
    assert.deepEqual(await page.evaluate(() => window.kavro.stats.lastKey), { type: 'key', key: 'return' },
      'Return went to the phone as its return key');
    await page.waitForTimeout(200);
    assert.equal((await waitForState('state', (s) => s)).search.text, 'ca', 'Return typed nothing into the field');
    // Esc is the field's Cancel: editing ends and the text goes; the picker's own
    // Done then ends its search.
    await page.keyboard.press('Escape');
    await waitForState('the field to be cancelled', (s) => !s.search.editing && s.search.text === '');
    await phone.tapButton('Done');
    await waitForState('the title buttons', (s) => s.buttons.some((b) => b.label === 'arrow.up.and.down.circle.fill'));
    await settle();

    await page.locator('#screen').focus();
    await page.keyboard.press('Tab');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'open-settings', 'Tab goes to the panel');
    await page.keyboard.press('Shift+Tab');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'screen', 'Shift+Tab comes back to the phone');
    assert.deepEqual(phone.errors, []);
  });

  test('the accessibility mirror: roles, names and states as the platform gives them; activating one taps it', async () => {
    const page = phone.page;
    await waitForState('the picker', (s) => s.top === 'KavroApplicationSelector');
    await settle();
    // The picker: its bar buttons by symbol name, the table's rows by text and detail.
    await page.getByRole('button', { name: 'arrow.up.and.down.circle.fill', exact: true }).waitFor();
    assert.ok(await page.getByRole('table').count() >= 1, 'the table is mirrored');
    const row = page.getByRole('row', { name: 'Books, com.apple.iBooks', exact: true });
    assert.equal(await row.getAttribute('aria-selected'), 'false');
    await row.focus();
    await page.keyboard.press('Enter');
    await waitForState('Books in the list', (s) => (s.prefs.blacklist || []).includes('com.apple.iBooks'));
    await page.waitForFunction(() => [...document.querySelectorAll('#mirror [role="row"]')]
      .filter((r) => r.getAttribute('aria-label') === 'Books, com.apple.iBooks').length === 2);
    // Activated as a screen reader does, by a click on the element: the row in "All
    // Applications" (checked) takes the application out again.
    const checked = page.locator('#mirror [role="row"][aria-selected="true"][aria-label="Books, com.apple.iBooks"]');
    await checked.dispatchEvent('click');
    await waitForState('Books out of the list', (s) => !(s.prefs.blacklist || []).includes('com.apple.iBooks'));
    // Nothing behind the sheet is mirrored: the settings page's rows are not there.
    assert.equal(await page.getByRole('row', { name: /^Blacklisted Apps/ }).count(), 0);
    await settle();
    await page.getByRole('button', { name: 'arrow.left.circle.fill', exact: true }).dispatchEvent('click');
    await waitForState('the settings page', (s) => s.top === 'KavroRootListController');
    await settle();

    // The settings page: switches with their state; a change of state changes only that.
    const s = await waitForState('the switches', (s) => s.switches.length >= 2 && s);
    const haptic = page.getByRole('switch', { name: 'Haptic Feedback', exact: true });
    await haptic.waitFor();
    const wasOn = (await haptic.getAttribute('aria-checked')) === 'true';
    assert.equal(wasOn, s.switches[1].isOn, 'the mirrored switch shows the switch\'s state');
    await page.evaluate(() => {
      window.mirrorChanges = [];
      new MutationObserver((records) => window.mirrorChanges.push(...records.map((r) => ({
        type: r.type, attribute: r.attributeName, role: r.target.getAttribute && r.target.getAttribute('role'),
      })))).observe(document.getElementById('mirror'), { subtree: true, childList: true, attributes: true });
    });
    await haptic.dispatchEvent('click');
    await waitForState('the switch to flip', (s) => s.switches[1].isOn === !wasOn && s.switches[1].interaction);
    await page.waitForFunction((on) => document.querySelector('#mirror [role="switch"][aria-label="Haptic Feedback"]')
      .getAttribute('aria-checked') === String(on), !wasOn);
    await settle();
    const changes = await page.evaluate(() => window.mirrorChanges);
    assert.ok(changes.length > 0 && changes.every((c) => c.type === 'attributes' && c.role === 'switch' &&
      c.attribute === 'aria-checked'), `only the switch's state changed in the mirror: ${JSON.stringify(changes)}`);
    await haptic.dispatchEvent('click');
    await waitForState('the switch back', (s) => s.switches[1].isOn === wasOn && s.switches[1].interaction);
    await settle();

    // An alert is an alertdialog named by its title, and hides what is behind it.
    await page.getByRole('row', { name: /^Reset Settings/ }).dispatchEvent('click');
    const alert = page.getByRole('alertdialog', { name: 'Kavro' });
    await alert.waitFor();
    assert.equal(await page.getByRole('switch').count(), 0, 'the page behind the alert is not mirrored');
    await alert.getByRole('button', { name: 'Reset Settings', exact: true }).waitFor();
    await alert.getByRole('button', { name: 'Cancel', exact: true }).dispatchEvent('click');
    await waitForState('the alert to go', (s) => !s.alert);
    await settle();
    assert.deepEqual(phone.errors, []);
  });

  test('the event panel breaks lines between words and parts of names, never inside them', async () => {
    const page = phone.page;
    await page.locator('#log li').first().waitFor();
    const broken = await page.evaluate(() => {
      const found = [];
      for (const element of document.querySelectorAll('.log .detail, .log .kind, .prefs dd, .prefs dt')) {
        const walker = document.createTreeWalker(element, NodeFilter.SHOW_TEXT);
        for (let node = walker.nextNode(); node; node = walker.nextNode()) {
          // The pieces between the places a line may break: spaces, and after the
          // separators inside identifiers (where the page offers a break).
          const pieces = node.data.split(/(?<=[\s./_,-])/);
          let offset = 0;
          for (const piece of pieces) {
            const word = piece.trimEnd();
            if (word.length > 1) {
              const range = document.createRange();
              range.setStart(node, offset);
              range.setEnd(node, offset + word.length);
              const lines = new Set([...range.getClientRects()].map((rect) => Math.round(rect.top)));
              if (lines.size > 1) found.push(word);
            }
            offset += piece.length;
          }
        }
      }
      return found;
    });
    assert.deepEqual(broken, [], 'words broken across lines');
  });

  test('while the server is gone a notice shows wherever the window is and the phone looks inactive; both recover', async () => {
    const server = await startServer();
    const watcher = await Phone.open({ viewport: { width: 600, height: 700 }, url: server.url });
    try {
      // A narrow window, scrolled down to the panel below the phone.
      await watcher.page.waitForFunction(() => window.kavro.layout.stacked);
      await watcher.page.evaluate(() => window.scrollTo(0, document.scrollingElement.scrollHeight));
      assert.ok(await watcher.page.evaluate(() => window.scrollY) > 0, 'the page is scrolled');
      const drawn = await watcher.page.evaluate(() => window.kavro.stats.framesDrawn);
      await server.stop();
      const notice = watcher.page.locator('#connection');
      await notice.waitFor({ state: 'visible' });
      const box = await notice.boundingBox();
      assert.ok(box.y >= 0 && box.y + box.height <= 700 && box.x >= 0 && box.x + box.width <= 600,
        `the notice ${JSON.stringify(box)} is inside the window`);
      assert.match(await watcher.page.evaluate(() => getComputedStyle(document.getElementById('screen')).filter),
        /grayscale/, 'the phone looks switched off');

      await server.start();
      await notice.waitFor({ state: 'hidden', timeout: 15000 });
      await watcher.page.waitForFunction((before) => window.kavro.stats.framesDrawn > before, drawn);
      assert.equal(await watcher.page.evaluate(() => getComputedStyle(document.getElementById('screen')).filter), 'none',
        'the phone is lit again');
    } finally {
      await watcher.close();
      await server.stop();
      server.remove();
    }
  });
});

// A server of the test's own, on a device of its own, that can be stopped and
// started again on the same port.
async function startServer() {
  const simulator = process.env.KAVRO_SIM;
  if (!simulator) throw new Error('KAVRO_SIM is not set: run the tests through tests/e2e/run.sh');
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'kavro-e2e-server-'));
  const server = { port: 0, child: null, url: null };
  server.start = () => new Promise((resolve, reject) => {
    const child = spawn(simulator, ['serve', '--device', path.join(folder, 'device'), '--port', String(server.port)],
      { stdio: ['ignore', 'pipe', 'pipe'] });
    server.child = child;
    let output = '';
    child.stdout.on('data', (data) => {
      output += data;
      const match = output.match(/http:\/\/127\.0\.0\.1:(\d+)\//);
      if (match && !server.url) {
        server.port = Number(match[1]);
        server.url = match[0];
      }
      if (match) resolve();
    });
    child.stderr.on('data', () => {});
    child.on('exit', (code) => reject(new Error(`kavro-sim serve stopped (${code}) before listening: ${output}`)));
  });
  server.stop = () => new Promise((resolve) => {
    const child = server.child;
    server.child = null;
    if (!child || child.exitCode !== null) return resolve();
    child.on('exit', () => resolve());
    child.kill('SIGTERM');
  });
  server.remove = () => fs.rmSync(folder, { recursive: true, force: true });
  await server.start();
  return server;
}
