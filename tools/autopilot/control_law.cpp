#include "control_law.h"

#include <cstddef>
#include <utility>

namespace {

// The controller aims to reach the surface no faster than this, m/s ...
constexpr double hold_speed = 0.5;

// ... and judges a touchdown safe when it would still be a soft landing this
// much faster, a margin for the reports' rounding.
constexpr double touchdown_margin = 0.1;

// Returns the highest rate the fuel on board allows.
std::int32_t most_rate(const flight_state& s) {
  return burnable_rate(highest_rate, s.fuel);
}

flight_state after_second(const flight_state& s, std::int32_t rate) {
  return state_after_second(s, lunar_gravity, rate);
}

// Returns the lowest rate that leaves the module sinking no faster than
// hold_speed after a second, or the highest the fuel allows.
std::int32_t braking_rate(const flight_state& s) {
  const std::int32_t most = most_rate(s);
  for (std::int32_t rate = lowest_rate; rate < most; ++rate) {
    if (after_second(s, rate).velocity >= -hold_speed) return rate;
  }
  return most;
}

// Returns whether braking from this state on still reaches the surface
// safely: slowed to hold_speed above the ground with fuel left to hover, or
// touching down softly with touchdown_margin to spare.
bool can_still_land(flight_state s) {
  while (s.altitude > 0) {
    if (s.velocity >= -hold_speed && s.fuel > 0) return true;
    s = after_second(s, braking_rate(s));
  }
  return touchdown_verdict(s.velocity - touchdown_margin) == landing_verdict::soft;
}

}  // namespace

std::int32_t controller_rate(const flight_state& s) {
  const std::int32_t most = most_rate(s);
  for (std::int32_t rate = lowest_rate; rate <= most; ++rate) {
    if (can_still_land(after_second(s, rate))) return rate;
  }
  return braking_rate(s);
}

rate_source rates_in_order(std::vector<std::int32_t> rates) {
  return [rates = std::move(rates), next = std::size_t{0}](const flight_state&) mutable {
    return next < rates.size() ? rates[next++] : lowest_rate;
  };
}
