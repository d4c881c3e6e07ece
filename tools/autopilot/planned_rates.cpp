#include "planned_rates.h"

#include "best_landing.h"

rate_source best_landing_rates(std::chrono::steady_clock::duration limit) {
  return [limit, planned = rate_source()](const flight_state& s) mutable {
    if (!planned) {
      const best_landing best = find_best_landing(s.altitude, s.fuel, limit);
      planned = rates_in_order({best.answers.begin(), best.answers.end()});
    }
    return planned(s);
  };
}
