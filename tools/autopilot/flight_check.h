// flight_check: the autopilot's side of the dialogue as plain values. It
// answers each prompt in its turn, and believes nothing the model
// contradicts: every state report, out-of-fuel line and touchdown report
// must be the state the model makes of the last line checked and the rate
// answered (0 once the fuel is gone), to the reports' rounding, and the
// verdict must be the model's for the touchdown velocity reported. Pure:
// the screens come as strings, and what goes wrong comes back as a failure.

#ifndef LM_TOOLS_AUTOPILOT_FLIGHT_CHECK_H_
#define LM_TOOLS_AUTOPILOT_FLIGHT_CHECK_H_

#include <optional>
#include <string>
#include <string_view>

#include "autopilot_status.h"
#include "control_law.h"
#include "descent_model.h"
#include "screen_reading.h"

// The first two answers, typed as given: the simulator alone judges them.
struct flight_order {
  std::string altitude;
  std::string fuel;
};

// Where a flight stands, as the autopilot sees it.
struct flight_check {
  flight_order order;
  prompt due_prompt;   // the prompt that comes next in its turn
  flight_state due;    // the model's state of the last line checked and the rate answered
  bool flown;          // whether a fuel rate was answered
  prompt answered;     // the prompt last answered, or prompt::none before the first
  std::string answer;  // the answer to it, without its newline
};

// Returns the check of a flight yet to start with these answers.
flight_check start_check(const flight_order& order);

// Sets check.answer to the answer to `asked`, the prompt that `screen` ends
// with (what the simulator wrote since the last answer), taking a fuel
// rate from `rates` for the state reported above a rate prompt; returns
// the failure if the prompt is out of turn or the report cannot be read or
// believed.
maybe_failure answer_prompt(flight_check& check, std::string_view screen, prompt asked,
                            const rate_source& rates);

// Returns the failure for the last answer, refused with `error`, one of the
// simulator's error lines: the arguments' fault for the altitude or fuel.
failure refused(const flight_check& check, std::string_view error);

// Returns the verdict on the flight whose `screen` after the last answer
// ends the simulator's output, or the failure if the flight did not finish
// or anything on that screen cannot be read or believed.
struct landing {
  maybe_failure failed;
  landing_verdict verdict;  // the verdict believed, when nothing failed
};
landing check_landing(const flight_check& check, std::string_view screen);

#endif  // LM_TOOLS_AUTOPILOT_FLIGHT_CHECK_H_
