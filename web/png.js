// The route as a picture to share: the route picture with the combo's
// moves named and its length, drawn on a canvas from the picture's own
// shapes (graph.js) and saved as a PNG, all in the page, offline.

import { make } from './dom.js';
import {
  kBadgeRadius, kHeight, kNodeRadius, kWidth, place,
} from './graph.js';

const kScale = 2;  // pixels per unit of the picture
const kMargin = 12;  // units around the caption
const kLineHeight = 15;
// Light colours, whatever the page's: the picture is for others to see.
const kColours = {
  ground: '#ffffff', ink: '#1d1d1f', muted: '#595959', faint: '#c4c1b8',
  chain: '#1c4fbf', onChain: '#ffffff', starter: '#fff1b8',
};

// The words of text, in lines no wider than width on ctx.
function wrap(ctx, text, width) {
  const lines = [''];
  for (const word of text.split(' ')) {
    const line = lines[lines.length - 1];
    const longer = line ? `${line} ${word}` : word;
    if (line && ctx.measureText(longer).width > width) {
      lines.push(word);
    } else {
      lines[lines.length - 1] = longer;
    }
  }
  return lines;
}

// An arrowhead at the end of a curve, pointing the way its last control
// point leads.
function tip(ctx, points) {
  const end = points[points.length - 1];
  const from = points[points.length - 2];
  const angle = Math.atan2(end.y - from.y, end.x - from.x);
  ctx.beginPath();
  for (const [r, a] of [[0, 0], [6, 2.6], [6, -2.6]]) {
    ctx.lineTo(end.x - r * Math.cos(angle) + a * Math.sin(angle),
               end.y - r * Math.sin(angle) - a * Math.cos(angle));
  }
  ctx.fill();
}

// The links, those of the chain in its colour; the moves, the starter
// filled; the chain's badges.
function drawPicture(ctx, state) {
  const { texts } = state.engine;
  const { chain } = state.snapshot;
  const { arrows } = state.drawn.graph;
  const font = getComputedStyle(document.body).fontFamily;
  const route = new Set(chain.slice(1).map((m, i) => `${chain[i]}>${m}`));
  for (const arrow of arrows) {
    const on = route.has(`${arrow.k}>${arrow.j}`);
    ctx.strokeStyle = ctx.fillStyle = on ? kColours.chain : kColours.faint;
    ctx.lineWidth = on ? 2.4 : 1;
    ctx.stroke(new Path2D(arrow.d));
    tip(ctx, arrow.points);
  }
  ctx.textAlign = 'center';
  texts.moves.forEach((_, i) => {
    const { x, y } = place(texts, i + 1);
    ctx.beginPath();
    ctx.arc(x, y, kNodeRadius, 0, 2 * Math.PI);
    ctx.fillStyle = i + 1 === chain[0] ? kColours.starter : kColours.ground;
    ctx.fill();
    ctx.strokeStyle = kColours.ink;
    ctx.lineWidth = 1.5;
    ctx.stroke();
    ctx.fillStyle = kColours.ink;
    ctx.font = `700 13px ${font}`;
    ctx.fillText(String(i + 1), x, y + 5);
  });
  ctx.font = `700 9px ${font}`;
  for (let k = 1; k < chain.length; ++k) {
    const { badge } = arrows.find((a) => a.k === chain[k - 1] &&
                                         a.j === chain[k]);
    ctx.beginPath();
    ctx.arc(badge.x, badge.y, kBadgeRadius, 0, 2 * Math.PI);
    ctx.fillStyle = kColours.chain;
    ctx.fill();
    ctx.fillStyle = kColours.onChain;
    ctx.fillText(String(k), badge.x, badge.y + 3.5);
  }
  ctx.textAlign = 'left';
  ctx.fillStyle = kColours.muted;
  ctx.font = `11px ${font}`;
  texts.groups.forEach(({ name, gloss }, g) => {
    ctx.fillText(name, 4, 64 + 84 * g);
    ctx.fillText(gloss, 4, 77 + 84 * g);
  });
}

// Draws the combo's picture on a canvas: its length and its moves by name
// above, the picture under them.
export function routeCanvas(state) {
  const { chain } = state.snapshot;
  const { moves } = state.engine.texts;
  const canvas = document.createElement('canvas');
  const ctx = canvas.getContext('2d');
  const font = getComputedStyle(document.body).fontFamily;
  ctx.font = `11px ${font}`;
  const route = chain.map((m) => `${m} ${moves[m - 1].name}`).join(' → ');
  const lines = wrap(ctx, route, kWidth - 2 * kMargin);
  const top = kMargin + kLineHeight * (lines.length + 1);
  canvas.width = kWidth * kScale;
  canvas.height = (top + kHeight) * kScale;
  ctx.scale(kScale, kScale);
  ctx.fillStyle = kColours.ground;
  ctx.fillRect(0, 0, kWidth, top + kHeight);
  ctx.fillStyle = kColours.ink;
  ctx.font = `700 13px ${font}`;
  ctx.fillText(`combo: ${chain.length} move${chain.length === 1 ? '' : 's'}`,
               kMargin, kMargin + 11);
  ctx.font = `11px ${font}`;
  lines.forEach((line, i) => {
    ctx.fillText(line, kMargin, kMargin + 11 + kLineHeight * (i + 1));
  });
  ctx.translate(0, top);
  drawPicture(ctx, state);
  return canvas;
}

// Saves the combo's picture as a PNG, named after its moves.
export function savePng(state) {
  routeCanvas(state).toBlob((blob) => {
    const link = make('a', {
      href: URL.createObjectURL(blob),
      download: `combo-${state.snapshot.chain.join('-')}.png`,
    });
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 1000);
  }, 'image/png');
}
