#include "millvane/surface/SrfSectionFit.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

#include "millvane/kernel/BsplineUtils.h"
#include "millvane/kernel/KernelVec.h"

namespace {

int SkinAll(int count, const BCRV* const* sections, _nurbs_surface*& out) {
  return SRF_NewSkinned(count, sections, count <= 3 ? count : 4, out, 0.0001);
}

// Distance from the section's points at the start, middle and end of its range to the patch
// along the same u, each from v0 by Newton steps on (S - P) . Sv.
double Deviation(const _nurbs_surface* patch, const BCRV* section, double v0) {
  const double t0 = section->knots[section->order - 1], t1 = section->knots[section->n];
  double worst = 0.0;
  for (double u : {t0, 0.5 * (t0 + t1), t1}) {
    double P[3];
    if (!BCRV_EvPos(section, u, P)) return HUGE_VAL;
    double v = v0, S[3], Su[3], Sv[3], Suu[3], Suv[3], Svv[3];
    for (int it = 0; it < 8; ++it) {
      if (!BSRF_Ev2Der(patch, u, v, S, Su, Sv, Suu, Suv, Svv)) return HUGE_VAL;
      double d[3];
      kv::Sub(d, S, P);
      const double g = kv::Dot(d, Sv), h = kv::Dot(Sv, Sv) + kv::Dot(d, Svv);
      if (!(h > 0.0)) break;
      const double step = g / h;
      v = std::clamp(v - step, 0.0, 1.0);
      if (std::fabs(step) < 1e-12) break;
    }
    if (!BSRF_EvPos(patch, u, v, S)) return HUGE_VAL;
    worst = std::max(worst, kv::Dist(S, P));
  }
  return worst;
}

// Every section of the source; false when one cannot be made.
bool AllSections(SrfSectionSource& src, std::vector<const BCRV*>& all) {
  all.clear();
  for (int i = 0; i < src.Count(); ++i) {
    const BCRV* s = src.Section(i);
    if (!s) return false;
    all.push_back(s);
  }
  return true;
}

}  // namespace

int SRF_SkinFewestSections(SrfSectionSource& src, double tol, _nurbs_surface*& out) {
  out = nullptr;
  const int count = src.Count();
  auto skinAll = [&] {
    std::vector<const BCRV*> all;
    if (!AllSections(src, all)) return -1;
    return SkinAll(count, all.data(), out);
  };
  if (count <= 4) return skinAll();
  // Chord lengths between the sections' middle points: where a left-out section should lie.
  std::vector<double> along(size_t(count), 0.0);
  double prev[3];
  for (int i = 0; i < count; ++i) {
    double p[3];
    if (!src.Middle(i, p)) return skinAll();
    if (i > 0) along[size_t(i)] = along[size_t(i - 1)] + kv::Dist(prev, p);
    kv::Copy(prev, p);
  }
  // Four to begin with, so that the patch is cubic across as a skin of all of them would be.
  std::set<int> kept = {0, count / 3, 2 * count / 3, count - 1};
  while (int(kept.size()) < count) {
    const std::vector<int> idx(kept.begin(), kept.end());
    std::vector<const BCRV*> subset;
    for (int i : idx) {
      const BCRV* s = src.Section(i);
      if (!s) return -1;
      subset.push_back(s);
    }
    _nurbs_surface* patch = nullptr;
    if (SkinAll(int(subset.size()), subset.data(), patch) != 1 || !patch) {
      BSRF_Free(patch);
      break;
    }
    // The kept sections' v from their chord lengths, as the skinning places them.
    double total = 0.0;
    std::vector<double> v(idx.size(), 0.0);
    for (size_t k = 1; k < idx.size(); ++k)
      v[k] = v[k - 1] + (along[size_t(idx[k])] - along[size_t(idx[k - 1])]);
    total = v.back();
    std::vector<int> add;
    for (size_t k = 0; k + 1 < idx.size(); ++k) {
      const int a = idx[k], b = idx[k + 1];
      if (b - a < 2) continue;
      const double va = total > 0 ? v[k] / total : 0.0, vb = total > 0 ? v[k + 1] / total : 1.0;
      const double la = along[size_t(a)], lb = along[size_t(b)];
      for (int c : {a + (b - a) / 4, (a + b) / 2, b - (b - a) / 4}) {
        if (c <= a || c >= b) continue;
        const BCRV* section = src.Section(c);
        if (!section) {
          BSRF_Free(patch);
          return -1;
        }
        const double f = lb > la ? (along[size_t(c)] - la) / (lb - la) : 0.5;
        if (!(Deviation(patch, section, va + f * (vb - va)) <= tol)) {
          add.push_back((a + b) / 2);
          break;
        }
      }
    }
    if (add.empty()) {
      out = patch;
      return 1;
    }
    BSRF_Free(patch);
    kept.insert(add.begin(), add.end());
  }
  return skinAll();
}
