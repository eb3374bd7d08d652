// One polyline of the UV trim editor: a boundary copied from a trimmed surface's loop or a
// cutting curve. It records where other curves cross it, cuts itself at those crossings,
// extends a dangling end to the domain boundary and evaluates its vertices on the surface.
#pragma once

#include "platform/numora/Records.h"

class CGeTrimBnd;
class CGeTrimSurf;
class CStrP3D;
class CEdTrimSurf;

// A crossing recorded on a bound: (u, v) and t = segment index + fraction.
struct EdBndIntPoint {
  double p[3];
  EdBndIntPoint* next;
};

class CEdTrimBound {
 public:
  CEdTrimBound();
  ~CEdTrimBound();
  // Points, world points and crossings are owned; a member-wise copy would free them twice.
  // CopyMyself makes an independent copy.
  CEdTrimBound(const CEdTrimBound&) = delete;
  CEdTrimBound& operator=(const CEdTrimBound&) = delete;

  int Create(const CGeTrimBnd* bnd);
  int Create(const CStrP3D* str, _tagBox2D box);
  void CalcBox();
  void Refine(double tol);
  void ReverseDirect();
  int LineLineInt(const double a0[2], const double a1[2], const double b0[2], const double b1[2],
                  double out[2]);
  int BoundBoundInt(CEdTrimBound& other, bool force);
  int BoundSelfInt();
  int AddIntPoint(const double p[3]);
  CEdTrimBound* BreakBound(bool refine);
  CEdTrimBound* GetSubBound(const double a[3], const double b[3], bool refine);
  CEdTrimBound* CopyMyself();
  void GetMidPoint(double out[2]);
  int GetTangent(int atEnd, double pt[2], double dir[2]);
  int GetEndPoint(double s[2], double e[2]);
  void SetStartPoint(const double p[2]);
  void SetEndPoint(const double p[2]);
  double GetLength();
  void GetExTendFlag(bool& atStart, bool& atEnd, CEdTrimSurf* editor);
  void ClearIntPoint();
  int ExtendBoundBegin(CEdTrimSurf* editor);
  int ExtendBoundEnd(CEdTrimSurf* editor);
  int ExtendBoundBoth(CEdTrimSurf* editor);
  void TrimIntBound();
  void CalWorldPoint(CGeTrimSurf* surface);

  // Replaces the points by n+1 (u, v) pairs, renumbers t and forgets the world points;
  // 0 on allocation failure (the bound is unchanged then).
  int SetPoints(const double (*uv)[2], int count);
  int CountIntPoints() const;

  int m_nLast;                 // n: points 0..n
  double (*m_pPoints)[3];      // (u, v, t), owned
  _tagBox2D m_box;
  int m_nKind;                 // -1 fresh, 0 boundary, 1 cutting, 2 extended cutting
  int m_nExtMask;              // 1 start extended, 2 end extended
  CEdTrimBound* m_pNext;
  CEdTrimBound* m_pPrev;
  double (*m_pWorld)[3];       // owned or null
  _tagBox3D m_worldBox;
  EdBndIntPoint* m_pIntHead;
  EdBndIntPoint* m_pIntTail;
  int m_nLoopState;            // 3 free, 0 taken, -3 dead
  int m_nId;
  int m_nKeep;
  int m_bStartMoved;
  int m_bEndMoved;

 private:
  int Extend(CEdTrimSurf* editor, bool atStart, bool atEnd, bool closedBy3d);
};
