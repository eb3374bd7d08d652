// The document's file flows: save, save as, open, export, auto-save, with the dialogs' answers
// scripted, and every failure path keeping the drawing and its path.
#include "ShellFixture.h"

#include "platform/afx/Archive.h"
#include "platform/afx/File.h"
#include "platform/afx/Menu.h"
#include "platform/win/Menu.h"
#include "velmora/shell/MainMenu.h"

namespace {
int Count() { return gGetDBase() ? gGetDBase()->GetCount() : -1; }
}  // namespace

TEST_F(ShellTest, StartsWithAnUntitledDocumentAndTheMenu) {
  Start();
  ASSERT_TRUE(started);
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(CString(doc->GetTitle()), CString(L"untitled"));
  EXPECT_FALSE(doc->IsModified());
  EXPECT_NE(frame->GetMenu(), nullptr);
  EXPECT_TRUE(gGetKXGlobal()->IsFrameReady());
  EXPECT_EQ(Count(), 0);
  EXPECT_GE(gGetDBase()->GetLayerCount(), 1);
}

TEST_F(ShellTest, SaveOfAnUntitledDrawingAsksForANameThenWritesOnlyWhenChanged) {
  Start();
  Draw({{0, 0, 10, 0}});
  backend.files = {Path("a.vlm")};
  EXPECT_TRUE(Command(ID_FILE_SAVE));
  EXPECT_EQ(backend.dialogs, 1);
  ASSERT_TRUE(fs::exists(m_dir / "a.vlm"));
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(CString(doc->GetPathName()), CString(Path("a.vlm").c_str()));
  EXPECT_EQ(CString(doc->GetTitle()), CString(Path("a.vlm").c_str()));
  // Not modified: nothing is written, no dialog.
  fs::remove(m_dir / "a.vlm");
  Command(ID_FILE_SAVE);
  EXPECT_FALSE(fs::exists(m_dir / "a.vlm"));
  EXPECT_EQ(backend.dialogs, 1);
  // Modified: written to its name without asking.
  Draw({{0, 0, 0, 5}});
  Command(ID_FILE_SAVE);
  EXPECT_TRUE(fs::exists(m_dir / "a.vlm"));
  EXPECT_EQ(backend.dialogs, 1);
  EXPECT_TRUE(backend.boxes.empty());
}

TEST_F(ShellTest, SaveAsThatCannotCreateTheFileReportsAndKeepsThePath) {
  Start();
  Draw({{0, 0, 10, 0}});
  backend.files = {Path("a.vlm"), Path("missing-folder/b.vlm")};
  ASSERT_TRUE(doc->FileSaveAs());
  Draw({{1, 1, 2, 2}});
  EXPECT_FALSE(doc->FileSaveAs());
  EXPECT_EQ(backend.boxes.size(), 1u);  // the failure is reported
  EXPECT_EQ(CString(doc->GetPathName()), CString(Path("a.vlm").c_str()));
  EXPECT_TRUE(doc->IsModified());
  EXPECT_FALSE(fs::exists(m_dir / "missing-folder"));
}

TEST_F(ShellTest, DocumentWrittenByTheProgramLoadsBackAndSavesByteIdentically) {
  Start();
  Draw({{0, 0, 10, 0}, {10, 0, 10, 4}, {-3.25, 7.5, 1e3, -2e-3}});
  backend.files = {Path("first.vlm")};
  ASSERT_TRUE(doc->FileSaveAs());
  Stop();

  Start();
  backend.files = {Path("first.vlm"), Path("second.vlm")};
  ASSERT_TRUE(doc->FileOpen());
  EXPECT_EQ(Count(), 3);
  EXPECT_FALSE(doc->IsModified());
  _tagBox2D box{};
  gGetDBase()->GetBox(&box);
  EXPECT_DOUBLE_EQ(box.min[0], -3.25);
  EXPECT_DOUBLE_EQ(box.max[0], 1e3);
  EXPECT_DOUBLE_EQ(box.min[1], -2e-3);
  EXPECT_DOUBLE_EQ(box.max[1], 7.5);
  doc->SetModifiedFlag();
  ASSERT_TRUE(doc->FileSaveAs());
  const std::string a = Bytes(m_dir / "first.vlm"), b = Bytes(m_dir / "second.vlm");
  EXPECT_GT(a.size(), size_t(CPreviewDlg::kWidth * CPreviewDlg::kHeight));
  EXPECT_TRUE(a == b);
}

TEST_F(ShellTest, OpenAskingToSaveChangesStopsUnlessTheChangesAreSafe) {
  struct Case {
    const char* what;
    int answer;
    std::vector<std::wstring> files;  // save dialog (when asked), then open dialog
    bool opens;
  };
  Start();
  backend.files = {Path("other.vlm")};
  Draw({{0, 0, 1, 1}, {1, 1, 2, 0}});
  ASSERT_TRUE(doc->FileSaveAs());
  doc->OnNewDocument();
  const std::vector<Case> cases = {
      {"cancel", IDCANCEL, {}, false},
      {"yes, save dialog cancelled", IDYES, {L""}, false},
      {"yes, save fails", IDYES, {Path("missing-folder/x.vlm")}, false},
      {"yes, saved", IDYES, {Path("saved.vlm"), Path("other.vlm")}, true},
      {"no", IDNO, {Path("other.vlm")}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    doc->OnNewDocument();
    Draw({{5, 5, 6, 6}});
    backend.answers = {c.answer};
    backend.files = std::deque<std::wstring>(c.files.begin(), c.files.end());
    backend.boxes.clear();
    EXPECT_EQ(doc->FileOpen(), c.opens ? TRUE : FALSE);
    EXPECT_EQ(backend.boxes.front(), L"Save changes to file?");
    if (c.opens) {
      EXPECT_EQ(Count(), 2);
      EXPECT_FALSE(doc->IsModified());
      EXPECT_EQ(CString(doc->GetPathName()), CString(Path("other.vlm").c_str()));
    } else {
      EXPECT_EQ(Count(), 1);  // the unsaved drawing is still there
      EXPECT_TRUE(doc->IsModified());
    }
    EXPECT_TRUE(backend.files.empty());
  }
}

TEST_F(ShellTest, OpenOpensTheFileBeforeChangingTheDocument) {
  Start();
  Draw({{0, 0, 1, 0}});
  backend.files = {Path("mine.vlm")};
  ASSERT_TRUE(doc->FileSaveAs());
  Draw({{0, 0, 0, 1}});
  backend.answers = {IDNO};
  backend.files = {Path("absent.vlm")};
  backend.boxes.clear();
  EXPECT_FALSE(doc->FileOpen());
  EXPECT_EQ(backend.boxes.size(), 2u);  // the save question and the open failure
  EXPECT_EQ(Count(), 2);
  EXPECT_EQ(CString(doc->GetPathName()), CString(Path("mine.vlm").c_str()));

  // A damaged file: reported; the path stays the old one.
  std::ofstream(m_dir / "junk.vlm", std::ios::binary) << std::string(100, '\x7f');
  backend.answers = {IDNO};
  backend.files = {Path("junk.vlm")};
  backend.boxes.clear();
  EXPECT_FALSE(doc->FileOpen());
  EXPECT_EQ(backend.boxes.size(), 2u);
  EXPECT_EQ(CString(doc->GetPathName()), CString(Path("mine.vlm").c_str()));
}

TEST_F(ShellTest, RecentFilesOnTheFileMenuOpenTheWayOpenDoes) {
  Start();
  CMenu* file = frame->GetMenu()->GetSubMenu(kMenuFile);
  auto recent = [&] {
    frame->UpdateMenuCmdUI(file);
    std::vector<std::pair<UINT, bool>> out;  // id, enabled
    for (UINT i = 0; i < file->GetMenuItemCount(); ++i)
      if (const UINT id = file->GetMenuItemID(int(i)); id >= ID_FILE_MRU_FILE1 && id <= ID_FILE_MRU_LAST)
        out.emplace_back(id, !(::GetMenuState(file->GetSafeHmenu(), i, MF_BYPOSITION) & MF_GRAYED));
    return out;
  };
  EXPECT_EQ(recent(), (std::vector<std::pair<UINT, bool>>{{ID_FILE_MRU_FILE1, false}}));
  Draw({{0, 0, 1, 0}});
  backend.files = {Path("one.vlm")};
  ASSERT_TRUE(doc->FileSaveAs());
  Draw({{0, 0, 0, 1}});
  backend.files = {Path("two.vlm")};
  ASSERT_TRUE(doc->FileSaveAs());
  EXPECT_EQ(recent(), (std::vector<std::pair<UINT, bool>>{{ID_FILE_MRU_FILE1, true}, {ID_FILE_MRU_FILE2, true}}));

  // The second entry with unsaved changes: the same question as Open; cancel keeps everything.
  Draw({{2, 2, 3, 3}});
  backend.answers = {IDCANCEL};
  frame->SendMessage(WM_COMMAND, ID_FILE_MRU_FILE2);
  EXPECT_EQ(backend.boxes.back(), L"Save changes to file?");
  EXPECT_EQ(Count(), 3);
  EXPECT_EQ(CString(doc->GetPathName()), CString(Path("two.vlm").c_str()));
  backend.answers = {IDNO};
  frame->SendMessage(WM_COMMAND, ID_FILE_MRU_FILE2);
  EXPECT_EQ(Count(), 1);
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(CString(doc->GetPathName()), CString(Path("one.vlm").c_str()));
  EXPECT_EQ(CString((*app->m_pRecentFileList)[0]), CString(Path("one.vlm").c_str()));

  // A file gone since: reported, and the drawing, its path and the list stay.
  std::filesystem::remove(m_dir / "two.vlm");
  backend.boxes.clear();
  frame->SendMessage(WM_COMMAND, ID_FILE_MRU_FILE2);
  EXPECT_EQ(backend.boxes.size(), 1u);
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(CString(doc->GetPathName()), CString(Path("one.vlm").c_str()));
  EXPECT_EQ(app->m_pRecentFileList->GetCount(), 2);
}

TEST_F(ShellTest, AutoSaveWritesTheBackupWithoutTouchingTheDocument) {
  gGetKXGlobal()->SetAutoSave(TRUE);
  gGetKXGlobal()->SetAutoSaveMinutes(5);
  Start();
  EXPECT_EQ(frame->GetAutoSaveElapse(), 300000u);
  const fs::path backup = m_dir / "backup.vlm";
  // Empty drawing: no backup.
  doc->SetModifiedFlag();
  frame->SendMessage(WM_TIMER, CMainFrame::kAutoSaveTimer);
  EXPECT_FALSE(fs::exists(backup));
  Draw({{0, 0, 3, 4}});
  frame->SendMessage(WM_TIMER, CMainFrame::kAutoSaveTimer);
  ASSERT_TRUE(fs::exists(backup));
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(doc->NeedsAutoSave(), 0);
  EXPECT_TRUE(doc->GetPathName().IsEmpty());
  // Not needed again until the next change.
  fs::remove(backup);
  frame->SendMessage(WM_TIMER, CMainFrame::kAutoSaveTimer);
  EXPECT_FALSE(fs::exists(backup));
  // Auto-save turned off: the next tick stops the timer.
  gGetKXGlobal()->SetAutoSave(FALSE);
  frame->SendMessage(WM_TIMER, CMainFrame::kAutoSaveTimer);
  EXPECT_EQ(frame->GetAutoSaveElapse(), 0u);

  // The backup is an ordinary document.
  Draw({{9, 9, 10, 10}});
  gGetKXGlobal()->SetAutoSave(TRUE);
  frame->SendMessage(WM_TIMER, CMainFrame::kAutoSaveTimer);
  doc->OnNewDocument();
  backend.files = {Path("backup.vlm")};
  ASSERT_TRUE(doc->FileOpen());
  EXPECT_EQ(Count(), 2);
}

TEST_F(ShellTest, ExportWritesOnlyTheSelectionAndLeavesTheDocumentAlone) {
  Start();
  Draw({{0, 0, 1, 0}, {0, 0, 0, 1}, {2, 2, 3, 3}});
  backend.files = {Path("none.vlm")};
  EXPECT_FALSE(doc->ExportSelected());  // nothing selected: nothing written
  EXPECT_FALSE(fs::exists(m_dir / "none.vlm"));
  CDbEntity* last = gGetDBase()->GetEntityList().GetTail();
  gGetSelector()->Add(last);
  backend.files = {Path("part.vlm")};
  ASSERT_TRUE(doc->ExportSelected());
  EXPECT_TRUE(doc->IsModified());
  EXPECT_TRUE(doc->GetPathName().IsEmpty());

  doc->SetModifiedFlag(FALSE);
  backend.files = {Path("part.vlm")};
  ASSERT_TRUE(doc->FileOpen());
  ASSERT_EQ(Count(), 1);
  _tagBox2D box{};
  gGetDBase()->GetBox(&box);
  EXPECT_DOUBLE_EQ(box.min[0], 2.0);
  EXPECT_DOUBLE_EQ(box.max[1], 3.0);
}

TEST_F(ShellTest, FileCommandsFollowTheHubLockAndTheSelection) {
  Start();
  EXPECT_EQ(Enabled(ID_FILE_OPEN), 1);
  EXPECT_EQ(Enabled(ID_FILE_SAVE), 1);
  EXPECT_EQ(Enabled(ID_FILE_EXPORT_SELECTED), 0);
  EXPECT_EQ(Enabled(ID_EDIT_COPY), 0);
  EXPECT_EQ(Enabled(ID_EDIT_CUT), 0);
  EXPECT_EQ(Enabled(ID_EDIT_UNDO), 0);
  Draw({{0, 0, 1, 1}});
  gGetSelector()->Add(gGetDBase()->GetEntityList().GetHead());
  EXPECT_EQ(Enabled(ID_FILE_EXPORT_SELECTED), 1);
  EXPECT_EQ(Enabled(ID_EDIT_COPY), 1);
  gGetOrdvale()->m_nLock = 1;
  for (UINT id : {ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_FILE_IMPORT, ID_FILE_EXPORT_SELECTED}) {
    SCOPED_TRACE(id);
    EXPECT_EQ(Enabled(id), 0);
  }
  EXPECT_EQ(Enabled(ID_EDIT_COPY), 1);
  gGetOrdvale()->m_nLock = 0;
}

TEST_F(ShellTest, TheSampleDrawingOpensWithItsOutlinesArcsAndReliefAndSavesUnchanged) {
  fs::copy_file(VELMORA_SAMPLE, m_dir / "sample.vlm");
  Start(false, {(m_dir / "sample.vlm").string()});
  ASSERT_TRUE(started);
  ASSERT_NE(doc, nullptr);
  EXPECT_TRUE(backend.boxes.empty());
  int closed = 0, curves = 0, curves3d = 0;
  for (POSITION pos = gGetDBase()->GetEntityList().GetHeadPosition(); pos;) {
    CDbEntity* e = gGetDBase()->GetEntityList().GetNext(pos);
    if (e->GetType() == DB_ENT_CURVE3D) ++curves3d;
    if (e->GetType() == DB_ENT_CURVE) {
      ++curves;
      closed += (e->GetKind() & DB_KIND_CLOSED) ? 1 : 0;
    }
  }
  EXPECT_EQ(closed, 3);       // V, L, M
  EXPECT_EQ(curves, 3 + 8);   // and the frame's four arcs and four lines
  EXPECT_EQ(curves3d, 42);    // the relief's rows and columns
  doc->SetModifiedFlag();
  backend.files = {Path("again.vlm")};
  ASSERT_TRUE(doc->FileSaveAs());
  EXPECT_TRUE(Bytes(m_dir / "again.vlm") == Bytes(VELMORA_SAMPLE));
}
