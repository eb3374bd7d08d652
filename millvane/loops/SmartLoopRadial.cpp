// Radial ("emit") pocket: rays from a centre point cut with the contour, emitted as single
// lines or linked into cuts along the boundary and through the centre.
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "millvane/loops/PocketWalk.h"
#include "millvane/loops/SmartLoop.h"
#include "millvane/loops/PathCombine.h"
#include "millvane/loops/PathEntity.h"
#include "platform/numora/Point2d.h"
#include "platform/panlet/Progress.h"

namespace {

constexpr double kDegToRad = 0.0174532925199399995;
// A boundary walk longer than this ends the cut.
constexpr double kMaxRadialLink = 20.0;
// More rays than this is no pattern anyone can machine; the call fails instead.
constexpr double kMaxRays = 1e6;

struct Hit {
  double p[2];
  double t;  // along the ray
  CSmartSect* sect;
};

// One radial run: cuts the rays with the contour, emits them as single lines or files their
// ends as cut points on the sections, and links the filed strokes into cuts.
class RadialRun {
 public:
  RadialRun(CSmartLoop* loop, CPathCombine* combine, const QNC_CutEmitDef& def, int rays,
            bool inside, CSmartSect* circle)
      : loop_(loop), combine_(combine), def_(def), c_(def.centre), n_(rays), inside_(inside),
        circle_(circle), linked_((def.flags & 0x01) != 0), outward_((def.flags & 0x02) != 0) {
    int sections = 0;
    for (CSmartLoop* l = loop; l; l = (l == loop ? loop->islands : l->next))
      if (l->curve) sections += l->curve->count;
    const double* box = loop->box;
    const double bc[2] = {0.5 * (box[0] + box[3]), 0.5 * (box[1] + box[4])};
    R_ = P2D_Dist(bc, c_) + 0.5 * std::hypot(box[3] - box[0], box[4] - box[1]) + 2.0;
    cap_ = 2 * static_cast<size_t>(sections) + 2;
    raw_.resize(2 * cap_);
    rawSects_.resize(cap_);
  }

  // Cuts every ray; false when cancelled.
  bool CutRays() {
    for (int k = 0; k < n_; ++k) {
      if ((k & 63) == 0 && gIsProgressCancel()) return false;
      CutRay(k);
    }
    return true;
  }

  // Joins the filed strokes into cuts along the boundary and through the centre; false when
  // cancelled.
  bool LinkStrokes() {
    BoundaryRing ring;
    for (CSmartLPoint* p = first_; p; p = p->created) {
      if (p->kind != kPtStart) continue;
      if (gIsProgressCancel()) return false;
      auto* cut = new CSmartCurve;
      CSmartLPoint* at = p;
      while (at) {
        CSmartLPoint* q = StrokePartner(at);
        at->kind = kPtUsed;
        if (!q) break;
        const double a[2] = {at->x, at->y}, b[2] = {q->x, q->y};
        AppendLine(cut, a, b);
        q->kind = kPtUsed;
        at = q->sect == circle_ ? NextThroughCentre(q) : NextAlongBoundary(ring, q, cut);
      }
      if (cut->head) combine_->AppendSmartCurve(cut, 1, 0.0);
      else delete cut;
    }
    return true;
  }

 private:
  // The crossings of ray k with the contour (and the centre, when inside) in order along the
  // ray; each pair of them is one stroke.
  void CutRay(int k) {
    const int number = k + 1;
    const double a = (def_.startAngle + k * def_.sweep / n_) * kDegToRad;
    const double e[2] = {c_[0] + R_ * std::cos(a), c_[1] + R_ * std::sin(a)};
    const int axis = std::fabs(e[0] - c_[0]) >= std::fabs(e[1] - c_[1]) ? 0 : 1;
    const double span = e[axis] - c_[axis];
    auto* pts = reinterpret_cast<double(*)[2]>(raw_.data());
    const int m = loop_->GetLineInt(c_, e, pts, rawSects_.data(), static_cast<int>(cap_));
    hits_.clear();
    for (int i = 0; i < m; ++i) {
      const double t = (pts[i][axis] - c_[axis]) / span;
      if (t < -1e-6 || t > 1.000001) continue;
      hits_.push_back({{pts[i][0], pts[i][1]}, t, rawSects_[i]});
    }
    if (inside_) hits_.push_back({{c_[0], c_[1]}, -1.0, circle_});  // sorts first
    std::stable_sort(hits_.begin(), hits_.end(),
                     [](const Hit& x, const Hit& y) { return x.t < y.t; });
    if (hits_.size() % 2 != 0) return;
    if (linked_) FileStrokes(number);
    else EmitLines();
  }

  void EmitLines() {
    const size_t pairs = hits_.size() / 2;
    for (size_t q = 0; q < pairs; ++q) {
      // Outward: inner pairs first, each inner to outer; inward: outer pairs first, reversed.
      const size_t j = outward_ ? q : pairs - 1 - q;
      const Hit& in = hits_[2 * j];
      const Hit& out = hits_[2 * j + 1];
      const double s3[3] = {outward_ ? in.p[0] : out.p[0], outward_ ? in.p[1] : out.p[1], 0.0};
      const double e3[3] = {outward_ ? out.p[0] : in.p[0], outward_ ? out.p[1] : in.p[1], 0.0};
      combine_->AddTail(new CPathLine3D(s3, e3));
    }
  }

  void FileStrokes(int number) {
    const size_t pairs = hits_.size() / 2;
    for (size_t j = 0; j < pairs; ++j) {
      const Hit& in = hits_[2 * j];
      const Hit& out = hits_[2 * j + 1];
      const Hit& from = outward_ ? in : out;
      const Hit& to = outward_ ? out : in;
      auto paramOn = [&](const Hit& h) {
        return h.sect == circle_ ? double(number) / n_ : h.sect->ParamOf(h.p);
      };
      CSmartLPoint* s = File(from.p, from.sect, paramOn(from), kPtStart, number);
      if (!s) continue;
      CSmartLPoint* t = File(to.p, to.sect, paramOn(to), kPtEnd, number);
      if (!t) {
        s->kind = kPtUsed;  // half a stroke is no stroke
        continue;
      }
      s->strokeNext = t;
      t->strokePrev = s;
    }
  }

  // Files a stroke end on its section; null when the section already holds that point.
  CSmartLPoint* File(const double p[2], CSmartSect* s, double t, int16_t kind, int number) {
    auto* lp = new CSmartLPoint;
    lp->x = p[0];
    lp->y = p[1];
    lp->t = t;
    lp->sect = s;
    lp->kind = kind;
    lp->number = number;
    if (!s->cutPoints) s->cutPoints = new CSmartPointList;
    if (!s->cutPoints->Insert(lp)) return nullptr;
    if (last_) last_->created = lp;
    else first_ = lp;
    last_ = lp;
    return lp;
  }

  // Through the centre to a later ray: the points coincide, no section is needed.
  static CSmartLPoint* NextThroughCentre(CSmartLPoint* q) {
    auto* pv = static_cast<CSmartLPoint*>(q->prev);
    auto* nx = static_cast<CSmartLPoint*>(q->next);
    if (pv && pv->kind != kPtUsed && pv->number > q->number) return pv;
    if (nx && nx->kind != kPtUsed && nx->number > q->number) return nx;
    return nullptr;
  }

  // The next stroke along the boundary from q, its walk added to the cut; null when none is
  // near enough.
  static CSmartLPoint* NextAlongBoundary(BoundaryRing& ring, CSmartLPoint* q, CSmartCurve* cut) {
    CSmartLPoint* next = nullptr;
    CSmartLPoint *bk = nullptr, *fw = nullptr;
    double db = 0, df = 0;
    const int okB = WalkBack(ring, q, bk, db, nullptr);
    const int okF = WalkForward(ring, q, fw, df, nullptr);
    bool backward = false;
    if (okB && okF) {
      if (!(db > kMaxRadialLink && df > kMaxRadialLink)) {
        const bool backFirst = bk->number <= fw->number;
        CSmartLPoint* cand[2] = {backFirst ? bk : fw, backFirst ? fw : bk};
        const double walk[2] = {backFirst ? db : df, backFirst ? df : db};
        for (int i = 0; i < 2 && !next; ++i)
          if (cand[i]->number > q->number && walk[i] < kMaxRadialLink) {
            next = cand[i];
            backward = cand[i] == bk;
          }
      }
    } else if (okB && db < kMaxRadialLink) {
      next = bk;
      backward = true;
    } else if (okF && df < kMaxRadialLink) {
      next = fw;
    }
    if (next) {
      if (backward) AddBoundBack(ring, q, cut, next);
      else AddBoundForward(ring, q, cut, next);
    }
    return next;
  }

  CSmartLoop* loop_;
  CPathCombine* combine_;
  const QNC_CutEmitDef& def_;
  const double* c_;
  int n_;
  bool inside_;
  CSmartSect* circle_;
  bool linked_;
  bool outward_;
  double R_ = 0.0;
  size_t cap_ = 0;
  std::vector<double> raw_;
  std::vector<CSmartSect*> rawSects_;
  std::vector<Hit> hits_;
  CSmartLPoint* first_ = nullptr;
  CSmartLPoint* last_ = nullptr;
};

}  // namespace

int CSmartLoop::CreateEmitPath(CPathCombine* combine, const QNC_CutEmitDef& def) {
  if (!combine || !acPocketShapeOk(this)) return 0;
  if (!std::isfinite(def.centre[0]) || !std::isfinite(def.centre[1]) ||
      !std::isfinite(def.startAngle) || !std::isfinite(def.sweep) || !std::isfinite(def.angleStep))
    return 0;
  const double rays = std::ceil(std::fabs(def.sweep / def.angleStep));
  if (!(rays >= 1.0) || rays > kMaxRays) return 0;  // also a zero or tiny angle step
  const bool linked = (def.flags & 0x01) != 0;
  const double* c = def.centre;

  bool inside = IsPointIn(c) != 0;
  for (CSmartLoop* i = islands; i && inside; i = i->next)
    if (i->IsPointIn(c)) inside = false;
  // The centre's own section, so that strokes can be linked through the centre.
  std::unique_ptr<CSmartCurve> hub;
  CSmartSect* circle = nullptr;
  if (inside && linked) {
    hub = std::make_unique<CSmartCurve>();
    circle = new CSmartArc(c, 0.01, 0.0, 2.0 * 3.14159265358979323846);
    hub->AppendSect(circle);
  }
  InitBuffer();
  CQProgress progress;
  CPathEntity* before = combine->tail;

  RadialRun run(this, combine, def, static_cast<int>(rays), inside, circle);
  bool cancelled = !run.CutRays();
  if (linked && !cancelled) cancelled = !run.LinkStrokes();
  InitBuffer();  // the path points go; the contour is left as it came
  if (cancelled) {
    acTrimCombineAfter(combine, before);
    return 0;
  }
  if (combine->tail == before) return 0;  // no ray met the contour
  return 1;
}
