// The search behind the atlas of combos: its figures on small tables worked
// out by hand, on reduced tables against the reference walk of every combo
// (reference_walk.h), and on the game's table against figures known from
// play; the first of all the longest combos; the refusal of tables too
// large for it. Then the same from a point of a combo: the state reached by
// a combo begun, the figures for each next move, against hand-worked tables
// and against the reference walk summing up every prefix of every combo,
// and the next move that goes on as the first of the longest.
#include "atlas_search.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "atlas_tables.h"
#include "reference_walk.h"

namespace combo {

// In the namespace of AtlasState, where GoogleTest's assertions look.
bool operator==(const AtlasState& a, const AtlasState& b) {
  return a.move == b.move && a.used == b.used;
}

void PrintTo(const AtlasState& state, std::ostream* os) {
  *os << "{move " << state.move << ", used 0x" << std::hex << state.used
      << std::dec << "}";
}

namespace {

// The figures a test expects, or the reference walk found.
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

static AtlasSearch gSearch;  // about 2 MiB: off the stack

Figures summarize(const LinkTable& table, int32_t starter) {
  EXPECT_TRUE(startAtlasSearch(&gSearch, table));
  StarterSummary s = summarizeStarter(&gSearch, starter);
  EXPECT_EQ(s.starter, starter);
  EXPECT_GE(s.longest, 1);
  EXPECT_LE(s.longest, kMaxAtlasMoves);
  return {s.combos, s.shortest, s.longest,
          std::vector<int32_t>(s.example, s.example + s.longest)};
}

static ReferenceWalk gWalk;  // about 20 KiB: off the stack

Figures figuresOf(const WalkFigures& walked) {
  return {
      walked.combos, walked.shortest, walked.longest,
      std::vector<int32_t>(walked.example, walked.example + walked.longest)};
}

// The reference walk of every complete combo from starter, one by one.
Figures walkEveryCombo(const LinkTable& table, int32_t starter) {
  startReferenceWalk(&gWalk, table);
  return figuresOf(walkFromStarter(&gWalk, starter));
}

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

// Every link among 1 to 6 (links 0 to 35 of the search), then a loop of 7
// and 8 whose links are 36 to 38: only a LinkSet wider than 32 bits keeps
// them apart.
//   from 7: 7,8,7  7,8,8,7        from 8: 8,7,8,8  8,8,7,8
std::vector<Link> highLinks() {
  std::vector<Link> links;
  for (int32_t k = 1; k <= 6; ++k) {
    for (int32_t j = 1; j <= 6; ++j) links.push_back({k, j});
  }
  links.push_back({7, 8});
  links.push_back({8, 7});
  links.push_back({8, 8});
  return links;
}
const std::vector<Link> kHighLinks = highLinks();

const HandCase kHandCases[] = {
    {"SpinLoopFrom1", &kSpinLoop, 1, {4, 3, 4, {1, 2, 2, 1}}},
    {"SpinLoopFrom2TieInOrder", &kSpinLoop, 2, {5, 2, 5, {2, 1, 2, 2, 3}}},
    {"SpinLoopFrom3NoLinkIsOneCombo", &kSpinLoop, 3, {1, 1, 1, {3}}},
    {"SpinLoopFrom8NoLinkIsOneCombo", &kSpinLoop, 8, {1, 1, 1, {8}}},
    {"DetourFrom1NotGreedy", &kDetour, 1, {2, 2, 5, {1, 3, 4, 1, 2}}},
    {"DetourFrom3TieAtLastMove", &kDetour, 3, {2, 4, 4, {3, 4, 1, 2}}},
    {"DetourFrom4", &kDetour, 4, {2, 3, 4, {4, 1, 3, 4}}},
    {"EmptyTable", &kNoLinks, 5, {1, 1, 1, {5}}},
    {"LinksPastBit32From7", &kHighLinks, 7, {2, 3, 4, {7, 8, 8, 7}}},
    {"LinksPastBit32From8", &kHighLinks, 8, {2, 4, 4, {8, 7, 8, 8}}},
};

INSTANTIATE_TEST_SUITE_P(SummarizeStarter, HandWorkedTest,
                         testing::ValuesIn(kHandCases),
                         [](const testing::TestParamInfo<HandCase>& info) {
                           return std::string(info.param.name);
                         });

// Reduced tables whose every combo the reference walk lists quickly.
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

// The game's table, from the starters whose combos the reference walk can list
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

// The first of all the longest combos, whatever the starter: the lowest
// starter among those with the most moves, and its first longest combo.
struct FirstLongestCase {
  const char* name;
  std::vector<Link> links;
  Figures want;  // of the starter want.example[0]
};

void PrintTo(const FirstLongestCase& c, std::ostream* os) { *os << c.name; }

class FirstLongestComboTest : public testing::TestWithParam<FirstLongestCase> {
};

TEST_P(FirstLongestComboTest, IsTheLowestStarterWithTheMostMoves) {
  const FirstLongestCase& c = GetParam();
  ASSERT_TRUE(startAtlasSearch(&gSearch, tableOf(c.links)));
  StarterSummary s = firstLongestCombo(&gSearch);
  EXPECT_EQ(s.starter, c.want.example[0]);
  Figures got = {s.combos, s.shortest, s.longest,
                 std::vector<int32_t>(s.example, s.example + s.longest)};
  EXPECT_EQ(got, c.want);
}

const FirstLongestCase kFirstLongestCases[] = {
    // From 1 at most 4 moves, from 2 five.
    {"SpinLoopALaterStarterLonger", kSpinLoop, {5, 2, 5, {2, 1, 2, 2, 3}}},
    // From 1 five moves, from 3 and 4 four.
    {"DetourTheFirstStarterLongest", kDetour, {2, 2, 5, {1, 3, 4, 1, 2}}},
    // From 3 and from 5 two moves each, from every other one.
    {"TwoStartersTieTheLowerFirst", {{3, 4}, {5, 6}}, {1, 2, 2, {3, 4}}},
    // From 1 two moves; 7,8,7 and 8,7,8 three each.
    {"ALaterPairTiesTheLowerFirst",
     {{1, 2}, {7, 8}, {8, 7}},
     {1, 3, 3, {7, 8, 7}}},
    // Every starter alone is a combo of one move.
    {"NoLinksStarterOne", kNoLinks, {1, 1, 1, {1}}},
};

INSTANTIATE_TEST_SUITE_P(
    FirstLongestCombo, FirstLongestComboTest,
    testing::ValuesIn(kFirstLongestCases),
    [](const testing::TestParamInfo<FirstLongestCase>& info) {
      return std::string(info.param.name);
    });

// On the game's table 1, 4 and 5 tie at 22 moves: 1 comes first, with the
// longest combo known from play.
TEST(FirstLongestCombo, IsStarter1OnTheGameTable) {
  const std::vector<int32_t> want = {1, 2, 1, 3, 1, 4, 2, 2, 3, 2, 5,
                                     3, 5, 4, 5, 8, 6, 2, 6, 6, 7, 6};
  LinkTable game;
  resetLinks(&game);
  ASSERT_TRUE(startAtlasSearch(&gSearch, game));
  StarterSummary s = firstLongestCombo(&gSearch);
  EXPECT_EQ(s.starter, 1);
  EXPECT_EQ(s.longest, 22);
  EXPECT_EQ(std::vector<int32_t>(s.example, s.example + s.longest), want);
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
// 3->2, 4->2, 4->3 (and the reference walk agrees).
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

// A budget of exactly the steps a search needs changes nothing; one step
// fewer, and the search reports that it ran out; started afresh, it has no
// budget again. Starter 7 of the game's table: 217504 combos, 3 to 20
// moves (atlas.out).
TEST(SetAtlasStepBudget, StopsTheSearchPastItsBudget) {
  LinkTable game;
  resetLinks(&game);
  ASSERT_TRUE(startAtlasSearch(&gSearch, game));
  EXPECT_FALSE(gSearch.spent);
  summarizeStarter(&gSearch, 7);
  int64_t needed = gSearch.steps;
  ASSERT_GT(needed, 1000);

  startAtlasSearch(&gSearch, game);
  setAtlasStepBudget(&gSearch, needed);
  StarterSummary enough = summarizeStarter(&gSearch, 7);
  EXPECT_FALSE(gSearch.spent);
  EXPECT_EQ(enough.combos, 217504u);
  EXPECT_EQ(enough.longest, 20);

  startAtlasSearch(&gSearch, game);
  setAtlasStepBudget(&gSearch, needed - 1);
  summarizeStarter(&gSearch, 7);
  EXPECT_TRUE(gSearch.spent);

  startAtlasSearch(&gSearch, game);
  EXPECT_FALSE(gSearch.spent);
  EXPECT_EQ(summarizeStarter(&gSearch, 7).combos, 217504u);
}

struct SizeCase {
  const char* name;
  int32_t links;  // the first this many links of the full 8x8 table
  bool fits;
};

void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.name; }

class TableSizeTest : public testing::TestWithParam<SizeCase> {};

TEST_P(TableSizeTest, TakesEveryTableOfTheEightKinds) {
  std::vector<Link> links;
  for (int32_t k = 1; k <= 8; ++k) {
    for (int32_t j = 1; j <= 8; ++j) {
      if (static_cast<int32_t>(links.size()) < GetParam().links) {
        links.push_back({k, j});
      }
    }
  }
  EXPECT_EQ(startAtlasSearch(&gSearch, tableOf(links)), GetParam().fits);
  EXPECT_EQ(gSearch.links.linkCount, GetParam().links);
}

// A LinkSet held 32 links once; now every table fits, all 64 links.
const SizeCase kSizeCases[] = {
    {"ThirtyOne", 31, true},
    {"ThirtyTwo", 32, true},
    {"ThirtyThree", 33, true},
    {"SixtyFour", 64, true},
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

class AddMemoCountsTest : public testing::TestWithParam<SumCase> {};

TEST_P(AddMemoCountsTest, AddsOrStaysAtTheLimit) {
  EXPECT_EQ(internal::addMemoCounts(GetParam().a, GetParam().b),
            GetParam().want);
}

// The limit is 2^47 - 1 = 140737488355327.
const SumCase kMemoSumCases[] = {
    {"Small", 2, 3, 5},
    {"Past32Bits", 4294967295u, 1, 4294967296u},
    {"JustBelowTheLimit", 140737488355325u, 1, 140737488355326u},
    {"ReachesTheLimit", 140737488355326u, 1, 140737488355327u},
    {"OnePast", 140737488355327u, 1, 140737488355327u},
    {"TheLimitTwice", 140737488355327u, 140737488355327u, 140737488355327u},
    {"BothHalves", 70368744177664u, 70368744177664u, 140737488355327u},
    {"BeyondSixtyFourBits", 18446744073709551615u, 1, 140737488355327u},
};

INSTANTIATE_TEST_SUITE_P(Internal, AddMemoCountsTest,
                         testing::ValuesIn(kMemoSumCases),
                         [](const testing::TestParamInfo<SumCase>& info) {
                           return std::string(info.param.name);
                         });

// ---- From a point of a combo ------------------------------------------

// One line of a query: a next move, and the figures of the complete combos
// that go on with it, its example the whole combo.
struct Row {
  int32_t next;
  Figures figures;
};

bool operator==(const Row& a, const Row& b) {
  return a.next == b.next && a.figures == b.figures;
}

void PrintTo(const Row& row, std::ostream* os) {
  *os << "next " << row.next << " ";
  PrintTo(row.figures, os);
}

// The rows that summarizeFollowUps gives after moves over the links of
// gSearch, each example made whole with the moves before it.
std::vector<Row> followUpsAfter(const std::vector<int32_t>& moves) {
  AtlasState state;
  int32_t at = -1;
  EXPECT_EQ(followMoves(gSearch, moves.data(),
                        static_cast<int32_t>(moves.size()), &state, &at),
            AtlasMoveFault::kNone);
  FollowUpSummaries out;
  summarizeFollowUps(&gSearch, state, &out);
  std::vector<Row> rows;
  for (int32_t r = 0; r < out.count; ++r) {
    const FollowUpSummary& row = out.rows[r];
    std::vector<int32_t> whole = moves;
    whole.insert(whole.end(), row.example, row.example + row.exampleLength);
    rows.push_back({row.next, {row.combos, row.shortest, row.longest, whole}});
  }
  return rows;
}

struct HandFollowUpCase {
  const char* name;
  const std::vector<Link>* links;
  std::vector<int32_t> moves;
  std::vector<Row> want;
};

void PrintTo(const HandFollowUpCase& c, std::ostream* os) { *os << c.name; }

class HandWorkedFollowUpsTest
    : public testing::TestWithParam<HandFollowUpCase> {};

TEST_P(HandWorkedFollowUpsTest, GiveTheFiguresWorkedOutByHand) {
  const HandFollowUpCase& c = GetParam();
  ASSERT_TRUE(startAtlasSearch(&gSearch, tableOf(*c.links)));
  EXPECT_EQ(followUpsAfter(c.moves), c.want);
}

// Lengths count the whole combo; examples are the whole combo.
const HandFollowUpCase kHandFollowUpCases[] = {
    {"TiesAfterStarter", &kTies, {1}, {{2, {5, 3, 5, {1, 2, 4, 6, 7}}}}},
    {"TiesTwiceOverEachRow",
     &kTies,
     {1, 2},
     {{3, {1, 3, 3, {1, 2, 3}}},
      {4, {2, 5, 5, {1, 2, 4, 6, 7}}},
      {5, {2, 5, 5, {1, 2, 5, 6, 7}}}}},
    {"TiesAtTheLastMove",
     &kTies,
     {1, 2, 5, 6},
     {{7, {1, 5, 5, {1, 2, 5, 6, 7}}}, {8, {1, 5, 5, {1, 2, 5, 6, 8}}}}},
    {"TiesFromAnotherStarter",
     &kTies,
     {2},
     {{3, {1, 2, 2, {2, 3}}},
      {4, {2, 4, 4, {2, 4, 6, 7}}},
      {5, {2, 4, 4, {2, 5, 6, 7}}}}},
    {"TiesCompleteCombo", &kTies, {1, 2, 4, 6, 8}, {}},
    // From 2,1 only 1->2 is open, then 2->2 and 2->3; from 2,2 the way back
    // to 2 goes by 1.
    {"SpinLoopFrom2",
     &kSpinLoop,
     {2},
     {{1, {2, 4, 5, {2, 1, 2, 2, 3}}},
      {2, {2, 3, 5, {2, 2, 1, 2, 3}}},
      {3, {1, 2, 2, {2, 3}}}}},
    // 1->2 is used, so 1,2,1 ends; 1,2,2,1 and 1,2,2,3 tie.
    {"SpinLoopAfterTheReverseLink",
     &kSpinLoop,
     {1, 2},
     {{1, {1, 3, 3, {1, 2, 1}}},
      {2, {2, 4, 4, {1, 2, 2, 1}}},
      {3, {1, 3, 3, {1, 2, 3}}}}},
    {"DetourSmallestEndsAtOnce",
     &kDetour,
     {1},
     {{2, {1, 2, 2, {1, 2}}}, {3, {1, 5, 5, {1, 3, 4, 1, 2}}}}},
    {"DetourBackAtTheStarter",
     &kDetour,
     {1, 3, 4, 1},
     {{2, {1, 5, 5, {1, 3, 4, 1, 2}}}}},
    {"NoLinksStarterAlone", &kNoLinks, {5}, {}},
};

INSTANTIATE_TEST_SUITE_P(
    SummarizeFollowUps, HandWorkedFollowUpsTest,
    testing::ValuesIn(kHandFollowUpCases),
    [](const testing::TestParamInfo<HandFollowUpCase>& info) {
      return std::string(info.param.name);
    });

// The row that goes on as the first of all the longest from a point: the
// first row with the greatest longest. Rows written here by hand, with only
// next and longest filled in.
struct FirstRowCase {
  const char* name;
  std::vector<std::pair<int32_t, int32_t>> rows;  // {next, longest}
  int32_t want;
};

void PrintTo(const FirstRowCase& c, std::ostream* os) { *os << c.name; }

class FirstLongestRowTest : public testing::TestWithParam<FirstRowCase> {};

TEST_P(FirstLongestRowTest, IsTheFirstRowWithTheGreatestLongest) {
  FollowUpSummaries summaries = {};
  for (const auto& [next, longest] : GetParam().rows) {
    FollowUpSummary& row = summaries.rows[summaries.count++];
    row.next = next;
    row.longest = longest;
  }
  EXPECT_EQ(firstLongestRow(summaries), GetParam().want);
}

const FirstRowCase kFirstRowCases[] = {
    {"NoRowTheComboIsComplete", {}, -1},
    {"OneRow", {{6, 3}}, 0},
    {"FirstLongest", {{2, 9}, {3, 4}, {5, 8}}, 0},
    {"LastLongest", {{1, 5}, {2, 6}, {3, 7}}, 2},
    {"TieKeepsTheFirst", {{1, 5}, {4, 7}, {6, 7}}, 1},
    {"AllTie", {{2, 4}, {3, 4}, {7, 4}, {8, 4}}, 0},
    {"EightRowsLongestInTheMiddle",
     {{1, 3}, {2, 3}, {3, 3}, {4, 12}, {5, 3}, {6, 11}, {7, 12}, {8, 3}},
     3},
};

INSTANTIATE_TEST_SUITE_P(FirstLongestRow, FirstLongestRowTest,
                         testing::ValuesIn(kFirstRowCases),
                         [](const testing::TestParamInfo<FirstRowCase>& info) {
                           return std::string(info.param.name);
                         });

// From the rows summarizeFollowUps gives: after 1,2 on the table with ties,
// 3 ends at once (3 moves), 4 and 5 both reach 5 moves, and 4 comes first.
TEST(FirstLongestRow, PicksTheFirstOfTiedFollowUps) {
  ASSERT_TRUE(startAtlasSearch(&gSearch, tableOf(kTies)));
  AtlasState state;
  int32_t at = -1;
  const int32_t moves[] = {1, 2};
  ASSERT_EQ(followMoves(gSearch, moves, 2, &state, &at), AtlasMoveFault::kNone);
  FollowUpSummaries summaries;
  summarizeFollowUps(&gSearch, state, &summaries);
  int32_t first = firstLongestRow(summaries);
  ASSERT_EQ(first, 1);
  const FollowUpSummary& row = summaries.rows[first];
  EXPECT_EQ(row.next, 4);
  EXPECT_EQ(std::vector<int32_t>(row.example, row.example + row.exampleLength),
            std::vector<int32_t>({4, 6, 7}));
}

// The reference walk again, now summing up every prefix of every combo, up
// to maxLength moves. found[p] holds the figures of the complete combos that
// begin with p, its example the first of the longest; a prefix is in found
// iff some combo begins with it, that is iff each of its moves was open in
// turn.
std::map<std::vector<int32_t>, Figures> figuresOfEveryPrefix(
    const LinkTable& table, int32_t maxLength) {
  std::map<std::vector<int32_t>, Figures> found;
  startReferenceWalk(&gWalk, table);
  walkEveryPrefix(&gWalk, maxLength,
                  [&found](const int32_t* moves, int32_t count,
                           const WalkFigures& figures) {
                    found[std::vector<int32_t>(moves, moves + count)] =
                        figuresOf(figures);
                  });
  return found;
}

// Checks the rows after every prefix in found of at most maxLength moves
// against found's prefixes one move longer, which the walk must have
// summed up too. Returns how many prefixes of each length were checked:
// checked[n] of n moves.
std::vector<int32_t> expectEveryPrefixAgrees(
    const std::map<std::vector<int32_t>, Figures>& found, int32_t maxLength) {
  std::vector<int32_t> checked(static_cast<std::size_t>(maxLength) + 1);
  for (const auto& [prefix, figures] : found) {
    if (static_cast<int32_t>(prefix.size()) > maxLength) continue;
    std::vector<Row> want;
    for (int32_t next = 1; next <= 8; ++next) {
      std::vector<int32_t> longer = prefix;
      longer.push_back(next);
      auto it = found.find(longer);
      if (it != found.end()) want.push_back({next, it->second});
    }
    std::string name;
    for (int32_t move : prefix) name += " " + std::to_string(move);
    SCOPED_TRACE("after" + name);
    EXPECT_EQ(followUpsAfter(prefix), want);
    ++checked[prefix.size()];
  }
  return checked;
}

class ReducedTableFollowUpsTest : public testing::TestWithParam<ReducedCase> {};

TEST_P(ReducedTableFollowUpsTest, AgreeWithANaiveWalkAfterEveryPrefix) {
  const LinkTable& table = GetParam().table;
  ASSERT_TRUE(startAtlasSearch(&gSearch, table));
  std::map<std::vector<int32_t>, Figures> found =
      figuresOfEveryPrefix(table, kMaxAtlasMoves);
  // Every starter at least, whether it has links or not.
  EXPECT_EQ(expectEveryPrefixAgrees(found, kMaxAtlasMoves)[1], 8);
}

const ReducedCase kFollowUpTables[] = {
    // 140 combos from 1 (ties, self-link).
    {"AirGroupOnly",
     gameTableWhere([](int32_t k, int32_t j) { return k <= 4 && j <= 4; })},
    // Both groups, both self-links, combos of up to 13 moves.
    {"WithoutRows4And5",
     gameTableWhere([](int32_t k, int32_t) { return k != 4 && k != 5; })},
    {"Ties", tableOf(kTies)},
    {"SpinLoop", tableOf(kSpinLoop)},
};

INSTANTIATE_TEST_SUITE_P(SummarizeFollowUps, ReducedTableFollowUpsTest,
                         testing::ValuesIn(kFollowUpTables),
                         [](const testing::TestParamInfo<ReducedCase>& info) {
                           return std::string(info.param.name);
                         });

// Every prefix of one to four moves of the game's table: one walk of all
// its combos (34.5 million) sums up every prefix of up to five moves. The
// remembered states are those of all the queries before, so later queries
// meet states that earlier ones left, and states pushed out since.
TEST(SummarizeFollowUps, AgreeWithANaiveWalkAfterEveryShortPrefixOfTheGame) {
  LinkTable game;
  resetLinks(&game);
  ASSERT_TRUE(startAtlasSearch(&gSearch, game));
  std::map<std::vector<int32_t>, Figures> found = figuresOfEveryPrefix(game, 5);
  std::vector<int32_t> checked = expectEveryPrefixAgrees(found, 4);
  // The prefixes counted by hand: 8 starters; 31 links; and of three moves,
  // for each move j the links into j times the links out of it (2x5, 6x5,
  // 4x3, 2x6, 3x6, 7x3, 5x1, 2x2 for j = 1 to 8: 112), less the 2 self-links,
  // whose second use is closed.
  EXPECT_EQ(checked[1], 8);
  EXPECT_EQ(checked[2], 31);
  EXPECT_EQ(checked[3], 110);
  EXPECT_GT(checked[4], 0);
}

// The game's links as numbered in a state's bits: row by row, each row in
// ascending order of the following move.
//   row 1: 1->2 0, 1->3 1, 1->4 2, 1->6 3, 1->7 4
//   row 2: 2->1 5, 2->2 6, 2->3 7, 2->5 8, 2->6 9
//   row 3: 3->1 10, 3->2 11, 3->5 12
//   row 4: 4->2 13, 4->3 14, 4->5 15, 4->6 16, 4->7 17, 4->8 18
//   row 5: 5->2 19, 5->3 20, 5->4 21, 5->6 22, 5->7 23, 5->8 24
//   row 6: 6->2 25, 6->6 26, 6->7 27
//   row 7: 7->6 28
//   row 8: 8->6 29, 8->7 30
constexpr LinkSet bit(int32_t link) { return LinkSet{1} << link; }

struct MovesCase {
  const char* name;
  std::vector<int32_t> moves;
  AtlasMoveFault fault;
  int32_t at;        // the index of the move at fault, -1 if none
  AtlasState state;  // reached, or reached before the fault
};

void PrintTo(const MovesCase& c, std::ostream* os) { *os << c.name; }

// What the moves leave open is the LinkTable the dialogue would hold.
LinkTable replayInDialogue(const std::vector<int32_t>& moves) {
  LinkTable table;
  resetLinks(&table);
  for (std::size_t i = 1; i < moves.size(); ++i) {
    closeLink(&table, moves[i - 1], moves[i]);
  }
  return table;
}

class FollowMovesTest : public testing::TestWithParam<MovesCase> {
 protected:
  void SetUp() override {
    LinkTable game;
    resetLinks(&game);
    ASSERT_TRUE(startAtlasSearch(&gSearch, game));
  }

  // Checks what followMoves gives for the case's moves.
  static void expectFollowMoves(const MovesCase& c, AtlasState before) {
    AtlasState state = before;
    int32_t at = -1;
    EXPECT_EQ(followMoves(gSearch, c.moves.data(),
                          static_cast<int32_t>(c.moves.size()), &state, &at),
              c.fault);
    EXPECT_EQ(at, c.at);
    EXPECT_EQ(state, c.state);
  }
};

// Bad starters leave the state as it was: this marks it.
constexpr AtlasState kUntouched = {-5, 0xdeadbeef};

using CombosTest = FollowMovesTest;

// The dialogue's LinkTable after the same moves gives the same state.
TEST_P(CombosTest, ReachTheStateOfTheDialoguesLinks) {
  const MovesCase& c = GetParam();
  expectFollowMoves(c, kUntouched);
  AtlasState state = kUntouched;
  ASSERT_TRUE(
      stateOfLinks(gSearch, replayInDialogue(c.moves), c.moves.back(), &state));
  EXPECT_EQ(state, c.state);
}

const MovesCase kCombos[] = {
    {"StarterAlone", {8}, AtlasMoveFault::kNone, -1, {8, 0}},
    {"ShortestComplete",
     {7, 6, 7},
     AtlasMoveFault::kNone,
     -1,
     {7, bit(28) | bit(27)}},
    {"SelfLinkThenTheReverseLinks",
     {2, 2, 1, 2},
     AtlasMoveFault::kNone,
     -1,
     {2, bit(6) | bit(5) | bit(0)}},
    {"LongestCombo",
     {1, 2, 1, 3, 1, 4, 2, 2, 3, 2, 5, 3, 5, 4, 5, 8, 6, 2, 6, 6, 7, 6},
     AtlasMoveFault::kNone,
     -1,
     {6, bit(0) | bit(5) | bit(1) | bit(10) | bit(2) | bit(13) | bit(6) |
             bit(7) | bit(11) | bit(8) | bit(20) | bit(12) | bit(21) | bit(15) |
             bit(24) | bit(29) | bit(25) | bit(9) | bit(26) | bit(27) |
             bit(28)}},
};

INSTANTIATE_TEST_SUITE_P(FollowMoves, CombosTest, testing::ValuesIn(kCombos),
                         [](const testing::TestParamInfo<MovesCase>& info) {
                           return std::string(info.param.name);
                         });

using FaultsTest = FollowMovesTest;

// followMoves names the first move at fault; followLink refuses that
// follow-up for the same reason and leaves the state as it was.
TEST_P(FaultsTest, NameTheFirstMoveAtFault) {
  const MovesCase& c = GetParam();
  expectFollowMoves(c, kUntouched);
  if (c.at >= 1) {
    AtlasState state = c.state;
    EXPECT_EQ(followLink(gSearch, &state, c.moves[c.at]), c.fault);
    EXPECT_EQ(state, c.state);
  }
}

const MovesCase kFaults[] = {
    {"StarterZero", {0}, AtlasMoveFault::kStarterOutOfRange, 0, kUntouched},
    {"StarterNine", {9, 6}, AtlasMoveFault::kStarterOutOfRange, 0, kUntouched},
    {"StarterNegative",
     {-1},
     AtlasMoveFault::kStarterOutOfRange,
     0,
     kUntouched},
    {"FollowUpZero", {7, 0}, AtlasMoveFault::kFollowUpOutOfRange, 1, {7, 0}},
    {"FollowUpNine",
     {7, 6, 9},
     AtlasMoveFault::kFollowUpOutOfRange,
     2,
     {6, bit(28)}},
    {"FollowUpHuge",
     {7, 2147483647},
     AtlasMoveFault::kFollowUpOutOfRange,
     1,
     {7, 0}},
    {"NeverALink", {8, 1}, AtlasMoveFault::kNoOpenLink, 1, {8, 0}},
    {"LinkUsed",
     {7, 6, 7, 6},
     AtlasMoveFault::kNoOpenLink,
     3,
     {7, bit(28) | bit(27)}},
    {"SelfLinkTwice", {2, 2, 2}, AtlasMoveFault::kNoOpenLink, 2, {2, bit(6)}},
    {"PastTheLongestCombo",
     {1, 2, 1, 3, 1, 4, 2, 2, 3, 2, 5, 3, 5, 4, 5, 8, 6, 2, 6, 6, 7, 6, 7},
     AtlasMoveFault::kNoOpenLink,
     22,
     kCombos[3].state},
    {"FirstFaultCounts", {8, 1, 9}, AtlasMoveFault::kNoOpenLink, 1, {8, 0}},
};

INSTANTIATE_TEST_SUITE_P(FollowMoves, FaultsTest, testing::ValuesIn(kFaults),
                         [](const testing::TestParamInfo<MovesCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(StateOfLinks, RefusesAMoveOutsideOneToEight) {
  LinkTable game;
  resetLinks(&game);
  ASSERT_TRUE(startAtlasSearch(&gSearch, game));
  for (int32_t move : {0, 9, -1}) {
    AtlasState state = kUntouched;
    EXPECT_FALSE(stateOfLinks(gSearch, game, move, &state)) << move;
    EXPECT_EQ(state, kUntouched);
  }
}

TEST(StateOfLinks, RefusesALinkTheSearchDoesNotHave) {
  LinkTable game;
  resetLinks(&game);
  ASSERT_TRUE(startAtlasSearch(&gSearch, game));
  LinkTable other = game;
  other.rows[7 - 1].entries[1] = 1;  // 7->1, which the game lacks
  closeLink(&other, 7, 6);           // closed ones alone would be fine
  AtlasState state = kUntouched;
  EXPECT_FALSE(stateOfLinks(gSearch, other, 6, &state));
  EXPECT_EQ(state, kUntouched);
}

}  // namespace
}  // namespace combo
