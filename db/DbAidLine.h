// A guide line: an endless horizontal or vertical line across the 2D view that drawing snaps
// to. It holds one coordinate (the y of a horizontal line, the x of a vertical one).
#pragma once

#include <cstdint>

#include "db/DbEntity.h"

class CDbAidLine : public CDbEntity {
  DECLARE_SERIAL(CDbAidLine)

 public:
  enum : int32_t {
    HORIZONTAL = 0,
    VERTICAL = 1,
  };

  CDbAidLine();
  // Any orientation other than HORIZONTAL makes a vertical line; a coordinate that is not
  // finite is taken as 0.
  CDbAidLine(double coord, int orientation, int visible);

  // Entity part, the coordinate (double), the orientation (int32). Loading refuses an
  // orientation other than 0 or 1 and a coordinate that is not finite.
  void Serialize(CArchive& ar) override;

  int GetType() const override { return DB_ENT_AIDLINE; }
  int GetBaseType() const override { return DB_BASE_AIDLINE; }
  CDbAidLine* Copy() const override;
  // Across the whole view in the 2D view; the 3D view shows no guide lines.
  void Draw(CDC* pDC, int nMode) override;
  // Within the ray's radius of the line (a 3D ray where it meets the plane z = 0).
  int Pick(CPickRay& ray) override;
  // Moves the line across itself: by the y of to - from when horizontal, by the x otherwise.
  void Translate(const double from[2], const double to[2]) override;
  // An endless line has no box: empty, so that fitting the view to the drawing ignores it.
  void GetBox(_tagBox2D* box) override;
  void GetBox3D(_tagBox3D* box) override;

  double GetCoord() const { return m_dCoord; }
  // FALSE (unchanged) for a coordinate that is not finite.
  BOOL SetCoord(double coord);
  int GetOrientation() const { return m_nOrient; }
  int IsHorizontal() const { return m_nOrient == HORIZONTAL ? 1 : 0; }

 private:
  double m_dCoord;
  int32_t m_nOrient;
};
