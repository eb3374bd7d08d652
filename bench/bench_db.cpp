// Drawing-database throughput at drawing sizes a text engraving reaches: filling the database,
// cutting a selection as one undoable edit and taking it back, and saving and loading it.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "db/Action.h"
#include "db/DBase.h"
#include "db/DbAccess.h"
#include "db/DbCurve.h"
#include "db/Selector.h"
#include "platform/afx/Afx.h"

namespace {

CDbEntity* Line(int i) {
  const double a[2] = {double(i), 0.0}, b[2] = {double(i), 1.0};
  return dbGenLine(a, b);
}

void FillDatabase(benchmark::State& state) {
  const int n = int(state.range(0));
  for (auto _ : state) {
    CDBase db;
    for (int i = 0; i < n; ++i) db.AddTail(Line(i));
    benchmark::DoNotOptimize(db.GetCount());
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(FillDatabase)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Every other entity selected, cut in one action, undone and redone.
void CutUndoRedo(benchmark::State& state) {
  const int n = int(state.range(0));
  CDBase db;
  CSelector sel;
  gSetDBase(&db);
  gSetSelector(&sel);
  kxCreateAllManager();
  std::vector<CDbEntity*> es;
  for (int i = 0; i < n; ++i) {
    es.push_back(Line(i));
    db.AddTail(es.back());
  }
  for (auto _ : state) {
    for (int i = 0; i < n; i += 2) sel.Add(es[size_t(i)]);
    auto* cut = new CAction(1, CString(L"Cut"));
    for (POSITION pos = sel.GetList().GetHeadPosition(); pos;) cut->AddDelEnt(sel.GetList().GetNext(pos));
    kxInsertActionIntoManager(cut);
    gGetActManager()->Undo();
    gGetActManager()->Redo();
    gGetActManager()->Undo();
    benchmark::DoNotOptimize(db.GetCount());
  }
  state.SetItemsProcessed(state.iterations() * n / 2);
  kxClearAllManager();
  gSetSelector(nullptr);
  gSetDBase(nullptr);
}
BENCHMARK(CutUndoRedo)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

void SaveLoad(benchmark::State& state) {
  const int n = int(state.range(0));
  CDBase db;
  db.InitLayer();
  for (int i = 0; i < n; ++i) db.AddTail(Line(i));
  for (auto _ : state) {
    CMemFile file;
    {
      CArchive ar(&file, CArchive::store);
      db.Serialize(ar);
      ar.Close();
    }
    file.SeekToBegin();
    CArchive ar(&file, CArchive::load);
    CDBase back;
    back.Serialize(ar);
    benchmark::DoNotOptimize(back.GetCount());
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(SaveLoad)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
