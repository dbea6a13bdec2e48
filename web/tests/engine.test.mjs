// The engine compiled to WebAssembly, without a browser: every transcript
// of the console program gives the same bytes and the same status.

import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import { buildWeb, expectedBytes, transcripts } from './helpers.mjs';

const createEngine = createRequire(import.meta.url)(
    path.join(buildWeb, 'engine.js'));
const engine = await createEngine();

// Runs the dialogue on everything in input at once.
function run(input) {
  assert.ok(input.length <= engine._webInputCapacity());
  engine.HEAPU8.set(input, engine._webInputBuffer());
  const status = engine._webRun(input.length);
  const output = engine.HEAPU8.slice(
      engine._webOutput(), engine._webOutput() + engine._webOutputLength());
  return { status, output: Buffer.from(output) };
}

const cases = readFileSync(path.join(transcripts, 'cases.txt'), 'utf8')
    .split('\n')
    .filter((line) => /^[a-z]/.test(line))
    .map((line) => line.split(/\s+/));

for (const [name, status] of cases) {
  test(`transcript ${name}`, () => {
    const input = readFileSync(path.join(transcripts, `${name}.in`));
    const got = run(input);
    assert.ok(got.output.equals(expectedBytes(name)),
              `output differs:\n${new TextDecoder('shift_jis')
                  .decode(got.output)}`);
    assert.equal(got.status, Number(status));
  });
}

test('the worked example byte for byte', () => {
  const name = 'worked-example';
  const got = run(readFileSync(path.join(transcripts, `${name}.in`)));
  assert.ok(got.output.equals(
      readFileSync(path.join(transcripts, `${name}.sjis`))));
});
