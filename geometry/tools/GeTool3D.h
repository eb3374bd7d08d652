// Curve-level 3D tools: coplanarity, offsets within a plane, fillet arcs, common tangents,
// joining NURBS curves and fitting NURBS pieces through point lists.
#pragma once

#include <vector>

#include "geometry/shapes2d/ShapeListUtil.h"
#include "platform/afx/TypedPtrList.h"

struct BCRV;
class CGeCurve3d;
class CGeArc3d;
class CGeNrbCrv3d;
class CGeLoop3d;
class RBTree;
using CGeLoop3dList = CTypedPtrList<CPtrList, CGeLoop3d*>;

// Deletes every loop of the list and empties it; null is ignored.
void geDelLoop3dList(CGeLoop3dList* loops);

class CGeTool3D {
 public:
  // 1 when a and b lie in one plane; pt and normal receive it.
  static int IsCoplanar(CGeCurve3d* a, CGeCurve3d* b, double pt[3], double normal[3], double tol,
                        double angTol);
  // Offset of c by dist to the left of its travel as seen from normal; 1 with a new curve in out
  // (caller owns it), 0 with out null.
  static int CurveOffset(CGeCurve3d* c, const double normal[3], double dist, CGeCurve3d*& out);
  // Arc of the radius tangent to two coplanar curves (caller owns it), or null; ta, tb receive
  // the touching parameters.
  static CGeArc3d* GetFilletArc3d(CGeCurve3d* a, CGeCurve3d* b, double radius, double& ta,
                                  unsigned& sega, double& tb, unsigned& segb);
  // Touching points of a line tangent to two coplanar arcs; the side of each is picked by the
  // points at *ta and *tb. pa lies on the arc of the smaller radius. 1 on success.
  static int GetTanPtAt2Arc(CGeArc3d* a, CGeArc3d* b, double* ta, double* tb, double pa[3],
                            double pb[3]);
  // Newton search from *ta, *tb for a line touching both curves. 1 with the parameters updated.
  static int GetTanPtAt2Curve(CGeCurve3d* a, CGeCurve3d* b, double* ta, double* tb, double pa[3],
                              double pb[3]);
  // New curve joining a and b (end to start within 0.01), or null; the inputs are untouched.
  static CGeNrbCrv3d* Merge(CGeNrbCrv3d* a, CGeNrbCrv3d* b);

  // NURBS pieces fitted through the points with degree p, a new piece starting where a point
  // strays more than maxDev from the line of the last two or turns sharper than minAngle.
  // The pieces are appended to out and belong to the caller.
  static void GlobalInterp(const double (*pts)[3], int n, int p, double maxDev, double minAngle,
                           std::vector<BCRV*>& out);
  // The pieces joined into one record (caller owns it); null when there are none.
  static BCRV* GlobalInterp(const double (*pts)[3], int n, int p, double maxDev, double minAngle);

  // --- 3D loops: chaining, orienting, nesting and ordering -------------------------------
  // Copies of the curves chained by turning angle (x-y projection) into loops appended to
  // loops; with closedOnly, chains that do not close within tol are dropped. A tolerance that
  // is not a finite distance (>= 0), or a curve with a non-finite end point, gives no loops.
  void ReCreateLoop3d(CGeCurve3dList* curves, CGeLoop3dList* loops, double tol, bool closedOnly);
  // Moves the curves into chains that retrace branches, one loop per chain.
  void CreateLinkedCurve(CGeCurve3dList* curves, CGeLoop3dList* loops);
  // Moves the curves into chains that start at the lowest start point and follow start points.
  void CreateLoop3dForClearCorner(CGeCurve3dList* curves, double tol, CGeLoop3dList* loops);
  // Copies of the curves chained by nearest end point; the input is untouched.
  void MakeLoop3d(CGeCurve3dList* curves, CGeLoop3dList* loops);
  // Composite curves (copies) running between branch points of a curve network.
  void AxisCrvToComCrv(CGeCurve3dList* curves, CGeCurve3dList* out, double tol, double minLength);
  // Outer loops counter-clockwise (seen from +z), each followed by its direct holes, clockwise.
  void ReSortLoop(CGeLoop3dList* loops);
  // Short travel: each next curve is the one with the nearest end (reversed when its end wins).
  void NearestDistanceSort(CGeCurve3dList* curves);
  void NearestDistanceSort(CGeLoop3dList* loops, bool allowReverse);
  int IsLinked(CGeCurve3dList* curves, double tol);
  int IsLoop3d(CGeCurve3dList* curves, double tol);

 private:
  CGeCurve3d* GetHead(CGeCurve3dList* curves);
  CGeCurve3d* GetHeadInZmin(CGeCurve3dList* curves);
  CGeCurve3d* SearchNext(CGeCurve3dList* pool, const double end[3], const double back[3],
                         double tol, bool remove, bool& forward);
  CGeCurve3d* SearchNextForZFirst(CGeCurve3dList* pool, const double point[3], double ignored,
                                  double tol);
  CGeCurve3d* SearchSingleNeighbor(CGeCurve3dList* pool, const double point[3], double tol,
                                   int& count);
  // Takes the curve of the index with an end nearest to point; reversed tells that its end
  // matched (the curve itself is left as it is).
  CGeCurve3d* SearchNearestCurve(RBTree& tree, const double point[3], double tol,
                                 std::vector<CGeCurve3d*>& curves, bool& reversed);
  bool RecedeLinkCurve(CGeCurve3dList* pool, CGeLoop3d* loop, CGeCurve3d* curve, double tol);
  void SortLoopWithArea(CGeLoop3dList* loops);
  void GetRegionInLoop(CGeLoop3dList* group, CGeLoop3dList* kept);
  void CreateScanBeamTree(std::vector<CGeCurve3d*>& curves, double tol, RBTree& tree);
};
