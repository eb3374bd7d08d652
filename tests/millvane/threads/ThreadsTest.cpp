// The kernels called from two threads at once. Each thread's answers must equal a run on one
// thread, and the process-wide state (layer IDs, settings, the progress display, the allocation
// hook) must stay consistent. The tsan preset builds this program alone under ThreadSanitizer,
// which turns any unguarded access to shared state into a failure.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <exception>
#include <memory>
#include <random>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeEllipse.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/Layer.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/shapes3d/GeArc3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GePolyline3d.h"
#include "geometry/surfaces/GeMesh.h"
#include "geometry/tools/GeTool2D.h"
#include "millvane/loops/SmartLoop.h"
#include "millvane/paths/MillModel.h"
#include "millvane/paths/NcMesh.h"
#include "millvane/loops/PathCombine.h"
#include "platform/afx/Afx.h"
#include "platform/numora/Math.h"
#include "platform/numora/Memory.h"
#include "platform/panlet/Progress.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/KXGlobal.h"
#include "platform/vurode/MemPool.h"
#include "platform/vurode/Tool.h"
#include "platform/win/Messages.h"
#include "support/VurodeFixture.h"
#include "tests/millvane/LoopTestUtil.h"
#include "tests/millvane/PocketTestUtil.h"

namespace {

constexpr int kThreads = 2;
constexpr int kRounds = 3;  // each thread repeats its work, so the two runs overlap

using Bytes = std::vector<BYTE>;
using P = std::array<double, 2>;

// Runs job on kThreads threads released together; returns each thread's answer. An exception
// leaving a job fails the test instead of ending the program.
template <class Job>
auto OnThreads(Job job) {
  using R = std::invoke_result_t<Job>;
  std::vector<R> results(kThreads);
  std::atomic<int> waiting{kThreads};
  std::atomic<int> failed{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      waiting.fetch_sub(1);
      while (waiting.load() > 0) std::this_thread::yield();
      try {
        results[t] = job();
      } catch (...) {
        failed.fetch_add(1);
      }
    });
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(failed.load(), 0) << "a job threw";
  return results;
}

Bytes Contents(CMemFile& file) {
  Bytes b(static_cast<size_t>(file.GetLength()));
  file.SeekToBegin();
  if (!b.empty()) file.Read(b.data(), static_cast<UINT>(b.size()));
  return b;
}

// The objects in the persistent-object format: the fingerprint two runs are compared by.
template <class List>
Bytes Store(const List& objects) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    for (const auto& ob : objects) ar << static_cast<const CObject*>(&*ob);
    ar.Close();
  }
  return Contents(file);
}

Bytes StoreLoops(CGeLoopList& loops) {
  std::vector<CGeLoop*> v;
  for (POSITION pos = loops.GetHeadPosition(); pos;) v.push_back(loops.GetNext(pos));
  return Store(v);
}

// --- Stored geometry ---------------------------------------------------------------------

std::vector<std::unique_ptr<CObject>> Drawing() {
  std::vector<std::unique_ptr<CObject>> obs;
  const double a[2] = {0, 0}, b[2] = {10, 0}, c[2] = {13, 3}, d[2] = {10, 6};
  obs.push_back(std::make_unique<CGeLine>(a, b));
  auto arc = std::make_unique<CGeArc>();
  arc->Create3Pnt(b, c, d);
  obs.push_back(std::move(arc));
  const double centre[2] = {4, -2};
  obs.push_back(std::make_unique<CGeCircle>(centre, 2.5, 1));
  obs.push_back(std::make_unique<CGeEllipse>(centre, 5.0, 2.0, 0.3, 0));
  const double pts[][2] = {{0, 0}, {1, 2}, {3, 1}, {4, 5}, {6, -1}};
  auto pl = std::make_unique<CGePolyline>();
  pl->Create(5, pts);
  obs.push_back(std::move(pl));
  const double p0[3] = {0, 0, 0}, p1[3] = {1, 2, 3}, p2[3] = {4, 0, 1};
  obs.push_back(std::make_unique<CGeLine3d>(p0, p1));
  auto arc3 = std::make_unique<CGeArc3d>();
  arc3->Create3Pnt(p0, p1, p2);
  obs.push_back(std::move(arc3));
  const double pts3[][3] = {{0, 0, 0}, {1, 1, 0.5}, {2, 0, 1}, {3, 1, 1.5}};
  auto pl3 = std::make_unique<CGePolyline3d>();
  pl3->Create(4, pts3);
  obs.push_back(std::move(pl3));
  auto mesh = std::make_unique<CGeMesh>();
  mesh->vertices = {{0.f, 0.f, 0.f}, {1.f, 0.f, 0.5f}, {0.f, 1.f, 0.25f}, {1.f, 1.f, 1.f}};
  mesh->faces = {CGeMesh::Face{{0, 1, 3}}, CGeMesh::Face{{0, 3, 2}}};
  obs.push_back(std::move(mesh));
  auto layer = std::make_unique<CLayer>();
  layer->SetName(L"Roughing");
  layer->SetColor(0x0000FF00);
  obs.push_back(std::move(layer));
  return obs;
}

// Loads every object of the archive and stores the loaded objects again.
Bytes LoadAndStoreAgain(const Bytes& stored, size_t count) {
  CMemFile file;
  file.Write(stored.data(), static_cast<UINT>(stored.size()));
  file.SeekToBegin();
  std::vector<std::unique_ptr<CObject>> loaded;
  {
    CArchive ar(&file, CArchive::load);
    for (size_t i = 0; i < count; ++i) {
      CObject* ob = nullptr;
      ar >> ob;
      if (!ob) return {};
      loaded.emplace_back(ob);
    }
  }
  return Store(loaded);
}

// --- 2D figures for offsets and chaining --------------------------------------------------

CGeArc* Arc3(P s, P m, P e) {
  auto* arc = new CGeArc;
  arc->Create3Pnt(s.data(), m.data(), e.data());
  return arc;
}

// Curves of three closed figures: a slot (lines and half circles), an L with a reflex corner
// and a triangle.
std::vector<CGeCurve*> FigureCurves() {
  std::vector<CGeCurve*> cs;
  auto line = [&](P s, P e) { cs.push_back(new CGeLine(s.data(), e.data())); };
  line({0, 0}, {10, 0});
  cs.push_back(Arc3({10, 0}, {13, 3}, {10, 6}));
  line({10, 6}, {0, 6});
  cs.push_back(Arc3({0, 6}, {-3, 3}, {0, 0}));
  const std::vector<P> ell = {{20, 0}, {30, 0}, {30, 4}, {24, 4}, {24, 12}, {20, 12}};
  for (size_t i = 0; i < ell.size(); ++i) line(ell[i], ell[(i + 1) % ell.size()]);
  line({0, 20}, {8, 20});
  line({8, 20}, {3, 27});
  line({3, 27}, {0, 20});
  return cs;
}

std::vector<std::unique_ptr<CGeLoop>> FigureLoops() {
  const std::vector<CGeCurve*> cs = FigureCurves();
  const size_t ends[] = {4, 10, 13};  // one past each figure's last curve
  std::vector<std::unique_ptr<CGeLoop>> loops;
  size_t i = 0;
  for (size_t end : ends) {
    auto loop = std::make_unique<CGeLoop>();
    for (; i < end; ++i) loop->AddTail(cs[i], 0);
    loop->CalcBox2d();
    loops.push_back(std::move(loop));
  }
  return loops;
}

Bytes Offsets() {
  Bytes all;
  for (const double dist : {0.75, -0.5, 2.0})
    for (int type = 0; type <= 2; ++type)
      for (const auto& loop : FigureLoops()) {
        CGeLoopList out;
        CGeTool2D().LoopOffset(loop.get(), dist, type, &out);
        const Bytes b = StoreLoops(out);
        all.insert(all.end(), b.begin(), b.end());
        all.push_back(static_cast<BYTE>(out.GetCount()));
        geDelGeLoopList(&out, false);
      }
  return all;
}

Bytes Chaining() {
  std::vector<CGeCurve*> cs = FigureCurves();
  std::mt19937 rng(11);
  std::shuffle(cs.begin(), cs.end(), rng);
  CGeCurveList curves;
  for (size_t i = 0; i < cs.size(); ++i) {
    if (i % 3 == 1) cs[i]->Reverse();
    curves.AddTail(cs[i]);
  }
  CGeLoopList loops;
  CGeTool2D().ReCreateLoop(&curves, &loops, 0.001, true, false);
  Bytes b = StoreLoops(loops);
  b.push_back(static_cast<BYTE>(loops.GetCount()));
  b.push_back(static_cast<BYTE>(curves.GetCount()));
  geDelGeLoopList(&loops, false);
  geDelCurveList(&curves);
  return b;
}

// Minimal loops through the scan-beam index: many small triangles at distinct x, so the index
// grows and shrinks node by node.
Bytes MinimalLoops() {
  CGeCurveList curves;
  for (int i = 0; i < 40; ++i) {
    const double x = 3.0 * i + 0.01 * (i % 7), y = (i % 5) * 0.5;
    const P a{x, y}, b{x + 2, y + 0.3}, c{x + 0.7, y + 2.1};
    curves.AddTail(new CGeLine(a.data(), b.data()));
    curves.AddTail(new CGeLine(c.data(), a.data()));
    curves.AddTail(new CGeLine(b.data(), c.data()));
  }
  CGeLoopList loops;
  CGeTool2D().MakeMinLoopTree(&curves, 1, &loops, 0.001);
  Bytes b = StoreLoops(loops);
  b.push_back(static_cast<BYTE>(loops.GetCount()));
  geDelGeLoopList(&loops, false);
  geDelCurveList(&curves);
  return b;
}

// --- Drop-cutter heights ------------------------------------------------------------------

// A wavy part surface over [-10, 10]^2.
std::unique_ptr<CGeMesh> WavyMesh() {
  constexpr int n = 24;
  auto m = std::make_unique<CGeMesh>();
  for (int j = 0; j <= n; ++j)
    for (int i = 0; i <= n; ++i) {
      const double x = -10 + 20.0 * i / n, y = -10 + 20.0 * j / n;
      m->vertices.emplace_back(float(x), float(y), float(2 * std::sin(x / 3) * std::cos(y / 4)));
    }
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) {
      const int a = j * (n + 1) + i, b = a + 1, c = a + n + 1, d = c + 1;
      m->faces.push_back(CGeMesh::Face{{a, b, d}});
      m->faces.push_back(CGeMesh::Face{{a, d, c}});
    }
  return m;
}

std::vector<double> DropCutterHeights() {
  std::vector<double> zs;
  CTBall ball(3.0);
  CTCylindrical flat(4.0);
  CTBull bull(5.0, 1.0);
  for (CTool* tool : std::initializer_list<CTool*>{&ball, &flat, &bull}) {
    // The mesh and the model are this thread's own: a geometry object is not shared.
    const std::unique_ptr<CGeMesh> part = WavyMesh();
    CMillModel model;
    auto* nm = new CNcMesh;
    nm->Init(part.get());
    model.meshes.push_back(nm);
    model.SetTool(tool);
    model.SetMillDepth(0.0, -20.0);
    model.Mark_Box2D(_tagBox2D{{-12, -12}, {12, 12}});
    for (int j = 0; j < 12; ++j) {
      const double y = -9 + 1.5 * j;
      model.Mark_IsoYLine(y);
      model.Mark_XInter(-12, 12);
      for (int i = 0; i < 12; ++i) {
        double p[3] = {-9 + 1.5 * i, y, -20.0};
        model.Get_CC_Height(p);
        zs.push_back(p[2]);
      }
    }
  }
  return zs;
}

class Threads : public VurodeTest {
 protected:
  void SetUp() override {
    VurodeTest::SetUp();
    gNewKXGlobal();  // 3D curves ask the settings which document version they read
  }
};

// Each kernel on two threads at once gives what it gives on one.
template <class Job>
void ExpectSameAnswersOnEveryThread(Job job) {
  const auto reference = job();
  ASSERT_FALSE(reference.empty());
  const auto answers = OnThreads([&] {
    std::vector<decltype(job())> rounds;
    for (int r = 0; r < kRounds; ++r) rounds.push_back(job());
    return rounds;
  });
  for (const auto& rounds : answers) {
    ASSERT_EQ(rounds.size(), static_cast<size_t>(kRounds));
    for (const auto& got : rounds) EXPECT_TRUE(got == reference);
  }
}

TEST_F(Threads, ArchiveLoadsMatchASingleThreadedLoad) {
  const auto drawing = Drawing();
  const Bytes stored = Store(drawing);
  ExpectSameAnswersOnEveryThread([&] { return LoadAndStoreAgain(stored, drawing.size()); });
}

TEST_F(Threads, LoopOffsetsMatchASingleThreadedRun) { ExpectSameAnswersOnEveryThread(&Offsets); }

TEST_F(Threads, ChainingMatchesASingleThreadedRun) {
  const Bytes once = Chaining();
  ASSERT_GE(once.size(), 2u);
  EXPECT_EQ(once[once.size() - 2], 3) << "three figures chain into three loops";
  ExpectSameAnswersOnEveryThread(&Chaining);
}

TEST_F(Threads, MinimalLoopsMatchASingleThreadedRun) {
  const Bytes once = MinimalLoops();
  ASSERT_FALSE(once.empty());
  EXPECT_EQ(once.back(), 40) << "every triangle closes into its own loop";
  ExpectSameAnswersOnEveryThread(&MinimalLoops);
}

TEST_F(Threads, DropCutterHeightsMatchASingleThreadedRun) {
  ExpectSameAnswersOnEveryThread(&DropCutterHeights);
}

TEST_F(Threads, NamedLayersTakeDistinctIds) {
  constexpr int kPerThread = 500;
  const int start = CLayer::m_nMaxID.load();
  const auto ids = OnThreads([] {
    std::vector<int> mine;
    for (int i = 0; i < kPerThread; ++i) mine.push_back(CLayer(L"layer").GetID());
    return mine;
  });
  std::set<int> all;
  for (const auto& mine : ids) all.insert(mine.begin(), mine.end());
  EXPECT_EQ(all.size(), static_cast<size_t>(kThreads * kPerThread));
  EXPECT_EQ(CLayer::m_nMaxID.load(), start + kThreads * kPerThread);
  EXPECT_EQ(*all.begin(), start);
}

// One thread flips the settings between two complete states; readers must only ever see one
// state or the other in each multi-value setting.
TEST_F(Threads, SettingsReadersNeverSeeHalfAnUpdate) {
  const double preA[3] = {0.001, 0.2, 0.01}, preB[3] = {0.5, 0.6, 0.7};
  const double traA[3] = {0.0005, 0.1, 0.005}, traB[3] = {0.25, 0.35, 0.45};
  CKXGlobal* settings = gGetKXGlobal();
  ASSERT_NE(settings, nullptr);
  auto write = [&](unsigned i) {
    const bool b = i & 1;
    VLM_Set_gp_pre(b ? preB : preA);
    VLM_Set_gp_tra(b ? traB : traA);
    gSetCurveDicTol(b ? 0.02 : 0.01);
    const double ref[2] = {double(i), double(i)};
    settings->SetSnapRefPoint(ref);
    settings->SetChainTol(b ? 0.5f : 0.25f);
    settings->SetDocVersion(b ? 4 : 5);
  };
  write(0);  // readers start from a complete state
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (unsigned i = 1; !done.load(); ++i) write(i);
  });
  const auto torn = OnThreads([&] {
    int bad = 0;
    for (int i = 0; i < 20000; ++i) {
      double v[3];
      VLM_Get_gp_pre(v);
      bad += !std::equal(v, v + 3, preA) && !std::equal(v, v + 3, preB);
      VLM_Get_gp_tra(v);
      bad += !std::equal(v, v + 3, traA) && !std::equal(v, v + 3, traB);
      const double tol = gGetCurveDicTol();
      bad += tol != 0.01 && tol != 0.02;
      double ref[2] = {0, 0};
      settings->GetSnapRefPoint(ref);
      bad += ref[0] != ref[1];
      const float chain = settings->GetChainTol();
      bad += chain != 0.5f && chain != 0.25f;
      const int version = settings->GetDocVersion();
      bad += version != 4 && version != 5;
    }
    return bad;
  });
  done.store(true);
  writer.join();
  for (int bad : torn) EXPECT_EQ(bad, 0);
}

// Workers poll for cancellation and report progress while another thread reads the display
// and then cancels: every worker sees the request and stops.
TEST_F(Threads, WorkersSeeACancelFromAnotherThread) {
  gShowThreadProg(L"Working", 1);
  std::atomic<int> polling{0};
  std::thread canceller([&] {
    while (polling.load() < kThreads) std::this_thread::yield();
    // Read the display while the workers report into it.
    for (int i = 0; i < 50; ++i) {
      (void)gGetProgressLog().Events();
      (void)gGetProgressPos();
      (void)gIsProgressShown();
    }
    gCancelProgress();
  });
  const auto polls = OnThreads([&] {
    bool counted = false;
    int n = 0;
    while (!gIsProgressCancel()) {
      CQProgress step;
      step.SetRange(1e-4);
      ++n;
      if (!counted) {
        polling.fetch_add(1);
        counted = true;
      }
    }
    return n;
  });
  canceller.join();
  for (int n : polls) EXPECT_GT(n, 0);
  EXPECT_TRUE(gIsProgressShown());
  gHideThreadProg();
}

// The allocation-failure hook armed once fails exactly one allocation, whichever thread
// makes it.
TEST_F(Threads, AllocationHookFailsExactlyOneAllocation) {
  KX_MemFailAfter(700);
  const auto failures = OnThreads([] {
    int nulls = 0;
    for (int i = 0; i < 1000; ++i) {
      void* p = KX_MemAlloc(16);
      nulls += p == nullptr;
      KX_MemFree(p);
    }
    return nulls;
  });
  KX_MemFailAfter(0);
  int total = 0;
  for (int n : failures) total += n;
  EXPECT_EQ(total, 1);
}

// Runtime classes come and go (a library loading and unloading) while other threads look
// classes up by name: the resident ones are always found, the churning ones either found as
// themselves or not at all.
TEST_F(Threads, ClassRegistryLookupsDuringRegistration) {
  static char names[4][16] = {"CThreadsTestA", "CThreadsTestB", "CThreadsTestC", "CThreadsTestD"};
  std::array<CRuntimeClass, 4> churn{};
  for (size_t i = 0; i < churn.size(); ++i)
    churn[i] = CRuntimeClass{names[i], int(sizeof(CObject)), AFX_NOT_SERIAL_SCHEMA, nullptr, RUNTIME_CLASS(CObject), nullptr};
  std::atomic<bool> done{false};
  std::thread loader([&] {
    while (!done.load())
      for (CRuntimeClass& c : churn) {
        CRuntimeClass::Register(&c);
        CRuntimeClass::Unregister(&c);
        CRuntimeClass::Register(&c);
      }
  });
  const auto bad = OnThreads([&] {
    int wrong = 0;
    for (int i = 0; i < 20000; ++i) {
      wrong += CRuntimeClass::FromName("CObject") != RUNTIME_CLASS(CObject);
      wrong += CRuntimeClass::FromName("CGeLine") == nullptr;
      const size_t k = size_t(i) % churn.size();
      CRuntimeClass* c = CRuntimeClass::FromName(names[k]);
      wrong += c != nullptr && c != &churn[k];
    }
    return wrong;
  });
  done.store(true);
  loader.join();
  for (CRuntimeClass& c : churn) CRuntimeClass::Unregister(&c);
  for (int w : bad) EXPECT_EQ(w, 0);
  for (const char* n : names) EXPECT_EQ(CRuntimeClass::FromName(n), nullptr);
}

// The numeric tolerances and the application path flip between two values while readers
// read them: each read is one value or the other, never a mixture.
TEST_F(Threads, TolerancesAndApplicationPathReadWhole) {
  const double tol0 = CMath::GetTol(), ang0 = CMath::GetAng();
  const CString path0 = gGetApplicationPath();
  const CString pathA = L"/opt/velmora/first", pathB = L"/srv/another/much/longer/program/folder";
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (unsigned i = 0; !done.load(); ++i) {
      CMath::SetTol(i & 1 ? 1e-3 : 1e-6);
      CMath::SetAng(i & 1 ? 0.1 : 0.02);
      gSetApplicationPath(i & 1 ? pathB : pathA);
    }
  });
  const auto bad = OnThreads([&] {
    int wrong = 0;
    for (int i = 0; i < 5000; ++i) {
      const double t = CMath::GetTol(), a = CMath::GetAng();
      wrong += (t != 1e-3 && t != 1e-6 && t != tol0) + (a != 0.1 && a != 0.02 && a != ang0);
      const CString p = gGetApplicationPath();
      wrong += p != pathA && p != pathB && p != path0;
    }
    return wrong;
  });
  done.store(true);
  writer.join();
  CMath::SetTol(tol0);
  CMath::SetAng(ang0);
  gSetApplicationPath(path0);
  for (int w : bad) EXPECT_EQ(w, 0);
}

// Threads registering the same window-message names at once get one number per name, and
// different names get different numbers.
TEST_F(Threads, RegisteredMessageNamesAgreeAcrossThreads) {
  const auto numbers = OnThreads([] {
    std::vector<UINT> got;
    for (int i = 0; i < 300; ++i) got.push_back(RegisterWindowMessageW((L"ThreadsTestMessage" + std::to_wstring(i)).c_str()));
    return got;
  });
  for (const auto& got : numbers) EXPECT_EQ(got, numbers[0]);
  const std::set<UINT> distinct(numbers[0].begin(), numbers[0].end());
  EXPECT_EQ(distinct.size(), numbers[0].size());
  EXPECT_GE(*distinct.begin(), 0xC000u);
}

// A sink counts what the display reports while workers report into it and another thread
// swaps sinks: sinks are called one at a time (plain counters, checked by the sanitizer) and
// every report reaches one of them.
TEST_F(Threads, ProgressSinksSwappedWhileWorkersReport) {
  struct Counter : CProgressSink {
    int shows = 0, positions = 0, hides = 0;
    void OnShow(const std::wstring&, int) override { ++shows; }
    void OnPos(double) override { ++positions; }
    void OnHide() override { ++hides; }
  };
  Counter a, b;
  CProgressSink* before = gSetProgressSink(&a);
  std::atomic<bool> done{false};
  std::thread swapper([&] {
    for (unsigned i = 0; !done.load(); ++i) gSetProgressSink(i & 1 ? static_cast<CProgressSink*>(&a) : &b);
  });
  constexpr int kSteps = 3000;
  OnThreads([] {
    for (int i = 0; i < kSteps; ++i) {
      CQProgress step;
      step.SetRange(1e-6);
    }
    return 0;
  });
  done.store(true);
  swapper.join();
  gSetProgressSink(before);
  // Each step reports a position; displays opened by both threads at once are shared, so
  // fewer shows than steps are fine, but every show is matched by a hide.
  EXPECT_EQ(a.positions + b.positions, kThreads * kSteps);
  EXPECT_EQ(a.shows + b.shows, a.hides + b.hides);
  EXPECT_GT(a.shows + b.shows, 0);
}

// The scratch pool is one stack per thread: nested blocks taken and given back on each thread
// at once keep their contents and leave every stack empty.
TEST_F(Threads, ScratchPoolsArePerThread) {
  const auto bad = OnThreads([] {
    static std::atomic<int> next{1};
    const unsigned char mark = static_cast<unsigned char>(next.fetch_add(1));
    int wrong = 0;
    for (int round = 0; round < 2000; ++round) {
      std::vector<unsigned char*> held;
      for (int depth = 0; depth < 4; ++depth) {
        const size_t n = 64 + size_t((round * 7 + depth * 13) % 500);
        auto* p = static_cast<unsigned char*>(gAlcMemPool(n));
        if (!p) return -1;
        std::fill(p, p + 64, static_cast<unsigned char>(mark + depth));
        held.push_back(p);
      }
      wrong += gGetMemPoolDepth() != 4;
      for (int depth = 3; depth >= 0; --depth) {
        const unsigned char* p = held[size_t(depth)];
        wrong += std::any_of(p, p + 64, [&](unsigned char c) { return c != static_cast<unsigned char>(mark + depth); });
        gFreMemPool();
      }
      wrong += gGetMemPoolDepth() != 0;
    }
    return wrong;
  });
  for (int w : bad) EXPECT_EQ(w, 0);
}

// Two pocketing strategies at once, one a thread: each path equals a run on one thread.
std::vector<double> Pocket(int strategy) {
  const QNC_CornerType round{2, 165.0, 15.0};
  looptest::Owned outline(looptest::Rect(0, 0, 40, 30));
  outline.l->AddIsland(looptest::Polygon({{12, 10}, {12, 16}, {18, 16}, {18, 10}}));
  CPathCombine comb(8);
  int r = 0;
  if (strategy == 0) {
    QNC_CutFollowDef def{0, 0, 1.0, 0.0};
    r = outline.l->CreateFollowPath(&comb, def, round, {1});
  } else {
    const QNC_CutLinearDef def{kLinearZigZag, 0, 1.0, 0.0, 0.5, 5.0, 0.0};
    r = outline.l->CreateLinearPath(&comb, def, round, {1});
  }
  std::vector<double> out{double(r)};
  for (const pockettest::Seg& sg : pockettest::Segments(comb)) out.insert(out.end(), {sg.a[0], sg.a[1], sg.b[0], sg.b[1]});
  return out;
}

TEST_F(Threads, TwoPocketStrategiesAtOnceMatchSingleThreadedRuns) {
  const std::vector<double> follow = Pocket(0), scan = Pocket(1);
  ASSERT_EQ(follow.front(), 1);
  ASSERT_EQ(scan.front(), 1);
  ASSERT_GT(follow.size(), 100u);
  ASSERT_GT(scan.size(), 100u);
  std::atomic<int> next{0};
  const auto answers = OnThreads([&] {
    const int strategy = next.fetch_add(1) % 2;
    std::vector<std::pair<int, std::vector<double>>> rounds;
    for (int r = 0; r < kRounds; ++r) rounds.emplace_back(strategy, Pocket(strategy));
    return rounds;
  });
  for (const auto& rounds : answers)
    for (const auto& [strategy, path] : rounds) EXPECT_TRUE(path == (strategy == 0 ? follow : scan)) << strategy;
}

}  // namespace
