// Plain records of the numeric kernel: points, boxes, frames and the intersection record.
// Layouts are fixed because callers read fields directly and keep arrays of them.
#pragma once

#include <cstddef>

// Element of the class library's 2D point arrays; single precision on purpose.
struct tagPoint2d {
  float x;
  float y;
};

// Element of 3D point arrays and lists. `t` is the parameter that segment-following point
// lists carry with each point (0 at the segment start, 1 at its end); other users leave it 0.
struct tagPoint3d {
  float x;
  float y;
  float z;
  float t = 0.0f;
};

struct tagDPoint3d {
  double x;
  double y;
  double z;
};

// Axis-aligned boxes. Empty (see BOX2D_Init0/BOX3D_Init0) when max[0] < min[0].
// A UV box reads min = (umin, vmin), max = (umax, vmax).
struct _tagBox2D {
  double min[2];
  double max[2];
};

struct _tagBox3D {
  double min[3];
  double max[3];
};

// Orthonormal frame: axes first, then origin, then one double the kernel never reads.
// Always access by field name; archives write their own field order.
struct _rect_fm3d {
  double xAxis[3];
  double yAxis[3];
  double zAxis[3];
  double origin[3];
  double spare;
};

// One intersection of two 2D curves. Curve 1/2 are the first/second curve arguments of the
// call that produced it. Segments count from 1; sub1/sub2 are 1 unless a composite is involved.
struct _tagInterPnt {
  double x;
  double y;
  int seg1;
  int seg2;
  double t1;
  double t2;
  int sub1;
  int sub2;
};

// Mesh arrays are read in place as packed float triples.
class CPoint3d {
 public:
  CPoint3d() : x(0.0f), y(0.0f), z(0.0f) {}
  CPoint3d(float px, float py, float pz) : x(px), y(py), z(pz) {}
  float x;
  float y;
  float z;
};

class CVector3d {
 public:
  CVector3d() : x(0.0f), y(0.0f), z(0.0f) {}
  CVector3d(float px, float py, float pz) : x(px), y(py), z(pz) {}
  // Scales to unit length; a zero vector stays zero.
  void Normalize();
  float x;
  float y;
  float z;
};

static_assert(sizeof(tagPoint2d) == 8);
static_assert(sizeof(tagDPoint3d) == 24);
static_assert(sizeof(_tagBox2D) == 32);
static_assert(sizeof(_tagBox3D) == 48);
static_assert(sizeof(_rect_fm3d) == 13 * sizeof(double));
static_assert(sizeof(_tagInterPnt) == 48);
static_assert(offsetof(_tagInterPnt, t1) == 24 && offsetof(_tagInterPnt, sub2) == 44);
static_assert(sizeof(CPoint3d) == 12 && sizeof(CVector3d) == 12);
