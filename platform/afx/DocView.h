// Documents, views, frames and document templates: the frame routes commands to its active
// view, the view to its document, and what remains to the application. The document's file
// flows (new, open, save, save as, save-modified prompt) live here with the order that keeps the
// drawing safe: a file is opened before anything of the document changes, a failed save keeps the
// old path, and a prompt answered "save" goes on only when the save really happened.
#pragma once

#include "platform/afx/Wnd.h"

#include <vector>

class CArchive;
class CDC;
class CDocTemplate;
class CDocument;
class CException;
class CFile;
class CFileException;
class CFrameWnd;
class CView;
class CControlBar;
class CPrintInfo;
class CPrintJob;
class CPreviewView;
struct CPrintPreviewState;

// The class library's own prompts (resource numbers; texts in AfxLoadString).
constexpr UINT AFX_IDP_FAILED_TO_OPEN_DOC = 61697;
constexpr UINT AFX_IDP_FAILED_TO_SAVE_DOC = 61698;
constexpr UINT AFX_IDP_FAILED_TO_CREATE_DOC = 61699;
constexpr UINT AFX_IDP_COMMAND_FAILURE = 61705;
constexpr UINT AFX_IDP_ASK_TO_SAVE = 61706;
// Standard command ids.
constexpr UINT ID_FILE_NEW = 57600;
constexpr UINT ID_FILE_OPEN = 57601;
constexpr UINT ID_FILE_CLOSE = 57602;
constexpr UINT ID_FILE_SAVE = 57603;
constexpr UINT ID_FILE_SAVE_AS = 57604;
// The recent-file items on the File menu, newest first.
constexpr UINT ID_FILE_MRU_FILE1 = 0xE110;
constexpr UINT ID_FILE_MRU_FILE2 = 0xE111;
constexpr UINT ID_FILE_MRU_FILE3 = 0xE112;
constexpr UINT ID_FILE_MRU_FILE4 = 0xE113;
constexpr UINT ID_FILE_MRU_LAST = 0xE11F;
constexpr UINT ID_APP_EXIT = 57665;
// The first (and, without a splitter, only) view pane.
constexpr UINT AFX_IDW_PANE_FIRST = 0xE900;

// What a frame needs to build its client area: handed through CWnd::Create's context.
struct CCreateContext {
  CRuntimeClass* m_pNewViewClass = nullptr;
  CDocument* m_pCurrentDoc = nullptr;
  CDocTemplate* m_pNewDocTemplate = nullptr;
  CView* m_pLastView = nullptr;
  CFrameWnd* m_pCurrentFrame = nullptr;
};

class CDocument : public CCmdTarget {
  DECLARE_DYNAMIC(CDocument)

 public:
  // Leaves its template and its views.
  ~CDocument() override;

  virtual BOOL IsModified() { return m_bModified; }
  virtual void SetModifiedFlag(BOOL bModified = TRUE) { m_bModified = bModified; }

  void AddView(CView* pView);
  void RemoveView(CView* pView);
  const std::vector<CView*>& GetViews() const { return m_views; }
  // Invalidates every view but the sender (through CView::OnUpdate).
  void UpdateAllViews(CView* pSender, LPARAM lHint = 0, CObject* pHint = nullptr);

  const CString& GetPathName() const { return m_strPathName; }
  // Takes the path and, as title, its file name; adds the path to the recent files when asked.
  virtual void SetPathName(LPCWSTR lpszPathName, BOOL bAddToMRU = TRUE);
  const CString& GetTitle() const { return m_strTitle; }
  virtual void SetTitle(LPCWSTR lpszTitle);
  CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }

  // Clears the contents, path and modified flag; FALSE only from overrides.
  virtual BOOL OnNewDocument();
  // Opens the file first: when it cannot be opened the failure is reported and the document is
  // untouched. Then the contents are deleted and the file is loaded (buffer 4096); a load error is
  // reported, leaves the contents deleted and the document marked modified, and gives FALSE.
  virtual BOOL OnOpenDocument(LPCWSTR lpszPathName);
  // Stores into a new file that replaces the old one only once complete; a file that cannot be
  // created or a storing error is reported with its cause and gives FALSE, and the previous file
  // stays as it was; the modified flag is cleared on success only.
  virtual BOOL OnSaveDocument(LPCWSTR lpszPathName);
  // Deletes the contents, closes the frames showing the document and, with m_bAutoDelete, the
  // document itself.
  virtual void OnCloseDocument();
  virtual void DeleteContents() {}
  // Asks "Save changes to <title>?" when modified: Cancel gives FALSE; Yes saves, and gives TRUE
  // only when the document is no longer modified afterwards (a cancelled or failed save stops the
  // caller); No gives TRUE.
  virtual BOOL SaveModified();
  // With a null path, asks for one with the save dialog. The document takes the new path only
  // after the file was written (with bReplace); a failed save keeps the old one.
  virtual BOOL DoSave(LPCWSTR lpszPathName, BOOL bReplace = TRUE);
  // Save: as DoSave with the current path, or with a dialog when there is none.
  virtual BOOL DoFileSave();

  // The opened file (owned by the caller through ReleaseFile), or null with the error filled. A
  // file opened to be created anew (modeCreate without modeNoTruncate) is a CSafeFile: it
  // replaces its target when released without abort, and an aborted one leaves the target as it
  // was.
  virtual CFile* GetFile(LPCWSTR lpszFileName, UINT nOpenFlags, CFileException* pError);
  // Closes (which may throw CFileException, the file then still to be released with bAbort) or
  // aborts the file, then deletes it.
  virtual void ReleaseFile(CFile* pFile, BOOL bAbort);
  // Message box for a failed load or save: the default prompt, the file name and the cause.
  virtual void ReportSaveLoadException(LPCWSTR lpszPathName, const CException* e, BOOL bSaving, UINT nIDPDefault);
  // The same with the cause given as a sentence (none when empty).
  void ReportSaveLoadFailure(LPCWSTR lpszPathName, UINT nIDPDefault, const CString& cause);
  // Why a load or save failed, as a sentence for the operator ("Permission denied.", "The file
  // is truncated."); empty when the exception says nothing.
  static CString DescribeFailure(const CException* e);

  // Deleted by OnCloseDocument and by its template (TRUE by default).
  BOOL m_bAutoDelete = TRUE;

 protected:
  CDocument() = default;
  // Loads the open file into the document through an archive (nothing for an empty file) and
  // releases it; a load error is reported with its cause and gives FALSE.
  BOOL LoadFrom(CFile* pFile, LPCWSTR lpszPathName);
  void OnFileSave() { DoFileSave(); }
  void OnFileSaveAs() { DoSave(nullptr); }

  BOOL m_bModified = FALSE;
  CString m_strPathName;
  CString m_strTitle;
  CDocTemplate* m_pDocTemplate = nullptr;

  DECLARE_MESSAGE_MAP()

 private:
  std::vector<CView*> m_views;
  friend class CDocTemplate;
};

class CView : public CWnd {
  DECLARE_DYNAMIC(CView)

 public:
  ~CView() override;

  CDocument* GetDocument() const { return m_pDocument; }
  // The frame holding the view (its nearest CFrameWnd ancestor), or null.
  CFrameWnd* GetParentFrame() const;
  virtual void OnDraw(CDC* pDC) = 0;
  virtual void OnPrepareDC(CDC*, void* pInfo = nullptr) { (void)pInfo; }
  // First update after the frame is built: OnUpdate by default.
  virtual void OnInitialUpdate();
  // Invalidates the whole view.
  virtual void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint);
  // Own map first, then the document's.
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

  // Printing (Print.h): the dialog step; a refusal ends the run before anything is printed.
  virtual BOOL OnPreparePrinting(CPrintInfo* pInfo);
  // Runs the printer dialog of the print information (none for a direct print or a preview);
  // FALSE when it is cancelled.
  BOOL DoPreparePrinting(CPrintInfo* pInfo);
  virtual void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo);
  // One page: OnDraw by default.
  virtual void OnPrint(CDC* pDC, CPrintInfo* pInfo);
  virtual void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo);
  // A closing preview: the platform closes it; the print view may restore its frame first.
  virtual void OnEndPrintPreview(CDC* pDC, CPrintInfo* pInfo, POINT point, CPreviewView* pView);
  // Print with the dialog (57607) or at once with the defaults (57608).
  void OnFilePrint();
  void OnFilePrintDirect();
  // The preview (57609) with the standard preview view.
  void OnFilePrintPreview();
  // A preview of this view's pages in a preview view of the given class, which takes the state.
  // FALSE (state freed) when it cannot be shown.
  BOOL DoPrintPreview(UINT nIDResource, CView* pPrintView, CRuntimeClass* pPreviewViewClass,
                      CPrintPreviewState* pState);
  // The page loop of a run into a job; the number of pages printed.
  int PrintPages(CPrintInfo* pInfo, CPrintJob& job);

 protected:
  CView() = default;
  // Views live on the heap and go with their windows.
  void PostNcDestroy() override { delete this; }
  // Joins the document named by a creation context.
  int OnCreate(LPCREATESTRUCT lpcs);
  // The paint: a CPaintDC, OnPrepareDC, OnDraw.
  void OnPaint();
  LRESULT OnInitialUpdateMessage(WPARAM, LPARAM);

  CDocument* m_pDocument = nullptr;
  friend class CDocument;

  DECLARE_MESSAGE_MAP()
};

class CFrameWnd : public CWnd {
  DECLARE_DYNAMIC(CFrameWnd)

 public:
  CFrameWnd() = default;
  ~CFrameWnd() override;

  CView* GetActiveView() const { return m_pViewActive; }
  void SetActiveView(CView* pViewNew) { m_pViewActive = pViewNew; }
  CDocument* GetActiveDocument() const { return m_pViewActive ? m_pViewActive->GetDocument() : nullptr; }

  // Creates the window (title from string resource nIDResource up to its first '\n'), and takes
  // menu and accelerator table nIDResource when they are registered.
  virtual BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW, CWnd* pParentWnd = nullptr,
                         CCreateContext* pContext = nullptr);
  // A view of the context's class, child pane nID, joined to the context's document. The frame
  // destroys the views it created when its own window goes.
  CWnd* CreateView(CCreateContext* pContext, UINT nID = AFX_IDW_PANE_FIRST);
  // The first update of every view of the document in this frame, then shown when asked.
  void InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible);

  // Active view (and through it the document), the frame itself, then the application.
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
  // Key messages go through the frame's accelerator table.
  BOOL PreTranslateMessage(MSG* pMsg) override;
  // Idle update: the menu bar's items take the state their update handlers give (items nobody
  // handles are disabled).
  virtual void OnIdleUpdateCmdUI();
  // The same for one popup, as a toolkit calls it when the popup opens.
  void UpdateMenuCmdUI(CMenu* pMenu);

  // What a bar's button says about its command: the tip is the text of the command's item on
  // the frame's menu without its key and mnemonic, the prompt that text with the key; both
  // empty when the menu has no such item.
  virtual CString GetCommandTip(UINT nID) const;
  virtual CString GetCommandPrompt(UINT nID) const;
  // The bars report the command under the pointer (0: none), for the status line.
  virtual void SetHoverCommand(UINT nID) { (void)nID; }

  HACCEL m_hAccelTable = nullptr;  // owned by the frame

  // Control bars (ControlBar.h). The sides bars may dock on (CBRS_ALIGN_* bits).
  void EnableDocking(DWORD dwDockStyle);
  DWORD GetDockingSides() const { return m_dwDockSides; }
  // Docks the bar in the dock bar nDockBarID (AFX_IDW_DOCKBAR_*; 0: the bar's own alignment
  // when both allow it, else the first allowed side of top, bottom, left, right). With a
  // rectangle (screen coordinates) the bar joins the row that rectangle lies in, at its place
  // along the row; without, it starts a new row inside those of that side. FALSE when the bar
  // or the frame forbids every fitting side.
  BOOL DockControlBar(CControlBar* pBar, UINT nDockBarID = 0, LPCRECT lpRect = nullptr);
  void ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay);
  // The bar with that window id among this frame's bars, or null.
  CControlBar* GetControlBar(UINT nID) const;
  // The window that fills what the bars leave (the first view pane, or a splitter holding the
  // panes); CreateView sets it for a pane of id AFX_IDW_PANE_FIRST.
  void SetPaneWindow(CWnd* pWnd) { m_hPane = pWnd ? pWnd->GetSafeHwnd() : nullptr; }
  CWnd* GetPaneWindow() const { return CWnd::FromHandle(m_hPane); }
  const std::vector<CControlBar*>& GetControlBars() const { return m_bars; }
  // Shares the client area: bars that are not docked at their alignment's edge first (in
  // creation order), then the docked rows (top, bottom, left, right, outermost first); the
  // view pane (AFX_IDW_PANE_FIRST) takes what is left.
  virtual void RecalcLayout(BOOL bNotify = TRUE);
  // Visibility and dock place of every bar with an id, under the profile section; the
  // toolkit's own layout bytes go with them when the window backend keeps any.
  void SaveBarState(LPCWSTR lpszProfileName) const;
  // FALSE when the section holds no bar state; bars absent from it keep their place.
  BOOL LoadBarState(LPCWSTR lpszProfileName);

 protected:
  // Builds the client area: a view when the context names a view class; the frame's creation
  // fails when this does.
  virtual BOOL OnCreateClient(LPCREATESTRUCT lpcs, void* pContext);
  int OnCreate(LPCREATESTRUCT lpCreateStruct);
  void OnDestroy();
  // Lays the bars and the view out again (not while minimised).
  void OnSize(UINT nType, int cx, int cy);
  // Asks the active document whether it may close (SaveModified), then closes it or the window.
  void OnClose();
  // The focus given to the frame goes on to its active view, where typing belongs.
  void OnSetFocus(CWnd* pOldWnd);
  // Files dropped on the frame open as documents, one after the other.
  virtual void OnDropFiles(HDROP hDropInfo);
  LRESULT OnDropFilesMessage(WPARAM wParam, LPARAM);
  // Frames live on the heap and go with their windows.
  void PostNcDestroy() override { delete this; }

  DECLARE_MESSAGE_MAP()

 private:
  CView* m_pViewActive = nullptr;
  std::vector<HWND> m_createdViews;
  friend class CControlBar;
  std::vector<CControlBar*> m_bars;  // in creation order
  DWORD m_dwDockSides = 0;
  int m_nDockSeq = -1;  // bars created before docking was enabled
  HWND m_hPane = nullptr;
  HMENU m_hMenuOwned = nullptr;  // menu loaded by LoadFrame
};

class CDocTemplate : public CCmdTarget {
  DECLARE_DYNAMIC(CDocTemplate)

 public:
  CDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass, CRuntimeClass* pViewClass);
  // Deletes the documents it still holds.
  ~CDocTemplate() override;

  enum DocStringIndex { windowTitle, docName, fileNewName, filterName, filterExt, regFileTypeId, regFileTypeName };
  // Field of string resource m_nIDResource ('\n'-separated); FALSE when empty.
  BOOL GetDocString(CString& rString, enum DocStringIndex index) const;
  // The file dialogs' filter ("name|*.ext||") and the extension without its dot; both empty
  // when the document strings name no extension.
  void GetFileFilter(CString& rFilter, CString& rExt) const;

  virtual void AddDocument(CDocument* pDoc);
  virtual void RemoveDocument(CDocument* pDoc);
  const std::vector<CDocument*>& GetDocuments() const { return m_docs; }
  // A new document of the template's class (null when the class cannot be created).
  virtual CDocument* CreateNewDocument();
  // A new frame of the template's class showing a new view of the document; null on failure.
  virtual CFrameWnd* CreateNewFrame(CDocument* pDoc, CFrameWnd* pOther);
  virtual void InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible = TRUE);
  // The untitled name of the document strings ("untitled" without them).
  virtual void SetDefaultTitle(CDocument* pDocument);
  virtual CDocument* OpenDocumentFile(LPCWSTR lpszPathName, BOOL bMakeVisible = TRUE) = 0;
  // Lets each document save its changes (SaveModified); FALSE as soon as one refuses.
  BOOL SaveAllModified();
  void CloseAllDocuments(BOOL bEndSession);

  UINT m_nIDResource;
  CRuntimeClass* m_pDocClass;
  CRuntimeClass* m_pFrameClass;
  CRuntimeClass* m_pViewClass;

 protected:
  std::vector<CDocument*> m_docs;
};

class CSingleDocTemplate : public CDocTemplate {
  DECLARE_DYNAMIC(CSingleDocTemplate)

 public:
  using CDocTemplate::CDocTemplate;

  // The one document: made (with its frame and view) the first time, reused afterwards after
  // SaveModified agrees. A null path starts a new document. When the file cannot be opened the
  // old document stays as it was; when it opened but failed to load, the document starts anew.
  // Null on failure.
  CDocument* OpenDocumentFile(LPCWSTR lpszPathName, BOOL bMakeVisible = TRUE) override;
};

// String resources of the class library's prompts, with the registered resource table first.
CString AfxLoadString(UINT nID);
// A message box owned by the main window, captioned with the application's name.
int AfxMessageBox(LPCWSTR lpszText, UINT nType = 0, UINT nIDHelp = 0);
int AfxMessageBox(UINT nIDPrompt, UINT nType = 0, UINT nIDHelp = 0);
