#include "prompts.h"

#include <string_view>

#include "descent_model.h"
#include "dialogue_texts.h"
#include "number_in_text.h"
#include "number_reader.h"

namespace {

// The prompts and their errors tell the operator the limits the prompts
// apply: the two must not drift apart.
static_assert(static_cast<double>(number_after(text::altitude_error, "between ")) ==
              lowest_initial_altitude);
static_assert(static_cast<double>(number_after(text::altitude_error, " and ")) ==
              highest_initial_altitude);
static_assert(lowest_initial_fuel == 1, "the fuel error asks for a positive amount");
static_assert(number_after(text::rate_prompt, "(") == lowest_rate);
static_assert(number_after(text::rate_prompt, "-") == highest_rate);
static_assert(number_after(text::rate_prompt, ", ") == lowest_rate);
static_assert(number_after(text::rate_prompt, "freefall, ") == hover_rate);
static_assert(number_after(text::rate_prompt, "velocity, ") == highest_rate);
static_assert(number_after(text::rate_error, "between ") == lowest_rate);
static_assert(number_after(text::rate_error, " and ") == highest_rate);

// Writes `prompt` and reads an answer with `read` until `acceptable` takes
// one, writing `error` after each other answer; returns the answer taken,
// or nothing at the end of the input.
template <typename Read, typename Acceptable>
auto ask(console& io, std::string_view prompt, std::string_view error, Read read,
         Acceptable acceptable) -> std::optional<decltype(read(io).value)> {
  for (;;) {
    write_text(io.out, prompt);
    const auto answer = read(io);
    if (answer.status == read_status::end_of_input) return std::nullopt;
    if (answer.status == read_status::number && acceptable(answer.value)) return answer.value;
    write_text(io.out, error);
  }
}

}  // namespace

std::optional<double> prompt_initial_altitude(console& io) {
  return ask(io, text::altitude_prompt, text::altitude_error, read_real, [](double altitude) {
    return altitude >= lowest_initial_altitude && altitude <= highest_initial_altitude;
  });
}

std::optional<std::int32_t> prompt_initial_fuel(console& io) {
  return ask(io, text::fuel_prompt, text::fuel_error, read_integer,
             [](std::int32_t fuel) { return fuel >= lowest_initial_fuel; });
}

std::optional<std::int32_t> prompt_fuel_rate(console& io) {
  return ask(io, text::rate_prompt, text::rate_error, read_integer,
             [](std::int32_t rate) { return rate >= lowest_rate && rate <= highest_rate; });
}
