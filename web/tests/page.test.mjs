// The web edition in Debian's Chromium, opened from file:// as a player
// opens it: typed into, clicked, read back as a person reads it. Expected
// screens come from the README and from the console's own texts, written
// out here; never from the page itself.

import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdirSync } from 'node:fs';
import path from 'node:path';
import {
  buildWeb, launch, openPage, pageUrl, readmeAnswers, readmeSession, root,
  screenText, typeAnswer, typeAnswers,
} from './helpers.mjs';

const MENU = '1,空中浮き 2,空中きりもみ 3,空中ふっとばし 4,空中バウンド\n' +
             '5,地上浮き 6,地上きりもみ 7,地上ふっとばし 8,地上バウンド\n';
const STARTER = '始動技を選んでください：';
const NEXT = 'が、繋がります。次の技を選んでください：';
const REPLAY = '1,もう一回 0,もうやめる\n選択してください：';

let browser;
before(async () => {
  browser = await launch();
});
after(async () => {
  await browser?.close();
});

// Opens a fresh page; fails the test on any script error in it.
async function fresh(t, fragment = '', viewport) {
  const page = await openPage(browser, fragment, viewport);
  t.after(async () => {
    assert.deepEqual(page.errors, [], 'script errors in the page');
    await page.close();
  });
  return page;
}

// Waits until the page's URL ends with the fragment given ('' for none);
// the page writes it once typing pauses.
async function hasFragment(page, fragment) {
  await page.waitForFunction((want) => location.hash === want, fragment,
                             { timeout: 5000 });
}

describe('the screen', () => {
  test('shows the README session typed answer by answer', async (t) => {
    const page = await fresh(t);
    await typeAnswers(page, readmeAnswers());
    assert.equal(await screenText(page), readmeSession());
  });

  test('takes several answers on one line, as the console does', async (t) => {
    const page = await fresh(t);
    const answers = readmeAnswers();
    await typeAnswer(page, answers.join(' '));
    // The terminal echoes the whole line after the first prompt; the rest
    // of the session follows without echoes.
    let first = true;
    const want = readmeSession().replace(/：(\S+)(\n|$)/g, () => {
      if (!first) return '：';
      first = false;
      return `：${answers.join(' ')}\n`;
    });
    assert.equal(await screenText(page), want);
  });

  test('answers every kind of wrong answer as the console does',
       async (t) => {
    const page = await fresh(t);
    await typeAnswers(page, ['9', 'x', '-1', '8', '1', '0', '12', 'abc', '7',
                             '6', '6', '6', '7', 'x', '-1', '0', '0']);
    const want =
        MENU +
        `${STARTER}9\n` +
        `そんな技はありません。${STARTER}x\n` +
        `そんな技はありません。${STARTER}-1\n` +
        `そんな技はありません。${STARTER}8\n` +
        `6,7,${NEXT}1\n` +
        `それは無理です。6,7,${NEXT}0\n` +
        `それは無理です。6,7,${NEXT}12\n` +
        `そんな技はありません。6,7,${NEXT}abc\n` +
        `そんな技はありません。6,7,${NEXT}7\n` +
        `6,${NEXT}6\n` +
        `2,6,7,${NEXT}6\n` +
        `2,7,${NEXT}6\n` +
        `それは無理です。2,7,${NEXT}7\n` +
        'もう繋がりません。\n\n8,7,6,6,7,5+1Zorvです。\n\n' +
        `${REPLAY}x\n` +
        `${REPLAY}-1\n` +
        MENU +
        `${STARTER}0\n` +
        '\n0+1Zorvです。\n\n' +
        `${REPLAY}0`;
    assert.equal(await screenText(page), want);
    assert.match(await page.locator('#status').innerText(),
                 /session has ended \(status 0\)/);
    assert.ok(await page.locator('#answer').isDisabled());
  });

  test('offers a new session after the end', async (t) => {
    const page = await fresh(t);
    await typeAnswers(page, ['0', '0']);
    await page.locator('#new-session').click();
    assert.equal(await screenText(page), MENU + STARTER);
    assert.ok(await page.locator('#answer').isEnabled());
    await hasFragment(page, '');
  });
});

describe('undo', () => {
  test('drops the last answer, by button, Escape and Ctrl-Z', async (t) => {
    const page = await fresh(t);
    await typeAnswers(page, ['8', '1', '7']);
    await page.locator('#undo').click();
    assert.equal(await screenText(page),
                 `${MENU}${STARTER}8\n6,7,${NEXT}1\n` +
                 `それは無理です。6,7,${NEXT}`);
    await hasFragment(page, '#8,1');
    await page.locator('#answer').press('Escape');
    assert.equal(await screenText(page), `${MENU}${STARTER}8\n6,7,${NEXT}`);
    await page.locator('#answer').press('Control+z');
    assert.equal(await screenText(page), MENU + STARTER);
    await hasFragment(page, '');
    // Nothing left to drop.
    assert.ok(await page.locator('#undo').isDisabled());
  });

  test('takes the session back across the start of a combo', async (t) => {
    const page = await fresh(t);
    await typeAnswers(page, ['7', '6', '7', '1', '8']);
    await page.locator('#undo').click();
    await page.locator('#undo').click();
    await typeAnswers(page, ['0']);
    assert.equal(await screenText(page),
                 `${MENU}${STARTER}7\n6,${NEXT}6\n2,6,7,${NEXT}7\n` +
                 'もう繋がりません。\n\n7,6,7,3+1Zorvです。\n\n' +
                 `${REPLAY}0`);
  });
});

describe('sharing', () => {
  test('the fragment holds the answers typed', async (t) => {
    const page = await fresh(t);
    await typeAnswers(page, ['8', '1', '7 6']);
    await hasFragment(page, '#8,1,7%206');
  });

  test('a shared link opened fresh shows the same screen', async (t) => {
    const typed = await fresh(t);
    await typeAnswers(typed, ['8', '1', '7', '6', '7']);
    const shared = await fresh(t, '#8,1,7,6,7');
    assert.equal(await screenText(shared), await screenText(typed));
    const whole = await fresh(t, `#${readmeAnswers().join(',')}`);
    assert.equal(await screenText(whole), readmeSession());
  });

  test('a fragment edited by hand starts that session', async (t) => {
    const page = await fresh(t);
    await typeAnswers(page, ['8', '1']);
    await page.evaluate(() => {
      location.hash = '#7,6';
    });
    await page.waitForFunction(() =>
        document.getElementById('screen').innerText.includes('2,6,7,'));
    assert.equal(await screenText(page),
                 `${MENU}${STARTER}7\n6,${NEXT}6\n2,6,7,${NEXT}`);
  });
});

// The game's links as a grid, from the printed chart: row k lists the
// moves that may follow k.
const LINKS = {
  1: [2, 3, 4, 6, 7], 2: [1, 2, 3, 5, 6], 3: [1, 2, 5], 4: [2, 3, 5, 6, 7, 8],
  5: [2, 3, 4, 6, 7, 8], 6: [2, 6, 7], 7: [6], 8: [6, 7],
};

// The chart as a person reads it: for each row, each cell's mark and
// whether it is emphasised; and the highlighted rows.
function readChart(page) {
  return page.locator('#chart').evaluate((table) => ({
    marks: [...table.tBodies[0].rows].map((row) =>
        [...row.cells].map((cell) => cell.innerText)),
    emphasised: [...table.querySelectorAll('td.next')].map((cell) =>
        `${cell.parentElement.rowIndex}>${cell.cellIndex}`),
    highlighted: [...table.querySelectorAll('tbody tr.current')].map((row) =>
        row.rowIndex),
  }));
}

describe('the link chart', () => {
  test('marks the links used, the current move and what can follow',
       async (t) => {
    const page = await fresh(t);
    await typeAnswers(page, ['8', '7']);
    let chart = await readChart(page);
    assert.deepEqual(chart.highlighted, [7]);
    assert.deepEqual(chart.emphasised, ['7>6']);

    await typeAnswers(page, ['6', '7']);
    chart = await readChart(page);
    const used = new Set(['8>7', '7>6', '6>7']);
    for (let from = 1; from <= 8; ++from) {
      const row = chart.marks[from - 1];
      assert.match(row[0], new RegExp(`^${from} `));
      for (let to = 1; to <= 8; ++to) {
        const want = !LINKS[from].includes(to) ? '' :
            used.has(`${from}>${to}`) ? '×' : '●';
        assert.equal(row[to], want, `link ${from} to ${to}`);
      }
    }
    assert.deepEqual(chart.highlighted, [7]);
    assert.deepEqual(chart.emphasised, []);  // nothing can follow 7 now
  });
});

// `combo-atlas MOVE...` of the native build: its rows by next move.
function atlasRows(moves) {
  const program = process.env.COMBO_ATLAS ??
      path.join(root, 'build', 'combo-atlas');
  const out = execFileSync(program, moves.map(String), { encoding: 'ascii' });
  const rows = new Map();
  for (const line of out.trim().split('\n').slice(1)) {
    const [next, combos, , longest] = line.split('\t');
    rows.set(next, { combos: Number(combos), longest: Number(longest) });
  }
  return rows;
}

// The buttons offered, as a person reads them.
function choices(page) {
  return page.locator('#choices button').evaluateAll((buttons) =>
      buttons.map((b) => ({ answer: b.dataset.answer, text: b.innerText })));
}

describe('the answer buttons', () => {
  test('hint each follow-up with the figures of combo-atlas', async (t) => {
    const page = await fresh(t);
    await typeAnswers(page, ['8', '7']);
    const want = atlasRows([8, 7]);
    const offered = (await choices(page)).filter((c) => c.answer !== '0');
    assert.deepEqual(offered.map((c) => c.answer), [...want.keys()]);
    for (const { answer, text } of offered) {
      const row = want.get(answer);
      const figures = text.match(/longest (\d+) · ([\d,]+) combos?/);
      assert.ok(figures, `no hint on ${JSON.stringify(text)}`);
      assert.equal(Number(figures[1]), row.longest);
      assert.equal(Number(figures[2].replace(/,/g, '')), row.combos);
    }
    // One switch hides them.
    await page.locator('#hints').uncheck();
    for (const { text } of await choices(page)) {
      assert.doesNotMatch(text, /longest/);
    }
  });

  test('offer the moves listed, with names and glosses, and type them',
       async (t) => {
    const page = await fresh(t);
    const starters = await choices(page);
    assert.deepEqual(starters.map((c) => c.answer),
                     ['1', '2', '3', '4', '5', '6', '7', '8', '0']);
    assert.match(starters[7].text, /^8 地上バウンド\nground bounce/);
    assert.equal(starters[8].text, '0\nno move');
    await page.locator('#choices button[data-answer="8"]').click();
    assert.deepEqual((await choices(page)).map((c) => c.answer),
                     ['6', '7', '0']);
    await page.locator('#choices button[data-answer="0"]').click();
    await page.locator('#choices button[data-answer="7"]').click();
    await page.locator('#choices button[data-answer="6"]').click();
    await page.locator('#choices button[data-answer="7"]').click();
    const replies = await choices(page);
    assert.deepEqual(replies.map((c) => c.text),
                     ['1 もう一回\nonce more', '0 もうやめる\nstop']);
    assert.equal(await screenText(page),
                 `${MENU}${STARTER}8\n6,7,${NEXT}0\n` +
                 `それは無理です。6,7,${NEXT}7\n6,${NEXT}6\n` +
                 `2,6,7,${NEXT}7\nもう繋がりません。\n\n` +
                 `8,7,6,7,4+1Zorvです。\n\n${REPLAY}`);
    // The field keeps the focus for typing.
    assert.equal(await page.evaluate(() => document.activeElement.id),
                 'answer');
  });
});

test('a whole combo from the keyboard alone', async (t) => {
  const page = await fresh(t);
  await page.keyboard.type('7');
  await page.keyboard.press('Enter');
  // To a move button by Tab, and press it.
  for (let i = 0; i < 20; ++i) {
    await page.keyboard.press('Tab');
    const focused = await page.evaluate(() =>
        document.activeElement.dataset.answer);
    if (focused === '6') break;
  }
  await page.keyboard.press('Enter');
  await page.keyboard.type('7');
  await page.keyboard.press('Enter');
  await page.keyboard.type('0');
  await page.keyboard.press('Enter');
  assert.equal(await screenText(page),
               `${MENU}${STARTER}7\n6,${NEXT}6\n2,6,7,${NEXT}7\n` +
               'もう繋がりません。\n\n7,6,7,3+1Zorvです。\n\n' +
               `${REPLAY}0`);
});

test('makes no request beyond its own file', async (t) => {
  const page = await browser.newPage();
  t.after(() => page.close());
  const requests = [];
  page.on('request', (request) => requests.push(request.url()));
  await page.goto(pageUrl);
  await page.waitForSelector('#answer:enabled');
  await typeAnswers(page, ['8', '7', '6']);
  assert.deepEqual(requests.filter((url) => !url.startsWith('data:')),
                   [pageUrl]);
});

test('fits a 360 px wide phone screen', async (t) => {
  const page = await fresh(t, '#8,7,6', { width: 360, height: 740 });
  const overflow = await page.evaluate(() =>
      document.documentElement.scrollWidth - window.innerWidth);
  assert.ok(overflow <= 0, `${overflow} px too wide`);
  mkdirSync(buildWeb, { recursive: true });
  await page.screenshot({ path: path.join(buildWeb, 'combo-phone.png'),
                          fullPage: true });
});

test('a screenshot mid-combo', async (t) => {
  const page = await fresh(t, '#8,1,7,6', { width: 1100, height: 760 });
  await page.screenshot({ path: path.join(buildWeb, 'combo-mid.png') });
});
