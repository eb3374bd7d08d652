// Curve-level 3D tools: coplanarity, offsets within a plane, fillet arcs, common tangents,
// joining NURBS curves and fitting NURBS pieces through point lists.
#pragma once

#include <vector>

struct BCRV;
class CGeCurve3d;
class CGeArc3d;
class CGeNrbCrv3d;

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
};
