// combo-atlas, the command: it reads its arguments and the table file they
// name, has the figures of that table, or of the game's, worked out
// (atlas_work.h, over table_atlas.h) and writes them as lines of ASCII
// fields separated by tabs; or it writes the table in the file format
// (table_file.h), or its usage text.
//
// Without moves it writes the whole atlas, one line per starter; given a
// combo begun, one line for each move that can follow it. A bad argument or
// table file is named on standard error, and nothing is written to the
// output. Every write goes through a Console and is checked, and the exit
// status says how it ended (kAtlasStatus...). Ctrl-C ends it at once, the
// process dying of SIGINT (progress_line.h).
//
// Nothing is allocated here: the table, the figures and the arguments read
// are held in static storage (atlas_work.h says what its threads take).

#ifndef COMBO_ATLAS_COMMAND_H_
#define COMBO_ATLAS_COMMAND_H_

#include <cstdint>

#include "big_count.h"
#include "combo_lengths.h"
#include "console.h"
#include "link_table.h"
#include "table_atlas.h"

namespace combo {

// Exit statuses of runAtlas and runAtlasCommand. 0 and 2 mean what they mean
// for the dialogue; 1, which there is input that ended, is here a bad
// argument or a table file that cannot be read or is refused.
inline constexpr int kAtlasStatusDone = 0;          // everything was written
inline constexpr int kAtlasStatusBadArgument = 1;   // nothing was written
inline constexpr int kAtlasStatusOutputFailed = 2;  // a write failed

// --- the output -----------------------------------------------------------

// Writes the figures of atlas: a header line, then one line for each row,
// its fields separated by tabs, every line ending with "\n", ASCII only.
// The header names the fields:
//   "starter" for the atlas of starters, "next" after a combo begun; then
//   "combos" (exact), or with estimate "combos_at_least" and
//   "combos_estimate"; then "shortest", "longest", "longest_example".
// A count is written in decimal, every digit of it; an estimate in E
// notation with three significant digits and no sign ("8.20e6", "1.00e0",
// internal::formatEstimate); a length as its number, or where it is a
// range as "LOW..HIGH" ("21..23": at least 21, at most 23 moves); the
// example as its moves joined by commas, the moves given first.
// REQUIRES: atlas->lengthsKnown, and atlas->boundsKnown with estimate,
// atlas->countsKnown without.
void writeTableAtlas(Console* console, const TableAtlas& atlas, bool estimate);

// Writes the exact atlas of the game's link table (kInitialLinks, as
// resetLinks gives it) to *console and flushes it. Returns kAtlasStatusDone,
// or kAtlasStatusOutputFailed if any write failed; writes nothing to
// standard error.
int runAtlas(Console* console);

// --- the arguments --------------------------------------------------------

// combo-atlas takes at most this many moves of a combo begun: one more
// than the links of a table of every link. On a given table it takes at
// most one more than the links of that table (32 on the game's): no
// combo has more.
inline constexpr int32_t kMaxCommandMoves = kMaxComboMoves;
// Room for an argument error line, its end of line and a NUL; a table
// file's error (readTableFile) is the longest.
inline constexpr int32_t kCommandErrorSize = 320;

// What combo-atlas's arguments ask for.
enum class AtlasRequest {
  kAtlas,        // no moves: the whole atlas
  kFollowUps,    // a combo begun: the figures for each next move
  kPrintTable,   // --print-table: the table in the file format
  kHelp,         // -h or --help: the usage text
  kBadArgument,  // an argument or a table file that makes no sense
};

// combo-atlas's arguments as readAtlasCommand found them.
struct AtlasCommand {
  AtlasRequest request;
  bool estimate;  // --estimate: bounds and an estimate, not exact counts
  // The table: the game's, or the one --table FILE names, read.
  LinkTable table;
  // kFollowUps: the combo begun, moves[0..count).
  int32_t moves[kMaxCommandMoves];
  int32_t count;
  // kBadArgument: one line for standard error, ending with "\n": for a
  // move, naming its place and text ("combo-atlas: move 2 (1): no open link
  // from 8 to 1"); for a table file, readTableFile's line
  // ("FILE:3:7: expected a move kind from 1 to 8").
  char error[kCommandErrorSize];
};

// Reads combo-atlas's arguments argv[1..argc) into *command, and the table
// file that they name. Before the first "--", which ends the options (it
// is no move itself, and every argument after it is a move, "-h" and "--"
// included), these are options, anywhere among the moves:
//   -h, --help        asks for help, whatever else the arguments hold;
//   --table FILE, --table=FILE
//                     the table that FILE holds (the argument after
//                     --table is FILE, whatever it is); at most once;
//   --estimate        bounds and an estimate instead of exact counts;
//   --print-table     the table in the file format; no moves, no
//                     --estimate.
// Every other argument is a move number (decimal digits only), the first a
// starter from 1 to 8 and each other a follow-up over a link of the table
// still open in that combo. The first fault found, in this order, is a bad
// argument: an option without its file, given twice or in a combination
// that makes no sense; a table file that cannot be read or is refused;
// more moves than the table has links plus one (the first one too many is
// named); the first move that is not such a move, named by its place among
// the moves. A move is quoted in the error line with any byte outside
// printable ASCII shown as '?', and cut short after 24 bytes.
// REQUIRES: argv[0..argc) are NUL-terminated texts.
void readAtlasCommand(int argc, const char* const* argv, AtlasCommand* command);

// --- the command ----------------------------------------------------------

// Runs combo-atlas with the arguments argv[1..argc): the atlas or the
// figures for a combo begun (writeTableAtlas), the table (writeTableText)
// or the usage text, written to *console and flushed. Returns
// kAtlasStatusDone, or kAtlasStatusOutputFailed if any write failed. A bad
// argument or table file writes nothing to *console: its line goes to
// standard error, and the result is kAtlasStatusBadArgument. The progress
// of a long count goes to standard error when it is a terminal.
int runAtlasCommand(Console* console, int argc, const char* const* argv);

// The same on standard output. A failed write is reported in one line on
// standard error ("combo-atlas: write error: No space left on device").
int runAtlasCommand(int argc, const char* const* argv);

// The parts of the output that only tables much denser than the game's put
// to the test (counts beyond 64 bits, estimates): exposed for the tests,
// not for callers.
namespace internal {
// Appends number in ASCII decimal, every digit of it.
void writeCount(Console* console, const BigCount& number);
// Writes estimate, at least 1, in E notation with three significant
// digits, the exponent without sign or leading zeros ("8.20e6", "1.00e0",
// "3.14e40"), and a NUL into text. Returns its length.
// REQUIRES: 1 <= estimate < 1e300; text has room for kEstimateTextSize.
inline constexpr int32_t kEstimateTextSize = 16;
int32_t formatEstimate(double estimate, char* text);
}  // namespace internal

}  // namespace combo

#endif  // COMBO_ATLAS_COMMAND_H_
