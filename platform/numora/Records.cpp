#include "platform/numora/Records.h"

#include <cmath>

void CVector3d::Normalize() {
  const double len = std::sqrt(double(x) * x + double(y) * y + double(z) * z);
  if (len > 0.0) {
    x = float(x / len);
    y = float(y / len);
    z = float(z / len);
  }
}
