// Tables for the tests of the counting modules, and the count of the plain
// enumeration of every complete combo (reference_walk.h) that their counts
// are checked against.

#ifndef COMBO_TESTS_COUNT_TEST_TABLES_H_
#define COMBO_TESTS_COUNT_TEST_TABLES_H_

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "big_count.h"
#include "link_table.h"
#include "reference_walk.h"

namespace combo {
namespace testing_tables {

using Link = std::pair<int32_t, int32_t>;  // {from, to}

inline LinkTable tableOf(const std::vector<Link>& links) {
  LinkTable table = {};
  for (const Link& link : links) {
    table.rows[link.first - 1].entries[link.second] = link.second;
  }
  return table;
}

inline LinkTable gameTable() {
  LinkTable table;
  resetLinks(&table);
  return table;
}

// Every link among the moves 1 to kinds, self-links included.
inline LinkTable completeTable(int32_t kinds) {
  std::vector<Link> links;
  for (int32_t k = 1; k <= kinds; ++k) {
    for (int32_t j = 1; j <= kinds; ++j) links.push_back({k, j});
  }
  return tableOf(links);
}

// `count` distinct links picked by a fixed pseudo-random sequence.
inline LinkTable randomTable(uint32_t seed, int32_t count) {
  LinkTable table = {};
  for (int32_t placed = 0; placed < count;) {
    seed = seed * 1664525u + 1013904223u;
    int32_t from = static_cast<int32_t>(seed >> 29) + 1;
    int32_t to = static_cast<int32_t>((seed >> 26) & 7u) + 1;
    if (table.rows[from - 1].entries[to] != 0) continue;
    table.rows[from - 1].entries[to] = to;
    ++placed;
  }
  return table;
}

// The number of complete combos from starter, by the reference walk of
// every combo one by one (reference_walk.h).
// REQUIRES: 1 <= starter <= 8; not called from two threads at once.
inline uint64_t enumerateCombos(const LinkTable& table, int32_t starter) {
  static ReferenceWalk walk;  // about 20 KiB: off the stack
  startReferenceWalk(&walk, table);
  return walkFromStarter(&walk, starter).combos;
}

inline std::string decimal(const BigCount& value) {
  char text[kBigCountTextSize];
  formatBigCount(value, text);
  return text;
}

}  // namespace testing_tables
}  // namespace combo

#endif  // COMBO_TESTS_COUNT_TEST_TABLES_H_
