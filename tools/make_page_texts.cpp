// make_page_texts: writes the program's texts and figures that the web page
// reads, as JavaScript, so that the page reads the program's reports and
// explains its limits through them instead of spelling them again.
//
//   lm_make_page_texts > program_texts.js
//
// The WebAssembly build runs it under Node and puts what it writes at the
// head of the page's lm_simulator.js, so a changed text or limit changes
// the page with it. It writes one table, the frozen object `program`: each
// text as exact JSON, each figure as a number. Only what the page reads is
// in it; the verdicts are named by their grade, as the page says them.

#include <cstdio>
#include <string_view>
#include <variant>

#include "descent_model.h"
#include "dialogue_texts.h"

namespace {

// A name in `program` and its value: a text, or a figure (every figure is a
// whole number, which %.17g writes as JavaScript reads it).
struct page_entry {
  std::string_view name;
  std::variant<std::string_view, double> value;
};

constexpr page_entry page_table[] = {
    // The questions, which the status line tells apart from what is new.
    {"altitude_prompt", text::altitude_prompt},
    {"fuel_prompt", text::fuel_prompt},
    {"rate_prompt", text::rate_prompt},
    // The reports, read into the chart and the status line.
    {"landing_heading", text::landing_heading},
    {"time_label", text::time_label},
    {"time_unit", text::time_unit},
    {"fuel_label", text::fuel_label},
    {"fuel_unit", text::fuel_unit},
    {"rate_label", text::rate_label},
    {"rate_unit", text::rate_unit},
    {"altitude_label", text::altitude_label},
    {"altitude_unit", text::altitude_unit},
    {"velocity_label", text::velocity_label},
    {"velocity_unit", text::velocity_unit},
    {"out_of_fuel_time_label", text::out_of_fuel_time_label},
    {"out_of_fuel_altitude_label", text::out_of_fuel_altitude_label},
    {"out_of_fuel_velocity_label", text::out_of_fuel_velocity_label},
    {"status_at_landing", text::status_at_landing},
    {"verdict_soft", text::soft_landing},
    {"verdict_hard", text::hard_landing},
    {"verdict_crash", text::crash},
    // The figures of the help.
    {"lowest_initial_altitude", lowest_initial_altitude},
    {"highest_initial_altitude", highest_initial_altitude},
    {"real_module_altitude", real_module_altitude},
    {"real_module_fuel", static_cast<double>(real_module_fuel)},
    {"lowest_rate", static_cast<double>(lowest_rate)},
    {"hover_rate", static_cast<double>(hover_rate)},
    {"highest_rate", static_cast<double>(highest_rate)},
    {"soft_landing_limit", soft_landing_limit},
    {"hard_landing_limit", hard_landing_limit},
};

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

void put_entry(const page_entry& entry) {
  std::printf("  %.*s: ", static_cast<int>(entry.name.size()), entry.name.data());
  if (const auto* text = std::get_if<std::string_view>(&entry.value)) {
    put_string(*text);
  } else {
    std::printf("%.17g", std::get<double>(entry.value));
  }
  std::fputs(",\n", stdout);
}

}  // namespace

int main() {
  std::fputs(
      "// The simulator's texts and figures that the web page reads, written by the build\n"
      "// from the program's own definitions: not to be edited.\n"
      "const program = Object.freeze({\n",
      stdout);
  for (const page_entry& entry : page_table)
    put_entry(entry);
  std::fputs("});\n", stdout);
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::perror("lm_make_page_texts: cannot write the texts");
    return 1;
  }
  return 0;
}
