// How every run of the autopilot ends: with its status and one line on
// standard error, whatever it is given on its command line, and in time,
// whatever the simulator it drives does: exits, hangs, floods, is stopped,
// or has its words rewritten on their way; nothing it reads is believed
// that no flight could show.

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

}  // namespace
