// digit_writers: the pieces the number writers of report_format compose a
// field from: digit pairs, digit counts, exact runs of digits and the
// field's blanks and sign. In a header so that the integer writer, inline,
// costs a state report no calls and folds its constant widths.

#ifndef LM_CONSOLE_DIGIT_WRITERS_H_
#define LM_CONSOLE_DIGIT_WRITERS_H_

#include <cstdint>
#include <cstring>

#include "wide_uint.h"

namespace digit_writers {

inline constexpr char digit_pairs[] =
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
inline constexpr digit_count_entries digit_counts = make_digit_count_entries();

// Thirty-two blanks, the most padding a field of width 32 takes.
inline constexpr char blanks[] = "                                ";

// Returns how many decimal digits `value` has (1 for zero), from its bit
// length and one addition. Setting the low bit makes zero count as one and
// moves no value across a power of ten, all of which from 10 up are even.
inline int decimal_digits(std::uint32_t value) {
  value |= 1;
  const int length = 64 - leading_zeros64(value);
  return static_cast<int>((value + digit_counts.by_length[length]) >> 32);
}

// Writes `value`, below 100, as two digits at p.
inline void put_two_digits(char* p, std::uint32_t value) {
  std::memcpy(p, digit_pairs + std::size_t{2} * value, 2);
}

// Writes `value`, below 10^4, as exactly four digits at p.
inline void put_four_digits(char* p, std::uint32_t value) {
  const std::uint32_t high = value / 100;
  put_two_digits(p, high);
  put_two_digits(p + 2, value - 100 * high);
}

// Writes `value`, below 10^8, as exactly eight digits at p.
inline void put_eight_digits(char* p, std::uint32_t value) {
  const std::uint32_t high = value / 10000;
  put_four_digits(p, high);
  put_four_digits(p + 4, value - 10000 * high);
}

// Writes `value`, of exactly `count` digits (1 to 10), at p: the low
// eight, four or two digits in one straight run after the high ones split
// off. Dividing a 32-bit value by a constant is a multiplication on every
// target, where a 64-bit division is a library call on some.
template <int count>
inline void put_exact_digits(char* p, std::uint32_t value) {
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
// Returns end + tail: the number writers place everything after the digits
// first and make this their last call, which then needs no frame of theirs.
inline char* put_digits_before(char* end, std::uint32_t value, int count, int tail) {
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
inline char* put_field_start(char* p, bool negative, int length, int width) {
  length += negative ? 1 : 0;
  if (length < width) {
    std::memcpy(p, blanks, 16);
    if (width > 16) std::memcpy(p + 16, blanks, 16);
    p += width - length;
  }
  *p = '-';  // covered by the first digit unless negative
  return p + (negative ? 1 : 0);
}

}  // namespace digit_writers

#endif  // LM_CONSOLE_DIGIT_WRITERS_H_
