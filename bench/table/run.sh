#!/bin/sh
# Times combo-atlas itself on tables of every size, against the goals of any
# table: the exact atlas (<= 28 links within 0.2 s, random tables of 32
# links within 5 s, of 40 links within 15 s, the table of every link within
# 60 s, on 2 cores), --estimate within 100 ms, and the memory it takes.
#
# Usage: bench/table/run.sh [quick]   (quick: without the table of every
#                                      link, which takes 16 s on 2 cores)
#
# Builds combo-atlas in Release in build-table-bench/ (BUILD_DIR overrides
# it) and runs bench/table/table_bench.py on it; see there for what it
# prints. Needs python3. A missed goal is reported, not fatal.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_DIR:-$root/build-table-bench}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  >/dev/null
cmake --build "$build" --parallel 2 --target combo-atlas >/dev/null
exec python3 "$root/bench/table/table_bench.py" "$build/combo-atlas" "$@"
