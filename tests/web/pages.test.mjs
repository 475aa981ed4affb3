// The web pages in Debian's Chromium, headless, driven by Playwright, from a plain static file
// server (WEB_URL): /site/ is the built site, /probe/ the key probe's page. NATIVE_PICTURE gives
// the picture the native screen shows after the same keys.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { after, before, test } from 'node:test';

import { chromium, devices } from 'playwright-core';

const kWidth = 320;
const kHeight = 200;

let browser;
before(async () => {
  browser = await chromium.launch({ executablePath: '/usr/bin/chromium',
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking'] });
});
after(() => browser?.close());

// A page in a context of its own (a touch screen, or the device given), with every tone it
// plays recorded: frequency and milliseconds, to the nearest ten, as the audio clock may move on
// by a few milliseconds between the page's reading of it and the recorder's.
async function openPage(path, device = {}) {
  const context = await browser.newContext({ hasTouch: true, ...device });
  const page = await context.newPage();
  await page.addInitScript(() => {
    window.tones = [];
    const create = AudioContext.prototype.createOscillator;
    AudioContext.prototype.createOscillator = function () {
      const tone = create.call(this);
      const stop = tone.stop.bind(tone);
      tone.stop = (when) => { window.tones.push([tone.frequency.value, Math.round((when - this.currentTime) * 100) * 10]); stop(when); };
      return tone;
    };
  });
  await page.goto(`${process.env.WEB_URL}/${path}`);
  return page;
}

const showsText = (page, text) => page.waitForFunction(
  (t) => document.getElementById('qztext').textContent.includes(t), text);

// Presses each key as Playwright names it; "text:" types its text without key events.
async function typeKeys(page, keys) {
  for (const key of keys) await (key.startsWith('text:') ? page.keyboard.type(key.slice(5)) : page.keyboard.press(key));
}

// The canvas's red, green and blue bytes, to compare with the native screen's.
const canvasPicture = async (page) => Buffer.from((await page.evaluate(() => {
  const canvas = document.getElementById('qzcanvas');
  return Array.from(canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data);
})).filter((_, i) => i % 4 !== 3));

const canvasBox = (page) => page.evaluate(() => {
  const { left, top, width, height } = document.getElementById('qzcanvas').getBoundingClientRect();
  const area = document.getElementById('qzscreen');
  return { left, top, width, height, areaWidth: area.clientWidth, areaHeight: area.clientHeight, ratio: devicePixelRatio };
});

// The largest whole scale, in the device's pixels, at which the screen fits its area.
const wholeScale = (box) => Math.max(1, Math.floor(Math.min(
  box.areaWidth * box.ratio / kWidth, box.areaHeight * box.ratio / kHeight)));

// The editing keys, text typed without key events, and Delete's beep at the end of the line;
// one on a desktop whose page changes size and goes full screen, one on a phone.
const kSessions = [
  { program: 'zorvy', keys: ['1', 'text:é', 'Backspace', '0', 'End', 'Delete', 'Enter'],
    codes: [49, 130, 8, 48, 20479, 21503, 13], line: '? 10', tones: [[1000, 250]], sizes: [[300, 180, 1], [1000, 700, 3]] },
  { program: 'plemo', keys: ['2', '7', 'ArrowLeft', 'Backspace', 'End', '0', 'Enter'],
    codes: [50, 55, 19455, 8, 20479, 48, 13], line: '? 70', tones: [], sizes: [], device: devices['Pixel 5'] },
];

for (const session of kSessions) {
  test(`${session.program}: a typed session shows the native picture, ends and runs again`, async () => {
    const page = await openPage(`site/${session.program}.html`, session.device);
    await showsText(page, 'Zadej do jakeho cisla pocitat');
    for (const [width, height, scale] of session.sizes) {
      await page.setViewportSize({ width, height });
      await page.waitForFunction((w) => document.getElementById('qzcanvas').getBoundingClientRect().width === w,
        kWidth * scale);
      const box = await canvasBox(page);
      assert.deepEqual([box.height, box.left], [kHeight * scale, (box.areaWidth - box.width) / 2]);
    }
    if (session.sizes.length > 0) {
      await page.keyboard.press('Alt+Enter');
      await page.waitForFunction(() => document.fullscreenElement?.id === 'qzscreen');
      await page.waitForTimeout(100);
      const full = await canvasBox(page);
      assert.equal(full.width, kWidth * wholeScale(full) / full.ratio);
      await page.keyboard.press('Alt+Enter');
      await page.waitForFunction(() => document.fullscreenElement === null);
    }
    // A tap on the screen brings up the keyboard.
    await page.evaluate(() => document.activeElement.blur());
    const box = await canvasBox(page);
    assert.equal(Math.round(box.width * box.ratio), kWidth * wholeScale(box));
    await page.touchscreen.tap(box.left + box.width / 2, box.top + box.height / 2);
    assert.equal(await page.evaluate(() => document.activeElement.id), 'qzkeys');
    await typeKeys(page, session.keys);
    await showsText(page, 'Nejvyssi faktorial');
    const native = execFileSync(process.env.NATIVE_PICTURE, [session.program, ...session.codes.map(String)]);
    assert.ok((await canvasPicture(page)).equals(native));
    const rows = await page.$$eval('#qztext div', (divs) => divs.map((d) => d.textContent));
    assert.ok(rows.length === 25 && rows.includes(session.line), rows.join('\n'));
    assert.deepEqual(await page.evaluate(() => window.tones), session.tones);
    await page.keyboard.press('x');
    await page.waitForSelector('#qzend', { state: 'visible' });
    assert.match(await page.textContent('#qzend'), new RegExp(`${session.program} has ended`));
    await page.click('#qzrun');
    await page.waitForFunction(() => !document.getElementById('qztext').textContent.includes('Nejvyssi'));
    assert.ok(await page.isHidden('#qzend'));
    await typeKeys(page, ['5', 'Enter']);
    await showsText(page, 'Nejvyssi faktorial');
    await page.context().close();
  });
}

test('keys reach the program with the native key codes, and the browser keeps none', async () => {
  const page = await openPage('probe/window_probe.html');
  const lines = [];
  page.on('console', (message) => lines.push(message.text()));
  await showsText(page, 'Probe');
  const kKeys = [['F1', 15359], ['ArrowUp', 18687], ['Shift+F1', 21759], ['Control+ArrowLeft', 29695],
    ['Delete', 21503], ['text:é', 130], ['Tab', 9], ['Shift+Tab', 4095, 9], ['Backspace', 8], ['Space', 32],
    ['Control+a', 1], ['Numpad8', 18687], ['Shift+ArrowUp', 18687], ['Control+NumpadDivide', 31], ['q', 113]];
  for (const [key, ...codes] of kKeys) {
    const seen = lines.length;
    await typeKeys(page, [key]);
    for (let waited = 0; lines.length < seen + codes.length && waited < 25; ++waited) await page.waitForTimeout(20);
    assert.deepEqual(lines.slice(seen), codes.map(String), key);
  }
  await page.waitForSelector('#qzend', { state: 'visible' });
  assert.deepEqual(await page.evaluate(() => [document.activeElement.id, scrollY]), ['qzrun', 0]);
  await page.context().close();
});
