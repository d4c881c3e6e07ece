#include "command_line.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "descent_model.h"
#include "dialogue_texts.h"
#include "number_in_text.h"

namespace {

// The start flown without arguments, the simulator's own suggestion.
constexpr std::string_view default_altitude = "1300";
constexpr std::string_view default_fuel = "500";

// How long each wait for the simulator may last, ms, unless
// LM_AUTOPILOT_TIMEOUT_MS says otherwise (from 1 ms to an hour).
constexpr long default_patience_ms = 10000;
constexpr long longest_patience_ms = 3600000;

constexpr std::string_view usage =
    "usage: lm_autopilot [--plan | --controller] [altitude [fuel]]\n"
    "       lm_autopilot --help | --version\n"
    "Flies lm_simulator (LM_SIMULATOR, else lm_simulator beside this program, else on\n"
    "the PATH) from the altitude and fuel given (1300 m and 500 l by default), each\n"
    "one answer the simulator takes: altitude from 1 to 9999 metres, fuel a positive\n"
    "whole number of litres. It flies the best landing possible from that start,\n"
    "found and proven before the flight; --controller flies its look-ahead controller\n"
    "instead. --plan flies nothing: it writes the best landing's answers one a line,\n"
    "a file for lm_simulator to read, and on standard error\n"
    "\"best: VERDICT FUEL l SECONDS s VELOCITY m/s proven\" (\"gap N\" where the\n"
    "search was cut short). LM_AUTOPILOT_TIMEOUT_MS (default 10000) bounds each\n"
    "wait for the simulator.\n"
    "Exit status: 0 a soft landing, 1 a start that cannot be saved, 2 arguments the\n"
    "simulator refuses, 3 no flight flown or shown.\n";

// The usage tells the numbers defined here and in the model, and the
// defaults are the start the simulator's banner suggests: none may drift.
constexpr long number_of(std::string_view text) {
  return number_after(text, "");
}
static_assert(number_after(usage, "given (") == number_of(default_altitude));
static_assert(number_after(usage, " m and ") == number_of(default_fuel));
static_assert(number_after(text::banner, "values of ") == number_of(default_altitude));
static_assert(number_after(text::banner, " meters and ") == number_of(default_fuel));
static_assert(static_cast<double>(number_after(usage, "altitude from ")) ==
              lowest_initial_altitude);
static_assert(static_cast<double>(number_after(usage, " to ")) == highest_initial_altitude);
static_assert(lowest_initial_fuel == 1, "the usage asks for a positive fuel");
static_assert(number_after(usage, "(default ") == default_patience_ms);
static_assert(number_after(usage, "Exit status: ") == static_cast<int>(autopilot_status::success));
static_assert(number_after(usage, "soft landing, ") ==
              static_cast<int>(autopilot_status::out_of_reach));
static_assert(number_after(usage, "cannot be saved, ") ==
              static_cast<int>(autopilot_status::refused_arguments));
static_assert(number_after(usage, "refuses, ") == static_cast<int>(autopilot_status::no_flight));

// Returns the usage as a failure of the arguments.
failure refused_usage() {
  return {autopilot_status::refused_arguments, std::string(usage)};
}

// Returns the patience LM_AUTOPILOT_TIMEOUT_MS sets (unset or empty: the
// default), or 0 if it is not a whole number of ms in range.
long patience_from_environment() {
  const char* set = std::getenv("LM_AUTOPILOT_TIMEOUT_MS");
  if (set == nullptr || *set == '\0') return default_patience_ms;
  char* end = nullptr;
  errno = 0;
  const long ms = std::strtol(set, &end, 10);
  const bool whole = *set >= '0' && *set <= '9' && *end == '\0' && errno == 0;
  return whole && ms >= 1 && ms <= longest_patience_ms ? ms : 0;
}

}  // namespace

bool answered_option(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help") {
      std::fwrite(usage.data(), 1, usage.size(), stdout);
      return true;
    }
    if (argument == "--version") {
      std::fputs("lm_autopilot " LM_VERSION "\n", stdout);
      return true;
    }
  }
  return false;
}

flight_request read_command_line(int argc, char** argv) {
  flight_request request{std::nullopt,
                         autopilot_mode::best,
                         {std::string(default_altitude), std::string(default_fuel)},
                         default_patience_ms};
  // The mode comes first, if given; the answers follow.
  int first = 1;
  if (argc > 1 && argv[1] == std::string_view("--plan")) request.mode = autopilot_mode::plan;
  if (argc > 1 && argv[1] == std::string_view("--controller")) {
    request.mode = autopilot_mode::controller;
  }
  if (request.mode != autopilot_mode::best) ++first;
  argc -= first - 1;
  argv += first - 1;
  // More than two answers, or one empty or holding white space, would be
  // no answer or several.
  if (argc > 3) request.failed = refused_usage();
  for (int i = 1; i < argc && !request.failed; ++i) {
    const std::string_view argument = argv[i];
    if (argument.empty() || argument.find_first_of(" \t\n\r\v\f") != std::string_view::npos) {
      request.failed = refused_usage();
    }
  }
  if (request.failed) return request;
  if (argc > 1) request.order.altitude = argv[1];
  if (argc > 2) request.order.fuel = argv[2];
  request.patience = patience_from_environment();
  if (request.patience == 0) {
    request.failed = failure_of(autopilot_status::refused_arguments,
                                "LM_AUTOPILOT_TIMEOUT_MS must be a whole number of milliseconds "
                                "from 1 to " +
                                    std::to_string(longest_patience_ms));
  }
  return request;
}
