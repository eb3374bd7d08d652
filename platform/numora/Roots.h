// Real roots of small polynomials and of sampled functions, for the curve intersections:
// power-basis polynomials up to degree 6, sign-change bracketing by the roots of the derivative,
// bisection, golden-section minimum and the roots of periodic functions.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>
#include <numbers>

namespace roots {

// Polynomial in t in the power basis, degree at most 6 (a cubic substituted into a conic).
struct Poly {
  int deg = -1;
  double c[7] = {};
  double operator()(double t) const {
    double v = 0.0;
    for (int i = deg; i >= 0; --i) v = v * t + c[i];
    return v;
  }
};

// p', a * b and a + b.
Poly Derivative(const Poly& p);
Poly Mul(const Poly& a, const Poly& b);
Poly Add(const Poly& a, const Poly& b);

// Power-basis cubic of one coordinate from Bernstein coefficients.
Poly CubicFromBernstein(double h0, double h1, double h2, double h3);

// Strictly opposite signs (a zero differs from neither).
bool SignsDiffer(double a, double b);

// Appends the points of [lo, hi] where p vanishes or changes sign. Between consecutive roots of
// the derivative p is monotone, so each such piece holds at most one root.
void SignRoots(Poly p, double lo, double hi, std::vector<double>& out);

// Root of f in [lo, hi] where f(lo) and f(hi) differ in sign; bisection to full precision.
template <class F>
double Bisect(const F& f, double lo, double hi, double flo) {
  for (int i = 0; i < 200; ++i) {
    const double mid = 0.5 * (lo + hi);
    if (mid <= lo || mid >= hi) break;
    const double fm = f(mid);
    if (fm == 0.0) return mid;
    if ((fm < 0.0) == (flo < 0.0)) {
      lo = mid;
      flo = fm;
    } else {
      hi = mid;
    }
  }
  return 0.5 * (lo + hi);
}

// Parameters in [0, 1] where a curve meets another, p(t) being an implicit measure of the
// second curve along the first and dist(t) the true distance between them. The ends and the
// turning points of p where the curves come within tol are touching points; a sign change
// next to such a point is the same contact and is not reported again.
template <class Dist>
std::vector<double> CurveRoots(const Poly& p, const Dist& dist, double tol) {
  std::vector<double> nodes{0.0};
  SignRoots(Derivative(p), 0.0, 1.0, nodes);
  nodes.push_back(1.0);
  std::sort(nodes.begin(), nodes.end());
  nodes.erase(std::unique(nodes.begin(), nodes.end()), nodes.end());
  std::vector<char> touch(nodes.size());
  std::vector<double> roots;
  for (size_t k = 0; k < nodes.size(); ++k) {
    touch[k] = dist(nodes[k]) <= tol;
    if (touch[k]) roots.push_back(nodes[k]);
  }
  for (size_t k = 0; k + 1 < nodes.size(); ++k) {
    if (touch[k] || touch[k + 1]) continue;
    const double f0 = p(nodes[k]), f1 = p(nodes[k + 1]);
    if (SignsDiffer(f0, f1)) roots.push_back(Bisect(p, nodes[k], nodes[k + 1], f0));
  }
  std::sort(roots.begin(), roots.end());
  return roots;
}

// Minimum of g on [lo, hi] by golden section.
template <class G>
double GoldenMin(const G& g, double lo, double hi) {
  const double r = 0.6180339887498949;
  double x1 = hi - r * (hi - lo), x2 = lo + r * (hi - lo);
  double g1 = g(x1), g2 = g(x2);
  for (int i = 0; i < 80 && hi - lo > 1e-15; ++i) {
    if (g1 <= g2) {
      hi = x2;
      x2 = x1;
      g2 = g1;
      x1 = hi - r * (hi - lo);
      g1 = g(x1);
    } else {
      lo = x1;
      x1 = x2;
      g1 = g2;
      x2 = lo + r * (hi - lo);
      g2 = g(x2);
    }
  }
  return g1 <= g2 ? x1 : x2;
}

// Angles in [0, 2π) where a closed curve meets another, f(θ) being a signed measure of the
// second curve along the first and dist(θ) the true distance. Sampled, with every sampled
// turning point of f refined, so that close pairs of roots and touching points are found;
// touching is handled as in CurveRoots. `coincident` when every sample lies within tol.
template <class F, class Dist>
std::vector<double> PeriodicRoots(const F& f, const Dist& dist, double tol, bool& coincident) {
  constexpr int kSamples = 128;
  const double h = 2 * std::numbers::pi / kSamples;
  double fv[kSamples];
  coincident = true;
  for (int i = 0; i < kSamples; ++i) {
    fv[i] = f(i * h);
    if (coincident && dist(i * h) > tol) coincident = false;
  }
  if (coincident) return {};
  struct Node {
    double th;
    double f;
    bool touch;
  };
  std::vector<Node> nodes;
  for (int i = 0; i < kSamples; ++i) {
    nodes.push_back({i * h, fv[i], false});
    const double prev = fv[(i + kSamples - 1) % kSamples], next = fv[(i + 1) % kSamples];
    if ((fv[i] - prev) * (next - fv[i]) > 0.0 || (fv[i] == prev && fv[i] == next)) continue;
    const double sgn = (fv[i] <= prev && fv[i] <= next) ? 1.0 : -1.0;
    const double x = GoldenMin([&](double t) { return sgn * f(t); }, i * h - h, i * h + h);
    const double wrapped = x - 2 * std::numbers::pi * std::floor(x / (2 * std::numbers::pi));
    nodes.push_back({wrapped < 2 * std::numbers::pi ? wrapped : 0.0, f(x), dist(x) <= tol});
  }
  std::sort(nodes.begin(), nodes.end(), [](const Node& a, const Node& b) { return a.th < b.th; });
  std::vector<double> roots;
  const size_t m = nodes.size();
  for (size_t k = 0; k < m; ++k) {
    const Node& a = nodes[k];
    const Node& b = nodes[(k + 1) % m];
    if (a.touch) {
      roots.push_back(a.th);
      continue;
    }
    if (b.touch) continue;
    if (a.f == 0.0) {
      roots.push_back(a.th);
    } else if (SignsDiffer(a.f, b.f)) {
      const double hi = k + 1 < m ? b.th : b.th + 2 * std::numbers::pi;
      const double x = Bisect(f, a.th, hi, a.f);
      roots.push_back(x >= 2 * std::numbers::pi ? x - 2 * std::numbers::pi : x);
    }
  }
  std::sort(roots.begin(), roots.end());
  roots.erase(std::unique(roots.begin(), roots.end()), roots.end());
  return roots;
}

}  // namespace roots
