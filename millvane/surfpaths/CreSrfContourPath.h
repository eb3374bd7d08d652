// Z-level (contour) finishing passes over a tool-centre model: the model is sliced at evenly
// spaced heights from the top of the cut down, each slice gives the closed outlines of where
// the tool centre stands above it, the outlines of consecutive layers are linked into columns
// descending through the part (with optional ramps), and the flat faces get pocketing passes.
#pragma once

#include <memory>
#include <vector>

#include "millvane/paths/CenterHeights.h"
#include "millvane/paths/IntLineSet.h"
#include "millvane/paths/ProtectNet.h"
#include "millvane/surfpaths/SectionProfile.h"
#include "platform/afx/TypedPtrList.h"

class CDbPathGroup;
class CGeRegion;
class CMillCenter;
class CParamSrfFinish;
class CPathCombine;
class CPathGroup;
class CSmartLoop;
class CTool;
struct QNC_CornerType;
struct QNC_CutAreaDef;

class CCreSrfContourPath {
 public:
  CCreSrfContourPath();
  ~CCreSrfContourPath();
  CCreSrfContourPath(const CCreSrfContourPath& other);
  CCreSrfContourPath& operator=(const CCreSrfContourPath& other);

  // A new db path group the caller owns, or null: no model, no usable cutter, a step or cell
  // that sizes no layers or net, a cancel request (everything made so far is freed), or no
  // pass at all.
  CDbPathGroup* CreateContourPath(CMillCenter* model, CTypedPtrList<CObList, CGeRegion*>* regions,
                                  CParamSrfFinish& finish);
  // Pocketing passes over the model's plane contours and flat faces, appended to group. 1, or 0
  // for a missing model or a failed net.
  int CreateFlatSurfPath(CMillCenter* model, CParamSrfFinish& finish, CPathGroup& group);
  // The outline of the whole model offset outward by the cutter radius: a chain of loops the
  // caller owns, or null.
  CSmartLoop* GenSurfBound(CMillCenter* model, const QNC_CornerType& corner);

  uint8_t exclude = 0;     // drop the largest contour of every layer
  uint8_t orderFlag = 0;   // clear: combines ordered from the highest start down
  double step = 1.0;
  CProtectNet net;
  double box[6] = {0, 0, 0, 0, 0, 0};
  double zRange[2] = {0, 0};  // bottom, top
  std::vector<std::unique_ptr<CIntCurveSet>> layers;
  CMillCenter* model = nullptr;  // not owned

  // The closed contours of one layer at its level, appended with the level as their value
  // (simplified with tol). Nothing without a model or a layer.
  void GenOneLayerLoop(CIntCurveSet* layer, double tol);

 private:
  struct Column {
    std::vector<PtCurve> curves;
    std::vector<double> z;
  };
  int Create(const CTool* tool, const double modelBox[6], bool useUserCell, double userCell);
  // 1 done, 0 cancelled.
  int GenContourPath(const CSmartLoop* boundary, CParamSrfFinish& finish, CPathGroup& group);
  void ProcBorder(const CSmartLoop* boundary, CIntCurveSet& layer);
  void GenPathGroup(CParamSrfFinish& finish, CPathGroup& group);
  void GetStartPnt(int code, Pt2& p) const;
  bool GetLinkICS(size_t first, double linkDist, Pt2& p, Pt2& travel, int linkType, double ramp,
                  Column& column);
  void GenPathCombine(Column& column, int linkType, double linkParam, double ramp, CPathGroup& group);
  void GenPathCombine(Column& column, const QNC_CutAreaDef& def, int linkType, double linkParam,
                      CPathGroup& group);
  static void CombineSameLoop(const std::vector<double>& z, std::vector<char>& drop, size_t a, size_t b,
                              double gap);
  static void SeparateLoop(const std::vector<double>& z, std::vector<char>& starts, size_t a, size_t b,
                           double gap);
  void OrderPathCombByMinZ(CPathGroup& group) const;
  // Flat areas.
  int GenPlanePath(CParamSrfFinish& finish, CPathGroup& group);
  int GenPlanePath(CParamSrfFinish& finish, CSmartLoop* loops, double z, CPathGroup& group);
  void GenCntrPlanePath(CParamSrfFinish& finish, CSmartLoop* loop, double z, CPathGroup& group);
  void GenFlatSurfPath(CParamSrfFinish& finish, CPathGroup& group);
  void FreeLayers() { layers.clear(); }
  // The model's heights for telling buried section segments; laid out by the first layer of a
  // run (Create starts a run).
  CCenterHeights heights_;
  const CMillCenter* heightsOf_ = nullptr;
};
