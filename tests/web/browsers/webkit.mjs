// WebKitGTK's MiniBrowser through Debian's WebKitWebDriver, on an X server of its own (Xvfb),
// driven by plain W3C WebDriver calls: one of the browsers that drive the pages (as chromium.mjs
// and firefox.mjs do), one page at a time. The browser's home, caches and runtime files live in
// a folder of its own, removed at the end. All pages share the browser's storage.
import { spawn } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { createServer } from 'node:net';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { setTimeout as sleep } from 'node:timers/promises';

import { keyActions } from './webdriver-keys.mjs';

const kMiniBrowser = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';

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
  return (method, path = '', body) => call(method, `/session/${sessionId}${path}`, body);
}

export async function launch() {
  const home = mkdtempSync(join(tmpdir(), 'webkit-'));
  const { xvfb, display } = await startXvfb();
  const children = [xvfb];
  // The browser's web processes may still write their caches for a moment after the session.
  async function close() {
    await call?.('DELETE').catch(() => {});
    children.forEach((child) => child.kill());
    rmSync(home, { recursive: true, force: true, maxRetries: 20, retryDelay: 100 });
  }
  let call;
  try { call = await startSession(display, home, children); } catch (error) { await close(); throw error; }
  const evaluate = (fn, arg) => call('POST', '/execute/sync', { args: [arg], script: `return (${fn})(arguments[0]);` });
  // The window's outer size less the chrome around the page, until the page has the size.
  async function resize(w, h) {
    for (let tries = 0; tries < 20; tries++) {
      const [innerW, innerH] = await evaluate(() => [innerWidth, innerHeight]);
      if (innerW === w && innerH === h) return;
      const rect = await call('GET', '/window/rect');
      await call('POST', '/window/rect', { width: rect.width + w - innerW, height: rect.height + h - innerH });
      await sleep(50);
    }
    throw new Error(`WebKit's page cannot be ${w} x ${h}`);
  }
  const page = { evaluate, resize, close: () => call('POST', '/url', { url: 'about:blank' }),
    press: (key) => call('POST', '/actions', { actions: [{ type: 'key', id: 'keyboard', actions: keyActions(key) }] }) };

  // The pages come one after another in the session's window.
  async function open(url, { width, height }) {
    await call('POST', '/url', { url });
    await resize(width, height);
    return page;
  }
  // No touch; no window narrower than 447 pixels; a full screen the size of the window, not of
  // the page; Shift+Insert from WebDriver does not paste.
  return { name: 'WebKit', can: new Set(), cannot: ['Shift+Insert'], open, close };
}
