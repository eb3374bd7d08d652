// Drawing a mesh: shaded triangles through client arrays or immediate mode, the display modes
// that choose between triangles and iso curves, the edge lines, and the GDI wireframe with its
// 2D-view culling. Checked by the pixels the headless context really sets.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdlib>

#include "geometry/shapes3d/GeLine3d.h"
#include "platform/afx/RecordingDC.h"
#include "support/GLContext.h"
#include "SurfTestUtil.h"

namespace {

constexpr COLORREF kInk = RGB(255, 0, 0);

// A square [-4, 4]^2 of two triangles at z 0, and a V iso line along y = 6 outside it.
void FillSquare(CGeMesh& m) {
  m.vertices = {{-4, -4, 0}, {4, -4, 0}, {4, 4, 0}, {-4, 4, 0}};
  m.faces = {{{0, 1, 2}}, {{0, 2, 3}}};
  const double a[3] = {-6, 6, 0}, b[3] = {6, 6, 0};
  m.m_VIsoCurveList.AddTail(new CGeLine3d(a, b));
}

class MeshGL : public GLTest {
 protected:
  void SetUp() override {
    GLTest::SetUp();
    gSetVurode(&m_view);
    m_view.SetView3D();
    SetPlanView(-8, 8, -8, 8);  // 4 pixels per unit; the square covers pixels 16..47
  }
  // Draws and reports (square's centre lit, ink pixels in the band of the iso line).
  std::pair<bool, int> Draw(CGeMesh& m, int nMode = 0) {
    dc().Ready();
    dc().SetColor(kInk);
    m.DrawGL(&dc(), nMode);
    dc().Finish();
    int line = 0;
    for (int y = 4; y < 12; ++y)
      for (int x = 0; x < 64; ++x) line += gl().PixelAt(x, y) == kInk;
    return {gl().PixelAt(32, 32) == kInk, line};
  }
  CVurode m_view;
};

TEST_F(MeshGL, ShadedMeshIsOneDrawOfTheArraysInPlace) {
  CGeMesh m;
  FillSquare(m);
  m_view.SetSrfShowMode(CVurode::kSrfShaded);
  auto [square, line] = Draw(m);
  EXPECT_TRUE(square);
  EXPECT_EQ(line, 0);
  EXPECT_GT(gl().CountPixels(kInk), 31 * 31);
  // The vertex pointer still names the mesh's own array: nothing was copied.
  void* ptr = nullptr;
  glGetPointerv(GL_VERTEX_ARRAY_POINTER, &ptr);
  EXPECT_EQ(ptr, m.vertices.data());
  EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
  EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
}

// Buffer objects left bound by other drawing would turn the client pointers into offsets.
TEST_F(MeshGL, BoundBufferObjectsDoNotRedirectTheArrays) {
  if (!dc().IsSupportBufferObject()) GTEST_SKIP() << "no buffer objects";
  CGeMesh m;
  FillSquare(m);
  GLuint ids[2];
  dc().GenBuffers(2, ids);
  const float junk[12] = {};
  dc().BindBuffer(GL_ARRAY_BUFFER, ids[0]);
  dc().BufferData(GL_ARRAY_BUFFER, sizeof junk, junk, GL_STATIC_DRAW);
  dc().BindBuffer(GL_ELEMENT_ARRAY_BUFFER, ids[1]);
  dc().BufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof junk, junk, GL_STATIC_DRAW);
  EXPECT_TRUE(Draw(m).first);
  EXPECT_GT(gl().CountPixels(kInk), 31 * 31);
  dc().DeleteBuffers(2, ids);
}

TEST_F(MeshGL, FaceNormalsDrawFlatInImmediateModeAndStaleOnesAreNotRead) {
  CGeMesh m;
  FillSquare(m);
  m.facenormals.assign(2, CVector3d(0, 0, 1));
  float dummy[3] = {};
  glVertexPointer(3, GL_FLOAT, 0, dummy);
  EXPECT_TRUE(Draw(m).first);
  void* ptr = nullptr;
  glGetPointerv(GL_VERTEX_ARRAY_POINTER, &ptr);
  EXPECT_EQ(ptr, dummy);  // immediate mode: the client arrays were not used
  const int flat = gl().CountPixels(kInk);
  m.facenormals.resize(1);  // one face short: drawn from the arrays instead
  EXPECT_TRUE(Draw(m).first);
  EXPECT_EQ(gl().CountPixels(kInk), flat);
  glGetPointerv(GL_VERTEX_ARRAY_POINTER, &ptr);
  EXPECT_EQ(ptr, m.vertices.data());
}

TEST_F(MeshGL, DisplayModesChooseTrianglesOrCurves) {
  struct Case {
    const char* name;
    unsigned showMode;
    int nMode;
    int animate;
    bool square, curves;
  } cases[] = {
      {"shaded", 0, 0, 0, true, false},
      {"shaded with curves", 1, 0, 0, true, true},
      {"curves", 2, 0, 0, false, true},
      {"nothing", 3, 0, 0, false, false},
      {"mode argument 3", 0, 3, 0, false, true},
      {"animation", 1, 0, 1, false, true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    CGeMesh m;
    FillSquare(m);
    m_view.SetSrfShowMode(k.showMode);
    gSetAnimateView(k.animate);
    auto [square, line] = Draw(m, k.nMode);
    EXPECT_EQ(square, k.square);
    EXPECT_EQ(line > 20, k.curves) << line;
  }
}

TEST_F(MeshGL, NothingWithoutFacesViewOrContext) {
  CGeMesh m;
  FillSquare(m);
  m_view.SetSrfShowMode(CVurode::kSrfShadedIso);
  CGeMesh noFaces;
  FillSquare(noFaces);
  noFaces.faces.clear();
  EXPECT_EQ(Draw(noFaces), std::make_pair(false, 0));  // not even its curves
  gSetVurode(nullptr);
  EXPECT_EQ(Draw(m), std::make_pair(false, 0));
  gSetVurode(&m_view);
  m.DrawGL(nullptr, 0);
}

TEST_F(MeshGL, DrawEdgeDrawsTheEdgeList) {
  CGeMesh m;
  FillSquare(m);
  m.edges = {{0, 2, {0, 0}}};  // the diagonal
  dc().Ready();
  dc().SetColor(kInk);
  m.DrawEdge();
  dc().Finish();
  // Every ink pixel lies on the diagonal from (16, 48) to (48, 16).
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x)
      if (gl().PixelAt(x, y) == kInk) {
        EXPECT_LE(std::abs(x + y - 63), 2) << x << "," << y;
      }
  EXPECT_GT(gl().CountPixels(kInk), 25);
}

TEST(MeshGDI, DrawsTheIsoCurvesOnlyWhenTheMeshIsInView) {
  gRestoreVurodeDefaults();
  CVurode view;
  view.SetView2D();
  view.SetViewRect(CRect(0, 0, 200, 200));
  view.SetScale(1.0);
  view.SetOrigin(0, 0);  // shows [-100, 100]^2
  gSetVurode(&view);
  CGeMesh m;
  FillSquare(m);
  m.CalcBox();
  CRecordingDC rec;
  m.Draw(&rec);
  const size_t inView = rec.GetCalls().size();
  EXPECT_GT(inView, 0u);
  rec.ClearCalls();
  const double far[2] = {500, 0};
  m.Translate(far);
  m.Draw(&rec);
  EXPECT_TRUE(rec.GetCalls().empty());
  m.Draw(nullptr);
  m.faces.clear();
  const double back[2] = {-500, 0};
  m.Translate(back);
  m.Draw(&rec);
  EXPECT_TRUE(rec.GetCalls().empty());
  gRestoreVurodeDefaults();
}

}  // namespace
