#include "console/console_dialogue.h"
#include "console/report_format.h"

void print_lm_state(console& io, std::int32_t time, double altitude, double velocity,
                    std::int32_t fuel, std::int32_t rate) {
  output_buffer& out = io.out;
  write_text(out, "Elapsed Time: ");
  write_integer(out, time, 4);
  write_text(out, " s\n        Fuel: ");
  write_integer(out, fuel, 4);
  write_text(out, " l\n        Rate: ");
  write_integer(out, rate, 4);
  write_text(out, " l/s\n    Altitude: ");
  write_fixed2(out, altitude, 7);
  write_text(out, " m\n    Velocity: ");
  write_fixed2(out, velocity, 7);
  write_text(out, " m/s\n");
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
