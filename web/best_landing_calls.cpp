// best_landing_calls: the planner as the web page calls it, compiled to
// WebAssembly (lm_planner.js beside lm_simulator.js). The page hands it
// what the player typed before the first rate prompt, which it reads with
// the program's own prompts, so the start is exactly the program's; then
// the page continues the search in slices of a few milliseconds, between
// which the browser draws and takes input, and reads the best landing as
// text. The page computes nothing of it.
//
//   const search = _lm_best_start(typed, size); // 0: no start in what was typed
//   while (!_lm_best_continue(search, 20)) { /* let the browser in */ }
//   const text = UTF8ToString(_lm_best_text(search));
//   _lm_best_end(search);
//
// The text: the summary line as `lm_autopilot --plan` writes it; then
// "start ALTITUDE FUEL", the altitude written as the shortest decimal that
// reads back as it; then one line a second from the
// start to touchdown, "TIME FUEL RATE ALTITUDE VELOCITY", the rate being
// the one answered for that second (0 once the fuel is gone, and at
// touchdown), the altitude and velocity as the reports write them.

#include <emscripten/emscripten.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "best_landing.h"
#include "console_io.h"
#include "plan_report.h"
#include "platform_io.h"
#include "prompts.h"
#include "report_format.h"

namespace {

// What the prompts read: the typed text of the one call reading it, and
// how much of it is read. Set and cleared within that call.
std::string_view typed_text;

// A search and the text of its landing, once read.
struct page_search {
  landing_search search;
  std::string text;
};

void append_fixed2(std::string& text, double value) {
  char number[formatted_number_capacity];
  text.append(number, put_fixed2(number, value, 0));
}

// Returns `altitude` (1 to 9999) as the shortest decimal that reads back
// as it, without an exponent.
std::string shortest(double altitude) {
  char number[48];
  for (int decimals = 0; decimals <= 20; ++decimals) {
    std::snprintf(number, sizeof number, "%.*f", decimals, altitude);
    if (std::strtod(number, nullptr) == altitude) break;
  }
  return number;
}

// Returns the text of the landing found so far.
std::string landing_text(const landing_search& search) {
  const best_landing best = landing_found(search);
  std::string text = plan_summary(best);
  text += "start " + shortest(search.altitude) + " " + std::to_string(search.fuel) + "\n";
  flight_state s = initial_state(search.altitude, search.fuel);
  for (std::size_t second = 0;; ++second) {
    const std::int32_t rate =
        second < best.answers.size() ? burnable_rate(best.answers[second], s.fuel) : 0;
    text += std::to_string(s.time) + " " + std::to_string(s.fuel) + " " +
            std::to_string(s.altitude > 0.0 ? rate : 0) + " ";
    append_fixed2(text, s.altitude);
    text += ' ';
    append_fixed2(text, s.velocity);
    text += '\n';
    if (!(s.altitude > 0.0)) break;
    s = state_after_second(s, lunar_gravity, rate);
  }
  return text;
}

}  // namespace

// The prompts' reads and writes, over the typed text: the page's calls
// are synchronous, so the text never needs waiting for.
const int platform_input_fd = 0;
const int platform_output_fd = 1;
const int platform_error_fd = 2;

void platform_prepare_streams() {}

std::size_t platform_read(int /*fd*/, char* bytes, std::size_t size, int& /*error*/) {
  const std::string_view piece = typed_text.substr(0, size);
  piece.copy(bytes, piece.size());
  typed_text.remove_prefix(piece.size());
  return piece.size();
}

int platform_write_all(int /*fd*/, const char* /*bytes*/, std::size_t /*size*/) {
  return 0;  // the prompts' own words: the page shows the program's
}

extern "C" {

// Returns a new search from the start that typed[0, size) answers to the
// program's first two prompts, or 0 if the text ends before both are
// answered.
EMSCRIPTEN_KEEPALIVE page_search* lm_best_start(const char* typed, int size) {
  const auto io = std::make_unique<console>();
  console_open(*io, platform_input_fd, platform_output_fd);
  typed_text = std::string_view(typed, size > 0 ? static_cast<std::size_t>(size) : 0);
  const std::optional<double> altitude = prompt_initial_altitude(*io);
  const std::optional<std::int32_t> fuel =
      altitude ? prompt_initial_fuel(*io) : std::optional<std::int32_t>();
  typed_text = {};
  if (!fuel) return nullptr;
  return new page_search{start_landing_search(*altitude, *fuel), ""};
}

// Searches for about `milliseconds` more; returns 1 once the search is
// over, 0 while more is left.
EMSCRIPTEN_KEEPALIVE int lm_best_continue(page_search* search, double milliseconds) {
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                            std::chrono::duration<double, std::milli>(milliseconds));
  return continue_landing_search(search->search, deadline) ? 1 : 0;
}

// Returns the text of the landing found so far (see above), valid until
// the next call with this search.
EMSCRIPTEN_KEEPALIVE const char* lm_best_text(page_search* search) {
  search->text = landing_text(search->search);
  return search->text.c_str();
}

// Ends the search and frees its memory.
EMSCRIPTEN_KEEPALIVE void lm_best_end(page_search* search) {
  delete search;
}

}  // extern "C"
