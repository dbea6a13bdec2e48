// The baseline that combo-atlas is measured against: the same atlas, worked
// out by a plain depth-first search that walks every complete combo one by
// one over the link table held as a 9x9 array of integers, closing a link on
// the way down and opening it again on the way back.
//
// Its output must equal combo-atlas's byte for byte; run.sh checks that.
#include <cstdint>
#include <cstdio>

#include "link_table.h"

namespace {

// Row k, entry j: j while the link from k to j is open, 0 otherwise. Row 0
// and column 0 stay 0.
int32_t gLinks[9][9];

struct Search {
  int32_t path[40];  // the combo so far; a combo has at most 32 moves
  unsigned long long combos;
  int32_t shortest;
  int32_t longest;
  int32_t example[40];
};

Search gSearch;

// Walks every combo that continues the first `length` moves of the path.
// Follow-ups are tried in ascending order, so the first combo found of a new
// greatest length is the first of that length in ascending order.
void walk(int32_t move, int32_t length) {
  bool ended = true;
  for (int32_t j = 1; j <= 8; ++j) {
    if (gLinks[move][j] == 0) continue;
    ended = false;
    gLinks[move][j] = 0;
    gSearch.path[length] = j;
    walk(j, length + 1);
    gLinks[move][j] = j;
  }
  if (!ended) return;
  ++gSearch.combos;
  if (length < gSearch.shortest) gSearch.shortest = length;
  if (length > gSearch.longest) {
    gSearch.longest = length;
    for (int32_t i = 0; i < length; ++i) gSearch.example[i] = gSearch.path[i];
  }
}

}  // namespace

int main() {
  // The table comes from the program's own link table code, not a copy.
  combo::LinkTable table;
  combo::resetLinks(&table);
  for (int32_t k = 1; k <= 8; ++k) {
    for (int32_t j = 0; j <= 8; ++j) {
      gLinks[k][j] = table.rows[k - 1].entries[j];
    }
  }
  std::printf("starter\tcombos\tshortest\tlongest\tlongest_example\n");
  for (int32_t starter = 1; starter <= 8; ++starter) {
    gSearch = Search{};
    gSearch.shortest = 1000;
    gSearch.path[0] = starter;
    walk(starter, 1);
    std::printf("%d\t%llu\t%d\t%d\t", static_cast<int>(starter), gSearch.combos,
                static_cast<int>(gSearch.shortest),
                static_cast<int>(gSearch.longest));
    for (int32_t i = 0; i < gSearch.longest; ++i) {
      std::printf(i > 0 ? ",%d" : "%d", static_cast<int>(gSearch.example[i]));
    }
    std::printf("\n");
  }
  return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 2;
}
