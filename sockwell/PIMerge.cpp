#include "sockwell/PIMerge.h"

#include <vector>

namespace {
CString ItemText(const CMenu* menu, UINT pos) {
  CString text;
  menu->GetMenuString(pos, text, MF_BYPOSITION);
  return text;
}

// Merges a source popup into a new popup; null when that fails (nothing is left behind).
HMENU NewMergedPopup(const CMenu* source) {
  CMenu popup;
  if (!popup.CreatePopupMenu()) return nullptr;
  if (!PIMergeMenu(&popup, source, false)) return nullptr;  // popup's destructor destroys it
  return popup.Detach();
}
}  // namespace

bool PIMergeMenu(CMenu* pMenuDestination, const CMenu* pMenuAdd, bool bTopLevel) {
  if (!pMenuDestination || !pMenuAdd || !::IsMenu(pMenuDestination->m_hMenu) || !::IsMenu(pMenuAdd->m_hMenu))
    return false;
  const int addCount = static_cast<int>(pMenuAdd->GetMenuItemCount());
  if (addCount <= 0) return true;
  if (!bTopLevel && static_cast<int>(pMenuDestination->GetMenuItemCount()) > 0 &&
      !pMenuDestination->AppendMenu(MF_SEPARATOR))
    return false;

  for (int a = 0; a < addCount; ++a) {
    const UINT pos = static_cast<UINT>(a);
    CMenu* sub = pMenuAdd->GetSubMenu(a);
    if (sub) {
      const CString fullText = ItemText(pMenuAdd, pos);
      if (bTopLevel) {
        CString name = fullText;
        name.Remove(L'&');
        int insertAt = -1;
        bool merged = false;
        const int dstCount = static_cast<int>(pMenuDestination->GetMenuItemCount());
        for (int d = 0; d < dstCount; ++d) {
          CString dstName = ItemText(pMenuDestination, static_cast<UINT>(d));
          dstName.Remove(L'&');
          if (insertAt < 0 && (dstName == L"Window" || dstName == L"?" || dstName == L"Help")) insertAt = d;
          if (dstName == name) {
            if (CMenu* dstSub = pMenuDestination->GetSubMenu(d)) {
              if (!PIMergeMenu(dstSub, sub, false)) return false;
              merged = true;
              break;
            }
          }
        }
        if (merged) continue;
        HMENU popup = NewMergedPopup(sub);
        if (!popup) return false;
        const UINT at = insertAt < 0 ? static_cast<UINT>(pMenuDestination->GetMenuItemCount()) : static_cast<UINT>(insertAt);
        if (!pMenuDestination->InsertMenu(at, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(popup), fullText)) {
          ::DestroyMenu(popup);
          return false;
        }
      } else {
        HMENU popup = NewMergedPopup(sub);
        if (!popup) return false;
        if (!pMenuDestination->AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(popup), fullText)) {
          ::DestroyMenu(popup);
          return false;
        }
      }
      continue;
    }
    const UINT state = pMenuAdd->GetMenuState(pos, MF_BYPOSITION);
    if (state == static_cast<UINT>(-1)) return false;
    const UINT id = pMenuAdd->GetMenuItemID(a);
    const CString text = ItemText(pMenuAdd, pos);
    const UINT flags = state & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_SEPARATOR | MF_MENUBARBREAK | MF_MENUBREAK);
    if (!pMenuDestination->AppendMenu(flags, id, (flags & MF_SEPARATOR) ? nullptr : static_cast<LPCWSTR>(text)))
      return false;
  }
  return true;
}

bool PIMergeAccelerator(HACCEL& hDestination, HACCEL hToMerge) {
  const int a = hDestination ? ::CopyAcceleratorTableW(hDestination, nullptr, 0) : 0;
  const int b = hToMerge ? ::CopyAcceleratorTableW(hToMerge, nullptr, 0) : 0;
  if (b < 1) return false;
  std::vector<ACCEL> entries(static_cast<size_t>(a + b));
  if (a > 0) ::CopyAcceleratorTableW(hDestination, entries.data(), a);
  ::CopyAcceleratorTableW(hToMerge, entries.data() + a, b);
  HACCEL merged = ::CreateAcceleratorTableW(entries.data(), a + b);
  if (!merged) return false;
  if (hDestination) ::DestroyAcceleratorTable(hDestination);
  hDestination = merged;
  return true;
}
