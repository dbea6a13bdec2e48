// The lengths of complete combos on any link table of the eight move kinds,
// up to all 64 links, self-links included: from a starter, the most moves in
// a complete combo and the first combo of that length, and the fewest moves
// in one. Exact, or, where a search runs out of its budget of work, bounds
// that are proven ("at least N, at most M") and marked as not exact; never a
// guess.
//
// A complete combo is a chain as the dialogue builds it: a starter, then
// follow-ups each over a link of the table not used before in that combo,
// until the current move has no unused link left. Its length counts its
// moves, the starter included; a starter with no link is one combo of one
// move. A point reached in a combo (its current move, and the links it has
// used) is the same question as that move as a starter on the table without
// those links: close them in a copy of the table (closeLink) and ask from
// the current move.
//
// The longest comes from a depth-first search that tries follow-ups in
// ascending order and gives up a branch only when a proven upper bound says
// it cannot hold a combo longer than the best already found; so the first
// longest is the first combo of the greatest length found. The bound is the
// largest set of links reachable from the current move that could be the
// links of one combo as far as the number of times each move is entered and
// left can tell, ending at some move with all its links used: a
// minimum-cost flow on the eight moves. Connectivity is ignored, but where
// it matters most: a self-link counts only if the combo enters its move,
// and a part of the links that falls apart from the rest is split off. A
// point reached again by another order of the same links is not searched
// twice. The shortest comes from a search by increasing length limits with
// a lower bound of the same kind: the links a combo must still use to end
// at some move, all the links leaving that move included.
//
// Everything is plain data of fixed size on the stack (under 16 KiB), with
// no allocation, and each search does at most its budget of work: the web
// edition runs it after every edit of a table.

#ifndef COMBO_COMBO_LENGTHS_H_
#define COMBO_COMBO_LENGTHS_H_

#include <cstdint>

#include "link_table.h"

namespace combo {

// A table holds at most this many links, one for each ordered pair of move
// kinds; every link is used at most once, so a combo has at most
// kMaxComboLinks + 1 moves.
inline constexpr int32_t kMaxComboLinks = kMoveKinds * kMoveKinds;
inline constexpr int32_t kMaxComboMoves = kMaxComboLinks + 1;

// The work of a search is counted in the bound problems it solves (small
// minimum-cost flows, about a microsecond each), which take nearly all of
// its time. With these default budgets every table tried, of 0 to 64
// links, finished exactly: the most one search needed was about 1450
// problems for the longest and 250 for the shortest (bench/lengths, and
// tables built to be hard). A table whose 16 searches all spent their
// budgets would take about 27 000 problems, 20 to 40 ms on a 2-core
// machine of 2024.
inline constexpr int64_t kLongestWorkBudget = 2500;
inline constexpr int64_t kShortestWorkBudget = 600;

// A range known to hold a length, both ends included: exact when
// low == high.
struct LengthRange {
  int32_t low;
  int32_t high;
};

// What findLongestCombo found.
struct LongestCombo {
  // The most moves in a complete combo: 1 <= low <= high <= kMaxComboMoves.
  LengthRange length;
  // A complete combo of length.low moves, moves[0..length.low), the
  // starter first. When length is exact, the first combo of the greatest
  // length in ascending order of move numbers, compared move by move;
  // otherwise the first combo of length.low found, the longest found.
  int32_t moves[kMaxComboMoves];
  int64_t nodes;  // the points of a combo visited
  int64_t work;   // the bound problems solved
};

// What findShortestCombo found.
struct ShortestCombo {
  // The fewest moves in a complete combo: 1 <= low <= high <= kMaxComboMoves.
  LengthRange length;
  int64_t nodes;  // the points of a combo visited
  int64_t work;   // the bound problems solved
};

// Finds the longest complete combos from starter over the links of table
// (entry j of row k not 0: a link from k to j). Stops searching once its
// work reaches workBudget, but finishes the first combo it follows (the one
// that always takes the lowest follow-up) and the bounds of the point it
// is at, which take at most a few hundred problems more. Where the budget
// runs out, length.low is the longest combo found and length.high a proven
// upper bound, and the answer is not exact. Never fails.
// REQUIRES: 1 <= starter <= 8; workBudget >= 0.
LongestCombo findLongestCombo(const LinkTable& table, int32_t starter,
                              int64_t workBudget = kLongestWorkBudget);

// Finds the fewest moves in a complete combo from starter over the links of
// table. Stops once its work reaches workBudget, finishing the bounds of
// the point it is at; where the budget runs out, length.low is the
// greatest length not ruled out from below and length.high the length of
// the combo that always takes the lowest follow-up, and the answer is not
// exact. Never fails.
// REQUIRES: 1 <= starter <= 8; workBudget >= 0.
ShortestCombo findShortestCombo(const LinkTable& table, int32_t starter,
                                int64_t workBudget = kShortestWorkBudget);

// The bounds the searches prune with, exposed for the tests, not for
// callers. Lengths count moves, the starter included.
// REQUIRES: 1 <= starter <= 8.
namespace internal {
// Returns the flow bound from starter over the links of table: at least
// the length of every complete combo; 1 when starter has no link.
int32_t longestComboBound(const LinkTable& table, int32_t starter);
// Returns false only if no complete combo from starter is longer than
// length: the test that findLongestCombo prunes a branch with.
bool longestMayExceed(const LinkTable& table, int32_t starter, int32_t length);
// Returns the bound on the shortest from starter: at most the length of
// every complete combo; 1 when starter has no link.
int32_t shortestComboBound(const LinkTable& table, int32_t starter);
// Returns false only if no complete combo from starter has at most length
// moves: the test that findShortestCombo prunes a branch with.
bool shortestMayBeAtMost(const LinkTable& table, int32_t starter,
                         int32_t length);
}  // namespace internal

}  // namespace combo

#endif  // COMBO_COMBO_LENGTHS_H_
