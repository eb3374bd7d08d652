// Loading the 3D leaf shapes from damaged or hostile records: every stored double refuses NaN
// and infinity with the archive exception and leaves the object as it was, NURBS records
// without a curve behind them are refused, absurd but finite sizes load with bounded caches,
// and ordinary records round-trip exactly.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "Curve3dTestUtil.h"
#include "geometry/shapes3d/GeArc3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GeNrbCrv3d.h"
#include "geometry/shapes3d/GeOffsetCrv3d.h"
#include "geometry/shapes3d/GePoint3d.h"
#include "geometry/shapes3d/GePolyline3d.h"

namespace {

using namespace c3t;
using shapes3d_test::LoadFields;

// The object as stored through the persistent-object format (class record, then its fields).
std::vector<BYTE> Stored(const CObject* ob) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    ar << ob;
    ar.Close();
  }
  std::vector<BYTE> bytes(static_cast<size_t>(file.GetLength()));
  file.SeekToBegin();
  file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
  return bytes;
}

// The object the archive makes from the bytes; the caller owns it.
CObject* Load(std::vector<BYTE> bytes) {
  CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
  CArchive ar(&file, CArchive::load);
  CObject* ob = nullptr;
  ar >> ob;
  return ob;
}

// An ordinary shape of one class and the offsets of every double in its own record.
struct LeafCase {
  const char* name;
  std::function<CGeShape3d*()> make;
  std::function<std::vector<size_t>(CGeShape3d&)> doubles;
};

constexpr size_t kShapePart = 6 * 8 + 4;  // box, extension data word

// Offsets of n records of `stride` bytes holding `per` doubles each, from `at`.
void Run(std::vector<size_t>& out, size_t at, size_t n, size_t per = 1, size_t stride = 8) {
  for (size_t i = 0; i < n; ++i)
    for (size_t k = 0; k < per; ++k) out.push_back(at + i * stride + 8 * k);
}

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

std::vector<LeafCase> Cases() {
  return {
      {"point", [] { return new CGePoint3d(1.0, 2.0, 3.0); }, [](CGeShape3d&) { return BoxAnd(3); }},
      {"line", [] { return new CGeLine3d(kA, kB); }, [](CGeShape3d&) { return BoxAnd(6); }},
      {"arc", [] { return Arc(); }, [](CGeShape3d&) { return BoxAnd(15); }},
      {"polyline", [] { return Polyline(); },
       [](CGeShape3d&) {
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

using LeafLoad3dTest = Curve3dTest;

TEST_F(LeafLoad3dTest, NonFiniteValueInAnyFieldIsRefusedAndChangesNothing) {
  const double bad[] = {std::numeric_limits<double>::quiet_NaN(),
                        std::numeric_limits<double>::infinity(),
                        -std::numeric_limits<double>::infinity()};
  for (const LeafCase& c : Cases()) {
    std::unique_ptr<CGeShape3d> ob(c.make());
    const auto fields = Fields(*ob);
    const auto stored = Stored(ob.get());
    const size_t header = stored.size() - fields.size();
    for (size_t at : c.doubles(*ob)) {
      ASSERT_LE(at + 8, fields.size()) << c.name;
      for (double v : bad) {
        const std::string what = std::string(c.name) + " double at " + std::to_string(at) +
                                 " = " + std::to_string(v);
        // A new object is freed (the leak check under ASan watches it, base curves included).
        auto s = stored;
        PutDbl(s, header + at, v);
        EXPECT_THROW(delete Load(s), CArchiveException) << what;
        // An existing one keeps its geometry.
        auto f = fields;
        PutDbl(f, at, v);
        std::unique_ptr<CGeShape3d> target(c.make());
        EXPECT_THROW(LoadFields(*target, f), CArchiveException) << what;
        EXPECT_EQ(Fields(*target), fields) << what;  // the old geometry stays
      }
    }
  }
}

TEST_F(LeafLoad3dTest, NurbsRecordWithoutACurveBehindItIsRefused) {
  std::unique_ptr<CGeNrbCrv3d> ob(Wave());
  const auto fields = Fields(*ob);
  const size_t w1 = kShapePart + 12 + 32 + 24;  // weight of the second control point
  for (double w : {0.0, -1.0, -1e-300}) {
    auto f = fields;
    PutDbl(f, w1, w);
    std::unique_ptr<CGeNrbCrv3d> target(Wave());
    const BCRV* held = target->GetCurve();
    EXPECT_THROW(LoadFields(*target, f), CArchiveException) << w;
    EXPECT_EQ(target->GetCurve(), held) << w;
    EXPECT_EQ(Fields(*target), fields) << w;
  }
}

// Finite but absurd values that the classes hold load with bounded caches.
TEST_F(LeafLoad3dTest, AbsurdSizesAndWeightsLoadWithBoundedCaches) {
  struct ArcCase {
    const char* name;
    double radius, sweep;
  } arcs[] = {{"sweep 1e300", 2.0, 1e300}, {"radius 1e300", 1e300, 1.0}, {"negative sweep", 2.0, -2.0}};
  for (const ArcCase& k : arcs) {
    std::unique_ptr<CGeArc3d> arc(Arc());
    auto f = Fields(*arc);
    PutDbl(f, kShapePart, k.radius);
    PutDbl(f, kShapePart + 8, k.sweep);
    std::unique_ptr<CGeArc3d> back(LoadNew<CGeArc3d>(f));
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
    std::unique_ptr<CGeNrbCrv3d> back(LoadNew<CGeNrbCrv3d>(f));
    ASSERT_TRUE(back->GetCurve()) << w;
    EXPECT_GE(back->m_strDisc.m_nCount, 3) << w;
    EXPECT_LE(back->m_strDisc.m_nCount, 3 * 512) << w;
  }
}

TEST_F(LeafLoad3dTest, OrdinaryRecordsRoundTripByteForByte) {
  auto cases = Cases();
  cases.push_back({"full circle",
                   [] {
                     auto* arc = new CGeArc3d;
                     arc->CreateCricleXZ(kA, 2.0);
                     arc->DiscreteMe(gGetCurveDicTol());
                     return arc;
                   },
                   nullptr});
  cases.push_back({"wave", [] { return Wave(); }, nullptr});
  for (const LeafCase& c : cases) {
    std::unique_ptr<CGeShape3d> ob(c.make());
    const auto fields = Fields(*ob);
    std::unique_ptr<CObject> back(Load(Stored(ob.get())));
    ASSERT_TRUE(back) << c.name;
    EXPECT_EQ(Fields(*back), fields) << c.name;
    auto* curve = dynamic_cast<CGeCurve3d*>(back.get());
    auto* orig = dynamic_cast<CGeCurve3d*>(ob.get());
    if (curve && orig && orig->m_strDisc.m_nCount > 0) {
      EXPECT_EQ(curve->m_strDisc.m_nCount, orig->m_strDisc.m_nCount) << c.name;
    }
  }
}

}  // namespace
