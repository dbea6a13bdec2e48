#!/bin/sh
# Builds the web edition: the engine in src/ and its web entry points
# compiled to WebAssembly with Debian's emscripten (build-web/engine.wasm),
# and the page around it, all in one self-contained file,
# build-web/combo.html. The tests run the same engine.wasm in node.
#
# Usage: tools/web.sh   (from anywhere; needs the Debian packages emscripten
# and chromium, which draws the page's first prompt into it, and node with
# npm)
set -eu
cd "$(dirname "$0")/.."
. tools/lib.sh
step "build the page"
out=build-web
mkdir -p "$out"

if ! command -v em++ >/dev/null 2>&1; then
  echo "web.sh: em++ not found; install the Debian package emscripten" >&2
  exit 2
fi
# Debian's emscripten runs its JavaScript tools with the machine's node,
# which does not look in Debian's own module directory by default.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

# The engine: everything in src/ but the two programs' entry points, as a
# WebAssembly module of its own with no JavaScript runtime; web/engine.js
# loads it. Its memory holds the engine's fixed buffers (under 5 MiB: the
# output of one run, the atlas's remembered states, the console, a typed
# line, the table lab's atlas and workspaces) and a 64 KiB stack, and never
# grows, as nothing is allocated.
sources=
# Not the programs' entry points, nor combo-atlas's threads, its work
# shared among them and its progress line: a page shares work between Web
# Workers instead. Starting a thread would link in malloc (8 KiB of the
# engine), where the page allocates nothing: -sMALLOC=none below makes the
# link fail if anything the page uses allocates. The table lab's engines
# (the exact count, the lengths, the bounds) are built for speed (-O2),
# two to three times as fast for 15 KiB more; the rest for size.
fast="src/exact_count.cpp src/combo_lengths.cpp src/count_bounds.cpp"
for source in src/*.cpp web/combo_web.cpp web/lab_web.cpp; do
  case $source in
    src/main.cpp | src/atlas_main.cpp | src/count_threads.cpp | \
      src/atlas_work.cpp | src/progress_line.cpp) ;;
    *) case " $fast " in
         *" $source "*) ;;
         *) sources="$sources $source" ;;
       esac ;;
  esac
done
warnings="-Wall -Wextra -Wpedantic -Werror"
objects=
for source in $fast; do
  object="$out/$(basename "$source" .cpp).o"
  # shellcheck disable=SC2086  # $warnings is a list of words
  em++ -std=c++17 -O2 $warnings -Isrc -c "$source" -o "$object"
  objects="$objects $object"
done
# The functions the page calls are marked in web/combo_web.cpp
# (EMSCRIPTEN_KEEPALIVE), and the linker exports what is marked.
# shellcheck disable=SC2086  # $sources is a list of words
em++ -std=c++17 -Oz $warnings -Isrc $sources $objects \
  -sSTANDALONE_WASM --no-entry \
  -sINITIAL_MEMORY=5MB -sTOTAL_STACK=64KB -sMALLOC=none -o "$out/engine.wasm"

# The page: web/build.mjs joins the template, the style, the engine and the
# page's modules into one file, minified by the pinned terser and clean-css
# of web/package-lock.json, installed here with npm ci when node_modules is
# missing or older than the lock file; and draws the first prompt into it,
# as the page's script draws it in Debian's Chromium (or $CHROMIUM), driven
# by the pinned playwright-core.
chromium=${CHROMIUM:-/usr/bin/chromium}
if [ ! -x "$chromium" ]; then
  echo "web.sh: $chromium not found; install the Debian package chromium" >&2
  exit 2
fi
installed=web/node_modules/.package-lock.json
if [ ! -f "$installed" ] ||
  [ -n "$(find web/package-lock.json -newer "$installed")" ]; then
  step "npm ci"
  (cd web && npm ci --no-audit --no-fund)
  step "build the page"
fi
node web/build.mjs "$out/engine.wasm" "$out/combo.html"

echo "web.sh: $out/combo.html ($(wc -c <"$out/combo.html") bytes)"
