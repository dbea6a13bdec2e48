#include "link_table.h"

namespace combo {

void resetLinks(LinkTable* table) { *table = kInitialLinks; }

FollowUps openFollowUps(const LinkTable& table, int32_t k) {
  FollowUps result = {};
  const LinkRow& row = table.rows[k - 1];
  for (int32_t j = kFirstMove; j <= kLastMove; ++j) {
    if (row.entries[j] != 0) result.moves[result.count++] = row.entries[j];
  }
  return result;
}

bool isLinkOpen(const LinkTable& table, int32_t k, int32_t j) {
  return table.rows[k - 1].entries[j] != 0;
}

void closeLink(LinkTable* table, int32_t k, int32_t j) {
  table->rows[k - 1].entries[j] = 0;
}

}  // namespace combo
