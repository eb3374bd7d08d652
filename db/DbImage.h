// A raster picture placed in the drawing: a shared bitmap, its lower-left corner and its size
// in world units (one unit per pixel when placed).
#pragma once

#include "db/DbEntity.h"

class CDib;

class CDbImage : public CDbEntity {
  DECLARE_SERIAL(CDbImage)

 public:
  CDbImage();
  // Adopts one reference on the bitmap (the caller's AddRef); origin is the lower-left corner.
  CDbImage(CDib* bitmap, const double origin[2]);
  ~CDbImage() override;

  // Entity part, origin, world size, then the pixels (width, height, rows top first as RGBA
  // bytes); a picture without pixels stores width and height 0.
  void Serialize(CArchive& ar) override;

  int GetType() const override { return DB_ENT_IMAGE; }
  int GetBaseType() const override { return DB_BASE_IMAGE; }
  // Shares the bitmap (one more reference).
  CDbImage* Copy() const override;
  // Mode 0 shows the pixels (in OpenGL as a texture); the other modes draw the frame in that
  // mode.
  void Draw(CDC* pDC, int nMode) override;
  void DrawGL(COpenGLDC* pDC, int nMode) override;
  int Pick(CPickRay& ray) override;
  void Translate(const double from[2], const double to[2]) override;
  void GetBox(_tagBox2D* box) override;
  void GetBox3D(_tagBox3D* box) override;

  CDib* GetDib() const { return m_pDib; }
  void GetOrigin(double p[2]) const { p[0] = m_origin[0], p[1] = m_origin[1]; }
  // World size; FALSE (unchanged) unless both are finite and positive.
  BOOL SetSize(double width, double height);

 private:
  // The pixels on the rectangle b through the current GL context; false when it took none.
  bool DrawPicture(const _tagBox2D& b) const;

  CDib* m_pDib;
  double m_origin[2];
  double m_size[2];
};
