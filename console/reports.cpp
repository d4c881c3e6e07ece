#include "reports.h"

#include <initializer_list>
#include <string_view>

#include "dialogue_texts.h"
#include "report_format.h"

namespace {

// Returns the room `texts` take together.
template <typename... Texts>
constexpr std::size_t size_of(Texts... texts) {
  return (texts.size() + ...);
}

// Room for the longest state report: its texts and five numbers.
constexpr std::size_t state_report_capacity =
    size_of(text::time_label, text::time_unit, text::fuel_label, text::fuel_unit, text::rate_label,
            text::rate_unit, text::altitude_label, text::altitude_unit, text::velocity_label,
            text::velocity_unit) +
    5 * formatted_number_capacity;

// Room for the longest out-of-fuel line: its texts and three numbers.
constexpr std::size_t out_of_fuel_capacity =
    size_of(text::out_of_fuel_time_label, text::out_of_fuel_altitude_label,
            text::out_of_fuel_velocity_label, text::out_of_fuel_end) +
    3 * formatted_number_capacity;

// A run of texts joined into one at compile time: where a number is
// followed by its unit and the next line's label, the report copies one
// text instead of two.
template <std::size_t size>
struct joined_text {
  char chars[size];
};

template <std::size_t size>
constexpr joined_text<size> join(std::initializer_list<std::string_view> texts) {
  joined_text<size> result{};
  std::size_t at = 0;
  for (const std::string_view piece : texts) {
    for (const char c : piece)
      result.chars[at++] = c;
  }
  return result;
}

template <const std::string_view&... texts>
constexpr joined_text<size_of(texts...)> joined_chars = join<size_of(texts...)>({texts...});

// Returns `texts` as one text, made at compile time.
template <const std::string_view&... texts>
constexpr std::string_view joined() {
  return {joined_chars<texts...>.chars, size_of(texts...)};
}

// The rate's field as a one-digit rate fills it, the digit a placeholder.
constexpr std::string_view one_digit_rate_field = "   0";

// Writes the fuel's unit, the rate as "%4d" and the altitude's label. A
// rate the engine burns has one digit: then the three texts and the field's
// blanks are one copy, and the digit one store; any other rate takes the
// integer writer.
char* put_rate_line(char* p, std::int32_t rate) {
  if (rate < 0 || rate > 9) {
    p = put_text(p, joined<text::fuel_unit, text::rate_label>());
    p = put_integer(p, rate, 4);
    return put_text(p, joined<text::rate_unit, text::altitude_label>());
  }
  constexpr std::string_view line = joined<text::fuel_unit, text::rate_label, one_digit_rate_field,
                                           text::rate_unit, text::altitude_label>();
  constexpr std::size_t digit_at =
      text::fuel_unit.size() + text::rate_label.size() + one_digit_rate_field.size() - 1;
  put_text(p, line);
  p[digit_at] = static_cast<char>('0' + rate);
  return p + line.size();
}

}  // namespace

void print_banner(console& io) {
  write_text(io.out, text::banner);
}

void print_cutoff_heading(console& io) {
  write_text(io.out, text::cutoff_heading);
}

void print_landing_heading(console& io) {
  write_text(io.out, text::landing_heading);
}

void print_lm_state(console& io, std::int32_t time, double altitude, double velocity,
                    std::int32_t fuel, std::int32_t rate) {
  char* p = output_space(io.out, state_report_capacity);
  p = put_text(p, text::time_label);
  p = put_integer(p, time, 4);
  p = put_text(p, joined<text::time_unit, text::fuel_label>());
  p = put_integer(p, fuel, 4);
  p = put_rate_line(p, rate);
  p = put_fixed2(p, altitude, 7);
  p = put_text(p, joined<text::altitude_unit, text::velocity_label>());
  p = put_fixed2(p, velocity, 7);
  p = put_text(p, text::velocity_unit);
  output_commit(io.out, p);
}

void print_out_of_fuel(console& io, std::int32_t time, double altitude, double velocity) {
  char* p = output_space(io.out, out_of_fuel_capacity);
  p = put_text(p, text::out_of_fuel_time_label);
  p = put_integer(p, time, 3);
  p = put_text(p, text::out_of_fuel_altitude_label);
  p = put_fixed2(p, altitude, 7);
  p = put_text(p, text::out_of_fuel_velocity_label);
  p = put_fixed2(p, velocity, 7);
  p = put_text(p, text::out_of_fuel_end);
  output_commit(io.out, p);
}

void print_landing_status(console& io, landing_verdict verdict) {
  write_text(io.out, text::status_at_landing);
  switch (verdict) {
    case landing_verdict::soft:
      write_text(io.out, text::soft_landing);
      return;
    case landing_verdict::hard:
      write_text(io.out, text::hard_landing);
      return;
    case landing_verdict::crash:
      write_text(io.out, text::crash);
      return;
  }
}

void print_input_ended(console& io) {
  write_text(io.out, text::input_ended);
}
