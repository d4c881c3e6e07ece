#include "console_fixture.h"

#include <cstdio>
#include <stdexcept>

console_fixture::console_fixture(std::string_view input)
    : io_(std::make_unique<console>()), input_(std::tmpfile()), output_(std::tmpfile()) {
  if (input_ == nullptr || output_ == nullptr) throw std::runtime_error("no temporary file");
  if (std::fwrite(input.data(), 1, input.size(), input_) != input.size() ||
      std::fflush(input_) != 0) {
    throw std::runtime_error("cannot write the input");
  }
  std::rewind(input_);
  console_open(*io_, fileno(input_), fileno(output_));
}

console_fixture::~console_fixture() {
  std::fclose(input_);
  std::fclose(output_);
}

std::string console_fixture::output() {
  flush_output(io_->out);
  // The console wrote through the descriptor; the stream reads it all back
  // from the start, then leaves the position at the end for what follows.
  std::string text;
  char chunk[4096];
  std::rewind(output_);
  for (;;) {
    const std::size_t got = std::fread(chunk, 1, sizeof chunk, output_);
    if (got == 0) break;
    text.append(chunk, got);
  }
  std::fseek(output_, 0, SEEK_END);
  return text;
}
