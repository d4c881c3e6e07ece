// lm_simulator: a lunar module's final descent, flown at the terminal or by
// a script over standard input and output. Arguments and the environment are
// not read.

#include <cstdlib>

#include "console_io.h"
#include "flight_sequence.h"
#include "platform_io.h"

int main() {
  // The buffers are too large for a comfortable stack frame in every
  // environment, and must not be allocated during a flight.
  static console io;
  platform_prepare_streams();
  console_open(io, platform_input_fd, platform_output_fd);
  const int flight_status = fly(io);
  const int output_status = finish_output(io.out);
  const int status = output_status != 0 ? output_status : flight_status;
  // exit() rather than a return: in a web page the flight's loop is resumed
  // by the page after each awaited read, and only exit() tells the page that
  // the program has ended. Everywhere else the two are the same.
  std::exit(status);
}
