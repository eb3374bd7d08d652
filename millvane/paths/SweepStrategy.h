// Sweep strategies: finishing by parallel sweep lines, roughing by sweep lines cut into Z
// layers, and projection of curves onto meshes. Each builds a mesh mill model, lays NC
// polylines along scan lines or curves, refines them onto the model, groups and links them and
// appends the result as kernel 3D curves to the caller's group.
#pragma once

#include <list>
#include <memory>
#include <vector>

#include "millvane/paths/PocketLine.h"
#include "platform/afx/TypedPtrList.h"
#include "platform/gorsey/ParamSrf.h"
#include "platform/numora/Records.h"

class CGeCurve3d;
class CGeGroup3d;
class CGeMesh;
class CGeSurf;
class CMillModel;
class CNcPline;
class CNcPlineGrp;
class CTool;

struct tagParam_SrfProject {
  double totalDepth;
  double depthStep;
  double useOwnHeight;  // non-zero: the curves' own height rides above the surface
};

class CMillPath {
 public:
  virtual ~CMillPath();
};

// State and steps the three strategies share.
class CMsSweepBase : public CMillPath {
 public:
  CMsSweepBase();
  ~CMsSweepBase() override;
  CMsSweepBase(const CMsSweepBase&) = delete;
  CMsSweepBase& operator=(const CMsSweepBase&) = delete;

  // Sorts the group into areas of neighbouring lines, links each (unless linkFlag) and appends
  // it to out; the group is emptied. 0 when cancelled (the rest of the group is freed).
  int SortPathByArea(CNcPlineGrp* grp, CGeGroup3d* out, int linkFlag);
  // Sorts, links (unless linkFlag) and appends one area; the area is emptied.
  void GenAreaPath(CNcPlineGrp* area, CGeGroup3d* out, int linkFlag);

  CTypedPtrList<CObList, CGeRegion*> m_RegionList;  // owned
  CMillModel* m_pModel = nullptr;                   // owned
  CTool* m_pTool = nullptr;                         // owned copy
  std::vector<CPocketLine::ScanLine> m_ScanLines;
  double m_dLineStep = 0;
  double m_dTop = 0;
  double m_dLowDepth = 0;
  double m_dPointStep = 0;
  _tagBox3D m_Box{};
  // Threads for the sweep lines and their links (0: up to four, as the machine allows). Each
  // thread refines its lines and links on its own copy of the model; the result equals a run
  // on one thread.
  int m_nThreads = 0;

 protected:
  // Line step, point step and the cutter copy of a run; false for a step that is not positive.
  bool StartRun(CTool* tool, const SrfSweepBlock& sw, double pointStep);
  // The model, its box, the regions, the turn by minus the angle, the cutter and the depths;
  // false when the run ends here (no vertices, narrower than the cutter, cancelled).
  bool PrepareModel(const std::vector<CGeMesh*>& meshes, CTypedPtrList<CObList, CGeRegion*>* regions,
                    double dia, double angleDeg, double cutDepth, double share);
  // New model over the meshes (none skipped); progress share spread over them.
  void BuildModel(const std::vector<CGeMesh*>& meshes, double share);
  // Moves the caller's regions in, or uses the rectangle of the mesh box.
  void TakeRegions(CTypedPtrList<CObList, CGeRegion*>* regions);
  // Lines along every scan line's inside intervals at the lower depth, each simplified with
  // the given tolerance when it is positive; null when cancelled.
  CNcPlineGrp* GenPlanePath(double tol, double share, double simplify = 0.0);
  // Takes from pool every polyline belonging to the area (neighbouring line numbers within
  // reach), repeating until a pass adds nothing.
  void GrowArea(CNcPlineGrp* pool, CNcPlineGrp* area) const;
  // Turns back by the angle and lifts by the allowance only the curves this call appended.
  static void FinishOutput(CGeGroup3d* out, int firstNew, double angleDeg, double allowance);
  void Reset();
  // A model equal to m_pModel (same meshes, turn, cutter and depths) for another thread.
  std::unique_ptr<CMillModel> CloneModel() const;

  // The other threads' copies of m_pModel from the last sweep lines, kept for the links.
  std::vector<std::unique_ptr<CMillModel>> m_Copies;
  double m_dTurn = 0;              // radians the model was turned by
};

class CMsFinishSweepLine : public CMsSweepBase {
 public:
  void GenPath(CTypedPtrList<CObList, CGeMesh*>* meshes, CTypedPtrList<CObList, CGeRegion*>* regions,
               CParamSrfFinish* param, CTool* tool, CGeGroup3d* out);
  CParamSrfFinish m_Param;
};

class CMsRoughSweepLine : public CMsSweepBase {
 public:
  ~CMsRoughSweepLine() override;
  void GenPath(CTypedPtrList<CObList, CGeSurf*>* surfaces, CTypedPtrList<CObList, CGeRegion*>* regions,
               CParamSrfRough* param, CTool* tool, CGeGroup3d* out);
  // Cuts the group into layers from the top down; 0 when cancelled.
  int LayerAllPath(CNcPlineGrp* grp);
  // Clips every polyline at z: the clamped polylines go to layer, the runs below back to grp.
  static void ClipGrp_Zplane(CNcPlineGrp* grp, double z, CNcPlineGrp* layer);
  // Clamps pl at z in place; the runs below z are appended to lower as new polylines.
  static void ClipPLine_Zplane(CNcPline* pl, double z, CNcPlineGrp* lower);
  // Emits an area of layer k and, recursively, what lies under it in the following layers.
  int EmitArea(CNcPlineGrp* area, int k, CGeGroup3d* out);
  // Polylines of next lying under the area (same line number, x range within).
  void GetAreaPathInNextLayer(CNcPlineGrp* area, CNcPlineGrp* next, CNcPlineGrp* taken) const;
  static bool IsSameAreaNextLayer(const CNcPline* areaLine, const CNcPline* candidate);
  // Links and emits each layer whole, top down.
  void SortPathByDepth(CGeGroup3d* out);
  void FreeLayers();

  CParamSrfRough m_Param;
  int m_nLayers = 0;
  std::vector<CNcPlineGrp*> m_Layers;  // owned
  std::vector<double> m_LayerZ;
};

class CMsProject : public CMsSweepBase {
 public:
  void GenPath(CTypedPtrList<CObList, CGeMesh*>* meshes, CGeGroup3d* curves, tagParam_SrfProject param, CTool* tool,
               const wchar_t* caption, CGeGroup3d* out);
  // Depth passes for a total depth and step: the depths of the passes (0 for one pass at the
  // curves' own height).
  static std::vector<double> PassDepths(double total, double step);
  // The curve as an NC polyline: its points discretised with tol, each starting at height start
  // with the curve's own z kept as the second height, points inserted every pointStep, tagged
  // with the composite group number (0 for a plain curve). Null for a null curve, no points or
  // a point that is not finite.
  static CNcPline* DiscreteCurve(CGeCurve3d* curve, double tol, double start, double pointStep, int group);
  tagParam_SrfProject m_Param{0, 0, 0};
};
