// make_page_texts: writes the program's texts and limits as JavaScript for
// the web page, which reads the program's reports and explains its limits
// through them instead of spelling them again.
//
//   lm_make_page_texts > program_texts.js
//
// The WebAssembly build runs it under Node and puts what it writes at the
// head of the page's lm_simulator.js, so a changed text or limit changes
// the page with it. It writes one frozen object, `program`, whose strings
// are exact JSON of the texts.

#include <cstdio>
#include <string_view>

#include "descent_model.h"
#include "dialogue_texts.h"

namespace {

// Writes `value` as a JSON string: quotes, backslashes and control
// characters escaped, the rest as it stands.
void put_string(std::string_view value) {
  std::putchar('"');
  for (const char c : value) {
    if (c == '"' || c == '\\') {
      std::printf("\\%c", c);
    } else if (c == '\n') {
      std::fputs("\\n", stdout);
    } else if (static_cast<unsigned char>(c) < 0x20) {
      std::printf("\\u%04x", static_cast<unsigned>(c));
    } else {
      std::putchar(c);
    }
  }
  std::putchar('"');
}

void put_text(const char* name, std::string_view value) {
  std::printf("  %s: ", name);
  put_string(value);
  std::fputs(",\n", stdout);
}

// Every limit is a whole number, which %.17g writes as JavaScript reads it.
void put_limit(const char* name, double value) {
  std::printf("  %s: %.17g,\n", name, value);
}

}  // namespace

int main() {
  std::fputs(
      "// The simulator's texts and limits, written by the build from the "
      "program's own\n// definitions: not to be edited.\n"
      "const program = Object.freeze({\n",
      stdout);
  put_text("altitude_prompt", text::altitude_prompt);
  put_text("fuel_prompt", text::fuel_prompt);
  put_text("rate_prompt", text::rate_prompt);
  put_text("landing_heading", text::landing_heading);
  put_text("time_label", text::time_label);
  put_text("time_unit", text::time_unit);
  put_text("fuel_label", text::fuel_label);
  put_text("fuel_unit", text::fuel_unit);
  put_text("rate_label", text::rate_label);
  put_text("rate_unit", text::rate_unit);
  put_text("altitude_label", text::altitude_label);
  put_text("altitude_unit", text::altitude_unit);
  put_text("velocity_label", text::velocity_label);
  put_text("velocity_unit", text::velocity_unit);
  put_text("out_of_fuel_time_label", text::out_of_fuel_time_label);
  put_text("out_of_fuel_altitude_label", text::out_of_fuel_altitude_label);
  put_text("out_of_fuel_velocity_label", text::out_of_fuel_velocity_label);
  put_text("status_at_landing", text::status_at_landing);
  put_text("soft_landing", text::soft_landing);
  put_text("hard_landing", text::hard_landing);
  put_text("crash", text::crash);
  put_text("input_ended", text::input_ended);
  put_limit("lowest_initial_altitude", lowest_initial_altitude);
  put_limit("highest_initial_altitude", highest_initial_altitude);
  put_limit("lowest_initial_fuel", lowest_initial_fuel);
  put_limit("lowest_rate", lowest_rate);
  put_limit("hover_rate", hover_rate);
  put_limit("highest_rate", highest_rate);
  put_limit("soft_landing_limit", soft_landing_limit);
  put_limit("hard_landing_limit", hard_landing_limit);
  std::fputs("});\n", stdout);
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::perror("lm_make_page_texts: cannot write the texts");
    return 1;
  }
  return 0;
}
