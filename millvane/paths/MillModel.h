// The part as the sweep strategies see it: every triangle mesh prepared for one cutter, the
// cutter and the mill depths. Answers drop-cutter heights and builds refined line paths.
#pragma once

#include <vector>

#include "platform/numora/Records.h"

class CNcMesh;
class CNcPline;
class CObject;
class CTool;
class CGeSurf;
struct CNcPoint;

class CMillModel {
 public:
  CMillModel();
  ~CMillModel();
  CMillModel(const CMillModel&) = delete;
  CMillModel& operator=(const CMillModel&) = delete;

  void SetTool(CTool* tool);
  void SetMillDepth(double d1, double d2);
  // 0 also when a mesh or the cutter was refused (CNcMesh::IsRefused).
  int GetBox(_tagBox3D& box) const;
  void RotateWithZAxis(double angle);
  // 1 with z raised to the drop-cutter height over every mesh. 0, with the point unchanged,
  // when a mesh or the cutter was refused, x or y is not finite or the height is not finite:
  // no height can be trusted then.
  int Get_CC_Height(double p[3]) const;
  int Get_CC_Height(CNcPoint& p) const;
  void Mark_Box3D(const _tagBox3D& box);
  void Mark_Box2D(const _tagBox2D& box);
  void Mark_SubBox2D(const _tagBox2D& box);
  void Mark_IsoYLine(double y);
  void Mark_XInter(double a, double b);
  void Mark_YInter(double a, double b);
  // z holds the highest height over all meshes; the last mesh's answer is returned.
  int ProjectPoint(double x, double y, double& z) const;
  // Null when the line cannot be made (see CNcPline::Init) or its refinement was cancelled
  // or met a failed height.
  CNcPline* CreateLinePath(const double p0[3], const double p1[3], double step, double tol);
  void CreateOffsetSurf(CGeSurf* surf);

  std::vector<CNcMesh*> meshes;  // owned
  CTool* tool = nullptr;         // owned copy
  CObject* extra = nullptr;      // owned, set by the strategies
  double depth1 = 0.0;
  double depth2 = 0.0;           // lower mill depth: where refinement probes start

 private:
  bool Refused() const;
};
