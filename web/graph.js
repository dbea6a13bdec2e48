// The route picture: every link of the game an arrow between the eight move
// kinds, air above and ground below, drawn as inline SVG from the engine's
// texts (where each move sits) and snapshot (the link marks, the answers,
// the chain). Built once; after that only classes and the chain's numbered
// badges change.

import { $, setClass } from './dom.js';

const svgNs = 'http://www.w3.org/2000/svg';
const kNodeRadius = 14;

function svg(name, attributes) {
  const el = document.createElementNS(svgNs, name);
  for (const key in attributes) el.setAttribute(key, attributes[key]);
  return el;
}

// Where a move sits: its hit reaction across, its group down.
function place(texts, move) {
  const { group, reaction } = texts.moves[move - 1];
  return { x: 72 + 88 * reaction, y: 62 + 78 * group };
}

// The curve of the link from move k to move j: a loop for a link to
// itself; within a row an arc, the two directions on different ways;
// across the rows, bowed to the left of its way so that the two directions
// part. Returns its path and midpoint.
function curve(texts, k, j) {
  const a = place(texts, k);
  const b = place(texts, j);
  const out = texts.moves[k - 1].group ? 1 : -1;  // away from the other row
  if (k === j) {
    const y = a.y + out * kNodeRadius;
    return {
      d: `M${a.x - 8} ${y} C${a.x - 24} ${y + out * 36} ${a.x + 24} ` +
         `${y + out * 36} ${a.x + 8} ${y}`,
      mid: { x: a.x, y: y + out * 27 },
    };
  }
  let c;
  if (a.y === b.y) {
    // Back to a neighbour bows towards the other row; any other link,
    // higher the farther it goes, away from it.
    const span = Math.abs(b.x - a.x) / 88;
    const lift = j > k ? 20 * span : span === 1 ? -18 : 20 * span + 14;
    c = { x: (a.x + b.x) / 2, y: a.y + out * lift };
  } else {
    const dx = b.x - a.x;
    const dy = b.y - a.y;
    const length = Math.hypot(dx, dy);
    c = { x: (a.x + b.x) / 2 + 14 * dy / length,
          y: (a.y + b.y) / 2 - 14 * dx / length };
  }
  const edge = (p, r) => {
    const d = Math.hypot(c.x - p.x, c.y - p.y);
    return { x: p.x + r * (c.x - p.x) / d, y: p.y + r * (c.y - p.y) / d };
  };
  const s = edge(a, kNodeRadius);
  const e = edge(b, kNodeRadius + 1);
  const at = (p) => `${Math.round(p.x)} ${Math.round(p.y)}`;
  return {
    d: `M${at(s)} Q${at(c)} ${at(e)}`,
    mid: { x: (s.x + 2 * c.x + e.x) / 4, y: (s.y + 2 * c.y + e.y) / 4 },
  };
}

// The links that exist, as the snapshot marks them: a key that changes
// only when the table does.
function linksKey(links) {
  return links.map((row) => row.map((mark) => (mark === 'none' ? 0 : 1))
      .join('')).join();
}

// Builds the picture: the groups named, an arrow for every link, a node for
// every move. Returns what drawGraph changes afterwards.
function buildGraph(state) {
  const { texts } = state.engine;
  const { links } = state.snapshot;
  const graph = svg('g', {});
  texts.groups.forEach(({ name, gloss }, g) => {
    const label = svg('text', { class: 'group', x: 4, y: 66 + 78 * g });
    const ja = svg('tspan', { x: 4 });
    ja.setAttribute('lang', 'ja');
    ja.textContent = name;
    const en = svg('tspan', { x: 4, dy: 13 });
    en.textContent = gloss;
    label.append(ja, en);
    graph.append(label);
  });
  const arrows = [];
  links.forEach((row, from) => row.forEach((mark, to) => {
    if (mark === 'none') return;
    const [k, j] = [from + 1, to + 1];
    const shape = curve(texts, k, j);
    const path = svg('path', { class: 'link', d: shape.d,
                               'data-from': k, 'data-to': j });
    graph.append(path);
    arrows.push({ k, j, path, mid: shape.mid });
  }));
  const steps = svg('g', {});
  graph.append(steps);
  const nodes = texts.moves.map(({ name, gloss }, i) => {
    const m = i + 1;
    const p = place(texts, m);
    const node = svg('g', { class: 'node', 'data-move': m });
    const title = svg('title', {});
    title.textContent = `${m} ${name} (${gloss})`;
    node.append(title, svg('circle', { cx: p.x, cy: p.y, r: kNodeRadius }));
    const label = svg('text', { x: p.x, y: p.y + 4.5 });
    label.textContent = m;
    node.append(label);
    graph.append(node);
    return node;
  });
  $('graph').querySelector(':scope > g')?.remove();
  $('graph').append(graph);
  return { links: linksKey(links), arrows, steps, nodes, chain: null };
}

// The picture of the snapshot: links used dashed, those that can follow
// now thick, the moves that a tap answers ringed (those the waiting prompt
// takes), the current move ringed, the chain numbered along its links.
export function drawGraph(state) {
  const { answers, chain, current, links } = state.snapshot;
  let drawn = state.drawn.graph;
  if (!drawn || drawn.links !== linksKey(links)) {
    drawn = buildGraph(state);
    state.drawn.graph = drawn;
  }
  for (const { k, j, path } of drawn.arrows) {
    const mark = links[k - 1][j - 1];
    setClass(path, mark === 'next' ? 'link next' :
                   mark === 'used' ? 'link used' : 'link');
  }
  const taps = new Set(answers.map((a) => a.move));
  drawn.nodes.forEach((node, i) => {
    setClass(node, 'node' + (i + 1 === current ? ' current' : '') +
             (taps.has(i + 1) ? ' listed' : ''));
  });
  const key = chain.join();
  if (key === drawn.chain) return;
  drawn.chain = key;
  const badges = [];
  for (let i = 1; i < chain.length; ++i) {
    const arrow = drawn.arrows.find((a) => a.k === chain[i - 1] &&
                                           a.j === chain[i]);
    const badge = svg('g', { class: 'step' });
    badge.append(svg('circle', { cx: arrow.mid.x, cy: arrow.mid.y, r: 6.5 }));
    const text = svg('text', { x: arrow.mid.x, y: arrow.mid.y + 3 });
    text.textContent = i;
    badge.append(text);
    badges.push(badge);
  }
  drawn.steps.replaceChildren(...badges);
}

// The answer that a tap on a node gives: the one the waiting prompt takes
// that names its move, if any.
export function answerOfNode(state, target) {
  const node = target.closest('.node');
  if (!node) return null;
  const move = Number(node.dataset.move);
  const taken = state.snapshot.answers.find((a) => a.move === move);
  return taken ? String(taken.answer) : null;
}
