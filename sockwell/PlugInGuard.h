// The shared record that lets a host object's routing call notice that the host went away
// during a handler, and that keeps the host's bound maps alive until that call has finished.
#pragma once

#include "platform/win/WinTypes.h"

#include <vector>

class CPlugInMap;

struct CPlugInGuard {
  int nRefs = 1;    // the host's own reference plus one per routing call in progress
  BYTE bFreed = 0;  // the host's maps have been released
  BYTE bGone = 0;   // the host object itself has been destroyed

  static void AddRef(CPlugInGuard* g) { ++g->nRefs; }
  // Drops a reference; the last one frees the record and maps left to it.
  static void Release(CPlugInGuard* g);
  // Frees the bound maps (Free() when viaFree, else delete) and the array, or, while a routing
  // call holds the guard, detaches them from the host and leaves them to the last Release.
  // The array is null and the count 0 afterwards.
  static void ReleaseMaps(CPlugInGuard* g, CPlugInMap**& maps, int& count, bool viaFree);

 private:
  struct Deferred {
    CPlugInMap** maps;
    int count;
    bool viaFree;
  };
  std::vector<Deferred> deferred;
  static void Destroy(CPlugInMap** maps, int count, bool viaFree);
};

struct CPlugInGuardHold {
  CPlugInGuard* g;
  explicit CPlugInGuardHold(CPlugInGuard* guard) : g(guard) { CPlugInGuard::AddRef(g); }
  ~CPlugInGuardHold() { CPlugInGuard::Release(g); }
  CPlugInGuardHold(const CPlugInGuardHold&) = delete;
  CPlugInGuardHold& operator=(const CPlugInGuardHold&) = delete;
  // The host is still there.
  bool Alive() const { return !g->bGone; }
  // The host is there and its maps are bound.
  bool Bound() const { return !g->bGone && !g->bFreed; }
};
