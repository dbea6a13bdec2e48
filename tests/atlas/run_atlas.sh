#!/bin/sh
# Runs combo-atlas as a separate process.
#
# Usage: run_atlas.sh TEST PROGRAM [ARG...]
#   output       standard output is atlas.out (beside this script) byte for
#                byte, the exit status 0, standard error empty
#   write_error  standard output on /dev/full: exit status 2 and one line on
#                standard error naming the cause
# PROGRAM may be an emulator followed by the program. With COMBO_CRLF=1 the
# program is expected to end its lines with CR LF, as on Windows.
#
# atlas.out comes from the plain depth-first search beside the benchmark
# (bench/atlas/plain_dfs.cpp), a separate program that walks every combo one
# by one. It agrees with the figures known from play: from 1 at most 22
# moves, as in 1,2,1,3,1,4,2,2,3,2,5,3,5,4,5,8,6,2,6,6,7,6, and from 7 at
# least 3, as in 7,6,7.
set -u
test=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
fail=0

case $test in
output)
  "$@" </dev/null >"$work/out" 2>"$work/err"
  status=$?
  if [ "${COMBO_CRLF:-0}" = 1 ]; then
    perl -pe 's/\n/\r\n/' "$here/atlas.out" >"$work/expected"
  else
    cp "$here/atlas.out" "$work/expected"
  fi
  if ! cmp -s "$work/expected" "$work/out"; then
    echo "FAIL: output differs from atlas.out (- expected, + got):"
    diff -u "$work/expected" "$work/out" | tail -n +3
    fail=1
  fi
  if [ "$status" != 0 ]; then
    echo "FAIL: exit status $status, expected 0"
    fail=1
  fi
  if [ -s "$work/err" ]; then
    echo "FAIL: unexpected standard error:"
    head -5 "$work/err"
    fail=1
  fi
  ;;
write_error)
  "$@" </dev/null >/dev/full 2>"$work/err"
  status=$?
  if [ "$status" != 2 ]; then
    echo "FAIL: on /dev/full: exit status $status, expected 2"
    fail=1
  fi
  echo "combo-atlas: write error: No space left on device" >"$work/expected"
  if ! cmp -s "$work/expected" "$work/err"; then
    echo "FAIL: on /dev/full: standard error is not the one expected line:"
    head -5 "$work/err"
    fail=1
  fi
  ;;
*)
  echo "run_atlas.sh: no test '$test'" >&2
  exit 2
  ;;
esac
exit $fail
