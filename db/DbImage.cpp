#include "db/DbImage.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "db/DbEntityOps.h"
#include "geometry/shapes2d/PickRay.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/Dib.h"
#include "platform/vurode/ImageFile.h"
#include "platform/vurode/OpenGLDC.h"
#include "platform/vurode/ViewState.h"

IMPLEMENT_SERIAL(CDbImage, CDbEntity, DB_SCHEMA)

namespace {

// A picture filled from stored bytes.
class CStoredDib : public CDib {
 public:
  using CDib::Assign;
};

}  // namespace

CDbImage::CDbImage() : m_pDib(nullptr), m_origin{0.0, 0.0}, m_size{0.0, 0.0} {}

CDbImage::CDbImage(CDib* bitmap, const double origin[2])
    : m_pDib(bitmap), m_origin{origin ? origin[0] : 0.0, origin ? origin[1] : 0.0}, m_size{0.0, 0.0} {
  if (m_pDib) {
    m_size[0] = m_pDib->GetWidth();
    m_size[1] = m_pDib->GetHeight();
  }
}

CDbImage::~CDbImage() {
  if (m_pDib) m_pDib->Release();
}

BOOL CDbImage::SetSize(double width, double height) {
  if (!(std::isfinite(width) && std::isfinite(height) && width > 0 && height > 0)) return FALSE;
  m_size[0] = width;
  m_size[1] = height;
  return TRUE;
}

void CDbImage::Serialize(CArchive& ar) {
  CDbEntity::Serialize(ar);
  if (ar.IsStoring()) {
    ar << m_origin[0] << m_origin[1] << m_size[0] << m_size[1];
    const int w = m_pDib ? m_pDib->GetWidth() : 0, h = m_pDib ? m_pDib->GetHeight() : 0;
    ar << w << h;
    if (w <= 0 || h <= 0) return;
    std::vector<BYTE> row(size_t(w) * 4);
    for (int y = 0; y < h; ++y) {
      // Rows top first; each pixel red, green, blue, alpha.
      const DibPixel* src = m_pDib->GetBits() + size_t(h - 1 - y) * w;
      for (int x = 0; x < w; ++x) {
        row[size_t(x) * 4 + 0] = src[x].red;
        row[size_t(x) * 4 + 1] = src[x].green;
        row[size_t(x) * 4 + 2] = src[x].blue;
        row[size_t(x) * 4 + 3] = src[x].alpha;
      }
      ar.Write(row.data(), UINT(row.size()));
    }
    return;
  }
  double origin[2], size[2];
  int w = 0, h = 0;
  ar >> origin[0] >> origin[1] >> size[0] >> size[1] >> w >> h;
  ar.CheckFinite(origin[0], origin[1], size[0], size[1]);
  CDib* dib = nullptr;
  if (w != 0 || h != 0) {
    if (w <= 0 || h <= 0 || w > kMaxImageSide || h > kMaxImageSide ||
        int64_t(w) * h > kMaxImagePixels)
      AfxThrowArchiveException(CArchiveException::genericException);
    // Before allocating: the pixels must be in the file.
    ar.CheckCount(ULONGLONG(w) * ULONGLONG(h), 4);
    std::vector<uint8_t> rgba(size_t(w) * h * 4);
    if (ar.Read(rgba.data(), UINT(rgba.size())) != rgba.size())
      AfxThrowArchiveException(CArchiveException::endOfFile);
    auto stored = std::make_unique<CStoredDib>();
    stored->Assign(w, h, rgba);
    dib = stored.release();
    dib->AddRef();
  }
  if (m_pDib) m_pDib->Release();
  m_pDib = dib;
  m_origin[0] = origin[0];
  m_origin[1] = origin[1];
  m_size[0] = size[0];
  m_size[1] = size[1];
}

CDbImage* CDbImage::Copy() const {
  auto copy = std::make_unique<CDbImage>(m_pDib, m_origin);
  if (m_pDib) m_pDib->AddRef();
  copy->CopyEntityPart(*this);
  copy->m_size[0] = m_size[0];
  copy->m_size[1] = m_size[1];
  return copy.release();
}

void CDbImage::Draw(CDC* pDC, int nMode) {
  CVurode* view = gGetVurode();
  if (!pDC || !view) return;
  _tagBox2D box;
  GetBox(&box);
  if (nMode != DB_DRAW_NORMAL || !m_pDib || m_pDib->IsEmpty()) {
    gDrawBox(pDC, nMode, box, m_crColor);
    return;
  }
  const CPoint topLeft = view->WorldtoScreen(box.min[0], box.max[1]);
  const CPoint bottomRight = view->WorldtoScreen(box.max[0], box.min[1]);
  m_pDib->Display(pDC, topLeft, CSize(bottomRight.x - topLeft.x, bottomRight.y - topLeft.y));
}

void CDbImage::DrawGL(COpenGLDC* pDC, int nMode) {
  if (!pDC) return;
  _tagBox2D b;
  GetBox(&b);
  if (nMode == DB_DRAW_NORMAL && m_pDib && !m_pDib->IsEmpty() && DrawPicture(b)) return;
  // Any other mode, or a picture the context cannot take, shows where the picture lies.
  const double frame[5][3] = {{b.min[0], b.min[1], 0.0},
                              {b.max[0], b.min[1], 0.0},
                              {b.max[0], b.max[1], 0.0},
                              {b.min[0], b.max[1], 0.0},
                              {b.min[0], b.min[1], 0.0}};
  CDbDrawModeGL mode(pDC, nMode, m_crColor);
  pDC->DrawPolyline(frame, 5);
}

bool CDbImage::DrawPicture(const _tagBox2D& b) const {
  // The pixels as a texture on the picture's rectangle in the plane z = 0 (bottom row first,
  // blue-green-red-alpha, as the texture wants them). A picture larger than the context's
  // textures is sampled down.
  GLint maxSize = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
  if (maxSize < 1) return false;
  const int w = m_pDib->GetWidth(), h = m_pDib->GetHeight();
  const int step = std::max((w + maxSize - 1) / maxSize, (h + maxSize - 1) / maxSize);
  const int tw = (w + step - 1) / step, th = (h + step - 1) / step;
  const DibPixel* bits = m_pDib->GetBits();
  if (!bits) return false;
  std::vector<DibPixel> sampled;
  if (step > 1) {
    sampled.resize(size_t(tw) * th);
    for (int y = 0; y < th; ++y)
      for (int x = 0; x < tw; ++x) sampled[size_t(y) * tw + x] = bits[size_t(y) * step * w + size_t(x) * step];
    bits = sampled.data();
  }
  GLuint texture = 0;
  glGenTextures(1, &texture);
  if (!texture) return false;
  glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT | GL_DEPTH_BUFFER_BIT);
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glBindTexture(GL_TEXTURE_2D, texture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, tw, th, 0, GL_BGRA, GL_UNSIGNED_BYTE, bits);
  const bool loaded = glGetError() == GL_NO_ERROR;
  if (loaded) {
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    // Like a picture painted in 2D: what is drawn later lies over it, even at the same depth.
    glDepthMask(GL_FALSE);
    glBegin(GL_QUADS);
    glTexCoord2d(0, 0);
    glVertex3d(b.min[0], b.min[1], 0.0);
    glTexCoord2d(1, 0);
    glVertex3d(b.max[0], b.min[1], 0.0);
    glTexCoord2d(1, 1);
    glVertex3d(b.max[0], b.max[1], 0.0);
    glTexCoord2d(0, 1);
    glVertex3d(b.min[0], b.max[1], 0.0);
    glEnd();
  }
  glPopClientAttrib();
  glPopAttrib();
  glDeleteTextures(1, &texture);
  return loaded;
}

int CDbImage::Pick(CPickRay& ray) {
  double q[2];
  if (!dbRayInPlane(ray, q)) return 0;
  _tagBox2D box;
  GetBox(&box);
  return BOX2D_IsPtIn(&box, q, ray.m_dRadius) ? 1 : 0;
}

void CDbImage::Translate(const double from[2], const double to[2]) {
  m_origin[0] += to[0] - from[0];
  m_origin[1] += to[1] - from[1];
}

void CDbImage::GetBox(_tagBox2D* box) {
  if (!box) return;
  const double hi[2] = {m_origin[0] + m_size[0], m_origin[1] + m_size[1]};
  BOX2D_Init(box, m_origin, hi);
}

void CDbImage::GetBox3D(_tagBox3D* box) {
  if (!box) return;
  const double lo[3] = {m_origin[0], m_origin[1], 0.0}, hi[3] = {m_origin[0] + m_size[0], m_origin[1] + m_size[1], 0.0};
  BOX3D_Init(box, lo);
  BOX3D_Extend(box, hi);
}
