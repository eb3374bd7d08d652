// Toolpaths as the drawing stores them: a group of units, each unit one continuous cut held
// as a composite 3D curve.
#pragma once

#include "db/DbEntity.h"

class CGeCombCurve3d;

class CDbPathUnit : public CDbEntity {
  DECLARE_SERIAL(CDbPathUnit)

 public:
  CDbPathUnit();
  ~CDbPathUnit() override;

  // Entity part, then the curve as an object (null allowed).
  void Serialize(CArchive& ar) override;

  int GetType() const override { return DB_ENT_PATHUNIT; }
  int GetBaseType() const override { return DB_BASE_PATH; }
  CDbPathUnit* Copy() const override;
  void Draw(CDC* pDC, int nMode) override;
  void DrawGL(COpenGLDC* pDC, int nMode) override;
  int Pick(CPickRay& ray) override;
  void Translate(const double from[2], const double to[2]) override;
  void GetBox(_tagBox2D* box) override;
  void GetBox3D(_tagBox3D* box) override;

  // The cut, owned by the unit (deleted with it); null while empty.
  CGeCombCurve3d* m_pCurve;
};

using CDbPathUnitList = CTypedPtrList<CObList, CDbPathUnit*>;

class CDbPathGroup : public CDbEntity {
  DECLARE_SERIAL(CDbPathGroup)

 public:
  CDbPathGroup();
  ~CDbPathGroup() override;

  // Entity part, then the units as an object list.
  void Serialize(CArchive& ar) override;

  int GetType() const override { return DB_ENT_PATHGROUP; }
  int GetBaseType() const override { return DB_BASE_PATH; }
  CDbPathGroup* Copy() const override;
  void Draw(CDC* pDC, int nMode) override;
  void DrawGL(COpenGLDC* pDC, int nMode) override;
  int Pick(CPickRay& ray) override;
  void Translate(const double from[2], const double to[2]) override;
  void GetBox(_tagBox2D* box) override;
  void GetBox3D(_tagBox3D* box) override;

  // Sum of the units' curve lengths.
  double EvTotalArcLength() const;

  // The units in cutting order, owned by the group.
  CDbPathUnitList m_UnitList;
};
