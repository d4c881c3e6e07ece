// The descent model: the lunar module's vertical motion over one second.
//
// Four formulas, each a pure function of its arguments. The time step is one
// second and is built into every formula. Within a simulated second the
// flight calls them in this order, keeping each result as the new quantity:
//   acceleration = acceleration_for_rate(gravity, rate)
//   altitude     = altitude_after_second(altitude, velocity, acceleration)
//   velocity     = velocity_after_second(velocity, acceleration)
//   fuel         = fuel_after_second(fuel, rate)
// The altitude must be computed from the velocity at the start of the second,
// so it comes before the velocity is replaced.
//
// Units: metres, metres per second and metres per second squared, positive
// upward; fuel in litres and rates in litres per second. The binary64
// formulas are evaluated in the extended arithmetic of flight/extended.h,
// with one rounding to binary64 per formula.

#ifndef LM_FLIGHT_DESCENT_MODEL_H_
#define LM_FLIGHT_DESCENT_MODEL_H_

#include <cstdint>

// The rate at which the engine's thrust exactly balances gravity: each litre
// per second gives one fifth of the gravity as upward acceleration.
constexpr std::int32_t hover_rate = 5;

// Returns the vertical acceleration (rate / 5 - 1) * gravity for a second
// burning `rate` litres per second: -gravity at 0, zero at 5.
double acceleration_for_rate(double gravity, std::int32_t rate);

// Returns altitude + velocity + acceleration / 2, the height after one second
// of constant acceleration, with the surface as a floor: a result below zero
// is +0.
double altitude_after_second(double altitude, double velocity, double acceleration);

// Returns velocity + acceleration. It is not adjusted when the second ends on
// the surface: that full-second value is the touchdown velocity.
double velocity_after_second(double velocity, double acceleration);

// Returns fuel - rate. Needs rate <= fuel, so the result is never negative.
std::int32_t fuel_after_second(std::int32_t fuel, std::int32_t rate);

#endif  // LM_FLIGHT_DESCENT_MODEL_H_
