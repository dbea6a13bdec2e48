#!/bin/sh
# Times combo-atlas against the plain depth-first search of plain_dfs.cpp.
#
# Usage: bench/atlas/run.sh [RUNS]      (RUNS: timed runs of each, default 10)
#
# Builds both in Release in build-atlas-bench/ (BUILD_DIR overrides it),
# checks that they print exactly the same atlas, then times them with
# hyperfine (Debian package hyperfine) if it is installed, or else (and with
# NO_HYPERFINE=1) runs them in turn RUNS times each, reading the clock with
# date +%s.%N. Prints each one's median time in seconds and the ratio of
# combo-atlas's median to the baseline's. The ratio must be at most 0.5, and
# the goal is 0.1; the script fails if the ratio is above 0.5.
#
# PEER=PROGRAM times another combo-atlas too (one built from an older
# revision, say) in the same runs, after checking that it prints the same,
# and prints its ratio to the baseline beside this one's.
set -eu
runs=${1:-10}
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_DIR:-$root/build-atlas-bench}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  >/dev/null
cmake --build "$build" --parallel --target combo-atlas atlas_plain_dfs \
  >/dev/null
atlas=$build/combo-atlas
plain=$build/bench/atlas/atlas_plain_dfs

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$atlas" >"$work/atlas.out"
"$plain" >"$work/plain.out"
if ! cmp -s "$work/atlas.out" "$work/plain.out"; then
  echo "FAIL: combo-atlas and the plain search disagree:"
  diff "$work/plain.out" "$work/atlas.out" || true
  exit 1
fi
peer=${PEER:-}
if [ -n "$peer" ]; then
  "$peer" >"$work/peer.out"
  if ! cmp -s "$work/peer.out" "$work/plain.out"; then
    echo "FAIL: $peer and the plain search disagree"
    exit 1
  fi
fi
echo "outputs identical:"
cat "$work/atlas.out"

# median FILE: the median of the numbers in FILE, one a line.
median() {
  sort -g "$1" | awk '{ v[NR] = $1 }
    END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

if [ "${NO_HYPERFINE:-0}" != 1 ] && command -v hyperfine >/dev/null 2>&1; then
  hyperfine --warmup 2 --runs "$runs" --output=null --style basic \
    --export-csv "$work/times.csv" "$plain" "$atlas" ${peer:+"$peer"}
  # Columns: command,mean,stddev,median,user,system,min,max
  plain_median=$(awk -F, 'NR == 2 { print $4 }' "$work/times.csv")
  atlas_median=$(awk -F, 'NR == 3 { print $4 }' "$work/times.csv")
  peer_median=$(awk -F, 'NR == 4 { print $4 }' "$work/times.csv")
  timer=hyperfine
else
  # One run of each, alternately, so that a slow spell of the machine falls
  # on both alike.
  : >"$work/plain.times"
  : >"$work/atlas.times"
  : >"$work/peer.times"
  i=0
  while [ "$i" -lt "$runs" ]; do
    for which in plain atlas ${peer:+peer}; do
      case $which in
        plain) program=$plain ;;
        atlas) program=$atlas ;;
        *) program=$peer ;;
      esac
      start=$(date +%s.%N)
      "$program" >/dev/null
      end=$(date +%s.%N)
      echo "$start $end" | awk '{ printf "%.6f\n", $2 - $1 }' \
        >>"$work/$which.times"
    done
    i=$((i + 1))
  done
  plain_median=$(median "$work/plain.times")
  atlas_median=$(median "$work/atlas.times")
  peer_median=
  if [ -n "$peer" ]; then peer_median=$(median "$work/peer.times"); fi
  timer="date +%s.%N"
fi

echo
echo "timed with $timer, $runs runs each"
echo "$plain_median $atlas_median" | awk '{
  ratio = $2 / $1
  printf "plain depth-first search  median %.4f s\n", $1
  printf "combo-atlas               median %.4f s\n", $2
  printf "ratio                     %.3f (limit 0.5, goal 0.1)\n", ratio
  exit ratio > 0.5 }' || { echo "FAIL: combo-atlas is too slow"; exit 1; }
if [ -n "$peer" ]; then
  echo "$plain_median $peer_median" | awk -v peer="$peer" '{
    printf "peer %s\n  median %.4f s, ratio %.3f\n", peer, $2, $2 / $1 }'
fi
