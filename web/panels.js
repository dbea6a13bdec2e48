// The panels beside the screen, drawn from the engine's snapshot and the
// page's state: the answer buttons with the figures of each follow-up, the
// explorer of the next move, the chain, the summary of a complete combo,
// the history and the link chart. Each is drawn again only when what it
// shows has changed (state.drawn keeps what it last showed).

import { english } from './engine.js';
import { $, count, make, setClass, setText } from './dom.js';

function button(answer, parts) {
  const b = make('button', { type: 'button' }, ...parts.map((part) =>
      make('span', { className: part[0], lang: part[2] || '',
                     textContent: part[1] })));
  b.dataset.answer = answer;
  return b;
}

// A follow-up's share of the complete combos still possible, in words.
function shareOf(combos, total) {
  const percent = (100 * combos) / total;
  return percent >= 1 || combos === total ? `${Math.round(percent)}%` :
      combos > 0 ? '<1%' : '0%';
}

// The figures of the engine's atlas for each follow-up, if hints are on,
// in the order the player chose (state.order), and the follow-ups'
// combos all told. Each: {next, combos, shortest, longest, endsCombo,
// best, share, about}: about is "≈ " where the counts are estimates (a
// table too dense to count at each answer), else ''.
function figures(state) {
  const { hints, hintCombos, hintBest, estimated } = state.snapshot;
  if (!state.hints) return [];
  const about = estimated ? '≈ ' : '';
  const rows = hints.map((h) => ({ ...h, best: h.next === hintBest, about,
                                   share: shareOf(h.combos, hintCombos) }));
  const { by, descending } = state.order;
  const key = by === 'move' ? 'next' : by;
  return rows.sort((a, b) => (descending ? b[key] - a[key] : a[key] - b[key]) ||
                             a.next - b.next);
}

function comboCount(n) {
  return `${count(n)} combo${n === 1 ? '' : 's'}`;
}

// What a follow-up's button says under its name: its longest and its
// combos (the hint), and its share or that the combo ends with it.
function hintParts(row) {
  const more = row.endsCombo ? 'ends the combo now' :
      `${row.share} · shortest ${row.shortest}`;
  return [['hint', `longest ${row.longest} · ${row.about}` +
           comboCount(row.combos)],
          ['more', row.best ? `★ best · ${more}` : more]];
}

// The answers the waiting prompt takes, each a button with its name and
// gloss and, for a follow-up, its figures; after the end, a new session.
// On a phone these buttons are the explorer of the next move.
export function drawChoices(state) {
  const rows = figures(state);
  const byMove = new Map(rows.map((row) => [row.next, row]));
  const answers = [...state.snapshot.answers];
  if (rows.length) {
    const place = new Map(rows.map((row, i) => [row.next, i]));
    answers.sort((a, b) => place.get(a.move) - place.get(b.move));
  }
  const key = JSON.stringify([state.ended, answers.map((a) => a.answer),
                              rows]);
  if (key === state.drawn.choices) return;
  state.drawn.choices = key;
  const buttons = [];
  if (state.ended) {
    buttons.push(make('button', { type: 'button', id: 'new-session',
                                  textContent: 'New session' }));
  }
  for (const { answer, move, name, gloss } of answers) {
    const parts = [['name', name ? `${answer} ${name}` : String(answer), 'ja'],
                   ['gloss', gloss]];
    const row = byMove.get(move);
    if (row) parts.push(...hintParts(row));
    const b = button(String(answer), parts);
    if (row?.best) b.classList.add('best');
    buttons.push(b);
  }
  $('choices').replaceChildren(...buttons);
  $('order-bar').hidden = rows.length < 2;
  $('order').value = `${state.order.by} ${state.order.descending ? 'down' :
                                                                     'up'}`;
}

const kColumns = [
  ['move', 'Next move'], ['longest', 'Longest'], ['shortest', 'Shortest'],
  ['combos', 'Complete combos'], [null, 'Share'], [null, 'Note'],
];

// The explorer of the next move, as a table: for each follow-up the
// longest and the shortest complete combo through it, how many there are,
// their share of those still possible, the best marked and those that end
// the combo said so; sorted by a column's header.
export function drawExplorer(state) {
  const rows = figures(state);
  const key = JSON.stringify([rows, state.order]);
  if (key === state.drawn.explorer) return;
  state.drawn.explorer = key;
  const table = $('explorer');
  table.closest('section').hidden = rows.length === 0;
  const head = make('tr', {}, ...kColumns.map(([by, title]) => {
    if (!by) return make('th', { scope: 'col', textContent: title });
    const sorted = state.order.by === by;
    const th = make('th', { scope: 'col' }, make('button', {
      type: 'button', textContent: title + (!sorted ? '' :
          state.order.descending ? ' ▼' : ' ▲') }));
    th.firstChild.dataset.by = by;
    if (sorted) {
      th.setAttribute('aria-sort', state.order.descending ? 'descending' :
                                                            'ascending');
    }
    return th;
  }));
  const { moves } = state.engine.texts;
  const body = rows.map((row) => {
    const { name, gloss } = moves[row.next - 1];
    const notes = [row.best && '★ best', row.endsCombo &&
                   `ends the combo now, at ${row.longest} moves`];
    return make('tr', { className: row.best ? 'best' : '' },
                make('th', { scope: 'row' }, `${row.next} `,
                     make('span', { lang: 'ja', textContent: name }), ' ',
                     make('small', { textContent: gloss })),
                ...[row.longest, row.shortest, row.about + count(row.combos),
                    row.share,
                    notes.filter(Boolean).join('; ')].map((text) =>
                  make('td', { textContent: text })));
  });
  table.replaceChildren(make('thead', {}, head), make('tbody', {}, ...body));
}

// A move as the chips name it: its number, its Japanese name and its gloss.
function moveParts(texts, move) {
  const { name, gloss } = texts.moves[move - 1];
  return [make('b', { textContent: move }), ' ',
          make('span', { lang: 'ja', textContent: name }), ' ',
          make('small', { textContent: gloss })];
}

// The chain, a chip per move, the newest in view: each move but the last a
// button that goes back to the combo as it stood after it.
export function drawChain(state) {
  const { chain } = state.snapshot;
  const key = chain.join();
  if (key === state.drawn.chain) return;
  state.drawn.chain = key;
  const { texts } = state.engine;
  const chips = chain.map((move, i) => {
    if (i === chain.length - 1) {
      return make('li', { ariaCurrent: 'step' }, ...moveParts(texts, move));
    }
    const back = make('button', { type: 'button',
                                  title: `Back to move ${i + 1}` },
                      ...moveParts(texts, move));
    back.dataset.move = i + 1;
    return make('li', {}, back);
  });
  if (!chips.length) {
    chips.push(make('li', { className: 'empty',
                            textContent: 'No moves yet: pick a starter.' }));
  }
  $('chain').replaceChildren(...chips);
  state.drawn.chainScroll = chain.length > 0;
}

// Scrolls a chain just drawn to its newest move. Its width is known only
// once the page is laid out: at the next frame, where the browser lays it
// out anyway, not in the task that draws (a long link's last step would
// lay out its whole screen there, and again after).
export function scrollChain(state) {
  if (!state.drawn.chainScroll) return;
  state.drawn.chainScroll = false;
  requestAnimationFrame(() => {
    const list = $('chain');
    list.scrollLeft = list.scrollWidth;
  });
}

// The console's summary line, so that it wraps only after a comma: the
// length and the text after it ("4+1Zorvです。") never broken.
function unbroken(text) {
  const at = text.search(/\d+\+/);
  const head = text.slice(0, at).split(',');
  const parts = head.flatMap((part, i) => (i < head.length - 1 ?
      [`${part},`, make('wbr')] : [part]));
  return [...parts, make('span', { className: 'nowrap',
                                   textContent: text.slice(at) })];
}

// At a complete combo: the chain and its length, how the console sums it
// up and what that says, and the longest combo from the same starter; and
// beside it (#summary-more) what "+1Zorv" is, and that longest combo as a
// route to play.
export function drawSummary(state) {
  const el = $('summary');
  const more = $('summary-more');
  const { chain, summary } = state.snapshot;
  el.hidden = summary === null;
  more.hidden = summary === null;
  const key = summary === null ? '' : `chain ${chain.join()}`;
  if (key === state.drawn.summary) return;
  state.drawn.summary = key;
  if (summary === null) return;
  const { texts } = state.engine;
  const heading = make('h3', { textContent: chain.length ?
      `Complete: ${chain.length} move${chain.length === 1 ? '' : 's'}, ` +
      chain.join(' → ') : 'Complete: the empty chain, no moves' });
  const said = make('p', {}, make('q', { lang: 'ja' }, ...unbroken(summary.line)),
                    ' says ',
                    ...unbroken(english(state.engine, summary.bytes)));
  const parts = [heading, said];
  const { longest, combos, example } = summary.starter;
  if (longest) {
    parts.push(make('p', {}, `Longest from ${chain[0]}: ${longest} moves, ` +
                    `of ${state.snapshot.estimated ? 'about ' : ''}` +
                    `${count(combos)} complete combos: `,
                    make('span', { className: 'example',
                                   textContent: example.join() })));
  }
  el.replaceChildren(...parts);
  const tail = summary.line.slice(summary.line.search(/\d+\+/));
  const length = tail.match(/^\d+/)[0];
  const explained = make('p', {}, 'The console writes the chain, a comma ' +
      `after each move, then its length, ${length}, and then `,
      make('q', { lang: 'ja', textContent: tail.slice(length.length) }),
      ': fixed text it always writes after the length, no part of the ' +
      'number.');
  const route = [explained];
  if (longest) {
    const play = make('button', { type: 'button', id: 'play-starter',
                                  textContent: `Play the longest from ` +
                                      `${chain[0]}` });
    route.push(make('p', {}, play, ` ${longest} moves:`),
               make('ol', { className: 'route' }, ...example.map((move) =>
                   make('li', {}, ...moveParts(texts, move).slice(0, 3)))));
  }
  $('summary-route').replaceChildren(...route);
}

// The history kept in the browser: the longest combo made from each
// starter, the newest combos finished, and a way to clear it.
export function drawHistory(state) {
  const { combos, best } = state.history;
  const key = JSON.stringify(state.history);
  if (key === state.drawn.history) return;
  state.drawn.history = key;
  setText($('history-count'), combos.length ?
      `${comboCount(combos.length)} finished` : 'none yet');
  const starters = Object.keys(best).sort();
  const table = $('history-best');
  table.hidden = starters.length === 0;
  table.tBodies[0].replaceChildren(...starters.map((s) => make('tr', {},
      make('th', { scope: 'row' }, `${s} `, make('span', {
        lang: 'ja', textContent: state.engine.texts.moves[s - 1].name })),
      make('td', { textContent: best[s].split(',').length }),
      make('td', { textContent: best[s] }))));
  $('history-recent').replaceChildren(...combos.slice(-10).reverse().map(
      (chain) => make('li', { textContent: `${chain} (` +
          `${chain.split(',').length} moves)` })));
  $('clear-history').disabled = combos.length === 0;
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

// In the lab each cell holds a toggle of its link (aria-pressed); else
// its mark, or nothing where the table has no link.
export function drawChart(state) {
  const { current, links } = state.snapshot;
  const { on } = state.lab;
  setClass($('chart'), on ? 'lab' : '');
  const rows = $('chart').tBodies[0].rows;
  for (let from = 1; from <= rows.length; ++from) {
    const row = rows[from - 1];
    setClass(row, from === current ? 'current' : '');
    for (let to = 1; to < row.cells.length; ++to) {
      const link = links[from - 1][to - 1];
      const mark = kCellMarks[link] ?? ['', '', 'no link'];
      const cell = row.cells[to];
      setClass(cell, mark[0]);
      const title = `${from} → ${to}: ${mark[2]}`;
      if (on) {
        const toggle = cell.firstElementChild ?? make('button', {
          type: 'button', className: 'cell',
        });
        if (!toggle.isConnected) {
          toggle.dataset.link = `${from},${to}`;
          cell.replaceChildren(toggle);
        }
        setText(toggle, mark[1]);
        toggle.setAttribute('aria-pressed', String(link !== 'none'));
        toggle.title = title;
        toggle.setAttribute('aria-label', `link ${from} → ${to}`);
        cell.removeAttribute('title');
      } else {
        if (cell.firstElementChild) cell.replaceChildren();
        setText(cell, mark[1]);
        cell.title = link === 'none' ? '' : title;
      }
    }
  }
}
