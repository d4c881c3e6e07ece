#include "posix_streams.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace {

using steady = std::chrono::steady_clock;

bool would_block(int error) {
  return error == EAGAIN || error == EWOULDBLOCK;
}

// Waits until fd is ready for `events` or the deadline passes (none when
// `bounded` is false). Returns 0 when ready (or when poll reports an error
// condition, which the next call on fd then names), ETIMEDOUT, or poll's
// error number.
int wait_ready(int fd, short events, bool bounded, steady::time_point deadline) {
  for (;;) {
    int timeout_ms = -1;
    if (bounded) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - steady::now());
      if (left.count() <= 0) return ETIMEDOUT;
      timeout_ms = static_cast<int>(left.count());
    }
    pollfd p{fd, events, 0};
    const int ready = ::poll(&p, 1, timeout_ms);
    if (ready > 0) return 0;
    if (ready < 0 && errno != EINTR) return errno;
  }
}

}  // namespace

int write_all(int fd, const char* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, bytes, size);
    if (written > 0) {
      bytes += written;
      size -= static_cast<std::size_t>(written);
      continue;
    }
    // A write of no bytes would repeat for ever; no descriptor the program
    // writes does that unless it has failed.
    if (written == 0) return EIO;
    if (errno == EINTR) continue;
    if (!would_block(errno)) return errno;
    const int waited = wait_ready(fd, POLLOUT, false, {});
    if (waited != 0) return waited;
  }
  return 0;
}

read_result read_when_ready(int fd, char* bytes, std::size_t size, int timeout_ms) {
  const bool bounded = timeout_ms != wait_forever;
  // Unbounded, no clock is read: the simulator's every read comes here.
  const steady::time_point deadline =
      bounded ? steady::now() + std::chrono::milliseconds(timeout_ms) : steady::time_point{};
  // Unbounded, the read goes first: a blocking descriptor waits inside it,
  // at one system call per read.
  bool wait_first = bounded;
  for (;;) {
    if (wait_first) {
      const int waited = wait_ready(fd, POLLIN, bounded, deadline);
      if (waited == ETIMEDOUT) return {0, true, 0};
      if (waited != 0) return {0, false, waited};
    }
    const ssize_t got = ::read(fd, bytes, size);
    if (got >= 0) return {static_cast<std::size_t>(got), false, 0};
    if (errno == EINTR) {
      wait_first = bounded;
      continue;
    }
    if (!would_block(errno)) return {0, false, errno};
    wait_first = true;
  }
}
