#include "flight_sequence.h"

#include <cstdint>

#include "console_dialogue.h"
#include "descent_model.h"

namespace {

int abandon(console& io) {
  print_input_ended(io);
  return input_ended_status;
}

}  // namespace

int fly(console& io) {
  print_banner(io);
  const std::optional<double> initial_altitude = prompt_initial_altitude(io);
  if (!initial_altitude) return abandon(io);
  const std::optional<std::int32_t> initial_fuel = prompt_initial_fuel(io);
  if (!initial_fuel) return abandon(io);
  print_cutoff_heading(io);

  const rate_accelerations accelerations = accelerations_for(lunar_gravity);
  flight_state s = initial_state(*initial_altitude, *initial_fuel);
  while (s.altitude > 0.0) {
    std::int32_t rate = 0;
    if (s.fuel > 0) {
      print_lm_state(io, s.time, s.altitude, s.velocity, s.fuel, s.rate);
      const std::optional<std::int32_t> answer = prompt_fuel_rate(io);
      if (!answer) return abandon(io);
      rate = burnable_rate(*answer, s.fuel);
    } else {
      print_out_of_fuel(io, s.time, s.altitude, s.velocity);
    }
    s = state_after_second(s, accelerations, rate);
  }

  print_landing_heading(io);
  print_lm_state(io, s.time, s.altitude, s.velocity, s.fuel, s.rate);
  print_landing_status(io, touchdown_verdict(s.velocity));
  return flown_status;
}
