// Drawing a 1000 x 1000 relief grid: building the strips, the whole grid with the fine and the
// rough strip, and a local update over the cached frame.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "geometry/grid/GeGrid.h"
#include "platform/vurode/Vurode.h"
#include "support/GLContext.h"

namespace {

constexpr int kN = 1000;

struct Scene {
  std::unique_ptr<GLContext> gl;
  COpenGLDC dc;
  CVurode view;
  CGeGrid grid;

  bool Init(benchmark::State& state) {
    auto r = GLContext::Create(512, 512);
    if (!r.context) {
      state.SkipWithError(r.message.c_str());
      return false;
    }
    gl = std::move(r.context);
    dc.GetCamera().set_screen(512, 512);
    dc.InitGL();
    const double eye[3] = {500, 500, 1000}, ref[3] = {500, 500, 0}, up[3] = {0, 1, 0};
    dc.GetCamera().set_view(eye, ref, up);
    dc.GetCamera().set_view_rect(1000, 1000);
    dc.GetCamera().set_depth(1, 3000);
    view.SetViewRect(CRect(0, 0, 512, 512));
    view.SetSrfShowMode(0);
    gSetOpenGLDC(&dc);
    gSetVurode(&view);
    float o[3] = {0, 0, 0};
    grid.Create(o, 1, kN, kN, 0);
    for (int r = 0; r < kN; ++r)
      for (int c = 0; c < kN; ++c) grid.SetZHeight(c, r, float(10 * std::sin(c * 0.01) * std::cos(r * 0.01)));
    return true;
  }
  ~Scene() {
    gSetVurode(nullptr);
    gSetOpenGLDC(nullptr);
  }
};

void BM_GridAllStrip(benchmark::State& state) {
  Scene s;
  if (!s.Init(state)) return;
  for (auto _ : state) s.grid.CreateAllStrip(s.grid.GetShowRect());
  state.SetItemsProcessed(state.iterations() * int64_t(kN) * kN);
}
BENCHMARK(BM_GridAllStrip)->Unit(benchmark::kMillisecond);

// Whole grid; scale 1 px per unit draws the fine strip, 0.4 the rough one.
void BM_GridDrawWhole(benchmark::State& state) {
  Scene s;
  if (!s.Init(state)) return;
  s.view.SetScale(state.range(0) ? 1.0 : 0.4);
  for (auto _ : state) {
    s.dc.Ready();
    s.grid.DrawGL(&s.dc, 0);
    s.dc.Finish();
  }
  state.SetLabel(state.range(0) ? "fine strip" : "rough strip");
}
BENCHMARK(BM_GridDrawWhole)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// One brush dab of 20 x 20 nodes: local strip over the cached frame.
void BM_GridLocalUpdate(benchmark::State& state) {
  Scene s;
  if (!s.Init(state)) return;
  s.grid.BuildVBOs();
  s.dc.Ready();
  s.grid.DrawGL(&s.dc, 0);
  s.dc.Finish();
  s.grid.GetFrameBuff();
  for (auto _ : state) {
    s.grid.CreateLocalStrip(CRect(490, 490, 510, 510));
    s.grid.DrawGL_AllUpdateEx(7);
  }
}
BENCHMARK(BM_GridLocalUpdate)->Unit(benchmark::kMillisecond);

}  // namespace
