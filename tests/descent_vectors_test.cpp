// The descent formulas against vectors made with the x87 extended format.
// The file holds cases where evaluating in binary64 or in binary128 gets a
// different result, so an arithmetic that is only close to the rule fails
// here on whatever platform it runs.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "descent_model.h"
#include "same_binary64.h"

namespace {

double parse(const std::string& text) {
  return std::strtod(text.c_str(), nullptr);
}

TEST(DescentVectors, EveryFormulaGivesTheRecordedResult) {
  std::ifstream file(LM_VECTOR_FILE);
  ASSERT_TRUE(file) << "cannot open " << LM_VECTOR_FILE;
  std::map<std::string, int> kinds;  // "formula difference" -> count
  int checked = 0;
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string formula;
    fields >> formula;
    std::string a;
    std::string b;
    std::string c;
    std::string expected;
    std::string differs;
    double result = 0;
    if (formula == "acceleration") {
      fields >> a >> b >> expected >> differs;
      result = acceleration_for_rate(parse(a), static_cast<std::int32_t>(std::stol(b)));
    } else if (formula == "altitude") {
      fields >> a >> b >> c >> expected >> differs;
      result = altitude_after_second(parse(a), parse(b), parse(c));
    } else if (formula == "velocity") {
      fields >> a >> b >> expected >> differs;
      result = velocity_after_second(parse(a), parse(b));
    } else {
      FAIL() << "unknown formula in: " << line;
    }
    ASSERT_FALSE(fields.fail()) << "malformed: " << line;
    EXPECT_TRUE(same_binary64(result, parse(expected)))
        << line << "\n  got " << std::hexfloat << result;
    ++kinds[formula + " " + differs];
    ++checked;
  }
  EXPECT_GE(checked, 600);
  // Enough of the cases that tell the rule from its near neighbours.
  for (const char* kind : {"acceleration binary64", "acceleration binary128", "altitude binary64",
                           "altitude binary128", "altitude both", "velocity both"}) {
    EXPECT_GE(kinds[kind], 50) << kind;
  }
}

}  // namespace
