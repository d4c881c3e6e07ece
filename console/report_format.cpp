#include "report_format.h"

#include <cstring>

#include "big_fixed2.h"
#include "binary64.h"
#include "wide_uint.h"

using namespace digit_writers;

namespace {
// Writes the point and the two decimals at p.
void put_decimals(char* p, std::uint32_t hundredths) {
  *p = '.';
  put_two_digits(p + 1, hundredths);
}

// A zero or finite value's magnitude below 2^55 split at its point: the
// whole part, and the hundredths of the rest rounded to nearest, ties to
// even (a carry into the whole part already made).
struct whole_and_hundredths {
  std::uint64_t whole;
  std::uint32_t hundredths;
};

// Splits the magnitude, or returns false when it is 2^55 or more.
//
// The magnitude is m * 2^e with an integer significand m < 2^53. The bits
// below the point, as a fraction of 2^64, times 100 give the hundredths in
// the high half of the product and the rest in the low half, exactly, so
// the low half decides the rounding. The parity a tie goes by is the last
// decimal's, which is the hundredths' own. Below 2^-12 (e < -64) the
// value is under a quarter of a hundredth, which rounds to zero.
bool split_at_point(const binary64_magnitude& magnitude, whole_and_hundredths& result) {
  const std::uint64_t m = magnitude.significand;
  const int exponent = magnitude.exponent;
  if (exponent >= 0) {
    if (exponent > 2) return false;
    result = {m << exponent, 0};
    return true;
  }
  const int shift = -exponent;
  std::uint64_t whole = 0;
  std::uint64_t fraction = 0;
  if (shift < 64) {
    whole = m >> shift;
    fraction = m << (64 - shift);
  } else if (shift == 64) {
    fraction = m;
  }
  const wide_uint scaled = wide_mul(fraction, 100);
  auto hundredths = static_cast<std::uint32_t>(scaled.hi);
  if (rounds_up_to_nearest_even(hundredths, scaled.lo)) ++hundredths;
  if (hundredths == 100) {
    hundredths = 0;
    ++whole;
  }
  result = {whole, hundredths};
  return true;
}

}  // namespace

// A whole part beyond 32 bits is split at 10^8 by a multiplication instead
// of a division: 2^84 / 10^8 rounded up, times the value, over 2^84. That
// exceeds the true quotient by less than value * 4701184 / 2^84 / 10^8,
// which stays below the gap to the next whole quotient for every value
// below 2^61; the whole part is below 2^55 here.
char* put_fixed2(char* p, double value, int width) {
  const binary64_fields fields = binary64_fields_of(value);
  whole_and_hundredths parts{};
  if (!binary64_is_finite(fields) || !split_at_point(binary64_magnitude_of(fields), parts)) {
    return put_big_fixed2(p, value, width);
  }
  if (parts.whole <= 0xffffffffu) {
    const auto whole = static_cast<std::uint32_t>(parts.whole);
    const int digits = decimal_digits(whole);
    p = put_field_start(p, fields.negative, digits + 3, width) + digits;
    put_decimals(p, parts.hundredths);
    return put_digits_before(p, whole, digits, 3);
  }
  constexpr std::uint64_t hundred_million = 100000000u;
  constexpr std::uint64_t reciprocal = 193428131138340668u;  // ceil(2^84 / 10^8)
  const auto high = static_cast<std::uint32_t>(wide_mul(parts.whole, reciprocal).hi >> 20);
  const auto low = static_cast<std::uint32_t>(parts.whole - high * hundred_million);
  const int high_digits = decimal_digits(high);
  p = put_field_start(p, fields.negative, high_digits + 11, width) + high_digits;
  put_eight_digits(p, low);
  put_decimals(p + 8, parts.hundredths);
  return put_digits_before(p, high, high_digits, 11);
}

bool fixed2_hundredths(double value, std::int64_t& result) {
  const binary64_fields fields = binary64_fields_of(value);
  whole_and_hundredths parts{};
  if (!binary64_is_finite(fields) || !split_at_point(binary64_magnitude_of(fields), parts)) {
    return false;
  }
  const auto magnitude = static_cast<std::int64_t>(parts.whole * 100 + parts.hundredths);
  result = fields.negative ? -magnitude : magnitude;
  return true;
}

// The magnitude is m * 2^e with an integer significand m < 2^53; below the
// point its bits, as a fraction of 2^64, decide the rounding. From 2^-64
// down (e < -63) it is under a half and rounds to zero. The rounded whole
// number is exact as a double: below 2^53 it is at most 2^53, and from
// there up there is nothing below the point.
char* put_whole(char* p, double value) {
  const binary64_fields fields = binary64_fields_of(value);
  if (!binary64_is_finite(fields)) return put_big_fixed2(p, value, 0);
  const binary64_magnitude magnitude = binary64_magnitude_of(fields);
  if (magnitude.exponent < 0) {
    const int shift = -magnitude.exponent;
    const std::uint64_t m = magnitude.significand;
    const std::uint64_t whole = shift < 64 ? m >> shift : 0;
    const std::uint64_t fraction = shift < 64 ? m << (64 - shift) : 0;
    const auto rounded =
        static_cast<double>(whole + (rounds_up_to_nearest_even(whole, fraction) ? 1 : 0));
    value = fields.negative ? -rounded : rounded;
  }
  return put_fixed2(p, value, 0) - 3;  // a whole number's ".00"
}
