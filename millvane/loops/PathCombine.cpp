#include "millvane/loops/PathCombine.h"

#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "geometry/shapes3d/GeCombCurve3d.h"
#include "millvane/loops/SmartCurve.h"
#include "millvane/loops/PathEntity.h"

namespace {

constexpr int kBufferPoints = 4000;
// Arcs whose chord discretisation gives a single segment are merged into the polyline.
constexpr double kArcChordTol = 0.001;
constexpr int kArcMaxPoints = 20;

}  // namespace

CPathCombine::~CPathCombine() { FreeEntities(); }

void CPathCombine::FreeEntities() {
  while (head) {
    CPathEntity* e = head;
    head = e->next;
    delete e;
  }
  tail = nullptr;
}

void CPathCombine::Delete() { delete this; }

uint8_t CPathCombine::EntityCode(uint16_t op) {
  switch (op) {
    case 1: return 9;
    case 2: return 7;
    case 3: case 7: case 8: case 9: case 10: return 8;
    case 4: return 2;
    case 5: case 6: return 3;
    default: return 255;
  }
}

void CPathCombine::AddTail(CPathEntity* e) {
  if (!e) return;
  if (e->code == 255) e->code = EntityCode(op);
  e->next = nullptr;
  e->prev = tail;
  if (tail)
    tail->next = e;
  else
    head = e;
  tail = e;
}

void CPathCombine::InsertAfter(CPathEntity* e, CPathEntity* after) {
  if (!e) return;
  if (!head) {
    AddTail(e);
    return;
  }
  if (e->code == 255) e->code = EntityCode(op);
  if (after) {
    e->prev = after;
    e->next = after->next;
    if (after->next)
      after->next->prev = e;
    else
      tail = e;
    after->next = e;
  } else {
    e->prev = nullptr;
    e->next = head;
    head->prev = e;
    head = e;
  }
}

int CPathCombine::AppendSmartCurve(CSmartCurve* curve, int deleteCurve, double z) {
  if (!curve) return 0;
  std::unique_ptr<CSmartCurve> owned(deleteCurve ? curve : nullptr);
  if (!curve->head) return 0;

  std::vector<std::array<double, 3>> buf;
  buf.reserve(kBufferPoints);
  auto restart = [&](const double p[2]) {
    buf.clear();
    buf.push_back({p[0], p[1], z});
  };
  auto flush = [&]() {
    auto* pl = new CPathPLine3D;
    pl->SetPoints(static_cast<int>(buf.size()) - 1,
                  reinterpret_cast<const double(*)[3]>(buf.data()));
    AddTail(pl);
    const std::array<double, 3> last = buf.back();
    buf.clear();
    buf.push_back(last);
  };

  double p[2];
  curve->head->EvPoint(0.0, p);
  restart(p);
  double chord[kArcMaxPoints][2];
  for (CSmartSect* s = curve->head; s; s = s->next) {
    if (static_cast<int>(buf.size()) >= kBufferPoints) flush();
    const auto* arc = s->IsArc() ? static_cast<const CSmartArc*>(s) : nullptr;
    if (!arc || acArcToPoints(arc, kArcChordTol, kArcMaxPoints, chord) <= 1) {
      s->EvPoint(1.0, p);
      buf.push_back({p[0], p[1], z});
      continue;
    }
    if (buf.size() > 1) flush();
    const double c[3] = {arc->centre[0], arc->centre[1], z};
    AddTail(new CPathArc3D(c, arc->radius, arc->startAngle, arc->endAngle, 0.0));
    arc->EvPoint(1.0, p);
    restart(p);
  }
  if (buf.size() > 1) flush();
  return 1;
}

void CPathCombine::Rotate(double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  for (CPathEntity* e = head; e; e = e->next) e->Rotate(c, s);
}

CGeCombCurve3d* CPathCombine::ToCombCurve3d() const {
  auto comb = std::make_unique<CGeCombCurve3d>();
  for (const CPathEntity* e = head; e; e = e->next) comb->AddTail(acPathEntityToCurve3d(e));
  if (comb->m_CurveList.IsEmpty()) return nullptr;
  return comb.release();
}
