#include "console/console_dialogue.h"
#include "console/number_reader.h"

std::optional<double> prompt_initial_altitude(console& io) {
  for (;;) {
    write_text(io.out, "Enter the initial altitude of the LM (in meters): ");
    const real_answer answer = read_real(io);
    if (answer.status == read_status::end_of_input) return std::nullopt;
    if (answer.status == read_status::number && answer.value >= 1.0 && answer.value <= 9999.0) {
      return answer.value;
    }
    write_text(io.out, "ERROR: Altitude must be between 1 and 9999, inclusive, please try again\n");
  }
}

std::optional<std::int32_t> prompt_initial_fuel(console& io) {
  for (;;) {
    write_text(io.out, "Enter the initial amount of fuel on board the LM (in liters): ");
    const integer_answer answer = read_integer(io);
    if (answer.status == read_status::end_of_input) return std::nullopt;
    if (answer.status == read_status::number && answer.value > 0) return answer.value;
    write_text(io.out, "ERROR: Amount of fuel must be positive, please try again\n");
  }
}

std::optional<std::int32_t> prompt_fuel_rate(console& io, std::int32_t fuel) {
  for (;;) {
    write_text(io.out, "\nEnter fuel rate (0-9, 0=freefall, 5=constant velocity, 9=max thrust): ");
    const integer_answer answer = read_integer(io);
    if (answer.status == read_status::end_of_input) return std::nullopt;
    if (answer.status == read_status::number && answer.value >= 0 && answer.value <= 9) {
      return answer.value < fuel ? answer.value : fuel;
    }
    write_text(io.out, "ERROR: Fuel rate must be between 0 and 9, inclusive\n");
  }
}

void print_input_ended(console& io) {
  write_text(io.out, "\nERROR: Input ended before touchdown, flight abandoned\n");
}
