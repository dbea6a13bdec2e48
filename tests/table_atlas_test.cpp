// The figures of the atlas for any table (table_atlas.h): small tables whose
// every combo is listed here by hand, each worked out both by the memo of
// states and by the other engines (the lengths by branch and bound, the
// exact count); both against the plain walk of every combo on random
// tables; counts past the memo's limit; the lower bound against the exact
// count; the memo's budget, and the game's table kept on the memo.
#include "table_atlas.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "atlas_tables.h"
#include "reference_walk.h"

namespace combo {
namespace {

// Off the stack: about 2 MiB and 100 KiB.
AtlasSearch gSearch;
ExactCountJob gJob;
CountWorkspace gWorkspace;
BoundsWorkspace gBounds;
TableAtlas gAtlas;

std::string decimal(const BigCount& count) {
  char text[kBigCountTextSize];
  formatBigCount(count, text);
  return text;
}

std::string lengthText(LengthRange length) {
  std::string text = std::to_string(length.low);
  if (length.high != length.low) text += ".." + std::to_string(length.high);
  return text;
}

// A row as "FIRST COMBOS SHORTEST LONGEST EXAMPLE", the example's moves
// joined by commas.
std::string rowText(const TableRow& row) {
  std::string text = std::to_string(row.first) + " " + decimal(row.combos) +
                     " " + lengthText(row.shortest) + " " +
                     lengthText(row.longest) + " ";
  for (int32_t i = 0; i < row.longest.low; ++i) {
    text += (i > 0 ? "," : "") + std::to_string(row.example[i]);
  }
  return text;
}

std::vector<std::string> rowsText(const TableAtlas& atlas) {
  std::vector<std::string> rows;
  for (int32_t r = 0; r < atlas.rowCount; ++r) {
    rows.push_back(rowText(atlas.rows[r]));
  }
  return rows;
}

// How the figures are worked out.
enum class Method {
  kMemo,   // the memo of states, with every step it needs
  kOther,  // branch and bound for the lengths, the exact count
};

// Works out every figure of the question (table, moves) by method.
void figure(const LinkTable& table, const std::vector<int32_t>& moves,
            Method method) {
  ASSERT_TRUE(startTableAtlas(&gAtlas, table, moves.data(),
                              static_cast<int32_t>(moves.size())));
  planTableCounts(gAtlas, &gJob);
  if (method == Method::kMemo) {
    ASSERT_TRUE(atlasFromMemo(&gAtlas, &gSearch, INT64_MAX));
    ASSERT_TRUE(gAtlas.countsKnown);
    return;
  }
  // With no step to take the memo gives up at the first state with a link
  // open; a question that needs none (no link at all) it answers even so,
  // and the other engines answer it again.
  atlasFromMemo(&gAtlas, &gSearch, 0);
  findTableLengths(&gAtlas);
  BigCount counts[kMaxCountQueries];
  CountSums sums = {};
  for (int64_t unit = 0; unit < gJob.unitCount; ++unit) {
    addCountUnit(gJob, unit, evaluateCountUnit(gJob, unit, &gWorkspace), &sums);
  }
  for (int32_t q = 0; q < gJob.queryCount; ++q) {
    counts[q] = finishCount(gJob, sums, q);
  }
  setTableCounts(&gAtlas, counts);
}

// ---- Hand-worked tables --------------------------------------------------

struct HandCase {
  const char* name;
  std::vector<Link> links;
  std::vector<int32_t> moves;  // the combo begun; none for the atlas
  std::vector<std::string> rows;
};

struct HandParam {
  HandCase c;
  Method method;
};

void PrintTo(const HandParam& p, std::ostream* os) { *os << p.c.name; }

class HandWorkedTest : public testing::TestWithParam<HandParam> {};

TEST_P(HandWorkedTest, GivesTheFiguresListedByHand) {
  const HandCase& c = GetParam().c;
  figure(tableOf(c.links), c.moves, GetParam().method);
  EXPECT_TRUE(gAtlas.lengthsKnown);
  EXPECT_TRUE(gAtlas.countsKnown);
  EXPECT_EQ(rowsText(gAtlas), c.rows);
}

// The ring of ring.table (tests/transcripts/tables): 1->1, 1->2, 2->3, 3->1.
//   from 1: 1,1,2,3,1  1,2,3,1,1
//   from 2: 2,3,1,1,2  2,3,1,2
//   from 3: 3,1,1,2,3  3,1,2,3
const std::vector<Link> kRing = {{1, 1}, {1, 2}, {2, 3}, {3, 1}};
// Two groups joined one way: 1 <-> 2, 3 <-> 4, and 2 -> 3.
//   from 1: 1,2,1  1,2,3,4,3
//   from 2: 2,1,2,3,4,3  2,3,4,3
//   from 3: 3,4,3        from 4: 4,3,4
const std::vector<Link> kJoined = {{1, 2}, {2, 1}, {2, 3}, {3, 4}, {4, 3}};
// Every link among 1 and 2, self-links included.
//   from 1: 1,1,2,1  1,1,2,2,1  1,2,1,1  1,2,2,1,1
//   from 2: 2,1,1,2,2  2,1,2,2  2,2,1,1,2  2,2,1,2
const std::vector<Link> kTwoKinds = {{1, 1}, {1, 2}, {2, 1}, {2, 2}};

const HandCase kHandCases[] = {
    {"NoLinks",
     kNoLinks,
     {},
     {"1 1 1 1 1", "2 1 1 1 2", "3 1 1 1 3", "4 1 1 1 4", "5 1 1 1 5",
      "6 1 1 1 6", "7 1 1 1 7", "8 1 1 1 8"}},
    {"NoLinksAfterAStarter", kNoLinks, {5}, {}},
    {"OneSelfLink",
     {{3, 3}},
     {},
     {"1 1 1 1 1", "2 1 1 1 2", "3 1 2 2 3,3", "4 1 1 1 4", "5 1 1 1 5",
      "6 1 1 1 6", "7 1 1 1 7", "8 1 1 1 8"}},
    {"OneSelfLinkAfterItsMove", {{3, 3}}, {3}, {"3 1 2 2 3,3"}},
    {"OneSelfLinkUsed", {{3, 3}}, {3, 3}, {}},
    {"Ring",
     kRing,
     {},
     {"1 2 5 5 1,1,2,3,1", "2 2 4 5 2,3,1,1,2", "3 2 4 5 3,1,1,2,3",
      "4 1 1 1 4", "5 1 1 1 5", "6 1 1 1 6", "7 1 1 1 7", "8 1 1 1 8"}},
    {"RingAfter1", kRing, {1}, {"1 1 5 5 1,1,2,3,1", "2 1 5 5 1,2,3,1,1"}},
    {"RingAfter231",
     kRing,
     {2, 3, 1},
     {"1 1 5 5 2,3,1,1,2", "2 1 4 4 2,3,1,2"}},
    {"Joined",
     kJoined,
     {},
     {"1 2 3 5 1,2,3,4,3", "2 2 4 6 2,1,2,3,4,3", "3 1 3 3 3,4,3",
      "4 1 3 3 4,3,4", "5 1 1 1 5", "6 1 1 1 6", "7 1 1 1 7", "8 1 1 1 8"}},
    {"JoinedAfter12", kJoined, {1, 2}, {"1 1 3 3 1,2,1", "3 1 5 5 1,2,3,4,3"}},
    {"TwoKinds",
     kTwoKinds,
     {},
     {"1 4 4 5 1,1,2,2,1", "2 4 4 5 2,1,1,2,2", "3 1 1 1 3", "4 1 1 1 4",
      "5 1 1 1 5", "6 1 1 1 6", "7 1 1 1 7", "8 1 1 1 8"}},
    {"TwoKindsAfter1",
     kTwoKinds,
     {1},
     {"1 2 4 5 1,1,2,2,1", "2 2 4 5 1,2,2,1,1"}},
    {"TwoKindsAfter21",
     kTwoKinds,
     {2, 1},
     {"1 1 5 5 2,1,1,2,2", "2 1 4 4 2,1,2,2"}},
    // kTies of atlas_tables.h: the first of the tied longest.
    {"TiesAfter12",
     kTies,
     {1, 2},
     {"3 1 3 3 1,2,3", "4 2 5 5 1,2,4,6,7", "5 2 5 5 1,2,5,6,7"}},
};

std::vector<HandParam> handParams() {
  std::vector<HandParam> params;
  for (Method method : {Method::kMemo, Method::kOther}) {
    for (const HandCase& c : kHandCases) params.push_back({c, method});
  }
  return params;
}

INSTANTIATE_TEST_SUITE_P(TableAtlas, HandWorkedTest,
                         testing::ValuesIn(handParams()),
                         [](const testing::TestParamInfo<HandParam>& info) {
                           return std::string(info.param.c.name) +
                                  (info.param.method == Method::kMemo
                                       ? "ByMemo"
                                       : "ByOthers");
                         });

// ---- Questions refused ---------------------------------------------------

struct RefusedCase {
  const char* name;
  std::vector<int32_t> moves;
};

void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

class RefusedTest : public testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedTest, IsRefused) {
  const std::vector<int32_t>& moves = GetParam().moves;
  EXPECT_FALSE(startTableAtlas(&gAtlas, tableOf(kRing), moves.data(),
                               static_cast<int32_t>(moves.size())));
}

const RefusedCase kRefusedCases[] = {
    {"StarterZero", {0}},
    {"StarterNine", {9}},
    {"FollowUpZero", {1, 0}},
    {"FollowUpNine", {1, 9}},
    {"NoSuchLink", {1, 3}},
    {"LinkUsed", {1, 1, 1}},
    {"LinkUsedLater", {1, 2, 3, 1, 2}},
};

INSTANTIATE_TEST_SUITE_P(StartTableAtlas, RefusedTest,
                         testing::ValuesIn(kRefusedCases),
                         [](const testing::TestParamInfo<RefusedCase>& info) {
                           return std::string(info.param.name);
                         });

// ---- Against the plain walk ------------------------------------------------

// The plain walk's figures from starter over table, as rowText writes a
// row, its lengths and example after the moves `before` (the last of them
// the starter's move before it, closed in table).
std::string walkedRow(const LinkTable& table, int32_t starter,
                      const std::vector<int32_t>& before) {
  static ReferenceWalk walk;  // about 20 KiB
  startReferenceWalk(&walk, table);
  WalkFigures f = walkFromStarter(&walk, starter);
  int32_t extra = static_cast<int32_t>(before.size());
  std::string text = std::to_string(starter) + " " + std::to_string(f.combos) +
                     " " + std::to_string(f.shortest + extra) + " " +
                     std::to_string(f.longest + extra) + " ";
  std::vector<int32_t> example = before;
  example.insert(example.end(), f.example, f.example + f.longest);
  for (std::size_t i = 0; i < example.size(); ++i) {
    text += (i > 0 ? "," : "") + std::to_string(example[i]);
  }
  return text;
}

struct RandomCase {
  uint32_t seed;
  int32_t links;
};

void PrintTo(const RandomCase& c, std::ostream* os) {
  *os << c.links << " links, seed " << c.seed;
}

class RandomTableTest : public testing::TestWithParam<RandomCase> {};

TEST_P(RandomTableTest, BothWaysAgreeWithThePlainWalk) {
  LinkTable table = randomTable(GetParam().seed, GetParam().links);
  std::vector<std::string> walked;
  for (int32_t s = 1; s <= 8; ++s) walked.push_back(walkedRow(table, s, {}));
  for (Method method : {Method::kMemo, Method::kOther}) {
    figure(table, {}, method);
    EXPECT_EQ(rowsText(gAtlas), walked);
  }
  // After each starter with a link, the rows of its next moves.
  for (int32_t s = 1; s <= 8; ++s) {
    std::vector<std::string> next;
    for (int32_t j = 1; j <= 8; ++j) {
      if (!isLinkOpen(table, s, j)) continue;
      LinkTable rest = table;
      closeLink(&rest, s, j);
      next.push_back(walkedRow(rest, j, {s}));
    }
    for (Method method : {Method::kMemo, Method::kOther}) {
      figure(table, {s}, method);
      EXPECT_EQ(rowsText(gAtlas), next) << "after " << s;
    }
  }
}

std::vector<RandomCase> randomCases() {
  std::vector<RandomCase> cases;
  for (int32_t links : {6, 10, 14, 18}) {
    for (uint32_t seed : {1u, 2u, 3u}) cases.push_back({seed, links});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(TableAtlas, RandomTableTest,
                         testing::ValuesIn(randomCases()),
                         [](const testing::TestParamInfo<RandomCase>& info) {
                           return "Links" + std::to_string(info.param.links) +
                                  "Seed" + std::to_string(info.param.seed);
                         });

// ---- Counts past the memo's limit ----------------------------------------

// Every link among 1 to 6 gives each starter about 8.7e16 combos, past
// the memo's 2^47 - 1; the memo gives up long before (it would need
// billions of steps), and the lengths come from branch and bound, the
// counts from the exact count. The count after a starter is the sum of
// those of its next moves.
TEST(FigureTableAtlas, CountsPastTheMemosLimitByTheExactCount) {
  LinkTable table = completeTable(6);
  ASSERT_TRUE(startTableAtlas(&gAtlas, table, nullptr, 0));
  figureTableAtlas(&gAtlas, &gSearch, &gJob, &gWorkspace);
  EXPECT_FALSE(gAtlas.fromMemo);
  ASSERT_TRUE(gAtlas.countsKnown);
  // From 1: each of the 36 links once, back to 1 at the end.
  EXPECT_EQ(lengthText(gAtlas.rows[0].longest), "37");
  EXPECT_EQ(rowText(gAtlas.rows[7]), "8 1 1 1 8");
  BigCount fromOne = gAtlas.rows[0].combos;
  EXPECT_GT(bigCountBits(fromOne), 47);
  const int32_t one[] = {1};
  ASSERT_TRUE(startTableAtlas(&gAtlas, table, one, 1));
  figureTableAtlas(&gAtlas, &gSearch, &gJob, &gWorkspace);
  ASSERT_TRUE(gAtlas.countsKnown);
  ASSERT_EQ(gAtlas.rowCount, 6);
  BigCount sum = {};
  for (int32_t r = 0; r < gAtlas.rowCount; ++r) {
    ASSERT_TRUE(addBigCount(&sum, gAtlas.rows[r].combos));
  }
  EXPECT_EQ(decimal(sum), decimal(fromOne));
}

// ---- The lower bound and the estimate ------------------------------------

struct BoundCase {
  const char* name;
  LinkTable table;
  std::vector<int32_t> moves;
};

void PrintTo(const BoundCase& c, std::ostream* os) { *os << c.name; }

class BoundTest : public testing::TestWithParam<BoundCase> {};

// Never above the exact count; the estimate at least 1, as every row has
// a combo.
TEST_P(BoundTest, TheLowerBoundIsNeverAboveTheCount) {
  const BoundCase& c = GetParam();
  ASSERT_TRUE(startTableAtlas(&gAtlas, c.table, c.moves.data(),
                              static_cast<int32_t>(c.moves.size())));
  figureTableAtlas(&gAtlas, &gSearch, &gJob, &gWorkspace);
  estimateTableCounts(&gAtlas, &gBounds);
  EXPECT_TRUE(gAtlas.boundsKnown);
  for (int32_t r = 0; r < gAtlas.rowCount; ++r) {
    const TableRow& row = gAtlas.rows[r];
    EXPECT_LE(compareBigCounts(row.combosAtLeast, row.combos), 0)
        << "row " << row.first << ": at least " << decimal(row.combosAtLeast)
        << " of " << decimal(row.combos);
    EXPECT_GE(bigCountBits(row.combosAtLeast), 1) << "row " << row.first;
    EXPECT_GE(row.combosEstimate, 1.0) << "row " << row.first;
  }
}

LinkTable gameTable() {
  LinkTable table;
  resetLinks(&table);
  return table;
}

const BoundCase kBoundCases[] = {
    {"Ring", tableOf(kRing), {}},
    {"Joined", tableOf(kJoined), {}},
    {"GameTable", gameTable(), {}},
    {"GameTableAfter876", gameTable(), {8, 7, 6}},
    {"CompleteOnFour", completeTable(4), {}},
    {"CompleteOnSixAfter1", completeTable(6), {1}},
    {"Random24", randomTable(5, 24), {}},
};

INSTANTIATE_TEST_SUITE_P(EstimateTableCounts, BoundTest,
                         testing::ValuesIn(kBoundCases),
                         [](const testing::TestParamInfo<BoundCase>& info) {
                           return std::string(info.param.name);
                         });

// ---- The memo's budget ---------------------------------------------------

struct BudgetCase {
  const char* name;
  int64_t points;
  int64_t budget;
};

void PrintTo(const BudgetCase& c, std::ostream* os) { *os << c.name; }

class BudgetTest : public testing::TestWithParam<BudgetCase> {};

TEST_P(BudgetTest, IsInProportionToThePointsWithinItsLimits) {
  ExactCountJob job = {};
  job.pointCount = GetParam().points;
  EXPECT_EQ(memoStepBudget(job), GetParam().budget);
}

const BudgetCase kBudgetCases[] = {
    {"NoPoint", 0, 262144},
    {"FewPoints", 1000, 262144},
    {"JustAtTheLeast", 32768, 262144},
    {"JustAboveTheLeast", 32769, 262152},
    {"Some", 100000, 800000},
    {"TheGamesTable", 524232, 4193856},
    {"JustAtTheMost", 524288, 4194304},
    {"JustAboveTheMost", 524289, 4194304},
    {"TheTableOfEveryLink", 83886080, 4194304},
};

INSTANTIATE_TEST_SUITE_P(MemoStepBudget, BudgetTest,
                         testing::ValuesIn(kBudgetCases),
                         [](const testing::TestParamInfo<BudgetCase>& info) {
                           return std::string(info.param.name);
                         });

// The game's table is the memo's within its budget, for the whole atlas
// and at every point of one or two moves, so that combo-atlas answers it
// at the memo's speed (a miss would still be right, only slower).
TEST(AtlasFromMemo, AnswersTheGamesTableWithinItsBudget) {
  LinkTable game = gameTable();
  std::vector<std::vector<int32_t>> questions = {{}};
  for (int32_t s = 1; s <= 8; ++s) {
    questions.push_back({s});
    for (int32_t j = 1; j <= 8; ++j) {
      if (isLinkOpen(game, s, j)) questions.push_back({s, j});
    }
  }
  for (const std::vector<int32_t>& moves : questions) {
    ASSERT_TRUE(startTableAtlas(&gAtlas, game, moves.data(),
                                static_cast<int32_t>(moves.size())));
    planTableCounts(gAtlas, &gJob);
    EXPECT_TRUE(atlasFromMemo(&gAtlas, &gSearch, memoStepBudget(gJob)))
        << moves.size() << " moves, the first "
        << (moves.empty() ? 0 : moves[0]);
    EXPECT_TRUE(gAtlas.countsKnown);
  }
}

}  // namespace
}  // namespace combo
