// Abstract base of every planar shape: cached bounding box, a free attribute word, the
// one-bit-per-class type codes shared with the 3D classes, and the transform slots.
// The order of the virtual operations is part of the library's binary interface.
#pragma once

#include <cstdint>

#include "platform/afx/Afx.h"
#include "platform/numora/Numora.h"

class CSnapAt;
class CSnapResult;

// Shape type codes (GetType); composite shapes test bits with a mask.
constexpr int GE_TYPE_LINE = 0x1;
constexpr int GE_TYPE_ARC = 0x2;
constexpr int GE_TYPE_CIRCLE = 0x4;
constexpr int GE_TYPE_ELLIPSE = 0x8;
constexpr int GE_TYPE_BEZIER = 0x10;
constexpr int GE_TYPE_POLYLINE = 0x20;
constexpr int GE_TYPE_COMBCURVE = 0x40;
constexpr int GE_TYPE_LOOP = 0x80;  // deliberately not 0x40: flattening composites leaves loops whole
constexpr int GE_TYPE_OFFSETCRV = 0x100;
constexpr int GE_TYPE_POINT3D = 0x200;
constexpr int GE_TYPE_LINE3D = 0x400;
constexpr int GE_TYPE_ARC3D = 0x800;
constexpr int GE_TYPE_POLYLINE3D = 0x1000;
constexpr int GE_TYPE_NRBCRV3D = 0x2000;
constexpr int GE_TYPE_OFFSETCRV3D = 0x4000;
constexpr int GE_TYPE_COMBCURVE3D = 0x8000;
constexpr int GE_TYPE_LOOP3D = 0x10000;
constexpr int GE_TYPE_TRIMLOOP = 0x10000;  // shares the 3D loop's bit
constexpr int GE_TYPE_GRID = 0x20000;
constexpr int GE_TYPE_MESH = 0x40000;
constexpr int GE_TYPE_TRIMSURF = 0x80000;
constexpr int GE_TYPE_TRIMBND = 0x200000;
constexpr int GE_TYPE_ALL = 0xfffff;  // default pick mask: every code up to 0x80000

// Schema of the archived 2D shapes and layers: versionable bit plus schema number 2.
constexpr unsigned GE_SCHEMA_2D = 0x80000002u;

class CGeShape2d : public CObject {
 public:
  CGeShape2d();
  ~CGeShape2d() override;

  void Serialize(CArchive& ar) override;

  virtual int GetType() const;
  virtual CGeShape2d* Copy();
  virtual int GetSnapPos(CSnapAt* snap, CSnapResult& result);
  virtual void CalcBox2d() = 0;
  virtual void CalcScreenBox(_tagBox2D* box);
  virtual void GetBox2d(_tagBox2D* box);
  virtual void Translate(const double v[2]);
  virtual void Rotate(const double c[2], double angle);
  virtual void Mirror(const double p[2], const double d[2]);
  virtual CGeShape2d* Scale(const double base[2], const double f[2]);

  // A box whose max x lies below its min x has not been computed yet.
  bool IsBoxValid() const { return m_box.max[0] >= m_box.min[0]; }

  _tagBox2D m_box;
  // Free for the curve tools: used-marks and the address of a linked offset piece.
  intptr_t m_nAttrib;
};
