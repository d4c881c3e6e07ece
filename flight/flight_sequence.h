// flight_sequence: one whole flight, from the welcome banner to the verdict.
//
// Greets the operator, asks for the initial altitude and fuel, then runs one
// simulated second per pass: while fuel is left it shows the state and asks
// for the fuel rate, and once the fuel is gone it reports each second on one
// line and lets the module fall. At the surface it shows the touchdown state
// and the verdict. Every flight quantity is a local value of the flight.
//
// Brief mode flies the same seconds with the same answers, and says each in
// one line. At a terminal it also flies the answers typed ahead without a
// word: while the next answer already waits whole in the input buffer, the
// second it answers is not said, and before the next line said, one line
// counts the seconds flown since the last one said.

#ifndef LM_FLIGHT_FLIGHT_SEQUENCE_H_
#define LM_FLIGHT_FLIGHT_SEQUENCE_H_

#include "console_io.h"

// Flies once over `io` and returns the exit status: flown_status after
// touchdown, input_ended_status if the input ended before it. Leaves output
// in the buffer for the caller to flush.
int fly(console& io);

// The same in brief mode; with `sum_up_typed_ahead`, answers typed ahead
// fly unsaid and are counted (for a terminal's input alone).
int fly_brief(console& io, bool sum_up_typed_ahead);

#endif  // LM_FLIGHT_FLIGHT_SEQUENCE_H_
