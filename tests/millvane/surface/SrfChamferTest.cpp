// Chamfer between trimmed faces, run whole: the band between perpendicular planes against its
// closed form.
#include <cmath>

#include "BlendFixture.h"
#include "millvane/surface/SrfChamferSolver.h"

namespace {

using namespace bt;

class SrfChamferTest : public BlendTest {};

// Face A: z = 0, x in [0, 2]; face B: x = 0, z in [-2, 2]; normals +z and +x.
struct Corner {
  Face a, b;
  Corner() {
    const double oA[3] = {0, 0, 0}, uA[3] = {2, 0, 0}, vA[3] = {0, 2, 0};
    const double oB[3] = {0, 0, -2}, uB[3] = {0, 2, 0}, vB[3] = {0, 0, 4};
    a = Plane(oA, uA, vA);
    b = Plane(oB, uB, vB);
  }
};

// The band's edge on face A lies at the second distance from the common edge, on face B at
// the first; flipping A mirrors the band in z = 0.
TEST_F(SrfChamferTest, BandEdgesLieAtTheOtherSidesDistance) {
  struct Case {
    double d1, d2;
    int flip;
  } cases[] = {{0.2, 0.45, 0}, {0.3, 0.3, 0}, {0.5, 0.1, 0}, {0.2, 0.45, 1}};
  for (const Case& c : cases) {
    Corner k;
    SurfList out;
    ASSERT_EQ(CSrfActor().SrfChamfer(k.a.get(), c.flip, k.b.get(), 0, 0, 0, c.d1, c.d2, &out), 1)
        << c.d1 << " " << c.d2;
    ASSERT_EQ(out.GetCount(), 1);
    const double sz = c.flip ? -1.0 : 1.0;
    const CGeTrimSurf* band = out.GetHead();
    for (const Sample& p : SamplePatch(band))
      EXPECT_NEAR(p.p[0] / c.d2 + sz * p.p[2] / c.d1, 1.0, 1e-6) << "on the band's plane";
    for (double v : {0.0, 0.5, 1.0}) {
      double e[2][3];
      ASSERT_EQ(BSRF_EvPos(band->m_pSurface, 0.0, v, e[0]), 1);
      ASSERT_EQ(BSRF_EvPos(band->m_pSurface, 1.0, v, e[1]), 1);
      const int onA = std::fabs(e[0][2]) < std::fabs(e[1][2]) ? 0 : 1;
      EXPECT_NEAR(e[onA][2], 0.0, 1e-6);
      EXPECT_NEAR(e[onA][0], c.d2, 1e-6) << "edge on A at the second distance";
      EXPECT_NEAR(e[1 - onA][0], 0.0, 1e-6);
      EXPECT_NEAR(e[1 - onA][2], sz * c.d1, 1e-6) << "edge on B at the first distance";
      EXPECT_NEAR(Dist(e[0], e[1]), std::hypot(c.d1, c.d2), 1e-6) << "band width";
    }
  }
}

TEST_F(SrfChamferTest, BadDistancesReturnZeroAtOnce) {
  Corner k;
  struct Case {
    double d1, d2;
  } cases[] = {{0.3, 0.0}, {0.0, 0.3}, {-0.3, 0.3}, {0.3, -1e-7}, {NAN, 0.3}, {0.3, INFINITY}};
  for (const Case& c : cases) {
    SurfList out;
    out.AddTail(new CGeTrimSurf());
    EXPECT_EQ(CSrfActor().SrfChamfer(k.a.get(), 0, k.b.get(), 0, 1, 0, c.d1, c.d2, &out), 0)
        << c.d1 << " " << c.d2;
    EXPECT_EQ(out.GetCount(), 1);
  }
  EXPECT_EQ(CSrfActor().SrfChamfer(k.a.get(), 0, nullptr, 0, 0, 0, 0.3, 0.3, nullptr), 0);
}

TEST_F(SrfChamferTest, FirstDistanceIsTheRadiusThatIsReadyTests) {
  Corner k;
  CSrfChamferSolver s;
  s.AddFace(k.a.get(), 0, false);
  s.AddFace(k.b.get(), 0, true);
  s.SetDistances(5e-7, 0.3);
  EXPECT_EQ(s.IsReady(), 0);
  s.SetDistances(0.3, 5e-7);
  EXPECT_EQ(s.IsReady(), 1) << "the second distance is the driver's to refuse";
  SurfList out;
  EXPECT_EQ(s.Chamfer(&out), 0);
  EXPECT_EQ(out.GetCount(), 0);
}

}  // namespace
