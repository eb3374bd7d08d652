// A chain of path entities: one continuous cut of one operation. The chain owns its entities
// and tags each appended entity with the code of its operation.
#pragma once

#include <cstdint>

class CPathEntity;
class CSmartCurve;
class CGeCombCurve3d;

class CPathCombine {
 public:
  explicit CPathCombine(uint16_t op = 0) : op(op) {}
  ~CPathCombine();
  CPathCombine(const CPathCombine&) = delete;
  CPathCombine& operator=(const CPathCombine&) = delete;

  // Entity code for an operation code (255 = leave unset).
  static uint8_t EntityCode(uint16_t op);

  void AddTail(CPathEntity* entity);
  // after null: the entity becomes the head.
  void InsertAfter(CPathEntity* entity, CPathEntity* after);
  // Lines, polylines and arcs at height z for the curve's sections; 0 for a null or empty curve.
  int AppendSmartCurve(CSmartCurve* curve, int deleteCurve, double z);
  void Rotate(double angle);
  // Frees every entity and then the chain itself (which must come from new).
  void Delete();

  // A new composite curve of the entities' kernel curves, or null when none converts.
  CGeCombCurve3d* ToCombCurve3d() const;

  uint16_t op;
  CPathEntity* head = nullptr;
  CPathEntity* tail = nullptr;
  CPathCombine* next = nullptr;

 private:
  void FreeEntities();
};
