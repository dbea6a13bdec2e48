// Times the exact count (exact_count.h, on the threads of count_threads.h)
// and the instant bounds (count_bounds.h) on the tables the goals name: the
// game's, random tables of 32 and of 40 links, and the table of all 64
// links, on 1 and on 2 threads. Prints one line a run: the wall-clock time,
// the processor time of all threads together (which a busy machine inflates
// less), and the goal for that size of table. Checks the game's counts
// against README.md's: exit status 1 if they differ.
//
// Usage: count_bench [TABLE...]   TABLE: game, random28, random32,
//                                 random40, complete, estimate (all by
//                                 default)
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "count_bounds.h"
#include "count_threads.h"
#include "exact_count.h"

namespace combo {
namespace {

// `count` distinct links of the 64, uniformly at random from a seed.
LinkTable randomTable(uint64_t seed, int32_t count) {
  int32_t order[64];
  for (int32_t i = 0; i < 64; ++i) order[i] = i;
  for (int32_t i = 0; i < count; ++i) {  // Fisher-Yates, the first `count`
    seed = seed * 6364136223846793005u + 1442695040888963407u;
    int32_t pick = i + static_cast<int32_t>((seed >> 33) % (64 - i));
    int32_t swap = order[i];
    order[i] = order[pick];
    order[pick] = swap;
  }
  LinkTable table = {};
  for (int32_t i = 0; i < count; ++i) {
    int32_t from = order[i] / 8 + 1, to = order[i] % 8 + 1;
    table.rows[from - 1].entries[to] = to;
  }
  return table;
}

LinkTable completeTable() {
  LinkTable table = {};
  for (LinkRow& row : table.rows) {
    for (int32_t j = 1; j <= 8; ++j) row.entries[j] = j;
  }
  return table;
}

int32_t linkCount(const LinkTable& table) {
  int32_t count = 0;
  for (const LinkRow& row : table.rows) {
    for (int32_t j = 1; j <= 8; ++j) count += row.entries[j] != 0;
  }
  return count;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
      .count();
}

// Counts from every starter of table on 1 and on 2 threads and prints a line
// for each. Returns false if the game's counts come out wrong.
bool timeCount(const char* name, const LinkTable& table, double goal,
               bool isGame) {
  static ExactCountJob job;
  planStarterCounts(table, &job);
  bool right = true;
  for (int32_t threads = 1; threads <= 2; ++threads) {
    BigCount counts[kMaxCountQueries];
    std::clock_t cpuStart = std::clock();
    auto start = std::chrono::steady_clock::now();
    runExactCount(job, threads, counts);
    double wall = secondsSince(start);
    double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    char largest[kBigCountTextSize] = "0";
    for (const BigCount& count : counts) {
      char text[kBigCountTextSize];
      formatBigCount(count, text);
      if (std::strlen(text) > std::strlen(largest) ||
          (std::strlen(text) == std::strlen(largest) &&
           std::strcmp(text, largest) > 0)) {
        std::strcpy(largest, text);
      }
    }
    std::printf("%-18s %5d %6lld %10lld %7d %8.2f %8.2f  ", name,
                linkCount(table), static_cast<long long>(job.unitCount),
                static_cast<long long>(job.pointCount), threads, wall, cpu);
    if (threads == 2 && goal > 0) {
      std::printf("%-6s goal %-4g s", wall <= goal ? "met" : "MISSED", goal);
    } else {
      std::printf("%-18s", "");
    }
    std::printf("  largest %s\n", largest);
    if (isGame) {
      const uint64_t readme[] = {8199578, 3403277, 3896474, 10135517,
                                 7527980, 496338,  217504,  616962};
      for (int32_t q = 0; q < 8; ++q) {
        if (counts[q] != bigCountOf(readme[q])) right = false;
      }
    }
  }
  return right;
}

void timeEstimate(const char* name, const LinkTable& table) {
  static BoundsWorkspace workspace;
  auto start = std::chrono::steady_clock::now();
  for (int32_t starter = 1; starter <= 8; ++starter) {
    estimateCombos(table, starter, kBoundWalks, kBoundSeed, &workspace);
  }
  double wall = secondsSince(start);
  std::printf("%-18s %5d  bounds for 8 starters, %d walks each: %6.1f ms\n",
              name, linkCount(table), kBoundWalks, wall * 1000);
}

bool wanted(int argc, char** argv, const char* name) {
  if (argc <= 1) return true;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], name) == 0) return true;
  }
  return false;
}

}  // namespace
}  // namespace combo

int main(int argc, char** argv) {
  using namespace combo;
  bool right = true;
  std::printf("%-18s %5s %6s %10s %7s %8s %8s\n", "table", "links", "units",
              "points", "threads", "wall_s", "cpu_s");
  LinkTable game;
  resetLinks(&game);
  // The game's table has no goal of its own here: combo-atlas keeps its
  // memo of states for it, as for every table small enough.
  if (wanted(argc, argv, "game")) right = timeCount("game", game, 0, true);
  if (wanted(argc, argv, "random28")) {
    for (uint64_t seed = 1; seed <= 3; ++seed) {
      char name[32];
      std::snprintf(name, sizeof name, "random28 seed %d",
                    static_cast<int>(seed));
      timeCount(name, randomTable(seed, 28), 0.2, false);
    }
  }
  if (wanted(argc, argv, "random32")) {
    for (uint64_t seed = 1; seed <= 3; ++seed) {
      char name[32];
      std::snprintf(name, sizeof name, "random32 seed %d",
                    static_cast<int>(seed));
      timeCount(name, randomTable(seed, 32), 5, false);
    }
  }
  if (wanted(argc, argv, "random40")) {
    for (uint64_t seed = 1; seed <= 3; ++seed) {
      char name[32];
      std::snprintf(name, sizeof name, "random40 seed %d",
                    static_cast<int>(seed));
      timeCount(name, randomTable(seed, 40), 15, false);
    }
  }
  if (wanted(argc, argv, "complete")) {
    timeCount("complete", completeTable(), 60, false);
  }
  if (wanted(argc, argv, "estimate")) {
    timeEstimate("game", game);
    timeEstimate("random40 seed 1", randomTable(1, 40));
    timeEstimate("complete", completeTable());
  }
  if (!right) {
    std::printf("FAIL: the game's counts differ from README.md's\n");
    return 1;
  }
  return 0;
}
