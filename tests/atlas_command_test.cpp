// combo-atlas, the command: its output lines (counts of every size, the
// whole atlas against the reference walk and figures known from play, the
// lines after a combo begun, written out by hand), its usage text, its
// arguments, and how it reports output that cannot be written. The process
// tests (tests/atlas/run_atlas.sh, tests/process_test.py) run it as a
// program.
#include "atlas_command.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "atlas_tables.h"
#include "reference_walk.h"

namespace combo {
namespace {

static AtlasSearch gSearch;  // about 1 MiB: off the stack

struct CountCase {
  const char* name;
  uint64_t count;
  const char* want;
};

void PrintTo(const CountCase& c, std::ostream* os) { *os << c.name; }

class WriteCountTest : public testing::TestWithParam<CountCase> {};

// Written between two other texts, so a digit too many or too few, or a
// stray byte, shows.
TEST_P(WriteCountTest, WritesEveryDigit) {
  static Console console;
  char sink[64];
  console = Console{};
  openMemoryConsole(&console, nullptr, 0, sink, sizeof sink);
  writeText(&console, "[");
  internal::writeCount(&console, GetParam().count);
  writeText(&console, "]");
  ASSERT_TRUE(finishOutput(&console));
  EXPECT_EQ(std::string(sink, console.memoryLength),
            "[" + std::string(GetParam().want) + "]");
}

const CountCase kCountCases[] = {
    {"Zero", 0, "0"},
    {"OneDigit", 7, "7"},
    {"Ten", 10, "10"},
    {"NineDigits", 123456789, "123456789"},
    {"LargestOf32Bits", 4294967295u, "4294967295"},
    {"Past32Bits", 4294967296u, "4294967296"},
    {"NineteenDigits", 9999999999999999999u, "9999999999999999999"},
    {"TwentyDigits", 10000000000000000000u, "10000000000000000000"},
    {"Largest", 18446744073709551615u, "18446744073709551615"},
};

INSTANTIATE_TEST_SUITE_P(Internal, WriteCountTest,
                         testing::ValuesIn(kCountCases),
                         [](const testing::TestParamInfo<CountCase>& info) {
                           return std::string(info.param.name);
                         });

struct Written {
  int status;
  std::string output;
};

Written runAtlasInto(std::size_t capacity) {
  static Console console;
  static char sink[1 << 16];
  console = Console{};
  openMemoryConsole(&console, nullptr, 0, sink, capacity);
  int status = runAtlas(&console);
  return {status, std::string(sink, console.memoryLength)};
}

TEST(RunAtlas, WritesTheHeaderAndOneLinePerStarter) {
  Written run = runAtlasInto(1 << 16);
  EXPECT_EQ(run.status, kAtlasStatusDone);
  const std::string header =
      "starter\tcombos\tshortest\tlongest\tlongest_example\n";
  ASSERT_GE(run.output.size(), header.size());
  EXPECT_EQ(run.output.substr(0, header.size()), header);
  std::vector<std::string> lines;
  std::size_t start = header.size();
  std::size_t end = run.output.find('\n', start);
  while (end != std::string::npos) {
    lines.push_back(run.output.substr(start, end - start));
    start = end + 1;
    end = run.output.find('\n', start);
  }
  EXPECT_EQ(start, run.output.size()) << "the last line has no line break";
  ASSERT_EQ(lines.size(), 8u);
  // Starter 7's line, from the reference walk of every combo.
  LinkTable game;
  resetLinks(&game);
  static ReferenceWalk walk;  // about 20 KiB: off the stack
  startReferenceWalk(&walk, game);
  WalkFigures seven = walkFromStarter(&walk, 7);
  std::string want = "7\t" + std::to_string(seven.combos) + "\t" +
                     std::to_string(seven.shortest) + "\t" +
                     std::to_string(seven.longest) + "\t";
  for (int32_t i = 0; i < seven.longest; ++i) {
    want += (i > 0 ? "," : "") + std::to_string(seven.example[i]);
  }
  EXPECT_EQ(lines[6], want);
  // Starter 1's figures known from play.
  EXPECT_EQ(lines[0].substr(0, 2), "1\t");
  EXPECT_NE(lines[0].find("\t4\t22\t1,2,1,3,1,4,2,2,3,2,5,3,5,4,5,8,6,2,6,6,7,"
                          "6"),
            std::string::npos)
      << lines[0];
}

TEST(RunAtlas, ReportsAFailedWrite) {
  EXPECT_EQ(runAtlasInto(0).status, kAtlasStatusOutputFailed);
  EXPECT_EQ(runAtlasInto(10).status, kAtlasStatusOutputFailed);
}

TEST(RunAtlas, ReportsAFailureOfTheLastByte) {
  std::size_t whole = runAtlasInto(1 << 16).output.size();
  EXPECT_EQ(runAtlasInto(whole - 1).status, kAtlasStatusOutputFailed);
  EXPECT_EQ(runAtlasInto(whole).status, kAtlasStatusDone);
}

// writeFollowUps on the table with ties, the lines written out by hand.
std::string followUpsWritten(const std::vector<int32_t>& moves) {
  static Console console;
  static char sink[4096];
  console = Console{};
  openMemoryConsole(&console, nullptr, 0, sink, sizeof sink);
  writeFollowUps(&console, &gSearch, moves.data(),
                 static_cast<int32_t>(moves.size()));
  EXPECT_TRUE(finishOutput(&console));
  return std::string(sink, console.memoryLength);
}

TEST(WriteFollowUps, WritesTheWholeCombosAfterTheHeader) {
  ASSERT_TRUE(startAtlasSearch(&gSearch, tableOf(kTies)));
  EXPECT_EQ(followUpsWritten({1, 2}),
            "next\tcombos\tshortest\tlongest\tlongest_example\n"
            "3\t1\t3\t3\t1,2,3\n"
            "4\t2\t5\t5\t1,2,4,6,7\n"
            "5\t2\t5\t5\t1,2,5,6,7\n");
  EXPECT_EQ(followUpsWritten({6}),
            "next\tcombos\tshortest\tlongest\tlongest_example\n"
            "7\t1\t2\t2\t6,7\n"
            "8\t1\t2\t2\t6,8\n");
}

TEST(WriteFollowUps, WritesTheHeaderAloneForACompleteCombo) {
  ASSERT_TRUE(startAtlasSearch(&gSearch, tableOf(kTies)));
  EXPECT_EQ(followUpsWritten({1, 2, 4, 6, 8}),
            "next\tcombos\tshortest\tlongest\tlongest_example\n");
}

Written runCommandInto(std::vector<const char*> args, std::size_t capacity) {
  static Console console;
  static char sink[1 << 16];
  console = Console{};
  openMemoryConsole(&console, nullptr, 0, sink, capacity);
  args.insert(args.begin(), "combo-atlas");
  int status =
      runAtlasCommand(&console, static_cast<int>(args.size()), args.data());
  return {status, std::string(sink, console.memoryLength)};
}

// The example to check by hand: after 7, 6, 7 the link from 7 to 6 is used
// and nothing can follow.
TEST(RunAtlasCommand, AnswersAComboBegunWithOneLinePerNextMove) {
  Written run = runCommandInto({"7", "6"}, 1 << 16);
  EXPECT_EQ(run.status, kAtlasStatusDone);
  const std::string header =
      "next\tcombos\tshortest\tlongest\tlongest_example\n";
  ASSERT_EQ(run.output.substr(0, header.size()), header);
  std::vector<std::string> lines;
  std::size_t start = header.size();
  for (std::size_t end = run.output.find('\n', start); end != std::string::npos;
       end = run.output.find('\n', start)) {
    lines.push_back(run.output.substr(start, end - start));
    start = end + 1;
  }
  EXPECT_EQ(start, run.output.size()) << "the last line has no line break";
  ASSERT_EQ(lines.size(), 3u) << run.output;
  EXPECT_EQ(lines[0].substr(0, 2), "2\t");
  EXPECT_EQ(lines[1].substr(0, 2), "6\t");
  EXPECT_EQ(lines[2], "7\t1\t3\t3\t7,6,7");
}

TEST(RunAtlasCommand, AnswersACompleteComboWithTheHeaderAlone) {
  Written run = runCommandInto({"7", "6", "7"}, 1 << 16);
  EXPECT_EQ(run.status, kAtlasStatusDone);
  EXPECT_EQ(run.output, "next\tcombos\tshortest\tlongest\tlongest_example\n");
}

TEST(RunAtlasCommand, WritesTheWholeAtlasWithoutArguments) {
  Written run = runCommandInto({}, 1 << 16);
  EXPECT_EQ(run.status, kAtlasStatusDone);
  EXPECT_EQ(run.output, runAtlasInto(1 << 16).output);
}

// The whole usage text, every byte of it.
TEST(RunAtlasCommand, WritesTheUsageForEitherHelpOption) {
  const char* usage =
      "usage: combo-atlas [--] [MOVE...]\n"
      "\n"
      "Without MOVE: for each starter 1 to 8, the complete combos that begin\n"
      "with it: how many, the fewest and the most moves, the first longest.\n"
      "\n"
      "With MOVE...: a combo begun, as the dialogue accepts it (a starter "
      "1 to\n"
      "8, then follow-ups over links still open), and the same figures for\n"
      "the complete combos that go on from it, one line for each next move.\n"
      "\n"
      "-h or --help writes this text. \"--\" ends the options: every argument\n"
      "after it is a move, even -h.\n"
      "\n"
      "Output: lines of ASCII fields separated by tabs, after a header line.\n"
      "Exit status: 0 when done, 1 for a bad argument, 2 if the output\n"
      "cannot be written. See combo-atlas(1).\n";
  Written shortForm = runCommandInto({"-h"}, 1 << 16);
  Written longForm = runCommandInto({"7", "--help", "x"}, 1 << 16);
  EXPECT_EQ(shortForm.status, kAtlasStatusDone);
  EXPECT_EQ(longForm.status, kAtlasStatusDone);
  EXPECT_EQ(shortForm.output, usage);
  EXPECT_EQ(longForm.output, usage);
}

// "--" ends the options, as for POSIX utilities: it is not a move, and
// after it even "-h" is one.
TEST(RunAtlasCommand, TakesTwoDashesAsTheEndOfOptions) {
  Written plain = runCommandInto({"8", "7"}, 1 << 16);
  ASSERT_EQ(plain.status, kAtlasStatusDone);
  EXPECT_EQ(runCommandInto({"--", "8", "7"}, 1 << 16).output, plain.output);
  EXPECT_EQ(runCommandInto({"8", "--", "7"}, 1 << 16).output, plain.output);
  Written afterEnd = runCommandInto({"--", "-h"}, 1 << 16);
  EXPECT_EQ(afterEnd.status, kAtlasStatusBadArgument);
  EXPECT_EQ(afterEnd.output, "");
}

// Its line goes to standard error; the process tests read it.
TEST(RunAtlasCommand, WritesNothingForABadArgument) {
  Written run = runCommandInto({"8", "1"}, 1 << 16);
  EXPECT_EQ(run.status, kAtlasStatusBadArgument);
  EXPECT_EQ(run.output, "");
}

TEST(RunAtlasCommand, ReportsAFailedWriteOfEachAnswer) {
  EXPECT_EQ(runCommandInto({"7", "6"}, 10).status, kAtlasStatusOutputFailed);
  EXPECT_EQ(runCommandInto({"7", "6", "7"}, 10).status,
            kAtlasStatusOutputFailed);
  EXPECT_EQ(runCommandInto({"--help"}, 10).status, kAtlasStatusOutputFailed);
  EXPECT_EQ(runCommandInto({}, 10).status, kAtlasStatusOutputFailed);
}

}  // namespace
}  // namespace combo
