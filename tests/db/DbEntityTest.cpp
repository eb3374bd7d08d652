// The entity kinds: what each one answers, copies that stand alone, moves, picking, and
// records that survive the archive byte for byte; hostile records are refused.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "DbTestSupport.h"
#include "db/DbImage.h"
#include "db/DbPathGroup.h"
#include "geometry/shapes2d/PickRay.h"
#include "geometry/shapes3d/GeCombCurve3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "platform/vurode/Dib.h"
#include "support/ArchiveBytes.h"

namespace {

using namespace archive_bytes;

CDbEntity* MakeCurveList() {
  auto* list = new CDbCurveList;
  const double a[2] = {0, 0}, b[2] = {2, 0};
  list->AddCurve(new CGeLine(a, b));
  std::unique_ptr<CDbCurve> rect(MakeRect(-1, -1, 1, 3));
  list->AddCurve(rect->GetCurve()->Copy());
  return list;
}

CGeCurve3d* Line3d(double x0, double y0, double z0, double x1, double y1, double z1) {
  const double s[3] = {x0, y0, z0}, e[3] = {x1, y1, z1};
  auto* line = new CGeLine3d(s, e);
  line->DiscreteMe(0.01);
  return line;
}

CDbEntity* MakeImage() {
  auto* dib = new CDib;
  dib->Create(4, 3);
  dib->SetPixel(1, 2, RGB(10, 20, 30));
  dib->AddRef();
  const double origin[2] = {10, 20};
  return new CDbImage(dib, origin);
}

CDbEntity* MakePathGroup() {
  auto* group = new CDbPathGroup;
  auto* unit = new CDbPathUnit;
  unit->m_pCurve = new CGeCombCurve3d;
  unit->m_pCurve->AddTail(Line3d(0, 0, -1, 4, 0, -1));
  unit->m_pCurve->AddTail(Line3d(4, 0, -1, 4, 2, -1));
  unit->m_pCurve->DiscreteMe(0.01);
  group->m_UnitList.AddTail(unit);
  return group;
}

struct KindCase {
  const char* name;
  std::function<CDbEntity*()> make;
  int type;
  int baseType;
  bool closed;
  _tagBox2D box;  // min x, min y, max x, max y
  double hit[2];  // a point on the content
};

const KindCase kKinds[] = {
    {"line", [] { return MakeLine(0, 0, 3, 4); }, DB_ENT_CURVE, DB_BASE_CURVE, false, {{0, 0}, {3, 4}}, {1.5, 2}},
    {"rectangle", [] { return MakeRect(-1, -2, 3, 5); }, DB_ENT_CURVE, DB_BASE_CURVE, true, {{-1, -2}, {3, 5}}, {3, 0}},
    {"curve list", MakeCurveList, DB_ENT_CURVELIST, DB_BASE_CURVELIST, true, {{-1, -1}, {2, 3}}, {1.5, 0}},
    {"3D curve", [] { return new CDbCurve3d(Line3d(0, 0, 1, 2, 3, 5)); }, DB_ENT_CURVE3D, DB_BASE_CURVE3D, false,
     {{0, 0}, {2, 3}}, {1, 1.5}},
    {"image", MakeImage, DB_ENT_IMAGE, DB_BASE_IMAGE, false, {{10, 20}, {14, 23}}, {12, 21}},
    {"path group", MakePathGroup, DB_ENT_PATHGROUP, DB_BASE_PATH, false, {{0, 0}, {4, 2}}, {4, 1}},
};

void ExpectBox(CDbEntity& e, const _tagBox2D& want, double dx = 0, double dy = 0) {
  _tagBox2D b;
  e.GetBox(&b);
  EXPECT_NEAR(b.min[0], want.min[0] + dx, 1e-9);
  EXPECT_NEAR(b.min[1], want.min[1] + dy, 1e-9);
  EXPECT_NEAR(b.max[0], want.max[0] + dx, 1e-9);
  EXPECT_NEAR(b.max[1], want.max[1] + dy, 1e-9);
}

int PickAt(CDbEntity& e, double x, double y) {
  CPickRay ray;
  ray.m_ptOrigin[0] = x;
  ray.m_ptOrigin[1] = y;
  ray.m_dRadius = 0.05;
  ray.m_b2D = 1;
  return e.Pick(ray);
}

CDbEntity* RoundTripEntity(const CDbEntity* e) { return dynamic_cast<CDbEntity*>(RoundTrip<CObject>(e)); }

class EntityKindTest : public DbTest, public ::testing::WithParamInterface<KindCase> {};

}  // namespace

TEST_P(EntityKindTest, AnswersCopiesMovesPicksAndRoundTrips) {
  const KindCase& c = GetParam();
  std::unique_ptr<CDbEntity> e(c.make());
  ASSERT_TRUE(e);
  EXPECT_EQ(e->GetType(), c.type);
  EXPECT_EQ(e->GetBaseType(), c.baseType);
  EXPECT_EQ((e->GetKind() & DB_KIND_FILLABLE) != 0, c.closed);
  EXPECT_TRUE(e->IsVisible());
  ExpectBox(*e, c.box);
  EXPECT_TRUE(PickAt(*e, c.hit[0], c.hit[1]));
  EXPECT_FALSE(PickAt(*e, 100, 100));

  e->SetLayerID(7);
  e->SetColor(RGB(1, 2, 3));
  e->SetLock(1);
  e->SetSelected(1);

  // A copy stands alone: moving it leaves the original where it was.
  std::unique_ptr<CDbEntity> copy(e->Copy());
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->GetType(), c.type);
  EXPECT_EQ(copy->GetLayerID(), 7);
  EXPECT_TRUE(copy->IsLocked());
  EXPECT_FALSE(copy->IsSelected());
  const double from[2] = {1, 1}, to[2] = {6, 0};
  copy->Translate(from, to);
  ExpectBox(*copy, c.box, 5, -1);
  ExpectBox(*e, c.box);

  // Through the archive: same record, and saving it again gives the same bytes. Selection is
  // the session's and is not stored.
  const Bytes bytes = Stored(e.get());
  std::unique_ptr<CDbEntity> back(RoundTripEntity(e.get()));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->GetRuntimeClass(), e->GetRuntimeClass());
  EXPECT_EQ(back->GetLayerID(), 7);
  EXPECT_EQ(back->GetColor(), RGB(1, 2, 3));
  EXPECT_TRUE(back->IsLocked());
  EXPECT_FALSE(back->IsSelected());
  EXPECT_EQ(back->GetKind(), e->GetKind());
  ExpectBox(*back, c.box);
  EXPECT_EQ(Stored(back.get()), bytes);
}

INSTANTIATE_TEST_SUITE_P(Kinds, EntityKindTest, ::testing::ValuesIn(kKinds),
                         [](const auto& info) {
                           std::string n = info.param.name;
                           for (char& ch : n)
                             if (ch == ' ') ch = '_';
                           return n;
                         });

namespace {

class EntityTest : public DbTest {};

// A new-class record for a class name with schema 1.
Bytes ClassTag(const char* name) {
  Bytes b = {0xFF, 0xFF, 0x01, 0x00};
  Put<uint16_t>(b, uint16_t(std::strlen(name)));
  return Cat({b, Ascii(name)});
}

Bytes EntityHeader() { return Cat({Le32(1), Le32(0), Le32(0), Le32(0)}); }

}  // namespace

TEST_F(EntityTest, ImageKeepsItsPixelsThroughTheArchive) {
  std::unique_ptr<CDbEntity> e(MakeImage());
  std::unique_ptr<CDbImage> back(RoundTrip<CDbImage>(e.get()));
  ASSERT_TRUE(back && back->GetDib());
  EXPECT_EQ(back->GetDib()->GetWidth(), 4);
  EXPECT_EQ(back->GetDib()->GetHeight(), 3);
  EXPECT_EQ(back->GetDib()->GetPixel(1, 2), RGB(10, 20, 30));
  EXPECT_EQ(back->GetDib()->GetPixel(0, 0), RGB(0, 0, 0));
  // Copies share the picture; each releases its own reference.
  std::unique_ptr<CDbImage> copy(back->Copy());
  EXPECT_EQ(copy->GetDib(), back->GetDib());
}

TEST_F(EntityTest, HostileRecordsAreRefused) {
  struct Case {
    const char* name;
    Bytes bytes;
  };
  Bytes image = Cat({ClassTag("CDbImage"), EntityHeader()});
  auto imageWith = [&](double size, int w, int h, Bytes tail) {
    Bytes b = image;
    for (double v : {0.0, 0.0, size, size}) Put(b, v);
    return Cat({b, Le32(uint32_t(w)), Le32(uint32_t(h)), tail});
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      // A layer where the curve belongs.
      {"wrong class in the curve slot", Cat({ClassTag("CDbCurve"), EntityHeader(), ClassTag("CLayer")})},
      {"curve list count beyond the file", Cat({ClassTag("CDbCurveList"), EntityHeader(), Bytes{0xFF, 0xFF},
                                                 Le32(0x7FFFFFFF)})},
      {"picture larger than any", imageWith(1, 100000, 100000, {})},
      {"negative picture side", imageWith(1, -4, 3, {})},
      {"pixels missing", imageWith(1, 64, 64, Bytes(16, 0))},
      {"size not a number", imageWith(nan, 0, 0, {})},
      {"truncated header", Cat({ClassTag("CDbCurve"), Le32(1)})},
  };
  for (const Case& c : cases) EXPECT_NE(LoadCause(c.bytes), CArchiveException::none) << c.name;
}

TEST_F(EntityTest, RubberBandsFollowTheirPoints) {
  std::unique_ptr<CDbCurve> line(MakeLine(1, 2, 4, 6));
  ASSERT_TRUE(line);
  EXPECT_NEAR(line->GetCurve()->EvTotalArcLength(), 5.0, 1e-12);

  // Quarter arc about the origin from (2, 0) to (0, 2): counter-clockwise the short way.
  const double c[2] = {0, 0}, p1[2] = {2, 0}, p2[2] = {0, 2};
  std::unique_ptr<CDbCurve> ccw(dbGenArcCSE(c, p1, p2, 1));
  std::unique_ptr<CDbCurve> cw(dbGenArcCSE(c, p1, p2, 0));
  ASSERT_TRUE(ccw && cw);
  EXPECT_NEAR(ccw->GetCurve()->EvTotalArcLength(), std::numbers::pi, 1e-9);
  EXPECT_NEAR(cw->GetCurve()->EvTotalArcLength(), 3 * std::numbers::pi, 1e-9);
  EXPECT_EQ(dbGenArcCSE(c, c, p2, 1), nullptr);  // no radius

  std::unique_ptr<CDbCurve> rect(MakeRect(3, 4, -1, 1));
  ASSERT_TRUE(rect);
  EXPECT_NEAR(rect->GetCurve()->EvTotalArcLength(), 14.0, 1e-12);
  EXPECT_TRUE(rect->GetKind() & DB_KIND_CLOSED);

  const double bad[2] = {std::numeric_limits<double>::infinity(), 0};
  EXPECT_EQ(dbGenLine(bad, p1), nullptr);
  EXPECT_EQ(dbGenRect(p1, bad), nullptr);
}

TEST_F(EntityTest, DeletingAListFreesEveryEntity) {
  CDbEntityList list;
  list.AddTail(MakeLine(0, 0, 1, 1));
  list.AddTail(MakeImage());
  list.AddTail(MakePathGroup());
  dbDelEntList(&list);
  EXPECT_TRUE(list.IsEmpty());
  dbDelEntList(nullptr);
}
