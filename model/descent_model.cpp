#include "descent_model.h"

#include "extended.h"

double acceleration_for_rate(double gravity, std::int32_t rate) {
  const extended q = to_extended(rate) / to_extended(static_cast<std::int32_t>(hover_rate));
  const extended d = q - to_extended(1.0);
  return to_binary64(d * to_extended(gravity));
}

rate_accelerations accelerations_for(double gravity) {
  rate_accelerations table{};
  for (std::int32_t rate = lowest_rate; rate <= highest_rate; ++rate)
    table.by_rate[rate] = acceleration_for_rate(gravity, rate);
  return table;
}

double altitude_after_second(double altitude, double velocity, double acceleration) {
  const extended s = to_extended(altitude) + to_extended(velocity);
  const extended h = to_extended(acceleration) / to_extended(2.0);
  const double t = to_binary64(s + h);
  return t < 0.0 ? 0.0 : t;
}

double velocity_after_second(double velocity, double acceleration) {
  return to_binary64(to_extended(velocity) + to_extended(acceleration));
}
