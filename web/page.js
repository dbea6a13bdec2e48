// The web edition's page: a view of the engine. Everything the dialogue
// says, which move may follow which, and the figures of the hints come from
// the engine (web/combo_web.cpp over src/); this script only passes the
// typed bytes in, takes bytes and plain state out, and draws them.
//
// The dialogue is a pure function of what the user typed. Every combo starts
// afresh, so each answer replays only the current combo: the engine says
// where in the typed bytes it began, and how much of its output the screen
// already shows. The screen only ever grows by one block per answer.
//
// emscripten appends this file to the engine's own script (--post-js), so
// the engine's exports (_webRun, ...) and its memory (HEAPU8) are in scope.

'use strict';

const kWaiting = { starter: 0, nextMove: 1, replay: 2, nothing: 3 };
const kLink = { none: 0, open: 1, used: 2 };
const kStatusStopped = 0;
const kStatusInputEnded = 1;
const sjis = new TextDecoder('shift_jis');
const ascii = new TextDecoder('ascii');
const encoder = new TextEncoder();

// The one state of the page.
const state = {
  answers: [],  // each answer line as typed
  // For the screen before any answer, and after each answer: where the
  // current combo began in the typed bytes (base), how many bytes of its
  // output the screen shows (shown), and the engine's status then.
  steps: [],
  blocks: [],   // the screen's blocks: {el, echo}, one more than answers
  typed: new Uint8Array(1024),  // every answer's bytes, each with its "\n"
  typedLength: 0,
  answerStart: [],  // where each answer begins in typed
  hints: true,
  fragment: '',  // the URL fragment this page last wrote
};

const $ = (id) => document.getElementById(id);

// --- the engine ---------------------------------------------------------

function bytesAt(pointer, length) {
  return HEAPU8.subarray(pointer, pointer + length);
}

// The NUL-terminated text at pointer, decoded.
function textAt(pointer, decoder) {
  let end = pointer;
  while (HEAPU8[end] !== 0) ++end;
  return decoder.decode(bytesAt(pointer, end - pointer));
}

// Runs the dialogue on typed[base..] and returns its status and output.
// The line break that the dialogue writes when the input ends is not part
// of the screen: here the input never ends, it waits for the next answer.
function runEngine(base) {
  const length = state.typedLength - base;
  if (length > _webInputCapacity()) return null;
  HEAPU8.set(state.typed.subarray(base, state.typedLength), _webInputBuffer());
  const status = _webRun(length);
  let outputLength = _webOutputLength();
  if (status === kStatusInputEnded) --outputLength;
  return {
    status,
    output: bytesAt(_webOutput(), outputLength),
    comboInput: _webComboInput(),
    comboOutput: _webComboOutput(),
  };
}

function moveName(move) {
  return textAt(_webMoveName(move), sjis);
}

function moveGloss(move) {
  return textAt(_webMoveGloss(move), ascii);
}

// --- typing -------------------------------------------------------------

function appendTyped(bytes) {
  const needed = state.typedLength + bytes.length;
  if (needed > state.typed.length) {
    const grown = new Uint8Array(Math.max(needed, 2 * state.typed.length));
    grown.set(state.typed.subarray(0, state.typedLength));
    state.typed = grown;
  }
  state.typed.set(bytes, state.typedLength);
  state.typedLength = needed;
}

// Sends one answer line, as Enter does on a terminal. Returns false if the
// session has ended or the line does not fit.
function typeAnswer(line) {
  const last = state.steps[state.steps.length - 1];
  if (last.status === kStatusStopped) return false;
  const start = state.typedLength;
  appendTyped(encoder.encode(line + '\n'));
  const run = runEngine(last.base);
  if (run === null) {
    state.typedLength = start;
    showStatus('That is more than one combo can take in: answer with a move.');
    return false;
  }
  state.answers.push(line);
  state.answerStart.push(start);
  state.steps.push({
    base: last.base + run.comboInput,
    shown: run.output.length - run.comboOutput,
    status: run.status,
  });
  render(line, run.output.subarray(last.shown));
  return true;
}

// Drops the last answer and what it brought to the screen.
function undo() {
  if (state.answers.length === 0) return;
  state.typedLength = state.answerStart.pop();
  state.answers.pop();
  state.steps.pop();
  removeLastBlock();
  const block = state.blocks[state.blocks.length - 1];
  block.echo.remove();
  block.echo = null;
  // Bring the engine back to the state before that answer.
  runEngine(state.steps[state.steps.length - 1].base);
  drawState();
}

// Starts a session over, with the answers given (from a shared link).
function startSession(answers) {
  state.answers = [];
  state.steps = [];
  state.typedLength = 0;
  state.answerStart = [];
  state.blocks = [];
  $('screen').replaceChildren();
  const run = runEngine(0);
  state.steps.push({ base: 0, shown: run.output.length, status: run.status });
  addBlock(run.output);
  for (const answer of answers) {
    if (!typeAnswer(answer)) break;
  }
  drawState();
}

// --- drawing ------------------------------------------------------------

// Blocks go into chunks of kChunkBlocks: a finished chunk is laid out once,
// so a long session costs no more per answer than a short one.
const kChunkBlocks = 64;

function addBlock(outputBytes) {
  const el = document.createElement('div');
  el.textContent = sjis.decode(outputBytes);
  const screen = $('screen');
  let chunk = screen.lastElementChild;
  if (!chunk || chunk.childElementCount >= kChunkBlocks) {
    chunk = document.createElement('div');
    chunk.className = 'chunk';
    screen.append(chunk);
  }
  chunk.append(el);
  state.blocks.push({ el, echo: null });
}

function removeLastBlock() {
  const chunk = state.blocks.pop().el.parentElement;
  chunk.lastElementChild.remove();
  if (chunk.childElementCount === 0) chunk.remove();
}

// Puts an answer's echo after the prompt it answers and the program's new
// output on the lines after it, as a terminal shows them.
function render(line, newOutput) {
  const block = state.blocks[state.blocks.length - 1];
  block.echo = document.createElement('span');
  block.echo.className = 'echo';
  block.echo.textContent = line;
  block.el.append(block.echo);
  addBlock(newOutput);
  drawState();
}

function drawState() {
  const screen = $('screen');
  screen.scrollTop = screen.scrollHeight;
  const step = state.steps[state.steps.length - 1];
  const ended = step.status === kStatusStopped;
  $('answer').disabled = ended;
  $('send').disabled = ended;
  $('undo').disabled = state.answers.length === 0;
  showStatus(ended ? 'The session has ended (status 0).' : '');
  drawChoices(ended);
  drawChart();
  scheduleFragment();
}

function showStatus(text) {
  $('status').textContent = text;
}

function choiceButton(answer, parts) {
  const button = document.createElement('button');
  button.type = 'button';
  button.dataset.answer = answer;
  // No destructuring here: emscripten 3.1.6's minifier garbles it.
  for (const part of parts) {
    const span = document.createElement('span');
    span.className = part[0];
    span.textContent = part[1];
    button.append(span);
  }
  return button;
}

function moveButton(move, hint) {
  const parts = [['name', `${move} ${moveName(move)}`],
                 ['gloss', moveGloss(move)]];
  if (hint) parts.push(['hint', hint]);
  return choiceButton(String(move), parts);
}

const countFormat = new Intl.NumberFormat('en');

// The hint for each follow-up of the current move, from the engine's atlas.
function hintsByMove() {
  const hints = new Map();
  if (!state.hints) return hints;
  const count = _webHintCount();
  for (let i = 0; i < count; ++i) {
    const combos = _webHintCombos(i);
    hints.set(_webHintNext(i),
              `longest ${_webHintLongest(i)} · ` +
              `${countFormat.format(combos)} combo${combos === 1 ? '' : 's'}`);
  }
  return hints;
}

function drawChoices(ended) {
  const choices = $('choices');
  const buttons = [];
  if (ended) {
    const again = document.createElement('button');
    again.type = 'button';
    again.id = 'new-session';
    again.textContent = 'New session';
    buttons.push(again);
  } else {
    const waiting = _webWaitingAt();
    if (waiting === kWaiting.starter || waiting === kWaiting.nextMove) {
      const hints = waiting === kWaiting.nextMove ? hintsByMove() : new Map();
      const count = _webListedCount();
      for (let i = 0; i < count; ++i) {
        const move = _webListed(i);
        buttons.push(moveButton(move, hints.get(move)));
      }
      // 0, no move: the empty chain as a starter, never a follow-up.
      buttons.push(choiceButton('0', [['name', '0'],
                                      ['gloss', moveGloss(0)]]));
    }
    const replies = _webReplyCount();
    for (let i = 0; i < replies; ++i) {
      const answer = _webReplyAnswer(i);
      buttons.push(choiceButton(String(answer), [
        ['name', `${answer} ${textAt(_webReplyName(i), sjis)}`],
        ['gloss', textAt(_webReplyGloss(i), ascii)],
      ]));
    }
  }
  choices.replaceChildren(...buttons);
}

// The link chart: rows are the move a link leaves, columns the move it
// leads to. Built once, then only its classes change.
function buildChart() {
  const moves = _webMoveCount();
  const table = $('chart');
  const head = table.createTHead().insertRow();
  const corner = document.createElement('th');
  corner.textContent = 'from ↓ to →';
  corner.title = 'a link from the move of the row to the move of the column';
  head.append(corner);
  for (let to = 1; to <= moves; ++to) {
    const th = document.createElement('th');
    th.scope = 'col';
    const abbr = document.createElement('abbr');
    abbr.title = `${moveName(to)} (${moveGloss(to)})`;
    abbr.textContent = String(to);
    th.append(abbr);
    head.append(th);
  }
  const body = table.createTBody();
  for (let from = 1; from <= moves; ++from) {
    const row = body.insertRow();
    const th = document.createElement('th');
    th.scope = 'row';
    th.append(`${from} ${moveName(from)} `);
    const gloss = document.createElement('span');
    gloss.className = 'gloss';
    gloss.textContent = moveGloss(from);
    th.append(gloss);
    row.append(th);
    for (let to = 1; to <= moves; ++to) row.insertCell();
  }
}

function drawChart() {
  const current = _webCurrentMove();
  const waitingForNext = _webWaitingAt() === kWaiting.nextMove;
  const rows = $('chart').tBodies[0].rows;
  for (let from = 1; from <= rows.length; ++from) {
    const row = rows[from - 1];
    row.classList.toggle('current', from === current);
    for (let to = 1; to < row.cells.length; ++to) {
      const cell = row.cells[to];
      const link = _webLinkState(from, to);
      const next = waitingForNext && from === current && link === kLink.open;
      cell.className = next ? 'next' : link === kLink.used ? 'used' :
          link === kLink.open ? 'open' : '';
      cell.textContent = link === kLink.used ? '×' :
          link === kLink.open ? '●' : '';
      cell.title = link === kLink.none ? '' :
          `${from} → ${to}: ${next ? 'can follow now' :
                              link === kLink.used ? 'used' : 'open'}`;
    }
  }
}

// --- sharing ------------------------------------------------------------

function fragmentOf(answers) {
  return answers.map(encodeURIComponent).join(',');
}

function answersOf(fragment) {
  if (fragment === '') return [];
  return fragment.split(',').map((part) => {
    try {
      return decodeURIComponent(part);
    } catch {
      return part;
    }
  });
}

// The fragment is written once typing pauses: history.replaceState takes
// time in proportion to the URL, which grows with the session, so a burst
// of answers (a pasted line, a replayed link) pays for it once.
const kFragmentDelay = 150;  // milliseconds
let fragmentTimer = 0;

function scheduleFragment() {
  clearTimeout(fragmentTimer);
  fragmentTimer = setTimeout(writeFragment, kFragmentDelay);
}

function writeFragment() {
  clearTimeout(fragmentTimer);
  const fragment = fragmentOf(state.answers);
  if (fragment === state.fragment) return;
  state.fragment = fragment;
  const url = new URL(location.href);
  url.hash = fragment;
  history.replaceState(null, '', fragment === '' ? url.href.replace(/#$/, '') :
                                                   url.href);
}

function readFragment() {
  return location.hash.replace(/^#/, '');
}

// --- events -------------------------------------------------------------

function onSubmit(event) {
  event.preventDefault();
  const field = $('answer');
  if (field.value === '') return;
  if (typeAnswer(field.value)) field.value = '';
  field.focus();
}

function onKeyDown(event) {
  const field = $('answer');
  const ctrlZ = (event.ctrlKey || event.metaKey) && event.key === 'z';
  if (event.key === 'Escape' || (ctrlZ && field.value === '')) {
    event.preventDefault();
    undo();
  }
}

function onChoice(event) {
  const button = event.target.closest('button');
  if (!button) return;
  if (button.id === 'new-session') {
    startSession([]);
  } else {
    typeAnswer(button.dataset.answer);
  }
  $('answer').focus();
}

function onHashChange() {
  const fragment = readFragment();
  if (fragment !== state.fragment) {
    state.fragment = fragment;
    startSession(answersOf(fragment));
  }
}

function start() {
  buildChart();
  $('answer-form').addEventListener('submit', onSubmit);
  $('answer').addEventListener('keydown', onKeyDown);
  $('undo').addEventListener('click', () => {
    undo();
    $('answer').focus();
  });
  $('choices').addEventListener('click', onChoice);
  $('hints').addEventListener('change', (event) => {
    state.hints = event.target.checked;
    document.body.classList.toggle('no-hints', !state.hints);
    drawState();
  });
  window.addEventListener('hashchange', onHashChange);
  window.addEventListener('pagehide', writeFragment);
  state.fragment = readFragment();
  startSession(answersOf(state.fragment));
  $('answer').disabled = state.steps[state.steps.length - 1].status ===
      kStatusStopped;
  $('answer').focus();
  // For bench/web.mjs: the first prompt is on the screen.
  performance.mark('combo-ready');
}

Module.onRuntimeInitialized = start;
