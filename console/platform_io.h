// platform_io: the few raw calls the console needs from the operating
// system, and nothing else. Each platform has its own small file under
// console/platform/, and the build compiles exactly one of them:
//
//   posix.cpp    Linux, macOS, the BSDs, and Node (whose file system layer
//                passes read and write straight to the process's streams)
//   windows.cpp  Windows through MinGW-w64: the streams in binary mode, and
//                Ctrl+Z at the start of a console line ends the input
//   browser.cpp  a web page: a read awaits the next line the player types,
//                and writes are handed to the page
//
// The contract is the same everywhere: bytes pass unchanged in both
// directions, interruptions are retried inside (and on POSIX, a descriptor
// left non-blocking is waited for), and the caller never sees a partial
// write: a write takes everything or fails for good with the system's
// reason. In a web page a write never fails.

#ifndef LM_CONSOLE_PLATFORM_IO_H_
#define LM_CONSOLE_PLATFORM_IO_H_

#include <cstddef>

// The descriptors of the process's standard input, output and error.
extern const int platform_input_fd;
extern const int platform_output_fd;
extern const int platform_error_fd;

// Sets the standard streams up to carry bytes unchanged; call once before
// the first read or write.
void platform_prepare_streams();

// Reads at most `size` (> 0) bytes into `bytes`, waiting until at least one
// is there. Returns how many arrived, or 0 at the end of the input or after
// a failure that is not an interruption; after a failure, sets `error` to
// the system's error number (as errno holds it), and leaves it alone
// otherwise.
std::size_t platform_read(int fd, char* bytes, std::size_t size, int& error);

// Returns 0 once all of bytes[0, size) is written, or the system's error
// number (as errno holds it) of the write that failed for good.
int platform_write_all(int fd, const char* bytes, std::size_t size);

// Returns whether `fd` is a terminal, where each read brings what the
// player typed up to a line's end (and in a web page, where every read
// does).
bool platform_is_terminal(int fd);

#endif  // LM_CONSOLE_PLATFORM_IO_H_
