"""Runs ./play on a pseudo-terminal, as a person at a UTF-8 terminal does,
with a stand-in for luit on PATH (never the real one).

Usage: play_test.py CASE PLAY BUILD_DIR
  luit_crashes_at_start   luit puts the terminal in raw mode and crashes
  luit_crashes_at_output  luit starts the game, makes the terminal raw and
                     non-blocking, and crashes at the game's first output;
                     either way the terminal comes back as it was, a hint is
                     shown and the game runs
  encodings_missing  the file luit reads at start is missing: a hint is
                     shown and the game runs without luit, which never starts
  plays_to_the_end   the game's exit status comes back through luit:
                     0 after the answers 0 and 0
  end_of_input       ... and 1 after Ctrl-D at the starter prompt
  ctrl_c             Ctrl-C at the starter prompt: status 130, and the cursor
                     on a fresh line
  term_to_play       kill -TERM of play alone
  term_to_group      kill -TERM of play's process group
  terminal_closed    the terminal goes away
The last three, and every other case, check that no process of the game is
left and no file is left in $TMPDIR once play has ended; those that end by
a signal also check that the terminal's settings are as they were.
"""

import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import termios
import time
import uuid

TIMEOUT = 20.0  # play may have to start a build that is out of date
PROMPT_ENDS = ["：".encode("utf-8"), "：".encode("shift_jis")]
MENU_UTF8 = "1,空中浮き 2,空中きりもみ".encode("utf-8")
MENU_SJIS = "1,空中浮き 2,空中きりもみ".encode("shift_jis")

# Like luit: runs the command after "--" on a pseudo-terminal of its own, in
# a session of its own, with this terminal in raw mode meanwhile, shows the
# command's Shift_JIS output in UTF-8, and does not pass on its exit status.
# A signal that ends it leaves the terminal in raw mode, as with luit.
WORKING_LUIT = """#!%(python)s
import codecs, os, pty, select, signal, sys, termios, tty
argv = sys.argv[sys.argv.index("--") + 1:]
pid, master = pty.fork()
if pid == 0:
    signal.signal(signal.SIGPIPE, signal.SIG_DFL)
    os.execvp(argv[0], argv)
saved = termios.tcgetattr(0)
tty.setraw(0)
decode = codecs.getincrementaldecoder("shift_jis")("replace").decode
try:
    while True:
        ready = select.select([0, master], [], [])[0]
        if 0 in ready:
            data = os.read(0, 1024)
            if not data:
                break
            os.write(master, data)
        if master in ready:
            try:
                data = os.read(master, 1024)
            except OSError:  # the command has ended
                break
            if not data:
                break
            os.write(1, decode(data).encode("utf-8"))
finally:
    termios.tcsetattr(0, termios.TCSAFLUSH, saved)
os.waitpid(pid, 0)
"""

# A luit that crashes before it starts the command: raw mode, then a crash.
LUIT_CRASHING_AT_START = """#!/bin/sh
echo "luit started"
stty raw -echo
kill -SEGV $$
"""

# Like luit when its encodings cannot be read: it starts the command, makes
# this terminal raw and non-blocking, and crashes at the command's first
# output, which is never shown.
LUIT_CRASHING_AT_OUTPUT = """#!%(python)s
import fcntl, os, pty, signal, sys, tty
argv = sys.argv[sys.argv.index("--") + 1:]
pid, master = pty.fork()
if pid == 0:
    signal.signal(signal.SIGPIPE, signal.SIG_DFL)
    os.execvp(argv[0], argv)
tty.setraw(0)
fcntl.fcntl(0, fcntl.F_SETFL, fcntl.fcntl(0, fcntl.F_GETFL) | os.O_NONBLOCK)
os.read(master, 1)
os.kill(os.getpid(), signal.SIGSEGV)
"""


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


class Session:
    """./play on a fresh pseudo-terminal, with luit on PATH being `luit`
    (a script) and `environment` added to its environment."""

    def __init__(self, play, build, luit, environment=None):
        self.work = tempfile.mkdtemp(prefix="play_test.")
        self.tmpdir = os.path.join(self.work, "tmp")
        bin_dir = os.path.join(self.work, "bin")
        os.mkdir(self.tmpdir)
        os.mkdir(bin_dir)
        with open(os.path.join(bin_dir, "luit"), "w") as f:
            f.write(luit % {"python": sys.executable})
        os.chmod(os.path.join(bin_dir, "luit"), 0o755)
        encodings = os.path.join(self.work, "encodings.dir")
        open(encodings, "w").close()

        # Every process play starts inherits this mark.
        self.mark = ("PLAY_TEST_MARK=" + uuid.uuid4().hex).encode()
        env = {k: v for k, v in os.environ.items()
               if not k.startswith("LC_") and k != "LANGUAGE"}
        env.update(LANG="C.UTF-8", PATH=bin_dir + ":" + os.environ["PATH"],
                   COMBO_BUILD_DIR=build, FONT_ENCODINGS_DIRECTORY=encodings,
                   TMPDIR=self.tmpdir)
        env.update(environment or {})
        key, value = self.mark.decode().split("=")
        env[key] = value

        self.master, slave = os.openpty()
        self.settings = termios.tcgetattr(slave)
        self.proc = subprocess.Popen(
            [play], stdin=slave, stdout=slave, stderr=slave, env=env,
            start_new_session=True,
            preexec_fn=lambda: __import__("fcntl").ioctl(
                0, termios.TIOCSCTTY, 0))
        os.close(slave)
        self.screen = b""

    def read_until(self, done, what):
        """Reads the screen until done(screen) holds; fails after TIMEOUT."""
        deadline = time.monotonic() + TIMEOUT
        while not done(self.screen):
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.master], [], [], left)[0]:
                fail("no %s within %ss; screen so far:\n%s"
                     % (what, TIMEOUT, self.shown()))
            try:
                chunk = os.read(self.master, 65536)
            except OSError:
                chunk = b""
            if not chunk:
                fail("the screen ended before %s:\n%s" % (what, self.shown()))
            self.screen += chunk

    def wait_for_prompt(self):
        self.read_until(
            lambda s: any(s.endswith(end) for end in PROMPT_ENDS), "prompt")

    def type(self, keys):
        os.write(self.master, keys)

    def finish(self):
        """Reads the rest of the screen and returns play's exit status."""
        deadline = time.monotonic() + TIMEOUT
        while True:
            left = deadline - time.monotonic()
            if left <= 0:
                fail("play did not end within %ss; screen:\n%s"
                     % (TIMEOUT, self.shown()))
            if not select.select([self.master], [], [], left)[0]:
                continue
            try:
                chunk = os.read(self.master, 65536)
            except OSError:  # a pseudo-terminal reports its end as EIO
                break
            if not chunk:
                break
            self.screen += chunk
        return self.wait()

    def wait(self):
        try:
            return self.proc.wait(timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            fail("play did not end within %ss" % TIMEOUT)

    def shown(self):
        return self.screen.decode("utf-8", "replace")

    def check_settings_restored(self):
        if termios.tcgetattr(self.master) != self.settings:
            fail("the terminal's settings were not restored")

    def check_nothing_left(self):
        """No process with this session's mark, no file in $TMPDIR."""
        deadline = time.monotonic() + TIMEOUT
        while True:
            left = self.marked_processes()
            if not left:
                break
            if time.monotonic() > deadline:
                fail("processes left running: %s" % ", ".join(left))
            time.sleep(0.1)
        files = os.listdir(self.tmpdir)
        if files:
            fail("files left in $TMPDIR: %s" % ", ".join(files))

    def marked_processes(self):
        """The processes with this session's mark, as "PID (command line)".
        Any process of the machine may come or go while /proc is read, and
        its command line may be bytes in any encoding."""
        found = []
        for pid in filter(str.isdigit, os.listdir("/proc")):
            environ = read_proc(pid, "environ")
            if environ is None or self.mark not in environ.split(b"\0"):
                continue
            command = (read_proc(pid, "cmdline") or b"").replace(b"\0", b" ")
            found.append("%s (%s)" % (
                pid, command.decode("utf-8", "replace").strip()))
        return found

    def close(self):
        try:
            os.close(self.master)
        except OSError:
            pass
        shutil.rmtree(self.work, ignore_errors=True)


def read_proc(pid, name):
    """Returns the bytes of /proc/PID/NAME, or None if they cannot be read:
    the process has gone, is a zombie, or is another user's."""
    try:
        with open("/proc/%s/%s" % (pid, name), "rb") as f:
            return f.read()
    except OSError:
        return None


def expect_status(got, want, session):
    if got != want:
        fail("exit status %d, expected %d; screen:\n%s"
             % (got, want, session.shown()))


def expect_on_screen(text, session):
    if text not in session.screen:
        fail("%r is not on the screen:\n%s" % (text, session.shown()))


def luit_crashes(play, build, luit):
    s = Session(play, build, luit)
    s.wait_for_prompt()
    s.check_settings_restored()
    expect_on_screen(b"play: luit failed (signal SEGV)", s)
    expect_on_screen(MENU_SJIS, s)  # the game itself, without luit
    # It can read the terminal: no longer raw, and no longer non-blocking.
    s.type(b"0\n0\n")
    expect_status(s.finish(), 0, s)
    s.check_nothing_left()
    return s


def test_luit_crashes_at_start(play, build):
    s = luit_crashes(play, build, LUIT_CRASHING_AT_START)
    expect_on_screen(b"luit started", s)
    s.close()


def test_luit_crashes_at_output(play, build):
    luit_crashes(play, build, LUIT_CRASHING_AT_OUTPUT).close()


def test_encodings_missing(play, build):
    s = Session(play, build, LUIT_CRASHING_AT_START, {
        "FONT_ENCODINGS_DIRECTORY": "/nonexistent/encodings.dir"})
    s.wait_for_prompt()
    expect_on_screen(
        b"play: luit needs /nonexistent/encodings.dir, which is missing", s)
    if b"luit started" in s.screen:
        fail("luit was started:\n" + s.shown())
    expect_on_screen(MENU_SJIS, s)
    s.type(b"0\n0\n")
    expect_status(s.finish(), 0, s)
    s.check_settings_restored()
    s.check_nothing_left()
    s.close()


def play_through_luit(play, build, keys, status):
    s = Session(play, build, WORKING_LUIT)
    s.wait_for_prompt()
    expect_on_screen(MENU_UTF8, s)
    s.type(keys)
    expect_status(s.finish(), status, s)
    s.check_settings_restored()
    s.check_nothing_left()
    return s


def test_plays_to_the_end(play, build):
    play_through_luit(play, build, b"0\n0\n", 0).close()


def test_end_of_input(play, build):
    play_through_luit(play, build, b"\x04", 1).close()


def test_ctrl_c(play, build):
    s = play_through_luit(play, build, b"\x03", 130)
    # The terminal echoes ^C; the shell's prompt must not follow it.
    if not s.screen.endswith(b"^C\r\n"):
        fail("the screen does not end with ^C and a line break: %r"
             % s.screen[-40:])
    s.close()


def signal_play(play, build, send, status):
    s = Session(play, build, WORKING_LUIT)
    s.wait_for_prompt()
    send(s)
    if status is None:  # the terminal is gone: nothing more to see on it
        s.wait()
    else:
        expect_status(s.finish(), status, s)
        s.check_settings_restored()
    s.check_nothing_left()
    s.close()


def test_term_to_play(play, build):
    signal_play(play, build,
                lambda s: os.kill(s.proc.pid, signal.SIGTERM), 143)


def test_term_to_group(play, build):
    signal_play(play, build,
                lambda s: os.killpg(s.proc.pid, signal.SIGTERM), 143)


def test_terminal_closed(play, build):
    signal_play(play, build, lambda s: os.close(s.master), None)


def main():
    if len(sys.argv) != 4:
        fail("usage: play_test.py CASE PLAY BUILD_DIR")
    case, play, build = sys.argv[1:]
    test = globals().get("test_" + case)
    if test is None:
        fail("no case " + case)
    if shutil.which("stty") is None:
        fail("stty is missing")
    test(play, build)


if __name__ == "__main__":
    main()
