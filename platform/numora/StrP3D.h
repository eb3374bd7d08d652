// 3D point string: the discretised copy that 3D curves keep. Fields are read directly.
#pragma once

#include "platform/numora/Records.h"

class CStrP3D {
 public:
  CStrP3D() = default;
  CStrP3D(const CStrP3D& o);
  CStrP3D& operator=(const CStrP3D& o);
  ~CStrP3D();

  // count points set to zero; parameters (all 0) only with withParams. The third flag is
  // accepted for callers that pass it and has no effect. 1, or 0 on allocation failure.
  int Create(int count, bool withParams, bool reserved);
  void Clear();
  // Deep copy into dst (its previous contents are released); 0 on allocation failure.
  int CopyTo(CStrP3D& dst) const;
  void CalcBox();
  void GetBox(_tagBox3D* box) const;
  double EvLength() const;
  // Length of the xy projection.
  double EvLength2D() const;
  // Signed area of the xy projection, closed by the last-to-first edge; positive
  // counter-clockwise.
  double EvArea() const;
  // Reverses the points; parameters are reversed and mapped p -> first + last - p so that they
  // still increase along the string.
  void Reverse();
  // Nearest segment to the line origin + s·direction within radius (see SP3D_Pick3d).
  int Pick3d(const double origin[3], const double direction[3], double radius, double& depth,
             double& t, int& seg) const;

  int m_nCount = 0;
  double (*m_pPoints)[3] = nullptr;
  double* m_pParams = nullptr;
  _tagBox3D m_box{{1e300, 1e300, 1e300}, {-1e300, -1e300, -1e300}};
};
