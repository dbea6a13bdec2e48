#include "atlas_work.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "count_threads.h"

namespace combo {
namespace {

// The rows are shared among at most this many threads: there are at most 8.
constexpr int32_t kMaxRowThreads = kMoveKinds;

// How often the thread that waits for the count looks at its progress:
// often enough that a count of a few units ends without a noticeable wait.
constexpr auto kPollInterval = std::chrono::milliseconds(5);

AtlasSearch gSearch;  // 2 MiB
ExactCountJob gJob;
BoundsWorkspace gWorkspaces[kMaxRowThreads];  // one for each row thread
CountRun gRun;

// What each row needs done: its lengths, and with estimate its bounds.
struct RowWork {
  TableAtlas* atlas;
  bool estimate;
  std::atomic<int32_t> nextRow;
};

// One thread's share of the rows: the next row not taken, until none is
// left. Rows differ in cost, so they are taken one at a time.
void workOnRows(RowWork* work, int32_t thread) {
  for (;;) {
    int32_t r = work->nextRow.fetch_add(1);
    if (r >= work->atlas->rowCount) return;
    findTableRowLengths(work->atlas, r);
    if (work->estimate) estimateTableRow(work->atlas, r, &gWorkspaces[thread]);
  }
}

// Works out every row's lengths, and with estimate its bounds, on as many
// threads as there are cores (and rows), the calling thread one of them.
void workOnEveryRow(TableAtlas* atlas, bool estimate) {
  static RowWork work;
  work.atlas = atlas;
  work.estimate = estimate;
  work.nextRow.store(0);
  int32_t threads = countThreadsAvailable();
  if (threads > atlas->rowCount) threads = atlas->rowCount;
  if (threads > kMaxRowThreads) threads = kMaxRowThreads;
  std::thread others[kMaxRowThreads];
  for (int32_t t = 1; t < threads; ++t) {
    others[t] = std::thread(workOnRows, &work, t);
  }
  workOnRows(&work, 0);
  for (int32_t t = 1; t < threads; ++t) others[t].join();
  noteTableLengths(atlas);
  if (estimate) noteTableBounds(atlas);
}

// Runs the exact count planned in gJob on every core, showing its progress
// on *line, and hands the counts to *atlas.
void countOnThreads(TableAtlas* atlas, ProgressLine* line) {
  startCountRun(&gRun, &gJob, countThreadsAvailable());
  for (int64_t done = countUnitsDone(gRun); done < gJob.unitCount;
       done = countUnitsDone(gRun)) {
    showProgress(line, done, gJob.unitCount);
    std::this_thread::sleep_for(kPollInterval);
  }
  BigCount counts[kMaxCountQueries];
  // Cannot fail: the run was never stopped.
  finishCountRun(&gRun, counts);
  setTableCounts(atlas, counts);
}

}  // namespace

void figureAtlas(TableAtlas* atlas, bool estimate, ProgressLine* line) {
  if (estimate) {
    workOnEveryRow(atlas, true);
    return;
  }
  planTableCounts(*atlas, &gJob);
  if (!atlasFromMemo(atlas, &gSearch, memoStepBudget(gJob))) {
    workOnEveryRow(atlas, false);
  }
  if (!atlas->countsKnown) countOnThreads(atlas, line);
  eraseProgress(line);
}

}  // namespace combo
