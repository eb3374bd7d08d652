// CWinApp: the application object. The one that exists is the running application, reached
// through AfxGetApp. It runs the message loop (pre-translation, dispatch, idle command-UI
// updates), keeps the document templates, the profile (an INI file under the per-user
// configuration folder) with its recent-file list, and processes the command line.
#pragma once

#include "platform/afx/CmdTarget.h"
#include "platform/afx/String.h"
#include "platform/win/Window.h"

#include <memory>
#include <vector>

class CDocTemplate;
class CDocument;
class CWnd;

// The shell command a command line asks for: a new document, a file to open, or nothing.
class CCommandLineInfo {
 public:
  virtual ~CCommandLineInfo() = default;
  // One argument: a flag (it began with '-', which is stripped) or a parameter. The first
  // parameter is the file to open; "-nologo" hides the splash window; other flags are ignored.
  virtual void ParseParam(LPCWSTR pszParam, BOOL bFlag, BOOL bLast);

  enum { FileNew, FileOpen, FileNothing = -1 } m_nShellCommand = FileNew;
  CString m_strFileName;
  BOOL m_bShowSplash = TRUE;
};

// The most recently used files, newest first, at most nSize, kept in a profile section as
// entries made by the entry format ("File%d", counted from 1).
class CRecentFileList {
 public:
  CRecentFileList(UINT nStart, LPCWSTR lpszSection, LPCWSTR lpszEntryFormat, int nSize);
  virtual ~CRecentFileList() = default;

  int GetSize() const { return m_nSize; }
  int GetCount() const { return static_cast<int>(m_names.size()); }
  // Empty for an index outside the list.
  CString operator[](int nIndex) const;
  // Puts the path first; an equal entry moves up instead of appearing twice; the oldest entry
  // beyond the size drops out. Empty paths are ignored.
  virtual void Add(LPCWSTR lpszPathName);
  virtual void Remove(int nIndex);
  virtual void ReadList();
  virtual void WriteList();
  // The name an entry shows on the menu: the path, shortened in its middle beyond nMaxLength
  // characters (the file's name is always kept whole), ampersands doubled.
  CString GetDisplayName(int nIndex, int nMaxLength = 40) const;
  // The update handler of the first recent-file item: the entries become the items
  // "&1 name".."&4 name" in its place; an empty list leaves one greyed "Recent File" item.
  virtual void UpdateMenu(CCmdUI* pCmdUI);

  UINT m_nStart;
  CString m_strSectionName;
  CString m_strEntryFormat;

 private:
  CString EntryName(int i) const;
  int m_nSize;
  CString m_strOriginal;  // the first item's text in the resource
  std::vector<CString> m_names;
};

class CWinApp : public CCmdTarget {
  DECLARE_DYNAMIC(CWinApp)

 public:
  explicit CWinApp(LPCWSTR lpszAppName = nullptr);
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;
  // Deletes the document templates (and their documents) and the recent-file list.
  ~CWinApp() override;

  virtual BOOL InitInstance() { return TRUE; }
  // Writes the recent-file list back; returns the exit code the message loop ended with.
  virtual int ExitInstance();

  // The message loop: idle processing while the queue is empty, then one message at a time
  // through PreTranslateMessage and dispatch; ends with ExitInstance's result when WM_QUIT comes
  // or the backend says no input can ever arrive.
  virtual int Run();
  // lCount 0: the main frame's command-UI update; 1: temporary objects freed. TRUE asks for more.
  virtual BOOL OnIdle(LONG lCount);
  // Windows from the message's own up to the main window, then nothing more.
  virtual BOOL PreTranslateMessage(MSG* pMsg);
  // One message; FALSE when the loop must end.
  BOOL PumpMessage();

  // Profile: the INI file "<config>/<registry key>/<application name>.ini".
  void SetRegistryKey(LPCWSTR lpszRegistryKey);
  CString GetProfilePath() const;
  UINT GetProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nDefault);
  BOOL WriteProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nValue);
  CString GetProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszDefault = nullptr);
  BOOL WriteProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszValue);
  // Reads the recent-file list ("Recent File List", "File1"...) of nMaxMRU entries.
  void LoadStdProfileSettings(UINT nMaxMRU = 4);
  void SaveStdProfileSettings();
  virtual void AddToRecentFileList(LPCWSTR lpszPathName);

  // The command line given to AfxWinMain (or set by a test), arguments after the program name.
  void SetCommandLine(int argc, const char* const* argv);
  void ParseCommandLine(CCommandLineInfo& rCmdInfo);
  // New document, open the named file, or nothing; FALSE when that fails (or a new document left
  // no main window).
  BOOL ProcessShellCommand(CCommandLineInfo& rCmdInfo);

  // The application owns its templates.
  void AddDocTemplate(CDocTemplate* pTemplate);
  const std::vector<CDocTemplate*>& GetDocTemplates() const { return m_templates; }
  virtual CDocument* OpenDocumentFile(LPCWSTR lpszFileName);
  void OnFileNew();
  void OnFileOpen();
  void OnUpdateRecentFileMenu(CCmdUI* pCmdUI);
  // Opens the entry the item stands for; the list stays as it is when that fails.
  BOOL OnOpenRecentFile(UINT nID);
  // Exit: the main window is asked to close (which asks about unsaved changes).
  void OnAppExit();
  BOOL SaveAllModified();
  void CloseAllDocuments(BOOL bEndSession);

  HCURSOR LoadCursor(UINT nIDResource) const { return ::LoadCursorW(nullptr, nIDResource); }
  void BeginWaitCursor();
  void EndWaitCursor();

  CWnd* m_pMainWnd = nullptr;
  CString m_strAppName;
  CString m_strRegistryKey;
  std::unique_ptr<CRecentFileList> m_pRecentFileList;
  MSG m_msgCur{};

 protected:
  DECLARE_MESSAGE_MAP()

 private:
  std::vector<CDocTemplate*> m_templates;
  std::vector<CString> m_args;
  std::vector<HCURSOR> m_waitRestore;
};

// The running application object, or null.
CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// The program's entry: the command line to the application, InitInstance, then Run (or
// ExitInstance when initialisation fails). Returns the exit code.
int AfxWinMain(int argc, char** argv);

// The wait cursor while the object lives.
class CWaitCursor {
 public:
  CWaitCursor();
  ~CWaitCursor();
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;
};
