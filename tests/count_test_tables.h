// Tables for the tests of the counting modules, and the count of the plain
// enumeration of every complete combo (reference_walk.h) that their counts
// are checked against.

#ifndef COMBO_TESTS_COUNT_TEST_TABLES_H_
#define COMBO_TESTS_COUNT_TEST_TABLES_H_

#include <cstdint>
#include <string>

#include "atlas_tables.h"
#include "big_count.h"
#include "link_table.h"
#include "reference_walk.h"

namespace combo {
namespace testing_tables {

using ::combo::completeTable;
using ::combo::gameTable;
using ::combo::Link;
using ::combo::randomTable;
using ::combo::tableOf;

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
