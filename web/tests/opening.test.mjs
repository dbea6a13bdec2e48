// The page before its script runs. The build draws the screen's first
// prompt for a new session into the page, so a player sees it before the
// engine is in; the answers, the picture and the chart come with the
// script. A link opens on a combo of its own, so the prompt drawn into the
// page is hidden until the link has opened. Expected screens come from the
// console's texts, written out, and from the console program itself
// (build/combo, or $COMBO).

import { describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { existsSync } from 'node:fs';
import {
  MENU, STARTER, browserForFile, comboProgram, nativeScreen, pageUrl,
  screenText,
} from './helpers.mjs';

const chromium = browserForFile();
const { fresh } = chromium;
const noNative = existsSync(comboProgram) ? false :
    `the console program is not built: ${comboProgram}`;

// A page whose script does not run until release(page): the loader's
// inflating, which the script waits for, is held (the loader reads what it
// inflates with Response.arrayBuffer).
async function heldPage(t, fragment = '') {
  const page = await chromium.browser.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  t.after(async () => {
    await page.close();
    if (errors.length) throw new Error(`script errors: ${errors}`);
  });
  await page.addInitScript(() => {
    const inflate = Response.prototype.arrayBuffer;
    const held = new Promise((resolve) => {
      window.releaseScript = resolve;
    });
    Response.prototype.arrayBuffer = async function arrayBuffer() {
      await held;
      return inflate.call(this);
    };
  });
  await page.goto(pageUrl + fragment);
  return page;
}

async function release(page) {
  await page.evaluate(() => window.releaseScript());
  await page.waitForFunction(
      () => performance.getEntriesByName('combo-ready').length > 0, null,
      { timeout: 60000 });
}

// The screen's lines that show, and whether the answers, the picture and
// the chart do.
const shown = (page) => page.evaluate(() => ({
  lines: [...document.querySelectorAll('#screen > *')]
      .filter((el) => getComputedStyle(el).visibility === 'visible').length,
  answers: document.querySelectorAll('#choices button').length,
  picture: document.getElementById('graph').checkVisibility(),
  chart: document.getElementById('chart').checkVisibility(),
}));

describe('the page before its script runs', () => {
  test('shows the first prompt as the script draws it', async (t) => {
    const context = await chromium.browser.newContext(
        { javaScriptEnabled: false });
    t.after(() => context.close());
    const still = await context.newPage();
    await still.goto(pageUrl);
    assert.equal(await screenText(still), MENU + STARTER);
    const running = await fresh(t);
    assert.equal(await still.locator('#screen').innerHTML(),
                 await running.locator('#screen').innerHTML());
  });

  test('shows the answers, the picture and the chart once it runs',
       async (t) => {
         const page = await heldPage(t);
         assert.equal(await screenText(page), MENU + STARTER);
         assert.deepEqual(await shown(page),
                          { lines: 1, answers: 0, picture: false,
                            chart: false });
         await release(page);
         assert.equal(await screenText(page), MENU + STARTER);
         assert.deepEqual(await shown(page),
                          { lines: 1, answers: 9, picture: true,
                            chart: true });
         assert.equal(await page.locator('#answer').isEnabled(), true);
       });

  test('with a link, hides that prompt until the link has opened',
       { skip: noNative }, async (t) => {
         const page = await heldPage(t, '#8,7');
         assert.equal((await shown(page)).lines, 0);
         await release(page);
         assert.equal(await screenText(page), nativeScreen(['8', '7']));
         assert.notEqual((await shown(page)).lines, 0);
       });
});
