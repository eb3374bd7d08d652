// Nothing of the operator's work is lost: every edit marks the drawing modified so that leaving
// asks and Save writes; a save that fails on the way keeps the previous file whole; an open that
// fails keeps the open drawing, its name, history and modified flag, and says why.
#include "ShellFixture.h"

#include "db/Action.h"
#include "support/FileSizeLimit.h"
#include "velmora/shell/KxTabWnd.h"

#include <gmock/gmock.h>

#include <functional>
#include <set>
#include <sys/stat.h>

using testing::ElementsAre;
using testing::HasSubstr;

namespace {

int Count() { return gGetDBase() ? gGetDBase()->GetCount() : -1; }

std::set<std::string> FolderNames(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

std::string Utf8(const std::wstring& w) { return CString(w.c_str()).ToUtf8(); }

}  // namespace

class DocumentSafetyTest : public ShellTest {
 protected:
  // A line added as the drawing commands add one: an action through the undo manager.
  void AddLineUndoable(double x) {
    auto* action = new CAction(1, L"Line");
    action->AddNewEnt(Line(x, 0, x, 1));
    kxInsertActionIntoManager(action);
  }
  // Saved under the name with the given lines, clean afterwards.
  void SaveDrawing(const std::string& name, int lines) {
    for (int i = 0; i < lines; ++i) gGetDBase()->AddTail(Line(i, 0, i, 5));
    doc->SetModifiedFlag();
    backend.files = {Path(name)};
    ASSERT_TRUE(doc->FileSaveAs());
    ASSERT_FALSE(doc->IsModified());
  }
};

TEST_F(DocumentSafetyTest, EveryEditThroughTheUndoManagerMarksTheDrawingModified) {
  Start();
  SaveDrawing("mine.vlm", 1);
  struct Case {
    const char* what;
    std::function<void()> edit;
  };
  const std::vector<Case> cases = {
      {"a drawn line", [&] { AddLineUndoable(3); }},
      {"undo", [&] { ASSERT_TRUE(gGetActManager()->Undo()); }},
      {"redo", [&] { ASSERT_TRUE(gGetActManager()->Redo()); }},
      {"a deleted entity",
       [&] {
         auto* action = new CAction(1, L"Delete");
         action->AddDelEnt(gGetDBase()->GetEntityList().GetTail());
         kxInsertActionIntoManager(action);
       }},
      {"a new layer", [&] { ASSERT_GE(frame->GetKxTabWnd()->AddLayer(L""), 0); }},
      {"a renamed layer", [&] { ASSERT_EQ(frame->GetKxTabWnd()->RenameLayer(0, L"Renamed"), 0); }},
      {"a layer's colour and visibility",
       [&] {
         CLayer layer;
         ASSERT_EQ(frame->GetKxTabWnd()->GetLayerAt(0, layer), 0);
         layer.SetColor(layer.GetColor() + 1);
         layer.SetInVisible();
         ASSERT_EQ(frame->GetKxTabWnd()->SetLayerAt(0, layer), 0);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    doc->SetModifiedFlag(FALSE);
    c.edit();
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(doc->NeedsAutoSave(), 1);
  }

  // Writing a layer back unchanged is no edit.
  CLayer same;
  ASSERT_EQ(frame->GetKxTabWnd()->GetLayerAt(0, same), 0);
  doc->SetModifiedFlag(FALSE);
  frame->GetKxTabWnd()->SetLayerAt(0, same);
  EXPECT_FALSE(doc->IsModified());

  // Save (Ctrl+S) writes the edit: the file holds what the drawing holds.
  AddLineUndoable(7);
  ASSERT_EQ(Count(), 2);
  EXPECT_TRUE(Command(ID_FILE_SAVE));
  EXPECT_FALSE(doc->IsModified());
  doc->OnNewDocument();
  backend.files = {Path("mine.vlm")};
  ASSERT_TRUE(doc->FileOpen());
  EXPECT_EQ(Count(), 2);
}

TEST_F(DocumentSafetyTest, LeavingAfterAnEditAsksToSave) {
  Start();
  SaveDrawing("mine.vlm", 1);
  const std::wstring ask = L"Save changes to mine.vlm?";
  // New and Exit ask; Cancel keeps the drawing and the window.
  AddLineUndoable(2);
  backend.boxes.clear();
  backend.answers = {IDCANCEL};
  Command(ID_FILE_NEW);
  EXPECT_THAT(backend.boxes, ElementsAre(ask));
  EXPECT_EQ(Count(), 2);
  backend.boxes.clear();
  backend.answers = {IDCANCEL};
  Command(ID_APP_EXIT);
  EXPECT_THAT(backend.boxes, ElementsAre(ask));
  ASSERT_TRUE(::IsWindow(frame->GetSafeHwnd()));
  EXPECT_EQ(Count(), 2);
  // Open asks its own question.
  backend.boxes.clear();
  backend.answers = {IDCANCEL};
  EXPECT_FALSE(doc->FileOpen());
  EXPECT_THAT(backend.boxes, ElementsAre(L"Save changes to file?"));
  // Closing the window, answered Yes, saves before it goes.
  backend.boxes.clear();
  backend.answers = {IDYES};
  frame->SendMessage(WM_CLOSE);
  EXPECT_THAT(backend.boxes, ElementsAre(ask));
  frame = nullptr;
  view = nullptr;
  doc = nullptr;
  Stop();
  Start(false, {(m_dir / "mine.vlm").string()});
  ASSERT_TRUE(started);
  EXPECT_EQ(Count(), 2);
}

TEST_F(DocumentSafetyTest, AWriteThatFailsKeepsTheSavedFileTheBackupAndTheExportWhole) {
  Start();
  SaveDrawing("mine.vlm", 3);
  gGetSelector()->Add(gGetDBase()->GetEntityList().GetHead());
  backend.files = {Path("part.vlm")};
  ASSERT_TRUE(doc->ExportSelected());
  ASSERT_TRUE(doc->AutoSave());
  const fs::path files[] = {m_dir / "mine.vlm", m_dir / "part.vlm", m_dir / "backup.vlm"};
  std::vector<std::string> before;
  for (const fs::path& f : files) before.push_back(Bytes(f));
  const std::set<std::string> names = FolderNames(m_dir);
  AddLineUndoable(9);

  struct Case {
    const char* what;
    std::function<BOOL()> write;
  };
  const std::vector<Case> cases = {
      {"save", [&] { return doc->FileSave(); }},
      {"export", [&] { backend.files = {Path("part.vlm")}; return doc->ExportSelected(); }},
      {"auto-save", [&] { return doc->AutoSave(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    backend.boxes.clear();
    BOOL wrote = TRUE;
    {
      // Every new file fails past its first kilobyte; the thumbnail alone is larger.
      FileSizeLimit full(1024);
      ASSERT_TRUE(full.Active());
      wrote = c.write();
    }
    EXPECT_FALSE(wrote);
    ASSERT_EQ(backend.boxes.size(), 1u);
    EXPECT_THAT(Utf8(backend.boxes[0]), HasSubstr("Failed to save document."));
    EXPECT_THAT(Utf8(backend.boxes[0]), HasSubstr("The file is too large."));
    for (size_t i = 0; i < std::size(files); ++i) EXPECT_TRUE(Bytes(files[i]) == before[i]) << files[i];
    EXPECT_EQ(FolderNames(m_dir), names);  // no partial file left beside them
  }
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(doc->NeedsAutoSave(), 1);
  EXPECT_EQ(CString(doc->GetPathName()), CString(Path("mine.vlm").c_str()));
  // With room again, Save writes the drawing.
  ASSERT_TRUE(doc->FileSave());
  EXPECT_FALSE(Bytes(files[0]) == before[0]);
}

TEST_F(DocumentSafetyTest, ASaveOverAReadOnlyFileOrALinkReplacesTheContentOnly) {
  Start();
  SaveDrawing("mine.vlm", 1);
  fs::create_symlink(m_dir / "mine.vlm", m_dir / "link.vlm");
  fs::permissions(m_dir / "mine.vlm", fs::perms::owner_read | fs::perms::group_read);
  AddLineUndoable(4);
  backend.files = {Path("link.vlm")};
  ASSERT_TRUE(doc->FileSaveAs());
  EXPECT_TRUE(fs::is_symlink(m_dir / "link.vlm"));
  EXPECT_TRUE(Bytes(m_dir / "link.vlm") == Bytes(m_dir / "mine.vlm"));
  AddLineUndoable(5);
  backend.files = {Path("mine.vlm")};
  ASSERT_TRUE(doc->FileSaveAs());
  // The file keeps the permissions it had (Save itself adds the owner's write permission).
  EXPECT_EQ(fs::status(m_dir / "mine.vlm").permissions(), fs::perms::owner_read | fs::perms::group_read);
  doc->OnNewDocument();
  backend.files = {Path("link.vlm")};
  ASSERT_TRUE(doc->FileOpen());
  EXPECT_EQ(Count(), 3);
}

TEST_F(DocumentSafetyTest, AFailedOpenKeepsTheDrawingAndSaysWhy) {
  Start();
  SaveDrawing("mine.vlm", 2);
  const std::string good = Bytes(m_dir / "mine.vlm");
  std::ofstream(m_dir / "empty.vlm").close();
  std::ofstream(m_dir / "cut.vlm", std::ios::binary) << good.substr(0, good.size() - 20);
  std::ofstream(m_dir / "notes.vlm", std::ios::binary) << "These are my notes, not a drawing.\n";
  fs::create_directory(m_dir / "folder.vlm");
  std::ofstream(m_dir / "locked.vlm", std::ios::binary) << good;
  fs::permissions(m_dir / "locked.vlm", fs::perms::none);
  struct Case {
    const char* file;
    const wchar_t* cause;
  };
  std::vector<Case> cases = {
      {"empty.vlm", L"The file is empty."},
      {"cut.vlm", L"The file is truncated."},
      {"notes.vlm", L"The file is not a Velmora drawing."},
      {"folder.vlm", L"It is a folder, not a file."},
      {"absent.vlm", L"The file or its folder does not exist."},
  };
  // An administrator reads any file: permissions are only tested for an ordinary user.
  if (::geteuid() != 0) cases.push_back({"locked.vlm", L"Permission denied."});

  AddLineUndoable(8);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    backend.boxes.clear();
    backend.answers = {IDNO};
    backend.files = {Path(c.file)};
    EXPECT_FALSE(doc->FileOpen());
    ASSERT_EQ(backend.boxes.size(), 2u);
    EXPECT_EQ(backend.boxes[1], L"Failed to open document.\n" + Path(c.file) + L"\n" + c.cause);
    EXPECT_EQ(Count(), 3);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(CString(doc->GetPathName()), CString(Path("mine.vlm").c_str()));
    EXPECT_TRUE(gGetActManager()->CanUndo());
    // The same through the recent-file and command-line path.
    backend.boxes.clear();
    backend.answers = {IDNO};
    EXPECT_EQ(app->OpenDocumentFile(Path(c.file).c_str()), nullptr);
    EXPECT_EQ(Count(), 3);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(CString(doc->GetPathName()), CString(Path("mine.vlm").c_str()));
  }
  // Save then writes the drawing as it is, never an emptied one.
  ASSERT_TRUE(doc->FileSave());
  doc->OnNewDocument();
  backend.files = {Path("mine.vlm")};
  ASSERT_TRUE(doc->FileOpen());
  EXPECT_EQ(Count(), 3);
}
