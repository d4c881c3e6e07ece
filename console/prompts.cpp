#include "prompts.h"

#include "descent_model.h"
#include "dialogue_texts.h"
#include "number_reader.h"

std::optional<double> prompt_initial_altitude(console& io) {
  for (;;) {
    write_text(io.out, text::altitude_prompt);
    const real_answer answer = read_real(io);
    if (answer.status == read_status::end_of_input) return std::nullopt;
    if (answer.status == read_status::number && answer.value >= lowest_initial_altitude &&
        answer.value <= highest_initial_altitude) {
      return answer.value;
    }
    write_text(io.out, text::altitude_error);
  }
}

std::optional<std::int32_t> prompt_initial_fuel(console& io) {
  for (;;) {
    write_text(io.out, text::fuel_prompt);
    const integer_answer answer = read_integer(io);
    if (answer.status == read_status::end_of_input) return std::nullopt;
    if (answer.status == read_status::number && answer.value >= lowest_initial_fuel) {
      return answer.value;
    }
    write_text(io.out, text::fuel_error);
  }
}

std::optional<std::int32_t> prompt_fuel_rate(console& io) {
  for (;;) {
    write_text(io.out, text::rate_prompt);
    const integer_answer answer = read_integer(io);
    if (answer.status == read_status::end_of_input) return std::nullopt;
    if (answer.status == read_status::number && answer.value >= lowest_rate &&
        answer.value <= highest_rate) {
      return answer.value;
    }
    write_text(io.out, text::rate_error);
  }
}
