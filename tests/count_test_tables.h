// Tables for the tests of the counting modules, and the plain enumeration
// of every complete combo that their counts are checked against.

#ifndef COMBO_TESTS_COUNT_TEST_TABLES_H_
#define COMBO_TESTS_COUNT_TEST_TABLES_H_

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "big_count.h"
#include "link_table.h"

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

// Walks every complete combo from a move, one by one, and counts them.
struct PlainEnumeration {
  int32_t links[9][9];
  uint64_t combos = 0;

  void walk(int32_t move) {
    bool ended = true;
    for (int32_t j = 1; j <= 8; ++j) {
      if (links[move][j] == 0) continue;
      ended = false;
      links[move][j] = 0;
      walk(j);
      links[move][j] = j;
    }
    if (ended) ++combos;
  }
};

inline uint64_t enumerateCombos(const LinkTable& table, int32_t starter) {
  PlainEnumeration plain = {};
  for (int32_t k = 1; k <= 8; ++k) {
    for (int32_t j = 0; j <= 8; ++j) {
      plain.links[k][j] = table.rows[k - 1].entries[j];
    }
  }
  plain.walk(starter);
  return plain.combos;
}

inline std::string decimal(const BigCount& value) {
  char text[kBigCountTextSize];
  formatBigCount(value, text);
  return text;
}

}  // namespace testing_tables
}  // namespace combo

#endif  // COMBO_TESTS_COUNT_TEST_TABLES_H_
