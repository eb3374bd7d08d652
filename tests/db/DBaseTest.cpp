// The drawing database: its stream (whole and selected), refusal of broken streams without
// harm, layers and their ids, drawing by visibility, and the references others keep into it.
#include <gtest/gtest.h>

#include <memory>

#include "DbTestSupport.h"
#include "db/DbImage.h"
#include "platform/afx/RecordingDC.h"
#include "platform/vurode/Dib.h"
#include "support/ArchiveBytes.h"

namespace {

using namespace archive_bytes;

class DBaseTest : public DbTest {
 protected:
  // Notes, two layers, four entities on them, switches and a work area that differ from the
  // defaults.
  void Fill(CDBase& db) {
    db.SetNotes(CString(L"Job 7 \u2013 \u6ce8\u610f"));
    db.InitLayer();
    auto* second = new CLayer(CString(L"Page2"));
    second->SetColor(RGB(0, 0, 255));
    db.AddLayer(second);
    const int id0 = db.GetLayerIDByIndex(0), id1 = db.GetLayerIDByIndex(1);
    CDbEntity* es[] = {MakeLine(0, 0, 3, 4), MakeRect(-2, -2, 2, 2), MakeLine(5, 5, 6, 8),
                       new CDbCurve3d()};
    for (int i = 0; i < 4; ++i) {
      es[i]->SetLayerID(i % 2 ? id1 : id0);
      es[i]->SetColor(RGB(i, 0, 0));
      db.AddTail(es[i]);
    }
    db.SetGridFlag(1);
    db.SetGridWord(3);
    db.SetGridKind(1);
    db.SetDbAidLineVisibility(0);
    db.GetWorkArea().SetSpaceDx(2.5);
    _tagBox2D page = {{0, 0}, {420, 297}};
    db.GetWorkArea().SetPageSize(page);
  }
  static Bytes Save(CDBase& db) {
    return Store([&](CArchive& ar) { db.Serialize(ar); });
  }
};

}  // namespace

TEST_F(DBaseTest, DocumentStreamLoadsBackAndResavesIdentically) {
  CDBase db;
  Fill(db);
  const Bytes bytes = Save(db);

  CDBase back;
  Load(bytes, [&](CArchive& ar) { back.Serialize(ar); });
  EXPECT_EQ(back.GetNotes(), db.GetNotes());
  ASSERT_EQ(back.GetLayerCount(), 2);
  EXPECT_EQ(back.GetLayerAt(1)->GetName(), CString(L"Page2"));
  EXPECT_EQ(back.GetLayerAt(1)->GetColor(), RGB(0, 0, 255));
  EXPECT_EQ(back.GetLayerIDByIndex(0), db.GetLayerIDByIndex(0));
  ASSERT_EQ(back.GetCount(), 4);
  const auto a = Entities(db), b = Entities(back);
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(b[i]->GetRuntimeClass(), a[i]->GetRuntimeClass()) << i;
    EXPECT_EQ(b[i]->GetColor(), a[i]->GetColor()) << i;
    EXPECT_EQ(b[i]->GetLayerID(), a[i]->GetLayerID()) << i;
  }
  EXPECT_EQ(back.GetCountOnLayerIndex(1), 2);
  EXPECT_EQ(back.GetGridFlag(), 1);
  EXPECT_EQ(back.GetGridWord(), 3);
  EXPECT_EQ(back.GetGridKind(), 1);
  EXPECT_EQ(back.GetDbAidLineVisibility(), 0);
  EXPECT_EQ(back.GetWorkArea().GetSpaceDx(), 2.5);
  _tagBox2D page;
  back.GetWorkArea().GetPageSize(&page);
  EXPECT_EQ(page.max[0], 420.0);
  EXPECT_EQ(Save(back), bytes);
}

TEST_F(DBaseTest, StreamStartsWithNotesVersionAndTheEntityList) {
  // What a document import reads: the notes, a 32-bit value, then a plain object list.
  CDBase db;
  Fill(db);
  const Bytes bytes = Save(db);
  Load(bytes, [&](CArchive& ar) {
    CString notes;
    int value = 0;
    ar >> notes >> value;
    EXPECT_EQ(notes, db.GetNotes());
    EXPECT_EQ(value, DB_STREAM_VERSION);
    CObList list;
    list.Serialize(ar);
    EXPECT_EQ(list.GetCount(), 4);
    while (!list.IsEmpty()) delete list.RemoveHead();
  });
}

TEST_F(DBaseTest, SelectedStreamHoldsOnlyTheSelectionInDrawingOrder) {
  CDBase db;
  Fill(db);
  CSelector sel;
  const auto es = Entities(db);
  sel.Add(es[2]);
  sel.Add(es[0]);
  const Bytes bytes = Store([&](CArchive& ar) { db.SerializeSelected(ar); });
  CDBase back;
  Load(bytes, [&](CArchive& ar) { back.Serialize(ar); });
  ASSERT_EQ(back.GetCount(), 2);
  const auto b = Entities(back);
  EXPECT_EQ(b[0]->GetColor(), RGB(0, 0, 0));
  EXPECT_EQ(b[1]->GetColor(), RGB(2, 0, 0));
  EXPECT_FALSE(b[0]->IsSelected());
  EXPECT_EQ(back.GetNotes(), db.GetNotes());
}

TEST_F(DBaseTest, BrokenStreamsThrowAndLeaveTheDatabaseAsItWas) {
  CDBase good;
  Fill(good);
  const Bytes whole = Save(good);
  // Notes, version, then an entity list holding a layer.
  CLayer stray(CString(L"stray"));
  const Bytes header = Store([&](CArchive& ar) { ar << good.GetNotes() << DB_STREAM_VERSION; });
  const Bytes layerInList = Cat({header, Store([&](CArchive& ar) {
                                   ar.WriteCount(1);
                                   ar << static_cast<const CObject*>(&stray);
                                 })});
  const Bytes wrongVersion = Store([&](CArchive& ar) { ar << CString(L"n") << 99; });
  const Bytes hugeCount = Cat({header, Bytes{0xFF, 0xFF}, Le32(0x10000000)});
  struct Case {
    const char* name;
    Bytes bytes;
  };
  const Case cases[] = {
      {"a layer in the entity list", layerInList},
      {"unknown version", wrongVersion},
      {"count beyond the file", hugeCount},
      {"cut after the entities", Bytes(whole.begin(), whole.begin() + whole.size() / 2)},
      {"cut in the work area", Bytes(whole.begin(), whole.end() - 4)},
  };
  for (const Case& c : cases) {
    CDBase db;
    Fill(db);
    const Bytes before = Save(db);
    EXPECT_THROW(Load(c.bytes, [&](CArchive& ar) { db.Serialize(ar); }), CArchiveException) << c.name;
    EXPECT_EQ(Save(db), before) << c.name;
  }
}

TEST_F(DBaseTest, LayersGetUniqueIdsAfterLoading) {
  CDBase empty;
  empty.InitLayer();
  ASSERT_EQ(empty.GetLayerCount(), 1);
  EXPECT_EQ(empty.GetLayerAt(0)->GetName(), CString(L"Page1"));
  EXPECT_EQ(empty.GetLayerIDByIndex(-1), -1);
  EXPECT_EQ(empty.GetLayerIDByIndex(1), -1);
  EXPECT_EQ(empty.GetLayerAt(1), nullptr);
  EXPECT_EQ(empty.GetCountOnLayerIndex(5), 0);

  // A drawing whose layers carry high ids: the next new layer takes an id above them all.
  CDBase db;
  auto* high = new CLayer;
  high->SetID(CLayer::m_nMaxID.load() + 40);
  db.AddLayer(high);
  db.InitLayer();
  EXPECT_EQ(db.GetLayerCount(), 1);
  CLayer fresh(CString(L"next"));
  EXPECT_GT(fresh.GetID(), high->GetID());
  EXPECT_EQ(db.GetLayerIndexByID(high->GetID()), 0);
  EXPECT_EQ(db.GetLayerIndexByID(fresh.GetID()), -1);
}

TEST_F(DBaseTest, DrawAllShowsVisibleEntitiesOnVisibleLayersAndPathsWhenOn) {
  CDBase db;
  db.InitLayer();
  db.AddLayer(new CLayer(CString(L"hidden")));
  db.GetLayerAt(1)->SetInVisible();
  CDbEntity* shown = MakeLine(0, 0, 5, 5);
  CDbEntity* offLayer = MakeLine(1, 0, 5, 5);
  offLayer->SetLayerID(db.GetLayerIDByIndex(1));
  CDbEntity* hidden = MakeLine(2, 0, 5, 5);
  hidden->SetVisible(0);
  shown->SetLayerID(db.GetLayerIDByIndex(0));
  hidden->SetLayerID(db.GetLayerIDByIndex(0));
  for (CDbEntity* e : {shown, offLayer, hidden}) db.AddTail(e);
  EXPECT_EQ(db.GetInvisibleCount(), 1);

  CRecordingDC dc;
  db.DrawAll(&dc, DB_DRAW_NORMAL);
  EXPECT_EQ(dc.Count(CRecordingDC::Kind::Polyline), 1u);

  // The box counts visible entities only.
  _tagBox2D box;
  db.GetBox(&box);
  EXPECT_EQ(box.min[0], 0.0);
  EXPECT_EQ(box.max[0], 5.0);
  db.DrawAll(static_cast<CDC*>(nullptr), 0);
}

TEST_F(DBaseTest, RemovedEntitiesLeaveTheSelectionAndDeleteAllForgetsTheHistory) {
  CDBase db;
  CSelector sel;
  gSetDBase(&db);
  gSetSelector(&sel);
  kxCreateAllManager();
  CDbEntity* a = MakeLine(0, 0, 1, 1);
  CDbEntity* b = MakeLine(0, 0, 2, 2);
  auto* add = new CAction(1, CString(L"Add"));
  add->AddNewEnt(a);
  add->AddNewEnt(b);
  kxInsertActionIntoManager(add);
  EXPECT_EQ(db.GetCount(), 2);
  sel.Add(a);
  sel.Add(b);
  CDbEntity* next = nullptr;
  EXPECT_TRUE(db.Remove(a, &next));
  EXPECT_EQ(next, b);
  EXPECT_EQ(sel.GetCount(), 1);
  EXPECT_FALSE(a->IsSelected());
  EXPECT_FALSE(db.Remove(a));
  delete a;  // the caller took it out; the history must not reach it any more
  db.DeleteAllEntity();
  EXPECT_TRUE(sel.IsEmpty());
  EXPECT_TRUE(db.IsEmpty());
  EXPECT_FALSE(gGetActManager()->CanUndo());
}
