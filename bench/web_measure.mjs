// Measures the web pages in a browser of the web tests (chromium, firefox or webkit): the time
// from the start of the page's load to its first picture (the dialogue's question), and the
// processor time the whole browser (every process it started) uses while the program waits for
// the line, then for the final key, and how long after Delete's key the beep's sound begins
// (its audio clock moves on from the tone's start), as the first key and half a second after.
// Run after make web-test (which installs the drivers in tests/web/browsers/):
//   node bench/web_measure.mjs [ENGINE [PROGRAM [SECONDS]]]
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';

import { poll } from '../tests/web/browsers/poll.mjs';
import { serve } from '../tests/web/browsers/serve.mjs';

const [engineName = 'chromium', program = 'zorvy', seconds = 10] = process.argv.slice(2);
if (!['chromium', 'firefox', 'webkit'].includes(engineName) || !['zorvy', 'plemo'].includes(program) || !(seconds > 0)) {
  console.error('usage: node bench/web_measure.mjs [chromium|firefox|webkit [zorvy|plemo [SECONDS]]]');
  process.exit(2);
}
const { launch } = await import(`../tests/web/browsers/${engineName}.mjs`);
// The time of the page's first picture: its first drawing on a canvas.
const kFirstPicture = `<script>const put = CanvasRenderingContext2D.prototype.putImageData;
CanvasRenderingContext2D.prototype.putImageData = function (...args) {
  window.firstPicture ??= performance.now();
  return put.apply(this, args);
};</script>`;

// Processor time (user + system, in seconds) of the processes below this one.
function browserCpuSeconds() {
  const tree = execFileSync('ps', ['-e', '-o', 'pid=,ppid=']).toString().trim().split('\n')
    .map((line) => line.trim().split(/\s+/).map(Number));
  const mine = new Set([process.pid]);
  for (let grown = true; grown;) {
    grown = false;
    for (const [pid, ppid] of tree) if (mine.has(ppid) && !mine.has(pid)) { mine.add(pid); grown = true; }
  }
  mine.delete(process.pid);
  let used = 0;
  for (const pid of mine) {
    try {
      const fields = readFileSync(`/proc/${pid}/stat`, 'utf8').split(') ')[1].split(' ');
      used += (Number(fields[11]) + Number(fields[12])) / 100;
    } catch { /* ended meanwhile */ }
  }
  return used;
}

const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// The milliseconds from a key's event to the first frame at which the audio clock has moved on
// from the start of the tone the key made.
function watchBeep() {
  document.addEventListener('keydown', () => { window.keyAt = performance.now(); }, true);
  const start = OscillatorNode.prototype.start;
  OscillatorNode.prototype.start = function (...args) {
    const [audio, from] = [this.context, this.context.currentTime];
    const look = () => (audio.currentTime > from ? (window.beepAfter = performance.now() - keyAt) : requestAnimationFrame(look));
    look();
    return start.apply(this, args);
  };
}

async function beepDelay(keys, what) {
  await page.evaluate(() => { window.beepAfter = undefined; });
  for (const key of keys) await (key === 'wait' ? pause(500) : page.press(key));
  await pause(2000);
  console.log(`${engine.name}, ${program}: ${what}: the beep sounded ${(await page.evaluate(() => window.beepAfter))?.toFixed(0)} ms after the key`);
}

async function idleShare(what) {
  await pause(1500);
  const before = browserCpuSeconds();
  await pause(seconds * 1000);
  const share = (100 * (browserCpuSeconds() - before) / seconds).toFixed(2);
  console.log(`${engine.name}, ${program}: ${what}: the browser used ${share} % of a core`);
}

const server = await serve({ site: new URL('../build-web', import.meta.url).pathname }, { head: kFirstPicture });
const engine = await launch();
const page = await engine.open(`${server.url}/site/${program}.html`, { width: 1000, height: 700 });
await poll(() => page.evaluate(() => document.getElementById('qztext')?.textContent.includes('Zadej')), 'the question',
  { tries: 500, ms: 20 });
const first = await page.evaluate(() => window.firstPicture);
console.log(`${engine.name}, ${program}: first picture ${first.toFixed(0)} ms after the load began`);
await idleShare('waiting for the line');
await page.evaluate(watchBeep);
await beepDelay(['Delete'], 'Delete as the first key');
await pause(2000);
await beepDelay(['1', 'wait', 'Delete'], 'Delete half a second after a key');
for (const key of ['0', 'Enter']) await page.press(key);
await idleShare('waiting for the final key');
await engine.close();
await server.close();
