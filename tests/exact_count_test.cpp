// The exact count: on small tables worked out by hand, on random tables
// against a plain enumeration of every combo, on the game's table against
// the counts that an independent enumeration found (README.md), and beyond
// 2^64 on dense tables, where only consistency can tell: the count from a
// move is the sum of the counts from each next move, an extra prime agrees,
// and the proven lower bound stays below. Then the units of work: they
// cover every point once, and their order does not matter.
#include "exact_count.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "count_bounds.h"
#include "count_links.h"
#include "count_test_tables.h"

namespace combo {
namespace {

using testing_tables::completeTable;
using testing_tables::decimal;
using testing_tables::enumerateCombos;
using testing_tables::gameTable;
using testing_tables::Link;
using testing_tables::randomTable;
using testing_tables::tableOf;

static CountWorkspace gWorkspace;  // 96 KiB: off the stack

// --- Tables worked out by hand --------------------------------------------

// A spin loop: 1->2, 2->1, 2->2, 2->3.
//   from 1: 1,2,1  1,2,2,1  1,2,2,3  1,2,3
//   from 2: 2,1,2,2,3  2,1,2,3  2,2,1,2,3  2,2,3  2,3
const std::vector<Link> kSpinLoop = {{1, 2}, {2, 1}, {2, 2}, {2, 3}};
// A detour: 1->2, 1->3, 3->4, 4->1.
//   from 1: 1,2  1,3,4,1,2     from 3: 3,4,1,2  3,4,1,3
const std::vector<Link> kDetour = {{1, 2}, {1, 3}, {3, 4}, {4, 1}};
// Two groups joined one way: 1<->2 and 3<->4, and 2->3.
//   from 1: 1,2,1  1,2,3,4,3     from 2: 2,1,2,3,4,3  2,3,4,3
//   from 3: 3,4,3                from 4: 4,3,4
const std::vector<Link> kTwoGroups = {{1, 2}, {2, 1}, {3, 4}, {4, 3}, {2, 3}};
// A ring through all eight moves: one combo, round once, from each.
const std::vector<Link> kRing = {{1, 2}, {2, 3}, {3, 4}, {4, 5},
                                 {5, 6}, {6, 7}, {7, 8}, {8, 1}};
// One self-link: 3,3 from 3; every other starter stands alone.
const std::vector<Link> kSelfLink = {{3, 3}};
const std::vector<Link> kNoLinks = {};
// Every link among 1 and 2, from 1:
//   1,1,2,1  1,1,2,2,1  1,2,1,1  1,2,2,1,1
const std::vector<Link> kCompleteOnTwo = {{1, 1}, {1, 2}, {2, 1}, {2, 2}};
// A hub: 2 to every other move and back. From 2, every order of the seven
// spokes: 7! = 5040. From another move, say 1: 1,2, then spokes 3 to 8,
// some of them in some order, and 2,1 last: sum over k of 6!/(6-k)! = 1957.
// (Move 2 has links from all seven others: its weight has eight roots.)
const std::vector<Link> kHub = {{2, 1}, {2, 3}, {2, 4}, {2, 5}, {2, 6},
                                {2, 7}, {2, 8}, {1, 2}, {3, 2}, {4, 2},
                                {5, 2}, {6, 2}, {7, 2}, {8, 2}};

struct HandCase {
  const char* name;
  LinkTable table;
  int32_t starter;
  const char* want;
};

void PrintTo(const HandCase& c, std::ostream* os) { *os << c.name; }

class HandWorkedTest : public testing::TestWithParam<HandCase> {};

TEST_P(HandWorkedTest, GivesTheCountWorkedOutByHand) {
  const HandCase& c = GetParam();
  EXPECT_EQ(decimal(countCombos(c.table, c.starter)), c.want);
}

const HandCase kHandCases[] = {
    {"EmptyTable", tableOf(kNoLinks), 5, "1"},
    {"SelfLinkFromItsMove", tableOf(kSelfLink), 3, "1"},
    {"SelfLinkFromAnotherMove", tableOf(kSelfLink), 4, "1"},
    {"RingFrom1", tableOf(kRing), 1, "1"},
    {"RingFrom8", tableOf(kRing), 8, "1"},
    {"SpinLoopFrom1", tableOf(kSpinLoop), 1, "4"},
    {"SpinLoopFrom2", tableOf(kSpinLoop), 2, "5"},
    {"SpinLoopFrom3", tableOf(kSpinLoop), 3, "1"},
    {"DetourFrom1", tableOf(kDetour), 1, "2"},
    {"DetourFrom3", tableOf(kDetour), 3, "2"},
    {"TwoGroupsFrom1", tableOf(kTwoGroups), 1, "2"},
    {"TwoGroupsFrom2", tableOf(kTwoGroups), 2, "2"},
    {"TwoGroupsFrom3", tableOf(kTwoGroups), 3, "1"},
    {"TwoGroupsFrom4", tableOf(kTwoGroups), 4, "1"},
    {"HubFromItsCentre", tableOf(kHub), 2, "5040"},
    {"HubFromASpoke", tableOf(kHub), 1, "1957"},
    {"HubFromAnotherSpoke", tableOf(kHub), 8, "1957"},
    {"CompleteOnOneKind", completeTable(1), 1, "1"},
    {"CompleteOnTwoKindsFrom1", tableOf(kCompleteOnTwo), 1, "4"},
    {"CompleteOnTwoKindsFrom2", tableOf(kCompleteOnTwo), 2, "4"},
    // Counted by a plain enumeration outside the program.
    {"CompleteOnThreeKinds", completeTable(3), 2, "186"},
};

INSTANTIATE_TEST_SUITE_P(CountCombos, HandWorkedTest,
                         testing::ValuesIn(kHandCases),
                         [](const testing::TestParamInfo<HandCase>& info) {
                           return std::string(info.param.name);
                         });

// --- Against a plain enumeration ------------------------------------------

struct RandomCase {
  uint32_t seed;
  int32_t links;
};

void PrintTo(const RandomCase& c, std::ostream* os) {
  *os << c.links << " links, seed " << c.seed;
}

class RandomTableTest : public testing::TestWithParam<RandomCase> {};

TEST_P(RandomTableTest, AgreesWithAPlainEnumerationFromEveryStarter) {
  LinkTable table = randomTable(GetParam().seed, GetParam().links);
  ExactCountJob job;
  planStarterCounts(table, &job);
  CountSums sums = {};
  for (int64_t unit = 0; unit < job.unitCount; ++unit) {
    addCountUnit(job, unit, evaluateCountUnit(job, unit, &gWorkspace), &sums);
  }
  for (int32_t starter = 1; starter <= 8; ++starter) {
    SCOPED_TRACE("starter " + std::to_string(starter));
    EXPECT_EQ(decimal(finishCount(job, sums, starter - 1)),
              std::to_string(enumerateCombos(table, starter)));
  }
}

INSTANTIATE_TEST_SUITE_P(
    CountCombos, RandomTableTest,
    testing::Values(RandomCase{1, 4}, RandomCase{2, 8}, RandomCase{3, 10},
                    RandomCase{4, 12}, RandomCase{5, 12}, RandomCase{6, 14},
                    RandomCase{7, 14}, RandomCase{8, 16}, RandomCase{9, 16},
                    RandomCase{10, 17}, RandomCase{11, 18}, RandomCase{12, 18},
                    RandomCase{13, 19}, RandomCase{14, 20}, RandomCase{15, 20}),
    [](const testing::TestParamInfo<RandomCase>& info) {
      return std::to_string(info.param.links) + "LinksSeed" +
             std::to_string(info.param.seed);
    });

// Dense corners: every link among a few moves, with the other moves
// linked in or not.
TEST(CountCombos, AgreesWithAPlainEnumerationOnDenseCorners) {
  std::vector<LinkTable> tables = {completeTable(3), completeTable(4)};
  tables.push_back(tableOf({{1, 1},
                            {1, 2},
                            {2, 1},
                            {2, 2},
                            {2, 3},
                            {3, 3},
                            {3, 1},
                            {1, 4},
                            {4, 4},
                            {4, 2},
                            {3, 5},
                            {5, 5}}));
  for (size_t i = 0; i < tables.size(); ++i) {
    for (int32_t starter = 1; starter <= 5; ++starter) {
      SCOPED_TRACE("table " + std::to_string(i) + ", starter " +
                   std::to_string(starter));
      EXPECT_EQ(decimal(countCombos(tables[i], starter)),
                std::to_string(enumerateCombos(tables[i], starter)));
    }
  }
}

// --- The game's table ------------------------------------------------------

TEST(CountCombos, TheGamesTableFromEveryStarter) {
  // README.md, as an independent enumeration found them.
  const char* const want[] = {"8199578", "3403277", "3896474", "10135517",
                              "7527980", "496338",  "217504",  "616962"};
  ExactCountJob job;
  planStarterCounts(gameTable(), &job);
  CountSums sums = {};
  for (int64_t unit = 0; unit < job.unitCount; ++unit) {
    addCountUnit(job, unit, evaluateCountUnit(job, unit, &gWorkspace), &sums);
  }
  for (int32_t starter = 1; starter <= 8; ++starter) {
    EXPECT_EQ(decimal(finishCount(job, sums, starter - 1)), want[starter - 1])
        << "starter " << starter;
  }
}

// Links leaving moves that the starter cannot reach change nothing.
TEST(CountCombos, IgnoresLinksOutOfReach) {
  LinkTable table = tableOf(kTwoGroups);
  LinkTable more = table;
  for (Link link : std::vector<Link>{{5, 6}, {6, 5}, {6, 6}, {5, 1}, {7, 3}}) {
    more.rows[link.first - 1].entries[link.second] = link.second;
  }
  EXPECT_EQ(decimal(countCombos(more, 3)), "1");
  EXPECT_EQ(decimal(countCombos(more, 4)), "1");
  EXPECT_EQ(decimal(countCombos(more, 2)), "2");
}

// The combo begun 8, 7, 6 on the game's table, as README.md shows it: the
// counts for each next move 2, 6 and 7.
TEST(PlanFollowUpCounts, TheCombosAfter876) {
  LinkTable open = gameTable();
  open.rows[8 - 1].entries[7] = 0;
  open.rows[7 - 1].entries[6] = 0;
  ExactCountJob job;
  planFollowUpCounts(open, 6, &job);
  ASSERT_EQ(job.queryCount, 3);
  EXPECT_EQ(job.plans[0].starter, 2);
  EXPECT_EQ(job.plans[1].starter, 6);
  EXPECT_EQ(job.plans[2].starter, 7);
  CountSums sums = {};
  for (int64_t unit = 0; unit < job.unitCount; ++unit) {
    addCountUnit(job, unit, evaluateCountUnit(job, unit, &gWorkspace), &sums);
  }
  EXPECT_EQ(decimal(finishCount(job, sums, 0)), "121889");
  EXPECT_EQ(decimal(finishCount(job, sums, 1)), "71394");
  EXPECT_EQ(decimal(finishCount(job, sums, 2)), "1");
}

TEST(PlanFollowUpCounts, ACompleteComboHasNoQuery) {
  LinkTable open = tableOf({{1, 2}, {3, 1}});
  ExactCountJob job;
  planFollowUpCounts(open, 2, &job);
  EXPECT_EQ(job.queryCount, 0);
  EXPECT_EQ(job.unitCount, 0);
}

// --- Beyond 2^64 ------------------------------------------------------------

// Every link among 1 to 6, and 1->7, 7->2, 7->7, 3->7, 7->4, 7->8: just
// over 2^64 combos from 1, and cheap to count.
LinkTable denseTable() {
  LinkTable table = completeTable(6);
  for (Link link :
       std::vector<Link>{{1, 7}, {7, 2}, {7, 7}, {3, 7}, {7, 4}, {7, 8}}) {
    table.rows[link.first - 1].entries[link.second] = link.second;
  }
  return table;
}

// The count from a starter is the sum, over its links, of the counts from
// the next move on the table without that link.
void expectSumOfNextMoves(const LinkTable& table, int32_t starter,
                          BigCount* count) {
  *count = countCombos(table, starter);
  BigCount sum = {};
  for (int32_t next = 1; next <= 8; ++next) {
    if (table.rows[starter - 1].entries[next] == 0) continue;
    LinkTable rest = table;
    rest.rows[starter - 1].entries[next] = 0;
    ASSERT_TRUE(addBigCount(&sum, countCombos(rest, next)));
  }
  EXPECT_EQ(decimal(sum), decimal(*count));
}

TEST(CountCombos, BeyondTwoTo64IsTheSumOfTheNextMoves) {
  const BigCount twoTo64 = {{0, 0, 1}};
  BigCount count;
  expectSumOfNextMoves(denseTable(), 1, &count);
  EXPECT_GT(compareBigCounts(count, twoTo64), 0) << decimal(count);
  static BoundsWorkspace workspace;
  ComboBounds bounds =
      estimateCombos(denseTable(), 1, 2000, kBoundSeed, &workspace);
  EXPECT_LE(compareBigCounts(bounds.lowerBound, count), 0);
}

// Each move linked to the next four round the ring: 5^7 points, more than
// one unit holds, for each prime. Its count from 1, cut into units, is the
// sum of those from each next move.
TEST(CountCombos, ACountOfSeveralUnitsIsTheSumOfTheNextMoves) {
  LinkTable table = {};
  for (int32_t k = 1; k <= 8; ++k) {
    for (int32_t step = 1; step <= 4; ++step) {
      int32_t j = (k - 1 + step) % 8 + 1;
      table.rows[k - 1].entries[j] = j;
    }
  }
  CountQuery query = {table, 1};
  ExactCountJob job;
  planExactCount(&query, 1, &job);
  EXPECT_GE(job.plans[0].unitsPerPrime, 2);
  BigCount count;
  expectSumOfNextMoves(table, 1, &count);
}

// One prime more than the bound needs gives the same count: a prime whose
// sums were wrong would change it.
TEST(CountCombos, AnExtraPrimeAgrees) {
  for (LinkTable table : {denseTable(), gameTable()}) {
    CountQuery query = {table, 1};
    ExactCountJob job;
    planExactCount(&query, 1, &job);
    CountPlan& plan = job.plans[0];
    ASSERT_LT(plan.primes, kCountPrimeCount);
    auto count = [&job]() {
      CountSums sums = {};
      for (int64_t unit = 0; unit < job.unitCount; ++unit) {
        addCountUnit(job, unit, evaluateCountUnit(job, unit, &gWorkspace),
                     &sums);
      }
      return finishCount(job, sums, 0);
    };
    BigCount planned = count();
    ++plan.primes;
    job.unitCount += plan.unitsPerPrime;
    EXPECT_EQ(decimal(count()), decimal(planned));
  }
}

// --- Planning and units -----------------------------------------------------

TEST(PlanExactCount, UsesThePrimesTheBoundNeeds) {
  ExactCountJob job;
  planStarterCounts(gameTable(), &job);
  // Below 1.05e15 < 2^62: two primes.
  EXPECT_EQ(job.plans[0].primes, 2);
  planStarterCounts(completeTable(8), &job);
  EXPECT_EQ(job.plans[0].primes, 5);        // below 2^134
  EXPECT_EQ(job.plans[0].points, 2097152);  // 8^7
  planStarterCounts(tableOf(kNoLinks), &job);
  EXPECT_EQ(job.plans[0].primes, 1);
  EXPECT_EQ(job.plans[0].points, 1);
  EXPECT_EQ(job.unitCount, 8);
}

// Every point of every count and prime once, in order, in units of at most
// kCountUnitPoints points.
TEST(DescribeCountUnit, CoversEveryPointOnce) {
  for (LinkTable table : {gameTable(), completeTable(8), randomTable(3, 40)}) {
    ExactCountJob job;
    planStarterCounts(table, &job);
    int64_t next[kMaxCountQueries][kCountPrimeCount] = {};
    int64_t points = 0;
    for (int64_t unit = 0; unit < job.unitCount; ++unit) {
      CountUnit u = describeCountUnit(job, unit);
      ASSERT_GE(u.query, 0);
      ASSERT_LT(u.query, job.queryCount);
      ASSERT_LT(u.prime, job.plans[u.query].primes);
      EXPECT_EQ(u.firstPoint, next[u.query][u.prime]) << "unit " << unit;
      EXPECT_GT(u.pointCount, 0);
      EXPECT_LE(u.pointCount, kCountUnitPoints);
      next[u.query][u.prime] = u.firstPoint + u.pointCount;
      points += u.pointCount;
    }
    for (int32_t q = 0; q < job.queryCount; ++q) {
      for (int32_t i = 0; i < job.plans[q].primes; ++i) {
        EXPECT_EQ(next[q][i], job.plans[q].points);
      }
    }
    EXPECT_EQ(points, job.pointCount);
  }
}

// Units summed backwards, in separate sums merged later, give the same.
TEST(EvaluateCountUnit, OrderAndGroupingDoNotMatter) {
  CountQuery queries[] = {{denseTable(), 2}, {gameTable(), 4}};
  ExactCountJob job;
  planExactCount(queries, 2, &job);
  CountSums even = {}, odd = {}, total = {};
  for (int64_t unit = job.unitCount - 1; unit >= 0; --unit) {
    addCountUnit(job, unit, evaluateCountUnit(job, unit, &gWorkspace),
                 unit % 2 == 0 ? &even : &odd);
  }
  mergeCountSums(job, even, &total);
  mergeCountSums(job, odd, &total);
  EXPECT_EQ(decimal(finishCount(job, total, 0)),
            decimal(countCombos(denseTable(), 2)));
  EXPECT_EQ(decimal(finishCount(job, total, 1)), "10135517");
}

}  // namespace
}  // namespace combo
