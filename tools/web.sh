#!/bin/sh
# Builds the web edition: the engine in src/ and its web entry points
# compiled to WebAssembly with Debian's emscripten (build-web/engine.wasm),
# and the page around it, all in one self-contained file,
# build-web/combo.html. The tests run the same engine.wasm in node.
#
# Usage: tools/web.sh   (from anywhere; needs the Debian package emscripten)
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
# WebAssembly module of its own with no JavaScript runtime; page.js loads
# it. Its memory holds the engine's fixed buffers (about 2.7 MiB: the output
# of one run, the atlas's remembered states, the console) and a 64 KiB
# stack, and never grows, as nothing is allocated.
sources=
for source in src/*.cpp web/combo_web.cpp; do
  case $source in
    src/main.cpp | src/atlas_main.cpp) ;;
    *) sources="$sources $source" ;;
  esac
done
exports=$(sed -n 's/^COMBO_WEB_EXPORT [^(]* \**\(web[A-Za-z]*\)(.*/_\1/p' \
  web/combo_web.cpp | paste -sd, -)
# shellcheck disable=SC2086  # $sources is a list of words
em++ -std=c++17 -Oz -Wall -Wextra -Wpedantic -Werror -Isrc $sources \
  -sEXPORTED_FUNCTIONS="$exports" -sSTANDALONE_WASM --no-entry \
  -sINITIAL_MEMORY=3MB -sTOTAL_STACK=64KB -o "$out/engine.wasm"

# The page's script: the engine in base64, then page.js without its
# comments and spaces (emscripten's own JavaScript minifier).
{
  printf "const kEngine = '"
  base64 -w0 "$out/engine.wasm"
  printf "';\n"
  node "$(em-config EMSCRIPTEN_ROOT)/tools/acorn-optimizer.js" web/page.js \
    minifyWhitespace
} >"$out/script.js"

# The style without its comments and spaces.
tr '\n' ' ' <web/style.css |
  sed -e 's|/\*[^*]*\*\+\([^/*][^*]*\*\+\)*/||g' -e 's/  */ /g' \
    -e 's/ *\([{};,>]\) */\1/g' -e 's/: /:/g' -e 's/;}/}/g' -e 's/^ //' \
    -e 's/\([^0-9]\)0\.\([0-9]\)/\1.\2/g' >"$out/style.css"
echo >>"$out/style.css"

# The page: the template without its comments and indentation, the style
# where the STYLE line is and the script where the SCRIPT line is.
tr '\n' '\r' <web/shell.html | sed -e 's/<!--[^>]*-->//g' | tr '\r' '\n' |
  sed -e 's/^ *//' -e '/^$/d' \
    -e "/{{{ STYLE }}}/{r $out/style.css" -e 'd;}' \
    -e "/{{{ SCRIPT }}}/{r $out/script.js" -e 'd;}' >"$out/combo.html"

echo "web.sh: $out/combo.html ($(wc -c <"$out/combo.html") bytes)"
