#include "platform/vurode/Vurode.h"
#include "support/VurodeFixture.h"

#include <cmath>
#include <filesystem>
#include <limits>
#include <numbers>

namespace {

class AccessorsTest : public VurodeTest {};

struct TolCase {
  const char* name;
  double (*get)();
  BOOL (*set)(double);
  double def;
};

TEST_F(AccessorsTest, TolerancesHaveDefaultsAndRefuseNonsense) {
  const TolCase cases[] = {
      {"curve tol", gGetCurveDicTol, gSetCurveDicTol, kDefaultCurveDicTol},
      {"curve ang", gGetCurveDicAng, gSetCurveDicAng, kDefaultCurveDicAng},
      {"surf show", gGetSurfShowDiscTol, gSetSurfShowDiscTol, kDefaultSurfShowDiscTol},
      {"surf nc", gGetSurfNCDiscTol, gSetSurfNCDiscTol, kDefaultSurfNCDiscTol},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_DOUBLE_EQ(c.get(), c.def);
    EXPECT_TRUE(c.set(0.125));
    EXPECT_DOUBLE_EQ(c.get(), 0.125);
    for (double bad : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN(),
                       std::numeric_limits<double>::infinity()}) {
      EXPECT_FALSE(c.set(bad)) << bad;
      EXPECT_DOUBLE_EQ(c.get(), 0.125);
    }
  }
  // An angle tolerance beyond a straight angle could never be met.
  EXPECT_TRUE(gSetCurveDicAng(std::numbers::pi));
  EXPECT_FALSE(gSetCurveDicAng(std::nextafter(std::numbers::pi, 4.0)));
  EXPECT_NEAR(kDefaultCurveDicAng, 170.0 * std::numbers::pi / 180.0, 1e-15);
  gRestoreVurodeDefaults();
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(c.get(), c.def) << c.name;
}

TEST_F(AccessorsTest, SurfaceTriplesAreSetWholeAndRestored) {
  struct TripleCase {
    const char* name;
    void (*get)(double*);
    BOOL (*set)(const double*);
    const double* def;
  };
  const TripleCase cases[] = {{"pre", VLM_Get_gp_pre, VLM_Set_gp_pre, kDefaultGpPre},
                              {"tra", VLM_Get_gp_tra, VLM_Set_gp_tra, kDefaultGpTra}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    double t[3];
    c.get(t);
    for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(t[i], c.def[i]);
    const double good[3] = {0.25, 0.5, 0.75};
    EXPECT_TRUE(c.set(good));
    // One bad component refuses the whole triple.
    const double bad[3] = {0.1, 0.0, 0.1};
    EXPECT_FALSE(c.set(bad));
    EXPECT_FALSE(c.set(nullptr));
    c.get(t);
    for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(t[i], good[i]);
  }
  // The chord is the finest of the discretisation values, the angle in radians below pi/2.
  EXPECT_LT(kDefaultGpPre[0], kDefaultGpPre[2]);
  EXPECT_LT(kDefaultGpPre[1], std::numbers::pi / 2);
  gRestoreVurodeDefaults();
  for (const auto& c : cases) {
    double t[3];
    c.get(t);
    for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(t[i], c.def[i]) << c.name;
  }
}

TEST_F(AccessorsTest, SharedObjectsAreInstalledAndRestored) {
  CVurode view;
  COpenGLDC gldc;
  CKXGlobal mine;
  int fakeWindow = 0, fakeGrid = 0;
  EXPECT_EQ(gGetKXGlobal(), nullptr);
  EXPECT_EQ(gGetVurode(), nullptr);
  gSetVurode(&view);
  gSetOpenGLDC(&gldc);
  gSetKXGlobal(&mine);
  gSetView(reinterpret_cast<CWnd*>(&fakeWindow));
  gSetRlfGrid(reinterpret_cast<CGeGrid*>(&fakeGrid));
  gSetAnimateView(1);
  EXPECT_EQ(gGetVurode(), &view);
  EXPECT_EQ(gGetOpenGLDC(), &gldc);
  EXPECT_EQ(gGetKXGlobal(), &mine);
  EXPECT_EQ(gGetView(), reinterpret_cast<CWnd*>(&fakeWindow));
  EXPECT_EQ(gGetRlfGrid(), reinterpret_cast<CGeGrid*>(&fakeGrid));
  EXPECT_EQ(gIsAnimateView(), 1);

  CKXGlobal* made = gNewKXGlobal();
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(gGetKXGlobal(), made);

  gRestoreVurodeDefaults();
  EXPECT_EQ(gGetVurode(), nullptr);
  EXPECT_EQ(gGetOpenGLDC(), nullptr);
  EXPECT_EQ(gGetKXGlobal(), nullptr);
  EXPECT_EQ(gGetView(), nullptr);
  EXPECT_EQ(gGetRlfGrid(), nullptr);
  EXPECT_EQ(gIsAnimateView(), 0);
}

TEST_F(AccessorsTest, ApplicationPathIsAFolderWithoutTrailingSeparator) {
  const std::filesystem::path dir(gGetApplicationPath().GetString());
  EXPECT_TRUE(std::filesystem::is_directory(dir)) << dir;
  gSetApplicationPath(CString(L"/opt/velmora//"));
  EXPECT_EQ(gGetApplicationPath(), CString(L"/opt/velmora"));
  gSetApplicationPath(CString(L"/"));
  EXPECT_EQ(gGetApplicationPath(), CString(L"/"));
  gRestoreVurodeDefaults();
  EXPECT_EQ(std::filesystem::path(gGetApplicationPath().GetString()), dir);
}

TEST_F(AccessorsTest, SettingsDefaultsAndWorldPickRadius) {
  CKXGlobal g;
  EXPECT_EQ(g.GetDocVersion(), CKXGlobal::kCurrentDocVersion);
  EXPECT_FALSE(g.IsSnapRefPointSet());
  EXPECT_FALSE(g.IsSnapAlign());
  EXPECT_EQ(g.GetCurrentLayerID(), 0);
  EXPECT_GT(g.GetChainTol(), 0.0f);
  g.SetChainTol(-1.0f);
  EXPECT_GT(g.GetChainTol(), 0.0f);

  const double ref[2] = {3.5, -2.0};
  g.SetSnapRefPoint(ref);
  double got[2];
  g.GetSnapRefPoint(got);
  EXPECT_TRUE(g.IsSnapRefPointSet());
  EXPECT_EQ(got[0], 3.5);
  EXPECT_EQ(got[1], -2.0);
  g.ClearSnapRefPoint();
  EXPECT_FALSE(g.IsSnapRefPointSet());

  // Pixels become world units through the view: the radius shrinks as the view zooms in.
  g.SetPickRad(8);
  EXPECT_DOUBLE_EQ(g.GetWorldPickRad(), 8.0);  // no view
  CVurode view;
  gSetVurode(&view);
  for (double scale : {0.5, 1.0, 4.0, 250.0}) {
    view.SetScale(scale);
    EXPECT_DOUBLE_EQ(g.GetWorldPickRad(), 8.0 / scale) << scale;
  }
  g.SetPickRad(0);
  EXPECT_EQ(g.GetPickRad(), 1);
}

}  // namespace
