// prompts: the three questions a flight asks the operator.
//
// Each writes its prompt, reads one number, and on an unacceptable answer
// writes its error line and asks again, with no limit on the attempts. A
// prompt returns no value only when the input ends before it has an
// acceptable one; the caller then ends the flight with print_input_ended.
// The output is flushed before each read, so a prompt is always visible
// before the program waits. Each asks in the full dialogue's words or in
// brief mode's, with the same rules; without a wording, in the full
// dialogue's, which a flight asks once a second and so costs no choice.

#ifndef LM_CONSOLE_PROMPTS_H_
#define LM_CONSOLE_PROMPTS_H_

#include <cstdint>
#include <optional>

#include "console_io.h"

// The words a prompt uses: the full dialogue's, or brief mode's.
enum class wording { full, brief };

// Returns an altitude in metres, 1 <= altitude <= 9999, or nothing at the
// end of the input.
std::optional<double> prompt_initial_altitude(console& io);
std::optional<double> prompt_initial_altitude(console& io, wording words);

// Returns a fuel load in litres, greater than 0, or nothing at the end of
// the input.
std::optional<std::int32_t> prompt_initial_fuel(console& io);
std::optional<std::int32_t> prompt_initial_fuel(console& io, wording words);

// Returns the fuel rate asked for the coming second, from 0 to 9, or
// nothing at the end of the input. What the second can burn of it is the
// model's burnable_rate.
std::optional<std::int32_t> prompt_fuel_rate(console& io);
std::optional<std::int32_t> prompt_fuel_rate(console& io, wording words);

// Returns the next answer, taken without a prompt, when it is already
// waiting whole in the input buffer (white space after it) and is a fuel
// rate prompt_fuel_rate takes; otherwise nothing, and the input is left as
// it was. Never reads the input.
std::optional<std::int32_t> typed_ahead_rate(console& io);

#endif  // LM_CONSOLE_PROMPTS_H_
