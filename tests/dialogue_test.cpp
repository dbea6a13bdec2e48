// The dialogue run in memory: how it ends, and what it does when its output
// fails. What it writes is checked by the transcripts of the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "combo_dialogue.h"

namespace combo {
namespace {

using Link = std::pair<int32_t, int32_t>;  // {from, to}

struct Outcome {
  int status;
  std::size_t inputUsed;
  std::string output;
};

Outcome runOn(const std::string& input, std::size_t capacity) {
  static Console console;
  static char sink[1 << 20];
  console = Console{};
  openMemoryConsole(&console, input.data(), input.size(), sink, capacity);
  int status = runDialogue(&console);
  return {status, console.inputPos, std::string(sink, console.memoryLength)};
}

TEST(RunDialogue, StopsWithZeroOnlyAtTheUsersZero) {
  EXPECT_EQ(runOn("0 0", 1 << 20).status, kStatusStopped);
  EXPECT_EQ(runOn("0 1 0 0", 1 << 20).status, kStatusStopped);
  EXPECT_EQ(runOn("0 1", 1 << 20).status, kStatusInputEnded);
  EXPECT_EQ(runOn("7 6 7", 1 << 20).status, kStatusInputEnded);
  EXPECT_EQ(runOn("x", 1 << 20).status, kStatusInputEnded);
}

TEST(RunDialogue, WritesNothingAfterTheFinalZero) {
  Outcome run = runOn("0 0 9 9 9", 1 << 20);
  EXPECT_EQ(run.status, kStatusStopped);
  EXPECT_EQ(run.inputUsed, 3u);
  std::string end(kReplayPrompt);
  ASSERT_GE(run.output.size(), end.size());
  EXPECT_EQ(run.output.substr(run.output.size() - end.size()), end);
}

// When output fails the dialogue stops reading at once, even with plenty of
// input left, and reports the failure in its status.
TEST(RunDialogue, StopsReadingWhenOutputFails) {
  std::string input;
  for (int i = 0; i < 100000; ++i) input += "0 1 ";
  Outcome run = runOn(input, 1000);
  EXPECT_EQ(run.status, kStatusOutputFailed);
  EXPECT_LT(run.inputUsed, input.size() / 10);
}

TEST(RunDialogue, FailsWhenOnlyTheLastFlushFails) {
  // Everything fits but the final bytes: the status must still say so.
  std::string whole = runOn("0 0", 1 << 20).output;
  Outcome run = runOn("0 0", whole.size() - 1);
  EXPECT_EQ(run.status, kStatusOutputFailed);
}

// Where the dialogue stood when the input ran out, as a front end that
// replays the user's answers sees it.
struct StateCase {
  const char* name;
  const char* input;
  Waiting waitingAt;
  int32_t current;
  std::vector<int32_t> path;
  std::vector<Link> closed;  // the links used, closed in the table
};

void PrintTo(const StateCase& c, std::ostream* os) { *os << c.name; }

class DialogueStateTest : public testing::TestWithParam<StateCase> {};

TEST_P(DialogueStateTest, IsWhereTheInputEnded) {
  const StateCase& c = GetParam();
  static Console console;
  static char sink[1 << 16];
  console = Console{};
  openMemoryConsole(&console, c.input, std::strlen(c.input), sink, sizeof sink);
  DialogueState state;
  startDialogue(&state);
  runDialogue(&console, &state);
  EXPECT_EQ(state.waitingAt, c.waitingAt);
  EXPECT_EQ(state.current, c.current);
  EXPECT_EQ(
      std::vector<int32_t>(state.path.moves, state.path.moves + state.length),
      c.path);
  // Every link of the game's table is open but those used.
  for (int32_t k = 1; k <= 8; ++k) {
    for (int32_t j = 1; j <= 8; ++j) {
      bool used = std::find(c.closed.begin(), c.closed.end(), Link{k, j}) !=
                  c.closed.end();
      EXPECT_EQ(isLinkOpen(state.links, k, j),
                !used && kInitialLinks.rows[k - 1].entries[j] != 0)
          << "link " << k << " to " << j;
    }
  }
}

const StateCase kStateCases[] = {
    {"Nothing", "", Waiting::kStarter, 0, {}, {}},
    {"StarterOutOfRange", "9", Waiting::kStarter, 0, {}, {}},
    {"AfterStarter", "8", Waiting::kNextMove, 8, {8}, {}},
    {"ImpossibleChangesNothing", "8 1 0 9 x", Waiting::kNextMove, 8, {8}, {}},
    {"MidCombo", "8 7 6", Waiting::kNextMove, 6, {8, 7, 6}, {{8, 7}, {7, 6}}},
    {"ComboComplete",
     "7 6 7",
     Waiting::kReplay,
     7,
     {7, 6, 7},
     {{7, 6}, {6, 7}}},
    {"EmptyChain", "0", Waiting::kReplay, 0, {}, {}},
    {"NextComboStartsAfresh",
     "7 6 7 1 2 2",
     Waiting::kNextMove,
     2,
     {2, 2},
     {{2, 2}}},
    {"UserStopped",
     "7 6 7 0 5",
     Waiting::kNothing,
     7,
     {7, 6, 7},
     {{7, 6}, {6, 7}}},
};

INSTANTIATE_TEST_SUITE_P(RunDialogue, DialogueStateTest,
                         testing::ValuesIn(kStateCases),
                         [](const testing::TestParamInfo<StateCase>& info) {
                           return std::string(info.param.name);
                         });

// Every combo starts afresh: the dialogue run on the input from where the
// current combo began writes what the whole run wrote from there on.
TEST(DialogueState, CurrentComboReplaysAlone) {
  const char* inputs[] = {
      "7 6 7 1 8 1 7",    "0 1 0 2 5 4 2 2 3", "8 7 6 7 x 1 7 6 7 -1 9 0",
      "7 6 7 1 7 6 7 1 ", "x 1 7 6 7 1\n\n",
  };
  for (const char* input : inputs) {
    SCOPED_TRACE(input);
    static Console console;
    static char whole[1 << 16];
    static char alone[1 << 16];
    console = Console{};
    std::size_t length = std::strlen(input);
    openMemoryConsole(&console, input, length, whole, sizeof whole);
    DialogueState state;
    startDialogue(&state);
    int status = runDialogue(&console, &state);
    std::string wholeOutput(whole, console.memoryLength);
    ASSERT_LE(state.comboInput, length);
    ASSERT_LE(state.comboOutput, wholeOutput.size());

    console = Console{};
    openMemoryConsole(&console, input + state.comboInput,
                      length - state.comboInput, alone, sizeof alone);
    DialogueState again;
    startDialogue(&again);
    EXPECT_EQ(runDialogue(&console, &again), status);
    EXPECT_EQ(std::string(alone, console.memoryLength),
              wholeOutput.substr(state.comboOutput));
    EXPECT_EQ(again.comboInput, 0u);
    EXPECT_EQ(again.comboOutput, 0u);
  }
}

// The dialogue continued line by line, as the web edition gives it a line
// at a time: each part's output joined up is what one run over the whole
// input writes, but for the line break that only the real end of input
// brings. Every part but one after the user stopped waits for more.
struct PartsCase {
  const char* name;
  std::vector<const char*> parts;  // each ends with white space
  int wholeStatus;                 // of one run over all the parts
};

void PrintTo(const PartsCase& c, std::ostream* os) { *os << c.name; }

// A dialogue given its input in parts: each part() goes on from where the
// last one stopped and keeps only that part's output.
class PartedDialogue {
 public:
  PartedDialogue() {
    console_ = Console{};
    openMemoryConsole(&console_, nullptr, 0, sink_, sizeof sink_);
    startDialogue(&state_);
  }
  // Runs the dialogue on text, the next part of the input; returns its
  // status, and sets output() to what this part wrote.
  int part(const char* text) {
    continueMemoryConsole(&console_, text, std::strlen(text));
    int status = runDialogue(&console_, &state_);
    output_.assign(sink_, console_.memoryLength);
    return status;
  }
  const std::string& output() const { return output_; }
  const DialogueState& state() const { return state_; }
  const Console& console() const { return console_; }

 private:
  static Console console_;  // static: 128 KiB of buffers, off the stack
  static char sink_[1 << 16];
  DialogueState state_;
  std::string output_;
};
Console PartedDialogue::console_;
char PartedDialogue::sink_[1 << 16];

class ContinuedDialogueTest : public testing::TestWithParam<PartsCase> {};

TEST_P(ContinuedDialogueTest, WritesWhatOneRunWrites) {
  const PartsCase& c = GetParam();
  std::string whole;
  for (const char* part : c.parts) whole += part;
  Outcome once = runOn(whole, 1 << 20);
  ASSERT_EQ(once.status, c.wholeStatus);

  PartedDialogue dialogue;
  EXPECT_EQ(dialogue.part(""), kStatusAwaitingInput);
  std::string joined = dialogue.output();
  int status = kStatusAwaitingInput;
  for (const char* part : c.parts) {
    status = dialogue.part(part);
    joined += dialogue.output();
  }
  if (c.wholeStatus == kStatusInputEnded) {
    EXPECT_EQ(status, kStatusAwaitingInput);
    EXPECT_EQ(joined + "\n", once.output);
  } else {
    EXPECT_EQ(status, c.wholeStatus);
    EXPECT_EQ(joined, once.output);
  }
}

const PartsCase kPartsCases[] = {
    {"ReadmeSession",
     {"8\n", "1\n", "7\n", "6\n", "7\n", "0\n"},
     kStatusStopped},
    {"SeveralAnswersALine", {"8 1 7\n", "6 7 1\n", "0 0\n"}, kStatusStopped},
    {"WrongAnswersEverywhere",
     {"9\n", "x\n", "-1\n", "8\n", "12\n", "abc\n", "0\n", "7\n", "6\n", "7\n",
      "x\n", "-1\n"},
     kStatusInputEnded},
    {"NewComboMidLine", {"7 6 7 1 8\n", "7\n"}, kStatusInputEnded},
    {"NothingAfterTheStop", {"0 0 5\n", "7 6 7\n"}, kStatusStopped},
    {"EmptyLines", {"\n", " \n", "8\n", "\t\n"}, kStatusInputEnded},
};

INSTANTIATE_TEST_SUITE_P(RunDialogue, ContinuedDialogueTest,
                         testing::ValuesIn(kPartsCases),
                         [](const testing::TestParamInfo<PartsCase>& info) {
                           return std::string(info.param.name);
                         });

// Each part writes only what its answers bring: after the starter 8, the
// listing and the next-move prompt; after 1, the refusal and the listing
// again.
TEST(ContinuedDialogue, WritesEachAnswersOwnOutput) {
  PartedDialogue dialogue;
  ASSERT_EQ(dialogue.part(""), kStatusAwaitingInput);
  EXPECT_EQ(dialogue.output(), std::string(kMenuLine1) + "\n" + kMenuLine2 +
                                   "\n" + kStarterPrompt);
  EXPECT_EQ(dialogue.state().waitingAt, Waiting::kStarter);

  ASSERT_EQ(dialogue.part("8\n"), kStatusAwaitingInput);
  EXPECT_EQ(dialogue.output(),
            std::string("6,7,") + kCanFollow + kNextMovePrompt);
  EXPECT_EQ(dialogue.state().waitingAt, Waiting::kNextMove);
  EXPECT_EQ(dialogue.state().current, 8);

  ASSERT_EQ(dialogue.part("1\n"), kStatusAwaitingInput);
  EXPECT_EQ(dialogue.output(),
            std::string(kImpossible) + "6,7," + kCanFollow + kNextMovePrompt);
}

// A dialogue that has ended stays ended: nothing is read or written.
TEST(ContinuedDialogue, EndedStaysEnded) {
  PartedDialogue dialogue;
  ASSERT_EQ(dialogue.part("0 0\n"), kStatusStopped);
  EXPECT_EQ(dialogue.part("7 6 7\n"), kStatusStopped);
  EXPECT_EQ(dialogue.output(), "");
  EXPECT_EQ(dialogue.console().inputPos, 0u);
  EXPECT_EQ(dialogue.state().waitingAt, Waiting::kNothing);
}

}  // namespace
}  // namespace combo
