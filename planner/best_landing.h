// best_landing: the best landing possible from a start, found by a search
// over every fuel rate of every second and proven by its bound.
//
// From any start the program accepts (altitude 1 to 9999 m, at rest, any
// positive 32-bit fuel), the best landing is the soft landing that keeps the
// most fuel, ties broken by the fewest seconds; where no soft landing
// exists, the gentlest touchdown (the velocity nearest zero as the reports
// round it, to 0.01 m/s), then the most fuel; of flights equal in these,
// the first found.
//
// The search is depth first over the exact states of the model, so every
// flight it finds is flown as lm_simulator flies it; at each state it tries
// the rates in the order of what landing_bound says they could still reach,
// and leaves out every rate that cannot beat the best flight found. When
// nothing is left, the best found is proven. Its whole state is the plain
// value landing_search, so it can be run in slices: continue_landing_search
// until a deadline, then again later, as often as wanted; the flight found
// so far and how far it may be from the best can be read between slices.
// Memory grows with the length of a flight (one frame a second), not with
// the work done.

#ifndef LM_PLANNER_BEST_LANDING_H_
#define LM_PLANNER_BEST_LANDING_H_

#include <chrono>
#include <cstdint>
#include <vector>

#include "descent_model.h"

// How a flight ends, as lm_simulator reports it.
struct landing_result {
  landing_verdict verdict;
  std::int32_t fuel;     // litres left at touchdown
  std::int32_t seconds;  // the elapsed time at touchdown
  double velocity;       // the touchdown velocity, m/s, before the report rounds it
};

// How far the best landing may still be from the one found: litres of fuel
// for a soft landing found (0 where only its seconds may still improve),
// hundredths of m/s otherwise (from the velocity found up to the soft limit
// where a soft landing is not ruled out).
struct landing_gap {
  enum unit_t { litres, hundredths_of_m_per_s } unit;
  std::int64_t amount;
};

// A landing and whether it is proven the best.
struct best_landing {
  std::vector<std::int8_t> answers;  // the fuel rate of each second flown with fuel on board
  landing_result result;             // what those answers make of the start
  bool proven;                       // true: no flight from the start is better
  landing_gap gap;                   // when not proven: how much better one might be
};

// A key that orders flights from worst to best: the first number is 1 for a
// soft landing; then, for a soft one, minus the litres burnt and minus the
// seconds; for another, the touchdown velocity in signed hundredths as
// reported, minus the litres burnt, and 0. A bound is the
// key that no flight below a state can pass.
struct landing_key {
  std::int64_t rank[4];
};

// One state of the search: the module after some seconds with fuel on
// board and above the surface, the rates still to try from it, best first
// by their bound, and the next to try.
struct search_frame {
  flight_state state;
  std::int8_t rates[highest_rate + 1];
  landing_key bounds[highest_rate + 1];
  std::uint8_t count;
  std::uint8_t next;
};

// The whole search, a plain value. `stack` holds the states from the start
// down to the one being searched, `path` the rate flown from each to the
// next (one fewer), and `best` the best flight found, if `found`.
struct landing_search {
  double altitude;
  std::int32_t fuel;
  std::vector<search_frame> stack;
  std::vector<std::int8_t> path;
  bool found;
  landing_key best_key;
  best_landing best;
  landing_key start_bound;  // what the bound promised from the start
  std::int64_t states;      // states searched so far
};

// Returns the search from `altitude` m with `fuel` l, at rest, none of it
// done. Needs a start the program accepts.
landing_search start_landing_search(double altitude, std::int32_t fuel);

// Searches until `deadline` or the end; returns true when the search is
// over and its landing proven. The clock is read every 16 steps (a state
// tried or left), about a millisecond natively at most.
bool continue_landing_search(landing_search& search,
                             std::chrono::steady_clock::time_point deadline);

// Returns the best landing found so far, proven or with its gap. Needs
// search.found: the first flight comes after a few hundred states at most,
// a single descent of the search.
best_landing landing_found(const landing_search& search);

// Returns the best landing from the start, searching for about
// `time_limit`, or longer if no flight is found by then.
best_landing find_best_landing(double altitude, std::int32_t fuel,
                               std::chrono::steady_clock::duration time_limit);

#endif  // LM_PLANNER_BEST_LANDING_H_
