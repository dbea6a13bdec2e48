// The atlas of combos: its figures on small tables worked out by hand, on
// reduced tables against a naive walk of every combo written here, and on
// the game's table against figures known from play; the refusal of tables
// too large for it; and its output, whole and when writing fails.
#include "combo_atlas.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace combo {
namespace {

using Link = std::pair<int32_t, int32_t>;  // {from, to}

LinkTable tableOf(const std::vector<Link>& links) {
  LinkTable table = {};
  for (const Link& link : links) {
    table.rows[link.first - 1].entries[link.second] = link.second;
  }
  return table;
}

// The game's table without the links that fail keep(from, to).
template <typename Keep>
LinkTable gameTableWhere(Keep keep) {
  LinkTable table;
  resetLinks(&table);
  for (int32_t k = 1; k <= 8; ++k) {
    for (int32_t j = 1; j <= 8; ++j) {
      if (!keep(k, j)) table.rows[k - 1].entries[j] = 0;
    }
  }
  return table;
}

// The figures a test expects, or a naive walk found.
struct Figures {
  uint64_t combos;
  int32_t shortest;
  int32_t longest;
  std::vector<int32_t> example;
};

bool operator==(const Figures& a, const Figures& b) {
  return a.combos == b.combos && a.shortest == b.shortest &&
         a.longest == b.longest && a.example == b.example;
}

void PrintTo(const Figures& f, std::ostream* os) {
  *os << "{" << f.combos << " combos, " << f.shortest << " to " << f.longest
      << " moves, example";
  for (int32_t move : f.example) *os << " " << move;
  *os << "}";
}

static AtlasSearch gSearch;  // about 1 MiB: off the stack

Figures summarize(const LinkTable& table, int32_t starter) {
  EXPECT_TRUE(startAtlasSearch(&gSearch, table));
  StarterSummary s = summarizeStarter(&gSearch, starter);
  EXPECT_EQ(s.starter, starter);
  EXPECT_GE(s.longest, 1);
  EXPECT_LE(s.longest, kMaxAtlasMoves);
  return {s.combos, s.shortest, s.longest,
          std::vector<int32_t>(s.example, s.example + s.longest)};
}

// The naive walk: every complete combo one by one, over a 9x9 array of the
// table's entries, the follow-ups in ascending order. The first combo found
// of a new greatest length is thus the first of that length in ascending
// order.
struct NaiveWalk {
  int32_t links[9][9];
  std::vector<int32_t> path;
  Figures found;

  void walk(int32_t move) {
    bool ended = true;
    for (int32_t j = 1; j <= 8; ++j) {
      if (links[move][j] == 0) continue;
      ended = false;
      links[move][j] = 0;
      path.push_back(j);
      walk(j);
      path.pop_back();
      links[move][j] = j;
    }
    if (!ended) return;
    int32_t length = static_cast<int32_t>(path.size());
    ++found.combos;
    if (length < found.shortest) found.shortest = length;
    if (length > found.longest) {
      found.longest = length;
      found.example = path;
    }
  }
};

Figures walkEveryCombo(const LinkTable& table, int32_t starter) {
  NaiveWalk naive = {};
  for (int32_t k = 1; k <= 8; ++k) {
    for (int32_t j = 0; j <= 8; ++j) {
      naive.links[k][j] = table.rows[k - 1].entries[j];
    }
  }
  naive.found.shortest = 1000;
  naive.path.push_back(starter);
  naive.walk(starter);
  return naive.found;
}

// Two small tables, small enough to list every combo by hand.
//
// A spin loop: 1->2, 2->1, 2->2, 2->3.
//   from 1: 1,2,1  1,2,2,1  1,2,2,3  1,2,3
//   from 2: 2,1,2,2,3  2,1,2,3  2,2,1,2,3  2,2,3  2,3
// Two longest combos from 2 tie; 2,1,... comes before 2,2,... .
const std::vector<Link> kSpinLoop = {{1, 2}, {2, 1}, {2, 2}, {2, 3}};
// A detour: 1->2, 1->3, 3->4, 4->1. The smallest follow-up of 1, 2, ends
// the combo at once; the longest combo has to go round by 3 first.
//   from 1: 1,2  1,3,4,1,2
//   from 3: 3,4,1,2  3,4,1,3
//   from 4: 4,1,2  4,1,3,4
const std::vector<Link> kDetour = {{1, 2}, {1, 3}, {3, 4}, {4, 1}};
// And a table with no link at all.
const std::vector<Link> kNoLinks = {};

struct HandCase {
  const char* name;
  const std::vector<Link>* links;
  int32_t starter;
  Figures want;
};

void PrintTo(const HandCase& c, std::ostream* os) { *os << c.name; }

class HandWorkedTest : public testing::TestWithParam<HandCase> {};

TEST_P(HandWorkedTest, GivesTheFiguresWorkedOutByHand) {
  const HandCase& c = GetParam();
  EXPECT_EQ(summarize(tableOf(*c.links), c.starter), c.want);
}

const HandCase kHandCases[] = {
    {"SpinLoopFrom1", &kSpinLoop, 1, {4, 3, 4, {1, 2, 2, 1}}},
    {"SpinLoopFrom2TieInOrder", &kSpinLoop, 2, {5, 2, 5, {2, 1, 2, 2, 3}}},
    {"SpinLoopFrom3NoLinkIsOneCombo", &kSpinLoop, 3, {1, 1, 1, {3}}},
    {"SpinLoopFrom8NoLinkIsOneCombo", &kSpinLoop, 8, {1, 1, 1, {8}}},
    {"DetourFrom1NotGreedy", &kDetour, 1, {2, 2, 5, {1, 3, 4, 1, 2}}},
    {"DetourFrom3TieAtLastMove", &kDetour, 3, {2, 4, 4, {3, 4, 1, 2}}},
    {"DetourFrom4", &kDetour, 4, {2, 3, 4, {4, 1, 3, 4}}},
    {"EmptyTable", &kNoLinks, 5, {1, 1, 1, {5}}},
};

INSTANTIATE_TEST_SUITE_P(SummarizeStarter, HandWorkedTest,
                         testing::ValuesIn(kHandCases),
                         [](const testing::TestParamInfo<HandCase>& info) {
                           return std::string(info.param.name);
                         });

// Reduced tables whose every combo the naive walk lists quickly.
struct ReducedCase {
  const char* name;
  LinkTable table;
};

void PrintTo(const ReducedCase& c, std::ostream* os) { *os << c.name; }

bool sameGroup(int32_t k, int32_t j) { return (k <= 4) == (j <= 4); }

// Some of the game's links, picked by a fixed pseudo-random sequence.
LinkTable gameTableSample(uint32_t seed, uint32_t keepPer16) {
  return gameTableWhere([&seed, keepPer16](int32_t, int32_t) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 28) < keepPer16;
  });
}

// 32 links, as many as a table may have: row k links to every j >= k, up to
// row 6, which keeps only 6 and 7. The last link, 6->7, is bit 31.
LinkTable thirtyTwoLinks() {
  std::vector<Link> links;
  for (int32_t k = 1; k <= 6; ++k) {
    for (int32_t j = k; j <= (k == 6 ? 7 : 8); ++j) links.push_back({k, j});
  }
  return tableOf(links);
}

class ReducedTableTest : public testing::TestWithParam<ReducedCase> {};

TEST_P(ReducedTableTest, AgreesWithANaiveWalkFromEveryStarter) {
  for (int32_t starter = 1; starter <= 8; ++starter) {
    SCOPED_TRACE("starter " + std::to_string(starter));
    EXPECT_EQ(summarize(GetParam().table, starter),
              walkEveryCombo(GetParam().table, starter));
  }
}

const ReducedCase kReducedCases[] = {
    {"AirGroupOnly",
     gameTableWhere([](int32_t k, int32_t j) { return k <= 4 && j <= 4; })},
    {"GroundGroupOnly",
     gameTableWhere([](int32_t k, int32_t j) { return k > 4 && j > 4; })},
    {"OnlyLinksBetweenGroups",
     gameTableWhere([](int32_t k, int32_t j) { return !sameGroup(k, j); })},
    {"WithoutRows4And5",
     gameTableWhere([](int32_t k, int32_t) { return k != 4 && k != 5; })},
    // These three have 0.3 to 3 million combos: enough states to push
    // remembered ones out of their slots.
    {"WithoutRow4", gameTableWhere([](int32_t k, int32_t) { return k != 4; })},
    {"WithoutLinksInto6",
     gameTableWhere([](int32_t, int32_t j) { return j != 6; })},
    {"WithoutSelfLinks",
     gameTableWhere([](int32_t k, int32_t j) { return k != j; })},
    {"SampleA", gameTableSample(1, 10)},
    {"SampleB", gameTableSample(2, 11)},
    {"SampleC", gameTableSample(3, 12)},
    {"ThirtyTwoLinks", thirtyTwoLinks()},
};

INSTANTIATE_TEST_SUITE_P(SummarizeStarter, ReducedTableTest,
                         testing::ValuesIn(kReducedCases),
                         [](const testing::TestParamInfo<ReducedCase>& info) {
                           return std::string(info.param.name);
                         });

// The game's table, from the starters whose combos the naive walk can list
// in a moment (about 200 000 to 600 000 each). These also pass through the
// states that other starters left in the remembered states, and states
// pushed out of them.
TEST(SummarizeStarter, AgreesWithANaiveWalkOnTheGameTable) {
  LinkTable game;
  resetLinks(&game);
  ASSERT_TRUE(startAtlasSearch(&gSearch, game));
  for (int32_t starter : {1, 2, 3, 4, 5}) summarizeStarter(&gSearch, starter);
  for (int32_t starter : {6, 7, 8}) {
    SCOPED_TRACE("starter " + std::to_string(starter));
    StarterSummary s = summarizeStarter(&gSearch, starter);
    Figures got = {s.combos, s.shortest, s.longest,
                   std::vector<int32_t>(s.example, s.example + s.longest)};
    EXPECT_EQ(got, walkEveryCombo(game, starter));
  }
}

// Figures of the game's table known from play. The shortest combos end
// where a move has nothing left: 7 once 7->6 is used, so the shortest are
// 7,6,7 and x,7,6,7 for x = 1, 4, 5, 8; 2 and 3 need a step to 1 first
// (2,1,7,6,7), and 6 must leave the loop 6,7,6 and come back to 7 by
// another way (6,7,6,2,1,7).
struct KnownCase {
  int32_t starter;
  int32_t shortest;
  int32_t longest;
};

TEST(SummarizeStarter, GivesTheGameTablesKnownLengths) {
  const KnownCase kKnown[] = {
      {1, 4, 22}, {2, 5, 21}, {3, 5, 21}, {4, 4, 22},
      {5, 4, 22}, {6, 6, 20}, {7, 3, 20}, {8, 4, 21},
  };
  LinkTable game;
  resetLinks(&game);
  ASSERT_TRUE(startAtlasSearch(&gSearch, game));
  for (const KnownCase& known : kKnown) {
    SCOPED_TRACE("starter " + std::to_string(known.starter));
    StarterSummary s = summarizeStarter(&gSearch, known.starter);
    EXPECT_EQ(s.shortest, known.shortest);
    EXPECT_EQ(s.longest, known.longest);
  }
}

TEST(SummarizeStarter, GivesTheGameTablesKnownLongestExample) {
  const std::vector<int32_t> want = {1, 2, 1, 3, 1, 4, 2, 2, 3, 2, 5,
                                     3, 5, 4, 5, 8, 6, 2, 6, 6, 7, 6};
  LinkTable game;
  resetLinks(&game);
  Figures got = summarize(game, 1);
  EXPECT_EQ(got.example, want);
}

// States remembered for one table must not answer for another.
TEST(StartAtlasSearch, ForgetsTheStatesOfTheTableBefore) {
  LinkTable game;
  resetLinks(&game);
  ASSERT_TRUE(startAtlasSearch(&gSearch, game));
  for (int32_t starter = 1; starter <= 8; ++starter) {
    summarizeStarter(&gSearch, starter);
  }
  LinkTable air =
      gameTableWhere([](int32_t k, int32_t j) { return k <= 4 && j <= 4; });
  ASSERT_TRUE(startAtlasSearch(&gSearch, air));
  StarterSummary s = summarizeStarter(&gSearch, 1);
  Figures got = {s.combos, s.shortest, s.longest,
                 std::vector<int32_t>(s.example, s.example + s.longest)};
  EXPECT_EQ(got, walkEveryCombo(air, 1));
}

// The exact sequence in which a search that kept the game's states gave
// 4,956,781 combos: the game's starter 1 leaves the state (1, no link used)
// remembered, and the air-only table's starter 1 is that same state. Its 140
// combos: from 1 the air links 1->2, 1->3, 1->4, 2->1, 2->2, 2->3, 3->1,
// 3->2, 4->2, 4->3 (and the naive walk agrees).
TEST(StartAtlasSearch, ForgetsTheGameTablesStarter1ForTheAirOnlyTable) {
  LinkTable game;
  resetLinks(&game);
  ASSERT_TRUE(startAtlasSearch(&gSearch, game));
  summarizeStarter(&gSearch, 1);
  LinkTable air =
      gameTableWhere([](int32_t k, int32_t j) { return k <= 4 && j <= 4; });
  ASSERT_TRUE(startAtlasSearch(&gSearch, air));
  StarterSummary s = summarizeStarter(&gSearch, 1);
  EXPECT_EQ(s.combos, 140u);
  EXPECT_EQ(walkEveryCombo(air, 1).combos, 140u);
}

struct SizeCase {
  const char* name;
  int32_t links;  // the first this many links of the full 8x8 table
  bool fits;
};

void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.name; }

class TableSizeTest : public testing::TestWithParam<SizeCase> {};

TEST_P(TableSizeTest, TakesAtMost32Links) {
  std::vector<Link> links;
  for (int32_t k = 1; k <= 8; ++k) {
    for (int32_t j = 1; j <= 8; ++j) {
      if (static_cast<int32_t>(links.size()) < GetParam().links) {
        links.push_back({k, j});
      }
    }
  }
  EXPECT_EQ(startAtlasSearch(&gSearch, tableOf(links)), GetParam().fits);
}

const SizeCase kSizeCases[] = {
    {"ThirtyOne", 31, true},
    {"ThirtyTwo", 32, true},
    {"ThirtyThree", 33, false},
    {"SixtyFour", 64, false},
};

INSTANTIATE_TEST_SUITE_P(StartAtlasSearch, TableSizeTest,
                         testing::ValuesIn(kSizeCases),
                         [](const testing::TestParamInfo<SizeCase>& info) {
                           return std::string(info.param.name);
                         });

// Counts beyond 32 bits, and the saturation at the top, come only from
// tables much denser than the game's, whose search takes far too long for
// the suite; so the sum and the writer are checked on their own.
struct SumCase {
  const char* name;
  uint64_t a;
  uint64_t b;
  uint64_t want;
};

void PrintTo(const SumCase& c, std::ostream* os) { *os << c.name; }

class AddSaturatingTest : public testing::TestWithParam<SumCase> {};

TEST_P(AddSaturatingTest, AddsOrStaysAtTheLargest) {
  EXPECT_EQ(internal::addSaturating(GetParam().a, GetParam().b),
            GetParam().want);
}

const SumCase kSumCases[] = {
    {"Small", 2, 3, 5},
    {"Zeros", 0, 0, 0},
    {"Past32Bits", 4294967295u, 1, 4294967296u},
    {"Past32BitsBothLarge", 4000000000u, 4000000000u, 8000000000u},
    {"JustFits", 18446744073709551614u, 1, 18446744073709551615u},
    {"LargestPlusZero", 18446744073709551615u, 0, 18446744073709551615u},
    {"OneTooMany", 18446744073709551615u, 1, 18446744073709551615u},
    {"OneTooManyOtherOrder", 1, 18446744073709551615u, 18446744073709551615u},
    {"TwoHalves", 9223372036854775808u, 9223372036854775808u,
     18446744073709551615u},
    {"HalfAndHalfLessOne", 9223372036854775808u, 9223372036854775807u,
     18446744073709551615u},
    {"TwoLargest", 18446744073709551615u, 18446744073709551615u,
     18446744073709551615u},
};

INSTANTIATE_TEST_SUITE_P(Internal, AddSaturatingTest,
                         testing::ValuesIn(kSumCases),
                         [](const testing::TestParamInfo<SumCase>& info) {
                           return std::string(info.param.name);
                         });

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
  // Starter 7's line, from the naive walk of every combo.
  LinkTable game;
  resetLinks(&game);
  Figures seven = walkEveryCombo(game, 7);
  std::string want = "7\t" + std::to_string(seven.combos) + "\t" +
                     std::to_string(seven.shortest) + "\t" +
                     std::to_string(seven.longest) + "\t";
  for (std::size_t i = 0; i < seven.example.size(); ++i) {
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

}  // namespace
}  // namespace combo
