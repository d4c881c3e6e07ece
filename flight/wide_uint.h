// wide_uint: the 128-bit unsigned arithmetic that the software extended
// format needs, on two 64-bit halves.
//
// Where the compiler has unsigned __int128 it does the work; elsewhere, or
// with LM_PORTABLE_WIDE defined, plain 64-bit code does. Both versions are
// always compiled, under their own names, so that tests can hold them to
// each other; `wide_*` without a suffix is the one in use.

#ifndef LM_FLIGHT_WIDE_UINT_H_
#define LM_FLIGHT_WIDE_UINT_H_

#include <cstdint>

// The value hi * 2^64 + lo.
struct wide_uint {
  std::uint64_t hi;
  std::uint64_t lo;
};

inline bool operator==(wide_uint a, wide_uint b) {
  return a.hi == b.hi && a.lo == b.lo;
}

// Returns the number of leading zero bits of x; needs x != 0.
inline int leading_zeros64(std::uint64_t x) {
#if defined(__GNUC__) || defined(__clang__)
  return __builtin_clzll(x);
#else
  int n = 0;
  for (std::uint64_t bit = std::uint64_t{1} << 63; (x & bit) == 0; bit >>= 1)
    ++n;
  return n;
#endif
}

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
// that the quotient fits in 64 bits. One quotient bit per step.
inline std::uint64_t wide_div_portable(wide_uint n, std::uint64_t d, std::uint64_t& remainder) {
  std::uint64_t r = n.hi;
  std::uint64_t q = 0;
  for (int bit = 63; bit >= 0; --bit) {
    const bool carry = (r >> 63) != 0;
    r = (r << 1) | ((n.lo >> bit) & 1);
    q <<= 1;
    if (carry || r >= d) {
      r -= d;
      q |= 1;
    }
  }
  remainder = r;
  return q;
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

#endif  // LM_FLIGHT_WIDE_UINT_H_
