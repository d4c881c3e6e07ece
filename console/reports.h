// reports: everything a flight writes that is not a question: the banner,
// the headings, the state report, the out-of-fuel line, the verdict, and
// the notice that the input ended. All of it goes to the console's output
// buffer, composed in place from the texts of dialogue_texts.h.

#ifndef LM_CONSOLE_REPORTS_H_
#define LM_CONSOLE_REPORTS_H_

#include <cstdint>

#include "console_io.h"
#include "descent_model.h"

// Writes the welcome banner that opens every flight.
void print_banner(console& io);

// Writes the heading above the state at the start of the flight.
void print_cutoff_heading(console& io);

// Writes the heading above the state at touchdown.
void print_landing_heading(console& io);

// Writes the five-line state report: time, fuel, rate, altitude, velocity.
void print_lm_state(console& io, std::int32_t time, double altitude, double velocity,
                    std::int32_t fuel, std::int32_t rate);

// Writes the line that reports a second of free fall once the fuel is gone.
void print_out_of_fuel(console& io, std::int32_t time, double altitude, double velocity);

// Writes the line that gives the verdict on the touchdown.
void print_landing_status(console& io, landing_verdict verdict);

// Ends the line of the prompt that was waiting and says that the flight is
// abandoned because the input ended.
void print_input_ended(console& io);

#endif  // LM_CONSOLE_REPORTS_H_
