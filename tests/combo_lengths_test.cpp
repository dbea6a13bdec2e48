// The longest and the shortest combos on any table: the figures on tables
// worked out by hand, on small random tables against the reference walk of
// every complete combo (reference_walk.h), on the game's table against the
// figures the README gives (found by walking every combo), and from a point
// of a combo; the bounds the searches prune with, at every point of every
// combo; and the ranges a spent budget gives, which must hold the true
// figures.
#include "combo_lengths.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "atlas_tables.h"
#include "reference_walk.h"

namespace combo {
namespace {

using Moves = std::vector<int32_t>;

// A table of up to maxLinks links picked by a fixed pseudo-random sequence
// (a linear congruential generator), self-links included: how many, as
// well as which, varies with the seed.
LinkTable randomTableUpTo(uint32_t seed, int32_t maxLinks) {
  uint32_t state = seed;
  auto next = [&state]() {
    state = state * 1664525u + 1013904223u;
    return state >> 16;
  };
  int32_t count = static_cast<int32_t>(next() % (maxLinks + 1));
  LinkTable table = {};
  for (int32_t i = 0; i < count; ++i) {
    int32_t k = static_cast<int32_t>(next() % 8) + 1;
    int32_t j = static_cast<int32_t>(next() % 8) + 1;
    table.rows[k - 1].entries[j] = j;
  }
  return table;
}

std::string describe(const LinkTable& table) {
  std::string text;
  for (int32_t k = 1; k <= 8; ++k) {
    text += std::to_string(k) + ":";
    for (int32_t j = 1; j <= 8; ++j) {
      if (table.rows[k - 1].entries[j] != 0) text += " " + std::to_string(j);
    }
    text += k < 8 ? "  " : "";
  }
  return text;
}

// The figures a test expects from one starter.
struct Figures {
  int32_t shortest;
  int32_t longest;
  Moves firstLongest;
};

bool operator==(const Figures& a, const Figures& b) {
  return a.shortest == b.shortest && a.longest == b.longest &&
         a.firstLongest == b.firstLongest;
}

void PrintTo(const Figures& f, std::ostream* os) {
  *os << "{" << f.shortest << " to " << f.longest << " moves, first longest";
  for (int32_t move : f.firstLongest) *os << " " << move;
  *os << "}";
}

// The figures from the searches, with the default budgets, which must be
// exact.
Figures search(const LinkTable& table, int32_t starter) {
  LongestCombo longest = findLongestCombo(table, starter);
  ShortestCombo shortest = findShortestCombo(table, starter);
  EXPECT_EQ(longest.length.low, longest.length.high) << "longest not exact";
  EXPECT_EQ(shortest.length.low, shortest.length.high) << "shortest not exact";
  return {shortest.length.low, longest.length.low,
          Moves(longest.moves, longest.moves + longest.length.low)};
}

// --- the reference walk of every complete combo ---------------------------

ReferenceWalk gWalk;  // about 20 KiB: off the stack

// The figures of every complete combo from starter, by the reference walk,
// which tries the follow-ups in ascending order, so that the first combo it
// finds of a new greatest length is the first of that length.
Figures walkEveryCombo(const LinkTable& table, int32_t starter) {
  startReferenceWalk(&gWalk, table);
  WalkFigures walked = walkFromStarter(&gWalk, starter);
  return {walked.shortest, walked.longest,
          Moves(walked.example, walked.example + walked.longest)};
}

// Checks the searches' bounds at the point of a combo that moves[0..count)
// reaches on table against figures, those of the complete combos that
// begin with moves[0..count). The point reached is the last move as a
// starter on the links not used.
void expectBoundsHold(const LinkTable& table, const int32_t* moves,
                      int32_t count, const WalkFigures& figures) {
  LinkTable rest = table;
  std::string after = "after";
  for (int32_t i = 0; i < count; ++i) {
    if (i > 0) closeLink(&rest, moves[i - 1], moves[i]);
    after += " " + std::to_string(moves[i]);
  }
  int32_t move = moves[count - 1];
  int32_t fewest = figures.shortest - count;  // further moves from move on
  int32_t most = figures.longest - count;
  std::string at =
      after + ", at " + describe(rest) + " from " + std::to_string(move);
  EXPECT_GE(internal::longestComboBound(rest, move), 1 + most) << at;
  EXPECT_TRUE(internal::longestMayExceed(rest, move, most)) << at;
  EXPECT_LE(internal::shortestComboBound(rest, move), 1 + fewest) << at;
  EXPECT_TRUE(internal::shortestMayBeAtMost(rest, move, 1 + fewest)) << at;
}

// Walks every complete combo from every starter with the reference walk,
// and at every point of every combo checks the searches' bounds against
// the figures of the combos that go on from there.
void expectBoundsHoldEverywhere(const LinkTable& table) {
  startReferenceWalk(&gWalk, table);
  walkEveryPrefix(&gWalk, kMaxWalkMoves,
                  [&table](const int32_t* moves, int32_t count,
                           const WalkFigures& figures) {
                    expectBoundsHold(table, moves, count, figures);
                  });
}

// Whether moves is a complete combo on table: each move after the first
// over a link of the table not used before, and no unused link leaving the
// last move.
bool isCompleteCombo(const LinkTable& table, const Moves& moves) {
  if (moves.empty()) return false;
  LinkTable open = table;
  for (size_t i = 1; i < moves.size(); ++i) {
    if (!isLinkOpen(open, moves[i - 1], moves[i])) return false;
    closeLink(&open, moves[i - 1], moves[i]);
  }
  return openFollowUps(open, moves.back()).count == 0;
}

// --- tables worked out by hand --------------------------------------------

// A ring through every move: 1->2->...->8->1.
const std::vector<Link> kRing = {{1, 2}, {2, 3}, {3, 4}, {4, 5},
                                 {5, 6}, {6, 7}, {7, 8}, {8, 1}};
// Two groups, {1, 2} and {3, 4}, each a loop, joined one way by 2->3. The
// combos: from 1, 1,2,1 and 1,2,3,4,3; from 2, 2,1,2,3,4,3 and 2,3,4,3;
// from 3, 3,4,3 only; from 4, 4,3,4 only.
const std::vector<Link> kTwoGroups = {{1, 2}, {2, 1}, {3, 4}, {4, 3}, {2, 3}};
// kDetour and kNoLinks are in atlas_tables.h. One self-link:
const std::vector<Link> kSelfLink = {{3, 3}};

struct HandCase {
  const char* name;
  LinkTable table;
  int32_t starter;
  Figures want;
};

void PrintTo(const HandCase& c, std::ostream* os) { *os << c.name; }

class HandWorkedTest : public testing::TestWithParam<HandCase> {};

TEST_P(HandWorkedTest, GivesTheFiguresWorkedOutByHand) {
  const HandCase& c = GetParam();
  EXPECT_EQ(search(c.table, c.starter), c.want);
}

const HandCase kHandCases[] = {
    {"EmptyTable", tableOf(kNoLinks), 5, {1, 1, {5}}},
    {"SelfLinkFromItsMove", tableOf(kSelfLink), 3, {2, 2, {3, 3}}},
    {"SelfLinkFromAnotherMove", tableOf(kSelfLink), 1, {1, 1, {1}}},
    {"RingFrom1", tableOf(kRing), 1, {9, 9, {1, 2, 3, 4, 5, 6, 7, 8, 1}}},
    {"RingFrom5", tableOf(kRing), 5, {9, 9, {5, 6, 7, 8, 1, 2, 3, 4, 5}}},
    {"TwoGroupsFrom1CrossesOver",
     tableOf(kTwoGroups),
     1,
     {3, 5, {1, 2, 3, 4, 3}}},
    {"TwoGroupsFrom2GoesRoundFirst",
     tableOf(kTwoGroups),
     2,
     {4, 6, {2, 1, 2, 3, 4, 3}}},
    {"TwoGroupsFrom4CannotGoBack", tableOf(kTwoGroups), 4, {3, 3, {4, 3, 4}}},
    {"DetourNotGreedy", tableOf(kDetour), 1, {2, 5, {1, 3, 4, 1, 2}}},
    {"DetourTieAtTheLastMove", tableOf(kDetour), 3, {4, 4, {3, 4, 1, 2}}},
    // 1,1,2,1 and 1,2,1,1 end at once; 1,1,2,2,1 comes before 1,2,2,1,1.
    {"CompleteOnTwoKinds", completeTable(2), 1, {4, 5, {1, 1, 2, 2, 1}}},
    // Every move enters as often as it leaves, so a combo from 1 can use all
    // 9 links; 1,1,2,1,3 must then go on by 3->2, not 3->1, which ends it.
    // It must end at 1, having entered it 3 times: 1,1,2,1,3,1 is shortest.
    {"CompleteOnThreeKinds",
     completeTable(3),
     1,
     {6, 10, {1, 1, 2, 1, 3, 2, 2, 3, 3, 1}}},
};

INSTANTIATE_TEST_SUITE_P(ComboLengths, HandWorkedTest,
                         testing::ValuesIn(kHandCases),
                         [](const testing::TestParamInfo<HandCase>& info) {
                           return std::string(info.param.name);
                         });

// All 64 links: every move enters as often as it leaves, so some combo uses
// every link (65 moves); the shortest must end at its starter v (another
// end would need 9 links into it), after v->v and v->x, x->v for the 7
// other moves x: 16 moves.
TEST(ComboLengths, UseEveryLinkOfTheCompleteTable) {
  LinkTable table = completeTable(8);
  for (int32_t starter = 1; starter <= 8; ++starter) {
    SCOPED_TRACE("starter " + std::to_string(starter));
    Figures got = search(table, starter);
    EXPECT_EQ(got.longest, 65);
    EXPECT_EQ(got.shortest, 16);
    EXPECT_TRUE(isCompleteCombo(table, got.firstLongest));
    EXPECT_EQ(got.firstLongest.front(), starter);
  }
}

// Tables that once took the longest searches many times the work of most:
// a bound that only counts entries and exits is 1 too high at many points
// of their combos (self-links of moves a combo never enters, parts of the
// links that fall apart from the rest). Within the default budgets every
// figure must still be exact, and the combo shown a complete one.
TEST(ComboLengths, FinishWithinTheBudgetsOnHardTables) {
  const LinkTable tables[] = {
      // Two complete groups of four, joined by 2->5, 5->1 and 6->4.
      tableOf({{1, 1}, {1, 2}, {1, 3}, {1, 4}, {2, 1}, {2, 2}, {2, 3},
               {2, 4}, {2, 5}, {3, 1}, {3, 2}, {3, 3}, {3, 4}, {4, 1},
               {4, 2}, {4, 3}, {4, 4}, {5, 1}, {5, 5}, {5, 6}, {5, 7},
               {5, 8}, {6, 4}, {6, 5}, {6, 6}, {6, 7}, {6, 8}, {7, 5},
               {7, 6}, {7, 7}, {7, 8}, {8, 5}, {8, 6}, {8, 7}, {8, 8}}),
      // 41 links, seven of them self-links.
      tableOf({{1, 1}, {1, 4}, {1, 6}, {1, 8}, {2, 1}, {2, 3}, {2, 5},
               {2, 6}, {2, 7}, {3, 1}, {3, 2}, {3, 3}, {4, 1}, {4, 3},
               {4, 4}, {4, 6}, {4, 7}, {4, 8}, {5, 1}, {5, 2}, {5, 3},
               {5, 4}, {5, 5}, {5, 6}, {5, 7}, {5, 8}, {6, 4}, {6, 6},
               {7, 1}, {7, 2}, {7, 4}, {7, 5}, {7, 6}, {7, 7}, {7, 8},
               {8, 2}, {8, 3}, {8, 4}, {8, 5}, {8, 7}, {8, 8}}),
      // 36 links, found by a search for tables that take much work.
      tableOf({{1, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 5}, {1, 6}, {1, 7}, {1, 8},
               {2, 1}, {2, 2}, {2, 3}, {2, 4}, {2, 7}, {3, 2}, {3, 3}, {3, 6},
               {3, 7}, {4, 1}, {4, 2}, {4, 3}, {4, 4}, {4, 7}, {5, 1}, {5, 5},
               {5, 8}, {6, 2}, {6, 3}, {6, 4}, {6, 6}, {6, 7}, {7, 2}, {7, 3},
               {7, 4}, {7, 7}, {8, 5}, {8, 8}}),
  };
  for (const LinkTable& table : tables) {
    for (int32_t starter = 1; starter <= 8; ++starter) {
      SCOPED_TRACE(describe(table) + " from " + std::to_string(starter));
      Figures got = search(table, starter);  // expects exact figures
      EXPECT_TRUE(isCompleteCombo(table, got.firstLongest));
      EXPECT_EQ(got.firstLongest.front(), starter);
      EXPECT_LE(got.shortest, got.longest);
    }
  }
}

// --- against a walk of every combo ------------------------------------------

TEST(ComboLengths, AgreeWithAWalkOfEveryComboOnSmallRandomTables) {
  for (uint32_t seed = 1; seed <= 200; ++seed) {
    LinkTable table = randomTableUpTo(seed, 24);
    for (int32_t starter = 1; starter <= 8; ++starter) {
      SCOPED_TRACE(describe(table) + " from " + std::to_string(starter));
      EXPECT_EQ(search(table, starter), walkEveryCombo(table, starter));
    }
  }
}

// The bounds must never cut off a combo: at every point of every combo the
// bound on the longest is at least the most moves left, the one on the
// shortest at most the fewest.
TEST(ComboBounds, HoldAtEveryPointOfEveryCombo) {
  for (uint32_t seed = 1001; seed <= 1100; ++seed) {
    LinkTable table = randomTableUpTo(seed, 20);
    SCOPED_TRACE(describe(table));
    expectBoundsHoldEverywhere(table);
  }
}

// Moves 6 and 8 have self-links, which the bound counts only where a combo
// enters their move, through their doors. From 4 the least-cost flow of the
// bound must take back a unit that it sent through a door (a search for
// such a table found this one).
const std::vector<Link> kDoorTaken = {
    {1, 2}, {1, 7}, {2, 3}, {3, 1}, {3, 7}, {4, 5}, {4, 8}, {5, 1},
    {5, 6}, {5, 8}, {6, 3}, {6, 5}, {6, 6}, {8, 3}, {8, 6}, {8, 8}};

TEST(ComboBounds, HoldAtEveryPointOfEveryComboOnHandMadeTables) {
  const LinkTable tables[] = {tableOf(kRing), tableOf(kTwoGroups),
                              tableOf(kDetour), completeTable(3),
                              tableOf(kDoorTaken)};
  for (const LinkTable& table : tables) {
    SCOPED_TRACE(describe(table));
    expectBoundsHoldEverywhere(table);
  }
}

// --- the game's table
// ---------------------------------------------------------

// The README's atlas of the game's table, which combo-atlas finds by going
// through every complete combo.
TEST(ComboLengths, GiveTheReadmesFiguresForTheGamesTable) {
  const Figures kReadme[] = {
      {4, 22, {1, 2, 1, 3, 1, 4, 2, 2, 3, 2, 5,
               3, 5, 4, 5, 8, 6, 2, 6, 6, 7, 6}},
      {5, 21, {2, 1, 2, 2, 3, 1, 4, 3, 2, 5, 3, 5, 4, 5, 8, 6, 2, 6, 6, 7, 6}},
      {5, 21, {3, 1, 2, 1, 4, 2, 2, 3, 2, 5, 3, 5, 4, 5, 8, 6, 2, 6, 6, 7, 6}},
      {4, 22, {4, 2, 1, 2, 2, 3, 1, 4, 3, 2, 5,
               3, 5, 4, 5, 8, 6, 2, 6, 6, 7, 6}},
      {4, 22, {5, 2, 1, 2, 2, 3, 1, 4, 3, 2, 5,
               3, 5, 4, 5, 8, 6, 2, 6, 6, 7, 6}},
      {6, 20, {6, 2, 1, 2, 2, 3, 1, 4, 3, 2, 5, 3, 5, 4, 5, 2, 6, 6, 7, 6}},
      {3, 20, {7, 6, 2, 1, 2, 2, 3, 1, 4, 3, 2, 5, 3, 5, 4, 5, 2, 6, 6, 7}},
      {4, 21, {8, 6, 2, 1, 2, 2, 3, 1, 4, 3, 2, 5, 3, 5, 4, 5, 2, 6, 6, 7, 6}},
  };
  for (int32_t starter = 1; starter <= 8; ++starter) {
    SCOPED_TRACE("starter " + std::to_string(starter));
    EXPECT_EQ(search(gameTable(), starter), kReadme[starter - 1]);
  }
}

// From a point of a combo: the README's figures for 8 7 6 and each next
// move. The point after 8,7,6,next is next as a starter on the game's table
// without the links used; its figures leave out the 3 moves before it.
TEST(ComboLengths, GiveTheReadmesFiguresFromAPointOfACombo) {
  struct Point {
    int32_t next;
    Figures want;  // from next on
  };
  const Point kPoints[] = {
      {2, {3, 18, {2, 1, 2, 2, 3, 1, 4, 3, 2, 5, 3, 5, 4, 5, 2, 6, 6, 7}}},
      {6, {2, 18, {6, 2, 1, 2, 2, 3, 1, 4, 3, 2, 5, 3, 5, 4, 5, 2, 6, 7}}},
      {7, {1, 1, {7}}},
  };
  for (const Point& point : kPoints) {
    SCOPED_TRACE("8 7 6 " + std::to_string(point.next));
    LinkTable table = gameTable();
    closeLink(&table, 8, 7);
    closeLink(&table, 7, 6);
    closeLink(&table, 6, point.next);
    EXPECT_EQ(search(table, point.next), point.want);
  }
}

// --- budgets
// ------------------------------------------------------------------

// However small the budget, the ranges hold the exact figures and the combo
// shown is a complete combo of the length the range starts at; where the
// range is a single length, the answer is the exact one.
TEST(WorkBudget, GivesRangesThatHoldWhenItRunsOut) {
  const LinkTable tables[] = {completeTable(8), gameTable(),
                              randomTableUpTo(7, 40), randomTableUpTo(8, 64)};
  const int64_t kBudgets[] = {0, 1, 3, 10, 30, 100};
  for (const LinkTable& table : tables) {
    for (int32_t starter = 1; starter <= 8; ++starter) {
      SCOPED_TRACE(describe(table) + " from " + std::to_string(starter));
      Figures exact = search(table, starter);
      for (int64_t budget : kBudgets) {
        SCOPED_TRACE("budget " + std::to_string(budget));
        LongestCombo longest = findLongestCombo(table, starter, budget);
        EXPECT_LE(longest.length.low, exact.longest);
        EXPECT_GE(longest.length.high, exact.longest);
        Moves shown(longest.moves, longest.moves + longest.length.low);
        EXPECT_TRUE(isCompleteCombo(table, shown));
        if (longest.length.low == longest.length.high) {
          EXPECT_EQ(shown, exact.firstLongest);
        }
        ShortestCombo shortest = findShortestCombo(table, starter, budget);
        EXPECT_LE(shortest.length.low, exact.shortest);
        EXPECT_GE(shortest.length.high, exact.shortest);
      }
    }
  }
}

// A budget of nothing leaves searches unfinished, so the ranges above were
// put to the test. On the complete table the first combo found, which
// always takes the lowest follow-up, is 1,1,2,1,3,1,...,1,8,1: 16 moves,
// not 65. On the game's table the shortest is not found at all, and its
// range ends at the length of that same walk from 1:
// 1,2,1,3,1,4,2,2,3,2,5,2,6,2, 14 moves.
TEST(WorkBudget, LeavesSearchesUnfinishedWithNoBudget) {
  LongestCombo longest = findLongestCombo(completeTable(8), 1, 0);
  EXPECT_EQ(longest.length.low, 16);
  EXPECT_EQ(longest.length.high, 65);
  ShortestCombo shortest = findShortestCombo(gameTable(), 1, 0);
  EXPECT_LE(shortest.length.low, 4);
  EXPECT_EQ(shortest.length.high, 14);
}

}  // namespace
}  // namespace combo
