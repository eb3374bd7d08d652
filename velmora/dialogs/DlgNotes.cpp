#include "velmora/dialogs/DlgNotes.h"

#include "db/DBase.h"
#include "platform/afx/Control.h"
#include "platform/afx/DataExchange.h"
#include "platform/afx/DialogTemplate.h"
#include "platform/vurode/Accessors.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Messages.h"

IMPLEMENT_DYNAMIC(CDlgNotes, CDialog)

void RegisterNotesTemplate() {
  AfxDialogTemplate t;
  t.id = CDlgNotes::IDD;
  t.caption = L"notes";
  t.cx = 400;
  t.cy = 300;
  t.items = {
      {kRichEditClass, CDlgNotes::kTextID, L"", RECT{8, 8, 392, 254},
       ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_BORDER | WS_VSCROLL | WS_TABSTOP},
      {kButtonClass, IDOK, L"OK", RECT{222, 264, 302, 290}, BS_DEFPUSHBUTTON | WS_TABSTOP},
      {kButtonClass, IDCANCEL, L"Cancel", RECT{312, 264, 392, 290}, BS_PUSHBUTTON | WS_TABSTOP},
  };
  AfxRegisterDialogTemplate(t);
}

CDlgNotes::CDlgNotes(CWnd* pParent) : CDialog(IDD, pParent) {
  static const bool registered = (RegisterNotesTemplate(), true);
  (void)registered;
}

void CDlgNotes::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Text(pDX, kTextID, m_strNotes);
}

BOOL CDlgNotes::OnInitDialog() {
  if (const CDBase* db = gGetDBase()) m_strNotes = db->GetNotes();
  return CDialog::OnInitDialog();
}

void CDlgNotes::OnOK() {
  if (!UpdateData(TRUE)) return;
  if (CDBase* db = gGetDBase()) db->SetNotes(m_strNotes);
  EndDialog(IDOK);
}
