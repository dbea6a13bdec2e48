// Measures the web edition in Debian's Chromium:
//   - the page's size;
//   - from navigation to the first prompt, against an empty page's load;
//   - the address: its length in each form for a long session, and what
//     history.replaceState costs as the address grows;
//   - opening a link, per answer, at 2,000 and at 40,000 answers, and a
//     link of 40,000 answers against an empty page's load of the same
//     address, in each form;
//   - the longest task while links open: at the limit of 100,000 answers in
//     each form, and a 1 MB link over it;
//   - the longest task while a player answers, in a fresh session and in
//     one of 100,000 answers;
//   - the in-page cost of one answer at answers 100, 2,000 and 30,000 of one
//     combo kept going with refused answers;
//   - the JavaScript heap and the DOM nodes after 5,000 and 50,000 answers.
//
//   - the table lab: from an edit to its exact lengths and bounds, the
//     longest task meanwhile, the exact count in the page's workers against
//     combo-atlas --table on the same table, and how soon Cancel stops it.
//
// Usage: node bench/web.mjs [ROUNDS [lab|prompt]]   (bench/web.sh builds and
// calls this; with lab, only the page, its first prompt and the lab; with
// prompt, only the page and its first prompt)
//
// Every figure that compares is a ratio of medians measured in this run,
// taking turns round by round where the two sides are separate pages, so a
// busy machine slows both sides alike. Goals are reported, not enforced.

import { execFileSync } from 'node:child_process';
import { statSync, writeFileSync } from 'node:fs';
import { cpus } from 'node:os';
import { createRequire } from 'node:module';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

import { fragment } from '../web/link.js';

const root = fileURLToPath(new URL('../', import.meta.url));
const { chromium } = createRequire(path.join(root, 'web', 'package.json'))(
    'playwright-core');
const rounds = Number(process.argv[2] ?? 15);
// 'lab' for the page, its first prompt and the table lab alone; 'prompt'
// for the page and its first prompt alone.
const only = process.argv[3] ?? '';
const buildWeb = path.join(root, 'build-web');
const pageFile = path.join(buildWeb, 'combo.html');
const pageUrl = pathToFileURL(pageFile).href;
const emptyFile = path.join(buildWeb, 'empty.html');
writeFileSync(emptyFile, '<!doctype html><title>empty</title><p>empty\n');

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = sorted.length >> 1;
  return sorted.length % 2 ? sorted[middle] :
      (sorted[middle - 1] + sorted[middle]) / 2;
}

const ms = (x) => `${x.toFixed(1)} ms`;
const goal = (met) => (met ? 'met' : 'NOT met');

const browser = await chromium.launch({
  executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
  args: ['--disable-gpu', '--no-first-run', '--disable-background-networking',
         '--disable-component-update', '--disable-sync',
         '--enable-precise-memory-info'],
});

// Milliseconds from the start of navigation to the moment the page is
// ready: the page marks that its script runs ("combo-ready"), after it has
// opened the link it was given; the empty page is ready at the end of its
// load event.
async function timeToReady(url, tab) {
  const own = !tab;
  tab ??= await browser.newPage();
  await tab.goto(url);
  const ready = await tab.evaluate(async () => {
    const mark = () => performance.getEntriesByName('combo-ready')[0];
    const loaded = () => performance.getEntriesByType('navigation')[0];
    for (;;) {
      if (mark()) return mark().startTime;
      if (!document.querySelector('#screen') && loaded().loadEventEnd > 0) {
        return loaded().loadEventEnd;
      }
      await new Promise((resolve) => setTimeout(resolve, 5));
    }
  });
  if (own) await tab.close();
  return ready;
}

// Milliseconds from the start of navigation to the first prompt on the
// screen: the page's first contentful paint, or, if its prompt (the
// screen's first line; the empty page's paragraph) was not yet in the page
// then, the first frame it is in, at the start of that frame (sooner than
// it is shown: in the page's favour). Both pages alike.
async function timeToPrompt(url) {
  const tab = await browser.newPage();
  await tab.addInitScript(() => {
    const look = () => {
      const prompt = document.getElementById('screen') ?
          document.querySelector('#screen span') : document.querySelector('p');
      if (prompt) {
        performance.mark('prompt-in-frame');
      } else {
        requestAnimationFrame(look);
      }
    };
    requestAnimationFrame(look);
  });
  await tab.goto(url);
  await tab.waitForFunction(() =>
    performance.getEntriesByName('prompt-in-frame').length > 0 &&
        performance.getEntriesByName('first-contentful-paint').length > 0);
  const shown = await tab.evaluate(() => Math.max(
      performance.getEntriesByName('prompt-in-frame')[0].startTime,
      performance.getEntriesByName('first-contentful-paint')[0].startTime));
  await tab.close();
  return shown;
}

// Answers that keep one combo going: the starter 8, then the air float, 1,
// which never follows it, refused again and again.
function refused(n) {
  return ['8', ...Array(n - 1).fill('1')];
}

// Answers that never stop the session: long and short combos, refusals,
// words, replay answers other than 0.
const cycle = ['1', '2', '1', '3', '1', '4', '2', '2', '3', '2', '5', '3',
               '0', '5', '4', '5', '8', '6', '2', '6', '6', '7', '6', 'x',
               '9', '1'];
function session(n) {
  const answers = [];
  while (answers.length < n) answers.push(...cycle);
  return answers.slice(0, n);
}

// The address of a session, in the plain form (#8,1,7) or in the compact
// one, as the page writes it (web/link.js).
const linkOf = (answers) => `${pageUrl}#${answers.join(',')}`;
function compactOf(answers) {
  const lines = answers.map((a) => new TextEncoder().encode(a));
  const typed = new Uint8Array(lines.reduce((n, line) => n + line.length, 0));
  const ends = new Uint32Array(lines.length);
  let at = 0;
  lines.forEach((line, i) => {
    typed.set(line, at);
    at += line.length;
    ends[i] = at;
  });
  // On the game's table: the address holds no table.
  return `${pageUrl}#${fragment({ typed, ends, count: lines.length,
                                  typedLength: at,
                                  lab: { table: 0n, game: 0n } },
                                'compact')}`;
}
// The same address on the empty page.
const emptyOf = (link) => pathToFileURL(emptyFile).href +
    link.slice(link.indexOf('#'));

// --- the page and its first prompt ------------------------------------------

console.log(`page: ${statSync(pageFile).size} bytes, one file ` +
            '(goal at most 80,000)');

// The first prompt on the screen, against the empty page's paragraph; and
// the page's script running (the answers, the picture, the chart and every
// control there), against the empty page's load.
{
  const times = { page: [], empty: [], ready: [], loaded: [] };
  const ratios = { prompt: [], ready: [] };
  const emptyUrl = pathToFileURL(emptyFile).href;
  for (let i = 0; i < rounds; ++i) {
    times.page.push(await timeToPrompt(pageUrl));
    times.empty.push(await timeToPrompt(emptyUrl));
    times.ready.push(await timeToReady(pageUrl));
    times.loaded.push(await timeToReady(emptyUrl));
    ratios.prompt.push(times.page.at(-1) / times.empty.at(-1));
    ratios.ready.push(times.ready.at(-1) / times.loaded.at(-1));
  }
  const ratio = median(ratios.prompt);
  console.log(`navigation to first prompt on the screen: ` +
              `${ms(median(times.page))}, empty page ` +
              `${ms(median(times.empty))}: ratio ${ratio.toFixed(2)} ` +
              `(median of ${rounds} rounds; goal at most 2: ` +
              `${goal(ratio <= 2)})`);
  console.log(`navigation to the page's script running: ` +
              `${ms(median(times.ready))}, empty page loaded ` +
              `${ms(median(times.loaded))}: ratio ` +
              `${median(ratios.ready).toFixed(2)}`);
}

// --- the address ------------------------------------------------------------

// The length of the address of a session of 100,000 answers in each form;
// and history.replaceState timed in the page for addresses of 10, 100 and
// 200 KB, each the median of 5 writes, a task apart.
if (!only) {
  const answers = session(100000);
  const plain = linkOf(answers).split('#')[1].length;
  const compact = compactOf(answers).split('#')[1].length;
  console.log(`the address of 100,000 answers: ${plain.toLocaleString('en')} ` +
              `characters plain, ${compact.toLocaleString('en')} compact ` +
              `(ratio ${(compact / plain).toFixed(2)})`);
  const tab = await browser.newPage();
  await tab.goto(pathToFileURL(emptyFile).href);
  const costs = await tab.evaluate(async () => {
    const out = [];
    for (const kb of [10, 100, 200]) {
      const times = [];
      for (let i = 0; i < 5; ++i) {
        const hash = `#${String(i).repeat(kb * 1000)}`;
        const start = performance.now();
        history.replaceState(null, '', hash);
        times.push(performance.now() - start);
        await new Promise((resolve) => setTimeout(resolve, 20));
      }
      out.push([kb, times.sort((a, b) => a - b)[2]]);
    }
    return out;
  });
  await tab.close();
  console.log(`history.replaceState: ${costs.map(([kb, t]) =>
      `${ms(t)} at ${kb} KB`).join(', ')} (${(costs[2][1] / 200).toFixed(2)} ` +
      'ms a KB at 200 KB)');
}

// --- opening links ------------------------------------------------------------

if (!only) {
  const sizes = [2000, 40000];
  const perAnswer = new Map(sizes.map((n) => [n, []]));
  const ready = new Map(sizes.map((n) => [n, []]));
  const linkRounds = Math.max(3, Math.ceil(rounds / 3));
  for (let i = 0; i < linkRounds; ++i) {
    const bare = await timeToReady(pageUrl);
    for (const n of sizes) {
      const t = await timeToReady(linkOf(session(n)));
      ready.get(n).push(t);
      perAnswer.get(n).push((t - bare) / n);
    }
  }
  const small = median(perAnswer.get(2000));
  const large = median(perAnswer.get(40000));
  const whole = median(ready.get(40000));
  console.log(`opening a link, per answer (the page's own start taken ` +
              `away): ${(1000 * small).toFixed(1)} us at 2,000 answers, ` +
              `${(1000 * large).toFixed(1)} us at 40,000: ratio ` +
              `${(large / small).toFixed(2)} (median of ${linkRounds} rounds)`);
  console.log(`  40,000 answers ready ${ms(whole)} after navigation ` +
              `(goal at most 1 s: ${goal(whole <= 1000)})`);
}

// A link of 40,000 answers ready, against an empty page's load of the same
// address (its fragment on the empty page), in each form, taking turns.
if (!only) {
  const answers = session(40000);
  const linkRounds = Math.max(3, Math.ceil(rounds / 3));
  for (const [form, link] of [['plain', linkOf(answers)],
                              ['compact', compactOf(answers)]]) {
    const ratios = [];
    const pageTimes = [];
    const emptyTimes = [];
    for (let i = 0; i < linkRounds; ++i) {
      const e = await timeToReady(emptyOf(link));
      const p = await timeToReady(link);
      pageTimes.push(p);
      emptyTimes.push(e);
      ratios.push(p / e);
    }
    const ratio = median(ratios);
    console.log(`  40,000 answers, ${form} (${(link.split('#')[1].length / 1000)
        .toFixed(0)} KB): ready ${ms(median(pageTimes))}, the empty page ` +
                `${ms(median(emptyTimes))}: ratio ${ratio.toFixed(2)} (goal at ` +
                `most 4: ${goal(ratio <= 4)}; median of ${linkRounds} rounds)`);
  }
}

// The longest task on the page's main thread while a link opens, from
// Chromium's own trace, from the page's own script on (its loader) until a
// second after the page is ready (the address is written by then where
// the page writes it); before it, Chromium commits the navigation, which
// no page can cut short, and parses the page, in the same task: of that
// task, only the page's first script (in its head) counts. Three rounds,
// for the median, and the worst.
async function linkTasks(link) {
  const readyTimes = [];
  const longest = [];
  const commits = [];
  for (let i = 0; i < 3; ++i) {
    const tab = await browser.newPage();
    await tab.goto(pathToFileURL(emptyFile).href);
    await browser.startTracing(tab, { categories: ['toplevel', 'navigation',
                                                   'devtools.timeline'] });
    readyTimes.push(await timeToReady(link, tab));
    await new Promise((resolve) => setTimeout(resolve, 1000));
    const trace = JSON.parse((await browser.stopTracing()).toString());
    const events = trace.traceEvents ?? trace;
    // The page's main thread: the one that ran its scripts, the first in
    // its head, then its loader.
    const [head, script] = events.filter((e) => e.name === 'EvaluateScript' &&
        String(e.args?.data?.url).includes('combo.html'))
        .sort((a, b) => a.ts - b.ts);
    const tasks = events.filter((e) => e.ph === 'X' && e.pid === script.pid &&
                                       e.tid === script.tid &&
                                       /RunTask$/.test(e.name));
    const taskOf = (e) => tasks.find((t) => t.ts <= e.ts &&
                                            e.ts <= t.ts + t.dur) ?? e;
    const commit = events.find((e) => /CommitNavigation$/.test(e.name) &&
                                      e.pid === script.pid &&
                                      e.tid === script.tid);
    const own = tasks.filter((e) => e.ts >= taskOf(script).ts);
    longest.push(Math.max(head.dur, ...own.map((e) => e.dur)) / 1000);
    if (commit) commits.push(taskOf(commit).dur / 1000);
    await tab.close();
  }
  return { ready: median(readyTimes), longest: median(longest),
           worst: Math.max(...longest), commit: median(commits) };
}

if (!only) {
  const limit = refused(100000);
  const over = refused(Math.floor(1e6 / 2));
  // The goal holds up to the limit; past it, the page writes the address
  // anew, as long as the 100,000 answers it kept.
  const links = [
    ['no link, for comparison: the page\'s own start', `${pageUrl}#`, ''],
    ['100,000 answers, compact', compactOf(limit), ''],
    ['100,000 answers, plain', linkOf(limit), ''],
    [`a 1 MB link of ${over.length.toLocaleString('en')} answers, plain`,
     linkOf(over), ', past the limit: 100,000 kept, and the address written'],
  ];
  for (const [name, link, past] of links) {
    const { ready, longest, worst, commit } = await linkTasks(link);
    const size = link.split('#')[1].length;
    console.log(`${name}, ${(size / 1000).toFixed(0)} KB: ready ${ms(ready)}; ` +
                `the page's longest task ${ms(longest)}, at worst ` +
                `${ms(worst)} (goal at most 100 ms${past}: ` +
                `${goal(longest <= 100)}; median of 3 rounds)`);
    console.log(`  before it, Chromium's own commit of the navigation took ` +
                `${ms(commit)}`);
  }
}

// --- a player answering -------------------------------------------------------

// The longest task (PerformanceObserver's longtask: those of 50 ms or more)
// while a player answers 20 times, 250 ms apart, and pauses 2.5 s, in a
// fresh session and in one opened from a link of 100,000 answers; and how
// often the address was written meanwhile.
if (!only) {
  const starts = [['a fresh session', pageUrl],
                  ['a session of 100,000 answers', compactOf(session(100000))]];
  for (const [name, url] of starts) {
    const worst = [];
    const writes = [];
    for (let i = 0; i < 3; ++i) {
      const tab = await browser.newPage();
      await tab.goto(url);
      await tab.waitForSelector('#answer:enabled', { timeout: 60000 });
      await tab.evaluate(() => {
        window.longest = 0;
        window.writes = 0;
        new PerformanceObserver((list) => {
          for (const e of list.getEntries()) {
            window.longest = Math.max(window.longest, e.duration);
          }
        }).observe({ type: 'longtask' });
        const replace = history.replaceState.bind(history);
        history.replaceState = (...args) => {
          window.writes += 1;
          return replace(...args);
        };
      });
      for (const answer of session(20)) {
        await tab.locator('#answer').fill(answer);
        await tab.keyboard.press('Enter');
        await new Promise((resolve) => setTimeout(resolve, 250));
      }
      await new Promise((resolve) => setTimeout(resolve, 2500));
      const seen = await tab.evaluate(() => [window.longest, window.writes]);
      worst.push(seen[0]);
      writes.push(seen[1]);
      await tab.close();
    }
    const most = Math.max(...worst);
    console.log(`answering in ${name}: the longest task ` +
                `${most ? ms(most) : 'under 50 ms'} (goal at most 100 ms: ` +
                `${goal(most <= 100)}; the worst of 3 rounds); the address ` +
                `written ${writes.join(', ')} times`);
  }
}

// --- one answer after another ---------------------------------------------------

// Each answer as Enter sends it, timed in the page until the new screen,
// chart and picture have been laid out; three sessions, for the median.
if (!only) {
  const answers = refused(30100);
  const rounds = [];
  for (let i = 0; i < 3; ++i) {
    const tab = await browser.newPage();
    await tab.goto(pageUrl);
    await tab.waitForSelector('#answer:enabled');
    // When each answer was done; the clock is coarse (0.1 ms), so an
    // answer's cost is taken over the 100 answers around it.
    rounds.push(await tab.evaluate((typed) => {
      const field = document.getElementById('answer');
      const form = document.getElementById('answer-form');
      const times = [performance.now()];
      for (const answer of typed) {
        field.value = answer;
        form.requestSubmit();
        void document.getElementById('screen').scrollHeight;
        void document.getElementById('chart').offsetHeight;
        void document.getElementById('graph').getBBox();
        times.push(performance.now());
      }
      return times;
    }, answers));
    await tab.close();
  }
  const at = (n) => median(rounds.map((done) =>
      (done[n + 50] - done[n - 50]) / 100));
  const [a100, a2000, a30000] = [at(100), at(2000), at(30000)];
  console.log(`time per answer in one combo: ${a100.toFixed(3)} ms at answer ` +
              `100, ${a2000.toFixed(3)} ms at 2,000, ${a30000.toFixed(3)} ms ` +
              'at 30,000 (each over the 100 answers around it, median of 3 ' +
              'sessions)');
  console.log(`  ratios: ${(a2000 / a100).toFixed(2)} at 2,000 (goal at most ` +
              `1.2: ${goal(a2000 / a100 <= 1.2)}), ` +
              `${(a30000 / a100).toFixed(2)} at 30,000 (goal at most 1.5: ` +
              `${goal(a30000 / a100 <= 1.5)})`);
}

// --- memory -----------------------------------------------------------------------

// After the answers of a link: the JavaScript heap once collected (V8's own
// objects, and the array buffers: the engine's memory and the page's
// records) and the DOM nodes, from the DevTools protocol.
async function memoryAfter(n) {
  const tab = await browser.newPage();
  await tab.goto(linkOf(session(n)));
  await tab.waitForSelector('#answer:enabled', { timeout: 60000 });
  const cdp = await tab.context().newCDPSession(tab);
  await cdp.send('HeapProfiler.collectGarbage');
  const heap = await cdp.send('Runtime.getHeapUsage');
  const { nodes } = await cdp.send('Memory.getDOMCounters');
  await tab.close();
  return { heap: heap.usedSize + (heap.backingStorageSize ?? 0), nodes };
}

if (!only) {
  const few = [];
  const many = [];
  for (let i = 0; i < 3; ++i) {
    few.push(await memoryAfter(5000));
    many.push(await memoryAfter(50000));
  }
  const heap5 = median(few.map((m) => m.heap));
  const heap50 = median(many.map((m) => m.heap));
  const nodes5 = median(few.map((m) => m.nodes));
  const nodes50 = median(many.map((m) => m.nodes));
  const mb = (b) => `${(b / 1048576).toFixed(2)} MiB`;
  console.log(`after 5,000 answers: heap ${mb(heap5)}, ${nodes5} DOM nodes; ` +
              `after 50,000: heap ${mb(heap50)}, ${nodes50} DOM nodes`);
  console.log(`  ratios: heap ${(heap50 / heap5).toFixed(2)}, DOM nodes ` +
              `${(nodes50 / nodes5).toFixed(2)} (goal at most 2: ` +
              `${goal(heap50 / heap5 <= 2 && nodes50 / nodes5 <= 2)})`);
}

// --- the table lab ------------------------------------------------------------

// Rows of a table: row k lists the moves that may follow k.
const kFull = [1, 2, 3, 4, 5, 6, 7, 8];
const labTables = [
  ['the game\'s and 8 -> 8, 32 links', { 8: [6, 7, 8] }],
  ['rows 1 to 5 full, 40 links', Object.fromEntries(
      [1, 2, 3, 4, 5].map((k) => [k, kFull]))],
  ['every link, 64', Object.fromEntries(kFull.map((k) => [k, kFull]))],
];

// In a page with the lab on: sets the table as an upload of its file
// would, and measures until every starter's lengths and bounds show, and
// the longest task meanwhile.
async function timeEdit(tab, text) {
  return tab.evaluate(async (fileText) => {
    const tasks = [];
    const observer = new PerformanceObserver((list) => {
      for (const e of list.getEntries()) tasks.push(e.duration);
    });
    observer.observe({ type: 'longtask' });
    const input = document.querySelector('#upload-table');
    const files = new DataTransfer();
    files.items.add(new File([fileText], 'bench.table'));
    const start = performance.now();
    input.files = files.files;
    input.dispatchEvent(new Event('change'));
    const done = () => document.querySelectorAll('#atlas tbody tr').length ===
        8 && ![...document.querySelectorAll('#atlas tbody td')]
        .some((td) => td.textContent === '…');
    while (!done()) await new Promise((r) => setTimeout(r, 1));
    const shown = performance.now() - start;
    await new Promise((r) => setTimeout(r, 300));
    observer.disconnect();
    return { shown, longest: Math.max(0, ...tasks) };
  }, text);
}

function tableFileOf(rows) {
  return kFull.map((k) => `${k}:${(rows[k] ?? []).map((j) => ` ${j}`)
      .join('')}\n`).join('');
}

if (!only || only === 'lab') {
  const game = { 1: [2, 3, 4, 6, 7], 2: [1, 2, 3, 5, 6], 3: [1, 2, 5],
                 4: [2, 3, 5, 6, 7, 8], 5: [2, 3, 4, 6, 7, 8], 6: [2, 6, 7],
                 7: [6], 8: [6, 7] };
  const tab = await browser.newPage();
  await tab.goto(pageUrl);
  await tab.waitForSelector('#answer:enabled');
  await tab.locator('#lab').check();
  for (const [name, rows] of labTables) {
    const text = tableFileOf({ ...game, ...rows });
    const shown = [];
    const longest = [];
    for (let i = 0; i < Math.min(rounds, 5); ++i) {
      await tab.locator('[data-preset="game"]').click();
      const r = await timeEdit(tab, text);
      shown.push(r.shown);
      longest.push(r.longest);
    }
    console.log(`lab, ${name}: lengths and bounds shown ` +
                `${ms(median(shown))} after the edit (goal at most 200 ms: ` +
                `${goal(median(shown) <= 200)}); longest task ` +
                `${ms(Math.max(...longest))} (goal at most 100 ms: ` +
                `${goal(Math.max(...longest) <= 100)})`);
  }
  // The exact count: the page's workers against combo-atlas --table, in
  // turns.
  const rows = labTables[1][1];
  const text = tableFileOf({ ...game, ...rows });
  const file = path.join(buildWeb, 'bench.table');
  writeFileSync(file, text);
  const ratios = [];
  const counted = [];
  for (let i = 0; i < 3; ++i) {
    await tab.locator('[data-preset="game"]').click();
    await timeEdit(tab, text);
    const start = await tab.evaluate(() => performance.now());
    await tab.waitForFunction(() => document.querySelector('#count-status')
        .textContent === 'Every count is exact.', null, { timeout: 300000 });
    const page = await tab.evaluate((t) => performance.now() - t, start);
    const before = process.hrtime.bigint();
    execFileSync(path.join(root, 'build', 'combo-atlas'), ['--table', file]);
    const native = Number(process.hrtime.bigint() - before) / 1e6;
    counted.push([page, native]);
    ratios.push(page / native);
  }
  const ratio = median(ratios);
  console.log(`lab, exact count of ${labTables[1][0]} after its bounds: ` +
              `workers ${ms(median(counted.map((c) => c[0])))}, ` +
              `combo-atlas --table ${ms(median(counted.map((c) => c[1])))}: ` +
              `ratio ${ratio.toFixed(2)} (${cpus().length} cores; goal at most 2: ` +
              `${goal(ratio <= 2)})`);
  // Cancel: from the tap to the workers stopped, as the progress stops.
  await tab.locator('[data-preset="all"]').click();
  await tab.waitForFunction(() => {
    const progress = document.querySelector('#count-progress');
    return !progress.hidden && progress.value > 2;
  });
  const cancel = await tab.evaluate(async () => {
    const start = performance.now();
    document.querySelector('#count-cancel').click();
    const stopped = performance.now() - start;
    const value = document.querySelector('#count-progress').value;
    await new Promise((r) => setTimeout(r, 500));
    return { stopped, still: document.querySelector('#count-progress')
        .value === value };
  });
  console.log(`lab, Cancel: the workers stopped ${ms(cancel.stopped)} after ` +
              `the tap${cancel.still ? '' : ', but the count went on'} ` +
              `(goal at most 100 ms: ${goal(cancel.stopped <= 100 &&
              cancel.still)})`);
  await tab.close();
}

await browser.close();
