// The planner over a grid of starts: how long the best landing takes to
// find and prove from each, one core, natively.
//
//   lm_planner_bench [altitudes [fuels [limit_ms]]]
//
// The altitudes run from 1 to 9999 m and the fuels from 1 to 200,000 l,
// each spaced evenly on a logarithmic scale (`altitudes` and `fuels` values,
// 120 and 120 by default), plus a quarter metre on every other altitude, as
// a typed start may carry decimals. Each search may run for `limit_ms` (100
// by default). Prints the number of starts, how many were proven and how
// many land softly, the mean and slowest time per start and the slowest
// start, and every start not proven. Times are the processor time of this
// program, which other programs running at once on the machine do not
// lengthen as they do the wall time; the search's limit is in wall time.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "best_landing.h"

namespace {

// Returns the i-th of `count` values from `low` to `high` spaced evenly on
// a logarithmic scale.
double spaced(int i, int count, double low, double high) {
  if (count < 2) return low;
  return low * std::pow(high / low, static_cast<double>(i) / (count - 1));
}

int count_argument(int argc, char** argv, int index, int otherwise) {
  if (argc <= index) return otherwise;
  const long value = std::strtol(argv[index], nullptr, 10);
  return static_cast<int>(std::clamp(value, 1L, 1000000L));
}

}  // namespace

int main(int argc, char** argv) {
  const int altitudes = count_argument(argc, argv, 1, 120);
  const int fuels = count_argument(argc, argv, 2, 120);
  const auto limit = std::chrono::milliseconds(count_argument(argc, argv, 3, 100));
  long starts = 0;
  long proven = 0;
  long soft = 0;
  double total = 0;
  double slowest = 0;
  double slowest_altitude = 0;
  std::int32_t slowest_fuel = 0;
  for (int a = 0; a < altitudes; ++a) {
    double altitude = std::round(spaced(a, altitudes, 1, 9999));
    if (a % 2 == 1 && altitude < 9999) altitude += 0.25;
    for (int f = 0; f < fuels; ++f) {
      const auto fuel = static_cast<std::int32_t>(std::lround(spaced(f, fuels, 1, 200000)));
      const std::clock_t begin = std::clock();
      const best_landing best = find_best_landing(altitude, fuel, limit);
      const double seconds = static_cast<double>(std::clock() - begin) / CLOCKS_PER_SEC;
      ++starts;
      total += seconds;
      if (best.proven) ++proven;
      if (best.result.verdict == landing_verdict::soft) ++soft;
      if (!best.proven) std::printf("not proven: %g m, %d l\n", altitude, fuel);
      if (seconds > slowest) {
        slowest = seconds;
        slowest_altitude = altitude;
        slowest_fuel = fuel;
      }
    }
  }
  std::printf(
      "%ld starts, %ld proven, %ld soft; per start %.2f ms mean, %.2f ms slowest (%g m, %d l)\n",
      starts, proven, soft, 1e3 * total / static_cast<double>(starts), 1e3 * slowest,
      slowest_altitude, slowest_fuel);
  return proven == starts ? 0 : 1;
}
