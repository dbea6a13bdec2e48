// Times the longest, the first longest and the shortest for all 8 starters
// of one table (findLongestCombo and findShortestCombo with their default
// budgets) over many tables: for each count of links from 0 to 64, tables
// of exactly that many links picked at random by a fixed seed; then the
// complete table and the game's. A table's time is the least of a few runs,
// so that other work on a shared machine does not count.
//
// Prints, for each count of links, the median and the greatest time per
// table, and the most points visited and bound problems solved by one
// search; then over every table the median and the greatest time, the
// slowest table, how many answers were not exact, and what a table would
// take that spends every budget (no table tried does).
//
// Usage: lengths_bench [TABLES_PER_COUNT [SEED [RUNS]]]   (20, 1 and 3)
//
// The goal: every table within 50 ms for all 8 starters, and every answer
// exact. A miss is reported, and the exit status is then 1.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "combo_lengths.h"
#include "link_table.h"

namespace {

constexpr double kGoalMs = 50.0;
constexpr int64_t kManyProblems = 1000;

// splitmix64: the same tables from the same seed with every compiler and
// library, unlike the distributions of <random>.
uint64_t nextRandom(uint64_t* state) {
  uint64_t z = (*state += 0x9E3779B97F4A7C15u);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  return z ^ (z >> 31);
}

// A table of exactly count links out of the 64, each such set equally
// likely (the first count of a random shuffle).
combo::LinkTable randomTable(int32_t count, uint64_t* state) {
  int32_t order[64];
  for (int32_t i = 0; i < 64; ++i) order[i] = i;
  for (int32_t i = 63; i > 0; --i) {
    int32_t j = static_cast<int32_t>(nextRandom(state) % (i + 1));
    std::swap(order[i], order[j]);
  }
  combo::LinkTable table = {};
  for (int32_t i = 0; i < count; ++i) {
    int32_t k = order[i] / 8 + 1;
    int32_t j = order[i] % 8 + 1;
    table.rows[k - 1].entries[j] = j;
  }
  return table;
}

combo::LinkTable completeTable() {
  combo::LinkTable table = {};
  for (int32_t k = 1; k <= 8; ++k) {
    for (int32_t j = 1; j <= 8; ++j) table.rows[k - 1].entries[j] = j;
  }
  return table;
}

// What one table took, all 8 starters, both searches.
struct TableRun {
  double ms;
  // The time per bound problem solved, in us, on a table that solves at
  // least kManyProblems (on smaller ones the rest of the search counts).
  double usPerProblem;
  int64_t longestNodes;  // the most by one search
  int64_t shortestNodes;
  int64_t longestWork;
  int64_t shortestWork;
  int32_t inexact;  // answers that are ranges
};

TableRun runOnce(const combo::LinkTable& table) {
  TableRun run = {};
  int64_t problems = 0;
  auto start = std::chrono::steady_clock::now();
  for (int32_t starter = 1; starter <= 8; ++starter) {
    combo::LongestCombo longest = combo::findLongestCombo(table, starter);
    combo::ShortestCombo shortest = combo::findShortestCombo(table, starter);
    run.longestNodes = std::max(run.longestNodes, longest.nodes);
    run.shortestNodes = std::max(run.shortestNodes, shortest.nodes);
    run.longestWork = std::max(run.longestWork, longest.work);
    run.shortestWork = std::max(run.shortestWork, shortest.work);
    problems += longest.work + shortest.work;
    run.inexact += (longest.length.low != longest.length.high ? 1 : 0) +
                   (shortest.length.low != shortest.length.high ? 1 : 0);
  }
  auto end = std::chrono::steady_clock::now();
  run.ms = std::chrono::duration<double, std::milli>(end - start).count();
  run.usPerProblem = problems >= kManyProblems ? 1000 * run.ms / problems : 0;
  return run;
}

TableRun timeTable(const combo::LinkTable& table, int32_t runs) {
  TableRun best = runOnce(table);
  for (int32_t i = 1; i < runs; ++i) {
    TableRun again = runOnce(table);
    if (again.ms < best.ms) {
      best.ms = again.ms;
      best.usPerProblem = again.usPerProblem;
    }
  }
  return best;
}

// The most problems one search solves beyond a budget of nothing: it
// still finishes its first combo, and bounds the branches it leaves.
struct Overshoot {
  int64_t longest;
  int64_t shortest;
};

void addOvershoot(Overshoot* most, const combo::LinkTable& table) {
  for (int32_t starter = 1; starter <= 8; ++starter) {
    most->longest = std::max(most->longest,
                             combo::findLongestCombo(table, starter, 0).work);
    most->shortest = std::max(most->shortest,
                              combo::findShortestCombo(table, starter, 0).work);
  }
}

// The median of values; 0 if there are none.
double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The figures of a group of tables: one line of the report.
struct Group {
  std::vector<double> ms;
  std::vector<double> rates;  // usPerProblem, where there is one
  TableRun most;              // the greatest of each figure
};

void add(Group* group, const TableRun& run) {
  group->ms.push_back(run.ms);
  if (run.usPerProblem > 0) group->rates.push_back(run.usPerProblem);
  TableRun& most = group->most;
  most.ms = std::max(most.ms, run.ms);
  most.usPerProblem = std::max(most.usPerProblem, run.usPerProblem);
  most.longestNodes = std::max(most.longestNodes, run.longestNodes);
  most.shortestNodes = std::max(most.shortestNodes, run.shortestNodes);
  most.longestWork = std::max(most.longestWork, run.longestWork);
  most.shortestWork = std::max(most.shortestWork, run.shortestWork);
  most.inexact += run.inexact;
}

void printGroup(const char* name, const Group& group) {
  const TableRun& most = group.most;
  std::printf("%s\t%zu\t%.3f\t%.3f\t%lld/%lld\t%lld/%lld\n", name,
              group.ms.size(), median(group.ms), most.ms,
              static_cast<long long>(most.longestNodes),
              static_cast<long long>(most.shortestNodes),
              static_cast<long long>(most.longestWork),
              static_cast<long long>(most.shortestWork));
}

}  // namespace

int main(int argc, char** argv) {
  int32_t perCount = argc > 1 ? std::atoi(argv[1]) : 20;
  uint64_t seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
  int32_t runs = argc > 3 ? std::atoi(argv[3]) : 3;
  if (perCount < 1 || runs < 1) {
    std::fprintf(stderr,
                 "usage: lengths_bench [TABLES_PER_COUNT [SEED [RUNS]]]\n");
    return 2;
  }
  std::printf(
      "links\ttables\tmedian_ms\tmax_ms\tmax_nodes(longest/shortest)"
      "\tmax_work(longest/shortest)\n");
  Group all = {};
  Overshoot overshoot = {};
  double slowestMs = -1;
  char slowest[64] = "";
  for (int32_t count = 0; count <= 64; ++count) {
    uint64_t state = seed * 1000003u + static_cast<uint64_t>(count);
    Group group = {};
    for (int32_t i = 0; i < perCount; ++i) {
      combo::LinkTable table = randomTable(count, &state);
      TableRun run = timeTable(table, runs);
      addOvershoot(&overshoot, table);
      add(&group, run);
      add(&all, run);
      if (run.ms > slowestMs) {
        slowestMs = run.ms;
        std::snprintf(slowest, sizeof slowest, "%d links, table %d", count, i);
      }
    }
    char name[16];
    std::snprintf(name, sizeof name, "%d", count);
    printGroup(name, group);
  }
  combo::LinkTable game;
  combo::resetLinks(&game);
  struct Named {
    const char* name;
    combo::LinkTable table;
  };
  const Named named[] = {{"complete", completeTable()}, {"game", game}};
  for (const Named& n : named) {
    Group group = {};
    TableRun run = timeTable(n.table, runs);
    addOvershoot(&overshoot, n.table);
    add(&group, run);
    add(&all, run);
    printGroup(n.name, group);
    if (run.ms > slowestMs) {
      slowestMs = run.ms;
      std::snprintf(slowest, sizeof slowest, "the %s table", n.name);
    }
  }
  std::printf(
      "\n%zu tables, all 8 starters each, least of %d runs: "
      "median %.3f ms, max %.3f ms (%s)\n",
      all.ms.size(), runs, median(all.ms), slowestMs, slowest);
  std::printf(
      "one search: at most %lld/%lld points visited, "
      "%lld/%lld bound problems solved (longest/shortest)\n",
      static_cast<long long>(all.most.longestNodes),
      static_cast<long long>(all.most.shortestNodes),
      static_cast<long long>(all.most.longestWork),
      static_cast<long long>(all.most.shortestWork));
  std::printf("budgets: %lld/%lld bound problems; answers not exact: %d\n",
              static_cast<long long>(combo::kLongestWorkBudget),
              static_cast<long long>(combo::kShortestWorkBudget),
              all.most.inexact);
  // A table whose every search spends its budget, and then the most any
  // search did beyond a budget of nothing, at the median and the slowest
  // rate per problem of the tables that solve many.
  int64_t problems = 8 * (combo::kLongestWorkBudget + overshoot.longest +
                          combo::kShortestWorkBudget + overshoot.shortest);
  std::printf(
      "with no budget a search still solved at most %lld/%lld "
      "problems\n",
      static_cast<long long>(overshoot.longest),
      static_cast<long long>(overshoot.shortest));
  double medianRate = median(all.rates);
  std::printf(
      "us per problem on tables of %lld or more: median %.3f, "
      "max %.3f\n",
      static_cast<long long>(kManyProblems), medianRate, all.most.usPerProblem);
  std::printf(
      "a table spending every budget: %lld problems, %.1f ms at "
      "the median rate, %.1f ms at the slowest\n",
      static_cast<long long>(problems), problems * medianRate / 1000,
      problems * all.most.usPerProblem / 1000);
  bool met = slowestMs <= kGoalMs && all.most.inexact == 0;
  std::printf("goal (every table within %.0f ms, every answer exact): %s\n",
              kGoalMs, met ? "met" : "MISSED");
  return met ? 0 : 1;
}
