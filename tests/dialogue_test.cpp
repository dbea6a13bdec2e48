// The dialogue run in memory: how it ends, and what it does when its output
// fails. What it writes is checked by the transcripts of the program.
#include "combo_dialogue.h"

#include <gtest/gtest.h>

#include <string>

namespace combo {
namespace {

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

}  // namespace
}  // namespace combo
