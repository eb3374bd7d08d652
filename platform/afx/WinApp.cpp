#include "platform/afx/WinApp.h"

#include "platform/afx/DocView.h"
#include "platform/afx/FileDialog.h"
#include "platform/afx/Menu.h"
#include "platform/afx/Wnd.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Profile.h"

#include <algorithm>
#include <cwchar>

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

namespace {
CWinApp* g_app = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Command line

void CCommandLineInfo::ParseParam(LPCWSTR pszParam, BOOL bFlag, BOOL) {
  if (!pszParam) return;
  if (bFlag) {
    if (CString(pszParam).CompareNoCase(L"nologo") == 0) m_bShowSplash = FALSE;
    return;
  }
  if (m_strFileName.IsEmpty()) {
    m_strFileName = pszParam;
    m_nShellCommand = FileOpen;
  }
}

// ---------------------------------------------------------------------------------------------
// Recent files

CRecentFileList::CRecentFileList(UINT nStart, LPCWSTR lpszSection, LPCWSTR lpszEntryFormat, int nSize)
    : m_nStart(nStart),
      m_strSectionName(lpszSection ? lpszSection : L""),
      m_strEntryFormat(lpszEntryFormat ? lpszEntryFormat : L"File%d"),
      m_nSize(std::max(nSize, 0)) {}

CString CRecentFileList::operator[](int nIndex) const {
  return nIndex >= 0 && nIndex < GetCount() ? m_names[static_cast<size_t>(nIndex)] : CString();
}

void CRecentFileList::Add(LPCWSTR lpszPathName) {
  if (!lpszPathName || !*lpszPathName || m_nSize == 0) return;
  // File names are case-sensitive here: only the same spelling is the same file.
  std::erase_if(m_names, [&](const CString& s) { return s.Compare(lpszPathName) == 0; });
  m_names.insert(m_names.begin(), CString(lpszPathName));
  if (GetCount() > m_nSize) m_names.resize(static_cast<size_t>(m_nSize));
}

void CRecentFileList::Remove(int nIndex) {
  if (nIndex >= 0 && nIndex < GetCount()) m_names.erase(m_names.begin() + nIndex);
}

CString CRecentFileList::EntryName(int i) const {
  CString s;
  s.Format(m_strEntryFormat, i + 1);
  return s;
}

void CRecentFileList::ReadList() {
  CWinApp* app = AfxGetApp();
  m_names.clear();
  if (!app) return;
  for (int i = 0; i < m_nSize; ++i) {
    const CString name = app->GetProfileString(m_strSectionName, EntryName(i));
    if (!name.IsEmpty()) m_names.push_back(name);
  }
}

void CRecentFileList::WriteList() {
  CWinApp* app = AfxGetApp();
  if (!app) return;
  // Rewritten whole, so entries of a longer earlier list do not linger.
  app->WriteProfileString(m_strSectionName, nullptr, nullptr);
  for (int i = 0; i < GetCount(); ++i) app->WriteProfileString(m_strSectionName, EntryName(i), m_names[static_cast<size_t>(i)]);
}

CString CRecentFileList::GetDisplayName(int nIndex, int nMaxLength) const {
  CString path = (*this)[nIndex];
  const int slash = path.ReverseFind(L'/');
  // "/first/.../name" when too long: the start says where, the name says what.
  if (slash > 0 && path.GetLength() > nMaxLength) {
    const int firstEnd = path.Find(L'/', 1);
    const CString head = firstEnd > 0 && firstEnd < slash ? path.Left(firstEnd) : CString();
    path = head + L"/..." + path.Mid(slash);
  }
  path.Replace(L"&", L"&&");
  return path;
}

void CRecentFileList::UpdateMenu(CCmdUI* pCmdUI) {
  if (!pCmdUI) return;
  CMenu* menu = pCmdUI->m_pMenu;
  if (!menu) {
    pCmdUI->Enable(GetCount() > 0);
    return;
  }
  const HMENU h = menu->GetSafeHmenu();
  // The resource's text, shown while the list is empty, is kept before entries replace it.
  if (m_strOriginal.IsEmpty()) {
    wchar_t buf[256]{};
    ::GetMenuStringW(h, pCmdUI->m_nIndex, buf, 256, MF_BYPOSITION);
    m_strOriginal = *buf ? buf : L"Recent File";
  }
  const UINT first = ID_FILE_MRU_FILE1 + m_nStart;
  for (int i = 0; i < m_nSize; ++i) ::DeleteMenu(h, first + static_cast<UINT>(i), MF_BYCOMMAND);
  if (GetCount() == 0) {
    ::InsertMenuW(h, pCmdUI->m_nIndex, MF_BYPOSITION | MF_STRING | MF_GRAYED, first, m_strOriginal);
  } else {
    for (int i = 0; i < GetCount(); ++i) {
      CString text;
      text.Format(L"&%d %s", i + 1, GetDisplayName(i).GetString());
      ::InsertMenuW(h, pCmdUI->m_nIndex + static_cast<UINT>(i), MF_BYPOSITION | MF_STRING, first + static_cast<UINT>(i), text);
    }
    pCmdUI->m_nIndex += static_cast<UINT>(GetCount()) - 1;
  }
  pCmdUI->m_nIndexMax = menu->GetMenuItemCount();
  pCmdUI->m_bEnableChanged = TRUE;
}

// ---------------------------------------------------------------------------------------------
// CWinApp

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
ON_COMMAND(ID_FILE_NEW, OnFileNew)
ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
ON_UPDATE_COMMAND_UI(ID_FILE_MRU_FILE1, OnUpdateRecentFileMenu)
ON_COMMAND_EX_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_LAST, OnOpenRecentFile)
ON_COMMAND(ID_APP_EXIT, OnAppExit)
END_MESSAGE_MAP()

CWinApp::CWinApp(LPCWSTR lpszAppName) : m_strAppName(lpszAppName ? lpszAppName : L"Velmora") { g_app = this; }

CWinApp::~CWinApp() {
  for (CDocTemplate* t : m_templates) delete t;
  m_templates.clear();
  if (g_app == this) g_app = nullptr;
}

CWinApp* AfxGetApp() { return g_app; }
CWnd* AfxGetMainWnd() { return g_app ? g_app->m_pMainWnd : nullptr; }

int CWinApp::ExitInstance() {
  SaveStdProfileSettings();
  return static_cast<int>(m_msgCur.message == WM_QUIT ? m_msgCur.wParam : 0);
}

BOOL CWinApp::PumpMessage() {
  const BOOL r = ::GetMessageW(&m_msgCur, nullptr, 0, 0);
  if (r == 0 || r == -1) return FALSE;
  if (!PreTranslateMessage(&m_msgCur)) ::DispatchMessageW(&m_msgCur);
  return TRUE;
}

int CWinApp::Run() {
  for (;;) {
    MSG peek;
    LONG idle = 0;
    while (!::PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE) && OnIdle(idle++)) {
    }
    if (!PumpMessage()) return ExitInstance();
  }
}

BOOL CWinApp::OnIdle(LONG lCount) {
  if (lCount == 0) {
    if (auto* frame = dynamic_cast<CFrameWnd*>(m_pMainWnd)) frame->OnIdleUpdateCmdUI();
    return TRUE;
  }
  if (lCount == 1) CMenu::DeleteTempMap();
  return FALSE;
}

BOOL CWinApp::PreTranslateMessage(MSG* pMsg) {
  if (!pMsg || !pMsg->hwnd) return FALSE;
  return CWnd::WalkPreTranslateTree(m_pMainWnd ? m_pMainWnd->GetSafeHwnd() : nullptr, pMsg);
}

void CWinApp::SetRegistryKey(LPCWSTR lpszRegistryKey) { m_strRegistryKey = lpszRegistryKey ? lpszRegistryKey : L""; }

CString CWinApp::GetProfilePath() const {
  const std::wstring home = velmora::win::ConfigHome();
  if (home.empty() || m_strAppName.IsEmpty()) return CString();
  CString path = home.c_str();
  if (!m_strRegistryKey.IsEmpty()) path += CString(L"/") + m_strRegistryKey;
  return path + L"/" + m_strAppName + L".ini";
}

UINT CWinApp::GetProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nDefault) {
  const CString path = GetProfilePath();
  return path.IsEmpty() ? static_cast<UINT>(nDefault) : ::GetPrivateProfileIntW(lpszSection, lpszEntry, nDefault, path);
}

BOOL CWinApp::WriteProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nValue) {
  return WriteProfileString(lpszSection, lpszEntry, std::to_wstring(nValue).c_str());
}

CString CWinApp::GetProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszDefault) {
  const CString path = GetProfilePath();
  if (path.IsEmpty()) return lpszDefault ? lpszDefault : L"";
  std::vector<wchar_t> buf(4096);
  ::GetPrivateProfileStringW(lpszSection, lpszEntry, lpszDefault, buf.data(), static_cast<DWORD>(buf.size()), path);
  return CString(buf.data());
}

BOOL CWinApp::WriteProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszValue) {
  const CString path = GetProfilePath();
  return path.IsEmpty() ? FALSE : ::WritePrivateProfileStringW(lpszSection, lpszEntry, lpszValue, path);
}

void CWinApp::LoadStdProfileSettings(UINT nMaxMRU) {
  m_pRecentFileList.reset();
  if (nMaxMRU == 0) return;
  m_pRecentFileList = std::make_unique<CRecentFileList>(0, L"Recent File List", L"File%d", static_cast<int>(nMaxMRU));
  m_pRecentFileList->ReadList();
}

void CWinApp::SaveStdProfileSettings() {
  if (m_pRecentFileList) m_pRecentFileList->WriteList();
}

void CWinApp::AddToRecentFileList(LPCWSTR lpszPathName) {
  if (m_pRecentFileList) m_pRecentFileList->Add(lpszPathName);
}

void CWinApp::SetCommandLine(int argc, const char* const* argv) {
  m_args.clear();
  for (int i = 1; argv && i < argc; ++i)
    if (argv[i]) m_args.push_back(CString::FromUtf8(argv[i]));
}

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo) {
  for (size_t i = 0; i < m_args.size(); ++i) {
    const CString& a = m_args[i];
    const BOOL flag = a.GetLength() > 1 && a[0] == L'-';
    rCmdInfo.ParseParam(flag ? a.Mid(1).GetString() : a.GetString(), flag, i + 1 == m_args.size());
  }
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& rCmdInfo) {
  switch (rCmdInfo.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
      if (!OnCmdMsg(ID_FILE_NEW, CN_COMMAND, nullptr, nullptr)) OnFileNew();
      return m_pMainWnd ? TRUE : FALSE;
    case CCommandLineInfo::FileOpen: return OpenDocumentFile(rCmdInfo.m_strFileName) ? TRUE : FALSE;
    case CCommandLineInfo::FileNothing: return TRUE;
  }
  return FALSE;
}

void CWinApp::AddDocTemplate(CDocTemplate* pTemplate) {
  if (pTemplate && std::find(m_templates.begin(), m_templates.end(), pTemplate) == m_templates.end())
    m_templates.push_back(pTemplate);
}

CDocument* CWinApp::OpenDocumentFile(LPCWSTR lpszFileName) {
  if (m_templates.empty() || !lpszFileName || !*lpszFileName) return nullptr;
  return m_templates.front()->OpenDocumentFile(lpszFileName);
}

void CWinApp::OnFileNew() {
  if (!m_templates.empty()) m_templates.front()->OpenDocumentFile(nullptr);
}

void CWinApp::OnFileOpen() {
  CString filter, ext;
  if (!m_templates.empty()) m_templates.front()->GetFileFilter(filter, ext);
  CFileDialog dlg(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, filter.IsEmpty() ? nullptr : filter.GetString(),
                  m_pMainWnd);
  if (dlg.DoModal() != IDOK) return;
  OpenDocumentFile(dlg.GetPathName());
}

void CWinApp::OnUpdateRecentFileMenu(CCmdUI* pCmdUI) {
  if (m_pRecentFileList)
    m_pRecentFileList->UpdateMenu(pCmdUI);
  else if (pCmdUI)
    pCmdUI->Enable(FALSE);
}

BOOL CWinApp::OnOpenRecentFile(UINT nID) {
  if (!m_pRecentFileList) return FALSE;
  const CString path = (*m_pRecentFileList)[static_cast<int>(nID - ID_FILE_MRU_FILE1 - m_pRecentFileList->m_nStart)];
  if (!path.IsEmpty()) OpenDocumentFile(path);
  return TRUE;
}

void CWinApp::OnAppExit() {
  if (m_pMainWnd) m_pMainWnd->SendMessage(WM_CLOSE);
}

BOOL CWinApp::SaveAllModified() {
  for (CDocTemplate* t : m_templates)
    if (!t->SaveAllModified()) return FALSE;
  return TRUE;
}

void CWinApp::CloseAllDocuments(BOOL bEndSession) {
  for (CDocTemplate* t : m_templates) t->CloseAllDocuments(bEndSession);
}

void CWinApp::BeginWaitCursor() { m_waitRestore.push_back(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT_ID))); }

void CWinApp::EndWaitCursor() {
  if (m_waitRestore.empty()) return;
  ::SetCursor(m_waitRestore.back());
  m_waitRestore.pop_back();
}

CWaitCursor::CWaitCursor() {
  if (CWinApp* app = AfxGetApp()) app->BeginWaitCursor();
}
CWaitCursor::~CWaitCursor() {
  if (CWinApp* app = AfxGetApp()) app->EndWaitCursor();
}

int AfxWinMain(int argc, char** argv) {
  CWinApp* app = AfxGetApp();
  if (!app) return -1;
  app->SetCommandLine(argc, argv);
  if (!app->InitInstance()) {
    // Initialisation failed: whatever window it made goes, and the exit code says so.
    if (app->m_pMainWnd) app->m_pMainWnd->DestroyWindow();
    app->ExitInstance();
    return -1;
  }
  return app->Run();
}
