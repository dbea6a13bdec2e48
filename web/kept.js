// What the browser keeps for the next visit, in its storage
// (localStorage): the English and Hints switches, and the combos the
// player finished, with the longest from each starter. Where there is no
// storage, or it is full, nothing is kept and the page works as before.

const kChoicesKey = 'combo-choices';
const kHistoryKey = 'combo-history';
const kHistoryMost = 50;  // the newest combos finished, kept
// A chain as kept: its moves, joined by commas.
const kChain = /^[1-8](,[1-8])*$/;

function read(key) {
  try {
    return JSON.parse(localStorage.getItem(key));
  } catch {
    return null;  // no storage, or what it holds is not ours
  }
}

function write(key, value) {
  try {
    localStorage.setItem(key, JSON.stringify(value));
  } catch {
    // No storage, or it is full: nothing is kept.
  }
}

// No combos finished: the history of a first visit, or cleared.
export function noHistory() {
  return { combos: [], best: {} };
}

// The switches as they were left: {english, hints}, English off and hints
// on by default.
export function keptChoices() {
  const kept = read(kChoicesKey);
  return { english: kept?.english === true, hints: kept?.hints !== false };
}

export function keepChoices(state) {
  write(kChoicesKey, { english: state.english, hints: state.hints });
}

// The history as kept, with anything in it that is not a chain left out.
export function keptHistory() {
  const kept = read(kHistoryKey);
  const history = noHistory();
  if (Array.isArray(kept?.combos)) {
    history.combos = kept.combos.filter((c) => kChain.test(c));
  }
  for (const [starter, chain] of Object.entries(kept?.best ?? {})) {
    if (kChain.test(chain) && chain[0] === starter) {
      history.best[starter] = chain;
    }
  }
  return history;
}

// Adds the combo chain, finished (its moves, the starter first), to the
// history, the newest kHistoryMost kept, and as the longest from its
// starter if none kept is as long; then keeps the history. With chain null
// it only keeps the history as it stands.
export function keepFinished(state, chain) {
  if (chain) {
    const { combos, best } = state.history;
    const text = chain.join();
    combos.push(text);
    if (combos.length > kHistoryMost) combos.shift();
    const kept = best[chain[0]];
    if (!kept || kept.split(',').length < chain.length) best[chain[0]] = text;
  }
  write(kHistoryKey, state.history);
}
