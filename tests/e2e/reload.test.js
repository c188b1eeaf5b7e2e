// A bundle edited while the phone shows it, in the browser: Settings' first page
// lists it beside Kavro; a saved label shows on the drawn page without a touch
// (the time from the file's write to the frame that shows it, median of 10, is
// reported); a list that cannot be read leaves the page as it was and the panel
// says which file and line, until a good save; the server's idle cost while it
// watches the files is reported.
'use strict';

const { describe, test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { Phone, centre, startServer, stopServer } = require('./harness');

const INFO = '{ CFBundleIdentifier = org.example.tides; CFBundleName = Tides; NSPrincipalClass = PSListController; }\n';
const rootList = (label) => `{ title = Tides; items = (
  { cell = PSGroupCell; label = Water; },
  { cell = PSSwitchCell; label = "${label}"; defaults = org.example.tides; key = rising; default = 1; },
  { cell = PSSwitchCell; label = Ebb; defaults = org.example.tides; key = ebb; },
); }
`;

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const round = (value) => Math.round(value * 10) / 10;

function report(t, text) {
  t.diagnostic(text);
  console.log(`e2e: ${text}`);
}

// An editor's save: the new text in a temporary file, renamed over the old one.
function save(file, text) {
  const temporary = `${file}.tmp-${process.pid}`;
  fs.writeFileSync(temporary, text);
  fs.renameSync(temporary, file);
}

function cpuSeconds(pid) {
  const fields = fs.readFileSync(`/proc/${pid}/stat`, 'utf8').split(') ')[1].split(' ');
  return (Number(fields[11]) + Number(fields[12])) / 100;
}

describe('a bundle reloaded as its files change', () => {
  let folder, bundle, server, phone;
  const api = async (route, body) => {
    const response = await fetch(new URL(route, server.url), body && {
      method: 'POST', headers: { 'Content-Type': 'application/json' }, body: JSON.stringify(body),
    });
    if (!response.ok) throw new Error(`${route} answered ${response.status}`);
    return response.status === 204 ? null : response.json();
  };
  // When (Date.now() in the page) the mirror of the drawn screen first names
  // `label`: the frame that shows it has been drawn.
  const drawnWith = (label, timeout = 5000) => phone.page.evaluate(({ label, timeout }) => new Promise((resolve, reject) => {
    const end = Date.now() + timeout;
    const look = () => {
      const named = [...document.querySelectorAll('#mirror *')]
        .some((element) => element.getAttribute('aria-label') === label || element.textContent === label);
      if (named) return resolve(Date.now());
      if (Date.now() > end) return reject(new Error(`no frame showed "${label}"`));
      requestAnimationFrame(look);
    };
    look();
  }), { label, timeout });

  // Taps what the state of this test's server finds.
  const tapFound = async (description, find) => {
    const end = Date.now() + 10000;
    for (;;) {
      const found = find(await api('/api/state'));
      if (found) return phone.tap(centre(found.frame));
      if (Date.now() > end) throw new Error(`timed out waiting for ${description}`);
      await new Promise((resolve) => setTimeout(resolve, 40));
    }
  };
  const tapButton = (label) => tapFound(`a button "${label}"`, (s) => s.buttons.find((b) => b.label === label));
  const tapCell = (text) => tapFound(`a cell "${text}"`, (s) => Phone.cells(s).find((c) => c.text === text));

  before(async () => {
    if (!process.env.KAVRO_SIM) throw new Error('KAVRO_SIM is not set: run the tests through tests/e2e/run.sh');
    folder = fs.mkdtempSync(path.join(os.tmpdir(), 'kavro-e2e-reload-'));
    bundle = path.join(folder, 'Tides.bundle');
    fs.mkdirSync(bundle);
    fs.writeFileSync(path.join(bundle, 'Info.plist'), INFO);
    fs.writeFileSync(path.join(bundle, 'Root.plist'), rootList('Rising'));
    server = await startServer(folder, ['--bundle', bundle]);
    phone = await Phone.open({ url: server.url });
  });
  after(async () => {
    if (phone) await phone.close();
    await stopServer(server);
    if (folder) fs.rmSync(folder, { recursive: true, force: true });
  });

  test('Settings\' first page lists both bundles, and a tap opens the other one', async () => {
    await tapButton('Dismiss');
    await tapButton('Settings');  // back to the first page
    await drawnWith('Kavro');
    await drawnWith('Tides');
    const rows = (await api('/api/state')).table.sections[0].cells.map((cell) => cell.text);
    assert.deepEqual(rows, ['Kavro', 'Tides']);
    await tapCell('Tides');
    await drawnWith('Rising');
    assert.equal((await api('/api/state')).title, 'Tides');
  });

  test('a saved label shows on the drawn page, timed from the write', async (t) => {
    await api('/api/open', { url: 'prefs:root=Tides' });
    await drawnWith('Rising');
    const times = [];
    for (let i = 1; i <= 10; i++) {
      const label = `Rising ${i}`;
      const shown = drawnWith(label);
      const written = Date.now();
      save(path.join(bundle, 'Root.plist'), rootList(label));
      times.push((await shown) - written);
    }
    const state = await api('/api/state');
    assert.equal(state.title, 'Tides', 'the page stayed');
    assert.ok(median(times) < 1000, `reloaded within a second: ${times}`);
    report(t, `write to reloaded frame: median ${round(median(times))} ms (of 10: ${times.join(', ')} ms)`);
    const panel = await api('/api/panel');
    const reloads = panel.events.filter((event) => event.event === 'reload');
    assert.ok(reloads.length >= 10, 'a reload event for each save');
    assert.deepEqual(reloads[reloads.length - 1].files, ['Root.plist']);
    assert.deepEqual(phone.errors, []);
  });

  test('a list that cannot be read keeps the page, and the panel names its file and line', async () => {
    await api('/api/open', { url: 'prefs:root=Tides' });
    await drawnWith('Rising 10');
    save(path.join(bundle, 'Root.plist'), '{ title = Tides; items = (\n  { cell = PSGroupCell; }\n  { cell = x; }\n); }\n');
    const card = phone.page.locator('#reload-problems');
    await card.waitFor({ state: 'visible', timeout: 5000 });
    const text = await card.textContent();
    assert.match(text, /Tides · Root\.plist · line 3/);
    await drawnWith('Rising 10');
    save(path.join(bundle, 'Root.plist'), rootList('Rising again'));
    await drawnWith('Rising again');
    await card.waitFor({ state: 'hidden', timeout: 5000 });
  });

  test('watching the files costs nothing while idle', async (t) => {
    const seconds = 5;
    const start = cpuSeconds(server.child.pid);
    await new Promise((resolve) => setTimeout(resolve, seconds * 1000));
    const share = (cpuSeconds(server.child.pid) - start) / seconds;
    assert.ok(share < 0.01, `the idle server used ${round(share * 100)} % of a core`);
    report(t, `idle while watching, a page connected: ${round(share * 100)} % of a core over ${seconds} s`);
  });
});
