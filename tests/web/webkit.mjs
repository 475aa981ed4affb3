// WebKitGTK's MiniBrowser through Debian's WebKitWebDriver, on an X server of its own (Xvfb),
// driven by plain W3C WebDriver calls. The browser's home, caches and runtime files live in a
// folder of its own, removed at the end. All pages share the browser's storage.
import { execFile, spawn } from 'node:child_process';
import { mkdtempSync, readdirSync, readFileSync, rmSync } from 'node:fs';
import { createServer } from 'node:net';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { setTimeout as sleep } from 'node:timers/promises';

import { keyActions } from './webdriver-keys.mjs';

const kMiniBrowser = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';

// Each running process's parent, from /proc (ended ones left unreaped count as ended).
function runningParents() {
  const parents = new Map();
  for (const pid of readdirSync('/proc').filter((name) => /^\d+$/.test(name))) {
    try {
      const [state, parent] = readFileSync(`/proc/${pid}/stat`, 'utf8').split(') ').pop().split(' ');
      if (state !== 'Z') parents.set(Number(pid), Number(parent));
    } catch { /* ended meanwhile */ }
  }
  return parents;
}

const signal = (pid, name) => { try { process.kill(pid, name); } catch { /* ended already */ } };

// The processes given and all they started, as far as they run.
function family(roots) {
  const found = [...roots], parents = runningParents();
  for (let i = 0; i < found.length; i++) for (const [pid, parent] of parents) if (parent === found[i]) found.push(pid);
  return found;
}

// Waits for the processes given to end (a kill after a second).
async function ended(pids) {
  for (let tries = 0, left = pids; left.length > 0; tries++, left = pids.filter((pid) => runningParents().has(pid))) {
    if (tries === 50) left.forEach((pid) => signal(pid, 'SIGKILL'));
    await sleep(20);
  }
}

async function freePort() {
  const server = createServer().listen(0, '127.0.0.1');
  await new Promise((resolve) => server.once('listening', resolve));
  const { port } = server.address();
  await new Promise((resolve) => server.close(resolve));
  return port;
}

// An Xvfb that picks its own display (written to its descriptor 3) and keeps its keymap when
// its last client leaves.
async function startXvfb() {
  const xvfb = spawn('Xvfb', ['-displayfd', '3', '-noreset', '-nolisten', 'tcp', '-screen', '0', '1920x1200x24'],
    { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
  const number = await new Promise((resolve, reject) => {
    xvfb.stdio[3].once('data', (data) => resolve(String(data).trim()));
    xvfb.once('exit', () => reject(new Error('Xvfb ended before it chose a display')));
  });
  return { xvfb, display: `:${number}` };
}

// The driver's HTTP endpoint: one call, its value, or its error thrown.
const endpoint = (base) => async (method, path, body) => {
  const response = await fetch(base + path, { method, headers: { 'content-type': 'application/json' },
    body: body === undefined ? undefined : JSON.stringify(body) });
  const { value } = await response.json();
  if (response.status !== 200) throw new Error(`WebDriver ${method} ${path}: ${value.error}: ${value.message}`);
  return value;
};

// The driver on a free port (pushed to the children given) and a MiniBrowser session: its calls.
// No session bus and no accessibility bus: either would start daemons that outlive the browser.
async function startSession(display, home, children) {
  const port = await freePort();
  const environment = { ...process.env, DISPLAY: display, HOME: home, XDG_RUNTIME_DIR: home,
    XDG_CACHE_HOME: join(home, 'cache'), XDG_DATA_HOME: join(home, 'data'), XDG_CONFIG_HOME: join(home, 'config'),
    DBUS_SESSION_BUS_ADDRESS: 'disabled:', NO_AT_BRIDGE: '1', GTK_A11Y: 'none' };
  children.push(spawn('WebKitWebDriver', [`--port=${port}`], { stdio: 'ignore', env: environment }));
  const call = endpoint(`http://127.0.0.1:${port}`);
  const ready = (tries) => call('GET', '/status').then(({ ready }) => ready, (error) => { if (tries > 100) throw error; });
  for (let tries = 0; !(await ready(tries)); tries++) await sleep(50);
  const { sessionId } = await call('POST', '/session', { capabilities: { alwaysMatch: {
    'webkitgtk:browserOptions': { binary: kMiniBrowser, args: ['--automation'] } } } });
  const session = (method, path = '', body) => call(method, `/session/${sessionId}${path}`, body);
  await session('POST', '/timeouts', { script: 300000 });
  return session;
}

export async function launch() {
  const home = mkdtempSync(join(tmpdir(), 'webkit-'));
  const { xvfb, display } = await startXvfb();
  const children = [xvfb], session = { call: null };
  const endNow = () => {  // should the caller end without close()
    children.forEach((child) => child.kill());
    try { rmSync(home, { recursive: true, force: true }); } catch { /* still in use: left behind */ }
  };
  process.once('exit', endNow);
  async function close() {
    process.off('exit', endNow);
    const pids = family(children.map((child) => child.pid));  // before the browser's processes lose their parent
    await session.call?.('DELETE').catch(() => {});
    children.forEach((child) => child.kill());
    await ended(pids);
    rmSync(home, { recursive: true, force: true });
  }
  try { session.call = await startSession(display, home, children); } catch (error) { await close(); throw error; }
  const call = session.call, first = await call('GET', '/window');

  // Each page has a window of its own; the first window stays open while pages come and go (the
  // session ends with its last window), and is the current one while no page is.
  async function open(url, { width, height }) {
    const { handle } = await call('POST', '/window/new', { type: 'window' });
    const inWindow = async (method, path, body) => (await call('POST', '/window', { handle }), call(method, path, body));
    const evaluate = (fn, arg) => inWindow('POST', '/execute/async', { args: [arg], script: `const done = arguments[1];
      Promise.resolve(arguments[0]).then(${fn})
        .then((value) => done({ value }), (error) => done({ error: String(error) }));` })
      .then(({ value, error }) => { if (error) throw new Error(error); return value; });
    // The window's outer size less the chrome around the page, until the page has the size.
    async function resize(w, h) {
      for (let tries = 0; tries < 20; tries++) {
        const [innerW, innerH] = await evaluate(() => [innerWidth, innerHeight]);
        if (innerW === w && innerH === h) return;
        const rect = await inWindow('GET', '/window/rect');
        await inWindow('POST', '/window/rect', { width: rect.width + w - innerW, height: rect.height + h - innerH });
        await sleep(50);
      }
      throw new Error(`WebKit's page cannot be ${w} x ${h}`);
    }
    // WebKit pastes on Shift+Insert from the X server but not from WebDriver: that key goes
    // through the X server to the window under the pointer, and is done once the page sees it.
    async function pressThroughX(key) {
      await evaluate(() => {
        window.keyReleased = new Promise((resolve) => addEventListener('keyup', resolve, { once: true, capture: true }));
      });
      const { x, y, width: w, height: h } = await inWindow('GET', '/window/rect');
      const xdotool = ['mousemove', '--sync', String(x + w / 2), String(y + h / 2), 'key', key];
      await new Promise((resolve, reject) => execFile('xdotool', xdotool, { env: { ...process.env, DISPLAY: display } },
        (error) => (error ? reject(error) : resolve())));
      await evaluate(() => keyReleased.then(() => delete window.keyReleased));
    }
    const closePage = () => inWindow('DELETE', '/window').then(() => call('POST', '/window', { handle: first }));
    const page = { evaluate, resize, close: closePage,
      press: (key) => (key === 'Shift+Insert' ? pressThroughX('shift+Insert') : inWindow('POST', '/actions',
        { actions: [{ type: 'key', id: 'keyboard', actions: keyActions(key) }] })) };
    await inWindow('POST', '/url', { url });
    await resize(width, height);
    return page;
  }
  return { name: 'webkit', open, close };
}
