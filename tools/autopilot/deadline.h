// deadline: a limit on waiting, counted in the autopilot's own running
// time. Waiting goes in slices of at most 100 ms, and a slice counts for no
// longer than it was meant to last, however late the process comes back
// from it; so the time a stopped job (^Z) spends stopped does not count,
// nor does a suspended machine's.

#ifndef LM_TOOLS_AUTOPILOT_DEADLINE_H_
#define LM_TOOLS_AUTOPILOT_DEADLINE_H_

#include <chrono>

using steady = std::chrono::steady_clock;

struct deadline {
  steady::duration left;  // the running time still to wait
};

// The longest a deadline waits at a time.
constexpr steady::duration wait_slice = std::chrono::milliseconds(100);

// Returns a deadline `ms` milliseconds of running time away.
inline deadline deadline_in(long ms) {
  return {std::chrono::milliseconds(ms)};
}

// Returns whether the time of `d` is up.
inline bool passed(const deadline& d) {
  return d.left.count() <= 0;
}

// Waits up to `most` (at most a slice) of the time left in `d` for `fd` to
// be ready for `events` (with fd -1, that time passes); returns whether it
// is.
bool wait_ready(deadline& d, int fd, short events, steady::duration most = wait_slice);

#endif  // LM_TOOLS_AUTOPILOT_DEADLINE_H_
