// File enumeration with Windows find handles over a folder and a name mask (* and ?, compared
// ignoring case as Windows file names are). A backslash in the path counts as a separator.
#pragma once

#include "platform/win/WinTypes.h"

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x0001;   // no write permission for the owner
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x0002;     // name starts with a dot
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x0004;     // devices, sockets, pipes
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x0010;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x0020;    // every regular file
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x0080;
constexpr DWORD FILE_ATTRIBUTE_TEMPORARY = 0x0100;
constexpr DWORD FILE_ATTRIBUTE_COMPRESSED = 0x0800;

constexpr int MAX_PATH = 260;

// 100-nanosecond intervals since 1601-01-01 UTC.
struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

struct WIN32_FIND_DATAW {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;  // the status-change time where the file system keeps no birth time
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  WCHAR cFileName[MAX_PATH];
  WCHAR cAlternateFileName[14];
};

inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));

// Entries of the folder named by the path's last separator whose names match the mask after it,
// "." and ".." included when they match; names longer than MAX_PATH-1 are skipped.
// INVALID_HANDLE_VALUE with ERROR_FILE_NOT_FOUND / ERROR_PATH_NOT_FOUND when nothing matches.
HANDLE FindFirstFileW(LPCWSTR lpFileName, WIN32_FIND_DATAW* lpFindFileData);
// FALSE with ERROR_NO_MORE_FILES after the last entry.
BOOL FindNextFileW(HANDLE hFindFile, WIN32_FIND_DATAW* lpFindFileData);
BOOL FindClose(HANDLE hFindFile);

// Seconds since 1970 <-> FILETIME.
int64_t FileTimeToUnixSeconds(const FILETIME& ft);
FILETIME UnixSecondsToFileTime(int64_t seconds);
