#!/bin/sh
# Builds the libFuzzer targets with clang in build-fuzz (configured the first
# time, brought up to date after) and runs each for a bounded time on a copy
# of its seed corpus: combo_fuzz, the dialogue on arbitrary input, for two
# thirds of the time, and table_fuzz, arbitrary bytes read as a table file,
# for the last third (the table reader is small: its coverage stops growing
# within seconds, the dialogue's goes on growing for minutes).
# Prints one line of figures (runs, seconds, findings) for each and keeps
# libFuzzer's own output in build-fuzz/fuzz.log (combo_fuzz) and
# build-fuzz/table_fuzz.log. Exits with status 0 if neither found anything,
# and otherwise non-zero, after printing the log of each that did, where the
# input that broke the program was saved and how to run the target on it
# again.
#
# Usage: tools/fuzz.sh [SECONDS [LIBFUZZER-OPTION...]]
#   SECONDS  how long to fuzz in all, 60 by default (40 and 20); the options
#            go to both targets
#
# Needs cmake, clang and clang's sanitizer and libFuzzer runtimes (Debian 12:
# clang libclang-rt-14-dev). Reads nothing from standard input. The seeds are
# tests/fuzz_corpus/ and the inputs of tests/transcripts/ for combo_fuzz,
# tests/fuzz_tables/ and the table files of tests/ for table_fuzz; none is
# changed, as the fuzzers work on temporary copies.
set -eu

cd "$(dirname "$0")/.."
. tools/lib.sh
seconds=${1:-60}
if [ $# -gt 0 ]; then shift; fi
table_seconds=$((seconds / 3))
if [ "$table_seconds" -lt 1 ]; then table_seconds=1; fi
combo_seconds=$((seconds - table_seconds))
if [ "$combo_seconds" -lt 1 ]; then combo_seconds=1; fi
build="build-fuzz"

# Configure unless a configuration has succeeded here before.
step configure
if ! configured "$build"; then
  generator=
  if command -v ninja >/dev/null 2>&1; then generator="-G Ninja"; fi
  # shellcheck disable=SC2086  # $generator is empty or two words
  CC=clang CXX=clang++ cmake -S . -B "$build" $generator \
    -DCOMBO_FUZZ=ON -DBUILD_TESTING=OFF </dev/null
fi
step build
cmake --build "$build" --target combo_fuzz table_fuzz </dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
mkdir "$work/combo" "$work/table"
cp tests/fuzz_corpus/* "$work/combo/"
for input in tests/transcripts/*.in; do
  cp "$input" "$work/combo/transcript-$(basename "$input" .in)"
done
cp tests/fuzz_tables/* "$work/table/"
for table in tests/transcripts/tables/*.table tests/atlas/*.table; do
  cp "$table" "$work/table/file-$(basename "$table" .table)"
done

# Whatever breaks a program is saved here, named by libFuzzer after the
# target, the kind of finding (crash-, timeout-, leak-, oom-) and the
# input's SHA-1.
findings=$build/findings/$(date +%Y%m%d-%H%M%S)
mkdir -p "$findings"
failed=0

# fuzz NAME SECONDS CORPUS DICTIONARY LOG [LIBFUZZER-OPTION...]: runs the
# target NAME; prints its line of figures, and on a failure its log and
# findings, and sets failed=1.
fuzz() {
  name=$1 time=$2 corpus=$3 dictionary=$4 log=$5
  shift 5
  fuzzer=$build/fuzz/$name
  step "fuzz $name"
  echo "$name: fuzzing for $time seconds; findings go to $findings/," \
    "the log to $log"
  # libFuzzer reports its progress line by line, a thousand lines a minute:
  # they go to a log, shown only if the run fails.
  status=0
  "$fuzzer" -max_total_time="$time" -timeout=10 -max_len=4096 \
    -dict="$dictionary" -artifact_prefix="$findings/$name-" \
    -print_final_stats=1 "$@" "$corpus" </dev/null >"$log" 2>&1 ||
    status=$?
  # libFuzzer's last word: "Done 1234567 runs in 61 second(s)".
  runs=$(sed -n 's/^Done \([0-9]*\) runs in \([0-9]*\) second.*/\1 runs in \2 s/p' \
    "$log")
  found=
  count=0
  for finding in "$findings/$name"-*; do
    if [ -e "$finding" ]; then
      found="$found ${finding##*/}"
      count=$((count + 1))
    fi
  done
  echo "$name: ${runs:-no summary}, $count findings"
  if [ "$status" -ne 0 ] || [ -n "$found" ]; then
    cat "$log"
    echo
    echo "FAIL: $name stopped with status $status."
    for finding in $found; do
      echo "The input is saved in $findings/$finding:"
      od -A d -c "$findings/$finding" | head -20
      echo "Run it again: $fuzzer $findings/$finding"
    done
    [ -n "$found" ] || echo "No input was saved; see the fuzzer's report above."
    failed=1
  fi
}

fuzz combo_fuzz "$combo_seconds" "$work/combo" fuzz/combo.dict \
  "$build/fuzz.log" "$@"
fuzz table_fuzz "$table_seconds" "$work/table" fuzz/table.dict \
  "$build/table_fuzz.log" "$@"
if [ "$failed" -ne 0 ]; then exit 1; fi
rmdir "$findings"
