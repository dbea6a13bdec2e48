// link-chart: prints the link table that every combo starts from as a
// Markdown grid, the chart that README.md shows.
//
// One row for each move kind a link leaves, one column for each move kind it
// reaches, in move-number order; each axis names the move by its number, its
// menu name and its English gloss, and a "●" marks a link, self-links
// included. Everything comes from the engine's own tables (kInitialLinks,
// kMoveNames), so the chart cannot tell a different story from the program.
//
// The text is Shift_JIS, as the program's own: the names are written as the
// engine holds them. tests/link_chart.sh converts it to UTF-8 with iconv and
// compares it with the README, or writes it there with --update.
//
// Takes no arguments. Exit status 0 when everything is written; if standard
// output cannot be written, one line on standard error
// ("link-chart: write error: No space left on device") and status 2.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "link_table.h"

namespace {

using combo::kFirstMove;
using combo::kLastMove;

// "from ↓ to →", the corner cell.
constexpr char kCorner[] = "from \x81\xab to \x81\xa8";
// "●", a link.
constexpr char kLinkMark[] = "\x81\x9c";

// Prints the cell text that names move k: "1 空中浮き<br>air float".
void printMove(int32_t k) {
  const combo::MoveName& name = combo::kMoveNames[k - 1];
  std::printf("%d %s<br>%s", static_cast<int>(k), name.menuName, name.gloss);
}

void printHeader() {
  std::printf("| %s |", kCorner);
  for (int32_t to = kFirstMove; to <= kLastMove; ++to) {
    std::printf(" ");
    printMove(to);
    std::printf(" |");
  }
  std::printf("\n|---|");
  for (int32_t to = kFirstMove; to <= kLastMove; ++to) std::printf(":-:|");
  std::printf("\n");
}

// Prints the row of the links that leave move `from`.
void printRow(int32_t from) {
  std::printf("| ");
  printMove(from);
  std::printf(" |");
  for (int32_t to = kFirstMove; to <= kLastMove; ++to) {
    bool linked = combo::isLinkOpen(combo::kInitialLinks, from, to);
    std::printf(" %s |", linked ? kLinkMark : " ");
  }
  std::printf("\n");
}

}  // namespace

int main() {
  printHeader();
  for (int32_t from = kFirstMove; from <= kLastMove; ++from) printRow(from);
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "link-chart: write error: %s\n", std::strerror(errno));
    return 2;
  }
  return 0;
}
