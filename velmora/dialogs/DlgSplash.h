// CDlgSplash: the modeless window that shows one line of progress while the main frame is being
// built, and closes itself a quarter of a second after it is armed (once the main window shows).
#pragma once

#include "platform/afx/String.h"
#include "platform/afx/Wnd.h"

class CDlgSplash : public CWnd {
  DECLARE_DYNAMIC(CDlgSplash)

 public:
  static constexpr UINT kTemplateID = 941;
  static constexpr UINT kTextID = 178;
  static constexpr UINT_PTR kCloseTimer = 1;
  static constexpr UINT kCloseElapse = 250;

  explicit CDlgSplash(CWnd* pParent = nullptr) : m_pParent(pParent) {}

  // Makes the window centred over the parent (or at the origin), shown and painted.
  BOOL Create();
  // When the window exists: the new text goes to the text control and is painted at once.
  void SetText(LPCWSTR text);
  CString GetText() const { return m_strText; }
  void Hide();
  // Closes the window 250 ms from now (nothing when there is none).
  void ArmClose();

 protected:
  void OnTimer(UINT_PTR nIDEvent);
  DECLARE_MESSAGE_MAP()

 private:
  CWnd* m_pParent;
  CString m_strText = L"Initialize ...";
  CWnd m_text;
};
