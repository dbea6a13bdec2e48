// The engine compiled to WebAssembly, without a browser, as the page drives
// it: a dialogue that goes on line by line. Every transcript of the console
// program gives the same bytes and the same ending, and going back by
// replaying the current combo from where it began comes to the same place.

import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import path from 'node:path';
import { expectedBytes, loadEngine, transcripts } from './helpers.mjs';

const engine = await loadEngine();
const heap = () => new Uint8Array(engine.memory.buffer);

function output() {
  const at = engine.webOutput();
  return Buffer.from(heap().slice(at, at + engine.webOutputLength()));
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

// Runs a new dialogue over input, line by line, queued as the page queues
// them. Returns everything written and whether it waits for more.
function session(input) {
  engine.webStart();
  let going = engine.webRun();
  const parts = [output()];
  for (const line of linesOf(input)) {
    if (line.length > engine.webLineRoom()) {
      going = engine.webRun();
      parts.push(output());
    }
    heap().set(line, engine.webLineBuffer());
    engine.webQueueLine(line.length);
  }
  going = engine.webRun();
  parts.push(output());
  return { going, output: Buffer.concat(parts) };
}

const cases = readFileSync(path.join(transcripts, 'cases.txt'), 'utf8')
    .split('\n')
    .filter((line) => /^[a-z]/.test(line))
    .map((line) => line.split(/\s+/));

// Status 0 is the user's 0 at the replay prompt; status 1, input that
// ended, is here a dialogue waiting for the next line, without the line
// break the console writes at the end.
for (const [name, status] of cases) {
  test(`transcript ${name}`, () => {
    const got = session(readFileSync(path.join(transcripts, `${name}.in`)));
    const want = expectedBytes(name);
    const ended = Number(status) === 0;
    assert.equal(got.going, ended ? 0 : 1);
    const written = ended ? got.output : Buffer.concat([got.output,
                                                         Buffer.from('\n')]);
    assert.ok(written.equals(want), `output differs:\n${
        new TextDecoder('shift_jis').decode(got.output)}`);
  });
}

test('the worked example byte for byte', () => {
  const name = 'worked-example';
  const got = session(readFileSync(path.join(transcripts, `${name}.in`)));
  assert.ok(got.output.equals(
      readFileSync(path.join(transcripts, `${name}.sjis`))));
});

// One line at a time, as a person answers: each run writes what that answer
// brings, and says where the combo began when one began in it.
test('each line writes its own answer and says where a combo began', () => {
  const sjis = new TextDecoder('shift_jis');
  engine.webStart();
  assert.equal(engine.webRun(), 1);
  assert.equal(engine.webComboBegan(), 0);
  assert.equal(engine.webAtStarter(), 1);
  const answers = [['8', '6,7,が、繋がります。次の技を選んでください：', -1],
                   ['7 6 7 1 5', '2,3,4,6,7,8,が、繋がります。次の技を選んでください：', 7]];
  for (const [line, tail, began] of answers) {
    heap().set(Buffer.from(line), engine.webLineBuffer());
    engine.webQueueLine(line.length);
    assert.equal(engine.webRun(), 1);
    assert.ok(sjis.decode(output()).endsWith(tail), line);
    assert.equal(engine.webComboBegan(), began, line);
  }
  assert.equal(engine.webAtNextMove(), 1);
  assert.equal(engine.webCurrentMove(), 5);
  assert.deepEqual([engine.webChainLength(), engine.webChainMove(0)], [1, 5]);
});

// Going back: a new dialogue started where the combo began, over the rest
// of that line and the lines after it, comes to the very same state.
test('a combo replayed from where it began comes to the same state', () => {
  const lines = ['8', '7', '6', '7 1 4', '2', 'x', '5'];
  engine.webStart();
  engine.webRun();
  let began = { line: -1, offset: 0 };
  for (const [i, line] of lines.entries()) {
    heap().set(Buffer.from(line), engine.webLineBuffer());
    engine.webQueueLine(line.length);
    engine.webRun();
    if (engine.webComboBegan() >= 0) {
      began = { line: i, offset: engine.webComboBegan() };
    }
  }
  assert.deepEqual(began, { line: 3, offset: 3 });
  const state = () => [engine.webCurrentMove(), engine.webChainLength(),
                       engine.webLinkUsed(4, 2), engine.webLinkUsed(2, 5),
                       engine.webAtNextMove()];
  const whole = state();
  assert.deepEqual(whole, [5, 3, 1, 1, 1]);
  engine.webStart();
  engine.webRun();
  const rest = [lines[3].slice(3), ...lines.slice(4)];
  for (const line of rest) {
    heap().set(Buffer.from(line), engine.webLineBuffer());
    engine.webQueueLine(line.length);
  }
  engine.webRun();
  assert.deepEqual(state(), whole);
});

// The summary line the page shows is the one the dialogue wrote.
test('the summary line is the one written', () => {
  const sjis = new TextDecoder('shift_jis');
  for (const input of ['8 1 7 6 7', '0', '1 2 1 3 1 4 2 2 3 2 5 3 5 4 5 8 6 2 6 6 7 6']) {
    const got = session(Buffer.from(input));
    const at = engine.webSummaryLine();
    const line = sjis.decode(heap().subarray(at, heap().indexOf(0, at)));
    assert.ok(sjis.decode(got.output).includes(`\n${line}\n\n`), input);
    assert.match(line, /^([1-8],)*\d+\+1Zorvです。$/);
  }
});
