// The link to a session: the compact form of a long address (written out
// here by hand), links that open as the plain link of the same answers
// does, when the page writes the address, and what a link that cannot open
// whole says. In node: the engine's run of many lines in one call, against
// the same lines run one at a time.

import { describe, test } from 'node:test';
import assert from 'node:assert/strict';
import {
  kLineRunFields, narrowTyped, queueForEach, queueLine, runEach, runEngine,
  startEngine,
} from '../engine.js';
import { existsSync } from 'node:fs';
import {
  MENU, STARTER, browserForFile, builtEngine, comboProgram, nativeScreen,
  pageUrl, screenText, typeAnswer, typeAnswers,
} from './helpers.mjs';

const chromium = browserForFile();
const { fresh } = chromium;
const noNative = existsSync(comboProgram) ? false :
    `the console program is not built: ${comboProgram}`;

// The compact form by hand: ':a', then the answers, 4 bits each, in
// characters of 6 bits, A-Z a-z 0-9 - _ for 0 to 63. 8, 7, 6 are 1000 0111
// 0110, the characters 100001 110110: "h2". 7 alone is 0111, and two bits
// more fill its character: 011100, "c".
const h2 = (times) => 'h2'.repeat(times);

// Waits until the address's fragment is the one given ('' for none).
async function hasFragment(page, fragment, timeout = 5000) {
  await page.waitForFunction((want) => location.hash === want, fragment,
                             { timeout });
}

// A page whose every write of the address (history.replaceState) is noted
// in window.writes, with when it came (performance.now()).
async function watchedPage(t, fragment) {
  const page = await chromium.browser.newPage();
  t.after(() => page.close());
  await page.addInitScript(() => {
    window.writes = [];
    const replace = history.replaceState.bind(history);
    history.replaceState = (...args) => {
      window.writes.push(performance.now());
      return replace(...args);
    };
  });
  await page.goto(pageUrl + fragment);
  await page.waitForSelector('#answer:enabled', { timeout: 60000 });
  return page;
}

const writes = (page) => page.evaluate(() => window.writes);

describe('the compact address', () => {
  test('is written once the plain form would take over 100 characters',
       async (t) => {
    // 51 answers: 101 characters plain. The page keeps a link as given.
    const plain = `#${'8,7,6,'.repeat(17).slice(0, -1)}`;
    const page = await fresh(t, plain);
    await page.waitForTimeout(700);
    assert.equal(await page.evaluate(() => location.hash), plain);
    await typeAnswer(page, '7');
    const compact = `#:a${h2(17)}c`;
    await hasFragment(page, compact);
    const shared = await fresh(t, compact);
    assert.equal(await screenText(shared), await screenText(page));
  });

  // Each link opens as the plain one beside it does.
  const sameAs = [
    ['#:ah2c', '#8,7,6,7'],
    // 8 7 is 1000 0111; 1111 fills the second character: 100001 111111.
    ['#:ah_', '#8,7'],
    // 9 is 1001, as any digit alone: 100001 110110 1001+00.
    ['#:ah2k', '#8,7,6,9'],
    // 1010 escapes a line: its length, 0001, then its bytes, 0x78 ("x"):
    // 101000 010111 1000+00.
    ['#:aoXg', '#x'],
    // A line of 3 bytes, EF BC 97 (a full-width 7), and 1111 to fill:
    // 1010 0011 1110 1111 1011 1100 1001 0111 1111.
    ['#:ao--8l_', '#%EF%BC%97'],
  ];
  for (const [compact, plain] of sameAs) {
    test(`${compact} opens as ${plain} does`, async (t) => {
      const want = await screenText(await fresh(t, plain));
      const page = await fresh(t, compact);
      assert.equal(await screenText(page), want);
      assert.equal(await page.evaluate(() => location.hash), compact);
    });
  }

  // The answers of a long session of moves, and among them words, empty
  // answers, full-width digits and a long line.
  test('keeps every answer of a long session', async (t) => {
    const answers = ['8', '', '7', 'x', '%E4%B8%96%E7%95%8C', '%EF%BC%96',
                     '9', '-3', '7%206%207', 'y'.repeat(20), '1', '0%201',
                     ...'876217653'.repeat(20)];
    const plain = `#${answers.join(',')}`;
    const page = await fresh(t, plain);
    await typeAnswer(page, '7');
    await page.waitForFunction(() => location.hash.startsWith('#:a'));
    const compact = await page.evaluate(() => location.hash);
    assert.ok(compact.length < plain.length / 2, compact);
    const shared = await fresh(t, compact);
    assert.equal(await screenText(shared), await screenText(page));
  });

  test('with no answers opens the first prompt', async (t) => {
    assert.equal(await screenText(await fresh(t, '#:a')), MENU + STARTER);
  });
});

describe('a link that does not open whole', () => {
  // The link, what the page says, and what the address holds then.
  const cases = [
    ['an answer too long for a line, first', `#${'1'.repeat(33000)}`,
     /^Answer 1 of this link is longer than .*\. None were kept, and the link now holds none\.$/,
     ''],
    ['answers after the session ended', '#0,0,5,6',
     /^The session of this link ends at answer 2, where 0 stops it: the 2 answers after it were left out, and the link now holds the first 2\.$/,
     '#0,0'],
    ['a damaged compact link', '#:ah2c!',
     /^This link is damaged after answer 4\. The first 4 were kept, and the link now holds those\.$/,
     '#:ah2c'],
    ['a compact link with a part it cannot read', '#:xAAAAAAAAAAA:ah2c',
     /^This link has a part \(“x”\) that this page cannot read: a new session starts instead\.$/,
     '#:xAAAAAAAAAAA:ah2c'],
    // The table comes first, in 11 characters, or not at all.
    ['a table of 10 characters', '#:tAAAAAAAAAA:ah2c',
     /^This link is damaged from its start\. None were kept, and the link now holds none\.$/,
     ''],
  ];
  for (const [name, link, words, address] of cases) {
    test(`says so: ${name}`, async (t) => {
      const page = await fresh(t, link);
      assert.match(await page.locator('#message').innerText(), words);
      await hasFragment(page, address);
    });
  }

  // As the console reads the line as it stands ("%E3%81"), and the
  // address stays as it was.
  test('keeps a malformed escape as the player gave it',
       { skip: noNative }, async (t) => {
    for (const link of ['#%E3%81', '#50%']) {
      const page = await fresh(t, link);
      assert.equal(await screenText(page), nativeScreen([link.slice(1)]));
      await page.waitForTimeout(700);
      assert.equal(await page.evaluate(() => location.hash), link);
    }
  });
});

describe('the address is written', () => {
  test('at most every 2 s while answers come, and once they pause',
       async (t) => {
    const page = await watchedPage(t, '');
    const answers = ['8', '1', '7', '1', '6', '1', '7', '1', '2', '1'];
    for (const answer of answers) {
      await typeAnswer(page, answer);
      await page.waitForTimeout(400);
    }
    await hasFragment(page, `#${answers.join(',')}`);
    const times = await writes(page);
    assert.ok(times.length >= 1);
    for (let i = 1; i < times.length; ++i) {
      assert.ok(times[i] - times[i - 1] >= 1990,
                `writes ${Math.round(times[i] - times[i - 1])} ms apart`);
    }
  });

  test('when long, only once the page loses the focus; a reload keeps ' +
       'an answer all the same', async (t) => {
    // 15,000 answers: 10,002 characters.
    const page = await watchedPage(t, `#:a${h2(5000)}`);
    await typeAnswers(page, ['8', '7', '6']);
    await page.waitForTimeout(2500);
    assert.deepEqual(await writes(page), []);
    await page.evaluate(() => window.dispatchEvent(new Event('blur')));
    assert.equal(await page.evaluate(() => location.hash), `#:a${h2(5001)}`);
    // The screen folds its oldest lines away: its newest are compared.
    const newest = async () => (await screenText(page)).split('\n').slice(-20);
    await typeAnswer(page, '8');
    const before = await newest();
    await page.reload();
    await page.waitForSelector('#answer:enabled', { timeout: 60000 });
    assert.deepEqual(await newest(), before);
  });
});

describe('the engine', () => {
  // A session's lines, as the page reads them: moves, refusals, words, a
  // line of several answers, an empty one, full width, and the end.
  const lines = ['8', '1', '7 6', 'x', '', '7', '1 8', '７', '6', '7', '0',
                 '5', '6'];

  // What each line did: the line breaks in its output, where in the line
  // the combo began, whether the dialogue goes on, where the answer it took
  // began and ended, and the starter just used.
  test('runs many lines at once as it runs each alone', () => {
    const engine = builtEngine();
    startEngine(engine);
    const alone = [];
    for (const line of lines) {
      if (alone.length && !alone[alone.length - 1][2]) break;
      assert.ok(queueLine(engine, narrowTyped(engine, line)));
      const run = runEngine(engine);
      alone.push([run.output.filter((b) => b === 10).length, run.comboBegan,
                  run.going ? 1 : 0, run.takenAt, run.takenEnd,
                  run.lastStarter]);
    }
    // 8 7 6 7 ends the first combo, 1 starts the second, 8 7 6 7 ends it,
    // and 0 at the replay prompt ends the dialogue: 11 lines.
    assert.equal(alone.length, 11);
    startEngine(engine);
    for (const line of lines) {
      assert.ok(queueForEach(engine, narrowTyped(engine, line)));
    }
    const ran = runEach(engine);
    const each = Array.from({ length: ran }, (_, i) =>
        [...engine.lineRuns.subarray(kLineRunFields * i,
                                     kLineRunFields * (i + 1))]);
    assert.deepEqual(each, alone);
  });
});

