// The picker in the home-screen process: a long press on an icon offers "Edit
// Shortcuts"; closing the picker there posts the notification for the extension.
'use strict';

const { describe, test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { Phone, centre, settle, waitForState } = require('./harness');

const SHOW_DOCK = 'com.qelm.kavroprefs/show.dock';

describe('the picker in the home screen', () => {
  let phone;
  before(async () => {
    phone = await Phone.open();
  });
  after(async () => {
    if (phone) await phone.close();
  });

  test('long press on an icon, Edit Shortcuts, pick, close: the extension is notified', async () => {
    await phone.page.click('#open-springboard');
    const home = await waitForState('the home screen', (s) =>
      s.process === 'springboard' && s.buttons.find((b) => b.label === 'com.apple.mobilesafari') && s);
    await settle();
    const icon = home.buttons.find((b) => b.label === 'com.apple.mobilesafari');

    // Held as a finger holds it, in real time.
    await phone.press(centre(icon.frame), 900);
    const menu = await waitForState('the shortcut menu', (s) => s.alert && s);
    assert.equal(menu.alert.title, 'Safari');
    assert.ok(menu.alert.actions.some((action) => action.title === 'Edit Shortcuts'));
    await settle();
    await phone.tapButton('Edit Shortcuts');
    await waitForState('the picker', (s) => s.top === 'KavroApplicationSelector' && !s.alert);
    await settle();

    await phone.tapCell('Calculator', 1);
    await waitForState('Calculator stored under the icon\'s key', (s) =>
      (s.prefs['com.apple.mobilesafari'] || []).includes('com.apple.calculator'));

    await phone.tapButton('arrow.left.circle.fill');
    const notified = await waitForState('the notification', (s) =>
      s.log.find((event) => event.event === 'notify' && event.name === SHOW_DOCK));
    assert.equal(notified.process, 'springboard');
    await waitForState('the home screen again', (s) => s.top === 'HomeScreenController');
    // The page beside the phone lists it.
    await phone.page.waitForSelector(`#log li[data-event="notify"]`);
    assert.match(await phone.page.locator('#log li[data-event="notify"]').first().innerText(), /show\.dock/);
    assert.deepEqual(phone.errors, []);
  });
});
