// Measures the web edition in Debian's Chromium: the page's size, how long
// it takes from navigation to the first prompt against an empty page, and
// the in-page time of one answer early and late in a long session.
//
// Usage: node bench/web.mjs [ROUNDS]   (bench/web.sh builds and calls this)
//
// Every figure that compares is a ratio of medians measured in this run,
// taking turns round by round, so a busy machine slows both sides alike.

import { statSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const root = fileURLToPath(new URL('../', import.meta.url));
const { chromium } = createRequire(path.join(root, 'web', 'package.json'))(
    'playwright-core');
const rounds = Number(process.argv[2] ?? 15);
const buildWeb = path.join(root, 'build-web');
const pageFile = path.join(buildWeb, 'combo.html');
const emptyFile = path.join(buildWeb, 'empty.html');
writeFileSync(emptyFile, '<!doctype html><title>empty</title><p>empty\n');

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = sorted.length >> 1;
  return sorted.length % 2 ? sorted[middle] :
      (sorted[middle - 1] + sorted[middle]) / 2;
}

const browser = await chromium.launch({
  executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
  args: ['--disable-gpu', '--no-first-run', '--disable-background-networking',
         '--disable-component-update', '--disable-sync'],
});

// Milliseconds from the start of navigation to the moment the page is
// ready: the page marks its first prompt on the screen ("combo-ready"); the
// empty page is ready at the end of its load event.
async function timeToReady(file) {
  const tab = await browser.newPage();
  await tab.goto(pathToFileURL(file).href);
  const ms = await tab.evaluate(async () => {
    const ready = () => performance.getEntriesByName('combo-ready')[0];
    const loaded = () => performance.getEntriesByType('navigation')[0];
    for (;;) {
      if (ready()) return ready().startTime;
      if (!document.querySelector('#screen') && loaded().loadEventEnd > 0) {
        return loaded().loadEventEnd;
      }
      await new Promise((resolve) => setTimeout(resolve, 5));
    }
  });
  await tab.close();
  return ms;
}

console.log(`page: ${statSync(pageFile).size} bytes, one file`);

const pageTimes = [];
const emptyTimes = [];
const startRatios = [];
for (let i = 0; i < rounds; ++i) {
  const p = await timeToReady(pageFile);
  const e = await timeToReady(emptyFile);
  pageTimes.push(p);
  emptyTimes.push(e);
  startRatios.push(p / e);
}
console.log(`navigation to first prompt: ${median(pageTimes).toFixed(1)} ms, ` +
            `empty page ${median(emptyTimes).toFixed(1)} ms: ratio ` +
            `${median(startRatios).toFixed(2)} (median of ${rounds} rounds)`);

// A long session that never ends: the same cycle of answers over and over
// (the longest combo, a closed link tried on the way, the replay answer 1),
// so that answer 100 and answer 2,000 meet the same states and only the
// session's length differs.
const cycle = ['1', '2', '1', '3', '1', '4', '2', '2', '3', '2', '5', '3',
               '0', '5', '4', '5', '8', '6', '2', '6', '6', '7', '6', '1'];
const answers = [];
while (answers.length < 2100) answers.push(...cycle);
// Two whole cycles around answer `at`.
function around(at) {
  const start = Math.floor(at / cycle.length) * cycle.length;
  return [start - cycle.length, start + cycle.length];
}

const page = await browser.newPage();
await page.goto(pathToFileURL(pageFile).href);
await page.waitForSelector('#answer:enabled');
// Each answer as Enter sends it, timed in the page until the new screen and
// chart have been laid out.
const times = await page.evaluate((typed) => {
  const field = document.getElementById('answer');
  const form = document.getElementById('answer-form');
  const screen = document.getElementById('screen');
  const taken = [];
  for (const answer of typed) {
    const start = performance.now();
    field.value = answer;
    form.requestSubmit();
    void screen.scrollHeight;
    void document.getElementById('chart').offsetHeight;
    taken.push(performance.now() - start);
  }
  return taken;
}, answers);
const early = median(times.slice(...around(100)));
const late = median(times.slice(...around(2000)));
console.log(`time per answer: ${early.toFixed(3)} ms at answer 100, ` +
            `${late.toFixed(3)} ms at answer 2,000: ratio ` +
            `${(late / early).toFixed(2)} (goal <= 1.5)`);
await browser.close();
