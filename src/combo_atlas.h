// The atlas of combos: every complete combo that a link table allows, summed
// up per starter. How many there are, the fewest and the most moves in one,
// and the first of the longest.
//
// A complete combo is a chain as the dialogue builds it: a starter from 1 to
// 8, then follow-ups each over a link still open in that combo, until the
// current move has no open link left. Two chains that differ anywhere are
// different combos. The length of a combo counts its moves, the starter
// included.
//
// The game's table allows tens of millions of complete combos, so they are
// never walked one by one. What can still happen in a combo depends only on
// its current move and the set of links used so far, not on the order in
// which they were used (1,2,1,3,1 and 1,3,1,2,1 leave the same links open at
// the same move). The links become the bits of one 32-bit set, and the
// figures for such a state are kept in a fixed-size table of remembered
// states and reused whenever another route reaches the same state. A state
// that was pushed out of the table is simply worked out again, so every
// figure is exact whatever the table's size.
//
// Nothing is allocated: an AtlasSearch is plain data of fixed size (about
// 1 MiB, so give it static storage rather than the stack).

#ifndef COMBO_COMBO_ATLAS_H_
#define COMBO_COMBO_ATLAS_H_

#include <cstdint>
#include <type_traits>

#include "console.h"
#include "link_table.h"

namespace combo {

// A table may hold at most this many open links: one bit each in a uint32_t.
inline constexpr int32_t kMaxAtlasLinks = 32;
// Every link is used at most once, so a combo has at most this many moves.
inline constexpr int32_t kMaxAtlasMoves = kMaxAtlasLinks + 1;

// The open links of a LinkTable as bits. Links are numbered row by row, and
// within a row in ascending order of the following move, so that walking a
// row's bits upwards visits its follow-ups in ascending order.
struct LinkBits {
  // The links leaving move k are bits firstLink[k - 1] to firstLink[k] - 1.
  int32_t firstLink[kMoveKinds + 1];
  int32_t target[kMaxAtlasLinks];  // the move that link i leads to
  uint32_t leaving[kMoveKinds];    // the links leaving move k: leaving[k - 1]
  int32_t linkCount;
};

// One remembered state: the current move and the links used so far, and what
// can still follow from there. The small fields keep a slot at 16 bytes.
struct AtlasMemoSlot {
  uint32_t used;    // the set of links used so far
  uint8_t move;     // the current move; 0 marks an empty slot
  uint8_t fewest;   // the fewest further links in a complete combo
  uint8_t most;     // the most further links in a complete combo
  uint64_t combos;  // the complete combos from this state
};
static_assert(kMaxAtlasLinks <= UINT8_MAX,
              "a slot holds a count of further links in one byte");

// 65536 slots (1 MiB). The game's table reaches about 710 000 states that
// still have an open link, but a state recurs mostly soon after it is first
// met, within the same subtree. With this many slots the search takes about
// 2.5 million steps, against 1.6 million if every state were kept and 91
// million for walking every combo; more slots would gain little, being
// slower to reach in memory, and fewer would lose much (4.5 million steps
// with half as many).
inline constexpr int32_t kAtlasMemoBits = 16;
inline constexpr int32_t kAtlasMemoSlots = int32_t{1} << kAtlasMemoBits;

// Everything one search works with: the links of one table, and the states
// remembered for that table.
struct AtlasSearch {
  LinkBits links;
  AtlasMemoSlot memo[kAtlasMemoSlots];
};

// The figures for the complete combos from one starter.
struct StarterSummary {
  int32_t starter;
  uint64_t combos;   // how many; saturates at UINT64_MAX
  int32_t shortest;  // the fewest moves in one
  int32_t longest;   // the most moves in one
  // The first combo of the longest length in ascending order of move
  // numbers, compared move by move: moves example[0..longest).
  int32_t example[kMaxAtlasMoves];
};
// Only a table much denser than the game's has a combo that uses every one
// of its kMaxAtlasLinks links, but such a combo must still fit.
static_assert(std::extent_v<decltype(StarterSummary::example)> >=
                  kMaxAtlasLinks + 1,
              "an example holds the starter and a follow-up for every link");

// Exit statuses of runAtlas, the same numbers that the dialogue uses.
inline constexpr int kAtlasStatusDone = 0;          // everything was written
inline constexpr int kAtlasStatusOutputFailed = 2;  // a write failed

// Sets *search to the open links of table (entry j of row k not 0: a link
// from k to j) and forgets every remembered state. Returns false, leaving
// *search unusable, if the table holds more than kMaxAtlasLinks open links.
bool startAtlasSearch(AtlasSearch* search, const LinkTable& table);

// Sums up every complete combo from starter over the links of *search. A
// starter with no link gives one combo of one move. Fills the remembered
// states of *search as it goes, so later calls are faster.
// REQUIRES: startAtlasSearch(search, ...) returned true; 1 <= starter <= 8.
StarterSummary summarizeStarter(AtlasSearch* search, int32_t starter);

// Writes the atlas of the links of *search: the header line
// "starter\tcombos\tshortest\tlongest\tlongest_example", then one line for
// each starter 1 to 8 with its figures, tab-separated, the example's moves
// joined by commas. Every line ends with "\n". ASCII only.
// REQUIRES: startAtlasSearch(search, ...) returned true.
void writeAtlas(Console* console, AtlasSearch* search);

// Writes the atlas of the game's link table (kInitialLinks, as resetLinks
// gives it) to *console and flushes it. Returns kAtlasStatusDone, or
// kAtlasStatusOutputFailed if any write failed; writes nothing to standard
// error.
int runAtlas(Console* console);

// Writes the atlas of the game's link table to standard output. A failed
// write is reported in one line on standard error ("combo-atlas: write
// error: No space left on device"). Returns the exit status, as above.
int runAtlas();

// The parts of the atlas that only tables much denser than the game's put to
// the test (counts beyond 32 bits): exposed for the tests, not for callers.
namespace internal {
// Returns a + b, or UINT64_MAX if the sum does not fit in 64 bits: a count
// that overflows stays at the largest one rather than wrap to a small one.
uint64_t addSaturating(uint64_t a, uint64_t b);
// Appends number in ASCII decimal, all 20 digits of UINT64_MAX if need be.
void writeCount(Console* console, uint64_t number);
}  // namespace internal

}  // namespace combo

#endif  // COMBO_COMBO_ATLAS_H_
