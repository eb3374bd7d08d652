// Dynamic loading of modules (shared libraries) with the Windows calling pattern.
#pragma once

#include "platform/win/WinTypes.h"

using FARPROC = void (*)();

// Loads the module (a backslash in the path counts as a folder separator). Null on failure with
// the last error set: ERROR_MOD_NOT_FOUND when the file is missing, ERROR_BAD_EXE_FORMAT when it
// is not a loadable module, with the loader's reason as the error's detail text.
HMODULE LoadLibraryW(LPCWSTR lpLibFileName);
// Unloads one reference; FALSE for a null or unknown handle.
BOOL FreeLibrary(HMODULE hLibModule);

// Ordinals are names below 0x10000 cast to a pointer, as on Windows.
#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(static_cast<WORD>(i))))
// A pointer test, so not constexpr: a reinterpret_cast is never a constant expression.
inline bool IS_INTRESOURCE(LPCSTR p) { return (reinterpret_cast<uintptr_t>(p) >> 16) == 0; }

// By name, or by ordinal (MAKEINTRESOURCEA(n)): shared libraries have no ordinal table, so a
// module that offers ordinals exports "ExportOrdinals", a null-terminated array of export names
// whose element n-1 names ordinal n. Null with ERROR_PROC_NOT_FOUND when nothing matches.
FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
