// The table lab's side of the engine, without a browser, through the page's
// own web/engine.js and web/link.js: a table in 11 characters of a link,
// the table file written and read as combo-atlas writes and reads it, the
// atlas worked out a row and a unit at a time, and the dialogue and its
// hints on a table set. Figures are worked out by hand, or taken from
// build/combo-atlas (or $COMBO_ATLAS).

import { describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import {
  longestWay, queueLine, readLab, readSnapshot, readTableFile, runEngine,
  setTable, startEngine, tableFile, tableHalves,
} from '../engine.js';
import { tableCode, tableOfCode } from '../link.js';
import { atlasProgram, builtEngine } from './helpers.mjs';

const engine = builtEngine();
const game = engine.texts.gameTable;
const all = (1n << 64n) - 1n;

// The table of rows: row k lists the moves that may follow k.
function tableOf(rows) {
  let table = 0n;
  for (const [k, row] of Object.entries(rows)) {
    for (const j of row) table |= 1n << BigInt((k - 1) * 8 + j - 1);
  }
  return table;
}
const ring = tableOf({ 1: [1, 2], 2: [3], 3: [1] });

describe('a table in a link', () => {
  test('11 characters, the highest bits first, read back the same', () => {
    assert.equal(tableCode(0n), 'AAAAAAAAAAA');
    // 64 ones and two zeros: ten '_' (63), then 111100 (60, '8').
    assert.equal(tableCode(all), '__________8');
    // Only the link 1 -> 1, bit 0: the last character holds it with the
    // two zeros after it, 000100.
    assert.equal(tableCode(1n), 'AAAAAAAAAAE');
    for (const table of [0n, all, 1n, game, ring, 1n << 63n]) {
      assert.equal(tableOfCode(tableCode(table)), table);
    }
  });

  test('anything else is not a table', () => {
    for (const code of ['', 'AAAAAAAAAA', 'AAAAAAAAAAAA', 'AAAAAAAAA!A',
                        'AAAAAAAAAAB', 'AAAAAAAAAAé']) {
      assert.equal(tableOfCode(code), null, code);
    }
  });
});

describe('the table file', () => {
  test('written as combo-atlas --print-table writes the game\'s', () => {
    const printed = execFileSync(atlasProgram, ['--print-table'],
                                 { encoding: 'latin1' });
    assert.equal(tableFile(engine, game), printed);
    assert.ok(printed.startsWith('1: 2 3 4 6 7\n2: 1 2 3 5 6\n'), printed);
    assert.equal(tableFile(engine, ring),
                 '1: 1 2\n2: 3\n3: 1\n4:\n5:\n6:\n7:\n8:\n');
  });

  test('read back as the same table; refused with the console\'s words',
       () => {
    const bytes = (text) => new TextEncoder().encode(text);
    for (const table of [0n, all, game, ring]) {
      assert.deepEqual(readTableFile(engine, 'x', bytes(tableFile(engine,
                                                                   table))),
                       { table });
    }
    const cases = [
      ['bad.table', '1: 2\n2: 9\n', 'bad.table:2:4: expected a move kind ' +
       'from 1 to 8\n'],
      ['twice', '1: 2 2\n', 'twice:1:6: expected each kind once in a row: ' +
       '2 is listed twice\n'],
      ['bytes', '1:\x01\n', 'bytes:1:3: expected text, not the byte 0x01\n'],
      ['表.table', '', '???.table:1:1: expected row 1, beginning "1:"\n'],
    ];
    for (const [name, text, words] of cases) {
      assert.deepEqual(readTableFile(engine, name, bytes(text)),
                       { error: words });
    }
    // One byte past the most a file may hold.
    const long = bytes(`# ${'x'.repeat(65536)}\n`);
    assert.match(readTableFile(engine, 'long', long).error,
                 /^long:1:65537: /);
  });
});

// The atlas of table worked out as the page does, a row and a unit at a
// time, the units in an order of their own.
function labAtlas(table) {
  const { exports } = engine;
  const address = exports.webLabStart(...tableHalves(table));
  for (let r = 0; r < 8; ++r) exports.webLabRow(r);
  const { unitCount } = readLab(engine, address);
  for (let unit = unitCount - 1; unit >= 0; --unit) {
    exports.webLabAdd(unit, exports.webLabUnit(unit) >>> 0);
  }
  exports.webLabFinish();
  return readLab(engine, address);
}

describe('the atlas a row and a unit at a time', () => {
  test('the ring, by hand', () => {
    const lab = labAtlas(ring);
    assert.ok(lab.countsKnown);
    assert.equal(lab.rowsDone, 8);
    const rows = lab.rows.map((r) => [r.first, r.shortest.low,
                                      r.shortest.high, r.longest.low,
                                      r.longest.high, r.combos,
                                      r.example.join()]);
    assert.deepEqual(rows.slice(0, 4), [
      [1, 5, 5, 5, 5, '2', '1,1,2,3,1'],
      [2, 4, 4, 5, 5, '2', '2,3,1,1,2'],
      [3, 4, 4, 5, 5, '2', '3,1,1,2,3'],
      [4, 1, 1, 1, 1, '1', '4'],
    ]);
  });

  test('the game\'s table, as combo-atlas counts it', () => {
    const lab = labAtlas(game);
    const native = execFileSync(atlasProgram, [], { encoding: 'ascii' })
        .trim().split('\n').slice(1).map((line) => line.split('\t'));
    assert.deepEqual(lab.rows.map((r) => [String(r.first), r.combos,
                                          String(r.shortest.low),
                                          String(r.longest.low),
                                          r.example.join()]), native);
    // The lower bound never passes the count.
    for (const r of lab.rows) assert.ok(BigInt(r.atLeast) <= BigInt(r.combos));
  });
});

// Where a new session on table stands after the starter: its snapshot.
function afterStarter(table, starter) {
  setTable(engine, table);
  startEngine(engine);
  queueLine(engine, new TextEncoder().encode(starter));
  runEngine(engine);
  return readSnapshot(engine);
}

describe('the dialogue on a table set', () => {
  test('the ring offers its links only, and its hints are exact', () => {
    const snapshot = afterStarter(ring, '1');
    assert.deepEqual(snapshot.answers.map((a) => a.answer), [1, 2]);
    assert.equal(snapshot.links[0][0], 'next');
    assert.equal(snapshot.links[0][2], 'none');
    assert.equal(snapshot.estimated, false);
    assert.deepEqual(snapshot.hints.map((h) => [h.next, h.combos, h.longest]),
                     [[1, 1, 5], [2, 1, 5]]);
    setTable(engine, game);
  });

  test('on every link "Play the longest" takes the lab\'s first longest',
       () => {
    setTable(engine, all);
    startEngine(engine);
    const lab = labAtlas(all);
    // Every link in one combo: 65 moves, from 1, the first starter.
    assert.equal(lab.rows[0].example.length, 65);
    assert.deepEqual(longestWay(engine), lab.rows[0].example);
    setTable(engine, game);
  });

  test('on every link the hints are estimates, the lengths exact', () => {
    const snapshot = afterStarter(all, '8');
    assert.equal(snapshot.estimated, true);
    assert.equal(snapshot.hints.length, 8);
    // Every link can still be used: 65 moves from each follow-up.
    assert.ok(snapshot.hints.every((h) => h.longest === 65 && h.combos > 1e30));
    setTable(engine, game);
  });
});
