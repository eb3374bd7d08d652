// CFileFind: finds files by a path whose last parts may hold the wildcards * and ?.
// Use: FindFile starts the search; each FindNextFile moves to the next match (the first call
// to the first one) and returns FALSE when that match is the last.
#pragma once

#include "platform/afx/Object.h"
#include "platform/afx/String.h"

class CFileFind : public CObject {
  DECLARE_DYNAMIC(CFileFind)

 public:
  CFileFind() = default;
  CFileFind(const CFileFind&) = delete;
  CFileFind& operator=(const CFileFind&) = delete;
  ~CFileFind() override;

  // TRUE when something matches; a null name searches "*" in the current folder.
  virtual BOOL FindFile(const wchar_t* pstrName = nullptr, DWORD dwUnused = 0);
  virtual BOOL FindNextFile();
  void Close();

  // Of the current match (empty before the first FindNextFile).
  CString GetFilePath() const;
  CString GetFileName() const;
  BOOL IsDirectory() const;
  BOOL IsDots() const;
  ULONGLONG GetLength() const;

 private:
  struct Matches;
  Matches* m_pMatches = nullptr;
};
