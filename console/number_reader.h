// number_reader: takes the operator's next answer from the input.
//
// Answers are separated by white space: blank, tab, newline, carriage
// return, vertical tab or form feed, in any number. A read skips it, then
// takes one number and nothing more; whatever follows the number stays in
// the input for the next read, so "5abc" answers 5 and leaves "abc".
//
// A token (the run of characters up to the next white space) that does not
// start with a number of the asked kind, an optional sign and then a digit,
// is dropped whole and reported as not_a_number. A number too large for its
// type is consumed whole and reported as out_of_range, never wrapped or
// clamped. Memory and time stay bounded whatever the length of a token.

#ifndef LM_CONSOLE_NUMBER_READER_H_
#define LM_CONSOLE_NUMBER_READER_H_

#include <cstdint>

#include "console_io.h"

enum class read_status {
  number,        // the value holds the number read
  out_of_range,  // a number was read but its type cannot hold it
  not_a_number,  // a token that is no number was dropped
  end_of_input,  // the input ended before a number began
};

struct integer_answer {
  read_status status;
  std::int32_t value;  // meaningful only for read_status::number
};

struct real_answer {
  read_status status;
  double value;  // meaningful only for read_status::number
};

// Returns the next decimal integer (optional sign, digits) that fits in 32
// signed bits.
inline integer_answer read_integer(console& io);

// read_integer's path for every answer but the usual one.
integer_answer read_integer_in_full(console& io);

// Returns the next decimal real number (optional sign, digits, optional
// point and fraction, optional exponent) rounded to the nearest binary64.
// Beyond binary64's range, or longer than real_token_limit characters, it is
// out_of_range.
real_answer read_real(console& io);

// The longest real number, in characters after leading zeros, that
// read_real converts; anything longer is refused.
//
// Why 4000: the number is copied for strtod into a fixed buffer, so that
// no answer, however long, costs memory beyond it (nothing is allocated
// during a flight); refusing a longer number is honest where cutting it
// could change how it rounds. And no number a person or a script means
// comes near: the exact decimal value of a binary64, or of a point halfway
// between two of them, has at most 1,075 digits after the point and 768
// significant digits, so 4000 leaves room for every such text with its
// sign and exponent, while the buffer stays small enough for the stack.
constexpr int real_token_limit = 4000;

// The usual answer, the fuel rate a script or a player types every second,
// is one digit after one byte of white space (the end of the line before)
// and before another byte that is no digit. Inline, it costs a few
// instructions where the whole reader costs a call and more.
inline integer_answer read_integer(console& io) {
  const input_buffer& in = io.in;
  if (in.end - in.begin >= 3) {
    const char* next = in.bytes + in.begin;
    const unsigned space = static_cast<unsigned char>(next[0]);
    const unsigned digit = static_cast<unsigned char>(next[1]) - unsigned{'0'};
    const unsigned after = static_cast<unsigned char>(next[2]) - unsigned{'0'};
    const bool white = space == ' ' || space - unsigned{'\t'} <= unsigned{'\r' - '\t'};
    if (white && digit <= 9 && after > 9) {
      io.in.begin += 2;
      return {read_status::number, static_cast<std::int32_t>(digit)};
    }
  }
  return read_integer_in_full(io);
}

#endif  // LM_CONSOLE_NUMBER_READER_H_
