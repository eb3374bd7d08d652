// Trim job over a base group of trimmed surfaces and a tool group: gives every surface a kernel
// record and a UV trim editor, intersects base with tool surfaces, turns the traced curves (and
// curves fed in directly) into UV intersection curves, cuts them at their crossings, builds new
// trim loops and hands out the results as trimmed surfaces, 3D curves or kernel records.
//
// The adaptor changes the kernel's global tolerances while it intersects and restores them, so
// only one trim job may run at a time.
#pragma once

#include <vector>

#include "platform/afx/Array.h"
#include "platform/numora/Records.h"

#include "geometry/surfaces/GeTrimSurf.h"
#include "platform/afx/TypedPtrList.h"

struct _intcur;
class CEdTrimSurf;
class CEdTrimLoop;
class CEdInterCurve;
class CGeCurve3d;

using CGeTrimSurfList = CTypedPtrList<CObList, CGeTrimSurf*>;
using CGeCurve3dPtrList = CTypedPtrList<CObList, CGeCurve3d*>;

class CSrfTrimAdaptor {
 public:
  CSrfTrimAdaptor() = default;
  // Frees the kernel data this adaptor made, its curves and its editors. The surfaces are the
  // caller's; a kernel record a surface brought along stays with it (other records, such as
  // offsets traced by a caller, may still point at it).
  virtual ~CSrfTrimAdaptor();
  CSrfTrimAdaptor(const CSrfTrimAdaptor&) = delete;
  CSrfTrimAdaptor& operator=(const CSrfTrimAdaptor&) = delete;

  // A new curve on editors a and b unless it repeats a trim bound of a; either editor may be
  // null (a null a counts as "not on an existing bound"). Null when no curve is kept.
  virtual CEdInterCurve* AddInterCurve(_intcur* curve, CEdTrimSurf* a, CEdTrimSurf* b);
  // Projects a 3D point string onto the editor's surface; every run of at least two projected
  // points becomes a UV curve.
  virtual void AddPointString(const CArray<tagDPoint3d, tagDPoint3d>& points,
                              CEdTrimSurf* editor);
  // A UV point string on one surface as a curve; ends near the domain edge are snapped onto it,
  // a periodic seam crossing is unwrapped and a wished-for end extension reaches across the
  // domain. Null when nothing was made.
  virtual CEdInterCurve* AddUVCurve(double (*uv)[2], int count, CEdTrimSurf* editor,
                                    bool extendStart, bool extendEnd);
  // All crossings of every curve with its editors' loops (and, with withCurves, with the other
  // curves and itself); 0 when there is no curve.
  virtual int IntersectCurves(bool withCurves);
  // New trim loops in the editors of the base group (which = 0), the tool group (1) or both (2).
  virtual int BuildTrimLoops(int which);
  // Intersects every base surface with every tool surface; 1 when at least one curve exists.
  virtual int IntersectSurfaces();
  // Crossings, then new trim loops in the chosen editors; 1.
  virtual int Trim(int which);
  // Every result loop of every editor as a new surface appended to out; 1 when out is
  // non-empty.
  virtual int GetTrimmedSurfaces(CGeTrimSurfList* out);
  // The result loops of the surface's editor as new surfaces, leaving out loops that keep the
  // discarded side of a cut; 1 when out is non-empty.
  virtual int GetSurfaceResult(CGeTrimSurf* surface, CGeTrimSurfList* out);
  // The valid pieces of every curve on the editor as 3D curves of the given MakeCurve type.
  virtual void GetCurves(CEdTrimSurf* editor, int type, CGeCurve3dPtrList* out);
  // The valid segments of every curve as new kernel intersection records (release each with
  // CEdInterCurve::FreeValidIntCur); 0 for a null list, else 1.
  virtual int GetIntersectionCurves(CTypedPtrList<CPtrList, _intcur*>* out);

  // Puts the surface into the base group (tool false) or the tool group and gives it an editor;
  // 0 for null, a surface without NURBS surface, or a surface already taken.
  int AddSurface(CGeTrimSurf* surface, bool tool);
  CEdTrimSurf* FindEditor(CGeTrimSurf* surface);
  // Frees every surface's sample cache, and the kernel records this adaptor made.
  void ReleaseKernelData();
  // Frees the tool surfaces' caches and deletes the tool surfaces; empties the tool group.
  void ReleaseToolSurfaces();
  // A new trimmed surface for one result loop of the editor (with its islands); null when the
  // loop is not a result of that editor or a conversion fails.
  CGeTrimSurf* MakeTrimSurf(CEdTrimSurf* editor, CEdTrimLoop* loop);
  // 1 when the curve runs along a trim bound of the editor's loaded loops within 0.01.
  int IsOnExistingBound(CEdTrimSurf* editor, CEdInterCurve* curve);
  // Discretisation precision for intersecting the pair.
  void CalcIntersectPrecision(CGeTrimSurf* a, CGeTrimSurf* b, double out[3]);
  // Length of the shortest of ten iso-lines (above 0.06); 1e12 when none; 0 for null.
  int EstimateSurfaceSize(CGeTrimSurf* surface, double& size);

  int m_nMode = 0;  // not 0: loop building extends dangling curve ends
  CGeTrimSurfList m_BaseList;
  CGeTrimSurfList m_ToolList;
  CEdInterCurve* m_pFirstCurve = nullptr;
  CEdInterCurve* m_pLastCurve = nullptr;
  CEdTrimSurf* m_pFirstEditor = nullptr;
  CEdTrimSurf* m_pLastEditor = nullptr;

 private:
  void AppendCurve(CEdInterCurve* curve);
  bool HasCurveBetween(CEdTrimSurf* a, CEdTrimSurf* b) const;
  // Surfaces whose kernel record was made here, and so is freed here.
  std::vector<CGeTrimSurf*> m_MadeRecords;
};
