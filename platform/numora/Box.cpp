#include "platform/numora/Box.h"

#include <algorithm>

namespace {

constexpr double kHuge = 1e300;

template <int N, class B>
void Init0(B* b) {
  for (int k = 0; k < N; ++k) {
    b->min[k] = kHuge;
    b->max[k] = -kHuge;
  }
}

template <int N, class B>
bool Valid(const B* b) {
  for (int k = 0; k < N; ++k)
    if (!(b->max[k] >= b->min[k])) return false;
  return true;
}

template <int N, class B>
void Extend(B* b, const double* p) {
  for (int k = 0; k < N; ++k) {
    b->min[k] = std::min(b->min[k], p[k]);
    b->max[k] = std::max(b->max[k], p[k]);
  }
}

template <int N, class B>
void Union(B* b, const B* o) {
  if (!Valid<N>(o)) return;
  if (!Valid<N>(b)) {
    *b = *o;
    return;
  }
  for (int k = 0; k < N; ++k) {
    b->min[k] = std::min(b->min[k], o->min[k]);
    b->max[k] = std::max(b->max[k], o->max[k]);
  }
}

template <int N, class B>
void Expand(double d, B* b) {
  if (!Valid<N>(b)) return;
  for (int k = 0; k < N; ++k) {
    b->min[k] -= d;
    b->max[k] += d;
  }
}

template <int N, class B>
bool IsInt(const B* a, const B* b, double tol) {
  if (!Valid<N>(a) || !Valid<N>(b)) return false;
  for (int k = 0; k < N; ++k)
    if (a->min[k] > b->max[k] + tol || b->min[k] > a->max[k] + tol) return false;
  return true;
}

template <int N, class B>
bool PtIn(const B* b, const double* p, double tol) {
  if (!Valid<N>(b)) return false;
  for (int k = 0; k < N; ++k)
    if (!(p[k] >= b->min[k] - tol && p[k] <= b->max[k] + tol)) return false;
  return true;
}

}  // namespace

void BOX2D_Init0(_tagBox2D* box) { Init0<2>(box); }
void BOX2D_Init(_tagBox2D* box, const double p[2]) {
  Init0<2>(box);
  Extend<2>(box, p);
}
void BOX2D_Init(_tagBox2D* box, const double p[2], const double q[2]) {
  BOX2D_Init(box, p);
  Extend<2>(box, q);
}
void BOX2D_Extend(_tagBox2D* box, const double p[2]) { Extend<2>(box, p); }
void BOX2D_Extend(_tagBox2D* box, double x, double y) {
  const double p[2] = {x, y};
  Extend<2>(box, p);
}
void BOX2D_Union(_tagBox2D* box, const _tagBox2D* other) { Union<2>(box, other); }
void BOX2D_Expand(double d, _tagBox2D* box) { Expand<2>(d, box); }
int BOX2D_IsValid(const _tagBox2D* box) { return Valid<2>(box) ? 1 : 0; }
int BOX2D_IsInt(const _tagBox2D* a, const _tagBox2D* b, double tol) { return IsInt<2>(a, b, tol) ? 1 : 0; }

int BOX2D_IsContain(const _tagBox2D* outer, const _tagBox2D* inner, double tol) {
  if (!Valid<2>(outer) || !Valid<2>(inner)) return 0;
  return PtIn<2>(outer, inner->min, tol) && PtIn<2>(outer, inner->max, tol) ? 1 : 0;
}

int BOX2D_IsPtIn(const _tagBox2D* box, const double p[2], double tol) { return PtIn<2>(box, p, tol) ? 1 : 0; }

int BOX2D_Int(const _tagBox2D* a, const _tagBox2D* b, _tagBox2D* out) {
  _tagBox2D r;
  for (int k = 0; k < 2; ++k) {
    r.min[k] = std::max(a->min[k], b->min[k]);
    r.max[k] = std::min(a->max[k], b->max[k]);
  }
  if (!Valid<2>(a) || !Valid<2>(b) || !Valid<2>(&r)) {
    Init0<2>(out);
    return 0;
  }
  *out = r;
  return 1;
}

void BOX2D_ofPntStr(const double (*pts)[2], int n, _tagBox2D* box) {
  Init0<2>(box);
  for (int i = 0; i < n; ++i) Extend<2>(box, pts[i]);
}

void BOX3D_Init0(_tagBox3D* box) { Init0<3>(box); }
void BOX3D_Init(_tagBox3D* box, const double p[3]) {
  Init0<3>(box);
  Extend<3>(box, p);
}
void BOX3D_Extend(_tagBox3D* box, const double p[3]) { Extend<3>(box, p); }
void BOX3D_Union(_tagBox3D* box, const _tagBox3D* other) { Union<3>(box, other); }
void BOX3D_Expand(double d, _tagBox3D* box) { Expand<3>(d, box); }
int BOX3D_IsValid(const _tagBox3D* box) { return Valid<3>(box) ? 1 : 0; }
int BOX3D_IsInt(const _tagBox3D* a, const _tagBox3D* b, double tol) { return IsInt<3>(a, b, tol) ? 1 : 0; }
int BOX3D_IsPtIn(const _tagBox3D* box, const double p[3], double tol) { return PtIn<3>(box, p, tol) ? 1 : 0; }
