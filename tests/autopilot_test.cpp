// The autopilot flying the real simulator over pipes. It answers each
// prompt only once the prompt has arrived, so these flights also show that
// no prompt is ever left in the simulator's output buffer.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
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
  EXPECT_NE(run.output.find("(in meters): 1300\n"), std::string::npos);
  EXPECT_NE(run.output.find("(in liters): 500\n"), std::string::npos);
  const std::string landed = "\nStatus at landing - The eagle has landed!\n";
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
    const bool landed = run.output.find("The eagle has landed!") != std::string::npos;
    const bool said = run.output.find("was out of reach") != std::string::npos;
    EXPECT_EQ(landed, c.can_be_saved) << c.altitude << " m, " << c.fuel << " l";
    EXPECT_EQ(said, !c.can_be_saved) << c.altitude << " m, " << c.fuel << " l";
    EXPECT_EQ(run.exit_status, c.can_be_saved ? 0 : 1) << c.altitude << " m, " << c.fuel << " l";
  }
}

struct ending_case {
  std::vector<std::string> arguments;
  std::string said;  // what standard error must hold
  int status;
  child_output output = child_output::pipe;
  std::string environment = {};  // "NAME=value" for the autopilot
  const char* program = LM_AUTOPILOT_PATH;
};

// Each run ends by itself with its status: 2 at once for an answer the
// simulator refuses, 0 for every form it takes, 3 when no flight was flown.
TEST(Autopilot, EndsWithItsStatusWhateverItIsGiven) {
  const std::string program = LM_AUTOPILOT_PATH;
  const char* path = std::getenv("PATH");
  const std::string beside =
      "PATH=" + program.substr(0, program.rfind('/')) + ":" + (path != nullptr ? path : "");
  const child_output pipe = child_output::pipe;
  const ending_case cases[] = {
      {{"0x10"}, "\"0x10\" as the altitude; it wrote: ERROR: Altitude", 2},
      {{"0x1p4"}, "\"0x1p4\" as the altitude; it wrote: ERROR: Altitude", 2},
      {{".5e1"}, "\".5e1\" as the altitude; it wrote: ERROR: Altitude", 2},
      {{"10000"}, "\"10000\" as the altitude; it wrote: ERROR: Altitude", 2},
      {{"5abc"}, "\"5abc\" as the altitude; it wrote: ERROR: Amount of fuel", 2},
      {{"1300", "0"}, "\"0\" as the fuel; it wrote: ERROR: Amount of fuel", 2},
      {{"1300", "1.5"}, "\"1.5\" as the fuel; it wrote: ERROR: Fuel rate", 2},
      {{"1300", "2147483648"}, "\"2147483648\" as the fuel; it wrote: ERROR: Amount of fuel", 2},
      {{"1300 500"}, "usage: lm_autopilot", 2},
      {{""}, "usage: lm_autopilot", 2},
      {{"1300", "500", "9"}, "usage: lm_autopilot", 2},
      {{"1.3e3", "500"}, "", 0},
      {{"+1300", "0500"}, "", 0},
      {{"13e2"}, "", 0},
      {{}, "cannot run", 3, pipe, "LM_SIMULATOR=/nowhere/lm_simulator"},
      // A program that ends at once, saying nothing, flew no flight.
      {{}, "did not finish the flight", 3, pipe, "LM_SIMULATOR=/bin/true"},
      {{}, "cannot write to standard output", 3, child_output::dev_full},
#ifndef LM_CHILD_WRAPPER  // which is handed the program's path, not its name
      {{}, "", 0, pipe, beside, "lm_autopilot"},
#endif
  };
  for (const ending_case& c : cases) {
    const std::string what = testing::PrintToString(c.arguments) + " " + c.environment;
    const child_result run = run_capturing(
        c.program, {child_input::closed, "", 0, false, c.output, false, c.environment},
        c.status == 2 ? 10 : 60, c.arguments);
    EXPECT_FALSE(run.timed_out) << what;
    EXPECT_EQ(run.exit_status, c.status) << what;
    EXPECT_NE(run.errors.find(c.said), std::string::npos) << what << ": " << run.errors;
    EXPECT_TRUE(c.status == 0 || run.output.size() < 1000) << what << ": " << run.output.size();
  }
}

}  // namespace
