// The explorer of the next move against combo-atlas, back to any move of
// the chain, the summary read without Japanese and its longest combo
// played, and the English of a line of any length. The figures expected
// come from build/combo-atlas (or $COMBO_ATLAS), the texts are written out.

import { describe, test } from 'node:test';
import assert from 'node:assert/strict';
import {
  MENU, NEXT, STARTER, atlasRows, axeViolations, browserForFile, screenText,
  typeAnswer, typeAnswers,
} from './helpers.mjs';

const chromium = browserForFile();
const { fresh } = chromium;
const desktop = { viewport: { width: 1280, height: 800 } };
const phone = { viewport: { width: 360, height: 740 }, hasTouch: true,
                isMobile: true };
const longest = '1,2,1,3,1,4,2,2,3,2,5,3,5,4,5,8,6,2,6,6,7,6';

// The explorer's rows as a person reads them: each cell's text.
function explorerRows(page) {
  return page.locator('#explorer tbody tr').evaluateAll((rows) =>
      rows.map((row) => [...row.cells].map((cell) =>
          cell.innerText.replace(/\s+/g, ' ').trim())));
}

// What the explorer should say for a combo begun, from combo-atlas: each
// follow-up's row, in the order given, its share of all the combos still
// possible, and the notes: the best (the first of the longest, as "Play
// the longest" plays it) and where the combo ends.
function wanted(moves, names, order = (rows) => rows) {
  const rows = atlasRows(moves);
  const all = rows.reduce((sum, r) => sum + Number(r.combos), 0);
  const most = Math.max(...rows.map((r) => Number(r.longest)));
  const best = rows.find((r) => Number(r.longest) === most).next;
  return order(rows).map((r) => {
    const share = (100 * Number(r.combos)) / all;
    const notes = [r.next === best && '★ best',
                   Number(r.longest) === moves.length + 1 &&
                   `ends the combo now, at ${r.longest} moves`];
    return [`${r.next} ${names[r.next]}`, r.longest, r.shortest,
            Number(r.combos).toLocaleString('en'),
            share >= 1 ? `${Math.round(share)}%` : '<1%',
            notes.filter(Boolean).join('; ')];
  });
}

const kNames = {
  1: '空中浮き air float', 2: '空中きりもみ air spin',
  3: '空中ふっとばし air knockback', 4: '空中バウンド air bounce',
  5: '地上浮き ground float', 6: '地上きりもみ ground spin',
  7: '地上ふっとばし ground knockback', 8: '地上バウンド ground bounce',
};

describe('the explorer of the next move', () => {
  test('says what combo-atlas says of each follow-up', async (t) => {
    const page = await fresh(t, '', desktop);
    assert.ok(await page.locator('#explorer').isHidden());
    for (const moves of [[8, 7, 6], [4], [1, 2, 1, 3]]) {
      await page.evaluate((m) => {
        location.hash = `#${m.join()}`;
      }, moves);
      await page.waitForFunction((n) =>
        document.querySelectorAll('#chain b').length === n, moves.length);
      assert.deepEqual(await explorerRows(page), wanted(moves, kNames),
                       moves.join());
    }
  });

  // Written out: at 8,7,6 the 7 ends the combo at 4 moves, and 2 is the
  // best.
  test('at 8,7,6 marks 2 best and 7 as ending the combo', async (t) => {
    const page = await fresh(t, '#8,7,6', desktop);
    const rows = await explorerRows(page);
    assert.deepEqual(rows.map((r) => [r[0].split(' ')[0], r[5]]),
                     [['2', '★ best'], ['6', ''],
                      ['7', 'ends the combo now, at 4 moves']]);
    assert.deepEqual(await axeViolations(page), []);
  });

  // A header sorts by its column, from the most; again, from the fewest.
  test('sorts by a column', async (t) => {
    const page = await fresh(t, '#4', desktop);
    const by = (key, down) => (rows) => [...rows].sort((a, b) =>
      (down ? b[key] - a[key] : a[key] - b[key]) || a.next - b.next);
    const header = (name) => page.locator('#explorer thead button', {
      hasText: name });
    await header('Longest').click();
    assert.deepEqual(await explorerRows(page),
                     wanted([4], kNames, by('longest', true)));
    assert.equal(await page.locator('#explorer th[aria-sort]').getAttribute(
        'aria-sort'), 'descending');
    await header('Longest').click();
    assert.deepEqual(await explorerRows(page),
                     wanted([4], kNames, by('longest', false)));
    await header('Complete combos').click();
    assert.deepEqual(await explorerRows(page),
                     wanted([4], kNames, by('combos', true)));
    // The answer buttons follow the same order.
    assert.deepEqual(
        await page.locator('#choices button').evaluateAll((bs) =>
            bs.map((b) => b.dataset.answer)),
        wanted([4], kNames, by('combos', true)).map((r) => r[0][0]));
    assert.deepEqual(await axeViolations(page), []);
  });

  // On a phone the explorer is the answer buttons themselves: each says
  // its figures, and an order list sorts them.
  test('is the answer buttons on a phone', async (t) => {
    const page = await fresh(t, '#8,7,6', phone);
    assert.ok(await page.locator('#explorer').isHidden());
    const texts = () => page.locator('#choices button').evaluateAll((bs) =>
        bs.map((b) => b.innerText.replace(/\n/g, ' / ')));
    assert.deepEqual(await texts(), [
      '2 空中きりもみ / air spin / longest 21 · 121,889 combos / ★ best · ' +
          '63% · shortest 6',
      '6 地上きりもみ / ground spin / longest 21 · 71,394 combos / 37% · ' +
          'shortest 5',
      '7 地上ふっとばし / ground knockback / longest 4 · 1 combo / ends the ' +
          'combo now',
    ]);
    await page.locator('#order').selectOption('shortest up');
    assert.deepEqual((await texts()).map((text) => text[0]), ['7', '6', '2']);
    assert.deepEqual(await axeViolations(page), []);
  });
});

describe('the chain', () => {
  // A move of the chain takes the combo back to it; undo goes on from
  // there.
  test('goes back to any move tapped', async (t) => {
    const page = await fresh(t, '#8,7,6,2,1', phone);
    await page.locator('#chain button').nth(1).tap();
    assert.deepEqual(await page.locator('#chain b').allInnerTexts(),
                     ['8', '7']);
    assert.equal(await screenText(page), `${MENU}${STARTER}8\n6,7,${NEXT}7\n` +
                 `6,${NEXT}`);
    assert.match(await page.locator('#message').innerText(),
                 /^Back to move 2: the combo is now 8 → 7\.$/);
    await page.waitForFunction(() => location.hash === '#8,7');
    await page.keyboard.press('Escape');
    assert.deepEqual(await page.locator('#chain b').allInnerTexts(), ['8']);
    // The newest move is no button: it is where the combo is.
    assert.equal(await page.locator('#chain button').count(), 0);
    assert.equal(await page.locator('#chain li').getAttribute('aria-current'),
                 'step');
  });
});

describe('the summary, read without Japanese', () => {
  // "+1Zorv" said for what it is, and the length and its text never
  // broken across lines, however narrow the screen.
  for (const moves of [longest, '8,6,2,1,2,2,3,1,4,3,2,5,3,5,4,5,2,6,6,7,6']) {
    test(`explains +1Zorv and keeps it whole after ${moves.split(',').length} ` +
         'moves at 360 px', async (t) => {
      const page = await fresh(t, `#${moves}`, phone);
      const length = moves.split(',').length;
      // The lines that "22+1Zorv" is laid out on, in the console's line and
      // in its English.
      const lines = await page.locator('#summary').evaluate((el, n) => {
        const found = [];
        const walker = document.createTreeWalker(el, NodeFilter.SHOW_TEXT);
        while (walker.nextNode()) {
          const node = walker.currentNode;
          const at = node.data.indexOf(`${n}+1Zorv`);
          if (at < 0) continue;
          const range = document.createRange();
          range.setStart(node, at);
          range.setEnd(node, at + `${n}+1Zorv`.length);
          found.push(new Set([...range.getClientRects()].map((r) =>
            Math.round(r.top))).size);
        }
        return found;
      }, length);
      assert.deepEqual(lines, [1, 1]);
      assert.match((await page.locator('#summary-more').innerText())
          .replace(/\s+/g, ' '),
                   new RegExp(`then its length, ${length}, and then ` +
                              '“?\\+1Zorvです。”?: fixed text it always ' +
                              'writes after the length, no part of the ' +
                              'number\\.'));
    });
  }

  // The longest combo from the starter, by name, played on a tap.
  test('offers the longest from the starter as a route to play',
       async (t) => {
    const page = await fresh(t, '#8,7,6,7', { ...desktop,
                                              reducedMotion: 'reduce' });
    const example = atlasRows([]).find((r) => r.starter === '8')
        .longest_example.split(',');
    const route = await page.locator('#summary-route li').allInnerTexts();
    assert.deepEqual(route.map((r) => r.replace(/\s+/g, ' ')),
                     example.map((m) => `${m} ${kNames[m].split(' ')[0]}`));
    assert.deepEqual(await axeViolations(page), []);
    await page.locator('#summary-route button').click();
    assert.equal((await page.locator('#chain b').allInnerTexts()).join(),
                 example.join());
    assert.match(await page.locator('#summary h3').innerText(),
                 /^Complete: 21 moves/);
  });

  // From the starter prompt, after a combo: the longest from the starter
  // just used. (Before any combo, the longest of all: player.test.mjs.)
  test('Play the longest at the starter prompt plays from the starter used',
       async (t) => {
    const page = await fresh(t, '#8,7,6,7,1', { ...desktop,
                                                reducedMotion: 'reduce' });
    await page.locator('#longest').click();
    assert.equal((await page.locator('#chain b').allInnerTexts()).join(),
                 atlasRows([]).find((r) => r.starter === '8').longest_example);
  });
});

// English under a line of any length: the whole of it, never cut partway.
describe('English under a long line', () => {
  test('is whole', async (t) => {
    const page = await fresh(t);
    await typeAnswers(page, ['8']);
    await typeAnswer(page, Array(300).fill('1').join(' '));
    await page.locator('#english').check();
    const last = await page.locator('#screen .en').last().innerText();
    const once = 'That is impossible: that link is used up, or there is ' +
        'none. 6,7, can follow. Choose the next move:';
    assert.equal(last, Array(300).fill(once).join(' '));
  });
});
