// combo-atlas, the command: its output lines (counts of every size,
// estimates, lengths that are ranges, the whole atlas against the reference
// walk and figures known from play, the lines after a combo begun, written
// out by hand), its usage text, its arguments and options (a table of
// cases, table files among them), and how it reports output that cannot be
// written. The process tests (tests/atlas/run_atlas.sh,
// tests/process_test.py) run it as a program.
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

static AtlasSearch gSearch;  // about 2 MiB: off the stack

struct CountCase {
  const char* name;
  BigCount count;
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

// 2^64 and 2^128, least significant limb first.
constexpr BigCount kTwoTo64 = {{0, 0, 1}};
constexpr BigCount kTwoTo128 = {{0, 0, 0, 0, 1}};

const CountCase kCountCases[] = {
    {"Zero", bigCountOf(0), "0"},
    {"OneDigit", bigCountOf(7), "7"},
    {"Ten", bigCountOf(10), "10"},
    {"NineDigits", bigCountOf(123456789), "123456789"},
    {"LargestOf32Bits", bigCountOf(4294967295u), "4294967295"},
    {"Past32Bits", bigCountOf(4294967296u), "4294967296"},
    {"NineteenDigits", bigCountOf(9999999999999999999u), "9999999999999999999"},
    {"TwentyDigits", bigCountOf(10000000000000000000u), "10000000000000000000"},
    {"LargestOf64Bits", bigCountOf(18446744073709551615u),
     "18446744073709551615"},
    {"Past64Bits", kTwoTo64, "18446744073709551616"},
    {"Past128Bits", kTwoTo128, "340282366920938463463374607431768211456"},
};

INSTANTIATE_TEST_SUITE_P(Internal, WriteCountTest,
                         testing::ValuesIn(kCountCases),
                         [](const testing::TestParamInfo<CountCase>& info) {
                           return std::string(info.param.name);
                         });

struct EstimateCase {
  const char* name;
  double estimate;
  const char* want;
};

void PrintTo(const EstimateCase& c, std::ostream* os) { *os << c.name; }

class FormatEstimateTest : public testing::TestWithParam<EstimateCase> {};

TEST_P(FormatEstimateTest, WritesThreeSignificantDigits) {
  char text[internal::kEstimateTextSize];
  int32_t length = internal::formatEstimate(GetParam().estimate, text);
  EXPECT_EQ(std::string(text), GetParam().want);
  EXPECT_EQ(length, static_cast<int32_t>(std::string(text).size()));
}

const EstimateCase kEstimateCases[] = {
    {"One", 1.0, "1.00e0"},
    {"Two", 2.0, "2.00e0"},
    {"Ten", 10.0, "1.00e1"},
    {"RoundsDown", 999.4, "9.99e2"},
    {"RoundsUpIntoTheExponent", 999.6, "1.00e3"},
    {"TheGamesStarter1", 8199578.0, "8.20e6"},
    {"Past64Bits", 12345678901234567890.0, "1.23e19"},
    {"TwoDigitExponent", 3.1415e40, "3.14e40"},
    {"ThreeDigitExponent", 1e100, "1.00e100"},
};

INSTANTIATE_TEST_SUITE_P(Internal, FormatEstimateTest,
                         testing::ValuesIn(kEstimateCases),
                         [](const testing::TestParamInfo<EstimateCase>& info) {
                           return std::string(info.param.name);
                         });

// What writeTableAtlas writes for atlas.
std::string atlasWritten(const TableAtlas& atlas, bool estimate) {
  static Console console;
  static char sink[4096];
  console = Console{};
  openMemoryConsole(&console, nullptr, 0, sink, sizeof sink);
  writeTableAtlas(&console, atlas, estimate);
  EXPECT_TRUE(finishOutput(&console));
  return std::string(sink, console.memoryLength);
}

// Figures set by hand, as no table at hand gives them all: a count past
// 2^64, a length that is a range (its example as long as its low end), a
// combo begun.
TableAtlas handMadeAtlas() {
  TableAtlas atlas = {};
  atlas.rowCount = 2;
  atlas.rows[0] = {3, kTwoTo64, {4, 4}, {5, 6}, {3, 1, 2, 3, 1}, {}, 0};
  atlas.rows[1] = {5, bigCountOf(1), {1, 3}, {2, 2}, {5, 5}, {}, 0};
  atlas.rows[0].combosAtLeast = bigCountOf(1234);
  atlas.rows[0].combosEstimate = 8199578.0;
  atlas.rows[1].combosAtLeast = bigCountOf(1);
  atlas.rows[1].combosEstimate = 1.0;
  return atlas;
}

TEST(WriteTableAtlas, WritesRangesAsLowDotDotHigh) {
  EXPECT_EQ(atlasWritten(handMadeAtlas(), false),
            "starter\tcombos\tshortest\tlongest\tlongest_example\n"
            "3\t18446744073709551616\t4\t5..6\t3,1,2,3,1\n"
            "5\t1\t1..3\t2\t5,5\n");
}

TEST(WriteTableAtlas, WritesTheBoundsAndTheEstimateInTheirColumns) {
  EXPECT_EQ(atlasWritten(handMadeAtlas(), true),
            "starter\tcombos_at_least\tcombos_estimate\tshortest\tlongest\t"
            "longest_example\n"
            "3\t1234\t8.20e6\t4\t5..6\t3,1,2,3,1\n"
            "5\t1\t1.00e0\t1..3\t2\t5,5\n");
}

TEST(WriteTableAtlas, NamesTheNextMoveAfterAComboBegun) {
  TableAtlas atlas = handMadeAtlas();
  atlas.moveCount = 1;
  atlas.moves[0] = 3;
  EXPECT_EQ(atlasWritten(atlas, false).substr(0, 5), "next\t");
  EXPECT_EQ(atlasWritten(atlas, true).substr(0, 21), "next\tcombos_at_least\t");
}

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

// The lines after a combo begun on the table with ties, written out by
// hand.
std::string followUpsWritten(const std::vector<int32_t>& moves) {
  static TableAtlas atlas;
  static ExactCountJob job;
  static CountWorkspace workspace;
  EXPECT_TRUE(startTableAtlas(&atlas, tableOf(kTies), moves.data(),
                              static_cast<int32_t>(moves.size())));
  figureTableAtlas(&atlas, &gSearch, &job, &workspace);
  return atlasWritten(atlas, false);
}

TEST(WriteFollowUps, WritesTheWholeCombosAfterTheHeader) {
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
      "usage: combo-atlas [--table FILE] [--estimate] [--] [MOVE...]\n"
      "       combo-atlas [--table FILE] --print-table\n"
      "\n"
      "Without MOVE: for each starter 1 to 8, the complete combos that begin\n"
      "with it: how many, the fewest and the most moves, the first longest.\n"
      "\n"
      "With MOVE...: a combo begun, as the dialogue accepts it (a starter "
      "1 to\n"
      "8, then follow-ups over links still open), and the same figures for\n"
      "the complete combos that go on from it, one line for each next move.\n"
      "\n"
      "--table FILE   the link table that FILE holds, not the game's, in the\n"
      "               format that --print-table writes.\n"
      "--estimate     at once, instead of the exact count: a proven lower\n"
      "               bound on it (combos_at_least) and an estimate.\n"
      "--print-table  writes the table in that format, and nothing else.\n"
      "-h or --help writes this text. \"--\" ends the options: every argument\n"
      "after it is a move, even -h.\n"
      "\n"
      "Output: lines of ASCII fields separated by tabs, after a header line;\n"
      "a length LOW..HIGH is a range the search could not narrow further.\n"
      "A long count shows its progress on standard error at a terminal.\n"
      "Exit status: 0 when done, 1 for a bad argument or table file, 2 if\n"
      "the output cannot be written. See combo-atlas(1).\n";
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

// The game's table as --print-table writes it: README.md's link chart, row
// by row.
const char kGameTableText[] =
    "1: 2 3 4 6 7\n"
    "2: 1 2 3 5 6\n"
    "3: 1 2 5\n"
    "4: 2 3 5 6 7 8\n"
    "5: 2 3 4 6 7 8\n"
    "6: 2 6 7\n"
    "7: 6\n"
    "8: 6 7\n";

const std::string kRingTable = std::string(COMBO_TABLES_DIR) + "/ring.table";

TEST(RunAtlasCommand, PrintsTheGamesTable) {
  Written run = runCommandInto({"--print-table"}, 1 << 16);
  EXPECT_EQ(run.status, kAtlasStatusDone);
  EXPECT_EQ(run.output, kGameTableText);
}

// ring.table lists 1's kinds as "2 1", and has a comment and a blank line.
TEST(RunAtlasCommand, PrintsATableFileNormalised) {
  Written run =
      runCommandInto({"--table", kRingTable.c_str(), "--print-table"}, 1 << 16);
  EXPECT_EQ(run.status, kAtlasStatusDone);
  EXPECT_EQ(run.output, "1: 1 2\n2: 3\n3: 1\n4:\n5:\n6:\n7:\n8:\n");
}

// What the ring's atlas is, listed by hand in table_atlas_test.cpp.
TEST(RunAtlasCommand, WritesTheAtlasOfATableFile) {
  Written run = runCommandInto({"--table", kRingTable.c_str()}, 1 << 16);
  EXPECT_EQ(run.status, kAtlasStatusDone);
  EXPECT_EQ(run.output,
            "starter\tcombos\tshortest\tlongest\tlongest_example\n"
            "1\t2\t5\t5\t1,1,2,3,1\n"
            "2\t2\t4\t5\t2,3,1,1,2\n"
            "3\t2\t4\t5\t3,1,1,2,3\n"
            "4\t1\t1\t1\t4\n"
            "5\t1\t1\t1\t5\n"
            "6\t1\t1\t1\t6\n"
            "7\t1\t1\t1\t7\n"
            "8\t1\t1\t1\t8\n");
}

// ---- The arguments, a table of cases -------------------------------------

// A table file the arguments name: the ring, one refused, one without links,
// one missing. They are files of the source tree, never written by a test:
// tests run as parallel processes, and a file one rewrites another may be
// reading half-written.
const std::string kMissingTable = testing::TempDir() + "no-such.table";
std::string refusedTable() {
  return std::string(COMBO_TABLES_DIR) + "/refused.table";
}

std::string noLinksTable() {
  return std::string(COMBO_TABLES_DIR) + "/no-links.table";
}

struct ArgumentCase {
  const char* name;
  std::vector<std::string> args;
  AtlasRequest request;
  bool estimate;
  std::vector<int32_t> moves;
  std::string error;  // for kBadArgument
};

void PrintTo(const ArgumentCase& c, std::ostream* os) { *os << c.name; }

class ReadAtlasCommandTest : public testing::TestWithParam<ArgumentCase> {};

TEST_P(ReadAtlasCommandTest, FindsWhatTheArgumentsAskFor) {
  const ArgumentCase& c = GetParam();
  std::vector<const char*> argv = {"combo-atlas"};
  for (const std::string& arg : c.args) argv.push_back(arg.c_str());
  static AtlasCommand command;
  readAtlasCommand(static_cast<int>(argv.size()), argv.data(), &command);
  ASSERT_EQ(command.request, c.request) << command.error;
  if (c.request == AtlasRequest::kBadArgument) {
    EXPECT_EQ(std::string(command.error), c.error);
    return;
  }
  if (c.request == AtlasRequest::kHelp) return;
  EXPECT_EQ(command.estimate, c.estimate);
  EXPECT_EQ(std::vector<int32_t>(command.moves, command.moves + command.count),
            c.moves);
}

using R = AtlasRequest;
const std::string kRing = kRingTable;

const ArgumentCase kArgumentCases[] = {
    {"NoArguments", {}, R::kAtlas, false, {}, ""},
    {"Estimate", {"--estimate"}, R::kAtlas, true, {}, ""},
    {"EstimateAmongTheMoves",
     {"8", "--estimate", "7"},
     R::kFollowUps,
     true,
     {8, 7},
     ""},
    {"PrintTable", {"--print-table"}, R::kPrintTable, false, {}, ""},
    {"PrintATableFile",
     {"--print-table", "--table", kRing},
     R::kPrintTable,
     false,
     {},
     ""},
    {"TableFile", {"--table", kRing}, R::kAtlas, false, {}, ""},
    // The moves are played on the file's table: 1 to 1 is no link of the
    // game's.
    {"MovesOnTheTableFile",
     {"--table", kRing, "1", "1", "2"},
     R::kFollowUps,
     false,
     {1, 1, 2},
     ""},
    {"TableWithEquals",
     {"--table=" + kRing, "2", "3"},
     R::kFollowUps,
     false,
     {2, 3},
     ""},
    {"TableAfterAMove",
     {"1", "--table", kRing, "1"},
     R::kFollowUps,
     false,
     {1, 1},
     ""},
    {"EstimateOnATableFile",
     {"--estimate", "--table", kRing, "3"},
     R::kFollowUps,
     true,
     {3},
     ""},
    {"HelpWhateverElse",
     {"--table", kMissingTable, "--print-table", "7", "-h"},
     R::kHelp,
     false,
     {},
     ""},
    // Errors, the first of them in this order: options, the table file,
    // the number of moves, each move.
    {"TableWithoutFile",
     {"7", "--table"},
     R::kBadArgument,
     false,
     {},
     "combo-atlas: a table file must follow --table\n"},
    {"TableTwice",
     {"--table", kRing, "--table=" + kRing},
     R::kBadArgument,
     false,
     {},
     "combo-atlas: --table given twice\n"},
    {"PrintTableWithMoves",
     {"--print-table", "7"},
     R::kBadArgument,
     false,
     {},
     "combo-atlas: --print-table takes no moves\n"},
    {"PrintTableWithEstimate",
     {"--estimate", "--print-table"},
     R::kBadArgument,
     false,
     {},
     "combo-atlas: --print-table and --estimate do not go together\n"},
    {"OptionErrorBeforeTheFile",
     {"--table", kMissingTable, "--table", kRing},
     R::kBadArgument,
     false,
     {},
     "combo-atlas: --table given twice\n"},
    {"MissingTableFile",
     {"--table", kMissingTable, "x"},
     R::kBadArgument,
     false,
     {},
     kMissingTable +
         ":1:1: expected a table file that can be read: No such file or "
         "directory\n"},
    // The argument after --table is the file, even an option's name.
    {"TableFileNamedLikeAnOption",
     {"--table", "--help"},
     R::kBadArgument,
     false,
     {},
     "--help:1:1: expected a table file that can be read: No such file or "
     "directory\n"},
    {"RefusedTableFile",
     {"7", "--table", refusedTable()},
     R::kBadArgument,
     false,
     {},
     refusedTable() + ":3:4: expected a move kind from 1 to 8\n"},
    {"NoSuchLinkOnTheTableFile",
     {"--table", kRing, "8", "7"},
     R::kBadArgument,
     false,
     {},
     "combo-atlas: move 2 (7): no open link from 8 to 7\n"},
    {"LinkUsedOnTheTableFile",
     {"--table", kRing, "1", "1", "1"},
     R::kBadArgument,
     false,
     {},
     "combo-atlas: move 3 (1): no open link from 1 to 1\n"},
    // The ring has 4 links: no combo on it has more than 5 moves.
    {"MoreMovesThanTheTableFileAllows",
     {"--table", kRing, "1", "1", "2", "3", "1", "x", "y"},
     R::kBadArgument,
     false,
     {},
     "combo-atlas: move 6 (x): more than 5 moves\n"},
    {"OneMoveOnATableWithoutLinks",
     {"--table", noLinksTable(), "3", "3"},
     R::kBadArgument,
     false,
     {},
     "combo-atlas: move 2 (3): more than 1 move\n"},
    {"TwoDashesEndTheOptions",
     {"--", "--estimate"},
     R::kBadArgument,
     false,
     {},
     "combo-atlas: move 1 (--estimate): not a decimal move number\n"},
    {"AnOptionMisspelt",
     {"--estimat"},
     R::kBadArgument,
     false,
     {},
     "combo-atlas: move 1 (--estimat): not a decimal move number\n"},
};

INSTANTIATE_TEST_SUITE_P(ReadAtlasCommand, ReadAtlasCommandTest,
                         testing::ValuesIn(kArgumentCases),
                         [](const testing::TestParamInfo<ArgumentCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(RunAtlasCommand, ReportsAFailedWriteOfEachAnswer) {
  EXPECT_EQ(runCommandInto({"7", "6"}, 10).status, kAtlasStatusOutputFailed);
  EXPECT_EQ(runCommandInto({"7", "6", "7"}, 10).status,
            kAtlasStatusOutputFailed);
  EXPECT_EQ(runCommandInto({"--help"}, 10).status, kAtlasStatusOutputFailed);
  EXPECT_EQ(runCommandInto({}, 10).status, kAtlasStatusOutputFailed);
}

}  // namespace
}  // namespace combo
