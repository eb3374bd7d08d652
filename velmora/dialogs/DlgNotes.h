// CDlgNotes: the "notes" dialog. It shows the drawing's free notes text in a rich edit and, on
// OK, puts the edited text back into the drawing database.
#pragma once

#include "platform/afx/Dialog.h"
#include "platform/afx/String.h"

class CDlgNotes : public CDialog {
  DECLARE_DYNAMIC(CDlgNotes)

 public:
  static constexpr UINT IDD = 962;
  static constexpr UINT kTextID = 133;

  explicit CDlgNotes(CWnd* pParent = nullptr);
  BOOL OnInitDialog() override;
  void OnOK() override;

  CString m_strNotes;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
};

// Registers the template of the notes dialog (again is harmless).
void RegisterNotesTemplate();
