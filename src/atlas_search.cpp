#include "atlas_search.h"

namespace combo {
namespace {

// What can still follow from one state: the complete combos from there, and
// the fewest and most further links in one (0 when the combo ends here).
struct Rest {
  uint64_t combos;
  int32_t fewest;
  int32_t most;
};

// The set holding link i alone.
LinkSet linkAlone(int32_t i) { return LinkSet{1} << i; }

// A slot's second word: bits 0 to 2 the move less one, 3 to 9 the fewest
// further links, 10 to 16 the most (0 to 64 each), 17 to 63 the count.
constexpr int32_t kMoveBits = 3;
constexpr int32_t kLengthBits = 7;
constexpr int32_t kCountShift = kMoveBits + 2 * kLengthBits;
static_assert(kMaxAtlasLinks < (1 << kLengthBits),
              "a count of further links fits in its bits");
static_assert(kAtlasCountLimit == UINT64_MAX >> kCountShift,
              "a count below the limit fits in its bits");
constexpr uint64_t kMoveMask = (uint64_t{1} << kMoveBits) - 1;
constexpr uint64_t kLengthMask = (uint64_t{1} << kLengthBits) - 1;
// An empty slot: no state has used every bit, since a table of 64 links
// that has used them all has nothing open, and such a state is never kept.
constexpr LinkSet kNoState = ~LinkSet{0};

uint64_t packMemoSlot(int32_t move, const Rest& rest) {
  return (rest.combos << kCountShift) |
         (static_cast<uint64_t>(rest.most) << (kMoveBits + kLengthBits)) |
         (static_cast<uint64_t>(rest.fewest) << kMoveBits) |
         static_cast<uint64_t>(move - 1);
}

Rest unpackMemoSlot(uint64_t packed) {
  return {packed >> kCountShift,
          static_cast<int32_t>((packed >> kMoveBits) & kLengthMask),
          static_cast<int32_t>((packed >> (kMoveBits + kLengthBits)) &
                               kLengthMask)};
}

// The slot where the state (move, used) is remembered, if it is. States met
// one after another differ in a few links, that is in a few low bits of the
// key; multiplying by 2^64 divided by the golden ratio and keeping the top
// bits spreads such keys over the whole table. The move is folded into the
// key by a second odd multiplier, so that no bit of the set is lost.
AtlasMemoSlot* slotFor(AtlasSearch* search, int32_t move, LinkSet used) {
  uint64_t key = used ^ (static_cast<uint64_t>(move) * 0xD6E8FEB86659FD93u);
  uint64_t hash = key * uint64_t{0x9E3779B97F4A7C15};
  return &search->memo[hash >> (64 - kAtlasMemoBits)];
}

// Works out what can still follow after the links `used` at move `move`.
// Recursion goes at most one level per link, so at most 65 levels deep.
// Past the step budget of *search it sets search->spent and returns
// nothing that means anything, remembering nothing more.
Rest restFrom(AtlasSearch* search, int32_t move, LinkSet used) {
  const LinkBits& links = search->links;
  // A state with nothing open is the most common of all and costs less to
  // answer than to look up.
  if ((links.leaving[move - 1] & ~used) == 0) return {1, 0, 0};

  AtlasMemoSlot* slot = slotFor(search, move, used);
  if (slot->used == used &&
      (slot->packed & kMoveMask) == static_cast<uint64_t>(move - 1)) {
    return unpackMemoSlot(slot->packed);
  }
  if (++search->steps > search->stepBudget) {
    search->spent = true;
    return {0, 0, 0};
  }
  Rest sum = {0, INT32_MAX, 0};
  for (int32_t i = links.firstLink[move - 1]; i < links.firstLink[move]; ++i) {
    LinkSet link = linkAlone(i);
    if ((used & link) != 0) continue;
    Rest next = restFrom(search, links.target[i], used | link);
    sum.combos = internal::addMemoCounts(sum.combos, next.combos);
    if (next.fewest + 1 < sum.fewest) sum.fewest = next.fewest + 1;
    if (next.most + 1 > sum.most) sum.most = next.most + 1;
  }
  if (search->spent) return sum;
  // Whatever the slot held, perhaps a state stored by the recursion just
  // now, the newest state takes it: states recur mostly soon after they are
  // first met, within the same subtree.
  slot->used = used;
  slot->packed = packMemoSlot(move, sum);
  return sum;
}

// Writes into out[0..links) the moves after `move` of the first combo, in
// ascending order of move numbers, that goes on from (move, used) for
// `links` more links: at each step the smallest follow-up from which the
// rest can still be that long. Trying the follow-ups in ascending order and
// keeping the first that can makes the whole chain the first of the longest.
// Those states were just worked out, so most of them are still remembered.
// REQUIRES: restFrom(search, move, used).most == links.
void followLongest(AtlasSearch* search, int32_t move, LinkSet used,
                   int32_t links, int32_t* out) {
  const LinkBits& bits = search->links;
  for (int32_t n = 0; n < links; ++n) {
    int32_t linksWanted = links - n;  // this one included
    for (int32_t i = bits.firstLink[move - 1]; i < bits.firstLink[move]; ++i) {
      LinkSet link = linkAlone(i);
      if ((used & link) != 0) continue;
      if (restFrom(search, bits.target[i], used | link).most + 1 ==
          linksWanted) {
        move = bits.target[i];
        used |= link;
        break;
      }
    }
    out[n] = move;
  }
}

// The number of link i from move to next in search's table, or -1 if it
// has no such link.
int32_t linkBetween(const LinkBits& links, int32_t move, int32_t next) {
  for (int32_t i = links.firstLink[move - 1]; i < links.firstLink[move]; ++i) {
    if (links.target[i] == next) return i;
  }
  return -1;
}

}  // namespace

bool startAtlasSearch(AtlasSearch* search, const LinkTable& table) {
  if (countOpenLinks(table) > kMaxAtlasLinks) return false;
  LinkBits& links = search->links;
  links = LinkBits{};
  for (int32_t k = kFirstMove; k <= kLastMove; ++k) {
    links.firstLink[k - 1] = links.linkCount;
    for (int32_t j = kFirstMove; j <= kLastMove; ++j) {
      if (!isLinkOpen(table, k, j)) continue;
      links.target[links.linkCount] = j;
      links.leaving[k - 1] |= linkAlone(links.linkCount);
      ++links.linkCount;
    }
  }
  links.firstLink[kMoveKinds] = links.linkCount;
  // Remembered states belong to the links they were worked out for.
  for (AtlasMemoSlot& slot : search->memo) slot = {kNoState, 0};
  search->steps = 0;
  search->stepBudget = INT64_MAX;
  search->spent = false;
  return true;
}

void setAtlasStepBudget(AtlasSearch* search, int64_t budget) {
  search->stepBudget = budget;
}

StarterSummary summarizeStarter(AtlasSearch* search, int32_t starter) {
  StarterSummary summary = {};
  summary.starter = starter;
  Rest all = restFrom(search, starter, 0);
  summary.combos = all.combos;
  summary.shortest = all.fewest + 1;
  summary.longest = all.most + 1;
  summary.example[0] = starter;
  followLongest(search, starter, 0, all.most, summary.example + 1);
  return summary;
}

StarterSummary firstLongestCombo(AtlasSearch* search) {
  // Each starter's example is the first of its own longest, and starters are
  // tried in ascending order: a later one wins only by being longer.
  StarterSummary first = summarizeStarter(search, kFirstMove);
  for (int32_t starter = kFirstMove + 1; starter <= kLastMove; ++starter) {
    StarterSummary summary = summarizeStarter(search, starter);
    if (summary.longest > first.longest) first = summary;
  }
  return first;
}

AtlasMoveFault followLink(const AtlasSearch& search, AtlasState* state,
                          int32_t next) {
  if (!isMoveKind(next)) return AtlasMoveFault::kFollowUpOutOfRange;
  int32_t i = linkBetween(search.links, state->move, next);
  if (i < 0 || (state->used & linkAlone(i)) != 0) {
    return AtlasMoveFault::kNoOpenLink;
  }
  state->move = next;
  state->used |= linkAlone(i);
  return AtlasMoveFault::kNone;
}

AtlasMoveFault followMoves(const AtlasSearch& search, const int32_t* moves,
                           int32_t count, AtlasState* state, int32_t* at) {
  if (!isMoveKind(moves[0])) {
    *at = 0;
    return AtlasMoveFault::kStarterOutOfRange;
  }
  AtlasState reached = {moves[0], 0};
  for (int32_t i = 1; i < count; ++i) {
    AtlasMoveFault fault = followLink(search, &reached, moves[i]);
    if (fault != AtlasMoveFault::kNone) {
      *state = reached;
      *at = i;
      return fault;
    }
  }
  *state = reached;
  return AtlasMoveFault::kNone;
}

bool stateOfLinks(const AtlasSearch& search, const LinkTable& table,
                  int32_t move, AtlasState* state) {
  if (!isMoveKind(move)) return false;
  const LinkBits& links = search.links;
  LinkSet used = 0;
  for (int32_t k = kFirstMove; k <= kLastMove; ++k) {
    for (int32_t j = kFirstMove; j <= kLastMove; ++j) {
      int32_t i = linkBetween(links, k, j);
      if (i < 0 && isLinkOpen(table, k, j)) return false;
      if (i >= 0 && !isLinkOpen(table, k, j)) used |= linkAlone(i);
    }
  }
  *state = {move, used};
  return true;
}

void summarizeFollowUps(AtlasSearch* search, AtlasState state,
                        FollowUpSummaries* out) {
  const LinkBits& links = search->links;
  // The moves so far: the starter and one for each link used.
  int32_t movesSoFar = 1 + countBits(state.used);
  out->count = 0;
  for (int32_t i = links.firstLink[state.move - 1];
       i < links.firstLink[state.move]; ++i) {
    LinkSet link = linkAlone(i);
    if ((state.used & link) != 0) continue;
    int32_t next = links.target[i];
    Rest rest = restFrom(search, next, state.used | link);
    FollowUpSummary& row = out->rows[out->count++];
    row.next = next;
    row.combos = rest.combos;
    row.shortest = movesSoFar + 1 + rest.fewest;
    row.longest = movesSoFar + 1 + rest.most;
    row.example[0] = next;
    row.exampleLength = 1 + rest.most;
    followLongest(search, next, state.used | link, rest.most, row.example + 1);
  }
}

int32_t firstLongestRow(const FollowUpSummaries& summaries) {
  // Each row's example is the first of the longest through its next, and
  // the rows come in ascending order of next: a later row wins only by
  // being longer.
  int32_t first = -1;
  for (int32_t r = 0; r < summaries.count; ++r) {
    if (first < 0 ||
        summaries.rows[r].longest > summaries.rows[first].longest) {
      first = r;
    }
  }
  return first;
}

namespace internal {

// Counts add up fast in a dense table.
uint64_t addSaturating(uint64_t a, uint64_t b) {
  return b > UINT64_MAX - a ? UINT64_MAX : a + b;
}

uint64_t addMemoCounts(uint64_t a, uint64_t b) {
  uint64_t sum = addSaturating(a, b);
  return sum < kAtlasCountLimit ? sum : kAtlasCountLimit;
}

}  // namespace internal

}  // namespace combo
