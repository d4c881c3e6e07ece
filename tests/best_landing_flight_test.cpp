// The planner's answers flown by the real simulator: each plan, written as
// `lm_autopilot --plan` writes it, lands exactly as its summary says.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "best_landing.h"
#include "child_process.h"
#include "expected_texts.h"
#include "plan_report.h"

namespace {

std::size_t occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

bool ends_with(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The best landings known beforehand, and starts far apart: the summary
// line begins and ends as given, and the simulator lands as it says.
TEST(BestLandingFlight, TheSimulatorLandsAsThePlanSays) {
  const struct {
    const char* altitude;
    const char* fuel;
    std::string summary_start, summary_end;
  } starts[] = {
      {"1300", "500", "best: soft 203 l 60 s ", " proven\n"},
      {"9999", "2000", "best: soft 1173 l ", " proven\n"},
      {"1300", "200", "best: crash 0 l ", " -16.20 m/s proven\n"},
      {"2", "3", "best: hard 0 l 2 s -2.27 m/s proven\n", ""},
      {"9999", "2147483647", "best: soft ", " proven\n"},
      {"9999", "1", "best: crash 0 l ", " proven\n"},
      {"1", "1", "best: hard ", " proven\n"},
      {"27.5", "40", "best: ", " proven\n"},
  };
  for (const auto& start : starts) {
    SCOPED_TRACE(testing::Message() << start.altitude << " m, " << start.fuel << " l");
    const best_landing plan = find_best_landing(
        std::strtod(start.altitude, nullptr),
        static_cast<std::int32_t>(std::strtol(start.fuel, nullptr, 10)), std::chrono::seconds(10));
    const std::string summary = plan_summary(plan);
    EXPECT_EQ(summary.rfind(start.summary_start, 0), 0u) << summary;
    EXPECT_TRUE(ends_with(summary, start.summary_end)) << summary;
    const child_result run = run_capturing(
        LM_SIMULATOR_PATH, {child_input::file, plan_answers(start.altitude, start.fuel, plan)}, 30);
    EXPECT_EQ(run.exit_status, 0);
    // One answer a prompt, none refused or left over.
    EXPECT_EQ(occurrences(run.output, expected::rate_prompt), plan.answers.size());
    char touchdown[160];
    std::snprintf(touchdown, sizeof touchdown, "Elapsed Time: %4d s\n        Fuel: %4d l\n",
                  plan.result.seconds, plan.result.fuel);
    EXPECT_NE(run.output.find(touchdown), std::string::npos) << run.output;
    std::snprintf(touchdown, sizeof touchdown, "Velocity: %7.2f m/s\n", plan.result.velocity);
    const std::string& verdict = plan.result.verdict == landing_verdict::soft ? expected::landed
                                 : plan.result.verdict == landing_verdict::hard
                                     ? expected::hard_landing
                                     : expected::crashed;
    EXPECT_TRUE(ends_with(run.output, touchdown + verdict)) << run.output;
  }
}

}  // namespace
