// Another bundle's page in the browser, installed with --bundle: a slider dragged
// with the mouse, a segment clicked, a text field typed into and ended with
// Return, each with the role a screen reader finds in the page's mirror; the
// panel's language chooser and its list of bundles; an address that opens the page.
'use strict';

const { describe, test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { Phone, views, centre, waitForState, startServer, stopServer } = require('./harness');

const INFO = `<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
  <key>CFBundleIdentifier</key><string>org.example.dials</string>
  <key>CFBundleName</key><string>Dials</string>
  <key>NSPrincipalClass</key><string>PSListController</string>
</dict></plist>`;

const ROOT = `<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
  <key>title</key><string>Dials</string>
  <key>items</key><array>
    <dict><key>cell</key><string>PSGroupCell</string><key>label</key><string>Controls</string>
      <key>footerText</key><string>Hello</string></dict>
    <dict><key>cell</key><string>PSSliderCell</string><key>defaults</key><string>org.example.dials</string>
      <key>key</key><string>volume</string><key>min</key><integer>0</integer><key>max</key><integer>10</integer>
      <key>default</key><integer>2</integer></dict>
    <dict><key>cell</key><string>PSSegmentCell</string><key>defaults</key><string>org.example.dials</string>
      <key>key</key><string>mode</string><key>default</key><integer>0</integer>
      <key>validTitles</key><array><string>Off</string><string>Auto</string><string>On</string></array>
      <key>validValues</key><array><integer>0</integer><integer>1</integer><integer>2</integer></array></dict>
    <dict><key>cell</key><string>PSEditTextCell</string><key>label</key><string>Name</string>
      <key>defaults</key><string>org.example.dials</string><key>key</key><string>name</string>
      <key>placeholder</key><string>Your name</string></dict>
  </array>
</dict></plist>`;

describe('the standard controls of another bundle', () => {
  let folder, server, phone;
  const api = async (route, body) => {
    const response = await fetch(new URL(route, server.url), body && {
      method: 'POST', headers: { 'Content-Type': 'application/json' }, body: JSON.stringify(body),
    });
    if (!response.ok) throw new Error(`${route} answered ${response.status}`);
    return response.status === 204 ? null : response.json();
  };
  // The cell of the row whose control is of `kind`, once `predicate` holds for it.
  const control = async (kind, description, predicate = () => true) => {
    const end = Date.now() + 10000;
    for (;;) {
      const cell = Phone.cells(await api('/api/state')).find((c) => c.control && c.control.kind === kind);
      if (cell && predicate(cell.control)) return cell.control;
      if (Date.now() > end) throw new Error(`timed out waiting for ${description}: ${JSON.stringify(cell)}`);
      await new Promise((resolve) => setTimeout(resolve, 40));
    }
  };
  const viewWithRole = async (role) => {
    const tree = await api('/api/frame');
    const view = [...views(tree.root)].find((v) => v.ax && v.ax.role === role);
    assert.ok(view, `a view with the role ${role}`);
    return view;
  };

  before(async () => {
    if (!process.env.KAVRO_SIM) throw new Error('KAVRO_SIM is not set: run the tests through tests/e2e/run.sh');
    folder = fs.mkdtempSync(path.join(os.tmpdir(), 'kavro-e2e-controls-'));
    const bundle = path.join(folder, 'Dials.bundle');
    fs.mkdirSync(bundle);
    fs.writeFileSync(path.join(bundle, 'Info.plist'), INFO);
    fs.writeFileSync(path.join(bundle, 'Root.plist'), ROOT);
    fs.mkdirSync(path.join(bundle, 'de.lproj'));
    fs.writeFileSync(path.join(bundle, 'de.lproj', 'Root.strings'), '"Hello" = "Hallo";\n');
    server = await startServer(folder, ['--bundle', bundle]);
    phone = await Phone.open({ url: server.url });
    await api('/api/open', { url: 'prefs:root=Dials' });
    await control('slider', 'the Dials page');
  });
  after(async () => {
    if (phone) await phone.close();
    await stopServer(server);
    if (folder) fs.rmSync(folder, { recursive: true, force: true });
  });

  test('the slider follows a drag of its thumb', async () => {
    assert.equal((await control('slider', 'the slider')).value, 2);
    const slider = await viewWithRole('slider');
    const thumb = slider.kids[slider.kids.length - 1];  // drawn last, over the track
    const [x, y, width] = slider.f;
    await phone.drag(centre(thumb.f), { x: x + width * 0.95, y: centre(thumb.f).y }, 12);
    const moved = await control('slider', 'the slider near its maximum', (c) => c.value > 8);
    assert.ok(moved.value <= 10);
    await phone.page.waitForSelector('#mirror [role="slider"]');
    // A screen reader reads the moved value, as a number too.
    const now = Number(await phone.page.getAttribute('#mirror [role="slider"]', 'aria-valuenow'));
    assert.ok(now > 80 && now <= 100, `aria-valuenow ${now}`);
    assert.deepEqual(phone.errors, []);
  });

  test('a click on a segment selects it', async () => {
    const segments = await viewWithRole('radiogroup');
    const [x, y, width, height] = segments.f;
    await phone.tap({ x: x + width * 5 / 6, y: y + height / 2 });
    const selected = await control('segment', 'the third segment', (c) => c.selected === 2);
    assert.equal(selected.value, 'On');
    await phone.page.waitForSelector('#mirror [role="radiogroup"]');
  });

  test('typing reaches the text field and Return ends editing', async () => {
    const field = await viewWithRole('textbox');
    await phone.tap(centre(field.f));
    await control('text', 'the field to be edited', (c) => c.editing);
    await phone.page.keyboard.type('Ada');
    await control('text', 'the typed text', (c) => c.value === 'Ada');
    // Return goes to the phone once the page shows the field being edited.
    const { seq } = await api('/api/frame');
    await phone.page.waitForFunction((wanted) => (window.kavro.stats.drawnSequence || 0) >= wanted, seq);
    await phone.page.keyboard.press('Enter');
    const ended = await control('text', 'the text stored', (c) => c.value === 'Ada' && !c.editing);
    assert.equal(ended.text, 'Ada');
    await phone.page.waitForSelector('#mirror [role="textbox"]');
    assert.deepEqual(phone.errors, []);
  });

  test("the panel's language chooser shows the page in that language", async () => {
    const footer = async () => (await api('/api/state')).table?.sections?.[0]?.footer;
    await phone.page.selectOption('#language', 'de');
    const end = Date.now() + 10000;
    while ((await footer()) !== 'Hallo') {
      if (Date.now() > end) throw new Error(`the footer stayed ${await footer()}: ${JSON.stringify((await api('/api/state')).table).slice(0, 300)}`);
      await new Promise((resolve) => setTimeout(resolve, 40));
    }
    assert.equal((await api('/api/panel')).language, 'de');
    await phone.page.selectOption('#language', 'en');
    assert.deepEqual(phone.errors, []);
  });

  test('the address opens a page in an appearance and a language, and the panel shows the link to copy', async () => {
    const other = await Phone.open({ url: `${server.url}?open=prefs:root=Dials&appearance=dark&language=de` });
    try {
      const end = Date.now() + 10000;
      for (;;) {
        const panel = await api('/api/panel');
        const footer = (await api('/api/state')).table?.sections?.[0]?.footer;
        if (panel.appearance === 'dark' && panel.language === 'de' && panel.address === 'prefs:root=Dials' && footer === 'Hallo') break;
        if (Date.now() > end) throw new Error(`the address was not followed: ${JSON.stringify({ panel: { appearance: panel.appearance, language: panel.language, address: panel.address }, footer })}`);
        await new Promise((resolve) => setTimeout(resolve, 40));
      }
      await other.page.waitForFunction(() => document.getElementById('address').value.includes('open=prefs%3Aroot%3DDials'));
      const link = await other.page.inputValue('#address');
      const parameters = new URL(link).searchParams;
      assert.equal(parameters.get('open'), 'prefs:root=Dials');
      assert.equal(parameters.get('appearance'), 'dark');
      assert.equal(parameters.get('language'), 'de');
      assert.deepEqual(other.errors, []);
    } finally {
      await other.close();
    }
  });

  test('the panel lists the installed bundles and opens one with a click', async () => {
    const labels = await phone.page.$$eval('#bundles button', (buttons) => buttons.map((b) => b.textContent));
    assert.ok(labels.includes('Kavro') && labels.includes('Dials'), `the panel lists ${labels}`);
    const title = async () => (await api('/api/state')).title;
    for (const [name, wanted] of [['kavroprefs', 'Kavro'], ['Dials', 'Dials']]) {
      await phone.page.click(`#bundles button[data-bundle="${name}"]`);
      const end = Date.now() + 10000;
      while ((await title()) !== wanted) {
        if (Date.now() > end) throw new Error(`the page stayed ${await title()}`);
        await new Promise((resolve) => setTimeout(resolve, 40));
      }
    }
    assert.deepEqual(phone.errors, []);
  });
});
