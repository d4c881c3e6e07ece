// exit_status: what the simulator's exit status says, each written here
// once. The README and the manual page list the same.

#ifndef LM_CONSOLE_EXIT_STATUS_H_
#define LM_CONSOLE_EXIT_STATUS_H_

// The flight reached the surface and every byte of it was written.
constexpr int flown_status = 0;

// The input ended before touchdown, and the flight was abandoned.
constexpr int input_ended_status = 1;

// The output could not all be written; this outranks the flight's own.
constexpr int output_lost_status = 2;

// The input could not be read (a directory, a closed descriptor): the
// flight was abandoned as for an ended input.
constexpr int input_failed_status = 3;

#endif  // LM_CONSOLE_EXIT_STATUS_H_
