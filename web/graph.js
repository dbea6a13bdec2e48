// The route picture: every link of the game an arrow between the eight move
// kinds, air above and ground below, drawn as inline SVG from the engine's
// texts (where each move sits) and snapshot (the link marks, the answers,
// the chain). Built once for a table; after that only classes and the
// chain's numbered badges change. Each link has its own place for its
// badge, chosen for the first chain drawn so that no two badges overlap,
// nor a badge and a move: a combo uses each link once, so however long it
// is, its badges never cover each other.

import { $, make, setClass, setText } from './dom.js';

const svgNs = 'http://www.w3.org/2000/svg';
export const kWidth = 360;  // the picture's size, in its own units
export const kHeight = 212;
export const kNodeRadius = 18;
// The part of a node that a tap answers: 48 units across, 44 px or more
// wherever the picture is 330 px wide or more, as on a 360 px phone.
const kTapRadius = 24;
export const kBadgeRadius = 7.5;

function svg(name, attributes) {
  const el = document.createElementNS(svgNs, name);
  for (const key in attributes) el.setAttribute(key, attributes[key]);
  return el;
}

// Where a move sits: its hit reaction across, its group down.
export function place(texts, move) {
  const { group, reaction } = texts.moves[move - 1];
  return { x: 72 + 88 * reaction, y: 60 + 84 * group };
}

// A point of a Bézier curve (its control points, 3 or 4) at t.
function bezier(points, t) {
  let p = points;
  while (p.length > 1) {
    p = p.slice(1).map((b, i) => ({ x: p[i].x + t * (b.x - p[i].x),
                                    y: p[i].y + t * (b.y - p[i].y) }));
  }
  return p[0];
}

// The curve of the link from move k to move j: a loop for a link to
// itself; within a row an arc, the two directions on different ways;
// across the rows, bowed to the left of its way so that the two directions
// part. Returns its path and its control points.
function curve(texts, k, j) {
  const a = place(texts, k);
  const b = place(texts, j);
  const out = texts.moves[k - 1].group ? 1 : -1;  // away from the other row
  const at = (p) => `${Math.round(p.x)} ${Math.round(p.y)}`;
  if (k === j) {
    const y = a.y + out * kNodeRadius;
    const points = [{ x: a.x - 9, y }, { x: a.x - 26, y: y + out * 38 },
                    { x: a.x + 26, y: y + out * 38 }, { x: a.x + 9, y }];
    return { d: `M${at(points[0])} C${points.slice(1).map(at).join(' ')}`,
             points };
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
  return { d: `M${at(s)} Q${at(c)} ${at(e)}`, points: [s, c, e] };
}

// The place of each link's badge: along its curve, as near its middle as
// leaves it clear of every node and of the badges placed before it (their
// squares apart, not only their circles); off the curve, a little to
// either side, only where the whole curve is crowded.
function placeBadges(texts, arrows) {
  const nodes = texts.moves.map((_, i) => place(texts, i + 1));
  const placed = [];
  const clear = (p) => p.x >= kBadgeRadius && p.x <= kWidth - kBadgeRadius &&
      p.y >= kBadgeRadius && p.y <= kHeight - kBadgeRadius &&
      nodes.every((n) => Math.hypot(n.x - p.x, n.y - p.y) >=
                         kNodeRadius + kBadgeRadius + 1) &&
      placed.every((b) => Math.max(Math.abs(b.x - p.x), Math.abs(b.y - p.y)) >=
                          2 * kBadgeRadius + 2);
  for (const arrow of arrows) {
    const along = [0.5, 0.42, 0.58, 0.34, 0.66, 0.26, 0.74, 0.18, 0.82];
    let spot = along.map((t) => bezier(arrow.points, t)).find(clear);
    for (let off = 4; !spot && off < 60; off += 4) {
      const m = bezier(arrow.points, 0.5);
      spot = [{ x: m.x, y: m.y - off }, { x: m.x, y: m.y + off },
              { x: m.x - off, y: m.y }, { x: m.x + off, y: m.y }].find(clear);
    }
    arrow.badge = spot ?? bezier(arrow.points, 0.5);
    placed.push(arrow.badge);
  }
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
    const label = svg('text', { class: 'group', x: 4, y: 64 + 84 * g });
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
    arrows.push({ k, j, path, d: shape.d, points: shape.points });
  }));
  const steps = svg('g', {});
  const nodes = texts.moves.map(({ name, gloss }, i) => {
    const m = i + 1;
    const p = place(texts, m);
    const node = svg('g', { class: 'node', 'data-move': m });
    const title = svg('title', {});
    title.textContent = `${m} ${name} (${gloss})`;
    node.append(title, svg('rect', { class: 'tap', x: p.x - kTapRadius,
                                     y: p.y - kTapRadius,
                                     width: 2 * kTapRadius,
                                     height: 2 * kTapRadius }),
                svg('circle', { cx: p.x, cy: p.y, r: kNodeRadius }));
    const label = svg('text', { x: p.x, y: p.y + 5 });
    label.textContent = m;
    node.append(label);
    graph.append(node);
    return node;
  });
  graph.append(steps);
  $('graph').querySelector(':scope > g')?.remove();
  $('graph').append(graph);
  return { links: linksKey(links), arrows, steps, nodes, chain: null,
           badges: false };
}

// The link of step k of the chain (k from 1: from the starter to the
// first follow-up).
function stepArrow(drawn, chain, k) {
  return drawn.arrows.find((a) => a.k === chain[k - 1] && a.j === chain[k]);
}

// The step picked out, within the chain: 0 for none.
export function pickedStep(state) {
  return Math.min(state.step, Math.max(state.snapshot.chain.length - 1, 0));
}

// The picture of the snapshot: links used dashed, those that can follow
// now thick, the moves that a tap answers ringed (those the waiting prompt
// takes), the current move ringed, the chain numbered along its links, and
// the step picked out (state.step) thick with its badge ringed.
export function drawGraph(state) {
  const { answers, chain, current, links } = state.snapshot;
  let drawn = state.drawn.graph;
  if (!drawn || drawn.links !== linksKey(links)) {
    drawn = buildGraph(state);
    state.drawn.graph = drawn;
  }
  const picked = pickedStep(state) > 0 &&
      stepArrow(drawn, chain, pickedStep(state));
  for (const arrow of drawn.arrows) {
    const mark = links[arrow.k - 1][arrow.j - 1];
    setClass(arrow.path, 'link' + (mark === 'next' ? ' next' :
                                   mark === 'used' ? ' used' : '') +
             (arrow === picked ? ' picked' : ''));
  }
  const taps = new Set(answers.map((a) => a.move));
  drawn.nodes.forEach((node, i) => {
    setClass(node, 'node' + (i + 1 === current ? ' current' : '') +
             (taps.has(i + 1) ? ' listed' : ''));
  });
  const key = `${chain.join()} ${pickedStep(state)}`;
  if (key === drawn.chain) return;
  drawn.chain = key;
  // The badges' places are worked out at the first link of a chain, not
  // with the picture: a page's first prompt needs none of them.
  if (chain.length > 1 && !drawn.badges) {
    placeBadges(state.engine.texts, drawn.arrows);
    drawn.badges = true;
  }
  const badges = [];
  for (let i = 1; i < chain.length; ++i) {
    const { badge } = stepArrow(drawn, chain, i);
    const g = svg('g', { class: i === pickedStep(state) ? 'step picked' :
                                                          'step' });
    g.append(svg('circle', { cx: badge.x, cy: badge.y, r: kBadgeRadius }));
    const text = svg('text', { x: badge.x, y: badge.y + 3.5 });
    text.textContent = i;
    g.append(text);
    badges.push(g);
  }
  drawn.steps.replaceChildren(...badges);
}

// The route a step at a time: which step of the chain the picture picks
// out, its two moves named, and the buttons that step back and on.
export function drawSteps(state) {
  const { chain } = state.snapshot;
  const steps = chain.length - 1;
  const k = pickedStep(state);
  $('steps').hidden = steps < 1;
  if (steps < 1) return;
  const { moves } = state.engine.texts;
  const name = (m) => make('span', {}, `${m} `, make('span', {
    lang: 'ja', textContent: moves[m - 1].name }));
  const key = `${chain.join()} ${k}`;
  if (key !== state.drawn.steps) {
    state.drawn.steps = key;
    $('step-text').replaceChildren(...(k === 0 ?
        [`${steps} link${steps === 1 ? '' : 's'}, numbered on the ` +
         'picture: step through them.'] :
        [`Step ${k} of ${steps}: `, name(chain[k - 1]), ' → ',
         name(chain[k])]));
  }
  $('step-back').disabled = k <= 1;
  $('step-on').disabled = k >= steps;
  setText($('step-on'), k === 0 ? 'First step ▶' : 'Next ▶');
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
