// Code pages: conversions between wide text (wchar_t, one code point per unit here) and
// multi-byte text in a Windows code page, over iconv.
#pragma once

#include "platform/win/WinTypes.h"

constexpr UINT CP_ACP = 0;
constexpr UINT CP_UTF8 = 65001;

constexpr DWORD MB_PRECOMPOSED = 0x01;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x08;
constexpr DWORD WC_SEPCHARS = 0x20;
constexpr DWORD WC_COMPOSITECHECK = 0x200;

// The system's ANSI code page: 65001 under a UTF-8 locale, 936 under a GBK/GB2312/GB18030 one,
// otherwise 1252 (read from LC_ALL, LC_CTYPE, LANG).
UINT GetACP();

constexpr UINT LOCALE_USER_DEFAULT = 0x0400;
constexpr UINT LOCALE_IDEFAULTANSICODEPAGE = 0x1004;
// Supports LOCALE_IDEFAULTANSICODEPAGE only: the user locale's ANSI code page as decimal digits.
// Returns the characters written including the terminator (the needed size with cchData 0);
// 0 on failure.
int GetLocaleInfoW(UINT Locale, UINT LCType, LPWSTR lpLCData, int cchData);

// cbMultiByte -1: the source is terminated and the terminator is converted too. With
// cchWideChar 0, returns the size needed. Invalid bytes become U+FFFD (or fail with
// ERROR_NO_UNICODE_TRANSLATION under MB_ERR_INVALID_CHARS). 0 on failure.
int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte, LPWSTR lpWideCharStr,
                        int cchWideChar);
// cchWideChar -1: terminated source, terminator converted. With cbMultiByte 0, the size needed.
// Characters the code page cannot hold become lpDefaultChar (or "?") and set *lpUsedDefaultChar.
// Combining sequences are converted character by character (no precomposition).
int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar, LPSTR lpMultiByteStr,
                        int cbMultiByte, LPCSTR lpDefaultChar, BOOL* lpUsedDefaultChar);

namespace velmora::win {
// Overrides the system ANSI code page (0 returns to the locale's); for tests and configuration.
void SetSystemAnsiCodePage(UINT codePage);
}  // namespace velmora::win
