// The page on a tablet and a phone, as Chromium emulates them: touch only,
// no mouse, no right button. A tablet reaches every command by touch; a
// phone held upright is asked to turn, and turned, shows the keyboard whole.
// Usage: node touch.mjs PAGE-FOLDER [SHOTS-FOLDER]
import assert from 'node:assert/strict';
import { mkdir } from 'node:fs/promises';
import { KnownDevices } from 'puppeteer-core';
import { drawn, launch, pause, serve, until } from './page.mjs';

const [folder, shots] = process.argv.slice(2);
const help = { width: 473, height: 566 };
const keyboard = { width: 800, height: 654 };
// The rows of the message field's menu, below the point it opens at, in the
// page's pixels, as Qt's style draws them there.
const menuRow = { copy: 71, paste: 91, selectAll: 133, writeText: 155 };

const site = await serve(folder);
const browser = await launch();
let step = 'starting';
try {
  const context = browser.defaultBrowserContext();
  await context.overridePermissions(site.origin, ['clipboard-read', 'clipboard-write', 'clipboard-sanitized-write']);
  const analyst = await browser.newPage();

  // Opens the page on `device`; resolves once the help window is drawn, with
  // the page and what it needs to find the windows on it.
  const open = async (device) => {
    const page = await browser.newPage();
    await page.emulate(device);
    await page.bringToFront();
    await page.goto(`${site.origin}/`);
    const ratio = device.viewport.deviceScaleFactor;
    const box = async () => {  // in the page's pixels, not the screen's
      const b = await drawn(page, analyst);
      return b && { x: b.x / ratio, y: b.y / ratio, width: b.width / ratio, height: b.height / ratio };
    };
    const helpBox = await until('the help window', async () => {
      const b = await box();
      return b && b.height < page.viewport().height ? b : null;  // not the blank page before it
    }, 60);
    return { page, box, helpBox };
  };
  const wholeOnPage = (page, b) =>
    b.x >= 0 && b.y >= 0 && b.x + b.width <= page.viewport().width + 0.5 && b.y + b.height <= page.viewport().height + 0.5;
  const shot = async (page, name) => {
    if (!shots) return;
    await mkdir(shots, { recursive: true });
    await page.screenshot({ path: `${shots}/${name}.png` });
  };
  const turnNotice = (page) => page.$eval('#turn', (t) => (t.hidden ? null : t.textContent));

  step = 'the tablet';
  {
    const { page, box, helpBox } = await open(KnownDevices['iPad']);
    // The frame as the browser test measures it, on the help window at its own size.
    const side = (helpBox.width - help.width) / 2, caption = helpBox.height - help.height - side;
    await page.touchscreen.tap(helpBox.x + helpBox.width / 2, helpBox.y + helpBox.height - side - 48);  // OK
    const mainBox = await until('the keyboard window', async () => {
      const b = await box();
      return b && b.width > helpBox.width ? b : null;
    });
    assert.ok(wholeOnPage(page, mainBox), `the keyboard window at ${JSON.stringify(mainBox)} is not whole on the tablet`);
    const scale = (mainBox.width - 2 * side) / keyboard.width;
    const at = (x, y) => [mainBox.x + side + x * scale, mainBox.y + caption + y * scale];
    await page.touchscreen.tap(...at(40, 32));  // Α
    await page.touchscreen.tap(...at(40, 72));  // Β
    await pause();
    const [mx, my] = at(200, 500);  // on the message
    const hold = async (x = mx, y = my) => {
      await page.touchscreen.touchStart(x, y);
      await pause(800);
      await page.touchscreen.touchEnd();
      await pause();
    };
    const choose = async (row, x = mx, y = my) => {
      await page.touchscreen.tap(x + 60, y + row);
      await pause();
    };
    // The whole message, copied through its menu.
    const copied = async () => {
      await hold();
      await choose(menuRow.selectAll);
      await hold();
      await choose(menuRow.copy);
      return page.evaluate(() => navigator.clipboard.readText());
    };
    await page.evaluate(() => navigator.clipboard.writeText('(nothing copied)'));
    await hold();
    await shot(page, 'tablet-menu');
    await choose(menuRow.selectAll);
    await hold();
    await choose(menuRow.copy);
    assert.equal(await until('the copy', async () => {
      const text = await page.evaluate(() => navigator.clipboard.readText());
      return text === '(nothing copied)' ? null : text;
    }), ' . - / - . . . /');
    console.log('ok: on a tablet, held: select all, held: copy');

    // Text that comes with no key, as a phone's keyboard sends it.
    await hold();
    await choose(menuRow.writeText);
    await page.keyboard.sendCharacter('Καλή');
    await shot(page, 'tablet-write-box');
    await page.keyboard.down('Control');
    await page.keyboard.press('Enter');
    await page.keyboard.up('Control');
    await pause();
    await page.touchscreen.tap(mx, my);
    await page.keyboard.sendCharacter('ώρα');
    await shot(page, 'tablet-typed');
    assert.equal(await copied(), ' . - / - . . . / - . - / . - / . - . . / . . . . /ώρα');
    console.log('ok: text sent without keys reaches the write box and the message');

    // A message received elsewhere, pasted from the menu, where a tablet
    // has no Ctrl+V: the page reads its clipboard as the menu opens.
    const received = ' - . - / . - / . - . . / . . . . /';
    await page.evaluate((text) => navigator.clipboard.writeText(text), received);
    await hold();
    await choose(menuRow.selectAll);
    await hold();
    await shot(page, 'tablet-paste');
    await choose(menuRow.paste);
    await page.touchscreen.tap(...at(40, 32));  // Α after it
    await pause();
    assert.equal(await copied(), `${received} . - /`);
    console.log('ok: a message pasted from the menu on a tablet');

    // A finger held on a code field opens its menu too: a code pasted there.
    await page.evaluate(() => navigator.clipboard.writeText('7'));
    const code = at(108, 32);  // Α's
    await hold(...code);
    await choose(menuRow.paste, ...code);
    await page.touchscreen.tap(...at(40, 32));  // Α writes it
    await pause();
    assert.match(await copied(), /7/);
    console.log('ok: a code field\'s menu by a held finger, and a paste from it');
    await page.close();
  }

  step = 'the phone';
  {
    const phone = KnownDevices['iPhone 13'];
    const { page, box, helpBox } = await open(phone);
    assert.ok(wholeOnPage(page, helpBox), 'the help window is not whole on a phone held upright');
    assert.equal(await turnNotice(page), null, 'the help window fits, yet the page asks to turn');
    await page.touchscreen.tap(helpBox.x + helpBox.width / 2, helpBox.y + helpBox.height - 40);  // OK
    assert.match(await until('the page to ask for a turn', () => turnNotice(page)), /^Γύρισε τη συσκευή οριζόντια/);
    await shot(page, 'phone-upright');
    const { width, height } = phone.viewport;
    await page.setViewport({ ...phone.viewport, width: height, height: width, isLandscape: true });
    const sideways = await until('the keyboard window whole on the page turned', async () => {
      const b = await box();
      return b && b.width > b.height && wholeOnPage(page, b) ? b : null;
    });
    assert.equal(await turnNotice(page), null, 'turned, the page still asks to turn');
    await shot(page, 'phone-sideways');
    console.log(`ok: a phone upright is asked to turn; turned, the keyboard window is whole (${sideways.width}x${sideways.height})`);

    // With the browser's bar on show the page is lower than the keyboard
    // window at its smallest scale: the page scrolls to the window's foot,
    // the window as large as without the bar, and nothing is asked that a
    // phone cannot do.
    for (const [w, h] of [[844, 330], [740, 320]]) {
      step = `the phone's page at ${w}x${h}`;
      await page.setViewport({ ...phone.viewport, width: w, height: h, isLandscape: true });
      const top = await until('the keyboard window\'s top', async () => {
        const b = await box();
        return b && b.y >= 0 && Math.abs(b.width - sideways.width) <= 1 ? b : null;
      });
      assert.equal(await turnNotice(page), null, 'the page asks for a larger window');
      const scrolled = await page.evaluate(() => {
        window.scrollTo(0, document.documentElement.scrollHeight);
        return scrollY;
      });
      assert.ok(scrolled > 0 && top.y + sideways.height <= scrolled + h + 0.5,
        `scrolled ${scrolled} pixels, the keyboard window's foot is still below the page`);
      await shot(page, `phone-${w}x${h}`);
      await page.evaluate(() => window.scrollTo(0, 0));
    }
    console.log('ok: with the browser\'s bar on show the page scrolls to the keyboard window\'s foot');
    await page.close();
  }
} catch (error) {
  console.error(`FAIL while ${step}: ${error.message}`);
  process.exitCode = 1;
} finally {
  await browser.close();
  site.close();
}
