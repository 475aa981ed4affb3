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
const hasEnded = (page, program) => settles(page, `${program} has ended.`, () => (qzend.hidden ? '' : qzstatus.textContent));

// Keys as Playwright names them, or "text:" to insert its text as an editing command, "delete:"
// to delete before the cursor so, "copy:" to copy its text as a user does (from a field of its
// own, giving the keys back to the screen), "wait:audio" to wait until the page's audio clock runs.
const kActions = {
  text: (page, text) => page.evaluate((t) => document.execCommand('insertText', false, t), text),
  delete: (page) => page.evaluate(() => document.execCommand('delete')),
  wait: (page) => settles(page, true, () => window.qzAudio?.currentTime > 0),
  copy: (page, text) => page.evaluate((t) => Object.assign(document.body.appendChild(document.createElement('textarea')), { id: 'copied', value: t }).select(), text)
    .then(() => page.press('Control+C')).then(() => page.evaluate(() => document.getElementById('copied').remove() || document.getElementById('qzkeys').focus())),
};

const typeKeys = async (page, keys) => {
  for (const key of keys) await (kActions[key.split(':')[0]]?.(page, key.slice(key.indexOf(':') + 1)) ?? page.press(key));
};

// The ids of the focused element and of the full-screen one ('' for none), the canvas's box in the
// device's pixels (left, top, width, height), how much taller the page is than the window and how
// wide its scroll bar.
const screenState = () => [document.activeElement.id, document.fullscreenElement?.id ?? '', ...Object.values(document.getElementById('qzcanvas')
  .getBoundingClientRect().toJSON()).slice(0, 4).map((v) => Math.round(v * devicePixelRatio)),
document.documentElement.scrollHeight - innerHeight, innerWidth - document.documentElement.clientWidth];

// Types the keys of a line; at the report, the final wait's pause for keys (a second at the most)
// is the one timer pending, none left over from the line's. Then the canvas's picture (red, green
// and blue bytes) and the rows of text under it are those of the native screen after the same
// key codes: its last 1000 bytes are the 40 x 25 text cells (ASCII here; a blank row keeps one
// blank, hidden from screen readers). The rows are Czech to screen readers, and the screen shows
// that it has the keys.
async function assertTypedScreen(page, program, keys, codes) {
  await typeKeys(page, keys);
  await showsText(page, 'Nejvyssi faktorial');
  assert.deepEqual(await page.evaluate(() => [...pending.values()]), ['setTimeout 1000']);
  const native = execFileSync(process.env.NATIVE_PICTURE, [program, ...codes.map(String)]);
  const [picture, rows] = await page.evaluate(() => {
    const c = document.getElementById('qzcanvas');
    const pixels = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    return [btoa(pixels.reduce((bytes, byte, i) => (i % 4 < 3 ? bytes + String.fromCharCode(byte) : bytes), '')), [document.getElementById('qztext').closest('[lang]').lang, getComputedStyle(qzscreen).outlineStyle,
      ...[...document.querySelectorAll('#qztext div')].map((d) => [d.textContent, d.getAttribute('aria-hidden')])]];
  });
  assert.ok(Buffer.from(picture, 'base64').equals(native.subarray(0, -1000)));
  assert.deepEqual(rows, ['cs', 'solid', ...native.subarray(-1000).toString('latin1').match(/.{40}/gs).map((row) => [row.trimEnd() || ' ', row.trim() ? null : 'true'])]);
}

// The editing keys, text inserted and deleted by editing commands, and Delete's beep at the end
// of the line, heard once the first key has made the audio ready; one on a desktop whose page changes size
// and goes full screen and back (the screen's state after each step), one on a large desktop,
// one on a phone, where a tap on the screen brings up the keyboard. A step may need what not
// every engine can do.
const kPlemo = { program: 'plemo', keys: ['2', '7', 'ArrowLeft', 'Backspace', 'End', '0', 'Enter'],
  codes: [50, 55, 19455, 8, 20479, 48, 13], tones: [] };
const kSessions = [
  { program: 'zorvy', keys: ['1', 'wait:audio', 'text:é', 'text:é', 'delete:', 'delete:', '0', 'End', 'Delete', 'text:\r\n'],
    tones: [[1000, 250, true, 0.1]], codes: [49, 130, 130, 8, 8, 48, 20479, 21503, 13], size: kDesktop, steps: [
      [{ width: 480, height: 300 }, ['qzkeys', '', 80, 50, 320, 200, 0, 0]], [{ width: 300, height: 180, needs: 'narrow' }, ['qzkeys', '', -10, -10, 320, 200, 0, 0]],
      [kDesktop, ['qzkeys', '', 20, 50, 960, 600, 0, 0]], [{ key: 'Alt+Enter', needs: 'fullscreen' }, ['qzkeys', 'qzscreen', 20, 50, 960, 600, 0, 0]],
      [{ key: 'Alt+Enter', needs: 'fullscreen' }, ['qzkeys', '', 20, 50, 960, 600, 0, 0]]] },
  { ...kPlemo, size: { width: 1280, height: 800 }, steps: [[{}, ['qzkeys', '', 0, 0, 1280, 800, 0, 0]]] },
  { ...kPlemo, size: {}, device: devices['Pixel 5'], needs: 'phone', steps: [[{}, ['qzkeys', '', 60, 700, 960, 600, 0, 0]],
    [{ tap: '#qzscreen' }, ['qzkeys', '', 60, 700, 960, 600, 0, 0]]] },
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
            if (step.tap) await page.evaluate(() => document.activeElement.blur()).then(() => page.raw.tap(step.tap));
            await (step.key ? page.press(step.key) : step.width && page.resize(step.width, step.height));
            await settles(page, state, screenState);
          }
          await assertTypedScreen(page, session.program, session.keys, session.codes);
          // Runs again, the bound inserted as text with CR LF.
          for (let run = 0; run < 3; ++run) {
            await page.press('x');
            await hasEnded(page, session.program);
            await page.evaluate(() => document.getElementById('qzrun').click());
            await settles(page, true, () => /Zadej.*\?$/.test(document.getElementById('qztext').textContent.trimEnd()));
            await assertTypedScreen(page, session.program, ['text:5\r\n'], [53, 13]);
          }
          // A while later the pause for keys is still all that is pending, and the audio sleeps.
          await new Promise((resolve) => setTimeout(resolve, 1500));
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
        // The probe has ended: the page offers to run it again, unscrolled, the screen without
        // the keys' outline. Its lines since it became ready are the codes.
        await hasEnded(page, 'window_probe');
        assert.deepEqual(await page.evaluate(() => logged.slice(logged.indexOf('ready') + 1)), kKeys.flatMap(([, ...codes]) => codes.map(String)));
        assert.deepEqual(await page.evaluate(() => [document.activeElement.id, scrollY, qzmain.scrollTop, getComputedStyle(qzscreen).outlineStyle]), ['qzrun', 0, 0, 'none']);
        await page.close();
      });
    });
  }
});

// The site holds its pages and what they link to. As an app: Chromium finds it installable, and
// its start opens the program's page; without JavaScript the page says so. A first visit caches
// what its page needs, and the pages visited later add theirs. Every page then opens with the
// host stalling (taking connections, never answering), one with a query after its name; a
// rebuild that changes a page, after one visit that reaches the host, is what runs to its report
// with the host gone.
test('Chromium: the site installs, caches its pages as they are visited, runs offline, and a new build replaces the cached one', kTimeout, async (t) => {
  const kSite = ['index.html', 'page.js', 'plemo-256.png', 'plemo-64.png', 'plemo.html', 'plemo.js', 'plemo.wasm', 'plemo.webmanifest',
    'service-worker.js', 'zorvy-256.png', 'zorvy-64.png', 'zorvy.html', 'zorvy.js', 'zorvy.wasm', 'zorvy.webmanifest'];
  assert.deepEqual(readdirSync(process.env.WEB_SITE).sort(), kSite);
  const folder = mkdtempSync(join(tmpdir(), 'site-'));
  let host = await serve({ site: folder });
  t.after(() => host.close().then(() => rmSync(folder, { recursive: true })));
  cpSync(process.env.WEB_SITE, folder, { recursive: true });
  const chromium = engines.find((engine) => engine.can.has('devtools'));
  assert.equal(await (await chromium.open(`${host.url}/site/zorvy.html`, { ...kDesktop, device: { javaScriptEnabled: false } })).raw.innerText('body'),
    'zorvy runs on JavaScript, which this browser has turned off for the page.');
  const page = await chromium.open(`${host.url}/site/zorvy.html`, kDesktop);
  assert.deepEqual((await page.devtools('Page.getInstallabilityErrors')).installabilityErrors, [{ errorId: 'in-incognito', errorArguments: [] }]);
  assert.equal((await page.devtools('Page.getAppManifest')).manifest.startUrl, `${host.url}/site/zorvy.html`);
  // The worker that serves the page is active, and the one cache, the build's, holds these files.
  const holds = (files) => settles(page, ['activated', [[`zorvy-plemo-${readFileSync(join(folder, 'service-worker.js'), 'latin1').match(/kBuild = '(\w+)'/)[1]}`, files]]],
    () => Promise.all([navigator.serviceWorker.controller?.state, caches.keys().then((names) => Promise.all(names.map(async (name) =>
      [name, (await (await caches.open(name)).keys()).map((request) => request.url.replace(/.*\/site\//, '') || './').sort()])))]));
  // Opens a page of the site: its title, and a program's dialogue.
  const opens = (file, title) => page.raw.goto(`${host.url}/site/${file}`).then(() => settles(page, [title, file !== 'index.html'],
    () => [document.title, /Zadej do jakeho cisla pocitat/.test(document.getElementById('qztext')?.textContent)]));
  // Zorvy's page and the shared files; then every page's.
  const kZorvy = kSite.filter((file) => !/^(index|plemo|service)/.test(file));
  await holds(kZorvy);
  for (const file of ['index.html', 'plemo.html']) await page.raw.goto(`${host.url}/site/${file}`);
  await holds(['./', ...kSite.filter((file) => file !== 'service-worker.js')]);
  await host.close();
  host = await serve({}, { port: host.port, stall: true });
  for (const [file, title] of [['index.html', 'zorvy and plemo'], ['plemo.html?from=home', 'plemo'], ['zorvy.html', 'zorvy']]) await opens(file, title);
  await host.close();
  writeFileSync(join(folder, 'zorvy.html'), readFileSync(join(folder, 'zorvy.html'), 'latin1').replace('<title>zorvy', '<title>zorvy, rebuilt'));
  execFileSync('cmake', [`-DSITE=${folder}`, `-DTEMPLATE=${new URL('../../app/web/service-worker.js', import.meta.url).pathname}`,
    '-P', new URL('../../app/web/service_worker.cmake', import.meta.url).pathname]);
  host = await serve({ site: folder }, { port: host.port });
  await page.raw.reload();
  await holds(kZorvy);
  await host.close();
  await opens('zorvy.html', 'zorvy, rebuilt');
  await typeKeys(page, ['text:5\r\n']);
  await showsText(page, 'Nejvyssi faktorial');
  await page.close();
});
