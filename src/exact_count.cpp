#include "exact_count.h"

#include <new>

#include "count_bounds.h"
#include "count_links.h"

// The count, step by step. s is the starter; moves are vertices, links are
// edges; "x -> y" is a link; a self-link is a loop. Primes (') mark degrees
// without loops.
//
// 1. A complete combo from s that ends at t with link set E is an Euler
//    trail of E from s to t, and E holds every link leaving t. Conversely
//    every Euler trail of such an E is a complete combo. Add the extra edge
//    e* = t -> s (beside a real link t -> s, or as a second loop at s when
//    t = s: edges are told apart, not moves): G = E + e* has Euler circuits,
//    and the trails of E from s to t are the circuits of G that end with e*.
//    By the BEST theorem there are ts(G) * prod over v of (d_v - 1)!, d_v
//    the out-degree of v in G (loops and e* included; 0! for d_v = 0), and
//    ts(G) the number of spanning trees directed towards s: the determinant
//    of the Laplacian D_out - A of G without the row and column of s.
//    Loops add as much to D_out as to A, so they drop out of it.
// 2. A move that G does not touch gets 1 on its diagonal (its row is zero
//    otherwise, its column too), and factor 0! = 1: the determinant is that
//    of the moves G touches. When G is balanced (every move entered as
//    often as left) but not connected, a part without s has a Laplacian
//    block whose rows sum to 0, and the determinant is 0, as it should be.
//    A move other than s with only its own loop has a zero row: 0 too.
// 3. Row v (v != s) of the matrix, and v's factor (d_v - 1)!, depend only on
//    which links leaving v are in E. The determinant is linear in each
//    row, so summing over every E sums each row on its own, but only over
//    balanced G, which ties the rows together. Weights impose it: the link
//    x -> y (x != y) carries w_y / w_x, e* carries w_s / w_t, loops 1; the
//    product over G is prod over x of w_x^(in'(x) - out'(x)). With w_s = 1
//    and each other w_x averaged over the m_x-th roots of unity, a term
//    survives iff in'(x) = out'(x) modulo m_x for every x != s; and then s
//    is balanced too (the differences sum to 0). in'(x) is at most cap_x,
//    the number of links into x from other moves (e* enters s only). Let
//    row x choose at most cap_x links to other moves (more could never
//    balance), and only if t != x has out'(t) = (its links) + 1 <= cap_t
//    can t end a combo. Then in' - out' lies in [-cap_x, cap_x], and
//    m_x = cap_x + 1 tells 0 from every other value in it.
// 4. The end t. For t = s, e* is a loop at s; every link leaving s is in E,
//    and s's row is not in the matrix: s gives only the scalar
//    Sfull = (outdeg(s))! * prod of w_y over its targets y != s. For
//    t != s, row t is forced: every link of t and e*, weight
//    (outdeg(t))! * w_t^-(n_t + 1) * prod of its targets' w (n_t: its links
//    to other moves), diagonal n_t + 1 and -1 for each target y != s, y != t.
//    Row s is then free: the scalar S = sum over every subset c of s's
//    links of (|c| - 1)! * prod of the targets' w. With M the matrix of the
//    summed rows and X the matrix whose row t is t's forced row (zero where
//    t cannot end), sum over t != s of det(M with row t replaced by X_t) is
//    the derivative at 0 of det(M + e X), worked out as the e part of one
//    elimination over numbers a + b e with e^2 = 0. So each point gives
//    F = Sfull * det(M) + S * D, D the e part, and the count is the mean
//    of F over the points.
// 5. The summed row v, grouping v's choices by the number k of links to
//    other moves (k >= 1; with a loop, each such choice may add it, giving
//    h(k) = (k - 1)! + k! instead of (k - 1)!; choosing nothing gives the
//    row with 1 on the diagonal, and the loop alone a zero row):
//      diagonal:  1 + sum_k h(k) k w_v^-k e_k(T)
//      column y:  -sum_k h(k) w_v^-k w_y e_{k-1}(T without y)
//    where T holds the weights of v's targets (w_s = 1) and e_k is the k-th
//    elementary symmetric polynomial (sum over the k-subsets of T of their
//    products), and k runs up to min(|T|, cap_v).
// 6. Every e_k is affine in each single weight, e_k(T) = e_k(T without u) +
//    w_u e_{k-1}(T without u). So for a fixed choice of every other weight,
//    the rows are A + u B in the weight u of the innermost row, whose own row
//    is a polynomial in 1/u; that row's sweep over the roots of unity of u
//    costs little once A, B and the polynomial's coefficients are known.
// 7. The points are eliminated in lanes, many at once in step, so that the
//    divisions by the pivots become one inversion for all lanes (Montgomery's
//    trick) and the loops over lanes can be vectorized by the compiler.

namespace combo {
namespace {

// --- Arithmetic modulo p, in 64-bit integers only -------------------------

// Montgomery's representation: a number a is held as a * 2^32 mod p, and
// the product of two such is reduced with two more multiplications and a
// shift, no division. p < 2^31 leaves room to add two products before one
// reduction.
struct Field {
  uint32_t p;
  uint32_t negInverse;  // -1/p modulo 2^32
  uint32_t one;         // 2^32 mod p: 1 as held
  uint32_t square;      // 2^64 mod p, to bring numbers in
};

// Returns t / 2^32 modulo p, in [0, p).
// REQUIRES: t < p * 2^32 (so the sum below stays under 2^64).
//
// These helpers compare 32-bit numbers and subtract p by a mask, not by a
// branch: the outcome is a coin toss that a branch would mispredict half the
// time, and without branches the compilers vectorize the loops over lanes.
inline uint32_t reduce(const Field& f, uint64_t t) {
  uint32_t m = static_cast<uint32_t>(t) * f.negInverse;
  uint32_t u = static_cast<uint32_t>((t + uint64_t{m} * f.p) >> 32);
  return u - (f.p & (0u - static_cast<uint32_t>(u >= f.p)));
}

inline uint32_t multiply(const Field& f, uint32_t a, uint32_t b) {
  return reduce(f, uint64_t{a} * b);
}

inline uint32_t add(const Field& f, uint32_t a, uint32_t b) {
  uint32_t sum = a + b;  // below 2^32, as p < 2^31
  return sum - (f.p & (0u - static_cast<uint32_t>(sum >= f.p)));
}

inline uint32_t subtract(const Field& f, uint32_t a, uint32_t b) {
  return a - b + (f.p & (0u - static_cast<uint32_t>(a < b)));
}

inline uint32_t negate(const Field& f, uint32_t a) { return subtract(f, 0, a); }

Field fieldOf(uint32_t p) {
  Field f;
  f.p = p;
  // Newton's iteration doubles the correct low bits of 1/p each time.
  uint32_t inverse = p;
  for (int32_t i = 0; i < 5; ++i) inverse *= 2 - p * inverse;
  f.negInverse = 0u - inverse;
  f.one = static_cast<uint32_t>((uint64_t{1} << 32) % p);
  f.square = static_cast<uint32_t>(uint64_t{f.one} * f.one % p);
  return f;
}

// Brings a small number (below p) into the representation.
uint32_t fromInteger(const Field& f, uint64_t n) {
  return multiply(f, static_cast<uint32_t>(n % f.p), f.square);
}

// Takes a number out of the representation.
uint32_t toInteger(const Field& f, uint32_t a) { return reduce(f, a); }

uint32_t power(const Field& f, uint32_t a, uint64_t exponent) {
  uint32_t result = f.one;
  for (; exponent != 0; exponent >>= 1) {
    if ((exponent & 1) != 0) result = multiply(f, result, a);
    a = multiply(f, a, a);
  }
  return result;
}

// REQUIRES: a != 0.
uint32_t inverse(const Field& f, uint32_t a) { return power(f, a, f.p - 2); }

// Plain modular arithmetic for the few steps outside the loops.
uint32_t powerModulo(uint64_t a, uint64_t exponent, uint32_t p) {
  uint64_t result = 1;
  a %= p;
  for (; exponent != 0; exponent >>= 1) {
    if ((exponent & 1) != 0) result = result * a % p;
    a = a * a % p;
  }
  return static_cast<uint32_t>(result);
}

// A root of unity of order exactly 840 modulo p: b^((p - 1) / 840) for the
// first b that gives one whose order no prime factor of 840 divides away.
uint32_t rootOfUnity840(uint32_t p) {
  for (uint32_t b = 2;; ++b) {
    uint32_t x = powerModulo(b, (p - 1) / 840, p);
    bool primitive = true;
    for (uint32_t q : {2u, 3u, 5u, 7u}) {
      if (powerModulo(x, 840 / q, p) == 1) primitive = false;
    }
    if (primitive) return x;
  }
}

// --- Planning ---------------------------------------------------------------

uint32_t linksInto(uint64_t links, int32_t move) {
  uint32_t from = 0;
  for (int32_t k = kFirstMove; k <= kLastMove; ++k) {
    if ((links & linkBitOf(k, move)) != 0) from |= 1u << (k - 1);
  }
  return from;
}

// The primes whose product exceeds the count's proven bound.
int32_t primesFor(const LinkTable& table, int32_t starter) {
  BigCount bound = comboUpperBound(table, starter);
  BigCount product = bigCountOf(1);
  for (int32_t i = 0; i < kCountPrimeCount; ++i) {
    multiplyAddBigCount(&product, kCountPrimes[i], 0);
    if (compareBigCounts(product, bound) > 0) return i + 1;
  }
  return kCountPrimeCount;  // never: the bound is below 2^134
}

void planQuery(const CountQuery& query, CountPlan* plan) {
  int32_t s = query.starter;
  plan->starter = s;
  plan->links = linksReachableFrom(linksOfTable(query.table), s);
  plan->primes = primesFor(query.table, s);
  uint32_t reached = 0;
  for (int32_t k = kFirstMove; k <= kLastMove; ++k) {
    reached |= linksLeaving(plan->links, k);
  }
  // Each reached move but s gets a row, and its roots of unity: one more
  // than its links from other moves. The moves that cannot end a combo come
  // first: their rows have no e part, and eliminating them first keeps the
  // e parts out of the other rows for as long as possible. The row with the
  // most roots is swept by the innermost loop.
  plan->size = 0;
  plan->inner = 0;
  for (int32_t pass = 0; pass < 2; ++pass) {
    for (int32_t k = kFirstMove; k <= kLastMove; ++k) {
      if (k == s || (reached >> (k - 1) & 1u) == 0) continue;
      int32_t cap = countBits(linksInto(plan->links, k) & ~(1u << (k - 1)));
      int32_t out = countBits(linksLeaving(plan->links, k) & ~(1u << (k - 1)));
      if ((out + 1 <= cap) != (pass == 1)) continue;
      plan->moves[plan->size] = k;
      plan->radix[plan->size] = cap + 1;
      if (plan->size == 0 || cap + 1 > plan->radix[plan->inner]) {
        plan->inner = plan->size;
      }
      ++plan->size;
    }
  }
  plan->points = 1;
  for (int32_t i = 0; i < plan->size; ++i) plan->points *= plan->radix[i];
  int32_t inner = plan->size > 0 ? plan->radix[plan->inner] : 1;
  plan->outerPoints = plan->points / inner;
  plan->outerPerUnit = kCountUnitPoints / inner;
  plan->unitsPerPrime = static_cast<int32_t>(
      (plan->outerPoints + plan->outerPerUnit - 1) / plan->outerPerUnit);
}

// --- The rows of one unit ---------------------------------------------------

// A batch is up to kMaxOuter outer points side by side (every weight fixed
// but the innermost), and the sweeps of the innermost weight over them as
// lanes, lane j * outer + g for outer point g at innermost digit j: at most
// kLanes lanes, eliminated in step. Loops over g and over lanes are the
// innermost ones everywhere, so that the compilers vectorize them. 128
// lanes share each inversion of the pivots; they ran 8 % faster than 64,
// and the lanes (50 KiB) still sit in a core's second-level cache.
constexpr int32_t kLanes = 128;
constexpr int32_t kMaxOuter = 32;
constexpr int32_t kMaxChosen = kMoveKinds - 1;  // links to other moves
constexpr int32_t kNoRow = -1;                  // the starter's column

// What a row's move is, for every prime alike.
struct RowShape {
  int32_t targetCount;             // its links to other moves
  int32_t targetRows[kMaxChosen];  // their rows, kNoRow for the starter
  int32_t maxChosen;               // k up to min(targetCount, cap)
  bool canEnd;                     // targetCount + 1 <= cap
  bool innerTarget;                // the innermost row among its targets
  int32_t degree;                  // its links, loop included
  bool loop;
};

// Everything a unit works with that does not change from point to point.
struct UnitTables {
  Field f;
  int32_t size;
  int32_t inner;  // the row of the innermost weight
  int32_t radix[kCountMatrixSize];
  RowShape rows[kCountMatrixSize];
  RowShape starter;  // maxChosen = targetCount
  // weight[i][d]: row i's weight at digit d, a root of unity of order
  // radix[i].
  uint32_t weight[kCountMatrixSize][kMoveKinds];
  // chosen[i][d][k] = h(k) w^-k for row i at digit d, k = 1..maxChosen
  // (and 1 at k = 0); chosenTimesK the same times k.
  uint32_t chosen[kCountMatrixSize][kMoveKinds][kMaxChosen + 1];
  uint32_t chosenTimesK[kCountMatrixSize][kMoveKinds][kMaxChosen + 1];
  // endWeight[i][d] = degree! w^-(targetCount + 1), when the row can end.
  uint32_t endWeight[kCountMatrixSize][kMoveKinds];
  uint32_t endDiagonal[kCountMatrixSize];  // targetCount + 1
  uint32_t small[kMoveKinds + 1];          // 0 to 8 as held
  // The starter's scalars: S = sum_k starterChoice[k] e_k over its
  // targets (k = 0 included) and Sfull = starterFull * prod of their
  // weights.
  uint32_t starterChoice[kMaxChosen + 1];
  uint32_t starterFull;
};

uint32_t factorial(int32_t n) {
  uint32_t result = 1;
  for (int32_t i = 2; i <= n; ++i) result *= static_cast<uint32_t>(i);
  return result;
}

// (k - 1)!, with 0! for k = 0: the factor of a move of out-degree k.
uint32_t factorOf(int32_t k) { return k == 0 ? 1 : factorial(k - 1); }

RowShape shapeOf(const CountPlan& plan, const int32_t* rowOf, int32_t move) {
  RowShape shape = {};
  uint32_t leaving = linksLeaving(plan.links, move);
  shape.loop = (leaving >> (move - 1) & 1u) != 0;
  shape.degree = countBits(leaving);
  uint32_t others = leaving & ~(1u << (move - 1));
  for (int32_t j = kFirstMove; j <= kLastMove; ++j) {
    if ((others >> (j - 1) & 1u) == 0) continue;
    int32_t row = rowOf[j - 1];
    shape.targetRows[shape.targetCount++] = row;
    if (row == plan.inner) shape.innerTarget = true;
  }
  int32_t cap = countBits(linksInto(plan.links, move) & ~(1u << (move - 1)));
  shape.maxChosen = shape.targetCount < cap ? shape.targetCount : cap;
  shape.canEnd = shape.targetCount + 1 <= cap;
  return shape;
}

void setUpTables(const CountPlan& plan, uint32_t p, uint32_t root840,
                 UnitTables* t) {
  const Field f = fieldOf(p);
  t->f = f;
  t->size = plan.size;
  t->inner = plan.inner;
  int32_t rowOf[kMoveKinds];
  for (int32_t& row : rowOf) row = kNoRow;
  for (int32_t i = 0; i < plan.size; ++i) rowOf[plan.moves[i] - 1] = i;
  for (int32_t n = 0; n <= kMoveKinds; ++n) t->small[n] = fromInteger(f, n);

  uint32_t root = fromInteger(f, root840);
  for (int32_t i = 0; i < plan.size; ++i) {
    RowShape& shape = t->rows[i];
    shape = shapeOf(plan, rowOf, plan.moves[i]);
    int32_t m = plan.radix[i];
    t->radix[i] = m;
    uint32_t zeta = power(f, root, static_cast<uint64_t>(840 / m));
    uint32_t zetaInverse = power(f, zeta, static_cast<uint64_t>(m - 1));
    t->endDiagonal[i] = t->small[shape.targetCount + 1];
    uint32_t end = fromInteger(f, factorial(shape.degree));
    for (int32_t d = 0; d < m; ++d) {
      t->weight[i][d] = power(f, zeta, static_cast<uint64_t>(d));
      uint32_t down = power(f, zetaInverse, static_cast<uint64_t>(d));
      uint32_t downK = f.one;  // w^-k
      t->chosen[i][d][0] = f.one;
      t->chosenTimesK[i][d][0] = 0;
      for (int32_t k = 1; k <= shape.maxChosen; ++k) {
        downK = multiply(f, downK, down);
        uint32_t h = factorOf(k) + (shape.loop ? factorial(k) : 0);
        t->chosen[i][d][k] = multiply(f, fromInteger(f, h), downK);
        t->chosenTimesK[i][d][k] = multiply(f, t->chosen[i][d][k], t->small[k]);
      }
      t->endWeight[i][d] =
          shape.canEnd
              ? multiply(f, end,
                         power(f, down,
                               static_cast<uint64_t>(shape.targetCount + 1)))
              : 0;
    }
  }

  RowShape& starter = t->starter;
  starter = shapeOf(plan, rowOf, plan.starter);
  starter.maxChosen = starter.targetCount;
  for (int32_t k = 0; k <= starter.targetCount; ++k) {
    // Choosing k links to other moves, with the loop or without it.
    uint32_t choice = factorOf(k) + (starter.loop ? factorOf(k + 1) : 0);
    t->starterChoice[k] = fromInteger(f, choice);
  }
  t->starterFull = fromInteger(f, factorial(starter.degree));
}

// One batch: the rows at each outer point g, then the lanes.
//   - Row i != inner at g is a[i][.][g] + u b[i][.][g], u the innermost
//     weight; the innermost row is sum_k h(k) u^-k c[k][.][g] (c[0] is its
//     unit row).
//   - The e part of row i is endBase[i][g] times its pattern (diagonal
//     targetCount + 1, -1 for each target), times u if u is among its
//     targets, or times the innermost row's endWeight for that row.
//   - S = starter0 + u starter1; Sfull = full, times u if u is among the
//     starter's targets.
struct Batch {
  int32_t outer;  // outer points side by side, the same in every batch
  int32_t valid;  // those that count; the others repeat the last of them
  int32_t lanes;  // outer * the innermost radix
  int32_t digit[kCountMatrixSize][kMaxOuter];
  uint32_t weight[kCountMatrixSize][kMaxOuter];
  uint32_t a[kCountMatrixSize][kCountMatrixSize][kMaxOuter];
  uint32_t b[kCountMatrixSize][kCountMatrixSize][kMaxOuter];
  uint32_t c[kMaxChosen + 1][kCountMatrixSize][kMaxOuter];
  uint32_t endBase[kCountMatrixSize][kMaxOuter];
  uint32_t starter0[kMaxOuter], starter1[kMaxOuter], full[kMaxOuter];

  // Each lane holds M + e X at one point: re the plain parts, ep the e
  // parts. The determinant so far is det0 + e det1; laneFull and
  // laneChoice are Sfull and S.
  uint32_t re[kCountMatrixSize][kCountMatrixSize][kLanes];
  uint32_t ep[kCountMatrixSize][kCountMatrixSize][kLanes];
  uint32_t det0[kLanes], det1[kLanes];
  uint32_t laneFull[kLanes], laneChoice[kLanes];
  // Whether row i may have an e part in some lane: at first iff its move can
  // end a combo; eliminating with such a row spreads it.
  bool epsilon[kCountMatrixSize];
  uint32_t prefix[kLanes];    // products of the pivots before each lane
  uint32_t inverse0[kLanes];  // 1 / (p0 + p1 e) = inverse0 + inverse1 e
  uint32_t inverse1[kLanes];
};

// poly[k][g] for k = 0..degree: the product over shape's targets but the
// innermost row of (1 + w x) at outer point g, cut after x^degree;
// product[g], the product of those weights.
void targetPolynomial(const UnitTables& t, const RowShape& shape,
                      const Batch& s, int32_t degree,
                      uint32_t poly[][kMaxOuter], uint32_t* product) {
  const Field f = t.f;
  const int32_t n = s.outer;
  for (int32_t g = 0; g < n; ++g) {
    poly[0][g] = f.one;
    product[g] = f.one;
  }
  for (int32_t k = 1; k <= degree; ++k) {
    for (int32_t g = 0; g < n; ++g) poly[k][g] = 0;
  }
  int32_t factors = 0;
  for (int32_t m = 0; m < shape.targetCount; ++m) {
    int32_t row = shape.targetRows[m];
    if (row == t.inner) continue;
    ++factors;
    if (row == kNoRow) {  // the starter's weight, 1
      for (int32_t k = factors < degree ? factors : degree; k >= 1; --k) {
        for (int32_t g = 0; g < n; ++g) {
          poly[k][g] = add(f, poly[k][g], poly[k - 1][g]);
        }
      }
      continue;
    }
    const uint32_t* w = s.weight[row];
    for (int32_t k = factors < degree ? factors : degree; k >= 1; --k) {
      for (int32_t g = 0; g < n; ++g) {
        poly[k][g] = add(f, poly[k][g], multiply(f, w[g], poly[k - 1][g]));
      }
    }
    for (int32_t g = 0; g < n; ++g) product[g] = multiply(f, product[g], w[g]);
  }
}

// out[g] = sum over k = from..to of coefficient[k][g] poly[k - shift][g].
// Two products at a time before a reduction: 2 (p - 1)^2 < p 2^32.
void dot(const Field& f, int32_t n, const uint32_t coefficient[][kMaxOuter],
         const uint32_t poly[][kMaxOuter], int32_t from, int32_t to,
         int32_t shift, uint32_t* out) {
  for (int32_t g = 0; g < n; ++g) out[g] = 0;
  int32_t k = from;
  for (; k + 1 <= to; k += 2) {
    const uint32_t* a0 = coefficient[k];
    const uint32_t* a1 = coefficient[k + 1];
    const uint32_t* b0 = poly[k - shift];
    const uint32_t* b1 = poly[k + 1 - shift];
    for (int32_t g = 0; g < n; ++g) {
      uint64_t pair = uint64_t{a0[g]} * b0[g] + uint64_t{a1[g]} * b1[g];
      out[g] = add(f, out[g], reduce(f, pair));
    }
  }
  if (k == to) {
    for (int32_t g = 0; g < n; ++g) {
      out[g] =
          add(f, out[g], multiply(f, coefficient[k][g], poly[k - shift][g]));
    }
  }
}

// out[g] = -w[g] in[g].
void negatedProduct(const Field& f, int32_t n, const uint32_t* w,
                    const uint32_t* in, uint32_t* out) {
  for (int32_t g = 0; g < n; ++g) out[g] = negate(f, multiply(f, w[g], in[g]));
}

// without[k] = poly[k] / (1 + w x) for k < degree: poly without the factor
// of one target.
void withoutTarget(const Field& f, int32_t n, const uint32_t poly[][kMaxOuter],
                   const uint32_t* w, int32_t degree,
                   uint32_t without[][kMaxOuter]) {
  for (int32_t g = 0; g < n; ++g) without[0][g] = f.one;
  for (int32_t k = 1; k < degree; ++k) {
    for (int32_t g = 0; g < n; ++g) {
      without[k][g] =
          subtract(f, poly[k][g], multiply(f, w[g], without[k - 1][g]));
    }
  }
}

// Row i (not the innermost) at every outer point: a, b and endBase. With q
// the product of (1 + w_y x) over its targets but the innermost (so e_k =
// q_k + u q_{k-1}) and c_k = h(k) w_i^-k for k = 1..K:
//   diagonal         1 + sum_k k c_k e_k
//   innermost column -u sum_k c_k q_{k-1}
//   column y         -w_y sum_k c_k e_{k-1}(without y)
// For the last, with G(x) = sum_m c_{K-m} x^m, sum_j c_{j+1} p_j is the
// coefficient of x^(K-1) in p G, and sum_j c_{j+2} p_j that of x^(K-2).
// With p = q / (1 + w_y x) and H = q G (cut after x^(K-1)), those are
// v_{K-1} and v_{K-2} of v_0 = H_0, v_j = H_j - w_y v_{j-1}: one sweep of
// K - 1 multiplications for each target instead of a division and two sums.
void outerRow(const UnitTables& t, int32_t i, Batch* s) {
  const Field f = t.f;
  const RowShape& shape = t.rows[i];
  const int32_t n = s->outer, kMax = shape.maxChosen;
  uint32_t c[kMaxChosen + 1][kMaxOuter], kc[kMaxChosen + 1][kMaxOuter];
  uint32_t end[kMaxOuter];
  for (int32_t g = 0; g < n; ++g) {
    int32_t d = s->digit[i][g];
    for (int32_t k = 0; k <= kMax; ++k) {
      c[k][g] = t.chosen[i][d][k];
      kc[k][g] = t.chosenTimesK[i][d][k];
    }
    end[g] = t.endWeight[i][d];
  }
  for (int32_t col = 0; col < t.size; ++col) {
    for (int32_t g = 0; g < n; ++g) s->a[i][col][g] = s->b[i][col][g] = 0;
  }
  uint32_t q[kMaxChosen + 1][kMaxOuter], product[kMaxOuter];
  targetPolynomial(t, shape, *s, kMax, q, product);
  for (int32_t g = 0; g < n; ++g) {
    s->endBase[i][g] = multiply(f, end[g], product[g]);
  }
  dot(f, n, kc, q, 1, kMax, 0, s->a[i][i]);
  for (int32_t g = 0; g < n; ++g) s->a[i][i][g] = add(f, s->a[i][i][g], f.one);
  if (kMax == 0) return;

  // H_m = sum_{j <= m} q_j c_{K-m+j}, for m = 0..K-1.
  uint32_t h[kMaxChosen][kMaxOuter];
  uint32_t reversed[kMaxChosen + 1][kMaxOuter];
  for (int32_t m = 0; m < kMax; ++m) {
    for (int32_t j = 0; j <= m; ++j) {
      for (int32_t g = 0; g < n; ++g) reversed[j][g] = c[kMax - m + j][g];
    }
    dot(f, n, reversed, q, 0, m, 0, h[m]);
  }
  if (shape.innerTarget) {
    dot(f, n, kc, q, 1, kMax, 1, s->b[i][i]);
    for (int32_t g = 0; g < n; ++g) {
      s->b[i][t.inner][g] = negate(f, h[kMax - 1][g]);
    }
  }
  for (int32_t m = 0; m < shape.targetCount; ++m) {
    int32_t row = shape.targetRows[m];
    if (row == kNoRow || row == t.inner) continue;
    const uint32_t* w = s->weight[row];
    uint32_t v[kMaxOuter], before[kMaxOuter];
    for (int32_t g = 0; g < n; ++g) before[g] = v[g] = h[0][g];
    for (int32_t j = 1; j < kMax; ++j) {
      for (int32_t g = 0; g < n; ++g) {
        before[g] = v[g];
        v[g] = subtract(f, h[j][g], multiply(f, w[g], v[g]));
      }
    }
    negatedProduct(f, n, w, v, s->a[i][row]);
    if (shape.innerTarget && kMax >= 2) {
      negatedProduct(f, n, w, before, s->b[i][row]);
    }
  }
}

// The innermost row at every outer point: c and endBase.
void innerRow(const UnitTables& t, Batch* s) {
  const Field f = t.f;
  const int32_t i = t.inner, n = s->outer;
  const RowShape& shape = t.rows[i];
  const int32_t kMax = shape.maxChosen;
  for (int32_t k = 0; k <= kMax; ++k) {
    for (int32_t col = 0; col < t.size; ++col) {
      for (int32_t g = 0; g < n; ++g) s->c[k][col][g] = 0;
    }
  }
  for (int32_t g = 0; g < n; ++g) s->c[0][i][g] = f.one;
  uint32_t q[kMaxChosen + 1][kMaxOuter];
  targetPolynomial(t, shape, *s, kMax, q, s->endBase[i]);
  for (int32_t k = 1; k <= kMax; ++k) {
    for (int32_t g = 0; g < n; ++g) {
      s->c[k][i][g] = multiply(f, t.small[k], q[k][g]);
    }
  }
  for (int32_t m = 0; m < shape.targetCount; ++m) {
    int32_t row = shape.targetRows[m];
    if (row == kNoRow) continue;
    const uint32_t* w = s->weight[row];
    uint32_t without[kMaxChosen + 1][kMaxOuter];
    withoutTarget(f, n, q, w, kMax, without);
    for (int32_t k = 1; k <= kMax; ++k) {
      negatedProduct(f, n, w, without[k - 1], s->c[k][row]);
    }
  }
}

void starterScalars(const UnitTables& t, Batch* s) {
  const Field f = t.f;
  const RowShape& shape = t.starter;
  const int32_t n = s->outer, kMax = shape.targetCount;
  uint32_t choice[kMaxChosen + 1][kMaxOuter];
  for (int32_t k = 0; k <= kMax; ++k) {
    for (int32_t g = 0; g < n; ++g) choice[k][g] = t.starterChoice[k];
  }
  uint32_t q[kMaxChosen + 1][kMaxOuter], product[kMaxOuter];
  targetPolynomial(t, shape, *s, kMax, q, product);
  dot(f, n, choice, q, 0, kMax, 0, s->starter0);
  if (shape.innerTarget) {
    dot(f, n, choice, q, 1, kMax, 1, s->starter1);
  } else {
    for (int32_t g = 0; g < n; ++g) s->starter1[g] = 0;
  }
  for (int32_t g = 0; g < n; ++g) {
    s->full[g] = multiply(f, t.starterFull, product[g]);
  }
}

// The rows but the innermost in every lane: a + u b.
void outerRowLanes(const UnitTables& t, Batch* s) {
  const Field f = t.f;
  const int32_t size = t.size, inner = t.inner, n = s->outer;
  const int32_t radix = t.radix[inner];
  const uint32_t* u = t.weight[inner];
  for (int32_t i = 0; i < size; ++i) {
    if (i == inner) continue;
    for (int32_t col = 0; col < size; ++col) {
      const uint32_t* a = s->a[i][col];
      const uint32_t* b = s->b[i][col];
      uint32_t* out = s->re[i][col];
      if (!t.rows[i].innerTarget) {  // b is 0
        for (int32_t j = 0; j < radix; ++j) {
          for (int32_t g = 0; g < n; ++g) out[j * n + g] = a[g];
        }
        continue;
      }
      // a times 2^32 once more, so that one reduction of a + u b gives
      // their sum as held: a 2^64 + (u 2^32)(b 2^32), divided by 2^32.
      uint32_t lifted[kMaxOuter];
      for (int32_t g = 0; g < n; ++g) lifted[g] = multiply(f, a[g], f.square);
      for (int32_t j = 0; j < radix; ++j) {
        for (int32_t g = 0; g < n; ++g) {
          out[j * n + g] = reduce(f, lifted[g] + uint64_t{u[j]} * b[g]);
        }
      }
    }
  }
}

// The innermost row in every lane: sum over k of h(k) u^-k c[k], two terms
// to a reduction.
void innerRowBySums(const UnitTables& t, Batch* s) {
  const Field f = t.f;
  const int32_t size = t.size, inner = t.inner, n = s->outer;
  const int32_t radix = t.radix[inner];
  const int32_t kMax = t.rows[inner].maxChosen;
  for (int32_t col = 0; col < size; ++col) {
    for (int32_t j = 0; j < radix; ++j) {
      const uint32_t* h = t.chosen[inner][j];
      uint32_t* out = s->re[inner][col] + j * n;
      for (int32_t g = 0; g < n; ++g) out[g] = 0;
      for (int32_t k = 0; k <= kMax; k += 2) {
        const uint32_t* c0 = s->c[k][col];
        if (k == kMax) {
          for (int32_t g = 0; g < n; ++g) {
            out[g] = add(f, out[g], multiply(f, h[k], c0[g]));
          }
          break;
        }
        const uint32_t* c1 = s->c[k + 1][col];
        for (int32_t g = 0; g < n; ++g) {
          uint64_t pair = uint64_t{h[k]} * c0[g] + uint64_t{h[k + 1]} * c1[g];
          out[g] = add(f, out[g], reduce(f, pair));
        }
      }
    }
  }
}

// The innermost row in every lane when its radix m is 2, 4 or 8: the
// values of the polynomial sum_k h(k) c[k] x^k at x = u^-1, that is at
// every power of w = zeta^-1, zeta the first root: a discrete Fourier
// transform of its coefficients (k <= cap < m). The radix-2 transform
// takes m log2(m) / 2 products for what the sums take (m - 1) m: 5 against
// 56 for m = 8.
void innerRowByTransform(const UnitTables& t, Batch* s) {
  const Field f = t.f;
  const int32_t size = t.size, inner = t.inner, n = s->outer;
  const int32_t radix = t.radix[inner];
  const int32_t kMax = t.rows[inner].maxChosen;
  const uint32_t* h = t.chosen[inner][0];  // h(k), at u = 1
  // Where coefficient k goes: k with its bits reversed (log2 m of them).
  int32_t bits = 0;
  while ((1 << bits) < radix) ++bits;
  for (int32_t col = 0; col < size; ++col) {
    uint32_t a[kMoveKinds][kMaxOuter];
    for (int32_t k = 0; k < radix; ++k) {
      int32_t to = 0;
      for (int32_t b = 0; b < bits; ++b) to |= (k >> b & 1) << (bits - 1 - b);
      const uint32_t* c = s->c[k][col];
      for (int32_t g = 0; g < n; ++g) {
        a[to][g] = k <= kMax ? multiply(f, h[k], c[g]) : 0;
      }
    }
    for (int32_t half = 1; half < radix; half *= 2) {
      for (int32_t start = 0; start < radix; start += 2 * half) {
        for (int32_t j = 0; j < half; ++j) {
          // w^(j m / (2 half)) = zeta^-(j m / (2 half)).
          int32_t power = j * (radix / (2 * half));
          uint32_t twiddle = t.weight[inner][(radix - power) % radix];
          uint32_t* low = a[start + j];
          uint32_t* high = a[start + j + half];
          for (int32_t g = 0; g < n; ++g) {
            uint32_t v = power == 0 ? high[g] : multiply(f, twiddle, high[g]);
            high[g] = subtract(f, low[g], v);
            low[g] = add(f, low[g], v);
          }
        }
      }
    }
    for (int32_t j = 0; j < radix; ++j) {
      uint32_t* out = s->re[inner][col] + j * n;
      for (int32_t g = 0; g < n; ++g) out[g] = a[j][g];
    }
  }
}

// The e parts: each row that can end gets its pattern; the others were
// left zero by the previous batch unless its elimination spread e parts
// into them. Then the starter's scalars and the determinants so far.
void fillEpsilonParts(const UnitTables& t, Batch* s) {
  const Field f = t.f;
  const int32_t size = t.size, inner = t.inner, n = s->outer;
  const int32_t radix = t.radix[inner];
  const uint32_t* u = t.weight[inner];
  for (int32_t i = 0; i < size; ++i) {
    const RowShape& shape = t.rows[i];
    if (shape.canEnd || s->epsilon[i]) {
      for (int32_t col = 0; col < size; ++col) {
        for (int32_t l = 0; l < s->lanes; ++l) s->ep[i][col][l] = 0;
      }
    }
    s->epsilon[i] = shape.canEnd;
    if (!shape.canEnd) continue;
    for (int32_t j = 0; j < radix; ++j) {
      uint32_t scale = i == inner          ? t.endWeight[inner][j]
                       : shape.innerTarget ? u[j]
                                           : f.one;
      uint32_t w[kMaxOuter];
      for (int32_t g = 0; g < n; ++g) {
        w[g] = multiply(f, s->endBase[i][g], scale);
      }
      for (int32_t g = 0; g < n; ++g) {
        s->ep[i][i][j * n + g] = multiply(f, w[g], t.endDiagonal[i]);
      }
      for (int32_t m = 0; m < shape.targetCount; ++m) {
        int32_t row = shape.targetRows[m];
        if (row == kNoRow) continue;
        for (int32_t g = 0; g < n; ++g) {
          s->ep[i][row][j * n + g] = negate(f, w[g]);
        }
      }
    }
  }
  const uint32_t* fullScale = t.starter.innerTarget ? u : nullptr;
  for (int32_t j = 0; j < radix; ++j) {
    for (int32_t g = 0; g < n; ++g) {
      int32_t l = j * n + g;
      s->laneChoice[l] =
          add(f, s->starter0[g], multiply(f, u[j], s->starter1[g]));
      s->laneFull[l] =
          fullScale ? multiply(f, s->full[g], fullScale[j]) : s->full[g];
      s->det0[l] = f.one;
      s->det1[l] = 0;
    }
  }
}

// Sets every lane from the rows of the outer points. The innermost row by
// a fast Fourier transform when its radix is a power of two.
void fillLanes(const UnitTables& t, Batch* s) {
  outerRowLanes(t, s);
  int32_t radix = t.radix[t.inner];
  if (radix >= 2 && (radix & (radix - 1)) == 0) {
    innerRowByTransform(t, s);
  } else {
    innerRowBySums(t, s);
  }
  fillEpsilonParts(t, s);
}

// Makes the pivot of column k in lane l non-zero in its plain part, swapping
// rows if need be. If no row has one, det(M + e X) restricted to the rows
// and columns from k on is e times the determinant of the plain parts with
// column k replaced by its e parts (e^2 = 0 drops the rest): so move the e
// parts of column k into the plain parts, drop every other e part, and
// carry det0 into det1. If that column is zero too, the lane's determinant
// is 0.
void choosePivot(const Field& f, int32_t n, int32_t k, int32_t l, Batch* s) {
  for (int32_t pass = 0; pass < 2; ++pass) {
    for (int32_t i = k; i < n; ++i) {
      if (s->re[i][k][l] == 0) continue;
      if (i != k) {
        for (int32_t col = k; col < n; ++col) {
          uint32_t r = s->re[i][col][l], e = s->ep[i][col][l];
          s->re[i][col][l] = s->re[k][col][l];
          s->ep[i][col][l] = s->ep[k][col][l];
          s->re[k][col][l] = r;
          s->ep[k][col][l] = e;
        }
        s->det0[l] = negate(f, s->det0[l]);
        s->det1[l] = negate(f, s->det1[l]);
        s->epsilon[i] = s->epsilon[k] = s->epsilon[i] || s->epsilon[k];
      }
      return;
    }
    if (pass == 0) {
      for (int32_t i = k; i < n; ++i) {
        s->re[i][k][l] = s->ep[i][k][l];
        for (int32_t col = k; col < n; ++col) s->ep[i][col][l] = 0;
      }
      s->det1[l] = s->det0[l];
      s->det0[l] = 0;
    }
  }
  // The whole determinant is 0: any non-zero pivot keeps the lane going.
  s->det0[l] = s->det1[l] = 0;
  s->re[k][k][l] = f.one;
}

// inverse0[l] = 1 / pivot[l] for every lane, with one inversion: prefix
// products, the inverse of the whole product, then the lanes peeled off from
// the end. In eight interleaved chains, lane l in chain l % 8, so that one
// chain's multiplications do not wait for the previous lane's, and the
// compilers can do eight at once. The lanes past the last, up to a multiple
// of eight, are set to 1 for it.
void invertPivots(const Field& f, int32_t lanes, uint32_t* pivot, Batch* s) {
  constexpr int32_t kChains = 8;
  static_assert(kLanes % kChains == 0, "whole blocks of lanes");
  const int32_t blocks = (lanes + kChains - 1) / kChains;
  for (int32_t l = lanes; l < blocks * kChains; ++l) pivot[l] = f.one;
  uint32_t running[kChains];
  for (uint32_t& product : running) product = f.one;
  for (int32_t b = 0; b < blocks; ++b) {
    for (int32_t c = 0; c < kChains; ++c) {
      s->prefix[b * kChains + c] = running[c];
      running[c] = multiply(f, running[c], pivot[b * kChains + c]);
    }
  }
  // The chains' products in turn, the same way, for their inverses.
  uint32_t chainPrefix[kChains];
  uint32_t all = f.one;
  for (int32_t c = 0; c < kChains; ++c) {
    chainPrefix[c] = all;
    all = multiply(f, all, running[c]);
  }
  all = inverse(f, all);
  uint32_t back[kChains];
  for (int32_t c = kChains - 1; c >= 0; --c) {
    back[c] = multiply(f, all, chainPrefix[c]);
    all = multiply(f, all, running[c]);
  }
  for (int32_t b = blocks - 1; b >= 0; --b) {
    for (int32_t c = 0; c < kChains; ++c) {
      int32_t l = b * kChains + c;
      s->inverse0[l] = multiply(f, back[c], s->prefix[l]);
      back[c] = multiply(f, back[c], pivot[l]);
    }
  }
}

// Divides the pivot row k by its pivot, and multiplies the determinant by
// it, in every lane.
void dividePivotRow(const Field& f, int32_t n, int32_t k, Batch* s) {
  const int32_t lanes = s->lanes;
  const uint32_t* p0 = s->re[k][k];
  const uint32_t* p1 = s->ep[k][k];
  const uint32_t* i0 = s->inverse0;
  if (!s->epsilon[k]) {
    for (int32_t l = 0; l < lanes; ++l) {
      s->det0[l] = multiply(f, s->det0[l], p0[l]);
      s->det1[l] = multiply(f, s->det1[l], p0[l]);
    }
    for (int32_t col = k + 1; col < n; ++col) {
      uint32_t* r0 = s->re[k][col];
      for (int32_t l = 0; l < lanes; ++l) r0[l] = multiply(f, r0[l], i0[l]);
    }
    return;
  }
  uint32_t* i1 = s->inverse1;
  for (int32_t l = 0; l < lanes; ++l) {
    uint32_t d0 = s->det0[l], d1 = s->det1[l];
    s->det0[l] = multiply(f, d0, p0[l]);
    s->det1[l] = reduce(f, uint64_t{d0} * p1[l] + uint64_t{d1} * p0[l]);
    // 1 / (p0 + p1 e) = 1/p0 - p1/p0^2 e.
    i1[l] = negate(f, multiply(f, p1[l], multiply(f, i0[l], i0[l])));
  }
  for (int32_t col = k + 1; col < n; ++col) {
    uint32_t* r0 = s->re[k][col];
    uint32_t* r1 = s->ep[k][col];
    for (int32_t l = 0; l < lanes; ++l) {
      uint32_t a0 = r0[l], a1 = r1[l];
      r0[l] = multiply(f, a0, i0[l]);
      r1[l] = reduce(f, uint64_t{a0} * i1[l] + uint64_t{a1} * i0[l]);
    }
  }
}

// Row i -= its entry in column k times the (divided) pivot row k, in every
// lane; e parts only where either row may have one.
void subtractPivotRow(const Field& f, int32_t n, int32_t k, int32_t i,
                      Batch* s) {
  const int32_t lanes = s->lanes;
  const uint32_t* g0 = s->re[i][k];
  const uint32_t* g1 = s->ep[i][k];
  for (int32_t col = k + 1; col < n; ++col) {
    uint32_t* x0 = s->re[i][col];
    uint32_t* x1 = s->ep[i][col];
    const uint32_t* r0 = s->re[k][col];
    const uint32_t* r1 = s->ep[k][col];
    if (s->epsilon[k]) {
      for (int32_t l = 0; l < lanes; ++l) {
        x0[l] = subtract(f, x0[l], multiply(f, g0[l], r0[l]));
        x1[l] = subtract(
            f, x1[l],
            reduce(f, uint64_t{g0[l]} * r1[l] + uint64_t{g1[l]} * r0[l]));
      }
    } else if (s->epsilon[i]) {
      for (int32_t l = 0; l < lanes; ++l) {
        x0[l] = subtract(f, x0[l], multiply(f, g0[l], r0[l]));
        x1[l] = subtract(f, x1[l], multiply(f, g1[l], r0[l]));
      }
    } else {
      for (int32_t l = 0; l < lanes; ++l) {
        x0[l] = subtract(f, x0[l], multiply(f, g0[l], r0[l]));
      }
    }
  }
  if (s->epsilon[k]) s->epsilon[i] = true;
}

// Eliminates every lane; afterwards det0 + e det1 is det(M + e X). The
// rows without an e part in any lane are eliminated in plain numbers,
// a third of the work.
void eliminate(const Field& f, int32_t n, Batch* s) {
  for (int32_t k = 0; k < n; ++k) {
    for (int32_t l = 0; l < s->lanes; ++l) {
      if (s->re[k][k][l] == 0) choosePivot(f, n, k, l, s);
    }
    // The last pivot only multiplies the determinant: no row is left to
    // divide, so no inversion.
    if (k + 1 < n) invertPivots(f, s->lanes, s->re[k][k], s);
    dividePivotRow(f, n, k, s);
    for (int32_t i = k + 1; i < n; ++i) subtractPivotRow(f, n, k, i, s);
  }
}

// The sum of F = Sfull det(M) + S D over the lanes of valid outer points.
uint32_t sumOfLanes(const Field& f, int32_t radix, const Batch& s) {
  uint32_t sum = 0;
  for (int32_t j = 0; j < radix; ++j) {
    for (int32_t g = 0; g < s.valid; ++g) {
      int32_t l = j * s.outer + g;
      uint32_t value = reduce(f, uint64_t{s.laneFull[l]} * s.det0[l] +
                                     uint64_t{s.laneChoice[l]} * s.det1[l]);
      sum = add(f, sum, value);
    }
  }
  return sum;
}
// Moves digit[] on to the next outer point: the rows but the innermost
// form an odometer, the last of them fastest.
void nextOuterPoint(const UnitTables& t, int32_t* digit) {
  for (int32_t i = t.size - 1; i >= 0; --i) {
    if (i == t.inner) continue;
    if (++digit[i] < t.radix[i]) return;
    digit[i] = 0;
  }
}

}  // namespace

void planExactCount(const CountQuery* queries, int32_t count,
                    ExactCountJob* job) {
  *job = {};
  job->queryCount = count;
  for (int32_t i = 0; i < kCountPrimeCount; ++i) {
    job->rootOfUnity[i] = rootOfUnity840(kCountPrimes[i]);
  }
  for (int32_t q = 0; q < count; ++q) {
    CountPlan& plan = job->plans[q];
    planQuery(queries[q], &plan);
    plan.firstUnit = job->unitCount;
    job->unitCount += int64_t{plan.unitsPerPrime} * plan.primes;
    job->pointCount += plan.points * plan.primes;
  }
}

void planStarterCounts(const LinkTable& table, ExactCountJob* job) {
  CountQuery queries[kMoveKinds];
  for (int32_t k = kFirstMove; k <= kLastMove; ++k) {
    queries[k - 1] = {table, k};
  }
  planExactCount(queries, kMoveKinds, job);
}

void planFollowUpCounts(const LinkTable& open, int32_t move,
                        ExactCountJob* job) {
  CountQuery queries[kMoveKinds];
  int32_t count = 0;
  for (int32_t j = kFirstMove; j <= kLastMove; ++j) {
    if (open.rows[move - 1].entries[j] == 0) continue;
    queries[count] = {open, j};
    queries[count].table.rows[move - 1].entries[j] = 0;
    ++count;
  }
  planExactCount(queries, count, job);
}

CountUnit describeCountUnit(const ExactCountJob& job, int64_t unit) {
  int32_t q = 0;
  while (q + 1 < job.queryCount && job.plans[q + 1].firstUnit <= unit) ++q;
  const CountPlan& plan = job.plans[q];
  int64_t rest = unit - plan.firstUnit;
  CountUnit result;
  result.query = q;
  result.prime = static_cast<int32_t>(rest / plan.unitsPerPrime);
  int64_t chunk = rest % plan.unitsPerPrime;
  int64_t firstOuter = chunk * plan.outerPerUnit;
  int64_t outerCount = plan.outerPoints - firstOuter;
  if (outerCount > plan.outerPerUnit) outerCount = plan.outerPerUnit;
  int64_t inner = plan.points / plan.outerPoints;
  result.firstPoint = firstOuter * inner;
  result.pointCount = outerCount * inner;
  return result;
}

uint32_t evaluateCountUnit(const ExactCountJob& job, int64_t unit,
                           CountWorkspace* workspace) {
  CountUnit u = describeCountUnit(job, unit);
  const CountPlan& plan = job.plans[u.query];
  if (plan.size == 0) return 1;  // one point, and F = Sfull = 1 there

  UnitTables t;
  setUpTables(plan, kCountPrimes[u.prime], job.rootOfUnity[u.prime], &t);
  const Field f = t.f;
  const int32_t innerRadix = t.radix[t.inner];

  // The digits of the first outer point.
  int32_t digit[kCountMatrixSize] = {};
  int64_t outer = u.firstPoint / innerRadix;
  for (int32_t i = t.size - 1; i >= 0; --i) {
    if (i == t.inner) continue;
    digit[i] = static_cast<int32_t>(outer % t.radix[i]);
    outer /= t.radix[i];
  }

  // The batch begins zeroed: no e parts, and none spread.
  static_assert(sizeof(Batch) <= kCountWorkspaceBytes &&
                    alignof(Batch) <= alignof(CountWorkspace),
                "a Batch fits in a CountWorkspace");
  Batch& s = *new (workspace->bytes) Batch();
  s.outer = kLanes / innerRadix < kMaxOuter ? kLanes / innerRadix : kMaxOuter;
  s.lanes = s.outer * innerRadix;
  uint32_t sum = 0;
  for (int64_t left = u.pointCount / innerRadix; left > 0; left -= s.valid) {
    s.valid = left < s.outer ? static_cast<int32_t>(left) : s.outer;
    for (int32_t g = 0; g < s.outer; ++g) {
      for (int32_t i = 0; i < t.size; ++i) {
        s.digit[i][g] = digit[i];
        s.weight[i][g] = t.weight[i][digit[i]];
      }
      // The outer points past the valid ones repeat the last valid one.
      if (g + 1 < s.valid) nextOuterPoint(t, digit);
    }
    for (int32_t i = 0; i < t.size; ++i) {
      if (i != t.inner) outerRow(t, i, &s);
    }
    innerRow(t, &s);
    starterScalars(t, &s);
    fillLanes(t, &s);
    eliminate(f, t.size, &s);
    sum = add(f, sum, sumOfLanes(f, innerRadix, s));
    nextOuterPoint(t, digit);
  }
  return toInteger(f, sum);
}

void addCountUnit(const ExactCountJob& job, int64_t unit, uint32_t residue,
                  CountSums* sums) {
  CountUnit u = describeCountUnit(job, unit);
  uint32_t p = kCountPrimes[u.prime];
  uint32_t& sum = sums->residues[u.query][u.prime];
  sum = static_cast<uint32_t>((uint64_t{sum} + residue) % p);
}

void mergeCountSums(const ExactCountJob& job, const CountSums& part,
                    CountSums* total) {
  for (int32_t q = 0; q < job.queryCount; ++q) {
    for (int32_t i = 0; i < kCountPrimeCount; ++i) {
      uint32_t& sum = total->residues[q][i];
      sum = static_cast<uint32_t>((uint64_t{sum} + part.residues[q][i]) %
                                  kCountPrimes[i]);
    }
  }
}

BigCount finishCount(const ExactCountJob& job, const CountSums& sums,
                     int32_t query) {
  const CountPlan& plan = job.plans[query];
  uint32_t residues[kCountPrimeCount];
  for (int32_t i = 0; i < plan.primes; ++i) {
    uint32_t p = kCountPrimes[i];
    // The mean over the points: divide by their number, a product of
    // numbers up to 8, which p does not divide.
    uint64_t points = static_cast<uint64_t>(plan.points % p);
    residues[i] = static_cast<uint32_t>(uint64_t{sums.residues[query][i]} *
                                        powerModulo(points, p - 2, p) % p);
  }
  BigCount count = bigCountOf(0);
  // The primes' product exceeds the count's proven bound, far below 2^256.
  bigCountFromResidues(residues, kCountPrimes, plan.primes, &count);
  return count;
}

BigCount countCombos(const LinkTable& table, int32_t starter) {
  CountQuery query = {table, starter};
  ExactCountJob job;
  planExactCount(&query, 1, &job);
  CountWorkspace workspace;
  CountSums sums = {};
  for (int64_t unit = 0; unit < job.unitCount; ++unit) {
    addCountUnit(job, unit, evaluateCountUnit(job, unit, &workspace), &sums);
  }
  return finishCount(job, sums, 0);
}

}  // namespace combo
