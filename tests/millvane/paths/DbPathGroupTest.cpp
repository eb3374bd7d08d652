// A path group handed to the drawing: one unit per chain with the same geometry, nothing for
// chains without geometry, and a record that survives the archive.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>

#include "db/DbPathGroup.h"
#include "geometry/shapes3d/GeCombCurve3d.h"
#include "millvane/loops/PathCombine.h"
#include "millvane/loops/PathEntity.h"
#include "millvane/paths/PathGroup.h"
#include "support/ArchiveBytes.h"
#include "support/VurodeFixture.h"

namespace {

using namespace archive_bytes;

CPathLine3D* Line(double x0, double y0, double x1, double y1, double z = 0) {
  const double s[3] = {x0, y0, z}, e[3] = {x1, y1, z};
  return new CPathLine3D(s, e);
}

// Line (0,0)-(2,0), quarter arc about (2,1) to (3,1), polyline (3,1)-(3,4)-(0,4), all at z:
// length 2 + pi/2 + 3 + 3.
CPathCombine* MixedChain(double z) {
  auto* chain = new CPathCombine(1);
  chain->AddTail(Line(0, 0, 2, 0, z));
  const double c[3] = {2, 1, z};
  chain->AddTail(new CPathArc3D(c, 1.0, -std::numbers::pi / 2, 0.0));
  auto* pl = new CPathPLine3D;
  const double pts[3][3] = {{3, 1, z}, {3, 4, z}, {0, 4, z}};
  pl->SetPoints(2, pts);
  chain->AddTail(pl);
  return chain;
}
constexpr double kMixedLength = 8.0 + std::numbers::pi / 2;

void ExpectPoint(const double p[3], double x, double y, double z) {
  EXPECT_NEAR(p[0], x, 1e-9);
  EXPECT_NEAR(p[1], y, 1e-9);
  EXPECT_NEAR(p[2], z, 1e-9);
}

// 3D curves measure their length on a chord discretisation of sagitta h <= 0.01; a chord of
// an arc of radius r falls short by about h / (3 r) of its arc, so the quarter arc of radius 1
// may lose up to (pi / 2) * 0.01 / 3. Lines and polylines measure exactly.
constexpr double kLengthTol = std::numbers::pi / 2 * 0.01 / 3;

class DbPathGroupTest : public VurodeTest {};

}  // namespace

TEST_F(DbPathGroupTest, MixedChainBecomesOneUnitOfTheSameLengthAndEnds) {
  CPathGroup group(302);
  group.AppendChains(MixedChain(1.5), 0.0);
  std::unique_ptr<CDbPathGroup> db(group.ToDbPathGroup());
  ASSERT_TRUE(db);
  ASSERT_EQ(db->m_UnitList.GetCount(), 1);
  CGeCombCurve3d* curve = db->m_UnitList.GetHead()->m_pCurve;
  ASSERT_TRUE(curve);
  EXPECT_EQ(curve->m_CurveList.GetCount(), 3);
  EXPECT_NEAR(curve->EvTotalArcLength(), kMixedLength, kLengthTol);
  double s[3], e[3];
  curve->GetStartPoint(s);
  curve->GetEndPoint(e);
  ExpectPoint(s, 0, 0, 1.5);
  ExpectPoint(e, 0, 4, 1.5);
  EXPECT_TRUE(curve->IsLinked(1e-9));
  EXPECT_EQ(db->GetBaseType(), DB_BASE_PATH);
  // The path group keeps its chains.
  ASSERT_TRUE(group.head);
  EXPECT_EQ(group.head->head->GetType(), kPathLine);
}

TEST_F(DbPathGroupTest, ChainsWithoutGeometryAreLeftOutAndAllEmptyGivesNull) {
  CPathGroup empty(302);
  EXPECT_EQ(empty.ToDbPathGroup(), nullptr);

  CPathGroup hollow(302);
  auto* a = new CPathCombine(1);
  a->AddTail(new CPathPLine3D);  // no points: converts to nothing
  auto* b = new CPathCombine(1);  // no entities at all
  a->next = b;
  hollow.AppendChains(a, 0.0);
  EXPECT_EQ(hollow.ToDbPathGroup(), nullptr);

  // A hollow chain between two real ones: two units, in chain order.
  CPathGroup mixed(302);
  auto* first = MixedChain(0.0);
  auto* gap = new CPathCombine(1);
  gap->AddTail(new CPathPLine3D);
  auto* last = new CPathCombine(1);
  last->AddTail(Line(10, 0, 10, 5));
  first->next = gap;
  gap->next = last;
  mixed.AppendChains(first, 2.0);
  std::unique_ptr<CDbPathGroup> db(mixed.ToDbPathGroup());
  ASSERT_TRUE(db);
  ASSERT_EQ(db->m_UnitList.GetCount(), 2);
  double s[3];
  db->m_UnitList.GetTail()->m_pCurve->GetStartPoint(s);
  ExpectPoint(s, 10, 0, -2.0);
  EXPECT_NEAR(db->EvTotalArcLength(), kMixedLength + 5.0, kLengthTol);
}

TEST_F(DbPathGroupTest, GroupSurvivesTheArchiveAndResavesIdentically) {
  CPathGroup group(302);
  auto* first = MixedChain(0.5);
  first->next = new CPathCombine(2);
  first->next->AddTail(Line(-1, -1, -4, 3, 0.5));
  group.AppendChains(first, 0.0);
  std::unique_ptr<CDbPathGroup> db(group.ToDbPathGroup());
  ASSERT_TRUE(db);
  db->SetLayerID(4);
  db->SetColor(0x123456);

  const Bytes bytes = Stored(db.get());
  std::unique_ptr<CDbPathGroup> back(RoundTrip<CDbPathGroup>(db.get()));
  ASSERT_TRUE(back);
  ASSERT_EQ(back->m_UnitList.GetCount(), 2);
  EXPECT_EQ(back->GetLayerID(), 4);
  EXPECT_EQ(back->GetColor(), 0x123456u);
  EXPECT_NEAR(back->EvTotalArcLength(), db->EvTotalArcLength(), 1e-9);
  double e[3];
  back->m_UnitList.GetTail()->m_pCurve->GetEndPoint(e);
  ExpectPoint(e, -4, 3, 0.5);
  EXPECT_EQ(Stored(back.get()), bytes);
}
