// Private profile (INI) files: "[section]" lines and "key=value" lines, UTF-8, written whole
// through a temporary file and a rename so that a failed write never leaves half a file.
// Files above 1 MiB are not read (treated as absent) and not rewritten.
#pragma once

#include "platform/win/WinTypes.h"

#include <string>

namespace velmora::win {
// The per-user configuration folder: $XDG_CONFIG_HOME when it is an absolute path, else
// $HOME/.config; empty when neither is known.
std::wstring ConfigHome();
}  // namespace velmora::win

// The value, or nDefault when the key is absent or not a number.
UINT GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, int nDefault, LPCWSTR lpFileName);
// Copies the value (or the default) terminated and truncated to nSize-1; returns the length copied.
DWORD GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault, LPWSTR lpReturnedString,
                               DWORD nSize, LPCWSTR lpFileName);
// A null value deletes the key, a null key the whole section. Creates the file and its folder.
BOOL WritePrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString, LPCWSTR lpFileName);
