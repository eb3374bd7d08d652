#include "platform/numora/Matrix.h"

#include <cmath>

void MAT33_Unit(double m[3][3]) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) m[i][j] = i == j ? 1.0 : 0.0;
}

int MAT33_IsUnit(const double m[3][3]) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      if (!(std::fabs(m[i][j] - (i == j ? 1.0 : 0.0)) <= 1e-12)) return 0;
  return 1;
}

void MAT33_MultPt(const double m[3][3], const double pt[2], double out[2]) {
  const double x = m[0][0] * pt[0] + m[0][1] * pt[1] + m[0][2];
  const double y = m[1][0] * pt[0] + m[1][1] * pt[1] + m[1][2];
  double w = m[2][0] * pt[0] + m[2][1] * pt[1] + m[2][2];
  if (w == 0.0) w = 1.0;
  out[0] = x / w;
  out[1] = y / w;
}

void MAT33_MultPt(const double m[3][3], double pt[2]) { MAT33_MultPt(m, pt, pt); }

void MAT33_GenRotZ1(double m[3][3], double angle, const double centre[2]) {
  const double c = std::cos(angle), s = std::sin(angle);
  const double cx = centre ? centre[0] : 0.0, cy = centre ? centre[1] : 0.0;
  MAT33_Unit(m);
  m[0][0] = c;
  m[0][1] = -s;
  m[1][0] = s;
  m[1][1] = c;
  // Translation keeps the centre fixed: t = c - R c.
  m[0][2] = cx - (c * cx - s * cy);
  m[1][2] = cy - (s * cx + c * cy);
}

void MAT44_Unit(double m[4][4]) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) m[i][j] = i == j ? 1.0 : 0.0;
}

void MAT44_MultPt(const double m[4][4], const double p[3], double out[3]) {
  double r[4];
  for (int i = 0; i < 4; ++i) r[i] = m[i][0] * p[0] + m[i][1] * p[1] + m[i][2] * p[2] + m[i][3];
  const double w = r[3] == 0.0 ? 1.0 : r[3];
  out[0] = r[0] / w;
  out[1] = r[1] / w;
  out[2] = r[2] / w;
}
