// make_descent_vectors: writes test vectors for the three binary64 descent
// formulas, computed with the x87 extended format on x86 or x86-64.
//
//   lm_make_descent_vectors > tests/vectors/descent_model.vectors
//
// Each line gives a formula, its inputs, the result the extended rule
// defines, and which other evaluations get that result wrong: "binary64"
// (every operation rounded to binary64), "binary128" (every operation in
// IEEE binary128, then rounded to binary64), "both", or "-" for neither.
// The generator searches random inputs for cases of each kind, so that an
// arithmetic that is merely close to the rule fails some vector. All
// numbers are C hexadecimal floating-point, exact in both directions.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>

#include "descent_model.h"
#include "x87_long_double.h"

#if !LM_X87_LONG_DOUBLE
#error "the vectors are defined by the x87 extended format: build this on x86 or x86-64"
#endif

namespace {

using binary128 = __float128;

struct evaluation {
  double rule;
  double binary64;
  double binary128;
};

evaluation acceleration(double gravity, std::int32_t rate) {
  const long double rule = (static_cast<long double>(rate) / 5.0L - 1.0L) * gravity;
  const double narrow = (static_cast<double>(rate) / 5.0 - 1.0) * gravity;
  const binary128 wide = (static_cast<binary128>(rate) / 5 - 1) * static_cast<binary128>(gravity);
  return {static_cast<double>(rule), narrow, static_cast<double>(wide)};
}

double floor_at_zero(double t) {
  return t < 0.0 ? 0.0 : t;
}

evaluation altitude(double h, double v, double a) {
  const long double rule = (static_cast<long double>(h) + v) + static_cast<long double>(a) / 2.0L;
  const double narrow = (h + v) + a / 2.0;
  const binary128 wide =
      (static_cast<binary128>(h) + static_cast<binary128>(v)) + static_cast<binary128>(a) / 2;
  return {floor_at_zero(static_cast<double>(rule)), floor_at_zero(narrow),
          floor_at_zero(static_cast<double>(wide))};
}

evaluation velocity(double v, double a) {
  const long double rule = static_cast<long double>(v) + a;
  const binary128 wide = static_cast<binary128>(v) + static_cast<binary128>(a);
  return {static_cast<double>(rule), v + a, static_cast<double>(wide)};
}

const char* disagreement(const evaluation& e) {
  const bool narrow = e.binary64 != e.rule;
  const bool wide = e.binary128 != e.rule;
  if (narrow && wide) return "both";
  if (narrow) return "binary64";
  if (wide) return "binary128";
  return "-";
}

// Keeps up to `quota` vectors of each kind of disagreement.
struct quota {
  int left[4];
  explicit quota(int each) : left{each, each, each, each} {}
  bool take(const char* kind) {
    const int index = std::strcmp(kind, "-") == 0           ? 0
                      : std::strcmp(kind, "binary64") == 0  ? 1
                      : std::strcmp(kind, "binary128") == 0 ? 2
                                                            : 3;
    if (left[index] == 0) return false;
    --left[index];
    return true;
  }
};

// A double with a random significand and an exponent in [low, high].
double random_double(std::mt19937_64& random, int low, int high) {
  const std::uint64_t fraction = random() >> 12;
  const int exponent =
      low + static_cast<int>(random() % static_cast<std::uint64_t>(high - low + 1));
  std::uint64_t bits = (static_cast<std::uint64_t>(exponent + 1023) << 52) | fraction;
  if (random() & 1) bits |= std::uint64_t{1} << 63;
  double x = 0;
  std::memcpy(&x, &bits, sizeof x);
  return x;
}

}  // namespace

int main() {
  std::mt19937_64 random(20261208);
  constexpr int per_kind = 60;
  constexpr long tries = 30'000'000;
  std::printf("# Descent formula vectors: formula, inputs, result, evaluations that differ.\n");
  std::printf("# Made by lm_make_descent_vectors with the x87 extended format.\n");

  quota accelerations(per_kind);
  for (std::int32_t rate = 0; rate <= 9; ++rate) {
    const evaluation e = acceleration(lunar_gravity, rate);
    std::printf("acceleration %a %d %a %s\n", lunar_gravity, rate, e.rule, disagreement(e));
  }
  for (long i = 0; i < tries; ++i) {
    const double gravity = random_double(random, -8, 8);
    const auto rate = static_cast<std::int32_t>(i % 3 == 0 ? random() % 10 : random());
    const evaluation e = acceleration(gravity, rate);
    const char* kind = disagreement(e);
    if (accelerations.take(kind)) {
      std::printf("acceleration %a %d %a %s\n", gravity, rate, e.rule, kind);
    }
  }

  // Accelerations near the flight's own, one per rate.
  double rates[10];
  for (int rate = 0; rate < 10; ++rate)
    rates[rate] = lunar_gravity * (rate / 5.0 - 1.0);
  quota altitudes(per_kind);
  for (long i = 0; i < tries; ++i) {
    const double h = random_double(random, -4, 13);
    const double v = random_double(random, -6, 8);
    const double a =
        i % 2 == 0 ? acceleration(lunar_gravity, static_cast<std::int32_t>(random() % 10)).rule
                   : rates[random() % 10] * (1 + random_double(random, -40, -20));
    const evaluation e = altitude(h < 0 ? -h : h, v, a);
    const char* kind = disagreement(e);
    if (altitudes.take(kind)) {
      std::printf("altitude %a %a %a %a %s\n", h < 0 ? -h : h, v, a, e.rule, kind);
    }
  }

  quota velocities(per_kind);
  for (long i = 0; i < tries; ++i) {
    // Sums that need between 53 and 64 bits are where rounding twice can
    // differ from rounding once.
    const double v = random_double(random, -4, 12);
    int exponent = 0;
    std::frexp(v, &exponent);
    const int gap = 53 + static_cast<int>(random() % 14);
    const double a = random_double(random, exponent - gap, exponent - gap);
    const evaluation e = velocity(v, a);
    const char* kind = disagreement(e);
    if (velocities.take(kind)) std::printf("velocity %a %a %a %s\n", v, a, e.rule, kind);
  }
  return 0;
}
