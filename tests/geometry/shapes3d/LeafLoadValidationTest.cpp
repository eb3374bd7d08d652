// Loading the leaf shapes, planar and spatial, from damaged or hostile records: every stored
// double refuses NaN and infinity with the archive exception and leaves the object as it was,
// ordinary records round-trip exactly, NURBS records without a curve behind them are refused,
// absurd but finite sizes load with bounded buffers, and a layer keeps its fields when its
// record is cut.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "Curve3dTestUtil.h"
#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeEllipse.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/Layer.h"
#include "geometry/shapes3d/GeArc3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GeNrbCrv3d.h"
#include "geometry/shapes3d/GeOffsetCrv3d.h"
#include "geometry/shapes3d/GePoint3d.h"
#include "geometry/shapes3d/GePolyline3d.h"
#include "support/ArchiveBytes.h"
#include "support/VurodeFixture.h"

namespace {

using archive_bytes::Fields;
using archive_bytes::LoadFields;
using archive_bytes::LoadObject;
using archive_bytes::Stored;
using c3t::PutDbl;

// An ordinary object of one class and the offsets of every double in its own record.
template <class Shape>
struct LeafCase {
  const char* name;
  std::function<Shape*()> make;
  std::function<std::vector<size_t>(Shape&)> doubles;
};

// Offsets of n records of `stride` bytes holding `per` doubles each, from `at`.
void Run(std::vector<size_t>& out, size_t at, size_t n, size_t per = 1, size_t stride = 8) {
  for (size_t i = 0; i < n; ++i)
    for (size_t k = 0; k < per; ++k) out.push_back(at + i * stride + 8 * k);
}

std::vector<size_t> Run(size_t at, size_t n, size_t per = 1, size_t stride = 8) {
  std::vector<size_t> out;
  Run(out, at, n, per, stride);
  return out;
}

// --- Planar curves -----------------------------------------------------------------------------

namespace planar {

const double kOrigin[2] = {0.0, 0.0};
const double kCentre[2] = {3.0, -1.0};

CGeArc* Arc(double sweep) {
  auto* arc = new CGeArc;
  arc->CreateCSEAngle(kCentre, 2.5, 0.25, 0.25 + sweep);
  arc->Discrete(gGetCurveDicTol());
  return arc;
}

CGeBezier* Bezier() {
  const double pts[7][2] = {{0, 0}, {1, 2}, {3, 2}, {4, 0}, {5, -2}, {7, -2}, {8, 0}};
  auto* bez = new CGeBezier;
  bez->CreateEx(7, pts);
  return bez;
}

CGePolyline* Polyline() {
  const double pts[4][2] = {{0, 0}, {2, 1}, {3, -1}, {5, 0.5}};
  auto* pl = new CGePolyline;
  pl->Create(4, pts);
  return pl;
}

// The same offsets whatever the object.
std::function<std::vector<size_t>(CGeCurve&)> At(std::vector<size_t> offsets) {
  return [offsets](CGeCurve&) { return offsets; };
}

}  // namespace planar

struct Planar {
  using Shape = CGeCurve;
  static void SetUp() {}
  // Own records: the closed flag (4 bytes), then the class's fields.
  static std::vector<LeafCase<Shape>> Cases() {
    using namespace planar;
    return {
        {"line", [] { return new CGeLine(kOrigin, kCentre); }, At(Run(4, 4))},
        {"arc", [] { return Arc(1.25); }, At(Run(4, 6))},
        {"circle", [] { return new CGeCircle(kCentre, 2.0, 0); }, At(Run(4, 3))},
        {"ellipse", [] { return new CGeEllipse(kCentre, 3.0, 1.5, 0.4, 1); }, At(Run(4, 5))},
        // count, then x, y, kind per node
        {"bezier", [] { return Bezier(); }, At(Run(8, 7, 2, 20))},
        // count, then x, y per vertex
        {"polyline", [] { return Polyline(); }, At(Run(8, 4, 2, 16))},
    };
  }
  // An arc may turn more than once (constructions make such arcs): it loads as it was.
  static std::vector<LeafCase<Shape>> MoreRoundTrips() {
    return {{"arc of one and a half turns", [] { return planar::Arc(3.0 * std::numbers::pi); }, {}},
            {"clockwise arc", [] { return planar::Arc(-2.0); }, {}}};
  }
  // The point buffer, which a failed load keeps and a round trip rebuilds alike.
  static int Buffer(const Shape& s) { return s.m_nSWPoint; }
};

// --- Spatial shapes ----------------------------------------------------------------------------

namespace spatial {

using c3t::Circle;
using c3t::Wave;

constexpr size_t kShapePart = 6 * 8 + 4;  // box, extension data word

// The box, then `n` doubles right after the shape part.
std::vector<size_t> BoxAnd(size_t n) {
  std::vector<size_t> out;
  Run(out, 0, 6);
  Run(out, kShapePart, n);
  return out;
}

const double kA[3] = {1.0, -2.0, 0.5};
const double kB[3] = {4.0, 2.0, -1.5};
const double kUp[3] = {0.0, 0.0, 1.0};

CGeArc3d* Arc() {
  auto* arc = new CGeArc3d;
  const double c[3] = {0.0, 0.0, 1.0}, s[3] = {2.0, 0.0, 1.0}, e[3] = {0.0, 2.0, 1.0};
  arc->CreateCSE(c, s, e, 1);
  arc->DiscreteMe(gGetCurveDicTol());
  arc->CalcBox();
  return arc;
}

CGePolyline3d* Polyline() {
  const double pts[4][3] = {{0, 0, 0}, {2, 1, 0.5}, {3, -1, 1}, {5, 0.5, 0}};
  auto* pl = new CGePolyline3d;
  pl->Create(4, pts);
  return pl;
}

std::vector<size_t> NurbsDoubles(CGeShape3d& s) {
  const BCRV* c = static_cast<CGeNrbCrv3d&>(s).GetCurve();
  std::vector<size_t> out;
  Run(out, 0, 6);
  const size_t cp = kShapePart + 12;  // present flag, order, count
  Run(out, cp, size_t(c->n), 4, 32);
  Run(out, cp + 32 * size_t(c->n), size_t(c->order + c->n));
  return out;
}

// The base line's doubles inside the offset curve's list, and the distance and direction.
std::vector<size_t> OffsetDoubles(CGeShape3d& s) {
  auto& off = static_cast<CGeOffsetCrv3d&>(s);
  const auto base = Fields(*off.m_pBase);
  const size_t header = Stored(off.m_pBase).size() - base.size();  // the base's class record
  const size_t baseAt = kShapePart + 2 + header;                   // after the list's count
  std::vector<size_t> out;
  Run(out, 0, 6);
  Run(out, baseAt, 6);
  Run(out, baseAt + kShapePart, 6);
  Run(out, baseAt + base.size(), 4);
  return out;
}

}  // namespace spatial

struct Spatial {
  using Shape = CGeShape3d;
  // Shapes store and load their shape part only with a settings object of the current version.
  static void SetUp() { gNewKXGlobal(); }
  static std::vector<LeafCase<Shape>> Cases() {
    using namespace spatial;
    return {
        {"point", [] { return new CGePoint3d(1.0, 2.0, 3.0); }, [](Shape&) { return BoxAnd(3); }},
        {"line", [] { return new CGeLine3d(kA, kB); }, [](Shape&) { return BoxAnd(6); }},
        {"arc", [] { return Arc(); }, [](Shape&) { return BoxAnd(15); }},
        {"polyline", [] { return Polyline(); },
         [](Shape&) {
           std::vector<size_t> out;
           Run(out, 0, 6);
           Run(out, kShapePart + 4, 4, 3, 24);
           return out;
         }},
        {"nurbs", [] { return Circle(3.0); }, NurbsDoubles},
        {"offset", [] { return new CGeOffsetCrv3d(new CGeLine3d(kA, kB), 1.5, kUp); },
         OffsetDoubles},
    };
  }
  static std::vector<LeafCase<Shape>> MoreRoundTrips() {
    return {{"full circle",
             [] {
               auto* arc = new CGeArc3d;
               arc->CreateCricleXZ(spatial::kA, 2.0);
               arc->DiscreteMe(gGetCurveDicTol());
               return arc;
             },
             nullptr},
            {"wave", [] { return spatial::Wave(); }, nullptr}};
  }
  // A curve's point cache; -1 for shapes without one, or with an empty one.
  static int Buffer(const Shape& s) {
    auto* curve = dynamic_cast<const CGeCurve3d*>(&s);
    return curve && curve->m_strDisc.m_nCount > 0 ? curve->m_strDisc.m_nCount : -1;
  }
};

template <class Traits>
class LeafLoadTest : public VurodeTest {
 protected:
  void SetUp() override {
    VurodeTest::SetUp();
    Traits::SetUp();
  }
};

using Dimensions = testing::Types<Planar, Spatial>;
TYPED_TEST_SUITE(LeafLoadTest, Dimensions);

TYPED_TEST(LeafLoadTest, NonFiniteValueInAnyFieldIsRefusedAndChangesNothing) {
  using Shape = typename TypeParam::Shape;
  const double bad[] = {std::numeric_limits<double>::quiet_NaN(),
                        std::numeric_limits<double>::infinity(),
                        -std::numeric_limits<double>::infinity()};
  for (const LeafCase<Shape>& c : TypeParam::Cases()) {
    std::unique_ptr<Shape> ob(c.make());
    const auto fields = Fields(*ob);
    const auto stored = Stored(ob.get());
    const size_t header = stored.size() - fields.size();
    for (size_t at : c.doubles(*ob)) {
      ASSERT_LE(at + 8, fields.size()) << c.name;
      for (double v : bad) {
        const std::string what = std::string(c.name) + " double at " + std::to_string(at) +
                                 " = " + std::to_string(v);
        // A new object made by the archive is freed (the leak check under ASan watches it,
        // base curves included).
        auto s = stored;
        PutDbl(s, header + at, v);
        EXPECT_THROW(delete LoadObject(s), CArchiveException) << what;
        // An existing object keeps what it held.
        auto f = fields;
        PutDbl(f, at, v);
        std::unique_ptr<Shape> target(c.make());
        const int before = TypeParam::Buffer(*target);
        EXPECT_THROW(LoadFields(*target, f), CArchiveException) << what;
        EXPECT_EQ(Fields(*target), fields) << what;
        EXPECT_EQ(TypeParam::Buffer(*target), before) << what;
      }
    }
  }
}

TYPED_TEST(LeafLoadTest, OrdinaryRecordsRoundTripByteForByte) {
  using Shape = typename TypeParam::Shape;
  auto cases = TypeParam::Cases();
  for (auto& more : TypeParam::MoreRoundTrips()) cases.push_back(more);
  for (const LeafCase<Shape>& c : cases) {
    std::unique_ptr<Shape> ob(c.make());
    const auto stored = Stored(ob.get());
    std::unique_ptr<CObject> back(LoadObject(stored));
    ASSERT_TRUE(back) << c.name;
    EXPECT_EQ(Stored(back.get()), stored) << c.name;
    EXPECT_EQ(Fields(*back), Fields(*ob)) << c.name;
    auto* shape = dynamic_cast<Shape*>(back.get());
    ASSERT_TRUE(shape) << c.name;
    if (TypeParam::Buffer(*ob) >= 0) {
      EXPECT_EQ(TypeParam::Buffer(*shape), TypeParam::Buffer(*ob)) << c.name;  // rebuilt alike
    }
  }
}

using PlanarLoadTest = VurodeTest;

// Finite but absurd sizes are values the classes hold; loading them costs a bounded buffer.
TEST_F(PlanarLoadTest, AbsurdSweepsRadiiAndCoordinatesLoadWithBoundedBuffers) {
  struct ArcCase {
    const char* name;
    double radius, sweep;
  } arcs[] = {{"sweep 1e300", 2.5, 1e300},
              {"sweep -1e300", 2.5, -1e300},
              {"radius 1e300", 1e300, 1.0},
              {"a million turns", 2.5, 2e6 * std::numbers::pi}};
  for (const ArcCase& k : arcs) {
    std::unique_ptr<CGeArc> arc(planar::Arc(1.0));
    auto b = Stored(arc.get());
    const size_t at = b.size() - 48;  // centre, radius, start vector, sweep
    PutDbl(b, at + 16, k.radius);
    PutDbl(b, at + 40, k.sweep);
    std::unique_ptr<CObject> ob(LoadObject(b));
    auto* back = dynamic_cast<CGeArc*>(ob.get());
    ASSERT_TRUE(back) << k.name;
    EXPECT_EQ(back->m_dSweep, k.sweep) << k.name;
    EXPECT_EQ(back->m_dRadius, k.radius) << k.name;
    EXPECT_GE(back->m_nSWPoint, 6) << k.name;
    EXPECT_LE(back->m_nSWPoint, 16385) << k.name;
  }

  // Control points far apart would flatten each segment into a million points.
  for (double scale : {1e12, 1e150}) {
    std::unique_ptr<CGeBezier> bez(planar::Bezier());
    auto b = Stored(bez.get());
    const size_t nodes = b.size() - 7 * 20;
    for (size_t i = 0; i < 7; ++i) {
      double x = 0.0;
      std::memcpy(&x, b.data() + nodes + 20 * i, 8);
      PutDbl(b, nodes + 20 * i, x * scale);
    }
    std::unique_ptr<CObject> ob(LoadObject(b));
    auto* back = dynamic_cast<CGeBezier*>(ob.get());
    ASSERT_TRUE(back);
    EXPECT_GT(back->m_nSWPoint, 2);
    EXPECT_LE(back->m_nSWPoint, 2 * 4096 + 1) << scale;  // two segments
  }
}

TEST_F(PlanarLoadTest, LayerKeepsItsFieldsWhenItsRecordIsCut) {
  CLayer layer(L"Roughing passes");
  layer.SetColor(0x00336699);
  const auto fields = Fields(layer);
  for (size_t cut : {size_t(2), size_t(10), fields.size() - 3}) {
    CLayer target(L"kept");
    target.SetColor(0x00010203);
    const auto before = Fields(target);
    std::vector<BYTE> b(fields.begin(), fields.begin() + static_cast<std::ptrdiff_t>(cut));
    EXPECT_THROW(LoadFields(target, b), CArchiveException) << cut;
    EXPECT_EQ(Fields(target), before) << cut;
  }
  CLayer back;
  LoadFields(back, fields);
  EXPECT_EQ(Fields(back), fields);
}

using SpatialLoadTest = c3t::Curve3dTest;

TEST_F(SpatialLoadTest, NurbsRecordWithoutACurveBehindItIsRefused) {
  using spatial::kShapePart;
  std::unique_ptr<CGeNrbCrv3d> ob(c3t::Wave());
  const auto fields = Fields(*ob);
  const size_t w1 = kShapePart + 12 + 32 + 24;  // weight of the second control point
  for (double w : {0.0, -1.0, -1e-300}) {
    auto f = fields;
    PutDbl(f, w1, w);
    std::unique_ptr<CGeNrbCrv3d> target(c3t::Wave());
    const BCRV* held = target->GetCurve();
    EXPECT_THROW(LoadFields(*target, f), CArchiveException) << w;
    EXPECT_EQ(target->GetCurve(), held) << w;
    EXPECT_EQ(Fields(*target), fields) << w;
  }
}

// Finite but absurd values that the classes hold load with bounded caches.
TEST_F(SpatialLoadTest, AbsurdSizesAndWeightsLoadWithBoundedCaches) {
  using spatial::kShapePart;
  struct ArcCase {
    const char* name;
    double radius, sweep;
  } arcs[] = {{"sweep 1e300", 2.0, 1e300}, {"radius 1e300", 1e300, 1.0}, {"negative sweep", 2.0, -2.0}};
  for (const ArcCase& k : arcs) {
    std::unique_ptr<CGeArc3d> arc(spatial::Arc());
    auto f = Fields(*arc);
    PutDbl(f, kShapePart, k.radius);
    PutDbl(f, kShapePart + 8, k.sweep);
    std::unique_ptr<CGeArc3d> back(c3t::LoadNew<CGeArc3d>(f));
    EXPECT_EQ(back->m_dSweep, k.sweep) << k.name;
    EXPECT_GE(back->m_strDisc.m_nCount, 3) << k.name;
    EXPECT_LE(back->m_strDisc.m_nCount, 16385) << k.name;
  }

  // A quadratic whose middle weight dwarfs the others jumps to its middle point almost at
  // once: refinement chases the corners down to the parameter floor.
  for (double w : {1e200, 1e-200}) {
    const double pts[3][3] = {{0, 0, 0}, {1, 1, 0}, {2, 0, 0}};
    CGeNrbCrv3d c;
    ASSERT_TRUE(c.CreateCtrlPt(pts, 3, 2, 0.01));
    auto f = Fields(c);
    const size_t mid = kShapePart + 12 + 32;
    for (int k = 0; k < 3; ++k) PutDbl(f, mid + 8 * size_t(k), pts[1][k] * w);
    PutDbl(f, mid + 24, w);
    std::unique_ptr<CGeNrbCrv3d> back(c3t::LoadNew<CGeNrbCrv3d>(f));
    ASSERT_TRUE(back->GetCurve()) << w;
    EXPECT_GE(back->m_strDisc.m_nCount, 3) << w;
    EXPECT_LE(back->m_strDisc.m_nCount, 3 * 512) << w;
  }
}

}  // namespace
