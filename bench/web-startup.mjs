// Time from navigation to a program's first frame in headless Chromium,
// for the program's page and the bare window's, loads taken in turn, each a
// first visit (a browser context of its own: nothing cached, no worker).
// Then one first visit of each over a slow line, as a phone in the field
// has: 1.6 Mbit/s down, 150 ms of latency (Chromium's network emulation).
// Usage: node web-startup.mjs PAGE-FOLDER LOADS
// Prints "web_first_frame: <median> ms", "web_floor_first_frame: ...", their
// ratio, and "web_slow_first_frame", "web_slow_floor_first_frame".
//
// The first frame is told from inside the page, the same way for both: the
// first draw call Qt makes into the page's WebGL canvas, which is when its
// compositor first puts a window on it, read on the page's own clock, whose
// zero is the navigation's start. A screenshot then confirms the window.
import { drawn, launch, serve } from '../tests/web/page.mjs';

const [folder, loads = '7'] = process.argv.slice(2);
const site = await serve(folder);
const browser = await launch();

function firstDraw() {
  window.firstDraw = null;
  const get = HTMLCanvasElement.prototype.getContext;
  HTMLCanvasElement.prototype.getContext = function (kind, ...rest) {
    const context = get.call(this, kind, ...rest);
    if (context && /webgl/.test(kind) && !context.counted) {
      context.counted = true;
      for (const call of ['drawArrays', 'drawElements']) {
        const draw = context[call].bind(context);
        context[call] = (...args) => {
          window.firstDraw ??= performance.now();
          return draw(...args);
        };
      }
    }
    return context;
  };
}

async function firstFrame(path, line) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  const analyst = await context.newPage();
  if (line)
    await (await page.createCDPSession()).send('Network.emulateNetworkConditions', { offline: false, ...line });
  await page.setViewport({ width: 1024, height: 640 });
  await page.bringToFront();
  await page.evaluateOnNewDocument(firstDraw);
  await page.goto(`${site.origin}${path}`);
  await page.waitForFunction(() => window.firstDraw !== null, { timeout: 180000, polling: 50 });
  const ms = await page.evaluate(() => window.firstDraw);
  await new Promise((resolve) => setTimeout(resolve, 500));
  const box = await drawn(page, analyst);
  if (!box || box.width < 473) throw new Error(`no window on ${path} after its first frame`);
  await context.close();
  return ms;
}

const median = (values) => values.sort((a, b) => a - b)[Math.floor(values.length / 2)];
try {
  const program = [], floor = [];
  for (let i = 0; i < Number(loads); ++i) {
    program.push(await firstFrame('/'));
    floor.push(await firstFrame('/bench/'));
  }
  console.log(`web_first_frame: ${median(program).toFixed(0)} ms`);
  console.log(`web_floor_first_frame: ${median(floor).toFixed(0)} ms`);
  console.log(`ratio_web_first_frame: ${(median(program) / median(floor)).toFixed(2)}`);
  const slow = { latency: 150, downloadThroughput: 1.6e6 / 8, uploadThroughput: 0.75e6 / 8 };
  console.log(`web_slow_first_frame: ${(await firstFrame('/', slow)).toFixed(0)} ms`);
  console.log(`web_slow_floor_first_frame: ${(await firstFrame('/bench/', slow)).toFixed(0)} ms`);
} finally {
  await browser.close();
  site.close();
}
