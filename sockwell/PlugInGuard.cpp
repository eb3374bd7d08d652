#include "sockwell/PlugInGuard.h"

#include "sockwell/PlugInMap.h"

void CPlugInGuard::Destroy(CPlugInMap** maps, int count, bool viaFree) {
  if (!maps) return;
  for (int i = 0; i < count; ++i) {
    CPlugInMap* m = maps[i];
    maps[i] = nullptr;
    if (!m) continue;
    if (viaFree) m->Free();
    else delete m;
  }
  delete[] maps;
}

void CPlugInGuard::Release(CPlugInGuard* g) {
  if (--g->nRefs > 0) return;
  for (const Deferred& d : g->deferred) Destroy(d.maps, d.count, d.viaFree);
  delete g;
}

void CPlugInGuard::ReleaseMaps(CPlugInGuard* g, CPlugInMap**& maps, int& count, bool viaFree) {
  if (g && g->nRefs > 1 && maps) {
    for (int i = 0; i < count; ++i)
      if (maps[i]) maps[i]->SetPlugInFor(nullptr);
    g->deferred.push_back({maps, count, viaFree});
  } else {
    Destroy(maps, count, viaFree);
  }
  maps = nullptr;
  count = 0;
}
