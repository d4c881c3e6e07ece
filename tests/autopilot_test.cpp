// The autopilot flying the real simulator over pipes. It answers each
// prompt only once the prompt has arrived, so these flights also show that
// no prompt is ever left in the simulator's output buffer.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "expected_texts.h"
#include "posix_streams.h"

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

struct ending_case {
  std::vector<std::string> arguments;
  std::string said;  // what standard error must hold
  int status;
  child_output output = child_output::pipe;
  std::vector<std::string> environment = {};  // "NAME=value" for the autopilot
  std::string program = LM_AUTOPILOT_PATH;
};

// Returns the path of a new temporary directory.
std::string temporary_directory() {
  const char* base = std::getenv("TMPDIR");
  std::string path = std::string(base != nullptr ? base : "/tmp") + "/lm_test_XXXXXX";
  if (::mkdtemp(path.data()) == nullptr) throw std::runtime_error("no temporary directory");
  return path;
}

// Each run ends by itself with its status: 2 at once for an answer the
// simulator refuses, 0 for every form it takes, 3 when no flight was flown.
TEST(Autopilot, EndsWithItsStatusWhateverItIsGiven) {
  const std::string program = LM_AUTOPILOT_PATH;
  const std::string build = program.substr(0, program.rfind('/'));
  const char* path = std::getenv("PATH");
  const std::string beside = "PATH=" + build + ":" + (path != nullptr ? path : "");
  // Started by a path with no simulator beside it, it looks on the PATH.
  const std::string alone = temporary_directory() + "/lm_autopilot";
  ASSERT_EQ(::symlink(program.c_str(), alone.c_str()), 0);
  const child_output pipe = child_output::pipe;
  const ending_case cases[] = {
      {{"0x10"}, expected::not_taken("0x10", "altitude", expected::altitude_error), 2},
      {{"0x1p4"}, expected::not_taken("0x1p4", "altitude", expected::altitude_error), 2},
      {{".5e1"}, expected::not_taken(".5e1", "altitude", expected::altitude_error), 2},
      {{"10000"}, expected::not_taken("10000", "altitude", expected::altitude_error), 2},
      {{"5abc"}, expected::not_taken("5abc", "altitude", expected::fuel_error), 2},
      {{"1300", "0"}, expected::not_taken("0", "fuel", expected::fuel_error), 2},
      {{"1300", "1.5"}, expected::not_taken("1.5", "fuel", expected::rate_error), 2},
      {{"1300", "2147483648"}, expected::not_taken("2147483648", "fuel", expected::fuel_error), 2},
      {{"1300 500"}, expected::autopilot_usage, 2},
      {{""}, expected::autopilot_usage, 2},
      {{"1300", "500", "9"}, expected::autopilot_usage, 2},
      {{}, expected::autopilot_bad_timeout, 2, pipe, {"LM_AUTOPILOT_TIMEOUT_MS=1s"}},
      {{"--plan", "0x10"}, expected::not_planned("0x10", "altitude", expected::altitude_error), 2},
      {{"--plan", "5abc"}, expected::not_planned("5abc", "altitude", expected::fuel_error), 2},
      {{"--plan", "0.99"}, expected::not_planned("0.99", "altitude", expected::altitude_error), 2},
      {{"--plan", "1300", "0"}, expected::not_planned("0", "fuel", expected::fuel_error), 2},
      {{"--plan", "1300", "1.5"}, expected::not_planned("1.5", "fuel", expected::rate_error), 2},
      {{"--plan", "1300", "2147483648"},
       expected::not_planned("2147483648", "fuel", expected::fuel_error),
       2},
      {{"--plan", "1300", "500", "9"}, expected::autopilot_usage, 2},
      {{"--plan", "--controller"},
       expected::not_planned("--controller", "altitude", expected::altitude_error),
       2},
      {{"--plan", "9999", "2147483647"}, " m/s proven\n", 0},
      {{"--plan"}, expected::autopilot_output_failed, 3, child_output::dev_full},
      {{"--controller", "1300", "500"}, "", 0},
      {{"1.3e3", "500"}, "", 0},
      {{"+1300", "0500"}, "", 0},
      {{"13e2"}, "", 0},
      {{}, expected::autopilot_cannot_run, 3, pipe, {"LM_SIMULATOR=/nowhere/lm_simulator"}},
      {{}, "", 0, pipe, {"LM_SIMULATOR_BRIEF=1"}},  // not handed on: it reads the full dialogue
      {{}, expected::autopilot_output_failed, 3, child_output::dev_full},
  // Where the simulator runs under an emulator, LM_SIMULATOR names it so.
#ifndef LM_CHILD_WRAPPER  // which is handed the program's path, not its name
      {{}, "", 0, pipe, {"LM_SIMULATOR="}},
      {{}, "", 0, pipe, {beside}, "lm_autopilot"},
      {{}, "", 0, pipe, {beside}, alone},
#endif
  };
  for (const ending_case& c : cases) {
    const std::string what = testing::PrintToString(c.arguments) + " " +
                             testing::PrintToString(c.environment) + " " + c.program;
    child_input streams{child_input::closed, "", 0, false, c.output};
    streams.environment = c.environment;
    const child_result run =
        run_capturing(c.program.c_str(), streams, c.status == 2 ? 10 : 60, c.arguments);
    EXPECT_FALSE(run.timed_out) << what;
    EXPECT_EQ(run.exit_status, c.status) << what;
    EXPECT_NE(run.errors.find(c.said), std::string::npos) << what << ": " << run.errors;
    EXPECT_TRUE(c.status == 0 || run.output.size() < 1000) << what << ": " << run.output.size();
  }
  ::unlink(alone.c_str());
  ::rmdir(alone.substr(0, alone.rfind('/')).c_str());
}

// How long the autopilot may wait for the simulator in the runs below: far
// less than its own 10 s, longer where an emulator or checker runs it.
#ifdef LM_CHILD_WRAPPER
constexpr int patience_ms = 4000;
#else
constexpr int patience_ms = 1000;
#endif

// Returns `text` as one quoted word of the shell.
std::string quoted(const std::string& text) {
  std::string word = "'";
  for (const char c : text)
    word += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return word + "'";
}

// Returns the shell's command that writes `text`.
std::string says(const std::string& text) {
  return "printf '%s' " + quoted(text) + "\n";
}

// Returns the shell's words that run the real simulator.
std::string simulator_command() {
#ifdef LM_CHILD_WRAPPER
  return std::string(LM_CHILD_WRAPPER) + " " + quoted(LM_SIMULATOR_PATH);
#else
  return quoted(LM_SIMULATOR_PATH);
#endif
}

// Returns the shell's command that runs the real simulator.
std::string real_simulator() {
  return "exec " + simulator_command() + "\n";
}

// Returns the shell's command that runs the real simulator behind a relay
// that passes its output on at once, in small pieces, with the first
// `from` in each piece written as `to`. The pieces end where a prompt ends,
// and nowhere else: after ": ", or at the end.
std::string relay(const std::string& from, const std::string& to) {
  return simulator_command() + " | FROM=" + quoted(from) + " TO=" + quoted(to) +
         " perl -pe 'BEGIN { $| = 1; $/ = \": \" } s/\\Q$ENV{FROM}\\E/$ENV{TO}/'\n";
}

// Returns a simulator that takes the altitude and the fuel as the real one
// does, then shows a first state report with these numbers and asks for a
// fuel rate.
std::string reporting(const std::string& fuel, const std::string& altitude) {
  return says(expected::banner + expected::altitude_prompt) + "read answer\n" +
         says(expected::fuel_prompt) + "read answer\n" +
         says(expected::cutoff_heading +
              expected::state_report("   0", fuel, "   0", altitude, "   0.00") +
              expected::rate_prompt) +
         "read answer\n";
}

struct fake_case {
  const char* what;
  std::string simulator;  // the body of its shell script
  int status;             // the autopilot's exit status
  std::string said;       // all it writes on standard error
  double seconds;         // it ends sooner
  std::vector<std::string> arguments = {};
  int stop_at_ms = 0;  // if not 0, the job is stopped this long after its start,
  int stopped_ms = 0;  // for this long, and then continued (^Z, then fg)
};

// The autopilot flying a simulator that does anything: each run ends in
// time, with status 3 and one line on standard error when there is no
// flight to believe, and nothing that it writes is taken for a state that
// cannot be.
TEST(Autopilot, EndsInTimeAndBelievesNothingImpossible) {
  const std::string directory = temporary_directory();
  const double patience = patience_ms / 1000.0;
  const std::string in_time = std::to_string(patience_ms / 1000) + " s\n";
  const std::string& impossible = expected::impossible;
  const std::string& unfinished = expected::unfinished;
  // The controller's flight: the fuel out at 500 m.
  const std::vector<std::string> crash = {"--controller", "500", "100"};
  const std::string landed_words = expected::landed.substr(expected::landed.find(" - ") + 3);
  const std::string sleep_half = "sleep " + std::to_string(patience / 2) + "\n";
  const fake_case cases[] = {
      {"exits at once, saying nothing", "exit 0\n", 3, unfinished, patience + 2},
      {"claims a landing it did not fly", says(expected::landed), 3, unfinished, patience + 2},
      {"closes its output but keeps running", "exec >&-\nexec sleep 30\n", 3,
       expected::no_exit + in_time, 2 * patience + 2},
      {"writes endlessly without a prompt", "exec yes\n", 3,
       expected::no_prompt + "1048576 bytes of output\n", patience + 5},
      {"writes slowly without a prompt", "while :; do printf y; sleep 0.05; done\n", 3,
       expected::no_prompt + in_time, 2 * patience + 2},
      {"prompts again and again without reading",
       "while :; do " + says(expected::altitude_prompt) + "done\n", 3, expected::out_of_turn,
       patience + 2},
      {"prompts, and reads no answer longer than a pipe holds",
       says(expected::altitude_prompt) + "exec sleep 30\n",
       3,
       expected::answer_not_taken + in_time,
       2 * patience + 2,
       {std::string(100000, '1')}},
      {"reports Altitude: inf", reporting(" 500", "    inf"), 3, impossible + "altitude: inf\n",
       patience + 2},
      {"reports Fuel: 99999999999", reporting("99999999999", "1300.00"), 3,
       impossible + "fuel: 99999999999\n", patience + 2},
      {"reports Fuel: -5", reporting("  -5", "1300.00"), 3, impossible + "fuel: -5\n",
       patience + 2},
      {"reports more fuel than it started with", reporting(" 600", "1300.00"), 3,
       impossible + "fuel: 600\n", patience + 2},
      {"reports a word for a number", reporting(" 500", "   high"), 3, expected::unreadable_report,
       patience + 2},
      {"reports a possible state, then exits", reporting(" 500", "1300.00"), 3, unfinished,
       patience + 2},
      {"lands softly, a process it left holding its pipes", "(sleep 10) &\n" + real_simulator(), 0,
       "", patience + 2},
      {"stopped (^Z) longer than its patience while the simulator starts",
       sleep_half + real_simulator(),
       0,
       "",
       3.5 * patience + 2,
       {},
       patience_ms / 5,
       patience_ms * 3 / 2},
      {"passes the simulator's bytes on in small pieces",
       simulator_command() + " | dd bs=1 2>/dev/null\n", 0, "", patience + 2},
      {"rewrites only the verdict of a crash to a soft landing",
       relay(expected::crashed, expected::landed), 3,
       impossible + "verdict at -34.02 m/s: " + landed_words, patience + 2, crash},
      {"rewrites only the touchdown velocity", relay("-34.02", "-30.02"), 3,
       impossible + "velocity: -30.02\n", patience + 2, crash},
      {"rewrites only one out-of-fuel line's altitude", relay("193.50", "190.50"), 3,
       impossible + "altitude: 190.50\n", patience + 2, crash},
  };
  int number = 0;
  for (const fake_case& c : cases) {
    const std::string program = directory + "/simulator_" + std::to_string(number++);
    const int fd = ::open(program.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0755);
    const std::string script = "#!/bin/sh\n" + c.simulator;
    ASSERT_TRUE(fd >= 0 && write_all(fd, script.data(), script.size()) == 0) << program;
    ::close(fd);
    child_input streams{child_input::closed, ""};
    streams.environment = {"LM_SIMULATOR=" + program,
                           "LM_AUTOPILOT_TIMEOUT_MS=" + std::to_string(patience_ms)};
    streams.own_group = true;
    const auto start = std::chrono::steady_clock::now();
    const interactive_child child = start_child(LM_AUTOPILOT_PATH, streams, c.arguments);
    if (c.stop_at_ms > 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(c.stop_at_ms));
      ::kill(-child.pid, SIGSTOP);
      std::this_thread::sleep_for(std::chrono::milliseconds(c.stopped_ms));
      ::kill(-child.pid, SIGCONT);
    }
    std::string output;
    const bool ended = read_until_end(child.from_child, output, start + std::chrono::seconds(60));
    const child_result run = finish_child(child, ended ? 10 : 0);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    ::kill(-child.pid, SIGKILL);  // whatever the simulator left behind
    ::close(child.from_child);
    ::unlink(program.c_str());
    std::printf("%-68s %d in %.2f s\n", c.what, run.exit_status, took.count());
    EXPECT_FALSE(run.timed_out) << c.what;
    EXPECT_EQ(run.exit_status, c.status) << c.what;
    EXPECT_EQ(run.errors, c.said) << c.what;
    EXPECT_LT(took.count(), c.seconds) << c.what;
    EXPECT_TRUE(c.status != 0 || output.find(expected::landed) != std::string::npos) << c.what;
  }
  ::rmdir(directory.c_str());
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
