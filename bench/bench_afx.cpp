// Class-library throughput: archiving many small objects and doubles (document save/load), and
// list and array growth as the curve tools use them.
#include "platform/afx/Afx.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

class CBenchPoint : public CObject {
  DECLARE_SERIAL(CBenchPoint)
 public:
  void Serialize(CArchive& ar) override {
    if (ar.IsStoring()) ar << m_flag << m_x << m_y;
    else ar >> m_flag >> m_x >> m_y;
  }
  int m_flag = 0;
  double m_x = 0, m_y = 0;
};
IMPLEMENT_SERIAL(CBenchPoint, CObject, VERSIONABLE_SCHEMA | 2)

namespace {

void ArchiveObjects(benchmark::State& state) {
  const auto n = static_cast<size_t>(state.range(0));
  std::vector<CBenchPoint> pts(n);
  for (size_t i = 0; i < n; ++i) pts[i].m_x = static_cast<double>(i);
  for (auto _ : state) {
    CMemFile file;
    {
      CArchive ar(&file, CArchive::store);
      for (auto& p : pts) ar << &p;
      ar.Close();
    }
    file.SeekToBegin();
    CArchive ar(&file, CArchive::load);
    for (size_t i = 0; i < n; ++i) {
      CBenchPoint* p = nullptr;
      ar >> p;
      std::unique_ptr<CBenchPoint> owner(p);
      benchmark::DoNotOptimize(p->m_x);
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * n));
}
BENCHMARK(ArchiveObjects)->Arg(1000)->Arg(100000);

void ArchiveDoubles(benchmark::State& state) {
  const auto n = static_cast<size_t>(state.range(0));
  for (auto _ : state) {
    CMemFile file(1 << 16);
    CArchive ar(&file, CArchive::store);
    for (size_t i = 0; i < n; ++i) ar << static_cast<double>(i);
    ar.Close();
    benchmark::DoNotOptimize(file.GetLength());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * n * 8));
}
BENCHMARK(ArchiveDoubles)->Arg(1 << 20);

void ListAddIterate(benchmark::State& state) {
  const auto n = state.range(0);
  for (auto _ : state) {
    CObList list;
    for (int64_t i = 0; i < n; ++i) list.AddTail(static_cast<CObject*>(nullptr));
    int64_t count = 0;
    for (POSITION pos = list.GetHeadPosition(); pos; ++count) list.GetNext(pos);
    benchmark::DoNotOptimize(count);
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(ListAddIterate)->Arg(100000);

void ArrayAdd(benchmark::State& state) {
  struct Pt { float x, y; };
  const auto n = state.range(0);
  for (auto _ : state) {
    CArray<Pt, const Pt&> a;
    for (int64_t i = 0; i < n; ++i) a.Add(Pt{static_cast<float>(i), 0.f});
    benchmark::DoNotOptimize(a.GetData());
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(ArrayAdd)->Arg(100000);

}  // namespace
