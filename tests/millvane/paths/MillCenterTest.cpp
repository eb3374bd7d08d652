#include "millvane/paths/MillCenter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "millvane/paths/NcPline.h"
#include "millvane/loops/PathCombine.h"
#include "millvane/loops/PathEntity.h"
#include "millvane/paths/ProtectNet.h"
#include "platform/panlet/Progress.h"
#include "support/MeshOracle.h"

namespace {

using MeshList = CTypedPtrList<CObList, CGeMesh*>;

struct Built {
  std::unique_ptr<CGeMesh> mesh;
  MeshList list;
  std::unique_ptr<CMillCenter> model;
};

std::unique_ptr<Built> Build(std::unique_ptr<CGeMesh> mesh, CTool* tool, int flag = 0, double factor = 0.1) {
  auto b = std::make_unique<Built>();
  b->mesh = std::move(mesh);
  b->list.AddTail(b->mesh.get());
  b->model.reset(CreateMillCentre(&b->list, tool, 0.0, flag, factor));
  return b;
}

double Project(CMillCenter& m, double x, double y, double from = -1e6) {
  m.DefineMarkedPane({{x, y}, {x, y}}, 0.0001);
  double p[3] = {x, y, from};
  m.ProjPntOnMdl(p);
  return p[2];
}

class MillCenterTest : public ::testing::Test {
 protected:
  void SetUp() override { gResetProgress(); }
  void TearDown() override { gResetProgress(); }
};

}  // namespace

TEST_F(MillCenterTest, BadInputGivesNoModel) {
  CTBall ball(4);
  CTBall zero(0);
  CTBall nan(NAN);
  auto plane = oracle::Plane(10, 0);
  MeshList one;
  one.AddTail(plane.get());
  MeshList empty;
  EXPECT_EQ(CreateMillCentre(nullptr, &ball, 0, 0, 0.1), nullptr);
  EXPECT_EQ(CreateMillCentre(&empty, &ball, 0, 0, 0.1), nullptr);
  EXPECT_EQ(CreateMillCentre(&one, nullptr, 0, 0, 0.1), nullptr);
  EXPECT_EQ(CreateMillCentre(&one, &zero, 0, 0, 0.1), nullptr);
  EXPECT_EQ(CreateMillCentre(&one, &nan, 0, 0, 0.1), nullptr);
  auto bad = oracle::Plane(10, 0);
  bad->vertices[3].z = NAN;
  MeshList withNan;
  withNan.AddTail(bad.get());
  EXPECT_EQ(CreateMillCentre(&withNan, &ball, 0, 0, 0.1), nullptr);
  auto badIndex = oracle::Plane(10, 0);
  badIndex->faces[0].v[1] = 1000;
  MeshList withIndex;
  withIndex.AddTail(badIndex.get());
  EXPECT_EQ(CreateMillCentre(&withIndex, &ball, 0, 0, 0.1), nullptr);
}

TEST_F(MillCenterTest, MeshesWithoutFacetsGiveAZeroBox) {
  CTBall ball(4);
  auto b = Build(std::make_unique<CGeMesh>(), &ball);
  ASSERT_NE(b->model, nullptr);
  EXPECT_TRUE(b->model->faces.empty());
  for (double v : b->model->box) EXPECT_EQ(v, 0);
}

TEST_F(MillCenterTest, CancellationDuringConstructionGivesNull) {
  CTBall ball(4);
  auto sphere = oracle::Sphere(5, 16, 8);
  MeshList list;
  list.AddTail(sphere.get());
  gShowThreadProg(L"centre", 1);
  gSetProgressCancelAfter(1);
  EXPECT_EQ(CreateMillCentre(&list, &ball, 0, 0, 0.1), nullptr);
  gHideThreadProg();
}

TEST_F(MillCenterTest, FlatMeshFacingEitherWayIsAPlaneContour) {
  CTBall ball(2);
  for (bool down : {false, true}) {
    auto plane = oracle::Plane(10, 3);
    if (down)
      for (auto& f : plane->faces) std::swap(f.v[1], f.v[2]);
    plane->normals.clear();
    auto b = Build(std::move(plane), &ball);
    ASSERT_NE(b->model, nullptr);
    CMillCenter& m = *b->model;
    // The flat face keeps its own height: its offset is nothing.
    ASSERT_EQ(m.faces.size(), 1u);
    EXPECT_NEAR(m.faces[0]->box.min[2], 3, 1e-6) << down;
    EXPECT_NEAR(m.faces[0]->box.max[2], 3, 1e-6) << down;
    // Its border is one closed chain in the plane-contour set, at the plane's level.
    ASSERT_EQ(m.planeContours.count, 1) << down;
    EXPECT_NEAR(m.planeContours.level, 3, 1e-6);
    EXPECT_GE(m.planeContours.head->pts.size(), 16u);
    // The border tube stands a ball radius out from the edge, its top at the plane's height.
    EXPECT_NEAR(m.box[0], -5 - 1, 1e-6);
    EXPECT_NEAR(m.box[3], 5 + 1, 1e-6);
    EXPECT_NEAR(Project(m, 0, 0), 3, 1e-6);
    // The tube is sampled every 15 degrees: within its sag.
    EXPECT_NEAR(Project(m, 5.6, 0), 3 - 1 + std::sqrt(1 - 0.36), 0.02);
  }
}

// Over a hemisphere of radius S a ball of radius r stands at sqrt((S + r)^2 - d^2) - r; the
// model is a faceted offset, so it agrees within the facets' sag and never stands above the
// brute-force drop height on the same mesh by more than that.
TEST_F(MillCenterTest, BallOverHemisphereFollowsTheOffsetSphere) {
  const double S = 10, r = 2;
  CTBall ball(2 * r);
  auto b = Build(oracle::Hemisphere(S, 96, 24), &ball);
  ASSERT_NE(b->model, nullptr);
  const std::vector<const CGeMesh*> meshes{b->mesh.get()};
  for (double d : {0.0, 1.5, 3.3, 5.0, 7.7, 9.0, 10.5}) {
    for (double a : {0.1, 1.3, 2.9}) {
      const double x = d * std::cos(a), y = d * std::sin(a);
      const double h = Project(*b->model, x, y);
      const double closed = std::sqrt((S + r) * (S + r) - d * d) - r;
      EXPECT_NEAR(h, closed, 0.06) << d << " " << a;
      const double brute = oracle::DropHeight(meshes, &ball, x, y);
      EXPECT_NEAR(h, brute, 0.06) << d << " " << a;
    }
  }
}

TEST_F(MillCenterTest, RotationTurnsEveryRecordAndUndoes) {
  CTBall ball(2);
  auto b = Build(oracle::Plane(10, 1), &ball, 1, 0.5);
  ASSERT_NE(b->model, nullptr);
  CMillCenter& m = *b->model;
  ASSERT_EQ(m.planeContours.count, 1);
  const auto contour0 = m.planeContours.head->pts;
  const auto sharp0 = m.sharp.pts;
  const std::vector<double> box0(m.box, m.box + 6);
  m.RotateModel(0.4);
  // The plane contour turned with the faces.
  const auto& c1 = m.planeContours.head->pts;
  for (size_t i = 0; i < c1.size(); ++i) {
    EXPECT_NEAR(c1[i][0], contour0[i][0] * std::cos(0.4) - contour0[i][1] * std::sin(0.4), 1e-12);
    EXPECT_NEAR(c1[i][1], contour0[i][0] * std::sin(0.4) + contour0[i][1] * std::cos(0.4), 1e-12);
  }
  m.RotateModel(-0.4);
  for (size_t i = 0; i < sharp0.size(); ++i)
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(m.sharp.pts[i][k], sharp0[i][k], 1e-9);
  for (int k = 0; k < 6; ++k) EXPECT_NEAR(m.box[k], box0[k], 1e-9);
}

TEST_F(MillCenterTest, NearlyFlatMeshWithOpenBorderIsAFlatFace) {
  CTBall ball(2);
  // A slope of 0.02 over 10: height 0.2 < 0.5 * 10, no border steeper than 0.5.
  auto b = Build(oracle::TiltedPlane(10, std::atan(0.02)), &ball, 1, 0.5);
  ASSERT_NE(b->model, nullptr);
  ASSERT_EQ(b->model->flatFaces.size(), 1u);
  std::unique_ptr<CMillCenter> flat(b->model->CreateFlatFaceModel(*b->model->flatFaces.front()));
  ASSERT_NE(flat, nullptr);
  EXPECT_EQ(flat->faces.size(), 1u);
  EXPECT_FALSE(flat->strips.empty());
  // A steep mesh is no flat face.
  auto steep = Build(oracle::TiltedPlane(10, 0.8), &ball, 1, 0.5);
  ASSERT_NE(steep->model, nullptr);
  EXPECT_TRUE(steep->model->flatFaces.empty());
}

// A y-section of a tilted plane under a ball lies on the offset plane z = x tan t + r (sec t - 1).
TEST_F(MillCenterTest, YSectionOfTiltedPlaneIsTheOffsetPlane) {
  const double t = 0.3, r = 1.5;
  CTBall ball(2 * r);
  auto b = Build(oracle::TiltedPlane(20, t, 0, 6), &ball);
  ASSERT_NE(b->model, nullptr);
  CProtectNet net;
  const double* bx = b->model->box;
  ASSERT_EQ(net.Create(0.5, r, bx), 1);  // a net left low prunes nothing
  CIntLineSet set(1.2);
  b->model->GenSameYLineSet(net, set);
  ASSERT_GT(set.count, 0);
  int onPlane = 0;
  for (IntLineSeg* s = set.head; s; s = s->next)
    for (double f : {0.0, 0.25, 0.5, 0.75, 1.0}) {
      const double x = s->s[0] + f * (s->e[0] - s->s[0]), z = s->s[1] + f * (s->e[1] - s->s[1]);
      if (std::fabs(x) < 8) {  // away from the border tubes and their closing walls
        EXPECT_NEAR(z, x * std::tan(t) + r * (1 / std::cos(t) - 1), 1e-5);
        ++onPlane;
      }
    }
  EXPECT_GT(onPlane, 2);
}

// A y-section along a row of mesh edges, or along the mesh border where the border tube's
// samples line up with the plane, meets each edge from two faces. Its upper envelope must still
// span the whole mesh and follow the brute-force drop height.
TEST_F(MillCenterTest, YSectionAlongMeshRowsKeepsTheWholeLine) {
  struct Case {
    const char* name;
    std::unique_ptr<CGeMesh> mesh;
    double y;
  };
  std::vector<Case> cases;
  cases.push_back({"tilted plane row", oracle::TiltedPlane(30, 0.3, 0, 6), -5});
  cases.push_back({"tilted plane middle row", oracle::TiltedPlane(30, 0.3, 0, 6), 0});
  cases.push_back({"wavy border", oracle::HeightField(-15, -10, 15, 10, 12, 8,
                                                      [](double x, double y) { return 2 * std::sin(y) + 0.1 * x; }),
                   -10});
  const double r = 1.0;
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    CTBall ball(2 * r);
    const CGeMesh* raw = c.mesh.get();
    auto b = Build(std::move(c.mesh), &ball);
    ASSERT_NE(b->model, nullptr);
    CProtectNet net;
    ASSERT_EQ(net.Create(0.5, r, b->model->box), 1);
    CIntLineSet set(c.y);
    b->model->GenSameYLineSet(net, set);
    for (double x = -14.75; x <= 14.75; x += 0.5) {
      double top = -1e300;
      for (IntLineSeg* s = set.head; s; s = s->next) {
        const double lo = std::min(s->s[0], s->e[0]), hi = std::max(s->s[0], s->e[0]);
        if (x < lo || x > hi || hi - lo < 1e-9) continue;
        top = std::max(top, s->s[1] + (x - s->s[0]) / (s->e[0] - s->s[0]) * (s->e[1] - s->s[1]));
      }
      EXPECT_NEAR(top, oracle::DropHeight({raw}, &ball, x, c.y), 0.02) << "x = " << x;
    }
  }
}

// Sections taken level after level from the top down (the faces indexed by z range) equal
// those taken from the bottom up, where every level starts the index over.
TEST_F(MillCenterTest, ZSectionsDoNotDependOnTheLevelOrder) {
  CTBall ball(2.0);
  auto down = Build(oracle::WavyGrid(20, 24), &ball);
  auto up = Build(oracle::WavyGrid(20, 24), &ball);
  ASSERT_NE(down->model, nullptr);
  ASSERT_NE(up->model, nullptr);
  CProtectNet net;
  ASSERT_EQ(net.Create(0.5, 1.0, down->model->box), 1);
  std::vector<double> levels;
  for (double z = down->model->box[5] + 0.5; z > down->model->box[2] - 0.5; z -= 0.3) levels.push_back(z);
  auto segments = [&](CMillCenter& m, double z) {
    CIntLineSet set(z);
    m.GenSameZLineSet(net, set);
    std::vector<std::array<double, 4>> out;
    for (IntLineSeg* s = set.head; s; s = s->next) out.push_back({s->s[0], s->s[1], s->e[0], s->e[1]});
    return out;
  };
  std::vector<std::vector<std::array<double, 4>>> fromTop, fromBottom(levels.size());
  for (double z : levels) fromTop.push_back(segments(*down->model, z));
  for (size_t i = levels.size(); i-- > 0;) fromBottom[i] = segments(*up->model, levels[i]);
  size_t total = 0;
  for (size_t i = 0; i < levels.size(); ++i) {
    EXPECT_EQ(fromTop[i], fromBottom[i]) << "level " << levels[i];
    total += fromTop[i].size();
  }
  EXPECT_GT(total, 100u);
}

// z-section of a hemisphere under a ball: a circle of radius sqrt((S + r)^2 - (z + r)^2).
TEST_F(MillCenterTest, ZSectionOfHemisphereIsACircle) {
  const double S = 8, r = 1;
  CTBall ball(2 * r);
  auto b = Build(oracle::Hemisphere(S, 96, 24), &ball);
  ASSERT_NE(b->model, nullptr);
  CProtectNet net;
  ASSERT_EQ(net.Create(0.5, r, b->model->box), 1);
  for (double z : {2.0, 5.0}) {
    CIntLineSet set(z);
    b->model->SetIntMinZ();
    b->model->GenSameZLineSet(net, set);
    ASSERT_GT(set.count, 10) << z;
    const double R = std::sqrt((S + r) * (S + r) - (z + r) * (z + r));
    for (IntLineSeg* s = set.head; s; s = s->next)
      for (const double* p : {s->s, s->e}) EXPECT_NEAR(std::hypot(p[0], p[1]), R, 0.06) << z;
  }
}

TEST_F(MillCenterTest, SharpPointBelowLevelDropsOutUntilReset) {
  CTCylindrical flat(2);
  auto b = Build(oracle::TiltedPlane(10, 0.3), &flat, 0, 0.1);
  ASSERT_NE(b->model, nullptr);
  CMillCenter& m = *b->model;
  ASSERT_GT(m.sharp.count(), 0);
  // A net standing far above everything prunes every segment, so no circle adds anything.
  CProtectNet net;
  ASSERT_EQ(net.Create(0.5, 1, m.box), 1);
  std::fill(net.heights.begin(), net.heights.end(), 1e6);
  m.SetIntMinZ();
  const double level = m.box[2] - 5;  // every sharp point at least a radius above it
  CIntLineSet set(level);
  m.GenSameZLineSet(net, set);
  EXPECT_EQ(set.count, 0);
  for (double v : m.sharp.val) EXPECT_EQ(v, -1e12);
  m.SetIntMinZ();
  for (int i = 0; i < m.sharp.count(); ++i) EXPECT_EQ(m.sharp.val[i], m.sharp.pts[i][2]);
}

TEST_F(MillCenterTest, VerifyWithProjectionFollowsTheModel) {
  const double S = 10, r = 2;
  CTBall ball(2 * r);
  auto b = Build(oracle::Hemisphere(S, 96, 24), &ball);
  ASSERT_NE(b->model, nullptr);
  CNcPline pl;
  const double p0[3] = {-6, 0.5, 100}, p1[3] = {6, 0.5, 100};
  pl.AddTail(p0);
  pl.AddTail(p1);
  b->model->VerifyCutPath(&pl, 0.01, 1);
  EXPECT_GE(pl.GetCount(), 5);  // the samples are simplified with 0.05
  for (POSITION pos = pl.GetHeadPosition(); pos;) {
    const CNcPoint* q = pl.GetNext(pos);
    const double d = std::hypot(q->x, q->y);
    EXPECT_NEAR(q->z, std::sqrt((S + r) * (S + r) - d * d) - r, 0.06);
  }
  // Without the flag, points keep their height when above and the chords are checked.
  CNcPline low;
  const double q0[3] = {-6, 0.5, 0}, q1[3] = {6, 0.5, 0};
  low.AddTail(q0);
  low.AddTail(q1);
  b->model->VerifyCutPath(&low, 0.01, 0);
  EXPECT_GT(low.GetCount(), 5);
  for (POSITION pos = low.GetHeadPosition(); pos;) {
    const CNcPoint* q = low.GetNext(pos);
    EXPECT_GE(q->z, Project(*b->model, q->x, q->y) - 1e-9);
  }
}

TEST_F(MillCenterTest, CheckPntStringDeletesAGougingString) {
  CTBall ball(2);
  auto b = Build(oracle::Plane(10, 2), &ball);
  ASSERT_NE(b->model, nullptr);
  auto make = [](std::initializer_list<std::array<double, 3>> pts) {
    auto* pl = new CNcPline;
    for (const auto& p : pts) pl->AddTail(p.data());
    return pl;
  };
  CNcPline* two = make({{0, 0, -5}, {1, 0, -5}});
  b->model->CheckPntString(two);
  ASSERT_NE(two, nullptr);  // ends are not checked
  EXPECT_EQ(two->GetCount(), 2);
  delete two;
  CNcPline* above = make({{0, 0, 3}, {1, 0, 2.5}, {2, 0, 3}});
  b->model->CheckPntString(above);
  ASSERT_NE(above, nullptr);
  delete above;
  CNcPline* under = make({{0, 0, 3}, {1, 0, 1.9}, {2, 0, 3}});
  b->model->CheckPntString(under);
  EXPECT_EQ(under, nullptr);
}

namespace {

CPathCombine* TwoLines(const double a0[3], const double a1[3], const double b0[3], const double b1[3]) {
  auto* c = new CPathCombine(8);
  c->AddTail(new CPathLine3D(a0, a1));
  c->AddTail(new CPathLine3D(b0, b1));
  return c;
}

std::vector<std::array<double, 3>> LinkOf(CPathCombine* c) {
  std::vector<std::array<double, 3>> pts;
  CPathEntity* link = c->head->next;
  if (!link || link->type != kPathPLine) return pts;
  auto* pl = static_cast<CPathPLine3D*>(link);
  for (int i = 0; i <= pl->count; ++i) pts.push_back({pl->points[i][0], pl->points[i][1], pl->points[i][2]});
  return pts;
}

}  // namespace

// Links between the ends of two cuts on either side of a dome: whatever type is asked for,
// no sampled point of the link lies under the model.
TEST_F(MillCenterTest, LinkMovesNeverCutIntoTheModel) {
  CTBall ball(2);
  auto b = Build(oracle::Hemisphere(6, 48, 12), &ball);
  ASSERT_NE(b->model, nullptr);
  CMillCenter& m = *b->model;
  const double a0[3] = {-12, -1, 0}, a1[3] = {-8, 0, 0}, b0[3] = {8, 0, 0}, b1[3] = {12, 1, 0};
  for (int type : {0, 1, 2, 3}) {
    std::unique_ptr<CPathCombine, void (*)(CPathCombine*)> c(TwoLines(a0, a1, b0, b1), [](CPathCombine* p) { p->Delete(); });
    ASSERT_EQ(GenLinkMoves(&m, type, 2.0, c.get()), 1);
    const auto link = LinkOf(c.get());
    ASSERT_GE(link.size(), 2u) << type;
    EXPECT_EQ(link.front()[0], -8);
    EXPECT_EQ(link.back()[0], 8);
    for (size_t i = 0; i + 1 < link.size(); ++i)
      for (int k = 0; k <= 20; ++k) {
        const double f = k / 20.0;
        const double x = link[i][0] + f * (link[i + 1][0] - link[i][0]);
        const double y = link[i][1] + f * (link[i + 1][1] - link[i][1]);
        const double z = link[i][2] + f * (link[i + 1][2] - link[i][2]);
        EXPECT_GE(z, Project(m, x, y) - 0.05) << "type " << type << " at " << x << " " << y;
      }
  }
}

TEST_F(MillCenterTest, LinkMovesSnapCloseEndsAndRefuseUnknownTypes) {
  CTBall ball(2);
  auto b = Build(oracle::Plane(40, 0), &ball);
  ASSERT_NE(b->model, nullptr);
  const double a0[3] = {0, 0, 0}, a1[3] = {5, 0, 0}, b0[3] = {5.005, 0, 0}, b1[3] = {9, 0, 0};
  CPathCombine* c = TwoLines(a0, a1, b0, b1);
  EXPECT_EQ(GenLinkMoves(b->model.get(), 3, 1.0, c), 1);
  EXPECT_EQ(c->head->next, c->tail);  // no link, the second line starts where the first ends
  EXPECT_EQ(static_cast<CPathLine3D*>(c->tail)->start[0], 5);
  EXPECT_EQ(GenLinkMoves(b->model.get(), 4, 1.0, c), 0);
  EXPECT_EQ(GenLinkMoves(b->model.get(), -2, 1.0, c), 0);
  EXPECT_EQ(GenLinkMoves(nullptr, 1, 1.0, c), 0);
  c->Delete();
  // Over a flat model a blend stays: E, nine points, the middle, nine points, S.
  const double f0[3] = {0, 0, 0}, f1[3] = {5, 0, 0}, g0[3] = {5, 3, 0}, g1[3] = {0, 3, 0};
  CPathCombine* d = TwoLines(f0, f1, g0, g1);
  EXPECT_EQ(GenLinkMoves(b->model.get(), 3, 1.0, d), 1);
  EXPECT_EQ(LinkOf(d).size(), 21u);
  d->Delete();
  CPathCombine* none = TwoLines(f0, f1, g0, g1);
  EXPECT_EQ(GenLinkMoves(b->model.get(), -1, 1.0, none), 1);
  EXPECT_EQ(none->head->next, none->tail);
  none->Delete();
}

TEST_F(MillCenterTest, ModelViewsCountTheirRecords) {
  CTBall ball(2);
  auto b = Build(oracle::TiltedPlane(10, 0.3, 0, 3), &ball);
  ASSERT_NE(b->model, nullptr);
  CMillCenter& m = *b->model;
  auto count = [](CPathCombine* c) {
    int n = 0;
    for (CPathEntity* e = c->head; e; e = e->next) ++n;
    c->Delete();
    return n;
  };
  size_t faces = 0;
  for (const auto& f : m.faces) faces += f->tris.size() + f->quads.size();
  EXPECT_EQ(count(m.CreateOffsetSurfComb()), static_cast<int>(faces));
  EXPECT_EQ(count(m.CreateEdgeComb()), static_cast<int>(m.strips.size()));
  int bound = 0;
  for (const auto& s : m.strips) bound += s->ChainPoints() + CMillCenter::Strip::kSamples;
  EXPECT_EQ(count(m.CreateBoundSurfComb()), bound);
}
