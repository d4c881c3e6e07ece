// posix_streams: whole writes and waiting reads on POSIX descriptors, the
// same for the simulator's standard streams, the autopilot's pipes and the
// test helpers' children.
//
// A descriptor may be non-blocking without this process asking for it: the
// flag belongs to the open file, which a parent or an earlier program in the
// same terminal may share and have changed. A call that would block then
// waits in poll() until the descriptor is ready and goes on, so the caller
// sees the same bytes either way, and nothing spins. Interruptions by
// signals are retried inside. A blocking descriptor costs one system call
// per read or write, as if these were the plain calls.

#ifndef LM_CONSOLE_PLATFORM_POSIX_STREAMS_H_
#define LM_CONSOLE_PLATFORM_POSIX_STREAMS_H_

#include <cstddef>

// Returns 0 once all of bytes[0, size) is written, or the system's error
// number of the write that failed for good; nothing more is written then.
int write_all(int fd, const char* bytes, std::size_t size);

// What one read_when_ready brought.
struct read_result {
  std::size_t size;  // bytes that arrived; 0 with no flag below: end of file
  bool timed_out;    // nothing arrived in the time allowed
  int error;         // the system's error number of a failed read, or 0
};

// Passed as timeout_ms: wait as long as it takes.
constexpr int wait_forever = -1;

// Reads at most `size` (> 0) bytes into `bytes` once at least one is there,
// waiting up to `timeout_ms` milliseconds, or forever for wait_forever.
read_result read_when_ready(int fd, char* bytes, std::size_t size, int timeout_ms);

#endif  // LM_CONSOLE_PLATFORM_POSIX_STREAMS_H_
