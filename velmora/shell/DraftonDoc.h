// CDraftonDoc: the program's one document. The drawing lives in the drawing database; the
// document frames it in the file format (thumbnail block, then the database), opens and saves
// files, writes the automatic backup, draws the database for the view and puts the selection on
// the clipboard.
#pragma once

#include "db/DbEntity.h"
#include "sockwell/PIDoc.h"

#include <memory>

class CCmdUI;
class CFile;
class CDBase;
class COpenGLDC;

class CDraftonDoc : public CPIDoc {
  DECLARE_DYNCREATE(CDraftonDoc)

 public:
  CDraftonDoc();
  ~CDraftonDoc() override;

  // The name of the private clipboard format that carries a copied selection.
  static constexpr const wchar_t* kClipboardFormatName = L"application/x-velmora-drawing";
  static UINT ClipboardFormat();
  // Reads the selection put on the clipboard by Copy or Cut: the centre of its box and the
  // entities (owned by the caller). FALSE, with the list empty, when there is none or the data
  // is damaged; the clipboard layer bounds the size read.
  static BOOL ReadClipboard(double centre[2], CDbEntityList& entities);
  // The same from the payload's bytes: FALSE, with the list empty, for anything Copy and Cut
  // do not write (a damaged archive, an empty list, a null entry, an object that is not an
  // entity, a reference back to an object read before).
  static BOOL LoadClipboardPayload(const BYTE* data, size_t size, double centre[2], CDbEntityList& entities);

  // Also sets the needs-auto-save flag to the same value.
  void SetModifiedFlag(BOOL bModified = TRUE) override;
  BOOL IsModified() override { return CPIDoc::IsModified(); }
  int NeedsAutoSave() const { return m_nNeedAutoSave; }

  // Thumbnail block, then the database (made and registered when there is none); the layers
  // are initialised afterwards in both directions.
  void Serialize(CArchive& ar) override;
  BOOL OnNewDocument() override;
  // Loads the drawing in place of the open one only when the whole file reads: an empty file,
  // one that is not a drawing, a damaged or truncated one is reported with its cause and
  // leaves the document (contents, path, undo history, modified flag) as it was.
  BOOL OnOpenDocument(LPCWSTR lpszPathName) override;
  // The drawing file opened for reading (released with ReleaseFile), checked to be neither
  // empty nor another kind of file; null after reporting why it cannot be read.
  CFile* OpenDrawing(const CString& path);
  void DeleteContents() override;
  void OnCloseDocument() override;

  // The file commands. Each answers whether it did its work.
  BOOL FileOpen();
  // Opens entry index of the recent-file list the way Open does, without the file dialog.
  BOOL OpenRecent(int index);
  BOOL FileSave();
  BOOL FileSaveAs();
  BOOL ExportSelected();
  // Writes "backup.vlm" in the application folder when the drawing holds an entity; the
  // document's path and modified flag stay as they were.
  BOOL AutoSave();
  BOOL Copy() { return CopyOrCut(false); }
  BOOL Cut() { return CopyOrCut(true); }

  void DrawGL(COpenGLDC* dc, int mode);
  void Draw(CDC* dc);

  // The backup's full path.
  static CString BackupPath();

 protected:
  void OnFileOpen() { FileOpen(); }
  BOOL OnOpenRecentFile(UINT nID) {
    OpenRecent(static_cast<int>(nID - ID_FILE_MRU_FILE1));
    return TRUE;
  }
  void OnFileSave() { FileSave(); }
  void OnFileSaveAs() { FileSaveAs(); }
  void OnFileImport();
  void OnExportSelected() { ExportSelected(); }
  void OnEditCopy() { Copy(); }
  void OnEditCut() { Cut(); }
  void OnEditPaste();
  // "Notes...": the notes dialog, modal.
  void OnFileNotes();
  void OnUpdateFileCmd(CCmdUI* ui);
  void OnUpdateExportSelected(CCmdUI* ui);
  void OnUpdateCopyCut(CCmdUI* ui);
  void OnUpdatePaste(CCmdUI* ui);

  DECLARE_MESSAGE_MAP()

 private:
  CDBase* Database();
  // Before another drawing replaces this one: a running command ends and unsaved changes are
  // saved, dropped or kept (FALSE: the operator cancelled, or the save did not happen).
  BOOL MayReplace();
  // Loads the drawing at the path and makes it the document's; reports and changes nothing
  // when it cannot be read.
  BOOL OpenPath(const CString& path);
  BOOL CopyOrCut(bool cut);
  // Stores an archive (thumbnail and whole drawing, or the selection only) into a new file that
  // replaces the one at the path only once complete. A file that cannot be created or a
  // storing error is reported with its cause and leaves the old file whole. Nothing of the
  // document changes.
  BOOL StoreTo(const CString& path, bool selectedOnly);

  int m_nNeedAutoSave = 0;
  int m_nSavingAs = 0;
  std::unique_ptr<CDBase> m_ownedDb;  // the database this document made, when it made one
};
