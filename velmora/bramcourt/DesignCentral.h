// CDesignCentral: the design-centre panel beside the drawing view. It shows one page at a time
// under a strip of page tabs: either its own default pages or, while a command runs, the pages
// that command loaded into it (the layer pages, for instance). The panel hands the program's
// notifications (selection changed, unit changed, work area changed, refresh) to its pages as
// WM_DCENTER_NOTIFY, so a page that shows such data can follow.
//
// Until the frame docks bars, the panel is a child window of the main frame laid along its
// right edge.
#pragma once

#include "platform/afx/String.h"
#include "platform/afx/Wnd.h"

#include <vector>

// Sent to a page window: wParam is one of CDesignCentral::Notify, lParam 0.
constexpr UINT WM_DCENTER_NOTIFY = 0x0500;

class CDesignCentral : public CWnd {
  DECLARE_DYNAMIC(CDesignCentral)

 public:
  enum Notify : int {
    kNotifyRefresh = 1,    // the current page should read its data again
    kNotifySelChange = 2,  // the selection changed
    kNotifyUnit = 3,       // the drawing unit changed
    kNotifyWorkArea = 4,   // the work area changed (new or loaded document)
  };
  struct Page {
    CString title;
    CWnd* wnd = nullptr;  // not owned
    int refresh = 0;      // nonzero: clicks in the view refresh the page (UpdateState)
  };

  static constexpr UINT kPanelID = 0xE900;
  static constexpr int kDefaultWidth = 240;
  static constexpr int kTabHeight = 22;
  static constexpr int kMinTabWidth = 48;

  CDesignCentral() = default;
  ~CDesignCentral() override;

  // Creates the panel's window as a visible child of the parent placed at its right edge.
  // FALSE for a parent without a window or when the window cannot be made.
  BOOL CreateMe(CWnd* pParent);

  // Pages of the panel itself; they come back when a command's pages go (RecoverDefaultPage).
  // The index of the page, or -1 for a page without a window.
  int AddPage(const CString& title, CWnd* pPage, int refresh = 0);

  // Pages shown now (the command's while a command's pages are loaded, else the default ones).
  int GetPageCount() const { return int(Shown().size()); }
  const Page* GetPage(int index) const;
  int GetCurPageIndex() const { return m_nCur; }
  // The page in front, or null when there is none.
  const Page* GetCurPage() const { return GetPage(m_nCur); }
  BOOL IsCommandPageLoaded() const { return m_bCommand; }

  // Brings the page at the index to the front; FALSE outside the pages.
  BOOL SwitchTab(int index);
  // The current page reads its data again.
  void UpdateState();
  // Notifications from the view: every page hears them.
  void SwitchSelChange();
  void UnitChanged();
  void UpdateWorkareaDlg();
  // The relief-layer page belongs to the relief commands, which this program does not have yet;
  // until then there is no such page to add or remove.
  void AddRlfLayerManagerDlg() {}
  void DelRlfLayerManagerDlg() {}

  BOOL IsIconic() const;
  // Along the parent's right edge, as high as the parent's client area.
  void SetDCenterPos();
  // A command hides the panel (HideDCenter) or brings it up for its pages (ShowDCenter);
  // RestoreDCenter puts back what the user had before the first of those calls.
  void HideDCenter();
  void ShowDCenter();
  void RestoreDCenter();

  // Command pages: a command empties the list, adds its pages (not owned; the command destroys
  // them) and loads them, which puts them in front of the default pages until
  // RecoverDefaultPage. AddCommandPage returns the page's index, -1 for a null dialog.
  void RemoveCommandAllPage();
  int AddCommandPage(const CString& title, CWnd* pDlg);
  // FALSE when no command page was added.
  BOOL LoadCommandPage();
  void RecoverDefaultPage();

  // Where a page sits (below the tabs) and where the tab at an index is drawn, in client
  // coordinates; the tab index under a point, or -1.
  CRect GetPageRect() const;
  CRect GetTabRect(int index) const;
  int HitTab(CPoint pt) const;

  // Paints the tab strip; with no page to show, the page area says what comes there and how a
  // user brings pages up, so that the empty panel is not a blank mystery.
  void Draw(CDC* pDC);
  static const wchar_t* const kEmptyHint[3];

 protected:
  void OnPaint();
  void OnSize(UINT type, int cx, int cy);
  void OnLButtonDown(UINT flags, CPoint pt);
  void OnDestroy();
  DECLARE_MESSAGE_MAP()

 private:
  const std::vector<Page>& Shown() const { return m_bCommand ? m_command : m_default; }
  // Shows the current page over the page rectangle and hides every other page window.
  void LayoutPages();
  void NotifyAll(int code);
  void Forget();
  void RelayoutParent();

  std::vector<Page> m_default;
  std::vector<Page> m_command;
  bool m_bCommand = false;
  int m_nCur = -1;
  int m_nDefaultCur = -1;  // the default page in front before a command's pages came
  int m_nSavedShow = -1;   // visibility before HideDCenter/ShowDCenter, -1 when none saved
};

// The program's panel (null until registered).
CDesignCentral* gGetDlgDesignCenter();
void gSetDlgDesignCenter(CDesignCentral* panel);
