#include "platform/numora/Frame.h"

#include <algorithm>
#include <cmath>

#include "platform/numora/Point3d.h"

namespace {

// Inverse of the axis matrix A (columns x, y, z); false when singular.
bool InverseAxes(const _rect_fm3d* f, double inv[3][3]) {
  const double* c[3] = {f->xAxis, f->yAxis, f->zAxis};
  // A[i][j] = c[j][i]; inverse via the adjugate.
  auto A = [&](int i, int j) { return c[j][i]; };
  const double det = A(0, 0) * (A(1, 1) * A(2, 2) - A(1, 2) * A(2, 1)) -
                     A(0, 1) * (A(1, 0) * A(2, 2) - A(1, 2) * A(2, 0)) +
                     A(0, 2) * (A(1, 0) * A(2, 1) - A(1, 1) * A(2, 0));
  if (!(std::fabs(det) > 1e-300)) return false;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      const int i1 = (j + 1) % 3, i2 = (j + 2) % 3, j1 = (i + 1) % 3, j2 = (i + 2) % 3;
      inv[i][j] = (A(i1, j1) * A(i2, j2) - A(i1, j2) * A(i2, j1)) / det;
    }
  return true;
}

}  // namespace

void RF_Init(_rect_fm3d* f) {
  *f = _rect_fm3d{};
  f->xAxis[0] = f->yAxis[1] = f->zAxis[2] = 1.0;
}

void RF_TransLocalV3D(const _rect_fm3d* f, const double v[3], double out[3]) {
  double r[3];
  for (int k = 0; k < 3; ++k) r[k] = v[0] * f->xAxis[k] + v[1] * f->yAxis[k] + v[2] * f->zAxis[k];
  std::copy(r, r + 3, out);
}

void RF_TransLocalP3D(const _rect_fm3d* f, const double p[3], double out[3]) {
  RF_TransLocalV3D(f, p, out);
  for (int k = 0; k < 3; ++k) out[k] += f->origin[k];
}

void RF_TransWorldV3D(const _rect_fm3d* f, const double v[3], double out[3]) {
  double inv[3][3], r[3];
  if (InverseAxes(f, inv)) {
    for (int i = 0; i < 3; ++i) r[i] = inv[i][0] * v[0] + inv[i][1] * v[1] + inv[i][2] * v[2];
  } else {
    // Degenerate frame: projections are the best we can do.
    r[0] = V3D_Dot(v, f->xAxis);
    r[1] = V3D_Dot(v, f->yAxis);
    r[2] = V3D_Dot(v, f->zAxis);
  }
  std::copy(r, r + 3, out);
}

void RF_TransWorldP3D(const _rect_fm3d* f, const double p[3], double out[3]) {
  const double d[3] = {p[0] - f->origin[0], p[1] - f->origin[1], p[2] - f->origin[2]};
  RF_TransWorldV3D(f, d, out);
}

namespace {
// Maps a frame's origin as a point and its axes as vectors.
void MapFrame(const _rect_fm3d* f, const _rect_fm3d* a, _rect_fm3d* out,
              void (*point)(const _rect_fm3d*, const double*, double*),
              void (*vec)(const _rect_fm3d*, const double*, double*)) {
  _rect_fm3d r = *a;
  point(f, a->origin, r.origin);
  vec(f, a->xAxis, r.xAxis);
  vec(f, a->yAxis, r.yAxis);
  vec(f, a->zAxis, r.zAxis);
  *out = r;
}
}  // namespace

void RF_EvRFrame(const _rect_fm3d* f, const _rect_fm3d* a, _rect_fm3d* out) {
  MapFrame(f, a, out, RF_TransWorldP3D, RF_TransWorldV3D);
}

void RF_MultRFrame(const _rect_fm3d* outer, const _rect_fm3d* a, _rect_fm3d* out) {
  MapFrame(outer, a, out, RF_TransLocalP3D, RF_TransLocalV3D);
}

int RF_InvsRFrame(const _rect_fm3d* f, _rect_fm3d* out) {
  double inv[3][3];
  if (!InverseAxes(f, inv)) return 0;
  _rect_fm3d r = *f;
  for (int k = 0; k < 3; ++k) {
    r.xAxis[k] = inv[k][0];
    r.yAxis[k] = inv[k][1];
    r.zAxis[k] = inv[k][2];
  }
  for (int k = 0; k < 3; ++k)
    r.origin[k] = -(inv[k][0] * f->origin[0] + inv[k][1] * f->origin[1] + inv[k][2] * f->origin[2]);
  *out = r;
  return 1;
}

void RF_GetRFrameFromMatrix(const double m[4][4], _rect_fm3d* f) {
  for (int k = 0; k < 3; ++k) {
    f->xAxis[k] = m[0][k];
    f->yAxis[k] = m[1][k];
    f->zAxis[k] = m[2][k];
    f->origin[k] = m[3][k];
  }
  f->spare = 0.0;
}

void RF_RotateRFrame(_rect_fm3d* f, const double point[3], const double axis[3], double angle) {
  P3D_RotatePnt(axis, point, angle, f->origin, f->origin);
  V3D_Rotate(f->xAxis, axis, angle);
  V3D_Rotate(f->yAxis, axis, angle);
  V3D_Rotate(f->zAxis, axis, angle);
}

void RF_MirrorRFrame(_rect_fm3d* f, const double point[3], const double normal[3]) {
  const double zero[3] = {0.0, 0.0, 0.0};
  P3D_Mirror(point, normal, f->origin, f->origin);
  P3D_Mirror(zero, normal, f->xAxis, f->xAxis);
  P3D_Mirror(zero, normal, f->yAxis, f->yAxis);
  V3D_VProduct(f->xAxis, f->yAxis, f->zAxis);
}
