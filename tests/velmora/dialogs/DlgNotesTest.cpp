// The notes dialog run modally and driven headless: it shows the drawing's notes and puts the
// edited text back only on OK.
#include "db/DBase.h"
#include "platform/afx/Control.h"
#include "platform/vurode/Accessors.h"
#include "platform/win/MessageBox.h"
#include "support/VurodeFixture.h"
#include "velmora/dialogs/DlgNotes.h"

#include <gtest/gtest.h>

namespace {

class DlgNotesTest : public VurodeTest {
 protected:
  void TearDown() override {
    CDialog::SetModalDriver(nullptr);
    VurodeTest::TearDown();
  }
  // Runs the dialog: records what the text control showed, types the text, presses the button.
  INT_PTR Run(const wchar_t* typed, UINT button) {
    CDialog::SetModalDriver([=, this](CDialog& dlg) {
      CString shown;
      dlg.GetDlgItemText(CDlgNotes::kTextID, shown);
      this->shown = shown;
      caption.Empty();
      dlg.GetWindowText(caption);
      if (typed) AfxUserEditText(dlg.GetDlgItem(CDlgNotes::kTextID)->GetSafeHwnd(), typed);
      AfxUserClick(dlg.GetDlgItem(int(button))->GetSafeHwnd());
    });
    CDlgNotes dlg;
    return dlg.DoModal();
  }
  CString shown, caption;
};

TEST_F(DlgNotesTest, ShowsTheNotesAndTakesTheEditOnlyOnOK) {
  CDBase db;
  gSetDBase(&db);
  db.SetNotes(L"first line\r\nsecond");
  EXPECT_EQ(Run(L"changed\r\nnotes", IDCANCEL), IDCANCEL);
  EXPECT_EQ(shown, CString(L"first line\r\nsecond"));
  EXPECT_EQ(caption, CString(L"notes"));
  EXPECT_EQ(db.GetNotes(), CString(L"first line\r\nsecond"));

  EXPECT_EQ(Run(L"changed\r\nnotes", IDOK), IDOK);
  EXPECT_EQ(db.GetNotes(), CString(L"changed\r\nnotes"));
  // Emptied notes are notes too.
  EXPECT_EQ(Run(L"", IDOK), IDOK);
  EXPECT_TRUE(db.GetNotes().IsEmpty());
  gSetDBase(nullptr);
}

TEST_F(DlgNotesTest, WithoutADatabaseItOpensEmptyAndOKChangesNothing) {
  gSetDBase(nullptr);
  EXPECT_EQ(Run(L"typed", IDOK), IDOK);
  EXPECT_TRUE(shown.IsEmpty());
}

}  // namespace
