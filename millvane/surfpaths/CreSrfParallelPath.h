// Raster (direction-parallel) finishing and roughing passes over a tool-centre model: lines at a
// fixed spacing and angle, each following the upper envelope of the model's section and never
// below the bottom of the cut, clipped to the machining boundary, optionally restricted to the
// shallow or steep stretches, then linked one way or zig-zag.
#pragma once

#include <vector>

#include "millvane/paths/ProtectNet.h"
#include "millvane/surfpaths/RasterLines.h"
#include "platform/afx/TypedPtrList.h"

class CDbPathGroup;
class CGeRegion;
class CMillCenter;
class CParamSrfFinish;
class CParamSrfRough;
class CPathCombine;
class CPathGroup;
class CSmartLoop;
class CTool;

class CCreSrfParallelPath {
 public:
  CCreSrfParallelPath();
  ~CCreSrfParallelPath();
  CCreSrfParallelPath(const CCreSrfParallelPath&) = default;
  CCreSrfParallelPath& operator=(const CCreSrfParallelPath&) = default;

  // A new db path group the caller owns, or null: no model, no usable cutter, a failed line
  // array or net, an offset boundary without result, a cancel request, or no pass at all. The
  // model is back in its own orientation when the call returns.
  CDbPathGroup* CreateParallelPath(CMillCenter* model, CTypedPtrList<CObList, CGeRegion*>* regions,
                                   CParamSrfFinish& finish);
  CDbPathGroup* CreateParallelPath(CMillCenter* model, CTypedPtrList<CObList, CGeRegion*>* regions,
                                   CParamSrfRough& rough);

  // One raster line: its y and its curves in (x, z), increasing x.
  struct Line {
    double y = 0.0;
    std::vector<PtCurve> curves;
  };

  double step = 1.0;
  double angle = 0.0;
  double bottom = 0.0;
  double top = 0.0;
  int steepMode = 0;
  double steepAngle = 0.0;
  std::vector<Line> lines;
  CProtectNet net;

 private:
  struct Params {
    bool finishing;
    uint32_t options;
    uint8_t optByte;
    double step, boundOffset, angleDeg, minLength, extension, steepAngleDeg;
  };
  CDbPathGroup* Run(CMillCenter* model, CTypedPtrList<CObList, CGeRegion*>* regions,
                    const Params& p);
  int Create(const CTool* tool, const double box[6], double yLow, double yHigh);
  // Intervals of every line inside the loops; lines crossing no loop get none.
  void GetLoopsMachArea(const CSmartLoop* loops, std::vector<std::vector<Interval>>& area) const;
  // 1, 0 without a model, -1 on a cancel request.
  int GenIntCurveSetLib(CMillCenter* model, const std::vector<std::vector<Interval>>* area);
  void TrimIntCurveSetLib(double angleRad, int mode, double minLength, double extension);
  void GenPathGroupOneWay(CPathGroup& group);
  void GenPathGroupZigZag(CMillCenter* model, CPathGroup& group, bool optimise);
  // Cross-direction pass: zig-zag runs much shorter along the lines than across them are cut
  // again with lines turned a quarter turn.
  void ProcOptCutDir(CMillCenter* model, CPathGroup& group);
  int ProcOptCutDir(CMillCenter* model, CPathGroup& group, CPathGroup& out);
  // Takes the combines of the group no longer along the lines than ratio times their extent
  // across, as welded loops of their outlines.
  static CSmartLoop* GenBoxLoopsByLWR(CPathGroup& group, double ratio);
  static CSmartLoop* CreateLoopByPComb(const CPathCombine* comb);
};
