#include "big_count.h"

namespace combo {
namespace {

// The inverse of a modulo m, by the extended Euclidean algorithm.
// REQUIRES: m >= 2, a and m coprime.
uint32_t inverseModulo(uint32_t a, uint32_t m) {
  int64_t r0 = m, r1 = a % m;
  int64_t t0 = 0, t1 = 1;
  while (r1 != 0) {
    int64_t q = r0 / r1;
    int64_t r2 = r0 - q * r1;
    r0 = r1;
    r1 = r2;
    int64_t t2 = t0 - q * t1;
    t0 = t1;
    t1 = t2;
  }
  if (t0 < 0) t0 += m;
  return static_cast<uint32_t>(t0);
}

}  // namespace

BigCount bigCountOf(uint64_t value) {
  BigCount result = {};
  result.limbs[0] = static_cast<uint32_t>(value);
  result.limbs[1] = static_cast<uint32_t>(value >> 32);
  return result;
}

bool operator==(const BigCount& a, const BigCount& b) {
  return compareBigCounts(a, b) == 0;
}

int32_t compareBigCounts(const BigCount& a, const BigCount& b) {
  for (int32_t i = kBigCountLimbs - 1; i >= 0; --i) {
    if (a.limbs[i] != b.limbs[i]) return a.limbs[i] < b.limbs[i] ? -1 : 1;
  }
  return 0;
}

bool addBigCount(BigCount* sum, const BigCount& term) {
  BigCount result;
  uint64_t carry = 0;
  for (int32_t i = 0; i < kBigCountLimbs; ++i) {
    carry += uint64_t{sum->limbs[i]} + term.limbs[i];
    result.limbs[i] = static_cast<uint32_t>(carry);
    carry >>= 32;
  }
  if (carry != 0) return false;
  *sum = result;
  return true;
}

bool multiplyAddBigCount(BigCount* value, uint32_t factor, uint32_t addend) {
  BigCount result;
  // limb * factor + carry < 2^64: (2^32 - 1)^2 + 2^32 - 1 < 2^64.
  uint64_t carry = addend;
  for (int32_t i = 0; i < kBigCountLimbs; ++i) {
    carry += uint64_t{value->limbs[i]} * factor;
    result.limbs[i] = static_cast<uint32_t>(carry);
    carry >>= 32;
  }
  if (carry != 0) return false;
  *value = result;
  return true;
}

bool multiplyBigCounts(BigCount* value, const BigCount& factor) {
  // Schoolbook, into twice the limbs; the upper half must stay zero.
  uint32_t product[2 * kBigCountLimbs] = {};
  for (int32_t i = 0; i < kBigCountLimbs; ++i) {
    uint64_t carry = 0;
    for (int32_t j = 0; j < kBigCountLimbs; ++j) {
      carry += uint64_t{value->limbs[i]} * factor.limbs[j] + product[i + j];
      product[i + j] = static_cast<uint32_t>(carry);
      carry >>= 32;
    }
    product[i + kBigCountLimbs] = static_cast<uint32_t>(carry);
  }
  for (int32_t i = kBigCountLimbs; i < 2 * kBigCountLimbs; ++i) {
    if (product[i] != 0) return false;
  }
  for (int32_t i = 0; i < kBigCountLimbs; ++i) value->limbs[i] = product[i];
  return true;
}

uint32_t bigCountModulo(const BigCount& value, uint32_t modulus) {
  uint64_t rest = 0;
  for (int32_t i = kBigCountLimbs - 1; i >= 0; --i) {
    rest = ((rest << 32) | value.limbs[i]) % modulus;
  }
  return static_cast<uint32_t>(rest);
}

int32_t bigCountBits(const BigCount& value) {
  for (int32_t i = kBigCountLimbs - 1; i >= 0; --i) {
    uint32_t limb = value.limbs[i];
    if (limb == 0) continue;
    int32_t bits = 0;
    while (limb != 0) {
      ++bits;
      limb >>= 1;
    }
    return 32 * i + bits;
  }
  return 0;
}

bool bigCountToUint64(const BigCount& value, uint64_t* out) {
  for (int32_t i = 2; i < kBigCountLimbs; ++i) {
    if (value.limbs[i] != 0) return false;
  }
  *out = (uint64_t{value.limbs[1]} << 32) | value.limbs[0];
  return true;
}

double bigCountToDouble(const BigCount& value) {
  double result = 0;
  for (int32_t i = kBigCountLimbs - 1; i >= 0; --i) {
    result = result * 4294967296.0 + value.limbs[i];
  }
  return result;
}

int32_t formatBigCount(const BigCount& value, char* text) {
  // Nine digits at a time, least significant group first: divide a copy by
  // 10^9 until nothing is left.
  constexpr uint32_t kGroup = 1000000000;
  constexpr int32_t kGroupDigits = 9;
  uint32_t groups[kBigCountDigits / kGroupDigits + 1];
  int32_t groupCount = 0;
  BigCount rest = value;
  bool zero;
  do {
    uint64_t remainder = 0;
    zero = true;
    for (int32_t i = kBigCountLimbs - 1; i >= 0; --i) {
      uint64_t part = (remainder << 32) | rest.limbs[i];
      rest.limbs[i] = static_cast<uint32_t>(part / kGroup);
      remainder = part % kGroup;
      if (rest.limbs[i] != 0) zero = false;
    }
    groups[groupCount++] = static_cast<uint32_t>(remainder);
  } while (!zero);

  // The most significant group without leading zeros, the others with.
  int32_t length = 0;
  char digits[kGroupDigits];
  uint32_t top = groups[groupCount - 1];
  int32_t topDigits = 0;
  do {
    digits[topDigits++] = static_cast<char>('0' + top % 10);
    top /= 10;
  } while (top != 0);
  while (topDigits > 0) text[length++] = digits[--topDigits];
  for (int32_t g = groupCount - 2; g >= 0; --g) {
    uint32_t group = groups[g];
    for (int32_t d = kGroupDigits - 1; d >= 0; --d) {
      text[length + d] = static_cast<char>('0' + group % 10);
      group /= 10;
    }
    length += kGroupDigits;
  }
  text[length] = '\0';
  return length;
}

bool bigCountFromResidues(const uint32_t* residues, const uint32_t* moduli,
                          int32_t count, BigCount* out) {
  // Garner's algorithm: x = d[0] + m[0] (d[1] + m[1] (d[2] + ...)) with each
  // mixed-radix digit d[i] < m[i], found modulo m[i] alone, so that every
  // step stays within 64 bits.
  constexpr int32_t kMaxModuli = 16;
  uint32_t digit[kMaxModuli] = {};
  for (int32_t i = 0; i < count; ++i) {
    uint64_t m = moduli[i];
    // The part of x that the digits before i give, modulo m, and the
    // product of the moduli before i, modulo m.
    uint64_t partial = 0;
    uint64_t radix = 1;
    for (int32_t j = 0; j < i; ++j) {
      partial = (partial + digit[j] % m * radix) % m;
      radix = radix * (moduli[j] % m) % m;
    }
    uint64_t difference = (residues[i] + m - partial) % m;
    digit[i] = static_cast<uint32_t>(
        difference * inverseModulo(static_cast<uint32_t>(radix), moduli[i]) %
        m);
  }
  BigCount result = bigCountOf(digit[count - 1]);
  for (int32_t i = count - 2; i >= 0; --i) {
    if (!multiplyAddBigCount(&result, moduli[i], digit[i])) return false;
  }
  *out = result;
  return true;
}

}  // namespace combo
