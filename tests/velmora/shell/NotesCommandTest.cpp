// The document's "Notes..." command: the notes dialog, and changed notes mark the document
// changed so that closing it offers to save them.
#include "ShellFixture.h"

#include "platform/afx/Control.h"
#include "platform/afx/Dialog.h"
#include "velmora/dialogs/DlgNotes.h"

namespace {

TEST_F(ShellTest, NotesCommandEditsTheDrawingsNotesAndMarksTheDocument) {
  Start();
  ASSERT_TRUE(started);
  doc->SetModifiedFlag(FALSE);
  auto drive = [](const wchar_t* typed, UINT button) {
    CDialog::SetModalDriver([=](CDialog& dlg) {
      AfxUserEditText(dlg.GetDlgItem(CDlgNotes::kTextID)->GetSafeHwnd(), typed);
      AfxUserClick(dlg.GetDlgItem(int(button))->GetSafeHwnd());
    });
  };
  drive(L"cut at 3 mm", IDCANCEL);
  EXPECT_TRUE(Command(ID_FILE_NOTES));
  EXPECT_TRUE(gGetDBase()->GetNotes().IsEmpty());
  EXPECT_FALSE(doc->IsModified());
  drive(L"cut at 3 mm", IDOK);
  Command(ID_FILE_NOTES);
  EXPECT_EQ(gGetDBase()->GetNotes(), CString(L"cut at 3 mm"));
  EXPECT_TRUE(doc->IsModified());
  // The same text again is no change.
  doc->SetModifiedFlag(FALSE);
  Command(ID_FILE_NOTES);
  EXPECT_FALSE(doc->IsModified());
  CDialog::SetModalDriver(nullptr);
}

}  // namespace
