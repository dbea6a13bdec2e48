#include "atlas_command.h"

#include <cstdio>
#include <cstring>

namespace combo {
namespace {

// runAtlas hands the game's table to startAtlasSearch without a fallback.
static_assert(countOpenLinks(kInitialLinks) <= kMaxAtlasLinks,
              "the game's links must fit in one LinkSet");

// Writes moves[0..count) joined by commas.
void writeMoves(Console* console, const int32_t* moves, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    if (i > 0) writeText(console, ",");
    writeNumber(console, moves[i]);
  }
}

// Writes "FIRST\tCOMBOS\tSHORTEST\tLONGEST\t", the start of an output line.
void writeFigures(Console* console, int32_t first, uint64_t combos,
                  int32_t shortest, int32_t longest) {
  writeNumber(console, first);
  writeText(console, "\t");
  internal::writeCount(console, combos);
  writeText(console, "\t");
  writeNumber(console, shortest);
  writeText(console, "\t");
  writeNumber(console, longest);
  writeText(console, "\t");
}

// The game's table, ready to search. Static storage: about 1 MiB, too much
// for the stack on some systems.
AtlasSearch* gameSearch() {
  static AtlasSearch search;
  LinkTable links;
  resetLinks(&links);
  // Cannot fail: the game's links fit (checked at compile time above).
  startAtlasSearch(&search, links);
  return &search;
}

// Reads word as a move number: decimal digits only, at least one. Returns
// false if it is not one. A number of more than four digits is read as
// 1000 or more, outside every range, without overflow.
bool readMoveNumber(const char* word, int32_t* number) {
  if (*word == '\0') return false;
  int32_t value = 0;
  for (const char* c = word; *c != '\0'; ++c) {
    if (*c < '0' || *c > '9') return false;
    if (value < 1000) value = value * 10 + (*c - '0');
  }
  *number = value;
  return true;
}

// The argument at `place` (1 for the starter) could not be taken because of
// `reason`: sets the error line of *command.
void badArgument(AtlasCommand* command, int32_t place, const char* word,
                 const char* reason) {
  // The word as written, but on one line of printable ASCII and short.
  constexpr std::size_t kShown = 24;
  char shown[kShown + sizeof "..."];
  shownOnOneLine(word, kShown, shown, sizeof shown);
  command->request = AtlasRequest::kBadArgument;
  std::snprintf(command->error, sizeof command->error,
                "combo-atlas: move %d (%s): %s\n", static_cast<int>(place),
                shown, reason);
}

bool isHelp(const char* word) {
  return std::strcmp(word, "-h") == 0 || std::strcmp(word, "--help") == 0;
}

// Returns the index in argv[1..argc) of the first "--", which ends the
// options, or argc if there is none.
int endOfOptions(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--") == 0) return i;
  }
  return argc;
}

constexpr char kUsage[] =
    "usage: combo-atlas [--] [MOVE...]\n"
    "\n"
    "Without MOVE: for each starter 1 to 8, the complete combos that begin\n"
    "with it: how many, the fewest and the most moves, the first longest.\n"
    "\n"
    "With MOVE...: a combo begun, as the dialogue accepts it (a starter 1 to\n"
    "8, then follow-ups over links still open), and the same figures for\n"
    "the complete combos that go on from it, one line for each next move.\n"
    "\n"
    "-h or --help writes this text. \"--\" ends the options: every argument\n"
    "after it is a move, even -h.\n"
    "\n"
    "Output: lines of ASCII fields separated by tabs, after a header line.\n"
    "Exit status: 0 when done, 1 for a bad argument, 2 if the output\n"
    "cannot be written. See combo-atlas(1).\n";

}  // namespace

void writeAtlas(Console* console, AtlasSearch* search) {
  writeText(console, "starter\tcombos\tshortest\tlongest\tlongest_example\n");
  for (int32_t starter = kFirstMove; starter <= kLastMove; ++starter) {
    StarterSummary summary = summarizeStarter(search, starter);
    writeFigures(console, summary.starter, summary.combos, summary.shortest,
                 summary.longest);
    writeMoves(console, summary.example, summary.longest);
    writeText(console, "\n");
  }
}

void writeFollowUps(Console* console, AtlasSearch* search, const int32_t* moves,
                    int32_t count) {
  AtlasState state;
  int32_t at;
  followMoves(*search, moves, count, &state, &at);
  FollowUpSummaries summaries;
  summarizeFollowUps(search, state, &summaries);
  writeText(console, "next\tcombos\tshortest\tlongest\tlongest_example\n");
  for (int32_t r = 0; r < summaries.count; ++r) {
    const FollowUpSummary& row = summaries.rows[r];
    writeFigures(console, row.next, row.combos, row.shortest, row.longest);
    writeMoves(console, moves, count);
    writeText(console, ",");
    writeMoves(console, row.example, row.exampleLength);
    writeText(console, "\n");
  }
}

int runAtlas(Console* console) {
  writeAtlas(console, gameSearch());
  return finishOutput(console) ? kAtlasStatusDone : kAtlasStatusOutputFailed;
}

void readAtlasCommand(const AtlasSearch& search, int argc,
                      const char* const* argv, AtlasCommand* command) {
  command->request = AtlasRequest::kAtlas;
  command->count = 0;
  int end = endOfOptions(argc, argv);
  for (int i = 1; i < end; ++i) {
    if (isHelp(argv[i])) {
      command->request = AtlasRequest::kHelp;
      return;
    }
  }
  // The moves are every argument but that "--".
  int moves = end < argc ? argc - 2 : argc - 1;
  if (moves > kMaxCommandMoves) {
    int i = kMaxCommandMoves + 1 < end ? kMaxCommandMoves + 1
                                       : kMaxCommandMoves + 2;
    badArgument(command, kMaxCommandMoves + 1, argv[i], "more than 32 moves");
    return;
  }
  AtlasState state = {};
  int32_t place = 0;
  for (int i = 1; i < argc; ++i) {
    if (i == end) continue;
    ++place;
    int32_t move;
    if (!readMoveNumber(argv[i], &move)) {
      badArgument(command, place, argv[i], "not a decimal move number");
      return;
    }
    if (place == 1) {
      if (!isMoveKind(move)) {
        badArgument(command, place, argv[i], "starter outside 1 to 8");
        return;
      }
      state = {move, 0};
    } else {
      int32_t from = state.move;
      switch (followLink(search, &state, move)) {
        case AtlasMoveFault::kNone:
          break;
        case AtlasMoveFault::kFollowUpOutOfRange:
          badArgument(command, place, argv[i], "follow-up outside 1 to 8");
          return;
        default: {
          char reason[40];
          std::snprintf(reason, sizeof reason, "no open link from %d to %d",
                        static_cast<int>(from), static_cast<int>(move));
          badArgument(command, place, argv[i], reason);
          return;
        }
      }
    }
    command->moves[command->count++] = move;
  }
  if (command->count > 0) command->request = AtlasRequest::kFollowUps;
}

int runAtlasCommand(Console* console, int argc, const char* const* argv) {
  AtlasSearch* search = gameSearch();
  static AtlasCommand command;
  readAtlasCommand(*search, argc, argv, &command);
  switch (command.request) {
    case AtlasRequest::kBadArgument:
      std::fputs(command.error, stderr);
      return kAtlasStatusBadArgument;
    case AtlasRequest::kHelp:
      writeText(console, kUsage);
      break;
    case AtlasRequest::kAtlas:
      writeAtlas(console, search);
      break;
    case AtlasRequest::kFollowUps:
      writeFollowUps(console, search, command.moves, command.count);
      break;
  }
  return finishOutput(console) ? kAtlasStatusDone : kAtlasStatusOutputFailed;
}

int runAtlasCommand(int argc, const char* const* argv) {
  static Console console;
  // Nothing is read: -1 and no bytes make an input that is empty at once.
  openFileConsole(&console, -1, 1);
  int status = runAtlasCommand(&console, argc, argv);
  if (console.writeError != 0) {
    std::fprintf(stderr, "combo-atlas: write error: %s\n",
                 std::strerror(console.writeError));
  }
  return status;
}

namespace internal {

// The console's writeNumber takes 32-bit numbers only.
void writeCount(Console* console, uint64_t number) {
  char digits[20];  // 18446744073709551615 has 20 digits
  std::size_t start = sizeof digits;
  do {
    digits[--start] = static_cast<char>('0' + number % 10);
    number /= 10;
  } while (number > 0);
  writeText(console, digits + start, sizeof digits - start);
}

}  // namespace internal

}  // namespace combo
