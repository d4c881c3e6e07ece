// The program in hostile surroundings: huge, binary or empty input, and
// standard streams that are closed, full, abandoned or non-blocking. Each run
// must end by itself, quickly and within 64 MiB, with its exit status: 0
// after touchdown, 1 when the input ends first, 2 with a line on standard
// error when the output could not be written.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <thread>

#include "child_process.h"
#include "console_io.h"
#include "expected_texts.h"
#include "posix_streams.h"

namespace {

using expected::abandoned;
using expected::altitude_error;
using expected::altitude_prompt;
using expected::fuel_error;
using expected::fuel_prompt;

const std::string banner_and_altitude_prompt = expected::banner + altitude_prompt;
const std::string verdict = "\nStatus at landing - Enjoy your oxygen while it lasts!\n";

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
    const std::string path = temporary_file(c.input);
    const child_result run =
        run_capturing(LM_SIMULATOR_PATH, {child_input::file, path, memory_limit_mib}, 60);
    ::unlink(path.c_str());
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

TEST(HostileStreams, ClosedStandardInputIsTheEndOfInput) {
  const child_result run =
      run_capturing(LM_SIMULATOR_PATH, {child_input::closed, "", memory_limit_mib}, 10);
  expect_calm(run, "closed input");
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.output, banner_and_altitude_prompt + abandoned);
}

// A long flight: 20,000 answered seconds, then the input ends.
std::string long_flight() {
  std::string answers = "100 2000000\n";
  for (int i = 0; i < 20000; ++i)
    answers += "9\n";
  return answers;
}

std::string lost_output_line(int error) {
  return expected::output_lost + std::strerror(error) + "\n";
}

struct lost_output_case {
  const char* what;
  const char* path;  // for output_kind::file
  std::string input;
  std::string errors;  // everything on standard error
  output_kind kind;
  int status;  // the exit status, or -1 when a signal ends the run
  int signal;  // that signal
  bool ignore_sigpipe;
};

TEST(HostileStreams, LostOutputIsSaidOnceWithItsOwnStatus) {
  const std::string no_space = lost_output_line(ENOSPC);
  const lost_output_case cases[] = {
      {"/dev/full, a landing", "/dev/full", "2 3 9", no_space, output_kind::file, 2, 0, false},
      {"/dev/full, a long flight", "/dev/full", long_flight(), no_space, output_kind::file, 2, 0,
       false},
      {"closed standard output", "", long_flight(), lost_output_line(EBADF), output_kind::closed, 2,
       0, false},
      {"reader gone, SIGPIPE ignored", "", long_flight(), lost_output_line(EPIPE),
       output_kind::abandoned_pipe, 2, 0, true},
      // Like any filter, the program is ended by the signal.
      {"reader gone, SIGPIPE at its default", "", long_flight(), "", output_kind::abandoned_pipe,
       -1, SIGPIPE, false},
  };
  for (const lost_output_case& c : cases) {
    const std::string path = temporary_file(c.input);
    const child_result run =
        run_with_output(LM_SIMULATOR_PATH, path.c_str(), c.kind, c.path, c.ignore_sigpipe, 30);
    ::unlink(path.c_str());
    EXPECT_FALSE(run.timed_out) << c.what;
    EXPECT_EQ(run.exit_status, c.status) << c.what;
    EXPECT_EQ(run.signal, c.signal) << c.what;
    EXPECT_EQ(run.errors, c.errors) << c.what;
  }
}

// A hover from 9999 m: answers of 5 hold the module still, so the whole
// output follows from the number of seconds, and any lost, doubled or
// changed byte shows.
std::string hover_answers(int seconds) {
  std::string answers = "9999 1000000\n";
  for (int i = 0; i < seconds; ++i)
    answers += "5\n";
  return answers;
}

std::string hover_output(int seconds) {
  std::string text =
      banner_and_altitude_prompt + fuel_prompt + "\nLM state at retrorocket cutoff\n";
  char report[256];
  for (int time = 0; time <= seconds; ++time) {
    std::snprintf(report, sizeof report,
                  "Elapsed Time: %4d s\n        Fuel: %4d l\n        Rate: %4d l/s\n"
                  "    Altitude: 9999.00 m\n    Velocity:    0.00 m/s\n",
                  time, 1000000 - 5 * time, time == 0 ? 0 : 5);
    text += report;
    text += expected::rate_prompt;
  }
  return text + abandoned;
}

// 10,000 refused altitudes: error lines and prompts only, where the hover
// writes mostly reports, so that both ways of filling the buffer reach its
// end.
struct known_flight {
  std::string answers;
  std::string output;
};

known_flight refusals(int count) {
  known_flight flight{"", banner_and_altitude_prompt};
  for (int i = 0; i < count; ++i) {
    flight.answers += "x\n";
    flight.output += altitude_error + altitude_prompt;
  }
  flight.output += abandoned;
  return flight;
}

struct output_pipe_case {
  const char* what;
  known_flight flight;
  bool non_blocking_and_slow;  // the pipe non-blocking, its reader slow
};

TEST(HostileStreams, EveryByteOfALongFlightArrivesThroughAnyPipe) {
  // 8,000 seconds write 1.5 MB, more than the output buffer holds.
  const known_flight hover{hover_answers(8000), hover_output(8000)};
  const output_pipe_case cases[] = {
      {"a hover through a pipe", hover, false},
      {"a hover through a non-blocking pipe", hover, true},
      {"refusals through a pipe", refusals(10000), false},
      {"refusals through a non-blocking pipe", refusals(10000), true},
  };
  for (const output_pipe_case& c : cases) {
    ASSERT_GT(c.flight.output.size(), output_buffer_size) << c.what;
    const std::string path = temporary_file(c.flight.answers);
    const interactive_child child =
        start_interactive(LM_SIMULATOR_PATH, path, false, c.non_blocking_and_slow);
    // The slow reader pauses after each read, so that the program's writes
    // find the pipe full again and again.
    std::string text;
    read_until_end(child.from_child, text,
                   std::chrono::steady_clock::now() + std::chrono::seconds(60),
                   std::chrono::microseconds(c.non_blocking_and_slow ? 500 : 0));
    ::close(child.from_child);
    ::unlink(path.c_str());
    const child_result run = finish_child(child, 30);
    EXPECT_FALSE(run.timed_out) << c.what;
    EXPECT_EQ(run.exit_status, 1) << c.what;
    EXPECT_EQ(run.errors, "") << c.what;
    EXPECT_EQ(text.size(), c.flight.output.size()) << c.what;
    EXPECT_TRUE(text == c.flight.output) << c.what << ": the output differs";
  }
}

TEST(HostileStreams, ANonBlockingInputFedSlowlyFliesTheSameFlight) {
  signal(SIGPIPE, SIG_IGN);  // a program that quits early must fail the test, not end it
  constexpr int seconds = 300;
  const std::string answers = hover_answers(seconds);
  const interactive_child child = start_interactive(LM_SIMULATOR_PATH, "", true, false);
  // Five bytes at a time, splitting numbers, with the program left to wait
  // between them.
  const auto started = std::chrono::steady_clock::now();
  std::thread typist([&answers, &child] {
    for (std::size_t at = 0; at < answers.size(); at += 5) {
      const std::string piece = answers.substr(at, 5);
      if (write_all(child.to_child, piece.data(), piece.size()) != 0) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ::close(child.to_child);
  });
  std::string text;
  read_until_end(child.from_child, text,
                 std::chrono::steady_clock::now() + std::chrono::seconds(60));
  typist.join();
  const std::chrono::duration<double> typing = std::chrono::steady_clock::now() - started;
  ::close(child.from_child);
  const child_result run = finish_child(child, 30);
  EXPECT_FALSE(run.timed_out);
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.errors, "");
  const std::string expected_text = hover_output(seconds);
  EXPECT_EQ(text.size(), expected_text.size());
  EXPECT_TRUE(text == expected_text) << "the output differs";
#ifndef LM_CHILD_WRAPPER
  // Waiting in poll costs next to nothing; a program that retried its read
  // until the answers came would spend the whole time typing took.
  EXPECT_LT(run.cpu_seconds, typing.count() / 2) << "the program spun while waiting";
#endif
}

}  // namespace
