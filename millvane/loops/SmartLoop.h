// The smart loop: one closed chain of sections with its doubled signed area (positive =
// counter-clockwise outer boundary, negative = clockwise island), box and height, plus the
// loops it owns: islands (holes) and children (loops generated from it). Offsets, booleans and
// ordering consume the loops handed to them and return new lists linked through next/prev.
#pragma once

#include <cstdint>
#include <vector>

#include "millvane/loops/SmartCurve.h"

#include "millvane/loops/CutRecords.h"

class CPathCombine;
class CPathEntity;
class CSectRowIndex;
class CSmartCurveLib;

// Loop state bits.
enum : uint8_t {
  kLoopCrossed = 0x01,  // crosses a loop of another kind during clipping
  kLoopEmitted = 0x04,
  kLoopLinkTarget = 0x10,
};

class CSmartLoop {
 public:
  CSmartLoop();
  // A loop owns its curve, children and islands: a member-wise copy would free them twice.
  // CopyLoop and CopyContour make real copies.
  CSmartLoop(const CSmartLoop&) = delete;
  CSmartLoop& operator=(const CSmartLoop&) = delete;
  virtual ~CSmartLoop();

  CSmartLoop* CopyLoop() const;
  CSmartLoop* CopyContour() const;
  int CreateLoop(const double corner1[2], const double corner2[2]);
  CSmartCurve* UpdateSect(CSmartCurve* c);
  void SetHeight(double z) { height = z; }
  void SetContourInfo(double z, int fromOrigin);
  void SetBoundInfo(int bound);
  int InitBuffer();
  void DefineBox();
  void RotateContour(double angle);
  void ReverseLoop(int negate);
  void ReverseContour(int negate);

  CSmartCurve* GetCurve() const { return curve; }
  CSmartLoop* GetIsland() const { return islands; }
  CSmartLoop* GetChild() const { return children; }
  CSmartSect* GetSectHead() const { return curve ? curve->head : nullptr; }
  CSmartSect* GetSectTail() const { return curve ? curve->tail : nullptr; }
  CSmartSect* GetSectMid() const;

  int AddIsland(CSmartLoop* loop);
  void RemoveIsland(CSmartLoop* loop);
  int AddChild(CSmartLoop* loop);
  void RemoveChild(CSmartLoop* loop);
  void DeleteChild(CSmartLoop* loop);
  int InsertNewLoop(CSmartLoop* loop);
  double Area() const;

  int IsPointIn(const double p[2]) const;
  int IsPtOnContour(const double p[2]) const;
  int IsLoopOn(const CSmartLoop* loop) const;
  double MinDistPoint(const double p[2]) const;
  int IsLineInt(const CSmartLine* line) const;
  int LineIntCurve(const CSmartLine* line, CSmartCurve*& out) const;
  int GetYLineInt(double y, double (*points)[2], CSmartSect** sects, int max) const;
  // The same crossings, read from the sections an index of this contour files near y.
  int GetYLineInt(double y, double (*points)[2], CSmartSect** sects, int max,
                  const CSectRowIndex* index) const;
  int GetYLineIntContour(double y, double (*points)[2], int max) const;
  int GetLineInt(const double p[2], const double q[2], double (*points)[2], CSmartSect** sects,
                 int max) const;
  int GetCircleInt(const double centre[2], double radius, double (*points)[2],
                   CSmartSect** sects, int max) const;
  int GetCircleInt(const CSmartArc* arc, double (*points)[4], CSmartSect** sects, int max) const;
  // Merges vertex duplicates of crossings on one horizontal line and sorts them along x.
  static int SortPointSect(double (*points)[2], CSmartSect** sects, int count);

  // Offsets (positive distance moves sections to their left).
  CSmartLoop* OffsetLoop(double d, const QNC_CornerType& corner);
  CSmartLoop* OffsetIsland(double d, const QNC_CornerType& corner, int firstKind);
  CSmartLoop* OffsetContour(int mode, double d, double dIsland, const QNC_CornerType& corner);
  static CSmartLoop* OffsetContourList(CSmartLoop* list, int mode, const double distances[2],
                                       const QNC_CornerType& corner);
  static CSmartLoop* BuildContour(CSmartLoop* list);

  // Booleans and ordering.
  int LoopLoopInt(CSmartLoop* other);
  int ContourContourInt(CSmartLoop* other);
  static int IsOnContour(const CSmartLoop* contour, const double p[2]);
  CSmartCurve* ContourBreak() const;
  static CSmartLoop* ClipLoops(CSmartLoop* list);
  static CSmartLoop* WeldContours(CSmartLoop* list);
  static CSmartLoop* IntersectLoop(CSmartLoop* list);
  static CSmartLoop* SubtractContours(CSmartLoop* a, CSmartLoop* b);
  static CSmartLoop* SortByDist(CSmartLoop* list);
  static CSmartLoop* SortByDist(CSmartLoop** array, int count);
  void ResortIsland(CSmartLoop** array);
  static CSmartLoop* ResortContour(CSmartLoop* list, int type, int nestInOuter);
  CSmartLoop* ExtractContour(int flattenAll);

  // Follow pocket: the tree of successive inward offsets. 0 (tree left empty) for a step that
  // is not a finite number above 1e-6, for absurd input (see CutRecords.h) or on cancel.
  int FollowContour(QNC_CutFollowDef& def, const QNC_CornerType& corner, int maxLevel);
  int FollowContour(int style, double step, const QNC_CornerType& corner, int maxLevel,
                    double halfStepLimit);
  CSmartLoop* FollowPath(int type, double step, const QNC_CornerType& corner);

  // Linking of a pocket tree and its emission into path chains. A loop that no section of its
  // parent matches gets the connect end (1000000, 1000000) and is never entered by a link: it
  // starts a cut of its own.
  int CreateFollowPath(CPathCombine* combine, QNC_CutFollowDef& def,
                       const QNC_CornerType& corner, const QNC_OrderType& order);
  int ExtractFollowPath(CPathCombine* combine, const QNC_CutFollowDef& def,
                        const QNC_OrderType& order);
  int ConnectFollowPath(int style, uint32_t flags);
  // Other link placers: each treats the children first, then splits its own chain.
  int ConnectAllChild();
  int ConnectFollowChild();
  int ConnectFollowIsland();
  int ConnectMiddleChild();
  int ConnectMiddleIsland();
  // Links each island to a loop offset from it (kind -1), or else to this loop (kind 1).
  int ConnectOuterIsland();
  int CreateConnectPoint(CSmartSect* sect, const double p[2], double out[2]);
  void UpdateConnectPoint(const double start[2], const double end[2]);
  void BreakConnectPoint();
  int GetFirstCntSect(CSmartSect*& out);
  CSmartSect* GetBeginSect() const;
  CSmartLoop* GetNextLoop(const double p[2], int style);
  CSmartLoop* GetFirstLoop(int style);
  CSmartLoop* FindExportChild();
  CSmartLoop* FindExportIsland();
  // One run of loops into curve, from this loop's head section on; returns 1.
  int ExtractCutinPath(int style, uint32_t flags, CSmartCurve* curve);
  // Deburring: every loop is cut whole, and with 0x04 gone over again up to where the inner
  // loops are entered and back, so the cut returns along itself.
  int ExtractDeburyPath(int style, uint32_t flags, CSmartCurve* curve);
  int LoopToSect(CPathCombine* combine, int style);
  // The tree as one curve per tree (after ConnectAllChild); a loop no link reached is cut
  // whole from its head.
  int ExtractAllChild(CPathCombine* combine, uint32_t flags);
  int ExtractAllCurve(CPathCombine* combine, double point[2], double lastPoint[2]);
  int ExtractCurve(CPathCombine* combine, int skipNegative, int outerFirst, double z);
  int ExtractAllLoop(int mode, std::vector<CSmartLoop*>& array);
  int IntSectContour(const CSmartSect* sect) const;

  // Scan (zig-zag), spiral and radial pockets. Path points live in the cut-point lists of the
  // sections they lie on (the spiral keeps the points that lie on no boundary in arcs[0]'s
  // list): clear those lists (InitBuffer) when the path is made. The spiral's arcs[0] spans
  // angles up to pi about its centre, arcs[1] the angles beyond. The builders return 0 and
  // append nothing for a step, pitch or angle step that cannot make progress, for input beyond
  // the limits in CutRecords.h and on cancel; also when nothing could be cut.
  int CreateLinearPath(CPathCombine* combine, const QNC_CutLinearDef& def,
                       const QNC_CornerType& corner, const QNC_OrderType& order);
  static CSmartLPoint* GenerateScanPoint(CSmartLoop* loops, double step, int maximum);
  int ExtractLinearPath(CPathCombine* combine, const QNC_CutLinearDef& def,
                        const QNC_OrderType& order, CSmartLPoint* points);
  static CSmartLPoint* GenerateSpiralPoint(CSmartLoop* loops, CSmartArc* arcs[2], double step,
                                           CSmartCurveLib* library);
  static CSmartLPoint* GenerateSpiralPoint(CSmartLoop* loops, CSmartArc* arcs[2], double step);
  int ExtractSpiralPath(CPathCombine* combine, const QNC_CutSpiralDef& def,
                        const QNC_OrderType& order, CSmartLPoint* points,
                        CSmartCurveLib* library);
  int ExtractSpiralPath(CPathCombine* combine, const QNC_CutSpiralDef& def,
                        const QNC_OrderType& order, CSmartLPoint* points, CSmartArc* arcs[2]);
  int CreateEmitPath(CPathCombine* combine, const QNC_CutEmitDef& def);

  double height = 0.0;
  double box[6] = {0, 0, 0, 0, 0, 0};  // min x, y, z, max x, y, z
  CSmartCurve* curve = nullptr;
  double area = 0.0;
  CSmartLoop* next = nullptr;
  CSmartLoop* prev = nullptr;
  CSmartLoop* work = nullptr;
  CSmartLoop* islands = nullptr;
  CSmartLoop* parent = nullptr;
  CSmartLoop* children = nullptr;
  int32_t kind = 0;
  int32_t level = -1;
  double connectStart[2] = {1e10, 1e10};
  double connectEnd[2] = {1e10, 1e10};
  uint8_t state = 0;
};

// Input guards of the pocket builders (limits in CutRecords.h): a contour with a chain, within
// the limits, whose loops cross neither themselves nor each other; for the follow pocket also
// a usable step.
bool acPocketShapeOk(const CSmartLoop* contour);
// Whether every coordinate of every section of the contour and its islands is finite.
bool acContourFinite(const CSmartLoop* contour);
bool acPocketInputOk(const CSmartLoop* contour, double step);
// Frees every entity of the chain after keepLast (all of them for null): what a failed call
// had appended.
void acTrimCombineAfter(CPathCombine* combine, CPathEntity* keepLast);
// Destroys every loop of a next-linked list.
void acDeleteLoopList(CSmartLoop* list);
// Appends list b after list a; returns the head.
CSmartLoop* acJoinLoopLists(CSmartLoop* a, CSmartLoop* b);
// A next-linked list built by appending lists at its end: each append walks only the list
// appended, where acJoinLoopLists walks the whole list built so far.
class CLoopListEnd {
 public:
  void Append(CSmartLoop* list);
  CSmartLoop* head = nullptr;

 private:
  CSmartLoop* tail_ = nullptr;
};
