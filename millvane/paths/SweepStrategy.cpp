#include "millvane/paths/SweepStrategy.h"

#include <algorithm>
#include <cmath>
#include <atomic>
#include <memory>
#include <thread>
#include <unordered_map>
#include <vector>

#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes3d/GeCombCurve3d.h"
#include "geometry/shapes3d/GeGroup3d.h"
#include "geometry/shapes3d/GePolyline3d.h"
#include "geometry/surfaces/GeMesh.h"
#include "geometry/surfaces/GeTrimSurf.h"
#include "millvane/paths/MillModel.h"
#include "millvane/paths/NcMesh.h"
#include "millvane/paths/NcPline.h"
#include "platform/numora/StrP3D.h"
#include "platform/panlet/Progress.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/Tool.h"

namespace {

constexpr double kDegToRad = 3.14159265358979323846 / 180.0;

double XYDistToSeg(double x, double y, const double a[3], const double b[3]) {
  const double ex = b[0] - a[0], ey = b[1] - a[1], l2 = ex * ex + ey * ey;
  double t = l2 > 0 ? ((x - a[0]) * ex + (y - a[1]) * ey) / l2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(a[0] + t * ex - x, a[1] + t * ey - y);
}

// Ends of each polyline to the other's chord and back (XY).
double ChordGap(CNcPline* p, CNcPline* q) {
  double ps[3], pe[3], qs[3], qe[3];
  p->GetStartPoint(ps);
  p->GetEndPoint(pe);
  q->GetStartPoint(qs);
  q->GetEndPoint(qe);
  return std::min({XYDistToSeg(ps[0], ps[1], qs, qe), XYDistToSeg(pe[0], pe[1], qs, qe),
                   XYDistToSeg(qs[0], qs[1], ps, pe), XYDistToSeg(qe[0], qe[1], ps, pe)});
}

bool BoxesMeetXY(const _tagBox3D& a, const _tagBox3D& b, double grow) {
  return a.min[0] - grow <= b.max[0] && b.min[0] - grow <= a.max[0] && a.min[1] - grow <= b.max[1] &&
         b.min[1] - grow <= a.max[1];
}

bool MeshBox(const std::vector<CGeMesh*>& meshes, _tagBox3D& box) {
  bool any = false;
  for (int i = 0; i < 3; ++i) {
    box.min[i] = 1e300;
    box.max[i] = -1e300;
  }
  for (CGeMesh* m : meshes)
    for (const CPoint3d& p : m->vertices) {
      const double v[3] = {p.x, p.y, p.z};
      for (int i = 0; i < 3; ++i) {
        box.min[i] = std::min(box.min[i], v[i]);
        box.max[i] = std::max(box.max[i], v[i]);
      }
      any = true;
    }
  return any;
}

CGeRegion* RectRegion(const _tagBox3D& b) {
  const double pts[5][2] = {{b.min[0], b.min[1]}, {b.max[0], b.min[1]}, {b.max[0], b.max[1]}, {b.min[0], b.max[1]},
                            {b.min[0], b.min[1]}};
  auto* poly = new CGePolyline;
  poly->Create(5, pts);
  poly->m_nClosed = 1;
  poly->Discrete(0.001);
  auto* loop = new CGeLoop;
  loop->AddTail(poly, 1);
  loop->Discrete(0.001);
  auto* r = new CGeRegion;
  r->m_LoopList.AddTail(loop);
  r->CalcBox2d();
  return r;
}

// Appends the polylines as kernel polylines, consecutive ones whose start lies within 0.02 of
// the previous end gathered into one composite curve.
void Output(CNcPlineGrp* grp, CGeGroup3d* out) {
  CGeCombCurve3d* comb = nullptr;
  double lastEnd[3] = {0, 0, 0};
  auto flush = [&] {
    if (comb && !comb->m_CurveList.IsEmpty()) {
      comb->CalcBox();
      out->m_CurveList.AddTail(comb);
    } else {
      delete comb;
    }
    comb = nullptr;
  };
  for (POSITION pos = grp->GetHeadPosition(); pos;) {
    CNcPline* pl = grp->GetNext(pos);
    CGePolyline3d* curve = pl->ConvertTo();
    if (!curve) continue;
    double s[3];
    pl->GetStartPoint(s);
    if (!comb || std::sqrt((s[0] - lastEnd[0]) * (s[0] - lastEnd[0]) + (s[1] - lastEnd[1]) * (s[1] - lastEnd[1]) +
                           (s[2] - lastEnd[2]) * (s[2] - lastEnd[2])) > 0.02) {
      flush();
      comb = new CGeCombCurve3d;
    }
    curve->CalcBox();
    comb->m_CurveList.AddTail(curve);
    pl->GetEndPoint(lastEnd);
  }
  flush();
}

// The threads' model copies go when the run that made them ends.
struct DropCopies {
  std::vector<std::unique_ptr<CMillModel>>& copies;
  ~DropCopies() { copies.clear(); }
};

// Sort by line number, then by the smaller x of the two ends.
void SortArea(CNcPlineGrp* area) {
  std::vector<CNcPline*> v;
  while (!area->IsEmpty()) v.push_back(area->RemoveHead());
  auto key = [](CNcPline* p) {
    double s[3], e[3];
    p->GetStartPoint(s);
    p->GetEndPoint(e);
    return std::min(s[0], e[0]);
  };
  std::stable_sort(v.begin(), v.end(), [&](CNcPline* a, CNcPline* b) {
    if (a->index != b->index) return a->index < b->index;
    return key(a) < key(b);
  });
  for (CNcPline* p : v) area->AddTail(p);
}

}  // namespace

CMillPath::~CMillPath() = default;

CMsSweepBase::CMsSweepBase() = default;

CMsSweepBase::~CMsSweepBase() {
  Reset();
  while (!m_RegionList.IsEmpty()) delete m_RegionList.RemoveHead();
}

void CMsSweepBase::Reset() {
  m_Copies.clear();
  delete m_pModel;
  m_pModel = nullptr;
  delete m_pTool;
  m_pTool = nullptr;
  m_ScanLines.clear();
}

void CMsSweepBase::BuildModel(const std::vector<CGeMesh*>& meshes, double share) {
  delete m_pModel;
  m_pModel = new CMillModel;
  m_dTurn = 0;
  CQProgress prog;
  for (CGeMesh* m : meshes) {
    auto* nc = new CNcMesh;
    nc->Init(m);
    m_pModel->meshes.push_back(nc);
    prog.SetRange(share / static_cast<double>(meshes.size()));
  }
}

void CMsSweepBase::TakeRegions(CTypedPtrList<CObList, CGeRegion*>* regions) {
  while (!m_RegionList.IsEmpty()) delete m_RegionList.RemoveHead();
  if (regions)
    while (!regions->IsEmpty()) {
      CGeRegion* r = regions->RemoveHead();
      if (r) m_RegionList.AddTail(r);
    }
  if (m_RegionList.IsEmpty()) m_RegionList.AddTail(RectRegion(m_Box));
}

std::unique_ptr<CMillModel> CMsSweepBase::CloneModel() const {
  // The prepared meshes are copied as they stand: their geometry, offsets and cutter do not
  // change while lines are swept (only the marking lists do, and each copy has its own).
  auto m = std::make_unique<CMillModel>();
  for (const CNcMesh* g : m_pModel->meshes) {
    std::unique_ptr<CNcMesh> c = g->Copy();
    m->meshes.push_back(c.get());
    c.release();
  }
  m->tool = m_pModel->tool ? m_pModel->tool->Copy() : nullptr;
  m->SetMillDepth(m_pModel->depth1, m_pModel->depth2);
  return m;
}

CNcPlineGrp* CMsSweepBase::GenPlanePath(double tol, double share, double simplify) {
  CPocketLine scan;
  for (POSITION pos = m_RegionList.GetHeadPosition(); pos;) scan.m_RegionList.AddTail(m_RegionList.GetNext(pos)->Copy());
  scan.SetScanBorderFlag(1);
  scan.SetAngle(0);
  scan.SetInterval(m_dLineStep);
  scan.BuildAllScanLine();
  m_ScanLines = scan.TakeScanLines();
  const size_t nLines = m_ScanLines.size();
  // Lines are independent until they are linked: each thread takes the next line not taken yet
  // (lines differ much in cost, so a fixed share would leave threads idle) and refines it on
  // its own model (the marking lists are per model); the lines are gathered in order afterwards.
  size_t threads = m_nThreads > 0 ? static_cast<size_t>(m_nThreads)
                                   : std::min<size_t>(4, std::max(1u, std::thread::hardware_concurrency()));
  threads = std::max<size_t>(1, std::min(threads, nLines / 4));
  std::vector<std::vector<CNcPline*>> perLine(nLines);
  std::atomic<bool> stop{false}, failed{false};
  std::atomic<size_t> nextLine{0};
  CQProgress prog;
  const double n = static_cast<double>(std::max<size_t>(nLines, 1));
  // Each thread copies the model for itself, all at once.
  m_Copies.clear();
  std::vector<std::unique_ptr<CMillModel>> models(threads > 1 ? threads - 1 : 0);
  auto work = [&](size_t t) {
    CMillModel* model = m_pModel;
    if (t > 0) {
      // A thread that cannot have its copy leaves its lines to the others.
      try {
        if (!models[t - 1]) models[t - 1] = CloneModel();
      } catch (const std::bad_alloc&) {
        return;
      }
      model = models[t - 1].get();
    }
    try {
      for (size_t i = nextLine++; i < nLines && !stop; i = nextLine++) {
        const auto& line = m_ScanLines[i];
        for (size_t k = 0; k + 1 < line.size(); k += 2) {
          const double p0[3] = {line[k][0], line[k][1], m_dLowDepth};
          const double p1[3] = {line[k + 1][0], line[k + 1][1], m_dLowDepth};
          // A line the model cannot answer (or a cancelled one) is left out here.
          if (CNcPline* pl = model->CreateLinePath(p0, p1, m_dPointStep, tol)) {
            pl->index = static_cast<int>(i);
            if (simplify > 0) pl->Simplify(simplify);
            perLine[i].push_back(pl);
          }
        }
        if (gIsProgressCancel()) stop = true;
        prog.SetRange(share / n);
      }
    } catch (...) {
      failed = true;
      stop = true;
    }
  };
  if (threads == 1) {
    work(0);
  } else {
    std::vector<std::thread> pool;
    for (size_t t = 1; t < threads; ++t) pool.emplace_back(work, t);
    work(0);
    for (auto& th : pool) th.join();
  }
  auto grp = std::make_unique<CNcPlineGrp>();
  for (auto& line : perLine)
    for (CNcPline* pl : line) grp->AddTail(pl);
  if (stop || failed) return nullptr;  // the group frees what was made
  // The copies refine the links later on.
  for (auto& m : models)
    if (m) m_Copies.push_back(std::move(m));
  return grp.release();
}

void CMsSweepBase::GrowArea(CNcPlineGrp* pool, CNcPlineGrp* area) const {
  const double dia = m_pTool ? m_pTool->GetDia() : 0.0;
  const double d = std::min(1.5 * dia, 2 * m_dLineStep);
  // The lines do not change while the area grows: their boxes are taken once, the area's box
  // grows by the boxes of the lines a pass added, and the lines of the area are found by
  // their line number (only the next two numbers either way can be near).
  area->CalcBox();
  for (POSITION pos = pool->GetHeadPosition(); pos;) pool->GetNext(pos)->CalcBox();
  std::unordered_map<int, std::vector<CNcPline*>> byIndex;
  for (POSITION ap = area->GetHeadPosition(); ap;) {
    CNcPline* a = area->GetNext(ap);
    byIndex[a->index].push_back(a);
  }
  std::vector<CNcPline*> addedInPass;
  for (bool added = true; added;) {
    added = false;
    for (CNcPline* a : addedInPass) BOX3D_Union(&area->box, &a->box);
    addedInPass.clear();
    for (POSITION pos = pool->GetHeadPosition(); pos;) {
      POSITION cur = pos;
      CNcPline* cand = pool->GetNext(pos);
      if (!BoxesMeetXY(cand->box, area->box, 2 * d)) continue;
      bool near = false;
      for (int dl : {-2, -1, 1, 2}) {
        auto it = byIndex.find(cand->index + dl);
        if (it == byIndex.end()) continue;
        for (CNcPline* a : it->second)
          if (ChordGap(a, cand) <= d) {
            near = true;
            break;
          }
        if (near) break;
      }
      if (!near) continue;
      pool->RemoveAt(cur);
      area->AddTail(cand);
      byIndex[cand->index].push_back(cand);
      addedInPass.push_back(cand);
      added = true;
    }
  }
}

void CMsSweepBase::GenAreaPath(CNcPlineGrp* area, CGeGroup3d* out, int linkFlag) {
  SortArea(area);
  if (!linkFlag) {
    std::vector<CMillModel*> models{m_pModel};
    for (auto& m : m_Copies) models.push_back(m.get());
    area->LinkLines(models.data(), models.size(), 10);
  }
  Output(area, out);
  area->DelAll();
}

int CMsSweepBase::SortPathByArea(CNcPlineGrp* grp, CGeGroup3d* out, int linkFlag) {
  while (!grp->IsEmpty()) {
    if (gIsProgressCancel()) {
      grp->DelAll();
      return 0;
    }
    CNcPlineGrp area;
    area.AddTail(grp->RemoveHead());
    GrowArea(grp, &area);
    GenAreaPath(&area, out, linkFlag);
  }
  return 1;
}

void CMsSweepBase::FinishOutput(CGeGroup3d* out, int firstNew, double angleDeg, double allowance) {
  const double centre[2] = {0, 0};
  const double lift[3] = {0, 0, allowance};
  int i = 0;
  for (POSITION pos = out->m_CurveList.GetHeadPosition(); pos; ++i) {
    CGeCurve3d* c = out->m_CurveList.GetNext(pos);
    if (i < firstNew || !c) continue;
    if (std::fabs(angleDeg) > 0.01) c->Rotate(centre, angleDeg * kDegToRad);
    if (allowance > 0.01) c->Translate3D(lift);
    c->CalcBox();
  }
  out->CalcBox();
}

bool CMsSweepBase::StartRun(CTool* tool, const SrfSweepBlock& sw, double pointStep) {
  // A step of nothing is no request for a hair-thin sweep: refuse it.
  if (sw.step <= 0) return false;
  m_dLineStep = tool->IntervalDist(sw.step);
  if (!(m_dLineStep > 0) || !std::isfinite(m_dLineStep)) return false;
  m_dPointStep = pointStep;
  m_pTool = sw.allowance > 0.01 ? tool->GetInflateTool(static_cast<float>(sw.allowance)) : tool->Copy();
  m_pTool->SetAidParam();
  return true;
}

bool CMsSweepBase::PrepareModel(const std::vector<CGeMesh*>& meshes, CTypedPtrList<CObList, CGeRegion*>* regions,
                                double dia, double angleDeg, double cutDepth, double share) {
  BuildModel(meshes, 0.0);
  if (!MeshBox(meshes, m_Box)) return false;
  if (m_Box.max[0] - m_Box.min[0] < dia || m_Box.max[1] - m_Box.min[1] < dia) return false;
  TakeRegions(regions);
  if (std::fabs(angleDeg) > 0.01) {
    const double c[2] = {0, 0};
    m_dTurn = -angleDeg * kDegToRad;
    m_pModel->RotateWithZAxis(m_dTurn);
    for (POSITION pos = m_RegionList.GetHeadPosition(); pos;) m_RegionList.GetNext(pos)->Rotate(c, m_dTurn);
  }
  m_pModel->SetTool(m_pTool);
  if (gIsProgressCancel()) return false;
  CQProgress prog;
  prog.SetRange(share);
  m_dTop = m_Box.max[2];
  m_dLowDepth = std::max(m_dTop - cutDepth, m_Box.min[2]);
  m_pModel->SetMillDepth(m_dTop, m_dLowDepth);
  return true;
}

// ---------------------------------------------------------------------------------------------
// Finishing

void CMsFinishSweepLine::GenPath(CTypedPtrList<CObList, CGeMesh*>* meshes, CTypedPtrList<CObList, CGeRegion*>* regions,
                                 CParamSrfFinish* param, CTool* tool, CGeGroup3d* out) {
  if (!meshes || meshes->IsEmpty() || !tool || !param || !out) return;
  const float dia = tool->GetDia();
  if (!(dia > 0) || !std::isfinite(dia)) return;
  Reset();
  m_Param = *param;
  SrfSweepBlock& sw = m_Param.Sweep();
  if (!StartRun(tool, sw, std::clamp(dia / 2.0, 0.5, 2.0))) return;
  const DropCopies drop{m_Copies};
  std::vector<CGeMesh*> list;
  for (POSITION pos = meshes->GetHeadPosition(); pos;)
    if (CGeMesh* m = meshes->GetNext(pos)) list.push_back(m);
  CQProgress prog;
  prog.SetRange(0.2);
  if (!PrepareModel(list, regions, dia, sw.angle, m_Param.GetCutDepth(), 0.3)) return;
  const double angle = sw.angle;
  prog.SetRange(0.1);
  std::unique_ptr<CNcPlineGrp> grp(GenPlanePath(0.005, 0.8, 0.0001));
  if (!grp || gIsProgressCancel()) return;
  prog.SetRange(0.4);
  const int firstNew = static_cast<int>(out->m_CurveList.GetCount());
  if (!SortPathByArea(grp.get(), out, sw.linkFlag)) {
    // Cancelled: what this call appended goes again.
    while (out->m_CurveList.GetCount() > firstNew) delete out->m_CurveList.RemoveTail();
    return;
  }
  FinishOutput(out, firstNew, angle, sw.allowance);
}

// ---------------------------------------------------------------------------------------------
// Roughing

CMsRoughSweepLine::~CMsRoughSweepLine() { FreeLayers(); }

void CMsRoughSweepLine::FreeLayers() {
  for (CNcPlineGrp* g : m_Layers) delete g;
  m_Layers.clear();
  m_LayerZ.clear();
  m_nLayers = 0;
}

void CMsRoughSweepLine::ClipPLine_Zplane(CNcPline* pl, double z, CNcPlineGrp* lower) {
  CNcPline* run = nullptr;
  CNcPoint prevOrig{};
  const CNcPoint* prev = nullptr;  // the previous point as it was before clamping
  auto cross = [z](const CNcPoint* a, const CNcPoint* b) {
    const double f = (z - a->z) / (b->z - a->z);
    return new CNcPoint{0, a->x + f * (b->x - a->x), a->y + f * (b->y - a->y), z, a->w + f * (b->w - a->w)};
  };
  auto finishRun = [&] {
    if (run && run->GetCount() >= 2) {
      run->index = pl->index;
      run->kind = pl->kind;
      lower->AddTail(run);
    } else {
      delete run;
    }
    run = nullptr;
  };
  for (POSITION pos = pl->GetHeadPosition(); pos;) {
    POSITION cur = pos;
    CNcPoint* p = pl->GetNext(pos);
    const bool below = p->z <= z;
    if (prev) {
      const bool prevBelow = prev->z <= z;
      if (prevBelow != below && std::fabs(p->z - prev->z) > 1e-6 &&
          std::min(std::fabs(p->z - z), std::fabs(prev->z - z)) > 1e-6) {
        // The path crosses the layer: both the kept and the cut-off part get the exact point.
        CNcPoint* c = cross(prev, p);
        if (run) run->AddTail(new CNcPoint(*c));
        if (!prevBelow) {
          run = new CNcPline;
          run->AddTail(new CNcPoint(*c));
        }
        pl->InsertBefore(cur, c);
      }
    }
    prevOrig = *p;
    prev = &prevOrig;
    if (below) {
      if (!run) run = new CNcPline;
      run->AddTail(new CNcPoint(*p));
      p->z = z;
    } else if (run) {
      finishRun();
    }
  }
  finishRun();
}

void CMsRoughSweepLine::ClipGrp_Zplane(CNcPlineGrp* grp, double z, CNcPlineGrp* layer) {
  CNcPlineGrp lower;
  while (!grp->IsEmpty()) {
    CNcPline* pl = grp->RemoveHead();
    ClipPLine_Zplane(pl, z, &lower);
    layer->AddTail(pl);
  }
  while (!lower.IsEmpty()) grp->AddTail(lower.RemoveHead());
}

int CMsRoughSweepLine::LayerAllPath(CNcPlineGrp* grp) {
  FreeLayers();
  const double layerStep = m_Param.Sweep().layerStep;
  if (!(layerStep >= 0.005)) return 1;
  const double depth = m_Param.GetCutDepth();
  const double nn = std::ceil(depth / layerStep);
  // A cut depth that is no number, or one asking for absurdly many layers, gives none.
  if (!std::isfinite(nn) || nn > 1e5) return 1;
  const int n = std::max(1, static_cast<int>(nn));
  const double step = depth / n;
  CQProgress prog;
  for (int i = 0; i < n; ++i) {
    if (gIsProgressCancel()) return 0;
    const double z = m_dTop - (i + 1) * step;
    auto* layer = new CNcPlineGrp;
    ClipGrp_Zplane(grp, z, layer);
    for (POSITION pos = layer->GetHeadPosition(); pos;) {
      CNcPline* pl = layer->GetNext(pos);
      pl->Simplify(0.005);
      pl->flags = i;
    }
    m_Layers.push_back(layer);
    m_LayerZ.push_back(z);
    prog.SetRange(1.0 / n);
  }
  m_nLayers = n;
  grp->DelAll();
  return 1;
}

bool CMsRoughSweepLine::IsSameAreaNextLayer(const CNcPline* a, const CNcPline* c) {
  if (a->index != c->index) return false;
  double as[3], ae[3], cs[3], ce[3];
  a->GetStartPoint(as);
  a->GetEndPoint(ae);
  c->GetStartPoint(cs);
  c->GetEndPoint(ce);
  const double a0 = std::min(as[0], ae[0]), a1 = std::max(as[0], ae[0]);
  const double c0 = std::min(cs[0], ce[0]), c1 = std::max(cs[0], ce[0]);
  return c0 >= a0 - 1e-6 && c1 <= a1 + 1e-6;
}

void CMsRoughSweepLine::GetAreaPathInNextLayer(CNcPlineGrp* area, CNcPlineGrp* next, CNcPlineGrp* taken) const {
  for (POSITION pos = next->GetHeadPosition(); pos;) {
    POSITION cur = pos;
    CNcPline* c = next->GetNext(pos);
    bool under = false;
    for (POSITION ap = area->GetHeadPosition(); ap && !under;) under = IsSameAreaNextLayer(area->GetNext(ap), c);
    if (!under) continue;
    next->RemoveAt(cur);
    taken->AddTail(c);
  }
}

int CMsRoughSweepLine::EmitArea(CNcPlineGrp* area, int k, CGeGroup3d* out) {
  CNcPlineGrp taken;
  if (k + 1 < m_nLayers) GetAreaPathInNextLayer(area, m_Layers[k + 1], &taken);
  GenAreaPath(area, out, m_Param.Sweep().linkFlag);
  while (!taken.IsEmpty()) {
    if (gIsProgressCancel()) {
      taken.DelAll();
      return 0;
    }
    CNcPlineGrp sub;
    sub.AddTail(taken.RemoveHead());
    GrowArea(&taken, &sub);
    if (!EmitArea(&sub, k + 1, out)) return 0;
  }
  return 1;
}

void CMsRoughSweepLine::SortPathByDepth(CGeGroup3d* out) {
  for (CNcPlineGrp* layer : m_Layers) GenAreaPath(layer, out, m_Param.Sweep().linkFlag);
}

void CMsRoughSweepLine::GenPath(CTypedPtrList<CObList, CGeSurf*>* surfaces, CTypedPtrList<CObList, CGeRegion*>* regions,
                                CParamSrfRough* param, CTool* tool, CGeGroup3d* out) {
  if (!surfaces || surfaces->IsEmpty() || !tool || !param || !out) return;
  const float dia = tool->GetDia();
  if (!(dia > 0) || !std::isfinite(dia)) return;
  Reset();
  FreeLayers();
  m_Param = *param;
  SrfSweepBlock& sw = m_Param.Sweep();
  if (!(sw.layerStep >= 0.01) || !StartRun(tool, sw, dia / 2.0)) return;
  const DropCopies drop{m_Copies};

  std::vector<CGeMesh*> list;
  std::vector<std::unique_ptr<CGeMesh>> temp;
  for (POSITION pos = surfaces->GetHeadPosition(); pos;) {
    CGeSurf* s = surfaces->GetNext(pos);
    if (!s) continue;
    if (auto* ts = dynamic_cast<CGeTrimSurf*>(s)) {
      temp.emplace_back(ts->DiscreteToNcMesh(gGetSurfNCDiscTol()));
      if (temp.back()) list.push_back(temp.back().get());
    } else if (auto* m = dynamic_cast<CGeMesh*>(s)) {
      list.push_back(m);
    }
  }
  if (list.empty()) return;
  CQProgress prog;
  prog.SetRange(0.1);
  if (!PrepareModel(list, regions, dia, sw.angle, m_Param.GetCutDepth(), 0.1)) return;
  temp.clear();  // the model holds all it needs of them
  const double angle = sw.angle;
  std::unique_ptr<CNcPlineGrp> grp(GenPlanePath(0.1, 0.5));
  if (!grp) return;
  if (!LayerAllPath(grp.get())) {
    FreeLayers();
    return;
  }
  const int firstNew = static_cast<int>(out->m_CurveList.GetCount());
  for (int k = 0; k < m_nLayers; ++k) {
    CNcPlineGrp* layer = m_Layers[k];
    while (!layer->IsEmpty()) {
      if (gIsProgressCancel()) {
        while (out->m_CurveList.GetCount() > firstNew) delete out->m_CurveList.RemoveTail();
        FreeLayers();
        return;
      }
      CNcPlineGrp area;
      area.AddTail(layer->RemoveHead());
      GrowArea(layer, &area);
      if (!EmitArea(&area, k, out)) {
        while (out->m_CurveList.GetCount() > firstNew) delete out->m_CurveList.RemoveTail();
        FreeLayers();
        return;
      }
    }
    prog.SetRange(1.0 / m_nLayers);
  }
  FinishOutput(out, firstNew, angle, sw.allowance);
}

// ---------------------------------------------------------------------------------------------
// Projection

std::vector<double> CMsProject::PassDepths(double total, double step) {
  if (!std::isfinite(total) || total < 0.002 || !(step > 0) || total <= step) {
    // One pass: at the curves' own height for a negligible depth, else at the whole depth.
    return {std::isfinite(total) && total > 0 ? total : 0.0};
  }
  // Enough passes to reach the whole depth: the last one takes what a whole step leaves.
  const double nn = std::ceil(total / step - 1e-9);
  if (nn > 1e5) return {};
  const int n = static_cast<int>(nn);
  std::vector<double> d;
  for (int k = 1; k <= n; ++k) d.push_back(std::min(k * step, total));
  return d;
}

CNcPline* CMsProject::DiscreteCurve(CGeCurve3d* curve, double tol, double start, double pointStep,
                                     int group) {
  if (!curve) return nullptr;
  CStrP3D str;
  curve->Discrete(tol, str);
  if (str.m_nCount < 1) return nullptr;
  auto pl = std::make_unique<CNcPline>();
  for (int i = 0; i < str.m_nCount; ++i) {
    const double* p = str.m_pPoints[i];
    if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) return nullptr;
    pl->AddTail(new CNcPoint{0, p[0], p[1], start, p[2]});
  }
  pl->InsPoint(pointStep);
  pl->CalcBox();
  pl->flags = group;
  return pl.release();
}

void CMsProject::GenPath(CTypedPtrList<CObList, CGeMesh*>* meshes, CGeGroup3d* curves, tagParam_SrfProject param,
                         CTool* tool, const wchar_t* caption, CGeGroup3d* out) {
  if (!meshes || meshes->IsEmpty() || !curves || !out) return;
  Reset();
  if (tool) tool->SetAidParam();
  m_Param = param;
  const double dia = tool ? tool->GetDia() : 0.0;
  m_dPointStep = tool && dia > 0 && std::isfinite(dia) ? std::clamp(dia / 2.0, 0.5, 2.0) : 1.0;

  std::vector<CGeMesh*> list;
  for (POSITION pos = meshes->GetHeadPosition(); pos;)
    if (CGeMesh* m = meshes->GetNext(pos)) list.push_back(m);
  gShowThreadProg(caption ? caption : L"", 1);
  struct Hide {
    ~Hide() { gHideThreadProg(); }
  } hide;
  CQProgress prog;
  prog.SetRange(0.2);
  BuildModel(list, 0.0);
  prog.SetRange(0.1);
  if (!MeshBox(list, m_Box)) return;
  curves->CalcBox();
  _tagBox3D cb;
  curves->GetBox(&cb);
  if (cb.min[0] > m_Box.max[0] + 1e-6 || cb.max[0] < m_Box.min[0] - 1e-6 || cb.min[1] > m_Box.max[1] + 1e-6 ||
      cb.max[1] < m_Box.min[1] - 1e-6)
    return;
  m_pModel->SetTool(m_pTool);  // no cutter: heights are the mesh surface itself

  // Every point starts below the surface so that it lands on it; its second height keeps the
  // curve's own z.
  const double start = m_Box.min[2] - 1.0;
  CNcPlineGrp grp;
  const double tol = gGetCurveDicTol();
  int group = 0;
  auto addCurve = [&](CGeCurve3d* c, int g) {
    if (CNcPline* pl = DiscreteCurve(c, tol, start, m_dPointStep, g)) grp.AddTail(pl);
  };
  for (POSITION pos = curves->m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve3d* c = curves->m_CurveList.GetNext(pos);
    if (!c) continue;
    if (auto* comb = dynamic_cast<CGeCombCurve3d*>(c)) {
      ++group;
      for (POSITION sp = comb->m_CurveList.GetHeadPosition(); sp;)
        if (CGeCurve3d* sub = comb->m_CurveList.GetNext(sp)) addCurve(sub, group);
    } else {
      addCurve(c, 0);
    }
  }
  m_dLowDepth = start;
  m_pModel->SetMillDepth(m_Box.max[2], m_dLowDepth);
  grp.ChkTol_InsPt(m_pModel, 0.05);
  if (gIsProgressCancel()) return;
  for (POSITION pos = grp.GetHeadPosition(); pos;) {
    CNcPline* pl = grp.GetNext(pos);
    if (m_Param.useOwnHeight != 0)
      for (POSITION pp = pl->GetHeadPosition(); pp;) {
        CNcPoint* p = pl->GetNext(pp);
        p->z += p->w;
      }
    pl->Simplify(0.0002);
  }
  for (double depth : PassDepths(m_Param.totalDepth, m_Param.depthStep)) {
    CGeCombCurve3d* comb = nullptr;
    int combGroup = 0;
    auto flush = [&] {
      if (comb && !comb->m_CurveList.IsEmpty()) {
        comb->CalcBox();
        out->m_CurveList.AddTail(comb);
      } else {
        delete comb;
      }
      comb = nullptr;
    };
    for (POSITION pos = grp.GetHeadPosition(); pos;) {
      CNcPline* pl = grp.GetNext(pos);
      CGePolyline3d* curve = pl->ConvertTo();
      if (!curve) continue;
      if (depth > 0.002) {
        const int n = curve->m_nCount;
        if (n == 2 && std::fabs(curve->m_pVertex[0][2] - curve->m_pVertex[1][2]) < 1e-6)
          curve->m_pVertex[1][2] -= depth;  // a straight ramp down to the pass
        else
          for (int i = 0; i < n; ++i) curve->m_pVertex[i][2] -= depth;
      }
      curve->CalcBox();
      if (!comb || pl->flags == 0 || pl->flags != combGroup) {
        flush();
        comb = new CGeCombCurve3d;
        combGroup = pl->flags;
      }
      comb->m_CurveList.AddTail(curve);
    }
    flush();
  }
}
