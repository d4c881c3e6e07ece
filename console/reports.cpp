#include "console/console_dialogue.h"
#include "console/report_format.h"

namespace {

// Room for the longest state report: its text and five numbers at most.
constexpr std::size_t state_report_capacity = 128 + 5 * formatted_number_capacity;

}  // namespace

void print_lm_state(console& io, std::int32_t time, double altitude, double velocity,
                    std::int32_t fuel, std::int32_t rate) {
  char* p = output_space(io.out, state_report_capacity);
  p = put_text(p, "Elapsed Time: ");
  p = put_integer(p, time, 4);
  p = put_text(p, " s\n        Fuel: ");
  p = put_integer(p, fuel, 4);
  p = put_text(p, " l\n        Rate: ");
  p = put_integer(p, rate, 4);
  p = put_text(p, " l/s\n    Altitude: ");
  p = put_fixed2(p, altitude, 7);
  p = put_text(p, " m\n    Velocity: ");
  p = put_fixed2(p, velocity, 7);
  p = put_text(p, " m/s\n");
  output_commit(io.out, p);
}

void print_landing_status(console& io, double velocity) {
  write_text(io.out, "\nStatus at landing - ");
  if (velocity >= -1.0) {
    write_text(io.out, "The eagle has landed!\n");
  } else if (velocity >= -10.0) {
    write_text(io.out, "Enjoy your oxygen while it lasts!\n");
  } else {
    write_text(io.out, "Ouch - that hurt!\n");
  }
}
