// plan_report: the best landing as `lm_autopilot --plan` writes it.
//
// The answers go to standard output one a line, the altitude and fuel first
// as they were typed, so that the file is a whole flight for
// `lm_simulator <`. One line goes to standard error:
//   best: VERDICT FUEL l SECONDS s VELOCITY m/s proven
// with VERDICT soft, hard or crash, VELOCITY as the reports write it (two
// decimals, no padding), and "gap N" in place of "proven" where the search
// was cut short: N litres after a soft landing, else N m/s.

#ifndef LM_PLANNER_PLAN_REPORT_H_
#define LM_PLANNER_PLAN_REPORT_H_

#include <string>
#include <string_view>

#include "best_landing.h"

// Returns the answers of `plan` from the start typed as `altitude` and
// `fuel`, one a line.
std::string plan_answers(std::string_view altitude, std::string_view fuel,
                         const best_landing& plan);

// Returns the summary line of `plan`, ending in a newline.
std::string plan_summary(const best_landing& plan);

#endif  // LM_PLANNER_PLAN_REPORT_H_
