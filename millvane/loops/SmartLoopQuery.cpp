// Loop queries against lines and circles: crossing lists for scan lines and detours around
// a loop. Every query rejects by boxes first.
#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <vector>

#include "millvane/loops/SectRowIndex.h"
#include "millvane/loops/SmartLoop.h"
#include "platform/numora/Point2d.h"

namespace {

// The loop itself, then its islands.
template <class F>
void ForEachLoop(const CSmartLoop* l, F f) {
  f(l);
  for (const CSmartLoop* i = l->islands; i; i = i->next) f(i);
}

bool BoxMisses(const double box[4], const double other[4], double m) {
  return box[0] > other[2] + m || other[0] > box[2] + m || box[1] > other[3] + m ||
         other[1] > box[3] + m;
}

CSmartSect* NextOf(const CSmartCurve* c, CSmartSect* s) { return s->next ? s->next : c->head; }
CSmartSect* PrevOf(const CSmartCurve* c, CSmartSect* s) { return s->prev ? s->prev : c->tail; }

bool FlatOn(const CSmartSect* s, double y) { return s->box[1] == y && s->box[3] == y; }

// Crossings of a section with the infinite line through p and q, on the section's span.
int SectLineInt(const CSmartSect* s, const double p[2], const double q[2], double out[2][2]) {
  double raw[2][2];
  int n = 0;
  if (s->IsLine()) {
    const auto* l = static_cast<const CSmartLine*>(s);
    n = acLineLineInt(l->start, l->end, p, q, raw[0]);
  } else {
    const auto* a = static_cast<const CSmartArc*>(s);
    n = acLineCircleInt(a->radius, a->centre, p, q, raw);
  }
  int k = 0;
  for (int i = 0; i < n; ++i)
    if (s->IsParamOnSpan(raw[i])) {
      out[k][0] = raw[i][0];
      out[k][1] = raw[i][1];
      ++k;
    }
  return k;
}

}  // namespace

int CSmartLoop::IsLineInt(const CSmartLine* line) const {
  if (!curve || !line) return 0;
  int hit = 0;
  ForEachLoop(this, [&](const CSmartLoop* l) {
    if (hit || !l->curve) return;
    const double lb[4] = {l->box[0], l->box[1], l->box[3], l->box[4]};
    if (BoxMisses(line->box, lb, 0.0001)) return;
    for (CSmartSect* s = l->curve->head; s && !hit; s = s->next) {
      if (BoxMisses(line->box, s->box, 0.0001)) continue;
      double pts[2][2];
      const int m = acSectSectInt(line, s, pts);
      for (int i = 0; i < m; ++i)
        if (P2D_AbsDist(pts[i], line->start) > 0.0001 && P2D_AbsDist(pts[i], line->end) > 0.0001)
          hit = 1;
    }
  });
  return hit;
}

int CSmartLoop::LineIntCurve(const CSmartLine* line, CSmartCurve*& out) const {
  out = nullptr;
  if (!curve || !line) return 0;
  struct Hit {
    double x, y, tLine, tSect;
    CSmartSect* s;
    const CSmartLoop* loop;
  };
  std::vector<Hit> hits;
  ForEachLoop(this, [&](const CSmartLoop* l) {
    if (!l->curve) return;
    for (CSmartSect* s = l->curve->head; s; s = s->next) {
      if (BoxMisses(line->box, s->box, 0.0001)) continue;
      double pts[2][2];
      const int m = acSectSectInt(line, s, pts);
      for (int i = 0; i < m; ++i) {
        if (P2D_AbsDist(pts[i], line->start) <= 0.0001 || P2D_AbsDist(pts[i], line->end) <= 0.0001)
          continue;
        hits.push_back({pts[i][0], pts[i][1], line->ParamOf(pts[i]), s->ParamOf(pts[i]), s, l});
      }
    }
  });
  if (hits.empty()) return 0;
  std::stable_sort(hits.begin(), hits.end(),
                   [](const Hit& a, const Hit& b) { return a.tLine < b.tLine; });
  const Hit& f = hits.front();
  const Hit& b = hits.back();
  if (hits.size() % 2 != 0 || f.loop != b.loop) return 1;
  auto* c = new CSmartCurve;
  const double fp[2] = {f.x, f.y}, bp[2] = {b.x, b.y};
  if (P2D_Dist(line->start, fp) >= 2e-7) c->AppendSect(new CSmartLine(line->start, fp));
  const CSmartCurve* lc = f.loop->curve;
  if (f.s == b.s && f.tSect < b.tSect) {
    c->AppendSect(f.s->SubSect({f.x, f.y, f.tSect}, {b.x, b.y, b.tSect}));
  } else {
    double e[2];
    f.s->EndPoint(e);
    c->AppendSect(f.s->SubSect({f.x, f.y, f.tSect}, {e[0], e[1], 1.0}));
    for (CSmartSect* s = NextOf(lc, f.s); s != b.s; s = NextOf(lc, s)) c->AppendSect(s->Clone());
    double st[2];
    b.s->StartPoint(st);
    c->AppendSect(b.s->SubSect({st[0], st[1], 0.0}, {b.x, b.y, b.tSect}));
  }
  if (P2D_Dist(bp, line->end) >= 2e-7) c->AppendSect(new CSmartLine(bp, line->end));
  double len = 0.0;
  for (CSmartSect* s = c->head; s; s = s->next) len += s->Length();
  if (len > 3.0 * line->Length()) delete c;
  else out = c;
  return 1;
}

int CSmartLoop::GetYLineInt(double y, double (*points)[2], CSmartSect** sects, int max) const {
  return GetYLineInt(y, points, sects, max, nullptr);
}

int CSmartLoop::GetYLineInt(double y, double (*points)[2], CSmartSect** sects, int max,
                            const CSectRowIndex* index) const {
  if (!curve || max <= 0) return 0;
  const double a[2] = {box[0] - 10.0, y}, b[2] = {box[3] + 10.0, y};
  int n = 0;
  auto add = [&](const double p[2], CSmartSect* s) {
    if (n >= max) return;
    points[n][0] = p[0];
    points[n][1] = p[1];
    if (sects) sects[n] = s;
    ++n;
  };
  auto cross = [&](CSmartSect* s, const CSmartCurve* c) {
    if (s->box[1] > y || s->box[3] < y || FlatOn(s, y)) return;
    double pts[2][2];
    int m = 0;
    if (s->IsLine()) {
      const auto* ln = static_cast<const CSmartLine*>(s);
      m = acSegSegInt(ln->start, ln->end, a, b, pts);
    } else {
      m = SectLineInt(s, a, b, pts);
    }
    double sStart[2], sEnd[2];
    s->StartPoint(sStart);
    s->EndPoint(sEnd);
    for (int i = 0; i < m; ++i) {
      CSmartSect* nx = NextOf(c, s);
      CSmartSect* pv = PrevOf(c, s);
      if (FlatOn(nx, y) && P2D_AbsDist(pts[i], sEnd) < 0.001) {
        // A flat run after the section: one crossing at its start when the chain goes on
        // the same way and the run heads the matching way.
        while (FlatOn(nx, y) && nx != s) nx = NextOf(c, nx);
        double runEnd[2], t0[2], t1[2];
        nx->StartPoint(runEnd);
        s->EvTangent(1.0, t0);
        nx->EvTangent(0.0, t1);
        const bool rise = t0[1] > 0 && t1[1] > 0, fall = t0[1] < 0 && t1[1] < 0;
        if ((rise && runEnd[0] > sEnd[0]) || (fall && runEnd[0] < sEnd[0])) add(sEnd, s);
        continue;
      }
      if (FlatOn(pv, y) && P2D_AbsDist(pts[i], sStart) < 0.001) {
        while (FlatOn(pv, y) && pv != s) pv = PrevOf(c, pv);
        double runStart[2], t0[2], t1[2];
        pv->EndPoint(runStart);
        pv->EvTangent(1.0, t0);
        s->EvTangent(0.0, t1);
        const bool rise = t0[1] > 0 && t1[1] > 0, fall = t0[1] < 0 && t1[1] < 0;
        if ((rise && sStart[0] < runStart[0]) || (fall && sStart[0] > runStart[0])) add(sStart, s);
        continue;
      }
      add(pts[i], s);
    }
  };
  if (index && index->Contour() == this && index->Holds(y)) {
    for (const CSectRowIndex::Entry& e : index->At(y)) {
      if (n >= max) break;
      cross(e.sect, e.curve);
    }
    return n;
  }
  ForEachLoop(this, [&](const CSmartLoop* l) {
    const CSmartCurve* c = l->curve;
    if (!c) return;
    for (CSmartSect* s = c->head; s && n < max; s = s->next) cross(s, c);
  });
  return n;
}

int CSmartLoop::SortPointSect(double (*points)[2], CSmartSect** sects, int count) {
  auto tanY = [&](int i) {
    double t[2];
    sects[i]->EvTangent(sects[i]->ParamOf(points[i]), t);
    return t[1];
  };
  auto drop = [&](int i) {
    --count;
    points[i][0] = points[count][0];
    points[i][1] = points[count][1];
    sects[i] = sects[count];
  };
  for (int i = 0; i < count; ++i) {
    for (int k = i + 1; k < count; ++k) {
      if (std::fabs(points[i][0] - points[k][0]) >= 1e-6) continue;
      const bool turnsBack = tanY(i) * tanY(k) < 0.0;
      drop(k);
      if (turnsBack) drop(i);
      --i;  // look at what moved into slot i again
      break;
    }
  }
  std::vector<int> order(count);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return points[a][0] < points[b][0]; });
  std::vector<std::array<double, 2>> p(count);
  std::vector<CSmartSect*> s(count);
  for (int i = 0; i < count; ++i) {
    p[i] = {points[order[i]][0], points[order[i]][1]};
    s[i] = sects[order[i]];
  }
  for (int i = 0; i < count; ++i) {
    points[i][0] = p[i][0];
    points[i][1] = p[i][1];
    sects[i] = s[i];
  }
  return count;
}

int CSmartLoop::GetYLineIntContour(double y, double (*points)[2], int max) const {
  std::vector<CSmartSect*> sects(std::max(max, 0));
  int n = 0;
  for (double yy : {y, y + 1e-6, y - 1e-6}) {
    n = SortPointSect(points, sects.data(), GetYLineInt(yy, points, sects.data(), max));
    if (n % 2 == 0) break;
  }
  return n;
}

int CSmartLoop::GetLineInt(const double p[2], const double q[2], double (*points)[2],
                           CSmartSect** sects, int max) const {
  if (!curve) return 0;
  int n = 0;
  ForEachLoop(this, [&](const CSmartLoop* l) {
    if (!l->curve) return;
    for (CSmartSect* s = l->curve->head; s && n < max; s = s->next) {
      double pts[2][2];
      const int m = SectLineInt(s, p, q, pts);
      for (int i = 0; i < m && n < max; ++i, ++n) {
        points[n][0] = pts[i][0];
        points[n][1] = pts[i][1];
        if (sects) sects[n] = s;
      }
    }
  });
  return n;
}

int CSmartLoop::GetCircleInt(const double centre[2], double radius, double (*points)[2],
                             CSmartSect** sects, int max) const {
  if (!curve) return 0;
  const double cb[4] = {centre[0] - radius, centre[1] - radius, centre[0] + radius,
                        centre[1] + radius};
  int n = 0;
  ForEachLoop(this, [&](const CSmartLoop* l) {
    if (!l->curve) return;
    for (CSmartSect* s = l->curve->head; s && n < max; s = s->next) {
      if (BoxMisses(cb, s->box, 0.001)) continue;
      double raw[2][2];
      int m;
      if (s->IsLine()) {
        const auto* ln = static_cast<const CSmartLine*>(s);
        m = acLineCircleInt(radius, centre, ln->start, ln->end, raw);
      } else {
        const auto* a = static_cast<const CSmartArc*>(s);
        m = acCircleCircleInt(a->radius, radius, a->centre, centre, raw);
      }
      for (int i = 0; i < m && n < max; ++i) {
        if (!s->IsParamOnSpan(raw[i])) continue;
        points[n][0] = raw[i][0];
        points[n][1] = raw[i][1];
        if (sects) sects[n] = s;
        ++n;
      }
    }
  });
  return n;
}

int CSmartLoop::GetCircleInt(const CSmartArc* arc, double (*points)[4], CSmartSect** sects,
                             int max) const {
  if (!curve || !arc) return 0;
  int n = 0;
  for (CSmartSect* s = curve->head; s && n < max; s = s->next) {
    if (BoxMisses(arc->box, s->box, 0.001)) continue;
    double pts[2][2];
    const int m = acSectSectInt(s, arc, pts);
    for (int i = 0; i < m && n < max; ++i) {
      const double ts = s->ParamOf(pts[i]), ta = arc->ParamOf(pts[i]);
      if (!(ts > -1e-8 && ts < 1.00000001 && ta > -1e-8 && ta < 1.00000001)) continue;
      points[n][0] = pts[i][0];
      points[n][1] = pts[i][1];
      points[n][2] = ts;
      points[n][3] = ta;
      if (sects) sects[n] = s;
      ++n;
    }
  }
  return n;
}
