#include "prompts.h"

#include <string_view>

#include "descent_model.h"
#include "dialogue_texts.h"
#include "number_reader.h"

namespace {

// Returns the whole number written in `text` right after the first
// `marker`, or -1 if no digit follows one.
constexpr long number_after(std::string_view text, std::string_view marker) {
  const std::size_t at = text.find(marker);
  if (at == std::string_view::npos) return -1;
  long value = -1;
  for (std::size_t i = at + marker.size(); i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    value = (value < 0 ? 0 : value * 10) + (text[i] - '0');
  return value;
}

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
// The banner suggests the real module's start, which the web page offers too.
static_assert(static_cast<double>(number_after(text::banner, "values of ")) ==
              real_module_altitude);
static_assert(number_after(text::banner, "meters and ") == real_module_fuel);

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
