// command_line: what the autopilot is asked to do, from its arguments and
// environment.
//
//   lm_autopilot [--plan | --controller] [altitude [fuel]]
//                                      (defaults: 1300 m and 500 l)
//   lm_autopilot --help | --version
//
// The altitude and fuel are typed as given, and the simulator alone judges
// them. LM_AUTOPILOT_TIMEOUT_MS bounds each wait for the simulator.

#ifndef LM_TOOLS_AUTOPILOT_COMMAND_LINE_H_
#define LM_TOOLS_AUTOPILOT_COMMAND_LINE_H_

#include <string_view>

#include "autopilot_status.h"
#include "flight_check.h"

// Returns whether --help or --version is among the arguments, after
// answering the first of them on standard output.
bool answered_option(int argc, char** argv);

// What is asked: to fly the best landing, to write it (--plan), or to fly
// the look-ahead controller (--controller).
enum class autopilot_mode { best, plan, controller };

// What the command line asks for: the first answers and the patience of
// each wait, ms; or the failure, the usage said.
struct flight_request {
  maybe_failure failed;
  autopilot_mode mode;
  flight_order order;
  long patience;
};

// Returns the request of the arguments and of LM_AUTOPILOT_TIMEOUT_MS
// (unset or empty: the default).
flight_request read_command_line(int argc, char** argv);

#endif  // LM_TOOLS_AUTOPILOT_COMMAND_LINE_H_
