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

constexpr std::uint64_t powers_of_ten[] = {
    1u,
    10u,
    100u,
    1000u,
    10000u,
    100000u,
    1000000u,
    10000000u,
    100000000u,
    1000000000u,
    10000000000u,
    100000000000u,
    1000000000000u,
    10000000000000u,
    100000000000000u,
    1000000000000000u,
    10000000000000000u,
    100000000000000000u,
    1000000000000000000u,
    10000000000000000000u,
};

// Returns how many decimal digits `value` has (1 for zero). The bit length
// times log10(2), as 1233 / 4096, is the digit count or one more. Setting
// the low bit makes zero count as one and moves no value across a power of
// ten, all of which from 10 up are even.
int decimal_digits(std::uint64_t value) {
  value |= 1;
  const int bits = 64 - leading_zeros64(value);
  const int estimate = (bits * 1233) >> 12;
  return estimate + 1 - (value < powers_of_ten[estimate] ? 1 : 0);
}

// Writes the decimal digits of value so that they end just before `end`.
// Two digits per step, in 32-bit arithmetic once the value fits, where
// dividing by 100 is cheapest.
void put_digits_before(char* end, std::uint64_t value) {
  while (value > 0xffffffffu) {
    end -= 2;
    std::memcpy(end, digit_pairs + 2 * (value % 100), 2);
    value /= 100;
  }
  auto small = static_cast<std::uint32_t>(value);
  while (small >= 100) {
    end -= 2;
    std::memcpy(end, digit_pairs + std::size_t{2} * (small % 100), 2);
    small /= 100;
  }
  if (small >= 10) {
    end -= 2;
    std::memcpy(end, digit_pairs + std::size_t{2} * small, 2);
  } else {
    *--end = static_cast<char>('0' + small);
  }
}

// Writes the blanks that right-align `length` characters in `width`.
char* put_padding(char* p, int length, int width) {
  while (length < width) {
    *p++ = ' ';
    ++length;
  }
  return p;
}

// Returns the magnitude of a zero or finite value in hundredths, rounded to
// nearest even, or false when that would not fit in 63 bits.
//
// The magnitude is m * 2^e with an integer significand m < 2^53; m * 100
// needs at most 60 bits, so the scaled value is that integer shifted by e,
// and the bits shifted out decide the rounding exactly.
bool hundredths(const binary64_magnitude& magnitude, std::uint64_t& result) {
  const std::uint64_t scaled = magnitude.significand * 100;
  const int exponent = magnitude.exponent;
  if (exponent >= 0) {
    if (exponent > 2) return false;  // 2^60 * 2^3 would pass 63 bits
    result = scaled << exponent;
    return true;
  }
  const int shift = -exponent;
  if (shift > 61) {  // scaled < 2^60 <= 2^(shift - 2): below a half
    result = 0;
    return true;
  }
  const std::uint64_t whole = scaled >> shift;
  result = whole + (rounds_up_to_nearest_even(whole, scaled << (64 - shift)) ? 1 : 0);
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
      put_digits_before(p, remainder);
      return p - decimal_digits(remainder);
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
  const std::int64_t wide = value;  // where -INT32_MIN fits
  const auto magnitude = static_cast<std::uint64_t>(negative ? -wide : wide);
  const int digits = decimal_digits(magnitude);
  p = put_padding(p, digits + (negative ? 1 : 0), width);
  if (negative) *p++ = '-';
  put_digits_before(p + digits, magnitude);
  return p + digits;
}

char* put_fixed2(char* p, double value, int width) {
  const binary64_fields fields = binary64_fields_of(value);
  std::uint64_t scaled = 0;
  if (!binary64_is_finite(fields) || !hundredths(binary64_magnitude_of(fields), scaled)) {
    return put_fixed2_slowly(p, value, width);
  }
  const bool negative = fields.negative;
  const std::uint64_t whole = scaled / 100;
  const int digits = decimal_digits(whole);
  p = put_padding(p, digits + 3 + (negative ? 1 : 0), width);
  if (negative) *p++ = '-';
  put_digits_before(p + digits, whole);
  p += digits;
  *p++ = '.';
  std::memcpy(p, digit_pairs + 2 * (scaled % 100), 2);
  return p + 2;
}

bool fixed2_hundredths(double value, std::int64_t& result) {
  const binary64_fields fields = binary64_fields_of(value);
  std::uint64_t scaled = 0;
  if (!binary64_is_finite(fields) || !hundredths(binary64_magnitude_of(fields), scaled)) {
    return false;
  }
  const auto magnitude = static_cast<std::int64_t>(scaled);
  result = fields.negative ? -magnitude : magnitude;
  return true;
}
