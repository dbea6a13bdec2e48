#!/bin/sh
# Runs combo-atlas as a separate process.
#
# Usage: run_atlas.sh TEST PROGRAM [ARG...]
#   output          standard output is atlas.out (beside this script) byte for
#                   byte, the exit status 0, standard error empty
#   write_error     standard output on /dev/full, for the whole atlas, for a
#                   combo begun and for the usage text: exit status 2 and one
#                   line on standard error naming the cause
#   arguments       a table of bad arguments: each gives exit status 1, its
#                   one line on standard error and nothing on standard
#                   output; -h and --help give the usage text and status 0
#   follow_up_sums  for each starter, the lines of "combo-atlas STARTER" add
#                   up to its line of atlas.out: the sum of the combos, the
#                   fewest and the most moves, and the first longest example
#   table_output    with --table, the ring of tests/transcripts/tables: the
#                   atlas (ring.out), the lines after 1 (ring-1.out) and
#                   with --estimate (ring-estimate.out), byte for byte
#   print_table     --print-table writes game.table; the table it prints,
#                   read back with --table (from a file, and on POSIX
#                   systems from /dev/stdin), gives atlas.out and the lines
#                   after 8 7 6 byte for byte; a table file comes out
#                   normalised
# PROGRAM may be an emulator followed by the program. With COMBO_CRLF=1 the
# program is expected to end its lines with CR LF, as on Windows.
#
# The expected lines are written here by hand, and so are ring*.out and
# game.table (from README.md's link chart).
#
# atlas.out comes from the plain depth-first search beside the benchmark
# (bench/atlas/plain_dfs.cpp), a separate program that walks every combo one
# by one. It agrees with the figures known from play: from 1 at most 22
# moves, as in 1,2,1,3,1,4,2,2,3,2,5,3,5,4,5,8,6,2,6,6,7,6, and from 7 at
# least 3, as in 7,6,7.
set -u
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/../../tools/lib.sh"
test=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
fail=0

# expect STATUS LINE ARG...: runs the program with ARG...; it must exit with
# STATUS, write LINE alone on standard error and nothing on standard output.
expect() {
  want_status=$1
  want_line=$2
  shift 2
  atlas "$@" </dev/null >"$work/out" 2>"$work/err"
  status=$?
  printf '%s\n' "$want_line" >"$work/line"
  as_written "$work/line" >"$work/expected"
  if [ "$status" != "$want_status" ] || [ -s "$work/out" ] ||
    ! cmp -s "$work/expected" "$work/err"; then
    echo "FAIL: combo-atlas $*"
    echo "  expected status $want_status and: $want_line"
    echo "  got status $status and:"
    sed 's/^/    /' "$work/err"
    if [ -s "$work/out" ]; then
      echo "  and on standard output:"
      head -3 "$work/out" | sed 's/^/    /'
    fi
    fail=1
  fi
}

# usage ARG...: the program with ARG... writes the usage text, status 0.
usage() {
  atlas "$@" </dev/null >"$work/out" 2>"$work/err"
  status=$?
  if [ "$status" != 0 ] || [ -s "$work/err" ] ||
    [ "$(head -1 "$work/out" | tr -d '\r')" != "usage: combo-atlas [--table FILE] [--estimate] [--] [MOVE...]" ]
  then
    echo "FAIL: combo-atlas $*: status $status, expected the usage text:"
    head -3 "$work/out" "$work/err"
    fail=1
  fi
}

# check_output FILE ARG...: the program with ARG... writes FILE (with the
# line ends of the platform) and nothing on standard error, status 0.
check_output() {
  want=$1
  shift
  atlas "$@" </dev/null >"$work/out" 2>"$work/err"
  status=$?
  as_written "$want" >"$work/expected"
  if [ "$status" != 0 ] || [ -s "$work/err" ] ||
    ! cmp -s "$work/expected" "$work/out"; then
    echo "FAIL: combo-atlas $* (status $status) does not write ${want##*/}" \
      "(- expected, + got):"
    diff -u "$work/expected" "$work/out" | tail -n +3
    head -5 "$work/err"
    fail=1
  fi
}

# atlas ARG...: runs the program ("$@": PROGRAM, or an emulator and PROGRAM)
# with ARG....
if [ $# -ge 2 ]; then
  emulator=$1
  program=$2
else
  emulator=
  program=$1
fi
atlas() {
  if [ -n "$emulator" ]; then
    "$emulator" "$program" "$@"
  else
    "$program" "$@"
  fi
}

case $test in
output)
  "$@" </dev/null >"$work/out" 2>"$work/err"
  status=$?
  as_written "$here/atlas.out" >"$work/expected"
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
  echo "combo-atlas: write error: No space left on device" >"$work/expected"
  for args in "" "7 6" "7 6 7" "--help"; do
    # shellcheck disable=SC2086 # each word of $args is an argument
    atlas $args </dev/null >/dev/full 2>"$work/err"
    status=$?
    if [ "$status" != 2 ]; then
      echo "FAIL: combo-atlas $args on /dev/full: exit status $status," \
        "expected 2"
      fail=1
    fi
    if ! cmp -s "$work/expected" "$work/err"; then
      echo "FAIL: combo-atlas $args on /dev/full: standard error is not the" \
        "one expected line:"
      head -5 "$work/err"
      fail=1
    fi
  done
  ;;
arguments)
  # Not a decimal move number: digits only.
  expect 1 'combo-atlas: move 1 (x): not a decimal move number' x
  expect 1 'combo-atlas: move 1 (): not a decimal move number' ''
  expect 1 'combo-atlas: move 1 (-1): not a decimal move number' -1
  expect 1 'combo-atlas: move 1 (+7): not a decimal move number' +7
  expect 1 'combo-atlas: move 1 (7x): not a decimal move number' 7x
  expect 1 'combo-atlas: move 1 ( 7): not a decimal move number' ' 7'
  expect 1 'combo-atlas: move 3 (6.): not a decimal move number' 7 6 6.
  expect 1 'combo-atlas: move 1 (--version): not a decimal move number' \
    --version
  # The starter.
  expect 1 'combo-atlas: move 1 (0): starter outside 1 to 8' 0
  expect 1 'combo-atlas: move 1 (9): starter outside 1 to 8' 9
  expect 1 'combo-atlas: move 1 (99999999999999999999): starter outside 1 to 8' \
    99999999999999999999
  expect 1 'combo-atlas: move 1 (4294967297): starter outside 1 to 8' \
    4294967297
  # Follow-ups: outside 1 to 8, over a link that never existed, over one
  # used already (7 to 6; the self-link of 2), and past the end of a
  # complete combo.
  expect 1 'combo-atlas: move 2 (0): follow-up outside 1 to 8' 7 0
  expect 1 'combo-atlas: move 3 (9): follow-up outside 1 to 8' 7 6 9
  expect 1 'combo-atlas: move 2 (1): no open link from 8 to 1' 8 1
  expect 1 'combo-atlas: move 4 (6): no open link from 7 to 6' 7 6 7 6
  expect 1 'combo-atlas: move 3 (2): no open link from 2 to 2' 2 2 2
  expect 1 'combo-atlas: move 23 (2): no open link from 6 to 2' \
    1 2 1 3 1 4 2 2 3 2 5 3 5 4 5 8 6 2 6 6 7 6 2
  # The first bad argument is the one named.
  expect 1 'combo-atlas: move 2 (1): no open link from 8 to 1' 8 1 x 0
  # More than 32 moves, named at the 33rd before any other fault; 32 are
  # read (the 23rd is at fault).
  expect 1 'combo-atlas: move 33 (33): more than 32 moves' \
    1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 \
    27 28 29 30 31 32 33
  expect 1 'combo-atlas: move 23 (7): no open link from 6 to 7' \
    1 2 1 3 1 4 2 2 3 2 5 3 5 4 5 8 6 2 6 6 7 6 7 7 7 7 7 7 7 7 7 7
  # The argument quoted on one line of printable ASCII, and cut short.
  expect 1 'combo-atlas: move 2 (a?b): not a decimal move number' \
    7 "$(printf 'a\tb')"
  expect 1 'combo-atlas: move 2 (6?x): not a decimal move number' \
    7 "$(printf '6\nx')"
  expect 1 'combo-atlas: move 1 (abcdefghijklmnopqrstuvwx...): not a decimal move number' \
    abcdefghijklmnopqrstuvwxyz
  expect 1 'combo-atlas: move 1 (123456789012345678901234): starter outside 1 to 8' \
    123456789012345678901234
  # "--" ends the options: it is no move, and every argument after it is
  # one, "-h" and "--" included; moves are counted without it.
  expect 1 'combo-atlas: move 1 (-h): not a decimal move number' -- -h
  expect 1 'combo-atlas: move 2 (--): not a decimal move number' 7 -- --
  expect 1 'combo-atlas: move 2 (1): no open link from 8 to 1' -- 8 1
  expect 1 'combo-atlas: move 33 (33): more than 32 moves' \
    1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 -- 17 18 19 20 21 22 23 24 25 \
    26 27 28 29 30 31 32 33
  usage --help
  usage -h
  usage 8 1 --help
  usage -h --
  # The options and the table file: the file's own line, as written.
  ring=$here/../transcripts/tables/ring.table
  printf '1: 2\n2: 9\n' >"$work/bad.table"
  expect 1 'combo-atlas: a table file must follow --table' 7 --table
  expect 1 'combo-atlas: --table given twice' --table "$ring" --table "$ring"
  expect 1 'combo-atlas: --print-table takes no moves' --print-table 7
  expect 1 'combo-atlas: --print-table and --estimate do not go together' \
    --estimate --print-table
  expect 1 "$work/bad.table:2:4: expected a move kind from 1 to 8" \
    --table "$work/bad.table" 7
  expect 1 "$work/none.table:1:1: expected a table file that can be read: No such file or directory" \
    --table "$work/none.table"
  expect 1 'combo-atlas: move 2 (7): no open link from 8 to 7' \
    --table "$ring" 8 7
  expect 1 'combo-atlas: move 6 (1): more than 5 moves' \
    --table "$ring" 1 1 2 3 1 1
  usage --table "$work/none.table" --print-table 7 --help
  ;;
table_output)
  ring=$here/../transcripts/tables/ring.table
  check_output "$here/ring.out" --table "$ring"
  check_output "$here/ring-1.out" --table "$ring" 1
  check_output "$here/ring-estimate.out" --estimate --table "$ring"
  ;;
print_table)
  check_output "$here/game.table" --print-table
  atlas --print-table </dev/null >"$work/printed.table" 2>/dev/null
  check_output "$here/atlas.out" --table "$work/printed.table"
  atlas 8 7 6 </dev/null >"$work/876.out" 2>/dev/null
  without_cr "$work/876.out" >"$work/876.expected"
  check_output "$work/876.expected" --table "$work/printed.table" 8 7 6
  if [ "${COMBO_CRLF:-0}" != 1 ]; then
    atlas --print-table | atlas --table /dev/stdin >"$work/piped" 2>&1
    if ! cmp -s "$here/atlas.out" "$work/piped"; then
      echo "FAIL: combo-atlas --print-table | combo-atlas --table /dev/stdin:"
      diff -u "$here/atlas.out" "$work/piped" | tail -n +3
      fail=1
    fi
  fi
  printf '1: 1 2\n2: 3\n3: 1\n4:\n5:\n6:\n7:\n8:\n' >"$work/ring.table"
  check_output "$work/ring.table" --print-table \
    --table "$here/../transcripts/tables/ring.table"
  ;;
follow_up_sums)
  without_cr "$here/atlas.out" >"$work/atlas"
  for starter in 1 2 3 4 5 6 7 8; do
    atlas "$starter" </dev/null >"$work/raw" 2>"$work/err"
    status=$?
    without_cr "$work/raw" >"$work/out"
    # The combos added up, the fewest and the most moves of any line, and
    # the example of the first line with the most.
    awk -F '\t' 'NR > 1 {
        sum += $2
        if (shortest == "" || $3 + 0 < shortest) shortest = $3 + 0
        if ($4 + 0 > longest) { longest = $4 + 0; example = $5 }
      }
      END { printf "%.0f\t%d\t%d\t%s\n", sum, shortest, longest, example }' \
      "$work/out" >"$work/got"
    awk -F '\t' -v s="$starter" '$1 == s {
        printf "%s\t%s\t%s\t%s\n", $2, $3, $4, $5 }' \
      "$work/atlas" >"$work/expected"
    if [ "$status" != 0 ] || [ -s "$work/err" ] ||
      [ "$(head -1 "$work/out")" != "$(printf 'next\tcombos\tshortest\tlongest\tlongest_example')" ] ||
      ! cmp -s "$work/expected" "$work/got"; then
      echo "FAIL: combo-atlas $starter (status $status) does not add up to" \
        "its line of atlas.out (- atlas.out, + summed):"
      diff -u "$work/expected" "$work/got" | tail -n +3
      cat "$work/out" "$work/err"
      fail=1
    fi
  done
  ;;
*)
  echo "run_atlas.sh: no test '$test'" >&2
  exit 2
  ;;
esac
exit $fail
