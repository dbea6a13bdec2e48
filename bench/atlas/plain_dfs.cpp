// The baseline that combo-atlas is measured against: the same atlas, worked
// out by the plain depth-first walk of every complete combo that the tests
// check the atlas against (tests/reference_walk.h), over the link table held
// as a 9x9 array of integers.
//
// Its output must equal combo-atlas's byte for byte; run.sh checks that.
#include <cstdint>
#include <cstdio>

#include "link_table.h"
#include "reference_walk.h"

namespace {

combo::ReferenceWalk gWalk;  // about 20 KiB: off the stack

}  // namespace

int main() {
  // The table comes from the program's own link table code, not a copy.
  combo::LinkTable table;
  combo::resetLinks(&table);
  combo::startReferenceWalk(&gWalk, table);
  std::printf("starter\tcombos\tshortest\tlongest\tlongest_example\n");
  for (int32_t starter = combo::kFirstMove; starter <= combo::kLastMove;
       ++starter) {
    combo::WalkFigures figures = combo::walkFromStarter(&gWalk, starter);
    std::printf("%d\t%llu\t%d\t%d\t", static_cast<int>(starter),
                static_cast<unsigned long long>(figures.combos),
                static_cast<int>(figures.shortest),
                static_cast<int>(figures.longest));
    for (int32_t i = 0; i < figures.longest; ++i) {
      std::printf(i > 0 ? ",%d" : "%d", static_cast<int>(figures.example[i]));
    }
    std::printf("\n");
  }
  return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 2;
}
