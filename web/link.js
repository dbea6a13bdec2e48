// The link to a session: the answers in the address's fragment, in one of
// two forms; written where the player may need it; kept for a reload;
// shared; and opened, its answers run through the engine in slices with
// the page answering input between them.
//
// The two forms (web/README.md has them in full):
//   - plain, as the page has always written it: each answer's bytes
//     percent-encoded as encodeURIComponent does, joined by commas, as in
//     #8,1,7%206. The page writes it while it is short (kPlainMost), so that
//     a short link reads, and is edited, by hand.
//   - compact: ':' and sections, each a letter and its characters, of the
//     64 of base64url. The answers are section 'a': four bits for an answer
//     that is one digit, as most are, any other line escaped with its
//     bytes; a third of the plain form, or less. Section 't', first, is
//     the table of links where it is not the game's: its 64 bits (see
//     tableHalves in engine.js), the highest first, in 11 characters.
//
// history.replaceState takes time in proportion to the address (0.3 to
// 3 ms a kilobyte on a busy 2-core machine), so the address is written only
// where it is needed: once answers pause, at most every kWriteEveryMs, while
// it is short (kInViewMost); and whatever its length when the page loses
// the focus (to the address bar, say), is hidden, or shares it. A reload
// finds what the address has not got yet in the session's storage.

import { narrowBytes, narrowTyped, setTable } from './engine.js';
import { count, nextTask } from './dom.js';
import {
  kScreenLines, newSession, runAnswer, runAnswers, takeSnapshot,
} from './session.js';

const kLinkAnswers = 100000;  // a link opens with at most this many answers
const kSliceMs = 20;  // the longest stretch of work between frames
const kBatch = 2048;  // answers run in one step into the engine, at most
const kPauseMs = 300;  // the address is written once answers pause so long
const kWriteEveryMs = 2000;  // and no more often than this while answering
const kPlainMost = 100;  // characters of the plain form, at most
const kInViewMost = 8192;  // characters written while answering, at most
const kSavedKey = 'combo-session';
// A reload this soon after the address was written may reload the address
// before: the browser may not have taken the write in yet.
const kJustWrittenMs = 1000;

// The fragment's characters are ASCII, written as bytes.
const fragmentText = new TextDecoder('latin1');

// Each ASCII character as a line of its own: the bytes of the most common
// answers, made once.
const kByte = Array.from({ length: 128 }, (_, c) => Uint8Array.of(c));

// --- the plain form -----------------------------------------------------------

// The bytes that encodeURIComponent leaves as they are; the first 64 are
// the digits of the compact form.
const kUnreservedText =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_.!~*'()";
const kUnreserved = new Uint8Array(128);
for (const c of kUnreservedText) kUnreserved[c.charCodeAt(0)] = 1;
const kHex = new TextEncoder().encode('0123456789ABCDEF');

// The answers, each percent-encoded as encodeURIComponent does, joined by
// commas.
function plainFragment(state) {
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
  return fragmentText.decode(out.subarray(0, n));
}

// The answers of a plain link, one at a time, as the engine reads them:
// each percent-decoded as decodeURIComponent does, or taken as it is where
// that fails.
function plainAnswers(engine, link) {
  let at = link === '' ? 1 : 0;
  const source = {
    form: 'plain',
    failure: null,
    // How many answers it holds, counted up to most.
    count: (most) => {
      let n = link === '' ? 0 : 1;
      for (let i = link.indexOf(','); i >= 0 && n < most;
           i = link.indexOf(',', i + 1)) {
        ++n;
      }
      return n;
    },
    next: () => {
      if (at > link.length) return null;
      let end = link.indexOf(',', at);
      if (end < 0) end = link.length;
      const from = at;
      at = end + 1;
      const c = link.charCodeAt(from);
      if (end - from === 1 && c < 128) return kByte[c];
      let part = link.slice(from, end);
      try {
        part = decodeURIComponent(part);
      } catch {
        // A stray % stays as it is.
      }
      const bytes = narrowTyped(engine, part);
      if (bytes === null) source.failure = 'long';
      return bytes;
    },
  };
  return source;
}

// --- the compact form ---------------------------------------------------------

// The 64 characters of base64url, each 6 bits, the first the highest.
const kDigits = kUnreservedText.slice(0, 64);
const kDigitCodes = new TextEncoder().encode(kDigits);
const kDigitValues = new Int8Array(128).fill(-1);
for (let i = 0; i < 64; ++i) kDigitValues[kDigits.charCodeAt(i)] = i;

// The answers are read 4 bits at a time: 0 to 9 the line of that digit
// alone; kEscape any other line, then its length, 3 bits at a time, the
// lowest first, each with 8 added where more follow, then its bytes, 4 bits
// at a time, the high ones first; kFiller, last, where the characters hold
// 4 bits more than the answers fill. The other values are kept.
const kEscape = 10;
const kFiller = 15;

function compactFragment(state) {
  const { typed, ends } = state;
  // An answer takes at most 6 groups of 4 bits, and 2 more a byte.
  const out = new Uint8Array(
      3 + Math.ceil((6 * state.count + 2 * state.typedLength) * 2 / 3));
  out[0] = 58;  // ':'
  out[1] = 97;  // 'a', the answers
  let n = 2;
  let held = 0;
  let bits = 0;
  const put = (four) => {
    held = (held << 4) | four;
    bits += 4;
    if (bits >= 6) {
      bits -= 6;
      out[n++] = kDigitCodes[held >> bits];
      held &= (1 << bits) - 1;
    }
  };
  let start = 0;
  for (let a = 0; a < state.count; ++a) {
    const end = ends[a];
    const first = typed[start];
    if (end - start === 1 && first >= 48 && first <= 57) {
      put(first - 48);
    } else {
      put(kEscape);
      let rest = end - start;
      for (; rest > 7; rest >>= 3) put(8 | (rest & 7));
      put(rest);
      for (let i = start; i < end; ++i) {
        put(typed[i] >> 4);
        put(typed[i] & 15);
      }
    }
    start = end;
  }
  if (bits === 2) put(kFiller);
  if (bits === 4) out[n++] = kDigitCodes[held << 2];
  return fragmentText.decode(out.subarray(0, n));
}

// A table of links in the 11 characters of section 't': its 64 bits and
// two zero bits after them, 6 to a character, the highest first.
export function tableCode(table) {
  let code = '';
  for (let shift = 58n; shift >= -2n; shift -= 6n) {
    const value = shift >= 0n ? table >> shift : table << -shift;
    code += kDigits[Number(value & 63n)];
  }
  return code;
}

// The table of a section 't', or null if it is not one.
export function tableOfCode(code) {
  if (code.length !== 11) return null;
  let value = 0n;
  for (const c of code) {
    const digit = kDigitValues[c.charCodeAt(0) & 127];
    if (c.charCodeAt(0) > 127 || digit < 0) return null;
    value = (value << 6n) | BigInt(digit);
  }
  return (value & 3n) === 0n ? value >> 2n : null;
}

// The 4-bit groups of the characters of a compact section, and whether
// they are all of the 64 (clean): the groups end before one that is not.
function groupsOf(text) {
  const groups = new Uint8Array(Math.ceil(text.length * 3 / 2));
  let n = 0;
  let held = 0;
  let bits = 0;
  for (let i = 0; i < text.length; ++i) {
    const c = text.charCodeAt(i);
    const value = c < 128 ? kDigitValues[c] : -1;
    if (value < 0) return { groups: groups.subarray(0, n), clean: false };
    held = ((held << 6) | value) & 1023;
    for (bits += 6; bits >= 4; bits -= 4) groups[n++] = (held >> (bits - 4)) & 15;
  }
  return { groups: groups.subarray(0, n), clean: true };
}

// The answers of a compact section, one at a time, as the engine reads them
// (narrowed); with no engine, each escaped line as it is, for counting.
function compactAnswers(engine, { groups, clean }) {
  let at = 0;
  let line = new Uint8Array(64);
  const fail = (why) => {
    source.failure = why;
    return null;
  };
  const source = {
    form: 'compact',
    failure: null,
    count: (most) => {
      const counting = compactAnswers(null, { groups, clean });
      let n = 0;
      while (n < most && counting.next() !== null) ++n;
      return n;
    },
    next: () => {
      if (at === groups.length) return clean ? null : fail('damaged');
      const group = groups[at++];
      if (group <= 9) return kByte[48 + group];
      if (group === kFiller && at === groups.length && clean) return null;
      if (group !== kEscape) return fail('damaged');
      let length = 0;
      for (let shift = 0, more = 8; more; shift += 3) {
        if (at === groups.length || shift > 15) return fail('damaged');
        more = groups[at] & 8;
        length |= (groups[at++] & 7) << shift;
      }
      if (at + 2 * length > groups.length) return fail('damaged');
      if (line.length < length) line = new Uint8Array(length);
      for (let i = 0; i < length; ++i, at += 2) {
        line[i] = (groups[at] << 4) | groups[at + 1];
      }
      if (!engine) return line;
      return narrowBytes(engine, line.subarray(0, length)) ?? fail('long');
    },
  };
  return source;
}

// The answers of a link in either form, and its table (null for the
// game's). A compact link with a section the page does not know opens
// nothing: its answers might mean other moves.
function linkAnswers(engine, link) {
  // The sources note their failure on themselves: a table is added to them,
  // never a copy made.
  if (!link.startsWith(':')) {
    return Object.assign(plainAnswers(engine, link), { table: null });
  }
  let answers = '';
  let table = null;
  const refused = (failure, part) => ({ form: 'compact', failure, part,
                                        table: null, count: () => 0,
                                        next: () => null });
  for (const [i, section] of link.slice(1).split(':').entries()) {
    if (section[0] === 't' && i === 0) {
      table = tableOfCode(section.slice(1));
      if (table === null) return refused('damaged', 't');
    } else if (section[0] === 'a') {
      answers = section.slice(1);
    } else {
      return refused(section ? 'unknown' : 'damaged', section.slice(0, 1));
    }
  }
  return Object.assign(compactAnswers(engine, groupsOf(answers)), { table });
}

// --- writing the address --------------------------------------------------

// The session's fragment, without its '#': in the form asked for, else the
// plain one while it has at most kPlainMost characters, else the shorter,
// which is the compact one but for answers of long words; none for no
// answers.
export function fragment(state, form = '') {
  const { table, game } = state.lab;
  if (table !== game) {
    return `:t${tableCode(table)}${state.count ? compactFragment(state) : ''}`;
  }
  if (state.count === 0) return '';
  if (form === 'compact') return compactFragment(state);
  // The plain form has at least a character a byte, and the commas.
  const plainLeast = state.typedLength + state.count - 1;
  let compact = null;
  if (form === '' && plainLeast > kPlainMost) {
    compact = compactFragment(state);
    if (compact.length <= plainLeast) return compact;
  }
  const plain = plainFragment(state);
  if (form === 'plain' || plain.length <= kPlainMost) return plain;
  compact ??= compactFragment(state);
  return compact.length < plain.length ? compact : plain;
}

// Writes the session into the address now, if the address does not hold it
// yet: the fragment in its form (see fragment), none for an empty session.
// Not while a link opens: the address holds that link.
export function writeFragment(state, form = '') {
  clearTimeout(state.fragmentTimer);
  state.fragmentTimer = 0;
  if (state.opening || !state.unwritten) return;
  writeAddress(state, fragment(state, form));
}

function writeAddress(state, text) {
  state.unwritten = false;
  state.written = text;
  const hash = text ? `#${text}` : '';
  if (hash === location.hash) return;
  state.writtenOver = location.href;
  history.replaceState(null, '', hash || location.pathname + location.search);
  state.writtenAt = performance.now();
}

// After a change to the session: the address is written once answers
// pause, no sooner than kWriteEveryMs after it was last written, and only
// while it is short; a longer one waits until the page loses the focus or
// is hidden (writeFragment then).
export function scheduleFragment(state) {
  state.unwritten = true;
  clearTimeout(state.fragmentTimer);
  state.fragmentTimer = 0;
  // Each answer takes at least 4 bits of the compact form.
  if (2 + 2 * state.count / 3 > kInViewMost) return;
  const wait = Math.max(kPauseMs,
                        state.writtenAt + kWriteEveryMs - performance.now());
  state.fragmentTimer = setTimeout(() => {
    state.fragmentTimer = 0;
    if (state.opening || !state.unwritten) return;
    const text = fragment(state);
    if (text.length <= kInViewMost) writeAddress(state, text);
  }, wait);
}

// As the page goes away: the answers the address has not got yet, against
// the URL that a reload opens, the one before the page began to go (writing
// it now would not change what a reload opens). Those it has just got too,
// against the address before as well: a reload in that moment may reload
// that one.
export function saveForReload(state) {
  if (state.opening || state.saved) return;
  state.saved = true;
  const justWritten = performance.now() - state.writtenAt < kJustWrittenMs;
  try {
    if (state.unwritten || justWritten) {
      sessionStorage.setItem(kSavedKey, JSON.stringify({
        urls: justWritten ? [location.href, state.writtenOver] :
            [location.href],
        fragment: state.unwritten ? fragment(state) : state.written }));
    } else {
      sessionStorage.removeItem(kSavedKey);
    }
  } catch {
    // No storage: the URL is all there is.
  }
}

// The fragment to open: what was saved before a reload of this very URL
// (or of the one before it was just written), else the URL's own. Storage
// is read only after a reload or a step back: its first use costs time in
// proportion to the URL.
export function fragmentToOpen() {
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
  if (saved?.urls?.includes(location.href)) return saved.fragment;
  return location.hash.slice(1);
}

// Copies the link to the session (and opens the share sheet where the
// browser has one); says how, through draw.
export async function share(state, draw) {
  writeFragment(state);
  const url = location.href;
  let copied = false;
  try {
    await navigator.clipboard.writeText(url);
    copied = true;
  } catch {
    // No clipboard here: the address bar has the link.
  }
  state.notice = copied ? 'The link to this session is copied.' :
      'The link to this session is in the address bar.';
  draw();
  if (navigator.share) {
    try {
      await navigator.share({ title: document.title, url });
    } catch {
      // The player closed the share sheet.
    }
  }
}

// --- opening a link ---------------------------------------------------------

// "the first 3 were kept", or that none were, and what the link holds now.
function keptWords(n) {
  return n === 0 ? 'None were kept, and the link now holds none.' :
      `The first ${count(n)} were kept, and the link now holds those.`;
}

// What the player is told where a link opened with fewer answers than it
// holds, or not at all; '' where it opened whole.
function openingWords(state, source, total) {
  const kept = state.count;
  if (source.failure === 'unknown') {
    return `This link has a part (“${source.part}”) that this page cannot ` +
        'read: a new session starts instead.';
  }
  if (state.ended) {
    const all = total > kLinkAnswers ? source.count(Infinity) : total;
    if (all === kept) return '';
    const left = all - kept;
    return `The session of this link ends at answer ${count(kept)}, where ` +
        `0 stops it: the ${count(left)} answer${left === 1 ? '' : 's'} ` +
        `after it were left out, and the link now holds the first ` +
        `${count(kept)}.`;
  }
  if (source.failure === 'long') {
    return `Answer ${count(kept + 1)} of this link is longer than the ` +
        `${count(state.engine.texts.lineMost)} characters an answer may ` +
        `have. ${keptWords(kept)}`;
  }
  if (source.failure === 'damaged') {
    return `This link is damaged ${kept ? `after answer ${count(kept)}` :
        'from its start'}. ${keptWords(kept)}`;
  }
  if (kept === kLinkAnswers && total > kLinkAnswers) {
    return `This link holds ${count(source.count(Infinity))} answers; a ` +
        `link opens with at most ${count(kLinkAnswers)}. ${keptWords(kept)}`;
  }
  return '';
}

// Opens the session of a link: its answers run through the engine in
// slices of at most kSliceMs, thousands to a step into the engine but for
// those whose output the screen may show, with its progress drawn between
// them (draw), and the whole drawn once at the end. The address keeps the
// link as it was given; where the page could not run all of it (past
// kLinkAnswers answers, at an answer too long for a line, where it is
// damaged, after the end of the session) it says so, and the address then
// holds what ran, in the link's own form. A link opened meanwhile stops
// this one.
export async function openLink(state, link, draw) {
  const id = ++state.openings;
  const source = linkAnswers(state.engine, link);
  state.lab.table = source.table ?? state.lab.game;
  setTable(state.engine, state.lab.table);
  newSession(state);
  state.written = link;
  // From storage, after a reload, a link the address has not got yet.
  state.unwritten = link !== location.hash.slice(1);
  const { next } = source;
  const total = source.count(kLinkAnswers + 1);
  const most = Math.min(total, kLinkAnswers);
  state.opening = { done: 0, total, shown: false };
  // Only the answers whose output the screen may show are kept.
  const firstKept = most - kScreenLines - 1;
  const going = () => state.count < most && !state.ended &&
      source.failure === null;
  // A link's answers in tasks of their own, after the page's start.
  if (total > 0) await nextTask();
  if (id !== state.openings) return;
  let stuck = false;
  while (going() && !stuck) {
    const end = performance.now() + kSliceMs;
    do {
      if (state.count < firstKept) {
        stuck = runAnswers(state, next,
                           Math.min(kBatch, firstKept - state.count)) === 0;
      } else {
        const bytes = next();
        stuck = bytes === null || runAnswer(state, bytes) === null;
      }
    } while (going() && !stuck && performance.now() < end);
    if (going() && !stuck) {
      state.opening = { done: state.count, total, shown: true };
      draw();
      await nextTask();
      if (id !== state.openings) return;
    }
  }
  // Past the answers counted, a damaged end shows.
  if (state.count === total && !state.ended) next();
  // The screen drawn in a task of its own, the address later in another.
  if (total > 0) await nextTask();
  if (id !== state.openings) return;
  state.opening = null;
  takeSnapshot(state);
  state.notice = openingWords(state, source, total);
  draw();
  if (state.notice && source.failure !== 'unknown') {
    await nextTask();
    if (id !== state.openings) return;
    state.unwritten = true;
    writeFragment(state, source.form);
  } else if (state.unwritten) {
    scheduleFragment(state);
  }
}
