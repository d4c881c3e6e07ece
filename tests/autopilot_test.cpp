// The autopilot flying the real simulator over pipes. It answers each
// prompt only once the prompt has arrived, so these flights also show that
// no prompt is ever left in the simulator's output buffer.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <utility>
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
  const std::string path = temporary_file(script);
  const child_result replay = run_capturing(LM_SIMULATOR_PATH, {child_input::file, path}, 30);
  ::unlink(path.c_str());
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

struct refused_case {
  std::vector<std::string> arguments;
  std::string said;  // what standard error must hold
};

// Each ends at once with status 2: before, an answer the simulator refused
// was sent again at every prompt, without end.
TEST(Autopilot, StopsAtAnArgumentTheSimulatorRefuses) {
  const refused_case cases[] = {
      {{"0x10"}, "\"0x10\" as the altitude; it wrote: ERROR: Altitude"},
      {{"0x1p4"}, "\"0x1p4\" as the altitude; it wrote: ERROR: Altitude"},
      {{".5e1"}, "\".5e1\" as the altitude; it wrote: ERROR: Altitude"},
      {{"10000"}, "\"10000\" as the altitude; it wrote: ERROR: Altitude"},
      {{"5abc"}, "\"5abc\" as the altitude; it wrote: ERROR: Amount of fuel"},
      {{"1300", "0"}, "\"0\" as the fuel; it wrote: ERROR: Amount of fuel"},
      {{"1300", "1.5"}, "\"1.5\" as the fuel; it wrote: ERROR: Fuel rate"},
      {{"1300", "2147483648"}, "\"2147483648\" as the fuel; it wrote: ERROR: Amount of fuel"},
      {{"1300 500"}, "usage: lm_autopilot"},
      {{""}, "usage: lm_autopilot"},
      {{"1300", "500", "9"}, "usage: lm_autopilot"},
  };
  for (const refused_case& c : cases) {
    const std::string what = "arguments \"" + c.arguments[0] + "\"...";
    const child_result run =
        run_capturing(LM_AUTOPILOT_PATH, {child_input::closed, ""}, 10, c.arguments);
    EXPECT_FALSE(run.timed_out) << what;
    EXPECT_EQ(run.exit_status, 2) << what;
    EXPECT_NE(run.errors.find(c.said), std::string::npos) << what << ": " << run.errors;
    EXPECT_LT(run.output.size(), 1000u) << what;
  }
}

TEST(Autopilot, TakesEveryFormTheSimulatorTakes) {
  const std::vector<std::string> arguments[] = {{"1.3e3", "500"}, {"+1300", "0500"}, {"13e2"}};
  for (const std::vector<std::string>& a : arguments) {
    const child_result run = run_capturing(LM_AUTOPILOT_PATH, {child_input::closed, ""}, 60, a);
    EXPECT_EQ(run.exit_status, 0) << a[0] << ": " << run.errors;
  }
}

// Runs `program` with the environment variable `name` set to `value` for it
// alone.
child_result run_with_variable(const char* program, const char* name, const std::string& value) {
  const char* old = std::getenv(name);
  const std::string saved = old != nullptr ? old : "";
  ::setenv(name, value.c_str(), 1);
  child_result run = run_capturing(program, {child_input::closed, ""}, 60);
  if (old != nullptr) {
    ::setenv(name, saved.c_str(), 1);
  } else {
    ::unsetenv(name);
  }
  return run;
}

TEST(Autopilot, SaysWhenNoFlightCouldBeFlownOrShown) {
  const child_result missing =
      run_with_variable(LM_AUTOPILOT_PATH, "LM_SIMULATOR", "/nonexistent/lm_simulator");
  // A program that ends at once, saying nothing, flew no flight.
  const child_result silent = run_with_variable(LM_AUTOPILOT_PATH, "LM_SIMULATOR", "/bin/true");
  const std::string input = temporary_file("");
  const child_result full =
      run_with_output(LM_AUTOPILOT_PATH, input.c_str(), output_kind::file, "/dev/full", false, 20);
  ::unlink(input.c_str());
  const std::pair<const child_result*, const char*> cases[] = {
      {&missing, "cannot run /nonexistent/lm_simulator"},
      {&silent, "did not finish the flight"},
      {&full, "cannot write to standard output"}};
  for (const auto& [run, said] : cases) {
    EXPECT_EQ(run->exit_status, 3) << said;
    EXPECT_NE(run->errors.find(said), std::string::npos) << said << ": " << run->errors;
  }
}

TEST(Autopilot, FindsTheSimulatorOnThePathWhenStartedByName) {
#ifdef LM_CHILD_WRAPPER
  GTEST_SKIP() << "an emulator or checker is handed the program's path, not its name";
#endif
  const std::string program = LM_AUTOPILOT_PATH;
  const char* path = std::getenv("PATH");
  const child_result run = run_with_variable(
      "lm_autopilot", "PATH", program.substr(0, program.rfind('/')) + ":" + (path ? path : ""));
  EXPECT_EQ(run.exit_status, 0) << run.errors;
}

}  // namespace
