// Debian's Firefox ESR, headless, driven by puppeteer-core over WebDriver BiDi: one of the
// browsers that drive the pages (as chromium.mjs and webkit.mjs do). Each page has a
// browser context (its storage) of its own. Firefox's audio runs only with a sound server: it
// has a PulseAudio of its own with a null sink. The browser's home and the sound server's files
// live in a folder of their own, removed at the end.
import { spawn } from 'node:child_process';
import { existsSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { setTimeout as sleep } from 'node:timers/promises';

import puppeteer from 'puppeteer-core';

import { keyActions } from './webdriver-keys.mjs';

// A PulseAudio in the folder given that takes clients on its socket there, plays into a null sink
// and never exits by itself; the environment its clients need.
async function startSoundServer(home) {
  const socket = join(home, 'pulse-socket'), environment = { ...process.env, HOME: home, XDG_RUNTIME_DIR: home,
    XDG_CONFIG_HOME: join(home, 'config'), DBUS_SESSION_BUS_ADDRESS: 'disabled:' };
  // A null sink with no stream in it sleeps up to 2 s, and a new stream waits for it to wake: the
  // loopback keeps it awake every 40 ms, so that an AudioContext runs within that of its start.
  const server = spawn('pulseaudio', ['-n', '--daemonize=no', '--exit-idle-time=-1', '--use-pid-file=no',
    '--load=module-null-sink sink_name=out', '--load=module-null-sink sink_name=quiet',
    '--load=module-loopback source=quiet.monitor sink=out latency_msec=40',
    `--load=module-native-protocol-unix socket=${socket} auth-anonymous=1`], { env: environment, stdio: 'ignore' });
  for (let tries = 0; !existsSync(socket); tries++) {
    if (tries > 200 || server.exitCode !== null) throw new Error('PulseAudio did not start');
    await sleep(25);
  }
  writeFileSync(join(home, 'client.conf'), 'autospawn = no\n');
  return { server, environment: { ...environment, PULSE_SERVER: `unix:${socket}`,
    PULSE_CLIENTCONFIG: join(home, 'client.conf') } };
}

export async function launch() {
  const home = mkdtempSync(join(tmpdir(), 'firefox-'));
  const sound = await startSoundServer(home);
  let browser;
  async function close() {
    await browser?.close();
    sound.server.kill();
    const { exitCode, signalCode } = sound.server;
    if (exitCode === null && signalCode === null) await new Promise((resolve) => sound.server.once('exit', resolve));
    rmSync(home, { recursive: true, force: true });
  }
  try {
    browser = await puppeteer.launch({ browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: true,
      userDataDir: join(home, 'profile'), env: sound.environment });
  } catch (error) { await close(); throw error; }

  async function open(url, { width, height }) {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    const resize = async (w, h) => {
      await page.setViewport({ width: w, height: h });
      await page.waitForFunction((size) => innerWidth === size[0] && innerHeight === size[1], {}, [w, h]);
    };
    await resize(width, height);
    await page.goto(url, { waitUntil: 'load' });
    return {
      evaluate: (fn, arg) => page.evaluate(fn, arg),
      press: async (key) => {
        for (const { type, value } of keyActions(key)) await page.keyboard[type === 'keyDown' ? 'down' : 'up'](value);
      },
      resize,
      close: () => context.close(),
    };
  }
  // Full screen is the size of the headless screen, not of the page.
  return { name: 'Firefox', can: new Set(['narrow']), cannot: [], open, close };
}
