// Helpers of the 3D shape tests: raw archive records, hostile streams and point comparisons.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/afx/Afx.h"
#include "support/ArchiveBytes.h"
#include "support/VurodeFixture.h"

namespace shapes3d_test {

using archive_bytes::Fields;
using archive_bytes::LoadFields;

// Stores through the persistent-object format and loads back an object of class T.
template <typename T>
std::unique_ptr<T> RoundTrip(const CObject* ob) {
  return std::unique_ptr<T>(archive_bytes::RoundTrip<T>(ob));
}

inline int32_t Int(const std::vector<BYTE>& b, size_t at) { return archive_bytes::Get<int32_t>(b, at); }
inline double Dbl(const std::vector<BYTE>& b, size_t at) { return archive_bytes::Get<double>(b, at); }

// Builds a little-endian record by hand.
struct Record {
  std::vector<BYTE> bytes;
  Record& I(int32_t v) { return Put(&v, 4); }
  Record& D(double v) { return Put(&v, 8); }
  Record& Put(const void* p, size_t n) {
    const auto* b = static_cast<const BYTE*>(p);
    bytes.insert(bytes.end(), b, b + n);
    return *this;
  }
};

inline double Dist(const double a[3], const double b[3]) {
  return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                   (a[2] - b[2]) * (a[2] - b[2]));
}

// Distance from p to the segment a-b.
inline double SegDist(const double p[3], const double a[3], const double b[3]) {
  double ab[3], ap[3];
  for (int k = 0; k < 3; ++k) {
    ab[k] = b[k] - a[k];
    ap[k] = p[k] - a[k];
  }
  const double l2 = ab[0] * ab[0] + ab[1] * ab[1] + ab[2] * ab[2];
  double t = l2 > 0.0 ? (ap[0] * ab[0] + ap[1] * ab[1] + ap[2] * ab[2]) / l2 : 0.0;
  t = std::fmin(1.0, std::fmax(0.0, t));
  const double f[3] = {a[0] + t * ab[0], a[1] + t * ab[1], a[2] + t * ab[2]};
  return Dist(p, f);
}

// Points (anything indexable by 0..2) equal within tol in every coordinate.
template <typename A, typename B>
::testing::AssertionResult PtNear(const A& a, const B& b, double tol) {
  for (int k = 0; k < 3; ++k)
    if (!(std::fabs(a[k] - b[k]) <= tol))
      return ::testing::AssertionFailure() << "(" << a[0] << ", " << a[1] << ", " << a[2]
                                           << ") vs (" << b[0] << ", " << b[1] << ", " << b[2]
                                           << ")";
  return ::testing::AssertionSuccess();
}
#define EXPECT_PT_NEAR(a, b, tol) EXPECT_TRUE(::shapes3d_test::PtNear((a), (b), (tol)))

}  // namespace shapes3d_test
