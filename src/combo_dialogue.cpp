#include "combo_dialogue.h"

#include <cstdio>
#include <cstring>

#include "link_table.h"

namespace combo {
namespace {

// What asking for an answer gave: an answer, or the end of the dialogue.
enum class Asked { kAnswer, kEnd };

bool isMoveOrNone(int32_t number) { return number >= 0 && number <= 8; }

// Writes the starter prompt and reads until a starter from 0 to 8 arrives;
// anything else is answered with the no-such-move message.
Asked askStarter(Console* console, int32_t* starter) {
  for (;;) {
    writeText(console, kStarterPrompt);
    ReadResult read = readNumber(console, starter);
    if (read == ReadResult::kEnd) return Asked::kEnd;
    if (read == ReadResult::kNumber && isMoveOrNone(*starter)) {
      return Asked::kAnswer;
    }
    writeText(console, kNoSuchMove);
  }
}

// Move numbers are single digits, so "%d," is the digit and a comma.
static_assert(kLastMove <= 9, "a move number is one digit");

// Writes "%d," for each open follow-up of move and returns how many. The
// listing is put together here and written in one piece; the loop fills all
// eight slots, used or not, a fixed count that the compiler unrolls.
int32_t writeListing(Console* console, const LinkTable& links, int32_t move) {
  FollowUps open = openFollowUps(links, move);
  char listing[2 * kMoveKinds];
  for (int32_t i = 0; i < kMoveKinds; ++i) {
    int32_t listed = i < open.count ? open.moves[i] : 0;
    listing[2 * i] = static_cast<char>('0' + listed);
    listing[2 * i + 1] = ',';
  }
  writePrefix(console, listing, 2 * static_cast<std::size_t>(open.count));
  return open.count;
}

// Takes follow-ups from *path's starter until its current move has no open
// link left. *length counts the moves, the starter included.
Asked buildChain(Console* console, LinkTable* links, ComboPath* path,
                 int32_t* length) {
  int32_t current = path->moves[0];
  *length = 1;
  while (writeListing(console, *links, current) > 0) {
    writeText(console, kCanFollow);
    writeText(console, kNextMovePrompt);
    int32_t choice = 0;
    ReadResult read = readNumber(console, &choice);
    if (read == ReadResult::kEnd) return Asked::kEnd;
    if (read != ReadResult::kNumber || !isMoveOrNone(choice)) {
      writeText(console, kNoSuchMove);
    } else if (!isLinkOpen(*links, current, choice)) {
      writeText(console, kImpossible);
    } else {
      path->moves[(*length)++] = choice;
      closeLink(links, current, choice);
      current = choice;
    }
  }
  writeText(console, kNoMoreLinks);
  writeText(console, "\n");
  return Asked::kAnswer;
}

// Writes the chain and its length: "\n8,7,6,7,4+1Zorvです。\n\n". The line
// break and the chain are put together here and written in one piece.
void writeSummary(Console* console, const ComboPath& path, int32_t length) {
  char chain[1 + 2 * kComboPathSlots];
  chain[0] = '\n';
  for (int32_t i = 0; i < length; ++i) {
    chain[1 + 2 * i] = static_cast<char>('0' + path.moves[i]);
    chain[2 + 2 * i] = ',';
  }
  writePrefix(console, chain, 1 + 2 * static_cast<std::size_t>(length));
  writeNumber(console, length);
  writeText(console, kChainLengthTail);
}

// Plays one combo from the menu to the summary.
Asked playCombo(Console* console, LinkTable* links, ComboPath* path) {
  std::memset(path, 0, sizeof *path);
  int32_t length = 0;
  resetLinks(links);
  writeText(console, kMenuLine1);
  writeText(console, "\n");
  writeText(console, kMenuLine2);
  writeText(console, "\n");
  if (askStarter(console, &path->moves[0]) == Asked::kEnd) return Asked::kEnd;
  if (path->moves[0] != 0 &&
      buildChain(console, links, path, &length) == Asked::kEnd) {
    return Asked::kEnd;
  }
  writeSummary(console, *path, length);
  return Asked::kAnswer;
}

// Writes the replay prompt and reads an answer; unreadable input is answered
// with the prompt again.
Asked askReplay(Console* console, int32_t* answer) {
  for (;;) {
    writeText(console, kReplayPrompt);
    ReadResult read = readNumber(console, answer);
    if (read == ReadResult::kEnd) return Asked::kEnd;
    if (read == ReadResult::kNumber) return Asked::kAnswer;
  }
}

// Flushes the output and turns the way the dialogue ended into its status.
int finish(Console* console, int status) {
  return finishOutput(console) ? status : kStatusOutputFailed;
}

}  // namespace

int runDialogue() {
  // Static storage: zero-initialised at load time, and off the stack.
  static Console console;
  openFileConsole(&console, 0, 1);
  int status = runDialogue(&console);
  returnUnusedInput(&console);
  if (console.writeError != 0) {
    std::fprintf(stderr, "combo: write error: %s\n",
                 std::strerror(console.writeError));
  } else if (console.readError != 0) {
    std::fprintf(stderr, "combo: read error: %s\n",
                 std::strerror(console.readError));
  }
  return status;
}

int runDialogue(Console* console) {
  LinkTable links;
  ComboPath path;
  for (;;) {
    int32_t answer = 0;
    if (playCombo(console, &links, &path) == Asked::kEnd ||
        askReplay(console, &answer) == Asked::kEnd) {
      // Leave the console on a fresh line.
      writeText(console, "\n");
      return finish(console, kStatusInputEnded);
    }
    if (answer == 0) return finish(console, kStatusStopped);
  }
}

}  // namespace combo
