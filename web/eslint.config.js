// The rules for the JavaScript of the web edition, its tests and its
// benchmark: ESLint's recommended rules and a few that keep this code as it
// is written (strict equality, const where nothing is assigned again, no
// var). tools/lint.sh (./check lint) runs ESLint with this file from the
// top of the repository, on web/ and bench/; the patterns below are
// relative to there.

import js from '@eslint/js';
import globals from 'globals';

export default [
  js.configs.recommended,
  {
    rules: {
      eqeqeq: 'error',
      'no-var': 'error',
      'prefer-const': 'error',
    },
  },
  {
    // The page's modules, which web/build.mjs joins into the one page.
    files: ['web/*.js'],
    ignores: ['web/eslint.config.js'],
    languageOptions: {
      sourceType: 'module',
      globals: globals.browser,
    },
  },
  {
    // The tests and the benchmark run in node; the functions they hand to
    // Playwright's page.evaluate run in the page, so the browser's names
    // are known too.
    files: ['web/tests/**/*.mjs', 'bench/**/*.mjs'],
    languageOptions: {
      globals: { ...globals.node, ...globals.browser },
    },
  },
  {
    // The build of the page, and this file, run in node.
    files: ['web/eslint.config.js', 'web/*.mjs'],
    languageOptions: { globals: globals.node },
  },
];
