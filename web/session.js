// The session: the answers typed, kept as bytes, run through the engine,
// and going back (undo) by replaying the current combo. No drawing here:
// these functions change the state (main.js declares it) and the engine,
// and render draws what they leave.
//
// The engine goes on from where it stopped, so each answer costs the same
// however long the session is; to go back, the engine replays the current
// combo from where it began. The output of the newest answers is kept for
// the screen (kScreenLines lines or more); older output is got again from
// the engine when undo needs it.
//
// A line typed may hold several answers ("7 6 7 0"), and an answer may be
// refused ("9" where no move 9 is). Undo goes back one answer taken, one
// that changed where the dialogue stands, with the refused ones after it:
// the engine says where in each line it took its last answer, and undo
// cuts the line there.

import {
  kLineRunFields, narrowTyped, queueForEach, queueLine, readSnapshot, runEach,
  runEngine, startEngine,
} from './engine.js';

export const kScreenLines = 500;  // the screen keeps the newest lines

const utf8 = new TextDecoder();

function answerStart(state, i) {
  return i > 0 ? state.ends[i - 1] : 0;
}

// The bytes of answer i (from 0), as the engine read them.
export function answerBytes(state, i) {
  return state.typed.subarray(answerStart(state, i), state.ends[i]);
}

// Answer i as text, for its echo on the screen.
export function answerText(state, i) {
  return utf8.decode(answerBytes(state, i));
}

function grown(array, needed) {
  if (needed <= array.length) return array;
  const bigger = new array.constructor(Math.max(needed, 2 * array.length));
  bigger.set(array);
  return bigger;
}

function countLines(bytes) {
  let lines = 1;
  for (let at = bytes.indexOf(10); at >= 0; at = bytes.indexOf(10, at + 1)) {
    ++lines;
  }
  return lines;
}

// Notes where a combo began in a run, if one did: from `step` on, with
// the starter used before it, which a replay from there is given.
function noteCombo(state, step, run) {
  if (run.comboBegan >= 0) {
    state.combos.push({ step, offset: run.comboBegan,
                        lastStarter: run.lastStarter });
  }
}

// Notes where answer i took its last answer, from its run (or -1s).
function noteTaken(state, i, run) {
  state.taken = grown(state.taken, 2 * i + 2);
  state.taken[2 * i] = run.takenAt;
  state.taken[2 * i + 1] = run.takenEnd;
}

function keepRecent(state, step, bytes) {
  state.recent.push({ step, bytes });
  if (state.recent.length > kScreenLines + 1) state.recent.shift();
}

// Reads where the dialogue stands, for render: once per change.
export function takeSnapshot(state) {
  state.snapshot = readSnapshot(state.engine);
}

// Starts a new session: the engine's first output, nothing typed.
export function newSession(state) {
  state.session += 1;
  state.typedLength = 0;
  state.count = 0;
  state.combos = [];
  state.recent = [];
  state.notice = '';
  state.unwritten = true;  // the address holds the session before
  const run = startEngine(state.engine);
  state.ended = !run.going;
  noteCombo(state, 0, run);
  const bytes = run.output.slice();
  state.lines[0] = countLines(bytes);
  keepRecent(state, 0, bytes);
  takeSnapshot(state);
}

// Runs one answer line (its bytes as the engine reads them) and records
// it. Returns its output, or null if the line is longer than the engine
// takes at once. Unless asked to keep it, the output is only counted, not
// copied: a long link's answers make no garbage but for those whose lines
// the screen may show. Takes no snapshot: the caller does, once it has run
// what it runs.
export function runAnswer(state, bytes, keep = true) {
  // The line's bytes go straight after the answers before it.
  state.typed = grown(state.typed, state.typedLength + bytes.length);
  state.typed.set(bytes, state.typedLength);
  const line = state.typed.subarray(state.typedLength,
                                    state.typedLength + bytes.length);
  if (!queueLine(state.engine, line)) return null;
  const run = runEngine(state.engine);
  state.ended = !run.going;
  const i = state.count++;
  state.typedLength += bytes.length;
  state.ends = grown(state.ends, state.count);
  state.ends[i] = state.typedLength;
  noteTaken(state, i, run);
  noteCombo(state, i + 1, run);
  const out = keep ? run.output.slice() : run.output;
  state.lines = grown(state.lines, state.count + 1);
  state.lines[i + 1] = state.lines[i] + countLines(out);
  if (keep) keepRecent(state, i + 1, out);
  return out;
}

// Runs the answers queued for the engine (runEach), each in a run of its
// own, and records those that ran, as runAnswer does but for their output,
// which is only counted. Their bytes are in typed already, one after
// another from typedLength; ends[count ..] says where each ends.
function runQueued(state) {
  const ran = runEach(state.engine);
  const runs = state.engine.lineRuns;
  state.taken = grown(state.taken, 2 * (state.count + ran));
  for (let j = 0; j < kLineRunFields * ran; j += kLineRunFields) {
    const i = state.count++;
    state.lines[i + 1] = state.lines[i] + runs[j] + 1;
    if (runs[j + 1] >= 0) {
      state.combos.push({ step: i + 1, offset: runs[j + 1],
                          lastStarter: runs[j + 5] });
    }
    state.ended = runs[j + 2] === 0;
    state.taken[2 * i] = runs[j + 3];
    state.taken[2 * i + 1] = runs[j + 4];
  }
  state.typedLength = answerStart(state, state.count);
}

// Runs at most `most` answers as runAnswer would, keeping none of their
// output, thousands of them in one step into the engine. next() gives each
// answer's bytes, as the engine reads them (narrowed), or null when there
// are no more. Stops early where the session ends; an answer given after
// that is not run. Takes no snapshot. Returns how many ran.
export function runAnswers(state, next, most) {
  const first = state.count;
  let queued = 0;
  let end = state.typedLength;
  state.ends = grown(state.ends, first + most);
  state.lines = grown(state.lines, first + most + 1);
  while (state.count + queued - first < most) {
    const bytes = next();
    if (bytes === null) break;
    if (!queueForEach(state.engine, bytes)) {
      runQueued(state);
      queued = 0;
      end = state.typedLength;
      // An empty queue takes any line a line may be.
      if (state.ended || !queueForEach(state.engine, bytes)) break;
    }
    if (end + bytes.length > state.typed.length) {
      state.typed = grown(state.typed, end + bytes.length);
    }
    // Most answers are one byte: set() costs more than the byte.
    if (bytes.length === 1) state.typed[end] = bytes[0];
    else state.typed.set(bytes, end);
    end += bytes.length;
    state.ends[state.count + queued++] = end;
  }
  if (queued > 0 && !state.ended) runQueued(state);
  return state.count - first;
}

// Sends one answer line as typed, as Enter does at a terminal. Returns
// 'taken'; or 'closed' if the session has ended or a link is opening, and
// 'long' if the line is longer than a line may be: then nothing changes.
export function typeLine(state, text) {
  if (state.ended || state.opening) return 'closed';
  const bytes = narrowTyped(state.engine, text);
  if (bytes === null || runAnswer(state, bytes) === null) return 'long';
  state.notice = '';
  takeSnapshot(state);
  return 'taken';
}

// The combo start that holds at step: the last one noted at or before it.
function comboAt(state, step) {
  let low = 0;
  let high = state.combos.length - 1;
  while (low < high) {
    const middle = (low + high + 1) >> 1;
    if (state.combos[middle].step <= step) low = middle; else high = middle - 1;
  }
  return state.combos[low];
}

// Brings the engine to where it stood after `step` answers: a new dialogue
// from where that combo began, run over the answers since. Returns the
// output of each step from `from` on, if asked, with its run's fields.
function replayTo(state, step, from = step + 1) {
  const { engine } = state;
  const blocks = [];
  const begin = comboAt(state, from > 0 ? Math.min(from - 1, step) : 0);
  const first = startEngine(engine, begin.lastStarter);
  if (from === 0) blocks.push({ step: 0, bytes: first.output.slice() });
  for (let i = Math.max(begin.step - 1, 0); i < step; ++i) {
    let bytes = answerBytes(state, i);
    if (i === begin.step - 1) bytes = bytes.subarray(begin.offset);
    if (i + 1 >= from) runEngine(engine);
    queueLine(engine, bytes);
    if (i + 1 >= from) {
      const { output, ...run } = runEngine(engine);
      blocks.push({ ...run, step: i + 1, bytes: output.slice() });
    }
  }
  runEngine(engine);
  return blocks;
}

// Keeps the answers before answer i and the first `cut` bytes of it (none
// of it if cut is 0), and brings the engine there: a line cut short is run
// again, for its output and where it took its last answer.
function cutSession(state, i, cut) {
  const step = cut > 0 ? i + 1 : i;
  state.count = step;
  state.typedLength = answerStart(state, i) + cut;
  while (state.combos[state.combos.length - 1].step > i) state.combos.pop();
  const { recent } = state;
  while (recent.length && recent[recent.length - 1].step > i) recent.pop();
  if (cut === 0) {
    replayTo(state, i);
    return;
  }
  state.ends[i] = state.typedLength;
  const [block] = replayTo(state, step, step);
  noteTaken(state, i, block);
  noteCombo(state, step, block);
  state.lines[step] = state.lines[i] + countLines(block.bytes);
  keepRecent(state, step, block.bytes);
}

// Takes back the last answer taken, one that changed where the dialogue
// stands, and the answers refused after it: the lines after its own are
// dropped, and its own line is cut where it began (dropped if nothing but
// white space is left before it). Where no answer was taken at all, drops
// every answer. Returns the answer taken back as it was typed ('' if none
// was taken), or null if there is nothing to drop or a link is opening.
export function undo(state) {
  if (state.count === 0 || state.opening) return null;
  let i = state.count - 1;
  while (i > 0 && state.taken[2 * i] < 0) --i;
  const cut = Math.max(state.taken[2 * i], 0);
  const answer = state.taken[2 * i] < 0 ? '' : utf8.decode(
      answerBytes(state, i).subarray(cut, state.taken[2 * i + 1])).trim();
  cutSession(state, i, cut);
  state.ended = false;
  state.notice = '';
  takeSnapshot(state);
  return answer;
}

// The first step whose output the screen shows: those of the newest
// kScreenLines lines or fewer, in whole steps.
export function screenStart(state) {
  let from = state.count;
  while (from > 0 &&
         state.lines[state.count] - state.lines[from - 1] < kScreenLines) {
    --from;
  }
  return from;
}

// The output of each step from `from` on: the blocks kept, or, where they
// no longer reach back so far, the engine's again (the engine ends where it
// stood).
export function blocksFrom(state, from) {
  const { recent } = state;
  if (!recent.length || recent[0].step > from ||
      recent[recent.length - 1].step !== state.count) {
    state.recent = replayTo(state, state.count, from);
  }
  return state.recent.filter((block) => block.step >= from);
}
