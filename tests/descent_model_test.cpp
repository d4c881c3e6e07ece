// The descent formulas against values worked out independently: the exact
// rational result of each operation rounded to 64 significant bits, then
// once to binary64.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "descent_model.h"

namespace {

constexpr double lunar_gravity = 1.62;

struct acceleration_case {
  std::int32_t rate;
  double expected;
};

TEST(AccelerationForRate, MatchesTheExtendedEvaluationForEveryRate) {
  const acceleration_case cases[] = {
      {0, -0x1.9eb851eb851ecp+0}, {1, -0x1.4bc6a7ef9db23p+0}, {2, -0x1.f1a9fbe76c8b5p-1},
      {3, -0x1.4bc6a7ef9db23p-1}, {4, -0x1.4bc6a7ef9db23p-2}, {5, 0.0},
      {6, 0x1.4bc6a7ef9db23p-2},  {7, 0x1.4bc6a7ef9db23p-1},  {8, 0x1.f1a9fbe76c8b5p-1},
      {9, 0x1.4bc6a7ef9db23p+0},
  };
  // The table a flight steps with holds the same doubles, sign of zero
  // included.
  const rate_accelerations table = accelerations_for(lunar_gravity);
  for (const acceleration_case& c : cases) {
    for (const double a : {acceleration_for_rate(lunar_gravity, c.rate), table.by_rate[c.rate]}) {
      EXPECT_EQ(a, c.expected) << "rate " << c.rate;
      EXPECT_FALSE(std::signbit(a) && c.expected == 0.0) << "rate " << c.rate << " gives -0";
    }
  }
  EXPECT_EQ(acceleration_for_rate(lunar_gravity, 0), -lunar_gravity);
}

TEST(AccelerationForRate, OppositeRatesCancelExactly) {
  for (std::int32_t r = 1; r <= 4; ++r) {
    EXPECT_EQ(acceleration_for_rate(lunar_gravity, r),
              -acceleration_for_rate(lunar_gravity, 10 - r))
        << "rates " << r << " and " << 10 - r;
  }
}

struct two_second_case {
  std::int32_t first;
  std::int32_t second;
};

TEST(VelocityAfterSecond, OppositeRatesFromRestEndAtPositiveZero) {
  const two_second_case cases[] = {{1, 9}, {9, 1}, {2, 8}, {8, 2}, {3, 7},
                                   {7, 3}, {4, 6}, {6, 4}, {5, 5}};
  for (const two_second_case& c : cases) {
    double velocity = 0.0;
    velocity = velocity_after_second(velocity, acceleration_for_rate(lunar_gravity, c.first));
    velocity = velocity_after_second(velocity, acceleration_for_rate(lunar_gravity, c.second));
    EXPECT_EQ(velocity, 0.0) << c.first << " then " << c.second;
    EXPECT_FALSE(std::signbit(velocity)) << c.first << " then " << c.second << " gives -0";
  }
}

struct step_case {
  const char* what;
  double altitude;
  double velocity;
  double acceleration;
  double expected_altitude;
  double expected_velocity;
};

TEST(OneSecond, AltitudeAndVelocity) {
  const double free_fall = -lunar_gravity;
  const step_case cases[] = {
      {"free fall from rest", 100.0, 0.0, free_fall, 0x1.8cc28f5c28f5cp+6, -lunar_gravity},
      {"hover from rest", 1300.0, 0.0, 0.0, 1300.0, 0.0},
      {"hover while sinking", 50.0, -2.5, 0.0, 47.5, -2.5},
      {"hover while climbing", 50.0, 2.5, 0.0, 52.5, 2.5},
      // From 1 m at rates 3 and 5 the module is at 0.028 m sinking at 0.648
      // m/s; rate 8 takes it below the surface while turning it upward.
      {"floor keeps the full-second velocity", 0x1.cac083126e960p-6, -0x1.4bc6a7ef9db23p-1,
       0x1.f1a9fbe76c8b5p-1, 0.0, 0x1.4bc6a7ef9db24p-2},
      {"sum below the surface", 0.5, -30.0, free_fall, 0.0, -31.62},
      {"sum exactly zero", 0.81, 0.0, free_fall, 0.0, -lunar_gravity},
  };
  for (const step_case& c : cases) {
    const double altitude = altitude_after_second(c.altitude, c.velocity, c.acceleration);
    EXPECT_EQ(altitude, c.expected_altitude) << c.what;
    EXPECT_FALSE(std::signbit(altitude)) << c.what << ": altitude -0";
    EXPECT_EQ(velocity_after_second(c.velocity, c.acceleration), c.expected_velocity) << c.what;
  }
}

TEST(OneSecond, SumsAreKeptAtSixtyFourBitsUntilTheEnd) {
  // Steps where rounding each operation to binary64 lands one place away.
  const step_case cases[] = {
      {"free fall", 0x1.5a36b20cbe699p+5, 0x1.4fb7effabec6cp+2, -0x1.9eb851eb851ecp+0,
       0x1.7db2cec4682dfp+5, 0x1.d013b6ffbafe2p+1},
      {"rate 3", 0x1.1655491a44f4cp+6, -0x1.2b18cd4c8db88p+2, -0x1.4bc6a7ef9db23p-1,
       0x1.0257f59d8c7b8p+6, -0x1.5491a24a816ecp+2},
      {"rate 8", 0x1.839dc3391b179p+6, 0x1.21176164a582cp+2, 0x1.f1a9fbe76c8b5p-1,
       0x1.97a0e34b4cdc4p+6, 0x1.5f4ca0e193143p+2},
  };
  for (const step_case& c : cases) {
    EXPECT_EQ(altitude_after_second(c.altitude, c.velocity, c.acceleration), c.expected_altitude)
        << c.what;
    EXPECT_EQ(velocity_after_second(c.velocity, c.acceleration), c.expected_velocity) << c.what;
  }
}

struct second_case {
  const char* what;
  flight_state before;
  std::int32_t rate;
  flight_state after;
};

// One whole second: the clock, the fuel and the rate move with it, and the
// altitude comes from the velocity at the start of the second.
TEST(StateAfterSecond, AdvancesEveryQuantityOnce) {
  const second_case cases[] = {
      {"free fall with fuel to spare",
       {9, 100.0, 0.0, 2147483647, 2},
       0,
       {10, 0x1.8cc28f5c28f5cp+6, -lunar_gravity, 2147483647, 0}},
      {"hover on the last litres", {0, 50.0, -2.5, 5, 0}, 5, {1, 47.5, -2.5, 0, 5}},
      {"rate 3 while sinking",
       {41, 0x1.1655491a44f4cp+6, -0x1.2b18cd4c8db88p+2, 17, 9},
       3,
       {42, 0x1.0257f59d8c7b8p+6, -0x1.5491a24a816ecp+2, 14, 3}},
      {"turned upward below the surface",
       {3, 0x1.cac083126e960p-6, -0x1.4bc6a7ef9db23p-1, 8, 5},
       8,
       {4, 0.0, 0x1.4bc6a7ef9db24p-2, 0, 8}},
  };
  for (const second_case& c : cases) {
    const flight_state s = state_after_second(c.before, lunar_gravity, c.rate);
    EXPECT_EQ(s.time, c.after.time) << c.what;
    EXPECT_EQ(s.altitude, c.after.altitude) << c.what;
    EXPECT_EQ(s.velocity, c.after.velocity) << c.what;
    EXPECT_EQ(s.fuel, c.after.fuel) << c.what;
    EXPECT_EQ(s.rate, c.after.rate) << c.what;
  }
}

struct verdict_case {
  double velocity;
  landing_verdict expected;
};

TEST(TouchdownVerdict, ThresholdsAreInclusiveOnTheGentlerSide) {
  const verdict_case cases[] = {
      {0.3, landing_verdict::soft},
      {0.0, landing_verdict::soft},
      {-0.999, landing_verdict::soft},
      {-1.0, landing_verdict::soft},
      {std::nextafter(-1.0, -2.0), landing_verdict::hard},
      {-3.888, landing_verdict::hard},
      {-10.0, landing_verdict::hard},
      {std::nextafter(-10.0, -11.0), landing_verdict::crash},
      {-500.0, landing_verdict::crash},
      {std::nan(""), landing_verdict::crash},
  };
  for (const verdict_case& c : cases) {
    EXPECT_EQ(touchdown_verdict(c.velocity), c.expected) << std::hexfloat << c.velocity;
  }
}

// A rate above the fuel left burns what is left; any other is burnt whole.
TEST(BurnableRate, CappedToTheFuelLeft) {
  const std::int32_t cases[][3] = {
      // answer, fuel on board, burnt
      {0, 500, 0}, {9, 500, 9}, {9, 12, 9}, {9, 9, 9}, {9, 3, 3}, {2, 3, 2}, {7, 1, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(burnable_rate(c[0], c[1]), c[2]) << c[0] << " with " << c[1];
  }
}

}  // namespace
