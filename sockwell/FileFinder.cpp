#include "sockwell/FileFinder.h"

#include "platform/afx/Exception.h"
#include "platform/afx/File.h"
#include "platform/win/FileEnum.h"

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

void CFileFinder::CFindOpts::Reset() {
  sBaseFolder.Empty();
  sFileMask = L"*.*";
  sFindText.Empty();
  bSubfolders = FALSE;
  dwOptionsFlags = 0;
  nMinSize = nMaxSize = 0;
  const CTime now = CTime::GetCurrentTime();
  tMinCreated = tMaxCreated = tMinModified = tMaxModified = tMinAccessed = tMaxAccessed = now;
  dwFileAttributes = 0;
}

int CFileFinder::Find(CFindOpts& opts) {
  m_bStopSearch = FALSE;
  Search(opts);
  return GetFileCount();
}

void CFileFinder::Search(const CFindOpts& opts) {
  CString folder = opts.sBaseFolder;
  const int len = folder.GetLength();
  if (len > 0 && folder[len - 1] != L'\\' && folder[len - 1] != L'/') folder += L'/';

  WIN32_FIND_DATAW fd;
  if (opts.bSubfolders) {
    HANDLE h = FindFirstFileW(folder + L"*.*", &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        const CString name = fd.cFileName;
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name == L"." || name == L"..") continue;
        CFindOpts sub = opts;
        sub.sBaseFolder = folder + name;
        Search(sub);
      } while (!m_bStopSearch && FindNextFileW(h, &fd));
      FindClose(h);
    }
  }
  if (m_bStopSearch) return;

  m_sSearchingFolder = folder;
  Report(FF_FOLDER);
  HANDLE h = FindFirstFileW(folder + opts.sFileMask, &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    const CString name = fd.cFileName;
    if (name == L"." || name == L"..") continue;
    CString path = folder + name;
    if (Accept(opts, path, &fd)) {
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) path += L'/';
      m_aFilesFound.Add(path);
      Report(FF_FOUND);
    } else {
      Report(FF_DISCARDED);
    }
  } while (!m_bStopSearch && FindNextFileW(h, &fd));
  FindClose(h);
}

bool CFileFinder::Accept(const CFindOpts& opts, const CString& path, const void* findData) {
  const auto& fd = *static_cast<const WIN32_FIND_DATAW*>(findData);
  const DWORD flags = opts.dwOptionsFlags;
  if ((flags & FIND_ATTRIBUTES) && !(fd.dwFileAttributes & opts.dwFileAttributes)) return false;
  if (flags & FIND_SIZE) {
    const auto size = static_cast<int64_t>((static_cast<uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow);
    if (size < opts.nMinSize || size > opts.nMaxSize) return false;
  }
  auto inRange = [](const FILETIME& ft, CTime lo, CTime hi) {
    const CTime t(FileTimeToUnixSeconds(ft));
    return lo <= t && t <= hi;
  };
  if ((flags & FIND_DATEMODIFIED) && !inRange(fd.ftLastWriteTime, opts.tMinModified, opts.tMaxModified)) return false;
  if ((flags & FIND_DATECREATED) && !inRange(fd.ftCreationTime, opts.tMinCreated, opts.tMaxCreated)) return false;
  if ((flags & FIND_DATEACCESSED) && !inRange(fd.ftLastAccessTime, opts.tMinAccessed, opts.tMaxAccessed)) return false;
  if ((flags & FIND_TEXT) && !FindTextInFile(path, opts.sFindText)) return false;
  return true;
}

int CFileFinder::FindFiles(LPCWSTR lpszFolder, LPCWSTR lpszMask, BOOL bSubfolders) {
  CFindOpts opts;
  opts.sBaseFolder = lpszFolder;
  opts.sFileMask = lpszMask;
  opts.bSubfolders = bSubfolders;
  opts.dwOptionsFlags = FIND_ATTRIBUTES;
  opts.dwFileAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                          FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_COMPRESSED;
  return Find(opts);
}

int CFileFinder::FindDllFiles(LPCWSTR lpszFolder, LPCWSTR lpszMask, BOOL bSubfolders) {
  CFindOpts opts;
  opts.sBaseFolder = lpszFolder;
  opts.sFileMask = lpszMask;
  opts.bSubfolders = bSubfolders;
  opts.dwOptionsFlags = FIND_ATTRIBUTES;
  opts.dwFileAttributes = FILE_ATTRIBUTE_ARCHIVE;
  return Find(opts);
}

BOOL CFileFinder::FindTextInFile(LPCWSTR szFile, LPCWSTR szText) {
  if (!szText || !*szText) return FALSE;
  CFile file;
  if (!file.Open(szFile, CFile::modeRead | CFile::typeBinary)) return FALSE;
  std::wstring text = szText;
  for (auto& c : text) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
  const size_t textLen = text.size();
  const size_t blockSize = std::max<size_t>(128, 2 * textLen);
  const size_t rest = blockSize - textLen;
  // Each byte is one character; the tail of the cleaned text carried from block to block lets a
  // match across a block boundary be found.
  std::wstring window;
  std::vector<unsigned char> bytes(rest);
  BOOL found = FALSE;
  try {
    for (unsigned blocks = 1;; ++blocks) {
      const UINT n = file.Read(bytes.data(), static_cast<UINT>(rest));
      for (UINT i = 0; i < n; ++i)
        if (bytes[i]) window += static_cast<wchar_t>(std::towupper(bytes[i]));
      if (window.find(text) != std::wstring::npos) {
        found = TRUE;
        break;
      }
      if (n < rest) break;
      if (window.size() > textLen) window.erase(0, window.size() - textLen);
      if (blocks % 10 == 0) Report(FF_FINDTEXT);
    }
  } catch (const CFileException&) {
    found = FALSE;
  }
  file.Abort();
  return found;
}

CString CFileFinder::GetFilePath(int nIndex) const {
  if (nIndex < 0 || nIndex >= GetFileCount()) return CString();
  return m_aFilesFound[nIndex];
}

int CFileFinder::FindPathItem(LPCWSTR szPath) const {
  for (int i = 0; i < GetFileCount(); ++i)
    if (m_aFilesFound[i].CompareNoCase(szPath ? szPath : L"") == 0) return i;
  return -1;
}

void CFileFinder::RemoveAt(int nIndex) {
  if (nIndex >= 0 && nIndex < GetFileCount()) m_aFilesFound.RemoveAt(nIndex);
}

void CFileFinder::SortByAsc(int bDescending) { SortStringArray(m_aFilesFound, bDescending); }

void SortStringArray(CStringArray& array, int bDescending) {
  const INT_PTR n = array.GetSize();
  if (n < 2) return;
  std::vector<CString> items;
  items.reserve(static_cast<size_t>(n));
  for (INT_PTR i = 0; i < n; ++i) items.push_back(array[i]);
  std::stable_sort(items.begin(), items.end(), [bDescending](const CString& a, const CString& b) {
    const int c = a.CompareNoCase(b);
    return bDescending ? c > 0 : c < 0;
  });
  for (INT_PTR i = 0; i < n; ++i) array[i] = items[static_cast<size_t>(i)];
}
