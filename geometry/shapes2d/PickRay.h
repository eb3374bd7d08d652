// Pick request (a ray through the cursor with a pick radius and the best distances met so
// far) and the record of one hit.
#pragma once

#include "platform/vurode/Vurode.h"

class CGeCurve;

class CPickRay {
 public:
  CPickRay();
  explicit CPickRay(const Position& pos);
  CPickRay(const Position& pos, double radius);
  ~CPickRay();

  void SetPos(const Position& pos);

  int m_nScrX;
  int m_nScrY;
  double m_ptOrigin[3];
  double m_vDir[3];
  double m_dRadius;   // world units
  double m_dDist3D;   // best 3D distance, 1e12 while none
  double m_dDist2D;   // best 2D distance, 1e12 while none
  double m_dParam;
  double m_dReserved;
  int m_nIndex;
  int m_b2D;          // ray of a 2D view
  int m_nTypeMask;    // shape type codes that may be picked
};

class CGeHitResult {
 public:
  CGeHitResult() { Init(); }
  void Init();

  CGeCurve* m_pCurve;
  int m_nData1;
  int m_nData2;
  int m_nSeg;
  double m_dT;
  double m_ptHit[2];
  int m_nData3;
  double m_dData1;
  double m_dData2;
};
