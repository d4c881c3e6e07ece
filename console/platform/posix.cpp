// The platform calls on POSIX systems, where the standard streams already
// carry bytes unchanged.

#include <sys/stat.h>
#include <unistd.h>

#include "platform_io.h"
#include "posix_streams.h"

const int platform_input_fd = STDIN_FILENO;
const int platform_output_fd = STDOUT_FILENO;
const int platform_error_fd = STDERR_FILENO;

void platform_prepare_streams() {}

std::size_t platform_read(int fd, char* bytes, std::size_t size, int& error) {
  const read_result got = read_when_ready(fd, bytes, size, wait_forever);
  if (got.error != 0) error = got.error;
  return got.size;
}

// A terminal is a character device as well: under Node, whose files the
// WebAssembly build reads through, isatty() says yes to every standard
// stream, while fstat() reports what the stream really is.
bool platform_is_terminal(int fd) {
  struct stat status {};
  return ::fstat(fd, &status) == 0 && S_ISCHR(status.st_mode) && ::isatty(fd) == 1;
}

int platform_write_all(int fd, const char* bytes, std::size_t size) {
  return write_all(fd, bytes, size);
}
