#include "millvane/surfpaths/NetFill.h"

#include <algorithm>
#include <cmath>

#include "millvane/paths/MillCenter.h"
#include "millvane/paths/ProtectNet.h"
#include "platform/panlet/Progress.h"
#include "platform/vurode/Tool.h"

namespace {

// Node index range [lo, hi] covering [a, b] along an axis starting at x0; false when empty.
bool NodeRange(double a, double b, double x0, double cell, int count, int& lo, int& hi) {
  double l = std::ceil((a - x0 - 0.001) / cell), h = std::floor((b - x0 + 0.001) / cell);
  if (!(l <= h) || h < 0 || l > count - 1) return false;
  lo = static_cast<int>(std::max(l, 0.0));
  hi = static_cast<int>(std::min(h, count - 1.0));
  return true;
}

}  // namespace

void RasterPolygonOnNet(CProtectNet& net, const double* const* v, int n) {
  if (net.rows == 0 || n < 3) return;
  double bx0 = v[0][0], bx1 = v[0][0], by0 = v[0][1], by1 = v[0][1];
  for (int k = 0; k < n; ++k) {
    if (!std::isfinite(v[k][0]) || !std::isfinite(v[k][1]) || !std::isfinite(v[k][2])) return;
    bx0 = std::min(bx0, v[k][0]), bx1 = std::max(bx1, v[k][0]);
    by0 = std::min(by0, v[k][1]), by1 = std::max(by1, v[k][1]);
  }
  int c0, c1, r0, r1;
  if (!NodeRange(bx0, bx1, net.xs[0], net.cell, net.cols, c0, c1) ||
      !NodeRange(by0, by1, net.ys[0], net.cell, net.rows, r0, r1))
    return;
  for (int i = r0; i <= r1; ++i) {
    const double y = net.ys[i];
    double px[8][2];
    int m = 0;
    auto add = [&](double x, double z) {
      for (int q = 0; q < m; ++q)
        if (std::fabs(px[q][0] - x) < 1e-6) return;
      if (m < 8) px[m][0] = x, px[m][1] = z;
      ++m;
    };
    for (int k = 0; k < n; ++k) {
      const double* a = v[k];
      const double* b = v[(k + 1) % n];
      double dy = b[1] - a[1];
      if (std::fabs(dy) < 1e-6) {
        if (std::fabs(a[1] - y) < 1e-6) add(a[0], a[2]), add(b[0], b[2]);
        continue;
      }
      if ((a[1] - y) * (b[1] - y) > 0) continue;
      double t = (y - a[1]) / dy;
      add(a[0] + (b[0] - a[0]) * t, a[2] + (b[2] - a[2]) * t);
    }
    if (m != 2) continue;
    if (px[0][0] > px[1][0]) std::swap(px[0], px[1]);
    const double len = px[1][0] - px[0][0];
    int j0, j1;
    if (!NodeRange(px[0][0], px[1][0], net.xs[0], net.cell, net.cols, j0, j1)) continue;
    for (int j = j0; j <= j1; ++j) {
      double x = net.xs[j];
      if (x < px[0][0] - 0.001 || x > px[1][0] + 0.001) continue;
      double t = len < 1e-6 ? 0.0 : std::clamp((x - px[0][0]) / len, 0.0, 1.0);
      net.Raise(i, j, px[0][1] + (px[1][1] - px[0][1]) * t);
    }
  }
}

void EnterVertexOnNet(CProtectNet& net, const double p[3]) {
  if (net.rows == 0 || !std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2]))
    return;
  double fj = std::round((p[0] - net.xs[0]) / net.cell);
  double fi = std::round((p[1] - net.ys[0]) / net.cell);
  if (fj < 0 || fj > net.cols - 1 || fi < 0 || fi > net.rows - 1) return;
  int j = static_cast<int>(fj), i = static_cast<int>(fi);
  if (std::fabs(net.xs[j] - p[0]) > 0.0001 || std::fabs(net.ys[i] - p[1]) > 0.0001) return;
  net.Raise(i, j, p[2]);
}

int FillProtectNet(CProtectNet& net, const CMillCenter* model) {
  if (!model || net.rows == 0) return 0;
  for (const auto& f : model->faces) {
    if (gIsProgressCancel()) return 0;
    for (const auto& t : f->tris) {
      const double* v[3] = {f->pts[t[0]].data(), f->pts[t[1]].data(), f->pts[t[2]].data()};
      RasterPolygonOnNet(net, v, 3);
    }
    for (const auto& q : f->quads) {
      const double* v[4] = {f->pts[q[0]].data(), f->pts[q[1]].data(), f->pts[q[2]].data(),
                            f->pts[q[3]].data()};
      RasterPolygonOnNet(net, v, 4);
    }
    for (const auto& p : f->pts) EnterVertexOnNet(net, p.data());
  }
  for (const auto& s : model->strips) {
    if (gIsProgressCancel()) return 0;
    const int rows = s->ChainPoints();
    for (int i = 0; i + 1 < rows; ++i)
      for (int j = 0; j < CMillCenter::Strip::kQuads; ++j) {
        const auto q = s->Corners(i, j);
        const double* v[4] = {s->pts[q[0]].data(), s->pts[q[1]].data(), s->pts[q[2]].data(), s->pts[q[3]].data()};
        RasterPolygonOnNet(net, v, 4);
      }
    for (const auto& p : s->pts) EnterVertexOnNet(net, p.data());
  }
  const CTool* tool = model->tool;
  if (tool) {
    const double r = 0.5 * tool->GetDia();
    for (const auto& p : model->sharp.pts) {
      int c0, c1, r0, r1;
      if (!NodeRange(p[0] - r, p[0] + r, net.xs[0], net.cell, net.cols, c0, c1) ||
          !NodeRange(p[1] - r, p[1] + r, net.ys[0], net.cell, net.rows, r0, r1))
        continue;
      for (int i = r0; i <= r1; ++i)
        for (int j = c0; j <= c1; ++j) {
          double h = tool->Zval_VertCC(p.data(), net.xs[j], net.ys[i]);
          if (h > kToolNoContact) net.Raise(i, j, h);
        }
    }
  }
  return 1;
}
