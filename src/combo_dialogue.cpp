#include "combo_dialogue.h"

#include <cstdio>
#include <cstring>

namespace combo {
namespace {

// 0 is no move, but the starter prompt takes it (the empty chain), and the
// next-move prompt refuses it as it refuses a closed link.
bool isMoveOrNone(int32_t number) { return number == 0 || isMoveKind(number); }

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

// Writes the chain and its length: "\n8,7,6,7,4+1Zorvです。\n\n".
void writeSummary(Console* console, const ComboPath& path, int32_t length) {
  char line[kSummaryLineSize];
  std::size_t lineLength = formatSummaryLine(path, length, line);
  writeText(console, "\n");
  writePrefix(console, line, lineLength);
  writeText(console, "\n\n");
}

// Begins a combo: clears the chain, opens every link again, writes the menu
// and the starter prompt.
void beginCombo(Console* console, DialogueState* state) {
  state->comboInput = console->inputPos;
  state->comboOutput = console->memoryLength + console->outputLength;
  if (state->length > 0) state->lastStarter = state->path.moves[0];
  std::memset(&state->path, 0, sizeof state->path);
  state->length = 0;
  state->current = 0;
  state->links = state->table;
  writeText(console, kMenuLine1);
  writeText(console, "\n");
  writeText(console, kMenuLine2);
  writeText(console, "\n");
  writeText(console, kStarterPrompt);
  state->waitingAt = Waiting::kStarter;
}

// Ends the combo: the summary, then the replay prompt.
void endCombo(Console* console, DialogueState* state) {
  writeSummary(console, state->path, state->length);
  writeText(console, kReplayPrompt);
  state->waitingAt = Waiting::kReplay;
}

// Lists the open follow-ups of the current move and asks for the next one;
// when there is none, the combo is complete.
void listFollowUps(Console* console, DialogueState* state) {
  if (writeListing(console, state->links, state->current) > 0) {
    writeText(console, kCanFollow);
    writeText(console, kNextMovePrompt);
    state->waitingAt = Waiting::kNextMove;
  } else {
    writeText(console, kNoMoreLinks);
    writeText(console, "\n");
    endCombo(console, state);
  }
}

// The answer at the starter prompt: 0 is the empty chain, 1 to 8 starts the
// chain, whose follow-ups are listed next; anything else is no move, and
// the prompt is asked again. Returns whether the answer was taken.
bool takeStarter(Console* console, DialogueState* state, bool isNumber,
                 int32_t starter) {
  if (!isNumber || !isMoveOrNone(starter)) {
    writeText(console, kNoSuchMove);
    writeText(console, kStarterPrompt);
    return false;
  }
  if (starter == 0) {
    endCombo(console, state);
  } else {
    state->path.moves[0] = starter;
    state->length = 1;
    state->current = starter;
    state->waitingAt = Waiting::kListing;
  }
  return true;
}

// The answer at the next-move prompt: a follow-up over an open link is
// taken and its link closed; anything else changes nothing but for its
// message. The listing comes next either way. Returns whether the answer
// was taken.
bool takeFollowUp(Console* console, DialogueState* state, bool isNumber,
                  int32_t choice) {
  state->waitingAt = Waiting::kListing;
  if (!isNumber || !isMoveOrNone(choice)) {
    writeText(console, kNoSuchMove);
    return false;
  }
  if (!isLinkOpen(state->links, state->current, choice)) {
    writeText(console, kImpossible);
    return false;
  }
  state->path.moves[state->length++] = choice;
  closeLink(&state->links, state->current, choice);
  state->current = choice;
  return true;
}

// The answer at the replay prompt: 0 stops, any other number begins another
// combo; anything else asks again. Returns whether the answer was taken.
bool takeReplayAnswer(Console* console, DialogueState* state, bool isNumber,
                      int32_t answer) {
  if (!isNumber) {
    writeText(console, kReplayPrompt);
    return false;
  }
  state->waitingAt = answer == 0 ? Waiting::kNothing : Waiting::kComboStart;
  return true;
}

// Flushes the output and turns the way the dialogue stopped into its status.
int finish(Console* console, DialogueState* state, int status) {
  if (finishOutput(console)) return status;
  state->waitingAt = Waiting::kNothing;
  return kStatusOutputFailed;
}

// The input has run out. If it goes on, the dialogue waits where it is;
// otherwise it ends, leaving the console on a fresh line.
int stopReading(Console* console, DialogueState* state) {
  if (console->inputGoesOn) {
    return finish(console, state, kStatusAwaitingInput);
  }
  writeText(console, "\n");
  return finish(console, state, kStatusInputEnded);
}

// A move offered as an answer, with its menu name and gloss; 0 as the empty
// chain, with no name.
PromptAnswer moveAnswer(int32_t move) {
  if (move == 0) return {0, 0, "", kNoMoveGloss};
  return {move, move, kMoveNames[move - 1].menuName,
          kMoveNames[move - 1].gloss};
}

}  // namespace

std::size_t formatSummaryLine(const ComboPath& path, int32_t length,
                              char (&line)[kSummaryLineSize]) {
  std::size_t n = 0;
  for (int32_t i = 0; i < length; ++i) {
    line[n++] = static_cast<char>('0' + path.moves[i]);
    line[n++] = ',';
  }
  if (length >= 10) line[n++] = static_cast<char>('0' + length / 10);
  line[n++] = static_cast<char>('0' + length % 10);
  std::memcpy(line + n, kChainLengthWords, sizeof kChainLengthWords);
  return n + sizeof kChainLengthWords - 1;
}

void startDialogue(DialogueState* state) {
  startDialogue(state, kInitialLinks);
}

void startDialogue(DialogueState* state, const LinkTable& table) {
  std::memset(state, 0, sizeof *state);
  state->table = table;
  state->waitingAt = Waiting::kComboStart;
}

void listPromptAnswers(const DialogueState& state, PromptAnswers* out) {
  out->count = 0;
  if (state.waitingAt == Waiting::kStarter) {
    for (int32_t move = kFirstMove; move <= kLastMove; ++move) {
      out->answers[out->count++] = moveAnswer(move);
    }
    out->answers[out->count++] = moveAnswer(0);
  } else if (state.waitingAt == Waiting::kNextMove) {
    FollowUps open = openFollowUps(state.links, state.current);
    for (int32_t i = 0; i < open.count; ++i) {
      out->answers[out->count++] = moveAnswer(open.moves[i]);
    }
  } else if (state.waitingAt == Waiting::kReplay) {
    for (const ReplayChoice& choice : kReplayChoices) {
      out->answers[out->count++] = {choice.answer, 0, choice.name,
                                    choice.gloss};
    }
  }
}

int runDialogue() { return runDialogue(kInitialLinks); }

int runDialogue(const LinkTable& table) {
  // Static storage: zero-initialised at load time, and off the stack.
  static Console console;
  static DialogueState state;
  openFileConsole(&console, 0, 1);
  startDialogue(&state, table);
  int status = runDialogue(&console, &state);
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
  startDialogue(&state);
  return runDialogue(console, &state);
}

// Each turn: the follow-ups listed if due (and the next-move prompt, or the
// summary and the replay prompt), or a combo begun if one is due (the menu
// and the starter prompt); then one answer read and taken at the prompt
// that waits for it, and where it was noted if it was taken.
int runDialogue(Console* console, DialogueState* state) {
  for (;;) {
    if (state->waitingAt == Waiting::kListing) {
      listFollowUps(console, state);
    } else if (state->waitingAt == Waiting::kComboStart) {
      beginCombo(console, state);
    }
    if (state->waitingAt == Waiting::kNothing) {
      return finish(console, state, kStatusStopped);
    }
    int32_t answer = 0;
    std::size_t before = console->inputPos;
    ReadResult read = readNumber(console, &answer);
    if (read == ReadResult::kEnd) return stopReading(console, state);
    bool isNumber = read == ReadResult::kNumber;
    bool taken = false;
    switch (state->waitingAt) {
      case Waiting::kStarter:
        taken = takeStarter(console, state, isNumber, answer);
        break;
      case Waiting::kNextMove:
        taken = takeFollowUp(console, state, isNumber, answer);
        break;
      default:
        taken = takeReplayAnswer(console, state, isNumber, answer);
        break;
    }
    if (taken) {
      state->takenInput = before;
      state->takenEnd = console->inputPos;
    }
  }
}

}  // namespace combo
