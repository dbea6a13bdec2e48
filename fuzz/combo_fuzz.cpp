// combo_fuzz: runs the dialogue on bytes made up by libFuzzer, each input
// being the whole of what the user types, and stops at the first input that
// breaks one of the dialogue's promises. Besides a crash or a sanitizer
// report, it checks that:
//   - the dialogue ends: every input is finite, so it must reach the end of
//     input or the user's 0 (a dialogue that never ends trips libFuzzer's
//     -timeout);
//   - it writes at most a fixed number of bytes per byte of input, so it
//     never goes on writing prompts without consuming input; given line by
//     line, at most as much for each line (the web edition sizes its output
//     buffer by that bound);
//   - it ends with status 0 only after a 0 read at the replay prompt, and
//     otherwise with status 1, having used all input and left the console on
//     a fresh line after a prompt; never with status 2, as the sink holds
//     more than the dialogue may write;
//   - every listing holds distinct move numbers from 1 to 8 in ascending
//     order, and "もう繋がりません。" follows an empty one;
//   - every summary holds a chain of at most 32 moves, its length is the
//     number of moves, each step is a link of the table used at most once,
//     and the last move has no link left;
//   - the dialogue reads and writes exactly alike whether or not its output
//     is a terminal (the console reads on a faster path when it is not);
//   - given its input line by line on a console whose input goes on, as the
//     web edition gives it, the dialogue writes what one run writes, but
//     for the line break that only the real end of input brings.
// It looks only at the input, how much of it was used, the status and the
// output: it keeps no second model of the dialogue.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "combo_dialogue.h"
#include "console.h"
#include "link_table.h"

namespace {

using combo::Console;

// The output may be at most combo::maxDialogueOutput(n) bytes for n bytes of
// input (combo_dialogue.h derives it), whether the input is given whole or
// part by part.
bool withinOutputBound(std::size_t output, std::size_t input) {
  return output <= combo::maxDialogueOutput(input);
}

// Reports a broken promise and ends the run, so that libFuzzer saves the
// input.
void require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "combo_fuzz: %s\n", what);
  std::abort();
}

// Longer inputs are skipped, so that a sink always holds the most that the
// dialogue may write plus one byte: overflowing it breaks the bound.
constexpr std::size_t kMaxInput = 64 * 1024;
constexpr std::size_t kSinkSize = combo::maxDialogueOutput(kMaxInput) + 1;

// Static storage, as in the program: a Console holds 128 KiB of buffers.
Console console;
char pipedOutput[kSinkSize];
char terminalOutput[kSinkSize];
char partOutput[kSinkSize];   // the output of one line
char linesOutput[kSinkSize];  // the output of every line, one after another
char lastLine[kMaxInput + 1];

// How one run of the dialogue ended.
struct Run {
  int status;
  std::size_t inputUsed;
  std::size_t outputLength;
};

// Runs the dialogue on the size bytes at input, writing into output, with
// the console taking its output for a terminal or not.
Run runOn(const char* input, std::size_t size, char* output, bool terminal) {
  console = Console{};
  combo::openMemoryConsole(&console, input, size, output, kSinkSize);
  console.outputIsTerminal = terminal;
  int status = combo::runDialogue(&console);
  return {status, console.inputPos, console.memoryLength};
}

// Runs the dialogue on the size bytes at input given line by line, each
// line with its line break (the last one given one if it has none), on a
// console whose input goes on. The output of every line, one after another,
// goes to linesOutput.
Run runByLines(const char* input, std::size_t size) {
  console = Console{};
  combo::openMemoryConsole(&console, nullptr, 0, partOutput, kSinkSize);
  combo::DialogueState state;
  combo::startDialogue(&state);
  combo::continueMemoryConsole(&console, input, 0);
  int status = combo::runDialogue(&console, &state);
  std::size_t written = console.memoryLength;
  require(withinOutputBound(written, 0),
          "the first prompt longer than the bound for no input");
  std::memcpy(linesOutput, partOutput, written);
  std::size_t start = 0;
  while (start < size && status == combo::kStatusAwaitingInput) {
    std::size_t end = start;
    while (end < size && input[end] != '\n') ++end;
    const char* line = input + start;
    std::size_t length = end - start + 1;
    if (end == size) {
      std::memcpy(lastLine, line, end - start);
      lastLine[end - start] = '\n';
      line = lastLine;
    }
    combo::continueMemoryConsole(&console, line, length);
    status = combo::runDialogue(&console, &state);
    std::size_t part = console.memoryLength;
    require(withinOutputBound(part, length),
            "a line's output longer than the bound for that line");
    if (written + part > kSinkSize) return {combo::kStatusOutputFailed, 0, 0};
    std::memcpy(linesOutput + written, partOutput, part);
    written += part;
    start = end + 1;
  }
  return {status, start, written};
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isSign(char c) { return c == '+' || c == '-'; }
bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Bytes that may appear in a listing or a chain, well formed or not.
bool isNumberByte(char c) { return isDigit(c) || isSign(c) || c == ','; }

// True iff text[at..length) begins with the literal s, its NUL aside. A
// plain loop, not memcmp: libFuzzer would take the texts compared for hints.
template <std::size_t N>
bool hasAt(const char* text, std::size_t length, std::size_t at,
           const char (&s)[N]) {
  if (at > length || length - at < N - 1) return false;
  for (std::size_t i = 0; i + 1 < N; ++i) {
    if (text[at + i] != s[i]) return false;
  }
  return true;
}

template <std::size_t N>
bool endsWith(const char* text, std::size_t length, const char (&s)[N]) {
  return length >= N - 1 && hasAt(text, length, length - (N - 1), s);
}

// True iff the reader's last number ended just before input[pos] and was 0.
// The word of non-white-space bytes around it must read as whole numbers,
// each after the first with its sign ("0", "-0", "7+00"), and the last one
// must be all zeros.
bool lastNumberIsZero(const char* input, std::size_t length, std::size_t pos) {
  if (pos == 0 || (pos < length && isDigit(input[pos]))) return false;
  std::size_t start = pos;
  while (start > 0 && !isSpace(input[start - 1])) --start;
  bool zero = false;
  for (std::size_t i = start; i < pos;) {
    if (isSign(input[i])) ++i;
    if (i == pos || !isDigit(input[i])) return false;
    zero = true;
    for (; i < pos && isDigit(input[i]); ++i) zero = zero && input[i] == '0';
    if (i < pos && !isSign(input[i])) return false;  // as in "7x0"
  }
  return zero;
}

// Checks the listing that ends at out[end], just before "が、繋がります。"
// (canFollow) or "もう繋がりません。": "d," for each open move in ascending
// order, d from 1 to 8, none before "もう繋がりません。".
void checkListing(const char* out, std::size_t end, bool canFollow) {
  std::size_t start = end;
  while (start > 0 && isNumberByte(out[start - 1])) --start;
  if (canFollow) {
    require(start < end, "empty listing before \"が、繋がります。\"");
  } else {
    require(start == end, "moves listed before \"もう繋がりません。\"");
  }
  char previous = '0';
  for (std::size_t i = start; i < end; i += 2) {
    require(
        end - i >= 2 && out[i] > previous && out[i] <= '8' && out[i + 1] == ',',
        "listing not of distinct moves 1 to 8 in ascending order");
    previous = out[i];
  }
}

// Checks the summary whose "+1Zorvです。" starts at out[end]: a line break,
// then "d," for each move of the chain, then the chain's length N.
void checkSummary(const char* out, std::size_t end) {
  std::size_t lengthStart = end;
  while (lengthStart > 0 && isDigit(out[lengthStart - 1])) --lengthStart;
  require(lengthStart < end && end - lengthStart <= 2,
          "chain length missing or longer than two digits");
  int32_t length = 0;
  for (std::size_t i = lengthStart; i < end; ++i) {
    length = length * 10 + (out[i] - '0');
  }
  std::size_t start = lengthStart;
  while (start > 0 && isNumberByte(out[start - 1])) --start;
  require(start > 0 && out[start - 1] == '\n',
          "summary not at the start of a line");
  require(lengthStart - start == 2 * static_cast<std::size_t>(length),
          "chain length is not the number of moves");
  require(length <= 32, "chain of more than 32 moves");

  bool used[combo::kRowEntries][combo::kRowEntries] = {};
  int32_t previous = 0;
  for (std::size_t i = start; i < lengthStart; i += 2) {
    require(out[i] >= '1' && out[i] <= '8' && out[i + 1] == ',',
            "chain entry is not a move 1 to 8");
    int32_t move = out[i] - '0';
    if (previous != 0) {
      const combo::LinkRow& row = combo::kInitialLinks.rows[previous - 1];
      require(row.entries[move] == move, "chain takes a link not in the table");
      require(!used[previous][move], "chain takes a link twice");
      used[previous][move] = true;
    }
    previous = move;
  }
  if (previous != 0) {
    const combo::LinkRow& row = combo::kInitialLinks.rows[previous - 1];
    for (int32_t j = combo::kFirstMove; j <= combo::kLastMove; ++j) {
      require(row.entries[j] == 0 || used[previous][j],
              "chain ends while its last move has a link left");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size > kMaxInput) return 0;
  const char* input = reinterpret_cast<const char*>(data);

  // The console reads numbers on a faster path when its output is not a
  // terminal: both ways must read and write exactly alike.
  Run run = runOn(input, size, pipedOutput, false);
  Run terminal = runOn(input, size, terminalOutput, true);
  require(terminal.status == run.status &&
              terminal.inputUsed == run.inputUsed &&
              terminal.outputLength == run.outputLength,
          "the dialogue ends differently when its output is a terminal");
  for (std::size_t i = 0; i < run.outputLength; ++i) {
    require(terminalOutput[i] == pipedOutput[i],
            "the dialogue writes differently when its output is a terminal");
  }

  // Line by line, as the web edition runs it: the same output, but for the
  // line break written at the real end of input.
  Run lines = runByLines(input, size);
  bool ended = run.status == combo::kStatusInputEnded;
  require(lines.status == (ended ? combo::kStatusAwaitingInput : run.status),
          "line by line, the dialogue ends differently");
  require(lines.outputLength + (ended ? 1 : 0) == run.outputLength,
          "line by line, the dialogue writes another length");
  for (std::size_t i = 0; i < lines.outputLength; ++i) {
    require(linesOutput[i] == pipedOutput[i],
            "line by line, the dialogue writes differently");
  }

  const char* out = pipedOutput;
  std::size_t length = run.outputLength;
  require(run.status != combo::kStatusOutputFailed,
          "output overflowed the sink, far beyond its bound");
  require(withinOutputBound(length, size),
          "output longer than the bound for this input");
  if (run.status == combo::kStatusStopped) {
    require(endsWith(out, length, combo::kReplayPrompt),
            "status 0, but the output does not end with the replay prompt");
    require(lastNumberIsZero(input, size, run.inputUsed),
            "status 0, but the last number read is not 0");
  } else {
    require(run.status == combo::kStatusInputEnded, "status neither 0 nor 1");
    require(run.inputUsed == size, "status 1 with input left unread");
    require(length > 0 && out[length - 1] == '\n' &&
                (endsWith(out, length - 1, combo::kStarterPrompt) ||
                 endsWith(out, length - 1, combo::kNextMovePrompt) ||
                 endsWith(out, length - 1, combo::kReplayPrompt)),
            "status 1, but the output does not end with a prompt and a "
            "line break");
  }

  for (std::size_t at = 0; at < length; ++at) {
    if (hasAt(out, length, at, combo::kCanFollow)) {
      checkListing(out, at, true);
    } else if (hasAt(out, length, at, combo::kNoMoreLinks)) {
      checkListing(out, at, false);
    } else if (hasAt(out, length, at, combo::kChainLengthTail)) {
      checkSummary(out, at);
    }
  }
  return 0;
}
