// soft_extended: IEEE 754 double-extended arithmetic (64-bit significand)
// in software, with results identical to the x87 format's.
//
// Conversions from binary64 and from 32-bit integers are exact. Addition,
// subtraction, multiplication and division each work out the exact result
// as a 64-bit significand plus the bits beyond it that decide rounding, and
// hand that to one rounding routine: round to nearest, ties to even, at 64
// bits. Conversion to binary64 rounds the same way, to subnormals and to
// infinity as the magnitude requires. Signed zeros follow IEEE 754 (x - x
// is +0); infinities and NaN propagate without undefined behaviour.
//
// The exponent is a 32-bit integer, wider than the x87 format's 15 bits,
// so results never overflow or underflow the format itself: they agree
// with the x87 format wherever its results are normal, which covers every
// operation on binary64 and 32-bit operands that the descent model makes.

#ifndef LM_FLIGHT_SOFT_EXTENDED_H_
#define LM_FLIGHT_SOFT_EXTENDED_H_

#include <cstdint>

enum class soft_class : std::uint8_t { zero, finite, infinite, nan };

// A finite nonzero value is (-1)^negative * significand * 2^(exponent - 63),
// with bit 63 of the significand set, so the leading bit's weight is
// 2^exponent. Zeros and infinities keep only their sign; the other fields
// are unused for them and for NaN.
struct soft_extended {
  soft_class kind;
  bool negative;
  std::int32_t exponent;
  std::uint64_t significand;
};

// Returns x exactly.
soft_extended soft_from_binary64(double x);

// Returns x exactly.
soft_extended soft_from_int32(std::int32_t x);

// Each returns the exact result rounded to nearest even at 64 bits.
soft_extended operator+(soft_extended a, soft_extended b);
soft_extended operator-(soft_extended a, soft_extended b);
soft_extended operator*(soft_extended a, soft_extended b);
soft_extended operator/(soft_extended a, soft_extended b);

// Returns x rounded to nearest even in binary64.
double soft_to_binary64(soft_extended x);

#endif  // LM_FLIGHT_SOFT_EXTENDED_H_
