// dialogue_texts: every text the program writes, each written here once.
//
// The prompts and reports compose their output from these, and programs
// that hold the dialogue with the simulator (the autopilot) recognise the
// prompts and read the reports through the same names, so a change to a
// text cannot leave a reader behind. A text that ends in "\n" is written as
// a line; the others are written as they stand, such as the prompts, which
// leave the operator typing on the same line.
//
// Header only: its users need no code of the console.

#ifndef LM_CONSOLE_DIALOGUE_TEXTS_H_
#define LM_CONSOLE_DIALOGUE_TEXTS_H_

#include <string_view>

namespace text {

constexpr std::string_view banner =
    "\n"
    "Welcome aboard the Lunar Module Flight Simulator\n"
    "\n"
    "   To begin you must specify the LM's initial altitude\n"
    "   and fuel level.  To simulate the actual LM use\n"
    "   values of 1300 meters and 500 liters, respectively.\n"
    "\n"
    "   Good luck and may the force be with you!\n"
    "\n";

// The prompts, and the error line each writes before asking again.
constexpr std::string_view altitude_prompt = "Enter the initial altitude of the LM (in meters): ";
constexpr std::string_view altitude_error =
    "ERROR: Altitude must be between 1 and 9999, inclusive, please try again\n";
constexpr std::string_view fuel_prompt =
    "Enter the initial amount of fuel on board the LM (in liters): ";
constexpr std::string_view fuel_error =
    "ERROR: Amount of fuel must be positive, please try again\n";
constexpr std::string_view rate_prompt =
    "\nEnter fuel rate (0-9, 0=freefall, 5=constant velocity, 9=max thrust): ";
constexpr std::string_view rate_error = "ERROR: Fuel rate must be between 0 and 9, inclusive\n";

// The headings above the initial and the touchdown state.
constexpr std::string_view cutoff_heading = "\nLM state at retrorocket cutoff\n";
constexpr std::string_view landing_heading = "\nLM state at landing/impact\n";

// The state report: five lines, each its label, a number and its unit, the
// labels right-aligned on their colons.
constexpr std::string_view time_label = "Elapsed Time: ";
constexpr std::string_view time_unit = " s\n";
constexpr std::string_view fuel_label = "        Fuel: ";
constexpr std::string_view fuel_unit = " l\n";
constexpr std::string_view rate_label = "        Rate: ";
constexpr std::string_view rate_unit = " l/s\n";
constexpr std::string_view altitude_label = "    Altitude: ";
constexpr std::string_view altitude_unit = " m\n";
constexpr std::string_view velocity_label = "    Velocity: ";
constexpr std::string_view velocity_unit = " m/s\n";

// A second of free fall once the fuel is gone, on one line: each label
// followed by its number, then the line's end.
constexpr std::string_view out_of_fuel_time_label = "OUT OF FUEL - Elapsed Time: ";
constexpr std::string_view out_of_fuel_altitude_label = " Altitude: ";
constexpr std::string_view out_of_fuel_velocity_label = " Velocity: ";
constexpr std::string_view out_of_fuel_end = "\n";

// The verdict: the start of its line, then one of three endings.
constexpr std::string_view status_at_landing = "\nStatus at landing - ";
constexpr std::string_view soft_landing = "The eagle has landed!\n";
constexpr std::string_view hard_landing = "Enjoy your oxygen while it lasts!\n";
constexpr std::string_view crash = "Ouch - that hurt!\n";

constexpr std::string_view input_ended =
    "\nERROR: Input ended before touchdown, flight abandoned\n";

// Brief mode (--brief, or LM_SIMULATOR_BRIEF=1): the same flight in a line
// a second, short enough for a screen reader to say in a breath. Scripts
// may rely on these lines as on the others.
//
// The banner leaves the altitude prompt on its line, and the two fit an
// 80-column terminal's line, so that a screen reader reading the line at
// the cursor says both. Every later line starts with brief_line_start, as
// the full dialogue's rate prompt does: at a terminal the answer typed
// ends the prompt's line, and from a file each second still has a line of
// its own. A second with fuel left reads "1183 m -19.44 m/s 440 l. Rate? ",
// one without "8.12 m -60.30 m/s no fuel.", each number as short as it
// goes. What a second says is what the next answer needs, in under 6.5 s
// of speech, so that with the answer's echo a second takes at most 8 s:
// the time, which no answer depends on, is said only at the touchdown,
// and the altitude to the centimetre only below brief_whole_metres_from.
// The units part the figures, where commas or a colon would only add
// pauses.
constexpr std::string_view brief_line_start = "\n";
constexpr std::string_view brief_banner =
    "Real start 1300 m, 500 l. Rate 0 to 9: 0 falls, 5 steady, 9 brakes. ";
constexpr std::string_view brief_altitude_prompt = "Altitude? ";
constexpr std::string_view brief_altitude_error = "Altitude must be 1 to 9999.\n";
constexpr std::string_view brief_fuel_prompt = "Fuel? ";
constexpr std::string_view brief_fuel_error = "Fuel must be 1 or more.\n";
constexpr std::string_view brief_rate_prompt = "Rate? ";
constexpr std::string_view brief_rate_error = "Rate must be 0 to 9.\n";

// What follows each number of a second's line.
constexpr std::string_view brief_altitude_unit = " m ";
constexpr std::string_view brief_velocity_unit = " m/s ";
constexpr std::string_view brief_fuel_unit = " l. ";
constexpr std::string_view brief_no_fuel = "no fuel.";
constexpr double brief_whole_metres_from = 100;

// Before the next line of a second or the touchdown, when answers typed
// ahead have flown seconds unsaid: their count, then this.
constexpr std::string_view brief_typed_ahead = " s flown on answers typed ahead.";

// The touchdown, "Crash at 42 s -61.92 m/s 0 l.": the verdict in plain
// words, then the time, the velocity and the fuel left, as a second's line
// has them. The full dialogue's verdict line follows it.
constexpr std::string_view brief_time_unit = " s ";
constexpr std::string_view brief_soft_landing = "Soft landing at ";
constexpr std::string_view brief_hard_landing = "Hard landing at ";
constexpr std::string_view brief_crash = "Crash at ";
constexpr std::string_view brief_touchdown_fuel_unit = " l.";

constexpr std::string_view brief_input_ended = "\nInput ended, flight abandoned.\n";

// On standard error, once, when output was lost: then the system's reason
// and a newline.
constexpr std::string_view output_lost = "lm_simulator: cannot write to standard output: ";

// On standard error, once, when standard input could not be read: then the
// system's reason and a newline.
constexpr std::string_view input_failed = "lm_simulator: cannot read standard input: ";

// The command line: --help's text; --version's, which the version and a
// newline follow; and the note on standard error for any other argument.
constexpr std::string_view usage =
    "usage: lm_simulator [--brief] [--help | --version]\n"
    "Flies a lunar module's final descent, one second at a time: the answers\n"
    "(the initial altitude, the fuel, then each second's fuel rate) are read\n"
    "from standard input, and the dialogue is written to standard output, as\n"
    "in: lm_simulator < answers.txt\n"
    "--brief, or LM_SIMULATOR_BRIEF=1 in the environment, says each second in\n"
    "one short line, for listening through a screen reader; the option gives\n"
    "brief mode whatever the variable holds.\n"
    "Exit status: 0 the flight reached the surface, 1 the input ended first,\n"
    "2 the output could not all be written, 3 the input could not be read.\n";
constexpr std::string_view version_name = "lm_simulator ";
// Brief mode's option, and the variable that asks for it when set to "1".
constexpr std::string_view brief_option = "--brief";
constexpr const char* brief_variable = "LM_SIMULATOR_BRIEF";
constexpr std::string_view arguments_ignored =
    "lm_simulator: arguments are ignored; the answers are read from standard input\n";

}  // namespace text

#endif  // LM_CONSOLE_DIALOGUE_TEXTS_H_
