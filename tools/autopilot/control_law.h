// control_law: the autopilot's controller, on the simulator's own
// one-second step, and the shape of anything that chooses the rates.
//
// The controller reads nothing but the checked state it is given, so the
// dialogue can fly the rates of another source (a list of answers, a
// planner) just as well.

#ifndef LM_TOOLS_AUTOPILOT_CONTROL_LAW_H_
#define LM_TOOLS_AUTOPILOT_CONTROL_LAW_H_

#include <cstdint>
#include <functional>
#include <vector>

#include "descent_model.h"

// Returns the fuel rate to answer for the coming second, from 0 to 9, given
// the state the last report showed, checked against the model.
using rate_source = std::function<std::int32_t(const flight_state& checked)>;

// Returns the controller's rate for the coming second: the lowest from
// which the module can still brake to a soft landing, so it falls freely as
// long as it may and burns its fuel late, where it does most good; when no
// rate is safe, the hardest braking the fuel allows.
std::int32_t controller_rate(const flight_state& s);

// Returns a source that answers `rates` in their order, then 0 for every
// second beyond them.
rate_source rates_in_order(std::vector<std::int32_t> rates);

#endif  // LM_TOOLS_AUTOPILOT_CONTROL_LAW_H_
