// Guarded scalar helpers and the kernel's global tolerance pair.
#pragma once

class CMath {
 public:
  // Arc cosine with the argument clamped to [-1, 1], so rounding never yields NaN.
  static double ACos(double c);
  // Global distance and angle tolerances (defaults 1e-4 and 0.01 rad), read by the surface
  // routines that take no explicit tolerance. Callers save and restore around a change.
  static double GetTol();
  static void SetTol(double tol);
  static double GetAng();
  static void SetAng(double ang);
};
