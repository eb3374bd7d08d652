// CCatListBox: an owner-drawn list box of named categories, each row with a check box (the
// toolbar settings dialog lists the toolbars with it, checked while shown). The records are
// kept by name; each row's item data is its category's record.
#pragma once

#include "platform/afx/ListBox.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

// Results of the category calls (the usual COM codes).
constexpr HRESULT CAT_S_OK = 0;
constexpr HRESULT CAT_E_POINTER = HRESULT(0x80004003u);
constexpr HRESULT CAT_E_INVALIDARG = HRESULT(0x80070057u);
constexpr HRESULT CAT_E_FAIL = HRESULT(0x80004005u);

// Sent to the parent (WM_COMMAND) after a click or the space key toggled a category's check.
constexpr int CLBN_CHKCHANGE = 0x40;

class CCatListBox : public CListBox {
  DECLARE_DYNAMIC(CCatListBox)

 public:
  struct Category {
    int checked = 0;
    int row = -1;               // its row in the list box, -1 before insertion
    std::vector<int> subItems;  // check states of the category's sub-items
  };

  CCatListBox() = default;
  ~CCatListBox() override = default;

  // A new unchecked category: CAT_E_POINTER for no name, CAT_E_INVALIDARG for an empty or a
  // known name, CAT_E_FAIL when its row cannot be added. A sorted list (LBS_SORT) puts it before
  // the first category whose name is greater, ignoring case.
  HRESULT AddCategory(LPCWSTR name);
  HRESULT SetCategoryCheck(LPCWSTR name, int state);
  // TRUE only for a known, checked category.
  BOOL GetCategoryCheck(LPCWSTR name) const;
  // The name of the category whose record is the row's item data, null when none.
  LPCWSTR GetCategoryName(int row) const;
  // Sub-item states: the state, or -1 for an unknown name or index; setting gives
  // CAT_E_INVALIDARG for an unknown name or index.
  int GetSubItemCheck(LPCWSTR name, int index) const;
  HRESULT SetSubItemCheck(LPCWSTR name, int index, int state);
  void EnableSubItems(BOOL enable) { m_bSubItems = enable ? 1 : 0; }
  // Empties the list and forgets every category.
  void ResetCategories();
  int GetLastClicked() const { return m_nLastClick; }
  // The check-box square of a row, in client coordinates.
  CRect CheckBoxRect(int row) const;

  void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

 protected:
  void OnLButtonDown(UINT nFlags, CPoint point);
  void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
  DECLARE_MESSAGE_MAP()

 private:
  Category* Find(LPCWSTR name) const;
  Category* RecordAt(int row) const;
  void Toggle(int row);
  void Repaint() {
    if (m_hWnd && m_bRedraw) Invalidate();
  }

  std::map<std::wstring, std::unique_ptr<Category>> m_cats;
  int m_bSubItems = 0;
  int m_bRedraw = 1;
  int m_nLastClick = -1;
};
