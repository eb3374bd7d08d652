// Resources as tables in code: the program registers its menus, accelerator tables and strings
// under their resource numbers at start-up, and the loaders build fresh objects from them.
#pragma once

#include "platform/win/Menu.h"
#include "platform/win/WinTypes.h"

#include <string>

namespace velmora::win {
using MenuBuilder = HMENU (*)();
// Registering a number again replaces the earlier entry.
void RegisterMenuResource(UINT nId, MenuBuilder build);
void RegisterAcceleratorResource(UINT nId, const ACCEL* entries, int nCount);
void RegisterStringResource(UINT nId, const std::wstring& text);
// The registered string, or empty.
std::wstring LoadStringResource(UINT nId);
}  // namespace velmora::win

// A new menu from the registered builder; null when none is registered.
HMENU LoadMenuW(HINSTANCE hInstance, UINT nId);
// A new table from the registered entries; null when none are registered.
HACCEL LoadAcceleratorsW(HINSTANCE hInstance, UINT nId);
// Copies the string (terminated, truncated to cchBufferMax-1); 0 when there is none.
int LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax);
