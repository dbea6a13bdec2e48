#include "atlas_command.h"

#include <cstdio>
#include <cstring>

#include "atlas_work.h"
#include "progress_line.h"
#include "table_file.h"

namespace combo {
namespace {

// Writes moves[0..count) joined by commas.
void writeMoves(Console* console, const int32_t* moves, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    if (i > 0) writeText(console, ",");
    writeNumber(console, moves[i]);
  }
}

// Writes a length: its number, or "LOW..HIGH" for a range.
void writeLength(Console* console, LengthRange length) {
  writeNumber(console, length.low);
  if (length.high != length.low) {
    writeText(console, "..");
    writeNumber(console, length.high);
  }
}

void writeEstimate(Console* console, double estimate) {
  char text[internal::kEstimateTextSize];
  int32_t length = internal::formatEstimate(estimate, text);
  writeText(console, text, static_cast<std::size_t>(length));
}

// Writes one row's line.
void writeRow(Console* console, const TableRow& row, bool estimate) {
  writeNumber(console, row.first);
  writeText(console, "\t");
  if (estimate) {
    internal::writeCount(console, row.combosAtLeast);
    writeText(console, "\t");
    writeEstimate(console, row.combosEstimate);
  } else {
    internal::writeCount(console, row.combos);
  }
  writeText(console, "\t");
  writeLength(console, row.shortest);
  writeText(console, "\t");
  writeLength(console, row.longest);
  writeText(console, "\t");
  writeMoves(console, row.example, row.longest.low);
  writeText(console, "\n");
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

// Sets the error line of *command to text, a whole line.
void badCommand(AtlasCommand* command, const char* text) {
  command->request = AtlasRequest::kBadArgument;
  std::snprintf(command->error, sizeof command->error, "%s", text);
}

// The move at `place` (1 for the starter) could not be taken because of
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

// What one pass over the arguments found: the options, and where the
// moves are.
struct ArgumentScan {
  bool help;
  bool estimate;
  bool printTable;
  const char* tablePath;  // nullptr: the game's table
  bool tableTwice;        // --table given more than once
  bool tableMissing;      // --table last, with no FILE after it
  int32_t moveCount;      // the arguments that are moves
  // The index in argv of each of the first moves: as many as a combo on a
  // table of every link may have, and one more to name as too many.
  int wordAt[kMaxCommandMoves + 1];
};

void takeTablePath(ArgumentScan* scan, const char* path) {
  if (scan->tablePath != nullptr) scan->tableTwice = true;
  scan->tablePath = path;
}

// Sorts argv[1..argc) into options and moves; see readAtlasCommand.
void scanArguments(int argc, const char* const* argv, ArgumentScan* scan) {
  *scan = ArgumentScan{};
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const char* word = argv[i];
    if (!optionsEnded) {
      if (std::strcmp(word, "--") == 0) {
        optionsEnded = true;
        continue;
      }
      if (isHelp(word)) {
        scan->help = true;
        continue;
      }
      if (std::strcmp(word, "--table") == 0) {
        if (i + 1 == argc) {
          scan->tableMissing = true;
        } else {
          takeTablePath(scan, argv[++i]);
        }
        continue;
      }
      if (std::strncmp(word, "--table=", 8) == 0) {
        takeTablePath(scan, word + 8);
        continue;
      }
      if (std::strcmp(word, "--estimate") == 0) {
        scan->estimate = true;
        continue;
      }
      if (std::strcmp(word, "--print-table") == 0) {
        scan->printTable = true;
        continue;
      }
    }
    if (scan->moveCount <= kMaxCommandMoves) {
      scan->wordAt[scan->moveCount] = i;
    }
    ++scan->moveCount;
  }
}

// Sets the error line of *command for the first option that makes no
// sense, if any. Returns false if there is one.
bool checkOptions(const ArgumentScan& scan, AtlasCommand* command) {
  if (scan.tableMissing) {
    badCommand(command, "combo-atlas: a table file must follow --table\n");
  } else if (scan.tableTwice) {
    badCommand(command, "combo-atlas: --table given twice\n");
  } else if (scan.printTable && scan.moveCount > 0) {
    badCommand(command, "combo-atlas: --print-table takes no moves\n");
  } else if (scan.printTable && scan.estimate) {
    badCommand(command,
               "combo-atlas: --print-table and --estimate do not go "
               "together\n");
  } else {
    return true;
  }
  return false;
}

// Reads the moves that scan found, over the links of command->table, into
// command->moves. Returns false, with the error line set, at the first
// that cannot be taken.
bool readMoves(const ArgumentScan& scan, const char* const* argv,
               AtlasCommand* command) {
  // No combo on this table has more moves; the first one too many is named.
  int32_t most = countOpenLinks(command->table) + 1;
  if (scan.moveCount > most) {
    char reason[40];
    std::snprintf(reason, sizeof reason, "more than %d move%s",
                  static_cast<int>(most), most == 1 ? "" : "s");
    badArgument(command, most + 1, argv[scan.wordAt[most]], reason);
    return false;
  }
  LinkTable open = command->table;
  for (int32_t place = 1; place <= scan.moveCount; ++place) {
    const char* word = argv[scan.wordAt[place - 1]];
    int32_t move;
    if (!readMoveNumber(word, &move)) {
      badArgument(command, place, word, "not a decimal move number");
      return false;
    }
    if (place == 1 && !isMoveKind(move)) {
      badArgument(command, place, word, "starter outside 1 to 8");
      return false;
    }
    if (place > 1) {
      int32_t from = command->moves[place - 2];
      if (!isMoveKind(move)) {
        badArgument(command, place, word, "follow-up outside 1 to 8");
        return false;
      }
      if (!isLinkOpen(open, from, move)) {
        char reason[40];
        std::snprintf(reason, sizeof reason, "no open link from %d to %d",
                      static_cast<int>(from), static_cast<int>(move));
        badArgument(command, place, word, reason);
        return false;
      }
      closeLink(&open, from, move);
    }
    command->moves[command->count++] = move;
  }
  return true;
}

// Works out the figures that command asks for and writes them.
void writeFigures(Console* console, const AtlasCommand& command,
                  int progressFd) {
  static TableAtlas atlas;  // about 3 KiB
  // Cannot fail: readAtlasCommand played the moves on the table.
  startTableAtlas(&atlas, command.table, command.moves, command.count);
  ProgressLine line;
  startProgressLine(&line, progressFd);
  figureAtlas(&atlas, command.estimate, &line);
  writeTableAtlas(console, atlas, command.estimate);
}

constexpr char kUsage[] =
    "usage: combo-atlas [--table FILE] [--estimate] [--] [MOVE...]\n"
    "       combo-atlas [--table FILE] --print-table\n"
    "\n"
    "Without MOVE: for each starter 1 to 8, the complete combos that begin\n"
    "with it: how many, the fewest and the most moves, the first longest.\n"
    "\n"
    "With MOVE...: a combo begun, as the dialogue accepts it (a starter 1 to\n"
    "8, then follow-ups over links still open), and the same figures for\n"
    "the complete combos that go on from it, one line for each next move.\n"
    "\n"
    "--table FILE   the link table that FILE holds, not the game's, in the\n"
    "               format that --print-table writes.\n"
    "--estimate     at once, instead of the exact count: a proven lower\n"
    "               bound on it (combos_at_least) and an estimate.\n"
    "--print-table  writes the table in that format, and nothing else.\n"
    "-h or --help writes this text. \"--\" ends the options: every argument\n"
    "after it is a move, even -h.\n"
    "\n"
    "Output: lines of ASCII fields separated by tabs, after a header line;\n"
    "a length LOW..HIGH is a range the search could not narrow further.\n"
    "A long count shows its progress on standard error at a terminal.\n"
    "Exit status: 0 when done, 1 for a bad argument or table file, 2 if\n"
    "the output cannot be written. See combo-atlas(1).\n";

}  // namespace

void writeTableAtlas(Console* console, const TableAtlas& atlas, bool estimate) {
  if (atlas.moveCount == 0) {
    writeText(console, "starter");
  } else {
    writeText(console, "next");
  }
  if (estimate) {
    writeText(console, "\tcombos_at_least\tcombos_estimate");
  } else {
    writeText(console, "\tcombos");
  }
  writeText(console, "\tshortest\tlongest\tlongest_example\n");
  for (int32_t r = 0; r < atlas.rowCount; ++r) {
    writeRow(console, atlas.rows[r], estimate);
  }
}

int runAtlas(Console* console) {
  static AtlasCommand command;
  command = AtlasCommand{};
  command.request = AtlasRequest::kAtlas;
  resetLinks(&command.table);
  // No progress line: -1 is no terminal.
  writeFigures(console, command, -1);
  return finishOutput(console) ? kAtlasStatusDone : kAtlasStatusOutputFailed;
}

void readAtlasCommand(int argc, const char* const* argv,
                      AtlasCommand* command) {
  command->request = AtlasRequest::kAtlas;
  command->count = 0;
  static ArgumentScan scan;
  scanArguments(argc, argv, &scan);
  command->estimate = scan.estimate;
  if (scan.help) {
    command->request = AtlasRequest::kHelp;
    return;
  }
  if (!checkOptions(scan, command)) return;
  if (scan.tablePath == nullptr) {
    resetLinks(&command->table);
  } else if (!readTableFile(scan.tablePath, &command->table, command->error,
                            sizeof command->error)) {
    command->request = AtlasRequest::kBadArgument;
    return;
  }
  if (scan.printTable) {
    command->request = AtlasRequest::kPrintTable;
    return;
  }
  if (!readMoves(scan, argv, command)) return;
  if (command->count > 0) command->request = AtlasRequest::kFollowUps;
}

int runAtlasCommand(Console* console, int argc, const char* const* argv) {
  static AtlasCommand command;
  readAtlasCommand(argc, argv, &command);
  switch (command.request) {
    case AtlasRequest::kBadArgument:
      std::fputs(command.error, stderr);
      return kAtlasStatusBadArgument;
    case AtlasRequest::kHelp:
      writeText(console, kUsage);
      break;
    case AtlasRequest::kPrintTable:
      writeTableText(console, command.table);
      break;
    case AtlasRequest::kAtlas:
    case AtlasRequest::kFollowUps:
      writeFigures(console, command, 2);
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

void writeCount(Console* console, const BigCount& number) {
  char digits[kBigCountTextSize];
  int32_t length = formatBigCount(number, digits);
  writeText(console, digits, static_cast<std::size_t>(length));
}

int32_t formatEstimate(double estimate, char* text) {
  // printf's own form is "8.20e+06", or on some C runtimes "8.20e+006":
  // the mantissa is kept, and the exponent rewritten without its sign and
  // leading zeros, so that every platform writes the same.
  char printed[32];
  std::snprintf(printed, sizeof printed, "%.2e", estimate);
  const char* e = std::strchr(printed, 'e');
  int32_t length = static_cast<int32_t>(e - printed) + 1;
  std::memcpy(text, printed, static_cast<std::size_t>(length));
  const char* digits = e + 1;
  if (*digits == '+') ++digits;
  while (*digits == '0' && digits[1] != '\0') ++digits;
  while (*digits != '\0') text[length++] = *digits++;
  text[length] = '\0';
  return length;
}

}  // namespace internal

}  // namespace combo
