// The figures of the atlas for any link table of the eight move kinds, up
// to all 64 links: for each starter, or for each move that can follow a
// combo begun, how many complete combos there are, the fewest and the most
// moves in one, and the first of the longest. combo-atlas writes them
// (atlas_command.h); the web edition's table lab works them out the same
// way. This module decides how each figure is worked out and writes
// nothing; it starts no thread either, so that it runs in WebAssembly as it
// is. The caller runs the exact count's units where it likes (count_threads.h
// on threads, or Web Workers) and hands the counts back.
//
// How, by the size of the table (the methods are described in the headers
// named):
//   - The memo of states (atlas_search.h) gives every figure at once, and is
//     fastest on small tables such as the game's (31 links, about 820 000
//     steps). The states it must work out grow about tenfold every
//     4 links, so it gets a budget of steps (memoStepBudget) in proportion
//     to the work of the exact count; past its budget it gives up.
//   - Otherwise the lengths, exact or as proven ranges, come from branch and
//     bound within a budget of work (combo_lengths.h), and the counts from
//     the exact count (exact_count.h), which is polynomial in the links
//     and whose work is known before it starts. The counts come from there
//     too when one of them reaches the memo's limit of 2^47 - 1.
//   - Instead of the exact count, a proven lower bound and an estimate come
//     at once from random complete combos (count_bounds.h).
//
// A TableAtlas is plain data of fixed size (about 5 KiB); nothing is
// allocated. Its use, in order:
//   startTableAtlas;
//   then atlasFromMemo, and where that gives up or leaves the counts
//   unknown: findTableLengths (or findTableRowLengths for each row) unless
//   the lengths are known, and planTableCounts, the job run, setTableCounts;
//   or, for the instant figures, findTableLengths and estimateTableCounts
//   (or the row functions).
// figureTableAtlas does the first of these on the calling thread alone.

#ifndef COMBO_TABLE_ATLAS_H_
#define COMBO_TABLE_ATLAS_H_

#include <cstdint>

#include "atlas_search.h"
#include "big_count.h"
#include "combo_lengths.h"
#include "count_bounds.h"
#include "exact_count.h"
#include "link_table.h"

namespace combo {

// The figures of one line of the atlas: the complete combos that begin with
// a starter, or that go on from the combo begun with one next move. Lengths
// count the moves of the whole combo, the moves given included.
struct TableRow {
  int32_t first;  // the starter, or the next move
  // The count: exact, once TableAtlas::countsKnown.
  BigCount combos;
  // The fewest and the most moves, once TableAtlas::lengthsKnown: exact
  // where low == high, otherwise proven ranges (combo_lengths.h).
  LengthRange shortest;
  LengthRange longest;
  // The whole combo, the moves given first: example[0..longest.low). When
  // longest is exact, the first of the longest combos in ascending order
  // of move numbers; otherwise the longest combo found.
  int32_t example[kMaxComboMoves];
  // Once TableAtlas::boundsKnown: a proven lower bound on the count (never
  // above it), and Knuth's estimate of it.
  BigCount combosAtLeast;
  double combosEstimate;
};

// The question and its figures.
struct TableAtlas {
  LinkTable table;  // the table asked about
  LinkTable open;   // the table with every link of the combo begun closed
  // The combo begun, moves[0..moveCount); none for the atlas of starters.
  int32_t moves[kMaxComboMoves];
  int32_t moveCount;
  // The atlas: 8 rows, the starters 1 to 8. A combo begun: one row for
  // each link still open from its last move, in ascending order of the
  // next move; none when the combo is complete.
  int32_t rowCount;
  TableRow rows[kMoveKinds];
  bool lengthsKnown;  // shortest, longest and example of every row
  bool countsKnown;   // combos of every row
  bool boundsKnown;   // combosAtLeast and combosEstimate of every row
  bool fromMemo;      // the lengths came from the memo of states
};

// Starts *atlas on the question: the atlas of starters of table (count 0),
// or the moves that can follow the combo moves[0..count) on table. No
// figure is known yet. Returns false, leaving *atlas unusable, if the combo
// cannot be played on table: a starter or a follow-up outside 1 to 8, or a
// link that the table lacks or that the combo has used already.
// REQUIRES: 0 <= count <= kMaxComboMoves.
bool startTableAtlas(TableAtlas* atlas, const LinkTable& table,
                     const int32_t* moves, int32_t count);

// The memo gets this many steps for each evaluation point of the exact
// count: a step costs 10 to 80 ns, a point 0.2 to 0.5 us of one core, so
// a memo that gives up has cost at most about as long as the exact count
// that follows on two cores. The game's table takes about 1.6 steps a
// point, a combo begun on it at most 0.7; random tables of 28 links 4 to
// 10.
inline constexpr int64_t kMemoStepsPerPoint = 8;
// At least this many, for the smallest tables, where the exact count costs
// little but starting its threads: a few milliseconds of steps.
inline constexpr int64_t kMinMemoSteps = int64_t{1} << 18;
// At most this many, a quarter of a second or so, which the budget reaches
// at about the game's size (524 232 points, 820 000 steps): the steps
// a memo needs grow faster with the links than the points do, tenfold
// every 4 links, and random tables of 31 links already need 36 to 100
// million.
inline constexpr int64_t kMaxMemoSteps = int64_t{1} << 22;

// Returns the steps that the memo of states may take on the question of
// atlas before the exact count is expected to be faster: job.pointCount
// times kMemoStepsPerPoint, within kMinMemoSteps and kMaxMemoSteps.
// REQUIRES: planTableCounts(atlas, &job) was called.
int64_t memoStepBudget(const ExactCountJob& job);

// Works out every figure of atlas with the memo of states over the table,
// in *search, within stepBudget steps. Returns true with the lengths and
// the examples known (lengthsKnown, fromMemo), and the counts too
// (countsKnown) unless one of them reached kAtlasCountLimit; returns false,
// with nothing more known, if the budget ran out first. *search is started
// afresh on the table (its remembered states forgotten).
// REQUIRES: startTableAtlas(atlas, ...) returned true; stepBudget >= 0.
bool atlasFromMemo(TableAtlas* atlas, AtlasSearch* search, int64_t stepBudget);

// Works out the shortest, the longest and the example of row r by branch
// and bound with the default budgets of combo_lengths.h: exact on every
// table tried, proven ranges otherwise. Rows may be worked out in any
// order, on any thread (each only writes its own row); once every row is,
// call noteTableLengths.
// REQUIRES: startTableAtlas(atlas, ...) returned true; 0 <= r < rowCount.
void findTableRowLengths(TableAtlas* atlas, int32_t r);
void noteTableLengths(TableAtlas* atlas);  // sets lengthsKnown

// findTableRowLengths for every row, then noteTableLengths.
void findTableLengths(TableAtlas* atlas);

// Plans the exact count of every row into *job: query r counts row r.
// REQUIRES: startTableAtlas(atlas, ...) returned true.
void planTableCounts(const TableAtlas& atlas, ExactCountJob* job);

// Takes the counts of the job that planTableCounts planned: counts[r] for
// row r, counts[0..rowCount). Sets countsKnown.
void setTableCounts(TableAtlas* atlas, const BigCount* counts);

// Works out the lower bound and the estimate of row r from kBoundWalks
// random complete combos with the seed kBoundSeed (the same figures every
// time), in *workspace. As findTableRowLengths: rows in any order, on any
// thread with a workspace of its own; then noteTableBounds.
// REQUIRES: startTableAtlas(atlas, ...) returned true; 0 <= r < rowCount.
void estimateTableRow(TableAtlas* atlas, int32_t r, BoundsWorkspace* workspace);
void noteTableBounds(TableAtlas* atlas);  // sets boundsKnown

// estimateTableRow for every row, then noteTableBounds.
void estimateTableCounts(TableAtlas* atlas, BoundsWorkspace* workspace);

// Works out every count and length of atlas on the calling thread alone:
// the memo within its budget, and where it gives up, the lengths by branch
// and bound and the exact count unit by unit, in *job and *workspace. For
// tests and small tables; combo-atlas runs the exact count on threads.
// REQUIRES: startTableAtlas(atlas, ...) returned true.
void figureTableAtlas(TableAtlas* atlas, AtlasSearch* search,
                      ExactCountJob* job, CountWorkspace* workspace);

}  // namespace combo

#endif  // COMBO_TABLE_ATLAS_H_
