// Instant figures on the number of complete combos of any table of the eight
// move kinds, for when the exact count (exact_count.h) would take a while: a
// proven upper bound, a proven lower bound and an estimate, together with
// the count of the combos that use one given set of links.
//
// A complete combo from a starter s is a walk s, m1, m2, ... over links,
// each link used at most once, that goes on until the current move has no
// unused link leaving it; two walks that differ anywhere are different
// combos. A starter with no link gives one combo, s alone.
//
// The lower bound and the estimate come from random complete combos: from
// the starter, a link chosen uniformly among the unused links leaving the
// current move, until there is none. The generator has a fixed seed, so the
// same table and starter always give the same figures.
//   - The lower bound: a complete combo that ends at t with the link set E
//     is an Euler trail of E from s to t, and every Euler trail of E from s
//     to t is a complete combo (it uses every link leaving t, as the first
//     did). So the number of such trails (eulerTrailCount), summed over the
//     distinct sets E met, is a lower bound on the count; never above it.
//   - The estimate (Knuth's): the mean, over the walks, of the product of
//     the numbers of choices met along each walk. Its expectation is the
//     count; with the default 20 000 walks it came within 0.76 to 1.11 of
//     it on the game's table and on a random table of 40 links.
//   - The lower bound is weaker: a third of the count on the game's table,
//     1 % on that random table, three quarters on the table of all links.
//
// Nothing is allocated. estimateCombos works in a BoundsWorkspace that the
// caller provides (about 260 KiB: give it static storage, one per thread).

#ifndef COMBO_COUNT_BOUNDS_H_
#define COMBO_COUNT_BOUNDS_H_

#include <cstdint>

#include "big_count.h"
#include "link_table.h"

namespace combo {

// Returns a proven upper bound on the number of complete combos from starter
// over table: the product, over the moves that starter can reach, of
// sum_{k=0..d} d! / (d - k)!, d being the move's number of links (self-link
// included). A combo is fixed by the order in which it uses the links
// leaving each move, and that order is one of those d! / (d - k)!
// arrangements of k of its d links. Below 2^134 for every table.
// REQUIRES: 1 <= starter <= 8.
BigCount comboUpperBound(const LinkTable& table, int32_t starter);

// Returns the number of walks from starter to end that use every link of
// `links` (a link set as in count_links.h) exactly once, as the BEST
// theorem gives it: with the extra link end -> starter the set becomes a
// closed walk, counted by a spanning-tree determinant times the product of
// (d - 1)! over its moves of out-degree d. 0 when there is no such walk
// (the degrees do not allow one, or the links are not all connected).
// A walk of no link (links empty, end == starter) counts 1. When `links`
// holds every link of a table that leaves end, each such walk is a
// complete combo of that table.
// REQUIRES: 1 <= starter <= 8, 1 <= end <= 8.
BigCount eulerTrailCount(uint64_t links, int32_t starter, int32_t end);

// The walks estimateCombos takes by default, and at most.
inline constexpr int32_t kBoundWalks = 20000;
inline constexpr int32_t kMaxBoundWalks = 24576;
// The seed of the generator that estimateCombos uses by default.
inline constexpr uint64_t kBoundSeed = 0x636F6D626F2D3235;  // "combo-25"

// The link sets met, one slot each; twice as many slots as walks, and more.
inline constexpr int32_t kBoundSlotBits = 15;
inline constexpr int32_t kBoundSlots = int32_t{1} << kBoundSlotBits;
static_assert(kMaxBoundWalks * 4 <= kBoundSlots * 3,
              "the set of link sets is at most three quarters full");

struct BoundsWorkspace {
  uint64_t sets[kBoundSlots];
  uint32_t filled[kBoundSlots / 32];  // bit i: slot i holds a set
};

// The figures estimateCombos gives.
struct ComboBounds {
  BigCount lowerBound;   // proven: never above the exact count
  double estimate;       // Knuth's estimate of the count
  int32_t walks;         // the random complete combos taken
  int32_t distinctSets;  // the distinct link sets among them
};

// Takes `walks` random complete combos from starter over table, with the
// generator seeded by seed, and returns the lower bound and the estimate
// they give. A starter with no link gives exactly 1 for both.
// REQUIRES: 1 <= starter <= 8; 1 <= walks <= kMaxBoundWalks.
ComboBounds estimateCombos(const LinkTable& table, int32_t starter,
                           int32_t walks, uint64_t seed,
                           BoundsWorkspace* workspace);

}  // namespace combo

#endif  // COMBO_COUNT_BOUNDS_H_
