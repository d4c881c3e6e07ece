#include "landing_bound.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "report_format.h"

namespace {

constexpr double g = lunar_gravity;
constexpr std::int64_t most_rate = highest_rate;

// W for F litres placed as late as possible: n seconds of nines last,
// weighted 1/2, 3/2, ... n - 1/2, and the rest of the litres in the second
// before. The same for any K >= F / 9.
double late_weight(std::int64_t litres) {
  const std::int64_t nines = litres / most_rate;
  const auto n = static_cast<double>(nines);
  const auto rest = static_cast<double>(litres % most_rate);
  return 4.5 * n * n + rest * (n + 0.5);
}

// W for F litres over K seconds placed as early as possible: n seconds of
// nines first, weighted K - 1/2, K - 3/2, ..., then the rest. Needs F <= 9K.
double early_weight(std::int64_t litres, std::int64_t seconds) {
  const std::int64_t nines = litres / most_rate;
  const auto n = static_cast<double>(nines);
  const auto rest = static_cast<double>(litres % most_rate);
  const auto k = static_cast<double>(seconds);
  return 9.0 * (n * k - n * n / 2) + rest * (k - n - 0.5);
}

// The altitude after K seconds whose litres weigh W.
double altitude_after(const flight_state& s, std::int64_t seconds, double weight) {
  const auto k = static_cast<double>(seconds);
  return s.altitude + k * s.velocity - g * k * k / 2 + g / hover_rate * weight;
}

// The rounding the model may add over K seconds, with a hundredfold spare:
// each second rounds quantities no larger than these once or twice.
double altitude_margin(const flight_state& s, std::int64_t seconds) {
  const auto k = static_cast<double>(seconds);
  return 1e-13 * (k + 1) * (1 + std::fabs(s.altitude) + 2 * k * std::fabs(s.velocity) + 3 * k * k);
}
double velocity_margin(const flight_state& s, std::int64_t seconds) {
  const auto k = static_cast<double>(seconds);
  return 1e-13 * (k + 1) * (1 + std::fabs(s.velocity) + 2 * k);
}

// Returns whether the touchdown of F litres over K seconds can come no
// sooner than second K: the earliest placement of the litres burnable
// before it stays above the surface at seconds 1 .. K - 1. That flight
// speeds upward while it burns nines (convex in time) and is concave after,
// so its lowest second is near the vertex of the burn or at an end.
bool above_until(const flight_state& s, std::int64_t litres, std::int64_t seconds) {
  const std::int64_t before = seconds - 1;
  if (before < 1) return true;
  const std::int64_t burnt = std::min(litres, most_rate * before);
  const std::int64_t nines = burnt / most_rate;
  const auto height = [&](std::int64_t j) {
    return altitude_after(s, j, early_weight(std::min(burnt, most_rate * j), j));
  };
  const double margin = altitude_margin(s, seconds);
  const double rise = (static_cast<double>(most_rate) / hover_rate - 1) * g;
  const double vertex = std::clamp(-s.velocity / rise, 1.0, static_cast<double>(before));
  const std::int64_t candidates[] = {1,
                                     static_cast<std::int64_t>(std::floor(vertex)),
                                     static_cast<std::int64_t>(std::ceil(vertex)),
                                     nines,
                                     nines + 1,
                                     before};
  return std::none_of(std::begin(candidates), std::end(candidates), [&](std::int64_t j) {
    return j >= 1 && j <= before && height(j) <= -margin;
  });
}

// Returns whether F litres over K seconds can be on the surface by second K.
bool down_by(const flight_state& s, std::int64_t litres, std::int64_t seconds) {
  return altitude_after(s, seconds, late_weight(litres)) <= altitude_margin(s, seconds);
}

// Returns the least F in [low, high] for which `holds` (true from some F
// on), or high + 1 where none does.
template <typename predicate>
std::int64_t least_where(std::int64_t low, std::int64_t high, predicate holds) {
  while (low <= high) {
    const std::int64_t middle = low + (high - low) / 2;
    if (holds(middle)) {
      high = middle - 1;
    } else {
      low = middle + 1;
    }
  }
  return low;
}

// Returns a second before which even a free fall cannot reach the surface,
// so that no touchdown comes sooner: a second before the free fall's root
// leaves a whole second's fall of room, far more than any margin.
std::int64_t first_touchdown_second(const flight_state& s) {
  const double root = (s.velocity + std::sqrt(s.velocity * s.velocity + 2 * g * s.altitude)) / g;
  return std::max<std::int64_t>(1, static_cast<std::int64_t>(std::floor(root)) - 1);
}

}  // namespace

std::int64_t reported_hundredths(double velocity) {
  constexpr std::int64_t limit = std::int64_t{1} << 62;
  std::int64_t result = 0;
  if (fixed2_hundredths(velocity, result)) return result;
  return velocity < 0 ? -limit : limit;
}

soft_landing_bound least_soft_landing(const flight_state& s) {
  soft_landing_bound best{false, 0, 0};
  const std::int64_t fuel = s.fuel;
  for (std::int64_t k = first_touchdown_second(s);; ++k) {
    // v + g (F / 5 - K) >= -1, loosened.
    const double needed =
        hover_rate * (static_cast<double>(k) - (s.velocity + 1 + velocity_margin(s, k)) / g);
    const std::int64_t least = needed <= 0 ? 0 : static_cast<std::int64_t>(std::ceil(needed));
    if (least > fuel || (best.possible && least >= best.litres)) break;
    const std::int64_t most = std::min(fuel, most_rate * k);
    // Even every litre burnt at once touches down before second K, and so
    // before any later one.
    if (!above_until(s, most, k)) break;
    if (least > most) continue;
    const std::int64_t litres =
        above_until(s, least, k)
            ? least
            : least_where(least + 1, most, [&](std::int64_t f) { return above_until(s, f, k); });
    if (!down_by(s, litres, k)) continue;
    best = {true, litres, k};
  }
  return best;
}

touchdown_bound gentlest_touchdown(const flight_state& s) {
  touchdown_bound best{-(std::int64_t{1} << 62), 0};
  bool found = false;
  const std::int64_t fuel = s.fuel;
  const auto velocity = [&](std::int64_t f, std::int64_t k) {
    const double v = s.velocity +
                     g * (static_cast<double>(f) / hover_rate - static_cast<double>(k)) +
                     velocity_margin(s, k);
    return reported_hundredths(v);
  };
  for (std::int64_t k = first_touchdown_second(s);; ++k) {
    // Later seconds are slower even with every litre burnt.
    if (found && velocity(fuel, k) < best.hundredths) break;
    const std::int64_t most = std::min(fuel, most_rate * k);
    if (!above_until(s, most, k)) break;
    if (!down_by(s, 0, k)) continue;
    const std::int64_t high =
        least_where(0, most, [&](std::int64_t f) { return !down_by(s, f, k); }) - 1;
    if (!above_until(s, high, k)) continue;
    // One litre less is 0.32 m/s slower: on second K only `high` litres
    // touch down this gently.
    const std::int64_t fastest = velocity(high, k);
    if (found && fastest < best.hundredths) continue;
    if (!found || fastest > best.hundredths) {
      best = {fastest, high};
    } else {
      best.litres = std::min(best.litres, high);
    }
    found = true;
  }
  return best;
}
