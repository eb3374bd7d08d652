// NC polylines: the sweep strategies build their toolpaths as linked lists of points whose
// heights are pushed up onto the cutter-contact surface of a mesh mill model, refined where the
// model departs from the chords, then simplified and handed on as path entities or polylines.
#pragma once

#include <cstddef>

#include "platform/afx/TypedPtrList.h"
#include "platform/numora/Records.h"

class CMillModel;
class CPathCombine;
class CGePolyline3d;

struct CNcPoint {
  int tag;   // 0 interpolated, 1 height taken from one mesh, -1 kept by simplification
  double x;
  double y;
  double z;  // tool tip
  double w;  // second height, interpolated like the coordinates
};

class CNcPline : public CTypedPtrList<CPtrList, CNcPoint*> {
 public:
  CNcPline();
  ~CNcPline() override;
  CNcPline(const CNcPline&) = delete;
  CNcPline& operator=(const CNcPline&) = delete;

  using CTypedPtrList<CPtrList, CNcPoint*>::AddTail;
  using CTypedPtrList<CPtrList, CNcPoint*>::InsertBefore;

  // Most points Init makes on one line.
  static constexpr int kMaxInitPoints = 1000000;

  void DelAllPoint();
  // Leaves the polyline empty when an end point is not finite or the step would put more than
  // kMaxInitPoints points on the line.
  void Init(const double p0[3], const double p1[3], double step);
  void CalcBox();
  void Reverse();
  int GetStartPoint(double out[3]) const;
  int GetEndPoint(double out[3]) const;
  // k = 0..3 sets x, y, z or w of every point.
  void SetPointValue(int k, double v);
  void AddTail(CNcPoint* point);
  void AddHead(CNcPoint* point);
  void AddTail(const double p[3]);
  // Moves every point of the other list to the end of this one.
  void AddTail(CNcPline* list);
  // With before null the point is appended.
  void InsertBefore(CNcPoint* point, CNcPoint* before);
  int AddToPathCombine(CPathCombine* chain) const;
  void InsPoint(double step);
  // 0 for fewer than 2 points, no model, cancellation or a height the model could not give
  // (points inserted so far are kept).
  int ChkTol_InsPt(CMillModel* model, double tol, int mode);
  int IsoY_ChkTol_InsPt(CMillModel* model, double tol);
  void Simplify(double tol);
  CGePolyline3d* ConvertTo() const;

  int flags = 0;
  int index = 0;  // sweep line number
  int kind = 1;   // 1 sweep line, 2 link; 2 and 3 keep their probe heights
  _tagBox3D box;
  int spare = 0;

 private:
  friend class CNcPlineGrp;
  enum class Refined { Done, Cancelled, Failed };
  // ChkTol_InsPt advancing the progress display by progressStep per segment (0: not at all).
  Refined Refine(CMillModel* model, double tol, int mode, double progressStep);
};

class CNcPlineGrp : public CTypedPtrList<CPtrList, CNcPline*> {
 public:
  CNcPlineGrp();
  ~CNcPlineGrp() override;
  CNcPlineGrp(const CNcPlineGrp&) = delete;
  CNcPlineGrp& operator=(const CNcPlineGrp&) = delete;

  void DelAll();
  void CalcBox();
  // 0 when a height the model could not give stopped a polyline's refinement (the others are
  // still refined); a cancelled refinement still answers 1.
  int ChkTol_InsPt(CMillModel* model, double tol);
  // Joins lines of consecutive numbers into zig-zags with links no longer than maxLink (XY).
  int LinkLines(CMillModel* model, double maxLink);
  // The same joins, the links refined on up to nModels threads, thread t on models[t]: equal
  // copies of one model (same meshes, cutter and depths), so that the result is the one above.
  int LinkLines(CMillModel* const* models, size_t nModels, double maxLink);

  _tagBox3D box;
};
