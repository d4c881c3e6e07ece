// prompts: the three questions a flight asks the operator.
//
// Each writes its prompt, reads one number, and on an unacceptable answer
// writes its error line and asks again, with no limit on the attempts. A
// prompt returns no value only when the input ends before it has an
// acceptable one; the caller then ends the flight with print_input_ended.
// The output is flushed before each read, so a prompt is always visible
// before the program waits.

#ifndef LM_CONSOLE_PROMPTS_H_
#define LM_CONSOLE_PROMPTS_H_

#include <cstdint>
#include <optional>

#include "console_io.h"

// Returns an altitude in metres, 1 <= altitude <= 9999, or nothing at the
// end of the input.
std::optional<double> prompt_initial_altitude(console& io);

// Returns a fuel load in litres, greater than 0, or nothing at the end of
// the input.
std::optional<std::int32_t> prompt_initial_fuel(console& io);

// Returns the fuel rate asked for the coming second, from 0 to 9, or
// nothing at the end of the input. What the second can burn of it is the
// model's burnable_rate.
std::optional<std::int32_t> prompt_fuel_rate(console& io);

#endif  // LM_CONSOLE_PROMPTS_H_
