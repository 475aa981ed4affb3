// Debian's Chromium, headless, through Playwright: one of the browsers that drive the pages (as
// firefox.mjs and webkit.mjs do, with the same operations), and the one that also emulates a
// phone and speaks the DevTools protocol (page.raw is Playwright's page).
import { chromium } from 'playwright-core';

export { devices } from 'playwright-core';

export async function launch() {
  const browser = await chromium.launch({ executablePath: '/usr/bin/chromium',
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking'] });
  return {
    name: 'Chromium',
    can: new Set(['narrow', 'fullscreen', 'phone', 'devtools']),
    async open(url, { width, height, device = {} }) {
      const context = await browser.newContext({ viewport: { width, height }, permissions: ['clipboard-read', 'clipboard-write'], ...device });
      const raw = await context.newPage();
      await raw.goto(url);
      let cdp;
      return { raw, evaluate: (fn, arg) => raw.evaluate(fn, arg), press: (key) => raw.keyboard.press(key),
        resize: (w, h) => raw.setViewportSize({ width: w, height: h }), close: () => context.close(),
        // A call of the DevTools protocol, in the page's own session.
        devtools: async (method, params) => (cdp ??= await context.newCDPSession(raw)).send(method, params) };
    },
    close: () => browser.close(),
  };
}
