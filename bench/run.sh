#!/bin/sh
# Benchmarks combo on this machine: throughput of a long scripted session
# against cat (the cost of just moving its output bytes) and against a
# scanf/printf rendering of the same dialogue; heap allocations and peak
# memory as the session grows; start-up against a plain C program.
#
# Usage: bench/run.sh [--seed N] [--combos N] [--rounds N] [--startup-runs N]
#
# Builds a release build in build-bench/ if needed (or in $COMBO_BENCH_BUILD)
# and keeps the generated sessions there. Needs cmake, a C and C++ compiler
# and python3; without valgrind, hyperfine or strace it skips the heap count,
# the start-up timing or the system-call count.
# Prints ratios measured in this one run; a missed target is reported, not
# fatal. Exit status 1 if combo's output differs from the baseline's.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${COMBO_BENCH_BUILD:-$root/build-bench}
# shellcheck source=tools/lib.sh
. "$root/tools/lib.sh"

# Quiet unless something goes wrong.
if ! grep -qs '^CMAKE_BUILD_TYPE:STRING=Release$' "$build/CMakeCache.txt"; then
  quietly cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release
fi
quietly cmake --build "$build" --target combo stdio_baseline startup_baseline

exec python3 "$root/bench/measure.py" "$build" "$build/bench-work" "$@"
