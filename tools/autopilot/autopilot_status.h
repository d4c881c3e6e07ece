// autopilot_status: the autopilot's exit statuses, each named here once,
// and a failure: what went wrong and why, made where it is found and said
// as it is.

#ifndef LM_TOOLS_AUTOPILOT_STATUS_H_
#define LM_TOOLS_AUTOPILOT_STATUS_H_

#include <optional>
#include <string>
#include <string_view>

// How a run of the autopilot ends, as its exit status.
enum class autopilot_status : int {
  success = 0,            // the module landed softly, or --help or --version answered
  out_of_reach = 1,       // it landed hard or crashed: the start could not be saved
  refused_arguments = 2,  // arguments the simulator or the autopilot does not take
  no_flight = 3,          // no flight flown or shown, or none to believe
};

// A run cut short: the status it ends with, and what standard error says
// of it, in whole lines.
struct failure {
  autopilot_status status;
  std::string said;
};

// A step that either went well or failed.
using maybe_failure = std::optional<failure>;

// Returns a failure with `status` that says why in one line, after the
// program's name.
inline failure failure_of(autopilot_status status, std::string_view why) {
  return {status, "lm_autopilot: " + std::string(why) + "\n"};
}

// Returns a failure for which no flight was flown or shown.
inline failure no_flight(std::string_view why) {
  return failure_of(autopilot_status::no_flight, why);
}

#endif  // LM_TOOLS_AUTOPILOT_STATUS_H_
