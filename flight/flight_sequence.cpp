#include "flight/flight_sequence.h"

#include <cstdint>

#include "console/console_dialogue.h"
#include "console/report_format.h"
#include "flight/descent_model.h"

namespace {

constexpr const char banner[] =
    "\n"
    "Welcome aboard the Lunar Module Flight Simulator\n"
    "\n"
    "   To begin you must specify the LM's initial altitude\n"
    "   and fuel level.  To simulate the actual LM use\n"
    "   values of 1300 meters and 500 liters, respectively.\n"
    "\n"
    "   Good luck and may the force be with you!\n"
    "\n";

// Room for the out-of-fuel line: its text and three numbers at most.
constexpr std::size_t out_of_fuel_capacity = 64 + 3 * formatted_number_capacity;

int abandon(console& io) {
  print_input_ended(io);
  return 1;
}

}  // namespace

void print_out_of_fuel(console& io, std::int32_t time, double altitude, double velocity) {
  char* p = output_space(io.out, out_of_fuel_capacity);
  p = put_text(p, "OUT OF FUEL - Elapsed Time: ");
  p = put_integer(p, time, 3);
  p = put_text(p, " Altitude: ");
  p = put_fixed2(p, altitude, 7);
  p = put_text(p, " Velocity: ");
  p = put_fixed2(p, velocity, 7);
  p = put_text(p, "\n");
  output_commit(io.out, p);
}

int fly(console& io) {
  const double lunar_gravity = 1.62;

  write_text(io.out, banner);
  const std::optional<double> initial_altitude = prompt_initial_altitude(io);
  if (!initial_altitude) return abandon(io);
  const std::optional<std::int32_t> initial_fuel = prompt_initial_fuel(io);
  if (!initial_fuel) return abandon(io);
  write_text(io.out, "\nLM state at retrorocket cutoff\n");

  std::int32_t time = 0;
  double altitude = *initial_altitude;
  double velocity = 0.0;
  std::int32_t fuel = *initial_fuel;
  std::int32_t rate = 0;

  while (altitude > 0.0) {
    if (fuel > 0) {
      print_lm_state(io, time, altitude, velocity, fuel, rate);
      const std::optional<std::int32_t> answer = prompt_fuel_rate(io, fuel);
      if (!answer) return abandon(io);
      rate = *answer;
    } else {
      rate = 0;
      print_out_of_fuel(io, time, altitude, velocity);
    }
    time = time + 1;
    const double acceleration = acceleration_for_rate(lunar_gravity, rate);
    altitude = altitude_after_second(altitude, velocity, acceleration);
    velocity = velocity_after_second(velocity, acceleration);
    fuel = fuel_after_second(fuel, rate);
  }

  write_text(io.out, "\nLM state at landing/impact\n");
  print_lm_state(io, time, altitude, velocity, fuel, rate);
  print_landing_status(io, velocity);
  return 0;
}
