#include "typed_start.h"

#include <cstdio>
#include <memory>
#include <string>

#include "console_io.h"
#include "descent_model.h"
#include "dialogue_texts.h"
#include "number_reader.h"

namespace {

// A console reading `typed` and a newline from a temporary file, as the
// simulator reads a file of answers; closed when it goes.
struct typed_console {
  std::unique_ptr<console> io = std::make_unique<console>();
  std::FILE* file = std::tmpfile();

  explicit typed_console(const std::string& typed) {
    const std::string line = typed + '\n';
    const bool written = file != nullptr &&
                         std::fwrite(line.data(), 1, line.size(), file) == line.size() &&
                         std::fflush(file) == 0 && std::fseek(file, 0, SEEK_SET) == 0;
    ready = written;
    console_open(*io, written ? fileno(file) : -1, -1);
  }
  bool ready;  // whether the file holds the answer
  ~typed_console() {
    if (file != nullptr) std::fclose(file);
  }
  typed_console(const typed_console&) = delete;
  typed_console& operator=(const typed_console&) = delete;
};

// Returns whether nothing but white space is left to read.
bool nothing_left(console& io) {
  return read_integer(io).status == read_status::end_of_input;
}

// Returns the refusal of `typed` as the answer called `name`, with the
// simulator's `error` line.
failure not_taken(const std::string& typed, const char* name, std::string_view error) {
  return failure_of(autopilot_status::refused_arguments,
                    "the simulator would not take \"" + typed + "\" as the " + name +
                        "; it would write: " + std::string(error.substr(0, error.size() - 1)));
}

}  // namespace

typed_start read_typed_start(const flight_order& order) {
  typed_start start{std::nullopt, 0, 0};
  typed_console altitude(order.altitude);
  typed_console fuel(order.fuel);
  if (!altitude.ready || !fuel.ready) {
    start.failed = no_flight("cannot read the arguments: no temporary file to read them from");
    return start;
  }
  const real_answer a = read_real(*altitude.io);
  // What follows a number in the same answer the next prompt reads: the
  // fuel's, or the first rate's.
  if (a.status != read_status::number || !(a.value >= lowest_initial_altitude) ||
      !(a.value <= highest_initial_altitude)) {
    start.failed = not_taken(order.altitude, "altitude", text::altitude_error);
  } else if (!nothing_left(*altitude.io)) {
    start.failed = not_taken(order.altitude, "altitude", text::fuel_error);
  }
  if (start.failed) return start;
  const integer_answer f = read_integer(*fuel.io);
  if (f.status != read_status::number || f.value < lowest_initial_fuel) {
    start.failed = not_taken(order.fuel, "fuel", text::fuel_error);
  } else if (!nothing_left(*fuel.io)) {
    start.failed = not_taken(order.fuel, "fuel", text::rate_error);
  }
  start.altitude = a.value;
  start.fuel = f.value;
  return start;
}
