// A closed chain of trim bounds in the UV domain, with its signed area, islands and box.
#pragma once

#include "millvane/surface/EdTrimBound.h"

class CEdTrimSurf;
class CGeTrimLoop;

class CEdTrimLoop {
 public:
  CEdTrimLoop();
  ~CEdTrimLoop();
  CEdTrimLoop(const CEdTrimLoop&) = delete;
  CEdTrimLoop& operator=(const CEdTrimLoop&) = delete;

  int AddBound(CEdTrimBound* bound);
  int AddIsland(CEdTrimLoop* island);
  void ConnectBound();
  double CalcLoopArea();
  void CalcBox();
  int IsPointIn(const double p[2]);
  // A new Geometry loop (owned by the caller) with one bound per editor bound; islands are
  // converted by the caller one by one. Null when the loop has no bound with a segment.
  CGeTrimLoop* ConvertToTopoLoop();

  CEdTrimBound* m_pFirst;
  CEdTrimBound* m_pLast;
  CEdTrimLoop* m_pNext;
  double m_dArea;
  CEdTrimLoop* m_pIsland;
  _tagBox2D m_box;
  CEdTrimSurf* m_pOwner;
};
