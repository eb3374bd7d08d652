#include "platform/afx/FileDialog.h"

#include "platform/afx/Wnd.h"
#include "platform/win/MessageBox.h"
#include "platform/win/WindowBackend.h"

#include <algorithm>

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCWSTR lpszDefExt, LPCWSTR lpszFileName, DWORD dwFlags,
                         LPCWSTR lpszFilter, CWnd* pParentWnd)
    : m_dwFlags(dwFlags),
      m_bOpen(bOpenFileDialog),
      m_strDefExt(lpszDefExt ? lpszDefExt : L""),
      m_strFilter(lpszFilter ? lpszFilter : L""),
      m_strPathName(lpszFileName ? lpszFileName : L""),
      m_pParent(pParentWnd) {}

INT_PTR CFileDialog::DoModal() {
  velmora::win::FileDialogRequest req;
  req.open = m_bOpen != FALSE;
  req.owner = m_pParent ? m_pParent->GetSafeHwnd() : nullptr;
  req.title = m_strTitle.GetString();
  req.filter = m_strFilter.GetString();
  req.defaultExt = m_strDefExt.GetString();
  req.initialPath = m_strPathName.GetString();
  req.flags = m_dwFlags;
  req.filterIndex = m_nFilterIndex;
  if (!velmora::win::Backend().FileDialog(req) || req.chosenPath.empty()) return IDCANCEL;
  m_strPathName = req.chosenPath.c_str();
  m_nFilterIndex = req.filterIndex;
  if (!m_strDefExt.IsEmpty() && GetFileExt().IsEmpty()) m_strPathName += CString(L".") + m_strDefExt;
  return IDOK;
}

CString CFileDialog::GetFileName() const {
  const int slash = std::max(m_strPathName.ReverseFind(L'/'), m_strPathName.ReverseFind(L'\\'));
  return m_strPathName.Mid(slash + 1);
}

CString CFileDialog::GetFileExt() const {
  const CString name = GetFileName();
  const int dot = name.ReverseFind(L'.');
  return dot < 0 ? CString() : name.Mid(dot + 1);
}

CString CFileDialog::GetFileTitle() const {
  const CString name = GetFileName();
  const int dot = name.ReverseFind(L'.');
  return dot < 0 ? name : name.Left(dot);
}
