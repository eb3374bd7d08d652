// Loading the planar leaf curves and layers from damaged or hostile records: every stored
// double refuses NaN and infinity with the archive exception and leaves the object as it was,
// absurd but finite sizes load with bounded buffers, and ordinary records round-trip exactly.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeEllipse.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/Layer.h"
#include "support/VurodeFixture.h"

namespace {

std::vector<BYTE> Bytes(CMemFile& file) {
  std::vector<BYTE> bytes(static_cast<size_t>(file.GetLength()));
  file.SeekToBegin();
  if (!bytes.empty()) file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
  return bytes;
}

// Bytes an object's own Serialize writes.
std::vector<BYTE> Fields(CObject& ob) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    ob.Serialize(ar);
    ar.Close();
  }
  return Bytes(file);
}

// The object as stored through the persistent-object format (class record, then its fields).
std::vector<BYTE> Stored(const CObject* ob) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    ar << ob;
    ar.Close();
  }
  return Bytes(file);
}

// The object the archive makes from the bytes; the caller owns it.
CObject* Load(std::vector<BYTE> bytes) {
  CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
  CArchive ar(&file, CArchive::load);
  CObject* ob = nullptr;
  ar >> ob;
  return ob;
}

// Lets an existing object's Serialize read the bytes.
void LoadInto(CObject& ob, std::vector<BYTE> bytes) {
  CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
  CArchive ar(&file, CArchive::load);
  ob.Serialize(ar);
}

void PutDbl(std::vector<BYTE>& b, size_t at, double v) { std::memcpy(b.data() + at, &v, 8); }

// An ordinary object of one class and the offsets of every double in its own record.
struct LeafCase {
  const char* name;
  std::function<CGeCurve*()> make;
  std::vector<size_t> doubles;
};

// Offsets of n consecutive doubles from `at`, or of n records of `stride` bytes holding `per`
// doubles each.
std::vector<size_t> Run(size_t at, size_t n, size_t per = 1, size_t stride = 8) {
  std::vector<size_t> out;
  for (size_t i = 0; i < n; ++i)
    for (size_t k = 0; k < per; ++k) out.push_back(at + i * stride + 8 * k);
  return out;
}

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

// Own records: the closed flag (4 bytes), then the class's fields.
std::vector<LeafCase> Cases() {
  return {
      {"line", [] { return new CGeLine(kOrigin, kCentre); }, Run(4, 4)},
      {"arc", [] { return Arc(1.25); }, Run(4, 6)},
      {"circle", [] { return new CGeCircle(kCentre, 2.0, 0); }, Run(4, 3)},
      {"ellipse", [] { return new CGeEllipse(kCentre, 3.0, 1.5, 0.4, 1); }, Run(4, 5)},
      // count, then x, y, kind per node
      {"bezier", [] { return Bezier(); }, Run(8, 7, 2, 20)},
      // count, then x, y per vertex
      {"polyline", [] { return Polyline(); }, Run(8, 4, 2, 16)},
  };
}

using LeafLoadTest = VurodeTest;

TEST_F(LeafLoadTest, NonFiniteValueInAnyFieldIsRefusedAndChangesNothing) {
  const double bad[] = {std::numeric_limits<double>::quiet_NaN(),
                        std::numeric_limits<double>::infinity(),
                        -std::numeric_limits<double>::infinity()};
  for (const LeafCase& c : Cases()) {
    std::unique_ptr<CGeCurve> ob(c.make());
    const auto fields = Fields(*ob);
    const auto stored = Stored(ob.get());
    const size_t header = stored.size() - fields.size();
    for (size_t at : c.doubles) {
      ASSERT_LE(at + 8, fields.size()) << c.name;
      for (double v : bad) {
        const std::string what = std::string(c.name) + " double at " + std::to_string(at) +
                                 " = " + std::to_string(v);
        // A new object made by the archive is freed (the leak check under ASan watches it).
        auto s = stored;
        PutDbl(s, header + at, v);
        EXPECT_THROW(delete Load(s), CArchiveException) << what;
        // An existing object keeps what it held.
        auto f = fields;
        PutDbl(f, at, v);
        std::unique_ptr<CGeCurve> target(c.make());
        const int before = target->m_nSWPoint;
        EXPECT_THROW(LoadInto(*target, f), CArchiveException) << what;
        EXPECT_EQ(Fields(*target), fields) << what;
        EXPECT_EQ(target->m_nSWPoint, before) << what;
      }
    }
  }
}

TEST_F(LeafLoadTest, OrdinaryRecordsRoundTripByteForByte) {
  auto cases = Cases();
  // An arc may turn more than once (constructions make such arcs): it loads as it was.
  cases.push_back({"arc of one and a half turns", [] { return Arc(3.0 * std::numbers::pi); }, {}});
  cases.push_back({"clockwise arc", [] { return Arc(-2.0); }, {}});
  for (const LeafCase& c : cases) {
    std::unique_ptr<CGeCurve> ob(c.make());
    const auto stored = Stored(ob.get());
    std::unique_ptr<CObject> back(Load(stored));
    ASSERT_TRUE(back) << c.name;
    EXPECT_EQ(Stored(back.get()), stored) << c.name;
    auto* curve = dynamic_cast<CGeCurve*>(back.get());
    ASSERT_TRUE(curve) << c.name;
    EXPECT_EQ(curve->m_nSWPoint, ob->m_nSWPoint) << c.name;  // the same buffer is rebuilt
  }
}

// Finite but absurd sizes are values the classes hold; loading them costs a bounded buffer.
TEST_F(LeafLoadTest, AbsurdSweepsRadiiAndCoordinatesLoadWithBoundedBuffers) {
  struct ArcCase {
    const char* name;
    double radius, sweep;
  } arcs[] = {{"sweep 1e300", 2.5, 1e300},
              {"sweep -1e300", 2.5, -1e300},
              {"radius 1e300", 1e300, 1.0},
              {"a million turns", 2.5, 2e6 * std::numbers::pi}};
  for (const ArcCase& k : arcs) {
    std::unique_ptr<CGeArc> arc(Arc(1.0));
    auto b = Stored(arc.get());
    const size_t at = b.size() - 48;  // centre, radius, start vector, sweep
    PutDbl(b, at + 16, k.radius);
    PutDbl(b, at + 40, k.sweep);
    std::unique_ptr<CObject> ob(Load(b));
    auto* back = dynamic_cast<CGeArc*>(ob.get());
    ASSERT_TRUE(back) << k.name;
    EXPECT_EQ(back->m_dSweep, k.sweep) << k.name;
    EXPECT_EQ(back->m_dRadius, k.radius) << k.name;
    EXPECT_GE(back->m_nSWPoint, 6) << k.name;
    EXPECT_LE(back->m_nSWPoint, 16385) << k.name;
  }

  // Control points far apart would flatten each segment into a million points.
  for (double scale : {1e12, 1e150}) {
    std::unique_ptr<CGeBezier> bez(Bezier());
    auto b = Stored(bez.get());
    const size_t nodes = b.size() - 7 * 20;
    for (size_t i = 0; i < 7; ++i) {
      double x = 0.0;
      std::memcpy(&x, b.data() + nodes + 20 * i, 8);
      PutDbl(b, nodes + 20 * i, x * scale);
    }
    std::unique_ptr<CObject> ob(Load(b));
    auto* back = dynamic_cast<CGeBezier*>(ob.get());
    ASSERT_TRUE(back);
    EXPECT_GT(back->m_nSWPoint, 2);
    EXPECT_LE(back->m_nSWPoint, 2 * 4096 + 1) << scale;  // two segments
  }
}

TEST_F(LeafLoadTest, LayerKeepsItsFieldsWhenItsRecordIsCut) {
  CLayer layer(L"Roughing passes");
  layer.SetColor(0x00336699);
  const auto fields = Fields(layer);
  for (size_t cut : {size_t(2), size_t(10), fields.size() - 3}) {
    CLayer target(L"kept");
    target.SetColor(0x00010203);
    const auto before = Fields(target);
    std::vector<BYTE> b(fields.begin(), fields.begin() + static_cast<std::ptrdiff_t>(cut));
    EXPECT_THROW(LoadInto(target, b), CArchiveException) << cut;
    EXPECT_EQ(Fields(target), before) << cut;
  }
  CLayer back;
  LoadInto(back, fields);
  EXPECT_EQ(Fields(back), fields);
}

}  // namespace
