// Answering and taking back as a player does it, with a finger, a mouse, a
// keyboard or a screen reader: a double tap answers once, undo goes back a
// move and says so, the focus never falls to the page, the status line
// says only what holds now, and a screen reader hears each thing once.
// Expected screens are written out from the console's texts.

import { describe, test } from 'node:test';
import assert from 'node:assert/strict';
import {
  MENU, NEXT, REPLAY, STARTER, browserForFile, screenText, typeAnswer,
  typeAnswers,
} from './helpers.mjs';

const chromium = browserForFile();
const { fresh } = chromium;
const phone = { viewport: { width: 360, height: 740 }, hasTouch: true,
                isMobile: true };
const desktop = { viewport: { width: 1280, height: 800 } };

// The moves of the chain, as its chips number them.
function chainMoves(page) {
  return page.locator('#chain b').allInnerTexts();
}

// The middle of an element, where a finger or a pointer comes down on it.
async function middle(page, selector) {
  const box = await page.locator(selector).boundingBox();
  return { x: box.x + box.width / 2, y: box.y + box.height / 2 };
}

// Two taps, or the two clicks of a double click, on one spot, `gap` ms
// apart: the second comes down where the first one's answer put new
// buttons. Returns how far apart they came down, as the page saw it: on a
// busy machine, further than asked.
async function twice(page, how, { x, y }, gap) {
  await page.evaluate(() => {
    window.downs = [];
    document.addEventListener('pointerdown', (e) =>
      window.downs.push(e.timeStamp), true);
  });
  if (how === 'touch') {
    await page.touchscreen.tap(x, y);
    if (gap) await page.waitForTimeout(gap);
    await page.touchscreen.tap(x, y);
  } else {
    await page.mouse.move(x, y);
    for (const clickCount of [1, 2]) {
      await page.mouse.down({ clickCount });
      await page.mouse.up({ clickCount });
      if (clickCount === 1 && gap) await page.waitForTimeout(gap);
    }
  }
  const downs = await page.evaluate(() => window.downs);
  return downs[1] - downs[0];
}

// A double tap is at most a double-click time apart: 500 ms. Opens the
// page and taps twice until the taps come that close, three times at most.
async function doubleTap(t, how, options, selector, gap) {
  for (let tries = 0; ; ++tries) {
    const page = await fresh(t, options.fragment ?? '', options);
    const spot = await middle(page, selector);
    const apart = await twice(page, how, spot, gap);
    if (apart < 450 || tries === 2) {
      assert.ok(apart < 450, `the taps came ${apart} ms apart`);
      return { page, spot };
    }
    await page.close();
  }
}

describe('a double tap or a double click answers once', () => {
  for (const how of ['touch', 'mouse']) {
    for (const gap of [0, 100, 250]) {
      test(`by ${how}, ${gap} ms apart`, async (t) => {
        const { page, spot } = await doubleTap(
            t, how, how === 'touch' ? phone : desktop,
            '#choices button[data-answer="1"]', gap);
        await page.waitForTimeout(300);
        assert.deepEqual(await chainMoves(page), ['1']);
        assert.equal(await screenText(page),
                     `${MENU}${STARTER}1\n2,3,4,6,7,${NEXT}`);
        // A tap of its own on the button now there answers it.
        await page.waitForTimeout(600);
        if (how === 'touch') {
          await page.touchscreen.tap(spot.x, spot.y);
        } else {
          await page.mouse.click(spot.x, spot.y);
        }
        assert.deepEqual(await chainMoves(page), ['1', '2']);
      });
    }
  }

  // The same on the picture: a node double-tapped answers its move once.
  test('on a node of the picture', async (t) => {
    const { page } = await doubleTap(t, 'touch', { ...phone, fragment: '#8,7' },
                                     '#graph .node[data-move="6"]', 100);
    await page.waitForTimeout(300);
    assert.deepEqual(await chainMoves(page), ['8', '7', '6']);
  });

  // A button that took the place of the one the pointer came down on, while
  // it was down (the answers changed under it), is not answered.
  test('not on a button that came while the pointer was down', async (t) => {
    const page = await fresh(t, '', desktop);
    const spot = await middle(page, '#choices button[data-answer="1"]');
    await page.mouse.move(spot.x, spot.y);
    await page.mouse.down();
    await page.evaluate(() => {
      document.getElementById('answer').value = '7';
      document.getElementById('answer-form').requestSubmit();
    });
    await page.mouse.up();
    await page.waitForTimeout(200);
    assert.deepEqual(await chainMoves(page), ['7']);
  });
});

describe('undo', () => {
  // A line of several answers goes back one answer at a time, as if each
  // had been typed alone, the line cut short where that answer began.
  test('goes back one move, not one line', async (t) => {
    const page = await fresh(t);
    await typeAnswer(page, '7 6 7 0');
    const screens = [
      `${MENU}${STARTER}7 6 7\n6,${NEXT}2,6,7,${NEXT}もう繋がりません。\n\n` +
          `7,6,7,3+1Zorvです。\n\n${REPLAY}`,
      `${MENU}${STARTER}7 6\n6,${NEXT}2,6,7,${NEXT}`,
      `${MENU}${STARTER}7\n6,${NEXT}`,
      `${MENU}${STARTER}`,
    ];
    for (const want of screens) {
      await page.keyboard.press('Escape');
      assert.equal(await screenText(page), want);
    }
    assert.ok(await page.locator('#undo').isDisabled());
  });

  // A typo is no step of its own: undo takes back the move before it, and
  // the typo with it.
  test('takes a refused answer back with the move before it', async (t) => {
    const page = await fresh(t);
    await typeAnswers(page, ['8', '9', 'x']);
    await page.locator('#undo').click();
    assert.equal(await screenText(page), MENU + STARTER);
    await typeAnswers(page, ['9', '8', '7', '1']);
    await page.locator('#undo').click();
    assert.equal(await screenText(page),
                 `${MENU}${STARTER}9\nそんな技はありません。${STARTER}8\n` +
                 `6,7,${NEXT}`);
  });

  // Escape clears what is typed before it takes anything back.
  test('Escape with text in the field clears the field first', async (t) => {
    const page = await fresh(t);
    await typeAnswers(page, ['8']);
    await page.locator('#answer').pressSequentially('7 6');
    await page.keyboard.press('Escape');
    assert.equal(await page.locator('#answer').inputValue(), '');
    assert.equal(await screenText(page), `${MENU}${STARTER}8\n6,7,${NEXT}`);
    await page.keyboard.press('Escape');
    assert.equal(await screenText(page), MENU + STARTER);
  });
});

describe('for a screen reader', () => {
  // The status line, a live region, says what undo took back and where
  // that leaves the combo.
  test('undo says what it took back', async (t) => {
    const page = await fresh(t);
    assert.equal(await page.locator('#status').getAttribute('role'), 'status');
    await typeAnswers(page, ['8', '7']);
    await page.keyboard.press('Escape');
    assert.equal(await page.locator('#message').innerText(),
                 'Took back 7: the combo is now 8.');
    await page.keyboard.press('Escape');
    assert.equal(await page.locator('#message').innerText(),
                 'Took back 8: no moves yet.');
  });

  // Where what had the focus goes away or is disabled, the focus goes on
  // to the answers, never to the page itself.
  test('the focus never falls to the page', async (t) => {
    const page = await fresh(t);
    const focused = () => page.evaluate(() =>
        (document.activeElement === document.body ? 'body' :
            document.activeElement.id || document.activeElement.dataset.answer));
    await typeAnswers(page, ['8']);
    await page.locator('#undo').focus();
    await page.keyboard.press('Enter');
    assert.equal(await screenText(page), MENU + STARTER);
    assert.ok(await page.locator('#undo').isDisabled());
    assert.equal(await focused(), '1');
    // A button clicked and gone with its prompt.
    await page.locator('#choices button[data-answer="7"]').click();
    assert.notEqual(await focused(), 'body');
    // Back to a move of the chain, whose chips are drawn again.
    await typeAnswers(page, ['6']);
    await page.locator('#chain button').first().click();
    assert.deepEqual(await chainMoves(page), ['7']);
    assert.notEqual(await focused(), 'body');
  });

  // The summary line is in the screen, a log; the summary beside it is no
  // live region, so the line is read once.
  test('reads the summary once', async (t) => {
    const page = await fresh(t, '#8,7,6');
    await typeAnswers(page, ['7']);
    const live = await page.evaluate(() => [...document.querySelectorAll(
        '[aria-live]:not([aria-live="off"]), [role="log"], [role="status"]')]
        .filter((el) => el.innerText.includes('8,7,6,7,4+1Zorv'))
        .map((el) => el.id));
    assert.deepEqual(live, ['screen']);
  });

  // English shown under lines already read is no news: the screen is no
  // live region while it appears, and is one again after.
  test('ticking English does not read out every English line', async (t) => {
    const page = await fresh(t, '#8,7,6');
    await page.evaluate(() => {
      const screen = document.getElementById('screen');
      window.seen = [];
      new MutationObserver(() => window.seen.push([
        screen.classList.contains('english'),
        screen.getAttribute('aria-live')])).observe(screen,
                                                    { attributes: true });
    });
    await page.locator('#english').check();
    await page.waitForFunction(() =>
        document.getElementById('screen').getAttribute('aria-live') ===
        'polite');
    // The English was shown while the screen was not live, and the
    // screen was live again only after.
    const seen = await page.evaluate(() => window.seen);
    const shown = seen.findIndex(([english]) => english);
    assert.ok(shown >= 0, JSON.stringify(seen));
    assert.equal(seen[shown][1], 'off', JSON.stringify(seen));
    assert.deepEqual(seen[seen.length - 1], [true, 'polite']);
    // A new answer is news again.
    await typeAnswers(page, ['7']);
    assert.equal(await page.locator('#screen').getAttribute('aria-live'),
                 'polite');
  });
});

// The status line says what holds now: a word on what the player did
// last goes with the next answer.
describe('the status line', () => {
  test('says nothing of the last undo or refusal after an answer',
       async (t) => {
    const page = await fresh(t);
    const status = () => page.locator('#status').innerText();
    await typeAnswers(page, ['8']);
    await page.keyboard.press('Escape');
    assert.match(await status(), /Took back 8/);
    await typeAnswers(page, ['8']);
    assert.equal((await status()).trim(), '');
    await page.locator('#answer').fill('1 '.repeat(20000));
    await page.keyboard.press('Enter');
    assert.match(await status(), /more than the 32,767 bytes/);
    await page.locator('#answer').fill('7');
    await page.keyboard.press('Enter');
    assert.equal((await status()).trim(), '');
  });
});
