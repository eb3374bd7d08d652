#include "geometry/shapes2d/PickRay.h"

#include <cmath>

namespace {

constexpr double kNoValue = 1e12;

bool IsCurrentView2D() {
  CVurode* view = gGetVurode();
  return view && view->IsView2D();
}

double WorldPickRadius() {
  CKXGlobal* settings = gGetKXGlobal();
  return settings ? settings->GetWorldPickRad() : 0.0;
}

// Unit viewing direction of the 3D camera; straight down the z axis when there is none.
void ViewDirection(double dir[3]) {
  dir[0] = 0.0;
  dir[1] = 0.0;
  dir[2] = 1.0;
  COpenGLDC* gl = gGetOpenGLDC();
  if (!gl) return;
  double v[3];
  gl->GetCamera().get_viewdirection(v);
  const double len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (len < 1e-12) return;
  for (int i = 0; i < 3; ++i) dir[i] = v[i] / len;
}

}  // namespace

CPickRay::CPickRay()
    : m_nScrX(0),
      m_nScrY(0),
      m_ptOrigin{0.0, 0.0, 0.0},
      m_vDir{0.0, 0.0, 1.0},
      m_dRadius(WorldPickRadius()),
      m_dDist3D(kNoValue),
      m_dDist2D(kNoValue),
      m_dParam(0.0),
      m_dReserved(0.0),
      m_nIndex(-1),
      m_b2D(IsCurrentView2D() ? 1 : 0),
      m_nTypeMask(0xfffff) {}

CPickRay::CPickRay(const Position& pos) : CPickRay() {
  m_nScrX = pos.sx;
  m_nScrY = pos.sy;
  SetPos(pos);
  if (!m_b2D) ViewDirection(m_vDir);
}

CPickRay::CPickRay(const Position& pos, double radius) : CPickRay() {
  m_nScrX = pos.sx;
  m_nScrY = pos.sy;
  m_dRadius = std::fabs(radius);
  SetPos(pos);
  if (!m_b2D) {
    ViewDirection(m_vDir);
    double focal = 0.0;
    if (COpenGLDC* gl = gGetOpenGLDC()) {
      gl->GetCamera().CalculateFocalLength();
      focal = gl->GetCamera().GetFocalLength();
    }
    for (int i = 0; i < 3; ++i) m_ptOrigin[i] -= focal * m_vDir[i];
  }
}

CPickRay::~CPickRay() = default;

void CPickRay::SetPos(const Position& pos) {
  m_ptOrigin[0] = pos.x;
  m_ptOrigin[1] = pos.y;
  m_ptOrigin[2] = pos.z;
}

void CGeHitResult::Init() {
  m_pCurve = nullptr;
  m_nData1 = 0;
  m_nData2 = 0;
  m_nSeg = -1;
  m_dT = -1.0;
  m_ptHit[0] = 0.0;
  m_ptHit[1] = 0.0;
  m_nData3 = 0;
  m_dData1 = -1.0;
  m_dData2 = -1.0;
}
