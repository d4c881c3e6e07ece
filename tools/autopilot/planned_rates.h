// planned_rates: the best landing flown as the autopilot's rates.
//
// The plan is made at the first rate prompt, from the start the simulator
// took as it reported it, so that the altitude and fuel are judged by the
// simulator alone, as for any flight; from then on its answers come in
// their order. The checks of every report keep the flight on the plan: a
// state the model does not make ends the flight before a rate is asked.

#ifndef LM_TOOLS_AUTOPILOT_PLANNED_RATES_H_
#define LM_TOOLS_AUTOPILOT_PLANNED_RATES_H_

#include <chrono>

#include "control_law.h"

// How long the autopilot searches for the best landing before it flies the
// best found: far beyond what any start takes to prove.
constexpr std::chrono::milliseconds planning_time{2000};

// Returns a source that answers the best landing from the state of its
// first call, a start at rest, searched for at most `limit`.
rate_source best_landing_rates(std::chrono::steady_clock::duration limit);

#endif  // LM_TOOLS_AUTOPILOT_PLANNED_RATES_H_
