#!/bin/sh
# Builds the web edition: the engine in src/ and its web entry points
# compiled to WebAssembly with Debian's emscripten, and the page around it,
# all in one self-contained file, build-web/combo.html. Also builds
# build-web/engine.js, the same engine as a CommonJS module for node, which
# the tests use to run the transcripts without a browser.
#
# Usage: tools/web.sh   (from anywhere; needs the Debian package emscripten)
set -eu
cd "$(dirname "$0")/.."
. tools/step.sh
step "build the page"
out=build-web
mkdir -p "$out"

if ! command -v em++ >/dev/null 2>&1; then
  echo "web.sh: em++ not found; install the Debian package emscripten" >&2
  exit 2
fi
# Debian's emscripten runs its JavaScript optimiser with the machine's node,
# which does not look in Debian's own module directory by default.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

# The engine: everything in src/ but the two programs' entry points.
sources=$(ls src/*.cpp | grep -v -e '/main\.cpp$' -e '/atlas_main\.cpp$')
sources="$sources web/combo_web.cpp"
exports=$(sed -n 's/^COMBO_WEB_EXPORT [^(]* \**\(web[A-Za-z]*\)(.*/_\1/p' \
  web/combo_web.cpp | paste -sd, -)
# shellcheck disable=SC2086  # $sources is a list of words
set -- -std=c++17 -Os -Wall -Wextra -Wpedantic -Werror -Isrc $sources \
  -sEXPORTED_FUNCTIONS="$exports" -sFILESYSTEM=0 -sSINGLE_FILE=1 \
  -sINITIAL_MEMORY=32MB -sTOTAL_STACK=1MB

# The page: the template with its style put in, then the engine and the
# page's script. MINIFY_HTML=0: Debian's 3.1.6 fails after writing the page
# when it minifies it.
sed -e '/{{{ STYLE }}}/{r web/style.css' -e 'd;}' web/shell.html \
  >"$out/shell.html"
em++ "$@" -sENVIRONMENT=web -sMINIFY_HTML=0 --shell-file "$out/shell.html" \
  --post-js web/page.js -o "$out/combo.html"

# The engine alone, for node.
em++ "$@" -sENVIRONMENT=node -sMODULARIZE=1 -o "$out/engine.js"

echo "web.sh: $out/combo.html ($(wc -c <"$out/combo.html") bytes)"
