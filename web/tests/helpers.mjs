// What the web edition's tests share: where things are, the README's
// session, the engine, the browser, and typing into the page as a person
// does.

import { execFileSync, spawnSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { fileURLToPath, pathToFileURL } from 'node:url';
import path from 'node:path';
import { after, before } from 'node:test';
import { chromium } from 'playwright-core';
import { loadEngine } from '../engine.js';

export const root = fileURLToPath(new URL('../../', import.meta.url));
export const buildWeb = process.env.COMBO_WEB_BUILD ??
    path.join(root, 'build-web');
export const pageUrl = pathToFileURL(path.join(buildWeb, 'combo.html')).href;
export const transcripts = path.join(root, 'tests', 'transcripts');

// The screen of the README's "A session" block, without its last line end.
export function readmeSession() {
  const readme = readFileSync(path.join(root, 'README.md'), 'utf8');
  const section = readme.slice(readme.indexOf('## A session'));
  const block = section.match(/```text\n([\s\S]*?)```/);
  if (!block) throw new Error('README.md has no "A session" text block');
  return block[1].replace(/\n$/, '');
}

// The answers typed in that session: the number after each prompt.
export function readmeAnswers() {
  return [...readmeSession().matchAll(/：(\S+)$/gm)].map((m) => m[1]);
}

// The bytes combo must write for a transcript, in Shift_JIS.
export function expectedBytes(name) {
  return execFileSync('iconv', ['-f', 'UTF-8', '-t', 'SHIFT_JIS',
                                path.join(transcripts, `${name}.out`)]);
}

// The engine the page runs, build-web/engine.wasm, loaded by the page's own
// web/engine.js.
export function builtEngine() {
  return loadEngine(readFileSync(path.join(buildWeb, 'engine.wasm')));
}

// Debian's Chromium, headless, with nothing that reaches out on its own.
export function launch() {
  return chromium.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    args: ['--disable-gpu', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync',
           '--disable-default-apps'],
  });
}

// Opens the page (with a fragment, if given) and waits until it is ready
// for typing. options are Playwright's for a new page: viewport, hasTouch.
export async function openPage(browser, fragment = '', options = {}) {
  const page = await browser.newPage(options);
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  page.errors = errors;
  await page.goto(pageUrl + fragment);
  // Ready: for typing, or, when a shared session has ended, for a new one.
  await page.waitForSelector('#answer:enabled, #new-session',
                             { timeout: 60000 });
  return page;
}

// Opens a fresh page for test t; fails the test on any script error in it.
export async function freshPage(browser, t, fragment = '', options = {}) {
  const page = await openPage(browser, fragment, options);
  t.after(async () => {
    await page.close();
    if (page.errors.length) throw new Error(`script errors: ${page.errors}`);
  });
  return page;
}

// One Chromium for a whole test file: launched before its first test and
// closed after its last. Returns { browser, fresh }, where fresh(t,
// fragment, options) opens a page in it as freshPage does.
export function browserForFile() {
  const shared = { browser: null };
  before(async () => {
    shared.browser = await launch();
  });
  after(async () => {
    await shared.browser?.close();
  });
  shared.fresh = (t, fragment, options) =>
    freshPage(shared.browser, t, fragment, options);
  return shared;
}

// Types one answer into the field and presses Enter, as a person does.
export async function typeAnswer(page, answer) {
  await page.locator('#answer').pressSequentially(answer);
  await page.keyboard.press('Enter');
}

export async function typeAnswers(page, answers) {
  for (const answer of answers) await typeAnswer(page, answer);
}

// What the screen shows, as a person reads it.
export function screenText(page) {
  return page.locator('#screen').innerText();
}

// The screen's texts, written out from the console's own.
export const MENU = '1,空中浮き 2,空中きりもみ 3,空中ふっとばし 4,空中バウンド\n' +
    '5,地上浮き 6,地上きりもみ 7,地上ふっとばし 8,地上バウンド\n';
export const STARTER = '始動技を選んでください：';
export const NEXT = 'が、繋がります。次の技を選んでください：';
export const REPLAY = '1,もう一回 0,もうやめる\n選択してください：';

// The game's links as a grid, from the printed chart: row k lists the
// moves that may follow k.
export const LINKS = {
  1: [2, 3, 4, 6, 7], 2: [1, 2, 3, 5, 6], 3: [1, 2, 5], 4: [2, 3, 5, 6, 7, 8],
  5: [2, 3, 4, 6, 7, 8], 6: [2, 6, 7], 7: [6], 8: [6, 7],
};

// The console program of the native build.
export const comboProgram = process.env.COMBO ??
    path.join(root, 'build', 'combo');
export const atlasProgram = process.env.COMBO_ATLAS ??
    path.join(root, 'build', 'combo-atlas');

// The screen of a terminal that typed answers, one a line, to the console
// program: its output with each answer echoed after the prompt it answers.
// Each prompt ends with "：" and takes one line. The line break written at
// the end of input is no part of a screen still waiting for an answer.
export function nativeScreen(answers) {
  const run = spawnSync(comboProgram, [], {
    input: answers.map((a) => `${a}\n`).join(''),
    maxBuffer: 1 << 30,
  });
  if (run.status !== 1) throw new Error(`${comboProgram}: ${run.status}`);
  const out = run.stdout.subarray(0, -1);
  let i = 0;
  return new TextDecoder('shift_jis').decode(out).replace(
      /：/g, () => (i < answers.length ? `：${answers[i++]}\n` : '：'));
}

// `combo-atlas MOVE...`: its rows, each a map from column to field.
export function atlasRows(moves) {
  const out = execFileSync(atlasProgram, moves.map(String),
                           { encoding: 'ascii' });
  const [head, ...lines] = out.trim().split('\n');
  const names = head.split('\t');
  return lines.map((line) => Object.fromEntries(
      line.split('\t').map((field, i) => [names[i], field])));
}

// axe-core, injected by the test only, at every state of the page.
const axeSource = readFileSync(createRequire(import.meta.url)
    .resolve('axe-core/axe.min.js'), 'utf8');

export async function axeViolations(page) {
  if (!await page.evaluate(() => 'axe' in window)) {
    await page.addScriptTag({ content: axeSource });
  }
  return page.evaluate(async () => {
    const results = await window.axe.run(document,
                                         { resultTypes: ['violations'] });
    return results.violations.map((v) =>
        `${v.id}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`);
  });
}
