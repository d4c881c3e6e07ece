// number_in_text: finds, at compile time, a whole number written in a
// text, so that the texts which spell a limit or an exit status can be
// checked against its definition where they are compiled, and the two
// cannot drift apart.
//
// Header only, as the texts are: the simulator and the autopilot both
// check their texts with it.

#ifndef LM_CONSOLE_NUMBER_IN_TEXT_H_
#define LM_CONSOLE_NUMBER_IN_TEXT_H_

#include <string_view>

// Returns the whole number written in `text` right after the first
// `marker`, or -1 if no digit follows one.
constexpr long number_after(std::string_view text, std::string_view marker) {
  const std::size_t at = text.find(marker);
  if (at == std::string_view::npos) return -1;
  long value = -1;
  for (std::size_t i = at + marker.size(); i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    value = (value < 0 ? 0 : value * 10) + (text[i] - '0');
  return value;
}

#endif  // LM_CONSOLE_NUMBER_IN_TEXT_H_
