#!/bin/sh
# Builds the libFuzzer target combo_fuzz with clang in build-fuzz (configured
# the first time, brought up to date after) and runs it for a bounded time on
# a copy of the seed corpus.
# Prints one line of figures (runs, seconds, findings) and keeps libFuzzer's
# own output in build-fuzz/fuzz.log. Exits with status 0 if the fuzzer found
# nothing, and otherwise non-zero, after printing that log, where the input
# that broke the program was saved and how to run the program on it again.
#
# Usage: tools/fuzz.sh [SECONDS [LIBFUZZER-OPTION...]]
#   SECONDS  how long to fuzz, 60 by default
#
# Needs cmake, clang and clang's sanitizer and libFuzzer runtimes (Debian 12:
# clang libclang-rt-14-dev). Reads nothing from standard input. The seeds are
# tests/fuzz_corpus/ and the inputs of tests/transcripts/; neither is
# changed, as the fuzzer works on a temporary copy.
set -eu

cd "$(dirname "$0")/.."
. tools/lib.sh
seconds=${1:-60}
if [ $# -gt 0 ]; then shift; fi
build="build-fuzz"
fuzzer=$build/fuzz/combo_fuzz

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
cmake --build "$build" --target combo_fuzz </dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
mkdir "$work/corpus"
cp tests/fuzz_corpus/* "$work/corpus/"
for input in tests/transcripts/*.in; do
  cp "$input" "$work/corpus/transcript-$(basename "$input" .in)"
done

# Whatever breaks the program is saved here, named by libFuzzer for the kind
# of finding (crash-, timeout-, leak-, oom-) and the input's SHA-1.
findings=$build/findings/$(date +%Y%m%d-%H%M%S)
mkdir -p "$findings"

# libFuzzer reports its progress line by line, a thousand lines a minute:
# they go to a log, shown only if the run fails.
log=$build/fuzz.log
step fuzz
echo "fuzzing for $seconds seconds; findings go to $findings/, the log to $log"
status=0
"$fuzzer" -max_total_time="$seconds" -timeout=10 -max_len=4096 \
  -dict=fuzz/combo.dict -artifact_prefix="$findings/" \
  -print_final_stats=1 "$@" "$work/corpus" </dev/null >"$log" 2>&1 ||
  status=$?

# libFuzzer's last word: "Done 1234567 runs in 61 second(s)".
runs=$(sed -n 's/^Done \([0-9]*\) runs in \([0-9]*\) second.*/\1 runs in \2 s/p' \
  "$log")
found=$(ls "$findings")
count=$(printf '%s' "$found" | grep -c . || true)
echo "combo_fuzz: ${runs:-no summary}, $count findings"
if [ "$status" -ne 0 ] || [ -n "$found" ]; then
  cat "$log"
  echo
  echo "FAIL: combo_fuzz stopped with status $status."
  for name in $found; do
    echo "The input is saved in $findings/$name:"
    od -A d -c "$findings/$name" | head -20
    echo "Run it again: $fuzzer $findings/$name"
  done
  [ -n "$found" ] || echo "No input was saved; see the fuzzer's report above."
  exit 1
fi
rmdir "$findings"
