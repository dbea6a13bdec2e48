#!/usr/bin/env python3
"""Times combo-atlas on tables of every size, as a user runs it.

Usage: table_bench.py COMBO_ATLAS [quick]

The tables: the game's (built in, and read from a file), random tables of
28, 32, 40, 48 and 56 links (three of each size up to 40; picked as
bench/count/count_bench.cpp picks them, so the two benchmarks time the same
tables), and the table of every link (not with quick). For each it prints
the median wall-clock time of the exact atlas (`combo-atlas --table FILE`)
and of `--estimate`, the processor time of all threads (a busy machine
inflates it less), the largest resident memory, and whether the goal for
that size was met. The machine's other work counts in the wall-clock
times: run it on a quiet machine, or read the processor times beside them.
Misses are reported, never fatal.
"""

import os
import resource
import statistics
import subprocess
import sys
import tempfile
import time

ESTIMATE_GOAL = 0.100  # seconds, any table


def exact_goal(links, random):
    """The goal for the exact atlas of a table of `links` links."""
    if links <= 28:
        return 0.2
    if random and links == 32:
        return 5.0
    if links == 40:
        return 15.0
    if links == 64:
        return 60.0
    return None


def lcg_table(seed, count):
    """count_bench.cpp's randomTable(seed, count): `count` distinct links of
    the 64, the first of a Fisher-Yates shuffle by a 64-bit LCG."""
    order = list(range(64))
    for i in range(count):
        seed = (seed * 6364136223846793005 + 1442695040888963407) % 2 ** 64
        pick = i + (seed >> 33) % (64 - i)
        order[i], order[pick] = order[pick], order[i]
    rows = {k: [] for k in range(1, 9)}
    for link in order[:count]:
        rows[link // 8 + 1].append(link % 8 + 1)
    return "".join("%d:%s\n" % (k, "".join(" %d" % j for j in sorted(rows[k])))
                   for k in range(1, 9))


TIME = "/usr/bin/time"  # GNU time (Debian package time): the memory


def timed(argv):
    """Runs argv once; returns wall seconds, processor seconds of all its
    threads and its largest resident memory in KiB (0 without GNU time).
    The memory comes from GNU time, which runs argv as a child of its own:
    a child of this process would count Python's memory until it runs
    argv."""
    with tempfile.NamedTemporaryFile() as memory:
        wrapped = argv
        if os.access(TIME, os.X_OK):
            wrapped = [TIME, "-f", "%M", "-o", memory.name] + argv
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.monotonic()
        proc = subprocess.run(wrapped, stdout=subprocess.DEVNULL,
                              stderr=subprocess.PIPE)
        wall = time.monotonic() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        if proc.returncode != 0:
            sys.exit("FAIL: %s: status %d: %s"
                     % (" ".join(argv), proc.returncode, proc.stderr.decode()))
        kib = int(memory.read().decode().strip() or 0)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return wall, cpu, kib


def median_of(argv, runs):
    results = [timed(argv) for _ in range(runs)]
    return (statistics.median(r[0] for r in results),
            statistics.median(r[1] for r in results),
            max(r[2] for r in results))


def report(name, links, what, figures, goal):
    wall, cpu, rss = figures
    verdict = ""
    if goal is not None:
        verdict = "%-6s goal %g s" % ("met" if wall <= goal else "MISSED", goal)
    print("%-16s %5d  %-8s %9.3f %9.3f %8.1f  %s"
          % (name, links, what, wall, cpu, rss / 1024, verdict))


def main():
    atlas = sys.argv[1]
    quick = sys.argv[2:] == ["quick"]
    print("machine: %d cores; medians of several runs (one for a count "
          "over a second)" % os.cpu_count())
    print("%-16s %5s  %-8s %9s %9s %8s" % ("table", "links", "run", "wall_s",
                                           "cpu_s", "rss_MiB"))
    with tempfile.TemporaryDirectory() as work:
        tables = []
        game = os.path.join(work, "game.table")
        with open(game, "wb") as f:
            f.write(subprocess.run([atlas, "--print-table"],
                                   stdout=subprocess.PIPE, check=True).stdout)
        tables.append(("game", 31, game, False))
        for links, seeds in ((28, 3), (32, 3), (40, 3), (48, 1), (56, 1)):
            for seed in range(1, seeds + 1):
                path = os.path.join(work, "random%d-%d.table" % (links, seed))
                with open(path, "w") as f:
                    f.write(lcg_table(seed, links))
                tables.append(("random%d seed %d" % (links, seed), links,
                               path, True))
        if not quick:
            path = os.path.join(work, "complete.table")
            with open(path, "w") as f:
                for k in range(1, 9):
                    f.write("%d: 1 2 3 4 5 6 7 8\n" % k)
            tables.append(("complete", 64, path, False))

        report("game built in", 31, "exact", median_of([atlas], 9), None)
        for name, links, path, random in tables:
            first = timed([atlas, "--table", path])
            runs = 1 if first[0] > 1 else 5
            exact = first if runs == 1 else median_of([atlas, "--table", path],
                                                      runs)
            report(name, links, "exact", exact, exact_goal(links, random))
            report(name, links, "estimate",
                   median_of([atlas, "--estimate", "--table", path], 5),
                   ESTIMATE_GOAL)


main()
