#include "report_format.h"

#include <cstring>

#include "binary64.h"
#include "console_io.h"
#include "wide_uint.h"

namespace {

constexpr char digit_pairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

constexpr std::uint32_t powers_of_ten[] = {
    1u, 10u, 100u, 1000u, 10000u, 100000u, 1000000u, 10000000u, 100000000u, 1000000000u,
};

// Thirty-two blanks, the most padding a field of width 32 takes.
constexpr char blanks[] = "                                ";

// Returns how many decimal digits `value` has (1 for zero). The bit length
// times log10(2), as 1233 / 4096, is the digit count or one more. Setting
// the low bit makes zero count as one and moves no value across a power of
// ten, all of which from 10 up are even.
int decimal_digits(std::uint32_t value) {
  value |= 1;
  const int bits = 64 - leading_zeros64(value);
  const int estimate = (bits * 1233) >> 12;
  return estimate + (value >= powers_of_ten[estimate] ? 1 : 0);
}

// Writes the decimal digits of value so that they end just before `end`,
// two per step. Dividing a 32-bit value by 100 is a multiplication on
// every target, where a 64-bit division is a library call on some.
void put_digits_before(char* end, std::uint32_t value) {
  while (value >= 100) {
    end -= 2;
    const std::uint32_t rest = value / 100;
    std::memcpy(end, digit_pairs + std::size_t{2} * (value - 100 * rest), 2);
    value = rest;
  }
  if (value >= 10) {
    std::memcpy(end - 2, digit_pairs + std::size_t{2} * value, 2);
  } else {
    end[-1] = static_cast<char>('0' + value);
  }
}

// Writes `value`, below 10^8, as exactly eight digits at p.
void put_eight_digits(char* p, std::uint32_t value) {
  const std::uint32_t high = value / 10000;
  const std::uint32_t low = value - 10000 * high;
  const std::uint32_t parts[] = {high / 100, high % 100, low / 100, low % 100};
  for (int i = 0; i < 4; ++i)
    std::memcpy(p + 2 * i, digit_pairs + std::size_t{2} * parts[i], 2);
}

// Writes the blanks that right-align `length` characters in `width` (at
// most 32) and returns where the characters go. It stores whole blocks of
// blanks, up to 32 bytes from p; what the field's characters do not cover
// is scratch, past the field's end.
char* put_padding(char* p, int length, int width) {
  if (length >= width) return p;
  std::memcpy(p, blanks, 16);
  if (width > 16) std::memcpy(p + 16, blanks, 16);
  return p + (width - length);
}

// Writes a number's sign and whole part, `whole` below 2^58, right-aligned
// in `width` with `tail` more characters still to follow (the decimals);
// returns the end of the digits.
//
// A whole part beyond 32 bits is split at 10^8 by a multiplication instead
// of a division: 2^84 / 10^8 rounded up, times the value, over 2^84. That
// exceeds the true quotient by less than value * 4701184 / 2^84 / 10^8,
// which stays below the gap to the next whole quotient for every value
// below 2^61.
char* put_sign_and_whole(char* p, bool negative, std::uint64_t whole, int tail, int width) {
  if (whole <= 0xffffffffu) {
    const auto small = static_cast<std::uint32_t>(whole);
    const int digits = decimal_digits(small);
    p = put_padding(p, digits + tail + (negative ? 1 : 0), width);
    *p = '-';
    p += negative ? 1 : 0;
    put_digits_before(p + digits, small);
    return p + digits;
  }
  constexpr std::uint64_t hundred_million = 100000000u;
  constexpr std::uint64_t reciprocal = 193428131138340668u;  // ceil(2^84 / 10^8)
  const auto high = static_cast<std::uint32_t>(wide_mul(whole, reciprocal).hi >> 20);
  const auto low = static_cast<std::uint32_t>(whole - high * hundred_million);
  const int high_digits = decimal_digits(high);
  p = put_padding(p, high_digits + 8 + tail + (negative ? 1 : 0), width);
  *p = '-';
  p += negative ? 1 : 0;
  put_digits_before(p + high_digits, high);
  put_eight_digits(p + high_digits, low);
  return p + high_digits + 8;
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

// Writes the decimal digits of significand * 2^exponent (exponent >= 0, a
// finite binary64's at most 1024 bits) so that they end just before `end`;
// returns where they begin.
//
// The integer is held exactly in 32-bit limbs, least significant first, and
// divided by 10^9 over and over; each remainder is nine more digits.
char* put_big_integer_before(char* end, std::uint64_t significand, int exponent) {
  constexpr int limb_count = 1024 / 32 + 2;
  std::uint32_t limbs[limb_count] = {};
  const int limb_shift = exponent / 32;
  const int bit_shift = exponent % 32;
  const std::uint64_t low = significand << bit_shift;  // significand < 2^53
  const std::uint64_t high = bit_shift == 0 ? 0 : significand >> (64 - bit_shift);
  limbs[limb_shift] = static_cast<std::uint32_t>(low);
  limbs[limb_shift + 1] = static_cast<std::uint32_t>(low >> 32);
  limbs[limb_shift + 2] = static_cast<std::uint32_t>(high);
  int top = limb_shift + 3;  // limbs[top..] are zero

  constexpr std::uint32_t billion = 1000000000u;
  char* p = end;
  for (;;) {
    while (top > 0 && limbs[top - 1] == 0)
      --top;
    std::uint64_t remainder = 0;
    for (int i = top - 1; i >= 0; --i) {
      const std::uint64_t part = (remainder << 32) | limbs[i];
      limbs[i] = static_cast<std::uint32_t>(part / billion);
      remainder = part % billion;
    }
    const bool last = top == 0 || (top == 1 && limbs[0] == 0);
    if (last) {
      const auto digits = static_cast<std::uint32_t>(remainder);  // below 10^9
      put_digits_before(p, digits);
      return p - decimal_digits(digits);
    }
    for (int i = 0; i < 9; ++i) {
      *--p = static_cast<char>('0' + remainder % 10);
      remainder /= 10;
    }
  }
}

// Magnitudes of 2^55 and more, which are whole numbers, and the special
// values: rare enough that their cost does not matter.
char* put_fixed2_slowly(char* p, double x, int width) {
  const binary64_fields value = binary64_fields_of(x);
  char text[formatted_number_capacity];
  char* const text_end = text + sizeof text;
  char* begin = text_end;
  const bool nan = !binary64_is_finite(value) && value.fraction != 0;
  if (nan) {
    begin -= 3;
    put_text(begin, "nan");
  } else if (!binary64_is_finite(value)) {
    begin -= 3;
    put_text(begin, "inf");
  } else {
    const binary64_magnitude magnitude = binary64_magnitude_of(value);
    begin -= 3;
    put_text(begin, ".00");
    begin = put_big_integer_before(begin, magnitude.significand, magnitude.exponent);
  }
  if (value.negative && !nan) *--begin = '-';
  const auto length = static_cast<std::size_t>(text_end - begin);
  p = put_padding(p, static_cast<int>(length), width);
  std::memcpy(p, begin, length);
  return p + length;
}

}  // namespace

char* put_integer(char* p, std::int32_t value, int width) {
  const bool negative = value < 0;
  const std::uint32_t bits = static_cast<std::uint32_t>(value);
  return put_sign_and_whole(p, negative, negative ? 0 - bits : bits, 0, width);
}

char* put_fixed2(char* p, double value, int width) {
  const binary64_fields fields = binary64_fields_of(value);
  whole_and_hundredths parts{};
  if (!binary64_is_finite(fields) || !split_at_point(binary64_magnitude_of(fields), parts)) {
    return put_fixed2_slowly(p, value, width);
  }
  p = put_sign_and_whole(p, fields.negative, parts.whole, 3, width);
  *p = '.';
  std::memcpy(p + 1, digit_pairs + std::size_t{2} * parts.hundredths, 2);
  return p + 3;
}
