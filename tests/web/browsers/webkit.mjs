// WebKitGTK's MiniBrowser through Debian's WebKitWebDriver, on an X server of its own (Xvfb),
// driven by plain W3C WebDriver calls: one of the browsers that drive the pages (as chromium.mjs
// and firefox.mjs do), one page at a time. All pages share the browser's storage.
import { withHome } from './home.mjs';
import { poll } from './poll.mjs';
import { serve } from './serve.mjs';
import { keyActions } from './webdriver-keys.mjs';

const kMiniBrowser = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';

// The driver's HTTP endpoint: one call, its value, or its error thrown.
const endpoint = (base) => async (method, path, body) => {
  const response = await fetch(base + path, { method, headers: { 'content-type': 'application/json' }, body: JSON.stringify(body) });
  const { value } = await response.json();
  if (response.status !== 200) throw new Error(`WebDriver ${method} ${path}: ${value.error}: ${value.message}`);
  return value;
};

// The driver on a free port (the one the system gives a server, closed at once), in an Xvfb that
// picks its own display (written to its descriptor 3) and keeps its keymap when its last client
// leaves; a MiniBrowser session, its calls.
async function startSession(home) {
  const xvfb = home.daemon('Xvfb', ['-displayfd', '3', '-noreset', '-nolisten', 'tcp', '-screen', '0', '1920x1200x24'],
    { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
  let display;
  xvfb.stdio[3].once('data', (data) => { display = `:${String(data).trim()}`; });
  await poll(() => display, 'Xvfb to choose a display');
  const port = await serve({}).then((server) => server.close().then(() => server.port));
  home.daemon('WebKitWebDriver', [`--port=${port}`], { env: { ...home.env, DISPLAY: display } });
  const driver = endpoint(`http://127.0.0.1:${port}`);
  await poll(() => driver('GET', '/status').then(({ ready }) => ready), 'WebKitWebDriver to be ready');
  const { sessionId } = await driver('POST', '/session', { capabilities: { alwaysMatch: {
    'webkitgtk:browserOptions': { binary: kMiniBrowser, args: ['--automation'] } } } });
  const call = (method, path = '', body) => driver(method, `/session/${sessionId}${path}`, body);
  home.atClose(() => call('DELETE'));
  return call;
}

export const launch = () => withHome('webkit-', async (home) => {
  const call = await startSession(home);
  const evaluate = (fn, arg) => call('POST', '/execute/sync', { args: [arg], script: `return (${fn})(arguments[0]);` });
  // The window's outer size less the chrome around the page, until the page has the size.
  const resize = (w, h) => poll(async () => {
    const [innerW, innerH] = await evaluate(() => [innerWidth, innerHeight]);
    if (innerW === w && innerH === h) return true;
    const rect = await call('GET', '/window/rect');
    await call('POST', '/window/rect', { width: rect.width + w - innerW, height: rect.height + h - innerH });
  }, `WebKit's page to be ${w} x ${h}`, { tries: 20, ms: 50 });
  const page = { evaluate, resize, close: () => call('POST', '/url', { url: 'about:blank' }),
    press: (key) => call('POST', '/actions', { actions: [{ type: 'key', id: 'keyboard', actions: keyActions(key) }] }) };
  // The pages come one after another in the session's window. No touch; no window narrower than
  // 447 pixels; a full screen the size of the window, not of the page; Shift+Insert from
  // WebDriver does not paste.
  return { name: 'WebKit', can: new Set(), cannot: ['Shift+Insert'], close: home.close,
    open: (url, { width, height }) => call('POST', '/url', { url }).then(() => resize(width, height)).then(() => page) };
});
