// The web edition's page: a view of the engine. Everything the dialogue
// says, which move may follow which, which answers a prompt takes, the
// figures and the English come from the engine (web/combo_web.cpp over
// src/); the page passes the typed lines in, takes bytes and one snapshot
// of plain state out per change, and draws them.
//
// Here: the one state of the page, one render that draws the page from it
// and from the engine's snapshot, and the events that change it. The
// modules beside this one do the rest: engine.js (the engine and its
// memory), session.js (answers, undo), link.js (the address, reload,
// share), screen.js (the console's screen), panels.js (buttons, explorer,
// chain, summary, history, chart), graph.js (the route picture), png.js
// (the route saved as a picture) and kept.js (what the browser keeps).
// tools/web.sh joins them into the one page, with the engine, compiled to
// WebAssembly, in base64 in the page's element #engine.

import { loadEngine, longestWay, readTableFile } from './engine.js';
import { $, count, setText } from './dom.js';
import { newSession, typeLine, undo } from './session.js';
import {
  fragmentToOpen, openLink, saveForReload, scheduleFragment, share,
  tableCode, tableOfCode, writeFragment,
} from './link.js';
import { drawScreen, emptyScreen } from './screen.js';
import {
  buildChart, drawChain, drawChart, drawChoices, drawExplorer, drawHistory,
  drawSummary, scrollChain,
} from './panels.js';
import { answerOfNode, drawGraph, drawSteps } from './graph.js';
import { savePng } from './png.js';
import {
  applyTable, cancelCount, downloadTable, drawLab, figureTable, keepTable,
  keptTables, noLab, startCount,
} from './lab.js';
import {
  keepChoices, keepFinished, keptChoices, keptHistory, noHistory,
} from './kept.js';

const kLongestStepMs = 180;  // ms between the steps of "Play the longest"
const kKeptLaterAt = 8192;  // an address this long opens before the storage
// A tap this soon after one that answered, this near it, on what took the
// place of what that one answered, is the second of a double tap, however
// slowly the browser counts it.
const kDoubleTapMs = 500;
const kDoubleTapPx = 24;

// The one state of the page. Nothing else holds state: render draws the
// page from this and the engine's snapshot, at any time.
const state = {
  // The engine (engine.js): its exports, its memory, and its texts (the
  // names of the moves and groups), read once; and its bytes, for the
  // table lab's workers.
  engine: null,
  engineBytes: null,
  // Where the dialogue stands, as the engine last said (readSnapshot): what
  // it waits for, the chain, the link marks, the answers the prompt takes,
  // the figures of each follow-up, the summary. Taken once per change.
  snapshot: null,

  // The session: every answer typed, as the engine read it.
  session: 0,  // numbers the sessions: a new one draws the screen afresh
  typed: new Uint8Array(4096),  // every answer's bytes, one after another
  typedLength: 0,  // bytes of typed in use
  ends: new Uint32Array(1024),  // ends[i]: where answer i ends in typed
  count: 0,  // answers typed
  lines: new Float64Array(1025),  // lines[s]: screen lines after s answers
  // taken[2i] and taken[2i + 1]: where in answer i the last answer the
  // engine took in it (one that changed where the dialogue stands) began
  // and ended, or -1 if it took none: undo goes back to there.
  taken: new Int32Array(2048),
  // Where the current combo began, for each step from which it holds: the
  // answer that began it (step - 1), the byte within it, and the starter
  // used before it.
  combos: [],
  recent: [],  // the output of the newest steps, for the screen: {step, bytes}
  ended: false,  // the user answered 0 to the replay prompt

  // The link.
  written: '',  // the URL fragment last written, without its '#'
  unwritten: false,  // the session has changed since the address held it
  writtenAt: -Infinity,  // when the address was last written
  writtenOver: '',  // the address before that write
  fragmentTimer: 0,  // the timer that writes it once answers pause
  saved: false,  // the answers are saved for a reload
  openings: 0,  // counts the links opened: a newer one stops an older one
  // A link being opened: the answers run so far, of how many, and whether
  // that is shown yet (after its first slice); else null.
  opening: null,

  // The player's choices, kept in the browser (kept.js), and what they did
  // last.
  english: false,  // English shown under each Japanese line
  hints: true,  // the atlas's figures shown on each follow-up
  // The order of the explorer's rows and of the follow-ups' buttons: by
  // 'move' (as the dialogue lists them), 'longest', 'shortest' or
  // 'combos', and whether from the most.
  order: { by: 'move', descending: false },
  // Finished combos kept in the browser (kept.js): the newest, {chain,
  // length}, newest last; and the longest from each starter, by starter.
  history: noHistory(),
  playing: 0,  // the timer of "Play the longest", 0 if none
  // The button or node that a pointer came down on, until its click: a tap
  // answers only what was under the finger when it came down.
  press: null,
  // The last tap that answered: what it answered, when and where.
  tapped: { el: null, at: -Infinity, x: 0, y: 0 },
  // The step of the chain picked out on the picture (1 for the link from
  // the starter), 0 for none.
  step: 0,
  // The table lab (lab.js): the table every combo starts with, its edits
  // and its atlas.
  lab: noLab(),
  // A word on the last thing the player did (a line refused, an answer
  // taken back, a link copied, a link cut short), until the next answer,
  // undo or session.
  notice: '',

  // What is on the page now, so that render appends and changes only what
  // is new: the screen's blocks (screen.js), the picture's elements
  // (graph.js), and what the panels show.
  drawn: {
    screen: emptyScreen(),
    graph: null,
    steps: null,
    choices: null,
    explorer: null,
    chain: null,
    chainScroll: false,  // the chain was drawn anew: scroll to its end
    summary: null,
    history: null,
  },
};

// What the status line says: a link's progress while it opens, else the
// word on what the player did last, else that the session is over.
function statusText() {
  if (state.opening) {
    const { done, total, shown } = state.opening;
    return shown ? `Opening the link: ${count(done)} of ${count(total)} ` +
        'answers' : '';
  }
  if (state.notice) return state.notice;
  if (state.ended) {
    return 'The session is over: you chose 0, to stop. Undo takes it back.';
  }
  return '';
}

// Where the focus goes when what had it went away or was disabled: on to
// what comes next, never to the page itself (a screen reader would lose
// its place). Not to the field, which would bring up a phone's keyboard.
function keepFocus(had) {
  if (had === document.body || (had.isConnected && !had.disabled)) return;
  const next = $('new-session') ?? $('choices').querySelector('button') ??
      [$('undo'), $('answer')].find((el) => !el.disabled);
  next?.focus();
}

// Draws the page from the state and the engine's snapshot. While a link
// opens only the controls, its progress and a first picture are drawn; the
// rest waits for the link's last answer.
function render() {
  const had = document.activeElement;
  const busy = state.opening !== null;
  const { waiting, chain } = state.snapshot;
  $('answer').disabled = state.ended || busy;
  $('send').disabled = state.ended || busy;
  $('undo').disabled = state.count === 0 || busy;
  $('longest').disabled =
      busy || !(waiting === 'starter' || waiting === 'next-move');
  $('share').disabled = busy;
  $('save-picture').disabled = busy || chain.length === 0;
  $('english').checked = state.english;
  $('hints').checked = state.hints;
  const progress = $('progress');
  progress.hidden = !(busy && state.opening.shown);
  if (busy) {
    progress.max = state.opening.total;
    progress.value = state.opening.done;
  }
  setText($('message'), statusText());
  if (busy) {
    if (!state.drawn.graph) drawGraph(state);
  } else {
    drawScreen(state);
    drawChoices(state);
    drawExplorer(state);
    drawChain(state);
    drawSummary(state);
    drawGraph(state);
    drawSteps(state);
    drawHistory(state);
    drawChart(state);
    drawLab(state);
    scrollChain(state);
  }
  keepFocus(had);
}

// --- what the player does ------------------------------------------------

// Keeps a combo that an answer finished, with its length.
function noteFinished(before) {
  const { waiting, chain } = state.snapshot;
  // Combos on a table of the lab are not the game's: not kept.
  if (state.lab.table !== state.lab.game) return;
  if (waiting === 'replay' && chain.length > 0 &&
      !(before.waiting === 'replay' && before.chain.join() === chain.join())) {
    keepFinished(state, chain);
  }
}

// Sends one answer line; returns false if it was not taken.
function typeAnswer(text) {
  const before = state.snapshot;
  const result = typeLine(state, text);
  if (result === 'long') {
    state.notice = 'That line takes more than the ' +
        `${count(state.engine.texts.lineMost)} bytes a line may have ` +
        'here (a digit or a space takes one, a character such as あ ' +
        'three): split it with Enter.';
  }
  if (result === 'closed') return false;
  if (result === 'taken') {
    state.step = 0;
    noteFinished(before);
  }
  render();
  if (result !== 'taken') return false;
  scheduleFragment(state);
  if (state.ended) $('new-session').focus();
  return true;
}

// What undo says it did: the answer taken back, and where that leaves the
// combo.
function tookBack(answer) {
  const { chain } = state.snapshot;
  const now = chain.length ?
      `the combo is now ${chain.join(' → ')}` : 'no moves yet';
  return answer ? `Took back ${answer}: ${now}.` :
      `Took back the answers refused: ${now}.`;
}

function dropLast() {
  stopLongest();
  const answer = undo(state);
  if (answer === null) return;
  state.step = 0;
  state.notice = tookBack(answer);
  scheduleFragment(state);
  render();
}

// Goes back to the combo as it stood after its move k: each move after it
// taken back as undo takes it back, so undo goes on further from there.
function backToMove(k) {
  stopLongest();
  let answer = null;
  while (state.snapshot.chain.length > k) {
    const last = undo(state);
    if (last === null) break;
    answer = last;
  }
  if (answer === null) return;
  state.step = 0;
  state.notice = `Back to move ${k}: the combo is now ` +
      `${state.snapshot.chain.join(' → ')}.`;
  scheduleFragment(state);
  render();
}

function startAfresh() {
  stopLongest();
  newSession(state);
  writeFragment(state);
  render();
}

// Types answers one at a time, each undoable on its own: a step every
// kLongestStepMs, or all at once where the player asks for less motion.
function playAnswers(answers) {
  stopLongest();
  if (matchMedia('(prefers-reduced-motion: reduce)').matches) {
    for (const answer of answers) {
      if (!typeAnswer(String(answer))) break;
    }
    return;
  }
  const step = () => {
    state.playing = 0;
    if (answers.length && typeAnswer(String(answers.shift())) &&
        answers.length) {
      state.playing = setTimeout(step, kLongestStepMs);
    }
  };
  step();
}

// Plays the engine's longest way on from here.
function playLongest() {
  playAnswers(longestWay(state.engine));
}

// At a complete combo: another combo, the longest from the same starter.
// The replay prompt's first answer is the one that starts another combo.
function playStarterLongest() {
  const { answers, summary } = state.snapshot;
  if (summary) playAnswers([answers[0].answer, ...summary.starter.example]);
}

function stopLongest() {
  clearTimeout(state.playing);
  state.playing = 0;
}

// --- events ----------------------------------------------------------------

function onSubmit(event) {
  event.preventDefault();
  stopLongest();
  const field = $('answer');
  if (field.value !== '' && typeAnswer(field.value)) field.value = '';
}

// Escape clears the field if it holds anything, else drops the last
// answer; so does Ctrl-Z in the empty field. A key typed with the focus
// elsewhere goes to the field.
function onKeyDown(event) {
  const field = $('answer');
  const ctrlZ = (event.ctrlKey || event.metaKey) && event.key === 'z';
  if (event.key === 'Escape' && field.value !== '') {
    event.preventDefault();
    field.value = '';
  } else if (event.key === 'Escape' ||
             (ctrlZ && event.target === field && field.value === '')) {
    event.preventDefault();
    dropLast();
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

// What a pointer came down on: the button or the node under it.
function onPointerDown(event) {
  state.press = event.target.closest('button, #graph .node');
}

// Whether a click on el answers. A key's or an assistive tool's (detail
// 0) always does. A pointer's does only on what it came down on, and only
// as the first of a double tap or click: the second comes down on what
// took the place of what the first one answered. A toggle of the chart
// stays where it is, so a quick tap on the one beside it is a tap of its
// own (inPlace), and only a double tap on the same one is refused.
function answers(event, el, inPlace = false) {
  if (event.detail === 0) return true;
  if (inPlace) {
    const pressed = state.press === el;
    state.press = null;
    return pressed && event.detail === 1;
  }
  const pressed = state.press === el;
  state.press = null;
  const { tapped } = state;
  const second = event.detail > 1 || (el !== tapped.el &&
      event.timeStamp - tapped.at < kDoubleTapMs &&
      Math.hypot(event.clientX - tapped.x, event.clientY - tapped.y) <
          kDoubleTapPx);
  if (!pressed || second) return false;
  state.tapped = { el, at: event.timeStamp, x: event.clientX,
                   y: event.clientY };
  return true;
}

// A tap answers without bringing up a phone's keyboard; after a key
// press, the focus goes on to the first answer offered next.
function onChoice(event) {
  const b = event.target.closest('button');
  if (!b || !answers(event, b)) return;
  stopLongest();
  if (b.id === 'new-session') {
    startAfresh();
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
  const node = event.target.closest('.node');
  if (!node || !answers(event, node)) return;
  const answer = answerOfNode(state, node);
  if (answer === null) return;
  stopLongest();
  typeAnswer(answer);
}

// A move of the chain: back to the combo as it stood after it.
function onChain(event) {
  const b = event.target.closest('button');
  if (b) backToMove(Number(b.dataset.move));
}

// The explorer's headers and the order list: the order of the follow-ups.
function orderBy(by) {
  const { order } = state;
  state.order = by === order.by ? { by, descending: !order.descending } :
      { by, descending: by !== 'move' && by !== 'shortest' };
  render();
}

// Steps through the route on the picture, a link at a time.
function onStep(event) {
  const b = event.target.closest('button');
  if (!b) return;
  const steps = state.snapshot.chain.length - 1;
  state.step = Math.min(Math.max(state.step + Number(b.dataset.by), 1), steps);
  render();
}

// --- the table lab -------------------------------------------------------

// Starts a new session on table, and works its atlas out.
function useTable(table, message = '') {
  const { lab } = state;
  stopLongest();
  applyTable(state, table);
  newSession(state);
  lab.message = message;
  scheduleFragment(state);
  figureTable(state, render);
  render();
}

// An edit of the table: undone by Undo edit.
function editTable(table, message) {
  const { lab } = state;
  if (table === lab.table) return;
  lab.undo.push(lab.table);
  lab.redo = [];
  useTable(table, message);
}

// A tap on a cell of the chart in the lab adds or removes its link.
function onChartCell(event) {
  const b = event.target.closest('button[data-link]');
  if (!b || !state.lab.on || !answers(event, b, true)) return;
  const [from, to] = b.dataset.link.split(',').map(Number);
  const bit = 1n << BigInt((from - 1) * 8 + to - 1);
  const adds = (state.lab.table & bit) === 0n;
  editTable(state.lab.table ^ bit,
            `${adds ? 'Added' : 'Removed'} the link ${from} → ${to}.`);
}

const kPresets = {
  game: () => state.lab.game,
  empty: () => 0n,
  all: () => (1n << 64n) - 1n,
};

function undoEdit(from, to, word) {
  const { lab } = state;
  if (from.length === 0) return;
  to.push(lab.table);
  const table = from.pop();
  useTable(table, `${word}: ${table === lab.game ? "the game's table" :
    'your table'}.`);
}

// Reads a table file chosen for upload, as combo-atlas --table reads it.
async function onUpload(event) {
  const file = event.target.files[0];
  event.target.value = '';
  if (!file) return;
  const bytes = new Uint8Array(await file.slice(0, 65537).arrayBuffer());
  const read = readTableFile(state.engine, file.name, bytes);
  if (read.error) {
    state.lab.message = read.error.trim();
    render();
  } else {
    editTable(read.table, `Opened ${file.name}.`);
  }
}

function drawKeptTables() {
  const select = $('kept-tables');
  select.replaceChildren(new Option('Tables you kept', ''),
                         ...keptTables().map((t) => new Option(t.name,
                                                               t.table)));
}

function onKeep() {
  const name = $('keep-name').value.trim() || 'My table';
  state.lab.message = keepTable(name, tableCode(state.lab.table)) ?
    `Kept as “${name}” in this browser.` : 'This browser keeps nothing.';
  drawKeptTables();
  render();
}

function onKeptTable(event) {
  const table = tableOfCode(event.target.value);
  const name = event.target.selectedOptions[0].text;
  event.target.value = '';
  if (table !== null) editTable(table, `Opened “${name}”.`);
}

function wireLab() {
  const { lab } = state;
  $('lab').addEventListener('change', (event) => {
    lab.on = event.target.checked;
    if (lab.on && !lab.figures) figureTable(state, render);
    render();
  });
  $('chart').addEventListener('click', onChartCell);
  $('lab-tools').addEventListener('click', (event) => {
    const preset = event.target.closest('button[data-preset]')?.dataset.preset;
    if (preset) editTable(kPresets[preset](), '');
  });
  $('game-table').addEventListener('click',
                                   () => editTable(lab.game, ''));
  $('edit-undo').addEventListener('click',
                                  () => undoEdit(lab.undo, lab.redo, 'Undone'));
  $('edit-redo').addEventListener('click',
                                  () => undoEdit(lab.redo, lab.undo, 'Redone'));
  $('download-table').addEventListener('click', () => downloadTable(state));
  $('upload-table').addEventListener('change', onUpload);
  $('keep-table').addEventListener('click', onKeep);
  $('kept-tables').addEventListener('change', onKeptTable);
  $('count-cancel').addEventListener('click', () => {
    cancelCount(lab, 'cancelled');
    render();
  });
  $('count-again').addEventListener('click', () => startCount(state, render));
}

// After a link opened: a table of its own shows the lab, and its atlas.
function afterLink() {
  const { lab } = state;
  if (lab.table !== lab.game) lab.on = true;
  lab.undo = [];
  lab.redo = [];
  if (lab.on) figureTable(state, render);
  render();
}

function onHashChange() {
  const wanted = location.hash.replace(/^#/, '');
  if (wanted !== state.written) openLink(state, wanted, render).then(afterLink);
}

// The English and Hints switches, kept for the next visit.
function onSwitch(event) {
  state[event.target.id] = event.target.checked;
  keepChoices(state);
  render();
}

// The English and Hints switches, the history and the tables kept, as the
// browser kept them.
function readKept() {
  Object.assign(state, keptChoices());
  state.history = keptHistory();
  drawKeptTables();
}

async function start() {
  // The loader inflated the engine, and left its bytes on this script's
  // element.
  state.engineBytes = document.currentScript.engine;
  state.engine = loadEngine(state.engineBytes);
  state.lab.game = state.engine.texts.gameTable;
  state.lab.table = state.lab.game;
  // The first read of the browser's storage waits for the browser itself,
  // which a long address keeps busy for as long as a second: with such a
  // link, what is kept is read once the link has opened.
  const keptLater = location.hash.length > kKeptLaterAt;
  if (!keptLater) readKept();
  buildChart(state.engine.texts);
  $('answer-form').addEventListener('submit', onSubmit);
  document.addEventListener('keydown', onKeyDown);
  document.addEventListener('pointerdown', onPointerDown);
  $('answer').addEventListener('paste', onPaste);
  $('undo').addEventListener('click', dropLast);
  $('choices').addEventListener('click', onChoice);
  $('graph').addEventListener('click', onNode);
  $('chain').addEventListener('click', onChain);
  $('steps').addEventListener('click', onStep);
  $('explorer').addEventListener('click', (event) => {
    const b = event.target.closest('button');
    if (b) orderBy(b.dataset.by);
  });
  $('order').addEventListener('change', (event) => {
    const [by, way] = event.target.value.split(' ');
    state.order = { by, descending: way === 'down' };
    render();
  });
  $('longest').addEventListener('click', playLongest);
  $('summary-route').addEventListener('click', (event) => {
    const b = event.target.closest('button');
    if (b && answers(event, b)) playStarterLongest();
  });
  $('share').addEventListener('click', () => share(state, render));
  $('save-picture').addEventListener('click', () => savePng(state));
  $('english').addEventListener('change', onSwitch);
  $('hints').addEventListener('change', onSwitch);
  $('clear-history').addEventListener('click', () => {
    state.history = noHistory();
    keepFinished(state, null);
    render();
  });
  wireLab();
  window.addEventListener('hashchange', onHashChange);
  window.addEventListener('blur', () => writeFragment(state));
  window.addEventListener('beforeunload', () => saveForReload(state));
  window.addEventListener('pagehide', () => saveForReload(state));
  window.addEventListener('pageshow', () => {
    state.saved = false;
  });
  document.addEventListener('visibilitychange', () => {
    if (document.visibilityState === 'hidden') writeFragment(state);
  });
  // The page opened on the first prompt of a new session, drawn into it
  // when it was built; the rest of it comes now.
  document.documentElement.classList.remove('loading');
  await openLink(state, fragmentToOpen(), render);
  if (state.lab.table !== state.lab.game) afterLink();
  if (keptLater) {
    readKept();
    render();
  }
  // The screen now shows what the link opened, if any: no longer hidden.
  document.documentElement.classList.remove('opening');
  // For bench/web.mjs: the page is running.
  performance.mark('combo-ready');
}

start();
