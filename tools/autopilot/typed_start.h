// typed_start: the altitude and fuel typed as the autopilot's arguments,
// read as the simulator reads its first two answers, for --plan, which
// starts no simulator. Each argument must be one whole answer the
// simulator takes: a number of its kind, in range, with nothing after it
// for the next prompt to refuse or take as another answer.

#ifndef LM_TOOLS_AUTOPILOT_TYPED_START_H_
#define LM_TOOLS_AUTOPILOT_TYPED_START_H_

#include <cstdint>

#include "autopilot_status.h"
#include "flight_check.h"

// A start read from its typed answers, or the failure: which answer the
// simulator would not take, and the error line it would write.
struct typed_start {
  maybe_failure failed;
  double altitude;
  std::int32_t fuel;
};

// Returns the start that `order` types.
typed_start read_typed_start(const flight_order& order);

#endif  // LM_TOOLS_AUTOPILOT_TYPED_START_H_
