// The page in a real browser window, used as a person would: served from
// the build folder on 127.0.0.1, opened in Debian's Chromium or Firefox ESR
// on an X display, keys clicked at the places the layout draws them, boxes
// answered from the keyboard, Greek typed on a Greek layout through the X
// server, the message read back through the clipboard, the program ended,
// and the browser's storage for the page found to hold the program's files
// and nothing else; then the page with no network, and a new build.
// Usage: node browser.mjs chromium|firefox PAGE-FOLDER [SHOTS-FOLDER]
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdir, mkdtemp, readFile, readdir, symlink, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { drawn, launch, pause, pressOn, serve, until } from './page.mjs';

const [engine, folder, shotsRoot] = process.argv.slice(2);
const shots = shotsRoot && join(shotsRoot, engine);
const chromium = engine === 'chromium';
const help = { width: 473, height: 566 };
const keyboard = { width: 800, height: 654 };
// Places in the keyboard window, in designed pixels: the centres of controls.
const at = {
  alpha: [40, 32], beta: [40, 72], omega: [312, 312], separator: [464, 32], customTop: [464, 72], customSecond: [464, 112], customSecondCode: [548, 112],
  betaCode: [108, 72], customTopCode: [548, 72], clear: [516, 256], message: [400, 500],
};

let site = await serve(folder);
const browser = await launch({ engine, window: true });
let step = 'starting';
try {
  if (chromium)
    await browser.defaultBrowserContext().overridePermissions(site.origin,
      ['clipboard-read', 'clipboard-write', 'clipboard-sanitized-write']);
  const analyst = await browser.newPage();
  const page = (await browser.pages())[0];
  // An error the page leaves uncaught is a fault, whatever the screen shows.
  const pageErrors = [];
  page.on('pageerror', (error) => pageErrors.push(error.message));
  await page.bringToFront();
  const shot = async (name) => {
    if (!shots) return;
    await mkdir(shots, { recursive: true });
    await page.screenshot({ path: `${shots}/${name}.png` });
  };
  const press = pressOn(page);

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
  // The X display's clipboard, where the page's copies go as a desktop's do.
  const clipboard = () => {
    try {
      return execFileSync('xclip', ['-o', '-selection', 'clipboard'], { encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore'] });
    } catch {
      return '';  // empty
    }
  };
  const toClipboard = (text) =>
    execFileSync('xclip', ['-selection', 'clipboard', '-i'], { input: text, stdio: ['pipe', 'ignore', 'ignore'] });
  const clipboardTypes = () => ['text/html', 'text/plain'].filter((type) =>
    execFileSync('xclip', ['-o', '-selection', 'clipboard', '-t', 'TARGETS'], { encoding: 'utf8' }).split('\n').some((t) => t.startsWith(type)));
  let main;
  const message = async () => {
    await click(main, at.message);  // the page has the focus, the clipboard may be written
    toClipboard('(nothing copied)');
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
  // Where the page lies on the X display: a click through the X server, on
  // a blank page, tells.
  const x = (...args) => execFileSync(args[0], args.slice(1), { encoding: 'utf8' }).trim();
  await page.goto(`${site.origin}/nothing-here`);
  await page.evaluate(() => addEventListener('mousedown', (e) => {
    window.clickedAt = { x: e.screenX - e.clientX, y: e.screenY - e.clientY, width: innerWidth, height: innerHeight };
  }, { once: true }));
  let browserWindow, frame;
  const screen = await until('a click through X to reach the page', async () => {
    browserWindow = x('xdotool', 'search', '--onlyvisible', '--pid', String(browser.process().pid)).split('\n').at(-1);
    frame = Object.fromEntries(x('xdotool', 'getwindowgeometry', '--shell', browserWindow).split('\n').map((l) => l.split('=')));
    x('xdotool', 'mousemove', String(Number(frame.X) + 40), String(Number(frame.Y) + Number(frame.HEIGHT) - 40), 'click', '1');
    await pause(500);
    return page.evaluate(() => window.clickedAt);
  });
  // A laptop's page, higher than the help window and lower than the
  // keyboard window: the one is drawn at its size, the other smaller.
  const viewport = { width: 1024, height: 640 };
  x('xdotool', 'windowsize', '--sync', browserWindow, String(Number(frame.WIDTH) + viewport.width - screen.width),
    String(Number(frame.HEIGHT) + viewport.height - screen.height));
  await until('the page to be a laptop\'s', async () =>
    (await page.evaluate(() => [innerWidth, innerHeight])).join() === `${viewport.width},${viewport.height}`, 10);
  if (chromium) {
    // On a slow line (8 MB/s here) the page shows how far the download is.
    const network = await page.createCDPSession();
    await network.send('Network.emulateNetworkConditions', { offline: false, latency: 20, downloadThroughput: 8e6, uploadThroughput: 8e6 });
    await page.goto(`${site.origin}/`);
    await until('the progress bar to move', () => page.$eval('#progress', (p) => p.value > 0 && p.value < 1));
    await shot('loading');
    await network.send('Network.emulateNetworkConditions', { offline: false, latency: 0, downloadThroughput: -1, uploadThroughput: -1 });
  } else {
    await page.goto(`${site.origin}/`);
  }
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

  step = 'the service worker';
  // Registered once the program runs; ready when it has kept its files.
  const workerReady = () => page.evaluate(() => Promise.race([
    navigator.serviceWorker.ready.then(() => 'ready'),
    new Promise((resolve) => setTimeout(() => resolve('not ready in 60 s'), 60000))]));
  assert.equal(await workerReady(), 'ready');
  if (chromium) {
    // What Chromium asks of a page before it offers to install it.
    const cdp = await page.createCDPSession();
    assert.deepEqual((await cdp.send('Page.getInstallabilityErrors')).installabilityErrors, []);
    const { errors } = await cdp.send('Page.getAppManifest');
    assert.deepEqual(errors, []);
    console.log('ok: the worker ready, and Chromium finds the page installable');
  } else {
    console.log('ok: the worker ready');
  }

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
  // The fourth from the end: the message as a picture, which Qt cannot give
  // a page's clipboard, so the program hands it to the browser's own.
  await click(main, at.message, { button: 'right' });
  for (let i = 0; i < 4; ++i) await press('ArrowUp');
  await press('Enter');
  const targets = () => execFileSync('xclip', ['-o', '-selection', 'clipboard', '-t', 'TARGETS'], { encoding: 'utf8' });
  await until('the picture', () => (targets().split('\n').includes('image/png') ? true : null));
  console.log('ok: the message copied as a picture from the message field\'s menu');
  await click(main, at.message, { button: 'right' });
  for (let i = 0; i < 5; ++i) await press('ArrowUp');  // the fifth: the key table
  await press('Enter');
  const table = await until('the key table', async () => ((await clipboard()).startsWith('Α\t') ? clipboard() : null));
  assert.match(table, /^Α\t \. - \/\nΒ\t - \. \. \. \/\n/);
  assert.match(table, /\n#\ty(\n|$)/);
  assert.deepEqual(await clipboardTypes(), ['text/html', 'text/plain'], 'the key table is not offered as a table too');
  console.log('ok: the key table copied from the message field\'s menu');

  step = 'a table and its HTML pasted from a field\'s menu';
  // What a word processor copies, as the key table just copied is: pasted
  // from the codes box's table field, picked with the mouse, then typed
  // keys reach the program again.
  // A field's menu item picked with the mouse: the rows below the point the
  // menu opens at, in the page's pixels, as Qt's style draws them.
  const menuRow = { paste: 91, selectAll: 133 };
  const pick = async ([x, y], row) => {
    const point = [main.left + x * main.scale, main.top + y * main.scale];
    await page.mouse.click(...point, { button: 'right' });
    await pause(500);
    await page.mouse.click(point[0] + 40, point[1] + row);
    await pause(500);
  };
  await press('Control', 'KeyK');
  await press('End');
  await press('Tab');
  await pick([250, 470], menuRow.paste);
  await shot('table-pasted-html');
  await press('Escape');
  assert.deepEqual(pageErrors, [], 'the paste left errors uncaught');
  // Select all from the message's menu, then Ctrl+C: the whole message,
  // over what another program copied, and typed keys still arrive. Clicked
  // and typed through the X server, as a person's mouse and keys come.
  toClipboard('another program\'s');
  const [menuX, menuY] = [screen.x + main.left + at.message[0] * main.scale, screen.y + main.top + at.message[1] * main.scale];
  x('xdotool', 'mousemove', String(Math.round(menuX)), String(Math.round(menuY)), 'click', '3');
  await pause(500);
  x('xdotool', 'mousemove', String(Math.round(menuX + 40)), String(Math.round(menuY + menuRow.selectAll)), 'click', '1');
  await pause(500);
  x('xdotool', 'key', 'ctrl+c');
  assert.equal(await until('the copy', async () => ((await clipboard()) !== 'another program\'s' ? clipboard() : null)),
    ' . - / - . . . //y');
  x('xdotool', 'key', '--delay', '80', 'End', 'z');
  await expect(' . - / - . . . //yz');
  await press('End');
  await press('Backspace');
  await expect(' . - / - . . . //y');
  console.log('ok: a table with its HTML pasted from a field\'s menu with the mouse, no error; select all picked ' +
    'with the mouse copies the message, and the keys still reach the program');

  step = 'the codes box';
  await press('Control', 'KeyK');
  for (let i = 0; i < 8; ++i) await press('ArrowDown');  // the pigpen: its symbols in the program's own face
  await shot('codes-box-pigpen');
  await press('ArrowDown');  // and the clock's faces
  await shot('codes-box-clock');
  for (let i = 0; i < 4; ++i) await press('ArrowUp');  // to Polybius's square
  await shot('codes-box');
  await press('Control', 'Enter');
  await click(main, at.alpha);
  await click(main, at.omega);
  await expect(' . - / - . . . //y11 54 ');
  // A code table pasted in as a word processor gives it back: a cell a line,
  // the spaces of a code no-break ones.
  toClipboard('Πίνακας κωδικών\nΑ\n<1>\nΩ\n\u00a0<24>\u00a0\n');
  await press('Control', 'KeyK');
  await press('End');  // the pasted table
  await press('Tab');
  // Pasted from the field's menu, which reads the page's clipboard as it
  // opens: Qt alone knows only what the program itself copied.
  await click(main, [250, 470], { button: 'right' });
  await pause(500);
  await shot('table-menu');
  await press('ArrowDown');  // the first entry that can be chosen: Paste
  await press('Enter');
  await pause(500);
  await shot('table-pasted');
  await press('Control', 'Enter');
  await click(main, at.omega);
  await click(main, at.alpha);
  await expect(' . - / - . . . //y11 54  <24> <1>');
  toClipboard('!');
  await click(main, at.message);
  await press('Control', 'KeyV');
  await expect(' . - / - . . . //y11 54  <24> <1>!');
  console.log('ok: a code loaded from the list, and a table pasted from the field\'s menu; Ctrl+V');

  step = 'typing through X';
  // Keys as a person types them, through the X server to the browser's
  // window, on a Greek layout, where an accent is a dead key (";") typed
  // before its vowel; the keys by their X key codes, the places they have
  // on every keyboard. A browser keeps some Ctrl keys for itself: the page
  // keeps the program's, so nothing reloads and no developer tools open.
  x('setxkbmap', 'gr');
  const dialogs = [];
  page.on('dialog', (dialog) => dialogs.push(dialog.type()));
  await page.evaluate(() => { window.stillHere = true; });
  const phrase = 'Καλή επιτυχία, ώρα 5!';
  const phraseKeys = ['shift+45', '38', '46', '47', '43', 'space', '26', '33', '31', '28', '29', '53', '47', '31', '38',
    '59', 'space', '47', '55', '27', '38', 'space', '14', 'shift+10'];
  const ctrl = { a: 'ctrl+38', c: 'ctrl+54', e: 'ctrl+26', k: 'ctrl+45', m: 'ctrl+58', r: 'ctrl+27', tableCopy: 'ctrl+shift+54' };
  const xclick = async (window, [px, py]) => {
    x('xdotool', 'mousemove', String(Math.round(screen.x + window.left + px * window.scale)),
      String(Math.round(screen.y + window.top + py * window.scale)), 'click', '1');
    await pause();
  };
  const xkeys = async (...keys) => {
    x('xdotool', 'key', '--delay', '80', ...keys);
    await pause();
  };
  const copiedThroughX = async () => {
    toClipboard('(nothing copied)');
    await xkeys(ctrl.a, ctrl.c);
    return until('the copy to reach the clipboard', () => (clipboard() === '(nothing copied)' ? null : clipboard()));
  };
  await xclick(main, at.message);
  await xkeys(ctrl.a, 'Delete', ...phraseKeys);
  assert.equal(await copiedThroughX(), phrase, 'typed into the message');
  await xkeys('Delete');
  await xclick(main, at.betaCode);
  await xkeys(ctrl.a, ...phraseKeys);
  assert.equal(await copiedThroughX(), phrase, 'typed into a code field');
  await xclick(main, at.customSecond);  // asks for its name
  await xkeys(ctrl.a, ...phraseKeys);
  assert.equal(await copiedThroughX(), phrase, 'typed as a key\'s name');
  await xkeys('Return');
  await xclick(main, at.customSecondCode);
  await xkeys('52');  // ζ, for the key to have a row in the table
  await xkeys(ctrl.e);
  await xkeys(...phraseKeys);
  await shot('write-box-typed');
  assert.equal(await copiedThroughX(), phrase, 'typed into the write box');
  await xkeys('ctrl+Return');
  await expect('ζ');  // the whole text is the name of a key, which writes ζ
  await xkeys(ctrl.r);
  assert.equal(await copiedThroughX(), phrase, 'Ctrl+R read ζ as something else');
  // A field's menu inside a box (the reading, in the middle of the window)
  // opens beside the box's wait, and the page answers after it: Esc, then a
  // choice. A menu that waited inside the box's wait froze the page for good.
  await click(main, [400, 327], { button: 'right' });
  await shot('read-box-menu');
  await press('Escape');
  toClipboard('(nothing copied)');
  await click(main, [400, 327], { button: 'right' });
  await press('ArrowDown');
  await press('Enter');  // Αντιγραφή, of the reading, all of it selected
  assert.equal(await until('the copy chosen in the menu', () => (clipboard() === phrase ? phrase : null)), phrase);
  console.log('ok: a field\'s menu inside a box, and the page answering after it');
  await xkeys('Escape');
  toClipboard('(nothing copied)');
  await xkeys(ctrl.tableCopy);
  assert.match(await until('the key table', () => (clipboard().startsWith('Α\t') ? clipboard() : null)),
    /\nΚαλή επιτυχία, ώρα 5!\tζ(\n|$)/);
  await xkeys(ctrl.k, 'Down', 'ctrl+Return');  // letters as numbers
  await xclick(main, at.message);
  await xkeys(ctrl.a, 'Delete');
  await xclick(main, at.omega);
  await expect('24 ');
  await xkeys(ctrl.k, 'Home', 'ctrl+Return');  // and Morse again
  assert.deepEqual(dialogs, [], 'the browser asked to leave the page');
  assert.deepEqual(await page.evaluate(() => [window.stillHere, innerWidth, innerHeight]),
    [true, viewport.width, viewport.height], 'the page was reloaded or made room for the developer tools');
  x('setxkbmap', 'us');
  console.log('ok: Greek typed through X on a Greek layout, accents and all; Ctrl+E, R, Shift+C and K the program\'s');

  step = 'listening';
  // The message played through the page's Web Audio, put together from the
  // buffers it scheduled, and written down by ear as the desktop's is.
  const kalh = ' - . - / . - / . - . . / . . . . // . / . - - . / . . / - / - . - - / - - - - / . . / . - /';
  await click(main, at.message);
  await press('Control', 'KeyA');
  await page.keyboard.type(kalh);
  await xkeys(ctrl.m);
  await shot('listen-box');
  // A number box's menu (Ταχύτητα's), opened and closed: the page answers.
  await click(main, [420, 221], { button: 'right' });
  await shot('listen-box-menu');
  await press('Escape');
  // The light takes the whole screen, given back when it ends, by Esc or
  // at the message's end; either way the box has the keys again.
  // Tab from Αναπαραγωγή through Ταχύτητα, Αραίωση and Τόνος to Φως, and back.
  const tabs = async (shift, count = 4) => { for (let i = 0; i < count; ++i) await press(...(shift ? ['Shift'] : []), 'Tab'); };
  const full = () => page.evaluate(() => document.fullscreenElement !== null);
  await tabs(false, 3);  // from Ταχύτητα, which the right click focused
  await press(' ');  // Φως
  await tabs(true);
  await press(' ');  // Αναπαραγωγή
  await until('the light to take the screen', full, 10);
  await shot('light');
  await press('Escape');
  await until('the light to give the screen back', async () => !(await full()), 10);
  await press(' ');  // the box's keys again: once more, to its end
  await until('the light again', full, 10);
  await until('the light to end with the message', async () => !(await full()), 30);
  await tabs();
  await press(' ');  // no light now
  await tabs(true);
  await page.evaluate(() => { window.scheduledSound = []; });
  await press('Enter');
  assert.equal(await full(), false, 'the light went on again: the box had not the keys after it');
  console.log('ok: the light on the whole screen, given back by Esc and at the end, the keys the box\'s after it');
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
  // The worker's one cache holds the program's files, nothing of what was
  // written or loaded in it; nothing else is stored.
  assert.deepEqual(await browser.cookies(), []);
  const storage = () => page.evaluate(async () => ({
    local: localStorage.length,
    session: sessionStorage.length,
    databases: (await indexedDB.databases()).length,
    caches: await Promise.all((await caches.keys()).map(async (name) =>
      [name, (await (await caches.open(name)).keys()).map((r) => new URL(r.url).pathname).sort()])),
    workers: (await navigator.serviceWorker.getRegistrations()).length,
  }));
  const stored = await storage();
  const programFiles = ['/DejaVuSans-LICENSE.txt', '/LiberationSans-LICENSE.txt', '/icon-192.png', '/icon-32.png',
    '/icon-512.png', '/icon-maskable-512.png', '/icon.svg', '/index.html', '/manifest.webmanifest', '/qtloader.js',
    '/simatoplektis.js', '/simatoplektis.wasm'];
  const firstCache = stored.caches[0]?.[0];
  assert.match(firstCache ?? '(none)', /^simatoplektis-[0-9a-f]{16}$/);
  assert.deepEqual(stored, { local: 0, session: 0, databases: 0, caches: [[firstCache, programFiles]], workers: 1 });
  // Firefox counts the bytes of the very checks above: Chromium alone tells.
  if (chromium) {
    const cdp = await page.createCDPSession();
    const { usageBreakdown } = await cdp.send('Storage.getUsageAndQuota', { origin: site.origin });
    const other = usageBreakdown.filter((u) => u.usage > 0 && !['cache_storage', 'service_workers'].includes(u.storageType));
    assert.deepEqual(other, [], 'the page stored something besides its worker and its files');
  }
  console.log('ok: nothing stored but the program\'s own files');

  // Started again and ended at the help window's close box, five times: a
  // new page each time, which a screenshot never races, and no question
  // about leaving it, which would hold every screenshot for good.
  const askedAgain = [];
  page.on('dialog', (dialog) => {
    askedAgain.push(dialog.type());
    dialog.dismiss();
  });
  const title = caption - 2 * side;
  // The page's own button loads it anew. A screenshot asked for in the
  // instant a navigation starts is never answered in Chromium (the page
  // itself answers): every look at the page waits for the load.
  const startAgain = () => Promise.all([page.waitForNavigation({ waitUntil: 'load', timeout: 60000 }), page.click('#again')]);
  for (let round = 1; round <= 5; ++round) {
    step = `starting again (${round})`;
    await startAgain();
    await until('the help window again', async () => {
      const box = await drawn(page, analyst);
      return box && box.width === helpBox.width && box.height === helpBox.height;
    }, 60);
    step = `closing the help window at the start (${round})`;
    // Its close box, at the right of its title bar, ends the program there.
    await page.mouse.click(helpBox.x + helpBox.width - side - title / 2, helpBox.y + side + title / 2);
    await until('the page to say the program has ended', () =>
      page.$eval('#notice', (n) => !n.hidden && n.textContent.includes('Το πρόγραμμα τερματίστηκε.')));
    assert.deepEqual(askedAgain, [], 'the page asked before leaving');
  }
  console.log('ok: started again and ended at the help window\'s close box, five times');

  // From the help window to a key's code, and ended: the program whole.
  const startAndPress = async (what) => {
    const box = await until(`the help window ${what}`, async () => {
      const b = await drawn(page, analyst);
      return b && b.width === helpBox.width && b.height === helpBox.height ? b : null;
    }, 60);
    await page.mouse.click(box.x + box.width / 2, box.y + caption / 2);
    await press('Enter');
    await until('the keyboard window', async () => (await drawn(page, analyst))?.width > help.width + 20);
    await click(main, at.alpha);
    await expect(' . - /');
    await press('Escape');
    await press('Enter');
    await until('the page to say the program has ended', () =>
      page.$eval('#notice', (n) => !n.hidden && n.textContent.includes('Το πρόγραμμα τερματίστηκε.')));
  };

  step = 'with no network';
  // Chromium cuts the page off. Firefox's driver may not: its server stops
  // too, so that nothing comes but from the worker.
  let offline = 'the network off';
  if (!chromium) {
    offline = await page.setOfflineMode(true).then(() => 'the network off and the server stopped', () => 'the server stopped');
    await site.close();
  } else {
    await page.setOfflineMode(true);
  }
  await page.reload();
  if (chromium) {  // the manifest's icons come from the worker too
    const cdp = await page.createCDPSession();
    assert.deepEqual((await cdp.send('Page.getInstallabilityErrors')).installabilityErrors, [], 'not installable offline');
  }
  await startAndPress('with ' + offline);
  await shot('offline-ended');
  // By the keyboard alone, five times: the help window closed with Enter,
  // the program ended with Esc and Enter, the page's button.
  for (let round = 1; round <= 5; ++round) {
    await startAgain();
    await startAndPress(`started again with ${offline} (${round})`);
  }
  console.log(`ok: reloaded and started again five times with ${offline}, by the keyboard, a key pressed each time`);

  step = 'a new build';
  // The same origin serves a changed build: a page that says so, and a
  // worker with a cache of another name. The next visit keeps running the
  // old build, installs the new one and deletes the old cache; the visit
  // after it is the new build.
  const changed = await mkdtemp(join(tmpdir(), 'simatoplektis-changed-'));
  for (const name of await readdir(folder))
    if (!/^(index\.html|sw\.js)(\.br|\.gz)?$/.test(name))
      await symlink(resolve(folder, name), join(changed, name));
  const newCache = 'simatoplektis-' + [...firstCache.slice(-16)].reverse().join('');
  await writeFile(join(changed, 'sw.js'), (await readFile(join(folder, 'sw.js'), 'utf8')).replace(firstCache, newCache));
  await writeFile(join(changed, 'index.html'),
    (await readFile(join(folder, 'index.html'), 'utf8')).replace('<head>', '<head>\n<meta name="build" content="changed">'));
  const { port } = site;
  await site.close();
  site = await serve(changed, { port });
  if (offline.startsWith('the network off')) await page.setOfflineMode(false);
  await page.reload();
  await until('the new build to replace the old one', async () => {
    const { caches } = await storage();
    return caches.length === 1 && caches[0][0] === newCache && caches[0][1].join() === programFiles.join();
  }, 60);
  await startAndPress('of the old build');
  await startAgain();
  await startAndPress('of the new build');
  assert.equal(await page.$eval('meta[name=build]', (m) => m.content), 'changed');
  console.log('ok: a new build replaced the old one, cache and all');

  step = 'a browser without WebGL';
  const plain = chromium && await launch({ args: ['--disable-3d-apis'] });
  if (plain) try {
    const bare = await plain.newPage();
    await bare.goto(`${site.origin}/`);
    assert.match(await bare.$eval('#message', (m) => m.textContent), /WebGL/);
    console.log('ok: without WebGL the page says why, in Greek');
  } finally {
    await plain.close();
  }

  step = 'plain http from another host';
  // A name that is not this computer's makes the page insecure: no worker
  // can register, and the program still starts, needing the network.
  const far = chromium && await launch({ args: [`--host-resolver-rules=MAP simatoplektis.test 127.0.0.1`] });
  if (far) try {
    const farPage = await far.newPage();
    await farPage.goto(`http://simatoplektis.test:${site.port}/`);
    assert.deepEqual(await farPage.evaluate(() => [isSecureContext, 'serviceWorker' in navigator]), [false, false]);
    await until('the help window over plain http', async () => (await drawn(farPage, analyst))?.width === helpBox.width, 60);
    console.log('ok: over plain http from another host, no worker, and the program starts');
  } finally {
    await far.close();
  }
  assert.deepEqual(pageErrors, [], 'the page left errors uncaught');
} catch (error) {
  console.error(`FAIL while ${step}: ${error.message}`);
  process.exitCode = 1;
  if (shots)  // what the page showed then
    await (await browser.pages())[0]?.screenshot({ path: `${shots}/failure.png` }).catch(() => {});
} finally {
  await browser.close();
  await site.close();
}
