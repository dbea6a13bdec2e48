#!/bin/sh
# Builds the libFuzzer target combo_fuzz with clang in build-fuzz (configured
# the first time, brought up to date after) and runs it for a bounded time on
# a copy of the seed corpus.
# Exits with status 0 if the fuzzer found nothing, and otherwise non-zero,
# after printing where the input that broke the program was saved and how to
# run the program on it again.
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
seconds=${1:-60}
if [ $# -gt 0 ]; then shift; fi
build=build-fuzz
fuzzer=$build/fuzz/combo_fuzz

# Configure unless a configuration has succeeded here before.
if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
  generator=
  if command -v ninja >/dev/null 2>&1; then generator="-G Ninja"; fi
  # shellcheck disable=SC2086  # $generator is empty or two words
  CC=clang CXX=clang++ cmake -S . -B "$build" $generator \
    -DCOMBO_FUZZ=ON -DBUILD_TESTING=OFF </dev/null
fi
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

echo "fuzzing for $seconds seconds; findings go to $findings/"
status=0
"$fuzzer" -max_total_time="$seconds" -timeout=10 -max_len=4096 \
  -dict=fuzz/combo.dict -artifact_prefix="$findings/" \
  -print_final_stats=1 "$@" "$work/corpus" </dev/null || status=$?

found=$(ls "$findings")
if [ "$status" -ne 0 ] || [ -n "$found" ]; then
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
echo "combo_fuzz found nothing in $seconds seconds."
