// The panels beside the screen, drawn from the engine's snapshot and the
// page's state: the answer buttons with their hints, the chain, the summary
// of a complete combo, and the link chart. Each is drawn again only when
// what it shows has changed (state.drawn keeps what it last showed).

import { english } from './engine.js';
import { $, count, make, setClass, setText } from './dom.js';

function button(answer, parts) {
  const b = make('button', { type: 'button' }, ...parts.map((part) =>
      make('span', { className: part[0], lang: part[2] || '',
                     textContent: part[1] })));
  b.dataset.answer = answer;
  return b;
}

// The figures of the engine's atlas for each follow-up, if hints are on.
function hintsByMove(state) {
  const hints = new Map();
  if (!state.hints) return hints;
  for (const { next, longest, combos } of state.snapshot.hints) {
    hints.set(next, `longest ${longest} · ` +
              `${count(combos)} combo${combos === 1 ? '' : 's'}`);
  }
  return hints;
}

// The answers the waiting prompt takes, each a button with its name and
// gloss and, for a follow-up, its hint; after the end, a new session.
export function drawChoices(state) {
  const hints = hintsByMove(state);
  const { answers } = state.snapshot;
  const key = [state.ended, answers.map((a) => a.answer),
               [...hints.values()]].join(';');
  if (key === state.drawn.choices) return;
  state.drawn.choices = key;
  const buttons = [];
  if (state.ended) {
    buttons.push(make('button', { type: 'button', id: 'new-session',
                                  textContent: 'New session' }));
  }
  for (const { answer, name, gloss } of answers) {
    const parts = [['name', name ? `${answer} ${name}` : String(answer), 'ja'],
                   ['gloss', gloss]];
    if (hints.has(answer)) parts.push(['hint', hints.get(answer)]);
    buttons.push(button(String(answer), parts));
  }
  $('choices').replaceChildren(...buttons);
}

function chip(texts, move) {
  const { name, gloss } = texts.moves[move - 1];
  return make('li', {}, make('b', { textContent: move }),
              make('span', { lang: 'ja', textContent: name }),
              make('small', { textContent: gloss }));
}

export function drawChain(state) {
  const { chain } = state.snapshot;
  const key = chain.join();
  if (key === state.drawn.chain) return;
  state.drawn.chain = key;
  const chips = chain.map((move) => chip(state.engine.texts, move));
  if (!chips.length) {
    chips.push(make('li', { className: 'empty',
                            textContent: 'No moves yet: pick a starter.' }));
  }
  $('chain').replaceChildren(...chips);
}

// At a complete combo: the chain and its length, how the console sums it
// up and what that says, and the longest combo from the same starter.
export function drawSummary(state) {
  const el = $('summary');
  const { chain, summary } = state.snapshot;
  el.hidden = summary === null;
  const key = summary === null ? '' : `chain ${chain.join()}`;
  if (key === state.drawn.summary) return;
  state.drawn.summary = key;
  if (summary === null) return;
  const heading = make('h3', { textContent: chain.length ?
      `Complete: ${chain.length} move${chain.length === 1 ? '' : 's'}, ` +
      chain.join(' → ') : 'Complete: the empty chain, no moves' });
  const said = make('p', {}, make('q', { lang: 'ja', textContent: summary.line }),
                    ` says ${english(state.engine, summary.bytes)}`);
  const parts = [heading, said];
  const { longest, combos, example } = summary.starter;
  if (longest) {
    parts.push(make('p', {}, `Longest from ${chain[0]}: ${longest} moves, ` +
                    `of ${count(combos)} complete combos: `,
                    make('span', { className: 'example',
                                   textContent: example.join() })));
  }
  el.replaceChildren(...parts);
}

// Builds the link chart once: rows are the move a link leaves, columns the
// move it reaches, the moves named in the headers. drawChart then sets its
// marks and classes.
export function buildChart(texts) {
  const { moves } = texts;
  // Built apart, and put into the page at once.
  const table = make('table');
  const head = table.createTHead().insertRow();
  head.append(make('th', { textContent: 'from ↓ to →' }));
  moves.forEach(({ name, gloss }, i) => {
    head.append(make('th', { scope: 'col', title: gloss }, String(i + 1),
                     make('span', { lang: 'ja', textContent: name })));
  });
  const body = table.createTBody();
  moves.forEach(({ name, gloss }, i) => {
    const row = body.insertRow();
    row.append(make('th', { scope: 'row' }, `${i + 1} `,
                    make('span', { lang: 'ja', textContent: name }),
                    ' ', make('small', { textContent: gloss })));
    for (let to = 1; to <= moves.length; ++to) row.insertCell();
  });
  $('chart').append(table.tHead, table.tBodies[0]);
}

const kCellMarks = {
  open: ['', '●', 'open'],
  used: ['used', '×', 'used'],
  next: ['next', '◆', 'can follow now'],
};

export function drawChart(state) {
  const { current, links } = state.snapshot;
  const rows = $('chart').tBodies[0].rows;
  for (let from = 1; from <= rows.length; ++from) {
    const row = rows[from - 1];
    setClass(row, from === current ? 'current' : '');
    for (let to = 1; to < row.cells.length; ++to) {
      const mark = kCellMarks[links[from - 1][to - 1]];
      if (!mark) continue;
      const cell = row.cells[to];
      setClass(cell, mark[0]);
      setText(cell, mark[1]);
      cell.title = `${from} → ${to}: ${mark[2]}`;
    }
  }
}
