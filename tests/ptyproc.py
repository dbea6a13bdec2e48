"""Runs a program as a person at a terminal meets it, on a pseudo-terminal
of its own, and reads what a program writes there or through a pipe, as it
comes: the one driver of the tests that run a built program or ./play as a
separate process (process_test.py, play_test.py, wine_console_test.py).

A test fails through fail(): "FAIL: " and the reason on standard output,
and exit status 1, which ctest reports with the output.
"""

import fcntl
import os
import select
import struct
import subprocess
import sys
import termios
import time


def fail(message):
    """Ends the test as failed: prints "FAIL: MESSAGE", exits with 1."""
    print("FAIL: " + message)
    sys.exit(1)


def prompts_shown(count, prompt_end):
    """A condition for Output.read_until: the output holds `count` prompts
    (each ends with the bytes prompt_end) and ends with one."""
    return lambda data: (data.count(prompt_end) >= count
                         and data.endswith(prompt_end))


class Output:
    """What a program writes on the descriptor `fd` (a pipe, or the master
    side of a pseudo-terminal), read into `data` as it arrives. `show`
    makes the bytes text for a failure's message; `timeout` is how many
    seconds each read_until and read_to_end may take."""

    def __init__(self, fd, show, timeout):
        self.fd = fd
        self.show = show
        self.timeout = timeout
        self.data = b""

    def read(self, timeout):
        """Adds what arrives within `timeout` seconds, if anything, and
        returns True; returns False once the output has ended: end of file,
        or EIO on a pseudo-terminal that nothing holds open any more."""
        if not select.select([self.fd], [], [], timeout)[0]:
            return True
        try:
            chunk = os.read(self.fd, 65536)
        except OSError:
            return False
        self.data += chunk
        return bool(chunk)

    def read_until(self, done, what):
        """Reads until done(data) holds. Fails, naming `what` and showing
        the output so far, if the output ends first or it takes longer than
        the timeout."""
        deadline = time.monotonic() + self.timeout
        while not done(self.data):
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.fd], [], [], left)[0]:
                fail("no %s within %ss; output so far:\n%s"
                     % (what, self.timeout, self.show(self.data)))
            if not self.read(0):
                fail("the output ended before %s:\n%s"
                     % (what, self.show(self.data)))

    def read_to_end(self):
        """Reads to the end of the output, which must come within the
        timeout, and returns all of it."""
        deadline = time.monotonic() + self.timeout
        while True:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.fd], [], [], left)[0]:
                fail("the output did not end within %ss; it ends with:\n%s"
                     % (self.timeout, self.show(self.data[-300:])))
            if not self.read(0):
                return self.data


def reader_goes_away(argv, timeout):
    """Runs argv with standard output a pipe whose reader goes away after
    10 bytes while a long input ("0 1 " a million times: one new combo
    after another) keeps it writing; returns its exit status and standard
    error. A program must then neither write on for ever nor die silently
    of SIGPIPE."""
    proc = subprocess.Popen(argv, stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    proc.stdout.read(10)
    proc.stdout.close()
    try:
        proc.stdin.write(b"0 1 " * 1000000)
        proc.stdin.close()
    except BrokenPipeError:
        pass  # it stopped reading, as it should
    try:
        status = proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        proc.kill()
        fail("%s wrote on after its reader had gone" % argv[-1])
    return status, proc.stderr.read()


class Terminal(Output):
    """`argv` on a new pseudo-terminal, its controlling terminal in a
    session of its own, with standard input, output and error on it; `data`
    (also `screen`) is what the terminal shows, echo included. `env` is the
    environment (this one's by default); `size` (rows, columns) the
    terminal's size; `change_settings`, a function that changes the
    terminal's settings (a termios.tcgetattr list) before argv starts.
    `settings` keeps the settings it starts with. With keep_terminal, this
    process holds the terminal open too, in `terminal`, until
    close_terminal(): its end is then not seen before that."""

    def __init__(self, argv, show, timeout, env=None, size=None,
                 change_settings=None, keep_terminal=False):
        master, slave = os.openpty()
        super().__init__(master, show, timeout)
        self.master = master
        if size is not None:
            fcntl.ioctl(slave, termios.TIOCSWINSZ,
                        struct.pack("HHHH", size[0], size[1], 0, 0))
        if change_settings is not None:
            settings = termios.tcgetattr(slave)
            change_settings(settings)
            termios.tcsetattr(slave, termios.TCSANOW, settings)
        self.settings = termios.tcgetattr(slave)
        self.proc = subprocess.Popen(
            argv, stdin=slave, stdout=slave, stderr=slave, env=env,
            start_new_session=True,
            preexec_fn=lambda: fcntl.ioctl(0, termios.TIOCSCTTY, 0))
        self.terminal = slave
        if not keep_terminal:
            self.close_terminal()

    @property
    def screen(self):
        return self.data

    def type(self, keys):
        """Types the bytes `keys` on the terminal."""
        os.write(self.master, keys)

    def wait(self):
        """Waits for the program to end, within the timeout, and returns
        its exit status (-N after signal N)."""
        try:
            return self.proc.wait(timeout=self.timeout)
        except subprocess.TimeoutExpired:
            fail("%s did not end within %ss; screen:\n%s"
                 % (self.proc.args[0], self.timeout, self.show(self.data)))

    def close_terminal(self):
        """Lets go of this process's own descriptor of the terminal."""
        if self.terminal is not None:
            os.close(self.terminal)
            self.terminal = None

    def close(self):
        self.close_terminal()
        try:
            os.close(self.master)
        except OSError:
            pass
