// A plug-in module for the host tests. Built twice: the "full" variant exports all eight entry
// points; the "lean" one (TEST_PLUGIN_LEAN) has no InitialiseDLL and only a view map.
#include "TestLog.h"

#include "platform/afx/Menu.h"
#include "platform/win/Messages.h"
#include "sockwell/DLLWrapper.h"
#include "sockwell/PIMerge.h"
#include "sockwell/PISMainFrame.h"
#include "sockwell/PIView.h"
#include "sockwell/PlugInMap.h"

#include <dlfcn.h>

#include <string>

namespace {
// The module's file name, so that two copies of one module tell themselves apart.
std::string Me() {
  Dl_info info{};
  if (!::dladdr(reinterpret_cast<void*>(&Me), &info) || !info.dli_fname) return "?";
  std::string path = info.dli_fname;
  return path.substr(path.find_last_of('/') + 1);
}
void Log(const std::string& what) { TestLogAppend(Me() + ":" + what); }
const char* Pass(const CPlugInMap* m) { return m->IsPreCall() ? "pre" : "post"; }
UINT g_registered = RegisterWindowMessageW(L"SockwellTestMessage");
}  // namespace

// Extends the view: commands 100 and 32809 (the program's "Zoom In" menu item; logged), 101 (suppresses the view's own handler), 103 (an
// extended handler that handles only in the pre pass), the mouse wheel (declines in the post
// pass) and a registered message.
class CViewPlugMap : public CPlugInMap {
  DECLARE_DYNCREATE(CViewPlugMap)

 public:
  void Register() { AddObject(); }
  const char* GetClass() override { return "CDraftonView"; }
  CPlugInMap* CreateMapObject() override { return new CViewPlugMap; }

  void OnCmd100() { Log(std::string("view100:") + Pass(this)); }
  void OnZoomInMenu() { Log(std::string("view32809:") + Pass(this)); }
  void OnCmd101() {
    Log(std::string("view101:") + Pass(this));
    if (IsPreCall()) static_cast<CPIView*>(GetPlugInFor())->SuppressThisMessage(true);
  }
  BOOL OnCmd103(UINT) { return IsPreCall(); }
  BOOL OnMouseWheel(UINT, short delta, CPoint) {
    Log(std::string("wheel:") + Pass(this) + ":" + std::to_string(delta));
    return IsPreCall();
  }
  LRESULT OnRegistered(WPARAM w, LPARAM) {
    Log(std::string("registered:") + Pass(this));
    return static_cast<LRESULT>(w) * 2;
  }
  DECLARE_MESSAGE_MAP()
};

IMPLEMENT_DYNCREATE(CViewPlugMap, CPlugInMap)
BEGIN_MESSAGE_MAP(CViewPlugMap, CPlugInMap)
ON_COMMAND(100, OnCmd100)
ON_COMMAND(32809, OnZoomInMenu)
ON_COMMAND(101, OnCmd101)
ON_COMMAND_EX(103, OnCmd103)
ON_WM_MOUSEWHEEL()
ON_REGISTERED_MESSAGE(g_registered, OnRegistered)
END_MESSAGE_MAP()

// Names the view class in other letter case: never bound.
class CWrongCaseMap : public CViewPlugMap {
 public:
  const char* GetClass() override { return "cdraftonview"; }
  CPlugInMap* CreateMapObject() override { return new CWrongCaseMap; }
};

#ifndef TEST_PLUGIN_LEAN
// Extends the frame: commands 200 and 32809 (logged), 201 (destroys the frame in the pre pass), toolbars.
class CFramePlugMap : public CPlugInMap {
  DECLARE_DYNCREATE(CFramePlugMap)

 public:
  void Register() { AddObject(); }
  const char* GetClass() override { return "CMainFrame"; }
  CPlugInMap* CreateMapObject() override { return new CFramePlugMap; }
  void InsertToolBarEx() override { Log("toolbar-insert"); }
  void DockToolBar() override { Log("toolbar-dock"); }

  void OnCmd200() { Log(std::string("frame200:") + Pass(this)); }
  void OnZoomInMenu() { Log(std::string("frame32809:") + Pass(this)); }
  void OnCmd201() {
    Log(std::string("frame201:") + Pass(this));
    if (IsPreCall()) static_cast<CWnd*>(GetPlugInFor())->DestroyWindow();
  }
  LRESULT OnUser40A(WPARAM, LPARAM) {
    Log(std::string("frame40A:") + Pass(this));
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};

IMPLEMENT_DYNCREATE(CFramePlugMap, CPlugInMap)
BEGIN_MESSAGE_MAP(CFramePlugMap, CPlugInMap)
ON_COMMAND(200, OnCmd200)
ON_COMMAND(32809, OnZoomInMenu)
ON_COMMAND(201, OnCmd201)
ON_MESSAGE(0x40A, OnUser40A)
END_MESSAGE_MAP()

// Extends the document: command 300 (logged), 301 (deletes the document in the pre pass).
class CDocPlugMap : public CPlugInMap {
 public:
  void Register() { AddObject(); }
  const char* GetClass() override { return "CDraftonDoc"; }
  CPlugInMap* CreateMapObject() override { return new CDocPlugMap; }
  void OnCmd300() { Log(std::string("doc300:") + Pass(this)); }
  void OnCmd301() {
    Log(std::string("doc301:") + Pass(this));
    if (IsPreCall()) delete GetPlugInFor();
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDocPlugMap, CPlugInMap)
ON_COMMAND(300, OnCmd300)
ON_COMMAND(301, OnCmd301)
END_MESSAGE_MAP()

class CAppPlugMap : public CPlugInMap {
 public:
  void Register() { AddObject(); }
  const char* GetClass() override { return "CDraftonApp"; }
  CPlugInMap* CreateMapObject() override { return new CAppPlugMap; }
};
#endif

namespace {
struct Prototypes {
  CViewPlugMap view;
  CWrongCaseMap wrongCase;
#ifndef TEST_PLUGIN_LEAN
  CFramePlugMap frame;
  CDocPlugMap doc;
  CAppPlugMap app;
#endif
  Prototypes() {
    view.Register();
    wrongCase.Register();
#ifndef TEST_PLUGIN_LEAN
    frame.Register();
    doc.Register();
    app.Register();
#endif
  }
} g_prototypes;
}  // namespace

extern "C" {
#ifndef TEST_PLUGIN_LEAN
void InitialiseDLL(CWinApp*, PIInfoBlock* info) {
  Log("init:" + std::to_string(info->nPass));
  if (info->nPass == 0) {
    info->nKind = 0;
    info->strExtension = L"TST";
    info->strDescription = L"Test format";
  }
}
#endif

void ReleaseDLL() { Log("release"); }

const AFX_MSGMAP* GetPreMessageMap(LPCWSTR) { return nullptr; }
const AFX_MSGMAP* GetPostMessageMap(LPCWSTR) { return nullptr; }

void MergeMenu(CPISMainFrame* frame) {
  CMenu bar;
  bar.CreateMenu();
  CMenu file;
  file.CreatePopupMenu();
  file.AppendMenu(MF_STRING, 40001, L"Test &Import");
  CMenu tools;
  tools.CreatePopupMenu();
  tools.AppendMenu(MF_STRING, 40002, L"Test Tool");
  bar.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(file.Detach()), L"&File");
  bar.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(tools.Detach()), L"Tools");
  Log(PIMergeMenu(frame->GetMenu(), &bar, true) ? "menu-merged" : "menu-failed");
}

void MergeAccelerator(CPISMainFrame* frame) {
  ACCEL mine[3] = {{FVIRTKEY | FCONTROL, 'T', 40001}, {FVIRTKEY, 0x70, 40002}, {0, '.', 40003}};
  HACCEL table = CreateAcceleratorTableW(mine, 3);
  Log(PIMergeAccelerator(frame->m_hAccelTable, table) ? "accel-merged" : "accel-failed");
  DestroyAcceleratorTable(table);
}

#ifndef TEST_PLUGIN_LEAN
// Ordinal 1 names FileExport.
extern const char* const ExportOrdinals[] = {"FileExport", nullptr};

void FileImport(CString path, CPtrList*) { Log("import:" + path.ToUtf8()); }
void FileExport(CString path) { Log("export:" + path.ToUtf8()); }
#endif
}
