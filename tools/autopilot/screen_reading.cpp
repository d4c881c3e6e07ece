#include "screen_reading.h"

#include <cerrno>
#include <cstdlib>
#include <string>

#include "dialogue_texts.h"

namespace {

bool ends_with(std::string_view text, std::string_view ending) {
  return text.size() >= ending.size() && text.substr(text.size() - ending.size()) == ending;
}

// Returns the value of `written` as a whole number or a real (infinities
// and NaN among them, which no check believes), or nothing if it is not
// all one.
std::optional<double> value_of(std::string_view written, bool whole) {
  const std::string number(written);
  char* end = nullptr;
  errno = 0;
  double value = 0;
  if (whole) {
    // Beyond the range, the value is the nearest end of it, which no
    // report can match either.
    value = static_cast<double>(std::strtoll(number.c_str(), &end, 10));
  } else {
    value = std::strtod(number.c_str(), &end);
  }
  if (end == number.c_str() || *end != '\0') return std::nullopt;
  return value;
}

}  // namespace

prompt waiting_prompt(std::string_view screen) {
  if (ends_with(screen, text::altitude_prompt)) return prompt::altitude;
  if (ends_with(screen, text::fuel_prompt)) return prompt::fuel;
  if (ends_with(screen, text::rate_prompt)) return prompt::rate;
  return prompt::none;
}

std::string_view refusal(std::string_view screen, std::size_t searched) {
  for (std::string_view error : {text::altitude_error, text::fuel_error, text::rate_error}) {
    const std::size_t from = searched < error.size() ? 0 : searched - error.size() + 1;
    if (screen.find(error, from) != std::string_view::npos) return error;
  }
  return {};
}

const char* name_of(quantity q) {
  constexpr const char* names[] = {"time", "fuel", "rate", "altitude", "velocity"};
  return names[static_cast<int>(q)];
}

std::string_view verdict_text(landing_verdict verdict) {
  switch (verdict) {
    case landing_verdict::soft:
      return text::soft_landing;
    case landing_verdict::hard:
      return text::hard_landing;
    case landing_verdict::crash:
      break;
  }
  return text::crash;
}

std::optional<landing_verdict> verdict_shown(std::string_view screen) {
  for (landing_verdict verdict :
       {landing_verdict::soft, landing_verdict::hard, landing_verdict::crash}) {
    const std::string_view ending = verdict_text(verdict);
    if (ends_with(screen, ending) &&
        ends_with(screen.substr(0, screen.size() - ending.size()), text::status_at_landing)) {
      return verdict;
    }
  }
  return std::nullopt;
}

const number_field report_fields[5] = {
    {quantity::time, text::time_label, text::time_unit},
    {quantity::fuel, text::fuel_label, text::fuel_unit},
    {quantity::rate, text::rate_label, text::rate_unit},
    {quantity::altitude, text::altitude_label, text::altitude_unit},
    {quantity::velocity, text::velocity_label, text::velocity_unit},
};

const number_field out_of_fuel_fields[3] = {
    {quantity::time, text::out_of_fuel_time_label, ""},
    {quantity::altitude, text::out_of_fuel_altitude_label, ""},
    {quantity::velocity, text::out_of_fuel_velocity_label, text::out_of_fuel_end},
};

bool take(std::string_view& rest, std::string_view text) {
  if (rest.substr(0, text.size()) != text) return false;
  rest.remove_prefix(text.size());
  return true;
}

bool take_numbers(std::string_view& rest, const number_field* fields, std::size_t count,
                  read_number* numbers) {
  for (std::size_t i = 0; i < count; ++i) {
    if (!take(rest, fields[i].before)) return false;
    // A number fills its field from the right: spaces, then no space.
    const std::size_t start = rest.find_first_not_of(' ');
    const std::size_t end = rest.find_first_of(" \n", start);
    if (start == std::string_view::npos || end == std::string_view::npos) return false;
    const std::string_view written = rest.substr(start, end - start);
    const std::optional<double> value = value_of(written, fields[i].what < quantity::altitude);
    if (!value) return false;
    numbers[i] = {*value, written};
    rest.remove_prefix(end);
    if (!take(rest, fields[i].after)) return false;
  }
  return true;
}
