// The web edition's page: a view of the engine. Everything the dialogue
// says, which move may follow which, the figures and the English come from
// the engine (web/combo_web.cpp over src/); this script passes the typed
// lines in, takes bytes and plain state out, and draws them.
//
// A session is the lines typed, kept as bytes. The engine goes on from
// where it stopped, so each answer costs the same however long the session
// is; to go back, the engine replays the current combo from where it began.
// The screen shows the newest lines, one block per answer: past
// kScreenLines + kFoldLines it folds the oldest away, down to kScreenLines,
// and says how many it has folded.
//
// tools/web.sh puts the engine, compiled to WebAssembly, before this script
// in base64 (kEngine).

'use strict';

const kScreenLines = 500;     // the screen keeps the newest lines
const kFoldLines = 100;       // and folds them away this many at a time
const kLinkAnswers = 100000;  // a link opens with at most this many answers
const kSliceMs = 20;          // the longest stretch of work between frames
const kFragmentDelay = 300;   // ms after the last answer, the URL is written
const kLongestStepMs = 180;   // ms between the steps of "longest"
const kSavedKey = 'combo-session';

const sjis = new TextDecoder('shift_jis');
const latin = new TextDecoder('latin1');
const utf8 = new TextDecoder();
const encoder = new TextEncoder();
const $ = (id) => document.getElementById(id);

// A new element with the properties given (className, lang, textContent,
// ...) and the children after them.
function make(tag, properties, ...children) {
  const el = Object.assign(document.createElement(tag), properties);
  el.append(...children);
  return el;
}

// The one state of the page.
const state = {
  typed: new Uint8Array(4096),  // every answer line's bytes, one after another
  typedLength: 0,
  ends: new Uint32Array(1024),  // ends[i]: where answer i ends in typed
  lines: new Float64Array(1025),  // lines[s]: screen lines after s answers
  // Where the current combo began, for each step from which it holds: the
  // answer that began it (step - 1) and the byte within it.
  combos: [],
  count: 0,          // answers typed
  ended: false,      // the user answered 0 to the replay prompt
  recent: [],        // the newest blocks' output bytes: {step, bytes}
  shown: [],         // the blocks on the screen: {el, tail, lines}
  shownLines: 0,
  written: '',       // the URL fragment last written, without its '#'
  opening: 0,        // a link being opened: its number, else 0
  playing: 0,        // timer of "longest", 0 if none
  saved: false,      // the answers are saved for a reload
  // What the buttons, the summary and the picture's numbers were drawn
  // from, so that an answer that changes nothing redraws nothing.
  choicesKey: null,
  summaryKey: null,
  stepsKey: null,
  chainKey: '',
};

// --- the engine ----------------------------------------------------------

let engine = null;  // the engine's exports: webRun, ...
let HEAPU8 = null;  // its memory, which never grows

// Loads the engine, at once: it is small enough to compile in a moment. It
// needs nothing from outside: its console is in memory, and the system
// calls it names for files are never made here; should one be, it fails as
// a bad file descriptor (WASI's error 8).
function loadEngine() {
  const bytes = Uint8Array.fromBase64 ? Uint8Array.fromBase64(kEngine) :
      Uint8Array.from(atob(kEngine), (c) => c.charCodeAt(0));
  const noFiles = new Proxy({}, { get: () => () => 8 });
  const instance = new WebAssembly.Instance(new WebAssembly.Module(bytes),
      { env: noFiles, wasi_snapshot_preview1: noFiles });
  engine = instance.exports;
  engine._initialize();
  HEAPU8 = new Uint8Array(engine.memory.buffer);
}

// The NUL-terminated text at pointer, decoded.
function textAt(pointer, decoder) {
  return decoder.decode(HEAPU8.subarray(pointer, HEAPU8.indexOf(0, pointer)));
}

function moveName(move) {
  return textAt(engine.webMoveName(move), sjis);
}

function moveGloss(move) {
  return textAt(engine.webMoveGloss(move), latin);
}

// The last run's output, in the engine's memory (a view: the next run
// writes over it), and a copy of it.
function outputView() {
  const at = engine.webOutput();
  return HEAPU8.subarray(at, at + engine.webOutputLength());
}

function output() {
  return outputView().slice();
}

// Queues bytes as one line, running what is queued first if it is full.
// Returns false if the line is longer than one run takes.
function queueLine(bytes) {
  if (bytes.length > engine.webLineRoom()) engine.webRun();
  if (bytes.length > engine.webLineRoom()) return false;
  HEAPU8.set(bytes, engine.webLineBuffer());
  engine.webQueueLine(bytes.length);
  return true;
}

// The English of one line of output.
function english(bytes) {
  const length = Math.min(bytes.length, engine.webEnglishRoom());
  HEAPU8.set(bytes.subarray(0, length), engine.webEnglishBuffer());
  const n = engine.webEnglish(length);
  const at = engine.webEnglishText();
  return latin.decode(HEAPU8.subarray(at, at + n));
}

// --- the session -----------------------------------------------------------

function answerStart(i) {
  return i > 0 ? state.ends[i - 1] : 0;
}

function answerBytes(i) {
  return state.typed.subarray(answerStart(i), state.ends[i]);
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

// Notes where a combo began in the last run, if one did: from `step` on.
function noteCombo(step) {
  const began = engine.webComboBegan();
  if (began >= 0) state.combos.push({ step, offset: began });
}

function keepRecent(step, bytes) {
  state.recent.push({ step, bytes });
  if (state.recent.length > kScreenLines + 1) state.recent.shift();
}

// Starts a new session: the engine's first output, nothing typed.
function newSession() {
  stopLongest();
  state.typedLength = 0;
  state.count = 0;
  state.combos = [];
  state.recent = [];
  engine.webStart();
  state.ended = !engine.webRun();
  noteCombo(0);
  const bytes = output();
  state.lines[0] = countLines(bytes);
  keepRecent(0, bytes);
}

// Runs one answer line (already made ASCII) and records it. Returns its
// output, or null if the line is longer than the engine takes at once.
// Unless asked to keep it, the output is only counted, not copied: a long
// link's answers make no garbage but for those whose lines it will show.
function runAnswer(line, keep = true) {
  // The line's bytes go straight after the answers before it.
  state.typed = grown(state.typed, state.typedLength + 3 * line.length);
  const length = encoder.encodeInto(
      line, state.typed.subarray(state.typedLength)).written;
  const bytes = state.typed.subarray(state.typedLength,
                                     state.typedLength + length);
  if (!queueLine(bytes)) return null;
  state.ended = !engine.webRun();
  const i = state.count++;
  state.typedLength += length;
  state.ends = grown(state.ends, state.count);
  state.ends[i] = state.typedLength;
  noteCombo(i + 1);
  const out = keep ? output() : outputView();
  state.lines = grown(state.lines, state.count + 1);
  state.lines[i + 1] = state.lines[i] + countLines(out);
  if (keep) keepRecent(i + 1, out);
  return out;
}

// The combo start that holds at step: the last one noted at or before it.
function comboAt(step) {
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
// output of each step from `from` on, if asked.
function replayTo(step, from = step + 1) {
  const blocks = [];
  const begin = comboAt(from > 0 ? Math.min(from - 1, step) : 0);
  engine.webStart();
  engine.webRun();
  if (from === 0) blocks.push({ step: 0, bytes: output() });
  for (let i = Math.max(begin.step - 1, 0); i < step; ++i) {
    let bytes = answerBytes(i);
    if (i === begin.step - 1) bytes = bytes.subarray(begin.offset);
    if (i + 1 >= from) engine.webRun();
    queueLine(bytes);
    if (i + 1 >= from) {
      engine.webRun();
      blocks.push({ step: i + 1, bytes: output() });
    }
  }
  engine.webRun();
  return blocks;
}

// Full-width digits, signs and spaces, as a Japanese input method types
// them, become the ASCII ones that the console reads.
function asTyped(text) {
  return text.replace(/[\uff10-\uff19\uff0b\uff0d\u2212\u3000]/g, (c) =>
      c === '\u3000' ? ' ' : c === '\u2212' ? '-' :
      String.fromCharCode(c.charCodeAt(0) - 0xfee0));
}

// Sends one answer line, as Enter does at a terminal. Returns false if the
// session has ended or the line does not fit.
function typeAnswer(text) {
  if (state.ended || state.opening) return false;
  const line = asTyped(text);
  const out = runAnswer(line);
  if (out === null) {
    say(`That line is longer than the ${count(engine.webLineRoom())} ` +
        'characters one answer may have here: split it with Enter.');
    return false;
  }
  say('');
  addEcho(line);
  addBlock(out);
  foldScreen();
  scheduleFragment();
  drawState();
  if (state.ended) $('new-session').focus();
  return true;
}

// Drops the last answer and what it brought to the screen.
function undo() {
  if (state.count === 0 || state.opening) return;
  stopLongest();
  const step = state.count - 1;
  replayTo(step);
  state.count = step;
  state.typedLength = answerStart(step);
  while (state.combos[state.combos.length - 1].step > step) state.combos.pop();
  state.ended = false;
  if (state.recent.length && state.recent[state.recent.length - 1].step > step) {
    state.recent.pop();
  }
  removeLastBlock();
  if (state.shownLines < kScreenLines && folded() > 0) refillScreen();
  say('');
  scheduleFragment();
  drawState();
}

// --- opening a link ----------------------------------------------------------

// Yields to the browser (input, drawing) and goes on in a task of its own.
const channel = new MessageChannel();
function nextTask() {
  return new Promise((resolve) => {
    channel.port1.onmessage = resolve;
    channel.port2.postMessage(0);
  });
}

// Opens the session of a link: its answers run through the engine in
// slices of at most kSliceMs, with progress shown between them, and the
// screen drawn once at the end. Beyond kLinkAnswers answers, or at an answer
// too long for a line, it keeps what came before and says so.
async function openLink(link) {
  const opening = ++state.opening;
  newSession();
  state.written = link;
  const total = answersIn(link, kLinkAnswers + 1);
  // Only the answers whose output the screen may show are kept.
  const firstKept = Math.min(total, kLinkAnswers) - kScreenLines - 1;
  let refused = '';
  let at = 0;
  // A link's answers in tasks of their own, after the page's start.
  if (total > 0) await nextTask();
  if (opening !== state.opening) return;
  while (state.count < total && !state.ended && refused === '') {
    const end = performance.now() + kSliceMs;
    do {
      if (state.count === kLinkAnswers) {
        refused = `This link holds ${count(answersIn(link, Infinity))} ` +
            `answers; a link opens with at most ${count(kLinkAnswers)}.`;
        break;
      }
      let next = link.indexOf(',', at);
      if (next < 0) next = link.length;
      let part = link.slice(at, next);
      try {
        part = decodeURIComponent(part);
      } catch {
        // A stray % stays as it is.
      }
      if (runAnswer(asTyped(part), state.count >= firstKept) === null) {
        refused = `Answer ${count(state.count + 1)} of this link is ` +
            `longer than the ${count(engine.webLineRoom())} characters an ` +
            'answer may have.';
        break;
      }
      at = next + 1;
    } while (state.count < total && !state.ended &&
             (state.count % 16 || performance.now() < end));
    if (state.count < total && !state.ended && refused === '') {
      showProgress(state.count, total);
      await nextTask();
      if (opening !== state.opening) return;
    }
  }
  // The screen drawn in a task of its own, the URL later in another.
  if (total > 0) await nextTask();
  if (opening !== state.opening) return;
  state.opening = 0;
  showProgress(0, 0);
  refillScreen();
  drawState();
  if (refused) {
    say(`${refused} The first ${count(state.count)} were kept, and the ` +
        'link now holds those.');
  }
  scheduleFragment();
}

// How many answers a link holds, counted up to most.
function answersIn(link, most) {
  let n = link === '' ? 0 : 1;
  for (let at = link.indexOf(','); at >= 0 && n < most;
       at = link.indexOf(',', at + 1)) {
    ++n;
  }
  return n;
}

function showProgress(done, total) {
  const progress = $('progress');
  progress.hidden = total === 0;
  progress.max = total;
  progress.value = done;
  if (total) say(`Opening the link: ${count(done)} of ${count(total)} answers`);
}

// --- the screen --------------------------------------------------------------

// Number of screen lines folded away above the first shown.
function folded() {
  return state.lines[state.count] - state.shownLines;
}

// A block of the screen: the output of one step, line by line, each
// Japanese line with its English under it, at most `most` lines (the last
// ones). Returns {el, tail, lines}; tail is the last line, where the echo
// of the next answer goes.
function blockOf(bytes, most) {
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
    words(tail, sjis.decode(line));
    el.append(tail);
    if (i + 1 < starts.length) el.append('\n');
    if (line.some((b) => b > 127)) {
      el.append(make('div', { className: 'en', lang: 'en',
                              textContent: english(line) }));
    }
  }
  return { el, tail, lines: starts.length - first };
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

// Blocks go into chunks of kChunkBlocks: a new block lays out its own chunk
// again, never the whole screen, so an answer costs the same with one line
// on the screen or kScreenLines.
const kChunkBlocks = 32;

function addBlock(bytes) {
  const block = blockOf(bytes, kScreenLines);
  const screen = $('screen');
  let chunk = screen.lastElementChild;
  if (!chunk || chunk.childElementCount >= kChunkBlocks) {
    chunk = make('div');
    screen.append(chunk);
  }
  chunk.append(block.el);
  state.shown.push(block);
  state.shownLines += block.lines;
}

function dropBlock(block) {
  const chunk = block.el.parentElement;
  block.el.remove();
  if (!chunk.firstChild) chunk.remove();
  state.shownLines -= block.lines;
}

// Puts an answer's echo after the prompt it answers, as a terminal shows it.
function addEcho(line) {
  const block = state.shown[state.shown.length - 1];
  const echo = make('span', { className: 'echo', textContent: line });
  block.tail.after(echo);
  block.echo = echo;
}

function removeLastBlock() {
  const block = state.shown.pop();
  if (!block) return;
  dropBlock(block);
  const last = state.shown[state.shown.length - 1];
  if (last && last.echo) {
    last.echo.remove();
    last.echo = null;
  }
}

// Past kScreenLines + kFoldLines lines, keeps the newest kScreenLines or
// fewer, in whole blocks (a block of more shows only its last ones). Many
// lines go at once, so that folding costs little an answer.
function foldScreen() {
  if (state.shownLines > kScreenLines + kFoldLines) {
    while (state.shown.length > 1 && state.shownLines > kScreenLines) {
      dropBlock(state.shown.shift());
    }
  }
  drawFolded();
}

// Draws the screen afresh from the newest blocks, replaying the engine for
// those it no longer holds.
function refillScreen() {
  let from = state.count;
  while (from > 0 &&
         state.lines[state.count] - state.lines[from - 1] < kScreenLines) {
    --from;
  }
  const recent = state.recent;
  if (!recent.length || recent[0].step > from ||
      recent[recent.length - 1].step !== state.count) {
    state.recent = replayTo(state.count, from);
  }
  // Lines drawn again are no news: the screen reader hears them once.
  const screen = $('screen');
  screen.setAttribute('aria-live', 'off');
  state.shown = [];
  state.shownLines = 0;
  screen.replaceChildren();
  for (const block of state.recent) {
    if (block.step < from) continue;
    if (block.step > 0 && state.shown.length) {
      addEcho(utf8.decode(answerBytes(block.step - 1)));
    }
    addBlock(block.bytes);
  }
  foldScreen();
  scrollScreen();
  requestAnimationFrame(() => screen.setAttribute('aria-live', 'polite'));
}

function drawFolded() {
  const lines = folded();
  const note = $('folded');
  note.hidden = lines === 0;
  setText(note, `${count(lines)} earlier line${lines === 1 ? '' : 's'} ` +
          'folded away (undo and share still cover them)');
}

// Keeps the newest line in view, once the browser lays the screen out.
function scrollScreen() {
  requestAnimationFrame(() => {
    const screen = $('screen');
    screen.scrollTop = screen.scrollHeight;
  });
}

// --- drawing the state ---------------------------------------------------------

function say(text) {
  setText($('message'), text);
}

// The page redraws only what an answer changed: a text or a class set
// again to the same value would still make the browser lay it out anew.
function setText(el, text) {
  if (el.textContent !== text) el.textContent = text;
}

function setClass(el, name) {
  if (el.getAttribute('class') !== name) el.setAttribute('class', name);
}

// 121889 as "121,889".
function count(n) {
  return String(n).replace(/\B(?=(\d{3})+(?!\d))/g, ',');
}

function drawState() {
  const busy = state.opening !== 0;
  $('answer').disabled = state.ended || busy;
  $('send').disabled = state.ended || busy;
  $('undo').disabled = state.count === 0 || busy;
  $('longest').disabled =
      busy || !(engine.webAtStarter() || engine.webAtNextMove());
  $('share').disabled = busy;
  if (state.ended) {
    say('The session is over: you chose 0, to stop. Undo takes it back.');
  }
  drawChoices();
  drawChain();
  drawSummary();
  drawGraph();
  drawChart();
  drawFolded();
  scrollScreen();
}

function button(answer, parts) {
  const b = make('button', { type: 'button' }, ...parts.map((part) =>
      make('span', { className: part[0], lang: part[2] || '',
                     textContent: part[1] })));
  b.dataset.answer = answer;
  return b;
}

// The figures of the engine's atlas for each follow-up, if hints are on.
function hintsByMove() {
  const hints = new Map();
  if (document.body.classList.contains('no-hints')) return hints;
  const n = engine.webHintCount();
  for (let i = 0; i < n; ++i) {
    const combos = engine.webHintCombos(i);
    hints.set(engine.webHintNext(i), `longest ${engine.webHintLongest(i)} · ` +
              `${count(combos)} combo${combos === 1 ? '' : 's'}`);
  }
  return hints;
}

function drawChoices() {
  const hints = hintsByMove();
  const n = state.opening ? 0 : engine.webAnswerCount();
  const answers = [];
  for (let i = 0; i < n; ++i) answers.push(engine.webAnswer(i));
  const key = [state.ended, answers, [...hints.values()]].join(';');
  if (key === state.choicesKey) return;
  state.choicesKey = key;
  const buttons = [];
  if (state.ended) {
    buttons.push(make('button', { type: 'button', id: 'new-session',
                                  textContent: 'New session' }));
  }
  for (let i = 0; i < n; ++i) {
    const answer = answers[i];
    const name = textAt(engine.webAnswerName(i), sjis);
    const parts = [['name', name ? `${answer} ${name}` : String(answer), 'ja'],
                   ['gloss', textAt(engine.webAnswerGloss(i), latin)]];
    if (hints.has(answer)) parts.push(['hint', hints.get(answer)]);
    buttons.push(button(String(answer), parts));
  }
  $('choices').replaceChildren(...buttons);
}

function chip(move) {
  return make('li', {}, make('b', { textContent: move }),
              make('span', { lang: 'ja', textContent: moveName(move) }),
              make('small', { textContent: moveGloss(move) }));
}

function chainMoves() {
  const moves = [];
  for (let i = 0; i < engine.webChainLength(); ++i) {
    moves.push(engine.webChainMove(i));
  }
  return moves;
}

function drawChain() {
  const moves = chainMoves();
  const key = moves.join();
  if (key === state.chainKey && $('chain').firstChild) return;
  state.chainKey = key;
  const chips = moves.map(chip);
  if (!chips.length) {
    chips.push(make('li', { className: 'empty',
                            textContent: 'No moves yet: pick a starter.' }));
  }
  $('chain').replaceChildren(...chips);
}

// At a complete combo: the chain and its length, how the console sums it
// up and what that says, and the longest combo from the same starter.
function drawSummary() {
  const summary = $('summary');
  summary.hidden = !engine.webAtReplay();
  const moves = chainMoves();
  const key = summary.hidden ? '' : `chain ${moves.join()}`;
  if (key === state.summaryKey) return;
  state.summaryKey = key;
  if (summary.hidden) return;
  const heading = make('h3', { textContent: moves.length ?
      `Complete: ${moves.length} move${moves.length === 1 ? '' : 's'}, ` +
      moves.join(' → ') : 'Complete: the empty chain, no moves' });
  const at = engine.webSummaryLine();
  const line = HEAPU8.slice(at, HEAPU8.indexOf(0, at));
  const said = make('p', {}, make('q', { lang: 'ja',
                                         textContent: sjis.decode(line) }),
                    ` says ${english(line)}`);
  const parts = [heading, said];
  const longest = engine.webStarterLongest();
  if (longest) {
    const example = [];
    for (let i = 0; i < longest; ++i) example.push(engine.webStarterExample(i));
    parts.push(make('p', {}, `Longest from ${moves[0]}: ${longest} moves, ` +
                    `of ${count(engine.webStarterCombos())} complete combos: `,
                    make('span', { className: 'example',
                                   textContent: example.join() })));
  }
  summary.replaceChildren(...parts);
}

// --- the picture of the links ------------------------------------------------

const svgNs = 'http://www.w3.org/2000/svg';
function svg(name, attributes) {
  const el = document.createElementNS(svgNs, name);
  for (const key in attributes) el.setAttribute(key, attributes[key]);
  return el;
}

// Where a move sits: its hit reaction across, air above and ground below.
function place(move) {
  return { x: 72 + 88 * engine.webMoveReaction(move),
           y: 62 + 78 * engine.webMoveGroup(move) };
}

const kNodeRadius = 14;

// The curve of the link from move k to move j: a loop for a link to
// itself; within a row an arc, the two directions on different ways;
// across the rows, bowed to the left of its way so that the two directions
// part. Returns its path and midpoint.
function curve(k, j) {
  const a = place(k);
  const b = place(j);
  const out = engine.webMoveGroup(k) ? 1 : -1;  // away from the other row
  if (k === j) {
    const y = a.y + out * kNodeRadius;
    return {
      d: `M${a.x - 8} ${y} C${a.x - 24} ${y + out * 36} ${a.x + 24} ` +
         `${y + out * 36} ${a.x + 8} ${y}`,
      mid: { x: a.x, y: y + out * 27 },
    };
  }
  let c;
  if (a.y === b.y) {
    // Back to a neighbour bows towards the other row; any other link,
    // higher the farther it goes, away from it.
    const span = Math.abs(b.x - a.x) / 88;
    const lift = j > k ? 20 * span : span === 1 ? -18 : 20 * span + 14;
    c = { x: (a.x + b.x) / 2, y: a.y + out * lift };
  } else {
    const dx = b.x - a.x;
    const dy = b.y - a.y;
    const length = Math.hypot(dx, dy);
    c = { x: (a.x + b.x) / 2 + 14 * dy / length,
          y: (a.y + b.y) / 2 - 14 * dx / length };
  }
  const edge = (p, r) => {
    const d = Math.hypot(c.x - p.x, c.y - p.y);
    return { x: p.x + r * (c.x - p.x) / d, y: p.y + r * (c.y - p.y) / d };
  };
  const s = edge(a, kNodeRadius);
  const e = edge(b, kNodeRadius + 1);
  const at = (p) => `${Math.round(p.x)} ${Math.round(p.y)}`;
  return {
    d: `M${at(s)} Q${at(c)} ${at(e)}`,
    mid: { x: (s.x + 2 * c.x + e.x) / 4, y: (s.y + 2 * c.y + e.y) / 4 },
  };
}

// Builds the picture once: every link of the game as an arrow, every move
// as a node, the groups named; drawGraph then sets their classes.
function buildGraph() {
  // Built apart, and put into the page at once.
  const graph = svg('g', {});
  const moves = engine.webMoveCount();
  for (let g = 0; g < engine.webGroupCount(); ++g) {
    const label = svg('text', { class: 'group', x: 4, y: 66 + 78 * g });
    const ja = svg('tspan', { x: 4 });
    ja.setAttribute('lang', 'ja');
    ja.textContent = textAt(engine.webGroupName(g), sjis);
    const en = svg('tspan', { x: 4, dy: 13 });
    en.textContent = textAt(engine.webGroupGloss(g), latin);
    label.append(ja, en);
    graph.append(label);
  }
  state.arrows = [];
  for (let k = 1; k <= moves; ++k) {
    for (let j = 1; j <= moves; ++j) {
      if (!engine.webHasLink(k, j)) continue;
      const shape = curve(k, j);
      const path = svg('path', { class: 'link', d: shape.d,
                                 'data-from': k, 'data-to': j });
      graph.append(path);
      state.arrows.push({ k, j, path, mid: shape.mid });
    }
  }
  state.steps = svg('g', {});
  graph.append(state.steps);
  state.nodes = [];
  for (let m = 1; m <= moves; ++m) {
    const p = place(m);
    const node = svg('g', { class: 'node', 'data-move': m });
    const title = svg('title', {});
    title.textContent = `${m} ${moveName(m)} (${moveGloss(m)})`;
    node.append(title, svg('circle', { cx: p.x, cy: p.y, r: kNodeRadius }));
    const label = svg('text', { x: p.x, y: p.y + 4.5 });
    label.textContent = m;
    node.append(label);
    graph.append(node);
    state.nodes.push(node);
  }
  $('graph').append(graph);
}

// The picture of the engine's state: links used dashed, the open follow-ups
// of the current move thick and their nodes ringed, the current move
// ringed, the chain numbered along its links.
function drawGraph() {
  const current = engine.webCurrentMove();
  const listed = new Set();
  for (const arrow of state.arrows) {
    const next = engine.webFollowsNow(arrow.k, arrow.j) === 1;
    if (next) listed.add(arrow.j);
    setClass(arrow.path, next ? 'link next' :
        engine.webLinkUsed(arrow.k, arrow.j) ? 'link used' : 'link');
  }
  if (engine.webAtStarter()) {
    for (let m = 1; m <= state.nodes.length; ++m) listed.add(m);
  }
  state.nodes.forEach((node, i) => {
    setClass(node, 'node' + (i + 1 === current ? ' current' : '') +
             (listed.has(i + 1) ? ' listed' : ''));
  });
  const moves = chainMoves();
  if (moves.join() === state.stepsKey) return;
  state.stepsKey = moves.join();
  const badges = [];
  for (let i = 1; i < moves.length; ++i) {
    const arrow = state.arrows.find((a) => a.k === moves[i - 1] &&
                                           a.j === moves[i]);
    const badge = svg('g', { class: 'step' });
    badge.append(svg('circle', { cx: arrow.mid.x, cy: arrow.mid.y, r: 6.5 }));
    const text = svg('text', { x: arrow.mid.x, y: arrow.mid.y + 3 });
    text.textContent = i;
    badge.append(text);
    badges.push(badge);
  }
  state.steps.replaceChildren(...badges);
}

// --- the link chart ------------------------------------------------------------

// Rows are the move a link leaves, columns the move it reaches. Built once,
// then only its marks and classes change.
function buildChart() {
  const moves = engine.webMoveCount();
  // Built apart, and put into the page at once.
  const table = make('table');
  const head = table.createTHead().insertRow();
  head.append(make('th', { textContent: 'from ↓ to →' }));
  for (let to = 1; to <= moves; ++to) {
    head.append(make('th', { scope: 'col', title: moveGloss(to) }, String(to),
                     make('span', { lang: 'ja', textContent: moveName(to) })));
  }
  const body = table.createTBody();
  for (let from = 1; from <= moves; ++from) {
    const row = body.insertRow();
    row.append(make('th', { scope: 'row' }, `${from} `,
                    make('span', { lang: 'ja', textContent: moveName(from) }),
                    ' ', make('small', { textContent: moveGloss(from) })));
    for (let to = 1; to <= moves; ++to) row.insertCell();
  }
  $('chart').append(table.tHead, table.tBodies[0]);
}

function drawChart() {
  const current = engine.webCurrentMove();
  const rows = $('chart').tBodies[0].rows;
  for (let from = 1; from <= rows.length; ++from) {
    const row = rows[from - 1];
    setClass(row, from === current ? 'current' : '');
    for (let to = 1; to < row.cells.length; ++to) {
      const cell = row.cells[to];
      const has = engine.webHasLink(from, to);
      const next = engine.webFollowsNow(from, to);
      const used = engine.webLinkUsed(from, to);
      if (!has) continue;
      setClass(cell, next ? 'next' : used ? 'used' : '');
      setText(cell, next ? '◆' : used ? '×' : '●');
      cell.title = `${from} → ${to}: ` +
          (next ? 'can follow now' : used ? 'used' : 'open');
    }
  }
}

// --- sharing -------------------------------------------------------------------

// The URL is written once answers pause, and when the page is hidden:
// history.replaceState takes time in proportion to the URL, which grows
// with the session. What it has not written yet when the page goes away,
// a reload finds in sessionStorage.
let fragmentTimer = 0;

function scheduleFragment() {
  clearTimeout(fragmentTimer);
  fragmentTimer = setTimeout(writeFragment, kFragmentDelay);
}

// The answers as a URL fragment, from their bytes: each percent-encoded as
// encodeURIComponent does, joined by commas.
const kUnreserved = new Uint8Array(128);
for (const c of "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_.!~*'()") {
  kUnreserved[c.charCodeAt(0)] = 1;
}
const kHex = encoder.encode('0123456789ABCDEF');

function fragment() {
  const out = new Uint8Array(3 * state.typedLength + state.count);
  let n = 0;
  let start = 0;
  for (let a = 0; a < state.count; ++a) {
    if (a > 0) out[n++] = 44;  // ','
    const end = state.ends[a];
    for (let i = start; i < end; ++i) {
      const b = state.typed[i];
      if (kUnreserved[b]) {
        out[n++] = b;
      } else {
        out[n++] = 37;  // '%'
        out[n++] = kHex[b >> 4];
        out[n++] = kHex[b & 15];
      }
    }
    start = end;
  }
  return latin.decode(out.subarray(0, n));
}

function writeFragment() {
  clearTimeout(fragmentTimer);
  state.written = fragment();
  const hash = state.written ? `#${state.written}` : '';
  if (hash === location.hash) return;
  const url = new URL(location.href);
  url.hash = hash;
  history.replaceState(null, '', hash ? url.href : url.href.replace(/#$/, ''));
}

// As the page goes away: the answers, against the URL that a reload opens,
// the one before the page began to go (writing it now would not change
// what a reload opens).
function saveForReload() {
  if (state.opening || state.saved) return;
  state.saved = true;
  try {
    sessionStorage.setItem(kSavedKey, JSON.stringify({
      url: location.href, fragment: fragment() }));
  } catch {
    // No storage: the URL is all there is.
  }
}

// The fragment to open: what was saved before a reload of this very URL,
// else the URL's own. Storage is read only after a reload or a step back:
// its first use costs time in proportion to the URL.
function fragmentToOpen() {
  const how = performance.getEntriesByType('navigation')[0];
  let saved = null;
  if (how && (how.type === 'reload' || how.type === 'back_forward')) {
    try {
      saved = JSON.parse(sessionStorage.getItem(kSavedKey));
      sessionStorage.removeItem(kSavedKey);
    } catch {
      // Nothing saved, or no storage.
    }
  }
  if (saved && saved.url === location.href) return saved.fragment;
  return location.hash.slice(1);
}

async function share() {
  writeFragment();
  const url = location.href;
  let copied = false;
  try {
    await navigator.clipboard.writeText(url);
    copied = true;
  } catch {
    // No clipboard here: the address bar has the link.
  }
  say(copied ? 'The link to this session is copied.' :
               'The link to this session is in the address bar.');
  if (navigator.share) {
    try {
      await navigator.share({ title: document.title, url });
    } catch {
      // The player closed the share sheet.
    }
  }
}

// --- "longest" -----------------------------------------------------------------

// Types the engine's longest way on from here, one answer at a time, each
// one undoable on its own.
function playLongest() {
  stopLongest();
  const moves = [];
  for (let i = 0, n = engine.webLongestCount(); i < n; ++i) {
    moves.push(engine.webLongestMove(i));
  }
  const step = () => {
    state.playing = 0;
    if (moves.length && typeAnswer(String(moves.shift())) && moves.length) {
      state.playing = setTimeout(step, kLongestStepMs);
    }
  };
  step();
}

function stopLongest() {
  clearTimeout(state.playing);
  state.playing = 0;
}

// --- events --------------------------------------------------------------------

function onSubmit(event) {
  event.preventDefault();
  stopLongest();
  const field = $('answer');
  if (field.value !== '' && typeAnswer(field.value)) field.value = '';
}

// Escape drops the last answer anywhere, and Ctrl-Z in the empty field. A
// key typed with the focus elsewhere goes to the field.
function onKeyDown(event) {
  const field = $('answer');
  const ctrlZ = (event.ctrlKey || event.metaKey) && event.key === 'z';
  if (event.key === 'Escape' || (ctrlZ && event.target === field &&
                                 field.value === '')) {
    event.preventDefault();
    stopLongest();
    undo();
  } else if (event.key.length === 1 && event.key !== ' ' && !event.ctrlKey &&
             !event.metaKey && !event.altKey && !field.disabled &&
             !/^(INPUT|TEXTAREA|SELECT)$/.test(event.target.tagName)) {
    field.focus();
  }
}

// A paste keeps every number: its line breaks become spaces, which the
// field would otherwise drop.
function onPaste(event) {
  const text = event.clipboardData.getData('text');
  if (!/[\r\n]/.test(text)) return;
  event.preventDefault();
  const field = $('answer');
  field.setRangeText(text.replace(/\r?\n|\r/g, ' '), field.selectionStart,
                     field.selectionEnd, 'end');
}

// A tap answers without bringing up a phone's keyboard; after a key
// press, the focus goes on to the first answer offered next.
function onChoice(event) {
  const b = event.target.closest('button');
  if (!b) return;
  stopLongest();
  if (b.id === 'new-session') {
    newSession();
    writeFragment();
    refillScreen();
    drawState();
  } else {
    typeAnswer(b.dataset.answer);
  }
  if (event.detail === 0 && !state.ended) {
    const first = $('choices').querySelector('button');
    if (first) first.focus();
  }
}

// A tap on a node of the picture answers that move, if the prompt takes it.
function onNode(event) {
  const node = event.target.closest('.node.listed');
  if (!node) return;
  stopLongest();
  typeAnswer(node.dataset.move);
}

function onHashChange() {
  const wanted = location.hash.replace(/^#/, '');
  if (wanted !== state.written) openLink(wanted);
}

async function start() {
  buildChart();
  buildGraph();
  $('answer-form').addEventListener('submit', onSubmit);
  document.addEventListener('keydown', onKeyDown);
  $('answer').addEventListener('paste', onPaste);
  $('undo').addEventListener('click', () => undo());
  $('choices').addEventListener('click', onChoice);
  $('graph').addEventListener('click', onNode);
  $('longest').addEventListener('click', playLongest);
  $('share').addEventListener('click', share);
  $('english').addEventListener('change', (event) => {
    $('screen').classList.toggle('english', event.target.checked);
  });
  $('hints').addEventListener('change', (event) => {
    document.body.classList.toggle('no-hints', !event.target.checked);
    drawState();
  });
  window.addEventListener('hashchange', onHashChange);
  window.addEventListener('beforeunload', saveForReload);
  window.addEventListener('pagehide', saveForReload);
  window.addEventListener('pageshow', () => {
    state.saved = false;
  });
  document.addEventListener('visibilitychange', () => {
    if (document.visibilityState === 'hidden') writeFragment();
  });
  await openLink(fragmentToOpen());
  // For bench/web.mjs: the first prompt is on the screen.
  performance.mark('combo-ready');
}

loadEngine();
start();
