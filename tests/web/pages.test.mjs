// The web pages in Debian's Chromium, headless, driven by Playwright, from a plain static file
// server (WEB_URL): /site/ is the built site (its folder WEB_SITE), /probe/ the key probe's
// page. NATIVE_PICTURE gives the picture and the text cells the native screen shows after the
// same keys.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { readdirSync } from 'node:fs';
import { after, test } from 'node:test';

import { chromium, devices } from 'playwright-core';

const browser = await chromium.launch({ executablePath: '/usr/bin/chromium',
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking'] });
after(() => browser.close());

// What a page does, recorded from its start: each tone it plays (frequency and milliseconds from
// the audio clock's reading the page took to end it, which a loaded machine cannot move on), its
// pending timers and animation frames, each as its kind and delay, and a weak reference to each
// program instance.
function record() {
  Object.assign(window, { tones: [], pending: new Map(), instances: [] });
  const instantiate = WebAssembly.instantiateStreaming;
  WebAssembly.instantiateStreaming = (...args) => instantiate(...args).then((made) => instances.push(new WeakRef(made.instance)) && made);
  const clock = Object.getOwnPropertyDescriptor(BaseAudioContext.prototype, 'currentTime');
  Object.defineProperty(BaseAudioContext.prototype, 'currentTime', { get() { return (this.lastRead = clock.get.call(this)); } });
  const stopTone = OscillatorNode.prototype.stop;
  OscillatorNode.prototype.stop = function (when) {
    tones.push([this.frequency.value, Math.round((when - this.context.lastRead) * 1000)]);
    stopTone.call(this, when);
  };
  for (const [set, clear] of [['setTimeout', 'clearTimeout'], ['setInterval', 'clearInterval'], ['requestAnimationFrame', 'cancelAnimationFrame']]) {
    const start = window[set], stop = window[clear];
    window[set] = (f, delay, ...rest) => {
      const id = start((...a) => { if (set !== 'setInterval') pending.delete(set + id); f(...a); }, delay, ...rest);
      return pending.set(set + id, `${set} ${delay}`) && id;
    };
    window[clear] = (id) => { pending.delete(set + id); stop(id); };
  }
}

// A page in a context of its own (a touch screen that may use the clipboard, or the device
// given), recorded.
async function openPage(path, device = {}) {
  const context = await browser.newContext({ hasTouch: true, permissions: ['clipboard-read', 'clipboard-write'], ...device });
  await context.addInitScript(record);
  const page = await context.newPage();
  return page.goto(`${process.env.WEB_URL}/${path}`).then(() => page);
}

const showsText = (page, text) => page.waitForFunction((t) => document.getElementById('qztext')?.textContent.includes(t), text);

// Presses each key as Playwright names it; "text:" inserts its text without key events.
async function typeKeys(page, keys) {
  for (const key of keys) await (key.startsWith('text:') ? page.keyboard.insertText(key.slice(5)) : page.keyboard.press(key));
}

// The id of the full-screen element ('' for none) and the canvas's box in the device's pixels:
// left, top, width, height.
const screenState = () => [document.fullscreenElement?.id ?? '', ...Object.values(document.getElementById('qzcanvas')
  .getBoundingClientRect().toJSON()).slice(0, 4).map((v) => Math.round(v * devicePixelRatio))];

// Types the keys of a line; at the report, the final wait's pause for keys (a second at the most)
// is the one timer pending, none left over from the line's. Then the canvas's picture (red, green and blue bytes) and the rows of
// text under it are those of the native screen after the same key codes: its last 1000 bytes are
// the 40 x 25 text cells (ASCII here; a blank row keeps one blank).
async function assertTypedScreen(page, program, keys, codes) {
  await typeKeys(page, keys);
  await showsText(page, 'Nejvyssi faktorial');
  assert.deepEqual(await page.evaluate(() => [...pending.values()]), ['setTimeout 1000']);
  const native = execFileSync(process.env.NATIVE_PICTURE, [program, ...codes.map(String)]);
  const picture = await page.$eval('#qzcanvas', (c) => Array.from(c.getContext('2d').getImageData(0, 0, c.width, c.height).data));
  assert.ok(Buffer.from(picture.filter((_, i) => i % 4 !== 3)).equals(native.subarray(0, -1000)));
  assert.deepEqual(await page.$$eval('#qztext div', (divs) => divs.map((d) => d.textContent)),
    native.subarray(-1000).toString('latin1').match(/.{40}/gs).map((row) => row.trimEnd() || ' '));
}

// The editing keys, text typed without key events, and Delete's beep at the end of the line;
// one on a desktop whose page changes size and goes full screen and back (the screen's state
// after each step), one on a phone.
const kSessions = [
  { program: 'zorvy', keys: ['1', 'text:é', 'Backspace', '0', 'End', 'Delete', 'text:\r\n'], tones: [[1000, 250]],
    codes: [49, 130, 8, 48, 20479, 21503, 13], steps: [[{ width: 480, height: 300 }, ['', 80, 50, 320, 200]],
      [{ width: 300, height: 180 }, ['', -10, -10, 320, 200]], [{ width: 1000, height: 700 }, ['', 20, 50, 960, 600]],
      [{ key: 'Alt+Enter' }, ['qzscreen', 20, 50, 960, 600]], [{ key: 'Alt+Enter' }, ['', 20, 50, 960, 600]]] },
  { program: 'plemo', keys: ['2', '7', 'ArrowLeft', 'Backspace', 'End', '0', 'Enter'],
    codes: [50, 55, 19455, 8, 20479, 48, 13], tones: [], steps: [[{}, ['', 60, 700, 960, 600]]], device: devices['Pixel 5'] },
];

for (const session of kSessions) {
  test(`${session.program}: from the index, a typed session shows the native screen, runs again, waits on no timer of its own`, async () => {
    const page = await openPage('site/index.html', session.device);
    assert.deepEqual(await page.$$eval('a', (links) => links.map((a) => a.getAttribute('href'))), ['zorvy.html', 'plemo.html']);
    await page.click(`a[href="${session.program}.html"]`);
    await showsText(page, 'Zadej do jakeho cisla pocitat');
    for (const [step, state] of session.steps) {
      await (step.key ? page.keyboard.press(step.key) : step.width && page.setViewportSize(step));
      for (let waited = 0; (await page.evaluate(screenState)).join() !== state.join() && waited < 100; ++waited) await page.waitForTimeout(20);
      assert.deepEqual(await page.evaluate(screenState), state);
    }
    // A tap on the screen brings up the keyboard.
    await page.evaluate(() => document.activeElement.blur());
    await page.tap('#qzscreen');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'qzkeys');
    await assertTypedScreen(page, session.program, session.keys, session.codes);
    // Runs again, the bound typed as text with CR LF.
    for (let run = 0; run < 3; ++run) {
      await page.keyboard.press('x');
      assert.equal(await (await page.waitForSelector('#qzend:not([hidden]) #qzstatus')).textContent(), `${session.program} has ended.`);
      await page.click('#qzrun');
      await page.waitForFunction(() => /Zadej.*\?$/.test(document.getElementById('qztext').textContent.trimEnd()));
      await assertTypedScreen(page, session.program, ['text:5\r\n'], [53, 13]);
    }
    // A while later the pause for keys is still all that is pending.
    await page.waitForTimeout(1500);
    assert.deepEqual(await page.evaluate(() => [...pending.values(), ...tones]), ['setTimeout 1000', ...session.tones]);
    // Nothing accumulates: after a collection of garbage one program instance is left, and the
    // key field has one program's 8 listeners (through the DevTools protocol).
    const cdp = await page.context().newCDPSession(page);
    await cdp.send('HeapProfiler.collectGarbage');
    assert.deepEqual((await cdp.send('Runtime.evaluate', { returnByValue: true, includeCommandLineAPI: true,
      expression: '[instances.filter((instance) => instance.deref()).length, Object.values(getEventListeners(qzkeys)).flat().length]' })).result.value, [1, 8]);
    await page.context().close();
  });
}

test('the site holds its pages; keys and text reach the program with the native key codes, and the browser keeps none', async () => {
  assert.deepEqual(readdirSync(process.env.WEB_SITE).sort(), ['favicon.png', 'index.html', 'plemo.html', 'plemo.js', 'plemo.wasm', 'zorvy.html', 'zorvy.js', 'zorvy.wasm']);
  const page = await openPage('probe/window_probe.html');
  const lines = [];
  page.on('console', (message) => lines.push(message.text()));
  await showsText(page, 'Probe');
  await page.evaluate(() => navigator.clipboard.writeText('x\r\ny'));
  const kKeys = [['F1', 15359], ['ArrowUp', 18687], ['Shift+F1', 21759], ['Control+ArrowLeft', 29695],
    ['Delete', 21503], ['text:é', 130], ['Tab', 9], ['Shift+Tab', 4095, 9], ['Backspace', 8], ['Space', 32],
    ['Control+a', 1], ['Numpad8', 18687], ['Shift+ArrowUp', 18687], ['Control+NumpadDivide', 31], ['Enter', 13],
    ['text:1\r\n2', 49, 13, 50], ['text:\r', 13], ['text:\n'], ['text:3\n', 51, 13], ['Control+V', 120, 13, 121],
    ['Shift+Insert', 120, 13, 121], ['q', 113]];
  await typeKeys(page, kKeys.map(([key]) => key));
  // The probe has ended: the page offers to run it again, unscrolled.
  await page.waitForSelector('#qzend', { state: 'visible' });
  assert.deepEqual(lines.slice(lines.indexOf('ready') + 1), kKeys.flatMap(([, ...codes]) => codes.map(String)));
  assert.deepEqual(await page.evaluate(() => [document.activeElement.id, scrollY]), ['qzrun', 0]);
  await page.context().close();
});
