// The platform calls on Windows, through the C runtime's descriptors.
//
// The runtime opens the standard streams in text mode, which would turn
// every "\n" written into "\r\n" and stop reading at a Ctrl+Z byte; binary
// mode makes the bytes the same as on every other system (a "\r\n" typed
// or read from a file is white space to the reader anyway). At a console,
// where binary mode hands Ctrl+Z through as a byte, a line that starts with
// it ends the input, as Ctrl+D does on a POSIX terminal.

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <climits>

#include "platform_io.h"

namespace {

constexpr char console_end_of_input = '\x1a';  // Ctrl+Z

// The runtime's calls take an unsigned int count.
unsigned int clamp_count(std::size_t size) {
  return size > INT_MAX ? INT_MAX : static_cast<unsigned int>(size);
}

}  // namespace

const int platform_input_fd = 0;
const int platform_output_fd = 1;
const int platform_error_fd = 2;

void platform_prepare_streams() {
  _setmode(platform_input_fd, _O_BINARY);
  _setmode(platform_output_fd, _O_BINARY);
}

std::size_t platform_read(int fd, char* bytes, std::size_t size, int& error) {
  for (;;) {
    const int got = _read(fd, bytes, clamp_count(size));
    if (got > 0 && bytes[0] == console_end_of_input && _isatty(fd)) return 0;
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) {
      error = errno;
      return 0;
    }
  }
}

bool platform_is_terminal(int fd) {
  return _isatty(fd) != 0;
}

int platform_write_all(int fd, const char* bytes, std::size_t size) {
  while (size > 0) {
    const int written = _write(fd, bytes, clamp_count(size));
    if (written > 0) {
      bytes += written;
      size -= static_cast<std::size_t>(written);
    } else if (written == 0) {
      return EIO;  // repeating a write that takes nothing would never end
    } else if (errno != EINTR) {
      return errno;
    }
  }
  return 0;
}
