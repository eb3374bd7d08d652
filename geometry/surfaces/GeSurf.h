// Abstract base of every surface: the shape root plus two lists of iso curves that stand for
// the surface in wireframe display, 2D picking and, failing anything better, its box.
// The order of the virtual operations is part of the library's binary interface.
#pragma once

#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/shapes3d/GeCurve3d.h"
#include "geometry/shapes3d/GeShape3d.h"

class CDC;
class COpenGLDC;
class CPickRay;

class CGeSurf : public CGeShape3d {
 public:
  CGeSurf();
  ~CGeSurf() override;
  CGeSurf(const CGeSurf&) = delete;
  CGeSurf& operator=(const CGeSurf&) = delete;

  void Serialize(CArchive& ar) override;
  CGeSurf* Copy() override;
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

  virtual CGeCurve3d* UIsoCurve(double u);
  virtual CGeCurve3d* VIsoCurve(double v);
  virtual void ClearIsoCurve();
  virtual void Draw(CDC* pDC);
  virtual void DrawGL(COpenGLDC* pDC, int nMode);
  virtual void GetBox2D(_tagBox2D* box);
  virtual int Pick(CPickRay& ray, int filter);

  // Box and copies of the source's iso curves, appended to what this surface holds.
  void CopyFromSurf(CGeSurf* src);

  // Owned. U: first parameter constant (meshes, grids: sections at constant x); V: the second
  // (constant y).
  CGeCurve3dList m_UIsoCurveList;
  CGeCurve3dList m_VIsoCurveList;

 protected:
  // Visits the U list then the V list, head to tail, skipping null entries.
  template <class F>
  void ForEachIsoCurve(F&& f) {
    for (CGeCurve3dList* list : {&m_UIsoCurveList, &m_VIsoCurveList})
      for (POSITION pos = list->GetHeadPosition(); pos;)
        if (CGeCurve3d* c = list->GetNext(pos)) f(c);
  }
  // The same walk for the transforms that may hand back a new curve (f returns the result).
  template <class F>
  void ReplaceEachIsoCurve(F&& f);
};
