// The prompts and reports, each checked against the whole text it writes.

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "console_dialogue.h"
#include "console_fixture.h"
#include "expected_texts.h"

namespace {

using expected::altitude_error;
using expected::altitude_prompt;
using expected::fuel_error;
using expected::fuel_prompt;
using expected::rate_error;
using expected::rate_prompt;

std::string repeat(const std::string& text, int times) {
  std::string all;
  for (int i = 0; i < times; ++i)
    all += text;
  return all;
}

struct altitude_case {
  const char* input;
  std::optional<double> expected;
  int refusals;
};

TEST(PromptInitialAltitude, AcceptsOneToNineThousandNineHundredNinetyNine) {
  const altitude_case cases[] = {
      {"1", 1.0, 0},
      {"9999", 9999.0, 0},
      {"2.5", 2.5, 0},
      {"0.5 0 10000 9999.0001 -1 1e999 1300", 1300.0, 6},
      {"0.99999999999999999", 1.0, 0},  // converts to exactly 1
      {"abc 9", 9.0, 1},
      {"", std::nullopt, 0},
      {"0 x", std::nullopt, 2},
  };
  for (const altitude_case& c : cases) {
    console_fixture fixture(c.input);
    EXPECT_EQ(prompt_initial_altitude(fixture.io()), c.expected) << c.input;
    EXPECT_EQ(fixture.output(),
              repeat(altitude_prompt + altitude_error, c.refusals) + altitude_prompt)
        << c.input;
  }
}

struct integer_prompt_case {
  const char* input;
  std::optional<std::int32_t> expected;
  int refusals;
};

TEST(PromptInitialFuel, AcceptsAnyPositiveAmount) {
  const integer_prompt_case cases[] = {
      {"1", 1, 0},      {"2147483647", 2147483647, 0},
      {"0 -5 1", 1, 2}, {"99999999999 4294967301 500", 500, 2},
      {"five 5", 5, 1}, {"\n\n\n", std::nullopt, 0},
  };
  for (const integer_prompt_case& c : cases) {
    console_fixture fixture(c.input);
    EXPECT_EQ(prompt_initial_fuel(fixture.io()), c.expected) << c.input;
    EXPECT_EQ(fixture.output(), repeat(fuel_prompt + fuel_error, c.refusals) + fuel_prompt)
        << c.input;
  }
}

TEST(PromptFuelRate, AcceptsZeroToNine) {
  const integer_prompt_case cases[] = {
      {"0", 0, 0}, {"9", 9, 0}, {"-1 10 4294967301 5", 5, 3}, {"? 5", 5, 1}, {"", std::nullopt, 0},
  };
  for (const integer_prompt_case& c : cases) {
    console_fixture fixture(c.input);
    EXPECT_EQ(prompt_fuel_rate(fixture.io()), c.expected) << c.input;
    EXPECT_EQ(fixture.output(), repeat(rate_prompt + rate_error, c.refusals) + rate_prompt)
        << c.input;
  }
}

TEST(PromptsTogether, OneLineAnswersBothInitialPrompts) {
  console_fixture fixture("1300 500\n");
  EXPECT_EQ(prompt_initial_altitude(fixture.io()), 1300.0);
  EXPECT_EQ(prompt_initial_fuel(fixture.io()), 500);
  EXPECT_EQ(fixture.output(), altitude_prompt + fuel_prompt);
}

struct state_case {
  std::int32_t time;
  double altitude;
  double velocity;
  std::int32_t fuel;
  std::int32_t rate;
  const char* expected;
};

TEST(PrintLmState, FiveAlignedLines) {
  const state_case cases[] = {
      {0, 1300.0, 0.0, 500, 0,
       "Elapsed Time:    0 s\n"
       "        Fuel:  500 l\n"
       "        Rate:    0 l/s\n"
       "    Altitude: 1300.00 m\n"
       "    Velocity:    0.00 m/s\n"},
      {12345, 10009.456, -0.004, 3, 9,
       "Elapsed Time: 12345 s\n"
       "        Fuel:    3 l\n"
       "        Rate:    9 l/s\n"
       "    Altitude: 10009.46 m\n"
       "    Velocity:   -0.00 m/s\n"},
      {7, 0.0, 0.0, 0, 10,
       "Elapsed Time:    7 s\n"
       "        Fuel:    0 l\n"
       "        Rate:   10 l/s\n"
       "    Altitude:    0.00 m\n"
       "    Velocity:    0.00 m/s\n"},
  };
  for (const state_case& c : cases) {
    console_fixture fixture("");
    print_lm_state(fixture.io(), c.time, c.altitude, c.velocity, c.fuel, c.rate);
    EXPECT_EQ(fixture.output(), c.expected);
  }
}

struct verdict_case {
  landing_verdict verdict;
  const std::string& line;
};

TEST(PrintLandingStatus, OneLinePerVerdict) {
  const verdict_case cases[] = {
      {landing_verdict::soft, expected::landed},
      {landing_verdict::hard, expected::hard_landing},
      {landing_verdict::crash, expected::crashed},
  };
  for (const verdict_case& c : cases) {
    console_fixture fixture("");
    print_landing_status(fixture.io(), c.verdict);
    EXPECT_EQ(fixture.output(), c.line);
  }
}

TEST(PrintInputEnded, EndsThePromptLineFirst) {
  console_fixture fixture("");
  print_input_ended(fixture.io());
  EXPECT_EQ(fixture.output(), expected::abandoned);
}

}  // namespace
