// Helpers of the NURBS, offset and composite curve tests: archive bytes and round trips, and a
// few curves with known geometry.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "geometry/shapes3d/GeNrbCrv3d.h"
#include "platform/afx/Afx.h"
#include "platform/vurode/KXGlobal.h"
#include "support/VurodeFixture.h"

namespace c3t {

constexpr double kPi = 3.14159265358979323846;

// Bytes of an object's own Serialize.
template <typename T>
std::vector<BYTE> Fields(T& ob) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    ob.Serialize(ar);
    ar.Close();
  }
  std::vector<BYTE> bytes(static_cast<size_t>(file.GetLength()));
  file.SeekToBegin();
  file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
  return bytes;
}

inline int32_t Int(const std::vector<BYTE>& b, size_t at) {
  int32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}
inline double Dbl(const std::vector<BYTE>& b, size_t at) {
  double v;
  std::memcpy(&v, b.data() + at, 8);
  return v;
}
inline void PutInt(std::vector<BYTE>& b, size_t at, int32_t v) { std::memcpy(b.data() + at, &v, 4); }
inline void PutDbl(std::vector<BYTE>& b, size_t at, double v) { std::memcpy(b.data() + at, &v, 8); }

// Loads an object of class T from raw Serialize bytes (the caller owns it). Throws what the
// archive throws.
template <typename T>
T* LoadFields(const std::vector<BYTE>& bytes) {
  std::vector<BYTE> copy(bytes);
  CMemFile file(copy.data(), static_cast<UINT>(copy.size()));
  CArchive ar(&file, CArchive::load);
  auto* ob = new T;
  try {
    ob->Serialize(ar);
  } catch (...) {
    delete ob;
    throw;
  }
  return ob;
}

// Through the persistent-object format and back; null when the archive holds no T.
template <typename T>
T* RoundTrip(const CObject* ob) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    ar << ob;
    ar.Close();
  }
  file.SeekToBegin();
  CArchive ar(&file, CArchive::load);
  CObject* loaded = ar.ReadObject(nullptr);
  auto* t = dynamic_cast<T*>(loaded);
  if (!t) delete loaded;
  return t;
}

inline double Dist(const double a[3], const double b[3]) { return P3D_Dist(a, b); }

// Exact rational circle of radius r about c in the plane z = c.z, counter-clockwise.
inline CGeNrbCrv3d* Circle(double r, const double c[3] = nullptr) {
  BCRV* crv = BCRV_New();
  const double o[3] = {0.0, 0.0, 0.0};
  crv->GenCircle(c ? c : o, r);
  if (c) {
    const double dz[3] = {0.0, 0.0, c[2]};
    crv->Move(dz);
  }
  return new CGeNrbCrv3d(crv);
}

// Interpolating cubic through a helix-like wave (not planar).
inline CGeNrbCrv3d* Wave() {
  double pts[9][3];
  for (int i = 0; i < 9; ++i) {
    pts[i][0] = i;
    pts[i][1] = std::sin(i * 0.8) * 2.0;
    pts[i][2] = std::cos(i * 0.5);
  }
  auto* c = new CGeNrbCrv3d;
  c->CreateInterp(pts, 9, 3, 0.01);
  return c;
}

// Base fixture: default settings plus a settings object of the current document version, so
// that curves store and load their shape part.
class Curve3dTest : public VurodeTest {
 protected:
  void SetUp() override {
    VurodeTest::SetUp();
    gNewKXGlobal();
  }
};

}  // namespace c3t
