#include "tests/console_fixture.h"

#include <unistd.h>

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
  std::string text;
  char chunk[4096];
  off_t offset = 0;
  for (;;) {
    const ssize_t got = ::pread(fileno(output_), chunk, sizeof chunk, offset);
    if (got <= 0) break;
    text.append(chunk, static_cast<std::size_t>(got));
    offset += got;
  }
  return text;
}
