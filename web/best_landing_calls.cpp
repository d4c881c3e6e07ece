// best_landing_calls: the planner as the web page calls it, compiled to
// WebAssembly with the program (lm_simulator.js). The page hands it
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
// "start ALTITUDE FUEL", the two answers as typed; then one line a second from the
// start to touchdown, "TIME FUEL RATE ALTITUDE VELOCITY", the rate being
// the one answered for that second (0 once the fuel is gone, and at
// touchdown), the altitude and velocity as the reports write them.

#include <emscripten/emscripten.h>

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "best_landing.h"
#include "console_io.h"
#include "plan_report.h"
#include "prompts.h"
#include "report_format.h"

namespace {

// A search and the text of its landing, once read.
struct page_search {
  landing_search search;
  std::string altitude;  // the answers that started it, as typed
  std::string fuel;
  std::string text;
};

void append_fixed2(std::string& text, double value) {
  char number[formatted_number_capacity];
  text.append(number, put_fixed2(number, value, 0));
}

// Returns the answer just read from `io`, as typed: the characters before
// where its reading stopped, back to white space.
std::string answer_read(const console& io) {
  std::size_t from = io.in.begin;
  while (from > 0 &&
         std::string_view(" \t\n\r\v\f").find(io.in.bytes[from - 1]) == std::string_view::npos) {
    --from;
  }
  return std::string(io.in.bytes + from, io.in.begin - from);
}

// Returns the text of the landing found so far.
std::string landing_text(const page_search& page) {
  const landing_search& search = page.search;
  const best_landing best = landing_found(search);
  std::string text = plan_summary(best);
  text += "start " + page.altitude + " " + page.fuel + "\n";
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

extern "C" {

// Returns a new search from the start that typed[0, size) answers to the
// program's first two prompts, or 0 if the text ends before both are
// answered.
EMSCRIPTEN_KEEPALIVE page_search* lm_best_start(const char* typed, int size) {
  // The console holds the text as read and not yet parsed, all of its input:
  // as much as its buffer takes, cut after white space so that no number is
  // cut short, which is far more than any two answers need.
  std::string_view text(typed, size > 0 ? static_cast<std::size_t>(size) : 0);
  if (text.size() > input_buffer_size) {
    const std::size_t space = text.find_last_of(" \t\n\r\v\f", input_buffer_size - 1);
    text = text.substr(0, space == std::string_view::npos ? 0 : space + 1);
  }
  const auto io = std::make_unique<console>();
  console_open(*io, -1, -1);
  text.copy(io->in.bytes, text.size());
  io->in.end = text.size();
  io->in.exhausted = true;
  const std::optional<double> altitude = prompt_initial_altitude(*io);
  if (!altitude) return nullptr;
  const std::string altitude_typed = answer_read(*io);
  const std::optional<std::int32_t> fuel = prompt_initial_fuel(*io);
  if (!fuel) return nullptr;
  return new page_search{start_landing_search(*altitude, *fuel), altitude_typed, answer_read(*io),
                         ""};
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
  search->text = landing_text(*search);
  return search->text.c_str();
}

// Ends the search and frees its memory.
EMSCRIPTEN_KEEPALIVE void lm_best_end(page_search* search) {
  delete search;
}

}  // extern "C"
