// extended: the arithmetic in which the descent formulas are evaluated.
//
// Every formula of the descent model works in IEEE 754 double-extended
// arithmetic with a 64-bit significand: its binary64 and integer operands
// enter the format exactly, each operation rounds to nearest, ties to even,
// to 64 significant bits, and the formula's result is rounded once to
// binary64 when it is returned. Evaluating the same formulas in binary64
// step by step, or in a wider format, gives results that differ in the last
// place now and then, and those differences show in the reports; so the
// format is part of the contract, and every platform must use exactly it.
//
// Where the compiler's long double is that format (x87_long_double.h
// decides), it is used; everywhere else, or when LM_SOFT_EXTENDED is
// defined, a software implementation with identical results stands in.
// The formulas see only the names below.

#ifndef LM_MODEL_EXTENDED_H_
#define LM_MODEL_EXTENDED_H_

#include <cstdint>

#include "x87_long_double.h"

#if LM_X87_LONG_DOUBLE && !defined(LM_SOFT_EXTENDED)
#include "native_extended.h"

using extended = native_extended;
inline extended to_extended(double x) {
  return native_from_binary64(x);
}
inline extended to_extended(std::int32_t x) {
  return native_from_int32(x);
}
inline double to_binary64(extended x) {
  return native_to_binary64(x);
}
#else
#include "soft_extended.h"

using extended = soft_extended;
inline extended to_extended(double x) {
  return soft_from_binary64(x);
}
inline extended to_extended(std::int32_t x) {
  return soft_from_int32(x);
}
inline double to_binary64(extended x) {
  return soft_to_binary64(x);
}
#endif

#endif  // LM_MODEL_EXTENDED_H_
