// The autopilot's reading and belief of the simulator's screens, with the
// simulator's own flight code writing them into strings: every line of a
// true flight is believed, and every lie the model contradicts is caught
// where it stands.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "console_fixture.h"
#include "expected_texts.h"
#include "flight_check.h"
#include "flight_sequence.h"
#include "reports.h"

namespace {

// Returns what the simulator writes for a flight with these answers.
std::string flown(const std::string& altitude, const std::string& fuel,
                  const std::vector<std::int32_t>& rates) {
  std::string answers = altitude + "\n" + fuel + "\n";
  for (const std::int32_t rate : rates)
    answers += std::to_string(rate) + "\n";
  console_fixture console(answers);
  fly(console.io());
  return console.output();
}

// Returns the landing a check of a flight from `altitude` and `fuel`
// answering `rates` believes `output` to be, fed to it a screen at a time
// as the dialogue does, or the first failure.
landing believed(const std::string& output, const std::string& altitude, const std::string& fuel,
                 const std::vector<std::int32_t>& rates) {
  flight_check check = start_check({altitude, fuel});
  const rate_source source = rates_in_order(rates);
  std::string_view rest = output;
  for (;;) {
    std::size_t end = std::string_view::npos;
    for (const std::string* prompt :
         {&expected::altitude_prompt, &expected::fuel_prompt, &expected::rate_prompt}) {
      const std::size_t at = rest.find(*prompt);
      if (at != std::string_view::npos) end = std::min(end, at + prompt->size());
    }
    if (end == std::string_view::npos) return check_landing(check, rest);
    const std::string_view screen = rest.substr(0, end);
    if (maybe_failure failed = answer_prompt(check, screen, waiting_prompt(screen), source)) {
      return {failed, landing_verdict::crash};
    }
    rest.remove_prefix(end);
  }
}

struct flight_case {
  const char* altitude;
  const char* fuel;
  std::vector<std::int32_t> rates;
};

// Flights that end softly, hard, or in a crash after the fuel ran out.
const flight_case soft = {"20", "200", {0, 0, 0, 6, 9, 9, 8, 6}};
const flight_case hard = {"2", "3", {9}};
const flight_case fuel_out = {"500", "20", {9, 9, 9}};

TEST(AutopilotCheck, BelievesEveryLineOfTrueFlights) {
  for (const flight_case& c : {soft, hard, fuel_out}) {
    const std::string output = flown(c.altitude, c.fuel, c.rates);
    const landing result = believed(output, c.altitude, c.fuel, c.rates);
    ASSERT_FALSE(result.failed) << c.altitude << ": " << result.failed->said;
    const std::string& shown = result.verdict == landing_verdict::soft   ? expected::landed
                               : result.verdict == landing_verdict::hard ? expected::hard_landing
                                                                         : expected::crashed;
    EXPECT_EQ(output.substr(output.size() - shown.size()), shown) << c.altitude;
  }
}

struct lie_case {
  const flight_case* flight;
  std::string from;  // its last appearance in the flight's output ...
  std::string to;    // ... written as this
  std::string said;  // the failure's line
};

// Each lie after the last prompt, where only the model can tell.
TEST(AutopilotCheck, BelievesNoLineAfterTheLastPromptThatTheModelContradicts) {
  const std::string soft_words = expected::landed.substr(expected::landed.find(" - ") + 3);
  const lie_case cases[] = {
      {&fuel_out, "439.90", "437.90", expected::impossible + "altitude: 437.90\n"},
      {&fuel_out, "  13 ", "  12 ", expected::impossible + "time: 12\n"},
      {&fuel_out, "-40.50", "-41.50", expected::impossible + "velocity: -41.50\n"},
      {&fuel_out, expected::crashed, expected::landed,
       expected::impossible + "verdict at -40.50 m/s: " + soft_words},
      {&fuel_out, "-38.88\n", "-38.88\n\n",
       "lm_autopilot: cannot read the lines above the verdict\n"},
      {&soft, "   6", "   5", expected::impossible + "rate: 5\n"},
      {&soft, "162", "163", expected::impossible + "fuel: 163\n"},
      {&soft, "0.00", "1.00", expected::impossible + "altitude: 1.00\n"},
      {&soft, "-0.65", "-0.35", expected::impossible + "velocity: -0.35\n"},
      {&soft, expected::landed, expected::hard_landing,
       expected::impossible + "verdict at -0.65 m/s: " +
           expected::hard_landing.substr(expected::hard_landing.find(" - ") + 3)},
      {&hard, expected::hard_landing, expected::crashed,
       expected::impossible +
           "verdict at -3.89 m/s: " + expected::crashed.substr(expected::crashed.find(" - ") + 3)},
  };
  for (const lie_case& c : cases) {
    const flight_case& f = *c.flight;
    std::string output = flown(f.altitude, f.fuel, f.rates);
    const std::size_t at = output.rfind(c.from);
    ASSERT_NE(at, std::string::npos) << c.from;
    output.replace(at, c.from.size(), c.to);
    const landing result = believed(output, f.altitude, f.fuel, f.rates);
    ASSERT_TRUE(result.failed) << c.from << " as " << c.to;
    EXPECT_EQ(result.failed->status, autopilot_status::no_flight) << c.to;
    EXPECT_EQ(result.failed->said, c.said) << c.from << " as " << c.to;
  }
}

// A touchdown velocity is written to hundredths, so near a verdict's limit
// either verdict it may stand for is believed, and no other.
TEST(AutopilotCheck, BelievesTheVerdictsATouchdownVelocityMayStandFor) {
  const struct {
    double velocity;  // the simulator's, unrounded
    landing_verdict verdict;
    bool believed;
  } cases[] = {
      {-1.004, landing_verdict::hard, true},   {-1.004, landing_verdict::soft, true},
      {-1.004, landing_verdict::crash, false}, {-1.012, landing_verdict::soft, false},
      {-0.994, landing_verdict::hard, false},  {-10.004, landing_verdict::crash, true},
      {-10.004, landing_verdict::hard, true},  {-9.984, landing_verdict::crash, false},
      {-10.016, landing_verdict::hard, false},
  };
  for (const auto& c : cases) {
    flight_check check = start_check({"5", "1"});
    check.due = {7, 0.0, c.velocity, 0, 0};
    check.flown = true;
    console_fixture console("");
    print_landing_heading(console.io());
    print_lm_state(console.io(), 7, 0.0, c.velocity, 0, 0);
    print_landing_status(console.io(), c.verdict);
    const landing result = check_landing(check, console.output());
    EXPECT_EQ(!result.failed, c.believed) << c.velocity << " " << static_cast<int>(c.verdict);
  }
}

}  // namespace
