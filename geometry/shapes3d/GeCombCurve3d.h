// Composite 3D curve: an owned, ordered list of 3D curves meant to run end to start. Positions
// name a sub-curve (1-based, counting non-null entries) and a parameter whose integer part
// above 1 is the segment inside that sub-curve.
#pragma once

#include "geometry/shapes3d/GeCurve3d.h"

class CGePolyline3d;

class CGeCombCurve3d : public CGeCurve3d {
  DECLARE_SERIAL(CGeCombCurve3d)

 public:
  CGeCombCurve3d();
  ~CGeCombCurve3d() override;

  // Curve part, then the sub-curves as an object list.
  void Serialize(CArchive& ar) override;

  int GetType() const override;
  CGeCombCurve3d* Copy() override;
  void CalcBox() override;
  void CalcScreenBox(_tagBox2D* box) override;
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

  void Draw(CDC* pDC, int nMode) override;
  void DrawGL(COpenGLDC* pDC, int nMode) override;
  void DrawNode(CDC* pDC, int bFirst, int bLast) override;
  int GetNodeBox(_tagBox3D* box) override;
  int GetSnapPos(CSnapAt* snap, CSnapResult& result) override;
  int Pick(CPickRay& ray, int filter) override;
  int IsPlanar(double tol, double point[3], double vector[3]) override;
  void Discrete(double tol, CStrP3D& str) override;
  void DiscreteToElement(CGeCurve3dList* list) override;
  int GetSegmentCount() override;
  void GetStartPoint(double p[3]) override;
  void GetEndPoint(double p[3]) override;
  // t on sub-curve k: t <= 1 is that curve's own parameter, above 1 its integer part is the
  // segment (polylines) and the fraction the parameter.
  void GetPointAt(double t, double p[3], int k) override;
  void GetStartTanVec(double v[3]) override;
  void GetEndTanVec(double v[3]) override;
  void GetTanVecAt(double t, double p[3], double v[3], int k) override;
  void Ev2Der(double t, double p[3], double d1[3], double d2[3], unsigned k) override;
  void Reverse() override;
  int EvParam(double length, double& t, unsigned& seg) override;
  void Split(double t, CGeCurve3d* pieces[2], int k) override;
  int GetSplitParam(double*& params) override;

  // Appends (prepends) an owned curve; a composite hands over its sub-curves in order and is
  // deleted (an empty one is left to the caller). Null is ignored.
  void AddTail(CGeCurve3d* curve);
  void AddHead(CGeCurve3d* curve);
  // The k-th non-null sub-curve (1-based), or null.
  CGeCurve3d* GetSubCurve(int k);
  // 1 when each sub-curve starts closer than tol to the previous one's end.
  int IsLinked(double tol);
  // Writes the extension data word into the sub-curves and their sub-curves (one level).
  void SetExtData(int32_t word);
  // New polyline through the discretisation at tol (its own cache stays empty).
  CGePolyline3d* Convert(double tol);

  CGeCurve3dList m_CurveList;

 protected:
  void Insert(CGeCurve3d* curve, bool atHead);
  // Sub-curve k and the parameter and segment that t decodes to; null when absent.
  CGeCurve3d* Locate(double t, int k, double& u, int& seg);
  // Replaces each sub-curve by what op answers when that is another curve (the old one is
  // deleted); a null answer keeps the entry.
  template <class Op>
  void ReplaceEach(Op op);
  // After the sub-curves moved: the cache follows through the base transform, then the box.
  template <class Op>
  void Finish(Op cacheOp);
};
