#include "sockwell/DLLWrapper.h"

#include "platform/vurode/Accessors.h"
#include "platform/win/Error.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Module.h"

#include <cstring>

namespace {
template <class Fn>
Fn Bind(HMODULE h, const char* name) {
  return reinterpret_cast<Fn>(::GetProcAddress(h, name));
}
}  // namespace

CDLLWrapper::CDLLWrapper() {
  m_Info.nPass = 0;
  m_Info.nKind = 0;
  std::memset(m_Info.reserved1, 0, sizeof m_Info.reserved1);
  m_Info.pfnFileImport = nullptr;
  m_Info.pfnFileExport = nullptr;
  m_Info.nCleared = 0;
  std::memset(m_Info.reserved2, 0, sizeof m_Info.reserved2);
}

CDLLWrapper::CDLLWrapper(CDLLWrapper& src) : CDLLWrapper() { TakeOver(src); }

CDLLWrapper& CDLLWrapper::operator=(CDLLWrapper& src) {
  if (this != &src) {
    FreeDLL();
    TakeOver(src);
  }
  return *this;
}

CDLLWrapper::~CDLLWrapper() { FreeDLL(); }

void CDLLWrapper::TakeOver(CDLLWrapper& src) {
  m_strPath = src.m_strPath;
  m_hModule = src.m_hModule;
  m_pfnInitialiseDLL = src.m_pfnInitialiseDLL;
  m_pfnReleaseDLL = src.m_pfnReleaseDLL;
  m_pfnMergeMenu = src.m_pfnMergeMenu;
  m_pfnMergeAccelerator = src.m_pfnMergeAccelerator;
  m_pfnGetPreMessageMap = src.m_pfnGetPreMessageMap;
  m_pfnGetPostMessageMap = src.m_pfnGetPostMessageMap;
  m_Info.pfnFileImport = src.m_Info.pfnFileImport;
  m_Info.pfnFileExport = src.m_Info.pfnFileExport;
  src.m_strPath.Empty();
  src.m_hModule = nullptr;
  src.InitFunNull();
}

bool CDLLWrapper::LoadDLL(const CString& strPath) {
  FreeDLL();  // a record holds one module
  m_strPath = strPath;
  m_hModule = ::LoadLibraryW(strPath);
  if (!m_hModule) {
    wchar_t* text = nullptr;
    ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, ::GetLastError(), 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    ::MessageBoxW(nullptr, text ? text : L"", L"Error", MB_OK | MB_ICONINFORMATION);
    ::LocalFree(text);
    m_strPath.Empty();  // the record stays, empty
    return false;
  }
  m_pfnInitialiseDLL = Bind<PFN_InitialiseDLL>(m_hModule, "InitialiseDLL");
  m_pfnReleaseDLL = Bind<PFN_ReleaseDLL>(m_hModule, "ReleaseDLL");
  m_pfnGetPreMessageMap = Bind<PFN_GetMessageMap>(m_hModule, "GetPreMessageMap");
  m_pfnGetPostMessageMap = Bind<PFN_GetMessageMap>(m_hModule, "GetPostMessageMap");
  m_pfnMergeMenu = Bind<PFN_MergeFrame>(m_hModule, "MergeMenu");
  m_pfnMergeAccelerator = Bind<PFN_MergeFrame>(m_hModule, "MergeAccelerator");
  m_Info.pfnFileImport = Bind<PFN_FileImport>(m_hModule, "FileImport");
  m_Info.pfnFileExport = Bind<PFN_FileExport>(m_hModule, "FileExport");
  return true;
}

void CDLLWrapper::InitFunNull() {
  m_pfnInitialiseDLL = nullptr;
  m_pfnReleaseDLL = nullptr;
  m_pfnMergeMenu = nullptr;
  m_pfnMergeAccelerator = nullptr;
  m_pfnGetPreMessageMap = nullptr;
  m_pfnGetPostMessageMap = nullptr;
  m_Info.pfnFileImport = nullptr;
  m_Info.pfnFileExport = nullptr;
}

bool CDLLWrapper::FreeDLL() {
  if (m_hModule) {
    ::FreeLibrary(m_hModule);
    m_hModule = nullptr;
    m_strPath.Empty();
    InitFunNull();
  }
  return true;
}

bool CDLLWrapper::InitialiseDLL(CWinApp* pApp) {
  if (!gGetKXGlobal()) return false;
  if (m_pfnInitialiseDLL) m_pfnInitialiseDLL(pApp, &m_Info);
  return true;
}

void CDLLWrapper::ReleaseDLL() {
  if (m_pfnReleaseDLL) m_pfnReleaseDLL();
}

const AFX_MSGMAP* CDLLWrapper::GetPreMessageMap(LPCWSTR lpszHostClass) {
  return m_pfnGetPreMessageMap ? m_pfnGetPreMessageMap(lpszHostClass) : nullptr;
}

const AFX_MSGMAP* CDLLWrapper::GetPostMessageMap(LPCWSTR lpszHostClass) {
  return m_pfnGetPostMessageMap ? m_pfnGetPostMessageMap(lpszHostClass) : nullptr;
}

void CDLLWrapper::MergeMenu(CPISMainFrame* pFrame) {
  if (m_pfnMergeMenu) m_pfnMergeMenu(pFrame);
}

void CDLLWrapper::MergeAccelerator(CPISMainFrame* pFrame) {
  if (m_pfnMergeAccelerator) m_pfnMergeAccelerator(pFrame);
}
