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

// Where the last answer taken lies in the input, and the starter just
// used: what a front end that takes back one answer at a time cuts at, and
// what "the longest from the starter just used" starts from.
struct TakenCase {
  const char* name;
  const char* input;
  std::size_t takenInput;  // where the white space before it began
  std::size_t takenEnd;
  int32_t lastStarter;
};

void PrintTo(const TakenCase& c, std::ostream* os) { *os << c.name; }

class TakenAnswerTest : public testing::TestWithParam<TakenCase> {};

TEST_P(TakenAnswerTest, IsTheLastAnswerThatChangedTheState) {
  const TakenCase& c = GetParam();
  static Console console;
  static char sink[1 << 16];
  console = Console{};
  openMemoryConsole(&console, c.input, std::strlen(c.input), sink, sizeof sink);
  DialogueState state;
  startDialogue(&state);
  runDialogue(&console, &state);
  EXPECT_EQ(state.takenInput, c.takenInput);
  EXPECT_EQ(state.takenEnd, c.takenEnd);
  EXPECT_EQ(state.lastStarter, c.lastStarter);
}

const TakenCase kTakenCases[] = {
    {"NothingTaken", "9 x -1", 0, 0, 0},
    {"Starter", "8", 0, 1, 0},
    {"StarterAfterRefusals", "9  8", 1, 4, 0},
    {"RefusedFollowUpsAfterIt", "8 1 0 x", 0, 1, 0},
    {"FollowUpAfterARefusal", "8 1 7", 3, 5, 0},
    {"TwoDigitsAndASign", "8 +7", 1, 4, 0},
    {"EmptyChain", "0", 0, 1, 0},
    // A number at the replay prompt begins the next combo at once.
    {"ReplayAnswer", "7 6 7\t12", 5, 8, 7},
    {"NextStarter", "7 6 7 1 8", 7, 9, 7},
    {"StopAtTheReplayPrompt", "7 6 7 0 5", 5, 7, 0},
    {"RefusedAtTheReplayPrompt", "7 6 7 y", 3, 5, 0},
    // An empty chain leaves the starter before it as the one just used.
    {"AfterAnEmptyChain", "7 6 7 1 0 1", 9, 11, 7},
    {"SecondComboUnderway", "7 6 7 1 8 7 1 2", 9, 11, 7},
};

INSTANTIATE_TEST_SUITE_P(RunDialogue, TakenAnswerTest,
                         testing::ValuesIn(kTakenCases),
                         [](const testing::TestParamInfo<TakenCase>& info) {
                           return std::string(info.param.name);
                         });

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

// The answers each prompt takes, in the order a front end offers them.
struct AnswersCase {
  const char* name;
  const char* input;             // the dialogue waits where this leaves it
  std::vector<int32_t> answers;  // in order
  std::vector<int32_t> moves;    // the move each names, 0 for none
};

void PrintTo(const AnswersCase& c, std::ostream* os) { *os << c.name; }

class PromptAnswersTest : public testing::TestWithParam<AnswersCase> {};

// Runs the dialogue on input and returns where it waits.
DialogueState stateAfter(const char* input) {
  static Console console;
  static char sink[1 << 16];
  console = Console{};
  openMemoryConsole(&console, input, std::strlen(input), sink, sizeof sink);
  DialogueState state;
  startDialogue(&state);
  runDialogue(&console, &state);
  return state;
}

TEST_P(PromptAnswersTest, ListsWhatThePromptTakes) {
  const AnswersCase& c = GetParam();
  PromptAnswers listed;
  listPromptAnswers(stateAfter(c.input), &listed);
  std::vector<int32_t> answers;
  std::vector<int32_t> moves;
  for (int32_t i = 0; i < listed.count; ++i) {
    answers.push_back(listed.answers[i].answer);
    moves.push_back(listed.answers[i].move);
  }
  EXPECT_EQ(answers, c.answers);
  EXPECT_EQ(moves, c.moves);
}

// Each answer listed is taken: the dialogue answers it with neither "それは
// 無理です。" nor "そんな技はありません。", and does not ask the same prompt
// again.
TEST_P(PromptAnswersTest, EveryAnswerListedIsTaken) {
  const AnswersCase& c = GetParam();
  DialogueState before = stateAfter(c.input);
  PromptAnswers listed;
  listPromptAnswers(before, &listed);
  for (int32_t i = 0; i < listed.count; ++i) {
    std::string input =
        std::string(c.input) + " " + std::to_string(listed.answers[i].answer);
    SCOPED_TRACE(input);
    std::string whole = runOn(input, 1 << 20).output;
    std::string part = runOn(c.input, 1 << 20).output;
    // The dialogue's output after the answer, less the line break at the
    // end of input.
    std::string reply = whole.substr(part.size() - 1);
    EXPECT_EQ(reply.find(kImpossible), std::string::npos);
    EXPECT_EQ(reply.find(kNoSuchMove), std::string::npos);
    DialogueState after = stateAfter(input.c_str());
    EXPECT_TRUE(after.waitingAt != before.waitingAt ||
                after.length != before.length);
  }
}

const AnswersCase kAnswersCases[] = {
    {"Starter", "", {1, 2, 3, 4, 5, 6, 7, 8, 0}, {1, 2, 3, 4, 5, 6, 7, 8, 0}},
    {"StarterAgainAfterNoSuchMove",
     "9",
     {1, 2, 3, 4, 5, 6, 7, 8, 0},
     {1, 2, 3, 4, 5, 6, 7, 8, 0}},
    {"AfterGroundBounce", "8", {6, 7}, {6, 7}},
    {"AfterARefusal", "8 1", {6, 7}, {6, 7}},
    {"MidCombo", "8 7 6", {2, 6, 7}, {2, 6, 7}},
    {"LinksUsedAreNotListed", "8 7 6 6", {2, 7}, {2, 7}},
    {"Replay", "8 7 6 7", {1, 0}, {0, 0}},
    {"ReplayAfterTheEmptyChain", "0", {1, 0}, {0, 0}},
    {"NextComboStartsAfresh",
     "7 6 7 1",
     {1, 2, 3, 4, 5, 6, 7, 8, 0},
     {1, 2, 3, 4, 5, 6, 7, 8, 0}},
    {"NoneOnceStopped", "0 0", {}, {}},
};

INSTANTIATE_TEST_SUITE_P(ListPromptAnswers, PromptAnswersTest,
                         testing::ValuesIn(kAnswersCases),
                         [](const testing::TestParamInfo<AnswersCase>& info) {
                           return std::string(info.param.name);
                         });

// The names and glosses offered: a move's menu name and gloss, none for the
// empty chain, the replay prompt's own words for its answers.
TEST(ListPromptAnswers, NamesEachAnswer) {
  PromptAnswers starter;
  listPromptAnswers(stateAfter(""), &starter);
  ASSERT_EQ(starter.count, 9);
  // "地上バウンド", "ground bounce"
  EXPECT_STREQ(starter.answers[7].name,
               "\x92\x6e\x8f\xe3\x83\x6f\x83\x45\x83\x93\x83\x68");
  EXPECT_STREQ(starter.answers[7].gloss, "ground bounce");
  EXPECT_STREQ(starter.answers[8].name, "");
  EXPECT_STREQ(starter.answers[8].gloss, "no move");

  PromptAnswers replay;
  listPromptAnswers(stateAfter("7 6 7"), &replay);
  ASSERT_EQ(replay.count, 2);
  // "もう一回", "once more"; "もうやめる", "stop"
  EXPECT_STREQ(replay.answers[0].name, "\x82\xe0\x82\xa4\x88\xea\x89\xf1");
  EXPECT_STREQ(replay.answers[0].gloss, "once more");
  EXPECT_STREQ(replay.answers[1].name,
               "\x82\xe0\x82\xa4\x82\xe2\x82\xdf\x82\xe9");
  EXPECT_STREQ(replay.answers[1].gloss, "stop");
}

// The summary line, as the dialogue writes it and a front end shows it.
TEST(FormatSummaryLine, WritesTheChainAndItsLength) {
  struct {
    std::vector<int32_t> moves;
    std::string line;
  } cases[] = {
      {{}, "0+1Zorv\x82\xc5\x82\xb7\x81\x42"},
      {{7}, "7,1+1Zorv\x82\xc5\x82\xb7\x81\x42"},
      {{8, 7, 6, 7}, "8,7,6,7,4+1Zorv\x82\xc5\x82\xb7\x81\x42"},
      {{1, 2, 1, 3, 1, 4, 2, 2, 3, 2, 5, 3, 5, 4, 5, 8, 6, 2, 6, 6, 7, 6},
       "1,2,1,3,1,4,2,2,3,2,5,3,5,4,5,8,6,2,6,6,7,6,22+1Zorv"
       "\x82\xc5\x82\xb7\x81\x42"},
  };
  for (const auto& c : cases) {
    ComboPath path = {};
    for (std::size_t i = 0; i < c.moves.size(); ++i) path.moves[i] = c.moves[i];
    char line[kSummaryLineSize];
    std::memset(line, 'x', sizeof line);
    std::size_t length =
        formatSummaryLine(path, static_cast<int32_t>(c.moves.size()), line);
    EXPECT_EQ(std::string(line, length), c.line);
    EXPECT_EQ(line[length], '\0');
  }
}

// The bound on what the dialogue writes is reached by the cycle "0 1 ", as
// its derivation says: the menu and the starter prompt (140 bytes) before
// the first read, 58 + 140 bytes for every 4 bytes, one line break at the end.
TEST(MaxDialogueOutput, IsReachedByTheCycleZeroOne) {
  EXPECT_EQ(maxDialogueOutput(0), 190u);  // 141 + 49.5, rounded down
  EXPECT_EQ(maxDialogueOutput(3), 339u);
  EXPECT_EQ(maxDialogueOutput(7), 537u);
  EXPECT_EQ(runOn("0 1", 1 << 20).output.size(), 339u);
  EXPECT_EQ(runOn("0 1 0 1", 1 << 20).output.size(), 537u);
}

}  // namespace
}  // namespace combo

namespace combo {
namespace {

// A table read from a file may hold every link, and a combo on it every
// one of them: 64 links, 65 moves, a length of two digits. The moves are a
// de Bruijn sequence of the pairs of moves, which has every pair once as
// neighbours (cyclically): the concatenation, in ascending order, of the
// words 1, 12, 13, ..., 18, 2, 23, ..., 8 (Lyndon words of length 1 and 2),
// and the first move again at the end.
TEST(StartDialogue, PlaysOnATableOfEveryLink) {
  LinkTable every = {};
  for (int32_t k = 1; k <= 8; ++k) {
    for (int32_t j = 1; j <= 8; ++j) every.rows[k - 1].entries[j] = j;
  }
  std::vector<int32_t> moves;
  for (int32_t a = 1; a <= 8; ++a) {
    moves.push_back(a);
    for (int32_t b = a + 1; b <= 8; ++b) {
      moves.push_back(a);
      moves.push_back(b);
    }
  }
  moves.push_back(moves.front());
  ASSERT_EQ(moves.size(), 65u);
  std::string input;
  std::string chain;
  for (int32_t move : moves) {
    input += std::to_string(move) + "\n";
    chain += std::to_string(move) + ",";
  }
  input += "0\n";
  static Console console;
  static char sink[1 << 16];
  openMemoryConsole(&console, input.data(), input.size(), sink, sizeof sink);
  DialogueState state;
  startDialogue(&state, every);
  EXPECT_EQ(runDialogue(&console, &state), kStatusStopped);
  std::string output(sink, console.memoryLength);
  const std::string impossible = kImpossible;
  EXPECT_EQ(output.find(impossible), std::string::npos) << "a move refused";
  // Every move may follow the starter, itself included.
  EXPECT_NE(output.find(std::string("1,2,3,4,5,6,7,8,") + kCanFollow),
            std::string::npos);
  const std::string summary = std::string(kNoMoreLinks) + "\n\n" + chain +
                              "65" + kChainLengthTail + kReplayPrompt;
  ASSERT_GE(output.size(), summary.size());
  EXPECT_EQ(output.substr(output.size() - summary.size()), summary);
}

// Every combo starts afresh with the table the dialogue was started on, not
// with the game's: here a table of one link, 2 -> 2, played twice.
TEST(StartDialogue, StartsEveryComboWithItsOwnTable) {
  LinkTable spin = {};
  spin.rows[2 - 1].entries[2] = 2;
  const std::string input = "2 2 1 2 2 0";
  static Console console;
  static char sink[4096];
  openMemoryConsole(&console, input.data(), input.size(), sink, sizeof sink);
  DialogueState state;
  startDialogue(&state, spin);
  EXPECT_EQ(runDialogue(&console, &state), kStatusStopped);
  const std::string combo = std::string(kMenuLine1) + "\n" + kMenuLine2 + "\n" +
                            kStarterPrompt + "2," + kCanFollow +
                            kNextMovePrompt + kNoMoreLinks + "\n\n2,2,2" +
                            kChainLengthTail + kReplayPrompt;
  EXPECT_EQ(std::string(sink, console.memoryLength), combo + combo);
}

}  // namespace
}  // namespace combo
