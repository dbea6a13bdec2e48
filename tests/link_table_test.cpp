#include "link_table.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace combo {
namespace {

// The link chart as printed for players, typed in by hand: row k, entries
// 0 to 8. Tests compare the table with this, never with itself.
constexpr int32_t kChart[8][9] = {
    {0, 0, 2, 3, 4, 0, 6, 7, 0},  // 1 air float
    {0, 1, 2, 3, 0, 5, 6, 0, 0},  // 2 air spin
    {0, 1, 2, 0, 0, 5, 0, 0, 0},  // 3 air knockback
    {0, 0, 2, 3, 0, 5, 6, 7, 8},  // 4 air bounce
    {0, 0, 2, 3, 4, 0, 6, 7, 8},  // 5 ground float
    {0, 0, 2, 0, 0, 0, 6, 7, 0},  // 6 ground spin
    {0, 0, 0, 0, 0, 0, 6, 0, 0},  // 7 ground knockback
    {0, 0, 0, 0, 0, 0, 6, 7, 0},  // 8 ground bounce
};

std::vector<int32_t> followUps(const LinkTable& table, int32_t k) {
  FollowUps open = openFollowUps(table, k);
  return std::vector<int32_t>(open.moves, open.moves + open.count);
}

// Expects *table to hold the chart, except that the links in `closed` (as
// {k, j} pairs) are closed.
void expectChartExcept(const LinkTable& table,
                       const std::vector<std::pair<int, int>>& closed) {
  for (int k = 1; k <= 8; ++k) {
    for (int j = 0; j <= 8; ++j) {
      int32_t want = kChart[k - 1][j];
      for (const auto& link : closed) {
        if (link.first == k && link.second == j) want = 0;
      }
      EXPECT_EQ(table.rows[k - 1].entries[j], want)
          << "row " << k << " entry " << j;
    }
  }
}

struct RowCase {
  const char* name;
  int32_t move;
  std::vector<int32_t> followUps;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const RowCase& c, std::ostream* os) { *os << c.name; }

class InitialRowTest : public testing::TestWithParam<RowCase> {};

TEST_P(InitialRowTest, ListsItsFollowUpsInAscendingOrder) {
  LinkTable table;
  resetLinks(&table);
  EXPECT_EQ(followUps(table, GetParam().move), GetParam().followUps);
}

const RowCase kRows[] = {
    {"AirFloat", 1, {2, 3, 4, 6, 7}},
    {"AirSpin", 2, {1, 2, 3, 5, 6}},
    {"AirKnockback", 3, {1, 2, 5}},
    {"AirBounce", 4, {2, 3, 5, 6, 7, 8}},
    {"GroundFloat", 5, {2, 3, 4, 6, 7, 8}},
    {"GroundSpin", 6, {2, 6, 7}},
    {"GroundKnockback", 7, {6}},
    {"GroundBounce", 8, {6, 7}},
};

INSTANTIATE_TEST_SUITE_P(ResetLinks, InitialRowTest, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<RowCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(ResetLinks, HoldsTheChartWith31OpenLinks) {
  LinkTable table;
  resetLinks(&table);
  expectChartExcept(table, {});
  int open = 0;
  for (int k = 1; k <= 8; ++k) open += openFollowUps(table, k).count;
  EXPECT_EQ(open, 31);
}

TEST(ResetLinks, RestoresTheChartAfterAnyClosures) {
  LinkTable table;
  resetLinks(&table);
  for (int k = 1; k <= 8; ++k) {
    for (int j = 1; j <= 8; ++j) {
      if (isLinkOpen(table, k, j)) closeLink(&table, k, j);
    }
  }
  for (int k = 1; k <= 8; ++k) EXPECT_EQ(openFollowUps(table, k).count, 0);
  resetLinks(&table);
  expectChartExcept(table, {});
}

// Closing any one link changes that entry and nothing else, for each of the
// 31 links of the chart.
TEST(CloseLink, ChangesOnlyThatEntry) {
  for (int k = 1; k <= 8; ++k) {
    for (int j = 1; j <= 8; ++j) {
      if (kChart[k - 1][j] == 0) continue;
      SCOPED_TRACE("closed " + std::to_string(k) + " to " + std::to_string(j));
      LinkTable table;
      resetLinks(&table);
      closeLink(&table, k, j);
      EXPECT_FALSE(isLinkOpen(table, k, j));
      expectChartExcept(table, {{k, j}});
    }
  }
}

TEST(CloseLink, LeavesTheReverseLinkOpen) {
  LinkTable table;
  resetLinks(&table);
  closeLink(&table, 1, 2);
  EXPECT_EQ(followUps(table, 1), (std::vector<int32_t>{3, 4, 6, 7}));
  EXPECT_EQ(followUps(table, 2), (std::vector<int32_t>{1, 2, 3, 5, 6}));
  EXPECT_TRUE(isLinkOpen(table, 2, 1));
}

TEST(CloseLink, SelfLinkClosesOnlyItself) {
  LinkTable table;
  resetLinks(&table);
  closeLink(&table, 2, 2);
  EXPECT_EQ(followUps(table, 2), (std::vector<int32_t>{1, 3, 5, 6}));
  EXPECT_EQ(followUps(table, 6), (std::vector<int32_t>{2, 6, 7}));
}

TEST(CloseLink, EmptiesTheGroundKnockbackRow) {
  LinkTable table;
  resetLinks(&table);
  closeLink(&table, 7, 6);
  EXPECT_TRUE(followUps(table, 7).empty());
}

TEST(IsLinkOpen, FollowUpZeroIsNeverOpen) {
  LinkTable table;
  resetLinks(&table);
  for (int k = 1; k <= 8; ++k) EXPECT_FALSE(isLinkOpen(table, k, 0)) << k;
  for (int k = 1; k <= 8; ++k) {
    for (int j = 1; j <= 8; ++j) {
      if (isLinkOpen(table, k, j)) closeLink(&table, k, j);
      for (int row = 1; row <= 8; ++row) {
        EXPECT_FALSE(isLinkOpen(table, row, 0));
      }
    }
  }
}

TEST(IsLinkOpen, MatchesTheChart) {
  LinkTable table;
  resetLinks(&table);
  for (int k = 1; k <= 8; ++k) {
    for (int j = 0; j <= 8; ++j) {
      EXPECT_EQ(isLinkOpen(table, k, j), kChart[k - 1][j] != 0)
          << k << " to " << j;
    }
  }
}

// The menu lines are two whole texts; the names kept for charts must be the
// very names they show, in the same order: "1,NAME 2,NAME 3,NAME 4,NAME".
TEST(MoveNames, AreTheNamesInTheMenuLines) {
  std::string air, ground;
  for (int k = 1; k <= 4; ++k) {
    if (k > 1) air += ' ';
    air += std::to_string(k) + ',' + kMoveNames[k - 1].menuName;
  }
  for (int k = 5; k <= 8; ++k) {
    if (k > 5) ground += ' ';
    ground += std::to_string(k) + ',' + kMoveNames[k - 1].menuName;
  }
  EXPECT_EQ(air, kMenuLine1);
  EXPECT_EQ(ground, kMenuLine2);
}

TEST(MoveNames, GlossEachKindByGroupAndReaction) {
  const char* const kGlosses[] = {
      "air float",    "air spin",    "air knockback",    "air bounce",
      "ground float", "ground spin", "ground knockback", "ground bounce"};
  for (int k = 1; k <= 8; ++k) {
    EXPECT_STREQ(kMoveNames[k - 1].gloss, kGlosses[k - 1]) << "move " << k;
  }
}

}  // namespace
}  // namespace combo
