// extended: the arithmetic in which the descent formulas are evaluated.
//
// Every formula of the descent model works in IEEE 754 double-extended
// arithmetic with a 64-bit significand: its binary64 and integer operands
// enter the format exactly, each operation rounds to nearest, ties to even,
// to 64 significant bits, and the formula's result is rounded once to
// binary64 when it is returned. Evaluating the same formulas in binary64
// step by step gives results that differ in the last place, and those
// differences show in the reports, so the format is part of the contract.
//
// This build uses the compiler's long double, which on x86 and x86-64 is the
// x87 extended format with exactly that significand. The formulas use only
// the functions below, so another representation can stand in for it without
// touching them.

#ifndef LM_FLIGHT_EXTENDED_H_
#define LM_FLIGHT_EXTENDED_H_

#include <cfloat>
#include <cstdint>

static_assert(LDBL_MANT_DIG == 64,
              "lm_simulator needs a long double with a 64-bit significand (the x87 extended "
              "format, as on x86 and x86-64 Linux); this compiler's long double is a different "
              "format, so the descent formulas would not round as they must");

// A value in the extended format. Plain data: copy it freely.
struct extended {
  long double value;
};

// Returns x exactly; every binary64 value is representable.
inline extended to_extended(double x) {
  return {static_cast<long double>(x)};
}

// Returns x exactly; every 32-bit integer is representable.
inline extended to_extended(std::int32_t x) {
  return {static_cast<long double>(x)};
}

// Each returns the exact result rounded to nearest even at 64 bits.
inline extended operator+(extended a, extended b) {
  return {a.value + b.value};
}
inline extended operator-(extended a, extended b) {
  return {a.value - b.value};
}
inline extended operator*(extended a, extended b) {
  return {a.value * b.value};
}
inline extended operator/(extended a, extended b) {
  return {a.value / b.value};
}

// Returns x rounded to nearest even in binary64 (subnormal or infinite as
// the magnitude requires).
inline double to_binary64(extended x) {
  return static_cast<double>(x.value);
}

#endif  // LM_FLIGHT_EXTENDED_H_
