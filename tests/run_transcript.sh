#!/bin/sh
# Runs the program on one transcript and compares what it writes with the
# expected screen.
#
# Usage: run_transcript.sh CASE STATUS PROGRAM [ARG...]
#   CASE.in   what the user types, given as standard input
#   CASE.out  the expected standard output, in UTF-8 for readability
#   CASE.sjis (optional) the same, byte for byte in Shift_JIS
#   STATUS    the expected exit status
# PROGRAM may be an emulator followed by the program. With COMBO_CRLF=1 the
# program is expected to end its lines with CR LF, as on Windows.
set -u
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/../tools/lib.sh"
case=$1 status=$2
shift 2
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT

"$@" <"$case.in" >"$work/raw" 2>"$work/err"
got=$?

# Bring the expected screen into the program's own encoding and line ends.
iconv -f UTF-8 -t SHIFT_JIS "$case.out" >"$work/sjis" || exit 1
if [ -f "$case.sjis" ] && ! cmp -s "$case.sjis" "$work/sjis"; then
  echo "FAIL: $case.sjis and $case.out disagree"
  exit 1
fi
as_written "$work/sjis" >"$work/expected"

fail=0
if ! cmp -s "$work/expected" "$work/raw"; then
  echo "FAIL: output differs from $case.out (- expected, + got):"
  iconv -f SHIFT_JIS -t UTF-8 "$work/raw" >"$work/got.txt" 2>/dev/null ||
    cp "$work/raw" "$work/got.txt"
  iconv -f SHIFT_JIS -t UTF-8 "$work/expected" >"$work/want.txt"
  diff -u "$work/want.txt" "$work/got.txt" | tail -n +3 | head -40
  fail=1
fi
if [ "$got" != "$status" ]; then
  echo "FAIL: exit status $got, expected $status"
  fail=1
fi
if [ -s "$work/err" ]; then
  echo "FAIL: unexpected standard error:"
  head -5 "$work/err"
  fail=1
fi
exit $fail
