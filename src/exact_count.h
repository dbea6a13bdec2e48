// The exact number of complete combos for any table of the eight move kinds
// (up to all 64 links, self-links included), however large, in time
// polynomial in the number of links (at most 8^7 evaluations of a 7 x 7
// determinant for each prime), split into units of work that threads or Web
// Workers can share.
//
// A complete combo from a starter s is a walk s, m1, m2, ... over links,
// each link used at most once, that goes on until the current move has no
// unused link leaving it; two walks that differ anywhere are different
// combos. What can follow a point of a combo (current move v, links U used)
// is what follows the starter v on the table without U, so counting from a
// starter answers every question about a combo begun.
//
// How (each step is derived in exact_count.cpp, next to its code):
//   - A complete combo that ends at t with the link set E is an Euler trail
//     of E from s to t in which E holds every link leaving t. With the extra
//     link t -> s, E becomes a closed walk, and the BEST theorem counts its
//     trails: a determinant of a 7 x 7 matrix (one row for each move but s)
//     times a product of factorials.
//   - Row v of that matrix, and v's factorial, depend only on which links
//     leaving v are in E. A determinant is linear in each row, so the sum
//     over every E is one determinant of rows summed over v's choices, once
//     the condition that every move is entered as often as it is left is
//     imposed: weights w_x on the moves, averaged over roots of unity.
//   - The sum over the end t is the derivative of one determinant, worked
//     out in numbers of the form a + b e with e^2 = 0.
//   - All of it modulo primes p = 1 (mod 840) below 2^31, which have every
//     root of unity of order up to 8, in 64-bit integer arithmetic only
//     (Montgomery's multiplication); the residues are joined by the Chinese
//     remainder theorem into one BigCount. As many primes are used as the
//     proven bound comboUpperBound needs.
//
// The work for one count is a sum over evaluation points (one root of unity
// for each move that s can reach, but s): from 1 point up to 8^7 = 2 097 152
// for a table of every link, for each prime; a point takes 0.3 to 0.5 us of
// one core of a 2020s PC (job.pointCount tells the work before it starts). A
// job plans up to eight counts at once and cuts their points into units: a unit
// is one count, one prime and a range of points. Their number is known as soon
// as the job is planned, so that a caller can show exact progress; units may be
// evaluated in any order, on any thread, and summed in any order.
// count_threads.h runs a job on threads; a Web Worker runs evaluateCountUnit on
// units it is given.
//
// Everything is plain data of fixed size; nothing is allocated. The
// functions are pure: the same job and unit give the same result on every
// platform.

#ifndef COMBO_EXACT_COUNT_H_
#define COMBO_EXACT_COUNT_H_

#include <cstdint>
#include <iterator>

#include "big_count.h"
#include "link_table.h"

namespace combo {

// The primes, in the order the counts use them: the largest primes below
// 2^31 with p = 1 (mod 840). Five of them exceed 2^154, above every count.
inline constexpr uint32_t kCountPrimes[] = {
    2147482681u, 2147480161u, 2147478481u, 2147472601u, 2147470081u,
};
inline constexpr int32_t kCountPrimeCount =
    static_cast<int32_t>(std::size(kCountPrimes));

// A job counts at most this many things at once: the combos from each of
// the eight starters, or from each follow-up at a point of a combo.
inline constexpr int32_t kMaxCountQueries = 8;
// The matrix has a row for each move but the starter.
inline constexpr int32_t kCountMatrixSize = kMoveKinds - 1;
// A unit covers about this many evaluation points, whole sweeps of the
// innermost root of unity: about 30 ms of work on one core of a 2020s PC.
inline constexpr int64_t kCountUnitPoints = int64_t{1} << 16;

// One count to make: the complete combos from starter over table.
struct CountQuery {
  LinkTable table;
  int32_t starter;  // 1 to 8
};

// How one count is worked out; planExactCount fills it in, and the other
// functions read it. A caller may read it (points, primes) but not change
// it.
struct CountPlan {
  int32_t starter;  // 1 to 8
  uint64_t links;   // the links that a combo from starter can use
  int32_t primes;   // the primes it needs, 1 to kCountPrimeCount
  int32_t size;     // matrix rows: the moves reachable from starter, but it
  int32_t moves[kCountMatrixSize];  // the move of each row, 1 to 8
  int32_t radix[kCountMatrixSize];  // the roots of unity of its weight, 1 to 8
  int32_t inner;        // the row whose weight the innermost loop sweeps
  int64_t points;       // the product of the radices: points for each prime
  int64_t outerPoints;  // points / radix[inner]
  int64_t outerPerUnit;
  int32_t unitsPerPrime;
  int64_t firstUnit;  // the units of this count: firstUnit, then
                      // unitsPerPrime for each of its primes in turn
};

// The counts that one job makes, and how their work is cut into units.
struct ExactCountJob {
  int32_t queryCount;
  CountPlan plans[kMaxCountQueries];
  uint32_t rootOfUnity[kCountPrimeCount];  // of order 840 modulo each prime
  int64_t unitCount;                       // all units of all counts
  int64_t pointCount;                      // all evaluation points of all units
};

// What one unit covers.
struct CountUnit {
  int32_t query;       // the count it belongs to
  int32_t prime;       // the index of its prime in kCountPrimes
  int64_t firstPoint;  // its points, in the order of the innermost loop
  int64_t pointCount;
};

// Plans the counts queries[0..count) into *job. Cheap: no count is made.
// REQUIRES: 0 <= count <= kMaxCountQueries; every starter 1 to 8.
void planExactCount(const CountQuery* queries, int32_t count,
                    ExactCountJob* job);

// Plans the counts from each starter 1 to 8 of table into *job: query k - 1
// counts from starter k.
void planStarterCounts(const LinkTable& table, ExactCountJob* job);

// Plans the counts at a point of a combo into *job: its current move is
// `move`, and `open` is the table with every link the combo has used
// closed. One query for each open link move -> j, in ascending order of j:
// the combos that go on with j, counted from the starter j on `open`
// without that link. Their sum is the count from the point. A complete
// combo (no open link) gives a job of no query and no unit.
// REQUIRES: 1 <= move <= 8.
void planFollowUpCounts(const LinkTable& open, int32_t move,
                        ExactCountJob* job);

// Returns what unit covers.
// REQUIRES: job planned; 0 <= unit < job.unitCount.
CountUnit describeCountUnit(const ExactCountJob& job, int64_t unit);

// The memory evaluateCountUnit works in, about 80 KiB: one for each thread
// that evaluates units, in static storage or on a stack large enough (a Web
// Worker's stack is often smaller). Its content between calls means
// nothing.
inline constexpr int32_t kCountWorkspaceBytes = 96 * 1024;
struct CountWorkspace {
  alignas(64) unsigned char bytes[kCountWorkspaceBytes];
};

// Evaluates one unit in *workspace: returns the sum, modulo its prime, of
// what its points contribute to its count. Takes time in proportion to its
// points, and a few KiB of stack. Thread-safe as long as each thread has a
// workspace of its own: it reads job only.
// REQUIRES: job planned; 0 <= unit < job.unitCount.
uint32_t evaluateCountUnit(const ExactCountJob& job, int64_t unit,
                           CountWorkspace* workspace);

// The sums of unit results so far, for each count and prime. A
// CountSums of all zeros ({}) has no unit yet.
struct CountSums {
  uint32_t residues[kMaxCountQueries][kCountPrimeCount];
};

// Adds the result of evaluateCountUnit(job, unit, ...) to *sums. Each unit
// must be added exactly once, in any order.
// REQUIRES: job planned; 0 <= unit < job.unitCount; residue as returned.
void addCountUnit(const ExactCountJob& job, int64_t unit, uint32_t residue,
                  CountSums* sums);

// Adds every sum of part to *total: for units added to separate CountSums
// (one per thread, say).
void mergeCountSums(const ExactCountJob& job, const CountSums& part,
                    CountSums* total);

// Returns the count of query once every unit of the job has been added to
// sums. The result is exact; with units missing it is meaningless.
// REQUIRES: job planned; 0 <= query < job.queryCount.
BigCount finishCount(const ExactCountJob& job, const CountSums& sums,
                     int32_t query);

// Counts the complete combos from starter over table, on the calling thread
// alone: plans, evaluates every unit and finishes. Its workspace is on the
// stack: about 100 KiB of it.
// REQUIRES: 1 <= starter <= 8.
BigCount countCombos(const LinkTable& table, int32_t starter);

}  // namespace combo

#endif  // COMBO_EXACT_COUNT_H_
