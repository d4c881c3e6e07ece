// soft_extended: IEEE 754 double-extended arithmetic (64-bit significand)
// in software, with results identical to the x87 format's.
//
// Conversions from binary64 and from 32-bit integers are exact. Addition,
// subtraction, multiplication and division each work out the exact result
// as a 64-bit significand plus the bits beyond it that decide rounding, and
// hand that to one rounding routine: round to nearest, ties to even, at 64
// bits. Conversion to binary64 rounds by the same rule (binary64.h holds
// it and the encoding), to subnormals and to infinity as the magnitude
// requires. Signed zeros follow IEEE 754 (x - x is +0); infinities and NaN
// propagate without undefined behaviour, all decided in one place, the
// soft_*_special functions.
//
// The exponent is a 32-bit integer, wider than the x87 format's 15 bits,
// so results never overflow or underflow the format itself: they agree
// with the x87 format wherever its results are normal, which covers every
// operation on binary64 and 32-bit operands that the descent model makes.

#ifndef LM_MODEL_SOFT_EXTENDED_H_
#define LM_MODEL_SOFT_EXTENDED_H_

#include <cstdint>

#include "binary64.h"
#include "wide_uint.h"

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
inline soft_extended soft_from_binary64(double x);

// Returns x exactly.
inline soft_extended soft_from_int32(std::int32_t x);

// Each returns the exact result rounded to nearest even at 64 bits.
inline soft_extended operator+(soft_extended a, soft_extended b);
inline soft_extended operator-(soft_extended a, soft_extended b);
inline soft_extended operator*(soft_extended a, soft_extended b);
inline soft_extended operator/(soft_extended a, soft_extended b);

// Returns x rounded to nearest even in binary64.
inline double soft_to_binary64(soft_extended x);

// ---------------------------------------------------------------------------
// Definitions. They are inline so that each descent formula compiles into
// one straight run, with its constant operands converted at compile time.
// The soft_ helpers below the interface are not part of it.

constexpr std::uint64_t soft_top_bit = std::uint64_t{1} << 63;

inline soft_extended soft_zero(bool negative) {
  return {soft_class::zero, negative, 0, 0};
}
inline soft_extended soft_infinity(bool negative) {
  return {soft_class::infinite, negative, 0, 0};
}
inline soft_extended soft_nan() {
  return {soft_class::nan, false, 0, 0};
}

// The one rounding routine. The exact result is
//   (-1)^negative * (significand + extra / 2^64) * 2^(exponent - 63)
// with bit 63 of significand set; extra holds the bits beyond the 64th,
// with any further nonzero bits already folded into its lowest bit.
// Rounds to nearest, ties to even.
inline soft_extended soft_round_and_pack(bool negative, std::int32_t exponent,
                                         std::uint64_t significand, std::uint64_t extra) {
  if (rounds_up_to_nearest_even(significand, extra)) {
    ++significand;
    if (significand == 0) {  // carried out of the top: 1.111...1 became 10.000...0
      significand = soft_top_bit;
      ++exponent;
    }
  }
  return {soft_class::finite, negative, exponent, significand};
}

// Rounds an exact nonzero result held as a 128-bit integer whose bit 127
// has the weight 2^top_exponent, after shifting its leading one up to bit
// 127. Bits already jammed into the lowest bit stay below the rounding.
inline soft_extended soft_normalize_round_and_pack(bool negative, std::int32_t top_exponent,
                                                   wide_uint exact) {
  const int shift = wide_leading_zeros(exact);
  const wide_uint normal = wide_shift_left(exact, shift);
  return soft_round_and_pack(negative, top_exponent - shift, normal.hi, normal.lo);
}

// The special cases, all here: what IEEE 754 defines when an operand is
// zero, infinite or NaN. Each returns false when both operands are finite
// and nonzero; otherwise it sets result and returns true. They are three
// small functions rather than one, so that each operation stays small
// enough for the compiler to inline it into the formulas.

// For a + b, with b's sign already flipped for a subtraction.
inline bool soft_add_special(const soft_extended& a, const soft_extended& b,
                             soft_extended& result) {
  // Both finite is nearly every sum a flight makes: one test for it first.
  if (a.kind == soft_class::finite && b.kind == soft_class::finite) return false;
  if (a.kind == soft_class::nan || b.kind == soft_class::nan) {
    result = soft_nan();
  } else if (a.kind == soft_class::infinite) {
    result = (b.kind == soft_class::infinite && b.negative != a.negative) ? soft_nan() : a;
  } else if (b.kind == soft_class::infinite) {
    result = b;
  } else if (a.kind == soft_class::zero) {
    // -0 + -0 is -0; any other sum of zeros is +0.
    result = b.kind == soft_class::zero ? soft_zero(a.negative && b.negative) : b;
  } else if (b.kind == soft_class::zero) {
    result = a;
  } else {
    return false;
  }
  return true;
}

// For a * b.
inline bool soft_multiply_special(const soft_extended& a, const soft_extended& b,
                                  soft_extended& result) {
  if (a.kind == soft_class::finite && b.kind == soft_class::finite) return false;
  const bool negative = a.negative != b.negative;
  if (a.kind == soft_class::nan || b.kind == soft_class::nan) {
    result = soft_nan();
  } else if (a.kind == soft_class::infinite || b.kind == soft_class::infinite) {
    const bool zero_factor = a.kind == soft_class::zero || b.kind == soft_class::zero;
    result = zero_factor ? soft_nan() : soft_infinity(negative);
  } else {
    result = soft_zero(negative);
  }
  return true;
}

// For a / b.
inline bool soft_divide_special(const soft_extended& a, const soft_extended& b,
                                soft_extended& result) {
  if (a.kind == soft_class::finite && b.kind == soft_class::finite) return false;
  const bool negative = a.negative != b.negative;
  if (a.kind == soft_class::nan || b.kind == soft_class::nan) {
    result = soft_nan();
  } else if (a.kind == soft_class::infinite) {
    result = b.kind == soft_class::infinite ? soft_nan() : soft_infinity(negative);
  } else if (b.kind == soft_class::zero) {
    result = a.kind == soft_class::zero ? soft_nan() : soft_infinity(negative);
  } else {
    result = soft_zero(negative);  // b is infinite, or a is zero
  }
  return true;
}

// a + b where b's sign is already what the operation needs.
inline soft_extended soft_add_signed(soft_extended a, soft_extended b) {
  soft_extended special;
  if (soft_add_special(a, b, special)) return special;

  // Let a be the larger in magnitude, so that the result takes a's sign
  // and the smaller operand is the one shifted right.
  if (b.exponent > a.exponent || (b.exponent == a.exponent && b.significand > a.significand)) {
    const soft_extended t = a;
    a = b;
    b = t;
  }
  // Past 130 bits of difference the smaller operand only jams.
  const std::int64_t gap = std::int64_t{a.exponent} - b.exponent;
  const int shift = gap > 130 ? 130 : static_cast<int>(gap);

  // The smaller significand aligned to the larger: its bits that reach
  // below the larger's lowest bit form `below`, a fraction of that bit
  // scaled to 2^64 with anything further jammed into its lowest bit.
  const wide_uint small = wide_shift_right_jam({b.significand, 0}, shift);
  if (a.negative == b.negative) {
    // The leading one sits at bit 63 of the sum or, after a carry, just
    // above it: then one bit moves down into what decides the rounding,
    // and the bit it pushes out stays as a jam.
    const std::uint64_t sum = a.significand + small.hi;
    if (sum >= a.significand) return soft_round_and_pack(a.negative, a.exponent, sum, small.lo);
    const std::uint64_t below = ((sum & 1) << 63) | (small.lo >> 1) | (small.lo & 1);
    return soft_round_and_pack(a.negative, a.exponent + 1, soft_top_bit | (sum >> 1), below);
  }
  const wide_uint big = {a.significand, 0};
  const wide_uint difference = wide_sub(big, small);
  if (difference.hi == 0 && difference.lo == 0) return soft_zero(false);  // x - x is +0
  // A shift of two or more loses at most one leading bit to the
  // subtraction, so the jammed bit stays far below the rounding position
  // and, being odd, never makes a tie; a shift of one or none is exact.
  return soft_normalize_round_and_pack(a.negative, a.exponent, difference);
}

inline soft_extended soft_from_binary64(double x) {
  const binary64_fields fields = binary64_fields_of(x);
  const bool negative = fields.negative;
  if (!binary64_is_finite(fields))
    return fields.fraction != 0 ? soft_nan() : soft_infinity(negative);
  if (fields.biased_exponent == 0) {
    if (fields.fraction == 0) return soft_zero(negative);
    const int shift = leading_zeros64(fields.fraction);  // subnormal: normalize it
    return {soft_class::finite, negative, binary64_lowest_exponent + 63 - shift,
            fields.fraction << shift};
  }
  constexpr std::uint64_t leading_one = std::uint64_t{1} << binary64_fraction_bits;
  return {soft_class::finite, negative, fields.biased_exponent - binary64_exponent_bias,
          (fields.fraction | leading_one) << (63 - binary64_fraction_bits)};
}

inline soft_extended soft_from_int32(std::int32_t x) {
  if (x == 0) return soft_zero(false);
  const bool negative = x < 0;
  const std::int64_t wide = x;  // where -INT32_MIN fits
  const auto magnitude = static_cast<std::uint64_t>(negative ? -wide : wide);
  const int shift = leading_zeros64(magnitude);
  return {soft_class::finite, negative, 63 - shift, magnitude << shift};
}

inline soft_extended operator+(soft_extended a, soft_extended b) {
  return soft_add_signed(a, b);
}

inline soft_extended operator-(soft_extended a, soft_extended b) {
  b.negative = !b.negative;
  return soft_add_signed(a, b);
}

inline soft_extended operator*(soft_extended a, soft_extended b) {
  soft_extended special;
  if (soft_multiply_special(a, b, special)) return special;
  const bool negative = a.negative != b.negative;
  // The product of the significands is exact in 128 bits, and its bit 127
  // has the weight 2^(ea - 63 + eb - 63 + 127).
  const wide_uint product = wide_mul(a.significand, b.significand);
  return soft_normalize_round_and_pack(negative, a.exponent + b.exponent + 1, product);
}

inline soft_extended operator/(soft_extended a, soft_extended b) {
  soft_extended special;
  if (soft_divide_special(a, b, special)) return special;
  const bool negative = a.negative != b.negative;

  // Dividing by a power of two only moves the exponent.
  if (b.significand == soft_top_bit) {
    return {soft_class::finite, negative, a.exponent - b.exponent, a.significand};
  }
  // q = floor(sa * 2^64 / sb) has 64 or 65 bits. With 65, the lowest is
  // the rounding bit; with 64, the remainder against half the divisor
  // decides. Any nonzero remainder beyond that is the sticky bit.
  std::uint64_t remainder = 0;
  if (a.significand >= b.significand) {
    const std::uint64_t low =
        wide_div({a.significand - b.significand, 0}, b.significand, remainder);
    const std::uint64_t extra = ((low & 1) << 63) | (remainder != 0 ? 1 : 0);
    return soft_round_and_pack(negative, a.exponent - b.exponent, soft_top_bit | (low >> 1), extra);
  }
  const std::uint64_t quotient = wide_div({a.significand, 0}, b.significand, remainder);
  const std::uint64_t rest = b.significand - remainder;  // remainder >= half iff rest <= it
  std::uint64_t extra = 0;
  if (remainder > rest) {
    extra = soft_top_bit | 1;
  } else if (remainder == rest) {
    extra = soft_top_bit;
  } else if (remainder != 0) {
    extra = 1;
  }
  return soft_round_and_pack(negative, a.exponent - b.exponent - 1, quotient, extra);
}

inline double soft_to_binary64(soft_extended x) {
  std::uint64_t bits = x.negative ? binary64_sign_bit : 0;
  switch (x.kind) {
    case soft_class::zero:
      break;
    case soft_class::nan:
      bits = binary64_quiet_nan_bits;
      break;
    case soft_class::infinite:
      bits |= binary64_infinity_bits;
      break;
    case soft_class::finite: {
      // Keep 53 bits, or fewer when the result is subnormal in binary64;
      // the bits below decide the rounding.
      constexpr std::int64_t lowest_normal = 1 - binary64_exponent_bias;
      const std::int64_t exponent = x.exponent;
      if (exponent >= lowest_normal) {
        if (exponent > binary64_exponent_bias) {
          bits |= binary64_infinity_bits;
          break;
        }
        constexpr int dropped = 63 - binary64_fraction_bits;
        std::uint64_t kept = x.significand >> dropped;  // the leading one at bit 52
        if (rounds_up_to_nearest_even(kept, x.significand << (64 - dropped))) ++kept;
        // Added to the exponent field less one, the leading one completes
        // it; a rounding carry to 2^53 moves up a binade, or to infinity.
        bits |= (static_cast<std::uint64_t>(exponent + binary64_exponent_bias - 1)
                 << binary64_fraction_bits) +
                kept;
        break;
      }
      const std::int64_t shift = 63 - binary64_fraction_bits + (lowest_normal - exponent);
      std::uint64_t kept = 0;
      std::uint64_t rest = 0;  // the dropped bits, as a fraction of 2^64
      if (shift < 64) {
        kept = x.significand >> shift;
        rest = x.significand << (64 - shift);
      } else if (shift == 64) {
        rest = x.significand;
      } else {
        rest = 1;  // below a half of the smallest subnormal
      }
      if (rounds_up_to_nearest_even(kept, rest)) ++kept;
      // A subnormal that rounds up to 2^52 becomes the smallest normal,
      // whose encoding is exactly that integer.
      bits |= kept;
      break;
    }
  }
  return binary64_from_bits(bits);
}

#endif  // LM_MODEL_SOFT_EXTENDED_H_
