#include "count_bounds.h"

#include "count_links.h"

namespace combo {
namespace {

// For each set of eight links leaving a move: how many, and where each is.
struct ByteBits {
  uint8_t count[256];
  uint8_t position[256][8];  // position[b][i]: the i-th set bit of b
};

constexpr ByteBits byteBits() {
  ByteBits bits = {};
  for (int32_t b = 0; b < 256; ++b) {
    for (int32_t i = 0; i < 8; ++i) {
      if ((b >> i & 1) != 0) {
        bits.position[b][bits.count[b]++] = static_cast<uint8_t>(i);
      }
    }
  }
  return bits;
}

constexpr ByteBits kByteBits = byteBits();

// sum_{k=0..d} d! / (d - k)!: the orders in which a combo can use some of the
// d links leaving a move, none of them to all of them.
uint32_t arrangements(int32_t d) {
  uint32_t sum = 0;
  uint32_t term = 1;  // d! / (d - k)!
  for (int32_t k = 0; k <= d; ++k) {
    sum += term;
    term *= static_cast<uint32_t>(d - k);
  }
  return sum;
}

// The determinant of the n x n matrix a of integers, by Bareiss's
// fraction-free elimination: every number it meets is a minor of a, or the
// product of two, and each division is exact. Worked in doubles, which hold
// every integer below 2^53 exactly: a product of two minors is exact, and
// so is the difference of two. Each exact quotient x / previous comes from
// x times the rounded reciprocal of previous, rounded to the nearest
// integer: its error is below |x| 2^-52 <= 2^-6, so the rounding finds the
// quotient, at the cost of a multiplication rather than a division.
// REQUIRES: every minor of a is below 2^23 in size.
double determinant(double a[kMoveKinds][kMoveKinds], int32_t n) {
  if (n == 0) return 1;
  // Adding and taking away 1.5 * 2^52 rounds a double below 2^51 in size
  // to the nearest integer (in the default rounding mode).
  constexpr double kRound = 6755399441055744.0;
  double sign = 1;
  double reciprocal = 1;  // of the previous pivot
  for (int32_t k = 0; k < n; ++k) {
    if (a[k][k] == 0) {
      int32_t pivot = k + 1;
      while (pivot < n && a[pivot][k] == 0) ++pivot;
      if (pivot == n) return 0;
      for (int32_t j = 0; j < n; ++j) {
        double swap = a[k][j];
        a[k][j] = a[pivot][j];
        a[pivot][j] = swap;
      }
      sign = -sign;
    }
    for (int32_t i = k + 1; i < n; ++i) {
      for (int32_t j = k + 1; j < n; ++j) {
        double x = a[i][j] * a[k][k] - a[i][k] * a[k][j];
        a[i][j] = (x * reciprocal + kRound) - kRound;
      }
    }
    reciprocal = 1 / a[k][k];
  }
  return sign * a[n - 1][n - 1];
}

// splitmix64: a small generator of good quality whose whole state is one
// number, so that a seed fixes every walk.
uint64_t nextRandom(uint64_t* state) {
  uint64_t z = (*state += 0x9E3779B97F4A7C15u);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  return z ^ (z >> 31);
}

// Adds links to the set of *workspace. Returns true iff it was not there.
bool insertSet(BoundsWorkspace* workspace, uint64_t links) {
  uint64_t hash = (links ^ (links >> 29)) * 0x9E3779B97F4A7C15u;
  uint32_t slot = static_cast<uint32_t>(hash >> (64 - kBoundSlotBits));
  while ((workspace->filled[slot / 32] >> (slot % 32) & 1u) != 0) {
    if (workspace->sets[slot] == links) return false;
    slot = (slot + 1) & (kBoundSlots - 1);
  }
  workspace->filled[slot / 32] |= 1u << (slot % 32);
  workspace->sets[slot] = links;
  return true;
}

}  // namespace

BigCount comboUpperBound(const LinkTable& table, int32_t starter) {
  uint64_t links = linksReachableFrom(linksOfTable(table), starter);
  BigCount bound = bigCountOf(1);
  for (int32_t k = kFirstMove; k <= kLastMove; ++k) {
    // At most 109601^8 < 2^134: never beyond 256 bits.
    multiplyAddBigCount(&bound, arrangements(countBits(linksLeaving(links, k))),
                        0);
  }
  return bound;
}

BigCount eulerTrailCount(uint64_t links, int32_t starter, int32_t end) {
  // Degrees with the extra link end -> starter, which makes the walk closed:
  // then every move is left as often as it is entered.
  int32_t out[kMoveKinds];
  int32_t in[kMoveKinds];
  for (int32_t v = 0; v < kMoveKinds; ++v) {
    out[v] = kByteBits.count[linksLeaving(links, v + 1)];
    // The links into v + 1: bit v of every row.
    in[v] = countBits(links & (uint64_t{0x0101010101010101u} << v));
  }
  ++out[end - 1];
  ++in[starter - 1];
  for (int32_t v = 0; v < kMoveKinds; ++v) {
    if (in[v] != out[v]) return bigCountOf(0);
  }

  // The Laplacian (out-degree on the diagonal, minus the links between two
  // moves off it) without the row and column of the starter: its
  // determinant counts the spanning trees directed towards the starter.
  // Self-links add as much to the diagonal as they take off it, so they are
  // left out. A move that no link touches would have a 1 alone in its row
  // and column, which leaves the determinant as it is: it gets no row.
  double laplacian[kMoveKinds][kMoveKinds] = {};
  int32_t index[kMoveKinds];  // the row of each move that has one
  int32_t n = 0;
  for (int32_t v = 0; v < kMoveKinds; ++v) {
    if (v != starter - 1 && out[v] != 0) index[v] = n++;
  }
  for (int32_t v = 0; v < kMoveKinds; ++v) {
    if (v == starter - 1 || out[v] == 0) continue;
    int32_t row = index[v];
    uint32_t others = linksLeaving(links, v + 1) & ~(1u << v);
    laplacian[row][row] = kByteBits.count[others] + (v == end - 1 ? 1 : 0);
    others &= ~(1u << (starter - 1));
    for (int32_t i = 0; i < kByteBits.count[others]; ++i) {
      laplacian[row][index[kByteBits.position[others][i]]] = -1;
    }
  }
  // Entries at most 8 in size and 7 rows: by Hadamard's bound every minor
  // is below (sqrt(8^2 + 6))^7 < 2^22.
  double trees = determinant(laplacian, n);
  if (trees <= 0) return bigCountOf(0);

  // Times (out - 1)! for each move, at most 8! < 2^16 each: two at a time
  // into the BigCount, which stays below 2^22 * (8!)^8 < 2^145.
  constexpr uint32_t kFactorial[] = {1, 1, 2, 6, 24, 120, 720, 5040, 40320};
  BigCount count = bigCountOf(static_cast<uint64_t>(trees));
  uint32_t pending = 1;
  for (int32_t v = 0; v < kMoveKinds; ++v) {
    if (out[v] <= 2) continue;  // 0! and 1!
    uint32_t factorial = kFactorial[out[v] - 1];
    if (pending > 0xFFFFu) {
      multiplyAddBigCount(&count, pending, 0);
      pending = 1;
    }
    pending *= factorial;
  }
  multiplyAddBigCount(&count, pending, 0);
  return count;
}

ComboBounds estimateCombos(const LinkTable& table, int32_t starter,
                           int32_t walks, uint64_t seed,
                           BoundsWorkspace* workspace) {
  uint64_t links = linksOfTable(table);
  for (uint32_t& word : workspace->filled) word = 0;
  ComboBounds bounds = {bigCountOf(0), 0.0, walks, 0};
  uint64_t state = seed;
  double sum = 0;
  for (int32_t walk = 0; walk < walks; ++walk) {
    uint64_t used = 0;
    int32_t move = starter;
    double product = 1;
    uint64_t random = 0;
    int32_t randomLeft = 0;  // unused halves of random
    for (;;) {
      uint32_t open = linksLeaving(links & ~used, move);
      if (open == 0) break;
      int32_t choices = kByteBits.count[open];
      product *= choices;
      if (randomLeft == 0) {
        random = nextRandom(&state);
        randomLeft = 2;
      }
      // 32 random bits scaled to 0..choices-1: uniform within 2^-29.
      uint64_t scaled = (random & 0xFFFFFFFFu) * uint64_t(choices);
      random >>= 32;
      --randomLeft;
      int32_t next = kByteBits.position[open][scaled >> 32] + 1;
      used |= linkBitOf(move, next);
      move = next;
    }
    sum += product;
    if (insertSet(workspace, used)) {
      ++bounds.distinctSets;
      // Each count is at most the exact count (< 2^134), and there are at
      // most kMaxBoundWalks of them: the sum stays below 2^149.
      addBigCount(&bounds.lowerBound, eulerTrailCount(used, starter, move));
    }
  }
  bounds.estimate = sum / walks;
  return bounds;
}

}  // namespace combo
