// What the web edition's tests share: where things are, the README's
// session, the browser, and typing into the page as a person does.

import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { fileURLToPath, pathToFileURL } from 'node:url';
import path from 'node:path';
import { chromium } from 'playwright-core';

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
// for typing.
export async function openPage(browser, fragment = '', viewport) {
  const page = await browser.newPage(viewport ? { viewport } : {});
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  page.errors = errors;
  await page.goto(pageUrl + fragment);
  // Ready: for typing, or, when a shared session has ended, for a new one.
  await page.waitForSelector('#answer:enabled, #new-session',
                             { timeout: 15000 });
  return page;
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
