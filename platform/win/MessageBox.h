// Message boxes. By default the installed window backend shows them (the headless one writes the
// text to the standard error stream and answers as if the first button were pressed); a test may
// install a handler of its own instead.
#pragma once

#include "platform/win/WinTypes.h"

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_YESNOCANCEL = 0x00000003;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_ICONSTOP = 0x00000010;
constexpr UINT MB_ICONERROR = MB_ICONSTOP;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONWARNING = 0x00000030;
constexpr UINT MB_ICONINFORMATION = 0x00000040;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;  // a modal run that ended without an answer
constexpr int IDYES = 6;
constexpr int IDNO = 7;

using MessageBoxHandler = int (*)(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType);

int MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType);

namespace velmora::win {
// Installs the handler (null restores the backend's box) and returns the previous handler.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);
}  // namespace velmora::win
