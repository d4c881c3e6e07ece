// console_dialogue: the operator's side of the console.
//
// Three prompts read and validate a number: the initial altitude, the
// initial fuel and, each powered second, the fuel rate. Each writes its
// prompt, reads one number, and on an unacceptable answer writes its error
// line and asks again, with no limit on the attempts. A prompt returns no
// value only when the input ends before it has an acceptable one; the
// caller then ends the flight with print_input_ended.
//
// Two reports show the lunar module's state and the verdict at touchdown.
// Everything goes to the console's output buffer, which is flushed before
// each read, so a prompt is always visible before the program waits.

#ifndef LM_CONSOLE_CONSOLE_DIALOGUE_H_
#define LM_CONSOLE_CONSOLE_DIALOGUE_H_

#include <cstdint>
#include <optional>

#include "console/console_io.h"

// Returns an altitude in metres, 1 <= altitude <= 9999, or nothing at the
// end of the input.
std::optional<double> prompt_initial_altitude(console& io);

// Returns a fuel load in litres, greater than 0, or nothing at the end of
// the input.
std::optional<std::int32_t> prompt_initial_fuel(console& io);

// Returns the fuel rate for the coming second, from 0 to the lesser of 9
// and `fuel`, or nothing at the end of the input. A rate above the fuel on
// board is silently lowered to it. Needs fuel > 0.
std::optional<std::int32_t> prompt_fuel_rate(console& io, std::int32_t fuel);

// Writes the five-line state report: time, fuel, rate, altitude, velocity.
void print_lm_state(console& io, std::int32_t time, double altitude, double velocity,
                    std::int32_t fuel, std::int32_t rate);

// Writes the verdict for the touchdown velocity: a landing at -1 m/s or
// gentler, a hard landing down to -10 m/s, a crash below that.
void print_landing_status(console& io, double velocity);

// Ends the line of the prompt that was waiting and says that the flight is
// abandoned because the input ended.
void print_input_ended(console& io);

#endif  // LM_CONSOLE_CONSOLE_DIALOGUE_H_
