// The web edition under load: long links replayed, a link over the limit,
// undo across the combos of a replayed link, and a screen that folds its
// old lines away. Expected screens come from the console program itself
// (build/combo, or $COMBO) run on the same answers, or are written out.
// Timings are the benchmark's business (bench/web.mjs), not these tests'.

import { describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { existsSync } from 'node:fs';
import {
  MENU, NEXT, REPLAY, STARTER, comboProgram, browserForFile, nativeScreen,
  screenText, typeAnswers,
} from './helpers.mjs';

const chromium = browserForFile();
const { fresh } = chromium;
const noNative = existsSync(comboProgram) ? false :
    `the console program is not built: ${comboProgram}`;

// Answers that never stop the session: combos long and short, links used
// up, moves that do not exist, words, and replay answers other than 0.
const cycle = ['8', '1', '7', '6', 'x', '7', '1', '1', '2', '1', '3', '0',
               '1', '4', '2', '2', '3', '2', '5', '3', '5', '4', '5', '8',
               '6', '2', '6', '6', '7', '6', '2', '4', '9', '-3', '7', '6',
               '7', 'y'];
function answers(n) {
  const all = [];
  while (all.length < n) all.push(...cycle);
  return all.slice(0, n);
}

// The screen as a person reads it: the note on folded lines, and the lines.
async function foldedScreen(page) {
  const note = await page.locator('#folded');
  const folded = await note.isVisible() ?
      Number((await note.innerText()).match(/^([\d,]+) earlier/)[1]
          .replace(/,/g, '')) : 0;
  return { folded, lines: (await screenText(page)).split('\n') };
}

// Which of the answers the console program took, each one answered a
// prompt at a time: not those it refused, answering "そんな技はありません。"
// or "それは無理です。", or the replay prompt again.
function answersTaken(typed) {
  const screen = nativeScreen(typed);
  let at = 0;
  return typed.map((answer) => {
    at = screen.indexOf(`：${answer}\n`, at) + answer.length + 2;
    return !/^(そんな技|それは無理|1,もう一回)/.test(screen.slice(at));
  });
}

// Waits until the page's URL ends with the fragment given; the page writes
// it once answers pause.
async function hasFragmentOf(page, fragment) {
  await page.waitForFunction((want) => location.hash === want, fragment,
                             { timeout: 5000 });
}

// The page shows the newest lines of the console's screen, and says how
// many came before them.
async function assertScreenIsNative(page, typed) {
  const want = nativeScreen(typed).split('\n');
  const got = await foldedScreen(page);
  assert.ok(got.lines.length <= 600, `${got.lines.length} lines shown`);
  assert.equal(got.folded + got.lines.length, want.length);
  assert.deepEqual(got.lines, want.slice(got.folded));
}

describe('a long link', { skip: noNative }, () => {
  test('of 40,000 answers ends on the native screen', async (t) => {
    const typed = answers(40000);
    const page = await fresh(t, `#${typed.join(',')}`);
    await assertScreenIsNative(page, typed);
    assert.equal((await foldedScreen(page)).folded > 0, true);
    // The session goes on from there.
    await typeAnswers(page, ['1']);
    await assertScreenIsNative(page, [...typed, '1']);
  });

  // Undo past the lines folded away brings them back: the screen is the
  // console's for the answers left. Each undo takes back one answer taken
  // and the answers refused after it, as the console answered them.
  test('undone past its folded lines shows them again', async (t) => {
    const typed = answers(700);
    const taken = answersTaken(typed);
    let left = typed.length;
    for (let undo = 0; undo < 400; ++undo) {
      while (left > 0 && !taken[left - 1]) --left;
      --left;
    }
    assert.ok(left > 100 && left < 250, `${left} answers left`);
    const page = await fresh(t, `#${typed.join(',')}`);
    await page.evaluate(() => {
      for (let i = 0; i < 400; ++i) {
        document.dispatchEvent(new KeyboardEvent('keydown', { key: 'Escape' }));
      }
    });
    await assertScreenIsNative(page, typed.slice(0, left));
    await typeAnswers(page, ['7']);
    await assertScreenIsNative(page, [...typed.slice(0, left), '7']);
  });
});

// Once a link has opened, its progress is no longer said: the status line
// is empty, as it is for a session typed by hand.
describe('a link that took a while to open', () => {
  for (const n of [3000, 20000]) {
    test(`of ${n.toLocaleString('en')} answers says nothing of its progress ` +
         'once open', async (t) => {
      const page = await fresh(t, `#${answers(n).join(',')}`);
      assert.ok(await page.locator('#progress').isHidden());
      assert.equal((await page.locator('#status').innerText()).trim(), '');
    });
  }
});

describe('a link over the limit', () => {
  // 100,000 answers are kept, with a message that says so, while the page
  // shows its progress; then it can be played on.
  test('keeps its first part, says so, and stays usable', async (t) => {
    const page = await chromium.browser.newPage();
    t.after(() => page.close());
    const errors = [];
    page.on('pageerror', (error) => errors.push(error.message));
    const typed = ['8', ...Array(100009).fill('1')];
    // The progress is watched from before the page's script runs: on a
    // busy machine the link may be open before the page's load event, and
    // so before anything could look for the progress after it.
    await page.addInitScript(() => {
      window.progressShown = false;
      new MutationObserver(() => {
        const progress = document.getElementById('progress');
        if (progress && !progress.hidden) window.progressShown = true;
      }).observe(document, { subtree: true, childList: true,
                             attributes: true });
    });
    await page.goto(`file://${process.cwd()}/../build-web/combo.html#` +
                    typed.join(','));
    await page.waitForSelector('#answer:enabled', { timeout: 60000 });
    assert.ok(await page.evaluate(() => window.progressShown),
              'the progress was never shown');
    assert.equal(await page.locator('#message').innerText(),
                 'This link holds 100,010 answers; a link opens with at most ' +
                 '100,000. The first 100,000 were kept, and the link now ' +
                 'holds those.');
    assert.ok(await page.locator('#progress').isHidden());
    await page.waitForFunction((n) => location.hash.split(',').length === n,
                               100000);
    const hash = await page.evaluate(() => location.hash);
    assert.equal(hash, `#${typed.slice(0, 100000).join(',')}`);
    await typeAnswers(page, ['7']);
    assert.match(await screenText(page),
                 new RegExp(`それは無理です。6,7,${NEXT}7\n6,${NEXT}$`));
    await page.keyboard.press('Escape');
    assert.match(await screenText(page),
                 new RegExp(`それは無理です。6,7,${NEXT}$`));
    // The 99,999 answers refused after the 8 are no steps of their own:
    // undo takes them back with it.
    await page.keyboard.press('Escape');
    assert.equal(await screenText(page), MENU + STARTER);
    assert.deepEqual(errors, []);
  });
});

describe('undo after a link', () => {
  test('goes back across the combos of the link', async (t) => {
    const page = await fresh(t, '#7,6,7,1,8,7,6,7,2,0,x,5');
    const combo1 = `${MENU}${STARTER}7\n6,${NEXT}6\n2,6,7,${NEXT}7\n` +
        'もう繋がりません。\n\n7,6,7,3+1Zorvです。\n\n';
    const combo2 = `${MENU}${STARTER}8\n6,7,${NEXT}7\n6,${NEXT}6\n` +
        `2,6,7,${NEXT}7\nもう繋がりません。\n\n8,7,6,7,4+1Zorvです。\n\n`;
    const combo3 = `${MENU}${STARTER}0\n\n0+1Zorvです。\n\n`;
    // The x refused at the replay prompt is no step of its own: undo takes
    // it back with the 0 before it.
    const steps = [
      `${combo1}${REPLAY}1\n${combo2}${REPLAY}2\n${combo3}${REPLAY}x\n` +
          `${REPLAY}5\n${MENU}${STARTER}`,
      `${combo1}${REPLAY}1\n${combo2}${REPLAY}2\n${combo3}${REPLAY}x\n` +
          REPLAY,
      `${combo1}${REPLAY}1\n${combo2}${REPLAY}2\n${MENU}${STARTER}`,
      `${combo1}${REPLAY}1\n${combo2}${REPLAY}`,
      `${combo1}${REPLAY}1\n${combo2.slice(0, combo2.indexOf('もう'))}`
          .replace(/7\n$/, ''),
    ];
    assert.equal(await screenText(page), steps[0]);
    for (const want of steps.slice(1)) {
      await page.locator('#undo').click();
      assert.equal(await screenText(page), want);
    }
    // The chain and the picture follow: the second combo at 8, 7, 6.
    assert.deepEqual(await page.locator('#chain b').allInnerTexts(),
                     ['8', '7', '6']);
    assert.equal(await page.locator('#graph path.link.used').count(), 2);
  });

  // Undo goes back a move, not a line: the 1 refused at 8 goes with the 8,
  // which the line before it ends with, and that line is cut short.
  test('with several answers on one line goes back a move at a time',
       async (t) => {
    const page = await fresh(t, '#7%206%207%201%208,1');
    const combo = `${MENU}${STARTER}7 6 7 1 8\n6,${NEXT}2,6,7,${NEXT}` +
        'もう繋がりません。\n\n7,6,7,3+1Zorvです。\n\n';
    assert.equal(await screenText(page),
                 `${combo}${REPLAY}${MENU}${STARTER}6,7,${NEXT}1\n` +
                 `それは無理です。6,7,${NEXT}`);
    await page.locator('#undo').click();
    assert.equal(await screenText(page),
                 combo.replace('7 6 7 1 8', '7 6 7 1') +
                 `${REPLAY}${MENU}${STARTER}`);
    assert.deepEqual(await page.locator('#chain b').allInnerTexts(), []);
    await page.locator('#undo').click();
    assert.equal(await screenText(page),
                 combo.replace('7 6 7 1 8', '7 6 7') + REPLAY);
    assert.deepEqual(await page.locator('#chain b').allInnerTexts(),
                     ['7', '6', '7']);
    await hasFragmentOf(page, '#7%206%207');
  });
});
