// Closed chain of trim boundaries in a surface's parameter plane: the first loop of a trimmed
// surface is its outer boundary (counter-clockwise), the others are holes (clockwise).
#pragma once

#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/surfaces/GeTrimBnd.h"

class CGeLoop3d;
using CGeTrimBndList = CTypedPtrList<CObList, CGeTrimBnd*>;

class CGeTrimLoop : public CGeShape3d {
  DECLARE_SERIAL(CGeTrimLoop)

 public:
  CGeTrimLoop();
  ~CGeTrimLoop() override;
  CGeTrimLoop(const CGeTrimLoop&) = delete;
  CGeTrimLoop& operator=(const CGeTrimLoop&) = delete;

  // Loops are rebuilt by their owners, never stored.
  void Serialize(CArchive& ar) override;
  int GetType() const override;
  // Copies keep their boundaries' old owner; the surface's BuildTopo relinks them.
  CGeTrimLoop* Copy() override;
  void CalcBox() override;
  void Translate(const double v[2]) override;
  void Translate3D(const double v[3]) override;
  void Rotate(const double c[2], double angle) override;
  void Rotate3D(const double p[3], const double axis[3], double angle) override;
  void Mirror(const double p[2], const double q[2]) override;
  CGeShape3d* Shift(const double p[2], const double q[2]) override;
  CGeShape3d* Scale(const double base[2], const double f[2]) override;
  CGeShape3d* Scale3D(const double base[3], const double f[3]) override;
  void Mirror3D(const double p[3], const double q[3]) override;
  void Transform(const _rect_fm3d* frame) override;
  void Transform(const double m[4][4]) override;
  void TransformLocal(const _rect_fm3d* frame) override;

  // Replaces the boundaries by those of a planar 3D loop; box maps onto the unit square.
  void Create(CGeLoop3d* loop, _tagBox2D box);
  int AddBound(CGeTrimBnd* bound);
  void GetUVBox(_tagBox2D* out) const { *out = m_uvBox; }
  void CalcUVBox();
  int GetStartPoint(double* xyz, double* uv);
  int GetEndPoint(double* xyz, double* uv);
  void Discrete(double tol);
  void Draw(CDC* pDC);
  void DrawGL(COpenGLDC* pDC, int nMode);
  void UpdateEucCrv(_nurbs_surface* surface, double tol);
  // Every boundary reversed and their order turned round: the loop still chains end to start.
  void Reverse();
  int Pick(CPickRay& ray, int filter);
  void CreateEuclidBnd();
  // Signed area of the parameter polygon (positive counter-clockwise); stored and returned.
  double EvArea(double tol);
  // 0 inside, 1 outside, 2 on a boundary (within tol).
  int IsPtInLoop(const double uv[2], double tol);
  int IsContainLoop(CGeTrimLoop* other, double tol);

  CGeTrimSurf* m_pOwner;  // not owned
  CGeTrimBndList m_BndList;
  _tagBox2D m_uvBox;
  double m_dArea;

 private:
  template <class F>
  void ForEachBound(F&& f) {
    for (POSITION pos = m_BndList.GetHeadPosition(); pos;)
      if (CGeTrimBnd* b = m_BndList.GetNext(pos)) f(b);
  }
};
