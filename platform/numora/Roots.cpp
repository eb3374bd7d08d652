#include "platform/numora/Roots.h"

namespace roots {

Poly Derivative(const Poly& p) {
  Poly d;
  d.deg = p.deg - 1;
  for (int i = 1; i <= p.deg; ++i) d.c[i - 1] = i * p.c[i];
  return d;
}

Poly Mul(const Poly& a, const Poly& b) {
  Poly r;
  r.deg = a.deg + b.deg;
  for (int i = 0; i <= a.deg; ++i)
    for (int j = 0; j <= b.deg; ++j) r.c[i + j] += a.c[i] * b.c[j];
  return r;
}

Poly Add(const Poly& a, const Poly& b) {
  Poly r;
  r.deg = std::max(a.deg, b.deg);
  for (int i = 0; i <= r.deg; ++i) r.c[i] = (i <= a.deg ? a.c[i] : 0.0) + (i <= b.deg ? b.c[i] : 0.0);
  return r;
}

// Power-basis cubic of one coordinate from Bernstein coefficients.
Poly CubicFromBernstein(double h0, double h1, double h2, double h3) {
  Poly p;
  p.deg = 3;
  p.c[0] = h0;
  p.c[1] = 3.0 * (h1 - h0);
  p.c[2] = 3.0 * (h0 - 2.0 * h1 + h2);
  p.c[3] = -h0 + 3.0 * h1 - 3.0 * h2 + h3;
  return p;
}

bool SignsDiffer(double a, double b) { return (a < 0.0 && b > 0.0) || (a > 0.0 && b < 0.0); }

// Appends the points of [lo, hi] where p vanishes or changes sign. Between consecutive roots of
// the derivative p is monotone, so each such piece holds at most one root.
void SignRoots(Poly p, double lo, double hi, std::vector<double>& out) {
  while (p.deg > 0 && p.c[p.deg] == 0.0) --p.deg;
  if (p.deg <= 0) return;
  std::vector<double> nodes{lo};
  if (p.deg >= 2) SignRoots(Derivative(p), lo, hi, nodes);
  nodes.push_back(hi);
  std::sort(nodes.begin(), nodes.end());
  for (size_t k = 0; k + 1 < nodes.size(); ++k) {
    const double f0 = p(nodes[k]), f1 = p(nodes[k + 1]);
    if (f0 == 0.0) {
      out.push_back(nodes[k]);
    } else if (SignsDiffer(f0, f1)) {
      out.push_back(Bisect(p, nodes[k], nodes[k + 1], f0));
    }
  }
  if (p(hi) == 0.0) out.push_back(hi);
}

}  // namespace roots
