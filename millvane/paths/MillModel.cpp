#include "millvane/paths/MillModel.h"

#include <algorithm>
#include <cmath>

#include "millvane/paths/NcMesh.h"
#include "millvane/paths/NcPline.h"
#include "platform/afx/Object.h"
#include "platform/numora/Box.h"
#include "platform/vurode/Tool.h"

CMillModel::CMillModel() = default;

CMillModel::~CMillModel() {
  for (CNcMesh* m : meshes) delete m;
  delete tool;
  delete extra;
}

void CMillModel::SetTool(CTool* t) {
  delete tool;
  tool = t ? t->Copy() : nullptr;
  for (CNcMesh* m : meshes) m->SetTool(t);
}

void CMillModel::SetMillDepth(double d1, double d2) {
  depth1 = d1;
  depth2 = d2;
}

bool CMillModel::Refused() const {
  if (tool && !std::isfinite(tool->GetDia())) return true;
  return std::any_of(meshes.begin(), meshes.end(), [](const CNcMesh* m) { return m->IsRefused(); });
}

int CMillModel::GetBox(_tagBox3D& b) const {
  if (!tool || meshes.empty() || Refused()) return 0;
  BOX3D_Init0(&b);
  for (const CNcMesh* m : meshes) BOX3D_Union(&b, &m->box);
  return 1;
}

void CMillModel::RotateWithZAxis(double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  for (CNcMesh* m : meshes) m->RotateZ(c, s);
}

int CMillModel::Get_CC_Height(double p[3]) const {
  // A z of -inf may stand for "from below everything"; the answer is checked instead.
  if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || std::isnan(p[2]) || Refused()) return 0;
  const double z0 = p[2];
  for (const CNcMesh* m : meshes) m->Get_CC_Height(tool, p);
  if (!std::isfinite(p[2])) {
    p[2] = z0;
    return 0;
  }
  return 1;
}

int CMillModel::Get_CC_Height(CNcPoint& p) const {
  double q[3] = {p.x, p.y, p.z};
  if (!Get_CC_Height(q)) return 0;
  p.z = q[2];
  return 1;
}

void CMillModel::Mark_Box3D(const _tagBox3D& b) {
  for (CNcMesh* m : meshes) m->Mark_Box3D(b);
}
void CMillModel::Mark_Box2D(const _tagBox2D& b) {
  for (CNcMesh* m : meshes) m->Mark_Box2D(b);
}
void CMillModel::Mark_SubBox2D(const _tagBox2D& b) {
  for (CNcMesh* m : meshes) m->Mark_SubBox2D(b);
}
void CMillModel::Mark_IsoYLine(double y) {
  for (CNcMesh* m : meshes) m->Mark_IsoYLine(y);
}
void CMillModel::Mark_XInter(double a, double b) {
  for (CNcMesh* m : meshes) m->Mark_XInter(std::min(a, b), std::max(a, b));
}
void CMillModel::Mark_YInter(double a, double b) {
  for (CNcMesh* m : meshes) m->Mark_YInter(std::min(a, b), std::max(a, b));
}

int CMillModel::ProjectPoint(double x, double y, double& z) const {
  int r = 0;
  for (const CNcMesh* m : meshes) r = m->ProjectPoint(x, y, z);
  return r;
}

CNcPline* CMillModel::CreateLinePath(const double p0[3], const double p1[3], double step, double tol) {
  auto* pl = new CNcPline;
  pl->Init(p0, p1, step);
  if (pl->GetCount() < 2) {  // Init refused the line
    delete pl;
    return nullptr;
  }
  const int ok = p1[1] != p0[1] ? pl->ChkTol_InsPt(this, tol, 1) : pl->IsoY_ChkTol_InsPt(this, tol);
  if (!ok) {
    delete pl;
    return nullptr;
  }
  return pl;
}

void CMillModel::CreateOffsetSurf(CGeSurf*) {}
