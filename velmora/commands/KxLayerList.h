// CKxLayerList: the layer editing page's report list, one row per layer: current marker, name,
// lock, visibility, colour and entity count. Clicking a cell changes that attribute at once in
// the layer tab window (the name through an in-place editor); the list draws the markers and
// the colour swatch itself after each cell is painted.
#pragma once

#include "platform/afx/ImageList.h"
#include "platform/afx/ListCtrl.h"

class CListCellEdit;
class CLayerTabs;

class CKxLayerList : public CListCtrl {
  DECLARE_DYNAMIC(CKxLayerList)

 public:
  enum Column { kColNone = 0, kColCurrent = 1, kColName = 2, kColLock = 3, kColVisible = 4, kColColor = 5, kColCount = 6 };
  // Icons, by their resource ids, in the order they sit in the list's icon images.
  enum Icon { kIconCurrent = 0, kIconLocked, kIconUnlocked, kIconVisible, kIconHidden };
  static constexpr UINT kIconIds[5] = {214, 216, 217, 208, 215};
  static constexpr UINT kEditID = 101;

  // Owned by the list as each row's item data.
  struct Row {
    COLORREF colour = 0;
    int locked = 0;
    int visible = 0;
    int current = 0;
    int count = 0;
  };

  CKxLayerList();
  ~CKxLayerList() override;

  // Grid lines and full-row select, the small image list, the seven columns.
  void Setup(CImageList* pSmallImages);
  // The new row's index, -1 when it cannot be added.
  int AddRow(const CString& name, int current, int locked, int visible, COLORREF colour, int count);
  // Refused (FALSE) for the only row or an index outside; when the current row goes and rows
  // remain, the first row becomes current.
  BOOL DeleteRow(int index);
  // The rows' records go; the tab window switches to current-layer-only mode when fewer than
  // two layers are visible.
  void ApplyOnClose();
  // An editor over the cell, or null when the cell cannot be shown.
  CListCellEdit* EditCell(int row, int column);

  const Row* GetRow(int index) const;
  int GetCurrentRow() const { return m_nCurRow; }
  int GetClickedRow() const { return m_nClickRow; }
  // Marks the row current in the list only (the tab window already knows).
  void SetCurrentRow(int index);
  const CImageList& GetIcons() const { return m_icons; }

  // What a left click on the cell does (after the list's own click handling).
  void ClickCell(int row, int column);
  // The parent hands these notifications of the list to it.
  void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult);
  void OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);

 protected:
  void OnLButtonDown(UINT nFlags, CPoint point);
  void OnDestroy();
  DECLARE_MESSAGE_MAP()

 private:
  Row* RowAt(int index) const;
  // The row's attributes to the tab window, the current row made current again, repaint.
  void WriteBack(int row);
  void FreeRows();
  static void Refresh(CLayerTabs* tabs);

  CImageList m_icons;
  int m_nCurRow = -1;
  int m_nClickRow = -1;
};
