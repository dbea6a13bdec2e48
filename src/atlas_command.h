// combo-atlas, the command: it reads its arguments, asks the search
// (atlas_search.h) for the figures of the game's link table and writes them
// as lines of ASCII fields separated by tabs, or writes its usage text.
//
// Without arguments it writes the whole atlas, one line per starter; given a
// combo begun, one line for each move that can follow it. A bad argument is
// named on standard error, and nothing is written to the output. Every write
// goes through a Console and is checked, and the exit status says how it
// ended (kAtlasStatus...).
//
// Nothing is allocated: the game's search and the arguments read are held
// in static storage.

#ifndef COMBO_ATLAS_COMMAND_H_
#define COMBO_ATLAS_COMMAND_H_

#include <cstdint>

#include "atlas_search.h"
#include "console.h"

namespace combo {

// Exit statuses of runAtlas and runAtlasCommand. 0 and 2 mean what they mean
// for the dialogue; 1, which there is input that ended, is here a bad
// argument.
inline constexpr int kAtlasStatusDone = 0;          // everything was written
inline constexpr int kAtlasStatusBadArgument = 1;   // nothing was written
inline constexpr int kAtlasStatusOutputFailed = 2;  // a write failed

// --- the output -----------------------------------------------------------

// Writes the atlas of the links of *search: the header line
// "starter\tcombos\tshortest\tlongest\tlongest_example", then one line for
// each starter 1 to 8 with its figures, tab-separated, the example's moves
// joined by commas. Every line ends with "\n". ASCII only.
// REQUIRES: startAtlasSearch(search, ...) returned true.
void writeAtlas(Console* console, AtlasSearch* search);

// Writes the figures for a combo begun, moves[0..count): the header line
// "next\tcombos\tshortest\tlongest\tlongest_example", then one line for each
// open follow-up of its last move, in ascending order, with its figures,
// tab-separated; the example is the whole combo, moves[0..count) first, its
// moves joined by commas. The header alone when the combo is complete. Every
// line ends with "\n". ASCII only.
// REQUIRES: startAtlasSearch(search, ...) returned true; followMoves(*search,
// moves, count, ...) returns kNone.
void writeFollowUps(Console* console, AtlasSearch* search, const int32_t* moves,
                    int32_t count);

// Writes the atlas of the game's link table (kInitialLinks, as resetLinks
// gives it) to *console and flushes it. Returns kAtlasStatusDone, or
// kAtlasStatusOutputFailed if any write failed; writes nothing to standard
// error.
int runAtlas(Console* console);

// --- the arguments --------------------------------------------------------

// combo-atlas takes at most this many moves of a combo begun.
inline constexpr int32_t kMaxCommandMoves = 32;
// Room for an argument error line, its end of line and a NUL.
inline constexpr int32_t kCommandErrorSize = 128;

// What combo-atlas's arguments ask for.
enum class AtlasRequest {
  kAtlas,        // no arguments: the whole atlas
  kFollowUps,    // a combo begun: the figures for each next move
  kHelp,         // -h or --help: the usage text
  kBadArgument,  // an argument that makes no sense: an error line
};

// combo-atlas's arguments as readAtlasCommand found them.
struct AtlasCommand {
  AtlasRequest request;
  // kFollowUps: the combo begun, moves[0..count).
  int32_t moves[kMaxCommandMoves];
  int32_t count;
  // kBadArgument: one line for standard error, ending with "\n", naming
  // the argument's place and text, for instance
  // "combo-atlas: move 2 (1): no open link from 8 to 1".
  char error[kCommandErrorSize];
};

// Reads combo-atlas's arguments argv[1..argc) into *command. The first "--"
// ends the options, as with POSIX utilities: it is no move itself, and every
// argument after it is a move, "-h" and "--" included. An argument "-h" or
// "--help" anywhere before it asks for help. Otherwise each argument is a
// move number (decimal digits only), the first a starter from 1 to 8 and
// each other a follow-up over a link of search still open in that combo;
// more than kMaxCommandMoves of them, or the first that is not such a move,
// is a bad argument, named by its place among the moves. The argument is
// quoted in the error line with any byte outside printable ASCII shown as
// '?', and cut short after 24 bytes.
// REQUIRES: startAtlasSearch(&search, ...) returned true; argv[0..argc)
// are NUL-terminated texts.
void readAtlasCommand(const AtlasSearch& search, int argc,
                      const char* const* argv, AtlasCommand* command);

// --- the command ----------------------------------------------------------

// Runs combo-atlas with the arguments argv[1..argc) on the game's link
// table: the whole atlas (writeAtlas), the figures for a combo begun
// (writeFollowUps) or the usage text, written to *console and flushed.
// Returns kAtlasStatusDone, or kAtlasStatusOutputFailed if any write failed.
// A bad argument writes nothing to *console: its line goes to standard
// error, and the result is kAtlasStatusBadArgument.
int runAtlasCommand(Console* console, int argc, const char* const* argv);

// The same on standard output. A failed write is reported in one line on
// standard error ("combo-atlas: write error: No space left on device").
int runAtlasCommand(int argc, const char* const* argv);

// The parts of the output that only tables much denser than the game's put
// to the test (counts beyond 32 bits): exposed for the tests, not for
// callers.
namespace internal {
// Appends number in ASCII decimal, all 20 digits of UINT64_MAX if need be.
void writeCount(Console* console, uint64_t number);
}  // namespace internal

}  // namespace combo

#endif  // COMBO_ATLAS_COMMAND_H_
