// The instant figures on the count: the proven upper bound and the count of
// one link set, worked out by hand; the lower bound and the estimate on
// tables small enough to know their walks, and the lower bound never above
// the exact count, on random tables, the game's and a dense one.
#include "count_bounds.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "count_links.h"
#include "count_test_tables.h"
#include "exact_count.h"

namespace combo {
namespace {

using testing_tables::completeTable;
using testing_tables::decimal;
using testing_tables::gameTable;
using testing_tables::Link;
using testing_tables::randomTable;
using testing_tables::tableOf;

static BoundsWorkspace gWorkspace;  // 260 KiB: off the stack

uint64_t linkSet(const std::vector<Link>& links) {
  uint64_t set = 0;
  for (const Link& link : links) set |= linkBitOf(link.first, link.second);
  return set;
}

// --- The upper bound -------------------------------------------------------

// The product over the reachable moves of sum_k d!/(d-k)! for d links:
// 1, 2, 5, 16, 65, 326, 1957, 13700, 109601 for d = 0..8.
TEST(ComboUpperBound, MultipliesTheOrdersOfEachMovesLinks) {
  EXPECT_EQ(decimal(comboUpperBound(tableOf({}), 4)), "1");
  // A ring of three: 2 * 2 * 2.
  EXPECT_EQ(decimal(comboUpperBound(tableOf({{1, 2}, {2, 3}, {3, 1}}), 1)),
            "8");
  // Only what 3 reaches counts: 3 -> 1 -> 2, not 4 -> 5.
  EXPECT_EQ(decimal(comboUpperBound(
                tableOf({{3, 1}, {1, 2}, {1, 3}, {4, 5}, {4, 6}}), 3)),
            "10");
  // The game's rows have 5, 5, 3, 6, 6, 3, 1 and 2 links:
  // 326 * 326 * 16 * 1957 * 1957 * 16 * 2 * 5.
  EXPECT_EQ(decimal(comboUpperBound(gameTable(), 1)), "1041973842749440");
  // 109601^8.
  EXPECT_EQ(decimal(comboUpperBound(completeTable(8), 8)),
            "20821697531743120336484929071321557356801");
}

// --- One link set ----------------------------------------------------------

struct TrailCase {
  const char* name;
  std::vector<Link> links;
  int32_t starter;
  int32_t end;
  uint64_t want;
};

void PrintTo(const TrailCase& c, std::ostream* os) { *os << c.name; }

class EulerTrailTest : public testing::TestWithParam<TrailCase> {};

TEST_P(EulerTrailTest, CountsTheWalksThatUseEveryLinkOnce) {
  const TrailCase& c = GetParam();
  EXPECT_EQ(decimal(eulerTrailCount(linkSet(c.links), c.starter, c.end)),
            std::to_string(c.want));
}

const TrailCase kTrailCases[] = {
    {"NoLinkStaysAtTheStarter", {}, 6, 6, 1},
    {"NoLinkCannotEndElsewhere", {}, 6, 2, 0},
    {"OneLink", {{1, 2}}, 1, 2, 1},
    {"OneLinkWrongEnd", {{1, 2}}, 1, 1, 0},
    {"SelfLink", {{4, 4}}, 4, 4, 1},
    {"Ring", {{1, 2}, {2, 3}, {3, 1}}, 1, 1, 1},
    {"RingFromAnotherMove", {{1, 2}, {2, 3}, {3, 1}}, 2, 2, 1},
    // 1,1,2,2,1 and 1,2,2,1,1.
    {"CompleteOnTwoKinds", {{1, 1}, {1, 2}, {2, 1}, {2, 2}}, 1, 1, 2},
    // 1,1,2,1 and 1,2,1,1.
    {"SelfLinkAndRing", {{1, 1}, {1, 2}, {2, 1}}, 1, 1, 2},
    // A figure eight through 1: 1,2,1,3,1 and 1,3,1,2,1.
    {"FigureEight", {{1, 2}, {2, 1}, {1, 3}, {3, 1}}, 1, 1, 2},
    // The same from 2: 2,1,3,1,2 only.
    {"FigureEightFromALoop", {{1, 2}, {2, 1}, {1, 3}, {3, 1}}, 2, 2, 1},
    // 2 -> 1 is never reached once 1 -> 2 has been used.
    {"NotConnected", {{1, 2}, {3, 4}, {4, 3}}, 1, 2, 0},
    {"DegreesForbidIt", {{1, 2}, {1, 3}}, 1, 2, 0},
    // The links of 1,2,1,3 with 1 -> 3 last or not: 1,2,1,3 and ... 1,3
    // cannot come first (3 has no way back): one walk.
    {"EndsAway", {{1, 2}, {2, 1}, {1, 3}}, 1, 3, 1},
};

INSTANTIATE_TEST_SUITE_P(EulerTrailCount, EulerTrailTest,
                         testing::ValuesIn(kTrailCases),
                         [](const testing::TestParamInfo<TrailCase>& info) {
                           return std::string(info.param.name);
                         });

// --- Random walks ------------------------------------------------------------

TEST(EstimateCombos, AStarterWithNoLinkIsOneCombo) {
  ComboBounds bounds =
      estimateCombos(tableOf({{2, 3}}), 5, 100, kBoundSeed, &gWorkspace);
  EXPECT_EQ(decimal(bounds.lowerBound), "1");
  EXPECT_EQ(bounds.estimate, 1.0);
  EXPECT_EQ(bounds.walks, 100);
  EXPECT_EQ(bounds.distinctSets, 1);
}

TEST(EstimateCombos, OneWayOnlyIsExact) {
  ComboBounds bounds =
      estimateCombos(tableOf({{1, 2}, {2, 3}, {3, 1}}), 2, 50, 7, &gWorkspace);
  EXPECT_EQ(decimal(bounds.lowerBound), "1");
  EXPECT_EQ(bounds.estimate, 1.0);
  EXPECT_EQ(bounds.distinctSets, 1);
}

// Every link among 1 and 2, from 1: the four combos
//   1,1,2,1  1,2,1,1  (one link set)  1,1,2,2,1  1,2,2,1,1  (another)
// meet 2 choices, then 2, or 1 and 2, then 1: every product is 4.
TEST(EstimateCombos, CompleteOnTwoKindsFindsEveryCombo) {
  ComboBounds bounds =
      estimateCombos(completeTable(2), 1, 200, kBoundSeed, &gWorkspace);
  EXPECT_EQ(decimal(bounds.lowerBound), "4");
  EXPECT_EQ(bounds.estimate, 4.0);
  EXPECT_EQ(bounds.distinctSets, 2);
}

TEST(EstimateCombos, TheSameSeedGivesTheSameFigures) {
  ComboBounds first =
      estimateCombos(gameTable(), 4, 3000, kBoundSeed, &gWorkspace);
  ComboBounds again =
      estimateCombos(gameTable(), 4, 3000, kBoundSeed, &gWorkspace);
  EXPECT_EQ(decimal(first.lowerBound), decimal(again.lowerBound));
  EXPECT_EQ(first.estimate, again.estimate);
  EXPECT_EQ(first.distinctSets, again.distinctSets);
}

// The lower bound is never above the count, and never 0; the estimate is of
// the right size (on these tables and seeds; the README's study found it
// within about 20 %).
TEST(EstimateCombos, TheLowerBoundStaysBelowTheCount) {
  std::vector<LinkTable> tables = {gameTable(), completeTable(4),
                                   completeTable(5)};
  for (uint32_t seed = 1; seed <= 4; ++seed) {
    tables.push_back(randomTable(seed, 18 + 3 * static_cast<int32_t>(seed)));
  }
  for (size_t i = 0; i < tables.size(); ++i) {
    for (int32_t starter = 1; starter <= 8; ++starter) {
      SCOPED_TRACE("table " + std::to_string(i) + ", starter " +
                   std::to_string(starter));
      BigCount count = countCombos(tables[i], starter);
      ComboBounds bounds =
          estimateCombos(tables[i], starter, 2000, kBoundSeed, &gWorkspace);
      EXPECT_LE(compareBigCounts(bounds.lowerBound, count), 0)
          << decimal(bounds.lowerBound) << " > " << decimal(count);
      EXPECT_GE(compareBigCounts(bounds.lowerBound, bigCountOf(1)), 0);
      double ratio = bounds.estimate / bigCountToDouble(count);
      EXPECT_GT(ratio, 0.4);
      EXPECT_LT(ratio, 2.5);
    }
  }
}

}  // namespace
}  // namespace combo
