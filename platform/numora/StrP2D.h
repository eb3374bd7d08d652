// 2D point string: points with one parameter each and their box; grows by Append.
#pragma once

#include "platform/numora/Records.h"

class CStrP2D {
 public:
  CStrP2D() = default;
  CStrP2D(const CStrP2D& o);
  CStrP2D& operator=(const CStrP2D& o);
  ~CStrP2D();

  // count points set to zero, parameters 0 (withParams false leaves m_pParams null); 1, or 0
  // on allocation failure (string left empty).
  int Create(int count, bool withParams);
  void Clear();
  // Adds a point and its parameter (parameters are kept for every appended point); 0 on failure.
  int Append(const double p[2], double t);
  void CalcBox();
  void GetBox(_tagBox2D* box) const;

  int m_nCount = 0;
  double (*m_pPoints)[2] = nullptr;
  double* m_pParams = nullptr;
  _tagBox2D m_box{{1e300, 1e300}, {-1e300, -1e300}};

 private:
  int m_nCapacity = 0;
};
