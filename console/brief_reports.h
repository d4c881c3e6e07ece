// brief_reports: what brief mode writes that is not a question: the banner,
// a second's line, the count of seconds flown on answers typed ahead, the
// touchdown and the notice that the input ended. Each is a line (begun with
// text::brief_line_start after the banner), composed in place from the
// texts of dialogue_texts.h, its numbers as short as they go ("%d", "%.0f"
// and "%.2f"), by the full dialogue's number writers.

#ifndef LM_CONSOLE_BRIEF_REPORTS_H_
#define LM_CONSOLE_BRIEF_REPORTS_H_

#include <cstdint>

#include "console_io.h"
#include "descent_model.h"

// Writes the one-line banner that opens a brief flight.
void print_brief_banner(console& io);

// Writes the start of a second's line: "1183 m -19.44 m/s ", or below
// 100 m "87.36 m -9.44 m/s "; the fuel follows, by print_brief_fuel_left
// or print_brief_no_fuel.
void print_brief_second(console& io, const flight_state& s);

// Ends a second's line with the fuel left, "440 l. ", for the rate prompt
// to follow on the same line.
void print_brief_fuel_left(console& io, std::int32_t fuel);

// Ends a second's line with "no fuel.".
void print_brief_no_fuel(console& io);

// Writes the line that says `seconds` were flown on answers typed ahead.
void print_brief_typed_ahead(console& io, std::int32_t seconds);

// Writes the touchdown's line, the verdict in plain words and the time,
// velocity and fuel of `s`, then the full dialogue's verdict line.
void print_brief_touchdown(console& io, const flight_state& s, landing_verdict verdict);

// Ends the line of the prompt that was waiting and says that the flight is
// abandoned because the input ended.
void print_brief_input_ended(console& io);

#endif  // LM_CONSOLE_BRIEF_REPORTS_H_
