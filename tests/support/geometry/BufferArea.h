// Signed area enclosed by a curve's point buffer, as the last area or drawing call filled it.
#pragma once

#include <cstddef>
#include <utility>

#include "geometry/shapes2d/GeCurve.h"
#include "support/ShoelaceArea.h"

inline double BufferArea(const CGeCurve& c) {
  return shoelace::Area(c.m_nSWPoint > 0 ? size_t(c.m_nSWPoint) : 0, [&](size_t i) {
    return std::pair(c.m_pSWPoint[i][0], c.m_pSWPoint[i][1]);
  });
}
