// The descent model: the lunar module's vertical motion over one second,
// and the figures that shape every flight.
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
// formulas are evaluated in the extended arithmetic of extended.h, with one
// rounding to binary64 per formula.
//
// state_after_second strings the four together for one whole second; the
// flight, the autopilot's look-ahead and the benchmarks all step with it.

#ifndef LM_MODEL_DESCENT_MODEL_H_
#define LM_MODEL_DESCENT_MODEL_H_

#include <cstdint>

// The rate at which the engine's thrust exactly balances gravity: each litre
// per second gives one fifth of the gravity as upward acceleration.
constexpr std::int32_t hover_rate = 5;

// Lunar surface gravity, m/s^2: the binary64 value nearest to 1.62. The
// formulas take the gravity as an argument, so that their tests and the
// descent vectors can try others; every flight passes this one.
constexpr double lunar_gravity = 1.62;

// The answers a flight accepts: the initial altitude in metres (any real
// number in the range), the initial fuel in litres (any positive 32-bit
// integer) and the fuel rate in litres per second.
constexpr double lowest_initial_altitude = 1.0;
constexpr double highest_initial_altitude = 9999.0;
constexpr std::int32_t lowest_initial_fuel = 1;
constexpr std::int32_t lowest_rate = 0;
constexpr std::int32_t highest_rate = 9;

// The start that flies the real module's descent, which the banner suggests:
// 1300 m with 500 l.
constexpr double real_module_altitude = 1300.0;
constexpr std::int32_t real_module_fuel = 500;

// Returns the rate a second actually burns for an answer of `rate` with
// `fuel` litres on board: a rate above the fuel left burns what is left.
// Needs fuel >= 0.
constexpr std::int32_t burnable_rate(std::int32_t rate, std::int32_t fuel) {
  return rate < fuel ? rate : fuel;
}

// The verdict on a touchdown, from the vertical velocity of its last second.
enum class landing_verdict { soft, hard, crash };

// The verdict's limits, m/s: a touchdown at soft_landing_limit or gentler
// (or upward) is soft, one down to hard_landing_limit is hard, and anything
// faster is a crash.
constexpr double soft_landing_limit = -1.0;
constexpr double hard_landing_limit = -10.0;

// Returns the verdict on a touchdown at `velocity` m/s; a velocity that is
// not a number is a crash.
constexpr landing_verdict touchdown_verdict(double velocity) {
  if (velocity >= soft_landing_limit) return landing_verdict::soft;
  if (velocity >= hard_landing_limit) return landing_verdict::hard;
  return landing_verdict::crash;
}

// Everything a flight knows about the module after `time` whole seconds:
// the rate is the one burnt during the last second (0 before the first).
struct flight_state {
  std::int32_t time;
  double altitude;
  double velocity;
  std::int32_t fuel;
  std::int32_t rate;
};

// Returns the state at the start of a flight from `altitude` with `fuel`:
// at rest, no second flown.
constexpr flight_state initial_state(double altitude, std::int32_t fuel) {
  return {0, altitude, 0.0, fuel, 0};
}

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

// Returns the state one second after `s` with the engine burning `rate`
// litres per second under `gravity`: time advances by one, then the four
// formulas above run in their order. Needs 0 <= rate <= s.fuel.
//
// Inline, so that a flight's state stays in registers from one second to the
// next: returned through memory from another unit, the whole state is
// stored field by field and loaded back in wider pieces every second, which
// the processor cannot forward from its stores (a million-second hover then
// takes 15% longer).
inline flight_state state_after_second(const flight_state& s, double gravity, std::int32_t rate) {
  const double acceleration = acceleration_for_rate(gravity, rate);
  return {s.time + 1, altitude_after_second(s.altitude, s.velocity, acceleration),
          velocity_after_second(s.velocity, acceleration), fuel_after_second(s.fuel, rate), rate};
}

#endif  // LM_MODEL_DESCENT_MODEL_H_
