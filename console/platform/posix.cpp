// The platform calls on POSIX systems, where the standard streams already
// carry bytes unchanged.

#include <unistd.h>

#include <cerrno>

#include "platform_io.h"

const int platform_input_fd = STDIN_FILENO;
const int platform_output_fd = STDOUT_FILENO;

void platform_prepare_streams() {}

std::size_t platform_read(int fd, char* bytes, std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(fd, bytes, size);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) return 0;
  }
}

std::size_t platform_write(int fd, const char* bytes, std::size_t size) {
  for (;;) {
    const ssize_t written = ::write(fd, bytes, size);
    if (written >= 0) return static_cast<std::size_t>(written);
    if (errno != EINTR) return 0;
  }
}
