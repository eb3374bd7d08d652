#include "millvane/surfpaths/CreSrfParallelPath.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <memory>
#include <numbers>
#include <optional>

#include "db/DbPathGroup.h"
#include "geometry/shapes2d/GeRegion.h"
#include "millvane/loops/LoopListOffset.h"
#include "millvane/loops/SmartLoop.h"
#include "millvane/paths/MillCenter.h"
#include "millvane/loops/PathCombine.h"
#include "millvane/loops/PathEntity.h"
#include "millvane/paths/PathGroup.h"
#include "millvane/surfpaths/NetFill.h"
#include "millvane/surfpaths/SurfPathShared.h"
#include "millvane/surfpaths/SurfPathSteps.h"
#include "platform/gorsey/ParamSrf.h"
#include "platform/panlet/Progress.h"
#include "platform/vurode/Tool.h"

namespace {

constexpr QNC_CornerType kCorner = {4, 170.0, 5.0};

struct LoopChain {
  CSmartLoop* head = nullptr;
  ~LoopChain() { acDeleteLoopList(head); }
};

// Turns the model for the call and back on every way out, so the caller's model keeps its
// orientation.
struct ModelTurn {
  CMillCenter* model;
  double angle;
  ModelTurn(CMillCenter* m, double a) : model(m), angle(a) {
    if (angle != 0.0) model->RotateModel(-angle);
  }
  ~ModelTurn() {
    if (angle != 0.0) model->RotateModel(angle);
  }
};

}  // namespace

CCreSrfParallelPath::CCreSrfParallelPath() { net.cell = 0.01; }

CCreSrfParallelPath::~CCreSrfParallelPath() = default;

CDbPathGroup* CCreSrfParallelPath::CreateParallelPath(CMillCenter* model,
                                                      CTypedPtrList<CObList, CGeRegion*>* regions,
                                                      CParamSrfFinish& finish) {
  const SrfParallelBlock& b = finish.Parallel();
  top = finish.GetTopHeight();
  bottom = top - finish.GetCutDepth();
  Params p{true, b.options, b.optByte, b.step, b.boundOffset, b.angle, b.minLength, b.extension,
           b.steepAngle};
  return Run(model, regions, p);
}

CDbPathGroup* CCreSrfParallelPath::CreateParallelPath(CMillCenter* model,
                                                      CTypedPtrList<CObList, CGeRegion*>* regions,
                                                      CParamSrfRough& rough) {
  const SrfRoughParallelBlock& b = rough.Parallel();
  top = rough.m_dTopHeight;
  bottom = top - rough.m_dCutDepth;
  // Roughing passes are always zig-zag, without steep trimming or the cross pass.
  Params p{false, 1, static_cast<uint8_t>(b.optByte | 1), b.step, b.boundOffset, b.angle, 0, 0, 0};
  return Run(model, regions, p);
}

CDbPathGroup* CCreSrfParallelPath::Run(CMillCenter* model,
                                       CTypedPtrList<CObList, CGeRegion*>* regions,
                                       const Params& p) {
  lines.clear();
  if (!model || !model->tool) return nullptr;
  const double dia = model->tool->GetDia();
  if (!std::isfinite(dia) || dia <= 0 || !std::isfinite(top) || !std::isfinite(bottom))
    return nullptr;
  std::optional<CQProgress> progress;
  if (p.finishing) progress.emplace();
  auto advance = [&](double share) {
    if (progress) progress->SetRange(share);
  };

  LoopChain bound;
  if (regions) {
    for (POSITION pos = regions->GetHeadPosition(); pos;) {
      CGeRegion* region = regions->GetNext(pos);
      if (CSmartLoop* l = LoopFromRegion(region)) bound.head = acJoinLoopLists(bound.head, l);
    }
  }
  CPathGroup group(p.finishing ? 302 : 300);

  step = p.step;
  angle = p.angleDeg * std::numbers::pi / 180.0;
  if (!std::isfinite(angle)) return nullptr;
  const bool turned = std::fabs(angle) > 0.0001;
  ModelTurn turn(model, turned ? angle : 0.0);

  double yLow = model->box[1], yHigh = model->box[4];
  if (bound.head) {
    yLow = 1e300, yHigh = -1e300;
    for (CSmartLoop* l = bound.head; l; l = l->next) {
      if (turned) l->RotateContour(-angle);
      l->DefineBox();
      yLow = std::min(yLow, l->box[1]);
      yHigh = std::max(yHigh, l->box[4]);
    }
  }
  advance(0.1);
  if (!Create(model->tool, model->box, yLow, yHigh) || !FillProtectNet(net, model)) return nullptr;
  advance(0.2);

  std::vector<std::vector<Interval>> area;
  if (bound.head) {
    if ((p.optByte & 2) && p.boundOffset > 0.0001) {
      LoopChain off;
      off.head = SrfRetriedOffset(bound.head, p.boundOffset, p.boundOffset, kCorner);
      if (!off.head) return nullptr;
      GetLoopsMachArea(off.head, area);
    } else {
      GetLoopsMachArea(bound.head, area);
    }
  }
  if (GenIntCurveSetLib(model, bound.head ? &area : nullptr) <= 0) return nullptr;
  advance(0.2);

  if (bound.head)
    for (size_t i = 0; i < lines.size(); ++i) TrimCurvesToIntervals(lines[i].curves, area[i]);
  if (p.finishing) {
    int mode = (p.options & 1) ? 0 : (p.options & 4) ? 2 : 1;
    if (mode) TrimIntCurveSetLib(p.steepAngleDeg * std::numbers::pi / 180.0, mode, p.minLength,
                                 p.extension);
  }
  advance(0.3);
  if (p.optByte & 1) GenPathGroupZigZag(model, group, p.finishing && (p.options & 0x10));
  else GenPathGroupOneWay(group);

  if (bound.head && (p.optByte & 2)) SrfProjectLoopsOnModel(model, bound.head, group);
  if (turned)
    for (CPathCombine* c = group.head; c; c = c->next) c->Rotate(angle);
  advance(0.2);
  return group.ToDbPathGroup();
}

int CCreSrfParallelPath::Create(const CTool* tool, const double box[6], double yLow,
                                double yHigh) {
  std::vector<double> levels;
  double even = 0.0;
  if (!SrfLevels(step, yLow, yHigh, levels, even)) return 0;
  if (levels.size() >= 2) step = levels[1] - levels[0];
  lines.assign(levels.size(), Line{});
  for (size_t i = 0; i < levels.size(); ++i) lines[i].y = levels[i];
  const double cell = SrfNetCell(tool, false, false, 0.0);
  if (!(cell > 0)) return 0;
  return net.Create(cell, 0.5 * tool->GetDia(), box);
}

void CCreSrfParallelPath::GetLoopsMachArea(const CSmartLoop* loops,
                                           std::vector<std::vector<Interval>>& area) const {
  area.assign(lines.size(), {});
  for (size_t i = 0; i < lines.size(); ++i) LoopLineIntervals(loops, lines[i].y, area[i]);
}

int CCreSrfParallelPath::GenIntCurveSetLib(CMillCenter* model,
                                           const std::vector<std::vector<Interval>>* area) {
  if (!model) return 0;
  std::vector<SectSeg> segs;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (gIsProgressCancel()) return -1;
    Line& line = lines[i];
    line.curves.clear();
    segs.clear();
    if (area) {
      // A line outside the boundary is emptied by the clipping anyway.
      if ((*area)[i].empty()) continue;
      for (const Interval& iv : (*area)[i])
        if (iv[1] - iv[0] >= 0.01) segs.push_back({iv[0], bottom, iv[1], bottom});
    }
    CIntLineSet set(line.y);
    model->GenSameYLineSet(net, set);
    for (const IntLineSeg* s = set.head; s; s = s->next)
      segs.push_back({s->s[0], s->s[1], s->e[0], s->e[1]});
    SplitCrossingSegments(segs);
    CSectionProfile profile;
    profile.Build(segs);
    profile.ToCurves(bottom, 0.0, 0.0, line.curves);
  }
  return 1;
}

void CCreSrfParallelPath::TrimIntCurveSetLib(double angleRad, int mode, double minLength,
                                             double extension) {
  steepAngle = angleRad;
  steepMode = mode;
  const double s = std::fabs(std::tan(angleRad)) + 0.01;
  std::vector<Interval> iv;
  for (Line& line : lines) {
    SlopeIntervals(line.curves, s, mode == 2, minLength, extension, iv);
    TrimCurvesToIntervals(line.curves, iv);
  }
}

void CCreSrfParallelPath::GenPathGroupOneWay(CPathGroup& group) {
  for (Line& line : lines) {
    for (PtCurve& c : line.curves) {
      RemoveSpikes(c);
      if (CPathCombine* comb = RasterCurveCombine(c, line.y)) group.AppendChains(comb, 0.0);
    }
    line.curves.clear();
  }
}

void CCreSrfParallelPath::GenPathGroupZigZag(CMillCenter* model, CPathGroup& group,
                                             bool optimise) {
  const double r = 0.5 * model->tool->GetDia();
  const double xTol = std::max(5.0, 10 * r), zTol = std::max(5.0, 5 * step);
  auto append = [](CPathCombine& comb, PtCurve& c, double y) {
    RemoveSpikes(c);
    if (CPathPLine3D* e = RasterCurveEntity(c, y)) comb.AddTail(e);
  };
  for (;;) {
    size_t li = 0;
    while (li < lines.size() && lines[li].curves.empty()) ++li;
    if (li == lines.size()) break;
    auto comb = std::make_unique<CPathCombine>(8);
    Line& first = lines[li];
    PtCurve cur = std::move(first.curves.front());
    first.curves.erase(first.curves.begin());
    double wLow = -1e12, wHigh = first.curves.empty() ? 1e12 : first.curves.front().front()[0] + 0.01;
    append(*comb, cur, first.y);
    Pt2 P = cur.back();
    for (size_t k = li + 1; k < lines.size(); ++k) {
      const bool rev = (k - li) % 2 == 1;
      std::vector<PtCurve>& cs = lines[k].curves;
      auto facing = [&](const PtCurve& c) -> const Pt2& { return rev ? c.back() : c.front(); };
      size_t best = cs.size();
      double bestD = 1e300;
      for (size_t j = 0; j < cs.size(); ++j) {
        double d = std::fabs(facing(cs[j])[0] - P[0]);
        if (d < bestD) bestD = d, best = j;
      }
      if (best == cs.size() || bestD > xTol) break;
      auto fits = [&](size_t j) {
        const PtCurve& c = cs[j];
        const Pt2& f = facing(c);
        return c.front()[0] >= wLow && c.back()[0] <= wHigh && std::fabs(f[0] - P[0]) <= xTol &&
               std::fabs(f[1] - P[1]) <= zTol;
      };
      size_t acc = cs.size();
      if (fits(best)) acc = best;
      else if (best > 0 && fits(best - 1)) acc = best - 1;
      else if (best + 1 < cs.size() && fits(best + 1)) acc = best + 1;
      if (acc == cs.size()) break;
      wLow = acc > 0 ? cs[acc - 1].back()[0] - 0.01 : -1e12;
      wHigh = acc + 1 < cs.size() ? cs[acc + 1].front()[0] + 0.01 : 1e12;
      PtCurve c = std::move(cs[acc]);
      cs.erase(cs.begin() + static_cast<std::ptrdiff_t>(acc));
      if (rev) std::reverse(c.begin(), c.end());
      append(*comb, c, lines[k].y);
      P = c.back();
    }
    if (!comb->head) continue;
    // Straight links between neighbouring passes; the link step checks each against the model
    // and lifts one that would cut in.
    GenLinkMoves(model, 1, 1.0, comb.get());
    group.AppendChains(comb.release(), 0.0);
  }
  if (optimise) ProcOptCutDir(model, group);
}

void CCreSrfParallelPath::ProcOptCutDir(CMillCenter* model, CPathGroup& group) {
  const double keepAngle = steepAngle;
  const int keepMode = steepMode;
  steepAngle = std::numbers::pi / 2;
  steepMode = 0;
  CPathGroup cross(group.kind);
  {
    ModelTurn turn(model, std::numbers::pi / 2);
    ProcOptCutDir(model, group, cross);
  }
  steepAngle = keepAngle;
  steepMode = keepMode;
  CPathCombine* added = cross.head;
  cross.head = cross.tail = nullptr;
  for (CPathCombine* c = added; c; c = c->next) c->Rotate(std::numbers::pi / 2);
  if (added) group.AppendChains(added, 0.0);
}

int CCreSrfParallelPath::ProcOptCutDir(CMillCenter* model, CPathGroup& group, CPathGroup& out) {
  LoopChain loops;
  loops.head = GenBoxLoopsByLWR(group, 0.8);
  if (!loops.head) return 1;
  for (CSmartLoop* l = loops.head; l; l = l->next) {
    l->RotateContour(-std::numbers::pi / 2);
    l->DefineBox();
  }
  // The net is laid out again for the turned model but not refilled: every section counts.
  if (!Create(model->tool, model->box, model->box[1], model->box[4])) return 0;
  std::vector<std::vector<Interval>> area;
  GetLoopsMachArea(loops.head, area);
  if (GenIntCurveSetLib(model, &area) <= 0) return 0;
  for (size_t i = 0; i < lines.size(); ++i) TrimCurvesToIntervals(lines[i].curves, area[i]);
  GenPathGroupZigZag(model, out, false);
  return 1;
}

CSmartLoop* CCreSrfParallelPath::GenBoxLoopsByLWR(CPathGroup& group, double ratio) {
  CSmartLoop* chain = nullptr;
  int id = 0;
  CPathCombine* prev = nullptr;
  for (CPathCombine* c = group.head; c;) {
    CPathCombine* next = c->next;
    bool take = false;
    if (c->head) {
      double s[3], e[3], x0 = 1e300, x1 = -1e300;
      for (CPathEntity* en = c->head; en; en = en->next) {
        en->GetEndPoint(0, s);
        en->GetEndPoint(1, e);
        x0 = std::min({x0, s[0], e[0]});
        x1 = std::max({x1, s[0], e[0]});
      }
      c->head->GetEndPoint(0, s);
      c->tail->GetEndPoint(1, e);
      const double dy = std::fabs(e[1] - s[1]);
      take = dy >= 0.01 && (x1 - x0) / dy <= ratio;
    }
    CSmartLoop* loop = take ? CreateLoopByPComb(c) : nullptr;
    if (loop) {
      loop->kind = id++;
      chain = acJoinLoopLists(chain, loop);
      // Unlink and free the combine: it is cut again across.
      (prev ? prev->next : group.head) = next;
      if (group.tail == c) group.tail = prev;
      c->next = nullptr;
      c->Delete();
    } else {
      prev = c;
    }
    c = next;
  }
  return chain ? CSmartLoop::WeldContours(chain) : nullptr;
}

CSmartLoop* CCreSrfParallelPath::CreateLoopByPComb(const CPathCombine* comb) {
  std::deque<Pt2> outline;
  for (const CPathEntity* en = comb->head; en; en = en->next) {
    double s[3], e[3];
    en->GetEndPoint(0, s);
    en->GetEndPoint(1, e);
    if (std::fabs(s[1] - e[1]) > 1e-9) continue;  // a link, not a pass
    const bool sRight = s[0] > e[0];
    outline.push_back(sRight ? Pt2{s[0], s[1]} : Pt2{e[0], e[1]});
    outline.push_front(sRight ? Pt2{e[0], e[1]} : Pt2{s[0], s[1]});
  }
  PtCurve c(outline.begin(), outline.end());
  SimplifyCurve(c, 0.02, true);
  CloseCurve(c);
  if (c.size() < 4) return nullptr;
  auto curve = std::make_unique<CSmartCurve>();
  for (size_t i = 0; i + 1 < c.size(); ++i)
    if (std::hypot(c[i + 1][0] - c[i][0], c[i + 1][1] - c[i][1]) > 1e-9)
      curve->AppendSect(new CSmartLine(c[i].data(), c[i + 1].data()));
  if (curve->count < 3) return nullptr;
  auto loop = std::make_unique<CSmartLoop>();
  loop->UpdateSect(curve.release());
  if (loop->area < 0) loop->ReverseLoop(1);
  return loop.release();
}
