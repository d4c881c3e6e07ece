// report_format: the two number formats of the reports, printf's "%Nd" and
// "%N.2f", without printf.
//
// Fixed-point output is the correct rounding of the exact binary64 value to
// two decimals, ties to even, the way a correctly rounding printf does it; a
// negative value keeps its minus sign even when it rounds to zero. A value
// wider than its field widens the field and is never cut.

#ifndef LM_CONSOLE_REPORT_FORMAT_H_
#define LM_CONSOLE_REPORT_FORMAT_H_

#include <cstddef>
#include <cstdint>

#include "console/console_io.h"

// Room for any value either formatter writes: an int32 needs 11 characters,
// and a finite binary64 at most 309 digits, sign, point and two decimals.
constexpr std::size_t formatted_number_capacity = 320;

// Writes `value` into `chars` as "%*d" with the given width (at most 32) and
// returns the number of characters written.
std::size_t format_integer(char* chars, std::int32_t value, int width);

// Writes `value` into `chars` as "%*.2f" with the given width (at most 32)
// and returns the number of characters written. Infinities and NaN print as
// "inf", "-inf" and "nan".
std::size_t format_fixed2(char* chars, double value, int width);

// Each appends its formatted value to the output.
void write_integer(output_buffer& out, std::int32_t value, int width);
void write_fixed2(output_buffer& out, double value, int width);

#endif  // LM_CONSOLE_REPORT_FORMAT_H_
