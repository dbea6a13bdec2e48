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
// share), screen.js (the console's screen), panels.js (buttons, chain,
// summary, chart) and graph.js (the route picture). tools/web.sh joins them
// into the one page, with the engine, compiled to WebAssembly, in base64 in
// the page's element #engine.

import { fromBase64, loadEngine, longestWay } from './engine.js';
import { $, count, setText } from './dom.js';
import { newSession, typeLine, undo } from './session.js';
import {
  fragmentToOpen, openLink, saveForReload, scheduleFragment, share,
  writeFragment,
} from './link.js';
import { drawScreen, emptyScreen } from './screen.js';
import {
  buildChart, drawChain, drawChart, drawChoices, drawSummary,
} from './panels.js';
import { answerOfNode, drawGraph } from './graph.js';

const kLongestStepMs = 180;  // ms between the steps of "Play the longest"

// The one state of the page. Nothing else holds state: render draws the
// page from this and the engine's snapshot, at any time.
const state = {
  // The engine (engine.js): its exports, its memory, and its texts (the
  // names of the moves and groups), read once.
  engine: null,
  // Where the dialogue stands, as the engine last said (readSnapshot): what
  // it waits for, the chain, the link marks, the answers the prompt takes,
  // the hints, the summary. Taken once per change.
  snapshot: null,

  // The session: every answer typed, as the engine read it.
  session: 0,  // numbers the sessions: a new one draws the screen afresh
  typed: new Uint8Array(4096),  // every answer's bytes, one after another
  typedLength: 0,  // bytes of typed in use
  ends: new Uint32Array(1024),  // ends[i]: where answer i ends in typed
  count: 0,  // answers typed
  lines: new Float64Array(1025),  // lines[s]: screen lines after s answers
  // Where the current combo began, for each step from which it holds: the
  // answer that began it (step - 1) and the byte within it.
  combos: [],
  recent: [],  // the output of the newest steps, for the screen: {step, bytes}
  ended: false,  // the user answered 0 to the replay prompt

  // The link.
  written: '',  // the URL fragment last written, without its '#'
  unwritten: false,  // the session has changed since the address held it
  writtenAt: -Infinity,  // when the address was last written
  fragmentTimer: 0,  // the timer that writes it once answers pause
  saved: false,  // the answers are saved for a reload
  openings: 0,  // counts the links opened: a newer one stops an older one
  // A link being opened: the answers run so far, of how many, and whether
  // that is shown yet (after its first slice); else null.
  opening: null,

  // The player's choices, and what they did last.
  english: false,  // English shown under each Japanese line
  hints: true,  // the atlas's figures shown on each follow-up
  playing: 0,  // the timer of "Play the longest", 0 if none
  // A word on the last thing the player did (a line refused, a link
  // copied, a link cut short), until the next answer, undo or session.
  notice: '',

  // What is on the page now, so that render appends and changes only what
  // is new: the screen's blocks (screen.js), the picture's elements
  // (graph.js), and what the buttons, the chain and the summary show.
  drawn: {
    screen: emptyScreen(),
    graph: null,
    choices: null,
    chain: null,
    summary: null,
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

// Draws the page from the state and the engine's snapshot. While a link
// opens only the controls, its progress and a first picture are drawn; the
// rest waits for the link's last answer.
function render() {
  const busy = state.opening !== null;
  const { waiting } = state.snapshot;
  $('answer').disabled = state.ended || busy;
  $('send').disabled = state.ended || busy;
  $('undo').disabled = state.count === 0 || busy;
  $('longest').disabled =
      busy || !(waiting === 'starter' || waiting === 'next-move');
  $('share').disabled = busy;
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
    return;
  }
  drawScreen(state);
  drawChoices(state);
  drawChain(state);
  drawSummary(state);
  drawGraph(state);
  drawChart(state);
}

// --- what the player does ------------------------------------------------

// Sends one answer line; returns false if it was not taken.
function typeAnswer(text) {
  const result = typeLine(state, text);
  if (result === 'long') {
    state.notice = 'That line is longer than the ' +
        `${count(state.engine.texts.lineMost)} characters one answer may ` +
        'have here: split it with Enter.';
  }
  if (result === 'closed') return false;
  render();
  if (result !== 'taken') return false;
  scheduleFragment(state);
  if (state.ended) $('new-session').focus();
  return true;
}

function dropLast() {
  stopLongest();
  if (!undo(state)) return;
  scheduleFragment(state);
  render();
}

function startAfresh() {
  stopLongest();
  newSession(state);
  writeFragment(state);
  render();
}

// Types the engine's longest way on from here, one answer at a time, each
// one undoable on its own.
function playLongest() {
  stopLongest();
  const moves = longestWay(state.engine);
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

// --- events ----------------------------------------------------------------

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

// A tap answers without bringing up a phone's keyboard; after a key
// press, the focus goes on to the first answer offered next.
function onChoice(event) {
  const b = event.target.closest('button');
  if (!b) return;
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
  const answer = answerOfNode(state, event.target);
  if (answer === null) return;
  stopLongest();
  typeAnswer(answer);
}

function onHashChange() {
  const wanted = location.hash.replace(/^#/, '');
  if (wanted !== state.written) openLink(state, wanted, render);
}

async function start() {
  state.engine = loadEngine(fromBase64($('engine').textContent.trim()));
  buildChart(state.engine.texts);
  $('answer-form').addEventListener('submit', onSubmit);
  document.addEventListener('keydown', onKeyDown);
  $('answer').addEventListener('paste', onPaste);
  $('undo').addEventListener('click', dropLast);
  $('choices').addEventListener('click', onChoice);
  $('graph').addEventListener('click', onNode);
  $('longest').addEventListener('click', playLongest);
  $('share').addEventListener('click', () => share(state, render));
  $('english').addEventListener('change', (event) => {
    state.english = event.target.checked;
    render();
  });
  $('hints').addEventListener('change', (event) => {
    state.hints = event.target.checked;
    render();
  });
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
  await openLink(state, fragmentToOpen(), render);
  // For bench/web.mjs: the first prompt is on the screen.
  performance.mark('combo-ready');
}

start();
