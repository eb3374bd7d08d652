// Helpers the entity classes share: storing the one shape an entity owns, copying it, and the
// drawing, moving and boxes of an entity built on one 3D curve.
#pragma once

#include <memory>

#include "db/DbEntity.h"
#include "geometry/shapes3d/GeCurve3d.h"

// Storing writes the shape as an object (null allowed); loading reads one the entity owns
// (a back-reference or another class is refused) and replaces the old one.
template <class T>
void dbSerializeOwned(CArchive& ar, T*& shape) {
  if (ar.IsStoring()) {
    ar << static_cast<const CObject*>(shape);
    return;
  }
  T* loaded = AfxReadOwnedObject<T>(ar);
  delete shape;
  shape = loaded;
}

// A new entity of the same class with the entity part and a copy of the shape; null when the
// shape cannot be copied.
template <class E, class T>
E* dbCopyWithShape(const E& from, T* E::*member) {
  auto copy = std::make_unique<E>();
  copy->CopyEntityPart(from);
  if (T* shape = from.*member) {
    copy.get()->*member = static_cast<T*>(shape->Copy());
    if (!(copy.get()->*member)) return nullptr;
  }
  return copy.release();
}

// The point a pick ray names in the drawing plane: its origin for a 2D ray, where it meets
// z = 0 for a 3D one. FALSE for a 3D ray parallel to the plane.
BOOL dbRayInPlane(const CPickRay& ray, double q[2]);

// Entities built on one 3D curve (null allowed).
void dbDrawCurve3d(CGeCurve3d* curve, CDC* pDC, int nMode, uint32_t color);
void dbDrawCurve3dGL(CGeCurve3d* curve, COpenGLDC* pDC, int nMode, uint32_t color);
void dbMoveCurve3d(CGeCurve3d* curve, const double from[2], const double to[2]);
void dbCurve3dBox(CGeCurve3d* curve, _tagBox2D* box);
void dbCurve3dBox3D(CGeCurve3d* curve, _tagBox3D* box);
