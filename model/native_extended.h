// native_extended: the double-extended format (64-bit significand) as the
// compiler's long double, where that is the x87 extended format, as on x86
// and x86-64 with g++ and clang++.
//
// The hardware rounds each operation to nearest, ties to even, at 64 bits,
// and each conversion to binary64 once, exactly as soft_extended does in
// software; this is the faster of the two where it exists.
//
// Why this holds only under the x87's precision control: the x87 rounds
// every result to the precision its control word selects, not to the
// type's. Linux and MinGW start programs with 64 bits selected, which is
// what this path needs, and nothing here changes the control word. A
// system or runtime that selects 53 bits (as some do on 32-bit x86) would
// have every operation here rounded to binary64 at each step, the very
// evaluation that the descent vectors catch; valgrind, which carries x87
// arithmetic out in binary64, is another such case. Build those with
// -DLM_SOFT_EXTENDED=ON: the software format does not depend on it.

#ifndef LM_MODEL_NATIVE_EXTENDED_H_
#define LM_MODEL_NATIVE_EXTENDED_H_

#include <cstdint>

#include "x87_long_double.h"

static_assert(LM_X87_LONG_DOUBLE,
              "native_extended needs a long double in the x87 extended format; build with "
              "-DLM_SOFT_EXTENDED=ON to use the software format");

// A value in the extended format. Plain data: copy it freely.
struct native_extended {
  long double value;
};

// Returns x exactly; every binary64 value is representable.
inline native_extended native_from_binary64(double x) {
  return {static_cast<long double>(x)};
}

// Returns x exactly; every 32-bit integer is representable.
inline native_extended native_from_int32(std::int32_t x) {
  return {static_cast<long double>(x)};
}

// Each returns the exact result rounded to nearest even at 64 bits.
inline native_extended operator+(native_extended a, native_extended b) {
  return {a.value + b.value};
}
inline native_extended operator-(native_extended a, native_extended b) {
  return {a.value - b.value};
}
inline native_extended operator*(native_extended a, native_extended b) {
  return {a.value * b.value};
}
inline native_extended operator/(native_extended a, native_extended b) {
  return {a.value / b.value};
}

// Returns x rounded to nearest even in binary64 (subnormal or infinite as
// the magnitude requires).
inline double native_to_binary64(native_extended x) {
  return static_cast<double>(x.value);
}

#endif  // LM_MODEL_NATIVE_EXTENDED_H_
