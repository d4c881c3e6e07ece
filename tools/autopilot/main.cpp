// lm_autopilot: flies lm_simulator by itself, the way a person at the
// terminal would.
//
//   lm_autopilot [--plan | --controller] [altitude [fuel]]
//                                      (defaults: 1300 m and 500 l)
//   lm_autopilot --help | --version
//
// It starts the simulator as a child over two pipes, waits for each prompt,
// answers it, and echoes the whole dialogue with its answers to standard
// output as a terminal would show it. The fuel rates are the best landing
// possible from the start the simulator took, found and proven by the
// planner at the first rate prompt (planned_rates). --controller flies a
// controller instead that reads each state report and looks ahead: it lets
// the module fall as long as braking can still bring it down at under a
// metre per second, then brakes.
//
// --plan starts no simulator: it reads the altitude and fuel as the
// simulator would (typed_start), and writes the best landing's answers to
// standard output, a file that lm_simulator flies, and its summary line
// (plan_report.h) to standard error; it exits as a flight would, 0 for a
// soft landing and 1 for another.
//
// The altitude and fuel are typed as given, and the simulator alone judges
// them, so the autopilot takes exactly the answers the simulator takes: an
// argument the simulator refuses (or takes only in part, as "5abc") ends the
// flight at once with the simulator's error line on standard error.
//
// It trusts nothing else the simulator does. Every wait (for a prompt, for
// an answer to be taken, for the simulator's exit) ends after
// LM_AUTOPILOT_TIMEOUT_MS milliseconds (10 s by default) of the
// autopilot's own running time, so that time spent stopped (^Z) does not
// count; at most longest_screen bytes are kept between two answers; each
// prompt must come in its turn, and every state report, out-of-fuel line
// and touchdown report must be the state the model makes of the line before
// and the rate answered, and the verdict the model's for the touchdown
// velocity reported, or the flight ends with one line on standard error
// saying what went wrong. A simulator that
// has exited is judged by its exit status and what it wrote, even while
// another process holds its pipes open.
//
// The simulator is LM_SIMULATOR if that is set and not empty; or else, when
// this program was started by a path, lm_simulator in the same directory if
// it is there; or else lm_simulator on the PATH.
// Exit status: 0 after a soft landing; 1 after a hard one or a crash (with a
// line saying that the start could not be saved); 2 for arguments the
// simulator refuses, or more than two, or an unusable
// LM_AUTOPILOT_TIMEOUT_MS; 3 if the flight could not be flown or shown: the
// simulator could not be run, stopped answering, did not finish the flight,
// refused a fuel rate or wrote something the autopilot cannot read or
// believe, or standard output failed. --help and --version exit with 0.
//
// Its rooms: command_line (arguments, environment, usage); control_law
// and planned_rates (the rates); typed_start (the start for --plan); screen_reading and
// flight_check (the screens read and believed, pure); deadline and simulator_process (the child and
// every wait for it); dialogue (the two held together, echoed); and here, the wiring and the one
// place a run's end becomes its exit status.

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>

#include "autopilot_status.h"
#include "command_line.h"
#include "control_law.h"
#include "dialogue.h"
#include "flight_check.h"
#include "plan_report.h"
#include "planned_rates.h"
#include "posix_streams.h"
#include "simulator_process.h"
#include "typed_start.h"

namespace {

// Says the failure on standard error; returns its exit status.
int ended_by(const failure& f) {
  std::fputs(f.said.c_str(), stderr);
  return static_cast<int>(f.status);
}

// Returns the exit status for the verdict on a flight from `order`, after
// saying when the start was out of reach.
int ended_with(landing_verdict verdict, const flight_order& order) {
  if (verdict == landing_verdict::soft) return static_cast<int>(autopilot_status::success);
  const std::string out_of_reach = "Autopilot: a soft landing from " + order.altitude + " m with " +
                                   order.fuel + " l of fuel was out of reach.\n";
  if (maybe_failure failed = echo(out_of_reach)) return ended_by(*failed);
  return static_cast<int>(autopilot_status::out_of_reach);
}

// Writes the best landing from the start `order` types, its answers on
// standard output and its summary on standard error; returns the exit
// status.
int write_plan(const flight_order& order) {
  const typed_start start = read_typed_start(order);
  if (start.failed) return ended_by(*start.failed);
  const best_landing best = find_best_landing(start.altitude, start.fuel, planning_time);
  if (maybe_failure failed = echo(plan_answers(order.altitude, order.fuel, best))) {
    return ended_by(*failed);
  }
  const std::string summary = plan_summary(best);
  // Standard error failing, nothing is left to say it on: the status does.
  if (write_all(STDERR_FILENO, summary.data(), summary.size()) != 0) {
    return static_cast<int>(autopilot_status::no_flight);
  }
  return static_cast<int>(best.result.verdict == landing_verdict::soft
                              ? autopilot_status::success
                              : autopilot_status::out_of_reach);
}

}  // namespace

int main(int argc, char** argv) {
  if (answered_option(argc, argv)) {
    return static_cast<int>(std::fflush(stdout) == 0 ? autopilot_status::success
                                                     : autopilot_status::no_flight);
  }
  const flight_request request = read_command_line(argc, argv);
  if (request.failed) return ended_by(*request.failed);
  if (request.mode == autopilot_mode::plan) return write_plan(request.order);
  // A simulator gone early shows as a failed write to it, not as a signal;
  // its exit is waited for, even where this program was started with
  // SIGCHLD ignored.
  signal(SIGPIPE, SIG_IGN);
  signal(SIGCHLD, SIG_DFL);
  simulator sim{};
  if (maybe_failure failed = start_simulator(argc > 0 ? argv[0] : nullptr, sim)) {
    return ended_by(*failed);
  }
  flight_check check = start_check(request.order);
  const rate_source rates = request.mode == autopilot_mode::controller
                                ? rate_source(controller_rate)
                                : best_landing_rates(planning_time);
  const dialogue_end d = hold_dialogue(sim, check, rates, request.patience);
  const bool exited_alone = finish_simulator(sim, d.failed.has_value(), request.patience);
  const landing flown = judge_flight(d, check, sim, exited_alone, request.patience);
  if (flown.failed) return ended_by(*flown.failed);
  return ended_with(flown.verdict, request.order);
}
