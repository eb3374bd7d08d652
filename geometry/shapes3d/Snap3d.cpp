#include "geometry/shapes3d/Snap3d.h"

#include <cmath>

#include "geometry/shapes2d/PickRay.h"

bool CSnap3dRule::Init(CSnapAt* snap) {
  if (!snap || !snap->m_pKXGlobal || !snap->m_pVurode) return false;
  m_snap = snap;
  m_b3D = snap->m_pVurode->IsView3D() != 0;
  m_bAlign = snap->m_bAlign != 0;
  m_radius = snap->m_dSnapDist;
  m_cursor[0] = snap->m_pos.x;
  m_cursor[1] = snap->m_pos.y;
  m_cursor[2] = 0.0;
  if (m_b3D) {
    // The pick ray of the cursor knows the camera's viewing direction.
    const CPickRay ray(snap->m_pos);
    for (int k = 0; k < 3; ++k) m_dir[k] = ray.m_vDir[k];
  }
  return true;
}

double CSnap3dRule::Dist(const double p[3]) const {
  if (m_b3D) return L3D_DistToPnt(m_cursor, m_dir, p);
  return std::hypot(p[0] - m_cursor[0], p[1] - m_cursor[1]);
}

bool CSnap3dRule::Aligned(const double p[3]) const {
  if (m_b3D || !m_bAlign) return false;
  return std::fabs(p[0] - m_cursor[0]) < m_radius || std::fabs(p[1] - m_cursor[1]) < m_radius;
}

bool CSnap3dRule::BoxRejects(const _tagBox3D& box) const {
  if (m_b3D || m_bAlign) return false;
  _tagBox2D flat;
  flat.min[0] = box.min[0];
  flat.min[1] = box.min[1];
  flat.max[0] = box.max[0];
  flat.max[1] = box.max[1];
  return !m_snap->m_pos.IsInBox(flat, m_radius);
}

void CSnap3dRule::PushEnds(const double start[3], const double end[3], CSnapResult& result) const {
  if (Counts(start)) {
    result.PushBackEnd(SnapPos(start));
  } else if (Counts(end)) {
    result.PushBackEnd(SnapPos(end));
  } else {
    if (Aligned(start)) result.PushBackEnd(SnapPos(start));
    if (Aligned(end)) result.PushBackEnd(SnapPos(end));
  }
}
