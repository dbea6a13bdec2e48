// Counts too large for 64 bits: an unsigned integer of fixed size, large
// enough for the number of complete combos of any table of the eight move
// kinds, with exact decimal output, and the Chinese remainder theorem that
// joins a count worked out modulo several primes into one exact number.
//
// A table of all 64 links allows fewer than 2^134 complete combos from a
// starter (see comboUpperBound in count_bounds.h), so 256 bits hold every
// count, and a sum of a few thousand of them, with room to spare. Nothing is
// allocated; a BigCount is plain data, to be copied freely. Every operation
// says how it fails when a result would not fit, and none ever wraps
// silently.

#ifndef COMBO_BIG_COUNT_H_
#define COMBO_BIG_COUNT_H_

#include <cstdint>

namespace combo {

inline constexpr int32_t kBigCountLimbs = 8;  // 32 bits each: 256 bits
// The decimal digits of the largest BigCount, 2^256 - 1, and room for them
// and a NUL.
inline constexpr int32_t kBigCountDigits = 78;
inline constexpr int32_t kBigCountTextSize = kBigCountDigits + 1;

// The number sum over i of limbs[i] * 2^(32 i): least significant limb first.
// A BigCount of all zeros ({}) is 0.
struct BigCount {
  uint32_t limbs[kBigCountLimbs];
};

// Returns value as a BigCount.
BigCount bigCountOf(uint64_t value);

// Returns true iff a == b.
bool operator==(const BigCount& a, const BigCount& b);
inline bool operator!=(const BigCount& a, const BigCount& b) {
  return !(a == b);
}

// Returns -1, 0 or 1 as a is less than, equal to or greater than b.
int32_t compareBigCounts(const BigCount& a, const BigCount& b);

// Adds term to *sum. Returns false, leaving *sum unchanged, if the result
// does not fit in 256 bits.
bool addBigCount(BigCount* sum, const BigCount& term);

// Sets *value to *value * factor + addend. Returns false, leaving *value
// unchanged, if the result does not fit in 256 bits.
bool multiplyAddBigCount(BigCount* value, uint32_t factor, uint32_t addend);

// Sets *value to *value * factor. Returns false, leaving *value unchanged, if
// the product does not fit in 256 bits.
bool multiplyBigCounts(BigCount* value, const BigCount& factor);

// Returns value modulo modulus. REQUIRES: modulus >= 1.
uint32_t bigCountModulo(const BigCount& value, uint32_t modulus);

// Returns the number of bits of value: 0 for 0, 1 for 1, 256 for 2^255.
int32_t bigCountBits(const BigCount& value);

// Returns true and sets *out to value iff value < 2^64.
bool bigCountToUint64(const BigCount& value, uint64_t* out);

// Returns value as the nearest double (rounding toward zero after the 53rd
// bit): for ratios and for showing magnitudes, never for exact work.
double bigCountToDouble(const BigCount& value);

// Writes value in ASCII decimal, without leading zeros ("0" for 0), and a
// NUL after it. Returns the number of digits, 1 to kBigCountDigits.
// REQUIRES: text has room for kBigCountTextSize bytes.
int32_t formatBigCount(const BigCount& value, char* text);

// The Chinese remainder theorem: sets *out to the one number x with
// 0 <= x < moduli[0] * ... * moduli[count - 1] and x = residues[i] modulo
// moduli[i] for every i, and returns true; returns false, leaving *out
// unchanged, if x does not fit in 256 bits.
// REQUIRES: 1 <= count <= 16; the moduli are distinct primes (pairwise
// coprime and at least 2 is enough); residues[i] < moduli[i].
bool bigCountFromResidues(const uint32_t* residues, const uint32_t* moduli,
                          int32_t count, BigCount* out);

}  // namespace combo

#endif  // COMBO_BIG_COUNT_H_
