"""Runs combo.exe under Wine the ways a Windows user meets it. Run by
tools/windows.sh, which sets up Wine.

Usage: wine_console_test.py TEST PROGRAM README
  screen  the README's session typed on a pseudo-terminal, which Wine makes
          a console: the screen must be the README's "A session" block
  ctrl_z  Ctrl-Z and Enter on the console ends the input; so does the byte
          0x1A in piped input
  pipe    the same answers through pipes: Shift_JIS bytes with CR LF, byte
          for byte
  errors  a closed pipe and a closed standard input are reported by name

Nothing here sleeps for a fixed time: each answer is typed once its prompt
is on the screen and the screen has then been quiet for QUIET seconds, so a
slow machine makes the test slower, not flaky.
"""

import os
import re
import subprocess
import sys
import termios
import time

from ptyproc import Output, Terminal, fail, prompts_shown, reader_goes_away

ANSWERS = [b"8", b"1", b"7", b"6", b"7", b"0"]  # the README's session
PROMPT_END = "："  # every prompt ends with it
QUIET = 0.3
TIMEOUT = 60.0  # for each step; Wine starts slowly on a loaded machine
# What Wine's console adds on a terminal: ESC [, parameters, a final letter.
ESCAPE = re.compile(r"\x1b\[[0-?]*[ -/]*[@-~]")


def session_block(readme):
    """Returns the text of the README's "A session" block."""
    with open(readme, encoding="utf-8") as f:
        text = f.read()
    match = re.search(r"^## A session\n.*?^```text\n(.*?)^```", text,
                      re.M | re.S)
    if not match:
        fail("no ```text block under '## A session' in " + readme)
    return match.group(1)


def screen_text(raw):
    """The screen as text: Wine's escape sequences dropped and each line end
    (CR CR LF: the program's CR LF through the terminal) made one LF."""
    text = ESCAPE.sub("", raw.decode("utf-8", "replace"))
    return text.replace("\r\r\n", "\n").replace("\r\n", "\n")


def no_suspend(settings):
    """On a Unix terminal Ctrl-Z stops the process; on Windows it is a key
    the console reads: so it is here, with these terminal settings."""
    settings[6][termios.VSUSP] = b"\0"


class Console(Terminal):
    """combo.exe under Wine on a new pseudo-terminal of 100 columns and 40
    rows, so that no line wraps and nothing scrolls; change_settings as for
    Terminal (no_suspend, say)."""

    def __init__(self, program, change_settings=None):
        env = dict(os.environ, LANG="C.UTF-8")
        env.pop("LC_ALL", None)
        super().__init__(["wine", program], screen_text, TIMEOUT, env=env,
                         size=(40, 100), change_settings=change_settings)

    def wait_for_prompt(self, prompts):
        """Waits until the screen holds `prompts` prompts, ends with one, and
        has then been quiet for QUIET seconds."""
        deadline = time.monotonic() + TIMEOUT
        while True:
            text = screen_text(self.data)
            if time.monotonic() > deadline:
                fail("no prompt %d within %ss; screen so far:\n%s"
                     % (prompts, TIMEOUT, text))
            if text.count(PROMPT_END) >= prompts and text.endswith(PROMPT_END):
                before = len(self.data)
                if not self.read(QUIET):
                    fail("output ended at prompt %d:\n%s" % (prompts, text))
                if len(self.data) == before:
                    return
            elif not self.read(1.0):
                fail("output ended before prompt %d:\n%s" % (prompts, text))

    def enter(self, keys):
        """Types keys, then Enter."""
        self.type(keys + b"\r")

    def finish(self):
        """Waits for the program to end, reads what it left on the screen,
        and returns its exit status. Wine's own processes, if they were
        started here, may hold the terminal open after the program ends."""
        deadline = time.monotonic() + TIMEOUT
        while self.proc.poll() is None:
            if time.monotonic() > deadline:
                fail("the program did not end; screen:\n"
                     + screen_text(self.data))
            self.read(0.1)
        while True:
            before = len(self.data)
            if not self.read(QUIET) or len(self.data) == before:
                break
        self.close()
        return self.proc.returncode


def test_screen(program, readme):
    console = Console(program)
    for number, answer in enumerate(ANSWERS, start=1):
        console.wait_for_prompt(number)
        console.enter(answer)
    status = console.finish()
    got = screen_text(console.data)
    want = session_block(readme)
    if got != want:
        print("--- README\n%s--- screen\n%s---" % (want, got))
        fail("the screen differs from the README's session")
    if status != 0:
        fail("exit status %d" % status)


def test_ctrl_z(program, readme):
    console = Console(program, change_settings=no_suspend)
    console.wait_for_prompt(1)
    console.enter(b"0")
    console.wait_for_prompt(2)
    console.enter(b"\x1a")  # Ctrl-Z at the start of the line
    status = console.finish()
    if status != 1:
        fail("Ctrl-Z: exit status %d, expected 1 (end of input)" % status)

    # In piped input the C runtime takes the byte 0x1A for the end of the
    # input too, wherever it is: the final 0 0 is never read.
    proc = subprocess.run(["wine", program], input=b"0 1 \x1a 0 0",
                          stdout=subprocess.DEVNULL, timeout=TIMEOUT)
    if proc.returncode != 1:
        fail("0x1A in a pipe: exit status %d, expected 1" % proc.returncode)


def test_pipe(program, readme):
    # What the program writes is the screen without the typed answers and
    # the line breaks that the Enter key put after them.
    want = re.sub(PROMPT_END + r"\d+\n", PROMPT_END, session_block(readme))
    want = want.encode("shift_jis").replace(b"\n", b"\r\n")
    prompt_end = PROMPT_END.encode("shift_jis")
    proc = subprocess.Popen(["wine", program], stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE)
    output = Output(proc.stdout.fileno(), repr, TIMEOUT)
    for number, answer in enumerate(ANSWERS, start=1):
        # Each prompt must come through the pipe before its answer is given.
        output.read_until(prompts_shown(number, prompt_end),
                          "prompt %d through the pipe" % number)
        proc.stdin.write(answer + b"\r\n")
        proc.stdin.flush()
    out = output.read_to_end()
    status = proc.wait(timeout=TIMEOUT)
    if out != want:
        fail("piped output differs:\nwant %r\ngot  %r" % (want, out))
    if status != 0:
        fail("exit status %d" % status)


def test_errors(program, readme):
    # A reader that goes away: "Broken pipe", as on Linux.
    status, err = reader_goes_away(["wine", program], TIMEOUT)
    if status != 2 or err != b"combo: write error: Broken pipe\r\n":
        fail("on a closed pipe: status %d, standard error %r" % (status, err))

    # No standard input at all: "Bad file descriptor", as on Linux.
    proc = subprocess.run(["wine", program], stdin=subprocess.DEVNULL,
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                          close_fds=True, timeout=TIMEOUT,
                          preexec_fn=lambda: os.close(0))
    if (proc.returncode != 1
            or proc.stderr != b"combo: read error: Bad file descriptor\r\n"):
        fail("on a closed standard input: status %d, standard error %r"
             % (proc.returncode, proc.stderr))


def main():
    test, program, readme = sys.argv[1:4]
    globals()["test_" + test](program, readme)
    print("ok: " + test)


main()
