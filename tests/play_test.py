"""Runs ./play on a pseudo-terminal, as a person at a UTF-8 terminal does,
with a stand-in for luit on PATH (never the real one).

Usage: play_test.py CASE PLAY BUILD_DIR
  luit_crashes_at_start   luit makes the terminal raw and non-blocking and
                     crashes before it starts the game: a hint is shown and
                     the game runs without luit
  luit_crashes_at_output  luit starts the game, makes the terminal raw and
                     non-blocking, and crashes at the game's first output
  luit_dies_mid_game luit is killed after the first answer; in both cases
                     play says so on a fresh line and ends with status 2,
                     and no other game starts
  encodings_missing  the file luit reads at start is missing, or is not a
                     regular file: a hint says which, and the game runs
                     without luit, which never starts
  plays_to_the_end   the game's exit status comes back through luit:
                     0 after the answers 0 and 0
  end_of_input       ... and 1 after Ctrl-D at the starter prompt
  ctrl_c             Ctrl-C at the starter prompt: status 130, and the cursor
                     on a fresh line
  ctrl_z             Ctrl-Z in mid-combo, under a job-control shell: play
                     stops with the terminal as it was, what is typed next
                     goes to the shell, and after fg the combo goes on
  term_to_play       kill -TERM of play alone
  term_to_group      kill -TERM of play's process group
  terminal_closed    the terminal goes away
The last three, and every other case, check that no process of the game is
left and no file is left in $TMPDIR once play has ended; all but the last
also check that the terminal's settings and file flags are as they were.
"""

import fcntl
import os
import shutil
import signal
import sys
import tempfile
import termios
import time
import uuid

from ptyproc import Terminal, fail

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

# A luit that crashes before it starts the command: raw mode and a
# non-blocking terminal, then a crash.
LUIT_CRASHING_AT_START = """#!/bin/sh
echo "luit started"
stty raw -echo
perl -MFcntl -e 'fcntl(STDIN, F_SETFL, fcntl(STDIN, F_GETFL, 0) | O_NONBLOCK)'
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


# A job-control shell that runs play as a job, as a person's shell does,
# and says when play stops. It then reads a line from the terminal, as the
# shell's prompt would, and brings play back with fg.
JOB_SHELL = """set -m
"$0"
echo "play stopped: $?"
read -r line
echo "the shell read: $line"
fg >/dev/null
echo "play ended: $?"
"""

LUIT_FAILED = b"play: luit failed (signal SEGV) during the game; the game has ended"


def shown(screen):
    return screen.decode("utf-8", "replace")


class Session(Terminal):
    """./play on a fresh pseudo-terminal, with luit on PATH being `luit`
    (a script) and `environment` added to its environment; with `shell`,
    run as a job of JOB_SHELL. The terminal's open file, which play shares
    with whatever started it, is held here too (`terminal`), to read its
    flags once play has ended."""

    def __init__(self, play, build, luit, environment=None, shell=False):
        self.work = tempfile.mkdtemp(prefix="play_test.")
        self.tmpdir = os.path.join(self.work, "tmp")
        bin_dir = os.path.join(self.work, "bin")
        self.luit = os.path.join(bin_dir, "luit")
        os.mkdir(self.tmpdir)
        os.mkdir(bin_dir)
        with open(self.luit, "w") as f:
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

        argv = ["sh", "-c", JOB_SHELL, play] if shell else [play]
        super().__init__(argv, shown, TIMEOUT, env=env, keep_terminal=True)
        self.flags = fcntl.fcntl(self.terminal, fcntl.F_GETFL)
        self.flags_at_end = None

    def wait_for_prompt(self):
        self.read_until(
            lambda s: any(s.endswith(end) for end in PROMPT_ENDS), "prompt")

    def finish(self):
        """Reads the rest of the screen and returns play's exit status. The
        screen ends once play has ended and the copy of the terminal's open
        file is closed, its flags read first."""
        deadline = time.monotonic() + TIMEOUT
        while True:
            if self.terminal is not None and self.proc.poll() is not None:
                self.flags_at_end = fcntl.fcntl(self.terminal, fcntl.F_GETFL)
                self.close_terminal()
            left = deadline - time.monotonic()
            if left <= 0:
                fail("play did not end within %ss; screen:\n%s"
                     % (TIMEOUT, self.shown()))
            if not self.read(min(left, 0.1)):
                break
        return self.wait()

    def shown(self):
        return shown(self.screen)

    def wait_for_settings(self, done, what):
        """Waits until done(the terminal's settings) holds; fails after
        TIMEOUT."""
        deadline = time.monotonic() + TIMEOUT
        while not done(termios.tcgetattr(self.master)):
            if time.monotonic() > deadline:
                fail("no %s within %ss" % (what, TIMEOUT))
            time.sleep(0.01)

    def check_settings_restored(self):
        """The terminal's settings are as they were, and so are its file
        flags (blocking), now or, once play has ended, as play left them."""
        if termios.tcgetattr(self.master) != self.settings:
            fail("the terminal's settings were not restored")
        flags = self.flags_at_end
        if self.terminal is not None:
            flags = fcntl.fcntl(self.terminal, fcntl.F_GETFL)
        if flags is not None and flags != self.flags:
            fail("the terminal's file flags are %#o, not %#o as they were"
                 % (flags, self.flags))

    def luit_pid(self):
        """The process id of this session's luit."""
        for pid in filter(str.isdigit, os.listdir("/proc")):
            command = read_proc(pid, "cmdline") or b""
            if self.luit.encode() in command.split(b"\0"):
                return int(pid)
        fail("luit is not running:\n" + self.shown())

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
        super().close()
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


def test_luit_crashes_at_start(play, build):
    s = Session(play, build, LUIT_CRASHING_AT_START)
    s.wait_for_prompt()
    s.check_settings_restored()
    expect_on_screen(b"luit started", s)
    expect_on_screen(b"play: luit failed (signal SEGV)", s)
    expect_on_screen(MENU_SJIS, s)  # the game itself, without luit
    s.type(b"0\n0\n")
    expect_status(s.finish(), 0, s)
    s.check_settings_restored()
    s.check_nothing_left()
    s.close()


def expect_luit_failed_in_game(s):
    """play ends on a fresh line after saying that luit failed, with status
    2; no game starts without luit; the terminal is as it was."""
    expect_status(s.finish(), 2, s)
    if not s.screen.endswith(b"\r\n" + LUIT_FAILED + b"\r\n"):
        fail("the screen does not end with a line break and %r: %r"
             % (LUIT_FAILED, s.screen[-120:]))
    if MENU_SJIS in s.screen:
        fail("a game was started without luit:\n" + s.shown())
    s.check_settings_restored()
    s.check_nothing_left()
    s.close()


def test_luit_crashes_at_output(play, build):
    expect_luit_failed_in_game(Session(play, build, LUIT_CRASHING_AT_OUTPUT))


def test_luit_dies_mid_game(play, build):
    s = Session(play, build, WORKING_LUIT)
    s.wait_for_prompt()
    s.type(b"8\n")
    s.read_until(lambda screen: screen.endswith(
        "6,7,が、繋がります。次の技を選んでください：".encode()), "second prompt")
    os.kill(s.luit_pid(), signal.SIGSEGV)
    expect_luit_failed_in_game(s)


def test_encodings_missing(play, build):
    cases = [("/nonexistent/encodings.dir", b"which is missing"),
             ("/dev/null",
              b"which is a character special file, not a regular file")]
    for encodings, problem in cases:
        s = Session(play, build, LUIT_CRASHING_AT_START,
                    {"FONT_ENCODINGS_DIRECTORY": encodings})
        s.wait_for_prompt()
        expect_on_screen(
            b"play: luit needs " + encodings.encode() + b", " + problem, s)
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


def test_ctrl_z(play, build):
    s = Session(play, build, WORKING_LUIT, shell=True)
    s.wait_for_prompt()
    s.type(b"8\n")
    s.read_until(lambda screen: screen.endswith("：".encode()) and
                 screen.count("：".encode()) == 2, "second prompt")
    s.type(b"\x1a")
    s.read_until(lambda screen: b"play stopped: 148\r\n" in screen,
                 "word from the shell that play has stopped")
    # Stopped, play has left the terminal as it found it, and what is typed
    # now is the shell's.
    s.check_settings_restored()
    s.type(b"fg\n")
    s.read_until(lambda screen: b"the shell read: fg\r\n" in screen,
                 "the line typed, read by the shell")
    # Back in the game, once luit's raw mode is set again, the combo goes
    # on where it was: 8, then 7.
    s.wait_for_settings(
        lambda settings: not settings[3] & termios.ECHO, "luit's raw mode")
    s.type(b"7\n")
    s.read_until(lambda screen: screen.endswith(
        "7\r\n6,が、繋がります。次の技を選んでください：".encode()),
        "the listing after 8 and 7")
    s.type(b"6\n7\n0\n")
    expect_status(s.finish(), 0, s)
    expect_on_screen(b"play ended: 0", s)
    expect_on_screen("8,7,6,7,4+1Zorvです。".encode(), s)
    s.check_settings_restored()
    s.check_nothing_left()
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
