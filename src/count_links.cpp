#include "count_links.h"

namespace combo {

uint64_t linksOfTable(const LinkTable& table) {
  uint64_t links = 0;
  for (int32_t k = kFirstMove; k <= kLastMove; ++k) {
    for (int32_t j = kFirstMove; j <= kLastMove; ++j) {
      if (table.rows[k - 1].entries[j] != 0) links |= linkBitOf(k, j);
    }
  }
  return links;
}

uint64_t linksReachableFrom(uint64_t links, int32_t starter) {
  // The reached moves as eight bits, grown until no link adds one.
  uint32_t reached = 1u << (starter - 1);
  uint32_t before;
  do {
    before = reached;
    for (int32_t k = kFirstMove; k <= kLastMove; ++k) {
      if ((reached >> (k - 1) & 1u) != 0) reached |= linksLeaving(links, k);
    }
  } while (reached != before);
  uint64_t usable = 0;
  for (int32_t k = kFirstMove; k <= kLastMove; ++k) {
    if ((reached >> (k - 1) & 1u) != 0) {
      usable |= uint64_t{linksLeaving(links, k)} << (8 * (k - 1));
    }
  }
  return usable;
}

}  // namespace combo
