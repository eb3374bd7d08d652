// Undo by position: actions that add, delete and recolour entities, done, undone and redone
// through the manager, and the history edits the guide-line page relies on.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "DbTestSupport.h"
#include "db/DbAidLine.h"

namespace {

class ActionTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    gSetDBase(&m_db);
    gSetSelector(&m_sel);
    kxCreateAllManager();
  }
  void TearDown() override {
    // The history goes before the database it points into.
    kxClearAllManager();
    DbTest::TearDown();
  }
  // The drawing as (entity, colour) pairs in order.
  std::vector<std::pair<CDbEntity*, uint32_t>> State() {
    std::vector<std::pair<CDbEntity*, uint32_t>> v;
    for (CDbEntity* e : Entities(m_db)) v.emplace_back(e, e->GetColor());
    return v;
  }
  POSITION Insert(CAction* a) {
    EXPECT_EQ(kxInsertActionIntoManager(a), 1);
    return gGetActManager()->GetTailPosition();
  }

  CDBase m_db;
  CSelector m_sel;
};

}  // namespace

TEST_F(ActionTest, UndoAndRedoWalkThroughAddColourAndDelete) {
  CActManager& m = *gGetActManager();
  EXPECT_FALSE(m.CanUndo());
  EXPECT_FALSE(m.CanRedo());
  EXPECT_TRUE(m.IsReady());
  CDbEntity* a = MakeLine(0, 0, 1, 0);
  CDbEntity* b = MakeLine(0, 0, 0, 1);
  CDbEntity* c = MakeLine(0, 0, 1, 1);

  std::vector<std::vector<std::pair<CDbEntity*, uint32_t>>> states{State()};
  auto* add = new CAction(1, CString(L"Paste"));
  for (CDbEntity* e : {a, b, c}) add->AddNewEnt(e);
  Insert(add);
  states.push_back(State());
  auto* colour = new CAction(1, CString(L"Change Color"));
  colour->AddColorEnt(a, RGB(9, 9, 9));
  colour->AddColorEnt(c, RGB(7, 7, 7));
  Insert(colour);
  states.push_back(State());
  auto* cut = new CAction(1, CString(L"Cut"));
  cut->AddDelEnt(b);
  Insert(cut);
  states.push_back(State());

  ASSERT_EQ(states[1].size(), 3u);
  EXPECT_EQ(states[2][0].second, RGB(9, 9, 9));
  EXPECT_EQ(states[3], (std::vector<std::pair<CDbEntity*, uint32_t>>{{a, RGB(9, 9, 9)}, {c, RGB(7, 7, 7)}}));

  // Back to the start, one step at a time; the deleted entity returns to its place.
  for (int i = 3; i > 0; --i) {
    ASSERT_TRUE(m.Undo()) << i;
    EXPECT_EQ(State(), states[i - 1]) << i;
  }
  EXPECT_FALSE(m.Undo());
  EXPECT_FALSE(m.CanUndo());
  for (int i = 1; i <= 3; ++i) {
    ASSERT_TRUE(m.Redo()) << i;
    EXPECT_EQ(State(), states[i]) << i;
  }
  EXPECT_FALSE(m.Redo());
  EXPECT_EQ(m.GetCurrent()->GetName(), CString(L"Cut"));
}

TEST_F(ActionTest, UndoPutsDeletedEntitiesBackInTheirPlaces) {
  // Neighbours, the last one and the first one, in two actions, recorded out of order.
  std::vector<CDbEntity*> es;
  for (int i = 0; i < 6; ++i) {
    es.push_back(MakeLine(0, 0, i + 1, 0));
    m_db.AddTail(es.back());
  }
  const auto start = State();
  auto* cut = new CAction(1, CString(L"Cut"));
  for (int i : {2, 5, 1, 3}) cut->AddDelEnt(es[i]);
  Insert(cut);
  EXPECT_EQ(Entities(m_db), (std::vector<CDbEntity*>{es[0], es[4]}));
  auto* cut2 = new CAction(1, CString(L"Cut"));
  cut2->AddDelEnt(es[0]);
  Insert(cut2);
  gGetActManager()->Undo();
  gGetActManager()->Undo();
  EXPECT_EQ(State(), start);
  gGetActManager()->Redo();
  EXPECT_EQ(Entities(m_db), (std::vector<CDbEntity*>{es[0], es[4]}));
}

TEST_F(ActionTest, RepeatedRecordsAndInsertsCountOnce) {
  // Each entity is owned once however often it is recorded, and an action inserted twice is
  // held once (double frees would show under the sanitizer).
  CDbEntity* e = MakeLine(0, 0, 1, 0);
  auto* add = new CAction(1, CString(L"Add"));
  add->AddNewEnt(e);
  add->AddNewEnt(e);
  const POSITION at = Insert(add);
  EXPECT_EQ(gGetActManager()->Insert(add, &m_db), at);
  EXPECT_EQ(gGetActManager()->GetCount(), 1);
  EXPECT_EQ(m_db.GetCount(), 1);
  auto* cut = new CAction(1, CString(L"Cut"));
  cut->AddDelEnt(e);
  cut->AddDelEnt(e);
  Insert(cut);
  gGetActManager()->Undo();
  gGetActManager()->Undo();
  EXPECT_TRUE(m_db.IsEmpty());
}

TEST_F(ActionTest, NewEditAfterUndoDropsTheRedoBranch) {
  CActManager& m = *gGetActManager();
  auto* first = new CAction(1, CString(L"Add"));
  first->AddNewEnt(MakeLine(0, 0, 1, 0));
  Insert(first);
  auto* second = new CAction(1, CString(L"Add"));
  second->AddNewEnt(MakeLine(0, 0, 2, 0));  // freed with the dropped action (leak check)
  Insert(second);
  m.Undo();
  EXPECT_TRUE(m.CanRedo());
  auto* third = new CAction(1, CString(L"Add"));
  third->AddNewEnt(MakeLine(0, 0, 3, 0));
  Insert(third);
  EXPECT_FALSE(m.CanRedo());
  EXPECT_EQ(m.GetCount(), 2);
  EXPECT_EQ(m_db.GetCount(), 2);
}

TEST_F(ActionTest, CancelledPageEditsAreUndoneAndRemovedByPosition) {
  // An edit before the page opened stays.
  CActManager& m = *gGetActManager();
  auto* before = new CAction(1, CString(L"Add"));
  before->AddNewEnt(MakeLine(0, 0, 1, 0));
  Insert(before);
  const auto start = State();

  // Three additions recorded by position, then undone and removed newest first.
  std::vector<POSITION> recorded;
  for (int i = 0; i < 3; ++i) {
    auto* add = new CAction(1, CString(L"AddAid Line"));
    add->AddNewEnt(new CDbAidLine(i, CDbAidLine::VERTICAL, 1));
    recorded.push_back(Insert(add));
  }
  EXPECT_EQ(m_db.GetCount(), 4);
  for (size_t i = 0; i < recorded.size(); ++i) m.Undo();
  for (auto it = recorded.rbegin(); it != recorded.rend(); ++it) EXPECT_TRUE(m.RemoveAt(*it));
  EXPECT_EQ(State(), start);
  EXPECT_FALSE(m.CanRedo());
  EXPECT_EQ(m.GetCount(), 1);
  EXPECT_TRUE(m.CanUndo());
  EXPECT_FALSE(m.RemoveAt(nullptr));

  // Committed edits stay ordinary undo steps: a deletion is the newest.
  CDbEntity* victim = Entities(m_db)[0];
  auto* del = new CAction(1, CString(L"DeleteAid Line"));
  del->AddDelEnt(victim);
  Insert(del);
  EXPECT_EQ(m.GetCurrent()->GetName(), CString(L"DeleteAid Line"));
  EXPECT_TRUE(m_db.IsEmpty());
}

TEST_F(ActionTest, RemovingAnUndoneActionTakesTheLaterOnesAlong) {
  CActManager& m = *gGetActManager();
  CDbEntity* e = MakeLine(0, 0, 1, 0);
  auto* add = new CAction(1, CString(L"Add"));
  add->AddNewEnt(e);
  const POSITION addPos = Insert(add);
  auto* colour = new CAction(1, CString(L"Change Color"));
  colour->AddColorEnt(e, RGB(1, 1, 1));  // builds on the entity the first one added
  Insert(colour);
  m.Undo();
  m.Undo();
  EXPECT_TRUE(m.RemoveAt(addPos));
  EXPECT_EQ(m.GetCount(), 0);
  EXPECT_FALSE(m.Redo());
  EXPECT_TRUE(m_db.IsEmpty());
}

TEST_F(ActionTest, DeletedEntitiesLeaveTheSelectionAndLockedSelectionIsSeen) {
  CDbEntity* a = MakeLine(0, 0, 1, 0);
  m_db.AddTail(a);
  m_sel.Add(a);
  EXPECT_FALSE(m_sel.IsLocked());
  a->SetLock(1);
  EXPECT_TRUE(m_sel.IsLocked());
  auto* cut = new CAction(1, CString(L"Cut"));
  cut->AddDelEnt(a);
  Insert(cut);
  EXPECT_TRUE(m_sel.IsEmpty());
  EXPECT_FALSE(a->IsSelected());
}

TEST_F(ActionTest, WithoutManagerOrDatabaseTheEditIsNotKept) {
  kxClearAllManager();
  EXPECT_EQ(gGetActManager(), nullptr);
  auto* add = new CAction(1, CString(L"Paste"));
  add->AddNewEnt(MakeLine(0, 0, 1, 0));
  EXPECT_EQ(kxInsertActionIntoManager(add), 0);  // done, nothing to undo
  EXPECT_EQ(m_db.GetCount(), 1);

  gSetDBase(nullptr);
  auto* lost = new CAction(1, CString(L"Paste"));
  lost->AddNewEnt(MakeLine(0, 0, 1, 0));  // freed with the action (leak check)
  EXPECT_EQ(kxInsertActionIntoManager(lost), -1);
  EXPECT_EQ(kxInsertActionIntoManager(nullptr), 0);


  // Deleting what the database does not hold takes nothing over: the caller keeps it.
  gSetDBase(&m_db);
  kxCreateAllManager();
  std::unique_ptr<CDbEntity> outside(MakeLine(5, 5, 6, 6));
  auto* del = new CAction(1, CString(L"Cut"));
  del->AddDelEnt(outside.get());
  EXPECT_EQ(kxInsertActionIntoManager(del), 1);
  gGetActManager()->Reset();
  EXPECT_EQ(outside->GetType(), DB_ENT_CURVE);
}
