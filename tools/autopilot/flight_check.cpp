#include "flight_check.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "dialogue_texts.h"

namespace {

// How far a line's altitude and velocity may lie from what the model makes
// of the line before: each is rounded to hundredths, and the altitude
// gathers the rounding of both numbers before it.
constexpr double report_tolerance = 0.02;

// How far a velocity written to hundredths may lie from the one it shows.
constexpr double half_hundredth = 0.005;

failure impossible(quantity what, std::string_view written) {
  return no_flight("the simulator reported an impossible " + std::string(name_of(what)) + ": " +
                   std::string(written.substr(0, 40)));
}

// Returns whether `value`, shown as `what`, can be `due`; before a prompt,
// some fuel must be left.
bool believable(quantity what, double value, const flight_state& due, bool before_prompt) {
  switch (what) {
    case quantity::time:
      return value == due.time;
    case quantity::fuel:
      return value == due.fuel && (!before_prompt || value > 0);
    case quantity::rate:
      return value == due.rate;
    case quantity::altitude:
      return value >= 0 && std::fabs(value - due.altitude) <= report_tolerance;
    case quantity::velocity:
      break;
  }
  return std::fabs(value - due.velocity) <= report_tolerance;
}

// Returns the failure for the first of `numbers` that cannot be `due`.
maybe_failure contradiction(const number_field* fields, const read_number* numbers,
                            std::size_t count, const flight_state& due, bool before_prompt) {
  for (std::size_t i = 0; i < count; ++i) {
    if (!believable(fields[i].what, numbers[i].value, due, before_prompt)) {
      return impossible(fields[i].what, numbers[i].written);
    }
  }
  return std::nullopt;
}

// Returns `due` with the altitude and velocity a checked line shows, from
// which the model goes on.
flight_state as_shown(const flight_state& due, const read_number& altitude,
                      const read_number& velocity) {
  return {due.time, altitude.value, velocity.value, due.fuel, due.rate};
}

const char* answer_name(prompt asked) {
  switch (asked) {
    case prompt::altitude:
      return "altitude";
    case prompt::fuel:
      return "fuel";
    case prompt::rate:
      return "fuel rate";
    case prompt::none:
      break;
  }
  return "answer";
}

// Returns the failure if the touchdown at the velocity shown cannot end in
// `verdict`: the velocity rounded, either verdict of a velocity it may
// show is believed.
maybe_failure wrong_verdict(const read_number& velocity, landing_verdict verdict) {
  if (touchdown_verdict(velocity.value - half_hundredth) == verdict ||
      touchdown_verdict(velocity.value + half_hundredth) == verdict) {
    return std::nullopt;
  }
  const std::string_view line = verdict_text(verdict);
  return no_flight("the simulator reported an impossible verdict at " +
                   std::string(velocity.written) +
                   " m/s: " + std::string(line.substr(0, line.size() - 1)));
}

}  // namespace

flight_check start_check(const flight_order& order) {
  // The simulator reads the number each answer begins with (the rest, if
  // any, it refuses at the next prompt). A fuel beyond 32 bits is refused
  // too, and no report can show -1 l.
  const long long fuel = std::strtoll(order.fuel.c_str(), nullptr, 10);
  const bool fits = fuel > 0 && fuel <= INT32_MAX;
  const flight_state start = initial_state(std::strtod(order.altitude.c_str(), nullptr),
                                           fits ? static_cast<std::int32_t>(fuel) : -1);
  return {order, prompt::altitude, start, false, prompt::none, ""};
}

maybe_failure answer_prompt(flight_check& check, std::string_view screen, prompt asked,
                            const rate_source& rates) {
  if (asked != check.due_prompt) {
    return no_flight("the simulator asked for the " + std::string(answer_name(asked)) +
                     " out of turn");
  }
  check.answered = asked;
  if (asked == prompt::altitude || asked == prompt::fuel) {
    check.answer = asked == prompt::altitude ? check.order.altitude : check.order.fuel;
    check.due_prompt = asked == prompt::altitude ? prompt::fuel : prompt::rate;
    return std::nullopt;
  }
  // The report above the prompt, from its first label on, and nothing else.
  std::string_view report = screen.substr(0, screen.size() - text::rate_prompt.size());
  report.remove_prefix(std::min(report.rfind(text::time_label), report.size()));
  read_number numbers[5];
  if (!take_numbers(report, report_fields, 5, numbers) || !report.empty()) {
    return no_flight("cannot read the state report above the prompt");
  }
  if (maybe_failure wrong = contradiction(report_fields, numbers, 5, check.due, true)) return wrong;
  const flight_state shown = as_shown(check.due, numbers[3], numbers[4]);
  const std::int32_t rate = rates(shown);
  check.answer = std::to_string(rate);
  check.flown = true;
  check.due = state_after_second(shown, lunar_gravity, burnable_rate(rate, shown.fuel));
  return std::nullopt;
}

failure refused(const flight_check& check, std::string_view error) {
  const std::string_view line = error.substr(0, error.size() - 1);  // without "\n"
  return failure_of(check.answered == prompt::rate ? autopilot_status::no_flight
                                                   : autopilot_status::refused_arguments,
                    "the simulator did not take \"" + check.answer + "\" as the " +
                        answer_name(check.answered) + "; it wrote: " + std::string(line));
}

landing check_landing(const flight_check& check, std::string_view screen) {
  const std::optional<landing_verdict> verdict = verdict_shown(screen);
  if (!check.flown || !verdict) {
    return {no_flight("the simulator did not finish the flight"), landing_verdict::crash};
  }
  landing unreadable = {no_flight("cannot read the lines above the verdict"), *verdict};
  flight_state due = check.due;
  read_number numbers[5];
  std::string_view rest = screen;
  // Each second of free fall once the fuel is gone, on its line.
  while (rest.substr(0, text::out_of_fuel_time_label.size()) == text::out_of_fuel_time_label) {
    if (!take_numbers(rest, out_of_fuel_fields, 3, numbers)) return unreadable;
    if (due.fuel != 0) return {impossible(quantity::fuel, "0"), *verdict};
    if (maybe_failure wrong = contradiction(out_of_fuel_fields, numbers, 3, due, false)) {
      return {wrong, *verdict};
    }
    due = state_after_second(as_shown(due, numbers[1], numbers[2]), lunar_gravity, 0);
  }
  if (!take(rest, text::landing_heading) || !take_numbers(rest, report_fields, 5, numbers) ||
      !take(rest, text::status_at_landing) || rest != verdict_text(*verdict)) {
    return unreadable;
  }
  maybe_failure wrong = contradiction(report_fields, numbers, 5, due, false);
  if (!wrong) wrong = wrong_verdict(numbers[4], *verdict);
  return {wrong, *verdict};
}
