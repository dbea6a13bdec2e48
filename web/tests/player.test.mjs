// The web edition as a player uses it beyond the console: the chain, the
// summary and "play the longest" against combo-atlas, the picture of the
// links against the link chart, English under the Japanese against the
// README's table, sharing and reloading, input as an input method types
// it, and axe-core on every state.

import { describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import path from 'node:path';
import {
  LINKS, MENU, NEXT, STARTER, atlasRows, axeViolations, browserForFile,
  readmeAnswers, root, screenText, typeAnswer, typeAnswers,
} from './helpers.mjs';

const chromium = browserForFile();
const { fresh } = chromium;

// The moves of #chain, as its chips show them: number, name, gloss.
function chain(page) {
  return page.locator('#chain li:not(.empty)').evaluateAll((chips) =>
      chips.map((chip) => chip.innerText.replace(/\s+/g, ' ')));
}

async function chainMoves(page) {
  return (await chain(page)).map((chip) => chip.split(' ')[0]).join(',');
}

// The first of the longest rows of `combo-atlas MOVE...`.
function atlasLongest(moves) {
  const rows = atlasRows(moves);
  const most = Math.max(...rows.map((row) => Number(row.longest)));
  return rows.find((row) => Number(row.longest) === most);
}

describe('the combo made visible', () => {
  test('#chain shows each move with its name and gloss', async (t) => {
    const page = await fresh(t);
    assert.deepEqual(await chain(page), []);
    await typeAnswers(page, ['8', '7', '6']);
    assert.deepEqual(await chain(page), ['8 地上バウンド ground bounce',
                                         '7 地上ふっとばし ground knockback',
                                         '6 地上きりもみ ground spin']);
    const langs = await page.locator('#chain li span').evaluateAll((spans) =>
        spans.map((span) => span.lang));
    assert.deepEqual(langs, ['ja', 'ja', 'ja']);
  });

  // From the middle of a combo: the longest way on, a move at a time, the
  // combo that combo-atlas names first of the longest; each move undoable.
  test('#longest plays the longest way on from here', async (t) => {
    const page = await fresh(t);
    await typeAnswers(page, ['8', '7', '6']);
    await page.locator('#longest').click();
    await page.waitForSelector('#summary:not([hidden])', { timeout: 20000 });
    const want = atlasLongest([8, 7, 6]).longest_example;
    assert.equal(await chainMoves(page), want);
    const moves = want.split(',');
    await page.keyboard.press('Escape');
    assert.equal(await chainMoves(page), moves.slice(0, -1).join());
    assert.match(await screenText(page), new RegExp(`${NEXT}$`));
    await page.keyboard.press('Escape');
    assert.equal(await chainMoves(page), moves.slice(0, -2).join());
  });

  test('#longest from the starter prompt plays the longest of all',
       async (t) => {
    const page = await fresh(t);
    await page.locator('#longest').click();
    await page.waitForSelector('#summary:not([hidden])', { timeout: 20000 });
    assert.equal(await chainMoves(page), atlasLongest([]).longest_example);
  });

  // At a complete combo: the chain, its length, the console's line and what
  // it says, and the longest from the same starter as combo-atlas has it.
  test('#summary says the result and the longest from the starter',
       async (t) => {
    const page = await fresh(t);
    await typeAnswers(page, ['8', '1', '7', '6', '7']);
    const summary = page.locator('#summary');
    const text = (await summary.innerText()).replace(/\s+/g, ' ');
    assert.match(text, /^Complete: 4 moves, 8 → 7 → 6 → 7 /);
    assert.match(text, / 8,7,6,7,4\+1Zorvです。 says 8,7,6,7,4\+1Zorv: the chain, then its length\. /);
    const row = atlasRows([]).find((r) => r.starter === '8');
    const combos = Number(row.combos).toLocaleString('en');
    assert.match(text, new RegExp(`Longest from 8: ${row.longest} moves, of ` +
                                  `${combos} complete combos: ` +
                                  `${row.longest_example}$`));
    assert.equal(await summary.locator('q').getAttribute('lang'), 'ja');
    // Gone at the next combo; the empty chain has no longest.
    await typeAnswers(page, ['1']);
    assert.ok(await summary.isHidden());
    await typeAnswers(page, ['0']);
    assert.equal((await summary.innerText()).replace(/\s+/g, ' ').trim(),
                 'Complete: the empty chain, no moves 0+1Zorvです。 says ' +
                 '0+1Zorv: the chain, then its length.');
  });
});

// The arrows of the picture: each one's ends and what it shows.
function arrows(page) {
  return page.locator('#graph path.link').evaluateAll((paths) =>
      paths.map((p) => ({ link: `${p.dataset.from}>${p.dataset.to}`,
                          kind: p.getAttribute('class') })));
}

describe('the picture of the links', () => {
  const gameLinks = Object.entries(LINKS).flatMap(([k, js]) =>
      js.map((j) => `${k}>${j}`));

  test('has an arrow for every link of the chart, and no other', async (t) => {
    const page = await fresh(t);
    assert.equal(gameLinks.length, 31);
    let drawn = await arrows(page);
    assert.deepEqual(drawn.map((a) => a.link).sort(), gameLinks.sort());
    assert.ok(drawn.every((a) => a.kind === 'link'));
    // Air above, ground below.
    const heights = await page.locator('#graph .node circle').evaluateAll(
        (cs) => cs.map((c) => Number(c.getAttribute('cy'))));
    assert.ok(Math.max(...heights.slice(0, 4)) < Math.min(...heights.slice(4)));

    await typeAnswers(page, ['8', '7']);
    drawn = await arrows(page);
    assert.deepEqual(drawn.map((a) => a.link).sort(), gameLinks.sort());
    const kinds = Object.fromEntries(drawn.map((a) => [a.link, a.kind]));
    for (const link of gameLinks) {
      const want = link === '8>7' ? 'link used' :
          link === '7>6' ? 'link next' : 'link';
      assert.equal(kinds[link], want, link);
    }
    const nodes = await page.locator('#graph .node').evaluateAll((gs) =>
        gs.map((g) => g.getAttribute('class')));
    assert.equal(nodes[6], 'node current');
    assert.equal(nodes[5], 'node listed');
    // The chain as a numbered path: step 1 on the link from 8 to 7.
    assert.deepEqual(await page.locator('#graph .step').allTextContents(),
                     ['1']);
  });

  test('a tap on a node answers that move if the prompt takes it',
       async (t) => {
    const page = await fresh(t, '#8,7');
    await page.locator('#graph .node[data-move="1"]').click();
    assert.equal(await screenText(page), `${MENU}${STARTER}8\n6,7,${NEXT}7\n6,${NEXT}`);
    await page.locator('#graph .node[data-move="6"]').click();
    assert.equal(await screenText(page),
                 `${MENU}${STARTER}8\n6,7,${NEXT}7\n6,${NEXT}6\n2,6,7,${NEXT}`);
  });
});

// README.md's table "What the texts say": each text and its English.
function readmeTexts() {
  const readme = readFileSync(path.join(root, 'README.md'), 'utf8');
  const section = readme.slice(readme.indexOf('## What the texts say'));
  return [...section.slice(0, section.indexOf('\n## ')).matchAll(
      /^\| "([^"]+)" \| (.+) \|$/gm)].map((m) => [m[1], m[2]]);
}

describe('English beside Japanese', () => {
  test('shows under each line what the README says it says', async (t) => {
    const page = await fresh(t);
    await typeAnswers(page, readmeAnswers());
    await page.locator('#english').check();
    const lines = await page.locator('#screen .en').evaluateAll((els) =>
        els.map((el) => [el.lang, el.innerText]));
    const english = lines.map((l) => l[1]);
    assert.deepEqual(english, [
      '1 air float, 2 air spin, 3 air knockback, 4 air bounce',
      '5 ground float, 6 ground spin, 7 ground knockback, 8 ground bounce',
      'Choose the starter move:',
      '6,7, can follow. Choose the next move:',
      'That is impossible: that link is used up, or there is none. 6,7, can ' +
          'follow. Choose the next move:',
      '6, can follow. Choose the next move:',
      '2,6,7, can follow. Choose the next move:',
      'Nothing can follow any more.',
      '8,7,6,7,4+1Zorv: the chain, then its length.',
      '1 once more, 0 stop',
      'Please choose:',
    ]);
    assert.ok(lines.every((l) => l[0] === 'en'));
    // The Japanese lines are marked as such; the page itself is English.
    assert.equal(await page.locator('html').getAttribute('lang'), 'en');
    const langs = await page.locator('#screen').evaluate((screen) => {
      const walker = document.createTreeWalker(screen, NodeFilter.SHOW_TEXT);
      const found = [];
      while (walker.nextNode()) {
        const text = walker.currentNode.data;
        if (/[\u0080-\uffff]/.test(text)) {  // any code unit beyond ASCII
          found.push(walker.currentNode.parentElement.closest('[lang]').lang);
        }
      }
      return found;
    });
    assert.ok(langs.length >= 11 && langs.every((lang) => lang === 'ja'),
              langs.join());
    // Every text of the README's table on the screen is under it in the
    // README's English; a second session shows the one text left.
    const check = async (shown) => {
      const japanese = await screenText(page);
      for (const [text, inEnglish] of readmeTexts()) {
        if (japanese.includes(text)) {
          assert.ok(shown.join('\n').includes(inEnglish), `${text}: ${inEnglish}`);
        }
      }
    };
    await check(english);
    await page.locator('#new-session').click();
    await typeAnswers(page, ['9']);
    const second = await page.locator('#screen .en').allInnerTexts();
    assert.equal(second[3], 'There is no such move. Choose the starter move:');
    await check(second);
    // Off again, the screen is the console's alone.
    await page.locator('#english').uncheck();
    assert.doesNotMatch(await screenText(page), /Choose/);
  });
});

describe('sharing', () => {
  test('#share writes the link and copies it', async (t) => {
    const context = await chromium.browser.newContext();
    await context.grantPermissions(['clipboard-read', 'clipboard-write']);
    t.after(() => context.close());
    const page = await context.newPage();
    await page.goto(`${pageUrlOf()}`);
    await page.waitForSelector('#answer:enabled');
    await typeAnswers(page, ['8', '1', '7']);
    await page.locator('#share').click();
    assert.equal(await page.evaluate(() => location.hash), '#8,1,7');
    await page.waitForFunction(() =>
        document.getElementById('message').innerText.includes('copied'));
    assert.equal(await page.evaluate(() => navigator.clipboard.readText()),
                 await page.evaluate(() => location.href));
  });

  test('a reload right after an answer keeps it', async (t) => {
    const page = await fresh(t);
    await typeAnswers(page, ['8', '1']);
    await typeAnswer(page, '7');
    await page.reload();
    await page.waitForSelector('#answer:enabled');
    assert.equal(await screenText(page),
                 `${MENU}${STARTER}8\n6,7,${NEXT}1\nそれは無理です。6,7,${NEXT}7\n` +
                 `6,${NEXT}`);
    // And an undo just before a reload is not taken back.
    await page.keyboard.press('Escape');
    await page.reload();
    await page.waitForSelector('#answer:enabled');
    assert.equal(await screenText(page),
                 `${MENU}${STARTER}8\n6,7,${NEXT}1\nそれは無理です。6,7,${NEXT}`);
  });

  test('a reload of the address before the one just written keeps the ' +
       'session', async (t) => {
    const page = await fresh(t);
    await typeAnswers(page, ['8', '7']);
    await page.waitForFunction(() => location.hash === '#8,7');
    // A reload in the moment the page writes the address may reload the
    // address before, which the browser had not let go of yet: here, the
    // address before put back behind the page's back.
    await page.evaluate(() => history.replaceState(null, '', location.pathname));
    await page.reload();
    await page.waitForSelector('#answer:enabled');
    assert.equal(await screenText(page), `${MENU}${STARTER}8\n6,7,${NEXT}7\n` +
                 `6,${NEXT}`);
  });
});

function pageUrlOf() {
  return new URL('file://' + path.join(root, 'build-web', 'combo.html')).href;
}

describe('input as a player types it', () => {
  test('full-width digits, signs and spaces are read as ASCII', async (t) => {
    const page = await fresh(t);
    await typeAnswer(page, '８');
    await typeAnswer(page, '１\u3000７');
    await typeAnswer(page, '－１');
    assert.equal(await screenText(page),
                 `${MENU}${STARTER}8\n6,7,${NEXT}1 7\n` +
                 `それは無理です。6,7,${NEXT}6,${NEXT}-1\n` +
                 `そんな技はありません。6,${NEXT}`);
  });

  // The field drops line breaks from a paste; the page makes them spaces,
  // and a long paste keeps every number.
  test('a paste keeps every number', async (t) => {
    const context = await chromium.browser.newContext();
    await context.grantPermissions(['clipboard-read', 'clipboard-write']);
    t.after(() => context.close());
    const page = await context.newPage();
    await page.goto(pageUrlOf());
    await page.waitForSelector('#answer:enabled');
    const numbers = ['8', '7', '6', ...Array(300).fill('1')];
    await page.evaluate((text) => navigator.clipboard.writeText(text),
                        numbers.join('\n'));
    await page.locator('#answer').focus();
    await page.keyboard.press('Control+V');
    assert.equal(await page.locator('#answer').inputValue(), numbers.join(' '));
    await page.keyboard.press('Enter');
    const screen = await screenText(page);
    assert.equal(screen.split('それは無理です。').length - 1, 300);
    assert.match(screen, new RegExp(`${STARTER}${numbers.join(' ')}\n6,7,`));
  });

  test('a line longer than one answer may be is refused with a word',
       async (t) => {
    const page = await fresh(t);
    const line = '1 '.repeat(20000);
    await page.locator('#answer').fill(line);
    await page.keyboard.press('Enter');
    // Said in what it counts: bytes, as the engine reads them.
    assert.match(await page.locator('#message').innerText(),
                 /more than the 32,767 bytes/);
    assert.equal(await page.locator('#answer').inputValue(), line);
    assert.equal(await screenText(page), MENU + STARTER);
  });
});

// The screen is a log that only grows by what each answer brings: a screen
// reader announces new output once.
test('each answer adds to the screen and takes nothing away', async (t) => {
  const page = await fresh(t);
  await typeAnswers(page, ['8']);
  await page.evaluate(() => {
    window.changes = [];
    new MutationObserver((records) => window.changes.push(...records.map(
        (r) => [r.type, r.addedNodes.length, r.removedNodes.length])))
        .observe(document.getElementById('screen'),
                 { childList: true, subtree: true, characterData: true });
  });
  await typeAnswers(page, ['1', '7']);
  const changes = await page.evaluate(() => window.changes);
  assert.ok(changes.length > 0);
  assert.ok(changes.every(([type, , removed]) => type === 'childList' &&
                          removed === 0), JSON.stringify(changes));
});

describe('axe-core finds no violation', () => {
  const phone = { viewport: { width: 360, height: 740 }, hasTouch: true };
  const states = [
    ['at the start', '', {}],
    ['mid-combo with hints', '#8,1,7', {}],
    ['at a complete combo', '#8,7,6,7', {}],
    ['when the session has ended', '#0,0', {}],
    ['on a phone, mid-combo', '#8,7,6', phone],
  ];
  for (const [name, fragment, options] of states) {
    test(name, async (t) => {
      const page = await fresh(t, fragment, options);
      assert.deepEqual(await axeViolations(page), []);
    });
  }

  test('with English shown, after undo and a refused line', async (t) => {
    const page = await fresh(t, '#8,1');
    await page.locator('#english').check();
    assert.deepEqual(await axeViolations(page), []);
    await page.keyboard.press('Escape');
    await page.locator('#hints').uncheck();
    assert.deepEqual(await axeViolations(page), []);
    await page.locator('#answer').fill('1 '.repeat(20000));
    await page.keyboard.press('Enter');
    assert.deepEqual(await axeViolations(page), []);
  });

  test('with a link over the limit and its message', async (t) => {
    const page = await fresh(t, `#8${',1'.repeat(100001)}`);
    assert.match(await page.locator('#message').innerText(), /were kept/);
    assert.deepEqual(await axeViolations(page), []);
  });
});
