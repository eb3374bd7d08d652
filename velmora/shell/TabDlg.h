// CTabDlg: "System Setting", the General and Grid pages under a tab control (template 129).
// OK stores both pages, whatever they answer, and closes.
#pragma once

#include "platform/afx/CommonCtrl.h"
#include "platform/afx/Dialog.h"
#include "velmora/shell/SettingsPages.h"

class CTabDlg : public CDialog {
 public:
  static constexpr UINT kIDD = 129;
  static constexpr UINT kTab = 952;
  static constexpr int kTabBand = 30;  // the tabs' height above the pages
  static constexpr int kInset = 4;

  explicit CTabDlg(CWnd* pParent = nullptr);
  // The layout of template 129 (registered once; again is harmless).
  static void RegisterTemplate();

  BOOL OnInitDialog() override;
  void OnOK() override;
  // Shows the tab's page and refreshes it from its members.
  void ShowTab(int index);
  int GetShownTab() const { return m_nShown; }

  CDlgSystemSet& General() { return m_general; }
  CGridSetDlg& Grid() { return m_grid; }

 protected:
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

 private:
  CTabCtrl m_tab;
  CDlgSystemSet m_general;
  CGridSetDlg m_grid;
  int m_nShown = -1;
};
