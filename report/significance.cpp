#include "report/significance.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// The continued fraction of the incomplete beta function (modified Lentz),
// which converges fast for x < (a + 1) / (a + b + 2).
double betaContinuedFraction(double a, double b, double x) {
  constexpr double tiny = 1e-300, epsilon = 1e-15;
  const auto guard = [](double v) { return std::fabs(v) < tiny ? tiny : v; };
  double c = 1, d = 1 / guard(1 - (a + b) * x / (a + 1)), h = d;
  for (int m = 1; m <= 1000; ++m) {
    const double even = m * (b - m) * x / ((a + 2 * m - 1) * (a + 2 * m));
    d = 1 / guard(1 + even * d);
    c = guard(1 + even / c);
    h *= d * c;
    const double odd = -(a + m) * (a + b + m) * x / ((a + 2 * m) * (a + 2 * m + 1));
    d = 1 / guard(1 + odd * d);
    c = guard(1 + odd / c);
    const double step = d * c;
    h *= step;
    if (std::fabs(step - 1) < epsilon) break;
  }
  return h;
}

// The regularised incomplete beta function I_x(a, b).
double regularizedBeta(double a, double b, double x) {
  if (x <= 0) return 0;
  if (x >= 1) return 1;
  const double front =
      std::exp(std::lgamma(a + b) - std::lgamma(a) - std::lgamma(b) + a * std::log(x) + b * std::log1p(-x));
  if (x < (a + 1) / (a + b + 2)) return front * betaContinuedFraction(a, b, x) / a;
  return 1 - front * betaContinuedFraction(b, a, 1 - x) / b;
}

}  // namespace

double studentTUpperTail(double t, double df) {
  if (std::isinf(t)) return t > 0 ? 0 : 1;
  const double half = 0.5 * regularizedBeta(0.5 * df, 0.5, df / (df + t * t));
  return t >= 0 ? half : 1 - half;
}

std::optional<double> normalTailP(const std::vector<double>& samples, double score) {
  const size_t r = samples.size();
  if (r < 2) return std::nullopt;
  const double mean = std::accumulate(samples.begin(), samples.end(), 0.0) / static_cast<double>(r);
  double squares = 0;
  for (double v : samples) squares += (v - mean) * (v - mean);
  const double sd = std::sqrt(squares / static_cast<double>(r - 1));
  if (!(sd > 0)) return std::nullopt;
  const double pivot = (score - mean) / (sd * std::sqrt(1 + 1 / static_cast<double>(r)));
  return studentTUpperTail(pivot, static_cast<double>(r - 1));
}

std::vector<std::optional<double>> benjaminiHochberg(const std::vector<std::optional<double>>& ps) {
  std::vector<size_t> tested;
  for (size_t i = 0; i < ps.size(); ++i)
    if (ps[i]) tested.push_back(i);
  std::stable_sort(tested.begin(), tested.end(), [&ps](size_t a, size_t b) { return *ps[a] < *ps[b]; });
  std::vector<std::optional<double>> q(ps.size());
  const double m = static_cast<double>(tested.size());
  double running = 1;
  for (size_t k = tested.size(); k-- > 0;) {
    running = std::min(running, *ps[tested[k]] * m / static_cast<double>(k + 1));
    q[tested[k]] = running;
  }
  return q;
}
