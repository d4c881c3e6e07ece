// expected_texts: the program's own texts as the tests expect them, written
// here once, independently of the code that writes them.

#ifndef LM_TESTS_EXPECTED_TEXTS_H_
#define LM_TESTS_EXPECTED_TEXTS_H_

#include <string>

namespace expected {

const std::string banner =
    "\n"
    "Welcome aboard the Lunar Module Flight Simulator\n"
    "\n"
    "   To begin you must specify the LM's initial altitude\n"
    "   and fuel level.  To simulate the actual LM use\n"
    "   values of 1300 meters and 500 liters, respectively.\n"
    "\n"
    "   Good luck and may the force be with you!\n"
    "\n";
const std::string altitude_prompt = "Enter the initial altitude of the LM (in meters): ";
const std::string altitude_error =
    "ERROR: Altitude must be between 1 and 9999, inclusive, please try again\n";
const std::string fuel_prompt = "Enter the initial amount of fuel on board the LM (in liters): ";
const std::string fuel_error = "ERROR: Amount of fuel must be positive, please try again\n";
const std::string rate_prompt =
    "\nEnter fuel rate (0-9, 0=freefall, 5=constant velocity, 9=max thrust): ";
const std::string rate_error = "ERROR: Fuel rate must be between 0 and 9, inclusive\n";
const std::string cutoff_heading = "\nLM state at retrorocket cutoff\n";
const std::string landed = "\nStatus at landing - The eagle has landed!\n";
const std::string hard_landing = "\nStatus at landing - Enjoy your oxygen while it lasts!\n";
const std::string crashed = "\nStatus at landing - Ouch - that hurt!\n";
const std::string abandoned = "\nERROR: Input ended before touchdown, flight abandoned\n";
const std::string output_lost = "lm_simulator: cannot write to standard output: ";
const std::string input_failed = "lm_simulator: cannot read standard input: ";
const std::string brief_banner =
    "Real start 1300 m, 500 l. Rate 0 to 9: 0 falls, 5 steady, 9 brakes. ";
const std::string arguments_ignored =
    "lm_simulator: arguments are ignored; the answers are read from standard input\n";

// Returns the five lines of a state report with these numbers, each as
// written in its field.
inline std::string state_report(const std::string& time, const std::string& fuel,
                                const std::string& rate, const std::string& altitude,
                                const std::string& velocity) {
  return "Elapsed Time: " + time + " s\n        Fuel: " + fuel + " l\n        Rate: " + rate +
         " l/s\n    Altitude: " + altitude + " m\n    Velocity: " + velocity + " m/s\n";
}

const std::string simulator_usage = "usage: lm_simulator [--brief] [--help | --version]\n";

// The autopilot's: the first line of its usage, the line after a start it
// could not save, and the lines it ends a run with on standard error.
const std::string autopilot_usage =
    "usage: lm_autopilot [--plan | --controller] [altitude [fuel]]\n";
const std::string out_of_reach = " l of fuel was out of reach.\n";
const std::string autopilot_bad_timeout = "lm_autopilot: LM_AUTOPILOT_TIMEOUT_MS must be";
const std::string autopilot_cannot_run = "lm_autopilot: cannot run";
const std::string autopilot_output_failed = "lm_autopilot: cannot write to standard output";
const std::string unfinished = "lm_autopilot: the simulator did not finish the flight\n";
const std::string impossible = "lm_autopilot: the simulator reported an impossible ";
const std::string unreadable_report =
    "lm_autopilot: cannot read the state report above the prompt\n";
const std::string no_exit = "lm_autopilot: the simulator ended its output but did not exit in ";
const std::string no_prompt = "lm_autopilot: no prompt from the simulator in ";
const std::string out_of_turn = "lm_autopilot: the simulator asked for the altitude out of turn\n";
const std::string answer_not_taken = "lm_autopilot: the simulator did not take an answer in ";

// Returns the autopilot's line for an `answer` to the prompt for `name`
// that the simulator refused with `error`, without the line's end.
inline std::string not_taken(const std::string& answer, const std::string& name,
                             const std::string& error) {
  return "lm_autopilot: the simulator did not take \"" + answer + "\" as the " + name +
         "; it wrote: " + error.substr(0, error.size() - 1);
}

// Returns the line of `lm_autopilot --plan` for an `answer` to the prompt
// for `name` that the simulator would refuse with `error`.
inline std::string not_planned(const std::string& answer, const std::string& name,
                               const std::string& error) {
  return "lm_autopilot: the simulator would not take \"" + answer + "\" as the " + name +
         "; it would write: " + error;
}

}  // namespace expected

#endif  // LM_TESTS_EXPECTED_TEXTS_H_
