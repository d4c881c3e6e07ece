// The program in hostile surroundings: huge, binary or empty input, and
// standard streams that are closed, full, abandoned or non-blocking. Each run
// must end by itself, quickly and within 64 MiB, with its exit status: 0 after
// touchdown, 1 when the input ends first, 2 when the output is lost.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "child_process.h"
#include "console_io.h"
#include "expected_texts.h"

namespace {

using expected::abandoned;
using expected::altitude_error;
using expected::altitude_prompt;
using expected::fuel_error;
using expected::fuel_prompt;

const std::string banner_and_altitude_prompt = expected::banner + altitude_prompt;
const std::string& verdict = expected::hard_landing;

// Runs are held to this much address space, where the build's checkers
// do not need more themselves: a program that wanted more would fail.
#ifdef LM_MEMORY_UNMEASURED
constexpr long memory_limit_mib = 0;
#else
constexpr long memory_limit_mib = 64;
#endif

void expect_calm(const child_result& run, const char* what) {
  EXPECT_FALSE(run.timed_out) << what;
  EXPECT_EQ(run.signal, 0) << what;
}

bool ends_with(const std::string& text, const std::string& ending) {
  return text.size() >= ending.size() &&
         text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

std::string random_bytes(std::size_t size) {
  std::mt19937 random(1969);
  std::string bytes(size, '\0');
  std::generate(bytes.begin(), bytes.end(), [&random] { return static_cast<char>(random()); });
  return bytes;
}

struct hostile_case {
  const char* what;
  std::string input;
  int status;          // -1: 0 or 1, whichever the output shows
  std::string start;   // what the output must begin with
  std::string ending;  // and end with
};

TEST(HostileInput, EndsCalmlyWithTheRightStatus) {
  const hostile_case cases[] = {
      {"50 MB of letters at the altitude prompt", std::string(50 << 20, 'x') + "\n2 3 9\n", 0,
       banner_and_altitude_prompt + altitude_error + altitude_prompt + fuel_prompt, verdict},
      {"50 MB of digits at the fuel prompt", "2\n" + std::string(50 << 20, '7') + "\n3 9\n", 0,
       banner_and_altitude_prompt + fuel_prompt + fuel_error + fuel_prompt, verdict},
      {"NUL bytes", std::string(100000, '\0'), 1,
       banner_and_altitude_prompt + altitude_error + altitude_prompt, abandoned},
      {"NUL bytes beside answers", std::string("2\0 3\0\0 9", 8), 0,
       banner_and_altitude_prompt + fuel_prompt + fuel_error + fuel_prompt, verdict},
      {"1 MiB of random bytes", random_bytes(1 << 20), -1, banner_and_altitude_prompt, ""},
      {"empty input", "", 1, banner_and_altitude_prompt + abandoned, abandoned},
      {"only white space", std::string(1 << 20, ' ') + "\t\r\n\v\f", 1,
       banner_and_altitude_prompt + abandoned, abandoned},
  };
  for (const hostile_case& c : cases) {
    const child_result run =
        run_capturing(LM_SIMULATOR_PATH, {child_input::file, c.input, memory_limit_mib}, 60);
    expect_calm(run, c.what);
    EXPECT_EQ(run.output.substr(0, c.start.size()), c.start) << c.what;
    EXPECT_TRUE(ends_with(run.output, c.ending)) << c.what;
    if (c.status >= 0) {
      EXPECT_EQ(run.exit_status, c.status) << c.what;
    } else {
      // Either the bytes happened to fly a whole flight, or the input ran out.
      const bool landed = run.output.find("\nStatus at landing - ") != std::string::npos;
      EXPECT_EQ(run.exit_status, landed ? 0 : 1) << c.what;
      EXPECT_TRUE(landed || ends_with(run.output, abandoned)) << c.what;
    }
  }
}

// At a terminal the input can go on after its end: Ctrl+D after "1300"
// hands it over without a line end, a second one ends the input, and what
// is typed after that must never be read.
TEST(HostileInput, TheEndOfInputAtATerminalIsFinal) {
  const std::string typed = std::string("1300\x04\x04") + "500\n9\n";
  const child_result run = run_capturing(LM_SIMULATOR_PATH, {child_input::terminal, typed}, 10);
  expect_calm(run, "end of input at a terminal");
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.output, banner_and_altitude_prompt + fuel_prompt + abandoned);
}

// Brief mode at a terminal: answers typed ahead on one line fly unsaid and
// are counted before the next line said; a refusal among them is said.
// (Each line typed is one read, as a terminal hands it over.)
TEST(HostileInput, BriefModeCountsAnswersTypedAheadAtATerminal) {
  const std::string flown = " s flown on answers typed ahead.\n";
  std::string zeros;
  for (int i = 0; i < 45; ++i)
    zeros += "0 ";
  const struct {
    std::string typed;
    std::string after_banner;
    int status;
  } cases[] = {
      {"1300 500\n9 9 9\n" + zeros + "\n",
       "Altitude? Fuel? \n1300 m 0.00 m/s 500 l. Rate? \n3" + flown +
           "1306 m 3.89 m/s 473 l. Rate? \n43" + flown + "Crash at 46 s -65.77 m/s 473 l." +
           expected::crashed,
       0},
      {"1300 500\n5 x 5 5\n\x04",
       "Altitude? Fuel? \n1300 m 0.00 m/s 500 l. Rate? \n1300 m 0.00 m/s 495 l. "
       "Rate? Rate must be 0 to 9.\nRate? \n2" +
           flown + "1300 m 0.00 m/s 485 l. Rate? " + "\nInput ended, flight abandoned.\n",
       1},
      // The last answer, ended by Ctrl+D alone, may go on: it is no answer typed ahead.
      {"1300 500\n5 5\x04\x04",
       "Altitude? Fuel? \n1300 m 0.00 m/s 500 l. Rate? \n1300 m 0.00 m/s 495 l. "
       "Rate? \n1300 m 0.00 m/s 490 l. Rate? \nInput ended, flight abandoned.\n",
       1},
      {"4 3\n0 9 9\n",
       "Altitude? Fuel? \n4.00 m 0.00 m/s 3 l. Rate? \n2" + flown +
           "1.25 m -2.27 m/s no fuel.\nHard landing at 3 s -3.89 m/s 0 l." + expected::hard_landing,
       0},
  };
  for (const auto& c : cases) {
    const child_result run =
        run_capturing(LM_SIMULATOR_PATH, {child_input::terminal, c.typed}, 10, {"--brief"});
    expect_calm(run, c.typed.c_str());
    EXPECT_EQ(run.exit_status, c.status) << c.typed;
    EXPECT_EQ(run.output, expected::brief_banner + c.after_banner);
  }
}

// Standard input that cannot be read ends the flight as its end does, but
// the reason is said on standard error and the status is 3.
TEST(HostileStreams, UnreadableStandardInputIsSaid) {
  const struct {
    child_input::kind_t input;
    int error;
  } cases[] = {
      {child_input::closed, EBADF},      // lm_simulator <&-
      {child_input::directory, EISDIR},  // lm_simulator < docs
      {child_input::write_only, EBADF},  // lm_simulator 0> file
  };
  for (const auto& c : cases) {
    const std::string what = std::strerror(c.error);
    const child_result run = run_capturing(LM_SIMULATOR_PATH, {c.input, "", memory_limit_mib}, 10);
    expect_calm(run, what.c_str());
    EXPECT_EQ(run.exit_status, 3) << what;
    EXPECT_EQ(run.output, banner_and_altitude_prompt + abandoned) << what;
    EXPECT_EQ(run.errors, expected::input_failed + what + "\n");
  }
}

// A long flight: 20,000 answered seconds, then the input ends.
std::string long_flight() {
  std::string answers = "100 2000000\n";
  for (int i = 0; i < 20000; ++i)
    answers += "9\n";
  return answers;
}

struct known_flight {
  std::string answers;
  std::string output;
};

// A hover from 9999 m after `refused` refused altitudes: answers of 5 hold
// the module still, so any lost, doubled or changed byte shows. Refusals fill
// the output buffer through error lines and prompts, the hover through reports.
known_flight hovering(int refused, int seconds) {
  known_flight flight{"", banner_and_altitude_prompt};
  for (int i = 0; i < refused; ++i) {
    flight.answers += "x\n";
    flight.output += altitude_error + altitude_prompt;
  }
  flight.answers += "9999 1000000\n";
  flight.output += fuel_prompt + "\nLM state at retrorocket cutoff\n";
  char report[256];
  for (int time = 0; time <= seconds; ++time) {
    std::snprintf(report, sizeof report,
                  "Elapsed Time: %4d s\n        Fuel: %4d l\n        Rate: %4d l/s\n"
                  "    Altitude: 9999.00 m\n    Velocity:    0.00 m/s\n",
                  time, 1000000 - 5 * time, time == 0 ? 0 : 5);
    flight.answers += time < seconds ? "5\n" : "";
    flight.output += report + expected::rate_prompt;
  }
  flight.output += abandoned;
  return flight;
}

struct stream_case {
  const char* what;
  child_input streams;
  std::string output;  // all that must arrive through a pipe
  int status;          // the exit status, or -1 when SIGPIPE ends the run
  int lost;            // the error number said on standard error, or 0
};

TEST(HostileStreams, EveryByteArrivesOrItsLossIsSaidOnce) {
  using in = child_input;
  const known_flight hover = hovering(0, 8000);
  const known_flight refused = hovering(10000, 0);
  const known_flight typed = hovering(0, 500);
  ASSERT_GT(std::min(hover.output.size(), refused.output.size()), output_buffer_size);
  const std::string flight = long_flight();
  const child_output full = child_output::dev_full;
  const child_output gone = child_output::abandoned_pipe;
  const stream_case cases[] = {
      {"/dev/full, a landing", {in::file, "2 3 9", 0, false, full}, "", 2, ENOSPC},
      {"/dev/full, a long flight", {in::file, flight, 0, false, full}, "", 2, ENOSPC},
      {"closed output", {in::file, flight, 0, false, child_output::closed}, "", 2, EBADF},
      {"reader gone, SIGPIPE ignored", {in::file, flight, 0, false, gone, true}, "", 2, EPIPE},
      // Like any filter, the program is ended by the signal.
      {"reader gone, SIGPIPE at its default", {in::file, flight, 0, false, gone}, "", -1, 0},
      {"a hover through a pipe", {in::file, hover.answers}, hover.output, 1, 0},
      {"a hover read slowly", {in::file, hover.answers, 0, true}, hover.output, 1, 0},
      {"refusals through a pipe", {in::file, refused.answers}, refused.output, 1, 0},
      {"refusals read slowly", {in::file, refused.answers, 0, true}, refused.output, 1, 0},
      {"a hover typed slowly", {in::typed, typed.answers, 0, true}, typed.output, 1, 0},
  };
  for (const stream_case& c : cases) {
    const child_result run = run_capturing(LM_SIMULATOR_PATH, c.streams, 60);
    EXPECT_FALSE(run.timed_out) << c.what;
    EXPECT_EQ(run.exit_status, c.status) << c.what;
    EXPECT_EQ(run.signal, c.status < 0 ? SIGPIPE : 0) << c.what;
    const std::string said = c.lost ? expected::output_lost + std::strerror(c.lost) + "\n" : "";
    EXPECT_EQ(run.errors, said) << c.what;
    EXPECT_EQ(run.output.size(), c.output.size()) << c.what;
    EXPECT_TRUE(run.output == c.output) << c.what << ": the output differs";
#ifndef LM_CHILD_WRAPPER
    // Typing takes 2 ms per 5 bytes: a program that waits in poll spends next to none of it.
    const double typing = 0.002 / 5 * static_cast<double>(c.streams.text.size());
    EXPECT_TRUE(c.streams.kind != in::typed || run.cpu_seconds < typing / 2) << c.what << ": spun";
#endif
  }
}

}  // namespace
