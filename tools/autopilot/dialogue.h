// dialogue: the flight held with the simulator over its pipes. Each prompt
// is waited for and answered as flight_check says, and the whole dialogue
// is echoed to standard output, answers included, as a terminal would
// show it. Every wait lasts at most `patience` ms of running time.

#ifndef LM_TOOLS_AUTOPILOT_DIALOGUE_H_
#define LM_TOOLS_AUTOPILOT_DIALOGUE_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "autopilot_status.h"
#include "control_law.h"
#include "flight_check.h"
#include "simulator_process.h"

// The most the simulator may write between two answers, and so the most
// the autopilot keeps: far beyond anything a flight shows there (a state
// report, or each second's line of the fall once the fuel is gone).
constexpr std::size_t longest_screen = std::size_t{1} << 20;

// How a dialogue ended.
struct dialogue_end {
  maybe_failure failed;  // what cut it short, or nothing: the simulator's output ended
  std::string screen;    // what the simulator wrote after the last answer
  bool wrote;            // whether it wrote anything at all
};

// Answers each prompt, its fuel rates from `rates`, until the simulator's
// output ends or something goes wrong.
dialogue_end hold_dialogue(simulator& sim, flight_check& check, const rate_source& rates,
                           long patience);

// Returns the verdict on the flight from how the dialogue ended and how the
// simulator did (`exited_alone`: whether it exited by itself), or the
// failure.
landing judge_flight(const dialogue_end& d, const flight_check& check, const simulator& sim,
                     bool exited_alone, long patience);

// Returns the failure if `text` did not all reach standard output.
maybe_failure echo(std::string_view text);

#endif  // LM_TOOLS_AUTOPILOT_DIALOGUE_H_
