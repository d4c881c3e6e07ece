// The autopilot flying the real simulator over pipes. It answers each
// prompt only once the prompt has arrived, so these flights also show that
// no prompt is ever left in the simulator's output buffer. And both
// programs' answers to --help, --version and other arguments.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_process.h"
#include "expected_texts.h"

namespace {

const std::string* const prompts[] = {&expected::altitude_prompt, &expected::fuel_prompt,
                                      &expected::rate_prompt};

// Splits the autopilot's echo into the simulator's own output and the
// answers the autopilot typed after each prompt.
void split_echo(const std::string& echo, std::string& program_output,
                std::vector<std::string>& answers) {
  std::size_t at = 0;
  while (at < echo.size()) {
    std::size_t next = std::string::npos;
    std::size_t ending_size = 0;
    for (const std::string* prompt : prompts) {
      const std::size_t found = echo.find(*prompt, at);
      if (found < next) {
        next = found;
        ending_size = prompt->size();
      }
    }
    if (next == std::string::npos) {
      program_output += echo.substr(at);
      return;
    }
    const std::size_t answer_at = next + ending_size;
    const std::size_t line_end = echo.find('\n', answer_at);
    program_output += echo.substr(at, answer_at - at);
    answers.push_back(echo.substr(answer_at, line_end - answer_at));
    at = line_end + 1;
  }
}

child_result run_autopilot(const std::string& altitude, const std::string& fuel) {
  return run_capturing(LM_AUTOPILOT_PATH, {child_input::closed, ""}, 60, {altitude, fuel});
}

TEST(Autopilot, LandsTheRealModuleSoftly) {
  const child_result run = run_autopilot("1300", "500");
  ASSERT_FALSE(run.timed_out);
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_NE(run.output.find(expected::altitude_prompt + "1300\n"), std::string::npos);
  EXPECT_NE(run.output.find(expected::fuel_prompt + "500\n"), std::string::npos);
  const std::string& landed = expected::landed;
  ASSERT_GE(run.output.size(), landed.size());
  EXPECT_EQ(run.output.substr(run.output.size() - landed.size()), landed);
}

TEST(Autopilot, EchoIsTheDialogueWithTheAnswersTyped) {
  const child_result run = run_autopilot("1300", "500");
  ASSERT_FALSE(run.timed_out);
  std::string program_output;
  std::vector<std::string> answers;
  split_echo(run.output, program_output, answers);
  ASSERT_GT(answers.size(), 10u);

  std::string script;
  for (const std::string& answer : answers)
    script += answer + "\n";
  const child_result replay = run_capturing(LM_SIMULATOR_PATH, {child_input::file, script}, 30);
  EXPECT_EQ(replay.exit_status, 0);
  EXPECT_EQ(replay.output, program_output);
}

struct start_case {
  const char* altitude;
  const char* fuel;
  bool can_be_saved;
};

TEST(Autopilot, SaysWhenAStartCannotBeSaved) {
  const start_case cases[] = {
      {"9999", "1200", true}, {"1300", "300", true}, {"20", "200", true},
      {"500", "100", false},  {"1", "1", false},
  };
  for (const start_case& c : cases) {
    const child_result run = run_autopilot(c.altitude, c.fuel);
    ASSERT_FALSE(run.timed_out) << c.altitude << " " << c.fuel;
    const bool landed = run.output.find(expected::landed) != std::string::npos;
    const bool said = run.output.find(expected::out_of_reach) != std::string::npos;
    EXPECT_EQ(landed, c.can_be_saved) << c.altitude << " m, " << c.fuel << " l";
    EXPECT_EQ(said, !c.can_be_saved) << c.altitude << " m, " << c.fuel << " l";
    EXPECT_EQ(run.exit_status, c.can_be_saved ? 0 : 1) << c.altitude << " m, " << c.fuel << " l";
  }
}

// Returns the summary line `lm_autopilot --plan` would write of the
// flight whose output is `flown`, from its last report and verdict as the
// simulator wrote them.
std::string summary_of(const std::string& flown) {
  const auto field = [&flown](const std::string& label) {
    const std::size_t at = flown.find_first_not_of(' ', flown.rfind(label) + label.size());
    return flown.substr(at, flown.find(' ', at) - at);
  };
  const char* verdict = flown.find(expected::landed) != std::string::npos         ? "soft"
                        : flown.find(expected::hard_landing) != std::string::npos ? "hard"
                                                                                  : "crash";
  return std::string("best: ") + verdict + " " + field("Fuel:") + " l " + field("Time:") + " s " +
         field("Velocity:") + " m/s proven\n";
}

// The best landing written by --plan, flown by the simulator, lands as its
// summary says, and the autopilot flies the same flight by default: the
// figures of the study, against the controller's from the same starts.
TEST(Autopilot, FliesTheBestLandingAsPlanned) {
  const struct {
    std::vector<std::string> start;
    std::string best;        // the summary --plan writes
    std::string controller;  // the controller's touchdown velocity and fuel, as reported
  } cases[] = {
      {{"1300", "500"}, "best: soft 203 l 60 s -0.97 m/s proven\n", "-0.65 m/s 202 l"},
      {{"9999", "2000"}, "best: soft 1173 l 166 s -0.97 m/s proven\n", "-0.65 m/s 1167 l"},
      {{"1300", "200"}, "best: crash 0 l 50 s -16.20 m/s proven\n", "-48.60 m/s 0 l"},
      {{"2", "3"}, "best: hard 0 l 2 s -2.27 m/s proven\n", "-3.89 m/s 0 l"},
      {{"13e2", "+0500"}, "best: soft 203 l 60 s -0.97 m/s proven\n", "-0.65 m/s 202 l"},
      {{"1", "1"}, "best: hard 0 l 2 s -2.92 m/s proven\n", "-2.92 m/s 0 l"},
  };
  for (const auto& c : cases) {
    const std::string what = testing::PrintToString(c.start);
    std::vector<std::string> arguments = {"--plan"};
    arguments.insert(arguments.end(), c.start.begin(), c.start.end());
    const child_result plan =
        run_capturing(LM_AUTOPILOT_PATH, {child_input::closed, ""}, 30, arguments);
    EXPECT_EQ(plan.errors, c.best) << what;
    EXPECT_EQ(plan.exit_status, c.best.find(" soft ") != std::string::npos ? 0 : 1) << what;
    EXPECT_EQ(plan.output.substr(0, c.start[0].size() + 1), c.start[0] + "\n") << what;
    const child_result flown =
        run_capturing(LM_SIMULATOR_PATH, {child_input::file, plan.output}, 30);
    EXPECT_EQ(summary_of(flown.output), c.best) << what;
    const child_result best = run_autopilot(c.start[0], c.start[1]);
    EXPECT_EQ(summary_of(best.output), c.best) << what;
    const child_result controller = run_capturing(LM_AUTOPILOT_PATH, {child_input::closed, ""}, 60,
                                                  {"--controller", c.start[0], c.start[1]});
    const std::string touchdown = summary_of(controller.output);
    EXPECT_NE(touchdown.find(c.controller.substr(c.controller.find(" m/s ") + 5) + " "),
              std::string::npos)
        << what << ": " << touchdown;
    EXPECT_NE(touchdown.find(" " + c.controller.substr(0, c.controller.find(" m/s ") + 4)),
              std::string::npos)
        << what << ": " << touchdown;
  }
}

// Both programs answer --help and --version and exit; the simulator flies
// from its standard input whatever other argument it is given, and says so.
// --brief, or the variable set to 1, asks for brief mode, and the option
// wins over the variable.
TEST(CommandLine, HelpAndVersionAnswerAndOtherArgumentsAreSaid) {
  const std::string brief = expected::brief_banner + "Altitude? ";
  const struct {
    const char* program;
    std::vector<std::string> arguments;
    std::string output;  // what standard output begins with
    std::string errors;  // all of standard error
    bool flies;
    std::vector<std::string> environment = {};
  } cases[] = {
      {LM_SIMULATOR_PATH, {"--help"}, expected::simulator_usage, "", false},
      {LM_SIMULATOR_PATH, {"--version"}, "lm_simulator " LM_VERSION "\n", "", false},
      {LM_SIMULATOR_PATH, {"answers.txt"}, expected::banner, expected::arguments_ignored, true},
      {LM_SIMULATOR_PATH, {"--brief"}, brief, "", true},
      {LM_SIMULATOR_PATH, {}, brief, "", true, {"LM_SIMULATOR_BRIEF=1"}},
      {LM_SIMULATOR_PATH, {"--brief"}, brief, "", true, {"LM_SIMULATOR_BRIEF=0"}},
      {LM_SIMULATOR_PATH, {}, expected::banner, "", true, {"LM_SIMULATOR_BRIEF=yes"}},
      {LM_SIMULATOR_PATH, {"--brief", "x"}, brief, expected::arguments_ignored, true},
      {LM_SIMULATOR_PATH, {"--brief", "--help"}, expected::simulator_usage, "", false},
      {LM_AUTOPILOT_PATH, {"--help"}, expected::autopilot_usage, "", false},
      {LM_AUTOPILOT_PATH, {"--version"}, "lm_autopilot " LM_VERSION "\n", "", false},
      {LM_AUTOPILOT_PATH, {"1300", "--help"}, expected::autopilot_usage, "", false},
  };
  for (const auto& c : cases) {
    const std::string what =
        c.program + testing::PrintToString(c.arguments) + testing::PrintToString(c.environment);
    child_input input{child_input::file, "2 3 9"};
    input.environment = c.environment;
    const child_result run = run_capturing(c.program, input, 30, c.arguments);
    EXPECT_FALSE(run.timed_out) << what;
    EXPECT_EQ(run.exit_status, 0) << what;
    EXPECT_EQ(run.output.substr(0, c.output.size()), c.output) << what;
    EXPECT_EQ(run.errors, c.errors) << what;
    const bool flew = run.output.find(expected::hard_landing) != std::string::npos;
    EXPECT_EQ(flew, c.flies) << what;
    if (!c.arguments.empty() && c.arguments[0] == "--version") {
      EXPECT_EQ(run.output, c.output) << what;  // one line
    }
  }
}

}  // namespace
