// What the page keeps and gives away: the combos finished and the longest
// from each starter, kept in the browser across visits, with a way to
// clear them; the English and Hints switches as they were left; and the
// route as a PNG, made in the page and saved from it.

import { describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import {
  axeViolations, browserForFile, pageUrl, typeAnswers,
} from './helpers.mjs';

const chromium = browserForFile();

// A page in a browser context of its own, whose storage its reloads share
// and no other test sees.
async function ownPage(t, options = {}) {
  const context = await chromium.browser.newContext(options);
  t.after(() => context.close());
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  t.after(() => assert.deepEqual(errors, []));
  await page.goto(pageUrl);
  await page.waitForSelector('#answer:enabled');
  return page;
}

async function reload(page) {
  await page.reload();
  await page.waitForSelector('#answer:enabled, #new-session');
}

// The history as a person reads it: its count, the longest from each
// starter ([starter, moves, combo]) and the newest combos, newest first.
async function history(page) {
  return {
    count: await page.locator('#history summary').innerText(),
    best: await page.locator('#history-best tbody tr').evaluateAll((rows) =>
        rows.map((row) => [...row.cells].map((c) => c.innerText))),
    recent: await page.locator('#history-recent li').allInnerTexts(),
  };
}

describe('the history', () => {
  test('keeps the combos finished and the longest from each starter',
       async (t) => {
    const page = await ownPage(t);
    assert.equal((await history(page)).count, 'Your combos: none yet');
    await typeAnswers(page, ['8', '7', '6', '7', '1', '7', '6', '7']);
    await page.locator('#history summary').click();
    let kept = await history(page);
    assert.equal(kept.count, 'Your combos: 2 combos finished');
    assert.deepEqual(kept.best, [['7 地上ふっとばし', '3', '7,6,7'],
                                 ['8 地上バウンド', '4', '8,7,6,7']]);
    assert.deepEqual(kept.recent, ['7,6,7 (3 moves)', '8,7,6,7 (4 moves)']);
    // A longer combo from 8 is the new longest from it, after a reload too.
    await typeAnswers(page, ['1', '8', '6', '6', '2', '6', '7', '6']);
    await reload(page);
    await page.locator('#history summary').click();
    kept = await history(page);
    assert.equal(kept.count, 'Your combos: 3 combos finished');
    assert.deepEqual(kept.best, [['7 地上ふっとばし', '3', '7,6,7'],
                                 ['8 地上バウンド', '7', '8,6,6,2,6,7,6']]);
    assert.deepEqual(kept.recent, ['8,6,6,2,6,7,6 (7 moves)',
                                   '7,6,7 (3 moves)', '8,7,6,7 (4 moves)']);
    assert.deepEqual(await axeViolations(page), []);
    // Cleared, and so it stays.
    await page.locator('#clear-history').click();
    await reload(page);
    kept = await history(page);
    assert.deepEqual([kept.count, kept.best, kept.recent],
                     ['Your combos: none yet', [], []]);
  });
});

describe('the switches', () => {
  test('English and Hints are as they were left, after a reload',
       async (t) => {
    const page = await ownPage(t);
    await typeAnswers(page, ['8', '7']);
    await page.locator('#english').check();
    await page.locator('#hints').uncheck();
    await reload(page);
    assert.ok(await page.locator('#english').isChecked());
    assert.ok(!await page.locator('#hints').isChecked());
    assert.ok(await page.locator('#screen .en').first().isVisible());
    assert.doesNotMatch(await page.locator('#choices').innerText(), /longest/);
    await page.locator('#english').uncheck();
    await page.locator('#hints').check();
    await reload(page);
    assert.ok(!await page.locator('#english').isChecked());
    assert.match(await page.locator('#choices').innerText(), /longest/);
  });

  // A link this long opens before the page reads its storage, which the
  // browser is slow to give while it takes in so long an address.
  test('are as they were left when a link of 10,000 characters opens',
       async (t) => {
    const page = await ownPage(t);
    await page.locator('#english').check();
    await page.locator('#hints').uncheck();
    await page.goto('about:blank');
    // 8, then 4,999 refusals of 1 and a 7 to end on a prompt with answers.
    const answers = ['8', ...Array(4999).fill('1'), '7'];
    await page.goto(`${pageUrl}#${answers.join(',')}`);
    await page.waitForFunction(() =>
      performance.getEntriesByName('combo-ready').length > 0);
    assert.ok(await page.locator('#english').isChecked());
    assert.ok(!await page.locator('#hints').isChecked());
    assert.ok(await page.locator('#screen .en').last().isVisible());
    assert.doesNotMatch(await page.locator('#choices').innerText(), /longest/);
  });
});

// The bytes of a PNG as width, height and the colours of its pixels, read
// in a page of its own from a data: URL.
async function readPng(bytes) {
  const page = await chromium.browser.newPage();
  try {
    return await page.evaluate(async (data) => {
      const image = new Image();
      image.src = `data:image/png;base64,${data}`;
      await image.decode();
      const canvas = document.createElement('canvas');
      canvas.width = image.width;
      canvas.height = image.height;
      const ctx = canvas.getContext('2d');
      ctx.drawImage(image, 0, 0);
      const { data: px } = ctx.getImageData(0, 0, image.width, image.height);
      let chain = 0;  // the blue of the chain's links and badges
      let ink = 0;  // dark text and lines
      for (let i = 0; i < px.length; i += 4) {
        if (px[i] < 60 && px[i + 1] < 110 && px[i + 2] > 160) ++chain;
        if (px[i] < 60 && px[i + 1] < 60 && px[i + 2] < 60) ++ink;
      }
      return { width: image.width, height: image.height, chain, ink };
    }, bytes.toString('base64'));
  } finally {
    await page.close();
  }
}

describe('the route as a PNG', () => {
  test('is saved from the page, with no request', async (t) => {
    const page = await ownPage(t, { acceptDownloads: true });
    const requests = [];
    page.on('request', (request) => requests.push(request.url()));
    assert.ok(await page.locator('#save-picture').isDisabled());
    await typeAnswers(page, ['8', '7', '6', '2', '1']);
    const [download] = await Promise.all([
      page.waitForEvent('download'),
      page.locator('#save-picture').click(),
    ]);
    assert.equal(download.suggestedFilename(), 'combo-8-7-6-2-1.png');
    const bytes = readFileSync(await download.path());
    assert.deepEqual([...bytes.subarray(0, 8)],
                     [137, 80, 78, 71, 13, 10, 26, 10]);
    const png = await readPng(bytes);
    assert.equal(png.width, 720);
    assert.ok(png.height > 2 * 212 + 40, `${png.height} px high`);
    assert.ok(png.chain > 500 && png.ink > 500, JSON.stringify(png));
    assert.deepEqual(requests.filter((url) => !url.startsWith('blob:')), []);
  });
});
