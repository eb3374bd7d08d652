#include "millvane/surfpaths/CreSrfContourPath.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "db/DbPathGroup.h"
#include "geometry/shapes2d/GeRegion.h"
#include "millvane/loops/LoopListOffset.h"
#include "millvane/loops/SmartLoop.h"
#include "millvane/paths/CenterHeights.h"
#include "millvane/paths/MillCenter.h"
#include "millvane/loops/PathCombine.h"
#include "millvane/loops/PathEntity.h"
#include "millvane/paths/PathGroup.h"
#include "millvane/surfpaths/LayerContour.h"
#include "millvane/surfpaths/NetFill.h"
#include "millvane/surfpaths/SurfPathShared.h"
#include "millvane/surfpaths/SurfPathSteps.h"
#include "platform/gorsey/ParamSrf.h"
#include "platform/panlet/Progress.h"
#include "platform/vurode/Tool.h"

namespace {

constexpr QNC_CornerType kCorner = {4, 170.0, 5.0};
const double kCos5 = std::cos(5.0 * std::numbers::pi / 180.0);
const double kCos10 = std::cos(10.0 * std::numbers::pi / 180.0);

struct LoopChain {
  CSmartLoop* head = nullptr;
  ~LoopChain() { acDeleteLoopList(head); }
};

double Dist(const Pt2& a, const Pt2& b) { return std::hypot(a[0] - b[0], a[1] - b[1]); }


// Restarts the closed curve at its point nearest to p (the foot on the nearest segment becomes
// a new point unless it lies within 0.01 of a segment end); the distance from p.
double Reseam(PtCurve& c, const Pt2& p) {
  if (c.size() < 2) return c.empty() ? 1e300 : Dist(c[0], p);
  size_t best = 0;
  double bestD = 1e300, bestT = 0;
  for (size_t i = 0; i + 1 < c.size(); ++i) {
    const double ex = c[i + 1][0] - c[i][0], ey = c[i + 1][1] - c[i][1], l2 = ex * ex + ey * ey;
    double t = l2 > 0 ? ((p[0] - c[i][0]) * ex + (p[1] - c[i][1]) * ey) / l2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    const double d = std::hypot(c[i][0] + t * ex - p[0], c[i][1] + t * ey - p[1]);
    if (d < bestD) bestD = d, best = i, bestT = t;
  }
  const Pt2 a = c[best], b = c[best + 1];
  const Pt2 q{a[0] + bestT * (b[0] - a[0]), a[1] + bestT * (b[1] - a[1])};
  PtCurve open(c.begin(), c.end() - 1);  // closed: the last point repeats the first
  size_t start;
  if (Dist(q, a) <= 0.01) {
    start = best;
  } else if (Dist(q, b) <= 0.01) {
    start = (best + 1) % open.size();
  } else {
    open.insert(open.begin() + static_cast<std::ptrdiff_t>(best + 1), q);
    start = best + 1;
  }
  std::rotate(open.begin(), open.begin() + static_cast<std::ptrdiff_t>(start), open.end());
  open.push_back(open.front());
  c.swap(open);
  return bestD;
}

double Angle(const Pt2& u, const Pt2& v) {
  const double l = std::hypot(u[0], u[1]) * std::hypot(v[0], v[1]);
  if (l < 1e-18) return 0.0;
  return std::acos(std::clamp((u[0] * v[0] + u[1] * v[1]) / l, -1.0, 1.0));
}

// Rotates a closed curve by one point.
void RotateOne(PtCurve& c) {
  if (c.size() < 3) return;
  c.pop_back();
  std::rotate(c.begin(), c.begin() + 1, c.end());
  c.push_back(c.front());
}

// Inserts the point at arc length s along the closed curve and makes it the start.
void StartAtLength(PtCurve& c, double s) {
  double walked = 0;
  for (size_t i = 0; i + 1 < c.size(); ++i) {
    const double d = Dist(c[i], c[i + 1]);
    if (walked + d >= s && d > 0) {
      const double f = (s - walked) / d;
      const Pt2 q{c[i][0] + f * (c[i + 1][0] - c[i][0]), c[i][1] + f * (c[i + 1][1] - c[i][1])};
      PtCurve open(c.begin(), c.end() - 1);
      open.insert(open.begin() + static_cast<std::ptrdiff_t>(i + 1), q);
      std::rotate(open.begin(), open.begin() + static_cast<std::ptrdiff_t>(i + 1), open.end());
      open.push_back(open.front());
      c.swap(open);
      return;
    }
    walked += d;
  }
}

double SignedArea(const PtCurve& c) {
  double s = 0;
  for (size_t i = 0; i + 1 < c.size(); ++i) s += c[i][0] * c[i + 1][1] - c[i + 1][0] * c[i][1];
  return 0.5 * s;
}

// The closed curve fitted and appended to the combine at z.
void AppendContour(CPathCombine& comb, PtCurve& c, double z) {
  CloseCurve(c);
  if (CSmartCurve* sc = SrfFitCurve(c, 0.01, kCos5)) comb.AppendSmartCurve(sc, 1, z);
}

}  // namespace

CCreSrfContourPath::CCreSrfContourPath() { net.cell = 0.01; }

CCreSrfContourPath::~CCreSrfContourPath() = default;

CCreSrfContourPath::CCreSrfContourPath(const CCreSrfContourPath& o) { *this = o; }

CCreSrfContourPath& CCreSrfContourPath::operator=(const CCreSrfContourPath& o) {
  if (this == &o) return *this;
  heightsOf_ = nullptr;
  exclude = o.exclude;
  orderFlag = o.orderFlag;
  step = o.step;
  net = o.net;
  std::copy(o.box, o.box + 6, box);
  zRange[0] = o.zRange[0], zRange[1] = o.zRange[1];
  model = o.model;
  layers.clear();
  for (const auto& l : o.layers) {
    auto copy = std::make_unique<CIntCurveSet>();
    copy->level = l->level;
    for (const IntCurve* c = l->head; c; c = c->next) {
      auto* k = new IntCurve;
      k->pts = c->pts;
      k->value = c->value;
      copy->AddCurve(k);
    }
    layers.push_back(std::move(copy));
  }
  return *this;
}

int CCreSrfContourPath::Create(const CTool* tool, const double modelBox[6], bool useUserCell, double userCell) {
  FreeLayers();
  heightsOf_ = nullptr;
  if (!tool) return 0;
  std::copy(modelBox, modelBox + 6, box);
  std::vector<double> levels;
  double even = 0;
  if (!SrfLevels(step, zRange[0], zRange[1], levels, even)) return 0;
  for (double l : levels) {
    layers.push_back(std::make_unique<CIntCurveSet>());
    layers.back()->level = l;
  }
  if (levels.size() >= 2) step = levels[1] - levels[0];
  const double cell = SrfNetCell(tool, true, useUserCell, userCell);
  if (!(cell > 0)) return 0;
  return net.Create(cell, 0.5 * tool->GetDia(), box);
}

void CCreSrfContourPath::GenOneLayerLoop(CIntCurveSet* layer, double tol) {
  if (!model || !layer) return;
  CIntLineSet sections(layer->level);
  model->GenSameZLineSet(net, sections);
  // Laid out once per run over the model: every layer asks it.
  if (heightsOf_ != model) {
    heights_.Build(model, 2 * net.cell);
    heightsOf_ = model;
  }
  const double L = layer->level;
  const auto above = [&](double x, double y) {
    double p[3] = {x, y, L + 0.0001};
    heights_.Raise(p);
    return p[2] > L + 0.0001;
  };
  for (PtCurve& c : layer::LevelContours(net, sections, layer->level, tol, exclude != 0, above)) {
    auto* ic = new IntCurve;
    ic->pts = std::move(c);
    ic->value = layer->level;
    layer->AddCurve(ic);
  }
}

CDbPathGroup* CCreSrfContourPath::CreateContourPath(CMillCenter* mdl, CTypedPtrList<CObList, CGeRegion*>* regions,
                                                    CParamSrfFinish& finish) {
  if (!mdl || !mdl->tool) return nullptr;
  const double dia = mdl->tool->GetDia();
  const SrfContourBlock& b = finish.Contour();
  const double top = finish.GetTopHeight(), bottom = top - finish.GetCutDepth();
  if (!std::isfinite(dia) || dia <= 0 || !std::isfinite(top) || !std::isfinite(bottom)) return nullptr;
  LoopChain bound;
  if (regions)
    for (POSITION pos = regions->GetHeadPosition(); pos;)
      if (CSmartLoop* l = LoopFromRegion(regions->GetNext(pos))) bound.head = acJoinLoopLists(bound.head, l);

  model = mdl;
  if (bottom < model->box[2]) model->box[2] = bottom;
  // The surface boundary lays out a net and a layer of its own: it runs before the layers of
  // the passes are made, so that it does not replace them.
  if (b.options & 0x80) {
    acDeleteLoopList(bound.head);
    bound.head = GenSurfBound(model, kCorner);
    model->SetIntMinZ();
  }
  zRange[0] = bottom;
  zRange[1] = top;
  step = b.stepDown;
  exclude = (b.options & 0x10) ? 1 : 0;
  if (b.options & 0x80) exclude = 0;
  if (!Create(model->tool, model->box, (b.options & 0x40) != 0, b.userCell) || !FillProtectNet(net, model)) {
    FreeLayers();
    return nullptr;
  }
  CPathGroup group(302);
  if (!GenContourPath(bound.head, finish, group)) {
    // A cancel leaves nothing behind: partial layers and passes are freed.
    FreeLayers();
    return nullptr;
  }
  return group.ToDbPathGroup();
}

int CCreSrfContourPath::GenContourPath(const CSmartLoop* boundary, CParamSrfFinish& finish, CPathGroup& group) {
  const SrfContourBlock& b = finish.Contour();
  if (!(b.layerOrder & 1)) std::reverse(layers.begin(), layers.end());
  CQProgress progress;
  const double share = layers.empty() ? 0.0 : 0.8 / static_cast<double>(layers.size());
  for (auto& layer : layers) {
    if (gIsProgressCancel()) return 0;
    GenOneLayerLoop(layer.get(), 0.01);
    if (boundary) ProcBorder(boundary, *layer);
    if (!b.climb)
      for (IntCurve* c = layer->head; c; c = c->next) std::reverse(c->pts.begin(), c->pts.end());
    progress.SetRange(share);
  }
  progress.SetRange(0.2);
  if (gIsProgressCancel()) return 0;
  GenPathGroup(finish, group);
  return 1;
}

void CCreSrfContourPath::ProcBorder(const CSmartLoop* boundary, CIntCurveSet& layer) {
  CSmartLoop* a = nullptr;
  for (const CSmartLoop* l = boundary; l; l = l->next)
    if (CSmartLoop* c = l->CopyContour()) a = acJoinLoopLists(a, c);
  a = CSmartLoop::BuildContour(a);
  for (CSmartLoop* l = a; l; l = l->next) l->kind = 0;
  CSmartLoop* bl = SrfCurvesToLoops(layer, 0.01, kCos5);
  if (bl) bl = CSmartLoop::BuildContour(bl);
  for (CSmartLoop* l = bl; l; l = l->next) l->kind = 1;
  LoopChain result;
  result.head = CSmartLoop::SubtractContours(a, bl);
  const double z = layer.level;
  layer.Clear();
  layer.level = z;
  auto add = [&](const CSmartLoop* l) {
    if (!l->curve || !l->curve->head) return;
    PtCurve pts;
    double p[2];
    l->curve->head->StartPoint(p);
    pts.push_back({p[0], p[1]});
    for (const CSmartSect* s = l->curve->head; s; s = s->next) SampleSectAfterStart(s, 0.01, pts);
    CloseCurve(pts);
    if (pts.size() < 3) return;
    auto* ic = new IntCurve;
    ic->pts = std::move(pts);
    ic->value = z;
    layer.AddCurve(ic);
  };
  for (const CSmartLoop* l = result.head; l; l = l->next) {
    add(l);
    for (const CSmartLoop* i = l->islands; i; i = i->next) add(i);
  }
}

void CCreSrfContourPath::GetStartPnt(int code, Pt2& p) const {
  if (code < 0 || code > 8) return;
  const double xs[3] = {box[0], 0.5 * (box[0] + box[3]), box[3]};
  const double ys[3] = {box[4], 0.5 * (box[1] + box[4]), box[1]};
  p = {xs[code / 3], ys[code % 3]};
}

void CCreSrfContourPath::GenPathGroup(CParamSrfFinish& finish, CPathGroup& group) {
  const SrfContourBlock& b = finish.Contour();
  CPathGroup own(302);
  const double linkDist = std::max(5 * step, 2.0);
  Pt2 p{0, 0}, travel{0, 0};
  GetStartPnt(b.startCorner, p);
  const QNC_CutAreaDef area = BlockGet<QNC_CutAreaDef>(b.cutArea);
  for (;;) {
    size_t i = 0;
    while (i < layers.size() && layers[i]->count == 0) ++i;
    if (i == layers.size()) break;
    Column col;
    if (GetLinkICS(i, linkDist, p, travel, b.linkType, b.rampLength, col) && !col.curves.empty()) {
      if (b.options & 0x200) GenPathCombine(col, area, b.linkType, b.linkParam, own);
      else GenPathCombine(col, b.linkType, b.linkParam, b.rampLength, own);
    }
  }
  OrderPathCombByMinZ(own);
  CPathCombine* chains = own.head;
  own.head = own.tail = nullptr;
  if (chains) group.AppendChains(chains, 0.0);
}

bool CCreSrfContourPath::GetLinkICS(size_t first, double linkDist, Pt2& p, Pt2& travel, int linkType, double ramp,
                                    Column& column) {
  constexpr double kWalkAngle = 108.0 * std::numbers::pi / 180.0;
  for (size_t k = first; k < layers.size(); ++k) {
    CIntCurveSet& layer = *layers[k];
    IntCurve* best = nullptr;
    double bestD = 1e300;
    for (IntCurve* c = layer.head; c; c = c->next) {
      const double d = Reseam(c->pts, p);
      if (d < bestD) bestD = d, best = c;
    }
    if (!best || (k > first && bestD > linkDist)) break;
    PtCurve& c = best->pts;
    // Walk the start forward while the link into it would turn back against the travel.
    if (c.size() >= 3 && (travel[0] != 0 || travel[1] != 0)) {
      const Pt2 a = c[0], b = c[1];
      const double len = Dist(a, b);
      const Pt2 u{len > 0 ? (b[0] - a[0]) / len : 0, len > 0 ? (b[1] - a[1]) / len : 0};
      int steps = 0;
      Pt2 w = a;
      bool rotated = false;
      while (Angle(travel, {w[0] - p[0], w[1] - p[1]}) > kWalkAngle) {
        ++steps;
        const double s = 0.05 * steps;
        if (s >= len) {
          RotateOne(c);
          rotated = true;
          break;
        }
        w = {a[0] + s * u[0], a[1] + s * u[1]};
      }
      if (!rotated && steps > 0) {
        c.front() = w;
        c.back() = a;
        c.push_back(w);
      }
    }
    Pt2 dir{0, 0};
    for (size_t i = 1; i < c.size(); ++i) {
      const double d = Dist(c[i], c[0]);
      if (d >= 0.05) {
        dir = {(c[i][0] - c[0][0]) / d, (c[i][1] - c[0][1]) / d};
        break;
      }
    }
    p = c.front();
    travel = dir;
    if ((linkType == 1 || linkType == 2) && ramp > 0) {
      StartAtLength(c, ramp);
      p = c.front();
    }
    column.curves.push_back(std::move(c));
    column.z.push_back(layer.level);
    layer.Remove(best);
  }
  return true;
}

void CCreSrfContourPath::GenPathCombine(Column& column, int linkType, double linkParam, double ramp,
                                        CPathGroup& group) {
  auto comb = std::make_unique<CPathCombine>(8);
  for (size_t k = 0; k < column.curves.size(); ++k) {
    PtCurve& c = column.curves[k];
    const double z = column.z[k];
    if ((linkType == 1 || linkType == 2) && ramp > 1e-6 && c.size() >= 2) {
      // The ramp runs along the contour's first stretch, descending one step onto it; those
      // points are cut again at the contour's end.
      std::vector<std::array<double, 3>> rp;
      std::vector<double> at;
      double walked = 0;
      rp.push_back({c[0][0], c[0][1], 0});
      at.push_back(0);
      size_t i = 0;
      Pt2 q = c[0];
      for (; i + 1 < c.size(); ++i) {
        const double d = Dist(c[i], c[i + 1]);
        if (walked + d >= ramp && d > 0) {
          const double f = (ramp - walked) / d;
          q = {c[i][0] + f * (c[i + 1][0] - c[i][0]), c[i][1] + f * (c[i + 1][1] - c[i][1])};
          rp.push_back({q[0], q[1], 0});
          at.push_back(ramp);
          break;
        }
        walked += d;
        rp.push_back({c[i + 1][0], c[i + 1][1], 0});
        at.push_back(walked);
      }
      if (i + 1 < c.size()) {
        // c = [q, c[i+1] .. c[n-1] (= c[0]), c[1] .. c[i], q]
        PtCurve moved;
        moved.push_back(q);
        moved.insert(moved.end(), c.begin() + static_cast<std::ptrdiff_t>(i + 1), c.end());
        moved.insert(moved.end(), c.begin() + 1, c.begin() + static_cast<std::ptrdiff_t>(i + 1));
        moved.push_back(q);
        c.swap(moved);
      }
      const double total = at.back() > 0 ? at.back() : 1.0;
      for (size_t j = 0; j < rp.size(); ++j) rp[j][2] = z + step * (1.0 - at[j] / total);
      if (rp.size() >= 2) {
        auto* e = new CPathPLine3D;
        if (e->SetPoints(static_cast<int>(rp.size()) - 1, reinterpret_cast<const double(*)[3]>(rp.data())))
          comb->AddTail(e);
        else
          delete e;
      }
    }
    AppendContour(*comb, c, z);
  }
  if (!comb->head) return;
  if (model) GenLinkMoves(model, linkType, linkParam, comb.get());
  group.AppendChains(comb.release(), 0.0);
}

void CCreSrfContourPath::CombineSameLoop(const std::vector<double>& z, std::vector<char>& drop, size_t a, size_t b,
                                         double gap) {
  size_t ref = b;
  for (size_t k = b - 1; k > a; --k) {
    if (std::fabs(z[k - 1] - z[ref]) < gap) drop[k] = 1;
    else ref = k;
  }
  if (std::fabs(z[a] - z[ref]) < gap) drop[a] = 1;
}

void CCreSrfContourPath::SeparateLoop(const std::vector<double>& z, std::vector<char>& starts, size_t a, size_t b,
                                      double gap) {
  size_t ref = b;
  for (size_t k = b - 1; k > a; --k)
    if (std::fabs(z[k - 1] - z[ref]) > gap) {
      starts[k] = 1;
      ref = k - 1;
    }
}

void CCreSrfContourPath::GenPathCombine(Column& column, const QNC_CutAreaDef& def, int linkType, double linkParam,
                                        CPathGroup& group) {
  const size_t n = column.curves.size();
  std::vector<double> area(n);
  std::vector<char> drop(n, 0), starts(n, 0);
  const double thr = def.threshold;
  for (size_t k = 0; k < n; ++k) {
    CloseCurve(column.curves[k]);
    area[k] = SignedArea(column.curves[k]);
    if (def.kind == 1 && std::fabs(area[k]) < thr) drop[k] = 1;
    if (def.kind == 2 && std::fabs(area[k]) > thr) drop[k] = 1;
  }
  if ((def.flags & 1) && (def.kind == 0 || def.kind == 1) && n >= 2) {
    long run = -1;
    for (size_t k = 0; k + 1 < n; ++k) {
      const bool alike = std::fabs(area[k] - area[k + 1]) < 1;
      if (run < 0) {
        if (alike) run = static_cast<long>(k);
      } else if (!alike && std::fabs(area[k]) > thr) {
        if (k > static_cast<size_t>(run)) CombineSameLoop(column.z, drop, static_cast<size_t>(run), k, def.zGap);
        run = -1;
      }
    }
    if (run >= 0 && std::fabs(area[n - 1]) > thr && n - 1 > static_cast<size_t>(run))
      CombineSameLoop(column.z, drop, static_cast<size_t>(run), n - 1, def.zGap);
  }
  if ((def.flags & 2) && (def.kind == 0 || def.kind == 2)) {
    for (size_t k = 0; k < n;) {
      if (std::fabs(area[k]) >= thr) {
        ++k;
        continue;
      }
      size_t e = k;
      while (e + 1 < n && std::fabs(area[e + 1]) < thr) ++e;
      if (e > k) SeparateLoop(column.z, starts, k, e, def.zGap);
      k = e + 1;
    }
  }
  auto comb = std::make_unique<CPathCombine>(8);
  auto finish = [&] {
    if (!comb->head) return;
    if (model) GenLinkMoves(model, linkType, linkParam, comb.get());
    group.AppendChains(comb.release(), 0.0);
    comb = std::make_unique<CPathCombine>(8);
  };
  for (size_t k = 0; k < n; ++k) {
    if (drop[k]) continue;
    if (starts[k]) finish();
    AppendContour(*comb, column.curves[k], column.z[k]);
  }
  finish();
}

void CCreSrfContourPath::OrderPathCombByMinZ(CPathGroup& group) const {
  std::vector<CPathCombine*> v;
  for (CPathCombine* c = group.head; c; c = c->next) v.push_back(c);
  auto startZ = [](const CPathCombine* c) {
    double p[3] = {0, 0, 1e300};
    if (c->head) c->head->GetEndPoint(0, p);
    return p[2];
  };
  std::stable_sort(v.begin(), v.end(), [&](CPathCombine* a, CPathCombine* b) { return startZ(a) < startZ(b); });
  if (!orderFlag) std::reverse(v.begin(), v.end());
  group.head = group.tail = nullptr;
  for (CPathCombine* c : v) {
    c->next = nullptr;
    if (group.tail) group.tail->next = c;
    else group.head = c;
    group.tail = c;
  }
}

CSmartLoop* CCreSrfContourPath::GenSurfBound(CMillCenter* mdl, const QNC_CornerType& corner) {
  if (!mdl || !mdl->tool) return nullptr;
  model = mdl;
  const double r = 0.5 * model->tool->GetDia();
  if (!std::isfinite(r) || r <= 0) return nullptr;
  const double low = model->box[2];
  zRange[0] = low - 0.02;
  zRange[1] = low;
  exclude = 0;
  step = 1.0;
  if (!Create(model->tool, model->box, true, 0.5) || !FillProtectNet(net, model)) return nullptr;
  layers.resize(1);
  layers[0]->Clear();
  layers[0]->level = low - r - 2;
  GenOneLayerLoop(layers[0].get(), 0.02);
  // Below the model the section holds at most the ends of the edge tubes; where it gives no
  // outline the net's own border stands for it (inside the silhouette by less than a cell).
  if (layers[0]->count == 0)
    for (PtCurve& c : layer::LevelBorderPolygons(net, layers[0]->level)) {
      auto* ic = new IntCurve;
      ic->pts = std::move(c);
      ic->value = layers[0]->level;
      layers[0]->AddCurve(ic);
    }
  if (layers[0]->count == 0) return nullptr;
  CSmartLoop* loops = SrfCurvesToLoops(*layers[0], 0.02, kCos10);
  layers[0]->Clear();
  if (!loops) return nullptr;
  LoopChain tree;
  tree.head = CSmartLoop::BuildContour(loops);
  if (!tree.head) return nullptr;
  return SrfRetriedOffset(tree.head, r, r, corner, 2);
}

int CCreSrfContourPath::CreateFlatSurfPath(CMillCenter* mdl, CParamSrfFinish& finish, CPathGroup& group) {
  if (!mdl || !mdl->tool) return 0;
  model = mdl;
  const double top = finish.GetTopHeight(), bottom = top - finish.GetCutDepth();
  if (!std::isfinite(top) || !std::isfinite(bottom)) return 0;
  zRange[0] = bottom;
  zRange[1] = top;
  if (bottom < model->box[2]) model->box[2] = bottom;
  if (!Create(model->tool, model->box, true, 0.5) || !FillProtectNet(net, model)) return 0;
  CPathGroup own(302);
  GenPlanePath(finish, own);
  if (!model->flatFaces.empty()) GenFlatSurfPath(finish, own);
  // Greedy order: each next combine starts nearest to where the last one ended.
  std::vector<CPathCombine*> left;
  for (CPathCombine* c = own.head; c; c = c->next) left.push_back(c);
  own.head = own.tail = nullptr;
  std::vector<CPathCombine*> ordered;
  if (!left.empty()) {
    ordered.push_back(left.front());
    left.erase(left.begin());
  }
  while (!left.empty()) {
    double e[3] = {0, 0, 0};
    if (ordered.back()->tail) ordered.back()->tail->GetEndPoint(1, e);
    size_t best = 0;
    double bestD = 1e300;
    for (size_t i = 0; i < left.size(); ++i) {
      double s[3] = {1e150, 1e150, 1e150};
      if (left[i]->head) left[i]->head->GetEndPoint(0, s);
      const double d = std::hypot(s[0] - e[0], s[1] - e[1], s[2] - e[2]);
      if (d < bestD) bestD = d, best = i;
    }
    ordered.push_back(left[best]);
    left.erase(left.begin() + static_cast<std::ptrdiff_t>(best));
  }
  for (size_t i = 0; i < ordered.size(); ++i) ordered[i]->next = i + 1 < ordered.size() ? ordered[i + 1] : nullptr;
  if (!ordered.empty()) group.AppendChains(ordered.front(), 0.0);
  return 1;
}

int CCreSrfContourPath::GenPlanePath(CParamSrfFinish& finish, CPathGroup& group) {
  const CIntCurveSet& pc = model->planeContours;
  if (!pc.head) return 0;
  std::vector<const IntCurve*> curves;
  for (const IntCurve* c = pc.head; c; c = c->next)
    if (c->pts.size() >= 2) curves.push_back(c);
  std::stable_sort(curves.begin(), curves.end(),
                   [](const IntCurve* a, const IntCurve* b) { return a->value > b->value; });
  // Curves of one level that lie along another curve of that level are the same outline twice.
  auto along = [](const IntCurve* a, const IntCurve* b) {
    for (const Pt2& p : a->pts) {
      double d = 1e300;
      for (size_t i = 0; i + 1 < b->pts.size() && d > 0.05; ++i) d = std::min(d, PointSegDist(p, b->pts[i], b->pts[i + 1]));
      if (d > 0.05) return false;
    }
    return true;
  };
  struct Level {
    double z;
    CSmartLoop* loops;
    int curves;
  };
  std::vector<Level> levels;
  for (size_t i = 0; i < curves.size();) {
    size_t e = i;
    while (e + 1 < curves.size() && std::fabs(curves[e + 1]->value - curves[i]->value) <= 0.01) ++e;
    std::vector<const IntCurve*> kept;
    std::vector<char> gone(e - i + 1, 0);
    for (size_t k = i; k <= e; ++k) {
      for (size_t j = i; j <= e && !gone[k - i]; ++j)
        if (j != k && !gone[j - i] && along(curves[k], curves[j])) gone[k - i] = 1;
      if (!gone[k - i]) kept.push_back(curves[k]);
    }
    CIntCurveSet set;
    for (const IntCurve* c : kept) {
      auto* k = new IntCurve;
      k->pts = c->pts;
      k->value = c->value;
      set.AddCurve(k);
    }
    CSmartLoop* loops = SrfCurvesToLoops(set, 0.01, kCos10);
    levels.push_back({curves[i]->value, loops, static_cast<int>(kept.size())});
    i = e + 1;
  }
  int loopCount = 0, curveCount = 0;
  for (const Level& l : levels) {
    curveCount += l.curves;
    for (CSmartLoop* p = l.loops; p; p = p->next) ++loopCount;
  }
  if (loopCount != curveCount) {
    for (Level& l : levels) acDeleteLoopList(l.loops);
    return 0;
  }
  for (Level& l : levels) GenPlanePath(finish, l.loops, l.z, group);
  return 1;
}

int CCreSrfContourPath::GenPlanePath(CParamSrfFinish& finish, CSmartLoop* loops, double z, CPathGroup& group) {
  LoopChain tree;
  tree.head = CSmartLoop::BuildContour(loops);
  int result = 1;
  const double r = 0.5 * model->tool->GetDia();
  for (CSmartLoop* l = tree.head; l; l = l->next) {
    if (SrfLoopCovered(net, l, z)) {
      LoopChain off;
      off.head = l->OffsetContour(0, r, r, kCorner);
      if (off.head && SrfLoopUncovered(net, off.head, z))
        for (CSmartLoop* o = off.head; o; o = o->next) GenCntrPlanePath(finish, o, z, group);
      result = 2;
    } else {
      GenCntrPlanePath(finish, l, z, group);
    }
  }
  return result;
}

void CCreSrfContourPath::GenCntrPlanePath(CParamSrfFinish& finish, CSmartLoop* loop, double z, CPathGroup& group) {
  SrfFlatBlock& f = finish.Flat();
  auto comb = std::make_unique<CPathCombine>(8);
  const QNC_OrderType order{1, 0, 0};
  if (f.strategy == 0) {
    QNC_CutLinearDef def = BlockGet<QNC_CutLinearDef>(f.pocket);
    def.maxLink = 50.0;
    BlockSet(f.pocket, def);
    loop->CreateLinearPath(comb.get(), def, kCorner, order);
  } else if (f.strategy == 1) {
    QNC_CutFollowDef def = BlockGet<QNC_CutFollowDef>(f.pocket);
    loop->CreateFollowPath(comb.get(), def, kCorner, order);
  }
  if (!comb->head) return;
  group.AppendChains(comb.release(), -z);
}

void CCreSrfContourPath::GenFlatSurfPath(CParamSrfFinish& finish, CPathGroup& group) {
  for (const auto& ff : model->flatFaces) {
    CIntCurveSet set;
    double level = -1e300;
    for (const auto& chain : ff->chains) {
      if (chain.size() < 2) continue;
      auto* c = new IntCurve;
      for (const auto& p : chain) {
        c->pts.push_back({p[0], p[1]});
        level = std::max(level, p[2]);
      }
      set.AddCurve(c);
    }
    if (!set.head) continue;
    CSmartLoop* loops = SrfCurvesToLoops(set, 0.01, kCos10);
    if (!loops) continue;
    CPathGroup own(302);
    const int answer = GenPlanePath(finish, loops, level, own);
    if (!own.head) continue;
    if (answer == 2) {
      std::unique_ptr<CMillCenter> alone(model->CreateFlatFaceModel(*ff));
      if (alone) SrfProjectGroupOnModel(alone.get(), own, group);
    } else {
      SrfProjectGroupOnModel(model, own, group);
    }
  }
}
