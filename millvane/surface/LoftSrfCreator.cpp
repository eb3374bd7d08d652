#include "millvane/surface/LoftSrfCreator.h"

#include <cmath>
#include <memory>
#include <new>

#include "geometry/shapes3d/GeCombCurve3d.h"
#include "geometry/shapes3d/GeCurve3d.h"
#include "geometry/tools/ConvertEditor.h"
#include "platform/numora/Bcrv.h"
#include "platform/numora/Bsrf.h"
#include "platform/numora/NurbsEditor.h"
#include "platform/numora/Point3d.h"
#include "platform/afx/Exception.h"

namespace {

void DeleteCurves(CGeCurve3dList& list) {
  for (POSITION pos = list.GetHeadPosition(); pos;) delete list.GetNext(pos);
  list.RemoveAll();
}

bool CopyCurves(const CGeCurve3dList& from, CGeCurve3dList& to) {
  for (POSITION pos = from.GetHeadPosition(); pos;) {
    CGeCurve3d* c = from.GetNext(pos);
    CGeCurve3d* copy = c ? c->Copy() : nullptr;
    if (!copy) return false;
    to.AddTail(copy);
  }
  return true;
}

// Frees the B-spline curves of a skinning attempt.
struct CurveSet {
  std::vector<BCRV*> curves;
  ~CurveSet() {
    for (BCRV* c : curves) BCRV_Free(c);
  }
};

}  // namespace

CLoftSrfCreator::Section::~Section() {
  DeleteCurves(pieces);
  DeleteCurves(extra);
}

CLoftSrfCreator::Section* CLoftSrfCreator::Section::Clone() const {
  auto s = std::make_unique<Section>();
  if (!CopyCurves(pieces, s->pieces) || !CopyCurves(extra, s->extra)) return nullptr;
  s->breaks = breaks;
  for (int k = 0; k < 3; ++k) s->point[k] = point[k];
  return s.release();
}

void CLoftSrfCreator::Section::CalcBreaks() {
  breaks.clear();
  double sum = 0.0;
  for (POSITION pos = pieces.GetHeadPosition(); pos;) {
    sum += pieces.GetNext(pos)->EvTotalArcLength();
    breaks.push_back(sum);
  }
  if (breaks.empty()) return;
  const double total = breaks.back();
  for (size_t i = 0; i < breaks.size(); ++i)
    // a section of zero length has no length to share: its pieces split it evenly
    breaks[i] = total > 0 && std::isfinite(total) ? breaks[i] / total
                                                  : double(i + 1) / double(breaks.size());
  breaks.back() = 1.0;
}

CLoftSrfCreator::~CLoftSrfCreator() { Clear(); }

void CLoftSrfCreator::Clear() {
  for (Section* s : m_sections) delete s;
  m_sections.clear();
}

CLoftSrfCreator::CLoftSrfCreator(const CLoftSrfCreator& other) { *this = other; }

CLoftSrfCreator& CLoftSrfCreator::operator=(const CLoftSrfCreator& other) {
  if (this == &other) return *this;
  std::vector<Section*> copies;
  for (const Section* s : other.m_sections) {
    Section* c = s ? s->Clone() : nullptr;
    if (!c) {
      for (Section* d : copies) delete d;
      AfxThrowMemoryException();
    }
    copies.push_back(c);
  }
  Clear();
  m_nOption = other.m_nOption;
  m_sections = std::move(copies);
  return *this;
}

void CLoftSrfCreator::AddCross(CGeCurve* curve, bool reverse, bool standUp) {
  if (!curve) return;
  auto s = std::make_unique<Section>();
  curve->DiscreteToElement(&s->pieces);
  if (s->pieces.IsEmpty()) return;
  if (reverse)
    for (POSITION pos = s->pieces.GetHeadPosition(); pos;) s->pieces.GetNext(pos)->Reverse();
  if (standUp && !curve->IsClosed(0.01)) {
    double a[2], b[2];
    curve->GetStartPoint(a);
    curve->GetEndPoint(b);
    const double start[3] = {a[0], a[1], 0.0}, end[3] = {b[0], b[1], 0.0};
    double axis[3];
    if (V3D_GenUnit(start, end, axis, 1e-12))
      for (POSITION pos = s->pieces.GetHeadPosition(); pos;)
        s->pieces.GetNext(pos)->Rotate3D(start, axis, 1.5707963267948966);
  }
  s->CalcBreaks();
  m_sections.push_back(s.release());
}

void CLoftSrfCreator::AddCross(CGeCurve3d* curve, bool reverse) {
  if (!curve) return;
  auto s = std::make_unique<Section>();
  curve->DiscreteToElement(&s->pieces);
  if (s->pieces.IsEmpty()) return;
  if (reverse) {
    CGeCurve3dList reversed;
    while (!s->pieces.IsEmpty()) {
      CGeCurve3d* c = s->pieces.RemoveTail();
      c->Reverse();
      reversed.AddTail(c);
    }
    s->pieces.AddTail(&reversed);
    reversed.RemoveAll();
  }
  s->CalcBreaks();
  m_sections.push_back(s.release());
}

void CLoftSrfCreator::AddCrossPoint(const double p[3]) {
  if (!p) return;
  auto* s = new Section;
  for (int k = 0; k < 3; ++k) s->point[k] = p[k];
  m_sections.push_back(s);
}

int CLoftSrfCreator::CreatLoftSurf(std::vector<_nurbs_surface*>& out) {
  if (m_sections.empty()) return 0;
  const int k = int(m_sections.front()->pieces.GetCount());
  bool equal = true;
  for (size_t i = 1; i < m_sections.size() && equal; ++i)
    equal = int(m_sections[i]->pieces.GetCount()) == k;
  if (equal) {
    const size_t before = out.size();
    CreatLoftSurfEqu(out, k);
    return out.size() > before ? 1 : 0;
  }
  CurveSet set;
  for (Section* s : m_sections) {
    BCRV* c = nullptr;
    if (s->pieces.IsEmpty()) {
      BCRV_GenLine(s->point, s->point, c);
    } else {
      // The composite borrows the pieces: they are taken back before it is deleted.
      CGeCombCurve3d comb;
      for (POSITION pos = s->pieces.GetHeadPosition(); pos;)
        comb.m_CurveList.AddTail(s->pieces.GetNext(pos));
      c = CConvertEditor::ToNurbsCurve(&comb);
      comb.m_CurveList.RemoveAll();
    }
    if (!c) return 0;
    set.curves.push_back(c);
  }
  _nurbs_surface* srf =
      CNurbsEditor::SkinV(set.curves.data(), int(set.curves.size()), m_nOption);
  if (!srf) return 0;
  std::vector<_nurbs_surface*> pieces;
  if (BSRF_USplitG1Discont(srf, 0.0872664625997, pieces) == 1) {
    bool any = false;
    for (_nurbs_surface* p : pieces)
      if (p) {
        out.push_back(p);
        any = true;
      }
    if (any) {
      BSRF_Free(srf);
      return 1;
    }
  }
  out.push_back(srf);
  return 1;
}

int CLoftSrfCreator::CreatLoftSurfEqu(std::vector<_nurbs_surface*>& out, int count) {
  if (count <= 0 || m_sections.size() < 2) return 0;
  // Every column needs a piece from every section; skinning with a gap is no surface.
  for (Section* s : m_sections)
    if (int(s->pieces.GetCount()) < count) return 0;
  int made = 0;
  for (int i = 0; i < count; ++i) {
    CurveSet set;
    bool ok = true;
    for (Section* s : m_sections) {
      CGeCurve3d* piece = s->pieces.GetAt(s->pieces.FindIndex(i));
      BCRV* c = piece ? CConvertEditor::ToNurbsCurve(piece) : nullptr;
      if (!c) {
        ok = false;
        break;
      }
      set.curves.push_back(c);
    }
    if (!ok) continue;
    if (_nurbs_surface* srf =
            CNurbsEditor::SkinV(set.curves.data(), int(set.curves.size()), m_nOption)) {
      out.push_back(srf);
      ++made;
    }
  }
  return made == count ? 1 : 0;
}
