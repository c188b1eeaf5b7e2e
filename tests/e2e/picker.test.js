// The application picker opened from the settings page, used with the mouse and
// the keyboard: search, add, reorder in edit mode, remove with a swipe.
'use strict';

const { describe, test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { Phone, frame, views, centre, settle, waitForState } = require('./harness');

const CURRENT = 0; // "Current Applications": the stored list, in order
const ALL = 1; // "All Applications", or the search result

describe('the picker opened from the settings page', () => {
  let phone;
  before(async () => {
    phone = await Phone.open();
    await phone.openSettingsPage();
    await phone.tapCell('Blacklisted Apps');
    await waitForState('the picker', (s) => s.top === 'KavroApplicationSelector');
    await settle();
  });
  after(async () => {
    if (phone) await phone.close();
  });

  const blacklist = (s) => s.prefs.blacklist || [];

  test('searching by name and tapping a result adds the application', async () => {
    const start = blacklist(await waitForState('the picker', (s) => s));
    const field = [...views((await frame()).root)].find((view) => view.field);
    assert.ok(field, 'the picker shows a search field');
    await phone.tap(centre(field.f));
    await waitForState('the search field to be edited', (s) => s.search && s.search.editing);

    await phone.page.keyboard.type('calc');
    const found = await waitForState('the search result', (s) => s.search.text === 'calc' && s);
    const results = Phone.cells(found).filter((cell) => cell.section === ALL);
    assert.ok(results.length > 0, 'something matches "calc"');
    assert.ok(results.every((cell) => /calc/i.test(cell.text)), `only matches: ${results.map((c) => c.text)}`);

    await phone.page.keyboard.press('Backspace');
    await waitForState('the search text to lose a letter', (s) => s.search.text === 'cal');
    await settle();
    await phone.tapCell('Calculator', ALL);
    await waitForState('Calculator in the list', (s) => blacklist(s).includes('com.apple.calculator'));
    assert.equal(blacklist(await waitForState('state', (s) => s)).length, start.length + 1);

    // "Done" ends the search: every application is listed again and the title
    // buttons come back.
    await phone.tapButton('Done');
    await waitForState('the whole catalogue', (s) =>
      s.table.sections[ALL].rows > results.length && s.buttons.some((b) => b.label === 'arrow.up.and.down.circle.fill'));
    await settle();
  });

  test('taps add applications at the end of the list', async () => {
    for (const [name, identifier] of [['App Store', 'com.apple.AppStore'], ['Books', 'com.apple.iBooks']]) {
      await phone.tapCell(name, ALL);
      await waitForState(`${name} in the list`, (s) => blacklist(s).at(-1) === identifier);
      await settle();
    }
    const s = await waitForState('three applications', (s) => blacklist(s).length >= 3 && s);
    const current = Phone.cells(s).filter((cell) => cell.section === CURRENT).map((cell) => cell.text);
    assert.deepEqual(current.slice(-3), ['Calculator', 'App Store', 'Books']);
  });

  test('in edit mode a row dragged by its reorder control moves in the stored list', async () => {
    const before = blacklist(await waitForState('state', (s) => s));
    await phone.tapButton('arrow.up.and.down.circle.fill');
    await waitForState('edit mode', (s) => s.table.editing);
    await settle();

    const controls = [...views((await frame()).root)].filter((view) => view.reorder).sort((a, b) => a.f[1] - b.f[1]);
    assert.ok(controls.length >= 2, 'the stored rows show reorder controls');
    const from = centre(controls[0].f);
    const to = centre(controls[1].f);
    await phone.drag(from, { x: from.x, y: to.y + 12 }, 12);

    const expected = [before[1], before[0], ...before.slice(2)];
    await waitForState('the first two applications to swap', (s) =>
      JSON.stringify(blacklist(s)) === JSON.stringify(expected));

    await phone.tapButton('arrow.up.and.down.circle.fill');
    await waitForState('edit mode to end', (s) => !s.table.editing);
    await settle();
  });

  test('a full swipe on a stored row removes that application', async () => {
    const s = await waitForState('state', (s) => s);
    const before = blacklist(s);
    const row = Phone.cells(s).find((cell) => cell.section === CURRENT && cell.row === 0);
    const [x, y, width, height] = row.frame;
    await phone.drag({ x: x + width - 16, y: y + height / 2 }, { x: x + 10, y: y + height / 2 }, 12);
    await waitForState('the row to go', (s) => JSON.stringify(blacklist(s)) === JSON.stringify(before.slice(1)));
    assert.deepEqual(phone.errors, []);
  });
});
