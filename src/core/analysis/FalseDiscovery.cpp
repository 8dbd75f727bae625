#include "core/analysis/FalseDiscovery.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace torvik {
namespace {

// The continued fraction of the incomplete beta function (modified Lentz),
// converging for x < (a + 1) / (a + b + 2).
double BetaFraction(double a, double b, double x) {
  constexpr int kMostTerms = 300;
  constexpr double kEpsilon = 1e-15, kTiny = 1e-300;
  const auto guard = [](double v) { return std::fabs(v) < kTiny ? kTiny : v; };
  double c = 1.0, d = 1.0 / guard(1.0 - (a + b) * x / (a + 1.0));
  double h = d;
  for (int m = 1; m <= kMostTerms; ++m) {
    const double m2 = 2.0 * m;
    double term = m * (b - m) * x / ((a + m2 - 1.0) * (a + m2));
    d = 1.0 / guard(1.0 + term * d);
    c = guard(1.0 + term / c);
    h *= d * c;
    term = -(a + m) * (a + b + m) * x / ((a + m2) * (a + m2 + 1.0));
    d = 1.0 / guard(1.0 + term * d);
    c = guard(1.0 + term / c);
    const double step = d * c;
    h *= step;
    if (std::fabs(step - 1.0) < kEpsilon) break;
  }
  return h;
}

// The regularised incomplete beta function I_x(a, b).
double RegularisedBeta(double a, double b, double x) {
  if (x <= 0.0) return 0.0;
  if (x >= 1.0) return 1.0;
  const double front =
      std::exp(std::lgamma(a + b) - std::lgamma(a) - std::lgamma(b) + a * std::log(x) + b * std::log1p(-x));
  if (x < (a + 1.0) / (a + b + 2.0)) return front * BetaFraction(a, b, x) / a;
  return 1.0 - front * BetaFraction(b, a, 1.0 - x) / b;
}

}  // namespace

double TwoSidedPValue(double t, double degreesOfFreedom) {
  if (!(degreesOfFreedom > 0.0) || std::isnan(t)) return 1.0;
  if (std::isinf(t)) return 0.0;
  const double x = degreesOfFreedom / (degreesOfFreedom + t * t);
  return std::clamp(RegularisedBeta(degreesOfFreedom / 2.0, 0.5, x), 0.0, 1.0);
}

std::vector<bool> BenjaminiHochberg(std::span<const double> pValues, double rate) {
  const size_t m = pValues.size();
  std::vector<size_t> order(m);
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return pValues[a] < pValues[b]; });
  size_t discoveries = 0;  // the largest k with p_(k) <= k / m * rate
  for (size_t k = m; k >= 1; --k) {
    if (pValues[order[k - 1]] <= double(k) / double(m) * rate) {
      discoveries = k;
      break;
    }
  }
  std::vector<bool> discovered(m, false);
  for (size_t k = 0; k < discoveries; ++k) discovered[order[k]] = true;
  return discovered;
}

}  // namespace torvik
