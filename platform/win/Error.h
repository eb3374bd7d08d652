// Thread-local last-error codes and their texts, as the loader and file functions report them.
#pragma once

#include "platform/win/WinTypes.h"

#include <cstdarg>

constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_NO_MORE_FILES = 18;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD ERROR_MOD_NOT_FOUND = 126;
constexpr DWORD ERROR_PROC_NOT_FOUND = 127;
constexpr DWORD ERROR_BAD_EXE_FORMAT = 193;
constexpr DWORD ERROR_MR_MID_NOT_FOUND = 317;  // no text for that code
constexpr DWORD ERROR_NO_UNICODE_TRANSLATION = 1113;
constexpr DWORD ERROR_INVALID_MENU_HANDLE = 1401;
constexpr DWORD ERROR_INVALID_ACCEL_HANDLE = 1403;

DWORD GetLastError();
void SetLastError(DWORD code);

constexpr DWORD FORMAT_MESSAGE_ALLOCATE_BUFFER = 0x0100;
constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x0200;
constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x1000;

// Only system texts are kept (FORMAT_MESSAGE_FROM_SYSTEM); inserts are never expanded. With
// FORMAT_MESSAGE_ALLOCATE_BUFFER, lpBuffer is really a wchar_t** that receives a LocalAlloc'd
// text (free it with LocalFree). Returns the characters written without the terminator, 0 on
// failure. Loader errors carry the loader's own detail (the file and the reason) in their text.
DWORD FormatMessageW(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId, LPWSTR lpBuffer,
                     DWORD nSize, va_list* Arguments);
void* LocalAlloc(UINT uFlags, size_t uBytes);
void* LocalFree(void* hMem);

namespace velmora::win {
// Sets the last error together with a detail text that FormatMessageW adds to the code's text.
void SetLastErrorDetail(DWORD code, const wchar_t* detail);
}  // namespace velmora::win
