// Closed composite curve: the boundary that regions, pockets and toolpaths are made of. Adds
// a cached signed area, a reversal toggle, outer/used flags, containment tests and the
// start-point, simplification and gap-closing edits.
#pragma once

#include "geometry/shapes2d/GeCombCurve.h"

class CGeLoop;
using CGeLoopList = CTypedPtrList<CObList, CGeLoop*>;

class CGeLoop : public CGeCombCurve {
  DECLARE_SERIAL(CGeLoop)

 public:
  // Flag bits.
  static constexpr int32_t kOuter = 1;
  static constexpr int32_t kUsed = 2;
  static constexpr int32_t kInitial = 8;  // set at construction and kept; read by nobody here

  CGeLoop();
  ~CGeLoop() override;

  void Serialize(CArchive& ar) override;
  int GetType() const override;
  CGeLoop* Copy() override;
  // Reverses sub-curves, point buffer and cached area together.
  void Reverse() override;

  void SetOuterFlag() { m_nFlags |= kOuter; }
  void SetInnerFlag() { m_nFlags &= ~kOuter; }
  int IsOuterLoop() const { return (m_nFlags & kOuter) ? 1 : 0; }
  void SetUsedFlag(int used) {
    if (used)
      m_nFlags |= kUsed;
    else
      m_nFlags &= ~kUsed;
  }
  int IsUsed() const { return (m_nFlags & kUsed) ? 1 : 0; }

  // 0 inside, 1 outside, 2 on the boundary (within tol).
  int IsPtInLoop(const double pt[2], double tol);
  // other lies inside this loop (points on the boundary count as inside).
  bool IsContainLoop(CGeLoop* other, double tol);
  void GetMidPoint(double out[2]);
  double Orient(double tol);
  int IsLoop(double tol);
  // 1 when the discrete loop does not cross or touch itself.
  int IsSimplePolygon();
  // Cached signed area (positive counter-clockwise); 1e12 for an empty or open loop.
  double EvArea(double tol);
  using CGeCurve::EvArea;
  // With reverseBuffer false the buffer keeps its order (the caller rediscretises).
  void Reverse(bool reverseBuffer);

  int AdjustStartPointToOuterNode(int turn);
  int AdjustStartPoint(const double pt[2]);
  int AdjustStartPoint(double t, unsigned seg, unsigned index);
  void Clear();
  void SeperateComCurve();
  void SeperatePolyline();
  void ArctoLine();
  void ArctoExtendLine();
  void Stitch(double tol);
  // Runs of lines and polylines joined into simplified polylines, then neighbouring
  // concentric arcs merged.
  void Lean(double tol, double tol2);

  double m_dArea;
  double m_dValue2;
  bool m_bReversed;
  int32_t m_nFlags;

 private:
  // Arcs sweeping less than a half circle become their chord, or the two end tangents.
  void ReplaceSmallArcs(bool viaApex);
  // Puts head first and tail last around the rest, the sub-curves after `chosen` leading.
  void Reorder(POSITION chosen, CGeCurve* head, CGeCurve* tail);
};
