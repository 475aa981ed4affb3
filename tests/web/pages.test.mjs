// The web pages in Chromium, Firefox and WebKit, each driven with the same operations
// (browsers/), from the tests' own static file server: /site/ is the built site (the
// folder WEB_SITE), /probe/ the key probe's site (WEB_PROBE), /tests/ this folder.
// NATIVE_PICTURE gives the picture and the text cells the native screen shows after the same keys.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { cpSync, mkdtempSync, readFileSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, describe, test } from 'node:test';
import { isDeepStrictEqual } from 'node:util';

import { devices, launch as chromium } from './browsers/chromium.mjs';
import { launch as firefox } from './browsers/firefox.mjs';
import { poll } from './browsers/poll.mjs';
import { serve } from './browsers/serve.mjs';
import { launch as webkit } from './browsers/webkit.mjs';

// Each page has the recorder (record.js) first.
const server = await serve({ site: process.env.WEB_SITE, probe: process.env.WEB_PROBE, tests: new URL('.', import.meta.url).pathname },
  { head: '<script src="/tests/record.js"></script>' });
const engines = await Promise.all([chromium, firefox, webkit].map((launch) => launch()));
after(() => Promise.all([server.close(), ...engines.map((engine) => engine.close())]));

const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// A test that hangs fails, with what it waited for.
const kTimeout = { timeout: 120000 };
const kDesktop = { width: 1000, height: 700 };

// Waits for the page's own signal, fn(arg) in the page giving expected (within 10 s), and asserts
// that it came.
async function settles(page, expected, fn, arg) {
  let value;
  await poll(async () => isDeepStrictEqual(value = await page.evaluate(fn, arg), expected), fn, { tries: 500, ms: 20 })
    .catch(() => assert.deepEqual(value, expected, `the page never showed ${fn} (${arg}): it gave ${JSON.stringify(value)}`));
}

const showsText = (page, text) => settles(page, true, (t) => document.getElementById('qztext')?.textContent.includes(t), text);
const hasEnded = (page) => settles(page, false, () => document.getElementById('qzend').hidden);

// Keys as Playwright names them, or "text:" to insert its text as an editing command, "copy:" to
// copy its text as a user does (from a field of its own, giving the keys back to the screen),
// "wait:audio" to wait until the page's audio clock runs.
const kActions = {
  text: (page, text) => page.evaluate((t) => document.execCommand('insertText', false, t), text),
  wait: (page) => settles(page, true, () => window.qzAudio?.currentTime > 0),
  async copy(page, text) {
    await page.evaluate((t) => Object.assign(document.body.appendChild(document.createElement('textarea')), { id: 'copied', value: t }).select(), text);
    await page.press('Control+C');
    await page.evaluate(() => document.getElementById('copied').remove() || document.getElementById('qzkeys').focus());
  },
};

async function typeKeys(page, keys) {
  for (const key of keys) {
    const [kind, text] = key.split(/:(.*)/s);
    await (kActions[kind]?.(page, text) ?? page.press(key));
  }
}

// The id of the full-screen element ('' for none), the canvas's box in the device's pixels (left,
// top, width, height), how much taller the page is than the window and how wide its scroll bar.
const screenState = () => [document.fullscreenElement?.id ?? '', ...Object.values(document.getElementById('qzcanvas')
  .getBoundingClientRect().toJSON()).slice(0, 4).map((v) => Math.round(v * devicePixelRatio)),
document.documentElement.scrollHeight - innerHeight, innerWidth - document.documentElement.clientWidth];

// Types the keys of a line; at the report, the final wait's pause for keys (a second at the most)
// is the one timer pending, none left over from the line's. Then the canvas's picture (red, green
// and blue bytes) and the rows of text under it are those of the native screen after the same
// key codes: its last 1000 bytes are the 40 x 25 text cells (ASCII here; a blank row keeps one
// blank).
async function assertTypedScreen(page, program, keys, codes) {
  await typeKeys(page, keys);
  await showsText(page, 'Nejvyssi faktorial');
  assert.deepEqual(await page.evaluate(() => [...pending.values()]), ['setTimeout 1000']);
  const native = execFileSync(process.env.NATIVE_PICTURE, [program, ...codes.map(String)]);
  const [picture, rows] = await page.evaluate(() => {
    const c = document.getElementById('qzcanvas');
    const pixels = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let bytes = '';
    for (let i = 0; i < pixels.length; i += 4) bytes += String.fromCharCode(pixels[i], pixels[i + 1], pixels[i + 2]);
    return [btoa(bytes), [...document.querySelectorAll('#qztext div')].map((d) => d.textContent)];
  });
  assert.ok(Buffer.from(picture, 'base64').equals(native.subarray(0, -1000)));
  assert.deepEqual(rows, native.subarray(-1000).toString('latin1').match(/.{40}/gs).map((row) => row.trimEnd() || ' '));
}

// The editing keys, text inserted by an editing command, and Delete's beep at the end of the
// line, once the first key has made the audio ready; one on a desktop whose page changes size
// and goes full screen and back (the screen's state after each step), one on a large desktop,
// one on a phone. A step may need what not every engine can do.
const kPlemo = { program: 'plemo', keys: ['2', '7', 'ArrowLeft', 'Backspace', 'End', '0', 'Enter'],
  codes: [50, 55, 19455, 8, 20479, 48, 13], tones: [] };
const kSessions = [
  { program: 'zorvy', keys: ['1', 'wait:audio', 'text:é', 'Backspace', '0', 'End', 'Delete', 'text:\r\n'], tones: [[1000, 250, true]],
    codes: [49, 130, 8, 48, 20479, 21503, 13], size: kDesktop, steps: [
      [{ width: 480, height: 300 }, ['', 80, 50, 320, 200, 0, 0]], [{ width: 300, height: 180, needs: 'narrow' }, ['', -10, -10, 320, 200, 0, 0]],
      [kDesktop, ['', 20, 50, 960, 600, 0, 0]], [{ key: 'Alt+Enter', needs: 'fullscreen' }, ['qzscreen', 20, 50, 960, 600, 0, 0]],
      [{ key: 'Alt+Enter', needs: 'fullscreen' }, ['', 20, 50, 960, 600, 0, 0]]] },
  { ...kPlemo, size: { width: 1280, height: 800 }, steps: [[{}, ['', 0, 0, 1280, 800, 0, 0]]] },
  { ...kPlemo, size: {}, device: devices['Pixel 5'], needs: 'phone', steps: [[{}, ['', 60, 700, 960, 600, 0, 0]]] },
];

describe('the pages', { concurrency: true }, () => {
  for (const engine of engines) {
    const can = ({ needs }) => !needs || engine.can.has(needs);
    describe(engine.name, { concurrency: 1 }, () => {
      for (const session of kSessions.filter(can)) {
        test(`${session.program}${session.device ? ' on a phone' : ''}: from the index, a typed session shows the native screen, runs again, waits on no timer of its own`, kTimeout, async () => {
          const page = await engine.open(`${server.url}/site/index.html`, { ...session.size, device: session.device });
          assert.deepEqual(await page.evaluate(() => [...document.querySelectorAll('a')].map((a) => a.getAttribute('href'))), ['zorvy.html', 'plemo.html']);
          await page.evaluate((href) => document.querySelector(`a[href="${href}"]`).click(), `${session.program}.html`);
          await showsText(page, 'Zadej do jakeho cisla pocitat');
          for (const [step, state] of session.steps.filter(([s]) => can(s))) {
            await (step.key ? page.press(step.key) : step.width && page.resize(step.width, step.height));
            await settles(page, state, screenState);
          }
          if (session.device) {
            // A tap on the screen brings up the keyboard.
            await page.evaluate(() => document.activeElement.blur());
            await page.raw.tap('#qzscreen');
            assert.equal(await page.evaluate(() => document.activeElement.id), 'qzkeys');
          }
          await assertTypedScreen(page, session.program, session.keys, session.codes);
          // Runs again, the bound inserted as text with CR LF.
          for (let run = 0; run < 3; ++run) {
            await page.press('x');
            await hasEnded(page);
            assert.equal(await page.evaluate(() => document.getElementById('qzstatus').textContent), `${session.program} has ended.`);
            await page.evaluate(() => document.getElementById('qzrun').click());
            await settles(page, true, () => /Zadej.*\?$/.test(document.getElementById('qztext').textContent.trimEnd()));
            await assertTypedScreen(page, session.program, ['text:5\r\n'], [53, 13]);
          }
          // A while later the pause for keys is still all that is pending, and the audio sleeps.
          await pause(1500);
          assert.deepEqual(await page.evaluate(() => [...pending.values(), ...tones, qzAudio.state]), ['setTimeout 1000', ...session.tones, 'suspended']);
          if (engine.can.has('devtools')) {
            // Nothing accumulates: after a collection of garbage one program instance is left, and
            // the key field has one program's 10 listeners.
            await page.devtools('HeapProfiler.collectGarbage');
            assert.deepEqual((await page.devtools('Runtime.evaluate', { returnByValue: true, includeCommandLineAPI: true,
              expression: '[instances.filter((instance) => instance.deref()).length, Object.values(getEventListeners(qzkeys)).flat().length]' })).result.value, [1, 10]);
          }
          await page.close();
        });
      }

      test('keys and text reach the program with the native key codes, and the browser keeps none', kTimeout, async () => {
        const page = await engine.open(`${server.url}/probe/window_probe.html`, kDesktop);
        await showsText(page, 'Probe');
        const kKeys = [['copy:x\r\ny'], ['F1', 15359], ['ArrowUp', 18687], ['Shift+F1', 21759], ['Control+ArrowLeft', 29695],
          ['Delete', 21503], ['text:é', 130], ['Tab', 9], ['Shift+Tab', 4095, 9], ['Backspace', 8], ['Space', 32],
          ['Control+a', 1], ['Numpad8', 18687], ['Shift+ArrowUp', 18687], ['Control+NumpadDivide', 31], ['Enter', 13],
          ['text:1\r\n2', 49, 13, 50], ['text:\r\n', 13], ['text:3\n', 51, 13], ['Control+V', 120, 13, 121],
          ['Shift+Insert', 120, 13, 121], ['q', 113]].filter(([key]) => !engine.cannot?.includes(key));
        await typeKeys(page, kKeys.map(([key]) => key));
        // The probe has ended: the page offers to run it again, unscrolled. Its lines since it
        // became ready are the codes.
        await hasEnded(page);
        const lines = await page.evaluate(() => logged);
        assert.deepEqual(lines.slice(lines.indexOf('ready') + 1), kKeys.flatMap(([, ...codes]) => codes.map(String)));
        assert.deepEqual(await page.evaluate(() => [document.activeElement.id, scrollY, document.querySelector('main').scrollTop]), ['qzrun', 0, 0]);
        await page.close();
      });
    });
  }
});

// The site holds its pages and what they link to. As an app: Chromium finds it installable;
// after a first visit the program runs to its report with the host gone; a rebuild that changes
// a page is, after one visit, what runs offline.
test('Chromium: the site installs, runs offline, and a new build replaces the cached one', kTimeout, async () => {
  assert.deepEqual(readdirSync(process.env.WEB_SITE).sort(), ['index.html', 'page.js', 'plemo-256.png', 'plemo-64.png', 'plemo.html', 'plemo.js',
    'plemo.wasm', 'plemo.webmanifest', 'service-worker.js', 'zorvy-256.png', 'zorvy-64.png', 'zorvy.html', 'zorvy.js', 'zorvy.wasm', 'zorvy.webmanifest']);
  const folder = mkdtempSync(join(tmpdir(), 'site-'));
  cpSync(process.env.WEB_SITE, folder, { recursive: true });
  const cacheName = () => `zorvy-plemo-${readFileSync(join(folder, 'service-worker.js'), 'latin1').match(/kBuild = '(\w+)'/)[1]}`;
  let host = await serve({ site: folder });
  const page = await engines.find((engine) => engine.can.has('devtools')).open(`${host.url}/site/zorvy.html`, kDesktop);
  assert.deepEqual((await page.devtools('Page.getInstallabilityErrors')).installabilityErrors, [{ errorId: 'in-incognito', errorArguments: [] }]);
  for (const title of ['zorvy', 'zorvy, rebuilt']) {
    if (title !== 'zorvy') {
      writeFileSync(join(folder, 'zorvy.html'), readFileSync(join(folder, 'zorvy.html'), 'latin1').replace('<title>zorvy', `<title>${title}`));
      execFileSync('cmake', [`-DSITE=${folder}`, `-DTEMPLATE=${new URL('../../app/web/service-worker.js', import.meta.url).pathname}`,
        '-P', new URL('../../app/web/service_worker.cmake', import.meta.url).pathname]);
      host = await serve({ site: folder }, { port: host.port });
      await page.raw.reload();
    }
    // The page is served by the worker of the build, which has cached its files.
    await settles(page, true, (name) => navigator.serviceWorker.controller?.state === 'activated' && caches.keys().then((names) => names.join() === name), cacheName());
    await host.close();
    await page.raw.reload();
    await showsText(page, 'Zadej do jakeho cisla pocitat');
    await typeKeys(page, ['text:5\r\n']);
    await showsText(page, 'Nejvyssi faktorial');
    assert.equal(await page.evaluate(() => document.title), title);
  }
  await page.close();
  rmSync(folder, { recursive: true });
});
