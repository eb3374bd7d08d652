#include "db/DbEntity.h"

#include <GL/gl.h>

#include <cmath>

#include "db/DbEntityOps.h"
#include "geometry/shapes2d/PickRay.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/OpenGLDC.h"
#include "platform/vurode/ViewState.h"

IMPLEMENT_DYNAMIC(CDbEntity, CObject)

CDbEntity::CDbEntity() : m_nFlag(FLAG_VISIBLE), m_nKind(0), m_nLayerID(0), m_crColor(0) {}

CDbEntity::~CDbEntity() = default;

void CDbEntity::CopyEntityPart(const CDbEntity& from) {
  m_nFlag = from.m_nFlag & ~FLAG_SELECTED;
  m_nKind = from.m_nKind;
  m_nLayerID = from.m_nLayerID;
  m_crColor = from.m_crColor;
}

void CDbEntity::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << int(m_nFlag & ~FLAG_SELECTED) << int(m_nKind) << int(m_nLayerID) << unsigned(m_crColor);
  } else {
    int flag = 0, kind = 0, layer = 0;
    unsigned color = 0;
    ar >> flag >> kind >> layer >> color;
    // Selection belongs to the session that made it, never to a file.
    m_nFlag = flag & ~FLAG_SELECTED;
    m_nKind = kind;
    m_nLayerID = layer;
    m_crColor = color;
  }
}

void CDbEntity::Draw(CDC*, int) {}
void CDbEntity::DrawGL(COpenGLDC*, int) {}
int CDbEntity::Pick(CPickRay&) { return 0; }
void CDbEntity::Translate(const double[2], const double[2]) {}
void CDbEntity::GetBox(_tagBox2D* box) {
  if (box) BOX2D_Init0(box);
}
void CDbEntity::GetBox3D(_tagBox3D* box) {
  if (box) BOX3D_Init0(box);
}

CDbDrawMode::CDbDrawMode(CDC* pDC, int nMode, uint32_t color) : m_pDC(pDC) {
  if (!pDC) return;
  int rop = R2_COPYPEN;
  switch (nMode) {
    case DB_DRAW_SELECTED:
      // Over the entity in its own colour: a dotted line of the same colour would not show.
      m_pen.CreatePen(PS_DOT, 1, dbSelectedColor(color));
      break;
    case DB_DRAW_HIGHLIGHT:
      m_pen.CreatePen(PS_SOLID, 2, DB_HIGHLIGHT_COLOR);
      break;
    case DB_DRAW_XOR:
      // Inverting ignores the colour, so even a black entity shows and erases over anything.
      m_pen.CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
      rop = R2_NOT;
      break;
    case DB_DRAW_PREVIEW:
      // not-xor with the colour: over white it shows the colour itself; twice restores.
      m_pen.CreatePen(PS_SOLID, 1, color);
      rop = R2_NOTXORPEN;
      break;
    default:
      m_pen.CreatePen(PS_SOLID, 1, color);
      break;
  }
  m_pOldPen = pDC->SelectObject(&m_pen);
  m_nOldROP2 = pDC->SetROP2(rop);
}

CDbDrawMode::~CDbDrawMode() {
  if (!m_pDC) return;
  m_pDC->SetROP2(m_nOldROP2);
  m_pDC->SelectObject(m_pOldPen);
}

CDbDrawModeGL::CDbDrawModeGL(COpenGLDC* pDC, int nMode, uint32_t color) : m_pDC(pDC) {
  if (!pDC) return;
  m_oldColor = pDC->GetColor();
  if (nMode == DB_DRAW_XOR || nMode == DB_DRAW_PREVIEW) {
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_COLOR_LOGIC_OP);
    glLogicOp(nMode == DB_DRAW_XOR ? GL_INVERT : GL_EQUIV);
    // The second pass must reach every pixel the first one touched: the depth the first pass
    // wrote would hide it, so these modes neither test nor write depth.
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    m_pushedAttrib = true;
  } else if (nMode == DB_DRAW_SELECTED) {
    // Dotted over the entity as drawn: the same depth must pass the test again.
    glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_LINE_STIPPLE);
    glLineStipple(2, 0x5555);
    glDepthFunc(GL_LEQUAL);
    m_pushedAttrib = true;
  }
  pDC->SetColor(nMode == DB_DRAW_HIGHLIGHT   ? DB_HIGHLIGHT_COLOR
                : nMode == DB_DRAW_SELECTED ? dbSelectedColor(color)
                                            : color);
}

CDbDrawModeGL::~CDbDrawModeGL() {
  if (!m_pDC) return;
  if (m_pushedAttrib) glPopAttrib();
  m_pDC->SetColor(m_oldColor);
}

void dbDelEntList(CDbEntityList* list) {
  if (!list) return;
  while (!list->IsEmpty()) delete list->RemoveHead();
}

void gDrawBox(CDC* pDC, int nMode, const _tagBox2D& box, uint32_t color) {
  CVurode* view = gGetVurode();
  if (!pDC || !view || !BOX2D_IsValid(&box)) return;
  for (int i = 0; i < 2; ++i)
    if (!std::isfinite(box.min[i]) || !std::isfinite(box.max[i])) return;
  const double corners[5][2] = {{box.min[0], box.min[1]},
                                {box.max[0], box.min[1]},
                                {box.max[0], box.max[1]},
                                {box.min[0], box.max[1]},
                                {box.min[0], box.min[1]}};
  CDbDrawMode mode(pDC, nMode, color);
  view->DrawPolyline(corners, 5, pDC);
}

BOOL dbRayInPlane(const CPickRay& ray, double q[2]) {
  q[0] = ray.m_ptOrigin[0];
  q[1] = ray.m_ptOrigin[1];
  if (ray.m_b2D) return TRUE;
  if (std::fabs(ray.m_vDir[2]) < 1e-12) return FALSE;
  const double t = -ray.m_ptOrigin[2] / ray.m_vDir[2];
  q[0] += t * ray.m_vDir[0];
  q[1] += t * ray.m_vDir[1];
  return TRUE;
}
