#include "millvane/loops/SmartCurve.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>
#include <numbers>

#include "millvane/loops/BoxGrid.h"
#include "millvane/loops/SmartLoop.h"
#include "platform/numora/Point2d.h"

namespace {
bool BoxesMeet(const double a[4], const double b[4], double m) {
  return a[0] <= b[2] + m && b[0] <= a[2] + m && a[1] <= b[3] + m && b[1] <= a[3] + m;
}

// Keeps one end of an arc and moves the other to p, keeping the direction; the radius grows to
// half the chord when too small, and the centre side that keeps the sweep closest wins.
void RefitArc(CSmartArc* a, bool keepStart, const double p[2]) {
  double fixed[2];
  a->EvPoint(keepStart ? 0.0 : 1.0, fixed);
  const bool ccw = a->IsCcw();
  const double oldSweep = a->Sweep();
  const double* s = keepStart ? fixed : p;
  const double* e = keepStart ? p : fixed;
  double u[2] = {e[0] - s[0], e[1] - s[1]};
  const double half = 0.5 * std::hypot(u[0], u[1]);
  if (!V2D_Unit(u, 1e-12)) return;
  const double r = std::max(a->radius, half);
  const double h = std::sqrt(std::max(0.0, r * r - half * half));
  const double mid[2] = {0.5 * (s[0] + e[0]), 0.5 * (s[1] + e[1])};
  double bestDiff = 1e300;
  for (double side : {1.0, -1.0}) {
    const double c[2] = {mid[0] - side * h * u[1], mid[1] + side * h * u[0]};
    double a0 = std::atan2(s[1] - c[1], s[0] - c[0]);
    double a1 = std::atan2(e[1] - c[1], e[0] - c[0]);
    if (ccw) {
      while (a1 <= a0) a1 += 2 * std::numbers::pi;
    } else {
      while (a1 >= a0) a1 -= 2 * std::numbers::pi;
    }
    const double diff = std::fabs((a1 - a0) - oldSweep);
    if (diff < bestDiff) {
      bestDiff = diff;
      a->centre[0] = c[0];
      a->centre[1] = c[1];
      a->radius = r;
      a->startAngle = a0;
      a->endAngle = a1;
    }
  }
  a->UpdateBox();
}

}  // namespace

CSmartCurve::~CSmartCurve() {
  CSmartSect* s = head;
  while (s) {
    CSmartSect* n = s->next;
    delete s;
    s = n;
  }
}

int CSmartCurve::AppendSect(CSmartSect* s) {
  if (!s) return 0;
  s->next = nullptr;
  s->prev = tail;
  if (tail) tail->next = s;
  else head = s;
  tail = s;
  ++count;
  return 1;
}

int CSmartCurve::InsertSectAfter(CSmartSect* s, CSmartSect* after) {
  if (!s) return 0;
  if (!after) {
    s->prev = nullptr;
    s->next = head;
    if (head) head->prev = s;
    else tail = s;
    head = s;
  } else {
    s->prev = after;
    s->next = after->next;
    if (after->next) after->next->prev = s;
    else tail = s;
    after->next = s;
  }
  ++count;
  return 1;
}

void CSmartCurve::DetachSect(CSmartSect* s) {
  if (s->prev) s->prev->next = s->next;
  else head = s->next;
  if (s->next) s->next->prev = s->prev;
  else tail = s->prev;
  s->next = s->prev = nullptr;
  --count;
}

int CSmartCurve::IsClosed() const {
  if (!head || !tail) return 0;
  double a[2], b[2];
  head->StartPoint(a);
  tail->EndPoint(b);
  return P2D_AbsDist(a, b) <= 0.001 ? 1 : 0;
}

int CSmartCurve::ReverseCurve() {
  if (!head) return 0;
  for (CSmartSect* s = head; s;) {
    CSmartSect* n = s->next;
    std::swap(s->next, s->prev);
    s->Reverse();
    s = n;
  }
  std::swap(head, tail);
  return 1;
}

void CSmartCurve::CurveBox(double min[2], double max[2]) const {
  min[0] = min[1] = 1e300;
  max[0] = max[1] = -1e300;
  for (CSmartSect* s = head; s; s = s->next) {
    min[0] = std::min(min[0], s->box[0]);
    min[1] = std::min(min[1], s->box[1]);
    max[0] = std::max(max[0], s->box[2]);
    max[1] = std::max(max[1], s->box[3]);
  }
}

CSmartCurve* CSmartCurve::CloneCurve() const {
  auto* c = new CSmartCurve;
  for (CSmartSect* s = head; s; s = s->next) c->AppendSect(s->Clone());
  c->flags = flags;
  return c;
}

int CSmartCurve::PointAtFraction(double x, double out[2]) const {
  if (!head) return 0;
  int k = std::clamp(static_cast<int>(count * x), 0, count - 1);
  CSmartSect* s = head;
  while (k-- > 0 && s->next) s = s->next;
  return s->EvPoint(x, out);
}

CSmartSect* CSmartCurve::NearestStart(const double p[2], double& dist, double out[2]) const {
  CSmartSect* best = nullptr;
  dist = 1e12;
  for (CSmartSect* s = head; s; s = s->next) {
    double q[2];
    s->StartPoint(q);
    const double d = P2D_Dist(p, q);
    if (d < dist) {
      dist = d;
      best = s;
      out[0] = q[0];
      out[1] = q[1];
    }
  }
  return best;
}

void CSmartCurve::StartAt(CSmartSect* s) {
  if (!s || s == head) return;
  // Close the ring, then open it before s.
  tail->next = head;
  head->prev = tail;
  head = s;
  tail = s->prev;
  tail->next = nullptr;
  head->prev = nullptr;
}

void CSmartCurve::RotateCurve(double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  for (CSmartSect* x = head; x; x = x->next) x->Rotate(c, s);
}

void CSmartCurve::MoveSects(CSmartCurve* from, CSmartCurve* to) {
  while (from->head) {
    CSmartSect* s = from->head;
    from->DetachSect(s);
    to->AppendSect(s);
  }
  delete from;
}

int CSmartCurve::MarkSelfCrossings() {
  if (!head) return 0;
  std::vector<CSmartSect*> sects;
  for (CSmartSect* s = head; s; s = s->next) sects.push_back(s);
  const int n = static_cast<int>(sects.size());
  // Sections are filed in a grid of their boxes, so that only the sections whose boxes may
  // meet are cut against each other, still in the order of the plain double loop. The group
  // keeps its use as a bucket number of ten consecutive sections.
  std::vector<std::array<double, 4>> boxes(sects.size());
  for (int i = 0; i < n; ++i) {
    if (n >= 10) sects[i]->group = i / 10;
    const double* b = sects[i]->box;
    boxes[i] = {b[0], b[1], b[2], b[3]};
  }
  CBoxGrid grid(boxes);
  std::vector<int> near;
  // 1 when b starts where a ends (within 1e-6).
  auto joined = [](const CSmartSect* a, const CSmartSect* b, double j[2]) {
    double e[2], s[2];
    a->EndPoint(e);
    b->StartPoint(s);
    j[0] = e[0];
    j[1] = e[1];
    return P2D_AbsDist(e, s) < 1e-6;
  };
  int found = 0;
  for (int i = 0; i < n; ++i) {
    CSmartSect* a = sects[i];
    grid.Query(boxes[i].data(), 0.0001, near);
    for (auto it = std::upper_bound(near.begin(), near.end(), i); it != near.end(); ++it) {
      const int k = *it;
      CSmartSect* b = sects[k];
      if (!BoxesMeet(a->box, b->box, 0.0001)) continue;
      int joints = 0;
      double joint[2] = {0, 0}, j[2];
      if (k == i + 1 && joined(a, b, j)) {
        ++joints;
        joint[0] = j[0];
        joint[1] = j[1];
      }
      if (i == 0 && k == n - 1 && joined(b, a, j)) {
        ++joints;
        joint[0] = j[0];
        joint[1] = j[1];
      }
      if (joints == 2) continue;  // a closed chain of two sections
      if (joints == 1 && a->IsLine() && b->IsLine()) continue;
      if (acCutSects(a, b, joints == 1 ? joint : nullptr)) found = 1;
    }
  }
  return found;
}

namespace {

// The pieces of a section between its start, its cut points and its end; each piece gets
// 0x01 when it starts at a cut and 0x02 when it ends at one.
std::vector<CSmartSect*> PiecesOf(const CSmartSect* s) {
  std::vector<SmartParamPt> recs;
  double p[2];
  s->StartPoint(p);
  recs.push_back({p[0], p[1], 0.0});
  for (CSmartPoint* c = s->cutPoints->head; c; c = c->next) recs.push_back({c->x, c->y, c->t});
  s->EndPoint(p);
  recs.push_back({p[0], p[1], 1.0});
  std::vector<CSmartSect*> out;
  const size_t last = recs.size() - 1;
  size_t from = 0;
  for (size_t k = 0; k < last; ++k) {
    CSmartSect* piece = s->SubSect(recs[from], recs[k + 1]);
    if (!piece) continue;  // the next piece starts where this one would have
    if (k > 0) piece->flags |= kSectSplitStart;
    if (k + 1 < last) piece->flags |= kSectSplitEnd;
    out.push_back(piece);
    from = k + 1;
  }
  return out;
}

// A full circle with cuts is turned to start at its first cut so no piece straddles its seam.
void TurnCircleToFirstCut(CSmartArc* a) {
  if (std::fabs(a->Sweep()) <= 6.283175307179587 || !a->cutPoints || !a->cutPoints->head) return;
  const double t0 = a->cutPoints->head->t;
  const double shift = a->Sweep() * t0;
  a->startAngle += shift;
  a->endAngle += shift;
  for (CSmartPoint* c = a->cutPoints->head; c; c = c->next) c->t -= t0;
}

}  // namespace

void CSmartCurve::SplitAtCuts() {
  for (CSmartSect* s = head; s;) {
    CSmartSect* n = s->next;
    if (s->CutCount() > 0) {
      CSmartSect* after = s->prev;
      for (CSmartSect* piece : PiecesOf(s)) {
        InsertSectAfter(piece, after);
        after = piece;
      }
      DetachSect(s);
      delete s;
    }
    s = n;
  }
}

CSmartCurve* CSmartCurve::SplitIntoCurves() const {
  CSmartCurve* first = nullptr;
  CSmartCurve* last = nullptr;
  auto begin = [&]() {
    auto* c = new CSmartCurve;
    c->flags = flags;
    if (last) last->next = c;
    else first = c;
    last = c;
  };
  for (CSmartSect* s = head; s; s = s->next) {
    if (s->CutCount() == 0) {
      CSmartSect* c = s->Clone();
      c->origin = s->origin;  // keep pointing at the ancestor
      c->flags = s->flags;
      if (!last) begin();
      last->AppendSect(c);
      continue;
    }
    if (s->IsArc()) TurnCircleToFirstCut(static_cast<CSmartArc*>(s));
    for (CSmartSect* piece : PiecesOf(s)) {
      if (!last || (piece->flags & kSectSplitStart)) begin();
      last->AppendSect(piece);
    }
  }
  return first;
}

void CSmartCurve::HealJoints() {
  if (!head) return;
  if (head == tail) {
    if (head->IsArc()) {
      auto* a = static_cast<CSmartArc*>(head);
      if (std::fabs(a->Sweep()) > 6.0) {
        if (a->IsCcw()) a->endAngle = a->startAngle + 2 * std::numbers::pi;
        else a->startAngle = a->endAngle + 2 * std::numbers::pi;
        a->UpdateBox();
      }
    }
    return;
  }
  for (CSmartSect* s = head; s; s = s->next) {
    CSmartSect* n = s->next ? s->next : head;
    double e[2], b[2];
    s->EndPoint(e);
    n->StartPoint(b);
    const double gap = P2D_AbsDist(e, b);
    if (gap <= 1e-9) continue;
    if (s->IsLine()) {
      s->SetEndAt(1, b, 1);
    } else if (n->IsLine()) {
      n->SetEndAt(0, e, 1);
    } else {
      const double mid[2] = {0.5 * (e[0] + b[0]), 0.5 * (e[1] + b[1])};
      RefitArc(static_cast<CSmartArc*>(s), true, mid);
      RefitArc(static_cast<CSmartArc*>(n), false, mid);
    }
  }
}
