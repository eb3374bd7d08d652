#include "velmora/shell/ImportExportCmds.h"

#include "db/Action.h"
#include "db/DBase.h"
#include "db/DbAccess.h"
#include "db/DbCurve.h"
#include "db/DbImage.h"
#include "db/Selector.h"
#include "platform/afx/Archive.h"
#include "platform/afx/FileDialog.h"
#include "platform/afx/WinApp.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/Dib.h"
#include "platform/vurode/KXGlobal.h"
#include "platform/vurode/ViewState.h"
#include "platform/win/MessageBox.h"
#include "sockwell/PlugInApp.h"
#include "velmora/bramcourt/DesignCentral.h"
#include "velmora/ordvale/Ordvale.h"
#include "velmora/ordvale/QMessage.h"
#include "velmora/shell/DraftonDoc.h"
#include "velmora/shell/DraftonView.h"
#include "velmora/printing/PreviewDlg.h"

#include <cstdlib>
#include <cwctype>
#include <memory>

namespace {

// Entity type of a height grid and the shape type that makes one; imported drawings drop
// them (they are tied to the machining set-up of the drawing they came from).
constexpr int kHeightGridEntity = 25;
constexpr UINT kImportFlags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
constexpr UINT kExportFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
constexpr int kPlaceSlop = 3;  // pixels of cursor move the placement ignores

const wchar_t* const kImageExts[] = {L"BMP", L"JPG", L"JPEG", L"GIF", L"PNG", L"TIF"};

CPlugInApp* RunningApp() { return dynamic_cast<CPlugInApp*>(AfxGetApp()); }
CDraftonView* DrawingView() { return dynamic_cast<CDraftonView*>(gGetView()); }
HWND MainHwnd() {
  CWnd* main = AfxGetMainWnd();
  return main ? main->GetSafeHwnd() : nullptr;
}
void RepaintView(bool update) {
  if (CWnd* view = gGetView()) {
    view->Invalidate(TRUE);
    if (update) view->UpdateWindow();
  }
}

// The design-centre panel steps aside while a command's file dialog and placement run.
void HideDCenter() {
  if (CDesignCentral* panel = gGetDlgDesignCenter()) panel->HideDCenter();
}
void RestoreDCenter() {
  if (CDesignCentral* panel = gGetDlgDesignCenter()) panel->RestoreDCenter();
}

bool IsFileFormatModule(const CDLLWrapper& w) { return w.m_Info.nKind == 0; }

// The entries of a module's extension list: runs of letters and digits ("DXF;DWG" names two).
bool ListNames(const CString& list, const CString& ext) {
  if (ext.IsEmpty()) return false;
  const int n = list.GetLength();
  for (int i = 0; i < n;) {
    while (i < n && !std::iswalnum(list[i])) ++i;
    const int start = i;
    while (i < n && std::iswalnum(list[i])) ++i;
    if (i > start && list.Mid(start, i - start) == ext) return true;
  }
  return false;
}

// The extension of a path's file name (text after the last dot of the last component), or
// empty when the name has no dot.
CString FileNameExt(const CString& path) {
  const int slash = std::max(path.ReverseFind(L'/'), path.ReverseFind(L'\\'));
  const CString name = path.Mid(slash + 1);
  const int dot = name.ReverseFind(L'.');
  return dot < 0 ? CString() : name.Mid(dot + 1);
}

}  // namespace

// ---- import ----

CImportCmd::CImportCmd(int flag, const wchar_t* name) : CCommand(flag, name, 0) {
  m_last.Init();
  BOX2D_Init0(&m_box);
  m_nState = -1;
}

CImportCmd::~CImportCmd() {
  delete m_pRect;
  DropPending();
}

void CImportCmd::DropPending() {
  for (POSITION p = m_pending.GetHeadPosition(); p;) delete m_pending.GetNext(p);
  m_pending.RemoveAll();
}

void CImportCmd::DropRect(CDC* dc) {
  if (!m_pRect) return;
  if (dc) m_pRect->Draw(dc, DB_DRAW_XOR);
  delete m_pRect;
  m_pRect = nullptr;
}

CString CImportCmd::BuildFilter(const CDLLWrapper* table, int count) {
  CString filter = L"Velmora File(*.vlm)|*.vlm";
  filter += L"|";
  filter += L"Image File(*.BMP,*.JPG,*.JPEG,*.GIF,*.TIF,*.PNG)";
  filter += L"|*.BMP;*.JPG;*.JPEG;*.GIF;*.PNG;*.TIF";
  for (int i = 0; table && i < count; ++i) {
    if (!IsFileFormatModule(table[i]) || !table[i].m_Info.pfnFileImport) continue;
    filter += L"|" + table[i].m_Info.strDescription + L"|*." + table[i].m_Info.strExtension;
  }
  filter += L"||";
  return filter;
}

int CImportCmd::FindImporter(const CDLLWrapper* table, int count, const CString& ext) {
  for (int i = 0; table && i < count; ++i)
    if (IsFileFormatModule(table[i]) && table[i].m_Info.pfnFileImport && ListNames(table[i].m_Info.strExtension, ext))
      return i;
  return -1;
}

int CImportCmd::StartUp(int sub) {
  HideDCenter();
  CPlugInApp* app = RunningApp();
  if (!app) return 0;
  CCommand::StartUp(sub);
  m_last.Init();
  DropPending();
  BOX2D_Init0(&m_box);

  CFileDialog dlg(TRUE, nullptr, nullptr, kImportFlags, BuildFilter(app->m_pDLLs, app->m_nDLLCount).GetString(),
                  AfxGetMainWnd());
  dlg.m_strTitle = L"Import File";
  if (dlg.DoModal() != IDOK) {
    Cancel();
    return 1;
  }
  RepaintView(true);
  const CString path = dlg.GetPathName();
  m_strExt = FileNameExt(path);
  CString upper = m_strExt;
  upper.MakeUpper();

  bool placing = false;
  if (upper == L"VLM") {
    ImportDocument(path);
    Cancel();
    return 1;
  }
  bool image = false;
  for (const wchar_t* e : kImageExts) image = image || upper == e;
  if (image) {
    CWaitCursor wait;
    auto dib = std::make_unique<CDib>();
    if (!dib->ReadFile(path)) {
      MessageBoxW(MainHwnd(), L"Error in opening image file!", L"Velmora", MB_OK | MB_ICONSTOP);
      Cancel();
      return 1;
    }
    dib->AddRef();
    const double origin[2] = {0.0, 0.0};
    m_pending.AddTail(new CDbImage(dib.release(), origin));
    placing = true;
  } else if (const int i = FindImporter(app->m_pDLLs, app->m_nDLLCount, upper); i >= 0) {
    CWaitCursor wait;
    app->m_pDLLs[i].m_Info.pfnFileImport(path, &m_pending);
    placing = true;
  }
  for (POSITION p = m_pending.GetHeadPosition(); p;) {
    CDbEntity* e = m_pending.GetNext(p);
    if (!e) continue;
    _tagBox2D b;
    e->GetBox(&b);
    BOX2D_Union(&m_box, &b);
  }
  if (!placing) {
    Cancel();
    return 1;
  }
  Prompt(L"Please select location of point by left key of mouse!");
  m_nState = 1;
  return 1;
}

void CImportCmd::Sleep() {
  CDC* dc = GetDC();
  DropRect(dc);
  ReleaseDC(dc);
  CCommand::Sleep();
}

void CImportCmd::WakeUp() {
  CDC* dc = GetDC();
  DropRect(dc);
  ReleaseDC(dc);
  CCommand::WakeUp();
}

int CImportCmd::OnMouseMove(UINT, Position& pos) {
  if (std::abs(pos.sx - m_last.sx) < kPlaceSlop && std::abs(pos.sy - m_last.sy) < kPlaceSlop) return 0;
  CDC* dc = GetDC();
  if (gGetVurode() && dc) {
    DropRect(dc);
    if (BOX2D_IsValid(&m_box)) {
      m_pRect = dbGenRect(m_box.min, m_box.max);
      const double to[2] = {pos.x, pos.y};
      if (m_pRect) {
        m_pRect->Translate(m_box.min, to);
        m_pRect->Draw(dc, DB_DRAW_XOR);
      }
    }
  }
  ReleaseDC(dc);
  m_last = pos;
  return 0;
}

int CImportCmd::OnLButtonDown(UINT, Position& pos) {
  // A view drawn through OpenGL lends no drawing context: the entities are placed all the same
  // and show with the repaint.
  CDC* dc = GetDC();
  DropRect(dc);
  if (!m_pending.IsEmpty()) {
    auto action = std::make_unique<CAction>(1, GetCmdName());
    const CKXGlobal* settings = gGetKXGlobal();
    const int layer = settings ? settings->GetCurrentLayerID() : 0;
    const double to[2] = {pos.x, pos.y};
    int added = 0;
    for (POSITION p = m_pending.GetHeadPosition(); p;) {
      CDbEntity* e = m_pending.GetNext(p);
      if (!e) continue;
      e->Translate(m_box.min, to);
      if (dc) e->Draw(dc, DB_DRAW_NORMAL);
      e->SetLayerID(layer);
      action->AddNewEnt(e);
      ++added;
    }
    if (added > 0) {
      // The action (and through it the database) owns the entities from here.
      m_pending.RemoveAll();
      kxInsertActionIntoManager(action.release());
      RepaintView(false);
    }
  }
  ReleaseDC(dc);
  DropPending();
  Cancel();
  return 1;
}

int CImportCmd::Cancel() {
  // The panel hidden at start-up comes back however the import ends.
  RestoreDCenter();
  CDC* dc = GetDC();
  DropRect(dc);
  ReleaseDC(dc);
  DropPending();
  m_nState = 0;
  return CCommand::Cancel();
}

void CImportCmd::ReadDocument(CArchive& ar, CString& notes, CDbEntityList& entities) {
  CPreviewDlg preview;
  preview.BitmapSerialize(ar);
  int32_t version = 0;
  ar >> notes >> version;
  // Each entity becomes the drawing's: a reference back to an object read before (an entity
  // twice, or an entity's own curve) would be owned twice and is refused with the whole list.
  CDbEntityList loaded;
  AfxReadOwnedObjects<CDbEntity>(ar, loaded);
  entities.AddTail(&loaded);
}

BOOL CImportCmd::ImportDocument(const CString& path) {
  CDBase* db = gGetDBase();
  CDraftonView* view = DrawingView();
  CDraftonDoc* doc = view ? view->GetDocument() : nullptr;
  if (!db || !doc) return FALSE;
  // Reports an empty file or one of another kind itself.
  CFile* file = doc->OpenDrawing(path);
  if (!file) return FALSE;
  CDbEntityList loaded;
  CString notes;
  try {
    CWaitCursor wait;
    CArchive ar(file, CArchive::load | CArchive::bNoFlushOnDelete, 4096);
    ar.m_pDocument = doc;
    ar.m_bForceFlat = TRUE;
    ReadDocument(ar, notes, loaded);
    ar.Close();
    doc->ReleaseFile(file, FALSE);
  } catch (const CException& e) {
    doc->ReleaseFile(file, TRUE);
    doc->ReportSaveLoadException(path, &e, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
    return FALSE;
  }
  // Only once the whole list has been read does the drawing change.
  db->SetNotes(db->GetNotes() + notes);
  const CKXGlobal* settings = gGetKXGlobal();
  const int layer = settings ? settings->GetCurrentLayerID() : 0;
  while (!loaded.IsEmpty()) {
    CDbEntity* e = loaded.RemoveHead();
    if (!e) continue;
    if (e->GetType() == kHeightGridEntity) {
      delete e;
      continue;
    }
    e->SetLayerID(layer);
    db->AddTail(e);
  }
  if (db->GetCount() > 0) {
    QMessage msg(0, QMessage::kRebuildLayers);
    kxSendMessage(&msg);
  }
  doc->SetModifiedFlag(TRUE);
  RepaintView(false);
  return TRUE;
}

// ---- export ----

CExportCmd::CExportCmd(int flag, const wchar_t* name) : CCommand(flag, name, 0) { m_nState = -1; }

int CExportCmd::IsEnable(int arg) {
  if (!CCommand::IsEnable(arg)) return 0;
  const COrdvale* hub = gGetOrdvale();
  const CSelector* sel = hub ? hub->GetSelector() : nullptr;
  return sel && sel->GetSizeOfBType(270) != 0 ? 1 : 0;
}

CString CExportCmd::BuildFilter(const CDLLWrapper* table, int count, std::vector<int>& offered) {
  offered.clear();
  CString filter;
  for (int i = 0; table && i < count; ++i) {
    if (!IsFileFormatModule(table[i]) || !table[i].m_Info.pfnFileExport) continue;
    if (!offered.empty()) filter += L"|";
    filter += table[i].m_Info.strDescription + L"|*." + table[i].m_Info.strExtension;
    offered.push_back(i);
  }
  if (!filter.IsEmpty()) filter += L"|";
  return filter;
}

CString CExportCmd::ResolveExtension(CString& path, const CDLLWrapper* table, const std::vector<int>& offered,
                                     int filterIndex) {
  CString ext = FileNameExt(path);
  if (ext.IsEmpty()) {
    const int k = filterIndex - 1;
    if (!table || k < 0 || k >= int(offered.size())) return CString();
    ext = table[offered[size_t(k)]].m_Info.strExtension;
    if (ext.IsEmpty()) return CString();
    path += L"." + ext;
  }
  ext.MakeUpper();
  return ext;
}

int CExportCmd::StartUp(int sub) {
  HideDCenter();
  CPlugInApp* app = RunningApp();
  if (!app) return 0;
  CCommand::StartUp(sub);
  std::vector<int> offered;
  const CString filter = BuildFilter(app->m_pDLLs, app->m_nDLLCount, offered);
  CFileDialog dlg(FALSE, nullptr, nullptr, kExportFlags, filter.IsEmpty() ? nullptr : filter.GetString(),
                  AfxGetMainWnd());
  dlg.m_strTitle = L"Export File";
  if (dlg.DoModal() == IDOK) {
    CString path = dlg.GetPathName();
    const CString ext = ResolveExtension(path, app->m_pDLLs, offered, dlg.GetFilterIndex());
    int chosen = -1;
    for (int i : offered) {
      if (!ext.IsEmpty() && app->m_pDLLs[i].m_Info.strExtension == ext && app->m_pDLLs[i].m_Info.pfnFileExport) {
        chosen = i;
        break;
      }
    }
    if (chosen >= 0) {
      CWaitCursor wait;
      app->m_pDLLs[chosen].m_Info.pfnFileExport(path);
    } else {
      // Nothing would be written: say so rather than let the user believe the file exists.
      CString text;
      text.Format(L"No export module writes \"%ls\" files; nothing was exported.", ext.IsEmpty() ? L"?" : ext.GetString());
      MessageBoxW(MainHwnd(), text.GetString(), L"Export File", MB_OK | MB_ICONSTOP);
    }
  }
  m_nState = 0;
  return Cancel();
}

int CExportCmd::Cancel() {
  RestoreDCenter();
  m_nState = 0;
  return CCommand::Cancel();
}

void CExportCmd::Serialize(CArchive& ar) {
  CCommand::Serialize(ar);
  if (ar.IsStoring()) {
    ar << m_nKept;
  } else {
    ar >> m_nKept;
  }
}
