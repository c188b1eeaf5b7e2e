// Screenshots of the phone's screen at the device's pixels: GET /api/screenshot,
// which the server has a connected page draw, and the panel's button, which saves
// the same picture as a file. The window here is small and its pixel ratio 2, so
// that the canvas on the page is neither the screenshot's size nor its scale.
'use strict';

const { describe, test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { Phone, startServer, stopServer } = require('./harness');

const WIDTH = 1170;
const HEIGHT = 2532;

// The size a PNG's IHDR chunk gives, after the 8-byte signature.
function pngSize(bytes) {
  assert.deepEqual([...bytes.subarray(0, 8)], [0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a], 'a PNG signature');
  assert.equal(bytes.toString('latin1', 12, 16), 'IHDR');
  return { width: bytes.readUInt32BE(16), height: bytes.readUInt32BE(20) };
}

describe('screenshots', () => {
  let folder, server, phone;
  const url = (route) => new URL(route, server.url);
  const post = async (route, body) => {
    const response = await fetch(url(route), {
      method: 'POST', headers: { 'Content-Type': 'application/json' }, body: JSON.stringify(body),
    });
    assert.equal(response.status, 204, `${route} answered ${response.status}`);
  };
  const screenshot = async () => {
    const response = await fetch(url('/api/screenshot'));
    const bytes = Buffer.from(await response.arrayBuffer());
    assert.equal(response.status, 200, `the screenshot answered ${response.status}: ${bytes.toString().slice(0, 200)}`);
    assert.equal(response.headers.get('content-type'), 'image/png');
    assert.equal(response.headers.get('cache-control'), 'no-store');
    return bytes;
  };
  // The picture's mean brightness (0–255) and how far its pixels spread around
  // it, decoded by the browser.
  const brightness = (bytes) => phone.page.evaluate(async (base64) => {
    const blob = await (await fetch(`data:image/png;base64,${base64}`)).blob();
    const bitmap = await createImageBitmap(blob);
    const canvas = document.createElement('canvas');
    canvas.width = bitmap.width;
    canvas.height = bitmap.height;
    const paint = canvas.getContext('2d');
    paint.drawImage(bitmap, 0, 0);
    const { data } = paint.getImageData(0, 0, bitmap.width, bitmap.height);
    let sum = 0;
    let squares = 0;
    let count = 0;
    for (let at = 0; at < data.length; at += 4 * 97) {
      const value = (data[at] + data[at + 1] + data[at + 2]) / 3;
      sum += value;
      squares += value * value;
      count++;
    }
    const mean = sum / count;
    return { mean, spread: Math.sqrt(squares / count - mean * mean) };
  }, bytes.toString('base64'));
  // Waits until the page has drawn the frame the device shows now, in `appearance`.
  const drawn = async (appearance) => {
    const frame = await (await fetch(url('/api/frame'))).json();
    assert.equal(frame.appearance, appearance);
    await phone.page.waitForFunction((wanted) => (window.kavro.stats.drawnSequence || 0) >= wanted, frame.seq);
  };

  before(async () => {
    folder = fs.mkdtempSync(path.join(os.tmpdir(), 'kavro-e2e-screenshot-'));
    server = await startServer(folder);
  });
  after(async () => {
    if (phone) await phone.close();
    await stopServer(server);
    if (folder) fs.rmSync(folder, { recursive: true, force: true });
  });

  test('with no page connected there is nobody to draw the screen: 503', async () => {
    const response = await fetch(url('/api/screenshot'));
    assert.equal(response.status, 503);
    const body = await response.json();
    assert.match(body.error, /page/);
  });

  test("a page draws the screen at the device's pixels, as it shows it", async () => {
    phone = await Phone.open({ url: server.url, viewport: { width: 700, height: 600 }, deviceScaleFactor: 2 });
    const canvas = await phone.page.$eval('#canvas', (element) => [element.width, element.height]);
    assert.notDeepEqual(canvas, [WIDTH, HEIGHT], 'the on-screen canvas is of another size');

    await post('/api/appearance', { appearance: 'light' });
    await drawn('light');
    const light = await screenshot();
    assert.deepEqual(pngSize(light), { width: WIDTH, height: HEIGHT });
    await post('/api/appearance', { appearance: 'dark' });
    await drawn('dark');
    const dark = await screenshot();
    assert.deepEqual(pngSize(dark), { width: WIDTH, height: HEIGHT });

    const [lit, unlit] = [await brightness(light), await brightness(dark)];
    assert.ok(lit.mean > unlit.mean + 60, `light ${lit.mean.toFixed(1)} against dark ${unlit.mean.toFixed(1)}`);
    assert.ok(lit.spread > 5 && unlit.spread > 5, 'the pictures show something, not one colour');
    assert.deepEqual(phone.errors, []);
  });

  test('requests at once are each answered with the picture', async () => {
    const answers = await Promise.all([0, 1, 2].map(() => fetch(url('/api/screenshot'))));
    for (const response of answers) {
      assert.equal(response.status, 200);
      assert.deepEqual(pngSize(Buffer.from(await response.arrayBuffer())), { width: WIDTH, height: HEIGHT });
    }
  });

  test("the panel's button downloads the screenshot as kavro-YYYYMMDD-HHMMSS.png", async () => {
    const [download] = await Promise.all([phone.page.waitForEvent('download'), phone.page.click('#screenshot')]);
    assert.match(download.suggestedFilename(), /^kavro-\d{8}-\d{6}\.png$/);
    const saved = fs.readFileSync(await download.path());
    assert.deepEqual(pngSize(saved), { width: WIDTH, height: HEIGHT });
    // The module's own picture, however the window is scaled.
    const size = await phone.page.evaluate(async () => {
      const { screenshotBlob } = await import('/modules/screenshot.js');
      const bitmap = await createImageBitmap(await screenshotBlob());
      return { width: bitmap.width, height: bitmap.height };
    });
    assert.deepEqual(size, { width: WIDTH, height: HEIGHT });
    assert.deepEqual(phone.errors, []);
  });
});
