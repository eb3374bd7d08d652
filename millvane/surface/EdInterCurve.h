// A curve that cuts one or two trimmed surfaces: a traced surface-surface intersection between
// two editors, or a UV point string on one editor. Stored as a polyline of 7-component points
// (x, y, z, uA, vA, uB, vB); it collects the places where it crosses or nears trim bounds,
// other curves and itself, and hands the stretches that lie inside both trimmed domains to the
// editors as cutting bounds, to callers as kernel records, or as segments.
#pragma once

#include "millvane/surface/EdTrimSurf.h"
#include "platform/afx/TypedPtrList.h"

struct _intcur;

class CEdInterCurve;

// A place along a curve: crossing, near point, self contact or end point.
class CEdInterPoint {
 public:
  CEdInterPoint* m_pNext = nullptr;
  CEdInterPoint* m_pPrev = nullptr;
  double m_pt[7] = {0, 0, 0, 0, 0, 0, 0};
  double m_dParam = 0.0;  // segment index + fraction
  int m_nKind = 0;
  CEdTrimSurf* m_pEditor = nullptr;
};

// A kept stretch of a curve.
class CEdInterLine {
 public:
  CEdInterLine* m_pNext = nullptr;
  CEdInterLine* m_pPrev = nullptr;
  CEdInterCurve* m_pCurve = nullptr;
  double m_dStart = 0.0;
  double m_dEnd = 0.0;
  double m_ptStart[3] = {0, 0, 0};
  double m_ptEnd[3] = {0, 0, 0};
  double m_uvAStart[2] = {0, 0};
  double m_uvAEnd[2] = {0, 0};
  double m_uvBStart[2] = {0, 0};
  double m_uvBEnd[2] = {0, 0};
};

// Deletes a segment chain along its next links and sets the pointer to null.
void GeoEdit_DeleteLines(CEdInterLine*& lines);

class CEdInterCurve {
 public:
  CEdInterCurve();
  ~CEdInterCurve();
  // Points and crossing points are owned; a member-wise copy would free them twice.
  CEdInterCurve(const CEdInterCurve&) = delete;
  CEdInterCurve& operator=(const CEdInterCurve&) = delete;

  int Create(const _intcur* rec, CEdTrimSurf* a, CEdTrimSurf* b);
  int Create(double (*uv)[2], int count, CEdTrimSurf* editor);
  void Reset();
  int IsOverlap(CEdInterCurve* other);
  int InterWithBound(CEdTrimLoop* loop, CEdTrimBound* bound);
  int InterWithLoop(CEdTrimLoop* first, int nearPoints);
  int InterWithIntCurve(CEdInterCurve& other);
  int InterWithIntCurve(CEdInterCurve& other, int idx, int otherIdx, CEdTrimSurf* editor,
                        int kind);
  int InterWithSelf();
  int CreateNearPoint(CEdInterCurve* other, double unused);
  int CreateNearPoint(CEdTrimLoop* loop, CEdTrimBound* bound);
  int CreateNearPoint();
  void AddEndPoint();
  int IsValid(CEdInterPoint* a, CEdInterPoint* b, CEdTrimSurf* editor);
  CEdTrimBound* GetValidBound(CEdTrimSurf* editor, int refine);
  CEdInterLine* GetValidSegment(int unused);
  // Appends one new intersection record per kept stretch. Each record and both of its surface
  // records (B-spline records over clones of the editors' surfaces) belong to the caller, who
  // releases them with FreeValidIntCur: ENT_Free of the record alone leaves the surface
  // records behind.
  void GetValidIntCur(CTypedPtrList<CPtrList, _intcur*>* list);
  // Frees a record made by GetValidIntCur with its surface records; null is accepted.
  static void FreeValidIntCur(_intcur* rec);

  int CountPoints() const;

  CEdTrimSurf* m_pEditorA;
  CEdTrimSurf* m_pEditorB;
  CEdInterCurve* m_pNext;
  CEdInterCurve* m_pPrev;
  int m_nState;
  int m_nSideA;
  int m_nSideB;
  int m_nLast;
  double (*m_pPoints)[7];
  double m_boxMin[7];
  double m_boxMax[7];
  int m_bPeriodic[4];  // uA, vA, uB, vB
  CEdInterPoint* m_pFirstPt;
  CEdInterPoint* m_pLastPt;
  int m_bClosed;

 protected:
  int AddNewPoint(CEdInterPoint* pt);
  int GetPoint(double t, double out[7]);
  CEdTrimBound* GetSubBound(CEdInterPoint* a, CEdInterPoint* b, int idx, CEdTrimSurf* editor,
                            int refine);

 private:
  void CalcBox();
  void ShiftIntoRanges();
  CEdInterPoint* MakePoint(double t, int kind, CEdTrimSurf* editor);
  void FreePoints();
};
