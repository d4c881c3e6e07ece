// The platform calls in a web page, where there are no standard streams:
// the page that starts the program gives it two functions on its module
// object, and these calls are the only way bytes pass between them.
//
//   lm_next_input(max)  returns a promise of the next bytes the player typed
//                       (a Uint8Array of at most max bytes), or of null once
//                       the input has ended
//   lm_output(bytes)    takes a Uint8Array view of bytes the program wrote;
//                       it must copy what it keeps before returning
//
// A read awaits the promise; the build's ASYNCIFY transformation lets the
// program's ordinary blocking loop wait without blocking the page.
//
// The program ends by exit(), which tells the page through the module's
// onExit and then unwinds the program by throwing an ExitStatus. After the
// first read that throw comes out of the resumption below, where it stops:
// let through, it would be an uncaught rejection at every end of a flight,
// and the browser keeps each such rejection, and with it the finished
// module, alive.

#include <emscripten/emscripten.h>

#include "platform_io.h"

// The bodies are JavaScript, which the C++ formatter would mangle.
// clang-format off

// Returns how many bytes it copied to `bytes`, 0 at the end of the input.
// (Listed in the build's ASYNCIFY_IMPORTS, since it may sleep.)
EM_JS(int, browser_read, (char* bytes, int size), {
  return Asyncify.handleSleep((resume) => {
    Module.lm_next_input(size).then((chunk) => {
      if (chunk !== null) HEAPU8.set(chunk, bytes);
      try {
        resume(chunk === null ? 0 : chunk.length);
      } catch (thrown) {
        if (!(thrown instanceof ExitStatus)) throw thrown;
      }
    });
  });
});

EM_JS(void, browser_write, (const char* bytes, int size), {
  Module.lm_output(HEAPU8.subarray(bytes, bytes + size));
});

// clang-format on

namespace {

// The counts cross into JavaScript as int.
int clamp_count(std::size_t size) {
  constexpr std::size_t most = 1 << 30;
  return static_cast<int>(size > most ? most : size);
}

}  // namespace

const int platform_input_fd = 0;
const int platform_output_fd = 1;
const int platform_error_fd = 2;  // never written: a page takes every write

void platform_prepare_streams() {}

// The page's input never fails: it only ends.
std::size_t platform_read(int /*fd*/, char* bytes, std::size_t size, int& /*error*/) {
  return static_cast<std::size_t>(browser_read(bytes, clamp_count(size)));
}

bool platform_is_terminal(int /*fd*/) {
  return true;
}

int platform_write_all(int /*fd*/, const char* bytes, std::size_t size) {
  while (size > 0) {
    const int count = clamp_count(size);
    browser_write(bytes, count);
    bytes += count;
    size -= static_cast<std::size_t>(count);
  }
  return 0;
}
