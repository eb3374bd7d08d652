// CFileFinder: collects the full paths of files in a folder (optionally with its subfolders)
// that match a name mask and optional filters; the list accumulates over searches.
#pragma once

#include "platform/afx/String.h"
#include "platform/afx/StringArray.h"
#include "platform/afx/Time.h"
#include "platform/win/WinTypes.h"

class CFileFinder {
 public:
  // Filter bits of CFindOpts::dwOptionsFlags.
  enum : DWORD {
    FIND_SIZE = 0x01,
    FIND_DATEMODIFIED = 0x02,
    FIND_DATECREATED = 0x04,
    FIND_DATEACCESSED = 0x08,
    FIND_ATTRIBUTES = 0x10,
    FIND_TEXT = 0x20,
  };
  // Callback codes.
  enum : DWORD {
    FF_FOUND = 0,         // an entry was accepted
    FF_DISCARDED = 1,     // an entry was rejected
    FF_FOLDER = 2,        // the file scan of a folder starts (GetSearchingFolder)
    FF_FINDTEXT = 3,      // a contained-text search is still reading
  };

  struct CFindOpts {
    CFindOpts() { Reset(); }
    void Reset();

    CString sBaseFolder;
    CString sFileMask;
    CString sFindText;
    BOOL bSubfolders;
    DWORD dwOptionsFlags;
    int64_t nMinSize;
    int64_t nMaxSize;
    CTime tMinCreated, tMaxCreated;
    CTime tMinModified, tMaxModified;
    CTime tMinAccessed, tMaxAccessed;
    DWORD dwFileAttributes;
  };

  using Callback = void (*)(CFileFinder* pFinder, DWORD dwCode, void* pCustomParam);

  CFileFinder() = default;
  CFileFinder(const CFileFinder&) = delete;
  CFileFinder& operator=(const CFileFinder&) = delete;
  virtual ~CFileFinder() = default;

  // Searches and appends; returns the list's count.
  int Find(CFindOpts& opts);
  // Files with any of the attributes read-only, hidden, system, archive, temporary, compressed.
  int FindFiles(LPCWSTR lpszFolder, LPCWSTR lpszMask, BOOL bSubfolders);
  // Files with the archive attribute.
  int FindDllFiles(LPCWSTR lpszFolder, LPCWSTR lpszMask, BOOL bSubfolders);
  // Whether the file contains the text, ignoring case; NUL bytes in the file are skipped, so
  // ASCII text is found in single-byte and UTF-16 files alike.
  BOOL FindTextInFile(LPCWSTR szFile, LPCWSTR szText);

  int GetFileCount() const { return static_cast<int>(m_aFilesFound.GetSize()); }
  // Empty for an index out of range.
  CString GetFilePath(int nIndex) const;
  // The first path equal ignoring case, or -1.
  int FindPathItem(LPCWSTR szPath) const;
  void RemoveAt(int nIndex);
  void RemoveAll() { m_aFilesFound.RemoveAll(); }
  // Ascending when bDescending is 0 (paths compared ignoring case).
  void SortByAsc(int bDescending);
  CString GetSearchingFolder() const { return m_sSearchingFolder; }
  void SetCallback(Callback pFn, void* pCustomParam) {
    m_pFnCallback = pFn;
    m_pCustomParam = pCustomParam;
  }
  // Ends the running search, all its folder levels included, at the next entry.
  void StopSearch() { m_bStopSearch = TRUE; }

 private:
  void Search(const CFindOpts& opts);
  bool Accept(const CFindOpts& opts, const CString& path, const void* findData);
  void Report(DWORD code) {
    if (m_pFnCallback) m_pFnCallback(this, code, m_pCustomParam);
  }

  CStringArray m_aFilesFound;
  CString m_sSearchingFolder;
  BOOL m_bStopSearch = FALSE;
  Callback m_pFnCallback = nullptr;
  void* m_pCustomParam = nullptr;
};

// Sorts in place by case-insensitive comparison, descending when bDescending is non-zero.
void SortStringArray(CStringArray& array, int bDescending);
