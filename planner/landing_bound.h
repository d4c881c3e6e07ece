// landing_bound: the best any flight from a state can still do, bounded by
// plain algebra over the seconds left and the litres burnt in them, so that
// a search over the fuel rates can leave out what cannot beat what it has.
//
// Over K more seconds burning rates r_1..r_K, F litres in all, from
// altitude h and velocity v under gravity g, the model's formulas give, up
// to their rounding,
//   velocity after K seconds  v_K = v + g (F / 5 - K)
//   altitude after K seconds  h_K = h + K v - g K^2 / 2 + (g / 5) W,
//                             W = sum of r_i (K - i + 1/2).
// The velocity depends on F and K alone; the altitude also on where the
// litres are placed. W is least with them as late as possible (nines last)
// and greatest with them as early as possible (nines first). A touchdown on
// second K needs h_K <= 0 for some placement, which the latest one decides,
// and the module above the surface at every second before, which the
// earliest one decides: it is the highest of all placements at every
// second at once. A soft touchdown also needs v_K >= -1.
//
// Every inequality is loosened by a margin far wider than the rounding of
// K seconds of the model (a few times 2^-53 of the magnitudes per second)
// and far narrower than the 0.324 m/s or m that one litre changes, so a
// bound never excludes a flight the exact arithmetic makes, and it stays
// tight: from rest a soft touchdown is at -0.97 m/s, far from the limit.

#ifndef LM_PLANNER_LANDING_BOUND_H_
#define LM_PLANNER_LANDING_BOUND_H_

#include <cstdint>

#include "descent_model.h"

// The least fuel any soft landing from a state must still burn.
struct soft_landing_bound {
  bool possible;         // false: no soft landing from the state at all
  std::int64_t litres;   // the least litres burnt from the state to a soft touchdown
  std::int64_t seconds;  // the fewest seconds from the state for a soft touchdown burning `litres`
};

// Returns the least litres, then seconds, of any soft landing from `s`
// (altitude above the surface, fuel on board, velocity as flown).
soft_landing_bound least_soft_landing(const flight_state& s);

// The gentlest touchdown of any flight from a state, as the reports show
// its velocity.
struct touchdown_bound {
  std::int64_t hundredths;  // the greatest touchdown velocity, in signed hundredths of m/s
  std::int64_t litres;      // the least litres burnt by a touchdown reported at that velocity
};

// Returns the gentlest touchdown any flight from `s` can make, for a state
// from which least_soft_landing finds no soft landing.
touchdown_bound gentlest_touchdown(const flight_state& s);

// Returns `velocity` in signed hundredths of m/s as the reports round it,
// and +-2^62 for a value beyond what the reports round.
std::int64_t reported_hundredths(double velocity);

#endif  // LM_PLANNER_LANDING_BOUND_H_
