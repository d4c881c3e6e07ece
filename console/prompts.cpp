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
static_assert(static_cast<double>(number_after(text::brief_altitude_error, "be ")) ==
              lowest_initial_altitude);
static_assert(static_cast<double>(number_after(text::brief_altitude_error, " to ")) ==
              highest_initial_altitude);
static_assert(number_after(text::brief_fuel_error, "be ") == lowest_initial_fuel);
static_assert(number_after(text::brief_rate_error, "be ") == lowest_rate);
static_assert(number_after(text::brief_rate_error, " to ") == highest_rate);
static_assert(number_after(text::brief_banner, "Rate ") == lowest_rate);
static_assert(number_after(text::brief_banner, " to ") == highest_rate);
static_assert(number_after(text::brief_banner, ": ") == lowest_rate);
static_assert(number_after(text::brief_banner, "falls, ") == hover_rate);
static_assert(number_after(text::brief_banner, "steady, ") == highest_rate);
// Both banners name the same start of the real module.
static_assert(number_after(text::brief_banner, "start ") ==
              number_after(text::banner, "values of "));
static_assert(number_after(text::brief_banner, "m, ") == number_after(text::banner, "meters and "));
// The brief banner and its prompt fit a line of an 80-column terminal,
// the cursor included.
static_assert(text::brief_banner.size() + text::brief_altitude_prompt.size() < 80);

// The banner suggests the real module's start, which the web page offers too.
static_assert(static_cast<double>(number_after(text::banner, "values of ")) ==
              real_module_altitude);
static_assert(number_after(text::banner, "meters and ") == real_module_fuel);

bool is_white_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Returns whether a whole word waits in the input buffer: some bytes that
// are not white space, and white space after them, so that reading it
// needs no more input.
bool word_waiting(const input_buffer& in) {
  std::size_t at = in.begin;
  while (at < in.end && is_white_space(in.bytes[at]))
    ++at;
  if (at == in.end) return false;
  while (at < in.end && !is_white_space(in.bytes[at]))
    ++at;
  return at < in.end;
}

// Writes `prompt` and reads an answer with `read` until `acceptable` takes
// one, writing `error` after each other answer; returns the answer taken,
// or nothing at the end of the input. The two are template arguments so
// that the calls are direct: the browser's build suspends the program
// inside `read`, which it can only do through calls it can follow. Inline,
// each prompt's loop is compiled into it, as the scripted hover needs.
template <auto read, auto acceptable>
inline auto ask(console& io, std::string_view prompt, std::string_view error)
    -> std::optional<decltype(read(io).value)> {
  for (;;) {
    write_text(io.out, prompt);
    const auto answer = read(io);
    if (answer.status == read_status::end_of_input) return std::nullopt;
    if (answer.status == read_status::number && acceptable(answer.value)) return answer.value;
    write_text(io.out, error);
  }
}

bool acceptable_altitude(double altitude) {
  return altitude >= lowest_initial_altitude && altitude <= highest_initial_altitude;
}

bool acceptable_fuel(std::int32_t fuel) {
  return fuel >= lowest_initial_fuel;
}

bool acceptable_rate(std::int32_t rate) {
  return rate >= lowest_rate && rate <= highest_rate;
}

}  // namespace

std::optional<double> prompt_initial_altitude(console& io) {
  return ask<read_real, acceptable_altitude>(io, text::altitude_prompt, text::altitude_error);
}

std::optional<double> prompt_initial_altitude(console& io, wording words) {
  if (words == wording::full) return prompt_initial_altitude(io);
  return ask<read_real, acceptable_altitude>(io, text::brief_altitude_prompt,
                                             text::brief_altitude_error);
}

std::optional<std::int32_t> prompt_initial_fuel(console& io) {
  return ask<read_integer, acceptable_fuel>(io, text::fuel_prompt, text::fuel_error);
}

std::optional<std::int32_t> prompt_initial_fuel(console& io, wording words) {
  if (words == wording::full) return prompt_initial_fuel(io);
  return ask<read_integer, acceptable_fuel>(io, text::brief_fuel_prompt, text::brief_fuel_error);
}

std::optional<std::int32_t> prompt_fuel_rate(console& io) {
  return ask<read_integer, acceptable_rate>(io, text::rate_prompt, text::rate_error);
}

std::optional<std::int32_t> prompt_fuel_rate(console& io, wording words) {
  if (words == wording::full) return prompt_fuel_rate(io);
  return ask<read_integer, acceptable_rate>(io, text::brief_rate_prompt, text::brief_rate_error);
}

std::optional<std::int32_t> typed_ahead_rate(console& io) {
  if (!word_waiting(io.in)) return std::nullopt;
  // The word ends inside the buffer, so the reader takes it without
  // filling the buffer, and putting `begin` back undoes the read.
  const std::size_t begin = io.in.begin;
  const integer_answer answer = read_integer(io);
  if (answer.status == read_status::number && acceptable_rate(answer.value)) return answer.value;
  io.in.begin = begin;
  return std::nullopt;
}
