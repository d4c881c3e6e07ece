#include "console_io.h"

#include <cstring>

#include "platform_io.h"

namespace {

// Writes all of bytes[0, size) unless the descriptor refuses; a refusal drops
// the rest, since nothing the flight does depends on being seen.
void write_all(int fd, const char* bytes, std::size_t size) {
  while (size > 0) {
    const std::size_t written = platform_write(fd, bytes, size);
    if (written == 0) return;
    bytes += written;
    size -= written;
  }
}

}  // namespace

void console_open(console& io, int input_fd, int output_fd) {
  io.out.fd = output_fd;
  io.out.used = 0;
  io.in.fd = input_fd;
  io.in.begin = 0;
  io.in.end = 0;
  io.in.exhausted = false;
}

void write_text(output_buffer& out, std::string_view text) {
  if (text.size() > output_buffer_size - out.used) {
    flush_output(out);
    if (text.size() > output_buffer_size) {
      write_all(out.fd, text.data(), text.size());
      return;
    }
  }
  std::memcpy(out.bytes + out.used, text.data(), text.size());
  out.used += text.size();
}

void flush_output(output_buffer& out) {
  write_all(out.fd, out.bytes, out.used);
  out.used = 0;
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
  const std::size_t got = platform_read(in.fd, in.bytes + in.end, input_buffer_size - in.end);
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
