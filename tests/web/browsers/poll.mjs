// Waiting for something that a browser or a daemon does in its own time.
import { setTimeout as sleep } from 'node:timers/promises';

// Calls check every ms milliseconds until it gives a truthy value, which it returns; an error
// counts as no value yet (a page still loading, a daemon not yet listening). After tries calls
// it fails, saying what it waited for.
export async function poll(check, what, { tries = 200, ms = 25 } = {}) {
  for (let tried = 0; tried < tries; tried++) {
    const value = await Promise.resolve().then(check).catch(() => undefined);
    if (value) return value;
    await sleep(ms);
  }
  throw new Error(`waited in vain for ${what}`);
}
