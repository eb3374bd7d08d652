// New, open, save, save as and the save-changes prompt, with scripted dialog answers, including
// every way a file can fail: the document never loses its contents or path to a failed step.
#include "AppFixture.h"

#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>

using namespace apptest;
using testing::ElementsAre;
using testing::HasSubstr;

namespace fs = std::filesystem;

namespace {
std::string Utf8(const std::wstring& w) { return CString(w.c_str()).ToUtf8(); }

// A path whose folder does not exist: the file cannot be created.
std::wstring Uncreatable(const AppTest& t) { return t.PathOf("missing-folder/doc.tst"); }
}  // namespace

using DocumentFlow = AppTest;

TEST_F(DocumentFlow, SaveAsWritesTheFileTakesThePathAndTheFileLoadsBackEqual) {
  CAppTestDoc* doc = StartNew();
  doc->m_values = {4, 8, 15, 16, 23, 42};
  doc->m_note = L"notes \u00e9";
  doc->SetModifiedFlag();
  const std::wstring path = PathOf("saved");
  backend.dialogAnswers.push_back(path);  // without extension: the template's is added
  Frame()->SendMessage(WM_COMMAND, ID_FILE_SAVE_AS, 0);
  ASSERT_EQ(backend.dialogs.size(), 1u);
  EXPECT_FALSE(backend.dialogs[0].open);
  EXPECT_EQ(backend.dialogs[0].defaultExt, L"tst");
  EXPECT_EQ(backend.dialogs[0].filter, L"Test Files (*.tst)|*.tst||");
  EXPECT_EQ(doc->GetPathName(), CString((path + L".tst").c_str()));
  EXPECT_EQ(doc->GetTitle(), CString(L"saved.tst"));
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ((*app->m_pRecentFileList)[0], doc->GetPathName());

  // Reopened into a fresh document it is the same.
  auto* other = static_cast<CAppTestDoc*>(RUNTIME_CLASS(CAppTestDoc)->CreateObject());
  ASSERT_TRUE(other->OnOpenDocument(doc->GetPathName()));
  EXPECT_EQ(other->m_values, doc->m_values);
  EXPECT_EQ(other->m_note, doc->m_note);
  EXPECT_FALSE(other->IsModified());
  // Saving it again writes the same bytes.
  const std::wstring again = PathOf("again.tst");
  ASSERT_TRUE(other->OnSaveDocument(again.c_str()));
  std::ifstream a(Utf8(doc->GetPathName().GetString()), std::ios::binary), b(Utf8(again), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(a), {}), std::string(std::istreambuf_iterator<char>(b), {}));
  delete other;
}

TEST_F(DocumentFlow, SaveOfAnUntitledDocumentAsksForANameAndCancelChangesNothing) {
  CAppTestDoc* doc = StartNew();
  doc->m_values = {1};
  doc->SetModifiedFlag();
  backend.dialogAnswers.push_back(std::nullopt);
  Frame()->SendMessage(WM_COMMAND, ID_FILE_SAVE, 0);
  EXPECT_EQ(backend.dialogs.size(), 1u);
  EXPECT_TRUE(doc->GetPathName().IsEmpty());
  EXPECT_TRUE(doc->IsModified());
}

TEST_F(DocumentFlow, FailedCreateIsReportedAndTheOldPathKept) {
  const std::wstring first = WriteDocFile("first.tst", {1, 2});
  CAppTestDoc* doc = StartNew();
  ASSERT_NE(app->OpenDocumentFile(first.c_str()), nullptr);
  doc->m_values.push_back(3);
  doc->SetModifiedFlag();
  backend.dialogAnswers.push_back(Uncreatable(*this));
  backend.boxAnswers.push_back(IDOK);
  EXPECT_FALSE(doc->DoSave(nullptr));
  EXPECT_THAT(Utf8(BoxTexts().at(0)), HasSubstr("Failed to save document."));
  EXPECT_EQ(doc->GetPathName(), CString(first.c_str()));
  EXPECT_EQ(doc->GetTitle(), CString(L"first.tst"));
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(doc->m_values, (std::vector<int>{1, 2, 3}));
}

TEST_F(DocumentFlow, AStoringErrorIsReportedRemovesTheHalfFileAndKeepsTheDocument) {
  CAppTestDoc* doc = StartNew();
  doc->m_values = {1, 2, 3, 4};
  doc->m_failStore = true;
  doc->SetModifiedFlag();
  const std::wstring path = PathOf("half.tst");
  backend.dialogAnswers.push_back(path);
  backend.boxAnswers.push_back(IDOK);
  EXPECT_FALSE(doc->DoSave(nullptr));
  EXPECT_FALSE(fs::exists(Utf8(path)));
  EXPECT_THAT(Utf8(BoxTexts().at(0)), HasSubstr("Failed to save document."));
  EXPECT_TRUE(doc->GetPathName().IsEmpty());
  EXPECT_TRUE(doc->IsModified());
}

TEST_F(DocumentFlow, AStoringErrorOverASavedFileKeepsItWholeAndSaysWhy) {
  const std::wstring path = WriteDocFile("kept.tst", {1, 2});
  CAppTestDoc* doc = StartNew();
  ASSERT_NE(app->OpenDocumentFile(path.c_str()), nullptr);
  auto bytes = [&] {
    std::ifstream in(Utf8(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const std::string before = bytes();
  const auto entries = [&] { return std::distance(fs::directory_iterator(dir), fs::directory_iterator()); };
  const auto files = entries();
  doc->m_values = {1, 2, 3, 4};
  doc->m_failStore = true;
  doc->SetModifiedFlag();
  backend.boxAnswers.push_back(IDOK);
  EXPECT_FALSE(doc->DoFileSave());
  EXPECT_EQ(bytes(), before);
  EXPECT_EQ(entries(), files);  // nothing half-written left beside it
  ASSERT_EQ(BoxTexts().size(), 1u);
  EXPECT_EQ(Utf8(BoxTexts()[0]), "Failed to save document.\n" + Utf8(path) + "\nThe disk is full.");
  EXPECT_EQ(doc->GetPathName(), CString(path.c_str()));
  EXPECT_TRUE(doc->IsModified());
}

TEST_F(DocumentFlow, OpenOfAMissingFileReportsAndLeavesTheDocumentAsItWas) {
  CAppTestDoc* doc = StartNew();
  doc->m_values = {7, 7};
  doc->SetModifiedFlag();
  const int deletes = doc->m_deleteCount;
  backend.boxAnswers = {IDNO, IDOK};  // don't save; then the failure report
  EXPECT_EQ(app->OpenDocumentFile(PathOf("nowhere.tst").c_str()), nullptr);
  ASSERT_EQ(BoxTexts().size(), 2u);
  EXPECT_THAT(Utf8(BoxTexts()[0]), HasSubstr("Save changes to untitled?"));
  EXPECT_THAT(Utf8(BoxTexts()[1]), HasSubstr("Failed to open document."));
  EXPECT_EQ(Doc(), doc);
  EXPECT_EQ(doc->m_values, (std::vector<int>{7, 7}));
  EXPECT_EQ(doc->m_deleteCount, deletes);
  EXPECT_TRUE(doc->GetPathName().IsEmpty());
  EXPECT_TRUE(doc->IsModified());  // still holds the unsaved work
}

TEST_F(DocumentFlow, OpenOfACorruptFileReportsAndStartsAFreshUntitledDocument) {
  const std::wstring good = WriteDocFile("good.tst", {5, 6});
  CAppTestDoc* doc = StartNew();
  ASSERT_NE(app->OpenDocumentFile(good.c_str()), nullptr);
  // Truncated: the count promises more values than the file holds.
  const std::wstring bad = PathOf("bad.tst");
  {
    std::ofstream out(Utf8(bad), std::ios::binary);
    const int header[] = {0x564C4D31, 1000000};
    out.write(reinterpret_cast<const char*>(header), sizeof header);
  }
  backend.boxAnswers.push_back(IDOK);
  EXPECT_EQ(app->OpenDocumentFile(bad.c_str()), nullptr);
  EXPECT_THAT(Utf8(BoxTexts().at(0)), HasSubstr("Failed to open document."));
  EXPECT_TRUE(doc->m_values.empty());
  EXPECT_TRUE(doc->GetPathName().IsEmpty());
  EXPECT_EQ(doc->GetTitle(), CString(L"untitled"));
  EXPECT_FALSE(doc->IsModified());
}

TEST_F(DocumentFlow, OpenAnsweredYesGoesOnOnlyWhenTheSaveHappened) {
  const std::wstring target = WriteDocFile("target.tst", {9});
  struct Case {
    const char* name;
    std::vector<int> boxes;                            // answers in order
    std::vector<std::optional<std::wstring>> dialogs;  // the open dialog, then the save dialog
    bool opened;
  };
  const Case cases[] = {
      {"cancel_at_prompt", {IDCANCEL}, {target}, false},
      {"yes_then_save_dialog_cancelled", {IDYES}, {target, std::nullopt}, false},
      {"yes_then_save_fails", {IDYES, IDOK}, {target, Uncreatable(*this)}, false},
      {"yes_then_saved", {IDYES}, {target, PathOf("kept.tst")}, true},
      {"no_discards", {IDNO}, {target}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (Doc()) Doc()->OnCloseDocument();
    FakeWindowBackend::Drain();
    CAppTestDoc* doc = StartNew();
    ASSERT_NE(doc, nullptr);
    doc->m_values = {1, 2, 3};
    doc->SetModifiedFlag();
    backend.boxAnswers.assign(c.boxes.begin(), c.boxes.end());
    backend.dialogAnswers.assign(c.dialogs.begin(), c.dialogs.end());
    Frame()->SendMessage(WM_COMMAND, ID_FILE_OPEN, 0);  // the application's open
    EXPECT_TRUE(backend.boxAnswers.empty());
    EXPECT_TRUE(backend.dialogAnswers.empty());
    if (c.opened) {
      EXPECT_EQ(doc->m_values, (std::vector<int>{9}));
      EXPECT_EQ(doc->GetPathName(), CString(target.c_str()));
      EXPECT_FALSE(doc->IsModified());
    } else {
      EXPECT_EQ(doc->m_values, (std::vector<int>{1, 2, 3}));
      EXPECT_TRUE(doc->IsModified());
      EXPECT_TRUE(doc->GetPathName().IsEmpty());
    }
    backend.boxAnswers.clear();
    backend.dialogAnswers.clear();
  }
}

TEST_F(DocumentFlow, SaveModifiedAnswers) {
  CAppTestDoc* doc = StartNew();
  EXPECT_TRUE(doc->SaveModified());  // nothing to ask
  EXPECT_TRUE(backend.boxes.empty());
  doc->SetModifiedFlag();
  backend.boxAnswers.push_back(IDCANCEL);
  EXPECT_FALSE(doc->SaveModified());
  backend.boxAnswers.push_back(IDNO);
  EXPECT_TRUE(doc->SaveModified());
  EXPECT_TRUE(doc->IsModified());
  backend.boxAnswers.push_back(IDYES);
  backend.dialogAnswers.push_back(PathOf("yes.tst"));
  EXPECT_TRUE(doc->SaveModified());
  EXPECT_FALSE(doc->IsModified());
  EXPECT_TRUE(fs::exists(dir / "yes.tst"));
}

TEST_F(DocumentFlow, SaveOfANamedDocumentWritesInPlaceAndNewClearsEverything) {
  const std::wstring path = WriteDocFile("named.tst", {1});
  CAppTestDoc* doc = StartNew();
  ASSERT_NE(app->OpenDocumentFile(path.c_str()), nullptr);
  doc->m_values = {1, 2};
  doc->SetModifiedFlag();
  Frame()->SendMessage(WM_COMMAND, ID_FILE_SAVE, 0);  // no dialog: it has a name
  EXPECT_TRUE(backend.dialogs.empty());
  EXPECT_FALSE(doc->IsModified());
  auto* check = static_cast<CAppTestDoc*>(RUNTIME_CLASS(CAppTestDoc)->CreateObject());
  ASSERT_TRUE(check->OnOpenDocument(path.c_str()));
  EXPECT_EQ(check->m_values, (std::vector<int>{1, 2}));
  delete check;

  Frame()->SendMessage(WM_COMMAND, ID_FILE_NEW, 0);
  EXPECT_EQ(Doc(), doc);  // one document, reused
  EXPECT_TRUE(doc->m_values.empty());
  EXPECT_TRUE(doc->GetPathName().IsEmpty());
  EXPECT_EQ(doc->GetTitle(), CString(L"untitled"));
}

TEST_F(DocumentFlow, ClosingTheMainWindowAsksFirstAndCancelKeepsItOpen) {
  CAppTestDoc* doc = StartNew();
  doc->SetModifiedFlag();
  HWND frame = Frame()->GetSafeHwnd();
  backend.boxAnswers.push_back(IDCANCEL);
  SendMessageW(frame, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(frame));
  backend.boxAnswers.push_back(IDNO);
  Frame()->SendMessage(WM_COMMAND, ID_APP_EXIT, 0);  // exit closes the main window
  EXPECT_FALSE(IsWindow(frame));
  EXPECT_EQ(app->m_pMainWnd, nullptr);
  EXPECT_EQ(Doc(), nullptr);  // closed with its frame
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_QUIT);
}
