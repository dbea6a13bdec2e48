// The links of a table as one 64-bit set, as the counting modules
// (count_bounds, exact_count) work with them: bit 8 (k - 1) + (j - 1) stands
// for the link from move k to move j, so the links leaving move k are the
// eight bits from 8 (k - 1) on, with the following moves in ascending order.
// Self-links (k to k) are links like any other. Every table of the eight
// move kinds, up to all 64 links, fits.

#ifndef COMBO_COUNT_LINKS_H_
#define COMBO_COUNT_LINKS_H_

#include <cstdint>

#include "link_table.h"

namespace combo {

// Returns the bit of the link from move `from` to move `to`.
// REQUIRES: 1 <= from <= 8, 1 <= to <= 8.
constexpr uint64_t linkBitOf(int32_t from, int32_t to) {
  return uint64_t{1} << (8 * (from - 1) + (to - 1));
}

// Returns the set of the links leaving move `from` as eight bits: bit j - 1
// for the link to move j.
// REQUIRES: 1 <= from <= 8.
constexpr uint32_t linksLeaving(uint64_t links, int32_t from) {
  return static_cast<uint32_t>(links >> (8 * (from - 1))) & 0xFFu;
}

// Returns the open links of table: entry j of row k not 0 is a link from k
// to j. Entry 0 of each row is ignored.
uint64_t linksOfTable(const LinkTable& table);

// Returns the links that some combo from starter can use: those leaving a
// move that can be reached from starter (starter itself included). The
// others never change a count from starter.
// REQUIRES: 1 <= starter <= 8.
uint64_t linksReachableFrom(uint64_t links, int32_t starter);

}  // namespace combo

#endif  // COMBO_COUNT_LINKS_H_
