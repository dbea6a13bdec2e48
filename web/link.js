// The link to a session: the answers in the address's fragment, written
// once answers pause and when the page is hidden; kept for a reload; shared;
// and opened, its answers run through the engine in slices with the page
// answering input between them.

import { narrowTyped } from './engine.js';
import { count } from './dom.js';
import {
  kScreenLines, newSession, runAnswer, takeSnapshot,
} from './session.js';

const kLinkAnswers = 100000;  // a link opens with at most this many answers
const kSliceMs = 20;  // the longest stretch of work between frames
const kFragmentDelay = 300;  // ms after the last answer, the URL is written
const kSavedKey = 'combo-session';

// The fragment's bytes are ASCII, read as they are.
const fragmentText = new TextDecoder('latin1');

// The answers as a URL fragment, from their bytes: each percent-encoded as
// encodeURIComponent does, joined by commas.
const kUnreserved = new Uint8Array(128);
for (const c of "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_.!~*'()") {
  kUnreserved[c.charCodeAt(0)] = 1;
}
const kHex = new TextEncoder().encode('0123456789ABCDEF');

export function fragment(state) {
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

// Writes the answers into the address now. history.replaceState takes time
// in proportion to the URL, which grows with the session: it is written
// once answers pause (scheduleFragment), and when the page is hidden.
export function writeFragment(state) {
  clearTimeout(state.fragmentTimer);
  state.written = fragment(state);
  const hash = state.written ? `#${state.written}` : '';
  if (hash === location.hash) return;
  const url = new URL(location.href);
  url.hash = hash;
  history.replaceState(null, '', hash ? url.href : url.href.replace(/#$/, ''));
}

export function scheduleFragment(state) {
  clearTimeout(state.fragmentTimer);
  state.fragmentTimer = setTimeout(() => writeFragment(state), kFragmentDelay);
}

// As the page goes away: the answers, against the URL that a reload opens,
// the one before the page began to go (writing it now would not change
// what a reload opens). What the URL has not got yet, a reload finds here.
export function saveForReload(state) {
  if (state.opening || state.saved) return;
  state.saved = true;
  try {
    sessionStorage.setItem(kSavedKey, JSON.stringify({
      url: location.href, fragment: fragment(state) }));
  } catch {
    // No storage: the URL is all there is.
  }
}

// The fragment to open: what was saved before a reload of this very URL,
// else the URL's own. Storage is read only after a reload or a step back:
// its first use costs time in proportion to the URL.
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
  if (saved && saved.url === location.href) return saved.fragment;
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

// Yields to the browser (input, drawing) and goes on in a task of its own.
function nextTask() {
  return new Promise((resolve) => {
    const channel = new MessageChannel();
    channel.port1.onmessage = () => {
      channel.port1.close();
      resolve();
    };
    channel.port2.postMessage(0);
  });
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

// Opens the session of a link: its answers run through the engine in
// slices of at most kSliceMs, with its progress drawn between them (draw),
// and the whole drawn once at the end. Beyond kLinkAnswers answers, or at
// an answer too long for a line, it keeps what came before and says so.
// A link opened meanwhile stops this one.
export async function openLink(state, link, draw) {
  const id = ++state.openings;
  newSession(state);
  state.written = link;
  const total = answersIn(link, kLinkAnswers + 1);
  state.opening = { done: 0, total, shown: false };
  // Only the answers whose output the screen may show are kept.
  const firstKept = Math.min(total, kLinkAnswers) - kScreenLines - 1;
  let refused = '';
  let at = 0;
  // A link's answers in tasks of their own, after the page's start.
  if (total > 0) await nextTask();
  if (id !== state.openings) return;
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
      const bytes = narrowTyped(state.engine, part);
      if (bytes === null ||
          runAnswer(state, bytes, state.count >= firstKept) === null) {
        refused = `Answer ${count(state.count + 1)} of this link is ` +
            `longer than the ${count(state.engine.texts.lineMost)} ` +
            'characters an answer may have.';
        break;
      }
      at = next + 1;
    } while (state.count < total && !state.ended &&
             (state.count % 16 || performance.now() < end));
    if (state.count < total && !state.ended && refused === '') {
      state.opening = { done: state.count, total, shown: true };
      draw();
      await nextTask();
      if (id !== state.openings) return;
    }
  }
  // The screen drawn in a task of its own, the URL later in another.
  if (total > 0) await nextTask();
  if (id !== state.openings) return;
  state.opening = null;
  takeSnapshot(state);
  if (refused) {
    state.notice = `${refused} The first ${count(state.count)} were kept, ` +
        'and the link now holds those.';
  }
  draw();
  scheduleFragment(state);
}
