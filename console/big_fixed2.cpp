#include "big_fixed2.h"

#include <cstdint>
#include <cstring>

#include "binary64.h"
#include "console_io.h"
#include "report_format.h"

namespace {

// Writes the decimal digits of significand * 2^exponent (exponent >= 0, a
// finite binary64's at most 1024 bits) so that they end just before `end`;
// returns where they begin.
//
// The integer is held exactly in 32-bit limbs, least significant first, and
// divided by 10^9 over and over; each remainder is nine more digits, the
// last without its leading zeros.
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
    auto digits = static_cast<std::uint32_t>(remainder);  // below 10^9
    const bool last = top == 0 || (top == 1 && limbs[0] == 0);
    if (last) {
      do {
        *--p = static_cast<char>('0' + digits % 10);
        digits /= 10;
      } while (digits != 0);
      return p;
    }
    for (int i = 0; i < 9; ++i) {
      *--p = static_cast<char>('0' + digits % 10);
      digits /= 10;
    }
  }
}

}  // namespace

char* put_big_fixed2(char* p, double value, int width) {
  const binary64_fields fields = binary64_fields_of(value);
  char text[formatted_number_capacity];
  char* const text_end = text + sizeof text;
  char* begin = text_end - 3;
  const bool nan = !binary64_is_finite(fields) && fields.fraction != 0;
  if (nan) {
    put_text(begin, "nan");
  } else if (!binary64_is_finite(fields)) {
    put_text(begin, "inf");
  } else {
    const binary64_magnitude magnitude = binary64_magnitude_of(fields);
    put_text(begin, ".00");
    begin = put_big_integer_before(begin, magnitude.significand, magnitude.exponent);
  }
  if (fields.negative && !nan) *--begin = '-';
  const auto length = static_cast<int>(text_end - begin);
  for (int i = length; i < width; ++i)
    *p++ = ' ';
  std::memcpy(p, begin, static_cast<std::size_t>(length));
  return p + length;
}
