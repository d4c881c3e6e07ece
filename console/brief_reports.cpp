#include "brief_reports.h"

#include <algorithm>
#include <string_view>

#include "dialogue_texts.h"
#include "report_format.h"
#include "reports.h"

namespace {

// Returns the room `texts` take together.
template <typename... Texts>
constexpr std::size_t size_of(Texts... texts) {
  return (texts.size() + ...);
}

// Room for each line's texts and numbers, the longest opening of a
// touchdown counted.
constexpr std::size_t second_capacity =
    size_of(text::brief_line_start, text::brief_altitude_unit, text::brief_velocity_unit) +
    2 * formatted_number_capacity;
constexpr std::size_t touchdown_capacity =
    text::brief_line_start.size() +
    std::max({text::brief_soft_landing.size(), text::brief_hard_landing.size(),
              text::brief_crash.size()}) +
    size_of(text::brief_time_unit, text::brief_velocity_unit, text::brief_touchdown_fuel_unit) +
    3 * formatted_number_capacity;
constexpr std::size_t count_capacity =
    text::brief_line_start.size() +
    std::max(text::brief_fuel_unit.size(), text::brief_typed_ahead.size()) +
    formatted_number_capacity;

// Returns the touchdown line's opening for `verdict`, the verdict in plain
// words.
std::string_view plain_verdict(landing_verdict verdict) {
  switch (verdict) {
    case landing_verdict::soft:
      return text::brief_soft_landing;
    case landing_verdict::hard:
      return text::brief_hard_landing;
    case landing_verdict::crash:
      break;
  }
  return text::brief_crash;
}

// Writes the altitude: in whole metres from brief_whole_metres_from up,
// where the centimetres would only lengthen what is said every second, and
// to the centimetre below it, for the last seconds of a descent.
char* put_brief_altitude(char* p, double altitude) {
  return altitude >= text::brief_whole_metres_from ? put_whole(p, altitude)
                                                   : put_fixed2(p, altitude, 0);
}

}  // namespace

void print_brief_banner(console& io) {
  write_text(io.out, text::brief_banner);
}

void print_brief_second(console& io, const flight_state& s) {
  char* p = output_space(io.out, second_capacity);
  p = put_text(p, text::brief_line_start);
  p = put_text(put_brief_altitude(p, s.altitude), text::brief_altitude_unit);
  p = put_text(put_fixed2(p, s.velocity, 0), text::brief_velocity_unit);
  output_commit(io.out, p);
}

void print_brief_fuel_left(console& io, std::int32_t fuel) {
  char* p = output_space(io.out, count_capacity);
  p = put_text(put_integer(p, fuel, 0), text::brief_fuel_unit);
  output_commit(io.out, p);
}

void print_brief_no_fuel(console& io) {
  write_text(io.out, text::brief_no_fuel);
}

void print_brief_typed_ahead(console& io, std::int32_t seconds) {
  char* p = output_space(io.out, count_capacity);
  p = put_text(p, text::brief_line_start);
  p = put_text(put_integer(p, seconds, 0), text::brief_typed_ahead);
  output_commit(io.out, p);
}

void print_brief_touchdown(console& io, const flight_state& s, landing_verdict verdict) {
  char* p = output_space(io.out, touchdown_capacity);
  p = put_text(p, text::brief_line_start);
  p = put_text(p, plain_verdict(verdict));
  p = put_text(put_integer(p, s.time, 0), text::brief_time_unit);
  p = put_text(put_fixed2(p, s.velocity, 0), text::brief_velocity_unit);
  p = put_text(put_integer(p, s.fuel, 0), text::brief_touchdown_fuel_unit);
  output_commit(io.out, p);
  print_landing_status(io, verdict);
}

void print_brief_input_ended(console& io) {
  write_text(io.out, text::brief_input_ended);
}
