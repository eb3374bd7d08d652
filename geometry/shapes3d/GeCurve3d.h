// Abstract 3D curve. Every curve keeps its discretisation at the tolerance last asked for (a
// point string with one parameter per point, 0 at the start and 1 at the end) in step with its
// exact geometry; drawing, picking, boxes and lengths work on it.
// The order of the virtual operations is part of the library's binary interface.
#pragma once

#include "geometry/shapes2d/GeCurve.h"
#include "geometry/shapes3d/GeShape3d.h"
#include "platform/vurode/Vurode.h"

class CSnapAt;
class CSnapResult;
class CPickRay;

// IsPlanar results.
constexpr int GE_PLANAR_NONE = 0;      // not planar, or no geometry
constexpr int GE_PLANAR_PLANE = 1;     // point of the plane and its unit normal
constexpr int GE_PLANAR_LINE = 2;      // point and unit direction
constexpr int GE_PLANAR_POINT = 3;     // the point

class CGeCurve3d : public CGeShape3d {
 public:
  CGeCurve3d();
  ~CGeCurve3d() override;

  // Stores the shape part always; loads it unless the document being loaded is older than
  // version 5.
  void Serialize(CArchive& ar) override;

  CGeCurve3d* Copy() override;
  // The cache's box.
  void CalcBox() override;
  void CalcScreenBox(_tagBox2D* box) override;
  // Transforms of the cache; concrete curves move their own geometry first.
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

  virtual void Draw(CDC* pDC, int nMode);
  virtual void DrawGL(COpenGLDC* pDC, int nMode);
  virtual void DrawNode(CDC* pDC, int bFirst, int bLast);
  virtual int GetNodeBox(_tagBox3D* box);
  virtual int GetSnapPos(CSnapAt* snap, CSnapResult& result) = 0;
  // Nearest point of the cache to p, in xy or in space: point, parameter within the segment,
  // segment (from 1) and distance. 0 without at least two cached points.
  virtual int GetNearestPoint2D(const double p[3], double out[3], double& t, unsigned& seg,
                                double& dist);
  virtual int GetNearestPoint3D(const double p[3], double out[3], double& t, unsigned& seg,
                                double& dist);
  // Point whose tangent line passes through p; t in as the start guess.
  virtual int GetTanPt(const double p[3], double& t, double out[3], double& dist);
  virtual int Pick(CPickRay& ray, int filter);
  virtual int IsPlanar(double tol, double point[3], double vector[3]);
  virtual void DiscreteMe(double tol);
  virtual void Discrete(double tol, CStrP3D& str) = 0;
  virtual void DiscreteToElement(CGeCurve3dList* list);
  virtual int GetDiscStep(double tol, double& step);
  virtual int GetSegmentCount();
  virtual void GetStartPoint(double p[3]) = 0;
  virtual void GetEndPoint(double p[3]) = 0;
  virtual void GetPointAt(double t, double p[3], int seg) = 0;
  virtual void GetStartTanVec(double v[3]) = 0;
  virtual void GetEndTanVec(double v[3]) = 0;
  virtual void GetTanVecAt(double t, double p[3], double v[3], int seg) = 0;
  virtual void Ev2Der(double t, double p[3], double d1[3], double d2[3], unsigned seg) = 0;
  virtual void Reverse();
  virtual int IsClosed(double tol);
  virtual double EvTotalArcLength();
  // Length of the xy projection.
  virtual double EvTotalArcLength2D();
  virtual int EvParam(double length, double& t, unsigned& seg) = 0;
  // out[0], out[1] receive new curves (either may be null); t outside [0, 1] leaves them.
  virtual void Split(double t, CGeCurve3d** out, int seg) = 0;
  // New array (array new, the caller deletes it) of the parameters where the curve may be
  // split; returns its size.
  virtual int GetSplitParam(double*& params);

  // Discretisation cache and a free mark for the loop tools (copied, not stored).
  CStrP3D m_strDisc;
  int m_nTag;

 protected:
  // Recomputes the cache's box after its points moved and copies it into the shape box.
  void SyncBoxWithCache();
  // Whether the extension data word asks for the highlight colour.
  bool UsesExtColor() const;
  // GDI drawing of a point chain as Draw does it: view culling, pen, clipped polyline.
  void DrawPoints(CDC* pDC, int nMode, const double (*pts)[3], int n);
  // One node marker, ±3 pixels about the point's screen position: the first point as an
  // ellipse with its own pen, the others as rectangles with the current pen.
  static void DrawNodeMarker(CDC* pDC, CVurode* view, const double p[3], bool first);
};
