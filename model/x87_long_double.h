// x87_long_double: whether the compiler's long double is the x87 extended
// format (a 64-bit significand, rounded by the x87 hardware), decided here
// and nowhere else. The choice of arithmetic (extended.h), the tests that
// compare with the hardware, the vector generator and CMake (which asks
// this header, see model/CMakeLists.txt) all read LM_X87_LONG_DOUBLE.
//
// LDBL_MANT_DIG alone is not enough: other processors have had 64-bit
// significands of their own, with other rounding.

#ifndef LM_MODEL_X87_LONG_DOUBLE_H_
#define LM_MODEL_X87_LONG_DOUBLE_H_

#include <cfloat>

#if LDBL_MANT_DIG == 64 && (defined(__x86_64__) || defined(__i386__))
#define LM_X87_LONG_DOUBLE 1
#else
#define LM_X87_LONG_DOUBLE 0
#endif

#endif  // LM_MODEL_X87_LONG_DOUBLE_H_
