// The smart loop: one closed chain of sections with its doubled signed area (positive =
// counter-clockwise outer boundary, negative = clockwise island), box and height, plus the
// loops it owns: islands (holes) and children (loops generated from it). Offsets, booleans and
// ordering consume the loops handed to them and return new lists linked through next/prev.
#pragma once

#include <cstdint>

#include "millvane/loops/SmartCurve.h"

// Corner style of an offset; angles in degrees.
struct QNC_CornerType {
  int32_t kind;   // 0..4: how gaps at right turns are closed
  double angle1;  // kind 0: sharp below this turn
  double angle2;  // every kind: sharp below this turn
};

// Loop state bits.
enum : uint8_t {
  kLoopCrossed = 0x01,  // crosses a loop of another kind during clipping
  kLoopEmitted = 0x04,
  kLoopLinkTarget = 0x10,
};

class CSmartLoop {
 public:
  CSmartLoop();
  // Shallow: the copy shares the curve and list links of the source.
  CSmartLoop(const CSmartLoop&) = default;
  CSmartLoop& operator=(const CSmartLoop&) = default;
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

// Destroys every loop of a next-linked list.
void acDeleteLoopList(CSmartLoop* list);
// Appends list b after list a; returns the head.
CSmartLoop* acJoinLoopLists(CSmartLoop* a, CSmartLoop* b);
