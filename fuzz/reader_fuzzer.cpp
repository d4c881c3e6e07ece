// lm_fuzz_reader: libFuzzer target for the answer reader.
//
// The first two bytes of an input choose, bit by bit, whether each read
// asks for an integer (fuel, rate) or a real (altitude); the rest is the
// text on standard input. Reads go on until the end of the input, and each
// result is checked against a plain reference parse of the same text with
// strtol and strtod, under the reader's token rules:
//   - white space is blank, tab, newline, carriage return, vertical tab or
//     form feed;
//   - a token not starting with an optional sign and a digit is dropped;
//   - otherwise the longest number of the asked kind is taken (a real's
//     exponent only when complete) and the rest stays for the next read;
//   - an integer beyond 32 bits, a real beyond binary64's range, or a real
//     longer than the reader's limit is out of range.
// Any disagreement aborts, and so does a read that consumes nothing.

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "number_reader.h"
#include "same_binary64.h"

namespace {

bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

struct expected {
  read_status status;
  double value;
};

// The reference reader: parses text from `at`, leaving `at` after what it
// took.
expected reference_read(const std::string& text, std::size_t& at, bool real) {
  while (at < text.size() && is_space(text[at]))
    ++at;
  if (at == text.size()) return {read_status::end_of_input, 0};
  std::size_t p = at;
  if (text[p] == '+' || text[p] == '-') ++p;
  if (p == text.size() || !is_digit(text[p])) {
    while (at < text.size() && !is_space(text[at]))
      ++at;
    return {read_status::not_a_number, 0};
  }
  while (p < text.size() && is_digit(text[p]))
    ++p;
  if (real) {
    if (p < text.size() && text[p] == '.') {
      ++p;
      while (p < text.size() && is_digit(text[p]))
        ++p;
    }
    if (p < text.size() && (text[p] == 'e' || text[p] == 'E')) {
      std::size_t q = p + 1;
      if (q < text.size() && (text[q] == '+' || text[q] == '-')) ++q;
      if (q < text.size() && is_digit(text[q])) {
        while (q < text.size() && is_digit(text[q]))
          ++q;
        p = q;
      }
    }
  }
  const std::string number = text.substr(at, p - at);
  at = p;
  errno = 0;
  if (!real) {
    const long long value = std::strtoll(number.c_str(), nullptr, 10);
    if (errno == ERANGE || value < INT32_MIN || value > INT32_MAX) {
      return {read_status::out_of_range, 0};
    }
    return {read_status::number, static_cast<double>(value)};
  }
  // The reader refuses a real longer than its limit, counted without a '+'
  // and without the integer part's leading zeros (all but one if it has
  // nothing else).
  const bool negative = number[0] == '-';
  const std::size_t digits_at = (number[0] == '+' || negative) ? 1 : 0;
  std::size_t integer_end = digits_at;
  while (integer_end < number.size() && is_digit(number[integer_end]))
    ++integer_end;
  std::size_t zeros = 0;
  while (digits_at + zeros < integer_end && number[digits_at + zeros] == '0')
    ++zeros;
  if (digits_at + zeros == integer_end) --zeros;
  const std::size_t length = (negative ? 1 : 0) + number.size() - digits_at - zeros;
  if (length > static_cast<std::size_t>(real_token_limit)) return {read_status::out_of_range, 0};
  const double value = std::strtod(number.c_str(), nullptr);
  if (errno == ERANGE && (std::isinf(value) || value == 0.0)) {
    return {read_status::out_of_range, 0};
  }
  return {read_status::number, value};
}

[[noreturn]] void disagree(const char* what, int read, const std::string& text) {
  std::fprintf(stderr, "reader and reference disagree (%s) at read %d of %zu bytes\n", what, read,
               text.size());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const int fd = ::memfd_create("lm_fuzz_input", 0);
  static console io;
  if (fd < 0) std::abort();
  const unsigned kinds = size >= 2 ? data[0] | (unsigned{data[1]} << 8) : 0;
  const std::string text(reinterpret_cast<const char*>(data) + (size >= 2 ? 2 : size),
                         size >= 2 ? size - 2 : 0);
  if (::ftruncate(fd, 0) != 0 ||
      ::pwrite(fd, text.data(), text.size(), 0) != static_cast<ssize_t>(text.size()) ||
      ::lseek(fd, 0, SEEK_SET) != 0) {
    std::abort();
  }
  console_open(io, fd, -1);

  std::size_t at = 0;
  for (int read = 0;; ++read) {
    const bool real = ((kinds >> (read % 16)) & 1) != 0;
    const std::size_t before = at;
    const expected want = reference_read(text, at, real);
    read_status status;
    double value = 0;
    if (real) {
      const real_answer got = read_real(io);
      status = got.status;
      value = got.value;
    } else {
      const integer_answer got = read_integer(io);
      status = got.status;
      value = got.value;
    }
    if (status != want.status) disagree("status", read, text);
    if (status == read_status::number && !same_binary64(value, want.value)) {
      disagree("value", read, text);
    }
    if (status == read_status::end_of_input) break;
    if (at == before) disagree("no progress", read, text);
    // The reader must have consumed exactly what the reference did.
    if (io.in.begin != io.in.end &&
        static_cast<std::size_t>(::lseek(fd, 0, SEEK_CUR)) - (io.in.end - io.in.begin) != at) {
      disagree("position", read, text);
    }
  }
  return 0;
}
