// Chain of 3D vertices. Vertex-based parameters are written k + f: segment k (from 1, vertex
// k-1 to vertex k) and the fraction f along it.
#pragma once

#include "geometry/shapes3d/GeCurve3d.h"

class CGePolyline3d : public CGeCurve3d {
  DECLARE_SERIAL(CGePolyline3d)

 public:
  CGePolyline3d();
  // count vertices, not initialised.
  explicit CGePolyline3d(int count);
  ~CGePolyline3d() override;

  // Curve part, count (32-bit), then count × (x, y, z); a count below 2 stores no points.
  void Serialize(CArchive& ar) override;

  int GetType() const override;
  CGePolyline3d* Copy() override;
  void CalcBox() override;
  void Translate(const double v[2]) override;
  void Translate3D(const double v[3]) override;
  void Rotate(const double centre[2], double angle) override;
  void Rotate3D(const double point[3], const double axis[3], double angle) override;
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
  int GetSnapPos(CSnapAt* snap, CSnapResult& result) override;
  int IsPlanar(double tol, double point[3], double vector[3]) override;
  void Discrete(double tol, CStrP3D& str) override;
  // More than 15 vertices: fitted NURBS pieces; otherwise one line per segment.
  void DiscreteToElement(CGeCurve3dList* list) override;
  int GetDiscStep(double tol, double& step) override;
  int GetSegmentCount() override;
  void GetStartPoint(double p[3]) override;
  void GetEndPoint(double p[3]) override;
  // t = k + f.
  void GetPointAt(double t, double p[3], int seg) override;
  void GetStartTanVec(double v[3]) override;
  void GetEndTanVec(double v[3]) override;
  void GetTanVecAt(double t, double p[3], double v[3], int seg) override;
  // t is the fraction along segment seg.
  void Ev2Der(double t, double p[3], double d1[3], double d2[3], unsigned seg) override;
  void Reverse() override;
  int EvParam(double length, double& t, unsigned& seg) override;
  // seg is the segment number; t the fraction along it.
  void Split(double t, CGeCurve3d** out, int seg) override;
  int GetSplitParam(double*& params) override;

  // 1 on success; 0 (nothing changed) for a null array or fewer than 2 points.
  int Create(int count, const double (*pts)[3]);
  // The 2D form puts the vertices at z = 0.
  int Create(int count, const double (*pts)[2]);
  void DelCtrlPt(int index);
  void DelCtrlPt(const int* indices, int k);
  // Cuts at the listed (ascending) vertex indices; pieces of at least 2 vertices are appended.
  void SplitInNode(const int* indices, int k, CGeCurve3dList* list);

  double (*m_pVertex)[3];  // owned, array new
  int m_nCount;
};

// 3D elements of a point chain, appended to list: NURBS pieces fitted through more than 15
// points, otherwise (or when no piece could be fitted) one line per segment.
void geAppendChainElements(const double (*pts)[3], int n, CGeCurve3dList* list);
