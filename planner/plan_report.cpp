#include "plan_report.h"

#include "report_format.h"

namespace {

const char* verdict_word(landing_verdict verdict) {
  switch (verdict) {
    case landing_verdict::soft:
      return "soft";
    case landing_verdict::hard:
      return "hard";
    case landing_verdict::crash:
      break;
  }
  return "crash";
}

void append_integer(std::string& text, std::int64_t value) {
  text += std::to_string(value);
}

// Hundredths as the reports write them: at least one integer digit, two
// decimals.
void append_hundredths(std::string& text, std::int64_t hundredths) {
  if (hundredths < 0) text += '-';
  const std::uint64_t magnitude =
      hundredths < 0 ? 0 - static_cast<std::uint64_t>(hundredths) : hundredths;
  text += std::to_string(magnitude / 100);
  text += '.';
  text += static_cast<char>('0' + magnitude % 100 / 10);
  text += static_cast<char>('0' + magnitude % 10);
}

}  // namespace

std::string plan_answers(std::string_view altitude, std::string_view fuel,
                         const best_landing& plan) {
  std::string text;
  text.reserve(altitude.size() + fuel.size() + 2 * plan.answers.size() + 2);
  text.append(altitude).append("\n").append(fuel).append("\n");
  for (const std::int8_t rate : plan.answers) {
    text += static_cast<char>('0' + rate);
    text += '\n';
  }
  return text;
}

std::string plan_summary(const best_landing& plan) {
  std::string line = "best: ";
  line += verdict_word(plan.result.verdict);
  line += ' ';
  append_integer(line, plan.result.fuel);
  line += " l ";
  append_integer(line, plan.result.seconds);
  line += " s ";
  char velocity[formatted_number_capacity];
  line.append(velocity, put_fixed2(velocity, plan.result.velocity, 0));
  line += " m/s ";
  if (plan.proven) {
    line += "proven";
  } else {
    line += "gap ";
    if (plan.gap.unit == landing_gap::litres) {
      append_integer(line, plan.gap.amount);
    } else {
      append_hundredths(line, plan.gap.amount);
    }
  }
  line += '\n';
  return line;
}
