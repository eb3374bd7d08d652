// Abstract root of every 3D shape: the lazily computed 3D box, two chaining links, the
// extension data word and the transform slots that every 3D shape answers.
// The order of the virtual operations is part of the library's binary interface: the toolpath
// library and plug-ins call them by position. Append, never reorder.
#pragma once

#include <cstdint>

#include "geometry/shapes2d/GeShape2d.h"
#include "platform/afx/Afx.h"
#include "platform/numora/Numora.h"

// Schema of the archived 3D shapes, meshes, trimmed surfaces and grids: versionable, schema 1.
constexpr unsigned GE_SCHEMA_3D = 0x80000001u;

// Curves whose extension data word is nonzero with this bit clear draw in GE_EXTDATA_COLOR.
constexpr int GE_EXTDATA_PLAIN = 0x2;
constexpr unsigned GE_EXTDATA_COLOR = 0xc400u;  // RGB(0, 196, 0)

class CGeShape3d : public CObject {
 public:
  CGeShape3d();
  ~CGeShape3d() override;

  // Box (6 doubles) then the extension data word.
  void Serialize(CArchive& ar) override;

  virtual int GetType() const;
  virtual CGeShape3d* Copy();
  virtual void CalcBox();
  virtual void CalcScreenBox(_tagBox2D* box);
  // Copies the box, recomputing it first while it is empty.
  virtual void GetBox(_tagBox3D* box);
  // The same lazy box as min x, min y, max x, max y.
  virtual void GetBox2d(_tagBox2D* box);
  // The 2D forms act on x and y and leave z alone.
  virtual void Translate(const double v[2]);
  virtual void Translate3D(const double v[3]);
  virtual void Rotate(const double centre[2], double angle);
  virtual void Rotate3D(const double point[3], const double axis[3], double angle);
  virtual void Mirror(const double p[2], const double q[2]);
  // Shift, Scale and Scale3D return the shape itself, or a new shape of another class that
  // the caller owns, or null when nothing was done.
  virtual CGeShape3d* Shift(const double p[2], const double q[2]);
  virtual CGeShape3d* Scale(const double base[2], const double f[2]);
  virtual CGeShape3d* Scale3D(const double base[3], const double f[3]);
  // Mirror in the plane through p with normal q.
  virtual void Mirror3D(const double p[3], const double q[3]);
  // World coordinates into the frame's local ones (RF_TransWorldP3D).
  virtual void Transform(const _rect_fm3d* frame);
  // Column-vector 4x4 matrix (MAT44_MultPt).
  virtual void Transform(const double m[4][4]);
  // The frame's local coordinates back to the world (RF_TransLocalP3D).
  virtual void TransformLocal(const _rect_fm3d* frame);

  CGeShape3d* GetNext() const { return m_pNext; }
  CGeShape3d* GetPrev() const { return m_pPrev; }
  // A box whose max x lies below its min x has not been computed yet.
  bool IsBoxValid() const { return m_box.max[0] >= m_box.min[0]; }

  _tagBox3D m_box;
  // Chaining links for callers; never set, copied or stored here.
  CGeShape3d* m_pNext;
  CGeShape3d* m_pPrev;
  // Stored and copied; decides the drawing colour (GE_EXTDATA_PLAIN).
  int32_t m_nExtData;
  // Free for callers: neither stored nor copied.
  int32_t m_nUserData;
};
