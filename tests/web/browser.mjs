// The page in a real browser, used as a person would: served from the build
// folder on 127.0.0.1, opened in Debian's Chromium, keys clicked at the
// places the layout draws them, boxes answered from the keyboard, the
// message read back through the computer's clipboard, the program ended,
// and the browser's storage for the page found empty.
// Usage: node browser.mjs PAGE-FOLDER [SHOTS-FOLDER]
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdir, mkdtemp, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { drawn, launch, serve, until } from './page.mjs';

const [folder, shots] = process.argv.slice(2);
// A laptop's page, lower than the keyboard window: it is drawn smaller.
const viewport = { width: 1024, height: 640 };
const help = { width: 473, height: 566 };
const keyboard = { width: 800, height: 654 };
// Places in the keyboard window, in designed pixels: the centres of controls.
const at = {
  alpha: [40, 32], beta: [40, 72], omega: [312, 312], separator: [464, 32], customTop: [464, 72],
  betaCode: [108, 72], customTopCode: [548, 72], clear: [516, 256], message: [400, 500],
};

const site = await serve(folder);
const browser = await launch();
let step = 'starting';
try {
  const context = browser.defaultBrowserContext();
  await context.overridePermissions(site.origin, ['clipboard-read', 'clipboard-write', 'clipboard-sanitized-write']);
  const page = await browser.newPage();
  const analyst = await browser.newPage();
  await page.setViewport(viewport);
  await page.bringToFront();
  const shot = async (name) => {
    if (!shots) return;
    await mkdir(shots, { recursive: true });
    await page.screenshot({ path: `${shots}/${name}.png` });
  };
  const pause = (ms = 300) => new Promise((resolve) => setTimeout(resolve, ms));
  const press = async (...keys) => {
    for (const k of keys.slice(0, -1)) await page.keyboard.down(k);
    await page.keyboard.press(keys.at(-1));
    for (const k of keys.slice(0, -1).reverse()) await page.keyboard.up(k);
    await pause();
  };

  // A window is where its frame is: Qt draws the same border on every side
  // but the top, which holds the caption. Measured on the help window,
  // which this page holds at its designed size.
  let side = 0, caption = 0;
  const frameOf = (box, client) => {
    const scale = (box.width - 2 * side) / client.width;
    assert.ok(Math.abs(box.height - caption - side - client.height * scale) <= 2,
      `a window of ${box.width}x${box.height} is no frame around ${client.width}x${client.height} at any scale`);
    assert.ok(box.x >= 0 && box.y >= 0 && box.x + box.width <= viewport.width && box.y + box.height <= viewport.height,
      `a window at ${box.x},${box.y} ${box.width}x${box.height} is not wholly on the page`);
    return { left: box.x + side, top: box.y + caption, scale };
  };
  const click = async (window, [x, y], options) => {
    await page.mouse.click(window.left + x * window.scale, window.top + y * window.scale, options);
    await pause();
  };
  const clipboard = () => page.evaluate(() => navigator.clipboard.readText());
  const clipboardTypes = () => page.evaluate(async () => (await navigator.clipboard.read()).flatMap((item) => item.types).sort());
  let main;
  const message = async () => {
    await click(main, at.message);  // the page has the focus, the clipboard may be written
    await page.evaluate(() => navigator.clipboard.writeText('(nothing copied)'));
    await press('Control', 'KeyA');
    await press('Control', 'KeyC');
    return until('the copy to reach the clipboard', async () => {
      const text = await clipboard();
      return text === '(nothing copied)' ? null : text;
    });
  };
  const expect = async (wanted) => {
    assert.equal(await message(), wanted);
    assert.deepEqual(await clipboardTypes(), ['text/plain'], 'the message is offered in a rich format too');
    console.log(`ok: message [${wanted}]`);
  };

  // Every buffer of sound the page schedules, with the time it is to start:
  // what its speaker would play.
  await page.evaluateOnNewDocument(() => {
    window.scheduledSound = [];
    const start = AudioBufferSourceNode.prototype.start;
    AudioBufferSourceNode.prototype.start = function (when, ...rest) {
      window.scheduledSound.push({ when, samples: Array.from(this.buffer.getChannelData(0)) });
      return start.call(this, when, ...rest);
    };
  });

  step = 'loading the page';
  // On a slow line (8 MB/s here) the page shows how far the download is.
  const network = await page.createCDPSession();
  await network.send('Network.emulateNetworkConditions', { offline: false, latency: 20, downloadThroughput: 8e6, uploadThroughput: 8e6 });
  await page.goto(`${site.origin}/`);
  await until('the progress bar to move', () => page.$eval('#progress', (p) => p.value > 0 && p.value < 1));
  await shot('loading');
  await network.send('Network.emulateNetworkConditions', { offline: false, latency: 0, downloadThroughput: -1, uploadThroughput: -1 });
  assert.equal(await page.title(), 'Σηματοπλέκτης');
  assert.equal(await page.$eval('html', (e) => e.lang), 'el');
  step = 'waiting for the help window';
  const helpBox = await until('the help window', async () => {
    const box = await drawn(page, analyst);
    return box && box.width > help.width && box.width < help.width + 20 ? box : null;
  }, 60);
  assert.equal(await page.$eval('#progress', (p) => p.value), 1, 'the progress bar did not reach its end');
  side = (helpBox.width - help.width) / 2;
  caption = helpBox.height - help.height - side;
  assert.ok(side >= 0 && side <= 8 && caption >= 10 && caption <= 60, `a help window of ${helpBox.width}x${helpBox.height}`);
  const centre = (box) => Math.abs(box.x + box.width / 2 - viewport.width / 2) + Math.abs(box.y + box.height / 2 - viewport.height / 2);
  assert.ok(centre(helpBox) <= 4, `the help window is not centred: ${JSON.stringify(helpBox)}`);
  frameOf(helpBox, help);
  await shot('help');
  console.log('ok: the help window first, centred, at its own size');

  step = 'OK';
  await page.mouse.click(helpBox.x + helpBox.width / 2, helpBox.y + caption / 2);  // its caption: focus, no more
  await press('Enter');
  const mainBox = await until('the keyboard window', async () => {
    const box = await drawn(page, analyst);
    return box && box.width > help.width + 20 ? box : null;
  });
  main = frameOf(mainBox, keyboard);
  assert.ok(main.scale >= 0.55 && main.scale < 0.97, `the keyboard window drawn at ${main.scale} on a page lower than it`);
  assert.ok(centre(mainBox) <= 4, 'the keyboard window is not centred');
  await shot('main');
  console.log(`ok: the keyboard window at ${main.scale.toFixed(3)} of its size, fitting the page`);

  step = 'pressing keys';
  await click(main, at.alpha);
  await click(main, at.beta);
  await click(main, at.separator);
  await expect(' . - / - . . . //');

  step = 'naming a blank key';
  await click(main, at.customTop);  // asks for its name once
  await press('Control', 'KeyA');
  await page.keyboard.type('#');
  await press('Enter');
  await click(main, at.customTop);  // named, it asks no more: y goes to its code field
  await click(main, at.customTopCode);
  await page.keyboard.type('y');
  await click(main, at.customTop);
  await expect(' . - / - . . . //y');

  step = 'the message field\'s menu';
  // A browser keeps Ctrl+T and Ctrl+R for itself; the menu reaches them all.
  await click(main, at.message, { button: 'right' });
  await press('ArrowUp');  // the third from the end: the key table
  await press('ArrowUp');
  await press('ArrowUp');
  await press('Enter');
  const table = await until('the key table', async () => ((await clipboard()).startsWith('Α\t') ? clipboard() : null));
  assert.match(table, /^Α\t \. - \/\nΒ\t - \. \. \. \/\n/);
  assert.match(table, /\n#\ty(\n|$)/);
  assert.deepEqual(await clipboardTypes(), ['text/html', 'text/plain'], 'the key table is not offered as a table too');
  console.log('ok: the key table copied from the message field\'s menu');

  step = 'the codes box';
  await press('Control', 'KeyK');
  for (let i = 0; i < 5; ++i) await press('ArrowDown');  // to Polybius's square
  await shot('codes-box');
  await press('Control', 'Enter');
  await click(main, at.alpha);
  await click(main, at.omega);
  await expect(' . - / - . . . //y11 54 ');
  // A code table pasted in as a word processor gives it back: a cell a line,
  // the spaces of a code no-break ones.
  await page.evaluate(() => navigator.clipboard.writeText('Πίνακας κωδικών\nΑ\n<1>\nΩ\n\u00a0<24>\u00a0\n'));
  await press('Control', 'KeyK');
  await press('End');  // the pasted table
  await press('Tab');
  await press('Control', 'KeyV');
  await pause(500);
  await press('Control', 'Enter');
  await click(main, at.omega);
  await click(main, at.alpha);
  await expect(' . - / - . . . //y11 54  <24> <1>');
  console.log('ok: a code loaded from the list, and a table from a paste');

  step = 'listening';
  // The message played through the page's Web Audio, put together from the
  // buffers it scheduled, and written down by ear as the desktop's is.
  const kalh = ' - . - / . - / . - . . / . . . . // . / . - - . / . . / - / - . - - / - - - - / . . / . - /';
  await click(main, at.message);
  await press('Control', 'KeyA');
  await page.keyboard.type(kalh);
  await press('Control', 'KeyM');
  await shot('listen-box');
  await press('Enter');
  // A buffer shorter than a tenth of a second ends the stream.
  await until('the whole message to be scheduled',
    () => page.evaluate(() => window.scheduledSound.at(-1)?.samples.length < 4800), 30);
  const sound = await page.evaluate(() => window.scheduledSound);
  const rate = 48000, first = sound[0].when, last = sound.at(-1);
  const pcm = new Int16Array(Math.round((last.when - first) * rate) + last.samples.length);
  for (const { when, samples } of sound)
    samples.forEach((v, i) => { pcm[Math.round((when - first) * rate) + i] = Math.round(v * 32767); });
  await press('Escape');
  const scratch = await mkdtemp(join(tmpdir(), 'simatoplektis-heard-'));
  await writeFile(join(scratch, 'heard.raw'), Buffer.from(pcm.buffer));
  const tests = join(dirname(fileURLToPath(import.meta.url)), '..');
  execFileSync('c++', ['-std=c++20', '-O2', join(tests, 'hear.cpp'), '-o', join(scratch, 'hear')]);
  const heard = execFileSync(join(scratch, 'hear'), [join(scratch, 'heard.raw')]).toString();
  assert.match(heard, /^morse: -\.- \.- \.-\.\. \.\.\.\. \/ \. \.--\. \.\. - -\.-- ---- \.\. \.-$/m);
  const number = (name) => Number(heard.match(new RegExp(`^${name}: (.*)$`, 'm'))[1]);
  assert.ok(Math.abs(number('dot_ms') / 80 - 1) < 0.02 && Math.abs(number('pitch_hz') / 700 - 1) < 0.02, heard);
  console.log(`ok: heard through Web Audio, dot ${number('dot_ms')} ms, ${number('pitch_hz')} Hz`);

  step = 'clearing';
  await click(main, at.clear);
  await shot('clear-box');
  await press('Escape');  // No: all stays
  await expect(kalh);
  await click(main, at.clear);
  await press('Enter');  // Yes: every code and the message go
  await click(main, at.betaCode);
  await page.keyboard.type('Z');
  await click(main, at.alpha);
  await click(main, at.beta);
  await expect('Z');

  step = 'leaving the page';
  // While the program runs, a reload asks first; staying keeps everything.
  const asked = new Promise((resolve) => page.once('dialog', async (dialog) => {
    resolve(dialog.type());
    await dialog.dismiss();
  }));
  await page.evaluate(() => { setTimeout(() => location.reload(), 0); });
  assert.equal(await asked, 'beforeunload');
  await expect('Z');

  step = 'ending';
  await press('Escape');  // the exit command
  await press('Enter');   // confirmed
  await until('the page to say the program has ended', () =>
    page.$eval('#notice', (n) => !n.hidden && n.textContent.includes('Το πρόγραμμα τερματίστηκε.')));
  assert.equal(await page.$eval('#screen', (s) => s.hidden), true);
  await shot('ended');
  console.log('ok: ended, and the page says so');

  step = 'the browser\'s storage';
  assert.deepEqual(await page.cookies(), []);
  const stored = await page.evaluate(async () => ({
    local: localStorage.length,
    session: sessionStorage.length,
    databases: (await indexedDB.databases()).length,
    caches: (await caches.keys()).length,
    workers: (await navigator.serviceWorker.getRegistrations()).length,
  }));
  assert.deepEqual(stored, { local: 0, session: 0, databases: 0, caches: 0, workers: 0 });
  const cdp = await page.createCDPSession();
  const { usage } = await cdp.send('Storage.getUsageAndQuota', { origin: site.origin });
  assert.equal(usage, 0, `the page stored ${usage} bytes`);
  console.log('ok: nothing stored');

  step = 'starting again';
  await page.click('#again');
  await until('the help window again', async () => {
    const box = await drawn(page, analyst);
    return box && box.width === helpBox.width && box.height === helpBox.height;
  }, 60);
  console.log('ok: started again');

  step = 'closing the help window at the start';
  // Its close box, at the right of its title bar, ends the program there.
  const title = caption - 2 * side;
  await page.mouse.click(helpBox.x + helpBox.width - side - title / 2, helpBox.y + side + title / 2);
  await until('the page to say the program has ended', () =>
    page.$eval('#notice', (n) => !n.hidden && n.textContent.includes('Το πρόγραμμα τερματίστηκε.')));
  console.log('ok: the help window\'s close box at the start ends it');

  step = 'a browser without WebGL';
  const plain = await launch(['--disable-3d-apis']);
  try {
    const bare = await plain.newPage();
    await bare.goto(`${site.origin}/`);
    assert.match(await bare.$eval('#message', (m) => m.textContent), /WebGL/);
    console.log('ok: without WebGL the page says why, in Greek');
  } finally {
    await plain.close();
  }
} catch (error) {
  console.error(`FAIL while ${step}: ${error.message}`);
  process.exitCode = 1;
} finally {
  await browser.close();
  site.close();
}
