// Abstract planar curve. Every curve keeps a discretised copy of itself (the point buffer)
// that drawing, picking, the base transforms and the area work on; it is rebuilt from the
// defining data with the current tolerance whenever the geometry changes and after loading.
#pragma once

#include "geometry/shapes2d/GeShape2d.h"
#include "platform/vurode/Vurode.h"

class CPickRay;
class CGeHitResult;
class CGeCurve3d;

// Intermediate discretisations travel as single-precision point arrays.
using CPoint2dArray = CArray<tagPoint2d, tagPoint2d&>;
class CGeCurve;
using CGeCurveList = CTypedPtrList<CObList, CGeCurve*>;
using CGeCurve3dList = CTypedPtrList<CObList, CGeCurve3d*>;

class CGeCurve : public CGeShape2d {
 public:
  CGeCurve();
  ~CGeCurve() override;
  // The point buffer is owned: copies get their own.
  CGeCurve(const CGeCurve& other);
  CGeCurve& operator=(const CGeCurve& other);

  void Serialize(CArchive& ar) override;

  int GetType() const override;
  CGeCurve* Copy() override;
  int GetSnapPos(CSnapAt* snap, CSnapResult& result) override;
  void CalcBox2d() override;
  void CalcScreenBox(_tagBox2D* box) override;
  void GetBox2d(_tagBox2D* box) override;
  void Translate(const double v[2]) override;
  void Rotate(const double c[2], double angle) override;
  void Mirror(const double p[2], const double d[2]) override;
  CGeShape2d* Scale(const double base[2], const double f[2]) override;

  virtual void Draw(CDC* pDC, int bWhole);
  virtual void DrawGL(COpenGLDC* pDC, int nMode);
  virtual void DrawNode(CDC* pDC, int bStart, int bEnd);
  virtual void GetNodeBox(_tagBox2D* box);
  virtual void ModifyStartPoint(const double p[2]);
  virtual void ModifyEndPoint(const double p[2]);
  virtual int Pick(CPickRay& ray, int filter);
  virtual int Hit(CPickRay& ray, CGeHitResult& result);
  virtual void Discrete(double tol, CPoint2dArray* pts, double ang, bool refine);
  virtual void Discrete(double tol, double ang);
  virtual void Discrete(double tol);
  virtual CGeCurve* DiscreteToPLine(double tol, double ang);
  virtual void DiscreteToElement(CGeCurve3dList* list);
  virtual int GetDiscStep(double tol, double& step);
  virtual int GetSegmentCount();
  virtual void GetStartPoint(double p[2]);
  virtual void GetEndPoint(double p[2]);
  virtual int GetStartTan(double v[2]);
  virtual int GetEndTan(double v[2]);
  virtual void GetPointAt(double t, double p[2], unsigned seg);
  virtual int GetPointEx(double t, double p[2]);
  virtual void GetTanVecAt(double t, double v[2], unsigned seg);
  virtual void EvPos(double t, double p[2], unsigned seg);
  virtual void Ev1Der(double t, double p[2], double d1[2], unsigned seg);
  virtual void Ev2Der(double t, double p[2], double d1[2], double d2[2], unsigned seg);
  virtual int GetNearestPoint(const double pt[2], double nearPt[2], double& t, unsigned& seg,
                              double& dist);
  virtual int GetTanPt(const double from[2], double& t, int& seg, double touch[2]);
  virtual int EvParam(double length, double& t, unsigned& seg);
  virtual double EvArcLength(double t0, double t1, unsigned seg);
  virtual double EvTotalArcLength();
  virtual int IsLongerThan(double length);
  virtual double EvArea();
  virtual int IsClosed(double tol);
  virtual void Reverse();
  virtual CGeCurve* Offset(double dist);
  virtual void Split(double t, CGeCurve* out[2], int nOpt1, int nOpt2);
  virtual void BiArcAppx(double tol, CGeCurveList* list);
  virtual CGeShape2d* Shift(const double p[2], const double q[2]);
  virtual void Transform(const double m[3][3]);

  // Buffer management: n <= 0 does nothing; otherwise the old buffer is replaced by n
  // uninitialised points.
  void AllocSWMem(int n);
  void CopySWPoint(const double (*pts)[2], int n);

  // Point buffer (owned, array new) and its count; the closed flag is what IsClosed answers
  // in the base and what the archive stores.
  double (*m_pSWPoint)[2];
  int m_nSWPoint;
  int m_nClosed;

 protected:
  // Newton search for the parameter whose tangent line passes through `from`.
  int SolveTangentParam(double& t, int& seg, const double from[2], double touch[2]);
  // End-point markers shared by the line and the arc.
  static void DrawEndNodes(CDC* pDC, const double start[2], const double end[2], int bStart,
                           int bEnd);
  // Clamps a segment number into 1..GetSegmentCount(), reading 0 as 1.
  unsigned ValidSegment(unsigned seg);
  // View-box test of drawing in a 2D view with the box check on: true when the curve lies
  // outside the view; `contained` tells whether it lies wholly inside.
  bool IsOutsideView(CVurode* view, bool& contained);
  // The nearer of two end points to pt (ties go to the end), as a nearest-point answer.
  static void NearerEnd(const double pt[2], const double start[2], const double end[2],
                        double nearPt[2], double& t, double& dist);
};

// New empty curve of a type code; null for codes without a creatable class.
CGeCurve* CreateCurve(int type);
// Arc length from the start of the curve to parameter t of segment seg.
double geCurveLength(CGeCurve* curve, double t, unsigned seg);
