#include "flight_sequence.h"

#include <cstdint>

#include "brief_reports.h"
#include "console_dialogue.h"
#include "descent_model.h"

namespace {

// The full dialogue: the five-line reports and the long questions.
struct full_voice {
  static void greet(console& io) { print_banner(io); }
  static std::optional<double> ask_altitude(console& io) { return prompt_initial_altitude(io); }
  static std::optional<std::int32_t> ask_fuel(console& io) { return prompt_initial_fuel(io); }
  static void start(console& io) { print_cutoff_heading(io); }
  static std::optional<std::int32_t> ask_rate(console& io, const flight_state& s) {
    print_lm_state(io, s.time, s.altitude, s.velocity, s.fuel, s.rate);
    return prompt_fuel_rate(io);
  }
  static void fall(console& io, const flight_state& s) {
    print_out_of_fuel(io, s.time, s.altitude, s.velocity);
  }
  static void touch_down(console& io, const flight_state& s) {
    print_landing_heading(io);
    print_lm_state(io, s.time, s.altitude, s.velocity, s.fuel, s.rate);
    print_landing_status(io, touchdown_verdict(s.velocity));
  }
  static void abandon(console& io) { print_input_ended(io); }
};

// Brief mode: a line a second, and answers typed ahead flown unsaid.
struct brief_voice {
  bool sum_up_typed_ahead;
  bool unsaid;           // seconds have been flown on answers typed ahead since said_at
  std::int32_t said_at;  // the time of the last second said

  static void greet(console& io) { print_brief_banner(io); }
  static std::optional<double> ask_altitude(console& io) {
    return prompt_initial_altitude(io, wording::brief);
  }
  static std::optional<std::int32_t> ask_fuel(console& io) {
    return prompt_initial_fuel(io, wording::brief);
  }
  static void start(console& /*io*/) {}
  std::optional<std::int32_t> ask_rate(console& io, const flight_state& s) {
    if (sum_up_typed_ahead) {
      const std::optional<std::int32_t> ahead = typed_ahead_rate(io);
      unsaid = unsaid || ahead.has_value();
      if (ahead) return ahead;
    }
    say(io, s);
    print_brief_fuel_left(io, s.fuel);
    return prompt_fuel_rate(io, wording::brief);
  }
  void fall(console& io, const flight_state& s) {
    say(io, s);
    print_brief_no_fuel(io);
  }
  void touch_down(console& io, const flight_state& s) {
    say_unsaid(io, s);
    print_brief_touchdown(io, s, touchdown_verdict(s.velocity));
  }
  static void abandon(console& io) { print_brief_input_ended(io); }

  // Counts the seconds flown unsaid up to `s`, if there were any.
  void say_unsaid(console& io, const flight_state& s) {
    if (unsaid) print_brief_typed_ahead(io, s.time - said_at);
    unsaid = false;
    said_at = s.time;
  }
  // Starts the line of the second `s`.
  void say(console& io, const flight_state& s) {
    say_unsaid(io, s);
    print_brief_second(io, s);
  }
};

template <typename Voice>
int abandon(console& io, Voice& voice) {
  voice.abandon(io);
  return input_ended_status;
}

template <typename Voice>
int fly_with(console& io, Voice voice) {
  voice.greet(io);
  const std::optional<double> initial_altitude = voice.ask_altitude(io);
  if (!initial_altitude) return abandon(io, voice);
  const std::optional<std::int32_t> initial_fuel = voice.ask_fuel(io);
  if (!initial_fuel) return abandon(io, voice);
  voice.start(io);

  flight_state s = initial_state(*initial_altitude, *initial_fuel);
  while (s.altitude > 0.0) {
    std::int32_t rate = 0;
    if (s.fuel > 0) {
      const std::optional<std::int32_t> answer = voice.ask_rate(io, s);
      if (!answer) return abandon(io, voice);
      rate = burnable_rate(*answer, s.fuel);
    } else {
      voice.fall(io, s);
    }
    s = state_after_second(s, lunar_gravity, rate);
  }
  voice.touch_down(io, s);
  return flown_status;
}

}  // namespace

int fly(console& io) {
  return fly_with(io, full_voice{});
}

int fly_brief(console& io, bool sum_up_typed_ahead) {
  return fly_with(io, brief_voice{sum_up_typed_ahead, false, 0});
}
