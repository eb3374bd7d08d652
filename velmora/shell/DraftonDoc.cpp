#include "velmora/shell/DraftonDoc.h"

#include "velmora/shell/MainFrame.h"

#include "db/Action.h"
#include "db/DBase.h"
#include "db/DbAccess.h"
#include "db/Selector.h"
#include "platform/afx/Archive.h"
#include "platform/afx/CmdTarget.h"
#include "platform/afx/Exception.h"
#include "platform/afx/File.h"
#include "platform/afx/SharedFile.h"
#include "platform/afx/WinApp.h"
#include "platform/vurode/Accessors.h"
#include "platform/win/Clipboard.h"
#include "platform/win/MessageBox.h"
#include "velmora/ordvale/Command.h"
#include "velmora/ordvale/Ordvale.h"
#include "velmora/dialogs/DlgNotes.h"
#include "velmora/ordvale/QMessage.h"
#include "velmora/printing/PreviewDlg.h"
#include "velmora/shell/Resources.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <filesystem>

IMPLEMENT_DYNCREATE(CDraftonDoc, CPIDoc)

BEGIN_MESSAGE_MAP(CDraftonDoc, CPIDoc)
ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
ON_COMMAND_EX_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE4, OnOpenRecentFile)
ON_COMMAND(ID_FILE_SAVE, OnFileSave)
ON_COMMAND(ID_FILE_SAVE_AS, OnFileSaveAs)
ON_COMMAND(ID_FILE_IMPORT, OnFileImport)
ON_COMMAND(ID_FILE_EXPORT_SELECTED, OnExportSelected)
ON_COMMAND(ID_EDIT_COPY, OnEditCopy)
ON_COMMAND(ID_EDIT_CUT, OnEditCut)
ON_COMMAND(ID_EDIT_PASTE, OnEditPaste)
ON_COMMAND(ID_FILE_NOTES, OnFileNotes)
ON_UPDATE_COMMAND_UI(ID_FILE_OPEN, OnUpdateFileCmd)
ON_UPDATE_COMMAND_UI(ID_FILE_SAVE, OnUpdateFileCmd)
ON_UPDATE_COMMAND_UI(ID_FILE_SAVE_AS, OnUpdateFileCmd)
ON_UPDATE_COMMAND_UI(ID_FILE_IMPORT, OnUpdateFileCmd)
ON_UPDATE_COMMAND_UI(ID_FILE_EXPORT_SELECTED, OnUpdateExportSelected)
ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, OnUpdateCopyCut)
ON_UPDATE_COMMAND_UI(ID_EDIT_CUT, OnUpdateCopyCut)
ON_UPDATE_COMMAND_UI(ID_EDIT_PASTE, OnUpdatePaste)
END_MESSAGE_MAP()

namespace {
constexpr int kTextHostType = 4;

void CancelRunning() {
  if (COrdvale* hub = gGetOrdvale()) hub->CancelCurCmd();
}
void SendHub(int code) {
  QMessage msg(0, code);
  kxSendMessage(&msg);
}
// The text editing command when it is the current main command: it owns copy, cut and paste.
CCommand* TextMainCommand() {
  COrdvale* hub = gGetOrdvale();
  CCommand* main = hub ? hub->GetCurMainCmd() : nullptr;
  return main && main->HostType() == kTextHostType ? main : nullptr;
}
BOOL SelectionEmpty() {
  CSelector* sel = gGetSelector();
  return !sel || sel->IsEmpty();
}
void AnnounceDocument() {
  if (CFrameWnd* frame = gGetMainFrame()) frame->SendMessage(WM_KX_DOC_READY);
}
}  // namespace

CDraftonDoc::CDraftonDoc() {
  kxCreateAllManager();
  // Every edit of the drawing (through the undo manager, undo and redo, a new layer) is a
  // change that closing, New and Open must offer to save and that Save must write.
  dbSetChangeHandler(this, [this] { SetModifiedFlag(TRUE); });
  // Bound again by the main frame once the plug-ins are loaded: at this point of start-up no
  // plug-in has registered its maps yet.
  InitialisePlugIns();
}

CDraftonDoc::~CDraftonDoc() {
  dbClearChangeHandler(this);
  if (m_ownedDb && gGetDBase() == m_ownedDb.get()) gSetDBase(nullptr);
}

UINT CDraftonDoc::ClipboardFormat() { return RegisterClipboardFormatW(kClipboardFormatName); }

void CDraftonDoc::SetModifiedFlag(BOOL bModified) {
  CPIDoc::SetModifiedFlag(bModified);
  m_nNeedAutoSave = bModified ? 1 : 0;
}

CDBase* CDraftonDoc::Database() {
  if (CDBase* db = gGetDBase()) return db;
  m_ownedDb = std::make_unique<CDBase>();
  gSetDBase(m_ownedDb.get());
  return m_ownedDb.get();
}

void CDraftonDoc::Serialize(CArchive& ar) {
  CPreviewDlg preview;
  CDBase* db = Database();
  if (ar.IsStoring()) {
    preview.GenBitmap(1);
    preview.BitmapSerialize(ar);
    db->Serialize(ar);
    db->InitLayer();
    return;
  }
  preview.BitmapSerialize(ar);
  db->Serialize(ar);
  db->InitLayer();
  if (!db->IsEmpty()) SendHub(QMessage::kRebuildLayers);
}

BOOL CDraftonDoc::OnNewDocument() {
  CancelRunning();
  if (!CPIDoc::OnNewDocument()) return FALSE;
  Database()->InitLayer();
  SendHub(QMessage::kRebuildLayers);
  if (!gGetMainFrame()) return FALSE;
  if (auto* frame = dynamic_cast<CMainFrame*>(gGetMainFrame()))
    if (CDlgSplash* splash = frame->GetSplash()) splash->Hide();
  AnnounceDocument();
  return TRUE;
}

void CDraftonDoc::DeleteContents() {
  if (CActManager* undo = gGetActManager()) undo->Reset();
  if (CDBase* db = gGetDBase()) db->DeleteAllEntity();
  CPIDoc::DeleteContents();
}

void CDraftonDoc::OnCloseDocument() {
  CancelRunning();
  CPIDoc::OnCloseDocument();
}

CString CDraftonDoc::BackupPath() { return gGetApplicationPath() + L"/backup.vlm"; }

BOOL CDraftonDoc::MayReplace() {
  if (!gGetDBase()) return FALSE;
  CancelRunning();
  if (!IsModified()) return TRUE;
  const int answer = AfxMessageBox(L"Save changes to file?", MB_YESNOCANCEL | MB_ICONQUESTION);
  if (answer == IDCANCEL) return FALSE;
  if (answer == IDYES) {
    if (CWnd* main = AfxGetMainWnd())
      main->SendMessage(WM_COMMAND, ID_FILE_SAVE);
    else
      FileSave();
    // A save that was cancelled or failed leaves the changes only here: keep them.
    if (IsModified()) return FALSE;
  }
  return TRUE;
}

BOOL CDraftonDoc::FileOpen() {
  if (!MayReplace()) return FALSE;
  CString path;
  if (!CPreviewDlg::GetCADName(CPreviewDlg::kOpen, path)) return FALSE;
  return OpenPath(path);
}

BOOL CDraftonDoc::OpenRecent(int index) {
  CWinApp* app = AfxGetApp();
  const CString path = app && app->m_pRecentFileList ? (*app->m_pRecentFileList)[index] : CString();
  if (path.IsEmpty() || !MayReplace()) return FALSE;
  return OpenPath(path);
}

BOOL CDraftonDoc::OpenPath(const CString& path) {
  {
    CWaitCursor wait;
    // Opens the file before anything of the document changes; a failure is reported there.
    if (!OnOpenDocument(path)) return FALSE;
  }
  SetPathName(path);
  SetTitle(path);
  SetModifiedFlag(FALSE);
  if (CDBase* db = gGetDBase()) {
    _tagBox2D page{};
    db->GetWorkArea().GetPageSize(&page);
    dbSetViewRange(page);
  }
  AnnounceDocument();
  UpdateAllViews(nullptr);
  return TRUE;
}

BOOL CDraftonDoc::FileSave() {
  CancelRunning();
  CString title = m_strTitle;
  title.MakeLower();
  // The untitled name in English or Chinese: a new drawing gets its name first.
  if (title == L"untitled" || title == L"\u65E0\u6807\u9898" || m_strPathName.IsEmpty()) {
    m_nSavingAs = 1;
    const BOOL ok = FileSaveAs();
    m_nSavingAs = 0;
    return ok;
  }
  if (!IsModified()) return TRUE;
  // A read-only file is overwritten, as the operator asked to save over it.
  std::error_code ec;
  const std::filesystem::path p(m_strPathName.ToUtf8());
  if (std::filesystem::exists(p, ec))
    std::filesystem::permissions(p, std::filesystem::perms::owner_write, std::filesystem::perm_options::add, ec);
  return OnSaveDocument(m_strPathName);
}

BOOL CDraftonDoc::FileSaveAs() {
  CancelRunning();
  CString path;
  if (!CPreviewDlg::GetCADName(CPreviewDlg::kSave, path)) return FALSE;
  // The new path is taken only once the file is written.
  if (!OnSaveDocument(path)) return FALSE;
  SetPathName(path);
  SetTitle(path);
  SetModifiedFlag(FALSE);
  return TRUE;
}

BOOL CDraftonDoc::StoreTo(const CString& path, bool selectedOnly) {
  CFileException fe;
  // A new file beside the old one, put in its place only once complete (CDocument::GetFile).
  CFile* file = GetFile(path, CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive, &fe);
  if (!file) {
    ReportSaveLoadException(path, &fe, TRUE, AFX_IDP_FAILED_TO_SAVE_DOC);
    return FALSE;
  }
  try {
    CArchive ar(file, CArchive::store | CArchive::bNoFlushOnDelete);
    ar.m_pDocument = this;
    if (selectedOnly) {
      CPreviewDlg preview;
      preview.GenBitmap(0);
      preview.BitmapSerialize(ar);
      gGetDBase()->SerializeSelected(ar);
    } else {
      Serialize(ar);
    }
    ar.Close();
    ReleaseFile(file, FALSE);
  } catch (const CException& e) {
    ReleaseFile(file, TRUE);
    ReportSaveLoadException(path, &e, TRUE, AFX_IDP_FAILED_TO_SAVE_DOC);
    return FALSE;
  }
  return TRUE;
}

CFile* CDraftonDoc::OpenDrawing(const CString& path) {
  CFileException fe;
  CFile* file = GetFile(path, CFile::modeRead | CFile::shareDenyWrite, &fe);
  if (!file) {
    ReportSaveLoadException(path, &fe, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
    return nullptr;
  }
  CString why;
  try {
    // Every drawing starts with the thumbnail's size; a file that does not is something else.
    BYTE head[8] = {};
    const UINT got = file->Read(head, sizeof head);
    BYTE expected[8] = {};
    const uint32_t size[2] = {uint32_t(CPreviewDlg::kWidth), uint32_t(CPreviewDlg::kHeight)};
    for (int i = 0; i < 8; ++i) expected[i] = BYTE(size[i / 4] >> (8 * (i % 4)));
    if (got == 0)
      why = L"The file is empty.";
    else if (!std::equal(head, head + got, expected))
      why = L"The file is not a Velmora drawing.";
    else
      file->SeekToBegin();
  } catch (const CException& e) {
    why = DescribeFailure(&e);
  }
  if (why.IsEmpty()) return file;
  ReleaseFile(file, TRUE);
  ReportSaveLoadFailure(path, AFX_IDP_FAILED_TO_OPEN_DOC, why);
  return nullptr;
}

BOOL CDraftonDoc::OnOpenDocument(LPCWSTR lpszPathName) {
  // The database replaces its content only once the whole stream is read, so a damaged file
  // leaves the open drawing, its undo history and the modified flag as they were.
  CFile* file = OpenDrawing(lpszPathName);
  if (!file || !LoadFrom(file, lpszPathName)) return FALSE;
  SetModifiedFlag(FALSE);
  return TRUE;
}

BOOL CDraftonDoc::ExportSelected() {
  CString path;
  if (!CPreviewDlg::GetCADName(CPreviewDlg::kSave, path)) return FALSE;
  if (SelectionEmpty() || !gGetDBase()) return FALSE;
  return StoreTo(path, true);
}

BOOL CDraftonDoc::AutoSave() {
  CDBase* db = gGetDBase();
  if (!db || db->IsEmpty()) return FALSE;
  if (!StoreTo(BackupPath(), false)) return FALSE;
  m_nNeedAutoSave = 0;
  return TRUE;
}

BOOL CDraftonDoc::CopyOrCut(bool cut) {
  if (TextMainCommand()) return FALSE;  // the text command edits its own text
  CSelector* sel = gGetSelector();
  if (!sel || sel->IsEmpty()) return FALSE;
  CDbEntityList list;
  for (POSITION pos = sel->GetList().GetHeadPosition(); pos;) list.AddTail(sel->GetList().GetNext(pos));
  for (POSITION pos = list.GetHeadPosition(); pos;)
    if (list.GetNext(pos)->GetType() == DB_ENT_IMAGE) {
      AfxMessageBox(cut ? L"Image cut is forbidden!" : L"Image copy is forbidden!");
      return FALSE;
    }
  sel->CalcBox();
  _tagBox2D box{};
  sel->GetBox(&box);
  CSharedFile mem(GMEM_MOVEABLE | GMEM_DDESHARE | GMEM_ZEROINIT, 4096);
  {
    CArchive ar(&mem, CArchive::store);
    ar << (box.min[0] + box.max[0]) / 2 << (box.min[1] + box.max[1]) / 2;
    list.Serialize(ar);
    ar.Close();
  }
  if (cut) {
    auto* action = new CAction(1, L"Cut");
    for (POSITION pos = list.GetHeadPosition(); pos;) action->AddDelEnt(list.GetNext(pos));
    kxInsertActionIntoManager(action);
    kxClearSelSet(nullptr);
  }
  HGLOBAL block = mem.Detach();
  if (!block) return FALSE;
  CWnd* main = AfxGetMainWnd();
  if (!OpenClipboard(main ? main->m_hWnd : nullptr)) {
    GlobalFree(block);
    return FALSE;
  }
  EmptyClipboard();
  // A private format: the archive is binary and must never pass for text.
  const BOOL placed = SetClipboardData(ClipboardFormat(), block) != nullptr;
  if (!placed) GlobalFree(block);
  CloseClipboard();
  if (cut) UpdateAllViews(nullptr);
  return placed;
}

BOOL CDraftonDoc::ReadClipboard(double centre[2], CDbEntityList& entities) {
  entities.RemoveAll();
  if (!OpenClipboard(nullptr)) return FALSE;
  HANDLE data = GetClipboardData(ClipboardFormat());
  const size_t size = data ? GlobalSize(static_cast<HGLOBAL>(data)) : 0;
  std::vector<BYTE> bytes(size);
  if (size) {
    const BYTE* p = static_cast<const BYTE*>(GlobalLock(static_cast<HGLOBAL>(data)));
    if (p) std::copy(p, p + size, bytes.begin());
    GlobalUnlock(static_cast<HGLOBAL>(data));
  }
  CloseClipboard();
  return LoadClipboardPayload(bytes.data(), bytes.size(), centre, entities);
}

BOOL CDraftonDoc::LoadClipboardPayload(const BYTE* data, size_t size, double centre[2], CDbEntityList& entities) {
  entities.RemoveAll();
  if (!data || size == 0 || size > UINT_MAX) return FALSE;
  std::vector<BYTE> bytes(data, data + size);
  CMemFile mem(bytes.data(), UINT(bytes.size()));
  CDbEntityList loaded;
  try {
    CArchive ar(&mem, CArchive::load);
    ar >> centre[0] >> centre[1];
    // Only drawing entities, each read anew: a reference back to an object read before (an
    // entity twice, or an entity's own curve) would be owned twice and is refused.
    AfxReadOwnedObjects<CDbEntity>(ar, loaded);  // nothing is kept from a refused list
  } catch (const CException&) {
    return FALSE;
  }
  // Copy never puts an empty list or a null entry there.
  bool sound = !loaded.IsEmpty();
  for (POSITION pos = loaded.GetHeadPosition(); pos && sound;) sound = loaded.GetNext(pos) != nullptr;
  if (!sound) {
    while (!loaded.IsEmpty()) delete loaded.RemoveHead();
    return FALSE;
  }
  entities.AddTail(&loaded);
  loaded.RemoveAll();
  return TRUE;
}

void CDraftonDoc::OnFileImport() {
  if (COrdvale* hub = gGetOrdvale()) {
    hub->CancelCurCmd();
    hub->RunAppCmd(ID_FILE_IMPORT, 0);
  }
}

void CDraftonDoc::OnEditPaste() {
  if (TextMainCommand()) return;
  if (COrdvale* hub = gGetOrdvale()) hub->RunAppCmd(ID_EDIT_PASTE, 0);
}

void CDraftonDoc::OnUpdateFileCmd(CCmdUI* ui) {
  COrdvale* hub = gGetOrdvale();
  ui->Enable(!hub || hub->m_nLock == 0);
}

void CDraftonDoc::OnUpdateExportSelected(CCmdUI* ui) {
  COrdvale* hub = gGetOrdvale();
  ui->Enable((!hub || hub->m_nLock == 0) && !SelectionEmpty());
}

void CDraftonDoc::OnUpdateCopyCut(CCmdUI* ui) {
  if (CCommand* text = TextMainCommand()) {
    ui->Enable(text->IsEnable(int(ui->m_nID)));
    return;
  }
  ui->Enable(!SelectionEmpty());
}

void CDraftonDoc::OnUpdatePaste(CCmdUI* ui) {
  if (CCommand* text = TextMainCommand()) {
    ui->Enable(text->IsEnable(int(ui->m_nID)));
    return;
  }
  COrdvale* hub = gGetOrdvale();
  CCommand* paste = hub ? hub->GetCmd(ID_EDIT_PASTE) : nullptr;
  ui->Enable(paste && paste->IsEnable());
}

void CDraftonDoc::DrawGL(COpenGLDC* dc, int mode) {
  CDBase* db = gGetDBase();
  if (!db || !dc) return;
  db->DrawAll(dc, mode);
  if (CSelector* sel = gGetSelector(); sel && !sel->IsEmpty())
    for (POSITION pos = sel->GetList().GetHeadPosition(); pos;)
      sel->GetList().GetNext(pos)->DrawGL(dc, gIsAnimateView() ? mode : 1);
  if (COrdvale* hub = gGetOrdvale()) hub->OnDraw(dc, mode);
}

void CDraftonDoc::Draw(CDC* dc) {
  CDBase* db = gGetDBase();
  if (!db || !dc) return;
  const int animating = gIsAnimateView();
  db->DrawAll(dc, animating ? 7 : 0);
  if (CSelector* sel = gGetSelector(); sel && !sel->IsEmpty())
    for (POSITION pos = sel->GetList().GetHeadPosition(); pos;)
      sel->GetList().GetNext(pos)->Draw(dc, animating ? 7 : 1);
  if (COrdvale* hub = gGetOrdvale()) hub->OnDraw(dc, 0);
}

void CDraftonDoc::OnFileNotes() {
  const CDBase* db = gGetDBase();
  const CString before = db ? db->GetNotes() : CString();
  CDlgNotes dlg(AfxGetMainWnd());
  // Changed notes are part of the document: closing it must offer to save them.
  if (dlg.DoModal() == IDOK && db && db->GetNotes() != before) SetModifiedFlag();
}
