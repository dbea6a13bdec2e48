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

// Writes "%d," for each open follow-up of move and returns how many.
int32_t writeListing(Console* console, const LinkTable& links, int32_t move) {
  FollowUps open = openFollowUps(links, move);
  for (int32_t i = 0; i < open.count; ++i) {
    writeNumber(console, open.moves[i]);
    writeText(console, ",");
  }
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

// Writes the chain and its length: "\n8,7,6,7,4+1Zorvです。\n\n".
void writeSummary(Console* console, const ComboPath& path, int32_t length) {
  writeText(console, "\n");
  for (int32_t i = 0; i < length; ++i) {
    writeNumber(console, path.moves[i]);
    writeText(console, ",");
  }
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
