// Constant-radius fillet between trimmed faces, run whole: spines traced on the offsets,
// patches checked against the closed forms of the rolling ball.
#include <cmath>
#include <numbers>

#include "BlendFixture.h"
#include "millvane/kernel/SurfaceRecords.h"

namespace {

using namespace bt;
constexpr double kPi = std::numbers::pi;

class SrfFilletTest : public BlendTest {};

// Face A: z = 0, x in [0, 2]; face B through the y axis at interior angle alpha to A, s in
// [-2, 2] along (cos alpha, 0, sin alpha). Normals point into the wedge.
struct Wedge {
  Face a, b;
  explicit Wedge(double alpha) {
    const double oA[3] = {0, 0, 0}, uA[3] = {2, 0, 0}, vA[3] = {0, 2, 0};
    const double c = std::cos(alpha), s = std::sin(alpha);
    const double oB[3] = {-2 * c, 0, -2 * s}, uB[3] = {0, 2, 0}, vB[3] = {4 * c, 0, 4 * s};
    a = Plane(oA, uA, vA);
    b = Plane(oB, uB, vB);
  }
};

TEST_F(SrfFilletTest, WedgeContactsLieAtRadiusOverTanOfHalfTheAngle) {
  const double r = 0.3;
  for (double deg : {60.0, 90.0, 120.0, 135.0}) {
    const double alpha = deg * kPi / 180.0;
    Wedge w(alpha);
    CSrfFilletSolver solver;
    solver.SetRadius(r);
    solver.AddFace(w.a.get(), 0, false);
    solver.AddFace(w.b.get(), 0, true);
    SurfList out;
    ASSERT_EQ(solver.Fillet(&out), 1) << deg;
    ASSERT_EQ(out.GetCount(), 1) << deg;
    ASSERT_TRUE(solver.Spines());
    EXPECT_EQ(solver.Spines()->next, nullptr) << "one straight spine";

    // The spine: the ball centre on the bisector at r / sin(alpha / 2) from the edge.
    const double dc = r / std::sin(alpha / 2);
    const double centre[3] = {dc * std::cos(alpha / 2), 0, dc * std::sin(alpha / 2)};
    const _intcur* spine = solver.Spines()->curve;
    ASSERT_GE(spine->points->count, 2);
    for (int i = 0; i < spine->points->count; ++i) {
      const SSI_TracedPoint& tp = spine->points->points[i];
      EXPECT_NEAR(tp.point[0], centre[0], 1e-6) << deg;
      EXPECT_NEAR(tp.point[2], centre[2], 1e-6) << deg;
      EXPECT_NEAR(std::fabs(tp.tangent[1]), 1.0, 1e-6);
    }
    const double y0 = spine->points->points[0].point[1];
    const double y1 = spine->points->points[spine->points->count - 1].point[1];
    EXPECT_NEAR(std::min(y0, y1), 0.0, 0.01) << "the spine runs across the faces";
    EXPECT_NEAR(std::max(y0, y1), 2.0, 0.01);

    const double contact = r / std::tan(alpha / 2);
    const CGeTrimSurf* patch = out.GetHead();
    for (const Sample& p : SamplePatch(patch)) {
      const double q[3] = {p.p[0], centre[1], p.p[2]};
      EXPECT_NEAR(Dist(q, centre), r, 1e-5) << deg << " every point at r from the spine";
      if (p.u != 0.0 && p.u != 1.0) continue;
      // The contact curves: on A at x = contact, on B at s = contact; the normal is the face's.
      const double onA = std::fabs(p.p[2]) + std::fabs(p.p[0] - contact);
      const double sB = p.p[0] * std::cos(alpha) + p.p[2] * std::sin(alpha);
      const double offB = -p.p[0] * std::sin(alpha) + p.p[2] * std::cos(alpha);
      const double onB = std::fabs(offB) + std::fabs(sB - contact);
      EXPECT_LT(std::min(onA, onB), 1e-5) << deg << " u " << p.u;
      const double nA[3] = {0, 0, 1}, nB[3] = {std::sin(alpha), 0, -std::cos(alpha)};
      EXPECT_LT(CrossLen(p.n, onA < onB ? nA : nB), 1e-5) << deg << " G1 at the contact";
    }
  }
}

TEST_F(SrfFilletTest, PlaneAndStandingCylinderGiveACircularSpine) {
  const double R = 1.0, r = 0.25;
  const double o[3] = {-3, -3, 0}, u[3] = {6, 0, 0}, v[3] = {0, 6, 0};
  Face plane = Plane(o, u, v);
  Face cyl = Cylinder(R, 0.0, 2.0);
  CSrfFilletSolver solver;
  solver.SetRadius(r);
  solver.AddFace(plane.get(), 0, false);
  solver.AddFace(cyl.get(), 0, true);
  SurfList out;
  ASSERT_EQ(solver.Fillet(&out), 1);
  ASSERT_GE(out.GetCount(), 1);
  int points = 0;
  for (SSI_CurveNode* c = solver.Spines(); c; c = c->next) {
    const SSI_PointList* l = c->curve->points;
    for (int i = 0; i < l->count; ++i) {
      const double* p = l->points[i].point;
      EXPECT_NEAR(std::hypot(p[0], p[1]), R + r, 1e-5);
      EXPECT_NEAR(p[2], r, 1e-5);
    }
    points += l->count;
  }
  EXPECT_GT(points, 20);
  // Every patch point at r from the spine circle.
  for (POSITION pos = out.GetHeadPosition(); pos;) {
    for (const Sample& p : SamplePatch(out.GetNext(pos))) {
      const double rho = std::hypot(p.p[0], p.p[1]);
      EXPECT_NEAR(std::hypot(rho - (R + r), p.p[2] - r), r, 1e-4);
      EXPECT_GE(rho, R - 1e-4);
      EXPECT_LE(rho, R + r + 1e-4);
    }
  }
  // The patch is skinned through a few dozen of the thousands of sections (exact arcs across)
  // and still lies on the torus, finely sampled, within twice the fitting tolerance.
  ASSERT_EQ(out.GetCount(), 1);
  const _nurbs_surface* s = out.GetHead()->m_pSurface;
  ASSERT_TRUE(s);
  EXPECT_GT(points, 1000);
  EXPECT_EQ(s->nu, 3);
  EXPECT_LT(s->nv * 20, points) << "poles along the spine";
  for (const Sample& p : SamplePatch(out.GetHead(), 64)) {
    const double rho = std::hypot(p.p[0], p.p[1]);
    EXPECT_NEAR(std::hypot(rho - (R + r), p.p[2] - r), r, 2e-5) << p.u << " " << p.v;
  }
}

// Around the cylinder the kept part of the plane lies outwards and the kept part of the
// cylinder upwards; the flags, judged at the end of a closed spine (across the cylinder's
// seam), say on which hand of the direction of travel each lies.
TEST_F(SrfFilletTest, OrientationAroundAPeriodicFace) {
  const double o[3] = {-3, -3, 0}, u[3] = {6, 0, 0}, v[3] = {0, 6, 0};
  Face plane = Plane(o, u, v);
  Face cyl = Cylinder(1.0, 0.0, 2.0);
  CSrfFilletSolver solver;
  solver.SetRadius(0.25);
  solver.SetTrim(1, 1, 0);
  solver.AddFace(plane.get(), 0, false);
  solver.AddFace(cyl.get(), 0, true);
  SurfList out;
  ASSERT_EQ(solver.Fillet(&out), 1);
  for (SSI_CurveNode* c = solver.Spines(); c; c = c->next) {
    const SSI_PointList* l = c->curve->points;
    ASSERT_GE(l->count, 3);
    const double* p0 = l->points[0].point;
    const double* p1 = l->points[1].point;
    const bool ccw = p0[0] * p1[1] - p0[1] * p1[0] > 0;  // seen from +z
    const bool planeIsA = c->curve->surfaceA == solver.FirstSide()->Traced();
    const int flagPlane = planeIsA ? c->curve->flagA : c->curve->flagB;
    const int flagCyl = planeIsA ? c->curve->flagB : c->curve->flagA;
    // Travelling anticlockwise, outwards is on the right and up (the cylinder's +v, its u
    // running anticlockwise) on the left.
    EXPECT_EQ(flagPlane, ccw ? 0 : 1);
    EXPECT_EQ(flagCyl, ccw ? 1 : 0);
  }
}

// A ball rolling between a wavy bicubic face and a wall: at every traced spine point the
// contacts lie at r from the ball centre along each face's normal, and the patch's edges lie on
// the faces.
TEST_F(SrfFilletTest, FreeformFaceKeepsTheBallTangentToBoth) {
  const double r = 0.2;
  _nurbs_surface* s = BSRF_Create(4, 4, 5, 5);
  for (int j = 0; j < 5; ++j)
    for (int i = 0; i < 5; ++i) {
      s->net[j][i][0] = 0.75 * i;
      s->net[j][i][1] = 0.75 * j;
      s->net[j][i][2] = 0.25 * std::sin(1.3 * i + 0.7 * j);
      s->net[j][i][3] = 1.0;
    }
  Face wavy(new CGeTrimSurf(s, _tagBox2D{{0, 0}, {1, 1}}));
  CSrfActor().CreateSURFACE(wavy.get());
  const double o[3] = {1.4, -0.5, -2}, u[3] = {0, 4, 0}, v[3] = {0, 0, 4};
  Face wall = Plane(o, u, v);  // x = 1.4, normal +x
  CSrfFilletSolver solver;
  solver.SetRadius(r);
  solver.AddFace(wavy.get(), 0, false);
  solver.AddFace(wall.get(), 0, true);
  SurfList out;
  ASSERT_EQ(solver.Fillet(&out), 1);
  int points = 0;
  for (SSI_CurveNode* c = solver.Spines(); c; c = c->next) {
    const bool wavyIsA = c->curve->surfaceA == solver.FirstSide()->Traced();
    const auto* wavyRec = static_cast<ENT_Record*>(wavy->m_pKernelSurf);
    const auto* wallRec = static_cast<ENT_Record*>(wall->m_pKernelSurf);
    const SSI_PointList* l = c->curve->points;
    for (int i = 0; i < l->count; ++i, ++points) {
      const SSI_TracedPoint& tp = l->points[i];
      const double* uvW = wavyIsA ? tp.uvA : tp.uvB;
      const double* uvP = wavyIsA ? tp.uvB : tp.uvA;
      for (auto [rec, uv] : {std::pair{wavyRec, uvW}, std::pair{wallRec, uvP}}) {
        double n[3], q[3];
        ASSERT_EQ(SRF_EvPosNormal(n, rec, q, uv[0], uv[1]), 1);
        for (int k = 0; k < 3; ++k) q[k] += r * n[k];
        EXPECT_NEAR(Dist(q, tp.point), 0.0, 1e-6) << "contact + r normal = ball centre";
      }
    }
  }
  EXPECT_GT(points, 100);
  ASSERT_GE(out.GetCount(), 1);
  for (POSITION pos = out.GetHeadPosition(); pos;) {
    const CGeTrimSurf* patch = out.GetNext(pos);
    for (int j = 0; j <= 20; ++j)
      for (double eu : {0.0, 1.0}) {
        double p[3], foot[3];
        ASSERT_EQ(BSRF_EvPos(patch->m_pSurface, eu, j / 20.0, p), 1);
        double best = 1e9;
        for (const Face* f : {&wavy, &wall}) {
          double uu = 1e12, vv = 1e12;
          if (SRF_SnapPoint(vv, uu, foot, static_cast<ENT_Record*>((*f)->m_pKernelSurf), p))
            best = std::min(best, Dist(p, foot));
        }
        EXPECT_LT(best, 1e-4) << "patch edge on a face";
      }
  }
}

TEST_F(SrfFilletTest, FlippedFaceMirrorsTheFillet) {
  const double r = 0.3;
  // With A flipped the ball rolls under it: the fillet is the mirror image in z = 0.
  for (int flip : {0, 1}) {
    Wedge w(kPi / 2);
    SurfList out;
    ASSERT_EQ(CSrfActor().SrfFillet(w.a.get(), flip, w.b.get(), 0, 0, 0, r, &out), 1) << flip;
    ASSERT_EQ(out.GetCount(), 1);
    const double zs = flip ? -r : r;
    for (const Sample& p : SamplePatch(out.GetHead())) {
      EXPECT_NEAR(std::hypot(p.p[0] - r, p.p[2] - zs), r, 1e-5) << flip;
      EXPECT_LE(std::fabs(p.p[2]), r + 1e-6);
      EXPECT_GE(p.p[2] * (flip ? -1 : 1), -1e-6) << "on the flipped side";
    }
  }
}

TEST_F(SrfFilletTest, OffsetFaceIsFilletedWhereItLies) {
  // Face A's kernel record is an offset by 0.5 of the plane z = 0: the fillet meets z = 0.5.
  const double r = 0.3;
  Wedge w(kPi / 2);
  auto* base = static_cast<ENT_Record*>(w.a->m_pKernelSurf);
  SRF_Offset* lifted = SRF_NewOffset(base, 0.5);
  w.a->m_pKernelSurf = lifted;
  CSrfFilletSolver solver;
  solver.SetRadius(r);
  solver.AddFace(w.a.get(), 0, false);
  solver.AddFace(w.b.get(), 0, true);
  SurfList out;
  ASSERT_EQ(solver.Fillet(&out), 1);
  for (SSI_CurveNode* c = solver.Spines(); c; c = c->next)
    for (int i = 0; i < c->curve->points->count; ++i) {
      EXPECT_NEAR(c->curve->points->points[i].point[0], r, 1e-6);
      EXPECT_NEAR(c->curve->points->points[i].point[2], 0.5 + r, 1e-6);
    }
  for (const Sample& p : SamplePatch(out.GetHead()))
    EXPECT_NEAR(std::hypot(p.p[0] - r, p.p[2] - 0.5 - r), r, 1e-5);
  solver.Clear();
  w.a->m_pKernelSurf = base;
  KX_MemFree(lifted);
}

TEST_F(SrfFilletTest, TrimRequestStillReturnsThePatchesAndLeavesFacesUnmarked) {
  // Faces without a trim loop have no boundary for the contact curve to close against: they
  // stay as they are and the patches are still returned.
  const double r = 0.3;
  Wedge w(kPi / 2);
  CSrfFilletSolver solver;
  solver.SetRadius(r);
  solver.SetTrim(1, 1, 1);
  solver.AddFace(w.a.get(), 0, false);
  solver.AddFace(w.b.get(), 0, true);
  SurfList out;
  ASSERT_EQ(solver.Fillet(&out), 1);
  EXPECT_EQ(out.GetCount(), 1);
  EXPECT_EQ(solver.FirstSide()->trimmed, 0);
  EXPECT_EQ(solver.SecondSide()->trimmed, 0);
  EXPECT_EQ(w.a->m_LoopList.GetCount(), 0);
  // The orientation still ran: walking along the spine, A's kept side (+x) and B's (+z) are
  // on opposite hands, so exactly one flag is set.
  const _intcur* spine = solver.Spines()->curve;
  EXPECT_EQ(spine->flagA + spine->flagB, 1);
  const double dy = spine->points->points[1].point[1] - spine->points->points[0].point[1];
  const bool aIsFirst = spine->surfaceA == solver.FirstSide()->Traced();
  EXPECT_EQ(aIsFirst ? spine->flagA : spine->flagB, dy < 0 ? 1 : 0);
}

// With their domains as trim loops, both faces of a right-angled wedge are cut back to the
// contact lines: A (z = 0) keeps x >= r, B (x = 0) keeps z >= r.
TEST_F(SrfFilletTest, TrimCutsBothFacesBackToTheContactLines) {
  const double r = 0.3;
  Wedge w(kPi / 2);
  w.a->AddLoop(w.a->GenRectTrimLoop(0, 1, 0, 1));
  w.b->AddLoop(w.b->GenRectTrimLoop(0, 1, 0, 1));
  CSrfFilletSolver solver;
  solver.SetRadius(r);
  solver.SetTrim(1, 1, 0);
  solver.AddFace(w.a.get(), 0, false);
  solver.AddFace(w.b.get(), 0, true);
  SurfList out;
  ASSERT_EQ(solver.Fillet(&out), 1);
  EXPECT_EQ(solver.FirstSide()->trimmed, 1);
  EXPECT_EQ(solver.SecondSide()->trimmed, 1);
  // One patch and one kept piece per face; the pieces are told apart by where they lie.
  ASSERT_EQ(out.GetCount(), 3);
  int pieces = 0;
  for (POSITION pos = out.GetHeadPosition(); pos;) {
    CGeTrimSurf* s = out.GetNext(pos);
    if (s->m_LoopList.IsEmpty()) continue;  // the patch
    ++pieces;
    ASSERT_EQ(s->m_LoopList.GetCount(), 1);
    const double area = s->m_LoopList.GetHead()->EvArea(1e-4);
    // A's u runs over x in [0, 2]: kept 1 - r/2. B's v runs over z in [-2, 2]: kept (2 - r)/4.
    const bool isA = s->m_pSurface->net[0][0][2] == 0.0 && s->m_pSurface->net[1][1][2] == 0.0;
    EXPECT_NEAR(area, isA ? 1 - r / 2 : (2 - r) / 4, 1e-3);
  }
  EXPECT_EQ(pieces, 2);
  // The caller's faces keep their kernel records: the spines still reach them.
  EXPECT_NE(w.a->m_pKernelSurf, nullptr);
  EXPECT_NE(w.b->m_pKernelSurf, nullptr);
}

// Every edge of a box, faces parameterised every which way with outward normals and flipped:
// each gives one spine inside the box at r from both faces, running the length of the edge.
TEST_F(SrfFilletTest, EveryBoxEdgeRollsInside) {
  const double L = 2.0, r = 0.2;
  struct Side {
    double O[3], U[3], V[3];
    int axis;      // the face is the plane coordinate[axis] = at
    double at;
  } sides[6] = {
      {{0, 0, 0}, {0, L, 0}, {L, 0, 0}, 2, 0}, {{0, 0, L}, {L, 0, 0}, {0, L, 0}, 2, L},
      {{0, 0, 0}, {0, 0, L}, {0, L, 0}, 0, 0}, {{L, 0, 0}, {0, L, 0}, {0, 0, L}, 0, L},
      {{0, 0, 0}, {L, 0, 0}, {0, 0, L}, 1, 0}, {{0, L, 0}, {0, 0, L}, {L, 0, 0}, 1, L}};
  int edges = 0;
  for (int i = 0; i < 6; ++i)
    for (int j = i + 1; j < 6; ++j) {
      if (sides[i].axis == sides[j].axis) continue;
      ++edges;
      Face a = Plane(sides[i].O, sides[i].U, sides[i].V);
      Face b = Plane(sides[j].O, sides[j].U, sides[j].V);
      CSrfFilletSolver solver;
      solver.SetRadius(r);
      solver.AddFace(a.get(), 1, false);
      solver.AddFace(b.get(), 1, true);
      SurfList out;
      ASSERT_EQ(solver.Fillet(&out), 1) << i << "-" << j;
      EXPECT_EQ(out.GetCount(), 1) << i << "-" << j;
      ASSERT_TRUE(solver.Spines() && !solver.Spines()->next) << i << "-" << j;
      const SSI_PointList* l = solver.Spines()->curve->points;
      for (int k = 0; k < l->count; ++k)
        for (const Side* f : {&sides[i], &sides[j]}) {
          const double c = l->points[k].point[f->axis];
          EXPECT_NEAR(f->at == 0 ? c : L - c, r, 1e-6) << i << "-" << j << " r inside both";
        }
      const int along = 3 - sides[i].axis - sides[j].axis;
      const double span = std::fabs(l->points[l->count - 1].point[along] - l->points[0].point[along]);
      EXPECT_NEAR(span, L, 0.02) << i << "-" << j;
    }
  EXPECT_EQ(edges, 12);
}

TEST_F(SrfFilletTest, FailuresReturnZeroAndAppendNothing) {
  Wedge w(kPi / 2);
  const double o[3] = {0, 0, 0}, u[3] = {0.5, 0, 0}, v[3] = {0, 0.5, 0};
  const double oFar[3] = {10, 10, 10};
  Face small = Plane(o, u, v);
  Face far = Plane(oFar, u, v);
  Face bare = Plane(o, u, v);
  CSrfActor().FreeSURFACE(bare.get());
  // NaN in the kernel record only (the face's own box stays sound), and in both.
  const double oN[3] = {0, 0, -2}, uN[3] = {0, 2, 0}, vN[3] = {0, 0, 4};
  Face nanRecord = Plane(oN, uN, vN), nanBoth = Plane(oN, uN, vN);
  static_cast<SRF_Bspline*>(nanRecord->m_pKernelSurf)->surface->net[1][1][0] = NAN;
  static_cast<SRF_Bspline*>(nanBoth->m_pKernelSurf)->surface->net[1][1][0] = NAN;
  nanBoth->m_pSurface->net[1][1][0] = NAN;
  const double huge = 1e300;
  struct Case {
    const char* what;
    CGeTrimSurf *f1, *f2;
    double r;
  } cases[] = {
      {"radius below 1e-6", w.a.get(), w.b.get(), 5e-7},
      {"negative radius", w.a.get(), w.b.get(), -0.3},
      {"NaN radius", w.a.get(), w.b.get(), NAN},
      {"infinite radius", w.a.get(), w.b.get(), INFINITY},
      {"absurd radius", w.a.get(), w.b.get(), huge},
      {"no first face", nullptr, w.b.get(), 0.3},
      {"no second face", w.a.get(), nullptr, 0.3},
      {"face without kernel record", bare.get(), w.b.get(), 0.3},
      {"NaN control point in the kernel record", w.a.get(), nanRecord.get(), 0.3},
      {"NaN control point in face and record", w.a.get(), nanBoth.get(), 0.3},
      {"boxes apart", far.get(), w.b.get(), 0.3},
      {"radius larger than the faces allow", small.get(), w.b.get(), 5.0},
  };
  for (const Case& c : cases) {
    SurfList out;
    // A caller's list that already holds a surface: success must mean this run added one.
    out.AddTail(new CGeTrimSurf());
    EXPECT_EQ(CSrfActor().SrfFillet(c.f1, 0, c.f2, 0, 1, 0, c.r, &out), 0) << c.what;
    EXPECT_EQ(out.GetCount(), 1) << c.what;
  }
  EXPECT_EQ(CSrfActor().SrfFillet(w.a.get(), 0, w.b.get(), 0, 0, 0, 0.3, nullptr), 0);
  SurfList held;
  held.AddTail(new CGeTrimSurf());
  EXPECT_EQ(CSrfActor().SrfFillet(w.a.get(), 0, w.b.get(), 0, 0, 0, 0.3, &held), 1);
  EXPECT_EQ(held.GetCount(), 2) << "the patch goes behind what the caller held";
}

// A kernel allocation failing anywhere in the run: a clean 0 or a full result, never a crash
// or a leak (the sanitizer build checks the latter).
TEST_F(SrfFilletTest, AllocationFailuresAnywhereFailCleanly) {
  for (long n = 1; n < 200000; n = n < 16 ? n + 1 : n * 2) {
    Wedge w(kPi / 2);
    SurfList out;
    KX_MemFailAfter(n);
    const int rc = CSrfActor().SrfFillet(w.a.get(), 0, w.b.get(), 0, 1, 0, 0.3, &out);
    KX_MemFailAfter(0);
    EXPECT_EQ(rc, out.IsEmpty() ? 0 : 1) << n;
    EXPECT_LE(out.GetCount(), 1) << n;
  }
}

TEST_F(SrfFilletTest, RunningTwiceGivesTheSameAgain) {
  Wedge w(kPi / 3);
  CSrfFilletSolver solver;
  solver.SetRadius(0.25);
  solver.AddFace(w.a.get(), 0, false);
  solver.AddFace(w.b.get(), 0, true);
  SurfList first, second;
  ASSERT_EQ(solver.Fillet(&first), 1);
  const int points = solver.Spines()->curve->points->count;
  ASSERT_EQ(solver.Fillet(&second), 1);
  EXPECT_EQ(second.GetCount(), first.GetCount());
  EXPECT_EQ(solver.Spines()->curve->points->count, points);
  EXPECT_EQ(solver.Spines()->next, nullptr) << "the old spines were replaced, not kept";
}

TEST_F(SrfFilletTest, IsReadyNeedsBothSidesAndARadius) {
  Wedge w(kPi / 2);
  CSrfFilletSolver s;
  EXPECT_EQ(s.IsReady(), 0);
  s.AddFace(w.a.get(), 0, false);
  s.AddFace(nullptr, 0, true);
  EXPECT_EQ(s.IsReady(), 0) << "a null face is ignored";
  s.AddFace(w.b.get(), 0, true);
  EXPECT_EQ(s.IsReady(), 1) << "radius 1 from construction";
  s.SetRadius(9e-7);
  EXPECT_EQ(s.IsReady(), 0);
  s.SetRadius(0.2);
  EXPECT_EQ(s.IsReady(), 1);
  s.Clear();
  EXPECT_EQ(s.IsReady(), 0);
}

TEST_F(SrfFilletTest, SeveralFacesPerSideEachMeetTheirNeighbours) {
  // Two faces on the second side (the wall split at y = 1): two spines, two patches, each
  // spine attributed to the wall piece it was traced on.
  const double r = 0.3;
  const double oA[3] = {0, 0, 0}, uA[3] = {2, 0, 0}, vA[3] = {0, 2, 0};
  const double o1[3] = {0, 0, 0}, o2[3] = {0, 1, 0}, uB[3] = {0, 1, 0}, vB[3] = {0, 0, 2};
  Face a = Plane(oA, uA, vA), b1 = Plane(o1, uB, vB), b2 = Plane(o2, uB, vB);
  CSrfFilletSolver solver;
  solver.SetRadius(r);
  solver.AddFace(a.get(), 0, false);
  solver.AddFace(b1.get(), 0, true);
  solver.AddFace(b2.get(), 0, true);
  SurfList out;
  ASSERT_EQ(solver.Fillet(&out), 1);
  EXPECT_EQ(out.GetCount(), 2);
  int spines = 0;
  for (SSI_CurveNode* c = solver.Spines(); c; c = c->next, ++spines) {
    const SSI_PointList* l = c->curve->points;
    const double ymid = 0.5 * (l->points[0].point[1] + l->points[l->count - 1].point[1]);
    const SrfSideNode* wall = solver.SecondSide();
    if (ymid > 1.0) wall = wall->next;
    EXPECT_TRUE(c->curve->surfaceA == wall->Traced() || c->curve->surfaceB == wall->Traced());
  }
  EXPECT_EQ(spines, 2);
}

}  // namespace
