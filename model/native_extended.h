// native_extended: the double-extended format (64-bit significand) as the
// compiler's long double, where that is the x87 extended format, as on x86
// and x86-64 with g++ and clang++.
//
// The hardware rounds each operation to nearest, ties to even, at 64 bits,
// and each conversion to binary64 once, exactly as soft_extended does in
// software; this is the faster of the two where it exists.

#ifndef LM_MODEL_NATIVE_EXTENDED_H_
#define LM_MODEL_NATIVE_EXTENDED_H_

#include <cfloat>
#include <cstdint>

static_assert(LDBL_MANT_DIG == 64,
              "native_extended needs a long double with a 64-bit significand (the x87 "
              "extended format); build with -DLM_SOFT_EXTENDED=ON to use the software format");

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
