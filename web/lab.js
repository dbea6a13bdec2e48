// The table lab: the link chart made editable, the table every combo then
// starts with, and its atlas worked out live. The longest, the shortest
// and the bounds come at once, one starter per task; then the exact count,
// in the page's own tasks for a small table, otherwise in Web Workers made
// from this very script (no second file: the page works from file://),
// with its exact progress and a Cancel. An edit stops the work still
// running and starts afresh.

import { readLab, setTable, tableFile, tableHalves } from './engine.js';
import { $, count, make, nextTask, setClass, setText } from './dom.js';

// An exact count of at most this many evaluation points, a unit or two
// (tens of milliseconds), runs in the page's own tasks, at once.
const kLivePoints = 1 << 17;
// The most workers, whatever the cores: a job has at most a few hundred
// units, and each worker compiles the engine for itself.
const kMostWorkers = 8;
const kTablesKey = 'combo-tables';
const kTablesMost = 20;  // tables kept, the newest

// The lab's part of the page's state.
export function noLab() {
  return {
    on: false,  // the Lab switch: the chart's cells are toggles
    game: 0n,  // the game's table (tableHalves)
    table: 0n,  // the table every combo starts with
    undo: [],  // the tables before each edit, the newest last
    redo: [],  // the tables undone, the newest undone last
    figures: null,  // the atlas of table, as far as known (readLab)
    work: 0,  // numbers the atlases worked out: a newer one stops an older
    // The exact count: {done, total} units while it runs, 'cancelled',
    // 'failed' (a worker failed), or null (none running: done, or not
    // begun). Work for a run that is no longer this one is dropped.
    count: null,
    workers: [],
    address: 0,  // where the engine keeps the atlas's figures (WebLab)
    message: '',  // a word on the last thing done in the lab
    drawn: null,  // what drawLab drew last
  };
}

function linkCount(table) {
  let n = 0;
  for (let bits = table; bits; bits &= bits - 1n) ++n;
  return n;
}

// "your table: 37 links", or the game's.
export function tableName(lab) {
  const n = linkCount(lab.table);
  const links = `${n} link${n === 1 ? '' : 's'}`;
  return lab.table === lab.game ? `the game's table: ${links}` :
      `your table: ${links}`;
}

// --- the exact count in Web Workers -------------------------------------------

// A worker's whole program, made into a worker from its own text: it
// compiles the engine from the bytes it is sent, starts the atlas of the
// table it is sent, and answers each unit it is given with its residue.
// It may use nothing from outside itself.
function countWorker() {
  let engine = null;
  onmessage = ({ data }) => {
    if (data.bytes) {
      const noFiles = new Proxy({}, { get: () => () => 8 });
      engine = new WebAssembly.Instance(new WebAssembly.Module(data.bytes),
          { env: noFiles, wasi_snapshot_preview1: noFiles }).exports;
      engine._initialize();
      engine.webLabStart(data.low, data.high);
    } else {
      postMessage({ unit: data.unit,
                    residue: engine.webLabUnit(data.unit) >>> 0 });
    }
  };
}

let workerUrl = null;

function newWorker() {
  workerUrl ??= URL.createObjectURL(new Blob([`(${countWorker})();`],
                                             { type: 'text/javascript' }));
  return new Worker(workerUrl);
}

function running(lab) {
  return lab.count !== null && typeof lab.count === 'object';
}

// Stops the exact count, if it runs: lab.count becomes why.
export function cancelCount(lab, why = null) {
  for (const worker of lab.workers) worker.terminate();
  lab.workers = [];
  if (running(lab)) lab.count = why;
}

// Joins the counts, once every unit is in.
function finishCount(state) {
  const { lab, engine } = state;
  engine.exports.webLabFinish();
  lab.figures = readLab(engine, lab.address);
  cancelCount(lab);
  lab.count = null;
}

// Takes the residue of one unit of the count run; returns whether that
// was the last, and the counts are known.
function addUnit(state, run, unit, residue) {
  state.engine.exports.webLabAdd(unit, residue);
  run.done += 1;
  if (run.done < run.total) return false;
  finishCount(state);
  return true;
}

// Runs the units of the exact count in workers, one unit at a time each,
// as many workers as the browser has cores.
function countInWorkers(state, run, draw) {
  const { lab } = state;
  const [low, high] = tableHalves(lab.table);
  const cores = navigator.hardwareConcurrency || 2;
  let next = 0;
  let drawing = false;
  for (let w = 0; w < Math.min(cores, kMostWorkers, run.total); ++w) {
    const worker = newWorker();
    worker.postMessage({ bytes: state.engineBytes, low, high });
    worker.onmessage = ({ data }) => {
      if (lab.count !== run) return;
      if (next < run.total) worker.postMessage({ unit: next++ });
      if (addUnit(state, run, data.unit, data.residue)) {
        draw();
      } else if (!drawing) {
        // Progress drawn once a frame, however fast the units come.
        drawing = true;
        requestAnimationFrame(() => {
          drawing = false;
          if (lab.count === run) draw();
        });
      }
    };
    worker.onerror = () => {
      if (lab.count !== run) return;
      cancelCount(lab, 'failed');
      draw();
    };
    worker.postMessage({ unit: next++ });
    lab.workers.push(worker);
  }
}

// Runs the units of a small exact count in the page, one task each.
async function countLive(state, run, draw) {
  const { lab, engine } = state;
  for (let unit = 0; unit < run.total; ++unit) {
    await nextTask();
    if (lab.count !== run) return;
    addUnit(state, run, unit, engine.exports.webLabUnit(unit) >>> 0);
  }
  draw();
}

// Starts the exact count of the table whose instant figures are known,
// afresh.
export function startCount(state, draw) {
  const { lab, engine } = state;
  cancelCount(lab);
  engine.exports.webLabRecount();
  const run = { done: 0, total: lab.figures.unitCount };
  lab.count = run;
  if (run.total === 0) {
    finishCount(state);
  } else if (lab.figures.pointCount <= kLivePoints) {
    countLive(state, run, draw);
  } else {
    try {
      countInWorkers(state, run, draw);
    } catch {
      // No workers here (a policy, an old browser): the page's own tasks.
      cancelCount(lab);
      lab.count = run;
      countLive(state, run, draw);
    }
  }
  draw();
}

// --- the atlas, on every edit ----------------------------------------------------

// Works out the atlas of the lab's table: each starter's lengths and
// bounds in a task of its own, drawn as they come; then the exact count.
export async function figureTable(state, draw) {
  const { lab, engine } = state;
  const id = ++lab.work;
  cancelCount(lab);
  lab.address = engine.exports.webLabStart(...tableHalves(lab.table));
  lab.figures = readLab(engine, lab.address);
  for (let r = 0; r < lab.figures.rows.length; ++r) {
    await nextTask();
    if (id !== lab.work) return;
    engine.exports.webLabRow(r);
    lab.figures = readLab(engine, lab.address);
    draw();
  }
  startCount(state, draw);
}

// --- drawing ----------------------------------------------------------------------

// A count as the atlas knows it: exact, or marked as an estimate with its
// proven lower bound.
function countText(row) {
  if (row.combos) return count(row.combos);
  if (!row.atLeast) return '…';
  const estimate = row.estimate >= 1e15 ? row.estimate.toExponential(2) :
      count(Math.round(row.estimate));
  return `≈ ${estimate} (at least ${count(row.atLeast)})`;
}

function lengthText({ low, high }) {
  return low === high ? String(low) : `${low} to ${high}`;
}

function progressText(lab) {
  const { count: c, figures } = lab;
  if (c === 'cancelled') return 'Exact count cancelled.';
  if (c === 'failed') {
    return 'The exact count could not run in this browser; the counts ' +
        'shown are estimates.';
  }
  if (c) {
    return `Counting exactly: ${count(c.done)} of ${count(c.total)} ` +
        `parts (${count(figures.pointCount)} points)`;
  }
  if (figures?.countsKnown) return 'Every count is exact.';
  return '';
}

// Draws the lab's switch, tools, table name, atlas and progress.
export function drawLab(state) {
  const { lab } = state;
  $('lab').checked = lab.on;
  $('lab-tools').hidden = !lab.on;
  $('lab-atlas').hidden = !lab.on;
  setText($('table-name'), tableName(lab));
  $('game-table').hidden = lab.table === lab.game;
  $('edit-undo').disabled = lab.undo.length === 0;
  $('edit-redo').disabled = lab.redo.length === 0;
  setText($('lab-message'), lab.message);
  if (!lab.on) return;
  const counting = running(lab);
  const progress = $('count-progress');
  progress.hidden = !counting;
  if (counting) {
    progress.max = lab.count.total;
    progress.value = lab.count.done;
  }
  $('count-cancel').hidden = !counting;
  $('count-again').hidden = typeof lab.count !== 'string';
  setText($('count-status'), progressText(lab));
  setText($('atlas').caption, `Every complete combo of ${lab.table ===
      lab.game ? 'the game\'s table' : 'your table'}, by starter`);
  const rows = lab.figures?.rows ?? [];
  const key = JSON.stringify(rows) + lab.figures?.rowsDone;
  if (lab.drawn === key) return;
  lab.drawn = key;
  $('atlas').tBodies[0].replaceChildren(...rows.map((row, r) => {
    const done = r < lab.figures.rowsDone || lab.figures.countsKnown;
    const cells = done ? [lengthText(row.shortest), lengthText(row.longest),
                          countText(row), row.example.join(',')] :
        ['…', '…', '…', ''];
    const tr = make('tr', {}, make('th', { scope: 'row',
                                           textContent: String(r + 1) }),
                    ...cells.map((text) => make('td', { textContent: text })));
    setClass(tr, done && !row.combos ? 'estimated' : '');
    return tr;
  }));
}

// --- kept tables and files -------------------------------------------------------

export function keptTables() {
  try {
    const kept = JSON.parse(localStorage.getItem(kTablesKey));
    return Array.isArray(kept) ? kept.filter((t) =>
      typeof t?.name === 'string' && typeof t?.table === 'string') : [];
  } catch {
    return [];
  }
}

export function keepTable(name, code) {
  const tables = keptTables().filter((t) => t.name !== name);
  tables.push({ name, table: code });
  try {
    localStorage.setItem(kTablesKey,
                         JSON.stringify(tables.slice(-kTablesMost)));
    return true;
  } catch {
    return false;
  }
}

// Offers the table as a file to download, in combo-atlas's format.
export function downloadTable(state) {
  const text = `# ${tableName(state.lab)}\n${tableFile(state.engine,
                                                       state.lab.table)}`;
  const a = make('a', {
    href: URL.createObjectURL(new Blob([text], { type: 'text/plain' })),
    download: 'combo.table',
  });
  a.click();
  setTimeout(() => URL.revokeObjectURL(a.href), 1000);
}

// Sets the table every combo starts with; the session starts afresh on it.
export function applyTable(state, table) {
  state.lab.table = table;
  setTable(state.engine, table);
}
