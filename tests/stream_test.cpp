// The program with unusual standard streams and very large inputs: each run
// must end by itself with the usual output and exit status.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <string>

#include "tests/child_process.h"

namespace {

const std::string banner_and_altitude_prompt =
    "\n"
    "Welcome aboard the Lunar Module Flight Simulator\n"
    "\n"
    "   To begin you must specify the LM's initial altitude\n"
    "   and fuel level.  To simulate the actual LM use\n"
    "   values of 1300 meters and 500 liters, respectively.\n"
    "\n"
    "   Good luck and may the force be with you!\n"
    "\n"
    "Enter the initial altitude of the LM (in meters): ";
const std::string abandoned = "\nERROR: Input ended before touchdown, flight abandoned\n";
const std::string altitude_error =
    "ERROR: Altitude must be between 1 and 9999, inclusive, please try again\n";
const std::string fuel_error = "ERROR: Amount of fuel must be positive, please try again\n";
const std::string fuel_prompt = "Enter the initial amount of fuel on board the LM (in liters): ";

// Runs the program on `input` from a file and returns what it did.
child_result run_on(const std::string& input) {
  const std::string path = temporary_file(input);
  child_result run = run_capturing(LM_SIMULATOR_PATH, {child_input::file, path}, 60);
  ::unlink(path.c_str());
  return run;
}

TEST(Streams, ClosedStandardInputIsTheEndOfInput) {
  const child_result run = run_capturing(LM_SIMULATOR_PATH, {child_input::closed, ""}, 10);
  EXPECT_FALSE(run.timed_out);
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.output, banner_and_altitude_prompt + abandoned);
}

TEST(Streams, FullStandardOutputDoesNotStopTheFlight) {
  std::string answers = "100 2000000\n";
  for (int i = 0; i < 20000; ++i)
    answers += "9\n";
  const std::string path = temporary_file(answers);
  const child_result run = run_with_output_file(LM_SIMULATOR_PATH, path.c_str(), "/dev/full", 60);
  ::unlink(path.c_str());
  EXPECT_FALSE(run.timed_out);
  EXPECT_EQ(run.exit_status, 1);  // the answers run out before touchdown
}

TEST(Streams, FullStandardOutputStillLandsWithStatusZero) {
  const std::string path = temporary_file("2 3 9");
  const child_result run = run_with_output_file(LM_SIMULATOR_PATH, path.c_str(), "/dev/full", 10);
  ::unlink(path.c_str());
  EXPECT_FALSE(run.timed_out);
  EXPECT_EQ(run.exit_status, 0);
}

TEST(Streams, FiftyMegabytesOfLettersAreOneRefusal) {
  const child_result run = run_on(std::string(50 << 20, 'x') + "\n2 3 9\n");
  EXPECT_FALSE(run.timed_out);
  EXPECT_EQ(run.exit_status, 0);
  const std::string start = banner_and_altitude_prompt + altitude_error +
                            "Enter the initial altitude of the LM (in meters): " + fuel_prompt;
  EXPECT_EQ(run.output.substr(0, start.size()), start);
  EXPECT_NE(run.output.find("Enjoy your oxygen while it lasts!\n"), std::string::npos);
}

TEST(Streams, FiftyMegabytesOfDigitsAreOneRefusal) {
  const child_result run = run_on("2\n" + std::string(50 << 20, '7') + "\n3 9\n");
  EXPECT_FALSE(run.timed_out);
  EXPECT_EQ(run.exit_status, 0);
  const std::string start = banner_and_altitude_prompt + fuel_prompt + fuel_error + fuel_prompt;
  EXPECT_EQ(run.output.substr(0, start.size()), start);
}

}  // namespace
