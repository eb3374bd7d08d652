// The guide-line store: record sets list, add, move, delete and clear guide lines as undoable
// actions; the store keeps them (Commit) or takes them back out of the history (Revert).
#include "velmora/shell/GuideLineStore.h"

#include "db/Action.h"
#include "db/DBase.h"
#include "db/DbAccess.h"
#include "db/DbAidLine.h"
#include "db/DbCurve.h"
#include "db/Selector.h"
#include "platform/vurode/Accessors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace {
class GuideLineStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gSetDBase(&db);
    gSetSelector(&sel);
    kxCreateAllManager();
  }
  void TearDown() override {
    kxClearAllManager();
    gSetSelector(nullptr);
    gSetDBase(nullptr);
  }
  // The drawing's guide lines as (orientation, coordinate), in drawing order.
  std::vector<std::pair<int, double>> Lines() const {
    std::vector<std::pair<int, double>> out;
    const CDbEntityList& list = db.GetEntityList();
    for (POSITION pos = list.GetHeadPosition(); pos;)
      if (auto* l = dynamic_cast<CDbAidLine*>(list.GetNext(pos))) out.emplace_back(l->GetOrientation(), l->GetCoord());
    return out;
  }
  static std::vector<double> Values(const CKxRecordSet& set) {
    std::vector<double> v;
    for (int i = 0; i < set.GetCount(); ++i) v.push_back(set.GetValue(i));
    return v;
  }
  void Seed() {
    db.AddTail(new CDbAidLine(5.0, 0, 1));
    const double a[2] = {0, 0}, b[2] = {1, 1};
    db.AddTail(dbGenLine(a, b));
    db.AddTail(new CDbAidLine(-2.0, 1, 1));
    db.AddTail(new CDbAidLine(7.5, 0, 1));
  }
  CActManager& Undo() { return *gGetActManager(); }

  CDBase db;
  CSelector sel;
};
}  // namespace

TEST_F(GuideLineStoreTest, LoadListsTheLinesOfEachOrientationInDrawingOrder) {
  Seed();
  CKxHorAidLineRecordSet hor;
  CKxVerAidLineRecordSet ver;
  hor.Load();
  ver.Load();
  EXPECT_EQ(Values(hor), (std::vector<double>{5.0, 7.5}));
  EXPECT_EQ(Values(ver), (std::vector<double>{-2.0}));
  EXPECT_EQ(hor.GetAt(2), nullptr);
  EXPECT_EQ(hor.GetAt(-1), nullptr);
  EXPECT_EQ(hor.GetValue(9), 0.0);
}

TEST_F(GuideLineStoreTest, EditsGoIntoTheDrawingAsNamedUndoSteps) {
  Seed();
  CKxHorAidLineRecordSet hor;
  hor.Load();
  struct Step {
    const char* what;
    int (*run)(CKxHorAidLineRecordSet&);
    const wchar_t* undoName;
    std::vector<double> values;
  };
  const Step steps[] = {
      {"add", [](CKxHorAidLineRecordSet& s) { return s.AddLine(12.25); }, L"AddAid Line", {5.0, 7.5, 12.25}},
      {"move", [](CKxHorAidLineRecordSet& s) { return s.MoveLine(0, -3.0); }, L"UpdateAid Line", {-3.0, 7.5, 12.25}},
      {"delete", [](CKxHorAidLineRecordSet& s) { return s.DeleteLine(1); }, L"DeleteAid Line", {-3.0, 12.25}},
      {"clear", [](CKxHorAidLineRecordSet& s) { return s.Clear(CString(L"水平辅助线")); }, L"清空水平辅助线", {}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    ASSERT_EQ(step.run(hor), 1);
    EXPECT_EQ(Values(hor), step.values);
    ASSERT_NE(Undo().GetCurrent(), nullptr);
    EXPECT_EQ(Undo().GetCurrent()->GetName(), CString(step.undoName));
    // The drawing's horizontal lines are the set's; the vertical one is untouched.
    std::vector<double> drawn;
    for (auto [o, c] : Lines())
      if (o == 0) drawn.push_back(c);
    std::vector<double> sorted = step.values;
    std::sort(sorted.begin(), sorted.end());
    std::sort(drawn.begin(), drawn.end());
    EXPECT_EQ(drawn, sorted);
  }
  EXPECT_EQ(int(hor.GetActions().size()), 4);
  // Undoing the four steps gives back the drawing as seeded.
  for (int i = 0; i < 4; ++i) ASSERT_EQ(Undo().Undo(), 1);
  EXPECT_EQ(Lines(), (std::vector<std::pair<int, double>>{{0, 5.0}, {1, -2.0}, {0, 7.5}}));
}

TEST_F(GuideLineStoreTest, RefusedEditsInsertNoAction) {
  CKxVerAidLineRecordSet ver;
  ver.Load();
  const int before = Undo().GetCount();
  EXPECT_EQ(ver.Clear(CString(L"垂直辅助线")), 0);  // empty set
  EXPECT_EQ(ver.DeleteLine(0), 0);
  EXPECT_EQ(ver.MoveLine(3, 1.0), 0);
  EXPECT_EQ(ver.AddLine(std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(ver.AddLine(std::numeric_limits<double>::infinity()), 0);
  EXPECT_EQ(ver.Add(nullptr, CString(kAidLineLabel)), 0);
  EXPECT_EQ(Undo().GetCount(), before);
  EXPECT_TRUE(ver.GetActions().empty());
  // Without a database or an undo manager nothing happens either.
  kxClearAllManager();
  EXPECT_EQ(ver.AddLine(1.0), 0);
  kxCreateAllManager();
  gSetDBase(nullptr);
  EXPECT_EQ(ver.AddLine(1.0), 0);
  gSetDBase(&db);
  EXPECT_TRUE(Lines().empty());
}

TEST_F(GuideLineStoreTest, CancelAfterEditsOnBothSetsRestoresTheDrawingAndLeavesNothingToRedo) {
  Seed();
  // An earlier edit of the drawing stays in the history.
  auto* before = new CAction(1, CString(L"Earlier"));
  before->AddNewEnt(new CDbAidLine(100.0, 1, 1));
  kxInsertActionIntoManager(before);
  const auto seeded = Lines();
  const int history = Undo().GetCount();

  CKxDatabase store;
  CKxHorAidLineRecordSet hor;
  CKxVerAidLineRecordSet ver;
  store.AddRecordSet(&hor);
  store.AddRecordSet(&ver);
  hor.Load();
  ver.Load();
  // Three additions, interleaved between the sets, then a move and a deletion.
  ASSERT_EQ(hor.AddLine(1.0), 1);
  ASSERT_EQ(ver.AddLine(2.0), 1);
  ASSERT_EQ(hor.AddLine(3.0), 1);
  ASSERT_EQ(ver.MoveLine(0, 4.0), 1);
  ASSERT_EQ(hor.DeleteLine(0), 1);
  EXPECT_NE(Lines(), seeded);

  store.Revert();
  EXPECT_EQ(Lines(), seeded);
  EXPECT_EQ(Undo().GetCount(), history);
  EXPECT_FALSE(Undo().CanRedo());
  EXPECT_EQ(Undo().GetCurrent(), before);
  EXPECT_TRUE(hor.GetActions().empty());
  EXPECT_TRUE(ver.GetActions().empty());
}

TEST_F(GuideLineStoreTest, CommitKeepsTheEditsAsOrdinaryUndoSteps) {
  Seed();
  CKxDatabase store;
  CKxHorAidLineRecordSet hor;
  CKxVerAidLineRecordSet ver;
  store.AddRecordSet(&hor);
  store.AddRecordSet(&ver);
  hor.Load();
  ver.Load();
  ASSERT_EQ(ver.AddLine(9.0), 1);
  ASSERT_EQ(hor.DeleteLine(0), 1);
  store.Commit();
  EXPECT_TRUE(hor.GetActions().empty());
  // The newest step is the deletion, named by the label.
  EXPECT_EQ(Undo().GetCurrent()->GetName(), CString(L"DeleteAid Line"));
  // A later revert has nothing of the committed edits to take back.
  store.Revert();
  EXPECT_EQ(Lines(), (std::vector<std::pair<int, double>>{{1, -2.0}, {0, 7.5}, {1, 9.0}}));
  // They undo and redo as any edit.
  ASSERT_EQ(Undo().Undo(), 1);
  ASSERT_EQ(Undo().Undo(), 1);
  EXPECT_EQ(Lines(), (std::vector<std::pair<int, double>>{{0, 5.0}, {1, -2.0}, {0, 7.5}}));
  ASSERT_EQ(Undo().Redo(), 1);
  EXPECT_EQ(Lines().size(), 4u);
}
