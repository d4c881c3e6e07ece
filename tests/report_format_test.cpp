// The report formats against the C library's printf, which rounds the exact
// binary value correctly, over fixed cases and many generated ones.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "report_format.h"

namespace {

// The room starts full of a byte no writer puts there, so that a byte
// left unwritten shows.
std::string fixed2(double value, int width) {
  char chars[formatted_number_capacity];
  std::memset(chars, '#', sizeof chars);
  return {chars, put_fixed2(chars, value, width)};
}

std::string integer(std::int32_t value, int width) {
  char chars[formatted_number_capacity];
  std::memset(chars, '#', sizeof chars);
  return {chars, put_integer(chars, value, width)};
}

std::string printf_fixed2(double value, int width) {
  char chars[400];
  const int n = std::snprintf(chars, sizeof chars, "%*.2f", width, value);
  return {chars, static_cast<std::size_t>(n)};
}

// "%.0f" rounds the exact value once, never by way of the hundredths.
std::string whole_and_printf(double value) {
  char chars[formatted_number_capacity];
  char expected[400];
  const auto n = static_cast<std::size_t>(std::snprintf(expected, sizeof expected, "%.0f", value));
  const std::string written(chars, put_whole(chars, value));
  return written == std::string(expected, n) ? "" : written + " for " + expected;
}

struct fixed_case {
  double value;
  int width;
  const char* expected;
};

TEST(FormatFixed2, Cases) {
  const fixed_case cases[] = {
      {0.0, 7, "   0.00"},
      {-0.0, 7, "  -0.00"},
      {-0.001, 7, "  -0.00"},
      {-0.004999, 7, "  -0.00"},
      {-0.005000001, 7, "  -0.01"},
      {0.125, 7, "   0.12"},  // an exact tie goes to even
      {0.375, 7, "   0.38"},
      {-2.625, 7, "  -2.62"},
      {2.675, 7, "   2.67"},  // just below the tie in binary
      {0.005, 7, "   0.01"},  // just above it
      {1300.0, 7, "1300.00"},
      {9999.995, 7, "10000.00"},  // just above the tie, and wider
      {-999.999, 7, "-1000.00"},
      {12345.678, 7, "12345.68"},
      {-3.888, 7, "  -3.89"},
      {1.68, 7, "   1.68"},
      {5e-324, 7, "   0.00"},
      {-5e-324, 7, "  -0.00"},
      {0.3, 0, "0.30"},
      {0x1.fffffffffffffp+55, 7, "72057594037927928.00"},
      {4294967295.5, 7, "4294967295.50"},  // the largest whole part of 32 bits
      {1e20, 7, "100000000000000000000.00"},
      {std::numeric_limits<double>::infinity(), 7, "    inf"},
      {-std::numeric_limits<double>::infinity(), 7, "   -inf"},
      {std::numeric_limits<double>::quiet_NaN(), 7, "    nan"},
  };
  for (const fixed_case& c : cases) {
    EXPECT_EQ(fixed2(c.value, c.width), c.expected) << std::hexfloat << c.value;
  }
  EXPECT_EQ(fixed2(std::numeric_limits<double>::max(), 7),
            printf_fixed2(std::numeric_limits<double>::max(), 7));
  for (const double value : {2.5, -0.3, 101.49999999999999, 0x1.fffffffffffffp+51, 1e20,
                             -std::numeric_limits<double>::infinity()})
    EXPECT_EQ(whole_and_printf(value), "");
}

// The hundredths the planner compares are the digits written, sign and all.
TEST(FormatFixed2, HundredthsAreTheDigitsWritten) {
  for (const double value : {-0.004999, -0.005000001, 0.125, 2.675, -16.195, -999.999, 3.6e16}) {
    std::int64_t hundredths = 1;
    ASSERT_TRUE(fixed2_hundredths(value, hundredths)) << value;
    std::string digits = fixed2(value, 0);
    digits.erase(digits.find('.'), 1);
    EXPECT_EQ(hundredths, std::stoll(digits)) << value;
  }
  std::int64_t unused = 0;
  for (const double value :
       {4.7e16, std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()})
    EXPECT_FALSE(fixed2_hundredths(value, unused)) << value;
}

TEST(FormatFixed2, AgreesWithPrintfOnGeneratedValues) {
  std::mt19937_64 random(20261208);
  // Any finite bit pattern.
  for (int i = 0; i < 200000; ++i) {
    std::uint64_t bits = random();
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value)) continue;
    ASSERT_EQ(fixed2(value, 7), printf_fixed2(value, 7)) << std::hexfloat << value;
    ASSERT_EQ(whole_and_printf(value), "");
  }
  // Every power of two, and the widest significand at each exponent: the
  // limb boundaries of the whole-number path.
  for (int exponent = -1074; exponent <= 1023; ++exponent) {
    for (const double value : {std::ldexp(1.0, exponent), std::ldexp(0x1.fffffffffffffp0, exponent),
                               -std::ldexp(0x1.0000000000001p0, exponent)}) {
      if (!std::isfinite(value)) continue;
      ASSERT_EQ(fixed2(value, 7), printf_fixed2(value, 7)) << std::hexfloat << value;
    }
  }
  // Magnitudes a flight shows, where every digit counts.
  std::uniform_real_distribution<double> flight_range(-20000.0, 20000.0);
  for (int i = 0; i < 500000; ++i) {
    const double value = flight_range(random);
    ASSERT_EQ(fixed2(value, 7), printf_fixed2(value, 7)) << std::hexfloat << value;
  }
  // Exact ties and their neighbours: multiples of 1/8 have a third binary
  // decimal of 5 at every odd eighth.
  std::uniform_int_distribution<std::int64_t> eighths(-(std::int64_t{1} << 56),
                                                      std::int64_t{1} << 56);
  for (int i = 0; i < 200000; ++i) {
    const double tie = std::ldexp(static_cast<double>(eighths(random)), -3 - (i % 8));
    for (const double value : {tie, std::nextafter(tie, 0.0), std::nextafter(tie, 1e300)}) {
      ASSERT_EQ(fixed2(value, 7), printf_fixed2(value, 7)) << std::hexfloat << value;
      ASSERT_EQ(whole_and_printf(value), "");
    }
  }
}

// Families of values where a writer changes course: each power of ten
// (the digit count, the 32-bit and 64-bit paths, the split at 10^8), the
// powers of two where the bit length changes, and the carries of the
// rounding. Each family is walked `span` steps of `step` either side of
// its centres, both signs, at widths on both sides of the length.
struct fixed_family {
  const char* what;
  double first_centre;
  double centre_factor;  // the next centre is the last times this
  double step;           // a step of zero steps by one unit in the last place
  int centres;
  int span;
};

TEST(FormatFixed2, AgreesWithPrintfAroundEveryBoundary) {
  const fixed_family families[] = {
      {"powers of ten, by hundredths", 1.0, 10.0, 0.01, 16, 2000},
      {"powers of ten, by the last place", 1.0, 10.0, 0.0, 23, 2000},
      {"powers of two, by the last place", 1.0, 2.0, 0.0, 64, 500},
      {"the two decimals' carries", 0.995, 10.0, 0.0, 16, 500},
      {"2^32 hundredths and whole units", 42949672.96, 100.0, 0.0, 2, 3000},
  };
  const int widths[] = {0, 4, 7, 16, 17, 32};
  for (const fixed_family& f : families) {
    for (int c = 0; c < f.centres; ++c) {
      const double centre = f.first_centre * std::pow(f.centre_factor, c);
      for (const double sign : {1.0, -1.0}) {
        double up = sign * centre;
        double down = up;
        for (int i = 0; i < f.span; ++i) {
          for (const double value : {up, down}) {
            const int width = widths[static_cast<unsigned>(i) % 6];
            ASSERT_EQ(fixed2(value, width), printf_fixed2(value, width))
                << f.what << ": " << std::hexfloat << value << " width " << width;
          }
          up = f.step != 0 ? sign * centre + f.step * (i + 1) : std::nextafter(up, 2 * up);
          down = f.step != 0 ? sign * centre - f.step * (i + 1) : std::nextafter(down, 0.0);
        }
      }
    }
  }
}

TEST(FormatFixed2, AgreesWithPrintfOnEveryWholeLengthAndTie) {
  std::mt19937_64 random(28);
  for (int digits = 1; digits <= 17; ++digits) {
    const double low = std::pow(10.0, digits - 1);
    std::uniform_real_distribution<double> whole(digits == 1 ? 0.0 : low, 10 * low);
    for (int i = 0; i < 20000; ++i) {
      const double magnitude = whole(random);
      // Ties at the third decimal are the multiples of 1/8 with an odd
      // numerator; below 2^50 they are exact.
      const double tie = std::floor(magnitude) + (2 * (i % 4) + 1) / 8.0;
      for (const double value : {magnitude, -magnitude, tie, -tie}) {
        const int width = i % 12;
        ASSERT_EQ(fixed2(value, width), printf_fixed2(value, width))
            << digits << " digits: " << std::hexfloat << value;
      }
    }
  }
}

struct integer_case {
  std::int32_t value;
  int width;
  const char* expected;
};

TEST(FormatInteger, Cases) {
  const integer_case cases[] = {
      {0, 4, "   0"},
      {3, 4, "   3"},
      {500, 4, " 500"},
      {9999, 4, "9999"},
      {12345, 4, "12345"},
      {-5, 4, "  -5"},
      {7, 3, "  7"},
      {1000, 3, "1000"},
      {2147483647, 4, "2147483647"},
      {-2147483647 - 1, 4, "-2147483648"},
  };
  for (const integer_case& c : cases)
    EXPECT_EQ(integer(c.value, c.width), c.expected);
}

TEST(FormatInteger, AgreesWithPrintfOnGeneratedValues) {
  std::mt19937 random(7);
  for (int i = 0; i < 200000; ++i) {
    const auto value = static_cast<std::int32_t>(random() >> (i % 32));
    const int width = i % 6;
    char expected[32];
    const int n = std::snprintf(expected, sizeof expected, "%*d", width, value);
    ASSERT_EQ(integer(value, width), std::string(expected, static_cast<std::size_t>(n)));
  }
}

}  // namespace

namespace {

std::string printf_integer(std::int64_t value, int width) {
  char chars[64];
  const int n = std::snprintf(chars, sizeof chars, "%*lld", width, static_cast<long long>(value));
  return {chars, static_cast<std::size_t>(n)};
}

TEST(FormatInteger, AgreesWithPrintfAroundEveryPowerOfTenAndTwo) {
  std::vector<std::int64_t> centres = {0, INT32_MAX, std::int64_t{INT32_MIN}};
  for (std::int64_t power = 1; power <= INT32_MAX; power *= 10)
    centres.push_back(power);
  for (int bits = 1; bits <= 31; ++bits)
    centres.push_back(std::int64_t{1} << bits);
  for (const std::int64_t centre : centres) {
    for (std::int64_t i = -3000; i <= 3000; ++i) {
      for (const std::int64_t value : {centre + i, -(centre + i)}) {
        if (value < INT32_MIN || value > INT32_MAX) continue;
        const int width = static_cast<int>((i + 3000) % 33);
        ASSERT_EQ(integer(static_cast<std::int32_t>(value), width), printf_integer(value, width));
      }
    }
  }
  // Random values of every digit count.
  std::mt19937 random(2828);
  for (int digits = 1; digits <= 10; ++digits) {
    const std::int64_t low = digits == 1 ? 0 : static_cast<std::int64_t>(std::pow(10, digits - 1));
    const std::int64_t high = std::min<std::int64_t>(10 * low + (digits == 1 ? 10 : 0), INT32_MAX);
    std::uniform_int_distribution<std::int64_t> draw(low, high - 1);
    for (int i = 0; i < 20000; ++i) {
      const std::int64_t value = (i % 2 == 0 ? 1 : -1) * draw(random);
      ASSERT_EQ(integer(static_cast<std::int32_t>(value), i % 13), printf_integer(value, i % 13));
    }
  }
}

}  // namespace
