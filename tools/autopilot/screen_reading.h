// screen_reading: what the simulator's screen says, read through the texts
// it writes (dialogue_texts.h): the prompt it waits at, an answer it
// refused, and the numbers of its reports and out-of-fuel lines. Pure
// functions of strings; believing what they say is flight_check's part.

#ifndef LM_TOOLS_AUTOPILOT_SCREEN_READING_H_
#define LM_TOOLS_AUTOPILOT_SCREEN_READING_H_

#include <cstddef>
#include <optional>
#include <string_view>

#include "descent_model.h"

// The prompts the simulator waits at, in the order of a flight.
enum class prompt { altitude, fuel, rate, none };

// Returns the prompt the screen ends with, at which the simulator waits.
prompt waiting_prompt(std::string_view screen);

// Returns the error line with which the simulator refused an answer on the
// screen, or an empty view; the screen's first `searched` bytes hold none,
// and are searched only where a line could begin in them and end after.
std::string_view refusal(std::string_view screen, std::size_t searched);

// Returns the verdict line's ending for `verdict` (dialogue_texts.h's
// soft_landing, hard_landing or crash).
std::string_view verdict_text(landing_verdict verdict);

// Returns the verdict whose line ends the screen, after status_at_landing,
// or nothing.
std::optional<landing_verdict> verdict_shown(std::string_view screen);

// The quantities a report shows: the first three whole numbers, the
// others real ones.
enum class quantity { time, fuel, rate, altitude, velocity };

// Returns the quantity's name, as the autopilot's messages say it.
const char* name_of(quantity q);

// One number of a report: what it is, and the texts before and after it.
struct number_field {
  quantity what;
  std::string_view before;
  std::string_view after;
};

// The fields of a state report and of an out-of-fuel line, in order.
extern const number_field report_fields[5];
extern const number_field out_of_fuel_fields[3];

// A number as read: its value (a whole one exactly: a double holds every
// value a report may rightly show) and the text it was written as, without the spaces before.
struct read_number {
  double value;
  std::string_view written;
};

// Takes `text` from the front of `rest`; returns whether it was there.
bool take(std::string_view& rest, std::string_view text);

// Reads the fields in `fields[0, count)` from the front of `rest` into
// `numbers`, taking what they cover; returns false if they are not there,
// or one is not a number of its kind.
bool take_numbers(std::string_view& rest, const number_field* fields, std::size_t count,
                  read_number* numbers);

#endif  // LM_TOOLS_AUTOPILOT_SCREEN_READING_H_
