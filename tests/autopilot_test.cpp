// The autopilot flying the real simulator over pipes. It answers each
// prompt only once the prompt has arrived, so these flights also show that
// no prompt is ever left in the simulator's output buffer.

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "child_process.h"

namespace {

const char* const prompt_endings[] = {"(in meters): ", "(in liters): ", "9=max thrust): "};

// Splits the autopilot's echo into the simulator's own output and the
// answers the autopilot typed after each prompt.
void split_echo(const std::string& echo, std::string& program_output,
                std::vector<std::string>& answers) {
  std::size_t at = 0;
  while (at < echo.size()) {
    std::size_t next = std::string::npos;
    std::size_t ending_size = 0;
    for (const char* ending : prompt_endings) {
      const std::size_t found = echo.find(ending, at);
      if (found < next) {
        next = found;
        ending_size = std::string(ending).size();
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

}  // namespace
