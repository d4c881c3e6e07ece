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

}  // namespace expected

#endif  // LM_TESTS_EXPECTED_TEXTS_H_
