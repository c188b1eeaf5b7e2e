// The home screen in the browser: its pages fit the screen and turn with a swipe;
// a long press on an icon opens its quick-action menu, whose "Edit Shortcuts"
// opens the picker; and the extension's whole loop, from Settings to a shortcut
// opened from the menu and the home gesture that takes it away.
'use strict';

const { describe, test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { Phone, frame, views, centre, settle, state, waitForState, pixelAt } = require('./harness');

const SHOW_DOCK = 'com.qelm.kavroprefs/show.dock';
const SCREEN = { width: 390, height: 844, statusBar: 47, homeIndicator: 34 };
const DOCK = ['com.apple.mobilephone', 'com.apple.mobilesafari', 'com.apple.MobileSMS', 'com.apple.Music'];

// The home screen in front, with no menu and no application over it.
async function homeScreen(phone) {
  await phone.page.click('#open-springboard');
  let s = await waitForState('the home screen', (s) => s.process === 'springboard' && !s.front && s);
  if (s.menu) {
    await phone.tap({ x: SCREEN.width / 2, y: 100 }); // the blur around the menu closes it
    s = await waitForState('the menu to close', (s) => s.menu === null && s);
  }
  await settle();
  return state();
}

// The home gesture, as a person makes it: a drag up from the bottom edge.
async function swipeHome(phone) {
  await phone.drag({ x: SCREEN.width / 2, y: SCREEN.height - 4 }, { x: SCREEN.width / 2, y: SCREEN.height - 250 });
}

// Which page dot is the current one: the one drawn in the current dot's colour.
function currentDot(tree) {
  const control = [...views(tree.root)].find((view) => view.k === 'UIPageControl');
  if (!control || !control.kids) return -1;
  return control.kids.findIndex((dot) => dot.bg === '#FFFFFFFF');
}

describe('the home screen', () => {
  let phone;
  before(async () => {
    phone = await Phone.open();
  });
  after(async () => {
    if (phone) await phone.close();
  });

  test('long press on an icon, Edit Shortcuts, pick, close: the extension is notified', async () => {
    const home = await homeScreen(phone);
    const icon = home.buttons.find((b) => b.label === 'com.apple.mobilesafari');

    // Held as a finger holds it, in real time.
    await phone.press(centre(icon.frame), 900);
    const menu = await waitForState('the shortcut menu', (s) => s.menu && s);
    assert.equal(menu.menu.title, 'Safari');
    assert.equal(menu.alert, null, 'the menu is a context menu, not an alert');
    assert.ok(menu.menu.actions.includes('Edit Shortcuts'));
    await settle();
    await phone.tapButton('Edit Shortcuts');
    await waitForState('the picker', (s) => s.top === 'KavroApplicationSelector' && !s.menu);
    await settle();

    await phone.tapCell('Calculator', 1);
    await waitForState('Calculator stored under the icon\'s key', (s) =>
      (s.prefs['com.apple.mobilesafari'] || []).includes('com.apple.calculator'));

    await phone.tapButton('arrow.left.circle.fill');
    const notified = await waitForState('the notification', (s) =>
      s.log.find((event) => event.event === 'notify' && event.name === SHOW_DOCK));
    assert.equal(notified.process, 'springboard');
    // The menu comes back on the home screen.
    await waitForState('the menu again', (s) =>
      s.top === 'HomeScreenController' && s.menu && s.menu.app === 'com.apple.mobilesafari');
    // The page beside the phone lists the notification.
    await phone.page.waitForSelector(`#log li[data-event="notify"]`);
    assert.match(await phone.page.locator('#log li[data-event="notify"]').first().innerText(), /show\.dock/);
    assert.deepEqual(phone.errors, []);
  });

  test('the home screen fits between the status bar and the home indicator, and a swipe turns its page', async () => {
    const first = await homeScreen(phone);
    const icons = first.buttons;
    assert.ok(icons.length >= 20, `icons on the screen: ${icons.length}`);
    for (const { label, frame: [x, y, width, height] } of icons) {
      assert.ok(y >= SCREEN.statusBar, `${label} at y ${y} is under the status bar`);
      assert.ok(y + height <= SCREEN.height - SCREEN.homeIndicator, `${label} ends at ${y + height}, over the home indicator`);
      assert.ok(x >= 0 && x + width <= SCREEN.width, `${label} at x ${x} is cut by the screen's side`);
    }
    // A dock of four along the bottom, the grid above it.
    const dockTop = Math.min(...icons.filter((b) => DOCK.includes(b.label)).map((b) => b.frame[1]));
    const docked = icons.filter((b) => b.frame[1] >= dockTop).map((b) => b.label).sort();
    assert.deepEqual(docked, [...DOCK].sort());
    assert.equal(currentDot(await frame()), 0);

    // A swipe to the left turns to the next page: other icons, the second dot.
    await phone.drag({ x: 340, y: 420 }, { x: 60, y: 420 });
    await settle();
    const second = await state();
    const grid = (s) => s.buttons.filter((b) => !DOCK.includes(b.label)).map((b) => b.label);
    assert.ok(grid(second).length > 0, 'the second page shows icons');
    assert.deepEqual(grid(second).filter((label) => grid(first).includes(label)), [], 'the second page shows other icons');
    assert.equal(currentDot(await frame()), 1);
    for (const { label, frame: [x, , width] } of second.buttons)
      assert.ok(x >= 0 && x + width <= SCREEN.width, `${label} at x ${x} rests on the page`);

    // And back.
    await phone.drag({ x: 60, y: 420 }, { x: 340, y: 420 });
    await settle();
    assert.equal(currentDot(await frame()), 0);
    assert.deepEqual(phone.errors, []);
  });

  test('the whole loop: enable, respring, add a shortcut from the menu, open it, and go home', async () => {
    await phone.page.click('#appearance-light');
    await phone.openSettingsPage();
    const s = await state();
    if (s.prefs.enabled !== true) {
      const before = await waitForState('the master switch', (s) => s.switches.length > 0 && s);
      await phone.tap(centre(before.switches[0].frame));
      await waitForState('"enabled" to be stored', (s) => s.prefs.enabled === true);
      await settle();
    }
    // Applying restarts the home screen, which reads the settings as it starts.
    await phone.tapButton('checkmark.circle.fill');
    await waitForState('the respring alert', (s) => s.alert && s.alert.actions.some((a) => a.title === 'Respring'));
    await phone.tapButton('Respring');
    const relaunched = await waitForState('the relaunch', (s) => s.log.find((e) => e.event === 'relaunch'));
    await waitForState('the settings page back', (s) =>
      s.process === 'settings' && s.t >= relaunched.t + 0.5 && s.top === 'KavroRootListController' && !s.alert);
    await settle();

    // The home gesture leaves Settings for the home screen.
    await swipeHome(phone);
    const home = await waitForState('the home screen', (s) => s.process === 'springboard' && s.front === null && s);
    await settle();

    // Messages has no shortcuts yet: its menu offers the add button.
    const icon = home.buttons.find((b) => b.label === 'com.apple.MobileSMS');
    await phone.press(centre(icon.frame), 900);
    const empty = await waitForState('the menu with the add button', (s) => s.menu && s.menu.add && s);
    assert.equal(empty.menu.app, 'com.apple.MobileSMS');
    assert.deepEqual(empty.menu.dock, []);
    await settle();
    // Drawn as a context menu: the home screen blurred behind a platter.
    const tree = await frame();
    assert.ok([...views(tree.root)].some((v) => v.material && v.f[2] === SCREEN.width && v.f[3] === SCREEN.height),
      'the home screen is blurred behind the menu');
    await phone.tap(centre(empty.menu.add));
    await waitForState('the picker for Messages', (s) => s.top === 'KavroApplicationSelector' && !s.menu);
    await settle();
    await phone.tapCell('Calculator', 1);
    await waitForState('Calculator stored under Messages', (s) =>
      (s.prefs['com.apple.MobileSMS'] || []).includes('com.apple.calculator'));
    await phone.tapButton('arrow.left.circle.fill');
    const back = await waitForState('the menu back with the new shortcut', (s) =>
      s.menu && s.menu.app === 'com.apple.MobileSMS' && s.menu.dock && s.menu.dock.length === 1 && s);
    assert.equal(back.menu.dock[0].id, 'com.apple.calculator');
    assert.equal(back.menu.add, null);
    await settle();

    // A tap on the shortcut opens Calculator with a haptic tap.
    await phone.tap(centre(back.menu.dock[0].frame));
    const opened = await waitForState('Calculator in front', (s) =>
      s.front === 'com.apple.calculator' && s.log.some((e) => e.event === 'open' && e.app === 'com.apple.calculator') && s);
    assert.ok(opened.log.some((e) => e.event === 'haptic'), 'the haptic tap is logged');
    assert.equal(opened.menu, null);
    await settle();
    const [red, green, blue] = pixelAt(await phone.pixels(), SCREEN.width / 2, 200);
    assert.ok(red + green + blue > 3 * 200, `the application's light screen is drawn (${red}, ${green}, ${blue})`);
    await phone.page.waitForSelector('#log li[data-event="open"]');
    await phone.page.waitForSelector('#log li[data-event="haptic"]');

    // The home gesture takes it away.
    await swipeHome(phone);
    const after = await waitForState('the home screen again', (s) => s.front === null && s);
    assert.equal(after.process, 'springboard');
    await settle();
    assert.ok((await state()).buttons.some((b) => b.label === 'com.apple.MobileSMS'), 'the icons can be tapped again');
    assert.deepEqual(phone.errors, []);
  });
});
