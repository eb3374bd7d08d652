#include "geometry/shapes3d/CurveSampling3d.h"

#include <algorithm>
#include <numbers>

#include "platform/numora/Numora.h"

namespace {

// Below this parameter width a pair is kept as it is: doubles cannot split it much further.
constexpr double kMinParamWidth = 1e-9;

}  // namespace

void RefineCurveSamples(std::vector<CurveSample3d>& samples,
                        const std::function<void(double t, double p[3])>& eval, double chordTol,
                        double angTol, size_t maxSamples) {
  if (samples.size() < 2) return;
  std::vector<CurveSample3d> out;
  out.reserve(samples.size() * 2);
  out.push_back(samples.front());
  std::vector<CurveSample3d> pending;  // right ends still to reach, nearest last
  for (size_t i = 1; i < samples.size(); ++i) {
    pending.push_back(samples[i]);
    while (!pending.empty()) {
      const CurveSample3d& a = out.back();
      const CurveSample3d b = pending.back();
      // Initial samples not yet reached count too, so the result never exceeds the cap.
      const size_t total = out.size() + pending.size() + (samples.size() - 1 - i);
      bool accept = b.t - a.t < kMinParamWidth || total >= maxSamples;
      CurveSample3d m;
      if (!accept) {
        m.t = 0.5 * (a.t + b.t);
        m.p[0] = m.p[1] = m.p[2] = 0.0;
        eval(m.t, m.p);
        const double dev = L3D_DistToPntEx(a.p, b.p, m.p);
        const double ma[3] = {a.p[0] - m.p[0], a.p[1] - m.p[1], a.p[2] - m.p[2]};
        const double mb[3] = {b.p[0] - m.p[0], b.p[1] - m.p[1], b.p[2] - m.p[2]};
        double ang = V3D_GetAngle(ma, mb, 1e-6);
        if (ang <= 0.001) ang = std::numbers::pi;
        accept = dev <= chordTol && ang >= angTol;
      }
      if (accept) {
        out.push_back(b);
        pending.pop_back();
      } else {
        pending.push_back(m);
      }
    }
  }
  samples.swap(out);
}

void SamplesToString(const std::vector<CurveSample3d>& samples, CStrP3D& str) {
  str.Clear();
  const int n = static_cast<int>(samples.size());
  if (n > 0 && str.Create(n, true, false)) {
    for (int i = 0; i < n; ++i) {
      std::copy(samples[size_t(i)].p, samples[size_t(i)].p + 3, str.m_pPoints[i]);
      str.m_pParams[i] = samples[size_t(i)].t;
    }
  }
  str.CalcBox();
}
