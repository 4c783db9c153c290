// The page hears Morse from the microphone, in a real browser window: the
// test's sound server has a speaker ("air") whose recording is the default
// microphone. With the microphone refused, the reading box says so and the
// program goes on; allowed, the clue keyed into that speaker is read and
// added to the message as the keys write it, and closing the box stops the
// recording.
// Usage: node hearing.mjs chromium|firefox PAGE-FOLDER [SHOTS-FOLDER]
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdir, writeFile } from 'node:fs/promises';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { drawn, launch, pause, pressOn, serve, until } from './page.mjs';

const [engine, folder, shotsRoot] = process.argv.slice(2);
const shots = shotsRoot && join(shotsRoot, engine);
const chromium = engine === 'chromium';
const help = { width: 473, height: 566 };
const keyboardWidth = 800;
// The keys in the keyboard window's designed pixels: the letters Α to Ω in
// three columns of eight, the separator at the top of the fourth.
const letter = (greek) => {
  const i = 'ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ'.indexOf(greek);
  return [40 + 136 * Math.floor(i / 8), 32 + 40 * (i % 8)];
};
const separator = [464, 32], messageField = [400, 500];
const clue = 'ΚΑΛΗ ΕΠΙΤΥΧΙΑ';
const clueMorse = '-.- .- .-.. .... / . .--. .. - -.-- ---- .. .-';

// The tones and the silences between them, in ms, from the first tone to
// the last: of the play as keyed and of what the page was handed, measured
// alike.
function runsOf(samples, rate) {
  const ms = Math.round(rate / 1000), peaks = [];
  for (let i = 0; i + ms <= samples.length; i += ms) {
    let peak = 0;
    for (let j = i; j < i + ms; j++) peak = Math.max(peak, Math.abs(samples[j]));
    peaks.push(peak);
  }
  const loud = 0.3 * Math.max(...peaks), runs = [];
  let on = false, since = 0;
  peaks.forEach((peak, t) => {
    if ((peak > loud) === on) return;
    if (on || runs.length) runs.push(t - since);
    [on, since] = [!on, t];
  });
  return runs;
}

// Whether the page was handed the play whole: the same tones and silences,
// each within a few milliseconds. A sound server or a browser's capture
// that starves puts silence into a tone or drops part of a gap, and then no
// decoder could read what was sent. Returns what broke, or null.
function broken(sent, { rate, blocks }) {
  const runs = runsOf(blocks.flat(), rate);
  if (runs.length !== sent.length) return `${(runs.length + 1) / 2} tones reached the page of ${(sent.length + 1) / 2} sent`;
  const at = runs.findIndex((run, i) => Math.abs(run - sent[i]) > 12);
  return at < 0 ? null : `the ${at % 2 ? 'silence' : 'tone'} of ${sent[at]} ms after ${runs.slice(0, at).reduce((a, b) => a + b, 0)} ms came as ${runs[at]} ms`;
}

const site = await serve(folder);
let step = 'starting';

// One browser, the microphone allowed or refused as a person would in its
// own question.
async function session(allowed) {
  const browser = await launch({
    engine, window: true,
    prefs: allowed ? { 'media.navigator.permission.disabled': true } : { 'permissions.default.microphone': 2 },
  });
  try {
    if (chromium) {
      const cdp = await browser.target().createCDPSession();
      await cdp.send('Browser.setPermission', { origin: site.origin, permission: { name: 'microphone' },
        setting: allowed ? 'granted' : 'denied' });
    }
    const analyst = await browser.newPage();
    const page = (await browser.pages())[0];
    const pageErrors = [];
    page.on('pageerror', (error) => pageErrors.push(error.message));
    await page.bringToFront();
    // Every microphone asked for: its recording's tracks, or the refusal;
    // and what the page's recorder has handed over, with its rate.
    await page.evaluateOnNewDocument(() => {
      window.microphones = [];
      window.recorded = { rate: 0, blocks: [] };
      if (typeof MediaDevices === 'undefined') return;  // a page not secure (Firefox's blank one)
      const Recorder = AudioWorkletNode;
      window.AudioWorkletNode = function (...options) {
        const node = new Recorder(...options);
        recorded.rate = options[0].sampleRate / options[2].processorOptions.step;
        node.port.addEventListener('message', (message) => recorded.blocks.push(Array.from(message.data)));
        return node;
      };
      const ask = MediaDevices.prototype.getUserMedia;
      MediaDevices.prototype.getUserMedia = function (...options) {
        const asked = ask.apply(this, options);
        asked.then((stream) => microphones.push({ tracks: stream.getTracks() }),
          (error) => microphones.push({ refused: error.name }));
        return asked;
      };
    });
    const press = pressOn(page);
    const shot = async (name) => {
      if (!shots) return;
      await mkdir(shots, { recursive: true });
      await page.screenshot({ path: `${shots}/${name}.png` });
    };

    step = 'starting the program';
    await page.goto(`${site.origin}/`);
    const helpBox = await until('the help window', async () => {
      const box = await drawn(page, analyst);
      return box && box.width > help.width && box.width < help.width + 20 ? box : null;
    }, 60);
    const side = (helpBox.width - help.width) / 2;
    const caption = helpBox.height - help.height - side;
    await page.mouse.click(helpBox.x + helpBox.width / 2, helpBox.y + caption / 2);
    await press('Enter');
    const mainBox = await until('the keyboard window', async () => {
      const box = await drawn(page, analyst);
      return box && box.width > help.width + 20 ? box : null;
    });
    const scale = (mainBox.width - 2 * side) / keyboardWidth;
    const click = async ([x, y]) => {
      await page.mouse.click(mainBox.x + side + x * scale, mainBox.y + caption + y * scale);
      await pause();
    };
    const message = async () => {
      await click(messageField);
      // (xclip stays to serve what it holds: its output is not waited for.)
      execFileSync('xclip', ['-selection', 'clipboard', '-i'], { input: '(nothing copied)', stdio: ['pipe', 'ignore', 'ignore'] });
      await press('Control', 'KeyA');
      await press('Control', 'KeyC');
      return until('the copy to reach the clipboard', () => {
        const text = execFileSync('xclip', ['-o', '-selection', 'clipboard'], { encoding: 'utf8', timeout: 5000 });
        return text === '(nothing copied)' ? null : text;
      });
    };
    if (!allowed) {
      step = 'the microphone refused';
      await click(messageField);
      await press('Control', 'Shift', 'KeyL');
      const [asked] = await until('the page to ask for the microphone', () => page.evaluate(() => microphones));
      assert.equal(asked.refused, 'NotAllowedError');
      await pause(500);  // the box looks every tenth of a second
      await shot('hear-refused');
      await press('Escape');
      await click(letter('Α'));
      assert.equal(await message(), ' . - /');
      console.log('ok: the microphone refused, the box closed by Esc, and the keys write on');
    } else {
      step = 'writing the clue with the keys';
      for (const c of clue) await click(c === ' ' ? separator : letter(c));
      const written = await message();
      step = 'hearing the clue';
      await press('Control', 'Shift', 'KeyL');
      const [heard] = await until('the microphone', () => page.evaluate(() => microphones));
      assert.ok(heard.tracks, `the microphone was refused: ${heard.refused}`);
      await until('the page to record', () => page.evaluate(() => recorded.blocks.length > 0));
      const keyer = fileURLToPath(new URL('../keyer.py', import.meta.url));
      const play = execFileSync('python3', [keyer, clueMorse, '25', '15'], { maxBuffer: 1 << 24 });
      execFileSync('pacat', ['-p', '-d', 'air', '--rate=48000', '--channels=1', '--format=s16le', '--raw'], { input: play });
      await pause(1500);  // a letter is read within a second of its end
      await shot('hear-box');
      assert.deepEqual(await page.evaluate(() => microphones[0].tracks.map((t) => t.readyState)), ['live']);
      await press('Control', 'Enter');
      assert.deepEqual(await page.evaluate(() => microphones[0].tracks.map((t) => t.readyState)), ['ended'],
        'the microphone is still held after the box closed');
      const added = await message();
      if (added !== written + written) {
        const heard = await page.evaluate(() => recorded);
        if (shots) {
          // What the page heard, for the decoder to be tried on again.
          const samples = Int16Array.from(heard.blocks.flat(), (x) => Math.round(32767 * Math.max(-1, Math.min(1, x))));
          await writeFile(`${shots}/heard-${heard.rate}.raw`, Buffer.from(samples.buffer));
        }
        const fault = broken(runsOf(new Int16Array(Uint8Array.from(play).buffer), 48000), heard);
        if (fault) throw new Unheard(fault);
      }
      assert.equal(added, written + written, 'the clue was not heard as sent');
      console.log(`ok: ${clue} heard from the microphone and added as the keys write it; the microphone released`);
    }
    assert.deepEqual(pageErrors, [], 'the page left errors uncaught');
  } finally {
    await browser.close();
  }
}

// The play was lost in part before the page was handed it: by the sound
// server, or by the browser's capture.
class Unheard extends Error {}

try {
  await session(false);
  for (let play = 1; ; play++) {
    try {
      await session(true);
      break;
    } catch (error) {
      if (!(error instanceof Unheard) || play === 3) throw error;
      console.log(`note: play ${play} reached the page broken (${error.message}): the sound server or the browser's capture lost part of it; played again`);
    }
  }
} catch (error) {
  console.error(`FAIL in ${engine} while ${step}: ${error.message}`);
  process.exitCode = 1;
} finally {
  await site.close();
}
