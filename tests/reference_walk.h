// The plain enumeration that the atlas is checked and timed against: every
// complete combo walked one by one, depth first, over a link table held as a
// 9x9 array of integers, closing a link on the way down and opening it again
// on the way back. It remembers nothing, so it is slow (it visits every one
// of the game's 34.5 million combos) but plain enough to be right by reading
// it. The atlas's tests check its figures against this walk, and the
// benchmark (bench/atlas/plain_dfs.cpp) times it against the same walk.
//
// It gives the figures of the complete combos that begin with a prefix: how
// many, the fewest and the most moves, and the first of the longest (the
// first in ascending order of move numbers, compared move by move). For one
// starter (walkFromStarter), or for every prefix of up to some length that
// a combo begins with (walkEveryPrefix).
//
// Test and benchmark code, which the programs never include. It allocates
// nothing, and walks a table of any of the 64 links, self-links included,
// as far as time allows.

#ifndef COMBO_REFERENCE_WALK_H_
#define COMBO_REFERENCE_WALK_H_

#include <algorithm>
#include <cstdint>

#include "link_table.h"

namespace combo {

// A combo uses each of the 64 links of 8 kinds at most once.
inline constexpr int32_t kMaxWalkMoves = kMoveKinds * kMoveKinds + 1;

// The figures for the complete combos that begin with one prefix.
struct WalkFigures {
  uint64_t combos;
  int32_t shortest;  // the fewest moves in one
  int32_t longest;   // the most moves in one
  // The first of the longest, the prefix included: example[0..longest).
  int32_t example[kMaxWalkMoves];
};

// One walk's table and where it stands. About 20 KiB.
struct ReferenceWalk {
  // Row k, entry j: j while the link from k to j is open, 0 otherwise, as
  // in a LinkTable. Row 0 and column 0 stay 0.
  int32_t links[kRowEntries][kRowEntries];
  // walkEveryPrefix: prefixes of up to this many moves are summed up each
  // on its own.
  int32_t kept;
  // The combo so far, path[0..depth).
  int32_t path[kMaxWalkMoves];
  // open[d - 1]: the figures so far for the prefix path[0..d), d <= kept.
  WalkFigures open[kMaxWalkMoves];
};

// Sets the links of *walk to the open links of table.
inline void startReferenceWalk(ReferenceWalk* walk, const LinkTable& table) {
  for (int32_t j = 0; j < kRowEntries; ++j) walk->links[0][j] = 0;
  for (int32_t k = kFirstMove; k <= kLastMove; ++k) {
    for (int32_t j = 0; j < kRowEntries; ++j) {
      walk->links[k][j] = table.rows[k - 1].entries[j];
    }
  }
}

// Sets *figures to those of no combo at all.
inline void clearFigures(WalkFigures* figures) {
  figures->combos = 0;
  figures->shortest = INT32_MAX;
  figures->longest = 0;
}

// Counts the complete combo path[0..length) into *figures. A combo counted
// after others of its length is not the first of them.
inline void countCombo(WalkFigures* figures, const int32_t* path,
                       int32_t length) {
  ++figures->combos;
  if (length < figures->shortest) figures->shortest = length;
  if (length > figures->longest) {
    figures->longest = length;
    std::copy(path, path + length, figures->example);
  }
}

// Counts into *figures the combos of from, counted after those of *figures.
inline void addFigures(WalkFigures* figures, const WalkFigures& from) {
  figures->combos += from.combos;
  if (from.shortest < figures->shortest) figures->shortest = from.shortest;
  if (from.longest > figures->longest) {
    figures->longest = from.longest;
    std::copy(from.example, from.example + from.longest, figures->example);
  }
}

// The plain walk: calls visit(path, length) for every complete combo
// path[0..length) that goes on from path[0..depth), whose last move is
// move, in ascending order of move numbers: follow-ups are tried in
// ascending order.
// REQUIRES: path[depth - 1] == move; the links of path[0..depth) closed in
// walk->links.
//
// A template over visit, so that each caller has a walk of its own with
// visit inlined. Written as an inline function instead, g++ 12 unrolls the
// recursion into itself and the walk takes about a third longer, which
// would flatter the benchmark's ratio.
template <typename Visit>
void walkCombos(ReferenceWalk* walk, int32_t move, int32_t depth,
                Visit& visit) {
  bool ended = true;
  for (int32_t j = kFirstMove; j <= kLastMove; ++j) {
    if (walk->links[move][j] == 0) continue;
    ended = false;
    walk->links[move][j] = 0;
    walk->path[depth] = j;
    walkCombos(walk, j, depth + 1, visit);
    walk->links[move][j] = j;
  }
  if (ended) visit(walk->path, depth);
}

// Counts into *figures every complete combo that goes on from
// path[0..depth), as walkCombos finds them.
// REQUIRES: as walkCombos.
inline void countCombos(ReferenceWalk* walk, int32_t move, int32_t depth,
                        WalkFigures* figures) {
  auto count = [figures](const int32_t* path, int32_t length) {
    countCombo(figures, path, length);
  };
  walkCombos(walk, move, depth, count);
}

// The same for a prefix path[0..depth) of at most kept moves, each longer
// prefix of at most kept moves summed up on its own and added in ascending
// order of its last move. Puts the figures in walk->open[depth - 1] and
// calls report(path, depth, figures) once they are whole.
// REQUIRES: as walkCombos; 1 <= depth <= walk->kept.
template <typename Report>
void walkPrefix(ReferenceWalk* walk, int32_t move, int32_t depth,
                Report& report) {
  WalkFigures& figures = walk->open[depth - 1];
  clearFigures(&figures);
  if (depth == walk->kept) {
    countCombos(walk, move, depth, &figures);
  } else {
    for (int32_t j = kFirstMove; j <= kLastMove; ++j) {
      if (walk->links[move][j] == 0) continue;
      walk->links[move][j] = 0;
      walk->path[depth] = j;
      walkPrefix(walk, j, depth + 1, report);
      walk->links[move][j] = j;
      addFigures(&figures, walk->open[depth]);
    }
    // Nothing could follow: the prefix is itself a complete combo.
    if (figures.combos == 0) countCombo(&figures, walk->path, depth);
  }
  report(walk->path, depth, figures);
}

// The figures for every complete combo from starter.
// REQUIRES: *walk started; 1 <= starter <= 8.
inline WalkFigures walkFromStarter(ReferenceWalk* walk, int32_t starter) {
  WalkFigures figures = {};
  clearFigures(&figures);
  walk->path[0] = starter;
  countCombos(walk, starter, 1, &figures);
  return figures;
}

// Walks every complete combo from every starter, and calls
// report(moves, count, figures) for each prefix moves[0..count) of at most
// kept moves that some complete combo begins with, that is whose moves each
// follow over a link still open. Each prefix is reported once, after every
// combo that begins with it, with the figures of those combos.
// REQUIRES: *walk started; 1 <= kept <= kMaxWalkMoves.
template <typename Report>
void walkEveryPrefix(ReferenceWalk* walk, int32_t kept, Report report) {
  walk->kept = kept;
  for (int32_t starter = kFirstMove; starter <= kLastMove; ++starter) {
    walk->path[0] = starter;
    walkPrefix(walk, starter, 1, report);
  }
}

}  // namespace combo

#endif  // COMBO_REFERENCE_WALK_H_
