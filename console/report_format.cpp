#include "console/report_format.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace {

// Writes the digits of `magnitude` right to left ending just before `end`;
// returns where they start. At least `min_digits` digits are written, zeros
// in front as needed.
char* digits_before(char* end, std::uint64_t magnitude, int min_digits) {
  char* p = end;
  do {
    *--p = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
    --min_digits;
  } while (magnitude != 0 || min_digits > 0);
  return p;
}

// Copies `text` into `chars` right-aligned in `width` columns.
std::size_t pad_left(char* chars, const char* text, std::size_t length, int width) {
  const std::size_t field = static_cast<std::size_t>(width);
  const std::size_t blanks = length < field ? field - length : 0;
  std::memset(chars, ' ', blanks);
  std::memmove(chars + blanks, text, length);
  return blanks + length;
}

// Returns the value in hundredths, |value| * 100 rounded to nearest even,
// or false when the result would not fit in 63 bits.
//
// The value is m * 2^e with an integer significand m < 2^53; m * 100 needs
// at most 60 bits, so the scaled value is the integer m * 100 shifted by e,
// and the bits shifted out decide the rounding exactly.
bool hundredths(double magnitude, std::uint64_t& result) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &magnitude, sizeof bits);
  const int biased = static_cast<int>((bits >> 52) & 0x7ff);
  std::uint64_t significand = bits & ((std::uint64_t{1} << 52) - 1);
  int exponent = -1074;
  if (biased != 0) {
    significand |= std::uint64_t{1} << 52;
    exponent = biased - 1075;
  }
  const std::uint64_t scaled = significand * 100;
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
  const std::uint64_t rest = scaled & ((std::uint64_t{1} << shift) - 1);
  const std::uint64_t half = std::uint64_t{1} << (shift - 1);
  result = whole + ((rest > half || (rest == half && (whole & 1) != 0)) ? 1 : 0);
  return true;
}

}  // namespace

std::size_t format_integer(char* chars, std::int32_t value, int width) {
  char text[16];
  char* const end = text + sizeof text;
  const std::uint64_t magnitude =
      value < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(static_cast<std::int64_t>(value))
                : static_cast<std::uint64_t>(value);
  char* start = digits_before(end, magnitude, 1);
  if (value < 0) *--start = '-';
  return pad_left(chars, start, static_cast<std::size_t>(end - start), width);
}

std::size_t format_fixed2(char* chars, double value, int width) {
  const bool negative = std::signbit(value);
  std::uint64_t scaled = 0;
  if (std::isfinite(value) && hundredths(std::fabs(value), scaled)) {
    char text[32];
    char* const end = text + sizeof text;
    char* start = digits_before(end, scaled % 100, 2);
    *--start = '.';
    start = digits_before(start, scaled / 100, 1);
    if (negative) *--start = '-';
    return pad_left(chars, start, static_cast<std::size_t>(end - start), width);
  }
  // Magnitudes from about 10^17 up, and the special values: rare enough
  // that the general conversion's cost does not matter.
  char text[formatted_number_capacity];
  std::size_t length = 0;
  if (std::isnan(value)) {
    std::memcpy(text, "nan", 3);
    length = 3;
  } else if (std::isinf(value)) {
    std::memcpy(text, negative ? "-inf" : "inf", negative ? 4 : 3);
    length = negative ? 4 : 3;
  } else {
    const std::to_chars_result done =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2);
    length = static_cast<std::size_t>(done.ptr - text);
  }
  return pad_left(chars, text, length, width);
}

void write_integer(output_buffer& out, std::int32_t value, int width) {
  char chars[formatted_number_capacity];
  write_text(out, std::string_view(chars, format_integer(chars, value, width)));
}

void write_fixed2(output_buffer& out, double value, int width) {
  char chars[formatted_number_capacity];
  write_text(out, std::string_view(chars, format_fixed2(chars, value, width)));
}
