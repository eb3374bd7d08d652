// Skins NURBS surfaces through cross sections (2D or 3D curves, or single points) added in
// order: one surface per column of pieces when every section has the same number of pieces,
// otherwise one surface through the whole sections, split where it loses tangent continuity.
#pragma once

#include <vector>

#include "geometry/shapes2d/GeCurve.h"

struct _nurbs_surface;
class CGeCurve3d;

class CLoftSrfCreator {
 public:
  // One cross section: its pieces (empty for a point section) and where each piece ends, as
  // a fraction of the section's length.
  struct Section {
    Section() = default;
    ~Section();
    Section(const Section&) = delete;
    Section& operator=(const Section&) = delete;
    // A copy with copies of every curve; null when a curve cannot be copied.
    Section* Clone() const;
    void CalcBreaks();

    CGeCurve3dList pieces;
    std::vector<double> breaks;
    double point[3] = {0, 0, 0};
    CGeCurve3dList extra;
  };

  CLoftSrfCreator() = default;
  ~CLoftSrfCreator();
  // Copies duplicate the sections, so that each creator frees only its own; a curve that
  // cannot be copied throws the class library's memory exception and leaves the target as it was.
  CLoftSrfCreator(const CLoftSrfCreator& other);
  CLoftSrfCreator& operator=(const CLoftSrfCreator& other);

  // A null curve, or one without elements, adds nothing.
  void AddCross(CGeCurve* curve, bool reverse, bool standUp);
  void AddCross(CGeCurve3d* curve, bool reverse);
  void AddCrossPoint(const double p[3]);
  // Both append the surfaces they make to out (the caller owns them). CreatLoftSurf returns 1
  // when it appended a surface, else 0. CreatLoftSurfEqu returns 1 when every one of the count
  // columns gave a surface; it appends nothing and returns 0 when a section has fewer than
  // count pieces.
  int CreatLoftSurf(std::vector<_nurbs_surface*>& out);
  int CreatLoftSurfEqu(std::vector<_nurbs_surface*>& out, int count);

  int m_nOption = 4;
  std::vector<Section*> m_sections;

 private:
  void Clear();
};
