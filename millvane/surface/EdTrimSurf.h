// The trim editor of one trimmed surface: loads its trim loops as bounds, takes cutting curves
// in UV, cuts everything at the crossings and walks the pieces into new loops, nested into
// outer loops with islands.
#pragma once

#include "millvane/surface/EdTrimLoop.h"
#include "platform/numora/Bcrv.h"

class CGeTrimSurf;

class CEdTrimSurf {
 public:
  CEdTrimSurf();
  ~CEdTrimSurf();
  // Loops, curves and results are owned; copying would share and free them twice.
  CEdTrimSurf(const CEdTrimSurf&) = delete;
  CEdTrimSurf& operator=(const CEdTrimSurf&) = delete;

  int InitSurfBound(CGeTrimSurf* surface);
  int AddLoop(CEdTrimLoop* loop);
  int AddCurve(CEdTrimBound* curve);
  int AddIntBounds(CEdTrimBound* chain);
  int AddCurve(double (*uv)[2], int count);
  void AddCurve(double (*uv)[2], int count, int first, int last, bool merge);
  int ClipToPeriodic(double p[2]);
  int IsPointIn(const double p[2]);
  int AutoIntersect(bool force);
  void ExtendIntBound();
  CEdTrimBound* BreakAllBound();
  void PretreatBnd(CEdTrimBound* pool, double uvTol);
  // Overlapping pieces are left in the pool: the loop walk takes one and the other dies.
  void DelOverlapBnd(CEdTrimBound* pool, double tol);
  CEdTrimBound* FindNextBound(CEdTrimBound* pool, double p[2], double dir[2], double tol);
  int CreateLoop(CEdTrimLoop*& result, CEdTrimBound*& pool, CEdTrimBound** chain, int first,
                 int last);
  CEdTrimLoop* FormLoop(CEdTrimBound* pool, double tol);
  CEdTrimLoop* BuildTrimLoop(CEdTrimLoop* list);
  CEdTrimLoop* FormTrimLoop();
  // The same steps as FormTrimLoop; the largest outer loop comes back as a new Geometry loop
  // (islands not included) owned by the caller, and the loop list is freed. Null when no loop
  // was formed.
  CGeTrimLoop* FormSurfLoop();
  int TrimSurface(int extend);
  int IsReverseBnd(CEdTrimBound* chain, CEdTrimBound* b);
  int SnapPoint(const double p[3], double q[3], double& u, double& v);
  void IsLink(const double a0[2], const double a1[2], const double b0[2], const double b1[2],
              double uvTol, double tol3d, int& ia, int& ib);
  double GetMinCloseTol();
  void ClearResult();
  int DeleteAllCurve();

  int m_nRole;
  CGeTrimSurf* m_pSurface;
  int m_bUPeriodic;
  int m_bVPeriodic;
  _tagBox2D m_uvBox;
  CEdTrimLoop* m_pFirstLoop;
  CEdTrimLoop* m_pLastLoop;
  CEdTrimBound* m_pFirstCurve;
  CEdTrimBound* m_pLastCurve;
  CEdTrimSurf* m_pNext;
  CEdTrimSurf* m_pPrev;
  CEdTrimLoop* m_pResult;

 private:
  // Parameter ranges of the surface, read once when it is loaded (the point test asks for
  // them on every call otherwise).
  int GetParam(_param& U, _param& V);
  const void* m_pParamSrf = nullptr;  // surface the cached ranges belong to
  int m_nParamOk = 0;
  _param m_U{};
  _param m_V{};
};
