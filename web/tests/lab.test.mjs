// The table lab: cells tapped into a table, the atlas of that table against
// combo-atlas --table, the exact count's progress and Cancel, edits undone
// and redone, the table in a shared link, a table file down and up, and
// the dialogue on the table made. The ring's figures are worked out by
// hand below; the others come from build/combo-atlas (or $COMBO_ATLAS).

import { describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync, spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import {
  LINKS, MENU, STARTER, atlasProgram, axeViolations, browserForFile,
  buildWeb, screenText, typeAnswers,
} from './helpers.mjs';

const chromium = browserForFile();
const { fresh } = chromium;
const desktop = { viewport: { width: 1280, height: 900 } };
const phone = { viewport: { width: 360, height: 740 }, hasTouch: true,
                isMobile: true };
const work = mkdtempSync(path.join(tmpdir(), 'combo-lab-'));

// Tables as rows: row k lists the moves that may follow k.
const kRing = { 1: [1, 2], 2: [3], 3: [1] };
// 40 links: every link but those from 6, 7 and 8.
const kDense = Object.fromEntries([1, 2, 3, 4, 5].map(
    (k) => [k, [1, 2, 3, 4, 5, 6, 7, 8]]));

// The table file of a table, as a person writes it.
function tableText(rows) {
  return [1, 2, 3, 4, 5, 6, 7, 8].map(
      (k) => `${k}:${(rows[k] ?? []).map((j) => ` ${j}`).join('')}\n`).join('');
}

function linkCount(rows) {
  return Object.values(rows).reduce((n, row) => n + row.length, 0);
}

// `combo-atlas --table FILE`: each starter's row as the page's atlas shows
// it: fewest, most, combos with thousands separated, first longest.
function nativeAtlas(rows) {
  const file = path.join(work, 'native.table');
  writeFileSync(file, tableText(rows));
  const out = execFileSync(atlasProgram, ['--table', file],
                           { encoding: 'ascii' });
  return out.trim().split('\n').slice(1).map((line) => {
    const [starter, combos, shortest, longest, example] = line.split('\t');
    return [starter, shortest, longest,
            combos.replace(/\B(?=(\d{3})+(?!\d))/g, ','), example];
  });
}

// Turns the lab on and taps the cells that make rows out of the empty
// table.
async function tapTable(page, rows) {
  await page.locator('#lab').check();
  await page.locator('[data-preset="empty"]').click();
  for (const [k, row] of Object.entries(rows)) {
    for (const j of row) {
      await page.locator(`#chart button[data-link="${k},${j}"]`).click();
    }
  }
}

function waitForExact(page, timeout = 60000) {
  return page.waitForFunction(() => document.querySelector('#count-status')
      .textContent === 'Every count is exact.', null, { timeout });
}

// The exact count runs, and its progress has moved.
function countMoving() {
  const progress = document.querySelector('#count-progress');
  return !progress.hidden && progress.value > 0;
}

function atlasShown(page) {
  return page.locator('#atlas tbody tr').evaluateAll((rows) =>
      rows.map((row) => [...row.cells].map((cell) => cell.innerText.trim())));
}

describe('tapping cells builds a table, and its atlas is combo-atlas\'s',
         () => {
  test('the ring, worked out by hand', async (t) => {
    const page = await fresh(t, '', desktop);
    await tapTable(page, kRing);
    assert.equal(await page.locator('#table-name').innerText(),
                 'your table: 4 links');
    await waitForExact(page);
    // From 1: 1,1,2,3,1 and 1,2,3,1,1. From 2: 2,3,1,1,2 and 2,3,1,2.
    // From 3: 3,1,1,2,3 and 3,1,2,3. From 4 to 8: the starter alone.
    assert.deepEqual(await atlasShown(page), [
      ['1', '5', '5', '2', '1,1,2,3,1'],
      ['2', '4', '5', '2', '2,3,1,1,2'],
      ['3', '4', '5', '2', '3,1,1,2,3'],
      ...[4, 5, 6, 7, 8].map((s) => [String(s), '1', '1', '1', String(s)]),
    ]);
    assert.deepEqual(await atlasShown(page), nativeAtlas(kRing));
    assert.deepEqual(await axeViolations(page), []);
  });

  for (const [name, rows, options] of [
    ['the game\'s, on a phone', LINKS, phone],
    ['a dense one of 40 links', kDense, desktop],
  ]) {
    test(name, async (t) => {
      const page = await fresh(t, '', options);
      await tapTable(page, rows);
      const n = linkCount(rows);
      assert.equal(await page.locator('#table-name').innerText(),
                   rows === LINKS ? `the game's table: ${n} links` :
                     `your table: ${n} links`);
      await waitForExact(page, 120000);
      assert.deepEqual(await atlasShown(page), nativeAtlas(rows));
    });
  }
});

describe('the atlas at once, then the exact count', () => {
  test('the bounds show at once, marked; the count\'s progress moves, ' +
       'and Cancel stops it', async (t) => {
    const page = await fresh(t, '', desktop);
    await page.locator('#lab').check();
    await page.locator('[data-preset="all"]').click();
    assert.equal(await page.locator('#table-name').innerText(),
                 'your table: 64 links');
    // Every link: each starter's longest uses all 64, 65 moves.
    await page.waitForFunction(() => document.querySelectorAll(
        '#atlas tbody tr.estimated').length === 8);
    const rows = await atlasShown(page);
    assert.deepEqual(rows.map((r) => r[2]), Array(8).fill('65'));
    assert.ok(rows.every((r) => /^≈ .* \(at least [\d,]+\)$/.test(r[3])),
              rows.map((r) => r[3]).join('\n'));
    const progress = page.locator('#count-progress');
    await page.waitForFunction(countMoving);
    assert.equal(await progress.getAttribute('max') ??
                 await progress.evaluate((p) => String(p.max)), '1280');
    await page.locator('#count-cancel').click();
    assert.equal(await page.locator('#count-status').innerText(),
                 'Exact count cancelled.');
    assert.ok(await progress.isHidden());
    await page.waitForTimeout(500);
    assert.equal(await page.locator('#count-status').innerText(),
                 'Exact count cancelled.');
    assert.ok(await page.locator('#count-again').isVisible());
    assert.deepEqual(await axeViolations(page), []);
  });

  test('a new edit stops the count still running and starts afresh',
       async (t) => {
    const page = await fresh(t, '', desktop);
    await page.locator('#lab').check();
    await page.locator('[data-preset="all"]').click();
    await page.waitForFunction(countMoving);
    await page.locator('[data-preset="empty"]').click();
    await waitForExact(page);
    assert.deepEqual(await atlasShown(page), [1, 2, 3, 4, 5, 6, 7, 8].map(
        (s) => [String(s), '1', '1', '1', String(s)]));
  });
});

describe('edits', () => {
  test('undone and redone; presets; one tap back to the game\'s table',
       async (t) => {
    const page = await fresh(t, '', desktop);
    const name = () => page.locator('#table-name').innerText();
    await page.locator('#lab').check();
    assert.equal(await name(), 'the game\'s table: 31 links');
    assert.ok(await page.locator('#game-table').isHidden());
    const cell = page.locator('#chart button[data-link="8,8"]');
    assert.equal(await cell.getAttribute('aria-pressed'), 'false');
    await cell.click();
    assert.equal(await cell.getAttribute('aria-pressed'), 'true');
    assert.equal(await name(), 'your table: 32 links');
    await page.locator('#chart button[data-link="1,2"]').click();
    assert.equal(await name(), 'your table: 31 links');
    await page.locator('#edit-undo').click();
    assert.equal(await page.locator('#lab-message').innerText(),
                 'Undone: your table.');
    await page.locator('#edit-undo').click();
    assert.equal(await page.locator('#lab-message').innerText(),
                 'Undone: the game\'s table.');
    assert.equal(await name(), 'the game\'s table: 31 links');
    assert.ok(await page.locator('#edit-undo').isDisabled());
    await page.locator('#edit-redo').click();
    assert.equal(await name(), 'your table: 32 links');
    await page.locator('[data-preset="empty"]').click();
    assert.equal(await name(), 'your table: 0 links');
    await page.locator('#game-table').click();
    assert.equal(await name(), 'the game\'s table: 31 links');
    assert.ok(await page.locator('#game-table').isHidden());
  });

  test('on a phone every cell is a 44 px target, and the keyboard reaches ' +
       'every one', async (t) => {
    const page = await fresh(t, '', phone);
    await page.locator('#lab').check();
    const boxes = await page.locator('#chart button.cell').evaluateAll(
        (cells) => cells.map((c) => c.getBoundingClientRect())
            .map(({ width, height, right }) => ({ width, height, right })));
    assert.equal(boxes.length, 64);
    for (const box of boxes) {
      assert.ok(box.width >= 44 && box.height >= 44, JSON.stringify(box));
      assert.ok(box.right <= 360, JSON.stringify(box));
    }
    await page.locator('#chart button[data-link="1,1"]').focus();
    await page.keyboard.press('Tab');
    assert.equal(await page.evaluate(() => document.activeElement.dataset.link),
                 '1,2');
    await page.keyboard.press('Space');
    assert.equal(await page.locator('#table-name').innerText(),
                 'your table: 30 links');
    assert.deepEqual(await axeViolations(page), []);
  });
});

describe('the dialogue runs on the table made', () => {
  test('on the ring, a starter offers only its links, and the combo ends ' +
       'where the ring does', async (t) => {
    const page = await fresh(t, '', desktop);
    await tapTable(page, kRing);
    await typeAnswers(page, ['1', '1', '2', '3', '1']);
    const screen = await screenText(page);
    assert.ok(screen.startsWith(`${MENU}${STARTER}1\n`), screen);
    assert.deepEqual(await page.locator('#chain li').evaluateAll(
        (items) => items.map((li) => li.dataset.move ?? li.innerText)
            .filter(Boolean).length), 5);
    assert.ok(await page.locator('#summary').isVisible());
    // Not the game's: the history of your combos keeps none of it.
    assert.equal(await page.locator('#history-count').innerText(),
                 'none yet');
  });
});

describe('share and keep', () => {
  test('a shared link opens on the same table and the same combo',
       async (t) => {
    const page = await fresh(t, '', desktop);
    await tapTable(page, kRing);
    await typeAnswers(page, ['1', '2']);
    await page.locator('#share').click();
    const hash = await page.evaluate(() => location.hash);
    // The table in 11 characters, then the answers.
    assert.match(hash, /^#:t[A-Za-z0-9_-]{11}:a/);
    const other = await fresh(t, hash, desktop);
    assert.equal(await other.locator('#table-name').innerText(),
                 'your table: 4 links');
    assert.ok(await other.locator('#lab').isChecked());
    assert.equal(await screenText(other), await screenText(page));
    assert.equal(await other.locator('#chart button[data-link="1,1"]')
        .getAttribute('aria-pressed'), 'true');
    assert.equal(await other.locator('#chart button[data-link="1,3"]')
        .getAttribute('aria-pressed'), 'false');
    assert.deepEqual(await axeViolations(other), []);
  });

  test('a table downloaded is combo-atlas\'s file; uploaded back, the same ' +
       'table', async (t) => {
    const page = await fresh(t, '', desktop);
    await tapTable(page, kRing);
    const [download] = await Promise.all([
      page.waitForEvent('download'),
      page.locator('#download-table').click(),
    ]);
    const file = path.join(work, 'down.table');
    await download.saveAs(file);
    const text = readFileSync(file, 'latin1');
    assert.equal(text, `# your table: 4 links\n${tableText(kRing)}`);
    const printed = execFileSync(atlasProgram,
                                 ['--table', file, '--print-table'],
                                 { encoding: 'latin1' });
    assert.equal(printed, tableText(kRing));
    await page.locator('#game-table').click();
    await page.locator('#upload-table').setInputFiles(file);
    await page.waitForFunction(() => document.querySelector('#table-name')
        .textContent === 'your table: 4 links');
    assert.equal(await page.locator('#lab-message').innerText(),
                 'Opened down.table.');
  });

  test('a bad file is refused with the words of the console', async (t) => {
    const page = await fresh(t, '', desktop);
    await page.locator('#lab').check();
    const cases = [
      ['bad.table', '# one row\n1: 2\n2: 9\n', 'bad.table:3:4: expected a ' +
       'move kind from 1 to 8'],
      ['short.table', '1:\n2:\n', 'short.table:3:1: expected row 3, ' +
       'beginning "3:"'],
    ];
    for (const [name, text, words] of cases) {
      const file = path.join(work, name);
      writeFileSync(file, text);
      const console = spawnSync(atlasProgram, ['--table', name],
                                { cwd: work, encoding: 'latin1' });
      assert.equal(console.status, 1);
      assert.equal(console.stderr, `${words}\n`);
      await page.locator('#upload-table').setInputFiles(file);
      await page.waitForFunction((w) => document.querySelector('#lab-message')
          .textContent === w, words);
      assert.equal(await page.locator('#table-name').innerText(),
                   'the game\'s table: 31 links');
    }
    assert.deepEqual(await axeViolations(page), []);
  });

  test('a table kept under a name comes back from the list', async (t) => {
    const page = await fresh(t, '', desktop);
    await tapTable(page, kRing);
    await page.locator('#keep-name').fill('ring');
    await page.locator('#keep-table').click();
    assert.equal(await page.locator('#lab-message').innerText(),
                 'Kept as “ring” in this browser.');
    await page.locator('#game-table').click();
    await page.locator('#kept-tables').selectOption({ label: 'ring' });
    assert.equal(await page.locator('#table-name').innerText(),
                 'your table: 4 links');
  });
});

describe('screenshots', () => {
  // The game's table with 7 -> 7 and 8 -> 8, a combo begun on it, and the
  // atlas counted.
  const shots = [
    ['1280', desktop, (page) => page.locator('section.chart')],
    ['360', phone, (page) => page],
  ];
  for (const [name, options, what] of shots) {
    test(`the lab at ${name} px`, async (t) => {
      const page = await fresh(t, '', options);
      await page.locator('#lab').check();
      await page.locator('#chart button[data-link="7,7"]').click();
      await page.locator('#chart button[data-link="8,8"]').click();
      await typeAnswers(page, ['8', '8', '7']);
      await waitForExact(page);
      await page.locator('#chart').evaluate((el) => el.scrollIntoView());
      await what(page).screenshot({
        path: path.join(buildWeb, `web-lab-${name}.png`) });
    });
  }
});
