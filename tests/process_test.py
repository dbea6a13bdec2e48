"""Runs the built program as a separate process, the way people and other
programs meet it.

Usage: process_test.py TEST PROGRAM TRANSCRIPTS_DIR
  terminal         the worked example typed on a pseudo-terminal, each answer
                   sent only once its prompt is on the screen
  pipes            the same through plain pipes: the program must hand over
                   each prompt before it waits for the answer
  output_failure   standard output on /dev/full and on a closed pipe
  constant_memory  100 MB runs of digits and of letters in the memory of a
                   short session
"""

import os
import pty
import select
import subprocess
import sys
import time

PROMPT_END = "：".encode("shift_jis")  # every prompt ends with it
ANSWERS = [b"8", b"1", b"7", b"6", b"7", b"1", b"0", b"0"]
TIMEOUT = 10.0


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def read_until_prompt(fd, seen, prompts):
    """Reads from fd until the output holds `prompts` prompts and ends with
    one, and returns the output. Fails if that takes TIMEOUT seconds."""
    deadline = time.monotonic() + TIMEOUT
    while not (seen.count(PROMPT_END) >= prompts and seen.endswith(PROMPT_END)):
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([fd], [], [], left)[0]:
            fail("no prompt %d within %ss; screen so far:\n%s"
                 % (prompts, TIMEOUT, seen.decode("shift_jis", "replace")))
        try:
            chunk = os.read(fd, 65536)
        except OSError:
            chunk = b""
        if not chunk:
            fail("output ended before prompt %d" % prompts)
        seen += chunk
    return seen


def read_rest(fd):
    """Reads fd to its end, which must come within TIMEOUT seconds."""
    out = b""
    deadline = time.monotonic() + TIMEOUT
    while True:
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([fd], [], [], left)[0]:
            fail("output did not end within %ss; it ends with:\n%s"
                 % (TIMEOUT, out[-300:].decode("shift_jis", "replace")))
        try:
            chunk = os.read(fd, 65536)
        except OSError:  # a pty reports its end as EIO
            return out
        if not chunk:
            return out
        out += chunk


def expected(transcripts, name):
    with open(os.path.join(transcripts, name), encoding="utf-8") as f:
        return f.read().encode("shift_jis")


def play(program, read_fd, write, wait):
    """Plays the worked example: waits for each prompt, then answers it."""
    seen = b""
    for number, answer in enumerate(ANSWERS, start=1):
        seen = read_until_prompt(read_fd, seen, number)
        write(answer + b"\n")
    return seen + read_rest(read_fd), wait()


def test_terminal(program, transcripts):
    pid, master = pty.fork()
    if pid == 0:
        os.execv(program, [program])
    def wait():
        return os.waitstatus_to_exitcode(os.waitpid(pid, 0)[1])
    screen, status = play(program, master, lambda b: os.write(master, b), wait)
    # The terminal echoes each answer and shows each line end as CR LF.
    want = expected(transcripts, "worked-example.screen")
    got = screen.replace(b"\r\n", b"\n")
    if got != want:
        fail("screen differs:\n%s" % got.decode("shift_jis", "replace"))
    if status != 0:
        fail("exit status %d" % status)


def test_pipes(program, transcripts):
    proc = subprocess.Popen([program], stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE)
    def write(data):
        proc.stdin.write(data)
        proc.stdin.flush()
    out, status = play(program, proc.stdout.fileno(), write, proc.wait)
    if out != expected(transcripts, "worked-example.out"):
        fail("output differs:\n%s" % out.decode("shift_jis", "replace"))
    if status != 0:
        fail("exit status %d" % status)


def test_output_failure(program, transcripts):
    # A full disk: nothing can be written, so the program must stop at once.
    with open("/dev/full", "wb") as full:
        proc = subprocess.run([program], input=b"0 1 " * 100000 + b"0 0",
                              stdout=full, stderr=subprocess.PIPE)
    if proc.returncode != 2:
        fail("on /dev/full: exit status %d, expected 2" % proc.returncode)
    if proc.stderr != b"combo: write error: No space left on device\n":
        fail("on /dev/full: standard error %r" % proc.stderr)

    # A reader that goes away: the program must not write on for ever, nor
    # die silently of SIGPIPE.
    proc = subprocess.Popen([program], stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    proc.stdout.read(10)
    proc.stdout.close()
    try:
        proc.stdin.write(b"0 1 " * 1000000)
        proc.stdin.close()
    except BrokenPipeError:
        pass  # it stopped reading, as it should
    status = proc.wait(timeout=TIMEOUT)
    err = proc.stderr.read()
    if status != 2 or err != b"combo: write error: Broken pipe\n":
        fail("on a closed pipe: status %d, standard error %r" % (status, err))


def peak_memory_kib(program, chunk, repeats, tail):
    """Feeds chunk * repeats + tail to program through a pipe and returns the
    peak resident size of the program's own image, read while it waits for
    more input."""
    proc = subprocess.Popen([program], stdin=subprocess.PIPE,
                            stdout=subprocess.DEVNULL)
    for _ in range(repeats):
        proc.stdin.write(chunk)
    proc.stdin.write(tail)
    proc.stdin.flush()
    time.sleep(0.2)  # let it take in the tail
    with open("/proc/%d/status" % proc.pid) as status:
        peak = [line for line in status if line.startswith("VmHWM:")]
    proc.stdin.close()
    proc.wait(timeout=TIMEOUT)
    return int(peak[0].split()[1])


def test_constant_memory(program, transcripts):
    short = peak_memory_kib(program, b"", 0, b"7 6 7 ")
    megabyte = 1 << 20
    digits = peak_memory_kib(program, b"7" * megabyte, 100, b" 0 ")
    letters = peak_memory_kib(program, b"x" * megabyte, 100, b" 0 ")
    print("peak resident KiB: short %d, 100 MB of digits %d, 100 MB of "
          "letters %d" % (short, digits, letters))
    # Buffers of fixed size: a long run must not cost more than noise.
    for name, rss in (("digits", digits), ("letters", letters)):
        if rss > short + 256:
            fail("100 MB of %s took %d KiB, a short session %d KiB"
                 % (name, rss, short))


def main():
    test, program, transcripts = sys.argv[1:4]
    globals()["test_" + test](program, transcripts)
    print("ok")


main()
