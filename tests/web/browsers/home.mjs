// A browser's home: a folder of its own for its profile, caches and runtime files, with the
// daemons it needs started there. Closing it ends the browser, then the daemons, and removes the
// folder. No session bus and no accessibility bus: either would start daemons that outlive the
// browser.
import { spawn } from 'node:child_process';
import { once } from 'node:events';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

// Calls start with a new home and returns what it returns; if start fails, the home is closed.
export async function withHome(prefix, start) {
  const dir = mkdtempSync(join(tmpdir(), prefix)), daemons = [], endings = [];
  const env = { ...process.env, HOME: dir, XDG_RUNTIME_DIR: dir, XDG_CACHE_HOME: join(dir, 'cache'),
    XDG_DATA_HOME: join(dir, 'data'), XDG_CONFIG_HOME: join(dir, 'config'), DBUS_SESSION_BUS_ADDRESS: 'disabled:',
    NO_AT_BRIDGE: '1', GTK_A11Y: 'none' };
  const home = {
    dir, env,
    // A daemon, with the home's environment and no standard streams unless the options say.
    daemon: (command, args, options) => daemons[daemons.push(spawn(command, args, { env, stdio: 'ignore', ...options })) - 1],
    // A step that ends the browser; the last one given runs first.
    atClose: (step) => endings.unshift(step),
    async close() {
      for (const step of endings) await step().catch(() => {});
      await Promise.all(daemons.filter((child) => child.kill()).map((child) => once(child, 'exit')));
      // A browser's processes may still write their caches for a moment after it ends.
      rmSync(dir, { recursive: true, force: true, maxRetries: 20, retryDelay: 100 });
    },
  };
  try { return await start(home); } catch (error) { await home.close(); throw error; }
}
