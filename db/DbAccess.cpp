#include "db/DbAccess.h"

#include <cmath>
#include <memory>

#include "db/Action.h"
#include "db/DBase.h"
#include "db/Selector.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/ViewState.h"

namespace {

CSelector* g_selector = nullptr;
std::unique_ptr<CActManager> g_manager;
const void* g_changeOwner = nullptr;
std::function<void()> g_changeHandler;

}  // namespace

CSelector* gGetSelector() { return g_selector; }
void gSetSelector(CSelector* selector) { g_selector = selector; }

CActManager* gGetActManager() { return g_manager.get(); }

void kxCreateAllManager() {
  if (!g_manager) g_manager = std::make_unique<CActManager>();
}

void kxClearAllManager() { g_manager.reset(); }

int kxInsertActionIntoManager(CAction* action) {
  if (!action) return 0;
  CDBase* db = gGetDBase();
  if (g_manager && db) {
    g_manager->Insert(action, db);
    dbNotifyChange();
    return 1;
  }
  // No history to keep it in: the edit still happens, it just cannot be undone.
  std::unique_ptr<CAction> owned(action);
  if (!db) return -1;
  owned->Do(db);
  dbNotifyChange();
  return 0;
}

void dbSetChangeHandler(const void* owner, std::function<void()> handler) {
  g_changeOwner = owner;
  g_changeHandler = std::move(handler);
}

void dbClearChangeHandler(const void* owner) {
  if (g_changeOwner != owner) return;
  g_changeOwner = nullptr;
  g_changeHandler = nullptr;
}

void dbNotifyChange() {
  if (g_changeHandler) g_changeHandler();
}

void kxClearSelSet(CDC* pDC) {
  if (g_selector) g_selector->ClearAll(pDC);
}

void dbSetViewRange(const _tagBox2D& box) {
  CVurode* view = gGetVurode();
  if (!view || !BOX2D_IsValid(&box)) return;
  for (int i = 0; i < 2; ++i)
    if (!std::isfinite(box.min[i]) || !std::isfinite(box.max[i])) return;
  const CRect rect = view->GetViewRect();
  if (rect.Width() <= 0 || rect.Height() <= 0) return;
  const double w = box.max[0] - box.min[0], h = box.max[1] - box.min[1];
  constexpr double kFill = 0.9;  // 5% margin each side
  double scale = 0.0;
  if (w > 0.0) scale = rect.Width() * kFill / w;
  if (h > 0.0) {
    const double sy = rect.Height() * kFill / h;
    scale = scale > 0.0 ? std::min(scale, sy) : sy;
  }
  if (scale > 0.0 && std::isfinite(scale)) view->SetScale(scale);
  view->SetOrigin((box.min[0] + box.max[0]) / 2, (box.min[1] + box.max[1]) / 2);
}
