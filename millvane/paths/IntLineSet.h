// Section line sets and intersection curve sets: what a plane section of the tool-centre model
// leaves behind. A line set holds loose segments of one level (the z of a layer, or the y of a
// raster line); a curve set holds the joined curves of one level.
#pragma once

#include <array>
#include <vector>

// One section segment. In a z-section the coordinates are (x, y); in a y-section (x, z).
struct IntLineSeg {
  double s[2];
  double e[2];
  double box[4];  // min x, min y, max x, max y; kept in step with the ends
  IntLineSeg* next = nullptr;
  IntLineSeg* prev = nullptr;
  void CalcBox();
};

class CIntLineSet {
 public:
  CIntLineSet() = default;
  explicit CIntLineSet(double lvl) : level(lvl) {}
  ~CIntLineSet();
  CIntLineSet(const CIntLineSet&) = delete;
  CIntLineSet& operator=(const CIntLineSet&) = delete;

  // Segments shorter than this are not worth keeping.
  static constexpr double kMinLength = 0.01;

  // Appends the segment s-e; 0 (nothing added) when its ends lie within kMinLength of each
  // other or a coordinate is not a finite number.
  int AddLine(const double s[2], const double e[2]);
  // Unlinks and frees one segment of this set.
  void Remove(IntLineSeg* seg);
  void Clear();

  IntLineSeg* head = nullptr;
  IntLineSeg* tail = nullptr;
  int count = 0;
  double level = 0.0;
};

// One intersection curve: (x, y) at the set's z for contours, (x, z) along the set's y for
// raster lines.
struct IntCurve {
  std::vector<std::array<double, 2>> pts;
  double value = 0.0;
  IntCurve* next = nullptr;
  IntCurve* prev = nullptr;
};

class CIntCurveSet {
 public:
  CIntCurveSet() = default;
  ~CIntCurveSet();
  CIntCurveSet(const CIntCurveSet&) = delete;
  CIntCurveSet& operator=(const CIntCurveSet&) = delete;

  // Takes ownership of the curve and appends it.
  void AddCurve(IntCurve* curve);
  void Remove(IntCurve* curve);
  void Clear();

  IntCurve* head = nullptr;
  IntCurve* tail = nullptr;
  int count = 0;
  double level = 0.0;
};
