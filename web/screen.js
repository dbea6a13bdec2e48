// The screen: the console's output, one block per answer, each answer
// echoed after the prompt it answers, as a terminal shows it. It is a live
// region that only grows: drawScreen appends what is new since it last drew,
// and takes away only what undo took back. Past kScreenLines + kFoldLines
// lines it folds the oldest away, down to kScreenLines, and says how many
// it has folded.

import { decodeOutput, english } from './engine.js';
import { $, count, make, setText } from './dom.js';
import {
  answerText, blocksFrom, kScreenLines, screenStart,
} from './session.js';

const kFoldLines = 100;  // lines folded away at a time
// Blocks go into chunks of kChunkBlocks: a new block lays out its own chunk
// again, never the whole screen, so an answer costs the same with one line
// on the screen or kScreenLines.
const kChunkBlocks = 32;

// What the screen shows, for state.drawn.screen: nothing yet.
export function emptyScreen() {
  return {
    session: 0,  // the session it shows (state.session)
    blocks: [],  // {step, bytes, el, tail, echo, lines}, oldest first
    lines: 0,  // the lines of those blocks
    english: false,  // the English under the Japanese lines shown
  };
}

// What changes on the screen now is no news: a screen reader says nothing
// of it (lines drawn again, English shown under lines already read). The
// screen is a live region again two frames later, once the browser has
// laid the change out.
function quietly(screen) {
  screen.setAttribute('aria-live', 'off');
  requestAnimationFrame(() => requestAnimationFrame(() =>
    screen.setAttribute('aria-live', 'polite')));
}

// Puts text into el, each of its words separated by spaces kept whole, so
// that a menu line wraps between its entries, never inside a name.
function words(el, text) {
  if (!text.includes(' ')) {
    el.textContent = text;
    return;
  }
  text.split(' ').forEach((word, i) => {
    if (i > 0) el.append(' ');
    el.append(make('span', { className: 'w', textContent: word }));
  });
}

// A block of the screen: the output of one step, line by line, each
// Japanese line with its English under it (shown when English is on), at
// most `most` lines (the last ones). Returns {el, tail, lines}; tail is the
// last line, where the echo of the next answer goes.
function blockOf(engine, bytes, most) {
  const el = make('div');
  const starts = [0];
  for (let at = bytes.indexOf(10); at >= 0; at = bytes.indexOf(10, at + 1)) {
    starts.push(at + 1);
  }
  const first = Math.max(0, starts.length - most);
  let tail = null;
  for (let i = first; i < starts.length; ++i) {
    const end = i + 1 < starts.length ? starts[i + 1] - 1 : bytes.length;
    const line = bytes.subarray(starts[i], end);
    tail = make('span', { lang: 'ja' });
    words(tail, decodeOutput(line));
    el.append(tail);
    if (i + 1 < starts.length) el.append('\n');
    if (line.some((b) => b > 127)) {
      el.append(make('div', { className: 'en', lang: 'en',
                              textContent: english(engine, line) }));
    }
  }
  return { el, tail, lines: starts.length - first };
}

function addBlock(engine, shown, block) {
  const drawn = blockOf(engine, block.bytes, kScreenLines);
  const screen = $('screen');
  let chunk = screen.lastElementChild;
  if (!chunk || chunk.childElementCount >= kChunkBlocks) {
    chunk = make('div');
    screen.append(chunk);
  }
  chunk.append(drawn.el);
  shown.blocks.push({ step: block.step, bytes: block.bytes, echo: null,
                      ...drawn });
  shown.lines += drawn.lines;
}

function dropBlock(shown, block) {
  const chunk = block.el.parentElement;
  block.el.remove();
  if (!chunk.firstChild) chunk.remove();
  shown.lines -= block.lines;
}

// Puts an answer's echo after the prompt it answers, as a terminal shows it.
function addEcho(shown, text) {
  const block = shown.blocks[shown.blocks.length - 1];
  block.echo = make('span', { className: 'echo', textContent: text });
  block.tail.after(block.echo);
}

function removeLastBlock(shown) {
  dropBlock(shown, shown.blocks.pop());
  const last = shown.blocks[shown.blocks.length - 1];
  if (last && last.echo) {
    last.echo.remove();
    last.echo = null;
  }
}

// Appends a step's block, after the echo of the answer that brought it.
function appendStep(state, shown, block) {
  if (block.step > 0 && shown.blocks.length) {
    addEcho(shown, answerText(state, block.step - 1));
  }
  addBlock(state.engine, shown, block);
}

// Past kScreenLines + kFoldLines lines, keeps the newest kScreenLines or
// fewer, in whole blocks (a block of more shows only its last ones). Many
// lines go at once, so that folding costs little an answer.
function fold(shown) {
  if (shown.lines > kScreenLines + kFoldLines) {
    while (shown.blocks.length > 1 && shown.lines > kScreenLines) {
      dropBlock(shown, shown.blocks.shift());
    }
  }
}

// Number of screen lines folded away above the first shown.
function folded(state, shown) {
  return state.lines[state.count] - shown.lines;
}

// Draws the screen afresh from the newest blocks. Lines drawn again are no
// news: the screen reader hears them once.
function refill(state, shown) {
  const screen = $('screen');
  const blocks = blocksFrom(state, screenStart(state));
  quietly(screen);
  shown.session = state.session;
  shown.blocks = [];
  shown.lines = 0;
  screen.replaceChildren();
  for (const block of blocks) appendStep(state, shown, block);
  fold(shown);
}

// Whether the newest block shown is no longer the session's: undone, or
// its line cut short by undo, which ran it again.
function stale(state, shown) {
  const last = shown.blocks[shown.blocks.length - 1];
  const newest = state.recent[state.recent.length - 1];
  return last.step > state.count || (newest !== undefined &&
      last.step === newest.step && last.bytes !== newest.bytes);
}

// Brings the screen to the state: a new session's drawn afresh; answers
// undone taken away; new answers appended; the note on folded lines; the
// newest line in view.
export function drawScreen(state) {
  const shown = state.drawn.screen;
  let undone = false;
  if (shown.session === state.session) {
    while (shown.blocks.length && stale(state, shown)) {
      removeLastBlock(shown);
      undone = true;
    }
  }
  // Undo past the lines folded away brings them back.
  if (shown.session !== state.session || !shown.blocks.length ||
      (undone && shown.lines < kScreenLines && folded(state, shown) > 0)) {
    refill(state, shown);
  } else {
    const last = shown.blocks[shown.blocks.length - 1].step;
    for (const block of state.recent) {
      if (block.step > last) appendStep(state, shown, block);
    }
    fold(shown);
  }
  const lines = folded(state, shown);
  const note = $('folded');
  note.hidden = lines === 0;
  setText(note, `${count(lines)} earlier line${lines === 1 ? '' : 's'} ` +
          'folded away (undo and share still cover them)');
  if (shown.english !== state.english) {
    shown.english = state.english;
    quietly($('screen'));
    $('screen').classList.toggle('english', state.english);
  }
  scrollScreen();
}

// Keeps the newest line in view, once the browser lays the screen out.
function scrollScreen() {
  requestAnimationFrame(() => {
    const screen = $('screen');
    screen.scrollTop = screen.scrollHeight;
  });
}
