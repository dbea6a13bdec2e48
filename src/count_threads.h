// Runs the units of an exact count (exact_count.h) on several threads, and
// lets the caller watch and stop them without being called back: it starts
// the run, then polls how many units are done, as often as it likes, from
// its own thread (to draw progress, to notice Ctrl-C), and stops the run or
// waits for its end.
//
// The threads take the units one at a time, in order, from a shared
// counter, and each adds its results to sums of its own; the sums are
// joined at the end, so nothing is shared while they work but two atomic
// counters and the stop flag. A stop takes effect between units: within
// one unit's time (kCountUnitPoints points, about 30 ms).
//
// std::thread is the only thing here that allocates (each thread's start).

#ifndef COMBO_COUNT_THREADS_H_
#define COMBO_COUNT_THREADS_H_

#include <atomic>
#include <cstdint>
#include <thread>

#include "big_count.h"
#include "exact_count.h"

namespace combo {

inline constexpr int32_t kMaxCountThreads = 16;

// One run of a job on threads. Not copyable; start it, then poll it, then
// finish it, which it must be before it is destroyed or started again.
struct CountRun {
  const ExactCountJob* job;
  int32_t threadCount;
  std::thread threads[kMaxCountThreads];
  CountSums sums[kMaxCountThreads];  // each thread's own
  std::atomic<int64_t> nextUnit;
  std::atomic<int64_t> unitsDone;
  std::atomic<bool> stop;
};

// Returns the number of threads worth starting on this machine: the cores
// the system reports, 1 if it reports none, at most kMaxCountThreads.
int32_t countThreadsAvailable();

// Starts evaluating every unit of *job on `threads` threads and returns at
// once. *job must stay unchanged until finishCountRun returns.
// REQUIRES: job planned; 1 <= threads <= kMaxCountThreads; *run not started
// or finished.
void startCountRun(CountRun* run, const ExactCountJob* job, int32_t threads);

// Returns how many units are done, 0 to job->unitCount. Safe to call from
// any thread at any time while the run is started.
int64_t countUnitsDone(const CountRun& run);

// Asks the threads to stop after the unit each is working on. Safe to call
// from any thread, more than once. (From a signal handler, set a flag of
// your own instead, and call this from the thread that polls.)
void stopCountRun(CountRun* run);

// Waits for every thread to end. Returns true, with the count of each query
// q of the job in counts[q], if every unit was done; false, with counts
// unchanged, if the run was stopped first.
// REQUIRES: startCountRun(run, ...) was called; counts has room for
// job->queryCount counts.
bool finishCountRun(CountRun* run, BigCount* counts);

// Starts, waits and finishes: every unit of job on `threads` threads.
// Returns the counts of every query in counts[0..job.queryCount).
// REQUIRES: job planned; 1 <= threads <= kMaxCountThreads.
void runExactCount(const ExactCountJob& job, int32_t threads, BigCount* counts);

}  // namespace combo

#endif  // COMBO_COUNT_THREADS_H_
