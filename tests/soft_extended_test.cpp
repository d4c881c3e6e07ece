// The software extended format against the x87 hardware, operation by
// operation, over generated operands chosen to reach every rounding case:
// exponent gaps from 0 to past 130, exact ties, total and partial
// cancellation, carries into the next binade, and conversions to binary64
// that come out subnormal or infinite. Also the portable 128-bit helpers
// against the compiler's unsigned __int128.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

#include "same_binary64.h"
#include "soft_extended.h"
#include "wide_uint.h"
#include "x87_long_double.h"

namespace {

using generator = std::mt19937_64;

#if LM_X87_LONG_DOUBLE

// Returns a significand with bit 63 set, drawn from shapes that make the
// hard cases common: plain random bits; a single bit or a few; all ones;
// and random bits ending in a run of zeros or in a one then zeros (so that
// sums and products land exactly on ties).
std::uint64_t random_significand(generator& random) {
  const std::uint64_t top = std::uint64_t{1} << 63;
  const int low_zeros = static_cast<int>(random() % 64);
  switch (random() % 8) {
    case 0:
      return top;
    case 1:
      return top | (std::uint64_t{1} << (random() % 63)) | (std::uint64_t{1} << (random() % 63));
    case 2:
      return ~std::uint64_t{0};
    case 3:
      return ~std::uint64_t{0} << low_zeros;
    case 4:
      return (top | random()) >> low_zeros << low_zeros;
    case 5:
      return ((top | random()) >> low_zeros << low_zeros) | (std::uint64_t{1} << low_zeros) | top;
    default:
      return top | random();
  }
}

soft_extended make_finite(bool negative, std::int32_t exponent, std::uint64_t significand) {
  return {soft_class::finite, negative, exponent, significand};
}

long double to_native(const soft_extended& x) {
  switch (x.kind) {
    case soft_class::zero:
      return x.negative ? -0.0L : 0.0L;
    case soft_class::infinite:
      return x.negative ? -std::numeric_limits<long double>::infinity()
                        : std::numeric_limits<long double>::infinity();
    case soft_class::nan:
      return std::numeric_limits<long double>::quiet_NaN();
    case soft_class::finite:
      break;
  }
  const long double magnitude =
      std::ldexp(static_cast<long double>(x.significand), x.exponent - 63);
  return x.negative ? -magnitude : magnitude;
}

// Returns whether the soft value is the same datum as the hardware's,
// compared through the x87 encoding: sign, exponent and all 64 bits.
bool same(const soft_extended& soft, long double native) {
  if (std::isnan(native)) return soft.kind == soft_class::nan;
  const long double converted = to_native(soft);
  unsigned char a[10];
  unsigned char b[10];
  std::memcpy(a, &converted, sizeof a);
  std::memcpy(b, &native, sizeof b);
  return std::memcmp(a, b, sizeof a) == 0;
}

const char* const operation_names[] = {"+", "-", "*", "/"};

// Returns a op b for the operation numbered op in operation_names, in
// either arithmetic.
template <typename number>
number operate(int op, number a, number b) {
  switch (op) {
    case 0:
      return a + b;
    case 1:
      return a - b;
    case 2:
      return a * b;
    default:
      return a / b;
  }
}

// Checks one pair under all four operations, and each result's rounding
// to binary64. Returns false after reporting the first disagreement.
bool check_pair(const soft_extended& a, const soft_extended& b) {
  const long double na = to_native(a);
  const long double nb = to_native(b);
  for (int op = 0; op < 4; ++op) {
    const soft_extended soft = operate(op, a, b);
    const long double native = operate(op, na, nb);
    if (!same(soft, native)) {
      ADD_FAILURE() << std::hexfloat << na << " " << operation_names[op] << " " << nb
                    << ": hardware " << native << ", software " << to_native(soft);
      return false;
    }
    const auto narrow = static_cast<double>(native);
    if (!std::isnan(narrow) && !same_binary64(soft_to_binary64(soft), narrow)) {
      ADD_FAILURE() << std::hexfloat << "binary64 of " << native << ": hardware " << narrow
                    << ", software " << soft_to_binary64(soft);
      return false;
    }
  }
  return true;
}

TEST(SoftExtended, MatchesTheHardwareOnTenMillionPairs) {
  generator random(0x5eed);
  constexpr int pairs = 10'000'000;
  int checked = 0;
  for (int i = 0; i < pairs; ++i) {
    const bool negative_a = (random() & 1) != 0;
    const bool negative_b = (random() & 1) != 0;
    // Exponents near zero, and now and then near the ends of binary64's
    // range so that rounding to binary64 meets subnormals and infinity.
    std::int32_t exponent_a = static_cast<std::int32_t>(random() % 64) - 32;
    switch (random() % 8) {
      case 0:
        exponent_a = -1022 - static_cast<std::int32_t>(random() % 70);
        break;
      case 1:
        exponent_a = 1020 + static_cast<std::int32_t>(random() % 6);
        break;
      default:
        break;
    }
    const auto gap = static_cast<std::int32_t>(random() % 140);
    std::int32_t exponent_b = exponent_a - gap;
    std::uint64_t significand_a = random_significand(random);
    std::uint64_t significand_b = random_significand(random);
    switch (random() % 6) {
      case 0:  // total or near-total cancellation
        exponent_b = exponent_a;
        significand_b = significand_a ^ (random() >> (1 + random() % 63));
        significand_b |= std::uint64_t{1} << 63;
        break;
      case 1:  // products and quotients near the ends of binary64's range
        exponent_b = static_cast<std::int32_t>(random() % 40) - 20;
        break;
      default:
        break;
    }
    const soft_extended a = make_finite(negative_a, exponent_a, significand_a);
    const soft_extended b = make_finite(negative_b, exponent_b, significand_b);
    if (!check_pair(a, b) || !check_pair(b, a)) break;
    checked += 2;
  }
  EXPECT_EQ(checked, 2 * pairs);
}

TEST(SoftExtended, MatchesTheHardwareOnSpecialOperands) {
  const double specials[] = {0.0,
                             -0.0,
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN(),
                             1.0,
                             -1.5,
                             std::numeric_limits<double>::denorm_min(),
                             std::numeric_limits<double>::max()};
  for (const double x : specials) {
    for (const double y : specials) {
      check_pair(soft_from_binary64(x), soft_from_binary64(y));
    }
  }
  // x - x is +0, and x + -x too.
  const soft_extended x = soft_from_binary64(1.62);
  const soft_extended difference = x - x;
  EXPECT_EQ(difference.kind, soft_class::zero);
  EXPECT_FALSE(difference.negative);
}

TEST(SoftExtended, ConversionsAreExact) {
  generator random(17);
  for (int i = 0; i < 1'000'000; ++i) {
    std::uint64_t bits = random();
    if (i % 4 == 0) bits &= 0x800fffffffffffffu;  // subnormal or zero
    double x = 0;
    std::memcpy(&x, &bits, sizeof x);
    if (std::isnan(x)) continue;
    ASSERT_TRUE(same(soft_from_binary64(x), static_cast<long double>(x))) << std::hexfloat << x;
    const auto n = static_cast<std::int32_t>(static_cast<std::uint32_t>(random()));
    ASSERT_TRUE(same(soft_from_int32(n), static_cast<long double>(n))) << n;
  }
  for (const std::int32_t n : {0, 1, -1, 5, std::numeric_limits<std::int32_t>::max(),
                               std::numeric_limits<std::int32_t>::min()}) {
    EXPECT_TRUE(same(soft_from_int32(n), static_cast<long double>(n))) << n;
  }
}

#else

TEST(SoftExtended, MatchesTheHardwareOnTenMillionPairs) {
  GTEST_SKIP() << "no x87 extended hardware to compare with; the vector test still runs";
}

#endif  // LM_X87_LONG_DOUBLE

// These hold on any platform: results that the format defines exactly.
struct exact_case {
  const char* what;
  double a;
  double b;
  char op;
  double expected;
};

TEST(SoftExtended, ExactResults) {
  const exact_case cases[] = {
      {"x - x is +0", 3.0, 3.0, '-', 0.0},
      {"-0 + -0 is -0", -0.0, -0.0, '+', -0.0},
      {"-0 - +0 is -0", -0.0, 0.0, '-', -0.0},
      {"0 * -1 is -0", 0.0, -1.0, '*', -0.0},
      {"halving is exact", -1.62, 2.0, '/', -0.81},
      {"3 / 5 rounds once", 3.0, 5.0, '/', 0x1.3333333333333p-1},
      {"subnormal product", 0x1p-1000, 0x1p-70, '*', 0x1p-1070},
      {"product overflows binary64", 0x1p1000, 0x1p30, '*',
       std::numeric_limits<double>::infinity()},
      {"1 / 0 is infinity", 1.0, 0.0, '/', std::numeric_limits<double>::infinity()},
  };
  for (const exact_case& c : cases) {
    const soft_extended a = soft_from_binary64(c.a);
    const soft_extended b = soft_from_binary64(c.b);
    soft_extended r{};
    switch (c.op) {
      case '+':
        r = a + b;
        break;
      case '-':
        r = a - b;
        break;
      case '*':
        r = a * b;
        break;
      default:
        r = a / b;
        break;
    }
    const double result = soft_to_binary64(r);
    EXPECT_EQ(result, c.expected) << c.what;
    EXPECT_EQ(std::signbit(result), std::signbit(c.expected)) << c.what;
  }
  // 1 - (1 - 2^-64): the difference lies wholly in the low half of the
  // 128 bits, and normalising it shifts by 64.
  const soft_extended below_one = soft_from_binary64(1 + 0x1p-32) * soft_from_binary64(1 - 0x1p-32);
  EXPECT_EQ(soft_to_binary64(soft_from_binary64(1.0) - below_one), 0x1p-64);
  EXPECT_TRUE(std::isnan(soft_to_binary64(soft_from_binary64(0.0) / soft_from_binary64(0.0))));
  const soft_extended infinity = soft_from_binary64(std::numeric_limits<double>::infinity());
  EXPECT_TRUE(std::isnan(soft_to_binary64(infinity - infinity)));
}

#ifdef LM_HAVE_INT128

TEST(WideUint, PortableArithmeticMatchesInt128) {
  generator random(99);
  for (int i = 0; i < 2'000'000; ++i) {
    const std::uint64_t a = random() >> (random() % 64);
    const std::uint64_t b = random() >> (random() % 64);
    ASSERT_EQ(wide_mul_portable(a, b), wide_mul_int128(a, b)) << a << " * " << b;
    const std::uint64_t d = b | 1;
    const wide_uint n = {a % d, random()};
    std::uint64_t r1 = 0;
    std::uint64_t r2 = 0;
    ASSERT_EQ(wide_div_portable(n, d, r1), wide_div_int128(n, d, r2));
    ASSERT_EQ(r1, r2);
  }
  // Divisors at the edges of normalisation and of the digit estimates.
  constexpr std::uint64_t top = std::uint64_t{1} << 63;
  for (const std::uint64_t d :
       {std::uint64_t{1}, std::uint64_t{3}, std::uint64_t{0xffffffff}, top >> 31, top, top + 1,
        top | 0xffffffff, ~std::uint64_t{0}, (top >> 1) + 0x80000000u}) {
    for (const wide_uint n : {wide_uint{d - 1, ~std::uint64_t{0}}, wide_uint{d >> 1, top},
                              wide_uint{d - 1, 0}, wide_uint{0, d - 1}}) {
      std::uint64_t r1 = 0;
      std::uint64_t r2 = 0;
      ASSERT_EQ(wide_div_portable(n, d, r1), wide_div_int128(n, d, r2)) << n.hi << " " << d;
      ASSERT_EQ(r1, r2);
    }
  }
}

#endif

// Where the x87 format is known to be, the decision must see it: missing
// it would cost the speed of the hardware and skip every comparison with it
// without a failure.
TEST(X87LongDouble, IsRecognisedOnX86WithGccAndClang) {
#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
  EXPECT_EQ(LM_X87_LONG_DOUBLE, 1);
#else
  GTEST_SKIP() << "not x86 with g++ or clang++";
#endif
}

TEST(WideUint, LeadingZerosCountUpToTheTopBit) {
  generator random(5);
  for (int top = 0; top < 64; ++top) {
    const std::uint64_t bit = std::uint64_t{1} << top;
    for (const std::uint64_t x : {bit, bit | (bit - 1), bit | (random() & (bit - 1))}) {
      ASSERT_EQ(leading_zeros64_portable(x), 63 - top) << std::hex << x;
      ASSERT_EQ(leading_zeros64(x), 63 - top) << std::hex << x;
    }
  }
}

TEST(WideUint, ShiftRightJamKeepsTheLostBits) {
  struct jam_case {
    wide_uint x;
    int shift;
    wide_uint expected;
  };
  const jam_case cases[] = {
      {{1, 0}, 0, {1, 0}},   {{1, 0}, 64, {0, 1}},  {{1, 1}, 64, {0, 1}},  {{2, 1}, 65, {0, 1}},
      {{3, 0}, 65, {0, 1}},  {{0, 4}, 2, {0, 1}},   {{0, 5}, 2, {0, 1}},   {{0, 6}, 1, {0, 3}},
      {{1, 0}, 127, {0, 1}}, {{0, 0}, 200, {0, 0}}, {{0, 1}, 200, {0, 1}}, {{0, 8}, 1, {0, 4}},
  };
  for (const jam_case& c : cases) {
    EXPECT_EQ(wide_shift_right_jam(c.x, c.shift), c.expected) << c.shift;
  }
}

}  // namespace
