// The program in hostile surroundings: huge, binary or empty input, and
// standard streams that are closed, full or abandoned. Each run must end by
// itself, quickly and within 64 MiB, with the usual exit status: 0 after
// touchdown, 1 when the input ends first.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <random>
#include <string>

#include "child_process.h"
#include "expected_texts.h"

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

TEST(HostileStreams, FullStandardOutputDoesNotStopTheFlight) {
  struct full_case {
    const char* what;
    std::string input;
    int status;
  };
  const full_case cases[] = {
      {"a landing", "2 3 9", 0},
      {"a long flight whose input runs out", long_flight(), 1},
  };
  for (const full_case& c : cases) {
    const std::string path = temporary_file(c.input);
    const child_result run = run_with_output_file(LM_SIMULATOR_PATH, path.c_str(), "/dev/full", 60);
    ::unlink(path.c_str());
    expect_calm(run, c.what);
    EXPECT_EQ(run.exit_status, c.status) << c.what;
  }
}

TEST(HostileStreams, AReaderThatLeavesEndsTheProgramLikeAnyFilter) {
  const std::string path = temporary_file(long_flight());
  const child_result run = run_with_closed_pipe(LM_SIMULATOR_PATH, path.c_str(), 30);
  ::unlink(path.c_str());
  EXPECT_FALSE(run.timed_out);
  // The first write meets the closed pipe: SIGPIPE ends the program.
  EXPECT_EQ(run.signal, SIGPIPE);
}

}  // namespace
