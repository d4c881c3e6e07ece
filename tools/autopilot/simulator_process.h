// simulator_process: the simulator as a child process over two pipes, and
// every wait for it bounded by a deadline. A simulator that has exited is
// judged by what it wrote, even while a process it left behind holds its
// pipes open.

#ifndef LM_TOOLS_AUTOPILOT_SIMULATOR_PROCESS_H_
#define LM_TOOLS_AUTOPILOT_SIMULATOR_PROCESS_H_

#include <sys/types.h>

#include <cstddef>
#include <string_view>

#include "autopilot_status.h"
#include "deadline.h"
#include "posix_streams.h"

struct simulator {
  pid_t pid;
  int to_child;    // its standard input, non-blocking at this end
  int from_child;  // its standard output
  bool exited;     // reaped, with its wait status in `status`
  int status;
};

// Starts the simulator over two pipes: LM_SIMULATOR unless unset or empty;
// or lm_simulator beside this program, started as `self`, when that was a
// path and the simulator is there; or else lm_simulator on the PATH.
// Returns the failure if it cannot be started.
maybe_failure start_simulator(const char* self, simulator& sim);

// Reads what the simulator wrote next, waiting within `d`. Its output ends
// (size 0) at its pipe's end or, once it has exited and so has written all
// it will, when the pipe holds nothing more.
read_result read_output(simulator& sim, char* chunk, std::size_t size, deadline& d);

// Writes `line` to the simulator within `d`. Returns 0, ETIMEDOUT if it
// did not take it all in time, EPIPE once it is gone, or the error number
// of a failed write.
int write_input(simulator& sim, std::string_view line, deadline& d);

// Ends the child: its input closed, and its exit awaited within `patience`
// ms while its output is read and dropped, so that it is not held up
// writing; killed at once if `kill_now`, or when the time runs out. Returns
// whether it exited by itself.
bool finish_simulator(simulator& sim, bool kill_now, long patience);

// Returns the simulator's exit status, or -1 if it did not exit normally.
int exit_status_of(const simulator& sim);

#endif  // LM_TOOLS_AUTOPILOT_SIMULATOR_PROCESS_H_
