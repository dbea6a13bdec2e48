#!/bin/sh
# Times the exact count of complete combos for any table (the engine of
# src/exact_count.cpp on the threads of src/count_threads.cpp) and its
# instant bounds, on the tables the goals name: three random tables of 28
# links (0.2 s), of 32 links (5 s) and of 40 links (15 s), and the table of
# all 64 links (60 s), each on 1 and on 2 threads (the goals are for 2);
# the game's table too, checked against README.md's counts; and the bounds
# for 8 starters (100 ms for --estimate as a whole).
#
# Usage: bench/count/run.sh [TABLE...]
#   TABLE: game, random28, random32, random40, complete, estimate (all by
#   default)
#
# Builds count_bench in Release in build-count-bench/ (BUILD_DIR overrides
# it). Prints, for each run, the wall-clock time and the processor time of
# all threads together: on a machine shared with other work the second
# shows what the engine itself costs. A missed goal is reported, not fatal;
# exit status 1 if the game's counts differ from README.md's.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_DIR:-$root/build-count-bench}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  >/dev/null
cmake --build "$build" --parallel 2 --target count_bench >/dev/null
echo "machine: $(nproc) cores, $(uname -m)"
exec "$build/bench/count/count_bench" "$@"
