#!/usr/bin/env python3
"""Times combo.exe under Wine with its output on NUL and in a file.

Usage: bench/windows_nul.py [COMBOS] [ROUNDS]   (default 10000 combos, 5)

NUL is a character device, which the C runtime's _isatty takes for a
terminal; combo.exe flushes before each read only on a real console, so a
scripted session should take about as long into NUL as into a file. Each run
is `cmd /c "combo.exe < session > NUL"` (or `> file`) on a pseudo-terminal,
which Wine makes a console, as a Windows user would type it. The programs
take turns round by round; the medians and their ratio are printed. Pass
another combo.exe in COMBO_EXE to compare (the default is the one that
tools/windows.sh builds in build-win/, which must have run once).
"""

import fcntl
import os
import pty
import select
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def run_on_console(command, cwd):
    """Runs a cmd.exe command line on a new pseudo-terminal and returns the
    seconds it took and its exit status."""
    start = time.monotonic()
    pid, fd = pty.fork()
    if pid == 0:
        os.chdir(cwd)
        os.execvp("wine", ["wine", "cmd", "/c", command])
    while True:
        if select.select([fd], [], [], 0.05)[0]:
            try:
                os.read(fd, 65536)
            except OSError:
                pass
        ended, status = os.waitpid(pid, os.WNOHANG)
        if ended:
            break
    seconds = time.monotonic() - start
    os.close(fd)
    return seconds, os.waitstatus_to_exitcode(status)


def main():
    combos = int(sys.argv[1]) if len(sys.argv) > 1 else 10000
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    program = os.environ.get("COMBO_EXE",
                             os.path.join(ROOT, "build-win", "combo.exe"))
    os.environ.setdefault("WINEPREFIX", os.path.join(
        os.environ.get("XDG_CACHE_HOME", os.path.expanduser("~/.cache")),
        "combo-wine"))
    os.environ["WINEDEBUG"] = "-all"
    os.environ.pop("DISPLAY", None)
    # The same lock as tools/windows.sh: its wineserver -k would end a run.
    lock = open(os.path.join(os.environ["WINEPREFIX"], "windows.sh.lock"), "w")
    fcntl.flock(lock, fcntl.LOCK_EX)
    subprocess.run(["wineserver", "-p"], stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    with tempfile.TemporaryDirectory() as work:
        with open(os.path.join(work, "session.txt"), "wb") as session:
            subprocess.run([sys.executable,
                            os.path.join(ROOT, "bench", "gen_session.py"),
                            "1", str(combos)], stdout=session, check=True)
        with open(os.path.join(work, "combo.exe"), "wb") as copy:
            with open(program, "rb") as original:
                copy.write(original.read())
        times = {"NUL": [], "out.txt": []}
        for _ in range(rounds):
            for target in times:
                seconds, status = run_on_console(
                    "combo.exe < session.txt > " + target, work)
                if status != 0:
                    sys.exit("windows_nul.py: exit status %d into %s"
                             % (status, target))
                times[target].append(seconds)
        written = os.path.getsize(os.path.join(work, "out.txt"))
    subprocess.run(["wineserver", "-k"], stderr=subprocess.DEVNULL)
    print("%s: %d combos, %d bytes written, %d rounds"
          % (program, combos, written, rounds))
    for target, seconds in times.items():
        print("  > %-8s median %.2f s (%s)" % (
            target, statistics.median(seconds),
            " ".join("%.2f" % s for s in seconds)))
    print("  NUL / file: %.2f" % (statistics.median(times["NUL"])
                                  / statistics.median(times["out.txt"])))


main()
