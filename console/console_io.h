// console_io: the program's buffered standard input and output.
//
// All output goes through one buffer that is written out only when it is
// full, right before every read of the input, and at exit. So a prompt is on
// the screen (or in the pipe) before the program waits for its answer, while
// a flight scripted from a file makes a few large writes instead of one per
// line. Input is read in blocks into a second buffer and parsed from there.
//
// Why not the C or C++ streams: their buffering is the library's, flushed
// at moments that differ between libraries and cost a call per line on a
// terminal, and their per-character and locale machinery cost more than a
// whole state report. Reports are composed straight into the output buffer
// (output_space, put_text), so a simulated second costs a few hundred
// instructions and a million-second flight is a handful of writes.
//
// A write that fails for good (a full disk, a closed descriptor, a reader
// gone while SIGPIPE is ignored) loses the rest of the output: nothing more
// is written, the input counts as ended at the next read so that the flight
// stops at its next prompt instead of flying on unseen, and finish_output
// says on standard error what failed. Every check sits on the path taken
// once per buffer, never per character. A read that fails for any reason
// but an interruption counts as the end of the input, and nothing is read
// after it; finish_input then says on standard error why it failed.

#ifndef LM_CONSOLE_CONSOLE_IO_H_
#define LM_CONSOLE_CONSOLE_IO_H_

#include <cstddef>
#include <cstring>
#include <string_view>

#include "exit_status.h"

// A scripted flight writes far more than it reads: a megabyte of output per
// write keeps the cost of each write call (large where the calls go through
// a JavaScript runtime) out of the flight's time.
constexpr std::size_t output_buffer_size = std::size_t{1} << 20;
constexpr std::size_t input_buffer_size = std::size_t{1} << 16;

struct output_buffer {
  int fd;
  std::size_t used;  // bytes[0, used) wait to be written
  int error;         // 0, or the error number of the write that failed
  char bytes[output_buffer_size];
};

struct input_buffer {
  int fd;
  std::size_t begin;  // bytes[begin, end) have been read and not yet parsed
  std::size_t end;
  bool exhausted;  // end of file or a failed read: the fd is not read again
  int error;       // 0, or the error number of the read that failed
  // Aligned so that no padding follows the bytes at the end of a console: a
  // write past them meets a sanitizer's red zone at once.
  alignas(8) char bytes[input_buffer_size];
};

// Both directions of the dialogue. Large: keep one, and pass it by reference.
struct console {
  output_buffer out;
  input_buffer in;
};

// Prepares `io` to read from input_fd and write to output_fd, both empty.
void console_open(console& io, int input_fd, int output_fd);

// Writes out everything buffered; after a failed write, drops it.
void flush_output(output_buffer& out);

// Writes out everything buffered. Returns 0 if every byte of output was
// written; otherwise writes one line on standard error, text::output_lost
// and the system's reason, and returns output_lost_status. Call once, at
// exit.
int finish_output(output_buffer& out);

// Returns 0 unless a read of the input failed; then writes one line on
// standard error, text::input_failed and the system's reason, and returns
// input_failed_status. Call once, at exit.
int finish_input(const input_buffer& in);

// Returns where the next `size` bytes of output go (size <= the buffer's
// size), writing the buffer out first if it has less room. Output composed
// in place this way is kept by output_commit.
inline char* output_space(output_buffer& out, std::size_t size) {
  if (output_buffer_size - out.used < size) flush_output(out);
  return out.bytes + out.used;
}

// Keeps the bytes composed from output_space's result up to `end`.
inline void output_commit(output_buffer& out, const char* end) {
  out.used = static_cast<std::size_t>(end - out.bytes);
}

// Copies `text` to `p` and returns the end of the copy. It goes sixteen
// bytes at a time, the last block overlapping the one before, and shorter
// texts in two overlapping halves: inlined with a constant text, the copy
// becomes a few plain loads and stores on every target, where a call to
// memcpy for a few bytes would cost more than the copy (on WebAssembly,
// many times more).
inline char* put_text(char* p, std::string_view text) {
  const std::size_t size = text.size();
  const char* from = text.data();
  if (size >= 16) {
    for (std::size_t at = 0; at + 16 < size; at += 16)
      std::memcpy(p + at, from + at, 16);
    std::memcpy(p + size - 16, from + size - 16, 16);
  } else if (size >= 8) {
    std::memcpy(p, from, 8);
    std::memcpy(p + size - 8, from + size - 8, 8);
  } else if (size >= 4) {
    std::memcpy(p, from, 4);
    std::memcpy(p + size - 4, from + size - 4, 4);
  } else {
    for (std::size_t at = 0; at < size; ++at)
      p[at] = from[at];
  }
  return p + size;
}

// Appends `text` to the output, writing the buffer out first if it is full.
// Needs text.size() <= output_buffer_size, as every text of the program is.
// Inline, so that a constant text is copied as put_text copies it.
inline void write_text(output_buffer& out, std::string_view text) {
  if (text.size() > output_buffer_size - out.used) flush_output(out);
  out.used = static_cast<std::size_t>(put_text(out.bytes + out.used, text) - out.bytes);
}

// Returns whether more input arrived. Moves the unparsed bytes to the front,
// flushes io.out, then reads once (retrying interruptions); returns false,
// for good, at end of file, on a failed read, or once output was lost.
bool fill_input(console& io);

// peek_input's path when the byte is not yet in the buffer.
int peek_input_after_filling(console& io, std::size_t ahead);

// Returns the byte `ahead` places after the next unparsed one, reading more
// input as needed, or -1 if the input ends first. Needs ahead <
// input_buffer_size, so that the buffer can hold the byte (the answer
// reader looks at most two bytes ahead).
inline int peek_input(console& io, std::size_t ahead) {
  if (io.in.end - io.in.begin > ahead) {
    return static_cast<unsigned char>(io.in.bytes[io.in.begin + ahead]);
  }
  return peek_input_after_filling(io, ahead);
}

#endif  // LM_CONSOLE_CONSOLE_IO_H_
