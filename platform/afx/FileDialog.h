// CFileDialog: the open and save file dialogs. The window backend shows them (the headless one
// cancels), so tests script the chosen file through their backend.
#pragma once

#include "platform/afx/String.h"
#include "platform/win/WinTypes.h"

class CWnd;

constexpr DWORD OFN_READONLY = 0x00000001;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;

class CFileDialog {
 public:
  // lpszFilter: "name|pattern|name|pattern||"; lpszDefExt without the dot.
  CFileDialog(BOOL bOpenFileDialog, LPCWSTR lpszDefExt = nullptr, LPCWSTR lpszFileName = nullptr,
              DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCWSTR lpszFilter = nullptr,
              CWnd* pParentWnd = nullptr);
  virtual ~CFileDialog() = default;

  // IDOK with a chosen path, IDCANCEL otherwise. A chosen name without an extension gets the
  // default one.
  virtual INT_PTR DoModal();

  CString GetPathName() const { return m_strPathName; }
  // The last path component, its extension (without the dot) and the name without extension.
  CString GetFileName() const;
  CString GetFileExt() const;
  CString GetFileTitle() const;
  int GetFilterIndex() const { return m_nFilterIndex; }

  CString m_strTitle;  // empty: the toolkit's title
  DWORD m_dwFlags;
  int m_nFilterIndex = 1;

 private:
  BOOL m_bOpen;
  CString m_strDefExt, m_strFilter, m_strPathName;
  CWnd* m_pParent;
};
