// Point records of the smart-loop engine and the sorted cut-point list a section keeps.
#pragma once

#include <cstdint>

class CSmartLoop;
class CSmartSect;

class CSmartPoint {
 public:
  CSmartPoint() = default;
  CSmartPoint(double x, double y, double t) : x(x), y(y), t(t) {}
  virtual ~CSmartPoint() = default;

  double x = 0.0;
  double y = 0.0;
  double t = 0.0;
  double spare = 0.0;
  CSmartPoint* next = nullptr;
  CSmartPoint* prev = nullptr;
};

// A point that remembers the loop it stands for (ordering loops by distance).
class CSmartSPoint : public CSmartPoint {
 public:
  CSmartLoop* loop = nullptr;
  int32_t index = 0;
};

// A point of a generated path stroke.
class CSmartLPoint : public CSmartPoint {
 public:
  CSmartLPoint* strokePrev = nullptr;
  CSmartLPoint* strokeNext = nullptr;
  CSmartLPoint* created = nullptr;  // next point in creation order
  CSmartSect* sect = nullptr;
  int16_t kind = 0;
  int32_t number = 0;
};

// Doubly linked points in ascending t; owns them.
class CSmartPointList {
 public:
  CSmartPointList() = default;
  ~CSmartPointList() { Clear(); }
  CSmartPointList(const CSmartPointList&) = delete;
  CSmartPointList& operator=(const CSmartPointList&) = delete;

  // Takes ownership. 0 when a point within 1e-10 in t is already there (the new one is
  // destroyed) or t lies beyond 1.000001 (also destroyed); 1 when inserted.
  int Insert(CSmartPoint* p);
  void Clear();

  CSmartPoint* head = nullptr;
  CSmartPoint* tail = nullptr;
  int count = 0;
};
