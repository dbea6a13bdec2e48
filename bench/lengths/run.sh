#!/bin/sh
# Benchmarks the longest and shortest combos over many tables: builds
# lengths_bench in Release in build-lengths-bench/ (BUILD_DIR overrides it)
# and runs it with the arguments given (see lengths_bench.cpp: tables per
# count of links, seed, runs per table). Exit status 1 if the goal is
# missed: a table over 50 ms for all 8 starters, or an answer not exact.
#
# Usage: bench/lengths/run.sh [TABLES_PER_COUNT [SEED [RUNS]]]
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_DIR:-$root/build-lengths-bench}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  >/dev/null
cmake --build "$build" --parallel 2 --target lengths_bench >/dev/null
exec "$build/bench/lengths/lengths_bench" "$@"
