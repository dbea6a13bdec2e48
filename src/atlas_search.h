// The search behind the atlas of combos: every complete combo that a link
// table allows, summed up per starter. How many there are, the fewest and
// the most moves in one, and the first of the longest. The same figures for
// a combo begun, from any point of it, for each move that can follow there:
// the question a player asks in the middle of a combo. And which combo is
// the first of all the longest, from the starter prompt or from a point.
// What is written from these figures, and how, is the command's
// (atlas_command.h); this module writes nothing.
//
// A complete combo is a chain as the dialogue builds it: a starter from 1 to
// 8, then follow-ups each over a link still open in that combo, until the
// current move has no open link left. Two chains that differ anywhere are
// different combos. The length of a combo counts its moves, the starter
// included. "The first" of several combos is the first in ascending order
// of move numbers, compared move by move.
//
// The game's table allows tens of millions of complete combos, so they are
// never walked one by one. What can still happen in a combo depends only on
// its current move and the set of links used so far, not on the order in
// which they were used (1,2,1,3,1 and 1,3,1,2,1 leave the same links open at
// the same move). The links become the bits of one LinkSet, and the figures
// for such a state are kept in a fixed-size table of remembered states and
// reused whenever another route reaches the same state. A state that was
// pushed out of the table is simply worked out again, so every figure is
// exact whatever the table's size.
//
// Any table of the eight move kinds fits, up to all 64 links. But the
// states grow about tenfold every 4 links: a few thousand at 20 links,
// millions at 31 (the game's), and far too many to work out from about 40.
// A search may be given a budget of steps (setAtlasStepBudget), past which
// it gives up; table_atlas.h then takes the figures from other engines.
//
// A point of a combo is such a state too (AtlasState), so the figures from
// there come from the same remembered states; front ends (combo-atlas's
// command line, the web edition's hints) hand the engine nothing else.
//
// Nothing is allocated: an AtlasSearch is plain data of fixed size (about
// 2 MiB, so give it static storage rather than the stack).

#ifndef COMBO_ATLAS_SEARCH_H_
#define COMBO_ATLAS_SEARCH_H_

#include <climits>
#include <cstdint>
#include <type_traits>

#include "link_table.h"

namespace combo {

// A set of links of one table, one bit each, numbered as in LinkBits.
using LinkSet = uint64_t;

// A table may hold at most this many open links, every link of the eight
// move kinds: one bit each in a LinkSet.
inline constexpr int32_t kMaxAtlasLinks = kMaxLinks;
// Every link is used at most once, so a combo has at most this many moves.
inline constexpr int32_t kMaxAtlasMoves = kMaxAtlasLinks + 1;
static_assert(kMaxAtlasLinks <=
                  static_cast<int32_t>(sizeof(LinkSet)) * CHAR_BIT,
              "every link of a table has its bit in a LinkSet");

// The open links of a LinkTable as bits. Links are numbered row by row, and
// within a row in ascending order of the following move, so that walking a
// row's bits upwards visits its follow-ups in ascending order.
struct LinkBits {
  // The links leaving move k are bits firstLink[k - 1] to firstLink[k] - 1.
  int32_t firstLink[kMoveKinds + 1];
  int32_t target[kMaxAtlasLinks];  // the move that link i leads to
  LinkSet leaving[kMoveKinds];     // the links leaving move k: leaving[k - 1]
  int32_t linkCount;
};

// One remembered state: the current move and the links used so far, and what
// can still follow from there, in 16 bytes: the used links in one word, and
// the rest packed into the other (see packMemoSlot in atlas_search.cpp).
struct AtlasMemoSlot {
  LinkSet used;     // the set of links used so far; ~0 marks an empty slot
  uint64_t packed;  // the move, the fewest and most further links, combos
};

// The memo keeps counts below 2^47: a count of complete combos from a state
// that reaches kAtlasCountLimit is kept, and summed, as kAtlasCountLimit
// ("at least that many"). Only tables far denser than the game's reach it
// (the game's largest count from a starter is about 10 million), and
// combo-atlas counts those with the exact count (exact_count.h) instead.
inline constexpr uint64_t kAtlasCountLimit = (uint64_t{1} << 47) - 1;

// 131072 slots (2 MiB). The game's table reaches about 710 000 states that
// still have an open link, but a state recurs mostly soon after it is first
// met, within the same subtree. With this many slots the search works out
// about 820 000 states for all 8 starters (its steps), against 91 million
// for walking every combo; more slots would gain little, being slower to
// reach in memory (750 000 with twice as many), and fewer would lose much
// (1.15 million with half as many). Random tables of 28 links gain more:
// a third to a half fewer steps than with half as many slots.
inline constexpr int32_t kAtlasMemoBits = 17;
inline constexpr int32_t kAtlasMemoSlots = int32_t{1} << kAtlasMemoBits;

// Everything one search works with: the links of one table, the states
// remembered for that table, and the steps taken: a step works out one
// state that was not remembered.
struct AtlasSearch {
  LinkBits links;
  int64_t steps;       // the steps taken since startAtlasSearch
  int64_t stepBudget;  // the most steps it may take (setAtlasStepBudget)
  bool spent;          // the budget ran out: no figure since means anything
  AtlasMemoSlot memo[kAtlasMemoSlots];
};

// How many entries of table are open links; startAtlasSearch takes a table
// of at most kMaxAtlasLinks. A constant expression for a constant table, so
// that a program can check at compile time that its table fits.
constexpr int32_t countOpenLinks(const LinkTable& table) {
  int32_t count = 0;
  for (const LinkRow& row : table.rows) {
    for (int32_t j = kFirstMove; j <= kLastMove; ++j) {
      if (row.entries[j] != 0) ++count;
    }
  }
  return count;
}

// Sets *search to the open links of table (entry j of row k not 0: a link
// from k to j), forgets every remembered state, and sets its steps to 0 and
// its budget to none. Returns true: every table of the eight move kinds
// fits (a table of more than kMaxAtlasLinks open links would be refused
// with false, *search left unusable).
bool startAtlasSearch(AtlasSearch* search, const LinkTable& table);

// Lets *search take at most budget steps in all since startAtlasSearch.
// Once a call needs more, search->spent is set: that call, and every call
// after it until startAtlasSearch, returns figures that mean nothing, and
// remembers nothing more. A budget is checked once per step, so a search
// within it costs no more than without one.
// REQUIRES: startAtlasSearch(search, ...) returned true; budget >= 0.
void setAtlasStepBudget(AtlasSearch* search, int64_t budget);

// --- from a starter -------------------------------------------------------

// The figures for the complete combos from one starter.
struct StarterSummary {
  int32_t starter;
  uint64_t combos;   // how many; kept at kAtlasCountLimit if it reaches it
  int32_t shortest;  // the fewest moves in one
  int32_t longest;   // the most moves in one
  // The first combo of the longest length: moves example[0..longest).
  int32_t example[kMaxAtlasMoves];
};
// Only a table much denser than the game's has a combo that uses every one
// of its kMaxAtlasLinks links, but such a combo must still fit.
static_assert(std::extent_v<decltype(StarterSummary::example)> >=
                  kMaxAtlasLinks + 1,
              "an example holds the starter and a follow-up for every link");

// Sums up every complete combo from starter over the links of *search. A
// starter with no link gives one combo of one move. Fills the remembered
// states of *search as it goes, so later calls are faster.
// REQUIRES: startAtlasSearch(search, ...) returned true; 1 <= starter <= 8.
StarterSummary summarizeStarter(AtlasSearch* search, int32_t starter);

// The first of all the longest complete combos of the table, whatever the
// starter: returns the summary of the lowest starter among those whose
// longest combo has the most moves, so that its example is that combo. Uses
// and fills the remembered states of *search, as summarizeStarter does.
// REQUIRES: startAtlasSearch(search, ...) returned true.
StarterSummary firstLongestCombo(AtlasSearch* search);

// --- from a point of a combo ----------------------------------------------

// A point reached in a combo: its current move and the links it has used.
// What can still follow depends on nothing else. The bits are numbered as in
// the LinkBits of the search the state belongs to; for the game's table the
// numbering is always the same. A starter alone is {starter, 0}. Plain data
// of 8 bytes, to be copied freely.
struct AtlasState {
  int32_t move;  // the current move, 1 to 8
  LinkSet used;  // bit i set: link i has been used in this combo
};

// Why a move cannot be taken at a point of a combo.
enum class AtlasMoveFault {
  kNone,                // the move was taken
  kStarterOutOfRange,   // a starter outside 1 to 8
  kFollowUpOutOfRange,  // a follow-up outside 1 to 8
  kNoOpenLink,          // no link to it from the current move, or used
};

// Follows the link from the current move of *state to next, as the dialogue
// takes a follow-up: if the table of search has that link and *state has
// not used it yet, returns kNone and moves *state on to next; otherwise
// returns kFollowUpOutOfRange or kNoOpenLink and leaves *state as it was.
// REQUIRES: startAtlasSearch(&search, ...) returned true;
// 1 <= state->move <= 8.
AtlasMoveFault followLink(const AtlasSearch& search, AtlasState* state,
                          int32_t next);

// Follows the combo moves[0..count), a starter and then follow-ups, over the
// links of search. Returns kNone and sets *state to the point reached. If a
// move cannot be taken, returns its fault, sets *at to its index, and sets
// *state to the point reached before it (unchanged if the starter is bad).
// REQUIRES: startAtlasSearch(&search, ...) returned true; count >= 1.
AtlasMoveFault followMoves(const AtlasSearch& search, const int32_t* moves,
                           int32_t count, AtlasState* state, int32_t* at);

// Sets *state to the point of a combo that the dialogue is building: move is
// its current move, and table its LinkTable, started from the table of
// search, with an entry closed for every link the combo has used. Returns
// false, leaving *state unchanged, if move is outside 1 to 8 or table has an
// open link that the table of search has not (it is another table).
// REQUIRES: startAtlasSearch(&search, ...) returned true.
bool stateOfLinks(const AtlasSearch& search, const LinkTable& table,
                  int32_t move, AtlasState* state);

// The figures for the complete combos that go on from a point of a combo
// by one follow-up. Lengths count the moves of the whole combo, those made
// before the point included.
struct FollowUpSummary {
  int32_t next;      // the follow-up
  uint64_t combos;   // how many complete combos go on this way; kept at
                     // kAtlasCountLimit if it reaches it
  int32_t shortest;  // the fewest moves in one
  int32_t longest;   // the most moves in one
  // The first of the longest: its moves from next on,
  // example[0..exampleLength), next first. The moves before the point are
  // the caller's own.
  int32_t example[kMaxAtlasLinks];
  int32_t exampleLength;
};
static_assert(std::extent_v<decltype(FollowUpSummary::example)> >=
                  kMaxAtlasLinks,
              "an example holds a follow-up for every link");

// The figures for each open follow-up at one point of a combo.
struct FollowUpSummaries {
  FollowUpSummary rows[kMoveKinds];  // in ascending order of next
  int32_t count;                     // 0 when the combo is complete
};

// Sums up, for each open follow-up of state.move, every complete combo that
// goes on from state with it, into *out. The moves before the point number
// one more than the links used. Uses and fills the remembered states of
// *search, as summarizeStarter does.
// REQUIRES: startAtlasSearch(search, ...) returned true, and state was
// reached over its links (by followLink, followMoves or stateOfLinks).
void summarizeFollowUps(AtlasSearch* search, AtlasState state,
                        FollowUpSummaries* out);

// The row of summaries whose example goes on as the first of all the
// longest complete combos from that point: returns the index in
// summaries.rows of the first row (the lowest next) with the greatest
// longest, or -1 if there is no row (the combo is complete).
// REQUIRES: 0 <= summaries.count <= kMoveKinds, rows in ascending order of
// next, as summarizeFollowUps gives them.
int32_t firstLongestRow(const FollowUpSummaries& summaries);

// The parts of the search that only tables much denser than the game's put
// to the test (counts beyond 32 bits, and up to the memo's limit): exposed
// for the tests, not for callers.
namespace internal {
// Returns a + b, or UINT64_MAX if the sum does not fit in 64 bits: a count
// that overflows stays at the largest one rather than wrap to a small one.
uint64_t addSaturating(uint64_t a, uint64_t b);
// Returns a + b, or kAtlasCountLimit if the sum reaches it: the count the
// memo keeps for a state whose combos are a and b.
uint64_t addMemoCounts(uint64_t a, uint64_t b);
}  // namespace internal

}  // namespace combo

#endif  // COMBO_ATLAS_SEARCH_H_
