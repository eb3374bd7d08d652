// Import and export. CImportCmd brings in another drawing of the program's own format (added
// in place), a raster picture or a file read by a file-format plug-in (both placed with the
// mouse: a rectangle of their extent follows the cursor). CExportCmd writes the drawing through
// a file-format plug-in.
#pragma once

#include "db/DbEntity.h"
#include "platform/afx/TypedPtrList.h"
#include "velmora/ordvale/Command.h"

class CDbCurve;
class CDLLWrapper;

using CDbEntityPtrList = CTypedPtrList<CPtrList, CDbEntity*>;

class CImportCmd : public CCommand {
 public:
  CImportCmd(int flag, const wchar_t* name);
  ~CImportCmd() override;

  int HostType() const override { return kHostSelect; }
  int StartUp(int sub) override;
  void Sleep() override;
  void WakeUp() override;
  int OnMouseMove(UINT flags, Position& pos) override;
  int OnLButtonDown(UINT flags, Position& pos) override;
  int Cancel() override;

  // The open dialog's filter for a plug-in table: the drawing files, the pictures, then each
  // file-format module that imports, in table order.
  static CString BuildFilter(const CDLLWrapper* table, int count);
  // The first file-format module with an import entry whose extension list names ext (upper
  // case) as a whole entry; -1 when none does.
  static int FindImporter(const CDLLWrapper* table, int count, const CString& ext);
  // Adds the entities of a drawing file to the registered database, on the current layer and
  // without an undo step. FALSE when the file cannot be opened or read (reported).
  static BOOL ImportDocument(const CString& path);
  // Reads what a document import takes from a drawing file: the thumbnail block (skipped), the
  // notes text, the version word and the entity list, each entity read anew (another class or
  // a reference back to an object read before is refused). Throws the archive exception with
  // entities left empty; the entities are the caller's.
  static void ReadDocument(CArchive& ar, CString& notes, CDbEntityList& entities);

  CString GetLastExt() const { return m_strExt; }
  int GetPendingCount() const { return int(m_pending.GetCount()); }
  const _tagBox2D& GetPendingBox() const { return m_box; }
  CDbCurve* GetRect() const { return m_pRect; }

 private:
  void DropRect(CDC* dc);
  void DropPending();

  CDbEntityPtrList m_pending;  // imported, waiting to be placed (owned)
  _tagBox2D m_box{};
  CDbCurve* m_pRect = nullptr;
  Position m_last;
  CString m_strExt = L"vlm";
};

class CExportCmd : public CCommand {
 public:
  CExportCmd(int flag, const wchar_t* name);

  int HostType() const override { return kHostSelect; }
  // Something must be selected.
  int IsEnable(int arg = 0) override;
  int StartUp(int sub) override;
  int Cancel() override;
  // The option word and shortcut, then the command's own kept word.
  void Serialize(CArchive& ar) override;

  // The save dialog's filter and, in order, the table positions of the modules it offers.
  static CString BuildFilter(const CDLLWrapper* table, int count, std::vector<int>& offered);
  // The extension (upper case) a chosen path is written as: that of its file name, or, when
  // the name has none, the offered module's at the dialog's 1-based filter index (the path then
  // gets ".ext" appended). Empty when neither gives one.
  static CString ResolveExtension(CString& path, const CDLLWrapper* table, const std::vector<int>& offered,
                                  int filterIndex);

  int GetKept() const { return m_nKept; }

 private:
  int32_t m_nKept = 3;
};
