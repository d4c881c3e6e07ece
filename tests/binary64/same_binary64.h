// same_binary64: bit-for-bit comparison of binary64 values for tests,
// where 0.0 and -0.0 must differ and a result must match to the last bit.

#ifndef LM_TESTS_SAME_BINARY64_H_
#define LM_TESTS_SAME_BINARY64_H_

#include <cstdint>
#include <cstring>

// Returns whether a and b are the same binary64 datum, sign of zero included.
inline bool same_binary64(double a, double b) {
  std::uint64_t x = 0;
  std::uint64_t y = 0;
  std::memcpy(&x, &a, sizeof x);
  std::memcpy(&y, &b, sizeof y);
  return x == y;
}

#endif  // LM_TESTS_SAME_BINARY64_H_
