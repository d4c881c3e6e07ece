// console_fixture: a console whose input is a given text and whose output
// is collected, for testing the dialogue without a terminal.

#ifndef LM_TESTS_CONSOLE_FIXTURE_H_
#define LM_TESTS_CONSOLE_FIXTURE_H_

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "console_io.h"

class console_fixture {
 public:
  // Reads from a file holding exactly `input`.
  explicit console_fixture(std::string_view input);
  ~console_fixture();
  console_fixture(const console_fixture&) = delete;
  console_fixture& operator=(const console_fixture&) = delete;

  console& io() { return *io_; }

  // Returns everything written so far, flushing the buffer first.
  std::string output();

 private:
  std::unique_ptr<console> io_;
  std::FILE* input_;
  std::FILE* output_;
};

#endif  // LM_TESTS_CONSOLE_FIXTURE_H_
