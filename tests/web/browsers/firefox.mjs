// Debian's Firefox ESR, headless, driven by puppeteer-core over WebDriver BiDi: one of the
// browsers that drive the pages (as chromium.mjs and webkit.mjs do). Each page has a browser
// context (its storage) of its own. Firefox's audio runs only with a sound server: its home has a
// PulseAudio with a null sink.
import { existsSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';

import puppeteer from 'puppeteer-core';

import { withHome } from './home.mjs';
import { poll } from './poll.mjs';
import { keyActions } from './webdriver-keys.mjs';

// A PulseAudio that takes clients on a socket in the home, plays into a null sink and never exits
// by itself; the environment its clients need.
async function startSoundServer(home) {
  const socket = join(home.dir, 'pulse-socket'), config = join(home.dir, 'client.conf');
  // A null sink with no stream in it sleeps up to 2 s, and a new stream waits for it to wake: the
  // loopback keeps it awake every 40 ms, so that an AudioContext runs within that of its start.
  home.daemon('pulseaudio', ['-n', '--daemonize=no', '--exit-idle-time=-1', '--use-pid-file=no',
    '--load=module-null-sink sink_name=out', '--load=module-null-sink sink_name=quiet',
    '--load=module-loopback source=quiet.monitor sink=out latency_msec=40',
    `--load=module-native-protocol-unix socket=${socket} auth-anonymous=1`]);
  await poll(() => existsSync(socket), 'PulseAudio to start');
  writeFileSync(config, 'autospawn = no\n');
  return { ...home.env, PULSE_SERVER: `unix:${socket}`, PULSE_CLIENTCONFIG: config };
}

export const launch = () => withHome('firefox-', async (home) => {
  const browser = await puppeteer.launch({ browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: true,
    userDataDir: join(home.dir, 'profile'), env: await startSoundServer(home) });
  home.atClose(() => browser.close());
  async function open(url, { width, height }) {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    const resize = (w, h) => page.setViewport({ width: w, height: h })
      .then(() => page.waitForFunction((size) => innerWidth === size[0] && innerHeight === size[1], {}, [w, h]));
    await resize(width, height);
    await page.goto(url, { waitUntil: 'load' });
    return { evaluate: (fn, arg) => page.evaluate(fn, arg), resize, close: () => context.close(),
      press: async (key) => {
        for (const { type, value } of keyActions(key)) await page.keyboard[type === 'keyDown' ? 'down' : 'up'](value);
      } };
  }
  // Full screen is the size of the headless screen, not of the page.
  return { name: 'Firefox', can: new Set(['narrow']), open, close: home.close };
});
