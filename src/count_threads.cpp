#include "count_threads.h"

namespace combo {
namespace {

// One thread's work: units from the shared counter until there are none
// left or the run is stopped.
// Its workspace is on its own stack, of megabytes on Linux and Windows.
void workOn(CountRun* run, int32_t index) {
  const ExactCountJob& job = *run->job;
  CountSums& sums = run->sums[index];
  CountWorkspace workspace;
  while (!run->stop.load(std::memory_order_relaxed)) {
    int64_t unit = run->nextUnit.fetch_add(1, std::memory_order_relaxed);
    if (unit >= job.unitCount) break;
    addCountUnit(job, unit, evaluateCountUnit(job, unit, &workspace), &sums);
    run->unitsDone.fetch_add(1, std::memory_order_release);
  }
}

}  // namespace

int32_t countThreadsAvailable() {
  unsigned cores = std::thread::hardware_concurrency();
  if (cores == 0) return 1;
  if (cores > static_cast<unsigned>(kMaxCountThreads)) return kMaxCountThreads;
  return static_cast<int32_t>(cores);
}

void startCountRun(CountRun* run, const ExactCountJob* job, int32_t threads) {
  run->job = job;
  run->threadCount = threads;
  run->nextUnit.store(0);
  run->unitsDone.store(0);
  run->stop.store(false);
  for (int32_t i = 0; i < threads; ++i) {
    run->sums[i] = {};
    run->threads[i] = std::thread(workOn, run, i);
  }
}

int64_t countUnitsDone(const CountRun& run) {
  return run.unitsDone.load(std::memory_order_acquire);
}

void stopCountRun(CountRun* run) { run->stop.store(true); }

bool finishCountRun(CountRun* run, BigCount* counts) {
  for (int32_t i = 0; i < run->threadCount; ++i) run->threads[i].join();
  const ExactCountJob& job = *run->job;
  if (run->unitsDone.load() != job.unitCount) return false;
  CountSums total = {};
  for (int32_t i = 0; i < run->threadCount; ++i) {
    mergeCountSums(job, run->sums[i], &total);
  }
  for (int32_t q = 0; q < job.queryCount; ++q) {
    counts[q] = finishCount(job, total, q);
  }
  return true;
}

void runExactCount(const ExactCountJob& job, int32_t threads,
                   BigCount* counts) {
  static_assert(sizeof(CountRun) < 8192, "a CountRun fits on the stack");
  CountRun run;
  startCountRun(&run, &job, threads);
  finishCountRun(&run, counts);
}

}  // namespace combo
