#!/bin/sh
# ./play's own building, in a build directory of its own: --help builds
# nothing; a configure that fails shows why and leaves nothing that stops
# the next run, which configures afresh, builds without the tests and plays.
#
# Usage: play_build_test.sh PLAY
set -u
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/../tools/lib.sh"
play=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
COMBO_BUILD_DIR=$work/build
export COMBO_BUILD_DIR

for flag in --help -h; do
  out=$("$play" "$flag" </dev/null 2>&1) || fail "$flag: exit status $?"
  case $out in
    "usage: ./play [--help]"*) ;;
    *) fail "$flag printed: $out" ;;
  esac
done
[ ! -e "$COMBO_BUILD_DIR" ] || fail "--help made $COMBO_BUILD_DIR"

# A C++ compiler that cannot compile: the configure fails, play says why
# and stops with status 2, and the cache it leaves names that compiler.
out=$(printf '0 0\n' | CXX=false "$play" 2>&1)
status=$?
[ "$status" = 2 ] || fail "with CXX=false: exit status $status; output: $out"
case $out in
  *CMAKE_CXX_COMPILER* | *"C++ compiler"*) ;;
  *) fail "with CXX=false, no word on the compiler: $out" ;;
esac

# The next run, with a working compiler, configures afresh and plays.
out=$(printf '0 0\n' | "$play" 2>&1)
status=$?
[ "$status" = 0 ] || fail "after the failed configure: exit status $status;" \
  "output: $out"
case $out in
  *"configuring afresh"*"0+1Zorv"*) ;;
  *) fail "after the failed configure: $out" ;;
esac
grep -qx 'BUILD_TESTING:BOOL=OFF' "$COMBO_BUILD_DIR/CMakeCache.txt" ||
  fail "play configured the tests"
echo ok
