// Whole flights compared byte for byte. Each NAME.in under transcripts/ is
// fed to the program as its standard input; its standard output must equal
// NAME.out exactly, and its exit status the number in NAME.status (0 when
// there is no such file).

#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/child_process.h"

namespace {

const std::string transcript_dir = LM_TRANSCRIPT_DIR;

std::vector<std::string> transcript_names() {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(transcript_dir.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      const std::string file = entry->d_name;
      if (file.size() > 3 && file.compare(file.size() - 3, 3, ".in") == 0) {
        names.push_back(file.substr(0, file.size() - 3));
      }
    }
    ::closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool read_file(const std::string& path, std::string& contents) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::ostringstream all;
  all << file.rdbuf();
  contents = all.str();
  return true;
}

class Transcript : public testing::TestWithParam<std::string> {};

TEST_P(Transcript, OutputAndExitStatusMatch) {
  const std::string base = transcript_dir + "/" + GetParam();
  std::string expected;
  ASSERT_TRUE(read_file(base + ".out", expected)) << base << ".out is missing";
  std::string status_text;
  const int expected_status = read_file(base + ".status", status_text) ? std::stoi(status_text) : 0;

  const child_result run = run_capturing(LM_SIMULATOR_PATH, {child_input::file, base + ".in"}, 30);
  ASSERT_FALSE(run.timed_out);
  EXPECT_EQ(run.signal, 0);
  EXPECT_EQ(run.exit_status, expected_status);
  EXPECT_EQ(run.output, expected);
}

TEST(Transcripts, AreThere) {
  EXPECT_GE(transcript_names().size(), 20u);
}

INSTANTIATE_TEST_SUITE_P(Flights, Transcript, testing::ValuesIn(transcript_names()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           return info.param;
                         });

}  // namespace
