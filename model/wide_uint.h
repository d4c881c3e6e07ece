// wide_uint: the 128-bit unsigned arithmetic that the software extended
// format needs, on two 64-bit halves, and the count of leading zero bits.
//
// This is the one seam for what compilers offer beyond the standard: where
// the compiler has unsigned __int128 and a leading-zero builtin they do the
// work; elsewhere, or with LM_PORTABLE_WIDE defined, plain 64-bit code does.
// No other file names either. Both versions are compiled wherever the
// compiler can, under their own names, so that tests can hold them to each
// other; the names without a suffix are the ones in use.

#ifndef LM_MODEL_WIDE_UINT_H_
#define LM_MODEL_WIDE_UINT_H_

#include <cstdint>

// The value hi * 2^64 + lo.
struct wide_uint {
  std::uint64_t hi;
  std::uint64_t lo;
};

inline bool operator==(wide_uint a, wide_uint b) {
  return a.hi == b.hi && a.lo == b.lo;
}

// Returns the number of leading zero bits of x; needs x != 0. A binary
// search down to the top four bits, whose own leading zeros (two bits each
// for the values 1 to 15) come from one constant.
inline int leading_zeros64_portable(std::uint64_t x) {
  int n = 0;
  for (int width = 32; width >= 4; width /= 2) {
    if (x < (std::uint64_t{1} << (64 - width))) {
      n += width;
      x <<= width;
    }
  }
  return n + static_cast<int>((0x156bu >> (2 * ((x >> 60) - 1))) & 3);
}

#if defined(__GNUC__) || defined(__clang__)
#define LM_HAVE_CLZ_BUILTIN 1
inline int leading_zeros64_builtin(std::uint64_t x) {
  return __builtin_clzll(x);
}
#endif

#if defined(LM_HAVE_CLZ_BUILTIN) && !defined(LM_PORTABLE_WIDE)
inline int leading_zeros64(std::uint64_t x) {
  return leading_zeros64_builtin(x);
}
#else
inline int leading_zeros64(std::uint64_t x) {
  return leading_zeros64_portable(x);
}
#endif

// Returns a - b modulo 2^128.
inline wide_uint wide_sub(wide_uint a, wide_uint b) {
  return {a.hi - b.hi - (a.lo < b.lo ? 1 : 0), a.lo - b.lo};
}

// Returns a + b modulo 2^128.
inline wide_uint wide_add(wide_uint a, wide_uint b) {
  const std::uint64_t lo = a.lo + b.lo;
  return {a.hi + b.hi + (lo < a.lo ? 1 : 0), lo};
}

// Returns x shifted left by n bits, 0 <= n < 128.
inline wide_uint wide_shift_left(wide_uint x, int n) {
  if (n == 0) return x;
  if (n >= 64) return {x.lo << (n - 64), 0};
  return {(x.hi << n) | (x.lo >> (64 - n)), x.lo << n};
}

// Returns x shifted right by n bits, n >= 0, with every bit shifted out
// ORed into the lowest bit (a "sticky" bit), so that a later rounding still
// sees whether anything nonzero was lost.
inline wide_uint wide_shift_right_jam(wide_uint x, int n) {
  if (n == 0) return x;
  if (n >= 128) return {0, (x.hi | x.lo) != 0 ? 1u : 0u};
  if (n >= 64) {
    const std::uint64_t lost = (n == 64 ? 0 : x.hi << (128 - n)) | x.lo;
    return {0, (n == 64 ? x.hi : x.hi >> (n - 64)) | (lost != 0 ? 1 : 0)};
  }
  const std::uint64_t lost = x.lo << (64 - n);
  return {x.hi >> n, (x.hi << (64 - n)) | (x.lo >> n) | (lost != 0 ? 1 : 0)};
}

// Returns the number of leading zero bits of x; needs x != 0.
inline int wide_leading_zeros(wide_uint x) {
  return x.hi != 0 ? leading_zeros64(x.hi) : 64 + leading_zeros64(x.lo);
}

// Returns the exact product a * b, from 32-bit partial products.
inline wide_uint wide_mul_portable(std::uint64_t a, std::uint64_t b) {
  const std::uint64_t a_lo = a & 0xffffffffu;
  const std::uint64_t a_hi = a >> 32;
  const std::uint64_t b_lo = b & 0xffffffffu;
  const std::uint64_t b_hi = b >> 32;
  const std::uint64_t low = a_lo * b_lo;
  const std::uint64_t cross1 = a_hi * b_lo;
  const std::uint64_t cross2 = a_lo * b_hi;
  const std::uint64_t high = a_hi * b_hi;
  const std::uint64_t middle = (low >> 32) + (cross1 & 0xffffffffu) + (cross2 & 0xffffffffu);
  return {high + (cross1 >> 32) + (cross2 >> 32) + (middle >> 32),
          (middle << 32) | (low & 0xffffffffu)};
}

// Returns floor(n / d) and sets remainder to n mod d; needs n.hi < d, so
// that the quotient fits in 64 bits.
//
// Long division in base 2^32 with two quotient digits, each estimated from
// the divisor's top digit. The divisor is first shifted until its top bit
// is set, which makes every estimate at most two too large; the loops take
// the excess off. Only 64-bit operations are used, which every target has:
// this is the division of compilers without unsigned __int128 (and of every
// build with LM_PORTABLE_WIDE, which tests it on any machine).
inline std::uint64_t wide_div_portable(wide_uint n, std::uint64_t d, std::uint64_t& remainder) {
  constexpr std::uint64_t digit = std::uint64_t{1} << 32;
  constexpr std::uint64_t low_mask = digit - 1;
  const int shift = leading_zeros64(d);
  d <<= shift;
  const std::uint64_t d_high = d >> 32;
  const std::uint64_t d_low = d & low_mask;
  const std::uint64_t top = shift == 0 ? n.hi : (n.hi << shift) | (n.lo >> (64 - shift));
  const std::uint64_t bottom = n.lo << shift;
  const std::uint64_t bottom_high = bottom >> 32;
  const std::uint64_t bottom_low = bottom & low_mask;

  // Returns the digit of (partial * 2^32 + next) / d, which is below 2^32.
  const auto quotient_digit = [d_high, d_low](std::uint64_t partial, std::uint64_t next) {
    std::uint64_t q = partial / d_high;
    std::uint64_t r = partial - q * d_high;
    while (q >= digit || q * d_low > ((r << 32) | next)) {
      --q;
      r += d_high;
      if (r >= digit) break;
    }
    return q;
  };
  // Partial remainders are below d < 2^64, so arithmetic modulo 2^64 is
  // exact for them.
  const std::uint64_t q_high = quotient_digit(top, bottom_high);
  const std::uint64_t middle = ((top << 32) | bottom_high) - q_high * d;
  const std::uint64_t q_low = quotient_digit(middle, bottom_low);
  remainder = (((middle << 32) | bottom_low) - q_low * d) >> shift;
  return (q_high << 32) | q_low;
}

#if defined(__SIZEOF_INT128__)
#define LM_HAVE_INT128 1
__extension__ using lm_uint128 = unsigned __int128;

inline wide_uint wide_mul_int128(std::uint64_t a, std::uint64_t b) {
  const lm_uint128 p = static_cast<lm_uint128>(a) * b;
  return {static_cast<std::uint64_t>(p >> 64), static_cast<std::uint64_t>(p)};
}

inline std::uint64_t wide_div_int128(wide_uint n, std::uint64_t d, std::uint64_t& remainder) {
  const lm_uint128 value = (static_cast<lm_uint128>(n.hi) << 64) | n.lo;
  remainder = static_cast<std::uint64_t>(value % d);
  return static_cast<std::uint64_t>(value / d);
}
#endif

#if defined(LM_HAVE_INT128) && !defined(LM_PORTABLE_WIDE)
inline wide_uint wide_mul(std::uint64_t a, std::uint64_t b) {
  return wide_mul_int128(a, b);
}
inline std::uint64_t wide_div(wide_uint n, std::uint64_t d, std::uint64_t& remainder) {
  return wide_div_int128(n, d, remainder);
}
#else
inline wide_uint wide_mul(std::uint64_t a, std::uint64_t b) {
  return wide_mul_portable(a, b);
}
inline std::uint64_t wide_div(wide_uint n, std::uint64_t d, std::uint64_t& remainder) {
  return wide_div_portable(n, d, remainder);
}
#endif

#endif  // LM_MODEL_WIDE_UINT_H_
