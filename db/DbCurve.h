// Entities of plain geometry: one 2D curve, a list of 2D curves, one 3D curve; and the
// temporary curve entities that commands draw as rubber bands.
#pragma once

#include "db/DbEntity.h"
#include "geometry/shapes2d/GeCurve.h"

class CGeCurve3d;

// Closing tolerance that decides whether a curve entity counts as a closed outline.
constexpr double DB_CLOSED_TOL = 1e-6;

class CDbCurve : public CDbEntity {
  DECLARE_SERIAL(CDbCurve)

 public:
  CDbCurve();
  // Takes ownership of the curve (null allowed).
  explicit CDbCurve(CGeCurve* curve);
  ~CDbCurve() override;

  // Entity part, then the curve as an object (null allowed).
  void Serialize(CArchive& ar) override;

  int GetType() const override { return DB_ENT_CURVE; }
  int GetBaseType() const override { return DB_BASE_CURVE; }
  CDbCurve* Copy() const override;
  void Draw(CDC* pDC, int nMode) override;
  void DrawGL(COpenGLDC* pDC, int nMode) override;
  int Pick(CPickRay& ray) override;
  void Translate(const double from[2], const double to[2]) override;
  void GetBox(_tagBox2D* box) override;
  void GetBox3D(_tagBox3D* box) override;

  CGeCurve* GetCurve() const { return m_pCurve; }
  // Replaces (and deletes) the curve; the closed kind bit follows the new one.
  void SetCurve(CGeCurve* curve);

 private:
  CGeCurve* m_pCurve;
};

class CDbCurveList : public CDbEntity {
  DECLARE_SERIAL(CDbCurveList)

 public:
  CDbCurveList();
  ~CDbCurveList() override;

  // Entity part, then the curves as an object list.
  void Serialize(CArchive& ar) override;

  int GetType() const override { return DB_ENT_CURVELIST; }
  int GetBaseType() const override { return DB_BASE_CURVELIST; }
  CDbCurveList* Copy() const override;
  void Draw(CDC* pDC, int nMode) override;
  void DrawGL(COpenGLDC* pDC, int nMode) override;
  int Pick(CPickRay& ray) override;
  void Translate(const double from[2], const double to[2]) override;
  void GetBox(_tagBox2D* box) override;
  void GetBox3D(_tagBox3D* box) override;

  // Appends an owned curve (null ignored); a closed one makes the entity a closed outline.
  void AddCurve(CGeCurve* curve);
  CGeCurveList& GetCurveList() { return m_CurveList; }

 private:
  CGeCurveList m_CurveList;
};

class CDbCurve3d : public CDbEntity {
  DECLARE_SERIAL(CDbCurve3d)

 public:
  CDbCurve3d();
  // Takes ownership of the curve (null allowed).
  explicit CDbCurve3d(CGeCurve3d* curve);
  ~CDbCurve3d() override;

  // Entity part, then the curve as an object (null allowed).
  void Serialize(CArchive& ar) override;

  int GetType() const override { return DB_ENT_CURVE3D; }
  int GetBaseType() const override { return DB_BASE_CURVE3D; }
  CDbCurve3d* Copy() const override;
  void Draw(CDC* pDC, int nMode) override;
  void DrawGL(COpenGLDC* pDC, int nMode) override;
  int Pick(CPickRay& ray) override;
  void Translate(const double from[2], const double to[2]) override;
  void GetBox(_tagBox2D* box) override;
  void GetBox3D(_tagBox3D* box) override;

  CGeCurve3d* GetCurve() const { return m_pCurve; }

 private:
  CGeCurve3d* m_pCurve;
};

// Rubber-band entities for commands, owned by the caller; null when the points are not finite
// (or, for the arc, give no arc).
CDbCurve* dbGenLine(const double p1[2], const double p2[2]);
// Arc about centre from the direction of p1 to that of p2, radius |p1 - centre|;
// counter-clockwise when ccw is nonzero.
CDbCurve* dbGenArcCSE(const double centre[2], const double p1[2], const double p2[2], int ccw);
// Closed axis-parallel rectangle with corners p1 and p2.
CDbCurve* dbGenRect(const double p1[2], const double p2[2]);
