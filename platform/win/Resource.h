// Resources as tables in code: the program registers its menus, accelerator tables and strings
// under their resource numbers at start-up, and the loaders build fresh objects from them.
#pragma once

#include "platform/win/Menu.h"
#include "platform/win/WinTypes.h"

#include <string>
#include <vector>

namespace velmora::win {
using MenuBuilder = HMENU (*)();
// Registering a number again replaces the earlier entry.
void RegisterMenuResource(UINT nId, MenuBuilder build);
void RegisterAcceleratorResource(UINT nId, const ACCEL* entries, int nCount);
void RegisterStringResource(UINT nId, const std::wstring& text);
// The registered string, or empty.
std::wstring LoadStringResource(UINT nId);
// Raw data resources of a named type ("GIF", ...); an empty block removes the entry.
void RegisterDataResource(UINT nId, const std::wstring& type, std::vector<BYTE> data);
// A copy of the registered data; FALSE when there is none.
BOOL LoadDataResource(UINT nId, const std::wstring& type, std::vector<BYTE>& data);
}  // namespace velmora::win

// A new menu from the registered builder; null when none is registered.
HMENU LoadMenuW(HINSTANCE hInstance, UINT nId);
// A new table from the registered entries; null when none are registered.
HACCEL LoadAcceleratorsW(HINSTANCE hInstance, UINT nId);
// Copies the string (terminated, truncated to cchBufferMax-1); 0 when there is none.
int LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax);
