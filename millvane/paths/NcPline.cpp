#include "millvane/paths/NcPline.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <memory>
#include <mutex>
#include <numbers>
#include <thread>
#include <vector>

#include "geometry/shapes3d/GePolyline3d.h"
#include "millvane/paths/MillModel.h"
#include "millvane/loops/PathCombine.h"
#include "millvane/loops/PathEntity.h"
#include "platform/numora/Box.h"
#include "platform/numora/Line.h"
#include "platform/panlet/Progress.h"
#include "platform/vurode/MemPool.h"

namespace {

// Refinement stops splitting below this chord: a kink in the contact surface (a cutter
// rolling over a mesh edge) would otherwise be chased forever.
constexpr double kMinChord = 1e-4;
constexpr double kMaxAngle = 3.10668606854932;  // 178 degrees

CNcPoint* Lerp(const CNcPoint& a, const CNcPoint& b, double t) {
  return new CNcPoint{0, a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.z + t * (b.z - a.z),
                      a.w + t * (b.w - a.w)};
}

double Dist3(const CNcPoint& a, const CNcPoint& b) {
  return std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y) + (b.z - a.z) * (b.z - a.z));
}

double DistToLine(const CNcPoint& a, const CNcPoint& b, const CNcPoint& p) {
  const double A[3] = {a.x, a.y, a.z}, B[3] = {b.x, b.y, b.z}, P[3] = {p.x, p.y, p.z};
  return L3D_DistToPntEx(A, B, P);
}

// Angle at m between the vectors to its neighbours; a degenerate one counts as straight.
double AngleAt(const CNcPoint& p, const CNcPoint& m, const CNcPoint& q) {
  const double u[3] = {p.x - m.x, p.y - m.y, p.z - m.z}, v[3] = {q.x - m.x, q.y - m.y, q.z - m.z};
  const double lu = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
  const double lv = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (lu < 1e-12 || lv < 1e-12) return std::numbers::pi;
  const double c = (u[0] * v[0] + u[1] * v[1] + u[2] * v[2]) / (lu * lv);
  const double a = std::acos(std::clamp(c, -1.0, 1.0));
  return a <= 0.001 ? std::numbers::pi : a;
}

}  // namespace

// ---- CNcPline --------------------------------------------------------------------------

CNcPline::CNcPline() : CTypedPtrList(10) { BOX3D_Init0(&box); }

CNcPline::~CNcPline() { DelAllPoint(); }

void CNcPline::DelAllPoint() {
  while (!IsEmpty()) delete RemoveHead();
}

void CNcPline::Init(const double p0[3], const double p1[3], double step) {
  DelAllPoint();
  const double d = std::hypot(p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]);  // no overflow when far
  // A far end point or a tiny step would fill memory before anything else went wrong; an end
  // point that is not finite has no line to put points on.
  const bool tooMany = d >= 1e-6 && d >= step && step > 0.0 && !(d / step <= kMaxInitPoints);
  if (tooMany || !std::isfinite(d)) {
    CalcBox();
    return;
  }
  AddTail(p0);
  // A step that is not positive would never advance.
  if (d >= 1e-6 && d >= step && step > 0.0) {
    const CNcPoint a = *GetHead();
    CNcPoint b{0, p1[0], p1[1], p1[2], p1[2]};
    for (int k = 1; k * step / d < 1.0; ++k) AddTail(Lerp(a, b, k * step / d));
  }
  AddTail(p1);
  CalcBox();
}

void CNcPline::CalcBox() {
  BOX3D_Init0(&box);
  for (POSITION pos = GetHeadPosition(); pos;) {
    const CNcPoint* p = GetNext(pos);
    const double q[3] = {p->x, p->y, p->z};
    BOX3D_Extend(&box, q);
  }
}

void CNcPline::Reverse() {
  std::vector<CNcPoint*> pts;
  pts.reserve(static_cast<size_t>(GetCount()));
  while (!IsEmpty()) pts.push_back(RemoveTail());
  for (CNcPoint* p : pts) CTypedPtrList::AddTail(p);
}

int CNcPline::GetStartPoint(double out[3]) const {
  if (IsEmpty()) return 0;
  const CNcPoint* p = GetHead();
  out[0] = p->x, out[1] = p->y, out[2] = p->z;
  return 1;
}

int CNcPline::GetEndPoint(double out[3]) const {
  if (IsEmpty()) return 0;
  const CNcPoint* p = GetTail();
  out[0] = p->x, out[1] = p->y, out[2] = p->z;
  return 1;
}

void CNcPline::SetPointValue(int k, double v) {
  if (k < 0 || k > 3) return;
  for (POSITION pos = GetHeadPosition(); pos;) {
    CNcPoint* p = GetNext(pos);
    (k == 0 ? p->x : k == 1 ? p->y : k == 2 ? p->z : p->w) = v;
  }
}

void CNcPline::AddTail(CNcPoint* point) {
  if (point) CTypedPtrList::AddTail(point);
}

void CNcPline::AddHead(CNcPoint* point) {
  if (point) CTypedPtrList::AddHead(point);
}

void CNcPline::AddTail(const double p[3]) { CTypedPtrList::AddTail(new CNcPoint{0, p[0], p[1], p[2], p[2]}); }

void CNcPline::AddTail(CNcPline* list) {
  if (!list || list == this) return;
  while (!list->IsEmpty()) CTypedPtrList::AddTail(list->RemoveHead());
}

void CNcPline::InsertBefore(CNcPoint* point, CNcPoint* before) {
  if (!point) return;
  if (!before) {
    CTypedPtrList::AddTail(point);
    return;
  }
  // A point that is not in the list would leave `point` unowned: append it instead.
  POSITION pos = Find(before);
  if (pos)
    CTypedPtrList::InsertBefore(pos, point);
  else
    CTypedPtrList::AddTail(point);
}

int CNcPline::AddToPathCombine(CPathCombine* chain) const {
  if (GetCount() < 2 || !chain) return 0;
  std::vector<double> pts;
  pts.reserve(3 * static_cast<size_t>(GetCount()));
  for (POSITION pos = GetHeadPosition(); pos;) {
    const CNcPoint* p = GetNext(pos);
    pts.insert(pts.end(), {p->x, p->y, p->z});
  }
  auto* pl = new CPathPLine3D;
  pl->SetPoints(static_cast<int>(GetCount()) - 1, reinterpret_cast<const double(*)[3]>(pts.data()));
  chain->AddTail(pl);
  return 1;
}

void CNcPline::InsPoint(double step) {
  if (!(step > 0.0)) return;
  POSITION pos = GetHeadPosition();
  if (!pos) return;
  CNcPoint* p = GetNext(pos);
  while (pos) {
    POSITION qpos = pos;
    CNcPoint* q = GetNext(pos);
    const double d = std::hypot(q->x - p->x, q->y - p->y);
    const int n = static_cast<int>(std::min(1000.0, std::ceil(d / step)));
    for (int k = 1; k < n; ++k) CTypedPtrList::InsertBefore(qpos, Lerp(*p, *q, static_cast<double>(k) / n));
    p = q;
  }
}

int CNcPline::ChkTol_InsPt(CMillModel* model, double tol, int mode) {
  return Refine(model, tol, mode, 0.0) == Refined::Done ? 1 : 0;
}

CNcPline::Refined CNcPline::Refine(CMillModel* model, double tol, int mode, double step) {
  if (GetCount() < 2 || !model) return Refined::Failed;
  CQProgress progress;
  const bool keepProbeZ = kind == 2 || kind == 3;
  POSITION pos = GetHeadPosition();
  POSITION ppos = pos;
  CNcPoint* p = GetNext(pos);
  bool first = true;
  bool cancel = false;
  while (pos && !cancel) {
    POSITION qpos = pos;
    CNcPoint* q = GetNext(pos);
    const double x0 = std::min(p->x, q->x), x1 = std::max(p->x, q->x);
    const double y0 = std::min(p->y, q->y), y1 = std::max(p->y, q->y);
    if (mode == 0) {
      model->Mark_XInter(x0, x1);
    } else if (mode == 1) {
      // Anything above the segment may raise its probes, however high: the box is open upward.
      const _tagBox3D b{{x0, y0, std::min(p->z, q->z)}, {x1, y1, 1e300}};
      model->Mark_Box3D(b);
    } else if (std::fabs(p->y - q->y) <= 1e-6) {
      model->Mark_XInter(x0, x1);
    } else if (std::fabs(p->x - q->x) <= 1e-6) {
      model->Mark_YInter(y0, y1);
    } else {
      model->Mark_SubBox2D(_tagBox2D{{x0, y0}, {x1, y1}});
    }
    // The first point is queried once the first segment is marked: the candidates left from
    // an earlier query elsewhere could miss the part under it.
    if (first && !model->Get_CC_Height(*p)) return Refined::Failed;
    first = false;
    if (!model->Get_CC_Height(*q)) return Refined::Failed;
    // Refine the stretch p..q segment by segment.
    POSITION apos = ppos;
    while (apos != qpos) {
      POSITION bpos = apos;
      CNcPoint* a = GetNext(bpos);
      CNcPoint* b = GetAt(bpos);
      if (gIsProgressCancel()) {
        cancel = true;
        break;
      }
      if (Dist3(*a, *b) < kMinChord) {
        apos = bpos;
        continue;
      }
      std::unique_ptr<CNcPoint> pr[2] = {std::unique_ptr<CNcPoint>(Lerp(*a, *b, 0.3)),
                                         std::unique_ptr<CNcPoint>(Lerp(*a, *b, 0.6))};
      double d[2];
      for (int i = 0; i < 2; ++i) {
        if (!keepProbeZ) pr[i]->z = model->depth2;
        if (!model->Get_CC_Height(*pr[i])) return Refined::Failed;
        d[i] = DistToLine(*a, *b, *pr[i]);
      }
      int pick = -1;
      if (std::max(d[0], d[1]) > tol) {
        pick = d[1] > d[0] ? 1 : 0;
      } else {
        const double g0 = AngleAt(*a, *pr[0], *pr[1]), g1 = AngleAt(*pr[0], *pr[1], *b);
        if (std::min(g0, g1) < kMaxAngle) pick = g1 < g0 ? 1 : 0;
      }
      if (pick >= 0)
        CTypedPtrList::InsertAfter(apos, pr[pick].release());
      else
        apos = bpos;
    }
    if (cancel || gIsProgressCancel()) return Refined::Cancelled;
    if (step > 0.0) progress.SetRange(step);
    p = q;
    ppos = qpos;
  }
  return Refined::Done;
}

int CNcPline::IsoY_ChkTol_InsPt(CMillModel* model, double tol) {
  CalcBox();
  if (box.max[1] - box.min[1] > 0.001) return ChkTol_InsPt(model, tol, 1);
  if (IsEmpty()) return 1;
  if (GetTail()->x < GetHead()->x) Reverse();
  if (model) model->Mark_IsoYLine(box.min[1]);
  // A cancelled refinement is reported, not taken for a finished one.
  return ChkTol_InsPt(model, tol, 0) || GetCount() < 2 || !model ? 1 : 0;
}

void CNcPline::Simplify(double tol) {
  const INT_PTR n = GetCount();
  if (n < 3) return;
  std::vector<CNcPoint*> pts;
  pts.reserve(static_cast<size_t>(n));
  for (POSITION pos = GetHeadPosition(); pos;) pts.push_back(GetNext(pos));
  // An explicit stack: a long polyline would recurse as deep as it has points.
  std::vector<char> keep(pts.size(), 0);
  std::vector<std::pair<size_t, size_t>> ranges{{0, pts.size() - 1}};
  while (!ranges.empty()) {
    const auto [i, j] = ranges.back();
    ranges.pop_back();
    keep[i] = keep[j] = 1;
    double best = -1.0;
    size_t at = i;
    for (size_t k = i + 1; k < j; ++k) {
      const double dk = DistToLine(*pts[i], *pts[j], *pts[k]);
      if (dk > best) best = dk, at = k;
    }
    if (at != i && best > tol) {
      ranges.emplace_back(at, j);
      ranges.emplace_back(i, at);
    }
  }
  RemoveAll();
  for (size_t k = 0; k < pts.size(); ++k) {
    if (keep[k]) {
      pts[k]->tag = -1;
      CTypedPtrList::AddTail(pts[k]);
    } else {
      delete pts[k];
    }
  }
}

CGePolyline3d* CNcPline::ConvertTo() const {
  const INT_PTR n = GetCount();
  if (n < 2) return nullptr;
  auto* buf = static_cast<double(*)[3]>(gAlcMemPool(sizeof(double[3]) * static_cast<size_t>(n)));
  if (!buf) return nullptr;
  int k = 0;
  for (POSITION pos = GetHeadPosition(); pos; ++k) {
    const CNcPoint* p = GetNext(pos);
    buf[k][0] = p->x, buf[k][1] = p->y, buf[k][2] = p->z;
  }
  auto* pl = new CGePolyline3d;
  pl->Create(static_cast<int>(n), buf);
  gFreMemPool();
  return pl;
}

// ---- CNcPlineGrp -----------------------------------------------------------------------

CNcPlineGrp::CNcPlineGrp() : CTypedPtrList(10) { BOX3D_Init0(&box); }

CNcPlineGrp::~CNcPlineGrp() { DelAll(); }

void CNcPlineGrp::DelAll() {
  while (!IsEmpty()) delete RemoveHead();
}

void CNcPlineGrp::CalcBox() {
  BOX3D_Init0(&box);
  for (POSITION pos = GetHeadPosition(); pos;) {
    CNcPline* pl = GetNext(pos);
    pl->CalcBox();
    BOX3D_Union(&box, &pl->box);
  }
}

int CNcPlineGrp::ChkTol_InsPt(CMillModel* model, double tol) {
  CalcBox();
  // Each segment of every line advances the display by one share of the group's points.
  double total = 0.0;
  for (POSITION pos = GetHeadPosition(); pos;) total += static_cast<double>(GetNext(pos)->GetCount());
  const double step = total > 0.0 ? 1.0 / total : 0.0;
  bool failed = false;
  for (POSITION pos = GetHeadPosition(); pos;) {
    CNcPline* pl = GetNext(pos);
    _tagBox2D b{{pl->box.min[0], pl->box.min[1]}, {pl->box.max[0], pl->box.max[1]}};
    if (b.max[0] - b.min[0] < tol || b.max[1] - b.min[1] < tol) BOX2D_Expand(10.0 * tol, &b);
    if (model) model->Mark_Box2D(b);
    // A line too short to refine, or no model, leaves the line as it is; that is no failure.
    if (pl->GetCount() >= 2 && model && pl->Refine(model, tol, 2, step) == CNcPline::Refined::Failed)
      failed = true;
  }
  return failed ? 0 : 1;
}

int CNcPlineGrp::LinkLines(CMillModel* model, double maxLink) { return LinkLines(&model, 1, maxLink); }

namespace {

// The link from a to b over the model: points every 1 pushed onto it and refined, its ends
// dropped where they stand at the lines' own heights.
void MakeLink(CMillModel* model, const double a[3], const double b[3], CNcPline& link) {
  link.kind = 2;
  link.Init(a, b, 1e30);
  link.InsPoint(1.0);
  link.ChkTol_InsPt(model, 0.01, 1);
  link.Simplify(0.005);
  if (!link.IsEmpty() && std::fabs(link.GetHead()->z - a[2]) <= 0.001) delete link.RemoveHead();
  if (!link.IsEmpty() && std::fabs(link.GetTail()->z - b[2]) <= 0.001) delete link.RemoveTail();
}

}  // namespace

int CNcPlineGrp::LinkLines(CMillModel* const* models, size_t nModels, double maxLink) {
  for (POSITION pos = GetHeadPosition(); pos;) GetNext(pos)->CalcBox();
  // Which line joins which depends on the lines' end points only, never on the links between
  // them: the joins are chosen first, the links made afterwards (each on its own, so on
  // several models at once when there are), and the zig-zags put together last.
  struct Join {
    CNcPline* chain;  // the line that heads the zig-zag
    CNcPline* line;   // taken out of the group
    bool reverse;     // the line is turned to run on from the chain's end
    double a[3], b[3];
    std::unique_ptr<CNcPline> link;
  };
  std::vector<Join> joins;
  for (POSITION cpos = GetHeadPosition(); cpos;) {
    CNcPline* c = GetAt(cpos);
    int k = c->index;
    bool f = true;
    CNcPoint e{};
    if (!c->IsEmpty()) e = *c->GetTail();
    while (!c->IsEmpty()) {
      double best = maxLink;
      POSITION found = nullptr;
      POSITION scan = cpos;
      GetNext(scan);
      while (scan) {
        POSITION here = scan;
        CNcPline* cand = GetNext(scan);
        if (cand->index > k + 1) break;
        if (cand->index != k + 1 || cand->IsEmpty()) continue;
        const CNcPoint* cp = f ? cand->GetTail() : cand->GetHead();
        const double d = std::hypot(cp->x - e.x, cp->y - e.y);
        if (d > best) continue;
        // A line of number k lying between C and the candidate and overlapping it in x
        // blocks the candidate.
        bool blocked = false;
        POSITION back = here;
        GetPrev(back);
        while (back && back != cpos) {
          const CNcPline* o = GetPrev(back);
          if (o->index == k + 1) continue;
          if (o->index < k) break;
          if (o->index == k && !o->IsEmpty() && cand->GetTail()->x > o->GetHead()->x &&
              cand->GetHead()->x < o->GetTail()->x) {
            blocked = true;
            break;
          }
        }
        if (blocked) continue;
        best = d;
        found = here;
      }
      if (!found) break;
      CNcPline* cand = GetAt(found);
      RemoveAt(found);
      Join& j = joins.emplace_back();
      j.chain = c;
      j.line = cand;
      j.reverse = f;
      j.a[0] = e.x, j.a[1] = e.y, j.a[2] = e.z;
      // The line is turned round later, with its link.
      const CNcPoint& start = f ? *cand->GetTail() : *cand->GetHead();
      j.b[0] = start.x, j.b[1] = start.y, j.b[2] = start.z;
      e = f ? *cand->GetHead() : *cand->GetTail();
      k = cand->index;
      f = !f;
    }
    GetNext(cpos);
  }
  // A thread takes the next link not taken yet; a few links are not worth a thread.
  std::atomic<size_t> next{0};
  std::exception_ptr error;
  std::mutex errorLock;
  auto work = [&](CMillModel* model) {
    try {
      for (size_t i = next++; i < joins.size(); i = next++) {
        Join& j = joins[i];
        if (j.reverse) j.line->Reverse();
        j.link = std::make_unique<CNcPline>();
        MakeLink(model, j.a, j.b, *j.link);
      }
    } catch (...) {
      const std::lock_guard<std::mutex> hold(errorLock);
      if (!error) error = std::current_exception();
      next = joins.size();
    }
  };
  const size_t threads = std::max<size_t>(1, std::min(nModels, joins.size() / 4));
  if (threads == 1) {
    work(nModels > 0 ? models[0] : nullptr);
  } else {
    std::vector<std::thread> pool;
    try {
      for (size_t t = 1; t < threads; ++t) pool.emplace_back(work, models[t]);
    } catch (...) {
      // Fewer threads than asked for: the ones running share the links.
    }
    work(models[0]);
    for (auto& th : pool) th.join();
  }
  if (error) {
    for (Join& j : joins) delete j.line;  // out of the group already
    std::rethrow_exception(error);
  }
  for (Join& j : joins) {
    j.chain->AddTail(j.link.get());
    j.chain->AddTail(j.line);
    delete j.line;
  }
  return 1;
}
