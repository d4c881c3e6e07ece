#include "number_reader.h"

#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdlib>

namespace {

// Tab, newline, vertical tab, form feed and carriage return are the five
// codes from 9 to 13.
bool is_space(int c) {
  return c == ' ' || static_cast<unsigned>(c - '\t') <= '\r' - '\t';
}

bool is_digit(int c) {
  return c >= '0' && c <= '9';
}

// Consumes bytes for as long as whether they are white space equals
// `space`; returns false if the input ends first.
bool skip_while(console& io, bool space) {
  input_buffer& in = io.in;
  for (;;) {
    while (in.begin < in.end) {
      if (is_space(static_cast<unsigned char>(in.bytes[in.begin])) != space) return true;
      ++in.begin;
    }
    if (!fill_input(io)) return false;
  }
}

// Returns false if the input ends before anything but white space.
bool skip_white_space(console& io) {
  return skip_while(io, true);
}

// Drops everything up to the next white space or the end of the input.
void drop_token(console& io) {
  skip_while(io, false);
}

// Returns whether the next token starts with an optional sign and a digit,
// the only way a number of either kind can begin.
bool number_starts_here(console& io) {
  const int first = peek_input(io, 0);
  const std::size_t digit_at = (first == '+' || first == '-') ? 1 : 0;
  return is_digit(peek_input(io, digit_at));
}

// Consumes the byte just peeked.
void take(console& io) {
  ++io.in.begin;
}

// Consumes a run of digits, handing each to `digit(value)`.
template <typename Sink>
void take_digits(console& io, Sink digit) {
  input_buffer& in = io.in;
  for (;;) {
    while (in.begin < in.end) {
      const int c = static_cast<unsigned char>(in.bytes[in.begin]);
      if (!is_digit(c)) return;
      digit(c);
      ++in.begin;
    }
    if (!fill_input(io)) return;
  }
}

// The text of a real number for strtod: only what the token rules let
// through (no hexadecimal, infinity or NaN can reach it), and leading zeros
// of the integer part left out so that they count against no limit. One
// more byte holds the terminating NUL.
struct real_text {
  char chars[real_token_limit + 1];
  int length;
  bool too_long;
};

void append(real_text& text, int c) {
  if (text.length < real_token_limit) {
    text.chars[text.length++] = static_cast<char>(c);
  } else {
    text.too_long = true;
  }
}

// The usual answer, short and unsigned, read straight from the buffer:
// white space, then one to nine digits (which fit in 32 bits) followed by
// a byte that is no digit, all already read in. Returns true and consumes
// them if that is what the buffer holds; otherwise returns false and
// leaves the answer to the general reader, having consumed only white
// space.
bool read_short_integer(input_buffer& in, integer_answer& answer) {
  std::size_t at = in.begin;
  while (at < in.end && is_space(static_cast<unsigned char>(in.bytes[at])))
    ++at;
  in.begin = at;
  const std::size_t longest_end = at + 9;
  std::uint32_t value = 0;
  for (; at < in.end; ++at) {
    const unsigned digit = static_cast<unsigned char>(in.bytes[at]) - unsigned{'0'};
    if (digit > 9) break;
    if (at == longest_end) return false;
    value = value * 10 + digit;
  }
  if (at == in.begin || at == in.end) return false;
  in.begin = at;
  answer = {read_status::number, static_cast<std::int32_t>(value)};
  return true;
}

}  // namespace

integer_answer read_integer_in_full(console& io) {
  integer_answer answer{};
  if (read_short_integer(io.in, answer)) return answer;
  if (!skip_white_space(io)) return {read_status::end_of_input, 0};
  if (!number_starts_here(io)) {
    drop_token(io);
    return {read_status::not_a_number, 0};
  }
  const int sign = peek_input(io, 0);
  if (sign == '+' || sign == '-') take(io);

  // Saturates once past any 32-bit magnitude, so that digits of any number
  // are consumed in bounded arithmetic.
  constexpr std::uint64_t saturated = std::uint64_t{1} << 32;
  std::uint64_t magnitude = 0;
  take_digits(io, [&magnitude](int c) {
    magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - '0');
    if (magnitude > saturated) magnitude = saturated;
  });

  const std::uint64_t limit = sign == '-' ? std::uint64_t{1} << 31 : (std::uint64_t{1} << 31) - 1;
  if (magnitude > limit) return {read_status::out_of_range, 0};
  const auto value = static_cast<std::int64_t>(magnitude);
  return {read_status::number, static_cast<std::int32_t>(sign == '-' ? -value : value)};
}

real_answer read_real(console& io) {
  if (!skip_white_space(io)) return {read_status::end_of_input, 0.0};
  if (!number_starts_here(io)) {
    drop_token(io);
    return {read_status::not_a_number, 0.0};
  }
  real_text text;
  text.length = 0;
  text.too_long = false;

  const int sign = peek_input(io, 0);
  if (sign == '+' || sign == '-') {
    if (sign == '-') append(text, '-');
    take(io);
  }
  bool leading = true;
  take_digits(io, [&text, &leading](int c) {
    if (leading && c == '0') return;
    leading = false;
    append(text, c);
  });
  if (leading) append(text, '0');

  if (peek_input(io, 0) == '.') {
    take(io);
    append(text, '.');
    take_digits(io, [&text](int c) { append(text, c); });
  }

  // An exponent belongs to the number only when it is complete: "5e" and
  // "5e+" are the number 5 followed by the rest of the token.
  const int marker = peek_input(io, 0);
  if (marker == 'e' || marker == 'E') {
    const int exponent_sign = peek_input(io, 1);
    const std::size_t digit_at = (exponent_sign == '+' || exponent_sign == '-') ? 2 : 1;
    if (is_digit(peek_input(io, digit_at))) {
      append(text, 'e');
      take(io);
      if (digit_at == 2) {
        append(text, exponent_sign);
        take(io);
      }
      take_digits(io, [&text](int c) { append(text, c); });
    }
  }

  if (text.too_long) return {read_status::out_of_range, 0.0};
  text.chars[text.length] = '\0';
  // strtod rounds correctly to nearest on every C library the program is
  // built with, and reads the "C" locale, which the program never changes.
  // A result that overflows or underflows to zero is out of range; a
  // subnormal one is a number like any other.
  errno = 0;
  char* end = nullptr;
  const double value = std::strtod(text.chars, &end);
  if (end != text.chars + text.length || (errno == ERANGE && (std::isinf(value) || value == 0.0))) {
    return {read_status::out_of_range, 0.0};
  }
  return {read_status::number, value};
}
