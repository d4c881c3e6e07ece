// report_format: the two number formats of the reports, printf's "%Nd" and
// "%N.2f", composed in place without printf.
//
// Fixed-point output is the correct rounding of the exact binary64 value to
// two decimals, ties to even, the way a correctly rounding printf does it; a
// negative value keeps its minus sign even when it rounds to zero. A value
// wider than its field widens the field and is never cut.
//
// Why the program formats its own numbers: the reports are most of the
// work of a long flight, and composed straight into the output buffer, with
// digit pairs and a digit count from the bit length, in 32-bit steps that
// need no division on any target, they cost a fraction of a trip through
// the C library's formatting. The digits must come out
// the same on every platform, which a C library's printf does not promise,
// and C++'s floating-point to_chars is missing from some standard libraries
// (libc++) and makes the program many times larger where present. The rare
// magnitudes of 2^55 and more are printed exactly from their bits.

#ifndef LM_CONSOLE_REPORT_FORMAT_H_
#define LM_CONSOLE_REPORT_FORMAT_H_

#include <cstddef>
#include <cstdint>

#include "digit_writers.h"

// The room either formatter needs at p with a width of up to 32: a finite
// binary64 has at most 309 integer digits, then sign, point and two
// decimals; an int32 needs 11. The padding is stored in whole blocks, so
// bytes past the returned end, within this room, may change too.
constexpr std::size_t formatted_number_capacity = 320;

// Writes `value` at p as "%*d" with the given width (at most 32); returns
// the end of what it wrote.
inline char* put_integer(char* p, std::int32_t value, int width) {
  using namespace digit_writers;

  const bool negative = value < 0;
  const auto bits = static_cast<std::uint32_t>(value);
  const std::uint32_t magnitude = negative ? 0 - bits : bits;
  const int digits = decimal_digits(magnitude);
  p = put_field_start(p, negative, digits, width) + digits;
  return put_digits_before(p, magnitude, digits, 0);
}

// Writes `value` at p as "%*.2f" with the given width (at most 32); returns
// the end of what it wrote. Infinities and NaN come out as "inf", "-inf" and
// "nan".
char* put_fixed2(char* p, double value, int width);

// Writes `value` at p as "%.0f", rounded to a whole number as put_fixed2
// rounds to hundredths; returns the end of what it wrote.
char* put_whole(char* p, double value);

// Returns true and sets `result` to `value` in hundredths as put_fixed2
// rounds it, negative for a negative value ("-0.00" is 0); false for a
// value that is not finite or of 2^55 or more in magnitude.
bool fixed2_hundredths(double value, std::int64_t& result);

#endif  // LM_CONSOLE_REPORT_FORMAT_H_
