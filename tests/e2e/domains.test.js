// The panel's Domain chooser: every domain an installed bundle's rows name, Kavro's
// first; the chosen one's stored values shown live (a value another program writes
// appears), kept across a reload of the page, and Kavro's again when the chosen
// domain is no longer listed.
'use strict';

const { describe, test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { execFileSync } = require('node:child_process');
const { Phone, startServer, stopServer } = require('./harness');

const INFO = `<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
  <key>CFBundleName</key><string>Dials</string>
  <key>NSPrincipalClass</key><string>PSListController</string>
</dict></plist>`;

// Rows of two domains besides Kavro's, the later one first in the list.
const ROOT = `<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
  <key>title</key><string>Dials</string>
  <key>items</key><array>
    <dict><key>cell</key><string>PSSwitchCell</string><key>defaults</key><string>org.example.zeta</string>
      <key>key</key><string>on</string><key>label</key><string>Zeta</string></dict>
    <dict><key>cell</key><string>PSSliderCell</string><key>defaults</key><string>org.example.dials</string>
      <key>key</key><string>volume</string><key>min</key><integer>0</integer><key>max</key><integer>10</integer></dict>
  </array>
</dict></plist>`;

describe("the panel's domain chooser", () => {
  let folder, server, phone;
  const defaults = (...args) => execFileSync(path.join(path.dirname(process.env.KAVRO_SIM), 'kavro-defaults'),
    ['--device', server.device, ...args]);
  const shownValue = (key) => phone.page.$eval(`#prefs dd[data-key="${key}"]`, (element) => element.textContent)
    .catch(() => null);

  before(async () => {
    folder = fs.mkdtempSync(path.join(os.tmpdir(), 'kavro-e2e-domains-'));
    const bundle = path.join(folder, 'Dials.bundle');
    fs.mkdirSync(bundle);
    fs.writeFileSync(path.join(bundle, 'Info.plist'), INFO);
    fs.writeFileSync(path.join(bundle, 'Root.plist'), ROOT);
    server = await startServer(folder, ['--bundle', bundle]);
    phone = await Phone.open({ url: server.url });
  });
  after(async () => {
    if (phone) await phone.close();
    await stopServer(server);
    if (folder) fs.rmSync(folder, { recursive: true, force: true });
  });

  test("lists each bundle's domains once, Kavro's first and chosen", async () => {
    await phone.page.waitForFunction(() => document.querySelectorAll('#domain option').length >= 3);
    const options = await phone.page.$$eval('#domain option', (list) => list.map((option) => option.value));
    assert.deepEqual(options, ['com.qelm.kavroprefs', 'org.example.dials', 'org.example.zeta']);
    assert.equal(await phone.page.inputValue('#domain'), 'com.qelm.kavroprefs');
    // Labelled, so that a screen reader names it.
    assert.equal(await phone.page.getByLabel('Domain').evaluate((element) => element.id), 'domain');
  });

  test('shows the chosen domain and what another program writes to it', async () => {
    // By the keyboard: focus the chooser and pick the next domain.
    await phone.page.focus('#domain');
    await phone.page.keyboard.press('ArrowDown');
    assert.equal(await phone.page.inputValue('#domain'), 'org.example.dials');
    await phone.page.waitForSelector('#prefs .empty');
    assert.equal(await phone.page.isHidden('#prefs-file'), true, "the file badge is Kavro's domain's");

    defaults('write', 'org.example.dials', 'volume', '-int', '7');
    await phone.page.waitForFunction(() => {
      const value = document.querySelector('#prefs dd[data-key="volume"]');
      return value && value.textContent === '7';
    }, null, { timeout: 5000 });
    const panel = await (await fetch(new URL('/api/panel', server.url))).json();
    assert.deepEqual(panel.domains['org.example.dials'], { volume: 7 });
    assert.deepEqual(panel.domains['org.example.zeta'], {});
    assert.deepEqual(panel.domains['com.qelm.kavroprefs'], panel.prefs);
  });

  test('the choice outlasts a reload, and Kavro is shown again when it is gone', async () => {
    await phone.page.reload();
    await phone.page.waitForFunction(() => document.querySelector('#prefs dd[data-key="volume"]'));
    assert.equal(await phone.page.inputValue('#domain'), 'org.example.dials');
    assert.equal(await shownValue('volume'), '7');

    // A chosen domain no bundle names any more (as after a bundle is removed).
    await phone.page.evaluate(() => sessionStorage.setItem('kavroChosenDomain', 'org.example.gone'));
    await phone.page.reload();
    await phone.page.waitForFunction(() => document.querySelectorAll('#domain option').length >= 3);
    assert.equal(await phone.page.inputValue('#domain'), 'com.qelm.kavroprefs');
    assert.equal(await phone.page.isHidden('#prefs-file'), false);
    assert.equal(await shownValue('volume'), null);
    assert.deepEqual(phone.errors, []);
  });
});
