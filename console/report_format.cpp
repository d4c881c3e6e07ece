#include "report_format.h"

#include <cstring>

#include "big_fixed2.h"
#include "binary64.h"
#include "wide_uint.h"

namespace {

constexpr char digit_pairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// For each bit length of a 32-bit value, the digit count of its smallest
// value in the upper half, plus 2^32 - 10^d when the next power of ten,
// 10^d, falls among the values of that length: adding the entry to the
// value carries into the upper half exactly when the value reaches it.
// There is at most one power of ten among the values of one bit length.
struct digit_count_entries {
  std::uint64_t by_length[33];
};
constexpr digit_count_entries make_digit_count_entries() {
  digit_count_entries table{};
  std::uint64_t power = 10;  // the least power of ten above the lowest value of the length
  std::uint64_t count = 1;   // the digit count of that lowest value
  for (int length = 1; length <= 32; ++length) {
    const std::uint64_t lowest = std::uint64_t{1} << (length - 1);
    if (lowest >= power) {
      power *= 10;
      ++count;
    }
    const bool reached = power < (lowest << 1);
    table.by_length[length] = (count << 32) + (reached ? (std::uint64_t{1} << 32) - power : 0);
  }
  return table;
}
constexpr digit_count_entries digit_counts = make_digit_count_entries();

// Thirty-two blanks, the most padding a field of width 32 takes.
constexpr char blanks[] = "                                ";

// Returns how many decimal digits `value` has (1 for zero), from its bit
// length and one addition. Setting the low bit makes zero count as one and
// moves no value across a power of ten, all of which from 10 up are even.
int decimal_digits(std::uint32_t value) {
  value |= 1;
  const int length = 64 - leading_zeros64(value);
  return static_cast<int>((value + digit_counts.by_length[length]) >> 32);
}

// Writes `value`, below 100, as two digits at p.
void put_two_digits(char* p, std::uint32_t value) {
  std::memcpy(p, digit_pairs + std::size_t{2} * value, 2);
}

// Writes `value`, below 10^4, as exactly four digits at p.
void put_four_digits(char* p, std::uint32_t value) {
  const std::uint32_t high = value / 100;
  put_two_digits(p, high);
  put_two_digits(p + 2, value - 100 * high);
}

// Writes `value`, below 10^8, as exactly eight digits at p.
void put_eight_digits(char* p, std::uint32_t value) {
  const std::uint32_t high = value / 10000;
  put_four_digits(p, high);
  put_four_digits(p + 4, value - 10000 * high);
}

// Writes `value`, of exactly `count` digits (1 to 10), at p: the low
// eight, four or two digits in one straight run after the high ones split
// off. Dividing a 32-bit value by a constant is a multiplication on every
// target, where a 64-bit division is a library call on some.
template <int count>
void put_exact_digits(char* p, std::uint32_t value) {
  if constexpr (count == 1) {
    *p = static_cast<char>('0' + value);
  } else if constexpr (count == 2) {
    put_two_digits(p, value);
  } else {
    constexpr int low = count > 8 ? 8 : count > 4 ? 4 : 2;
    constexpr std::uint32_t divisor = low == 8 ? 100000000 : low == 4 ? 10000 : 100;
    const std::uint32_t high = value / divisor;
    put_exact_digits<count - low>(p, high);
    put_exact_digits<low>(p + (count - low), value - divisor * high);
  }
}

// Writes the `count` decimal digits of value (1 to 10, as decimal_digits
// says) so that they end just before `end`; the count picks the straight
// run of code for that length, with no comparisons of the value.
//
// Returns end + tail: the writers below place everything after the digits
// first and make this their last call, which then needs no frame of theirs.
char* put_digits_before(char* end, std::uint32_t value, int count, int tail) {
  switch (count) {
    case 1:
      put_exact_digits<1>(end - 1, value);
      break;
    case 2:
      put_exact_digits<2>(end - 2, value);
      break;
    case 3:
      put_exact_digits<3>(end - 3, value);
      break;
    case 4:
      put_exact_digits<4>(end - 4, value);
      break;
    case 5:
      put_exact_digits<5>(end - 5, value);
      break;
    case 6:
      put_exact_digits<6>(end - 6, value);
      break;
    case 7:
      put_exact_digits<7>(end - 7, value);
      break;
    case 8:
      put_exact_digits<8>(end - 8, value);
      break;
    case 9:
      put_exact_digits<9>(end - 9, value);
      break;
    default:
      put_exact_digits<10>(end - 10, value);
      break;
  }
  return end + tail;
}

// Writes the blanks and the sign that begin a field of `width` (at most 32)
// whose digits and what follows them take `length` characters; returns
// where the digits go. The blanks are stored in whole blocks, up to 32
// bytes from p; what the field's characters do not cover is scratch, past
// the field's end.
char* put_field_start(char* p, bool negative, int length, int width) {
  length += negative ? 1 : 0;
  if (length < width) {
    std::memcpy(p, blanks, 16);
    if (width > 16) std::memcpy(p + 16, blanks, 16);
    p += width - length;
  }
  *p = '-';  // covered by the first digit unless negative
  return p + (negative ? 1 : 0);
}

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

char* put_integer(char* p, std::int32_t value, int width) {
  const bool negative = value < 0;
  const auto bits = static_cast<std::uint32_t>(value);
  const std::uint32_t magnitude = negative ? 0 - bits : bits;
  const int digits = decimal_digits(magnitude);
  p = put_field_start(p, negative, digits, width) + digits;
  return put_digits_before(p, magnitude, digits, 0);
}

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
