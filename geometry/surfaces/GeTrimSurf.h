// Trimmed NURBS surface: a B-spline surface whose parameter domain is cut by trim loops (the
// outer loop first, holes after it). It is also a mesh, so it can carry a tessellation, and it
// owns the iso-curve lists of the surface base.
#pragma once

#include "geometry/surfaces/GeMesh.h"
#include "geometry/surfaces/GeTrimLoop.h"

class CGeLine;
using CInterPntArray = CArray<_tagInterPnt, _tagInterPnt>;

class CGeTrimSurf : public CGeMesh {
  DECLARE_SERIAL(CGeTrimSurf)

 public:
  CGeTrimSurf();
  // Takes ownership of surface.
  CGeTrimSurf(_nurbs_surface* surface, _tagBox2D box);
  ~CGeTrimSurf() override;

  // Trimmed surfaces are rebuilt by their owners, never stored.
  void Serialize(CArchive& ar) override;
  int GetType() const override;
  CGeTrimSurf* Copy() override;
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
  CGeCurve3d* UIsoCurve(double u) override;
  CGeCurve3d* VIsoCurve(double v) override;
  void Draw(CDC* pDC) override;
  void DrawGL(COpenGLDC* pDC, int nMode) override;
  int Pick(CPickRay& ray, int filter) override;

  // Copying and ownership. Copies start without a kernel record.
  void CopyFromTrimSurf(CGeTrimSurf* other);
  CGeTrimSurf* CopyNoLoop();
  void BuildTopo();
  CGeTrimSurf* GenOffsetSurf(double distance);

  // Evaluation in the surface's parameter domain; 1 on success.
  void GetUVBox(_tagBox2D* out) const { *out = m_uvBox; }
  int GetPoint(double u, double v, double* point);
  int GetNormal(double u, double v, double* point, double* normal);
  void GetDiscreteStep(double tol, double& du, double& dv);
  void Discrete(double tol);
  int IsTrimed();
  // 1 inside the outer loop and outside every hole.
  int IsPtInParaLoop(const double uv[2]);
  // Crossings of a parameter-space line with the trim boundaries, sorted along the line.
  void GetParamSpaceIntPoint(CGeLine* line, CInterPntArray* out);
  CGeTrimBnd* PickTrimBnd(CPickRay& ray);

  // Loops and domain.
  int AddLoop(CGeTrimLoop* loop);
  CGeTrimLoop* GenRectTrimLoop(double uMin, double uMax, double vMin, double vMax);
  void ReguTrimLoopDir();
  void CalcUVBox();
  void MoveScaleTrimLoop(const double offset[2], const double scale[2]);
  // Maps the knot vectors onto [0, 1] and carries the loops' parameter curves along.
  void ReguKontVector();
  void UpdateTrimLoopEucCrv();

  // Iso curves and meshes (the results belong to the caller).
  CGeCurve3d* GenEuclidIsoCurve(CGeLine* uvLine);
  // direction: CNurbsEditor::kIsoU (constant u) or kIsoV.
  void IsoCurve(double value, int direction, CGeCurve3dList& out);
  void ComputerIsoCurve(int* counts);
  CGeMesh* DiscreteToNcMesh(double tol);

  _nurbs_surface* m_pSurface;  // owned, may be null
  CGeTrimLoopList m_LoopList;  // owned; outer loop first
  _tagBox2D m_uvBox;
  // The toolpath engine's own record of this surface: never read, copied or freed here.
  void* m_pKernelSurf;
  // The toolpath engine's sample cache: never read, copied or freed here.
  void* m_pSampleCache;

 private:
  using CGeMesh::ComputerIsoCurve;
  template <class F>
  void ForEachLoop(F&& f) {
    for (POSITION pos = m_LoopList.GetHeadPosition(); pos;)
      if (CGeTrimLoop* l = m_LoopList.GetNext(pos)) f(l);
  }
  template <class F>
  void ForEachParaCurve(F&& f);
  // Crossing pairs of the line a-b with the trim boundaries as new 2D segments.
  void CrossingSegments(const double a[2], const double b[2], CGeCurveList& segments);
};
