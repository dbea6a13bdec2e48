#!/bin/sh
# Benchmarks the web edition: builds build-web/combo.html (tools/web.sh),
# installs the pinned playwright-core in web/ if needed, and runs
# bench/web.mjs in Debian's Chromium.
#
# Usage: bench/web.sh [ROUNDS]
# Needs the Debian packages emscripten and chromium, and node with npm.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/web.sh" >/dev/null
if [ ! -d "$root/web/node_modules/playwright-core" ]; then
  (cd "$root/web" && npm ci --no-audit --no-fund >/dev/null)
fi
exec node "$root/bench/web.mjs" "$@"
