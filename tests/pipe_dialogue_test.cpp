// The program driven over pipes the way an autopilot drives it: each answer
// is written only after its prompt has arrived. A prompt left in the output
// buffer while the program waits for input stalls the dialogue, and the
// bounded wait below turns that into a failure.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "child_process.h"
#include "expected_texts.h"
#include "posix_streams.h"

namespace {

using expected::rate_prompt;

// Reads from the child until what arrived ends with `prompt`, or the wait
// runs out; returns whether the prompt came.
bool await_prompt(int fd, std::string& received, const std::string& prompt) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  char chunk[4096];
  while (received.size() < prompt.size() ||
         received.compare(received.size() - prompt.size(), prompt.size(), prompt) != 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    const read_result got =
        read_when_ready(fd, chunk, sizeof chunk, static_cast<int>(left.count()));
    if (got.timed_out) continue;
    if (got.size == 0) return false;
    received.append(chunk, got.size);
  }
  return true;
}

struct exchange {
  std::string prompt;  // what must have arrived last before answering
  std::string answer;
};

struct dialogue {
  std::vector<exchange> exchanges;
  bool close_input_after;  // end the input after the last answer
};

// Plays the dialogue and returns the child's whole output and status.
child_result play(const dialogue& d) {
  const interactive_child child = start_child(LM_SIMULATOR_PATH, {child_input::typed, ""});
  std::string received;
  for (const exchange& e : d.exchanges) {
    if (!await_prompt(child.from_child, received, e.prompt)) {
      ::kill(child.pid, SIGKILL);
      ADD_FAILURE() << "prompt never arrived: \"" << e.prompt << "\"; got so far:\n" << received;
      break;
    }
    EXPECT_EQ(::write(child.to_child, e.answer.data(), e.answer.size()),
              static_cast<ssize_t>(e.answer.size()));
  }
  if (d.close_input_after) ::close(child.to_child);
  read_until_end(child.from_child, received,
                 std::chrono::steady_clock::now() + std::chrono::seconds(10));
  ::close(child.from_child);
  if (!d.close_input_after) ::close(child.to_child);
  child_result result = finish_child(child, 10);
  result.output = received;
  return result;
}

TEST(PipeDialogue, EveryPromptArrivesBeforeTheProgramWaits) {
  const child_result run = play({{{"(in meters): ", "1\n"},
                                  {"(in liters): ", "100\n"},
                                  {rate_prompt, "3\n"},
                                  {rate_prompt, "5\n"},
                                  {rate_prompt, "8\n"}},
                                 false});
  EXPECT_FALSE(run.timed_out);
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_NE(run.output.find("    Velocity:    0.32 m/s\n" + expected::landed), std::string::npos)
      << run.output;
}

TEST(PipeDialogue, RefusalsAndTheirNewPromptArriveTogether) {
  const std::string& altitude_prompt = expected::altitude_prompt;
  const child_result run = play({{{altitude_prompt, "0\n"},
                                  {expected::altitude_error + altitude_prompt, "abc\n"},
                                  {expected::altitude_error + altitude_prompt, "2\n"},
                                  {"(in liters): ", "0\n"},
                                  {expected::fuel_error + expected::fuel_prompt, "3\n"},
                                  {rate_prompt, "12\n"},
                                  {expected::rate_error + rate_prompt, "9\n"}},
                                 false});
  EXPECT_FALSE(run.timed_out);
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_NE(run.output.find(expected::hard_landing), std::string::npos);
}

TEST(PipeDialogue, InputClosedAtTheRatePromptAbandonsTheFlight) {
  const child_result run = play({{{"(in meters): ", "1300 500\n"}, {rate_prompt, ""}}, true});
  EXPECT_FALSE(run.timed_out);
  EXPECT_EQ(run.exit_status, 1);
  const std::string ending = rate_prompt + expected::abandoned;
  ASSERT_GE(run.output.size(), ending.size());
  EXPECT_EQ(run.output.substr(run.output.size() - ending.size()), ending);
}

}  // namespace
