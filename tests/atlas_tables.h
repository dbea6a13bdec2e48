// Link tables for the tests of the atlas, its searches and its counts: a
// table from a list of links, the game's table whole or with some links
// left out, every link among the first kinds, a pseudo-random table, and
// small tables whose every complete combo is listed here by hand.

#ifndef COMBO_ATLAS_TABLES_H_
#define COMBO_ATLAS_TABLES_H_

#include <cstdint>
#include <utility>
#include <vector>

#include "link_table.h"

namespace combo {

using Link = std::pair<int32_t, int32_t>;  // {from, to}

// The table with exactly these links open.
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
// REQUIRES: 0 <= count <= 64.
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

// The game's table without the links that fail keep(from, to).
template <typename Keep>
LinkTable gameTableWhere(Keep keep) {
  LinkTable table;
  resetLinks(&table);
  for (int32_t k = 1; k <= 8; ++k) {
    for (int32_t j = 1; j <= 8; ++j) {
      if (!keep(k, j)) table.rows[k - 1].entries[j] = 0;
    }
  }
  return table;
}

// Small tables, small enough to list every combo by hand.
//
// A spin loop: 1->2, 2->1, 2->2, 2->3.
//   from 1: 1,2,1  1,2,2,1  1,2,2,3  1,2,3
//   from 2: 2,1,2,2,3  2,1,2,3  2,2,1,2,3  2,2,3  2,3
// Two longest combos from 2 tie; 2,1,... comes before 2,2,... .
inline const std::vector<Link> kSpinLoop = {{1, 2}, {2, 1}, {2, 2}, {2, 3}};
// A detour: 1->2, 1->3, 3->4, 4->1. The smallest follow-up of 1, 2, ends
// the combo at once; the longest combo has to go round by 3 first.
//   from 1: 1,2  1,3,4,1,2
//   from 3: 3,4,1,2  3,4,1,3
//   from 4: 4,1,2  4,1,3,4
inline const std::vector<Link> kDetour = {{1, 2}, {1, 3}, {3, 4}, {4, 1}};
// A table made to have ties: from 2, three ways (3, 4, 5), of which 3 ends
// at once and 4 and 5 both lead to 6, and from 6 two ways to end (7, 8).
// So the longest combos through 2 tie twice over.
//   from 1: 1,2,3  1,2,4,6,7  1,2,4,6,8  1,2,5,6,7  1,2,5,6,8
inline const std::vector<Link> kTies = {{1, 2}, {2, 3}, {2, 4}, {2, 5},
                                        {4, 6}, {5, 6}, {6, 7}, {6, 8}};
// And a table with no link at all.
inline const std::vector<Link> kNoLinks = {};

}  // namespace combo

#endif  // COMBO_ATLAS_TABLES_H_
