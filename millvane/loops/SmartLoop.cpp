#include "millvane/loops/SmartLoop.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/numora/Math.h"
#include "platform/numora/Point2d.h"

namespace {

// Unlinks loop from the list whose head is *head.
void Unlink(CSmartLoop** head, CSmartLoop* loop) {
  if (loop->prev) loop->prev->next = loop->next;
  else if (*head == loop) *head = loop->next;
  if (loop->next) loop->next->prev = loop->prev;
  loop->next = loop->prev = nullptr;
}

void Append(CSmartLoop** head, CSmartLoop* loop) {
  loop->next = nullptr;
  if (!*head) {
    loop->prev = nullptr;
    *head = loop;
    return;
  }
  CSmartLoop* t = *head;
  while (t->next) t = t->next;
  t->next = loop;
  loop->prev = t;
}

// Chord points of every section, for the shoelace sum and the winding fallback.
template <class F>
void ForEachChord(const CSmartCurve* c, F f) {
  double pts[51][2];
  for (const CSmartSect* s = c->head; s; s = s->next) {
    if (s->IsLine()) {
      const auto* l = static_cast<const CSmartLine*>(s);
      f(l->start, l->end);
    } else {
      const int n = acArcToPoints(static_cast<const CSmartArc*>(s), 0.01, 50, pts);
      for (int i = 0; i < n; ++i) f(pts[i], pts[i + 1]);
    }
  }
}

}  // namespace

void acDeleteLoopList(CSmartLoop* list) {
  while (list) {
    CSmartLoop* n = list->next;
    delete list;
    list = n;
  }
}

CSmartLoop* acJoinLoopLists(CSmartLoop* a, CSmartLoop* b) {
  if (!a) return b;
  if (!b) return a;
  CSmartLoop* t = a;
  while (t->next) t = t->next;
  t->next = b;
  b->prev = t;
  return a;
}

void CLoopListEnd::Append(CSmartLoop* list) {
  if (!list) return;
  if (tail_) {
    tail_->next = list;
    list->prev = tail_;
  } else {
    head = list;
  }
  for (tail_ = list; tail_->next;) tail_ = tail_->next;
}

CSmartLoop::CSmartLoop() = default;

CSmartLoop::~CSmartLoop() {
  delete curve;
  acDeleteLoopList(children);
  acDeleteLoopList(islands);
}

CSmartLoop* CSmartLoop::CopyLoop() const {
  auto* l = new CSmartLoop;
  l->height = height;
  std::copy(box, box + 6, l->box);
  l->area = area;
  l->curve = curve ? curve->CloneCurve() : nullptr;
  return l;
}

CSmartLoop* CSmartLoop::CopyContour() const {
  CSmartLoop* l = CopyLoop();
  for (CSmartLoop* i = islands; i; i = i->next) l->AddIsland(i->CopyLoop());
  return l;
}

int CSmartLoop::CreateLoop(const double c1[2], const double c2[2]) {
  const double p[4][2] = {{c1[0], c1[1]}, {c2[0], c1[1]}, {c2[0], c2[1]}, {c1[0], c2[1]}};
  auto* c = new CSmartCurve;
  for (int i = 0; i < 4; ++i) c->AppendSect(new CSmartLine(p[i], p[(i + 1) % 4]));
  delete UpdateSect(c);
  return 1;
}

CSmartCurve* CSmartLoop::UpdateSect(CSmartCurve* c) {
  CSmartCurve* old = curve;
  curve = c;
  if (curve) curve->HealJoints();
  area = Area();
  DefineBox();
  return old;
}

void CSmartLoop::SetContourInfo(double z, int fromOrigin) {
  int ordinal = 2;
  for (CSmartLoop* l = this; l; l = (l == this ? islands : l->next), ++ordinal) {
    l->height = z;
    l->box[2] = l->box[5] = z;
    if (!l->curve) continue;
    for (CSmartSect* s = l->curve->head; s; s = s->next) {
      if (fromOrigin) {
        if (s->origin) s->group = s->origin->group;
      } else {
        s->group = ordinal;
      }
    }
  }
}

void CSmartLoop::SetBoundInfo(int bound) {
  for (CSmartLoop* l = this; l; l = (l == this ? islands : l->next))
    if (l->curve)
      for (CSmartSect* s = l->curve->head; s; s = s->next) s->flags = bound ? kSectBound : kSectNotBound;
}

int CSmartLoop::InitBuffer() {
  int ok = 1;
  for (CSmartLoop* l = this; l; l = (l == this ? islands : l->next)) {
    if (!l->curve) {
      ok = 0;
      continue;
    }
    for (CSmartSect* s = l->curve->head; s; s = s->next) s->ClearCutPoints();
  }
  return ok;
}

void CSmartLoop::DefineBox() {
  if (curve && curve->head) curve->CurveBox(box, box + 3);
  else box[0] = box[1] = box[3] = box[4] = 0.0;
  // The curve box fills x, y at [0..1] and [3..4]; z is the height.
  box[2] = box[5] = height;
}

void CSmartLoop::RotateContour(double angle) {
  for (CSmartLoop* l = this; l; l = (l == this ? islands : l->next)) {
    if (l->curve) l->curve->RotateCurve(angle);
    l->DefineBox();
  }
}

void CSmartLoop::ReverseLoop(int negate) {
  if (curve) curve->ReverseCurve();
  if (negate) area = -area;
}

void CSmartLoop::ReverseContour(int negate) {
  ReverseLoop(negate);
  for (CSmartLoop* i = islands; i; i = i->next) i->ReverseContour(negate);
  for (CSmartLoop* c = children; c; c = c->next) c->ReverseContour(negate);
}

CSmartSect* CSmartLoop::GetSectMid() const {
  if (!curve) return nullptr;
  if (curve->count < 2) return curve->head;
  CSmartSect* s = curve->head;
  for (int k = 1; k < curve->count / 2 && s->next; ++k) s = s->next;
  return s;
}

int CSmartLoop::AddIsland(CSmartLoop* loop) {
  if (!loop) return 0;
  Append(&islands, loop);
  loop->parent = this;
  return 1;
}

void CSmartLoop::RemoveIsland(CSmartLoop* loop) {
  if (loop) Unlink(&islands, loop);
}

int CSmartLoop::AddChild(CSmartLoop* loop) {
  if (!loop) return 0;
  Append(&children, loop);
  loop->parent = this;
  return 1;
}

void CSmartLoop::RemoveChild(CSmartLoop* loop) {
  if (loop) Unlink(&children, loop);
}

void CSmartLoop::DeleteChild(CSmartLoop* loop) {
  if (!loop) return;
  Unlink(&children, loop);
  delete loop;
}

int CSmartLoop::InsertNewLoop(CSmartLoop* loop) {
  if (!loop || !loop->curve) return 0;
  for (CSmartLoop* c = children; c; c = c->next)
    if (c->InsertNewLoop(loop)) return 1;
  double mid[2];
  loop->curve->PointAtFraction(0.5, mid);
  if (!IsPointIn(mid)) return 0;
  for (CSmartLoop* c = children; c;) {
    CSmartLoop* n = c->next;
    double cm[2];
    if (c->curve && c->curve->PointAtFraction(0.5, cm) && loop->IsPointIn(cm)) {
      Unlink(&children, c);
      loop->AddChild(c);
    }
    c = n;
  }
  AddChild(loop);
  return 1;
}

double CSmartLoop::Area() const {
  if (!curve || !curve->IsClosed()) return 0.0;
  double sum = 0.0;
  ForEachChord(curve, [&](const double* a, const double* b) { sum += a[0] * b[1] - b[0] * a[1]; });
  double e[2], s[2];
  curve->tail->EndPoint(e);
  curve->head->StartPoint(s);
  sum += e[0] * s[1] - s[0] * e[1];
  return sum;
}

int CSmartLoop::IsPointIn(const double p[2]) const {
  if (!curve || !curve->head) return 0;
  if (p[0] < box[0] - 0.01 || p[0] > box[3] + 0.01 || p[1] < box[1] - 0.01 ||
      p[1] > box[4] + 0.01)
    return 0;
  const double a[2] = {box[0] - 1.0, p[1]}, b[2] = {box[3] + 1.0, p[1]};
  struct Hit {
    double x, y;
    const CSmartSect* s;
    int idx;
  };
  Hit hits[30];
  int nh = 0;
  bool decided = true;
  const CSmartSect* first = curve->head;
  const CSmartSect* last = curve->tail;
  int idx = 0;
  for (const CSmartSect* s = first; s && decided; s = s->next, ++idx) {
    if (p[1] < s->box[1] - 0.001 || p[1] > s->box[3] + 0.001) continue;
    if (s->box[3] - s->box[1] < 0.002) {
      double q[2];
      if (s->NearestPoint(p, q) < 1e-10) return 2;
      decided = false;
      break;
    }
    double pts[2][2];
    int n = 0;
    if (s->IsLine()) {
      const auto* l = static_cast<const CSmartLine*>(s);
      n = acSegSegInt(l->start, l->end, a, b, pts);
    } else {
      const auto* c = static_cast<const CSmartArc*>(s);
      double raw[2][2];
      const int m = acLineCircleInt(c->radius, c->centre, a, b, raw);
      for (int i = 0; i < m; ++i)
        if (c->IsParamOnSpan(raw[i])) {
          pts[n][0] = raw[i][0];
          pts[n][1] = raw[i][1];
          ++n;
        }
    }
    for (int i = 0; i < n; ++i) {
      // A crossing shared with the neighbouring section is a vertex.
      int dup = -1;
      for (int k = 0; k < nh; ++k) {
        const bool neighbour = hits[k].s == s->prev || (s == last && hits[k].s == first);
        if (neighbour && std::fabs(hits[k].x - pts[i][0]) < 0.0001 &&
            std::fabs(hits[k].y - pts[i][1]) < 0.0001) {
          dup = k;
          break;
        }
      }
      if (dup >= 0) {
        double t1[2], t2[2];
        hits[dup].s->EvTangent(hits[dup].s->ParamOf(pts[i]), t1);
        s->EvTangent(s->ParamOf(pts[i]), t2);
        if (t1[1] * t2[1] < 0.0) hits[dup] = hits[--nh];  // a turning point: no crossing
        continue;
      }
      if (nh == 30) {
        decided = false;
        break;
      }
      hits[nh++] = {pts[i][0], pts[i][1], s, idx};
    }
  }
  if (decided) {
    int r = 0, l = 0;
    for (int k = 0; k < nh; ++k) {
      if (std::fabs(hits[k].x - p[0]) < 1e-10) return 2;
      if (hits[k].x > p[0]) ++r;
      else ++l;
    }
    if ((r & 1) == (l & 1)) return r % 2;
  }
  // Winding angle: robust where the crossing count is not.
  double total = 0.0;
  auto add = [&](const double* u, const double* v) {
    if (P2D_AbsDist(u, v) <= 0.001) return;
    double a1[2] = {u[0] - p[0], u[1] - p[1]}, a2[2] = {v[0] - p[0], v[1] - p[1]};
    if (!V2D_Unit(a1, 1e-12) || !V2D_Unit(a2, 1e-12)) return;
    const double ang = CMath::ACos(a1[0] * a2[0] + a1[1] * a2[1]);
    total += (a1[0] * a2[1] - a1[1] * a2[0]) > 0.0 ? ang : -ang;
  };
  ForEachChord(curve, add);
  return std::fabs(total) < 5.0 ? 0 : 1;
}

int CSmartLoop::IsPtOnContour(const double p[2]) const {
  if (!IsPointIn(p)) return 0;
  for (CSmartLoop* i = islands; i; i = i->next)
    if (i->IsPointIn(p)) return 0;
  return 1;
}

int CSmartLoop::IsLoopOn(const CSmartLoop* loop) const {
  if (!loop || !loop->curve || !loop->curve->head || !curve) return 0;
  double p1[2], p2[2];
  loop->curve->head->EvPoint(0.5, p1);
  loop->GetSectMid()->EvPoint(0.5, p2);
  if (!IsPointIn(p1) || !IsPointIn(p2)) return 0;
  for (CSmartLoop* i = islands; i; i = i->next)
    if (i->IsPointIn(p2)) return 0;
  return 1;
}

double CSmartLoop::MinDistPoint(const double p[2]) const {
  if (!curve) return 1e12;
  double best = 1e12, q[2];
  for (CSmartSect* s = curve->head; s; s = s->next) best = std::min(best, s->NearestPoint(p, q));
  return best;
}
