// Joins the page into one file: the template shell.html with style.css,
// minified, where its STYLE line is; the engine, deflated, in base64 where
// its ENGINE line is; the page's ES modules, joined, minified and deflated,
// in base64 where its CODE line is; and a loader for them where its SCRIPT
// line is, which inflates both with the browser's own DecompressionStream
// and runs the script. The one file opens from disk, works offline and
// makes no request.
//
// The page's script runs only once the engine and the script are inflated,
// compiled and started: four to five times as long as an empty page takes
// to load. So the screen's first prompt for a new session is drawn into
// the page here, as the script draws it (this runs the page once in
// Debian's Chromium, headless, and takes what it drew): the player sees
// the prompt with the browser's first frame, and the answers, the
// picture and the chart with the script.
//
// The modules are joined into one script, not bundled: each keeps its own
// code, in the order of their imports (main.js last), with its import
// declarations dropped and the word export taken off its declarations. For
// that to mean what the modules say, they must follow three rules, which
// this checks: import only by name from a module beside them ('./x.js',
// no renaming), export only declarations, and declare no top-level name
// that another module declares too.
//
// Usage: node web/build.mjs ENGINE.wasm OUTPUT.html   (tools/web.sh runs it)

import { readFileSync, writeFileSync } from 'node:fs';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { deflateRawSync } from 'node:zlib';
import { parse } from 'acorn';
import CleanCSS from 'clean-css';
import { chromium } from 'playwright-core';
import { minify } from 'terser';

const web = path.dirname(fileURLToPath(import.meta.url));
const [engineFile, outputFile] = process.argv.slice(2);
if (!engineFile || !outputFile) {
  console.error('usage: node web/build.mjs ENGINE.wasm OUTPUT.html');
  process.exit(2);
}

function fail(message) {
  console.error(`build.mjs: ${message}`);
  process.exit(1);
}

// The names a top-level declaration declares.
function declared(node) {
  if (node.type === 'VariableDeclaration') {
    return node.declarations.map((d) => {
      if (d.id.type !== 'Identifier') fail('destructuring at the top level');
      return d.id.name;
    });
  }
  return [node.id.name];
}

// A module: its source, its imports ({from, names}), the names it exports
// and declares, and its source with imports and the word export taken out.
function readModule(name) {
  const source = readFileSync(path.join(web, name), 'utf8');
  const program = parse(source, { ecmaVersion: 'latest', sourceType: 'module' });
  const imports = [];
  const exported = new Set();
  const names = [];
  const cuts = [];  // [start, end) of the text taken out
  for (const node of program.body) {
    if (node.type === 'ImportDeclaration') {
      const from = node.source.value;
      if (!/^\.\/[a-z_]+\.js$/.test(from)) fail(`${name}: import from ${from}`);
      const imported = node.specifiers.map((s) => {
        if (s.type !== 'ImportSpecifier' || s.imported.name !== s.local.name) {
          fail(`${name}: import from ${from} other than by name`);
        }
        return s.local.name;
      });
      imports.push({ from: from.slice(2), names: imported });
      cuts.push([node.start, node.end]);
    } else if (node.type === 'ExportNamedDeclaration' && node.declaration) {
      for (const n of declared(node.declaration)) exported.add(n);
      names.push(...declared(node.declaration));
      cuts.push([node.start, node.declaration.start]);
    } else if (node.type.startsWith('Export')) {
      fail(`${name}: an export that is not a declaration`);
    } else if (/Declaration$/.test(node.type)) {
      names.push(...declared(node));
    }
  }
  let code = '';
  let at = 0;
  for (const [start, end] of cuts) {
    code += source.slice(at, start);
    at = end;
  }
  code += source.slice(at);
  return { name, imports, exported, names, code };
}

// The modules main.js imports, directly or not, each after those it
// imports.
function modulesOf(entry) {
  const modules = new Map();
  const order = [];
  const visit = (name, chain) => {
    if (chain.includes(name)) fail(`import cycle: ${[...chain, name].join(' > ')}`);
    if (modules.has(name)) return;
    const module = readModule(name);
    modules.set(name, module);
    for (const { from } of module.imports) visit(from, [...chain, name]);
    order.push(module);
  };
  visit(entry, []);
  const owner = new Map();
  for (const module of order) {
    for (const { from, names } of module.imports) {
      for (const n of names) {
        if (!modules.get(from).exported.has(n)) {
          fail(`${module.name}: ${from} does not export ${n}`);
        }
      }
    }
    for (const n of module.names) {
      if (owner.has(n)) fail(`${n} is declared in ${owner.get(n)} and ${module.name}`);
      owner.set(n, module.name);
    }
  }
  return order;
}

// One classic script, its names kept in a function of their own, in strict
// mode as modules are: a classic script at the end of the body runs before
// the page is first laid out, where a module would run after, and the page
// would be laid out twice before its first prompt.
const joined = modulesOf('main.js').map((m) => `// ${m.name}\n${m.code}`)
    .join('\n');
const script = await minify(`(() => {\n'use strict';\n${joined}\n})();\n`, {
  ecma: 2020,
  compress: { passes: 2 },
  format: { comments: false },
});

// The script and the engine go into the page deflated, in base64, a third
// of their size. The loader, the one script the page runs as it is,
// inflates both at once with the browser's own DecompressionStream, leaves
// the engine's bytes on the element of the script, and runs the script as
// an inline script of the page (which the page's policy allows, as it does
// not allow eval). main.js takes the engine from there. The streams start
// from the bytes themselves: a Blob's stream would go through the browser
// process first. The script itself waits for the page's first frame, with
// the first prompt drawn into it, so that the player sees the prompt as
// soon as the browser can draw it: a task after an animation frame comes
// after that frame. A link, which hides that prompt, does not wait; nor
// does a page not shown, which gets no frames.
const loader = await minify(`(async () => {
const drawn = new Promise((resolve) => {
  if (document.hidden || document.documentElement.classList.contains('opening')) {
    resolve();
  } else {
    requestAnimationFrame(() => setTimeout(resolve));
  }
});
const unpack = async (id) => {
  const text = document.getElementById(id).textContent.trim();
  const packed = Uint8Array.fromBase64 ? Uint8Array.fromBase64(text) :
      Uint8Array.from(atob(text), (c) => c.charCodeAt(0));
  const stream = new ReadableStream({ start(c) {
    c.enqueue(packed);
    c.close();
  } }).pipeThrough(new DecompressionStream('deflate-raw'));
  return new Uint8Array(await new Response(stream).arrayBuffer());
};
const [engine, code] = await Promise.all([unpack('engine'), unpack('code'),
                                          drawn]);
const script = document.createElement('script');
script.engine = engine;
script.textContent = new TextDecoder().decode(code);
document.body.append(script);
})();
`, { ecma: 2020, compress: { passes: 2 }, format: { comments: false } });

// The first script of the page, in its head. A link, a reload or a step
// back opens on a combo of its own, not on a new session's prompt: then the
// prompt drawn into the page is hidden (class opening) until the page's
// script has opened it.
const early = await minify(`(() => {
const how = performance.getEntriesByType('navigation')[0];
if (location.hash.length > 1 || (how !== undefined && how.type !== 'navigate')) {
  document.documentElement.classList.add('opening');
}
})();
`, { ecma: 2020, compress: { passes: 2 }, format: { comments: false } });

const css = new CleanCSS({ level: 1 }).minify(
    readFileSync(path.join(web, 'style.css'), 'utf8'));
if (css.errors.length || css.warnings.length) {
  fail(`style.css: ${[...css.errors, ...css.warnings].join('; ')}`);
}

// The template without its comments, indentation and empty lines, each
// {{{ NAME }}} replaced by what goes there.
const parts = {
  STYLE: css.styles,
  EARLY: early.code,
  ENGINE: deflateRawSync(readFileSync(engineFile), { level: 9 })
      .toString('base64'),
  CODE: deflateRawSync(script.code, { level: 9 }).toString('base64'),
  SCRIPT: loader.code,
};
const template = readFileSync(path.join(web, 'shell.html'), 'utf8')
    .replace(/<!--[\s\S]*?-->/g, '')
    .split('\n')
    .map((line) => line.replace(/^ +/, ''))
    .filter((line) => line !== '')
    .join('\n');
function writePage(drawn) {
  const page = template.replace(/\{\{\{ ([A-Z]+) \}\}\}/g, (_, name) => {
    const part = parts[name] ?? drawn[name];
    if (part === undefined) fail(`shell.html: no part ${name}`);
    return part;
  });
  writeFileSync(outputFile, `${page}\n`);
}

// What the page's script draws on #screen for a new session, with
// nothing kept in the browser: the page without it, run in Chromium.
async function firstPrompt() {
  const browser = await chromium.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    args: ['--disable-gpu', '--no-first-run',
           '--disable-background-networking', '--disable-component-update',
           '--disable-sync'],
  });
  try {
    const tab = await browser.newPage();
    const errors = [];
    tab.on('pageerror', (error) => errors.push(error.message));
    await tab.goto(pathToFileURL(outputFile).href);
    await tab.waitForFunction(
        () => performance.getEntriesByName('combo-ready').length, null,
        { timeout: 60000 });
    if (errors.length) fail(`the page failed: ${errors.join('; ')}`);
    const drawn = { SCREEN: await tab.locator('#screen').innerHTML() };
    if (!drawn.SCREEN.includes('<span')) fail('no first prompt drawn');
    return drawn;
  } finally {
    await browser.close();
  }
}

writePage({ SCREEN: '' });
writePage(await firstPrompt());
