#include "geometry/shapes3d/Curve3dLoad.h"

#include "geometry/shapes3d/GeCurve3d.h"

CGeCurve3d* geReadOwnedCurve3d(CArchive& ar) {
  CObject* ob = ar.ReadObject(nullptr);
  if (!ob) return nullptr;
  if (!ar.IsLastObjectNew()) AfxThrowArchiveException(CArchiveException::badIndex);
  auto* curve = dynamic_cast<CGeCurve3d*>(ob);
  if (!curve) {
    delete ob;
    AfxThrowArchiveException(CArchiveException::badClass);
  }
  return curve;
}
