#include "console_io.h"

#include <cstring>

#include "dialogue_texts.h"
#include "platform_io.h"

namespace {

// Writes bytes[0, size) unless an earlier write failed; a failure is kept
// in out.error and ends all output.
void write_unless_failed(output_buffer& out, const char* bytes, std::size_t size) {
  if (out.error == 0) out.error = platform_write_all(out.fd, bytes, size);
}

// Writes `what` and the reason for `error` as one line on standard error.
// Composed in place: the line is written whole, with no allocation. If
// standard error fails too, the exit status alone says it.
void say_failure(std::string_view what, int error) {
  constexpr std::size_t longest_what = 64;
  constexpr std::size_t longest_reason = 120;
  char line[longest_what + longest_reason + 1];
  char* p = put_text(line, what.substr(0, longest_what));
  p = put_text(p, std::string_view(std::strerror(error)).substr(0, longest_reason));
  *p++ = '\n';
  platform_write_all(platform_error_fd, line, static_cast<std::size_t>(p - line));
}

}  // namespace

void console_open(console& io, int input_fd, int output_fd) {
  io.out.fd = output_fd;
  io.out.used = 0;
  io.out.error = 0;
  io.in.fd = input_fd;
  io.in.begin = 0;
  io.in.end = 0;
  io.in.exhausted = false;
  io.in.error = 0;
}

void flush_output(output_buffer& out) {
  write_unless_failed(out, out.bytes, out.used);
  out.used = 0;
}

int finish_output(output_buffer& out) {
  flush_output(out);
  if (out.error == 0) return 0;
  say_failure(text::output_lost, out.error);
  return output_lost_status;
}

int finish_input(const input_buffer& in) {
  if (in.error == 0) return 0;
  say_failure(text::input_failed, in.error);
  return input_failed_status;
}

bool fill_input(console& io) {
  input_buffer& in = io.in;
  if (in.exhausted) return false;
  if (in.begin > 0) {
    std::memmove(in.bytes, in.bytes + in.begin, in.end - in.begin);
    in.end -= in.begin;
    in.begin = 0;
  }
  if (in.end == input_buffer_size) return true;  // still a full buffer to parse
  flush_output(io.out);
  if (io.out.error != 0) {
    in.exhausted = true;
    return false;
  }
  const std::size_t got =
      platform_read(in.fd, in.bytes + in.end, input_buffer_size - in.end, in.error);
  if (got == 0) {
    in.exhausted = true;
    return false;
  }
  in.end += got;
  return true;
}

int peek_input_after_filling(console& io, std::size_t ahead) {
  while (io.in.end - io.in.begin <= ahead) {
    if (!fill_input(io)) return -1;
  }
  return static_cast<unsigned char>(io.in.bytes[io.in.begin + ahead]);
}
