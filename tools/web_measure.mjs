// Measures the web pages in Debian's Chromium, headless: the time from the start of the page's
// load to its first picture (the dialogue's question), and the processor time the page (its
// renderer process) and the whole browser use while the program waits for the line, then for
// the final key. Run after make web-test (which installs playwright-core):
//   node tools/web_measure.mjs [PROGRAM [SECONDS]]
import { execFileSync, spawn } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';

const require = createRequire(new URL('../tests/web/package.json', import.meta.url));
const { chromium } = require('playwright-core');
const program = process.argv[2] || 'zorvy';
const seconds = Number(process.argv[3] || 10);

const server = spawn('python3', ['-u', '-m', 'http.server', '--bind', '127.0.0.1', '0'],
  { cwd: new URL('../build-web', import.meta.url).pathname, stdio: ['ignore', 'pipe', 'ignore'] });
const url = await new Promise((resolve) => server.stdout.on('data', (chunk) => {
  const port = /port (\d+)/.exec(String(chunk));
  if (port) resolve(`http://127.0.0.1:${port[1]}/${program}.html`);
}));

// Processor time (user + system, in seconds) of the processes below this one, the browser's:
// the renderers' and all.
function browserCpuSeconds() {
  const tree = execFileSync('ps', ['-e', '-o', 'pid=,ppid=']).toString().trim().split('\n')
    .map((line) => line.trim().split(/\s+/).map(Number));
  const mine = new Set([process.pid]);
  for (let grown = true; grown;) {
    grown = false;
    for (const [pid, ppid] of tree) if (mine.has(ppid) && !mine.has(pid)) { mine.add(pid); grown = true; }
  }
  mine.delete(process.pid);
  const used = { renderer: 0, all: 0 };
  for (const pid of mine) {
    try {
      const fields = readFileSync(`/proc/${pid}/stat`, 'utf8').split(') ')[1].split(' ');
      const seconds = (Number(fields[11]) + Number(fields[12])) / 100;
      if (readFileSync(`/proc/${pid}/cmdline`, 'utf8').includes('--type=renderer')) used.renderer += seconds;
      used.all += seconds;
    } catch { /* ended meanwhile */ }
  }
  return used;
}

async function idleShare(page, what) {
  await page.waitForTimeout(1000);
  const before = browserCpuSeconds();
  await page.waitForTimeout(seconds * 1000);
  const after = browserCpuSeconds();
  const share = (key) => (100 * (after[key] - before[key]) / seconds).toFixed(2);
  console.log(`${program}: ${what}: the page used ${share('renderer')} % of a core, the whole browser ${share('all')} %`);
}

const browser = await chromium.launch({ executablePath: '/usr/bin/chromium',
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'] });
const page = await browser.newPage();
await page.addInitScript(() => {
  const put = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function (...args) {
    if (window.firstPicture === undefined) window.firstPicture = performance.now();
    return put.apply(this, args);
  };
});
await page.goto(url);
await page.waitForFunction(() => document.getElementById('qztext').textContent.includes('Zadej'));
const first = await page.evaluate(() => window.firstPicture);
console.log(`${program}: first picture ${first.toFixed(0)} ms after the load began`);
await idleShare(page, 'waiting for the line');
await page.keyboard.type('10');
await page.keyboard.press('Enter');
await idleShare(page, 'waiting for the final key');
await browser.close();
server.kill();
