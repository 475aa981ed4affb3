// The web pages in Debian's Chromium, headless, driven by Playwright, each folder served by a
// plain static file server: the built site (WEB_SITE) and the key probe's page (WEB_PROBE).
// NATIVE_PICTURE gives the picture the native screen shows after the same keys.
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import { after, before, test } from 'node:test';

import { chromium, devices } from 'playwright-core';

const kChromiumFlags = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];
const kWidth = 320;
const kHeight = 200;

const servers = [];
let browser;
let site;
let probe;

// Serves a folder on a free port of 127.0.0.1; ready once the server says which.
async function serve(folder) {
  const server = spawn('python3', ['-u', '-m', 'http.server', '--bind', '127.0.0.1', '0'],
    { cwd: folder, stdio: ['ignore', 'pipe', 'ignore'] });
  servers.push(server);
  return new Promise((resolve, reject) => {
    let said = '';
    server.stdout.on('data', (chunk) => {
      said += chunk;
      const port = /port (\d+)/.exec(said);
      if (port) resolve(`http://127.0.0.1:${port[1]}`);
    });
    server.on('exit', () => reject(new Error(`no server for ${folder}`)));
  });
}

before(async () => {
  [site, probe] = await Promise.all([serve(process.env.WEB_SITE), serve(process.env.WEB_PROBE)]);
  browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: kChromiumFlags });
});

after(async () => {
  await browser?.close();
  for (const server of servers) server.kill();
});

// A program's page with every tone it starts recorded (frequency, start and stop times).
async function openPage(url, context = browser) {
  const page = await context.newPage();
  await page.addInitScript(() => {
    window.tones = [];
    const create = AudioContext.prototype.createOscillator;
    AudioContext.prototype.createOscillator = function () {
      const tone = create.call(this);
      const [start, stop] = [tone.start.bind(tone), tone.stop.bind(tone)];
      tone.start = () => { window.tones.push({ hertz: tone.frequency.value, start: this.currentTime }); start(); };
      tone.stop = (when) => { window.tones.at(-1).stop = when; stop(when); };
      return tone;
    };
  });
  await page.goto(url);
  return page;
}

const showsText = (page, text) => page.waitForFunction(
  (t) => document.getElementById('qztext').textContent.includes(t), text);

// Presses each key as Playwright names it; "text:" types its text without key events.
async function typeKeys(page, keys) {
  for (const key of keys) {
    if (key.startsWith('text:')) await page.keyboard.type(key.slice(5));
    else await page.keyboard.press(key);
  }
}

async function canvasPicture(page) {
  const rgba = await page.evaluate(() => {
    const canvas = document.getElementById('qzcanvas');
    return Array.from(canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data);
  });
  return Buffer.from(rgba.filter((_, i) => i % 4 !== 3));
}

// The native screen's picture after the key codes: red, green and blue bytes.
const nativePicture = (program, codes) => execFileSync(process.env.NATIVE_PICTURE, [program, ...codes.map(String)]);

const differingPixels = (a, b) => (a.length !== b.length ? Infinity
  : Array.from({ length: a.length / 3 }, (_, p) => a.compare(b, 3 * p, 3 * p + 3, 3 * p, 3 * p + 3))
    .filter(Boolean).length);

const canvasBox = (page) => page.evaluate(() => {
  const box = document.getElementById('qzcanvas').getBoundingClientRect();
  const area = document.getElementById('qzscreen');
  return { left: box.left, top: box.top, width: box.width, height: box.height,
    areaWidth: area.clientWidth, areaHeight: area.clientHeight, ratio: devicePixelRatio };
});

// The largest whole scale, in the device's pixels, at which the screen fits its area.
const wholeScale = (box) => Math.max(1, Math.floor(Math.min(
  box.areaWidth * box.ratio / kWidth, box.areaHeight * box.ratio / kHeight)));

// The editing keys, text typed without key events, and Delete's beep at the end of the line.
const kSessions = [
  { program: 'zorvy', keys: ['1', 'text:é', 'Backspace', '0', 'End', 'Delete', 'Enter'],
    codes: [49, 130, 8, 48, 20479, 21503, 13], line: '? 10', tones: [[1000, 250]] },
  { program: 'plemo', keys: ['2', '7', 'ArrowLeft', 'Backspace', 'End', '0', 'Enter'],
    codes: [50, 55, 19455, 8, 20479, 48, 13], line: '? 70', tones: [] },
];

for (const session of kSessions) {
  test(`${session.program}: a typed session shows the native picture, ends and runs again`, async () => {
    const page = await openPage(`${site}/${session.program}.html`);
    await showsText(page, 'Zadej do jakeho cisla pocitat');
    await typeKeys(page, session.keys);
    await showsText(page, 'Nejvyssi faktorial');
    assert.equal(differingPixels(await canvasPicture(page), nativePicture(session.program, session.codes)), 0);
    const rows = await page.$$eval('#qztext div', (divs) => divs.map((d) => d.textContent));
    assert.ok(rows.length === 25 && rows.includes(session.line), rows.join('\n'));
    assert.deepEqual(await page.evaluate(() => window.tones.map((t) => [t.hertz, Math.round((t.stop - t.start) * 1000)])),
      session.tones);
    await page.keyboard.press('x');
    await page.waitForSelector('#qzend', { state: 'visible' });
    assert.match(await page.textContent('#qzend'), new RegExp(`${session.program} has ended`));
    await page.click('#qzrun');
    await page.waitForFunction(() => !document.getElementById('qztext').textContent.includes('Nejvyssi'));
    assert.ok(await page.isHidden('#qzend'));
    await typeKeys(page, ['5', 'Enter']);
    await showsText(page, 'Nejvyssi faktorial');
    await page.close();
  });
}

test('keys reach the program with the native key codes, and the browser keeps none', async () => {
  const page = await openPage(`${probe}/window_probe.html`);
  const lines = [];
  page.on('console', (message) => lines.push(message.text()));
  await showsText(page, 'Probe');
  const kKeys = [['F1', 15359], ['ArrowUp', 18687], ['Shift+F1', 21759], ['Control+ArrowLeft', 29695],
    ['Delete', 21503], ['text:é', 130], ['Tab', 9], ['Shift+Tab', 4095, 9], ['Backspace', 8], ['Space', 32],
    ['Control+a', 1], ['Numpad8', 18687], ['Shift+ArrowUp', 18687], ['Control+NumpadDivide', 31], ['q', 113]];
  for (const [key, ...codes] of kKeys) {
    const seen = lines.length;
    await typeKeys(page, [key]);
    for (let waited = 0; lines.length < seen + codes.length && waited < 100; ++waited) await page.waitForTimeout(20);
    assert.deepEqual(lines.slice(seen), codes.map(String), key);
  }
  await page.waitForSelector('#qzend', { state: 'visible' });
  assert.deepEqual(await page.evaluate(() => [document.activeElement.id, scrollY]), ['qzrun', 0]);
  await page.close();
});

test('the picture follows the page size and the browser full screen', async () => {
  const page = await openPage(`${site}/zorvy.html`);
  await showsText(page, 'Zadej do jakeho cisla pocitat');
  for (const [width, height, scale] of [[1000, 700, 3], [700, 500, 2], [300, 180, 1]]) {
    await page.setViewportSize({ width, height });
    await page.waitForFunction((w) => document.getElementById('qzcanvas').getBoundingClientRect().width === w,
      kWidth * scale);
    const box = await canvasBox(page);
    assert.equal(wholeScale(box), scale);
    assert.equal(box.height, kHeight * scale);
    if (width >= kWidth) assert.equal(box.left, (box.areaWidth - box.width) / 2);
  }
  const picture = await canvasPicture(page);
  await page.keyboard.press('Alt+Enter');
  await page.waitForFunction(() => document.fullscreenElement?.id === 'qzscreen');
  await page.waitForTimeout(100);
  const full = await canvasBox(page);
  assert.equal(full.width, kWidth * wholeScale(full) / full.ratio);
  assert.equal(differingPixels(await canvasPicture(page), picture), 0);
  await page.keyboard.press('Alt+Enter');
  await page.waitForFunction(() => document.fullscreenElement === null);
  await page.close();
});

test('on a phone, a tap brings up the keyboard and what is typed reaches the program', async () => {
  const context = await browser.newContext({ ...devices['Pixel 5'] });
  const page = await openPage(`${site}/zorvy.html`, context);
  await showsText(page, 'Zadej do jakeho cisla pocitat');
  await page.evaluate(() => document.activeElement.blur());
  const box = await canvasBox(page);
  assert.ok(box.width <= box.areaWidth);
  assert.equal(Math.round(box.width * box.ratio), kWidth * wholeScale(box));
  await page.touchscreen.tap(box.left + box.width / 2, box.top + box.height / 2);
  assert.equal(await page.evaluate(() => document.activeElement.id), 'qzkeys');
  await typeKeys(page, ['1', '0', 'Enter']);
  await showsText(page, 'Nejvyssi faktorial:  4');
  await context.close();
});
