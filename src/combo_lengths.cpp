#include "combo_lengths.h"

namespace combo {

namespace {

// --- links as bits ------------------------------------------------------

// The links not yet used, one bit each: the link from move x + 1 to move
// y + 1 is bit 8 * x + y. So the links leaving a move are one byte, and
// walking its bits upwards visits the follow-ups in ascending order. Inside
// this file moves are numbered 0 to 7 (the move number less one), so that a
// set of moves is a byte too.
using Links = uint64_t;

constexpr int32_t kMoves = kMoveKinds;
static_assert(kMoves * kMoves == 64, "one bit of a Links for each link");
static_assert(kMaxComboLinks == 64, "a table holds at most 64 links");

Links linksOf(const LinkTable& table) {
  Links links = 0;
  for (int32_t x = 0; x < kMoves; ++x) {
    for (int32_t y = 0; y < kMoves; ++y) {
      if (table.rows[x].entries[y + 1] != 0) {
        links |= Links{1} << (kMoves * x + y);
      }
    }
  }
  return links;
}

// The moves that the links leaving move x reach, as bits.
uint32_t rowOf(Links links, int32_t x) {
  return static_cast<uint32_t>(links >> (kMoves * x)) & 0xFFu;
}

Links linkBit(int32_t from, int32_t to) {
  return Links{1} << (kMoves * from + to);
}

bool hasSelfLink(Links links, int32_t x) {
  return ((rowOf(links, x) >> x) & 1u) != 0;
}

// The index of the lowest bit of bits. The lowest bit alone, times a de
// Bruijn number, has a different top five bits for each index: the hot
// loops of the flows walk bits with this, and a loop over the bits one by
// one took a quarter of all the time.
// REQUIRES: bits != 0.
int32_t lowestBit(uint32_t bits) {
  static constexpr int8_t kIndexOfTop[32] = {
      0,  1,  28, 2,  29, 14, 24, 3, 30, 22, 20, 15, 25, 17, 4,  8,
      31, 27, 13, 23, 21, 19, 16, 7, 26, 12, 18, 6,  11, 5,  10, 9};
  uint32_t lowest = bits & (~bits + 1);
  return kIndexOfTop[(lowest * 0x077CB531u) >> 27];
}

// The moves of set and every move one link away from them, as bits.
uint32_t grow(const uint32_t* near, uint32_t set) {
  uint32_t grown = set;
  for (uint32_t bits = set; bits != 0; bits &= bits - 1) {
    grown |= near[lowestBit(bits)];
  }
  return grown;
}

// The moves reachable from set over the links near gives (near[x]: the
// moves one link from x), set included.
uint32_t closure(const uint32_t* near, uint32_t set) {
  for (uint32_t grown = grow(near, set); grown != set;) {
    set = grown;
    grown = grow(near, set);
  }
  return set;
}

// The links that leave or enter a move of set.
Links linksTouching(uint32_t set) {
  Links touching = 0;
  for (uint32_t bits = set; bits != 0; bits &= bits - 1) {
    int32_t x = lowestBit(bits);
    touching |= Links{0xFF} << (kMoves * x);      // row x
    touching |= Links{0x0101010101010101u} << x;  // column x
  }
  return touching;
}

// --- what a combo may still use ------------------------------------------

// A combo from v can only visit the moves reachable from v, and so only use
// the links that leave them: A. Their numbers per move; a self-link counts
// both as leaving and as entering its move.
struct Reach {
  uint32_t moves;  // the moves reachable from v, v included
  int32_t links;   // |A|
  int32_t out[kMoves];
  int32_t in[kMoves];
};

Reach reachFrom(Links links, int32_t v) {
  uint32_t near[kMoves];
  for (int32_t x = 0; x < kMoves; ++x) near[x] = rowOf(links, x);
  Reach reach = {};
  reach.moves = closure(near, 1u << v);
  for (uint32_t bits = reach.moves; bits != 0; bits &= bits - 1) {
    int32_t x = lowestBit(bits);
    reach.out[x] = countBits(near[x]);
    reach.links += reach.out[x];
    for (uint32_t row = near[x]; row != 0; row &= row - 1) {
      ++reach.in[lowestBit(row)];
    }
  }
  return reach;
}

// Whether a complete combo from v may end at t as far as counts tell: it
// uses every link leaving t, and enters t once for each time it leaves it,
// and once more unless it starts there (a self-link does both), so t needs
// that many links into it.
bool mayEndAt(Links links, const Reach& reach, int32_t v, int32_t t) {
  int32_t self = hasSelfLink(links, t) ? 1 : 0;
  int32_t enters = reach.out[t] - self + (t == v ? 0 : 1);
  return enters <= reach.in[t] - self;
}

// --- minimum-cost flow --------------------------------------------------

// Both bounds below are least-cost flows on one small network: a node for
// each move, a door for each move, and the free end. Unit arcs carry 1:
// those between moves (and into doors) are links and cost 1; those leaving
// the free end cost 0. A door passes what it takes in to its move through
// a pipe: doorFree units at cost 0, then one more at lastCost. With 17 nodes
// and a few dozen units of supply, successive shortest paths found by
// Bellman-Ford take a microsecond or two and need no allocation.
constexpr int32_t kDoor = kMoves;  // the door of move x is node kDoor + x
constexpr int32_t kFreeEnd = 2 * kMoves;
constexpr int32_t kFlowNodes = 2 * kMoves + 1;
constexpr int32_t kUnreached = 1 << 20;

struct FlowNetwork {
  uint32_t arcs[kFlowNodes];    // arcs[x], bit y: a unit arc from x to y
  int32_t supply[kFlowNodes];   // the net outflow each node must have
  uint32_t flow[kFlowNodes];    // flow[x], bit y: the arc x->y carries 1
  uint32_t inflow[kFlowNodes];  // inflow[y], bit x: the same, by head
  uint32_t doors;               // bit x: move x has a door
  int32_t doorFree[kMoves];     // units the cost-0 pipe may still carry
  int32_t doorCarried[kMoves];  // units the cost-0 pipe carries
  int32_t lastCost[kMoves];     // the cost of the pipe's last unit
  bool lastTaken[kMoves];       // the pipe's last unit is carried
};

int32_t arcCost(int32_t from) { return from == kFreeEnd ? 0 : 1; }

// How a node was reached on a shortest path in the residual network.
enum class Step : uint8_t {
  kArc,       // over a unit arc
  kBackArc,   // against a unit arc that carries flow
  kPipe,      // through a door's cost-0 pipe
  kLastPipe,  // through a door's last unit
  kBackPipe,  // back against the cost-0 pipe
  kBackLast,  // back against the last unit
};

struct Paths {
  int32_t dist[kFlowNodes];
  int32_t parent[kFlowNodes];
  Step step[kFlowNodes];
};

// Lowers y's distance to d, reached from x by step, if that is shorter.
// Returns y as a bit if it did, 0 otherwise.
uint32_t relax(Paths* p, int32_t x, int32_t y, int32_t d, Step step) {
  if (d >= p->dist[y]) return 0;
  p->dist[y] = d;
  p->parent[y] = x;
  p->step[y] = step;
  return 1u << y;
}

// Relaxes the pipe that node x stands at either end of, if any.
uint32_t relaxPipe(const FlowNetwork& net, Paths* p, int32_t x) {
  int32_t d = p->dist[x];
  if (x >= kDoor && x < kFreeEnd && ((net.doors >> (x - kDoor)) & 1u) != 0) {
    int32_t m = x - kDoor;
    if (net.doorFree[m] > 0) return relax(p, x, m, d, Step::kPipe);
    if (!net.lastTaken[m]) {
      return relax(p, x, m, d + net.lastCost[m], Step::kLastPipe);
    }
  } else if (x < kMoves && ((net.doors >> x) & 1u) != 0) {
    if (net.lastTaken[x]) {
      return relax(p, x, kDoor + x, d - net.lastCost[x], Step::kBackLast);
    }
    if (net.doorCarried[x] > 0) {
      return relax(p, x, kDoor + x, d, Step::kBackPipe);
    }
  }
  return 0;
}

// Relaxes every residual arc leaving x; returns the nodes whose distance
// fell, as bits.
uint32_t relaxFrom(const FlowNetwork& net, Paths* p, int32_t x) {
  uint32_t lowered = 0;
  int32_t d = p->dist[x];
  for (uint32_t bits = net.arcs[x] & ~net.flow[x]; bits != 0;
       bits &= bits - 1) {
    lowered |= relax(p, x, lowestBit(bits), d + arcCost(x), Step::kArc);
  }
  for (uint32_t bits = net.inflow[x]; bits != 0; bits &= bits - 1) {
    int32_t y = lowestBit(bits);
    lowered |= relax(p, x, y, d - arcCost(y), Step::kBackArc);
  }
  return lowered | relaxPipe(net, p, x);
}

// Shortest distances in the residual network from every node that still
// has supply. Returns false if no node has supply left.
bool residualDistances(const FlowNetwork& net, Paths* p) {
  uint32_t sources = 0;
  for (int32_t x = 0; x < kFlowNodes; ++x) {
    p->dist[x] = net.supply[x] > 0 ? 0 : kUnreached;
    if (net.supply[x] > 0) sources |= 1u << x;
  }
  if (sources == 0) return false;
  // Bellman-Ford, relaxing in each round only from the nodes whose distance
  // fell in the round before. The residual costs may be negative (the
  // reverse of an arc with flow), but successive shortest paths leave no
  // negative cycle, so kFlowNodes rounds settle every distance.
  uint32_t lowered = sources;
  for (int32_t round = 0; round < kFlowNodes && lowered != 0; ++round) {
    uint32_t next = 0;
    for (uint32_t bits = lowered; bits != 0; bits &= bits - 1) {
      next |= relaxFrom(net, p, lowestBit(bits));
    }
    lowered = next;
  }
  return true;
}

// Moves one unit along the step by which y was reached from x.
void carry(FlowNetwork* net, int32_t x, int32_t y, Step step) {
  switch (step) {
    case Step::kArc:
      net->flow[x] |= 1u << y;
      net->inflow[y] |= 1u << x;
      break;
    case Step::kBackArc:  // cancels the unit on y->x
      net->flow[y] &= ~(1u << x);
      net->inflow[x] &= ~(1u << y);
      break;
    case Step::kPipe:
      --net->doorFree[y];
      ++net->doorCarried[y];
      break;
    case Step::kLastPipe:
      net->lastTaken[y] = true;
      break;
    case Step::kBackPipe:
      ++net->doorFree[x];
      --net->doorCarried[x];
      break;
    case Step::kBackLast:
      net->lastTaken[x] = false;
      break;
  }
}

// Returns the least cost of a flow on *net that meets every supply, or -1
// if there is none, and leaves that flow in *net. Adds 1 to *work: the
// searches' budgets count these.
// REQUIRES: the supplies sum to 0; nothing is carried yet.
int32_t minCostFlow(FlowNetwork* net, int64_t* work) {
  ++*work;
  int32_t cost = 0;
  Paths p;
  while (residualDistances(*net, &p)) {
    int32_t sink = -1;
    for (int32_t x = 0; x < kFlowNodes; ++x) {
      if (net->supply[x] < 0 && p.dist[x] != kUnreached &&
          (sink < 0 || p.dist[x] < p.dist[sink])) {
        sink = x;
      }
    }
    if (sink < 0) return -1;
    int32_t y = sink;
    while (p.dist[y] != 0 || net->supply[y] <= 0) {
      carry(net, p.parent[y], y, p.step[y]);
      y = p.parent[y];
    }
    --net->supply[y];
    ++net->supply[sink];
    cost += p.dist[sink];
  }
  return cost;
}

// --- the bound on the longest -------------------------------------------

// The links F of a complete combo from v that ends at t leave every move as
// often as they enter it, except that they leave v once more and enter t
// once more (neither when t = v). So a combo leaves each move x at most
// min(out(x), in(x) + [x = v]) times: the degree bound, quick but loose.
int32_t degreeBound(const Reach& reach, int32_t v) {
  int32_t bound = 0;
  for (int32_t x = 0; x < kMoves; ++x) {
    int32_t enters = reach.in[x] + (x == v ? 1 : 0);
    bound += reach.out[x] < enters ? reach.out[x] : enters;
  }
  return bound;
}

// A move that the combos of a bound must enter from one of a set of moves
// (see splitBound), or none (move -1). Its door takes the links from those
// moves, and leaving out the last of them costs more than any bound.
struct Entry {
  int32_t move;
  uint32_t from;
};
constexpr Entry kNoEntry = {-1, 0};
constexpr int32_t kMustEnter = 1 << 10;
static_assert(kMustEnter > kMaxComboLinks, "dearer than every link");

// The flow bound for the combos from v that end at t: the most links F of
// A that enter every move as often as they leave it, but for v and t as
// above, and that hold every link leaving t (a complete combo uses them
// all). The links R = A - F left out must then leave each move x
// exc(x) - [x = v] + [x = t] times more than they enter it, where
// exc = out - in in A: a flow whose every unit is a link left out, at cost
// 1 each, with no arc out of t. The least cost is the fewest links left
// out, and the bound |A| less that. Connectivity is ignored, but for the
// case that matters most: a self-link of a move other than v counts only
// if F enters that move at all, so the links into such a move go through
// its door, and leaving out the last of them costs 1 more.
//
// Sets *net to the network for any end: the arcs of every move, the
// supplies exc(x) - [x = v], the doors. The caller sets the end.
void setLongestNetwork(Links links, const Reach& reach, int32_t v, Entry entry,
                       FlowNetwork* net) {
  *net = {};
  uint32_t doorFrom[kMoves];  // the moves whose links into x go by its door
  for (uint32_t bits = reach.moves & ~(1u << v); bits != 0; bits &= bits - 1) {
    int32_t x = lowestBit(bits);
    if (x == entry.move) {
      doorFrom[x] = entry.from & reach.moves;
      net->doorFree[x] = -1;
      for (uint32_t from = doorFrom[x]; from != 0; from &= from - 1) {
        net->doorFree[x] +=
            static_cast<int32_t>((rowOf(links, lowestBit(from)) >> x) & 1u);
      }
      net->lastCost[x] = kMustEnter;
    } else if (hasSelfLink(links, x)) {
      doorFrom[x] = reach.moves;
      net->doorFree[x] = reach.in[x] - 2;  // the links in, less 1 and self
      net->lastCost[x] = 1;
    } else {
      continue;
    }
    net->doors |= 1u << x;
  }
  for (uint32_t bits = reach.moves; bits != 0; bits &= bits - 1) {
    int32_t x = lowestBit(bits);
    uint32_t row = rowOf(links, x) & ~(1u << x);
    uint32_t viaDoor = 0;
    for (uint32_t heads = row & net->doors; heads != 0; heads &= heads - 1) {
      int32_t y = lowestBit(heads);
      viaDoor |= ((doorFrom[y] >> x) & 1u) << y;
    }
    net->arcs[x] = (row & ~viaDoor) | (viaDoor << kDoor);
    net->supply[x] = reach.out[x] - reach.in[x];
  }
  net->supply[v] -= 1;
}

// The links of A that the solved *net keeps (F), as rows.
void keptLinks(Links links, const Reach& reach, const FlowNetwork& net,
               uint32_t* kept) {
  for (int32_t x = 0; x < kMoves; ++x) {
    uint32_t leftOut = (net.flow[x] | (net.flow[x] >> kDoor)) & 0xFFu;
    kept[x] = ((reach.moves >> x) & 1u) != 0 ? rowOf(links, x) & ~leftOut : 0;
    // A self-link is lost with the last link into its move.
    if (((net.doors >> x) & 1u) != 0 && net.lastTaken[x]) {
      kept[x] &= ~(1u << x);
    }
  }
}

// The moves of one part of the kept links that does not hang together with
// v's part, as bits; 0 if all of them do. A combo is one walk, so no combo
// uses such a part together with the rest.
uint32_t strayPart(const uint32_t* kept, int32_t v) {
  uint32_t near[kMoves] = {};  // linked either way by a kept link
  uint32_t touched = 1u << v;
  for (int32_t x = 0; x < kMoves; ++x) {
    if (kept[x] != 0) touched |= (1u << x) | kept[x];
    near[x] |= kept[x];
    for (uint32_t bits = kept[x]; bits != 0; bits &= bits - 1) {
      near[lowestBit(bits)] |= 1u << x;
    }
  }
  uint32_t stray = touched & ~closure(near, 1u << v);
  return stray == 0 ? 0 : closure(near, stray & (~stray + 1));
}

// The flow bound for the combos from v that end at t and enter entry.move
// from entry.from, over links; -1 if there are none. Leaves the flow in
// *net. The end kFreeEnd stands for any end: any reachable move, entered
// for free from the free end, whose links may then be left out like any
// other; quicker than a bound for each end, but looser.
int32_t caseBound(Links links, const Reach& reach, int32_t v, int32_t t,
                  Entry entry, FlowNetwork* net, int64_t* work) {
  setLongestNetwork(links, reach, v, entry, net);
  if (t == kFreeEnd) {
    net->arcs[kFreeEnd] = reach.moves;
    net->supply[kFreeEnd] = 1;
  } else if (((reach.moves >> t) & 1u) != 0) {
    net->arcs[t] = 0;
    net->supply[t] += 1;
  } else {
    return -1;
  }
  int32_t cost = minCostFlow(net, work);
  if (cost < 0 || cost >= kMustEnter) return -1;
  return reach.links - cost;
}

// The moves of a part of the links that the solved *net keeps that does
// not hang together with v's part; 0 if they all do, and then they are the
// links of a walk from v, a combo as long as the bound.
uint32_t strayOf(Links links, const Reach& reach, const FlowNetwork& net,
                 int32_t v) {
  uint32_t kept[kMoves];
  keptLinks(links, reach, net, kept);
  return strayPart(kept, v);
}

// The flow bound over every end, where its kept links (in the solved
// *anyEnd, with the given bound) fall apart: a combo either never touches
// the moves of the stray part, or enters one of them from a move outside
// it, and the greatest of the bounds of those cases (one flow each) is the
// bound. A result at most floor is an upper bound; a result above floor
// only says that the bound is above floor.
int32_t splitBound(Links links, const Reach& reach, int32_t v,
                   const FlowNetwork& anyEnd, int32_t bound, int32_t floor,
                   int64_t* work) {
  uint32_t stray = strayOf(links, reach, anyEnd, v);
  if (stray == 0) return bound;
  Links rest = links & ~linksTouching(stray);
  FlowNetwork net;
  int32_t most =
      caseBound(rest, reachFrom(rest, v), v, kFreeEnd, kNoEntry, &net, work);
  uint32_t outside = reach.moves & ~stray;
  uint32_t entered = 0;  // the moves of the stray part with a link in
  for (uint32_t from = outside; from != 0; from &= from - 1) {
    entered |= rowOf(links, lowestBit(from)) & stray;
  }
  for (uint32_t bits = entered; bits != 0 && most <= floor; bits &= bits - 1) {
    Entry entry = {lowestBit(bits), outside};
    int32_t caseMost = caseBound(links, reach, v, kFreeEnd, entry, &net, work);
    if (caseMost > most) most = caseMost;
  }
  return most;
}

// An upper bound on the further links of a complete combo from v. A result
// at most floor is such a bound; a result above floor only says that the
// bound is above floor. For the search, the quicker bounds go first, each
// pruning what it can: the degree bound, the flow bound over every end,
// then the one for each end t, the greatest of which is the bound. An end
// whose bound beats floor with kept links that hang together has a combo
// that long; where every such end's fall apart, the stray part of the
// bound over every end is split off.
int32_t furtherLinksBound(Links links, int32_t v, int32_t floor,
                          int64_t* work) {
  Reach reach = reachFrom(links, v);
  int32_t quick = degreeBound(reach, v);
  if (quick <= floor) return quick;
  FlowNetwork anyEnd;
  int32_t anyBound =
      caseBound(links, reach, v, kFreeEnd, kNoEntry, &anyEnd, work);
  if (anyBound <= floor) return anyBound;
  int32_t most = 0;
  for (uint32_t bits = reach.moves; bits != 0; bits &= bits - 1) {
    int32_t t = lowestBit(bits);
    if (!mayEndAt(links, reach, v, t)) continue;
    FlowNetwork net;
    int32_t bound = caseBound(links, reach, v, t, kNoEntry, &net, work);
    if (bound > floor && strayOf(links, reach, net, v) == 0) return bound;
    if (bound > most) most = bound;
  }
  if (most <= floor) return most;
  return splitBound(links, reach, v, anyEnd, anyBound, floor, work);
}

// The bound itself, without the splits: the greatest flow bound over the
// ends t.
int32_t longestBound(Links links, int32_t v, int64_t* work) {
  Reach reach = reachFrom(links, v);
  int32_t most = 0;
  for (uint32_t bits = reach.moves; bits != 0; bits &= bits - 1) {
    int32_t t = lowestBit(bits);
    if (!mayEndAt(links, reach, v, t)) continue;
    FlowNetwork net;
    int32_t bound = caseBound(links, reach, v, t, kNoEntry, &net, work);
    if (bound > most) most = bound;
  }
  return most;
}

// --- the longest ----------------------------------------------------------

// The points of a combo whose every branch has been searched, remembered
// so that one reached again by another order of the same links is not
// searched again. Within one search from one starter the links left say
// where the combo stands (the links used end at the one move they enter
// once more than they leave, or at the starter), so they are the key. A
// slot holds the last key stored there; 0, the key of no link left, marks
// an empty slot and is never stored. Searches within the budgets visit a
// few hundred points, so 512 slots lose almost nothing.
constexpr int32_t kSearchedBits = 9;
constexpr int32_t kSearchedSlots = int32_t{1} << kSearchedBits;

struct LongestSearch {
  int32_t path[kMaxComboMoves];  // the combo being built, moves 0 to 7
  LongestCombo* found;           // length.low: the longest found so far
  int32_t unexplored;            // the greatest bound of a branch not taken
  int64_t budget;
  bool exhausted;  // the budget ran out
  Links searched[kSearchedSlots];
};

Links* searchedSlot(LongestSearch* s, Links links) {
  uint64_t hash = links * 0x9E3779B97F4A7C15u;  // Fibonacci hashing
  return &s->searched[hash >> (64 - kSearchedBits)];
}

// Raises s->unexplored to a bound on the longest combo through the branch
// from move to next, over rest, that the spent budget leaves unsearched,
// unless the branch cannot beat best. At most one problem: the quicker
// bounds will do here.
void noteUnexplored(LongestSearch* s, Links rest, int32_t next, int32_t length,
                    int32_t best) {
  Reach reach = reachFrom(rest, next);
  int32_t bound = length + 1 + degreeBound(reach, next);
  if (bound > best) {
    FlowNetwork net;
    bound =
        length + 1 +
        caseBound(rest, reach, next, kFreeEnd, kNoEntry, &net, &s->found->work);
  }
  if (bound > best && bound > s->unexplored) s->unexplored = bound;
}

// Searches every complete combo that goes on from path[0..length), whose
// last move is move, over links, skipping the branches whose bound cannot
// beat the longest found. Follow-ups go in ascending order and only a
// strictly longer combo replaces the one found, so the first longest is
// kept. The first combo, the leftmost, is followed to its end whatever the
// budget, so that there is one to show; no bound can cut it short, so none
// is worked out on its way. Once the budget is spent, a branch left only
// raises unexplored.
void searchLongest(LongestSearch* s, Links links, int32_t move,
                   int32_t length) {
  LongestCombo* found = s->found;
  ++found->nodes;
  uint32_t row = rowOf(links, move);
  if (row == 0 && length > found->length.low) {
    found->length.low = length;
    for (int32_t i = 0; i < length; ++i) found->moves[i] = s->path[i] + 1;
  }
  for (; row != 0; row &= row - 1) {
    int32_t next = lowestBit(row);
    Links rest = links & ~linkBit(move, next);
    int32_t best = found->length.low;
    if (best > 0) {
      if (rest != 0 && *searchedSlot(s, rest) == rest) continue;
      if (found->work >= s->budget) {
        s->exhausted = true;
        noteUnexplored(s, rest, next, length, best);
        continue;
      }
      int32_t floor = best - length - 1;
      if (furtherLinksBound(rest, next, floor, &found->work) <= floor) {
        continue;
      }
    }
    s->path[length] = next;
    searchLongest(s, rest, next, length + 1);
    if (!s->exhausted && rest != 0) *searchedSlot(s, rest) = rest;
  }
}

// --- the bound on the shortest ------------------------------------------

// The fewest further links of a complete combo from v that ends at t, as
// far as counts can tell, or -1 if there is none. The combo uses every link
// Q leaving t (it is complete); the rest S must then bring one unit from v
// (unless t = v) and one from the head of each link of Q (but t) into t,
// and no link of S leaves t: a flow into t over the links of A not leaving
// t, each of cost 1. The bound is |Q| plus its least cost.
int32_t linksToEndAt(Links links, const Reach& reach, int32_t v, int32_t t,
                     int64_t* work) {
  FlowNetwork net = {};
  uint32_t rowT = rowOf(links, t);
  for (uint32_t bits = reach.moves & ~(1u << t); bits != 0; bits &= bits - 1) {
    int32_t x = lowestBit(bits);
    net.arcs[x] = rowOf(links, x) & ~(1u << x);
    net.supply[x] = static_cast<int32_t>((rowT >> x) & 1u) + (x == v ? 1 : 0);
    net.supply[t] -= net.supply[x];
  }
  int32_t cost = minCostFlow(&net, work);
  return cost < 0 ? -1 : reach.out[t] + cost;
}

// A lower bound on the further links of a complete combo from v: the least
// linksToEndAt over the ends t. A result above ceiling is such a bound; a
// result at most ceiling only says that the bound is at most ceiling.
int32_t furtherLinksNeeded(Links links, int32_t v, int32_t ceiling,
                           int64_t* work) {
  Reach reach = reachFrom(links, v);
  int32_t least = kMaxComboLinks + 1;
  for (uint32_t bits = reach.moves; bits != 0 && least > ceiling;
       bits &= bits - 1) {
    int32_t t = lowestBit(bits);
    if (!mayEndAt(links, reach, v, t)) continue;
    // Each link leaving t, and each entry into t, takes a link of its own:
    // a quick bound before the flow.
    int32_t self = hasSelfLink(links, t) ? 1 : 0;
    int32_t enters = reach.out[t] - self + (t == v ? 0 : 1);
    if (reach.out[t] + enters >= least) continue;
    int32_t needed = linksToEndAt(links, reach, v, t, work);
    if (needed >= 0 && needed < least) least = needed;
  }
  return least;
}

// --- the shortest -------------------------------------------------------

struct ShortestSearch {
  ShortestCombo* found;
  int64_t budget;
  bool exhausted;  // the budget ran out
};

// Returns true iff a complete combo goes on from move over links with at
// most limit further links; false also when the budget runs out.
bool searchShortest(ShortestSearch* s, Links links, int32_t move,
                    int32_t limit) {
  ShortestCombo* found = s->found;
  ++found->nodes;
  uint32_t row = rowOf(links, move);
  if (row == 0) return true;
  if (limit == 0 ||
      furtherLinksNeeded(links, move, limit, &found->work) > limit) {
    return false;
  }
  for (; row != 0; row &= row - 1) {
    if (found->work >= s->budget) {
      s->exhausted = true;
      return false;
    }
    int32_t next = lowestBit(row);
    if (searchShortest(s, links & ~linkBit(move, next), next, limit - 1)) {
      return true;
    }
  }
  return false;
}

// The length of the combo that always takes the lowest follow-up: a first
// upper bound on the shortest.
int32_t lowestWalkLength(Links links, int32_t move) {
  int32_t length = 1;
  for (uint32_t row = rowOf(links, move); row != 0; row = rowOf(links, move)) {
    int32_t next = lowestBit(row);
    links &= ~linkBit(move, next);
    move = next;
    ++length;
  }
  return length;
}

}  // namespace

LongestCombo findLongestCombo(const LinkTable& table, int32_t starter,
                              int64_t workBudget) {
  LongestCombo found = {};
  LongestSearch s = {};
  s.found = &found;
  s.budget = workBudget;
  s.path[0] = starter - 1;
  Links links = linksOf(table);
  searchLongest(&s, links, starter - 1, 1);
  found.length.high = found.length.low;
  if (s.exhausted) {
    // Every branch left lies below the starter, whose bound holds for all.
    int32_t bound = 1 + longestBound(links, starter - 1, &found.work);
    int32_t high = s.unexplored < bound ? s.unexplored : bound;
    if (high > found.length.high) found.length.high = high;
  }
  return found;
}

ShortestCombo findShortestCombo(const LinkTable& table, int32_t starter,
                                int64_t workBudget) {
  ShortestCombo found = {};
  Links links = linksOf(table);
  int32_t move = starter - 1;
  found.length.high = lowestWalkLength(links, move);
  ShortestSearch s = {&found, workBudget, false};
  // Limits on the further links, from the bound up: every limit below the
  // current one has been ruled out, so the first that holds a combo gives
  // the shortest.
  int32_t limit = furtherLinksNeeded(links, move, -1, &found.work);
  for (; 1 + limit < found.length.high; ++limit) {
    if (searchShortest(&s, links, move, limit)) {
      found.length.high = 1 + limit;
      break;
    }
    if (s.exhausted) break;
  }
  found.length.low = s.exhausted ? 1 + limit : found.length.high;
  return found;
}

namespace internal {

int32_t longestComboBound(const LinkTable& table, int32_t starter) {
  int64_t work = 0;
  return 1 + longestBound(linksOf(table), starter - 1, &work);
}

bool longestMayExceed(const LinkTable& table, int32_t starter, int32_t length) {
  int64_t work = 0;
  return 1 + furtherLinksBound(linksOf(table), starter - 1, length - 1, &work) >
         length;
}

int32_t shortestComboBound(const LinkTable& table, int32_t starter) {
  int64_t work = 0;
  return 1 + furtherLinksNeeded(linksOf(table), starter - 1, -1, &work);
}

bool shortestMayBeAtMost(const LinkTable& table, int32_t starter,
                         int32_t length) {
  int64_t work = 0;
  return 1 + furtherLinksNeeded(linksOf(table), starter - 1, length - 1,
                                &work) <=
         length;
}

}  // namespace internal

}  // namespace combo
