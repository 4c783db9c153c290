// What the browser tests and the start-up benchmark share: a folder served
// on 127.0.0.1 as a static host would, Debian's Chromium driven headless,
// and the program's windows found where the page draws them.
import { spawn } from 'node:child_process';
import { once } from 'node:events';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';

// Serves `folder` with scripts/serve, the server the README offers for a
// trial, so that every test and benchmark gets what a person trying the page
// gets: the brotli forms of the big files, the content types, the answers
// that let the service worker see a new build. On `port` when given (the
// same origin for a changed build); resolves to the origin.
export async function serve(folder, { port = 0 } = {}) {
  const script = fileURLToPath(new URL('../../scripts/serve', import.meta.url));
  const server = spawn('python3', [script, folder, '--port', String(port)], { stdio: ['ignore', 'pipe', 'ignore'] });
  process.once('exit', () => server.kill());  // a test that fails leaves no server behind
  const origin = await Promise.race([
    new Promise((resolve) => server.stdout.once('data', (line) => resolve(String(line).trim().replace(/\/$/, '')))),
    once(server, 'exit').then(() => { throw new Error(`scripts/serve ${folder} did not start`); }),
    new Promise((_, reject) => setTimeout(() => reject(new Error('scripts/serve gave no address in 10 s')), 10000)),
  ]);
  return {
    origin,
    port: Number(new URL(origin).port),
    close: async () => {
      if (server.exitCode !== null || server.signalCode !== null) return;  // closed already
      server.kill();
      await Promise.race([once(server, 'exit'), new Promise((resolve) => setTimeout(resolve, 5000))]);
    },
  };
}

// Debian's Chromium, headless unless `window` is set, or Debian's Firefox
// ESR, driven through WebDriver BiDi, always in a window: headless, it has
// no WebGL here. Both draw WebGL in software: there is no GPU. A window is
// opened `size` big (its outer size), at the top left of the X display.
// `prefs`: Firefox's own, beside those every test needs.
export function launch({ engine = 'chromium', window = false, size = [1024, 760], args = [], prefs = {} } = {}) {
  if (engine === 'firefox')
    return puppeteer.launch({
      browser: 'firefox',
      executablePath: process.env.FIREFOX ?? '/usr/bin/firefox-esr',
      headless: false,
      protocol: 'webDriverBiDi',
      defaultViewport: null,
      args: [`--width=${size[0]}`, `--height=${size[1]}`, ...args],
      extraPrefsFirefox: {
        // The driver's test mode keeps the window from ever being focused,
        // and unfocused, Firefox composes no accent.
        'focusmanager.testmode': false,
        // The clipboard read without the button Firefox asks a person to press.
        'dom.events.testing.asyncClipboard': true,
        // Sound at once: Firefox waits for a person's own click or key, and
        // takes the driver's for none.
        'media.autoplay.default': 0,
        'media.autoplay.block-webaudio': false,
        ...prefs,
      },
    });
  return puppeteer.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    headless: !window,
    defaultViewport: window ? null : undefined,
    args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
      ...(window ? [`--window-size=${size[0]},${size[1]}`, '--window-position=0,0'] : []), ...args],
  });
}

// Qt clears the page's screen to this grey; everything else is a window.
const screenGrey = [0x33, 0x33, 0x33];

// The box around everything drawn on Qt's screen (null when nothing is), or
// with `at`, whether the pixel there is drawn at all. The screenshot is
// read in a blank page of its own, away from the program's.
export async function drawn(page, analyst, at) {
  const png = await page.screenshot({ encoding: 'base64' });
  return analyst.evaluate(async (data, grey, at) => {
    const image = new Image();
    image.src = `data:image/png;base64,${data}`;
    await image.decode();
    const canvas = new OffscreenCanvas(image.width, image.height);
    const context = canvas.getContext('2d');
    context.drawImage(image, 0, 0);
    const pixels = context.getImageData(0, 0, image.width, image.height).data;
    const isDrawn = (x, y) => {
      const i = 4 * (y * image.width + x);
      return pixels[i] !== grey[0] || pixels[i + 1] !== grey[1] || pixels[i + 2] !== grey[2];
    };
    if (at) return isDrawn(at.x, at.y);
    let left = image.width, top = image.height, right = -1, bottom = -1;
    for (let y = 0; y < image.height; ++y)
      for (let x = 0; x < image.width; ++x)
        if (isDrawn(x, y)) {
          left = Math.min(left, x); right = Math.max(right, x);
          top = Math.min(top, y); bottom = Math.max(bottom, y);
        }
    return right < 0 ? null : { x: left, y: top, width: right - left + 1, height: bottom - top + 1 };
  }, png, screenGrey, at);
}

// A moment for the program to answer: a key, a click, a box opening.
export const pause = (ms = 300) => new Promise((resolve) => setTimeout(resolve, ms));

// Presses a key on `page` with the modifiers before it held ('Control',
// 'KeyC'), then gives the program its moment.
export const pressOn = (page) => async (...keys) => {
  for (const k of keys.slice(0, -1)) await page.keyboard.down(k);
  await page.keyboard.press(keys.at(-1));
  for (const k of keys.slice(0, -1).reverse()) await page.keyboard.up(k);
  await pause();
};

// Waits until `check` holds, polling; fails with `what` after `seconds`.
export async function until(what, check, seconds = 30) {
  const end = Date.now() + seconds * 1000;
  for (;;) {
    const value = await check();
    if (value) return value;
    if (Date.now() > end) throw new Error(`waited ${seconds} s for ${what}`);
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
}
