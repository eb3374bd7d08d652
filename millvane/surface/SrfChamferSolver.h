// Chamfer between two groups of trimmed surfaces: the fillet solver with its own offset
// distance per side and straight cross-sections, giving a ruled band.
#pragma once

#include "millvane/surface/SrfFilletSolver.h"

class CSrfChamferSolver : public CSrfFilletSolver {
 public:
  CSrfChamferSolver() = default;
  ~CSrfChamferSolver() override = default;

  // The first distance also becomes the radius, which IsReady tests.
  void SetDistances(double first, double second);
  // Appends the chamfer bands (and, when asked, the trimmed faces) to out. 1 when the run
  // appended surfaces, else 0.
  int Chamfer(CGeTrimSurfList* out);

  double m_dDist1 = 1.0;  // offset of the first side's faces
  double m_dDist2 = 1.0;  // offset of the second side's faces
};
