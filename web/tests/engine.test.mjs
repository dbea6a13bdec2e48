// The engine compiled to WebAssembly, without a browser, driven through the
// page's own web/engine.js: a dialogue that goes on line by line, each line
// read as the page reads it (full-width digits narrowed by the engine).
// Every transcript of the console program gives the same bytes and the
// same ending, answers typed full-width read as their ASCII, going back by
// replaying the current combo from where it began comes to the same place,
// and the snapshot says what the page draws.

import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import path from 'node:path';
import { execFileSync } from 'node:child_process';
import {
  decodeOutput, english, longestWay, narrowBytes, narrowTyped, queueLine,
  readSnapshot, runEngine, startEngine,
} from '../engine.js';
import {
  MENU, NEXT, REPLAY, STARTER, atlasRows, builtEngine, expectedBytes,
  transcripts,
} from './helpers.mjs';

const engine = builtEngine();

// Queues a line's bytes.
function queue(bytes) {
  assert.ok(queueLine(engine, bytes));
}

// The lines of input, as Enter ends them; a line too long for one run is
// cut at white space, which reads the same.
function linesOf(input) {
  const lines = [];
  let start = 0;
  for (let i = 0; i <= input.length; ++i) {
    const end = i === input.length;
    if (end || input[i] === 0x0a) {
      if (!end || i > start) lines.push(input.subarray(start, i));
      start = i + 1;
    } else if (i - start === 4096 && [0x20, 0x09, 0x0d].includes(input[i])) {
      lines.push(input.subarray(start, i));
      start = i;
    }
  }
  return lines;
}

// Runs a new dialogue over input, line by line, each line narrowed and
// queued as the page does. Returns everything written and whether it waits
// for more.
function session(input) {
  const parts = [Buffer.from(startEngine(engine).output)];
  for (const line of linesOf(input)) {
    const bytes = Buffer.from(narrowBytes(engine, line));
    if (bytes.length > engine.exports.webLineRoom()) {
      parts.push(Buffer.from(runEngine(engine).output));
    }
    queue(bytes);
  }
  const last = runEngine(engine);
  parts.push(Buffer.from(last.output));
  return { going: last.going, output: Buffer.concat(parts) };
}

const cases = readFileSync(path.join(transcripts, 'cases.txt'), 'utf8')
    .split('\n')
    .filter((line) => /^[a-z]/.test(line))
    .map((line) => line.split(/\s+/));

// Status 0 is the user's 0 at the replay prompt; status 1, input that
// ended, is here a dialogue waiting for the next line, without the line
// break the console writes at the end.
// A transcript on a table of its own (a third column) is the console
// program's --table, which the page does not offer.
for (const [name, status, table] of cases) {
  const skip = table ? `played on ${table}: the page plays the game's table` :
      false;
  test(`transcript ${name}`, { skip }, () => {
    const got = session(readFileSync(path.join(transcripts, `${name}.in`)));
    const want = expectedBytes(name);
    const ended = Number(status) === 0;
    assert.equal(got.going, !ended);
    const written = ended ? got.output : Buffer.concat([got.output,
                                                         Buffer.from('\n')]);
    assert.ok(written.equals(want), `output differs:\n${
        decodeOutput(got.output)}`);
  });
}

test('the worked example byte for byte', () => {
  const name = 'worked-example';
  const got = session(readFileSync(path.join(transcripts, `${name}.in`)));
  assert.ok(got.output.equals(
      readFileSync(path.join(transcripts, `${name}.sjis`))));
});

// What a phone's input method types: full-width digits and signs, the
// minus sign, the ideographic space, read as the ASCII they stand for; any
// other character read as the console reads it, as text.
test('answers typed full-width are read as their ASCII', () => {
  const cases = [
    [['８'], `${MENU}${STARTER}6,7,${NEXT}`],
    [['＋８'], `${MENU}${STARTER}6,7,${NEXT}`],
    [['８７'], `${MENU}${STARTER}そんな技はありません。${STARTER}`],
    [['８', '１\u3000７'],
     `${MENU}${STARTER}6,7,${NEXT}それは無理です。6,7,${NEXT}6,${NEXT}`],
    [['８', '－１'], `${MENU}${STARTER}6,7,${NEXT}そんな技はありません。6,7,${NEXT}`],
    [['８', '\u22127'], `${MENU}${STARTER}6,7,${NEXT}そんな技はありません。6,7,${NEXT}`],
    [['７\u3000６\u3000７'],
     `${MENU}${STARTER}6,${NEXT}2,6,7,${NEXT}もう繋がりません。\n\n` +
         `7,6,7,3+1Zorvです。\n\n${REPLAY}`],
    // A full-width letter is text, as any other word.
    [['ｘ'], `${MENU}${STARTER}そんな技はありません。${STARTER}`],
    [['８ｘ'], `${MENU}${STARTER}6,7,${NEXT}そんな技はありません。6,7,${NEXT}`],
  ];
  for (const [typed, want] of cases) {
    let written = Buffer.from(startEngine(engine).output);
    for (const line of typed) {
      queue(narrowTyped(engine, line));
      written = Buffer.concat([written, runEngine(engine).output]);
    }
    assert.equal(decodeOutput(written), want, typed.join(' / '));
  }
  // Full-width 0 answers the replay prompt's 0: the session ends.
  startEngine(engine);
  queue(narrowTyped(engine, '０'));
  runEngine(engine);
  queue(narrowTyped(engine, '０'));
  assert.equal(runEngine(engine).going, false);
});

// A line is measured once narrowed: 32,767 full-width digits fit, one more
// does not.
test('a full-width line fits as its ASCII does', () => {
  const most = engine.texts.lineMost;
  assert.equal(most, 32767);
  assert.equal(narrowTyped(engine, '１'.repeat(most)).length, most);
  assert.equal(narrowTyped(engine, '１'.repeat(most + 1)), null);
  assert.equal(narrowTyped(engine, 'あ'.repeat(most)), null);
});

// One line at a time, as a person answers: each run writes what that answer
// brings, and says where the combo began when one began in it.
test('each line writes its own answer and says where a combo began', () => {
  const first = startEngine(engine);
  assert.equal(first.going, true);
  assert.equal(first.comboBegan, 0);
  assert.equal(first.waiting, 'starter');
  const answers = [['8', '6,7,が、繋がります。次の技を選んでください：', -1],
                   ['7 6 7 1 5', '2,3,4,6,7,8,が、繋がります。次の技を選んでください：', 7]];
  for (const [line, tail, began] of answers) {
    queue(Buffer.from(line));
    const run = runEngine(engine);
    assert.equal(run.going, true);
    assert.ok(decodeOutput(run.output).endsWith(tail), line);
    assert.equal(run.comboBegan, began, line);
  }
  const snapshot = readSnapshot(engine);
  assert.equal(snapshot.waiting, 'next-move');
  assert.equal(snapshot.current, 5);
  assert.deepEqual([snapshot.chain.length, snapshot.chain[0]], [1, 5]);
});

// Going back: a new dialogue started where the combo began, over the rest
// of that line and the lines after it, comes to the very same state.
test('a combo replayed from where it began comes to the same state', () => {
  const lines = ['8', '7', '6', '7 1 4', '2', 'x', '5'];
  startEngine(engine);
  let began = { line: -1, offset: 0 };
  for (const [i, line] of lines.entries()) {
    queue(Buffer.from(line));
    const run = runEngine(engine);
    if (run.comboBegan >= 0) {
      began = { line: i, offset: run.comboBegan };
    }
  }
  assert.deepEqual(began, { line: 3, offset: 3 });
  const state = () => {
    const s = readSnapshot(engine);
    return [s.current, s.chain.length, s.links[3][1] === 'used',
            s.links[1][4] === 'used', s.waiting === 'next-move'];
  };
  const whole = state();
  assert.deepEqual(whole, [5, 3, true, true, true]);
  startEngine(engine);
  const rest = [lines[3].slice(3), ...lines.slice(4)];
  for (const line of rest) queue(Buffer.from(line));
  runEngine(engine);
  assert.deepEqual(state(), whole);
});

// The summary line the page shows is the one the dialogue wrote.
test('the summary line is the one written', () => {
  for (const input of ['8 1 7 6 7', '0', '1 2 1 3 1 4 2 2 3 2 5 3 5 4 5 8 6 2 6 6 7 6']) {
    const got = session(Buffer.from(input));
    const { line } = readSnapshot(engine).summary;
    assert.ok(decodeOutput(got.output).includes(`\n${line}\n\n`), input);
    assert.match(line, /^([1-8],)*\d+\+1Zorvです。$/);
  }
});

// The snapshot: the answers each prompt takes, the move each names (what a
// tap on the picture answers), and the marks of the links, as the printed
// chart and the dialogue have them.
test('the snapshot offers the answers and marks the links', () => {
  const at = (input) => {
    session(Buffer.from(input));
    return readSnapshot(engine);
  };
  const offered = (s) => s.answers.map((a) => [a.answer, a.move]);
  let s = at('');
  assert.deepEqual(offered(s), [[1, 1], [2, 2], [3, 3], [4, 4], [5, 5],
                                [6, 6], [7, 7], [8, 8], [0, 0]]);
  assert.deepEqual(s.answers[8], { answer: 0, move: 0, name: '',
                                   gloss: 'no move' });
  assert.equal(s.summary, null);
  s = at('8 7');
  assert.deepEqual(offered(s), [[6, 6]]);
  assert.deepEqual(s.answers[0], { answer: 6, move: 6, name: '地上きりもみ',
                                   gloss: 'ground spin' });
  // Row 7 (ground knockback): its one link, to 6, can follow now; row 8
  // (ground bounce): 8 to 7 used, 8 to 6 open.
  assert.deepEqual(s.links[6], ['none', 'none', 'none', 'none', 'none',
                                'next', 'none', 'none']);
  assert.deepEqual(s.links[7], ['none', 'none', 'none', 'none', 'none',
                                'open', 'used', 'none']);
  assert.deepEqual(s.hints.map((h) => h.next), [6]);
  s = at('8 7 6 7');
  assert.deepEqual(s.answers.map((a) => [a.answer, a.move, a.name, a.gloss]),
                   [[1, 0, 'もう一回', 'once more'], [0, 0, 'もうやめる', 'stop']]);
  assert.deepEqual(s.hints, []);
  assert.equal(s.summary.line, '8,7,6,7,4+1Zorvです。');
  s = at('0 0');
  assert.equal(s.waiting, 'ended');
  assert.deepEqual(s.answers, []);
});

// The explorer of the next move: for each follow-up the figures of
// `combo-atlas MOVE...`, whether the combo ends with it, the best one (the
// one the first of the longest goes on with) and the combos still possible.
test('the snapshot has the explorer\'s figures of combo-atlas', () => {
  for (const moves of [[8, 7, 6], [1], [4, 2, 1], [5, 8, 6, 6]]) {
    session(Buffer.from(moves.join(' ')));
    const s = readSnapshot(engine);
    const rows = atlasRows(moves);
    assert.deepEqual(s.hints.map((h) => [h.next, h.combos, h.shortest,
                                         h.longest]),
                     rows.map((r) => [Number(r.next), Number(r.combos),
                                      Number(r.shortest), Number(r.longest)]),
                     moves.join());
    assert.equal(s.hintCombos, rows.reduce((sum, r) => sum + Number(r.combos),
                                           0));
    for (const h of s.hints) {
      assert.equal(h.endsCombo, h.longest === moves.length + 1);
    }
  }
  // Written out: at 8,7,6 the follow-up 7 ends the combo at 4 moves, and 2
  // is the best.
  session(Buffer.from('8 7 6'));
  const s = readSnapshot(engine);
  assert.deepEqual(s.hints.map((h) => [h.next, h.endsCombo]),
                   [[2, false], [6, false], [7, true]]);
  assert.equal(s.hints[2].longest, 4);
  assert.equal(s.hintBest, 2);
  // Nowhere else.
  session(Buffer.from('8 7 6 7'));
  assert.deepEqual([readSnapshot(engine).hints, readSnapshot(engine).hintBest],
                   [[], 0]);
});

// Where each run took its last answer, to go back one answer at a time,
// and the starter just used.
test('each run says where it took its last answer', () => {
  startEngine(engine);
  const runs = [['8', 0, 1], ['1', -1, -1], ['x 7  9', 1, 3], ['6 7 1', 3, 5],
                ['y', -1, -1]];
  for (const [line, takenAt, takenEnd] of runs) {
    queue(Buffer.from(line));
    const run = runEngine(engine);
    assert.deepEqual([run.takenAt, run.takenEnd], [takenAt, takenEnd], line);
    assert.equal(run.lastStarter, line === '6 7 1' || line === 'y' ? 8 : 0);
  }
});

// "Play the longest" at the starter prompt: from the starter just used, or
// before any, the first of all the longest.
test('the longest way from the starter prompt starts with the starter used',
     () => {
  const longestFrom = (starter) => atlasRows([]).find((r) =>
      r.starter === String(starter)).longest_example;
  session(Buffer.from(''));
  assert.equal(longestWay(engine).join(), '1,2,1,3,1,4,2,2,3,2,5,3,5,4,5,8,6,' +
               '2,6,6,7,6');
  session(Buffer.from('8 7 6 7 1'));
  assert.equal(longestWay(engine).join(), longestFrom(8));
  // An empty chain uses no starter: the one before it still counts.
  session(Buffer.from('7 6 7 1 0 1'));
  assert.equal(longestWay(engine).join(), longestFrom(7));
  // A combo started afresh where it began, given the starter used before.
  startEngine(engine, 7);
  assert.equal(longestWay(engine).join(), longestFrom(7));
});

// A line longer than the engine reads at once is read in English whole: it
// is read in parts that end between texts, never inside one.
test('the English of a line of any length is whole', () => {
  for (const n of [1, 40, 300]) {
    const line = `${'それは無理です。6,7,が、繋がります。次の技を選んでください：'
        .repeat(n)}`;
    const bytes = new Uint8Array(execSjis(line));
    const want = Array(n).fill('That is impossible: that link is used up, ' +
                               'or there is none. 6,7, can follow. Choose ' +
                               'the next move:').join(' ');
    assert.equal(english(engine, bytes), want, `${n} times`);
  }
});

// Text in Shift_JIS, as the dialogue writes it.
function execSjis(text) {
  return execFileSync('iconv', ['-f', 'UTF-8', '-t', 'SHIFT_JIS'],
                      { input: text });
}
