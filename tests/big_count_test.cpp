// The big integer of the counts: decimal writing at the edges of its groups
// of digits and of its limbs, arithmetic that must refuse to wrap, and the
// Chinese remainder theorem, up to a number that needs every prime. The
// expected numbers are written out by hand (powers of two and products of
// the primes, worked out elsewhere).
#include "big_count.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "exact_count.h"

namespace combo {
namespace {

// A BigCount from its limbs, least significant first.
BigCount fromLimbs(std::initializer_list<uint32_t> list) {
  BigCount value = {};
  int32_t i = 0;
  for (uint32_t limb : list) value.limbs[i++] = limb;
  return value;
}

BigCount allOnes() {
  BigCount value;
  for (uint32_t& limb : value.limbs) limb = 0xFFFFFFFFu;
  return value;
}

std::string text(const BigCount& value) {
  char buffer[kBigCountTextSize];
  int32_t length = formatBigCount(value, buffer);
  EXPECT_EQ(length, static_cast<int32_t>(std::string(buffer).size()));
  return buffer;
}

struct DecimalCase {
  const char* name;
  BigCount value;
  const char* want;
};

void PrintTo(const DecimalCase& c, std::ostream* os) { *os << c.name; }

class DecimalTest : public testing::TestWithParam<DecimalCase> {};

TEST_P(DecimalTest, WritesEveryDigitAndNoLeadingZero) {
  EXPECT_EQ(text(GetParam().value), GetParam().want);
}

const DecimalCase kDecimalCases[] = {
    {"Zero", {}, "0"},
    {"One", fromLimbs({1}), "1"},
    {"NineDigits", fromLimbs({999999999}), "999999999"},
    {"TenDigitsAGroupAndOne", fromLimbs({1000000000}), "1000000000"},
    {"LargestLimb", fromLimbs({0xFFFFFFFFu}), "4294967295"},
    {"TwoTo32", fromLimbs({0, 1}), "4294967296"},
    {"TenTo18TwoFullGroupsOfZeros", fromLimbs({0xA7640000u, 0x0DE0B6B3u}),
     "1000000000000000000"},
    {"TwoTo64Minus1", fromLimbs({0xFFFFFFFFu, 0xFFFFFFFFu}),
     "18446744073709551615"},
    {"TwoTo64", fromLimbs({0, 0, 1}), "18446744073709551616"},
    {"TwoTo128", fromLimbs({0, 0, 0, 0, 1}),
     "340282366920938463463374607431768211456"},
    {"Largest", allOnes(),
     "115792089237316195423570985008687907853269984665640564039457584007913"
     "129639935"},
};

INSTANTIATE_TEST_SUITE_P(FormatBigCount, DecimalTest,
                         testing::ValuesIn(kDecimalCases),
                         [](const testing::TestParamInfo<DecimalCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(FormatBigCount, LargestHasAllItsDigits) {
  char buffer[kBigCountTextSize];
  EXPECT_EQ(formatBigCount(allOnes(), buffer), kBigCountDigits);
}

TEST(AddBigCount, CarriesAcrossLimbs) {
  BigCount sum = fromLimbs({0xFFFFFFFFu, 0xFFFFFFFFu});
  ASSERT_TRUE(addBigCount(&sum, bigCountOf(1)));
  EXPECT_EQ(sum, fromLimbs({0, 0, 1}));
}

TEST(AddBigCount, RefusesToWrapAndLeavesTheSum) {
  BigCount sum = allOnes();
  EXPECT_FALSE(addBigCount(&sum, bigCountOf(1)));
  EXPECT_EQ(sum, allOnes());
}

TEST(MultiplyAddBigCount, ReachesTheTopLimb) {
  BigCount value = fromLimbs({0, 0, 0, 0, 0, 0, 0, 1});  // 2^224
  ASSERT_TRUE(multiplyAddBigCount(&value, 0x80000000u, 7));
  EXPECT_EQ(value, fromLimbs({7, 0, 0, 0, 0, 0, 0, 0x80000000u}));
}

TEST(MultiplyAddBigCount, RefusesToWrapAndLeavesTheValue) {
  BigCount value = fromLimbs({0, 0, 0, 0, 0, 0, 0, 0x80000000u});  // 2^255
  EXPECT_FALSE(multiplyAddBigCount(&value, 2, 0));
  EXPECT_EQ(value, fromLimbs({0, 0, 0, 0, 0, 0, 0, 0x80000000u}));
  value = allOnes();
  EXPECT_FALSE(multiplyAddBigCount(&value, 1, 1));
}

TEST(MultiplyBigCounts, MultipliesAcrossLimbs) {
  BigCount value = fromLimbs({0, 0, 1});  // 2^64
  ASSERT_TRUE(multiplyBigCounts(&value, fromLimbs({3, 0, 1})));
  EXPECT_EQ(value, fromLimbs({0, 0, 3, 0, 1}));  // 2^128 + 3 * 2^64
}

TEST(MultiplyBigCounts, RefusesToWrapAndLeavesTheValue) {
  BigCount value = fromLimbs({0, 0, 0, 0, 1});  // 2^128
  EXPECT_FALSE(multiplyBigCounts(&value, fromLimbs({0, 0, 0, 0, 1})));
  EXPECT_EQ(value, fromLimbs({0, 0, 0, 0, 1}));
}

TEST(CompareBigCounts, OrdersByTheHighestLimbThatDiffers) {
  EXPECT_EQ(compareBigCounts(fromLimbs({1, 0, 5}), fromLimbs({2, 0, 5})), -1);
  EXPECT_EQ(compareBigCounts(fromLimbs({2, 0, 5}), fromLimbs({1, 0, 5})), 1);
  EXPECT_EQ(compareBigCounts(fromLimbs({9, 9}), fromLimbs({0, 0, 1})), -1);
  EXPECT_EQ(compareBigCounts(fromLimbs({9, 9}), fromLimbs({9, 9})), 0);
  EXPECT_EQ(compareBigCounts({}, {}), 0);
}

TEST(BigCountModulo, GivesTheRemainder) {
  EXPECT_EQ(bigCountModulo(fromLimbs({0, 0, 1}), 10), 6u);  // 2^64 ends in 6
  EXPECT_EQ(bigCountModulo(fromLimbs({0, 0, 1}), 1), 0u);
  EXPECT_EQ(bigCountModulo(allOnes(), 2147482681u), 581497955u);
  EXPECT_EQ(bigCountModulo({}, 7), 0u);
}

TEST(BigCountBits, CountsUpToTheHighestSetBit) {
  EXPECT_EQ(bigCountBits({}), 0);
  EXPECT_EQ(bigCountBits(fromLimbs({1})), 1);
  EXPECT_EQ(bigCountBits(fromLimbs({0xFFFFFFFFu, 0xFFFFFFFFu})), 64);
  EXPECT_EQ(bigCountBits(fromLimbs({0, 0, 1})), 65);
  EXPECT_EQ(bigCountBits(allOnes()), 256);
}

TEST(BigCountToUint64, FitsUpTo2To64Minus1) {
  uint64_t out = 0;
  EXPECT_TRUE(bigCountToUint64(fromLimbs({0xFFFFFFFFu, 0xFFFFFFFFu}), &out));
  EXPECT_EQ(out, UINT64_MAX);
  EXPECT_FALSE(bigCountToUint64(fromLimbs({0, 0, 1}), &out));
  EXPECT_FALSE(bigCountToUint64(fromLimbs({0, 0, 0, 0, 0, 0, 0, 1}), &out));
}

TEST(BigCountToDouble, KeepsPowersOfTwo) {
  EXPECT_EQ(bigCountToDouble(fromLimbs({0, 0, 1})), 18446744073709551616.0);
  EXPECT_EQ(bigCountToDouble({}), 0.0);
}

// --- The Chinese remainder theorem -----------------------------------------

TEST(BigCountFromResidues, SolvesSunzisProblem) {
  // x = 2 mod 3, 3 mod 5, 2 mod 7: 23.
  const uint32_t residues[] = {2, 3, 2};
  const uint32_t moduli[] = {3, 5, 7};
  BigCount x;
  ASSERT_TRUE(bigCountFromResidues(residues, moduli, 3, &x));
  EXPECT_EQ(x, bigCountOf(23));
}

TEST(BigCountFromResidues, OneModulusIsTheResidue) {
  const uint32_t residue[] = {5};
  const uint32_t modulus[] = {7};
  BigCount x;
  ASSERT_TRUE(bigCountFromResidues(residue, modulus, 1, &x));
  EXPECT_EQ(x, bigCountOf(5));
}

TEST(BigCountFromResidues, ANumberThatNeedsEveryPrime) {
  // 2^150 + 12345: above the product of four of the primes (below 2^124).
  const uint32_t residues[] = {456478830u, 328538848u, 831515128u, 804803986u,
                               1934256637u};
  static_assert(kCountPrimeCount == 5, "one residue for each prime");
  BigCount x;
  ASSERT_TRUE(bigCountFromResidues(residues, kCountPrimes, 5, &x));
  EXPECT_EQ(x, fromLimbs({12345, 0, 0, 0, 1u << 22}));
}

TEST(BigCountFromResidues, TheLargestNumberBelowTheProductOfThePrimes) {
  uint32_t residues[kCountPrimeCount];
  for (int32_t i = 0; i < kCountPrimeCount; ++i) {
    residues[i] = kCountPrimes[i] - 1;
  }
  BigCount x;
  ASSERT_TRUE(bigCountFromResidues(residues, kCountPrimes, 5, &x));
  EXPECT_EQ(text(x), "45671198072754599196285029443070922729883305600");
}

TEST(BigCountFromResidues, RefusesANumberBeyond256Bits) {
  // Nine primes near 2^31: their product less 1 needs 279 bits.
  const uint32_t moduli[] = {2147482681u, 2147480161u, 2147478481u,
                             2147472601u, 2147470081u, 2147466721u,
                             2147463361u, 2147459161u, 2147453281u};
  uint32_t residues[9];
  for (int32_t i = 0; i < 9; ++i) residues[i] = moduli[i] - 1;
  BigCount x = bigCountOf(77);
  EXPECT_FALSE(bigCountFromResidues(residues, moduli, 9, &x));
  EXPECT_EQ(x, bigCountOf(77));
  // The same primes with small residues give a small number.
  for (int32_t i = 0; i < 9; ++i) residues[i] = 4;
  ASSERT_TRUE(bigCountFromResidues(residues, moduli, 9, &x));
  EXPECT_EQ(x, bigCountOf(4));
}

}  // namespace
}  // namespace combo
