// binary64: the encoding of an IEEE 754 binary64 (the C++ double), and the
// rounding rule that every conversion the program makes keeps.
//
// The software extended arithmetic and the report formats both take a
// double apart and both round by dropping low bits: each does so through
// the functions here, so that the program has one reading of the encoding
// and one rounding rule, round to nearest, ties to even.

#ifndef LM_MODEL_BINARY64_H_
#define LM_MODEL_BINARY64_H_

#include <cstdint>
#include <cstring>

constexpr int binary64_fraction_bits = 52;
constexpr std::uint64_t binary64_fraction_mask = (std::uint64_t{1} << binary64_fraction_bits) - 1;
constexpr std::uint64_t binary64_sign_bit = std::uint64_t{1} << 63;
constexpr int binary64_exponent_bias = 1023;
constexpr int binary64_biased_exponent_ones = 0x7ff;  // all ones: infinities and NaN
constexpr std::uint64_t binary64_infinity_bits = std::uint64_t{binary64_biased_exponent_ones}
                                                 << binary64_fraction_bits;
constexpr std::uint64_t binary64_quiet_nan_bits = binary64_infinity_bits | std::uint64_t{1} << 51;

// The weight of a subnormal's lowest bit, the smallest power of two a
// binary64 holds.
constexpr int binary64_lowest_exponent = 1 - binary64_exponent_bias - binary64_fraction_bits;

// The three fields of the encoding.
struct binary64_fields {
  bool negative;
  int biased_exponent;     // 0 for zeros and subnormals, all ones for infinities and NaN
  std::uint64_t fraction;  // the 52 bits below the significand's leading one
};

// Returns the fields of x.
inline binary64_fields binary64_fields_of(double x) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &x, sizeof bits);
  return {(bits & binary64_sign_bit) != 0,
          static_cast<int>((bits >> binary64_fraction_bits) & binary64_biased_exponent_ones),
          bits & binary64_fraction_mask};
}

// Returns whether the fields hold a zero or a finite value.
inline bool binary64_is_finite(const binary64_fields& x) {
  return x.biased_exponent != binary64_biased_exponent_ones;
}

// The magnitude of a zero or finite value as significand * 2^exponent, with
// an integer significand below 2^53 (below 2^52 for subnormals, 0 for
// zeros).
struct binary64_magnitude {
  std::uint64_t significand;
  int exponent;
};

// Returns the magnitude of x exactly; needs binary64_is_finite(x).
inline binary64_magnitude binary64_magnitude_of(const binary64_fields& x) {
  if (x.biased_exponent == 0) return {x.fraction, binary64_lowest_exponent};
  return {x.fraction | (std::uint64_t{1} << binary64_fraction_bits),
          x.biased_exponent + binary64_lowest_exponent - 1};
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
