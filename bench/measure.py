#!/usr/bin/env python3
"""Measures combo against the limit of moving its output bytes at all, and
against the obvious scanf/printf program; then its memory and start-up.

Usage: measure.py BUILD_DIR WORK_DIR [--seed N] [--combos N] [--rounds N]

BUILD_DIR holds a release build of combo, bench/stdio_baseline and
bench/startup_baseline; WORK_DIR receives the generated sessions and
outputs. bench/run.sh builds and calls this; see there.

All figures are ratios of times measured in this one run, alternating the
contenders round by round, so a shared, noisy machine slows them alike.
The targets are reported, never enforced: a miss does not fail the run. A
difference in output bytes does (status 1).
"""

import argparse
import json
import os
import re
import shutil
import statistics
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SRC = os.path.join(os.path.dirname(HERE), "src")
# The tests' own fail(): "FAIL: MESSAGE", exit status 1.
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "tests"))
from ptyproc import fail  # noqa: E402 (the path is set just above)

CAT_TARGET = 2.5   # combo at most this many times the cat limit
CAT_GOAL = 2.0
STDIO_TARGET = 1 / 3  # and at most this share of the scanf/printf program


def section(title):
    print()
    print("== " + title)


def generate(work, seed, combos):
    """Writes the session of `combos` combos from `seed` (once) and returns
    its path."""
    path = os.path.join(work, "session-%d-%d.in" % (seed, combos))
    if not os.path.exists(path):
        with open(path + ".tmp", "wb") as out:
            generator = os.path.join(HERE, "gen_session.py")
            subprocess.run([sys.executable, generator, str(seed), str(combos)],
                           stdout=out, check=True)
        os.replace(path + ".tmp", path)
    return path


def run_to_file(program, input_path, output_path):
    """Runs program on input_path into output_path; returns its status and
    peak resident memory in KiB."""
    with open(input_path, "rb") as inp, open(output_path, "wb") as out:
        proc = subprocess.Popen([program], stdin=inp, stdout=out)
        _, status, usage = os.wait4(proc.pid, 0)
        proc.returncode = os.waitstatus_to_exitcode(status)
    return proc.returncode, usage.ru_maxrss


def time_pipeline(producer, input_path):
    """Runs `producer` (argv) with stdin from input_path (or /dev/null) into
    a pipe read by `cat > /dev/null`; returns the wall time in seconds and
    the producer's status."""
    with open(input_path or os.devnull, "rb") as inp, \
            open(os.devnull, "wb") as null:
        start = time.perf_counter()
        first = subprocess.Popen(producer, stdin=inp, stdout=subprocess.PIPE)
        second = subprocess.Popen(["cat"], stdin=first.stdout, stdout=null)
        first.stdout.close()
        status = first.wait()
        second.wait()
        elapsed = time.perf_counter() - start
    return elapsed, status


def mib_per_s(size, seconds):
    return size / seconds / (1 << 20)


def throughput(build, work, session, rounds):
    section("Throughput: a scripted session, output into a pipe read by "
            "cat > /dev/null")
    combo = os.path.join(build, "combo")
    stdio = os.path.join(build, "bench", "stdio_baseline")
    expected = os.path.join(work, "session.out")
    status, _ = run_to_file(combo, session, expected)
    if status != 0:
        fail("combo ended the session with status %d, not 0" % status)
    baseline_out = os.path.join(work, "session.stdio.out")
    status, _ = run_to_file(stdio, session, baseline_out)
    if status != 0:
        fail("stdio_baseline ended with status %d, not 0" % status)
    with open(expected, "rb") as a, open(baseline_out, "rb") as b:
        if a.read() != b.read():
            fail("combo and stdio_baseline wrote different bytes")
    in_size = os.path.getsize(session)
    out_size = os.path.getsize(expected)
    print("input   %10d bytes  %s" % (in_size, os.path.basename(session)))
    print("output  %10d bytes  (combo and stdio_baseline: identical)"
          % out_size)

    contenders = [
        ("cat (limit)", ["cat", expected], None),
        ("combo", [combo], session),
        ("stdio_baseline", [stdio], session),
    ]
    times = {name: [] for name, _, _ in contenders}
    for name, argv, inp in contenders:  # warm the caches once
        time_pipeline(argv, inp)
    for _ in range(rounds):
        for name, argv, inp in contenders:
            elapsed, status = time_pipeline(argv, inp)
            if status != 0:
                fail("%s ended with status %d" % (name, status))
            times[name].append(elapsed)
    median = {name: statistics.median(t) for name, t in times.items()}
    print("%d rounds, alternating; median wall time of each pipeline:"
          % rounds)
    for name, _, _ in contenders:
        print("  %-15s %8.1f ms   %7.1f MiB/s of output"
              % (name, median[name] * 1e3,
                 mib_per_s(out_size, median[name])))

    def ratio(a, b):
        """The median over the rounds of a's time over b's in that round:
        neighbours in time share the machine's load."""
        return statistics.median(x / y for x, y in zip(times[a], times[b]))

    cat_ratio = ratio("combo", "cat (limit)")
    stdio_ratio = ratio("combo", "stdio_baseline")
    print("ratios, median of the rounds' ratios:")
    verdict = ("goal met" if cat_ratio <= CAT_GOAL else
               "target met" if cat_ratio <= CAT_TARGET else "TARGET MISSED")
    print("combo / cat             %5.2f   (target <= %.1f, goal <= %.1f: %s)"
          % (cat_ratio, CAT_TARGET, CAT_GOAL, verdict))
    print("combo / stdio_baseline  %5.2f   (target <= %.2f: %s)"
          % (stdio_ratio, STDIO_TARGET,
             "met" if stdio_ratio <= STDIO_TARGET else "MISSED"))
    print("stdio_baseline / cat    %5.2f" % ratio("stdio_baseline",
                                                  "cat (limit)"))


def system_calls(build, work, session):
    """Counts combo's read(2) and write(2) calls on the session: one write
    per 64 KiB of output, and a flush before each read of input."""
    section("System calls: the session from a file, output to /dev/null")
    if not shutil.which("strace"):
        print("strace not installed (Debian package strace): skipped")
        return
    report = os.path.join(work, "strace.txt")
    with open(session, "rb") as inp:
        subprocess.run(["strace", "-c", "-e", "trace=read,write", "-o", report,
                        os.path.join(build, "combo")], stdin=inp,
                       stdout=subprocess.DEVNULL, check=True)
    calls = {}
    with open(report) as f:
        for line in f:
            fields = line.split()
            if fields and fields[-1] in ("read", "write"):
                calls[fields[-1]] = int(fields[3])
    in_size = os.path.getsize(session)
    out_size = os.path.getsize(os.path.join(work, "session.out"))
    reads = -(-in_size // 65536)
    writes = -(-out_size // 65536)
    print("read(2):  %5d  for %d input bytes, %d of them in 64 KiB reads "
          "(the dynamic loader makes one)" % (calls.get("read", 0), in_size,
                                              reads))
    print("write(2): %5d  for %d output bytes; %d are needed in 64 KiB writes,"
          % (calls.get("write", 0), out_size, writes))
    extra = calls.get("write", 0) - writes
    print("          flushing before each read of input (%d reads) adds %d"
          " (%.1f%%)" % (reads, extra, 100.0 * extra / writes))


def heap_usage(program, session):
    """Returns valgrind's "total heap usage" line for program on session."""
    proc = subprocess.run(["valgrind", "--error-exitcode=99", program],
                          stdin=open(session, "rb"), stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE, text=True)
    if proc.returncode != 0:
        fail("under valgrind, %s ended with status %d:\n%s"
             % (program, proc.returncode, proc.stderr))
    match = re.search(r"total heap usage: .*", proc.stderr)
    if not match:
        fail("no heap summary from valgrind:\n" + proc.stderr)
    return match.group(0)


def memory(build, work, seed):
    section("Memory")
    combo = os.path.join(build, "combo")
    small = generate(work, seed, 3)
    large = generate(work, seed, 3000)
    if shutil.which("valgrind"):
        lines = [heap_usage(combo, s) for s in (small, large)]
        print("valgrind, 3 combos:     " + lines[0])
        print("valgrind, 3,000 combos: " + lines[1])
        counts = [re.search(r"([\d,]+) allocs", l).group(1) for l in lines]
        print("heap allocations: %s and %s: %s"
              % (counts[0], counts[1],
                 "the same" if counts[0] == counts[1] else "DIFFERENT"))
    else:
        print("valgrind not installed (Debian package valgrind): heap count "
              "skipped")
    if not os.path.exists("/proc/self/status"):
        print("no /proc: peak resident memory skipped")
        return
    print("resident memory, read from /proc while combo waits for the last "
          "answer:")
    print("  %7s %13s %11s %12s %11s"
          % ("combos", "input bytes", "peak VmHWM", "of it anon.", "VmData"))
    peaks = []
    for combos in (3, 300, 3000, 30000, 100000):
        session = generate(work, seed, combos)
        peak = peak_memory(combo, session, work)
        peaks.append(peak)
        print("  %7d %13d %7d KiB %8d KiB %7d KiB"
              % ((combos, os.path.getsize(session)) + peak))
    print("growth from 3 to 100,000 combos: peak %+d KiB, anonymous %+d KiB, "
          "data %+d KiB" % tuple(b - a for a, b in zip(peaks[0], peaks[-1])))
    print("(the anonymous memory grows only while combo's two 64 KiB buffers "
          "are first filled; the rest of the peak is shared library pages)")


def proc_status_kib(pid, field):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith(field + ":"):
                return int(line.split()[1])
    fail("no %s in /proc/%d/status" % (field, pid))


def peak_memory(program, session, work):
    """Plays the whole session through pipes but for its last answer, the 0
    that ends the program; once all output has arrived the program is
    waiting for that answer, and its peak resident memory (VmHWM) is read
    from /proc. (ru_maxrss would not do: Linux counts in it the memory of
    the process that started the program.) Returns the peak, the anonymous
    memory then resident, and the size of the data segment, in KiB."""
    expected = os.path.join(work, "peak.out")
    status, _ = run_to_file(program, session, expected)
    if status != 0:
        fail("%s ended with status %d" % (program, status))
    out_size = os.path.getsize(expected)
    with open(session, "rb") as f:
        script = f.read()
    if not script.endswith(b" 0\n"):
        fail("the session does not end with the answer 0")
    received = [0]
    proc = subprocess.Popen([program], stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE)

    def drain():
        while True:
            chunk = proc.stdout.read1(1 << 16)
            if not chunk:
                return
            received[0] += len(chunk)

    reader = threading.Thread(target=drain)
    reader.start()
    proc.stdin.write(script[:-2])
    proc.stdin.flush()
    deadline = time.monotonic() + 120
    while received[0] < out_size and time.monotonic() < deadline:
        time.sleep(0.01)
    if received[0] != out_size:
        fail("%s wrote %d bytes before the last answer, not %d"
             % (program, received[0], out_size))
    peak = tuple(proc_status_kib(proc.pid, field)
                 for field in ("VmHWM", "RssAnon", "VmData"))
    proc.stdin.write(b"0\n")
    proc.stdin.close()
    status = proc.wait()
    reader.join()
    if status != 0 or received[0] != out_size:
        fail("%s: status %d, %d bytes after the last answer"
             % (program, status, received[0]))
    return peak


def startup(build, work, runs):
    section("Start-up: empty input, output to /dev/null")
    combo = os.path.join(build, "combo")
    plain = os.path.join(build, "bench", "startup_baseline")
    outs = []
    for program in (combo, plain):
        path = os.path.join(work, os.path.basename(program) + ".empty.out")
        status, _ = run_to_file(program, os.devnull, path)
        if status != 1:
            fail("%s on empty input: status %d, not 1" % (program, status))
        with open(path, "rb") as f:
            outs.append(f.read())
    if outs[0] != outs[1]:
        fail("combo and startup_baseline wrote different bytes on empty input")
    print("both write the same %d bytes and end with status 1" % len(outs[0]))
    if not shutil.which("hyperfine"):
        print("hyperfine not installed (Debian package hyperfine): timing "
              "skipped")
        return
    medians = {combo: [], plain: []}
    # Several short hyperfine runs, alternating the order, so that a burst
    # of load elsewhere on the machine falls on both programs.
    for round_ in range(4):
        order = (combo, plain) if round_ % 2 == 0 else (plain, combo)
        report = os.path.join(work, "startup.json")
        proc = subprocess.run(["hyperfine", "-N", "--style", "none", "-i",
                               "--warmup", "20", "--runs", str(runs),
                               "--export-json", report] + list(order),
                              stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL,
                              stderr=subprocess.PIPE, text=True)
        if proc.returncode != 0:
            fail("hyperfine failed:\n" + proc.stderr)
        with open(report) as f:
            for result in json.load(f)["results"]:
                medians[result["command"]].append(result["median"])
    m_combo = statistics.median(medians[combo])
    m_plain = statistics.median(medians[plain])
    print("hyperfine -N, 4 x %d runs each, median:" % runs)
    print("  combo             %7.0f us" % (m_combo * 1e6))
    print("  startup_baseline  %7.0f us  (plain C, same bytes)"
          % (m_plain * 1e6))
    ratio = m_combo / m_plain
    print("combo / plain C   %5.2f   (target <= 1.0: %s)"
          % (ratio, "met" if ratio <= 1.0 else
             "within 5%, noise" if ratio <= 1.05 else "MISSED"))


def object_files(build):
    """The object files of the program itself (combo_core and main)."""
    found = []
    for root, _, files in os.walk(os.path.join(build, "CMakeFiles")):
        if os.path.basename(root) == "src" and (
                "combo_core.dir" in root or "combo.dir" in root):
            found += [os.path.join(root, f) for f in files if f.endswith(".o")]
    return sorted(found)


def init_array_size(path):
    """Bytes of the .init_array section of an ELF file, 0 if it has none."""
    out = subprocess.run(["readelf", "-SW", path], stdout=subprocess.PIPE,
                         text=True, check=True).stdout
    for line in out.splitlines():
        fields = line.replace("[ ", "[").split()
        if len(fields) > 5 and fields[1] == ".init_array":
            return int(fields[5], 16)
    return 0


def static_init(build):
    section("Static initialisation")
    objects = object_files(build)
    if not objects or not shutil.which("readelf") or not shutil.which("nm"):
        print("object files or binutils (readelf, nm) not found: skipped")
        return
    ours = []
    for obj in objects:
        symbols = subprocess.run(["nm", obj], stdout=subprocess.PIPE,
                                 text=True, check=True).stdout
        if init_array_size(obj) or "_GLOBAL__sub_I" in symbols:
            ours.append(os.path.basename(obj))
    print("constructors in our %d object files: %s"
          % (len(objects), ", ".join(ours) if ours else "none"))
    combo = init_array_size(os.path.join(build, "combo"))
    plain = init_array_size(os.path.join(build, "bench", "startup_baseline"))
    print(".init_array: combo %d bytes, plain C program %d bytes (%s)"
          % (combo, plain, "the runtime's own only" if combo == plain
             else "MORE in combo"))
    streams = [f for f in sorted(os.listdir(SRC))
               if "<iostream>" in open(os.path.join(SRC, f),
                                       encoding="utf-8").read()]
    print("<iostream> in src/: %s" % (", ".join(streams) or "none"))
    needed = subprocess.run(["readelf", "-dW", os.path.join(build, "combo")],
                            stdout=subprocess.PIPE, text=True,
                            check=True).stdout
    libs = re.findall(r"\(NEEDED\).*\[(.*)\]", needed)
    print("shared libraries combo needs: %s" % ", ".join(libs))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("work")
    parser.add_argument("--seed", type=int, default=20240601)
    parser.add_argument("--combos", type=int, default=100000)
    parser.add_argument("--rounds", type=int, default=15)
    parser.add_argument("--startup-runs", type=int, default=300)
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    print("combo benchmark: seed %d, %d combos, %d CPUs"
          % (args.seed, args.combos, os.cpu_count()))
    session = generate(args.work, args.seed, args.combos)
    throughput(args.build, args.work, session, args.rounds)
    system_calls(args.build, args.work, session)
    memory(args.build, args.work, args.seed)
    startup(args.build, args.work, args.startup_runs)
    static_init(args.build)


if __name__ == "__main__":
    main()
