#include "platform/afx/DocView.h"

#include "platform/afx/ControlBar.h"

#include "platform/afx/Archive.h"
#include "platform/afx/Exception.h"
#include "platform/afx/File.h"
#include "platform/afx/FileDialog.h"
#include "platform/afx/Menu.h"
#include "platform/afx/PaintDC.h"
#include "platform/afx/SafeFile.h"
#include "platform/afx/WinApp.h"
#include "platform/win/DropFiles.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Resource.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)
IMPLEMENT_DYNAMIC(CView, CWnd)
IMPLEMENT_DYNAMIC(CFrameWnd, CWnd)
IMPLEMENT_DYNAMIC(CDocTemplate, CCmdTarget)
IMPLEMENT_DYNAMIC(CSingleDocTemplate, CDocTemplate)

// ---------------------------------------------------------------------------------------------
// Prompts

CString AfxLoadString(UINT nID) {
  const std::wstring registered = velmora::win::LoadStringResource(nID);
  if (!registered.empty()) return CString(registered.c_str());
  switch (nID) {
    case AFX_IDP_FAILED_TO_OPEN_DOC: return L"Failed to open document.";
    case AFX_IDP_FAILED_TO_SAVE_DOC: return L"Failed to save document.";
    case AFX_IDP_FAILED_TO_CREATE_DOC: return L"Failed to create empty document.";
    case AFX_IDP_COMMAND_FAILURE: return L"Command failed.";
    case AFX_IDP_ASK_TO_SAVE: return L"Save changes to %1?";
    default: return CString();
  }
}

int AfxMessageBox(LPCWSTR lpszText, UINT nType, UINT) {
  CWinApp* app = AfxGetApp();
  CWnd* owner = AfxGetMainWnd();
  const CString caption = app ? app->m_strAppName : CString(L"Velmora");
  return ::MessageBoxW(owner ? owner->GetSafeHwnd() : nullptr, lpszText, caption, nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp) {
  return AfxMessageBox(AfxLoadString(nIDPrompt), nType, nIDHelp);
}

namespace {
// The string with its first "%1" replaced.
CString Substitute(const CString& format, const CString& value) {
  const int at = format.Find(L"%1");
  if (at < 0) return format;
  return format.Left(at) + value + format.Mid(at + 2);
}

CString FileNameOf(const CString& path) {
  const int slash = std::max(path.ReverseFind(L'/'), path.ReverseFind(L'\\'));
  return path.Mid(slash + 1);
}
}  // namespace

// ---------------------------------------------------------------------------------------------
// CDocument

BEGIN_MESSAGE_MAP(CDocument, CCmdTarget)
ON_COMMAND(ID_FILE_SAVE, OnFileSave)
ON_COMMAND(ID_FILE_SAVE_AS, OnFileSaveAs)
END_MESSAGE_MAP()

CDocument::~CDocument() {
  for (CView* v : m_views) v->m_pDocument = nullptr;
  if (m_pDocTemplate) m_pDocTemplate->RemoveDocument(this);
}

void CDocument::AddView(CView* pView) {
  if (!pView || pView->m_pDocument == this) return;
  if (pView->m_pDocument) pView->m_pDocument->RemoveView(pView);
  m_views.push_back(pView);
  pView->m_pDocument = this;
}

void CDocument::RemoveView(CView* pView) {
  auto it = std::find(m_views.begin(), m_views.end(), pView);
  if (it == m_views.end()) return;
  m_views.erase(it);
  pView->m_pDocument = nullptr;
}

void CDocument::UpdateAllViews(CView* pSender, LPARAM lHint, CObject* pHint) {
  const std::vector<CView*> views = m_views;
  for (CView* v : views)
    if (v != pSender) v->OnUpdate(pSender, lHint, pHint);
}

void CDocument::SetPathName(LPCWSTR lpszPathName, BOOL bAddToMRU) {
  CString path = lpszPathName ? lpszPathName : L"";
  if (!path.IsEmpty()) {
    std::error_code ec;
    const auto full = std::filesystem::absolute(std::filesystem::path(path.ToUtf8()), ec);
    if (!ec) path = CString::FromUtf8(full.lexically_normal().string());
  }
  m_strPathName = path;
  SetTitle(FileNameOf(path));
  if (bAddToMRU && !path.IsEmpty())
    if (CWinApp* app = AfxGetApp()) app->AddToRecentFileList(path);
}

void CDocument::SetTitle(LPCWSTR lpszTitle) { m_strTitle = lpszTitle ? lpszTitle : L""; }

BOOL CDocument::OnNewDocument() {
  DeleteContents();
  m_strPathName.Empty();
  SetModifiedFlag(FALSE);
  return TRUE;
}

CFile* CDocument::GetFile(LPCWSTR lpszFileName, UINT nOpenFlags, CFileException* pError) {
  // A file made anew is written beside its target and takes its place only when released
  // complete: a save that fails on the way keeps the previous file.
  const bool replace = (nOpenFlags & CFile::modeCreate) && !(nOpenFlags & CFile::modeNoTruncate);
  std::unique_ptr<CFile> file = replace ? std::make_unique<CSafeFile>() : std::make_unique<CFile>();
  if (!file->Open(lpszFileName, nOpenFlags, pError)) return nullptr;
  return file.release();
}

void CDocument::ReleaseFile(CFile* pFile, BOOL bAbort) {
  if (!pFile) return;
  if (bAbort) pFile->Abort();
  else pFile->Close();
  delete pFile;
}

CString CDocument::DescribeFailure(const CException* e) {
  if (const auto* fe = dynamic_cast<const CFileException*>(e)) {
    switch (fe->m_lOsError) {
      case EISDIR: return L"It is a folder, not a file.";
      case EACCES:
      case EPERM: return L"Permission denied.";
      case EROFS: return L"The disk is read-only.";
      case ENOENT: return L"The file or its folder does not exist.";
      case ENOSPC:
      case EDQUOT: return L"The disk is full.";
      case EFBIG: return L"The file is too large.";
      default: break;
    }
    if (fe->m_lOsError > 0) return CString::FromUtf8(std::strerror(int(fe->m_lOsError))) + L".";
    return fe->m_cause == CFileException::diskFull ? CString(L"The disk is full.") : CString(L"The file could not be read or written.");
  }
  if (const auto* ae = dynamic_cast<const CArchiveException*>(e))
    return ae->m_cause == CArchiveException::endOfFile ? CString(L"The file is truncated.")
                                                       : CString(L"The file is damaged.");
  if (dynamic_cast<const CMemoryException*>(e)) return L"Out of memory.";
  return CString();
}

void CDocument::ReportSaveLoadFailure(LPCWSTR lpszPathName, UINT nIDPDefault, const CString& cause) {
  CString text = AfxLoadString(nIDPDefault);
  if (lpszPathName && *lpszPathName) text += CString(L"\n") + lpszPathName;
  if (!cause.IsEmpty()) text += L"\n" + cause;
  AfxMessageBox(text, MB_OK | MB_ICONSTOP);
}

void CDocument::ReportSaveLoadException(LPCWSTR lpszPathName, const CException* e, BOOL, UINT nIDPDefault) {
  ReportSaveLoadFailure(lpszPathName, nIDPDefault, DescribeFailure(e));
}

BOOL CDocument::LoadFrom(CFile* pFile, LPCWSTR lpszPathName) {
  try {
    if (pFile->GetLength() != 0) {
      CArchive ar(pFile, CArchive::load | CArchive::bNoFlushOnDelete);
      ar.m_pDocument = this;
      Serialize(ar);
      ar.Close();
    }
    ReleaseFile(pFile, FALSE);
  } catch (const CException& e) {
    ReleaseFile(pFile, TRUE);
    ReportSaveLoadException(lpszPathName, &e, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
    return FALSE;
  }
  return TRUE;
}

BOOL CDocument::OnOpenDocument(LPCWSTR lpszPathName) {
  // The file first: a file that does not open leaves the document exactly as it was.
  CFileException fe;
  CFile* file = GetFile(lpszPathName, CFile::modeRead | CFile::shareDenyWrite, &fe);
  if (!file) {
    ReportSaveLoadException(lpszPathName, &fe, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
    return FALSE;
  }
  DeleteContents();
  SetModifiedFlag(TRUE);  // dirty while loading: a failed load leaves a changed document
  if (!LoadFrom(file, lpszPathName)) {
    DeleteContents();
    return FALSE;
  }
  SetModifiedFlag(FALSE);
  return TRUE;
}

BOOL CDocument::OnSaveDocument(LPCWSTR lpszPathName) {
  CFileException fe;
  CFile* file = GetFile(lpszPathName, CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive, &fe);
  if (!file) {
    ReportSaveLoadException(lpszPathName, &fe, TRUE, AFX_IDP_FAILED_TO_SAVE_DOC);
    return FALSE;
  }
  try {
    CArchive ar(file, CArchive::store | CArchive::bNoFlushOnDelete);
    ar.m_pDocument = this;
    Serialize(ar);
    ar.Close();
    // Releasing puts the new file in the old one's place; until then the old one is whole.
    ReleaseFile(file, FALSE);
  } catch (const CException& e) {
    ReleaseFile(file, TRUE);
    ReportSaveLoadException(lpszPathName, &e, TRUE, AFX_IDP_FAILED_TO_SAVE_DOC);
    return FALSE;
  }
  SetModifiedFlag(FALSE);
  return TRUE;
}

void CDocument::OnCloseDocument() {
  // Closing the frames must not delete the document under our feet.
  const BOOL autoDelete = m_bAutoDelete;
  m_bAutoDelete = FALSE;
  std::vector<HWND> frames;
  for (CView* v : m_views)
    if (CFrameWnd* f = v->GetParentFrame(); f && std::find(frames.begin(), frames.end(), f->m_hWnd) == frames.end())
      frames.push_back(f->m_hWnd);
  for (HWND h : frames)
    if (CWnd* f = CWnd::FromHandle(h)) f->DestroyWindow();
  m_bAutoDelete = autoDelete;
  DeleteContents();
  if (m_bAutoDelete) delete this;
}

BOOL CDocument::SaveModified() {
  if (!IsModified()) return TRUE;
  CString name = m_strPathName.IsEmpty() ? m_strTitle : FileNameOf(m_strPathName);
  if (name.IsEmpty()) name = L"untitled";
  switch (AfxMessageBox(Substitute(AfxLoadString(AFX_IDP_ASK_TO_SAVE), name), MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDCANCEL: return FALSE;
    case IDYES:
      // Going on after a save that was cancelled or failed would throw the changes away.
      if (!DoFileSave()) return FALSE;
      return IsModified() ? FALSE : TRUE;
    default: return TRUE;
  }
}

BOOL CDocument::DoSave(LPCWSTR lpszPathName, BOOL bReplace) {
  CString newName = lpszPathName ? lpszPathName : L"";
  if (newName.IsEmpty()) {
    CString filter, ext;
    if (m_pDocTemplate) m_pDocTemplate->GetFileFilter(filter, ext);
    const CString suggest = m_strPathName.IsEmpty() ? m_strTitle : m_strPathName;
    CFileDialog dlg(FALSE, ext.IsEmpty() ? nullptr : ext.GetString(), suggest,
                    OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, filter.IsEmpty() ? nullptr : filter.GetString(),
                    AfxGetMainWnd());
    if (dlg.DoModal() != IDOK) return FALSE;
    newName = dlg.GetPathName();
    if (newName.IsEmpty()) return FALSE;
  }
  // The path changes only once the file is written: a failed save leaves the old one in place.
  if (!OnSaveDocument(newName)) return FALSE;
  if (bReplace) SetPathName(newName);
  return TRUE;
}

BOOL CDocument::DoFileSave() {
  if (m_strPathName.IsEmpty()) return DoSave(nullptr);
  return DoSave(m_strPathName);
}

// ---------------------------------------------------------------------------------------------
// CView

BEGIN_MESSAGE_MAP(CView, CWnd)
ON_WM_CREATE()
ON_WM_PAINT()
ON_MESSAGE(WM_INITIALUPDATE, OnInitialUpdateMessage)
END_MESSAGE_MAP()

CView::~CView() {
  if (m_pDocument) m_pDocument->RemoveView(this);
}

CFrameWnd* CView::GetParentFrame() const {
  for (CWnd* w = GetParent(); w; w = w->GetParent())
    if (auto* f = dynamic_cast<CFrameWnd*>(w)) return f;
  return nullptr;
}

BOOL CView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  return m_pDocument && m_pDocument->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

int CView::OnCreate(LPCREATESTRUCT lpcs) {
  if (CWnd::OnCreate(lpcs) == -1) return -1;
  // A view made through a creation context joins that context's document.
  if (lpcs && lpcs->lpCreateParams)
    if (CDocument* doc = static_cast<CCreateContext*>(lpcs->lpCreateParams)->m_pCurrentDoc) doc->AddView(this);
  return 0;
}

void CView::OnPaint() {
  CPaintDC dc(this);
  OnPrepareDC(&dc);
  OnDraw(&dc);
}

void CView::OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }

void CView::OnUpdate(CView*, LPARAM, CObject*) { Invalidate(TRUE); }

LRESULT CView::OnInitialUpdateMessage(WPARAM, LPARAM) {
  OnInitialUpdate();
  return 0;
}

// ---------------------------------------------------------------------------------------------
// CFrameWnd

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_WM_CLOSE()
ON_WM_SIZE()
ON_WM_SETFOCUS()
ON_MESSAGE(WM_DROPFILES, OnDropFilesMessage)
END_MESSAGE_MAP()

void CFrameWnd::OnSetFocus(CWnd*) {
  if (m_pViewActive && m_pViewActive->GetSafeHwnd()) m_pViewActive->SetFocus();
}

LRESULT CFrameWnd::OnDropFilesMessage(WPARAM wParam, LPARAM) {
  OnDropFiles(reinterpret_cast<HDROP>(wParam));
  return 0;
}

void CFrameWnd::OnDropFiles(HDROP hDropInfo) {
  // The list is read whole first: opening a document runs the message loop's work.
  std::vector<CString> names;
  const UINT count = ::DragQueryFileW(hDropInfo, 0xFFFFFFFFu, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::wstring name(::DragQueryFileW(hDropInfo, i, nullptr, 0), L'\0');
    if (name.empty()) continue;
    ::DragQueryFileW(hDropInfo, i, name.data(), static_cast<UINT>(name.size() + 1));
    names.emplace_back(name.c_str());
  }
  ::DragFinish(hDropInfo);
  CWinApp* app = AfxGetApp();
  for (const CString& name : names)
    if (app) app->OpenDocumentFile(name);
}

CFrameWnd::~CFrameWnd() {
  if (m_hAccelTable) ::DestroyAcceleratorTable(m_hAccelTable);
  if (m_hMenuOwned) ::DestroyMenu(m_hMenuOwned);
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (m_pViewActive && m_pViewActive->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  CWinApp* app = AfxGetApp();
  return app && app->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg) {
  if (!pMsg || !m_hAccelTable) return FALSE;
  switch (pMsg->message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CHAR:
    case WM_SYSCHAR: return ::TranslateAcceleratorW(m_hWnd, m_hAccelTable, pMsg) ? TRUE : FALSE;
    default: return FALSE;
  }
}

void CFrameWnd::UpdateMenuCmdUI(CMenu* pMenu) {
  if (!pMenu) return;
  UINT n = pMenu->GetMenuItemCount();
  if (n == static_cast<UINT>(-1)) return;
  for (UINT i = 0; i < n; ++i) {
    if (CMenu* sub = pMenu->GetSubMenu(static_cast<int>(i))) {
      UpdateMenuCmdUI(sub);
      continue;
    }
    const UINT id = pMenu->GetMenuItemID(static_cast<int>(i));
    if (id == 0 || id == static_cast<UINT>(-1)) continue;  // separators
    CCmdUI state;
    state.m_nID = id;
    state.m_nIndex = i;
    state.m_nIndexMax = n;
    state.m_pMenu = pMenu;
    state.DoUpdate(this, TRUE);
    // The handler may have put items in or taken them out (the recent files).
    n = std::min(state.m_nIndexMax, pMenu->GetMenuItemCount());
    i = state.m_nIndex;
  }
}

void CFrameWnd::OnIdleUpdateCmdUI() { UpdateMenuCmdUI(GetMenu()); }

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext) {
  const CString strings = AfxLoadString(nIDResource);
  const int nl = strings.Find(L'\n');
  const CString title = nl < 0 ? strings : strings.Left(nl);
  if (HMENU menu = ::LoadMenuW(nullptr, nIDResource)) {
    m_hMenuOwned = menu;
    SetMenu(CMenu::FromHandle(menu));
  }
  if (!m_hAccelTable) m_hAccelTable = ::LoadAcceleratorsW(nullptr, nIDResource);
  // On failure the window's destruction has deleted this frame: touch nothing after it.
  return Create(nullptr, title, dwDefaultStyle, RECT{0, 0, 1024, 768}, pParentWnd, 0, pContext);
}

CWnd* CFrameWnd::CreateView(CCreateContext* pContext, UINT nID) {
  if (!pContext || !pContext->m_pNewViewClass) return nullptr;
  CObject* obj = pContext->m_pNewViewClass->CreateObject();
  auto* view = dynamic_cast<CView*>(obj);
  if (!view) {
    delete obj;
    return nullptr;
  }
  RECT rc;
  GetClientRect(&rc);
  // A view whose creation fails has deleted itself with its window.
  if (!view->Create(nullptr, L"", WS_CHILD | WS_VISIBLE, rc, this, nID, pContext)) return nullptr;
  m_createdViews.push_back(view->m_hWnd);
  if (nID == AFX_IDW_PANE_FIRST) m_hPane = view->m_hWnd;
  return view;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, void* pContext) {
  auto* ctx = static_cast<CCreateContext*>(pContext);
  if (!ctx || !ctx->m_pNewViewClass) return TRUE;
  auto* view = static_cast<CView*>(CreateView(ctx));
  if (!view) return FALSE;
  if (!m_pViewActive) SetActiveView(view);
  return TRUE;
}

int CFrameWnd::OnCreate(LPCREATESTRUCT lpcs) {
  if (CWnd::OnCreate(lpcs) == -1) return -1;
  return OnCreateClient(lpcs, lpcs ? lpcs->lpCreateParams : nullptr) ? 0 : -1;
}

void CFrameWnd::InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible) {
  if (pDoc && !m_pViewActive)
    for (CView* v : pDoc->GetViews())
      if (v->GetParentFrame() == this) {
        SetActiveView(v);
        break;
      }
  if (pDoc) {
    const std::vector<CView*> views = pDoc->GetViews();
    for (CView* v : views)
      if (v->GetParentFrame() == this) v->SendMessage(WM_INITIALUPDATE);
  }
  if (bMakeVisible && !IsWindowVisible()) ShowWindow(SW_SHOW);
}

void CFrameWnd::OnDestroy() {
  // Bars outlive nothing of the frame: they forget it, and it forgets them.
  for (CControlBar* bar : m_bars) bar->m_hFrame = nullptr;
  m_bars.clear();
  // The views this frame made go with it; the active view pointer must not outlive them.
  m_pViewActive = nullptr;
  const std::vector<HWND> views = std::move(m_createdViews);
  for (HWND h : views)
    if (CWnd* v = CWnd::FromHandle(h)) v->DestroyWindow();
  // A pane window of the frame's own (a splitter) takes its panes down with it.
  if (CWnd* pane = CWnd::FromHandle(m_hPane)) pane->DestroyWindow();
  m_hPane = nullptr;
  CWinApp* app = AfxGetApp();
  if (app && app->m_pMainWnd == this) {
    // The main window going ends the message loop.
    app->m_pMainWnd = nullptr;
    ::PostQuitMessage(0);
  }
  CWnd::OnDestroy();
}

void CFrameWnd::OnClose() {
  CDocument* doc = GetActiveDocument();
  if (doc && !doc->SaveModified()) return;
  const HWND self = m_hWnd;
  if (doc && doc->GetDocTemplate()) doc->OnCloseDocument();
  if (CWnd::FromHandle(self) == this) DestroyWindow();
}

// ---------------------------------------------------------------------------------------------
// Document templates

CDocTemplate::CDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                           CRuntimeClass* pViewClass)
    : m_nIDResource(nIDResource), m_pDocClass(pDocClass), m_pFrameClass(pFrameClass), m_pViewClass(pViewClass) {}

CDocTemplate::~CDocTemplate() {
  while (!m_docs.empty()) {
    CDocument* d = m_docs.back();
    m_docs.pop_back();
    d->m_pDocTemplate = nullptr;
    delete d;
  }
}

BOOL CDocTemplate::GetDocString(CString& rString, enum DocStringIndex index) const {
  CString all = AfxLoadString(m_nIDResource);
  for (int i = 0; i < static_cast<int>(index); ++i) {
    const int nl = all.Find(L'\n');
    if (nl < 0) {
      rString.Empty();
      return FALSE;
    }
    all = all.Mid(nl + 1);
  }
  const int nl = all.Find(L'\n');
  rString = nl < 0 ? all : all.Left(nl);
  return rString.IsEmpty() ? FALSE : TRUE;
}

void CDocTemplate::GetFileFilter(CString& rFilter, CString& rExt) const {
  CString name;
  GetDocString(name, filterName);
  GetDocString(rExt, filterExt);
  if (!rExt.IsEmpty() && rExt[0] == L'.') rExt = rExt.Mid(1);
  rFilter = rExt.IsEmpty() ? CString() : name + L"|*." + rExt + L"||";
}

void CDocTemplate::AddDocument(CDocument* pDoc) {
  if (!pDoc || pDoc->m_pDocTemplate == this) return;
  if (pDoc->m_pDocTemplate) pDoc->m_pDocTemplate->RemoveDocument(pDoc);
  m_docs.push_back(pDoc);
  pDoc->m_pDocTemplate = this;
}

void CDocTemplate::RemoveDocument(CDocument* pDoc) {
  auto it = std::find(m_docs.begin(), m_docs.end(), pDoc);
  if (it == m_docs.end()) return;
  m_docs.erase(it);
  pDoc->m_pDocTemplate = nullptr;
}

CDocument* CDocTemplate::CreateNewDocument() {
  CObject* obj = m_pDocClass ? m_pDocClass->CreateObject() : nullptr;
  auto* doc = dynamic_cast<CDocument*>(obj);
  if (!doc) {
    delete obj;
    return nullptr;
  }
  AddDocument(doc);
  return doc;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* pDoc, CFrameWnd* pOther) {
  CObject* obj = m_pFrameClass ? m_pFrameClass->CreateObject() : nullptr;
  auto* frame = dynamic_cast<CFrameWnd*>(obj);
  if (!frame) {
    delete obj;
    return nullptr;
  }
  CCreateContext ctx;
  ctx.m_pCurrentFrame = pOther;
  ctx.m_pCurrentDoc = pDoc;
  ctx.m_pNewViewClass = m_pViewClass;
  ctx.m_pNewDocTemplate = this;
  if (!frame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW, nullptr, &ctx)) return nullptr;
  return frame;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible) {
  if (pFrame) pFrame->InitialUpdateFrame(pDoc, bMakeVisible);
}

void CDocTemplate::SetDefaultTitle(CDocument* pDocument) {
  if (!pDocument) return;
  CString title;
  if (!GetDocString(title, docName)) title = L"untitled";
  pDocument->SetTitle(title);
}

BOOL CDocTemplate::SaveAllModified() {
  const std::vector<CDocument*> docs = m_docs;
  for (CDocument* d : docs)
    if (!d->SaveModified()) return FALSE;
  return TRUE;
}

void CDocTemplate::CloseAllDocuments(BOOL) {
  const std::vector<CDocument*> docs = m_docs;
  for (CDocument* d : docs) d->OnCloseDocument();
}

CDocument* CSingleDocTemplate::OpenDocumentFile(LPCWSTR lpszPathName, BOOL bMakeVisible) {
  CDocument* doc = m_docs.empty() ? nullptr : m_docs.front();
  CFrameWnd* frame = nullptr;
  bool createdDoc = false;
  if (doc) {
    if (!doc->SaveModified()) return nullptr;
    for (CView* v : doc->GetViews())
      if ((frame = v->GetParentFrame())) break;
  } else {
    doc = CreateNewDocument();
    if (!doc) {
      AfxMessageBox(AFX_IDP_FAILED_TO_CREATE_DOC);
      return nullptr;
    }
    createdDoc = true;
  }
  bool createdFrame = false;
  if (!frame) {
    frame = CreateNewFrame(doc, nullptr);
    if (!frame) {
      AfxMessageBox(AFX_IDP_FAILED_TO_CREATE_DOC);
      if (createdDoc) delete doc;
      return nullptr;
    }
    createdFrame = true;
  }
  auto undo = [&] {
    if (createdFrame)
      if (CWnd* f = CWnd::FromHandle(frame->m_hWnd)) f->DestroyWindow();
    if (createdDoc) delete doc;
  };
  if (!lpszPathName) {
    SetDefaultTitle(doc);
    if (!doc->OnNewDocument()) {
      undo();
      return nullptr;
    }
  } else {
    const BOOL wasModified = doc->IsModified();
    doc->SetModifiedFlag(FALSE);  // a load marks it again; an untouched document stays clean
    if (!doc->OnOpenDocument(lpszPathName)) {
      if (createdFrame) {
        undo();
        return nullptr;
      }
      if (!doc->IsModified()) {
        doc->SetModifiedFlag(wasModified);  // the file never opened: the document is as it was
      } else {
        // The load had begun and the contents are gone: start a clean untitled document.
        SetDefaultTitle(doc);
        doc->OnNewDocument();
      }
      return nullptr;
    }
    doc->SetPathName(lpszPathName);
  }
  if (createdFrame) {
    CWinApp* app = AfxGetApp();
    if (app && !app->m_pMainWnd) app->m_pMainWnd = frame;
  }
  // A reused frame's views show the new contents too: every new or opened document gets them.
  InitialUpdateFrame(frame, doc, bMakeVisible);
  return doc;
}
