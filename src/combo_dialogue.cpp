#include "combo_dialogue.h"

#include <cstdio>
#include <cstring>

namespace combo {
namespace {

// What asking for an answer gave: an answer, or the end of the dialogue.
enum class Asked { kAnswer, kEnd };

bool isMoveOrNone(int32_t number) { return number >= 0 && number <= 8; }

// Writes the starter prompt and reads until a starter from 0 to 8 arrives;
// anything else is answered with the no-such-move message.
Asked askStarter(Console* console, int32_t* starter) {
  for (;;) {
    writeText(console, kStarterPrompt);
    ReadResult read = readNumber(console, starter);
    if (read == ReadResult::kEnd) return Asked::kEnd;
    if (read == ReadResult::kNumber && isMoveOrNone(*starter)) {
      return Asked::kAnswer;
    }
    writeText(console, kNoSuchMove);
  }
}

// Move numbers are single digits, so "%d," is the digit and a comma.
static_assert(kLastMove <= 9, "a move number is one digit");

// Writes "%d," for each open follow-up of move and returns how many. The
// listing is put together here and written in one piece; the loop fills all
// eight slots, used or not, a fixed count that the compiler unrolls.
int32_t writeListing(Console* console, const LinkTable& links, int32_t move) {
  FollowUps open = openFollowUps(links, move);
  char listing[2 * kMoveKinds];
  for (int32_t i = 0; i < kMoveKinds; ++i) {
    int32_t listed = i < open.count ? open.moves[i] : 0;
    listing[2 * i] = static_cast<char>('0' + listed);
    listing[2 * i + 1] = ',';
  }
  writePrefix(console, listing, 2 * static_cast<std::size_t>(open.count));
  return open.count;
}

// Takes follow-ups from the starter in state->path until the current move
// has no open link left, closing each link used.
Asked buildChain(Console* console, DialogueState* state) {
  state->current = state->path.moves[0];
  state->length = 1;
  while (writeListing(console, state->links, state->current) > 0) {
    writeText(console, kCanFollow);
    writeText(console, kNextMovePrompt);
    int32_t choice = 0;
    ReadResult read = readNumber(console, &choice);
    if (read == ReadResult::kEnd) return Asked::kEnd;
    if (read != ReadResult::kNumber || !isMoveOrNone(choice)) {
      writeText(console, kNoSuchMove);
    } else if (!isLinkOpen(state->links, state->current, choice)) {
      writeText(console, kImpossible);
    } else {
      state->path.moves[state->length++] = choice;
      closeLink(&state->links, state->current, choice);
      state->current = choice;
    }
  }
  writeText(console, kNoMoreLinks);
  writeText(console, "\n");
  return Asked::kAnswer;
}

// Writes the chain and its length: "\n8,7,6,7,4+1Zorvです。\n\n". The line
// break and the chain are put together here and written in one piece.
void writeSummary(Console* console, const ComboPath& path, int32_t length) {
  char chain[1 + 2 * kComboPathSlots];
  chain[0] = '\n';
  for (int32_t i = 0; i < length; ++i) {
    chain[1 + 2 * i] = static_cast<char>('0' + path.moves[i]);
    chain[2 + 2 * i] = ',';
  }
  writePrefix(console, chain, 1 + 2 * static_cast<std::size_t>(length));
  writeNumber(console, length);
  writeText(console, kChainLengthTail);
}

// Plays one combo from the menu to the summary. state->waitingAt says
// which prompt the input ended at, if it did.
Asked playCombo(Console* console, DialogueState* state) {
  state->comboInput = console->inputPos;
  state->comboOutput = console->memoryLength + console->outputLength;
  std::memset(&state->path, 0, sizeof state->path);
  state->length = 0;
  state->current = 0;
  resetLinks(&state->links);
  writeText(console, kMenuLine1);
  writeText(console, "\n");
  writeText(console, kMenuLine2);
  writeText(console, "\n");
  state->waitingAt = Waiting::kStarter;
  if (askStarter(console, &state->path.moves[0]) == Asked::kEnd) {
    return Asked::kEnd;
  }
  if (state->path.moves[0] != 0) {
    state->waitingAt = Waiting::kNextMove;
    if (buildChain(console, state) == Asked::kEnd) return Asked::kEnd;
  }
  writeSummary(console, state->path, state->length);
  state->waitingAt = Waiting::kReplay;
  return Asked::kAnswer;
}

// Writes the replay prompt and reads an answer; unreadable input is answered
// with the prompt again.
Asked askReplay(Console* console, int32_t* answer) {
  for (;;) {
    writeText(console, kReplayPrompt);
    ReadResult read = readNumber(console, answer);
    if (read == ReadResult::kEnd) return Asked::kEnd;
    if (read == ReadResult::kNumber) return Asked::kAnswer;
  }
}

// Flushes the output and turns the way the dialogue ended into its status.
int finish(Console* console, DialogueState* state, int status) {
  if (finishOutput(console)) return status;
  state->waitingAt = Waiting::kNothing;
  return kStatusOutputFailed;
}

}  // namespace

int runDialogue() {
  // Static storage: zero-initialised at load time, and off the stack.
  static Console console;
  openFileConsole(&console, 0, 1);
  int status = runDialogue(&console);
  returnUnusedInput(&console);
  if (console.writeError != 0) {
    std::fprintf(stderr, "combo: write error: %s\n",
                 std::strerror(console.writeError));
  } else if (console.readError != 0) {
    std::fprintf(stderr, "combo: read error: %s\n",
                 std::strerror(console.readError));
  }
  return status;
}

int runDialogue(Console* console) {
  DialogueState state;
  return runDialogue(console, &state);
}

int runDialogue(Console* console, DialogueState* state) {
  for (;;) {
    int32_t answer = 0;
    if (playCombo(console, state) == Asked::kEnd ||
        askReplay(console, &answer) == Asked::kEnd) {
      // Leave the console on a fresh line.
      writeText(console, "\n");
      return finish(console, state, kStatusInputEnded);
    }
    if (answer == 0) {
      state->waitingAt = Waiting::kNothing;
      return finish(console, state, kStatusStopped);
    }
  }
}

}  // namespace combo
