// CAboutboxHelpPrompt: "Tip of the Day". One tip at a time with Prev and Next, a "Show tips at
// start" check box kept in the global settings, and for many tips an animation beside the text;
// a tip without one collapses the dialog to its text part.
#pragma once

#include "platform/afx/Wnd.h"
#include "velmora/pictures/PictureEx.h"

#include <cstdint>
#include <functional>
#include <vector>

// Dialog template and controls.
enum : UINT {
  IDD_TIP_PROMPT = 953,
  IDC_TIP_STARTUP = 955,
  IDC_TIP_TEXT = 957,
  IDC_TIP_CLOSE = 958,
  IDC_TIP_NEXT = 959,
  IDC_TIP_PREV = 960,
  IDC_TIP_PICTURE = 6064,
  IDC_TIP_FRAME = 6065,
  IDC_TIP_TEXT_EDGE = 6067,
  IDC_HAND_CURSOR = 317,
};

// The tips in their fixed order, and the picture resource of a tip number (index + 1), 0 for none.
const std::vector<CString>& KxTipTexts();
UINT KxTipPicture(int tipNumber);
// Registers the tip animations as "GIF" data resources under their picture numbers.
void KxRegisterTipPictures();

class CAboutboxHelpPrompt : public CWnd {
  DECLARE_DYNAMIC(CAboutboxHelpPrompt)

 public:
  CAboutboxHelpPrompt();
  ~CAboutboxHelpPrompt() override;

  // FALSE without the global settings object. Takes the check box from the settings, loads the
  // tips and shows a random one.
  BOOL OnInitDialog();
  // Tip i: its text, its picture (played once) and the dialog's width for it.
  void ShowTip(int i);
  void OnNext();
  void OnPrev();
  // Stores the check box into the settings and closes.
  void OnClose();
  // A click on the picture while it is not playing plays it again.
  void OnPictureClicked();
  // The cursor resource for a point over a control: the hand over an idle picture, 0 otherwise
  // (the text keeps its cursor, elsewhere the default).
  UINT CursorFor(UINT controlId) const;
  // Mouse presses inside the tip text are swallowed (TRUE), so it cannot be selected.
  BOOL SwallowsTextClick(UINT message) const;

  // The seed of the first tip's draw; the time by default.
  static void SetSeed(uint32_t seed);

  // Initialises the prompt and runs it through the platform's presenter, which shows it and
  // calls the handlers as the user acts; without one (no screen) the prompt is only initialised
  // and answers IDCANCEL. The presenter's result otherwise.
  INT_PTR DoModal();
  using Presenter = std::function<INT_PTR(CAboutboxHelpPrompt&)>;
  static void SetPresenter(Presenter presenter);

  const CString& GetTipText() const { return m_strTip; }
  int GetCurrentTip() const { return m_nCurrentTip; }
  int GetTipCount() const { return static_cast<int>(m_Tips.size()); }
  BOOL IsPictureShown() const { return m_bShowPicture; }
  int GetWidth() const { return m_nWidth; }
  int GetFullWidth() const { return m_nFullWidth; }
  int GetCollapsedWidth() const { return m_nCollapsedWidth; }
  BOOL IsClosed() const { return m_bClosed; }
  CPictureEx& GetPicture() { return m_Picture; }

  BOOL m_bStartup = TRUE;  // the check box

 protected:
  DECLARE_MESSAGE_MAP()

 private:
  CString m_strTip;
  CPictureEx m_Picture;
  std::vector<CString> m_Tips;
  int m_nCurrentTip = 0;
  BOOL m_bShowPicture = FALSE;
  int m_nFullWidth = 0;
  int m_nCollapsedWidth = 0;
  int m_nWidth = 0;
  BOOL m_bClosed = FALSE;
};
