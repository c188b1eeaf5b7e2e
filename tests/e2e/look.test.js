// How the picker is drawn, checked on the drawn pixels and the render tree: text
// legible on the picker's backdrop in both appearances, section headers that stay
// where they are through swipes and edit mode, and a swiped-open row that stays in
// its rounded group with its action's symbol above its title.
'use strict';

const { describe, test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { Phone, frame, views, centre, settle, waitForState, pixelAt, contrast } = require('./harness');

const CURRENT = 0;
const ALL = 1;
// Added for these tests and removed again at the end; the picker's own tests use others.
const ADDED = [['1Password', 'com.agilebits.onepassword-ios'], ['8 Ball', 'com.example.eightball']];

const blacklist = (s) => s.prefs.blacklist || [];

// The render tree's views under the presented sheet (the picker), with their parents.
function* withParents(view, parents = []) {
  yield [view, parents];
  for (const kid of view.kids || []) yield* withParents(kid, [...parents, view]);
}

async function sheetViews() {
  const tree = await frame();
  const sheet = [...views(tree.root)].find((view) => view.sheet);
  assert.ok(sheet, 'the picker is presented as a sheet');
  return [...withParents(sheet)];
}

async function sectionHeaders() {
  const found = (await sheetViews()).filter(([view]) => view.text && view.text.lines &&
    ['Current Applications', 'All Applications'].includes(view.text.lines[0]));
  return Object.fromEntries(found.map(([view]) => [view.text.lines[0], view.f[0]]));
}

// The contrast of a label's text with what is drawn around it: the colour most of
// its box shows is the background; the pixel farthest from it is the text.
function labelContrast(pixels, [x, y, width, height]) {
  const counts = new Map();
  const colours = [];
  const step = 1 / pixels.scale;
  for (let py = y + 1; py < y + height - 1; py += step) {
    for (let px = x + 1; px < x + width - 1; px += step) {
      const colour = pixelAt(pixels, px, py);
      colours.push(colour);
      const key = colour.map((c) => c >> 3).join(',');
      counts.set(key, (counts.get(key) || 0) + 1);
    }
  }
  const [mode] = [...counts.entries()].sort((a, b) => b[1] - a[1])[0];
  const background = colours.find((colour) => colour.map((c) => c >> 3).join(',') === mode);
  let best = 1;
  for (const colour of colours) best = Math.max(best, contrast(colour, background));
  return best;
}

describe('the picker as drawn', () => {
  let phone;
  before(async () => {
    // Twice the pixels: thin strokes of text reach their full colour.
    phone = await Phone.open({ deviceScaleFactor: 2 });
    await phone.openSettingsPage();
    await phone.tapCell('Blacklisted Apps');
    await waitForState('the picker', (s) => s.top === 'KavroApplicationSelector');
    await settle();
    for (const [name, identifier] of ADDED) {
      if (blacklist(await waitForState('state', (s) => s)).includes(identifier)) continue;
      await phone.tapCell(name, ALL);
      await waitForState(`${name} in the list`, (s) => blacklist(s).includes(identifier));
      await settle();
    }
  });
  after(async () => {
    if (!phone) return;
    try {
      await phone.page.click('#appearance-light');
      for (const [name, identifier] of ADDED) {
        await settle();
        if (!blacklist(await waitForState('state', (s) => s)).includes(identifier)) continue;
        await phone.tapCell(name, ALL);
        await waitForState(`${name} gone from the list`, (s) => !blacklist(s).includes(identifier));
      }
      await settle();
      await phone.tapButton('arrow.left.circle.fill');
      await waitForState('the settings page', (s) => s.top === 'KavroRootListController');
      await settle();
    } finally {
      await phone.close();
    }
  });

  test('every label on the picker reads at 3:1 or more against what is drawn behind it, light and dark', async (t) => {
    for (const appearance of ['light', 'dark']) {
      await phone.page.click(`#appearance-${appearance}`);
      await waitForState(`${appearance} appearance`, (s) => s.appearance === appearance);
      await phone.page.waitForFunction((wanted) => window.kavro.lastAppearance === wanted, appearance);
      await settle();
      const labels = (await sheetViews()).filter(([view, parents]) => view.text &&
        // Wholly on the screen, clear of the home indicator, and not inside a cell
        // that is partly off it.
        view.f[1] >= 0 && view.f[1] + view.f[3] <= 800 &&
        parents.every((parent) => !parent.cell || parent.f[1] + parent.f[3] <= 800));
      assert.ok(labels.length >= 8, `the picker shows labels (${labels.length})`);
      const pixels = await phone.pixels();
      const ratios = labels.map(([view]) => ({
        text: (view.text.lines || view.text.runs.flat().map((run) => run[0]))[0],
        ratio: labelContrast(pixels, view.f),
      }));
      const worst = ratios.reduce((a, b) => (a.ratio <= b.ratio ? a : b));
      const headers = ratios.filter((r) => r.text.endsWith('Applications') && r.text !== 'Select Applications');
      t.diagnostic(`${appearance}: lowest contrast ${worst.ratio.toFixed(2)}:1 ("${worst.text}"); section headers ` +
        headers.map((h) => `${h.ratio.toFixed(2)}:1`).join(', '));
      console.log(`e2e: ${appearance} picker: lowest label contrast ${worst.ratio.toFixed(2)}:1 ("${worst.text}")`);
      assert.equal(headers.length, 2, 'both section headers are on the screen');
      for (const { text, ratio } of ratios) assert.ok(ratio >= 3, `"${text}" reads at ${ratio.toFixed(2)}:1 in ${appearance}`);
    }
    await phone.page.click('#appearance-light');
    await waitForState('light appearance', (s) => s.appearance === 'light');
    await settle();
  });

  test('a row swiped open stays in its rounded group: clipped at the rounded corners, its symbol above its title', async () => {
    const s = await waitForState('two stored rows', (s) => Phone.cells(s).filter((c) => c.section === CURRENT).length >= 2 && s);
    const row = Phone.cells(s).find((cell) => cell.section === CURRENT && cell.row === 0);
    const [x, y, width, height] = row.frame;
    // A short swipe, released: the row stays open on its action.
    await phone.drag({ x: x + width - 20, y: y + height / 2 }, { x: x + width - 120, y: y + height / 2 }, 8);
    await settle();

    const all = await sheetViews();
    const [cell] = all.find(([view]) => view.cell && view.f[1] === y && view.kids.some((kid) => kid.bg && kid.tap));
    assert.ok(cell, 'the swiped row shows its action');
    assert.deepEqual(cell.f, row.frame, 'the row keeps its place in the group');
    assert.ok(cell.clip, 'the row clips what it shows');
    assert.deepEqual(cell.rounded, [true, true, false, false], 'the first of two rows rounds its top corners only');
    const action = cell.kids.find((kid) => kid.bg && kid.tap);
    const [ax, ay, aw, ah] = action.f;
    assert.ok(ax >= x && ax + aw <= x + width + 0.5 && ay >= y && ay + ah <= y + height,
      `the action ${JSON.stringify(action.f)} lies inside the row ${JSON.stringify(row.frame)}`);
    const symbol = action.kids.find((kid) => kid.img && kid.img.sym === 'xmark.circle.fill');
    const title = action.kids.find((kid) => kid.text && kid.text.lines && kid.text.lines[0] === 'Remove');
    assert.ok(symbol && title, 'the action shows its symbol and its title');
    assert.ok(symbol.img.rect[1] + symbol.img.rect[3] <= title.f[1] + 0.5,
      `the symbol ${JSON.stringify(symbol.img.rect)} is above the title ${JSON.stringify(title.f)}`);

    // On the drawn pixels: the action's red fills the row's square bottom corner but
    // not its rounded top corner, and nothing red lies outside the group.
    const pixels = await phone.pixels();
    const red = action.bg;
    const isRed = ([r, g, b]) => Math.abs(r - parseInt(red.slice(1, 3), 16)) < 40 &&
      Math.abs(g - parseInt(red.slice(3, 5), 16)) < 40 && Math.abs(b - parseInt(red.slice(5, 7), 16)) < 40;
    const right = x + width;
    assert.ok(isRed(pixelAt(pixels, right - 8, y + height / 2)), 'the action is drawn');
    assert.ok(isRed(pixelAt(pixels, right - 1, y + height - 1)), 'the square bottom corner is filled');
    assert.ok(!isRed(pixelAt(pixels, right - 1, y + 1)), 'the rounded top corner is cut');
    for (let px = right + 1; px < 390; px += 2) {
      assert.ok(!isRed(pixelAt(pixels, px, y + height / 2)), `nothing of the row is drawn outside its group (x ${px})`);
    }

    // Closed again by a tap elsewhere on the table.
    const header = all.find(([view]) => view.text && view.text.lines && view.text.lines[0] === 'All Applications')[0];
    await phone.tap(centre(header.f));
    await settle();
    const closed = (await sheetViews()).find(([view]) => view.cell && view.f[1] === y)[0];
    assert.ok(!closed.kids.some((kid) => kid.bg && kid.tap), 'the row closed');
  });

  test('section headers keep their place through a swipe and edit mode', async () => {
    const before = await sectionHeaders();
    assert.equal(Object.keys(before).length, 2);
    const s = await waitForState('state', (s) => s);
    const row = Phone.cells(s).find((cell) => cell.section === CURRENT && cell.row === 1);
    const [x, y, width, height] = row.frame;
    // A swipe that is let go half-way closes again: layout passes without a reload.
    await phone.drag({ x: x + width - 20, y: y + height / 2 }, { x: x + width - 60, y: y + height / 2 }, 4);
    await settle();
    assert.deepEqual(await sectionHeaders(), before, 'after a swipe');
    await phone.tapButton('arrow.up.and.down.circle.fill');
    await waitForState('edit mode', (s) => s.table.editing);
    await settle();
    assert.deepEqual(await sectionHeaders(), before, 'in edit mode');
    await phone.tapButton('arrow.up.and.down.circle.fill');
    await waitForState('edit mode to end', (s) => !s.table.editing);
    await settle();
    assert.deepEqual(await sectionHeaders(), before, 'after edit mode');
    assert.deepEqual(phone.errors, []);
  });
});
