// The web edition in Debian's Chromium, opened from file:// as a player
// opens it: typed into, clicked, read back as a person reads it. Expected
// screens come from the README and from the console's own texts, written
// out here; never from the page itself.

import { describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { mkdirSync } from 'node:fs';
import path from 'node:path';
import {
  LINKS, MENU, NEXT, REPLAY, STARTER, atlasRows, buildWeb, browserForFile,
  pageUrl, readmeAnswers, readmeSession, screenText, typeAnswer, typeAnswers,
} from './helpers.mjs';

const chromium = browserForFile();
const { fresh } = chromium;

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
                 /session is over: you chose 0/);
    assert.ok(await page.locator('#answer').isDisabled());
  });

  // A normal end: said in the page's own colour, not an error's, with the
  // focus on what comes next, and Escape still taking it back.
  test('ends as a normal end, with the focus on a new session', async (t) => {
    const page = await fresh(t);
    await typeAnswers(page, ['0', '0']);
    assert.equal(await page.evaluate(() => document.activeElement.id),
                 'new-session');
    const colours = await page.evaluate(() => [
      getComputedStyle(document.getElementById('status')).color,
      getComputedStyle(document.body).color]);
    assert.equal(colours[0], colours[1]);
    await page.keyboard.press('Escape');
    assert.equal(await screenText(page),
                 `${MENU}${STARTER}0\n\n0+1Zorvです。\n\n${REPLAY}`);
    assert.ok(await page.locator('#answer').isEnabled());
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

// The status line says what holds now, never what held before: the end of
// a session is not said of the next one.
describe('the status line', () => {
  test('says nothing of an ended session once a new one starts',
       async (t) => {
    const page = await fresh(t, '#8,7,6,7,0');
    assert.match(await page.locator('#status').innerText(),
                 /session is over: you chose 0/);
    await page.locator('#new-session').click();
    assert.equal(await screenText(page), MENU + STARTER);
    assert.equal((await page.locator('#status').innerText()).trim(), '');
  });
});

describe('undo', () => {
  // Each takes back one move: the 1 refused after 8 is no step of its own,
  // and goes with the 8 (a refused answer changes nothing to take back).
  test('drops the last answer, by button, Escape and Ctrl-Z', async (t) => {
    const page = await fresh(t);
    await typeAnswers(page, ['8', '1', '7', '6']);
    await page.locator('#undo').click();
    assert.equal(await screenText(page),
                 `${MENU}${STARTER}8\n6,7,${NEXT}1\n` +
                 `それは無理です。6,7,${NEXT}7\n6,${NEXT}`);
    await hasFragment(page, '#8,1,7');
    await page.locator('#answer').press('Escape');
    assert.equal(await screenText(page),
                 `${MENU}${STARTER}8\n6,7,${NEXT}1\n` +
                 `それは無理です。6,7,${NEXT}`);
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

  // A disabled Undo must look disabled, not just refuse.
  test('looks disabled when there is nothing to drop', async (t) => {
    const page = await fresh(t);
    const look = () => page.locator('#undo').evaluate((b) => {
      const style = getComputedStyle(b);
      return [style.color, style.backgroundColor, style.borderStyle].join();
    });
    const disabled = await look();
    await typeAnswers(page, ['8']);
    assert.notEqual(await look(), disabled);
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
    heads: [...table.tHead.rows[0].cells].map((cell) => cell.innerText),
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
    // What can follow now differs by its mark, not by colour alone.
    assert.equal(chart.marks[6][6], '◆');

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

  // The column headers name the moves for all to see, not in a tooltip.
  test('names the moves in its column headers', async (t) => {
    const page = await fresh(t, '', { viewport: { width: 360, height: 740 },
                                      hasTouch: true });
    const { heads } = await readChart(page);
    assert.deepEqual(heads.slice(1).map((h) => h.replace(/\s+/g, '')),
                     ['1空中浮き', '2空中きりもみ', '3空中ふっとばし',
                      '4空中バウンド', '5地上浮き', '6地上きりもみ',
                      '7地上ふっとばし', '8地上バウンド']);
  });
});

// The buttons offered, as a person reads them.
function choices(page) {
  return page.locator('#choices button').evaluateAll((buttons) =>
      buttons.map((b) => ({ answer: b.dataset.answer, text: b.innerText })));
}

describe('the answer buttons', () => {
  test('hint each follow-up with the figures of combo-atlas', async (t) => {
    const page = await fresh(t);
    await typeAnswers(page, ['8', '7']);
    const want = new Map(atlasRows([8, 7]).map((row) => [row.next, row]));
    const offered = await choices(page);
    assert.deepEqual(offered.map((c) => c.answer), [...want.keys()]);
    for (const { answer, text } of offered) {
      const row = want.get(answer);
      const figures = text.match(/longest (\d+) · ([\d,]+) combos?/);
      assert.ok(figures, `no hint on ${JSON.stringify(text)}`);
      assert.equal(figures[1], row.longest);
      assert.equal(figures[2].replace(/,/g, ''), row.combos);
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
    // 0 is never a follow-up: no button offers it mid-combo.
    assert.deepEqual((await choices(page)).map((c) => c.answer), ['6', '7']);
    await typeAnswers(page, ['0']);
    assert.deepEqual((await choices(page)).map((c) => c.answer), ['6', '7']);
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
  });

  test('are a labelled group of buttons at least 44 px', async (t) => {
    const page = await fresh(t, '', { viewport: { width: 360, height: 740 },
                                      hasTouch: true });
    const group = page.locator('#choices');
    assert.equal(await group.getAttribute('role'), 'group');
    assert.ok(await group.getAttribute('aria-label'));
    const sizes = await page.locator('button:visible').evaluateAll((all) =>
        all.map((b) => [b.id || b.innerText, b.getBoundingClientRect()]));
    for (const [name, box] of sizes) {
      assert.ok(box.width >= 44 && box.height >= 44,
                `${name}: ${box.width} by ${box.height}`);
    }
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
  const page = await chromium.browser.newPage();
  t.after(() => page.close());
  const requests = [];
  page.on('request', (request) => requests.push(request.url()));
  await page.goto(pageUrl);
  await page.waitForSelector('#answer:enabled');
  await typeAnswers(page, ['8', '7', '6']);
  await page.locator('#english').check();
  await page.locator('#longest').click();
  await page.waitForSelector('#summary:not([hidden])');
  assert.deepEqual(requests, [pageUrl]);
});

describe('on a phone', () => {
  const phone = { viewport: { width: 360, height: 740 }, hasTouch: true,
                  isMobile: true };

  test('fits a 360 px wide screen', async (t) => {
    const page = await fresh(t, '#8,7,6', phone);
    const overflow = await page.evaluate(() =>
        document.documentElement.scrollWidth - window.innerWidth);
    assert.ok(overflow <= 0, `${overflow} px too wide`);
  });

  // A tap answers without bringing up the on-screen keyboard: the field is
  // not focused, on load or after a tap on a button or on the picture.
  test('a tap on a move leaves the focus off the field', async (t) => {
    const page = await fresh(t, '', phone);
    const focused = () => page.evaluate(() => document.activeElement.id);
    assert.notEqual(await focused(), 'answer');
    await page.locator('#choices button[data-answer="8"]').tap();
    assert.notEqual(await focused(), 'answer');
    await page.locator('#graph .node[data-move="7"]').tap();
    assert.notEqual(await focused(), 'answer');
    assert.equal(await screenText(page), `${MENU}${STARTER}8\n6,7,${NEXT}7\n` +
                 `6,${NEXT}`);
    // The field takes the focus when tapped, for those who type.
    await page.locator('#answer').tap();
    assert.equal(await focused(), 'answer');
  });

  // What the player needs next is in view without scrolling: the prompt,
  // the answers and the picture of the links, at the start and mid-combo.
  test('shows the prompt, the answers and the picture together',
       async (t) => {
    for (const fragment of ['', '#8,7,6', '#4', '#7,6,7']) {
      const page = await fresh(t, fragment, phone);
      const boxes = await page.evaluate(() => {
        const box = (el) => el.getBoundingClientRect();
        const screen = document.getElementById('screen');
        return {
          prompt: box(screen.lastElementChild.lastElementChild ?? screen),
          screen: box(screen),
          buttons: [...document.querySelectorAll('#choices button')].map(box),
          graph: box(document.getElementById('graph')),
          height: window.innerHeight,
        };
      });
      const inView = (b) => b.top >= 0 && b.bottom <= boxes.height;
      assert.ok(inView(boxes.screen), `${fragment}: the screen`);
      assert.ok(boxes.prompt.bottom <= boxes.screen.bottom + 1,
                `${fragment}: the prompt`);
      assert.ok(boxes.buttons.length > 0 && boxes.buttons.every(inView),
                `${fragment}: the answers`);
      assert.ok(inView(boxes.graph), `${fragment}: the picture`);
    }
  });
});

describe('screenshots', () => {
  test('at 1280 px mid-combo', async (t) => {
    const page = await fresh(t, '#8,1,7,6', { viewport: { width: 1280,
                                                           height: 800 } });
    mkdirSync(buildWeb, { recursive: true });
    await page.screenshot({ path: path.join(buildWeb, 'combo-1280.png') });
  });

  test('at 360 px on a phone', async (t) => {
    const page = await fresh(t, '#8,7,6', { viewport: { width: 360,
                                                         height: 740 },
                                            hasTouch: true, isMobile: true });
    await page.screenshot({ path: path.join(buildWeb, 'combo-360.png') });
  });
});
