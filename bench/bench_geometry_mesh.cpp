// A mesh of about 1,000,000 triangles: shaded drawing into a headless GL context, picking, box,
// transforms, copying and the archive round trip.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "geometry/shapes2d/PickRay.h"
#include "geometry/surfaces/GeMesh.h"
#include "platform/vurode/Vurode.h"
#include "support/GLContext.h"

namespace {

constexpr int kSide = 708;  // 2 * 707^2 = 999,698 triangles

const CGeMesh& BigMesh() {
  static const std::unique_ptr<CGeMesh> mesh = [] {
    auto m = std::make_unique<CGeMesh>();
    m->vertices.reserve(kSide * kSide);
    for (int j = 0; j < kSide; ++j)
      for (int i = 0; i < kSide; ++i)
        m->vertices.emplace_back(static_cast<float>(i), static_cast<float>(j),
                                 static_cast<float>(5.0 * std::sin(i / 40.0) * std::cos(j / 30.0)));
    m->faces.reserve(2 * (kSide - 1) * (kSide - 1));
    for (int j = 0; j + 1 < kSide; ++j)
      for (int i = 0; i + 1 < kSide; ++i) {
        const int a = j * kSide + i;
        m->faces.push_back({{a, a + 1, a + kSide + 1}});
        m->faces.push_back({{a, a + kSide + 1, a + kSide}});
      }
    m->CalcBox();
    return m;
  }();
  return *mesh;
}

std::unique_ptr<CGeMesh> CopyOf(const CGeMesh& m) {
  auto c = std::make_unique<CGeMesh>();
  c->CopyFromMesh(const_cast<CGeMesh*>(&m));
  return c;
}

void BM_MeshDrawGLShaded(benchmark::State& state) {
  auto gl = GLContext::Create(512, 512);
  if (!gl.context) {
    state.SkipWithError(gl.message.c_str());
    return;
  }
  COpenGLDC dc;
  dc.InitGL();
  dc.SetScreenSize(512, 512);
  CVurode view;
  view.SetView3D();
  gSetVurode(&view);
  auto mesh = CopyOf(BigMesh());
  mesh->normals.assign(mesh->vertices.size(), CVector3d(0, 0, 1));  // computed once, kept
  for (auto _ : state) {
    dc.Ready();
    mesh->DrawGL(&dc, 0);  // ends with glFinish: the whole frame is timed
    dc.Finish();
  }
  gSetVurode(nullptr);
  state.counters["triangles"] = static_cast<double>(mesh->faces.size());
}
BENCHMARK(BM_MeshDrawGLShaded)->Unit(benchmark::kMillisecond);

void BM_MeshPick(benchmark::State& state) {
  auto mesh = CopyOf(BigMesh());
  for (auto _ : state) {
    CPickRay ray;
    ray.m_b2D = 0;
    ray.m_dRadius = 0.01;
    ray.m_ptOrigin[0] = 351.3, ray.m_ptOrigin[1] = 402.7, ray.m_ptOrigin[2] = 100;
    ray.m_vDir[0] = 0.1, ray.m_vDir[1] = -0.05, ray.m_vDir[2] = -1;
    benchmark::DoNotOptimize(mesh->Pick(ray, 1));
    benchmark::DoNotOptimize(ray.m_dDist3D);
  }
}
BENCHMARK(BM_MeshPick)->Unit(benchmark::kMillisecond);

void BM_MeshCalcBox(benchmark::State& state) {
  auto mesh = CopyOf(BigMesh());
  for (auto _ : state) {
    mesh->CalcBox();
    benchmark::DoNotOptimize(mesh->m_box);
  }
}
BENCHMARK(BM_MeshCalcBox)->Unit(benchmark::kMillisecond);

void BM_MeshRotate3D(benchmark::State& state) {
  auto mesh = CopyOf(BigMesh());
  const double p[3] = {300, 300, 0}, axis[3] = {0.2, 0.3, 1};
  for (auto _ : state) mesh->Rotate3D(p, axis, 0.01);
}
BENCHMARK(BM_MeshRotate3D)->Unit(benchmark::kMillisecond);

void BM_MeshCopy(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(CopyOf(BigMesh()));
}
BENCHMARK(BM_MeshCopy)->Unit(benchmark::kMillisecond);

void BM_MeshArchiveRoundTrip(benchmark::State& state) {
  const CGeMesh& mesh = BigMesh();
  for (auto _ : state) {
    CMemFile file;
    {
      CArchive ar(&file, CArchive::store);
      ar << static_cast<const CObject*>(&mesh);
      ar.Close();
    }
    file.SeekToBegin();
    CArchive ar(&file, CArchive::load);
    CGeMesh* back = nullptr;
    ar >> back;
    benchmark::DoNotOptimize(back);
    delete back;
  }
}
BENCHMARK(BM_MeshArchiveRoundTrip)->Unit(benchmark::kMillisecond);

}  // namespace
