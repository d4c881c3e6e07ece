// The planner against an exhaustive search of every answer sequence from
// small starts, and every plan flown again through the model as the
// simulator flies it. The best landings of larger starts are flown by the
// simulator itself in best_landing_flight_test.cpp.

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "best_landing.h"
#include "descent_model.h"
#include "landing_bound.h"
#include "plan_report.h"
#include "report_format.h"

namespace {

// What the exhaustive search keeps of the best touchdown.
struct touchdown {
  bool soft;
  std::int64_t velocity;  // signed hundredths as reported
  std::int32_t fuel;
  std::int32_t seconds;
};

std::int64_t hundredths(double velocity) {
  std::int64_t result = 0;
  EXPECT_TRUE(fixed2_hundredths(velocity, result));
  return result;
}

// Returns whether a is a better touchdown than b: soft, then the most
// fuel, then (soft) the fewest seconds or (not soft) the gentlest first.
bool better(const touchdown& a, const touchdown& b) {
  if (a.soft != b.soft) return a.soft;
  if (a.soft) return std::tie(a.fuel, b.seconds) > std::tie(b.fuel, a.seconds);
  return std::tie(a.velocity, a.fuel) > std::tie(b.velocity, b.fuel);
}

// The best touchdown of all answer sequences from the start, second by
// second over the distinct states (equal altitude, velocity and fuel),
// which keeps it small: most orders of the same rates meet again.
touchdown exhaustive_best(double altitude, std::int32_t fuel) {
  touchdown best{false, -(std::int64_t{1} << 62), 0, 0};
  std::vector<flight_state> now{initial_state(altitude, fuel)};
  while (!now.empty()) {
    std::vector<flight_state> next;
    for (const flight_state& s : now) {
      for (std::int32_t rate = 0; rate <= burnable_rate(highest_rate, s.fuel); ++rate) {
        flight_state t = state_after_second(s, lunar_gravity, rate);
        if (t.altitude > 0.0 && t.fuel > 0) {
          next.push_back(t);
          continue;
        }
        while (t.altitude > 0.0)
          t = state_after_second(t, lunar_gravity, 0);
        const touchdown here{touchdown_verdict(t.velocity) == landing_verdict::soft,
                             hundredths(t.velocity), t.fuel, t.time};
        if (better(here, best)) best = here;
      }
    }
    // Equal states, after this second the same in every way that matters.
    const auto key = [](const flight_state& s) { return std::tie(s.altitude, s.velocity, s.fuel); };
    std::sort(next.begin(), next.end(), [&](auto& a, auto& b) { return key(a) < key(b); });
    next.erase(
        std::unique(next.begin(), next.end(), [&](auto& a, auto& b) { return key(a) == key(b); }),
        next.end());
    now.swap(next);
  }
  return best;
}

// Flies the answers as the simulator does: one answer a second while fuel
// is on board, none once it is gone; fails if answers are missing or left.
landing_result replay(double altitude, std::int32_t fuel, const std::vector<std::int8_t>& answers) {
  flight_state s = initial_state(altitude, fuel);
  std::size_t next = 0;
  while (s.altitude > 0.0) {
    std::int32_t rate = 0;
    if (s.fuel > 0) {
      EXPECT_LT(next, answers.size()) << "answers run out at " << s.time << " s";
      if (next >= answers.size()) break;
      rate = burnable_rate(answers[next++], s.fuel);
    }
    s = state_after_second(s, lunar_gravity, rate);
  }
  EXPECT_EQ(next, answers.size()) << "answers left at touchdown";
  return {touchdown_verdict(s.velocity), s.fuel, s.time, s.velocity};
}

// Checks that the plan lands exactly as it says.
void expect_flies_as_claimed(double altitude, std::int32_t fuel, const best_landing& plan) {
  const landing_result flown = replay(altitude, fuel, plan.answers);
  EXPECT_EQ(flown.verdict, plan.result.verdict);
  EXPECT_EQ(flown.fuel, plan.result.fuel);
  EXPECT_EQ(flown.seconds, plan.result.seconds);
  EXPECT_EQ(flown.velocity, plan.result.velocity);
}

constexpr auto no_limit = std::chrono::hours(1);

// Every start up to 30 m and 30 l on a grid (every third altitude from 1 m,
// each with a quarter metre more, and every fuel), the search's landing and
// the bound at the start against the best of all answer sequences.
TEST(BestLanding, MatchesEveryAnswerSequenceFromSmallStarts) {
  for (int whole = 1; whole <= 30; whole += 3) {
    for (const double altitude : {whole + 0.0, whole + 0.25}) {
      for (std::int32_t fuel = 1; fuel <= 30; ++fuel) {
        SCOPED_TRACE(testing::Message() << altitude << " m, " << fuel << " l");
        const touchdown best = exhaustive_best(altitude, fuel);
        const best_landing plan = find_best_landing(altitude, fuel, no_limit);
        ASSERT_TRUE(plan.proven);
        expect_flies_as_claimed(altitude, fuel, plan);
        const touchdown found{plan.result.verdict == landing_verdict::soft,
                              hundredths(plan.result.velocity), plan.result.fuel,
                              plan.result.seconds};
        EXPECT_FALSE(better(best, found) || better(found, best))
            << "best " << best.fuel << " l " << best.seconds << " s " << best.velocity << ", found "
            << found.fuel << " l " << found.seconds << " s " << found.velocity;
        const flight_state start = initial_state(altitude, fuel);
        const soft_landing_bound soft = least_soft_landing(start);
        EXPECT_EQ(soft.possible || !best.soft, true);
        if (best.soft) {
          EXPECT_LE(soft.litres, fuel - best.fuel);
        } else {
          EXPECT_GE(gentlest_touchdown(start).hundredths, best.velocity);
        }
      }
    }
  }
}

// A search run in slices of no time at all ends where one run does, and
// between slices its gap reaches the best landing. From 40.5 m with 43 l
// it finds a hard landing keeping 6 l before the gentler one keeping none.
TEST(BestLanding, SlicedSearchEndsAsOneRun) {
  for (const auto& [altitude, fuel] : {std::pair{1300.0, 500}, std::pair{40.5, 43}}) {
    const best_landing whole = find_best_landing(altitude, fuel, no_limit);
    landing_search search = start_landing_search(altitude, fuel);
    int slices = 0;
    int open = 0;
    while (!continue_landing_search(search, std::chrono::steady_clock::now())) {
      ++slices;
      if (!search.found || landing_found(search).proven) continue;
      const best_landing now = landing_found(search);
      ++open;
      if (now.gap.unit == landing_gap::litres) {
        EXPECT_GE(now.result.fuel + now.gap.amount, whole.result.fuel);
      } else {
        EXPECT_GE(hundredths(now.result.velocity) + now.gap.amount,
                  hundredths(whole.result.velocity));
      }
    }
    EXPECT_GT(slices, 0);
    EXPECT_EQ(open > 0, fuel == 43);
    EXPECT_TRUE(landing_found(search).proven);
    EXPECT_EQ(landing_found(search).answers, whole.answers);
  }
}

TEST(PlanReport, WritesTheAnswersAndTheSummaryLine) {
  const struct {
    best_landing plan;
    const char* summary;
  } rows[] = {
      {{{},
        {landing_verdict::crash, 0, 50, -16.195},
        false,
        {landing_gap::hundredths_of_m_per_s, 7}},
       "best: crash 0 l 50 s -16.20 m/s gap 0.07\n"},
      {{{},
        {landing_verdict::hard, 0, 2, -2.265},
        false,
        {landing_gap::hundredths_of_m_per_s, 1234}},
       "best: hard 0 l 2 s -2.27 m/s gap 12.34\n"},
      {{{}, {landing_verdict::soft, 1167, 170, 0.004}, false, {landing_gap::litres, 6}},
       "best: soft 1167 l 170 s 0.00 m/s gap 6\n"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(plan_summary(row.plan), row.summary);
  const best_landing plan{{0, 9}, {}, true, {}};
  EXPECT_EQ(plan_answers("1300", "500", plan), "1300\n500\n0\n9\n");
}

}  // namespace
