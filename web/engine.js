// The engine, compiled to WebAssembly, as the page and its tests use it:
// loading it, its memory, decoding its texts, and the one reader of the
// plain structs it fills (WebTexts, read once; WebSnapshot, read once per
// change; WebLongest). web/combo_web.cpp declares them, field by field in
// the order read here.
//
// Nothing here decides anything: which answers a prompt takes, what a
// message says, how a number or a full-width digit is read all come from
// the engine.

const sjis = new TextDecoder('shift_jis');
const latin = new TextDecoder('latin1');
const encoder = new TextEncoder();

// What the dialogue waits for (WebWaiting), and the mark of a link
// (WebLinkMark), by the engine's numbers.
const kWaiting = ['ended', 'starter', 'next-move', 'replay'];
const kLinkMarks = ['none', 'open', 'used', 'next'];
// The 32-bit fields of a WebLineRun.
export const kLineRunFields = 6;

// A reader of the plain struct at address: each call reads the next field
// at its natural alignment, as C lays the fields out, and end() checks that
// the fields read make up the whole struct, whose size its first field
// gave. A field added on one side only fails there, at once.
function fieldsAt(engine, address) {
  const { view, heap } = engine;
  let at = address;
  const next = (size) => {
    at = Math.ceil(at / size) * size;
    at += size;
    return at - size;
  };
  const fields = {
    int: () => view.getInt32(next(4), true),
    double: () => view.getFloat64(next(8), true),
    pointer: () => view.getUint32(next(4), true),
    bytes: (n) => heap.subarray(at, (at += n)),
    list: (n, read) => Array.from({ length: n }, read),
    end: (alignment) => {
      at = Math.ceil(at / alignment) * alignment;
      if (at - address !== size) {
        throw new Error(`engine.js read ${at - address} bytes of a struct ` +
                        `of ${size}: combo_web.cpp and engine.js differ`);
      }
    },
  };
  const size = fields.int();
  return fields;
}

// The NUL-terminated text at pointer, decoded once: the engine's texts
// never change, so each is kept by its address.
function textAt(engine, pointer, decoder) {
  let text = engine.textCache.get(pointer);
  if (text === undefined) {
    const { heap } = engine;
    text = decoder.decode(heap.subarray(pointer, heap.indexOf(0, pointer)));
    engine.textCache.set(pointer, text);
  }
  return text;
}

// WebTexts: the move kinds, their groups, where the buffers are, and the
// sizes of the snapshot's arrays.
function readTexts(engine) {
  const f = fieldsAt(engine, engine.exports.webTexts());
  const moveCount = f.int();
  const moves = f.list(moveCount, () => ({
    name: textAt(engine, f.pointer(), sjis),
    gloss: textAt(engine, f.pointer(), latin),
    group: f.int(),
    reaction: f.int(),
  }));
  const groupCount = f.int();
  const groups = f.list(groupCount, () => ({
    name: textAt(engine, f.pointer(), sjis),
    gloss: textAt(engine, f.pointer(), latin),
  }));
  const texts = {
    moves,  // move k at k - 1: {name, gloss, group, reaction}
    groups,  // {name, gloss}
    lineMost: f.int(),  // the most bytes one line may have
    typed: f.pointer(),
    typedRoom: f.int(),
    englishLine: f.pointer(),
    englishRoom: f.int(),
    english: f.pointer(),
    output: f.pointer(),
    lineRuns: f.pointer(),
    queueLines: f.int(),
    snapshot: f.pointer(),
    chainSlots: f.int(),
    linkMarks: f.int(),
    answerSlots: f.int(),
    hintSlots: f.int(),
    summarySize: f.int(),
    exampleSlots: f.int(),
    gameTable: 0n,  // the game's table, as tableHalves reads a table
  };
  const gameLow = f.int() >>> 0;
  texts.gameTable = (BigInt(f.int() >>> 0) << 32n) | BigInt(gameLow);
  f.end(4);
  return texts;
}

// Loads the engine from the bytes of engine.wasm, at once: it is small
// enough to compile in a moment. It needs nothing from outside: its console
// is in memory, and the system calls it names for files are never made
// here; should one be, it fails as a bad file descriptor (WASI's error 8).
// Its memory never grows, so one view of it serves for good.
export function loadEngine(bytes) {
  const noFiles = new Proxy({}, { get: () => () => 8 });
  const instance = new WebAssembly.Instance(new WebAssembly.Module(bytes),
      { env: noFiles, wasi_snapshot_preview1: noFiles });
  const { exports } = instance;
  exports._initialize();
  const engine = {
    exports,
    heap: new Uint8Array(exports.memory.buffer),
    view: new DataView(exports.memory.buffer),
    textCache: new Map(),
    texts: null,
    lineRuns: null,
  };
  engine.texts = readTexts(engine);
  // WebLineRun, kLineRunFields 32-bit fields a line: read in place, as
  // runEach leaves them.
  engine.lineRuns = new Int32Array(exports.memory.buffer,
                                   engine.texts.lineRuns,
                                   kLineRunFields * engine.texts.queueLines);
  return engine;
}

// The fields of the last run, at the head of the snapshot.
function readRun(f, texts, engine) {
  const waiting = kWaiting[f.int()];
  const outputLength = f.int();
  return {
    waiting,
    // Its output, in the engine's memory: the next run writes over it.
    output: engine.heap.subarray(texts.output, texts.output + outputLength),
    comboBegan: f.int(),  // where the combo began in its input, or -1
    // Where the last answer it took began (before the white space in front
    // of it) and ended in its input, or -1: undo cuts the input there.
    takenAt: f.int(),
    takenEnd: f.int(),
    lastStarter: f.int(),  // the starter just used, 0 if none
  };
}

// Runs the dialogue on over the lines queued. Returns the run: whether the
// dialogue waits for the next line (going), what it waits for, its output,
// where in its input the current combo began and the last answer taken,
// and the starter just used.
export function runEngine(engine) {
  const going = engine.exports.webRun() === 1;
  const f = fieldsAt(engine, engine.texts.snapshot);
  return { going, ...readRun(f, engine.texts, engine) };
}

// Starts a new dialogue and runs it up to its first prompt: a new session,
// or, given the starter just used there, the combo where it began.
export function startEngine(engine, lastStarter = 0) {
  engine.exports.webStart(lastStarter);
  return runEngine(engine);
}

// Runs the lines queued each in a run of its own (webRunEach), and returns
// how many ran: all, or up to the one at which the dialogue ended. What line
// i did is engine.lineRuns[kLineRunFields * i ..]: the line breaks in its
// output, where in it the current combo began (-1 if it did not), 1 if the
// dialogue waits for the next line (else 0), where the answer it took began
// and ended (-1s if none), and the starter just used. Only the last line's
// output is kept.
export function runEach(engine) {
  return engine.exports.webRunEach();
}

// Queues bytes as one line for runEach. Returns false if the queue has no
// room for them: run it first.
export function queueForEach(engine, bytes) {
  const { exports, heap } = engine;
  if (bytes.length > exports.webLineRoom()) return false;
  if (bytes.length === 1) heap[exports.webLineBuffer()] = bytes[0];
  else heap.set(bytes, exports.webLineBuffer());
  exports.webQueueLine(bytes.length);
  return true;
}

// Queues bytes as one line, running what is queued first if it is full.
// Returns false if the line is longer than one run takes.
export function queueLine(engine, bytes) {
  if (queueForEach(engine, bytes)) return true;
  engine.exports.webRun();
  return queueForEach(engine, bytes);
}

// The length bytes put at WebTexts::typed, narrowed (narrowFullWidth:
// full-width digits, signs and spaces become ASCII): a view that the next
// call writes over, or null if they are more than a line may have.
function narrowed(engine, length) {
  const { exports, heap, texts } = engine;
  const n = exports.webNarrow(length);
  return n > texts.lineMost ? null : heap.subarray(texts.typed, texts.typed + n);
}

// A line as typed, read as the engine reads a phone's input method: its
// bytes, narrowed, or null if they are more than a line may have.
export function narrowTyped(engine, text) {
  const { heap, texts } = engine;
  const room = heap.subarray(texts.typed, texts.typed + texts.typedRoom);
  const { read, written } = encoder.encodeInto(text, room);
  return read < text.length ? null : narrowed(engine, written);
}

// The same for a line's bytes (UTF-8, or any bytes at all).
export function narrowBytes(engine, bytes) {
  const { heap, texts } = engine;
  if (bytes.length > texts.typedRoom) return null;
  heap.set(bytes, texts.typed);
  return narrowed(engine, bytes.length);
}

// Where the dialogue stands, as a plain object: the run's fields, then the
// chain, the link marks (links[k - 1][j - 1] for the link from k to j:
// 'none', 'open', 'used' or 'next'), the answers the waiting prompt takes,
// the hints, and at a complete combo the summary.
export function readSnapshot(engine) {
  const { texts } = engine;
  const f = fieldsAt(engine, engine.exports.webSnapshot());
  const run = readRun(f, texts, engine);
  const current = f.int();
  const chainLength = f.int();
  const chain = f.list(texts.chainSlots, () => f.int())
      .slice(0, chainLength);
  const marks = f.bytes(texts.linkMarks);
  const moves = texts.moves.length;
  const links = texts.moves.map((_, k) => Array.from(
      marks.subarray(k * moves, (k + 1) * moves), (mark) => kLinkMarks[mark]));
  const answers = f.list(texts.answerSlots, () => ({
    answer: f.int(),
    move: f.int(),  // the move it names, 0 if none: a tap on it answers it
    name: f.pointer(),
    gloss: f.pointer(),
  })).slice(0, f.int()).map((a) => ({
    ...a, name: textAt(engine, a.name, sjis), gloss: textAt(engine, a.gloss, latin),
  }));
  const hintCount = f.int();
  const hints = f.list(texts.hintSlots, () => ({
    combos: f.double(),
    next: f.int(),
    longest: f.int(),
    shortest: f.int(),
    endsCombo: f.int() === 1,
  })).slice(0, hintCount);
  const hintCombos = f.double();
  const hintBest = f.int();
  const estimated = f.int() === 1;
  const summaryLength = f.int();
  const line = f.bytes(texts.summarySize).slice(0, summaryLength);
  const longest = f.int();
  const combos = f.double();
  const example = f.list(texts.exampleSlots, () => f.int()).slice(0, longest);
  f.end(8);
  return {
    waiting: run.waiting,  // 'starter', 'next-move', 'replay' or 'ended'
    current,  // the current move, 0 before a starter
    chain,
    links,
    answers,  // {answer, move, name, gloss}, in the order to offer them
    // For each follow-up listed, {next, combos, longest, shortest,
    // endsCombo}; the complete combos still possible, their sum; and the
    // best follow-up, the one "Play the longest" takes (0 if none).
    hints,
    hintCombos,
    hintBest,
    // On a table too dense for exact figures at each answer: the counts
    // are estimates, and a longest the longest found.
    estimated,
    // At the replay prompt: the summary line, as bytes (Shift_JIS) and
    // decoded, and the figures for the starter (longest 0 when there is
    // none).
    summary: run.waiting !== 'replay' ? null : {
      bytes: line,
      line: sjis.decode(line),
      starter: { longest, combos, example },
    },
  };
}

// The longest way on from where the dialogue stands, the first of the
// longest: the moves to type, none where nothing can follow.
export function longestWay(engine) {
  const f = fieldsAt(engine, engine.exports.webLongest());
  const count = f.int();
  const moves = f.list(engine.texts.exampleSlots, () => f.int())
      .slice(0, count);
  f.end(4);
  return moves;
}

// --- the table lab ------------------------------------------------------------

// A table as the page holds it: a BigInt of 64 bits, bit (k - 1) * 8 +
// (j - 1) set for a link from move k to move j; the engine takes it in two
// 32-bit halves, the low one first.
export function tableHalves(table) {
  return [Number(table & 0xffffffffn) | 0, Number(table >> 32n) | 0];
}

// The table whose links the snapshot's marks show.
export function tableOfMarks(links) {
  let table = 0n;
  links.forEach((row, k) => row.forEach((mark, j) => {
    if (mark !== 'none') table |= 1n << BigInt(k * 8 + j);
  }));
  return table;
}

// Sets the table every combo starts with from the next session on.
export function setTable(engine, table) {
  engine.exports.webSetTable(...tableHalves(table));
}

// The atlas of table as far as it is known (WebLab): for each starter, the
// fewest and the most moves as {low, high} (exact where they are equal),
// the first longest, the estimate of the count and a proven lower bound on
// it (decimal text), and the exact count once known (else ''); with the
// work of the exact count, in units and in evaluation points.
export function readLab(engine, address) {
  const f = fieldsAt(engine, address);
  const rowCount = f.int();
  const rowsDone = f.int();
  const countsKnown = f.int() === 1;
  const unitCount = f.int();
  const pointCount = f.double();
  const text = (n) => {
    const bytes = f.bytes(n);
    return latin.decode(bytes.subarray(0, bytes.indexOf(0)));
  };
  const rows = f.list(8, () => {
    const first = f.int();
    const shortest = { low: f.int(), high: f.int() };
    const longest = { low: f.int(), high: f.int() };
    const example = f.list(engine.texts.exampleSlots, () => f.int())
        .slice(0, longest.low);
    return { first, shortest, longest, example, estimate: f.double(),
             atLeast: text(80), combos: text(80) };
  }).slice(0, rowCount);
  f.end(8);
  return { rows, rowsDone, countsKnown, unitCount, pointCount };
}

// Where a table file's bytes and name go, and what the last read found
// (WebTableText).
function tableText(engine) {
  const f = fieldsAt(engine, engine.exports.webTableText());
  const io = {
    text: f.pointer(), textRoom: f.int(), name: f.pointer(),
    nameRoom: f.int(), message: f.pointer(), low: f.int() >>> 0,
    high: f.int() >>> 0,
  };
  f.end(4);
  return io;
}

// The table file of table, as combo-atlas --print-table writes one.
export function tableFile(engine, table) {
  const { text } = tableText(engine);
  const n = engine.exports.webWriteTable(...tableHalves(table));
  return latin.decode(engine.heap.subarray(text, text + n));
}

// Reads the bytes of a table file named name as combo-atlas --table reads
// one: {table}, or {error} with the line combo-atlas writes for it. Bytes
// past the most a file may hold are not passed on: the engine refuses the
// file at the first of them.
export function readTableFile(engine, name, bytes) {
  const { heap, exports } = engine;
  const io = tableText(engine);
  const n = Math.min(bytes.length, io.textRoom);
  heap.set(bytes.subarray(0, n), io.text);
  const { written } = encoder.encodeInto(name,
      heap.subarray(io.name, io.name + io.nameRoom));
  const read = exports.webReadTable(written, n) === 1;
  const { low, high, message } = tableText(engine);
  return read ? { table: (BigInt(high) << 32n) | BigInt(low) } :
      { error: latin.decode(heap.subarray(message, heap.indexOf(0, message))) };
}

// The English of one line of output (toEnglish), a part at a time where it
// is longer than the engine takes at once: each part ends where the engine
// stopped reading, never inside a text or a character.
export function english(engine, bytes) {
  const { exports, heap, texts } = engine;
  let text = '';
  let at = 0;
  do {
    const length = Math.min(bytes.length - at, texts.englishRoom);
    heap.set(bytes.subarray(at, at + length), texts.englishLine);
    const goesOn = at + length < bytes.length;
    const n = exports.webEnglish(length, goesOn ? 1 : 0, at === 0 ? 1 : 0);
    text += latin.decode(heap.subarray(texts.english, texts.english + n));
    at += exports.webEnglishRead();
  } while (at < bytes.length);
  return text;
}

// The dialogue's bytes, Shift_JIS, as text.
export function decodeOutput(bytes) {
  return sjis.decode(bytes);
}
