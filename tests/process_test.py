"""Runs the built program as a separate process, the way people and other
programs meet it.

Usage: process_test.py TEST PROGRAM DATA_DIR
  terminal         the worked example typed on a pseudo-terminal, each answer
                   sent only once its prompt is on the screen
  pipes            the same through plain pipes: the program must hand over
                   each prompt before it waits for the answer
  output_failure   standard output on /dev/full and on a closed pipe
  constant_memory  100 MB runs of digits and of letters in the program's own
                   memory of a short session
  read_error       standard input that cannot be read (a directory)
  end_sticks       on a terminal, the end of input typed once is the end for
                   every later prompt too
  nonblocking_input
                   standard input left non-blocking (a pipe, a terminal),
                   the answers arriving late
  nonblocking_output
                   standard output a non-blocking pipe whose reader starts
                   late: every byte arrives, in order
  file_size_limit  a file-size limit below the output's size
  unused_input     input after the last answer is left for the next program
                   that reads a seekable standard input
  atlas_nonblocking_output, atlas_file_size_limit
                   the same for combo-atlas (PROGRAM), whose expected output
                   is DATA_DIR/atlas.out
  atlas_dense_counts
                   combo-atlas on DATA_DIR/dense.table, whose counts pass
                   2^64: the lines after a starter, and after two moves, add
                   up to the line they follow; --estimate's lower bounds are
                   never above the counts, and its lengths are the same
  atlas_progress_terminal
                   on a pseudo-terminal, the count of the table of every
                   link shows its progress on one line rewritten in place;
                   Ctrl-C ends it with SIGINT (status 130 in a shell), the
                   line blanked out
  atlas_progress_pipe
                   the same count with standard error a pipe: nothing on it
                   after seconds of work, and SIGINT ends it
  atlas_progress_done
                   on a pseudo-terminal, a count of a few seconds
                   (DATA_DIR/random52.table): the progress line is blanked
                   out before the output, which is what a pipe receives
DATA_DIR holds the transcripts (for combo) or atlas.out and the tables of
tests/atlas (for combo-atlas).
Delays in these tests only make a fault show; what they check is bytes and
exit statuses, never times.
"""

import os
import re
import resource
import select
import signal
import subprocess
import sys
import tempfile
import threading
import time

from ptyproc import Output, Terminal, fail, prompts_shown, reader_goes_away

PROMPT_END = "：".encode("shift_jis")  # every prompt ends with it
ANSWERS = [b"8", b"1", b"7", b"6", b"7", b"1", b"0", b"0"]
TIMEOUT = 10.0


def shown(data):
    return data.decode("shift_jis", "replace")


def read_until_prompt(output, prompts):
    """Reads the Output until it holds `prompts` prompts and ends with
    one. Fails if that takes TIMEOUT seconds."""
    output.read_until(prompts_shown(prompts, PROMPT_END),
                      "prompt %d" % prompts)


def expected(transcripts, name):
    with open(os.path.join(transcripts, name), encoding="utf-8") as f:
        return f.read().encode("shift_jis")


def play(output, write, wait):
    """Plays the worked example: waits for each prompt, then answers it."""
    for number, answer in enumerate(ANSWERS, start=1):
        read_until_prompt(output, number)
        write(answer + b"\n")
    return output.read_to_end(), wait()


def test_terminal(program, transcripts):
    terminal = Terminal([program], shown, TIMEOUT)
    screen, status = play(terminal, terminal.type, terminal.wait)
    terminal.close()
    # The terminal echoes each answer and shows each line end as CR LF.
    want = expected(transcripts, "worked-example.screen")
    got = screen.replace(b"\r\n", b"\n")
    if got != want:
        fail("screen differs:\n%s" % shown(got))
    if status != 0:
        fail("exit status %d" % status)


def test_pipes(program, transcripts):
    proc = subprocess.Popen([program], stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE)
    def write(data):
        proc.stdin.write(data)
        proc.stdin.flush()
    out, status = play(Output(proc.stdout.fileno(), shown, TIMEOUT), write,
                       proc.wait)
    if out != expected(transcripts, "worked-example.out"):
        fail("output differs:\n%s" % shown(out))
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

    # A reader that goes away.
    status, err = reader_goes_away([program], TIMEOUT)
    if status != 2 or err != b"combo: write error: Broken pipe\n":
        fail("on a closed pipe: status %d, standard error %r" % (status, err))


def own_memory_kib(program, chunk, repeats, tail, prompts):
    """Feeds chunk * repeats + tail to program through a pipe and returns
    the program's own memory in KiB: its anonymous resident pages (RssAnon),
    read once it has answered all of it with the last of `prompts` prompts
    and waits for more. Pages of shared libraries are not counted: how many
    of those are resident depends on what else the machine runs."""
    proc = subprocess.Popen([program], stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE)
    for _ in range(repeats):
        proc.stdin.write(chunk)
    proc.stdin.write(tail)
    proc.stdin.flush()
    read_until_prompt(Output(proc.stdout.fileno(), shown, TIMEOUT), prompts)
    with open("/proc/%d/status" % proc.pid) as status:
        anonymous = [line for line in status if line.startswith("RssAnon:")]
    proc.stdin.close()
    proc.wait(timeout=TIMEOUT)
    proc.stdout.close()
    return int(anonymous[0].split()[1])


def test_constant_memory(program, transcripts):
    # Prompts: the starter's, then 6 and 7 listed, 2, 6 and 7 listed, and
    # the replay prompt; for the long runs the starter's, the starter's again
    # after the run, and the replay prompt after the 0.
    short = own_memory_kib(program, b"", 0, b"7 6 7 ", 4)
    megabyte = 1 << 20
    digits = own_memory_kib(program, b"7" * megabyte, 100, b" 0 ", 3)
    letters = own_memory_kib(program, b"x" * megabyte, 100, b" 0 ", 3)
    print("anonymous resident KiB: short %d, 100 MB of digits %d, 100 MB "
          "of letters %d" % (short, digits, letters))
    # Buffers of fixed size: filling both of them (128 KiB) is all a long
    # run may add.
    for name, kib in (("digits", digits), ("letters", letters)):
        if kib > short + 256:
            fail("100 MB of %s took %d KiB, a short session %d KiB"
                 % (name, kib, short))


def test_read_error(program, transcripts):
    # A directory opens, but reading it fails with EISDIR.
    directory = os.open("/", os.O_RDONLY)
    try:
        proc = subprocess.run([program], stdin=directory,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              timeout=TIMEOUT)
    except subprocess.TimeoutExpired:
        fail("the program did not end after the failed read")
    finally:
        os.close(directory)
    # The menu and the starter prompt, then the fresh line at the end.
    want = (MENU + "始動技を選んでください：\n").encode("shift_jis")
    if proc.stdout != want:
        fail("output differs:\n%s" % shown(proc.stdout))
    if proc.returncode != 1:
        fail("exit status %d, expected 1" % proc.returncode)
    if proc.stderr != b"combo: read error: Is a directory\n":
        fail("standard error %r" % proc.stderr)


def test_end_sticks(program, transcripts):
    # "7", then Ctrl-D: the terminal hands over "7" without a line break.
    # Ctrl-D again on the empty line is the end of input. The program must
    # take 7 as the starter, list its follow-up, and end at the next prompt
    # without waiting for a third Ctrl-D.
    terminal = Terminal([program], shown, TIMEOUT)
    read_until_prompt(terminal, 1)
    terminal.type(b"7\x04\x04")
    seen = terminal.read_to_end()
    status = terminal.wait()
    terminal.close()
    # The terminal echoes the 7 after the prompt and shows each line end as
    # CR LF; the program ends by moving to a fresh line.
    want = (MENU + "始動技を選んでください：7" +
            "6,が、繋がります。次の技を選んでください：\n"
            ).encode("shift_jis").replace(b"\n", b"\r\n")
    if seen != want:
        fail("screen differs:\n%r\nexpected\n%r" % (seen, want))
    if status != 1:
        fail("exit status %d, expected 1" % status)


def session_with_late_answers(program, stdin_fd, stdout_fd, write_fd,
                              read_fd):
    """Starts program on the given descriptors, writes the answers of the
    shortest chain after a pause, and returns its output and status."""
    proc = subprocess.Popen([program], stdin=stdin_fd, stdout=stdout_fd,
                            stderr=subprocess.PIPE)
    time.sleep(0.3)  # the program meets an empty input first
    os.write(write_fd, b"7 6 7 0\n")
    return proc, read_rest_until_exit(proc, read_fd)


def read_rest_until_exit(proc, fd):
    """Reads fd until the program has ended and nothing more is there."""
    out = b""
    deadline = time.monotonic() + TIMEOUT
    while True:
        left = deadline - time.monotonic()
        if left <= 0:
            proc.kill()
            fail("the program did not end within %ss; output so far:\n%s"
                 % (TIMEOUT, shown(out)))
        if select.select([fd], [], [], min(left, 0.05))[0]:
            try:
                chunk = os.read(fd, 65536)
            except OSError:
                chunk = b""
            out += chunk
            if chunk:
                continue
        if proc.poll() is not None and not select.select([fd], [], [], 0)[0]:
            return out


def test_nonblocking_input(program, transcripts):
    want = expected(transcripts, "shortest-chain.out")

    # A pipe whose read end is non-blocking.
    read_end, write_end = os.pipe()
    os.set_blocking(read_end, False)
    out_read, out_write = os.pipe()
    proc, out = session_with_late_answers(program, read_end, out_write,
                                          write_end, out_read)
    os.close(out_write)
    err = proc.stderr.read()
    if out != want or proc.returncode != 0 or err:
        fail("on a non-blocking pipe: status %s, standard error %r, "
             "output:\n%s" % (proc.returncode, err,
                              shown(out)))

    # A terminal left non-blocking: input and output on the same terminal.
    master, slave = os.openpty()
    os.set_blocking(slave, False)
    proc, screen = session_with_late_answers(program, slave, slave, master,
                                             master)
    err = proc.stderr.read()
    # The terminal echoes the answers, all typed on one line.
    screen = screen.replace(b"\r\n", b"\n").replace(b"7 6 7 0\n", b"", 1)
    if screen != want or proc.returncode != 0 or err:
        fail("on a non-blocking terminal: status %s, standard error %r, "
             "screen:\n%s" % (proc.returncode, err,
                              shown(screen)))


def fill_pipe(write_end):
    """Writes to the non-blocking write_end until the pipe is full, so the
    next write would have to wait; returns what was written."""
    filler = b""
    while True:
        try:
            written = os.write(write_end, b"." * 4096)
        except BlockingIOError:
            return filler
        filler += b"." * written


def output_through_late_reader(argv, stdin):
    """Runs argv with standard output a full, non-blocking pipe that is read
    only after a second; returns the status, standard error, and the output
    after the filler that was in the pipe before."""
    read_end, write_end = os.pipe()
    os.set_blocking(write_end, False)
    filler = fill_pipe(write_end)
    proc = subprocess.Popen(argv, stdin=stdin, stdout=write_end,
                            stderr=subprocess.PIPE)
    os.close(write_end)
    time.sleep(1)  # the reader starts late
    chunks = []
    reader = threading.Thread(target=lambda: chunks.append(
        read_all_blocking(read_end)))
    reader.start()
    try:
        status = proc.wait(timeout=TIMEOUT * 6)
    except subprocess.TimeoutExpired:
        proc.kill()
        fail("the program did not end")
    reader.join(TIMEOUT)
    err = proc.stderr.read()
    out = chunks[0] if chunks else b""
    if not out.startswith(filler):
        fail("the bytes before the program's own were changed")
    return status, err, out[len(filler):]


def read_all_blocking(fd):
    data = []
    while True:
        chunk = os.read(fd, 1 << 16)
        if not chunk:
            return b"".join(data)
        data.append(chunk)


# The screen of one combo 7, 6, 7 followed by the replay prompt, as the
# program writes it: menu, prompts, listings, summary.
MENU = ("1,空中浮き 2,空中きりもみ 3,空中ふっとばし 4,空中バウンド\n"
        "5,地上浮き 6,地上きりもみ 7,地上ふっとばし 8,地上バウンド\n")
SHORTEST_COMBO = (MENU + "始動技を選んでください：" +
                  "6,が、繋がります。次の技を選んでください：" +
                  "2,6,7,が、繋がります。次の技を選んでください：" +
                  "もう繋がりません。\n\n7,6,7,3+1Zorvです。\n\n" +
                  "1,もう一回 0,もうやめる\n選択してください："
                  ).encode("shift_jis")


def long_session(directory, combos):
    """Writes `combos` combos of 7, 6, 7 and a final 0 into a file and
    returns its path and the output expected for it."""
    path = os.path.join(directory, "session.in")
    with open(path, "wb") as f:
        f.write(b"7 6 7 1\n" * (combos - 1) + b"7 6 7 0\n")
    return path, SHORTEST_COMBO * combos


def test_nonblocking_output(program, transcripts):
    with tempfile.TemporaryDirectory() as work:
        path, want = long_session(work, 20000)
        with open(path, "rb") as session:
            status, err, out = output_through_late_reader([program], session)
    if err or status != 0:
        fail("status %d, standard error %r" % (status, err))
    if out != want:
        fail("output differs: %d bytes, expected %d; first difference at "
             "byte %d" % (len(out), len(want), first_difference(out, want)))


def first_difference(a, b):
    for i, (x, y) in enumerate(zip(a, b)):
        if x != y:
            return i
    return min(len(a), len(b))


def run_with_file_size_limit(argv, stdin, limit, output_path):
    def limit_file_size():
        resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))
    with open(output_path, "wb") as out:
        proc = subprocess.run(argv, stdin=stdin, stdout=out,
                              stderr=subprocess.PIPE,
                              preexec_fn=limit_file_size, timeout=TIMEOUT)
    with open(output_path, "rb") as f:
        return proc.returncode, proc.stderr, f.read()


def test_file_size_limit(program, transcripts):
    with tempfile.TemporaryDirectory() as work:
        path, want = long_session(work, 1000)
        with open(path, "rb") as session:
            status, err, out = run_with_file_size_limit(
                [program], session, 4096, os.path.join(work, "out"))
    if status != 2 or err != b"combo: write error: File too large\n":
        fail("status %d, standard error %r" % (status, err))
    # Everything up to the limit is there, and correct.
    if out != want[:4096]:
        fail("the file holds %d bytes, not the first 4096 of the output"
             % len(out))


def test_unused_input(program, transcripts):
    with tempfile.TemporaryDirectory() as work:
        cases = [
            # The session, then what a script reads next.
            (b"7 6 7 0\nhello\n", b"\nhello\n"),
            # Only the line break: a single byte is given back too.
            (b"7 6 7 0\n", b"\n"),
            # Nothing after the last answer.
            (b"7 6 7 0", b""),
            # The last answer beyond the first 64 KiB read of input.
            (b" " * 100000 + b"7 6 7 0 rest\n" + b"x" * 70000,
             b" rest\n" + b"x" * 70000),
        ]
        for typed, rest in cases:
            path = os.path.join(work, "session.in")
            with open(path, "wb") as f:
                f.write(typed)
            script = '"$1" >/dev/null; status=$?; cat; exit $status'
            with open(path, "rb") as session:
                proc = subprocess.run(["sh", "-c", script, "sh", program],
                                      stdin=session, stdout=subprocess.PIPE,
                                      timeout=TIMEOUT)
            if proc.returncode != 0 or proc.stdout != rest:
                fail("after %r: status %d, the next program read %r"
                     % (typed[-20:], proc.returncode, proc.stdout[:40]))
    # A pipe cannot be moved back: what was read ahead is gone, as with
    # stdio, and the program still ends normally.
    proc = subprocess.run(["sh", "-c", '"$1" >/dev/null; cat', "sh", program],
                          input=b"7 6 7 0\n", stdout=subprocess.PIPE,
                          timeout=TIMEOUT)
    if proc.returncode != 0 or proc.stdout != b"":
        fail("on a pipe: status %d, rest %r" % (proc.returncode, proc.stdout))


def atlas_expected(data):
    with open(os.path.join(data, "atlas.out"), "rb") as f:
        return f.read()


def test_atlas_nonblocking_output(program, data):
    status, err, out = output_through_late_reader([program],
                                                  subprocess.DEVNULL)
    if err or status != 0:
        fail("status %d, standard error %r" % (status, err))
    if out != atlas_expected(data):
        fail("output differs:\n%s" % out.decode("ascii", "replace"))


def test_atlas_file_size_limit(program, data):
    with tempfile.TemporaryDirectory() as work:
        status, err, out = run_with_file_size_limit(
            [program], subprocess.DEVNULL, 100, os.path.join(work, "out"))
    if status != 2 or err != b"combo-atlas: write error: File too large\n":
        fail("status %d, standard error %r" % (status, err))
    if out != atlas_expected(data)[:100]:
        fail("the file does not hold the first 100 bytes of the atlas")


ATLAS_TIMEOUT = 300.0  # the sanitizer build counts several times slower


def run_atlas(program, *args):
    """Runs combo-atlas with args; returns its status, output and standard
    error."""
    proc = subprocess.run([program] + list(args), stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          timeout=ATLAS_TIMEOUT)
    return proc.returncode, proc.stdout, proc.stderr


def atlas_rows(program, *args):
    """combo-atlas's lines after the header, each a list of fields, keyed
    by their first field; fails unless it ends with status 0 and nothing on
    standard error."""
    status, out, err = run_atlas(program, *args)
    if status != 0 or err:
        fail("combo-atlas %s: status %d, standard error %r"
             % (" ".join(args), status, err))
    lines = out.decode("ascii").splitlines()
    return lines[0].split("\t"), {line.split("\t")[0]: line.split("\t")
                                  for line in lines[1:]}


def check_sums(program, table, moves, line):
    """The lines after the combo `moves` add up to `line`, the line of its
    last move: the combos summed, the fewest and the most moves, and the
    first longest example (of the first line with the most moves)."""
    _, rows = atlas_rows(program, "--table", table, *moves)
    combos = sum(int(row[1]) for row in rows.values())
    shortest = min(int(row[2]) for row in rows.values())
    longest = max(int(row[3]) for row in rows.values())
    example = next(row[4] for row in rows.values() if int(row[3]) == longest)
    got = [str(combos), str(shortest), str(longest), example]
    if got != line[1:]:
        fail("after %s: the lines add up to %s, not to %s"
             % (" ".join(moves), got, line[1:]))
    return rows


def test_atlas_dense_counts(program, data):
    table = os.path.join(data, "dense.table")
    header, starters = atlas_rows(program, "--table", table)
    if header != ["starter", "combos", "shortest", "longest",
                  "longest_example"]:
        fail("header %r" % header)
    if int(starters["1"][1]) < 2 ** 64 or int(starters["7"][1]) < 2 ** 64:
        fail("the counts do not pass 2^64: %r" % starters)
    check_sums(program, table, ["1"], starters["1"])
    after7 = check_sums(program, table, ["7"], starters["7"])
    check_sums(program, table, ["7", "1"], after7["1"])
    header, bounds = atlas_rows(program, "--estimate", "--table", table)
    if header != ["starter", "combos_at_least", "combos_estimate", "shortest",
                  "longest", "longest_example"]:
        fail("--estimate's header %r" % header)
    for starter, row in starters.items():
        bound = bounds[starter]
        if int(bound[1]) > int(row[1]) or int(bound[1]) < 1:
            fail("starter %s: at least %s, of %s" % (starter, bound[1], row[1]))
        if not re.fullmatch(r"[1-9]\.[0-9][0-9]e[1-9]?[0-9]", bound[2]):
            fail("starter %s: the estimate %r" % (starter, bound[2]))
        if bound[3:] != row[2:]:
            fail("starter %s: --estimate's lengths %r, not %r"
                 % (starter, bound[3:], row[2:]))


def complete_table(work):
    """Writes the table of every link into the directory work; returns its
    path. Its exact count takes tens of seconds of two cores."""
    path = os.path.join(work, "complete.table")
    with open(path, "w") as f:
        for k in range(1, 9):
            f.write("%d: 1 2 3 4 5 6 7 8\n" % k)
    return path


def ascii_shown(data):
    return data.decode("ascii", "replace")


# The progress line as drawn, padded with blanks to the longest drawn
# before it, and what blanks it out: blanks over the line and the two
# columns of the "^C" a terminal echoes, and the cursor back at its start.
PROGRESS = rb"\rcombo-atlas: counting, (\d+) of (\d+) units done( *)"
BLANKED = rb"\r( +)\r"


def check_blanked(screen, after):
    """The screen's last progress line is followed by `after` (the echoed
    ^C, or nothing), then blanks over it, then the rest; returns the rest."""
    lines = list(re.finditer(PROGRESS, screen))
    if not lines:
        fail("no progress line:\n%r" % screen[-300:])
    last = lines[-1]
    done, total = int(last.group(1)), int(last.group(2))
    if not 0 <= done <= total:
        fail("the line shows %d of %d units" % (done, total))
    end = re.compile(after + BLANKED).match(screen, last.end())
    if not end:
        fail("the last progress line is not blanked out: %r"
             % screen[last.start():])
    width = last.end() - last.start() - 1
    if len(end.group(1)) < width + 2:
        fail("%d blanks cannot cover a line of %d columns and ^C"
             % (len(end.group(1)), width))
    return screen[end.end():]


def test_atlas_progress_terminal(program, data):
    with tempfile.TemporaryDirectory() as work:
        table = complete_table(work)
        terminal = Terminal([program, "--table", table], ascii_shown,
                            ATLAS_TIMEOUT)
        terminal.read_until(lambda screen: re.search(PROGRESS, screen),
                            "the progress line")
        # Drawn again once more units are done: rewritten in place.
        first = re.search(PROGRESS, terminal.screen).group(1)
        terminal.read_until(
            lambda screen: re.findall(PROGRESS, screen)[-1][0] != first,
            "the progress line drawn again")
        terminal.type(b"\x03")
        status = terminal.wait()
        screen = terminal.read_to_end()
        terminal.close()
    if status != -signal.SIGINT:
        fail("status %d after Ctrl-C, not death by SIGINT" % status)
    if b"\n" in screen:
        fail("the progress went on more than one line: %r" % screen[-300:])
    rest = check_blanked(screen, rb"(?:\^C)?")
    if rest:
        fail("more after the blanked line: %r" % rest)


def test_atlas_progress_pipe(program, data):
    with tempfile.TemporaryDirectory() as work:
        proc = subprocess.Popen([program, "--table", complete_table(work)],
                                stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        time.sleep(3)  # well past the second after which a terminal sees it
        proc.send_signal(signal.SIGINT)
        out, err = proc.communicate(timeout=ATLAS_TIMEOUT)
    if proc.returncode != -signal.SIGINT:
        fail("status %d after SIGINT, not death by it" % proc.returncode)
    if err or out:
        fail("standard error %r, output %r" % (err[:200], out[:200]))


def test_atlas_progress_done(program, data):
    table = os.path.join(data, "random52.table")
    status, piped, err = run_atlas(program, "--table", table)
    if status != 0 or err:
        fail("on a pipe: status %d, standard error %r" % (status, err))
    terminal = Terminal([program, "--table", table], ascii_shown,
                        ATLAS_TIMEOUT)
    screen = terminal.read_to_end()
    status = terminal.wait()
    terminal.close()
    if status != 0:
        fail("status %d on a terminal" % status)
    if re.search(PROGRESS, screen):
        screen = check_blanked(screen, b"")
    else:
        print("note: the count took less than a second here: no progress "
              "line to blank out")
    # The terminal shows each line end as CR LF.
    if screen.replace(b"\r\n", b"\n") != piped:
        fail("on a terminal the output differs from a pipe's:\n%s"
             % ascii_shown(screen))


def main():
    test, program, transcripts = sys.argv[1:4]
    globals()["test_" + test](program, transcripts)
    print("ok")


main()
