// binary64: the encoding of an IEEE 754 binary64 (the C++ double), and the
// rounding rule that every conversion the program makes keeps.
//
// The software extended arithmetic and the report formats both take a
// double apart into sign, integer significand and power of two, and both
// round by dropping low bits: each does so through the two functions here,
// so that the program has one reading of the encoding and one rounding
// rule, round to nearest, ties to even.

#ifndef LM_MODEL_BINARY64_H_
#define LM_MODEL_BINARY64_H_

#include <cstdint>
#include <cstring>

// What a value is, apart from its sign.
enum class value_class : std::uint8_t { zero, finite, infinite, nan };

// The encoding's fields.
constexpr int binary64_fraction_bits = 52;
constexpr std::uint64_t binary64_fraction_mask = (std::uint64_t{1} << binary64_fraction_bits) - 1;
constexpr std::uint64_t binary64_sign_bit = std::uint64_t{1} << 63;
constexpr int binary64_exponent_bias = 1023;
constexpr int binary64_biased_exponent_ones = 0x7ff;  // all ones: infinities and NaN
constexpr std::uint64_t binary64_infinity_bits = std::uint64_t{binary64_biased_exponent_ones}
                                                 << binary64_fraction_bits;
constexpr std::uint64_t binary64_quiet_nan_bits = binary64_infinity_bits | std::uint64_t{1} << 51;

// The smallest power of two a binary64 holds: a subnormal's significand
// counts in units of it.
constexpr int binary64_lowest_exponent = 1 - binary64_exponent_bias - binary64_fraction_bits;

// A binary64 taken apart. A zero or finite value is
// (-1)^negative * significand * 2^exponent, with an integer significand
// below 2^53 (below 2^52 for subnormals, 0 for zeros); an infinity keeps
// only its sign, and a NaN nothing.
struct binary64_parts {
  value_class kind;
  bool negative;
  std::uint64_t significand;
  int exponent;
};

// Returns the parts of x, exactly.
inline binary64_parts binary64_parts_of(double x) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &x, sizeof bits);
  const bool negative = (bits & binary64_sign_bit) != 0;
  const int biased =
      static_cast<int>((bits >> binary64_fraction_bits) & binary64_biased_exponent_ones);
  const std::uint64_t fraction = bits & binary64_fraction_mask;
  if (biased == binary64_biased_exponent_ones) {
    return {fraction != 0 ? value_class::nan : value_class::infinite, negative, 0, 0};
  }
  if (biased == 0) {
    return {fraction != 0 ? value_class::finite : value_class::zero, negative, fraction,
            binary64_lowest_exponent};
  }
  return {value_class::finite, negative, fraction | (std::uint64_t{1} << binary64_fraction_bits),
          biased + binary64_lowest_exponent - 1};
}

// Returns the binary64 whose encoding is `bits`.
inline double binary64_from_bits(std::uint64_t bits) {
  double x = 0;
  std::memcpy(&x, &bits, sizeof x);
  return x;
}

// The one rounding rule. A result is cut after its last kept bit, whose
// value is `kept`; `dropped` holds the bits cut off as a fraction of that
// last bit's weight, scaled to 2^64, with any nonzero bits beyond its 64
// already folded into its lowest bit. Returns whether the kept value must
// go up by one for the result to be rounded to nearest, ties to even.
inline bool rounds_up_to_nearest_even(std::uint64_t kept, std::uint64_t dropped) {
  constexpr std::uint64_t half = std::uint64_t{1} << 63;
  return dropped > half || (dropped == half && (kept & 1) != 0);
}

#endif  // LM_MODEL_BINARY64_H_
