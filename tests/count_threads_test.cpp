// The exact count on threads: the same counts as on one, progress that
// reaches every unit, and a stop that ends the run early.
#include "count_threads.h"

#include <gtest/gtest.h>

#include "count_test_tables.h"

namespace combo {
namespace {

using testing_tables::completeTable;
using testing_tables::decimal;
using testing_tables::gameTable;

TEST(RunExactCount, TwoThreadsCountTheGamesTable) {
  ExactCountJob job;
  planStarterCounts(gameTable(), &job);
  BigCount counts[kMaxCountQueries];
  runExactCount(job, 2, counts);
  const char* const want[] = {"8199578", "3403277", "3896474", "10135517",
                              "7527980", "496338",  "217504",  "616962"};
  for (int32_t q = 0; q < 8; ++q) EXPECT_EQ(decimal(counts[q]), want[q]);
}

TEST(CountRun, ReportsEveryUnitDone) {
  ExactCountJob job;
  planStarterCounts(completeTable(5), &job);
  CountRun run;
  startCountRun(&run, &job, 3);
  BigCount counts[kMaxCountQueries];
  ASSERT_TRUE(finishCountRun(&run, counts));
  EXPECT_EQ(countUnitsDone(run), job.unitCount);
  // Every link among 1 to 5, from a move of them; counted by one thread.
  EXPECT_EQ(decimal(counts[0]), decimal(countCombos(completeTable(5), 1)));
  EXPECT_EQ(decimal(counts[7]), "1");
}

TEST(CountRun, StopsBeforeTheEnd) {
  // About 1 300 units of about 30 ms each: far more than a stop lets run.
  ExactCountJob job;
  planStarterCounts(completeTable(8), &job);
  CountRun run;
  startCountRun(&run, &job, 2);
  stopCountRun(&run);
  BigCount counts[kMaxCountQueries] = {};
  EXPECT_FALSE(finishCountRun(&run, counts));
  EXPECT_LT(countUnitsDone(run), job.unitCount);
  EXPECT_EQ(decimal(counts[0]), "0");  // unchanged
}

TEST(CountThreadsAvailable, IsAtLeastOne) {
  EXPECT_GE(countThreadsAvailable(), 1);
  EXPECT_LE(countThreadsAvailable(), kMaxCountThreads);
}

}  // namespace
}  // namespace combo
