// A straightforward rendering of combo's dialogue with the C library's
// formatted input and output: scanf("%d") for every answer, printf and puts
// for every text. The benchmark runs it beside combo as the yardstick of
// "the obvious program"; on legal play its output is byte for byte the same.
//
// It does only what legal play needs: a number outside 0 to 8 is not
// checked, and unreadable input or the end of input ends it with status 1.

#include <cstdio>
#include <cstring>

#include "combo_dialogue.h"
#include "link_table.h"

int main() {
  int links[9][9];
  int path[50];
  for (;;) {
    std::memset(path, 0, sizeof path);
    int length = 0;
    for (int k = 1; k <= 8; ++k) {
      for (int j = 0; j <= 8; ++j) {
        links[k][j] = combo::kInitialLinks.rows[k - 1].entries[j];
      }
    }
    std::puts(combo::kMenuLine1);
    std::puts(combo::kMenuLine2);
    std::printf("%s", combo::kStarterPrompt);
    if (std::scanf("%d", &path[0]) != 1) return 1;
    if (path[0] != 0) {
      int current = path[0];
      length = 1;
      for (;;) {
        int listed = 0;
        for (int j = 1; j <= 8; ++j) {
          if (links[current][j] != 0) {
            std::printf("%d,", links[current][j]);
            ++listed;
          }
        }
        if (listed == 0) {
          std::printf("%s\n", combo::kNoMoreLinks);
          break;
        }
        std::printf("%s", combo::kCanFollow);
        std::printf("%s", combo::kNextMovePrompt);
        int choice = 0;
        if (std::scanf("%d", &choice) != 1) return 1;
        if (links[current][choice] != 0) {
          path[length++] = choice;
          links[current][choice] = 0;
          current = choice;
        } else {
          std::printf("%s", combo::kImpossible);
        }
      }
    }
    std::printf("\n");
    for (int i = 0; i < length; ++i) std::printf("%d,", path[i]);
    std::printf("%d%s", length, combo::kChainLengthTail);
    std::printf("%s", combo::kReplayPrompt);
    int answer = 0;
    if (std::scanf("%d", &answer) != 1) return 1;
    if (answer == 0) return 0;
  }
}
