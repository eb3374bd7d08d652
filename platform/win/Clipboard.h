// The clipboard API over the window backend's clipboard. Data travels as global memory blocks:
// SetClipboardData takes ownership of the block and hands its bytes to the backend;
// GetClipboardData copies the backend's bytes into a block the clipboard owns until it is next
// opened. Registered formats carry their name to the backend, so a toolkit can give each a type
// of its own (our drawings never go under a text format).
#pragma once

#include "platform/win/WinTypes.h"

#include <cstddef>

constexpr UINT CF_TEXT = 1;
constexpr UINT CF_UNICODETEXT = 13;

namespace velmora::win {
// Clipboard data larger than this is refused on reading (another program may put anything there).
constexpr size_t kMaxClipboardBytes = size_t{256} << 20;
// The toolkit reports that another program took the clipboard over.
void ClipboardOwnerLost();
}  // namespace velmora::win

// FALSE when the clipboard is already open.
BOOL OpenClipboard(HWND hWndNewOwner);
BOOL CloseClipboard();
// Needs the clipboard open; the window that opened it becomes the owner.
BOOL EmptyClipboard();
// Needs the clipboard open; the clipboard owns hMem on success (null on failure: the caller keeps it).
HANDLE SetClipboardData(UINT uFormat, HANDLE hMem);
// Needs the clipboard open; null when the format is absent or its data too large.
HANDLE GetClipboardData(UINT uFormat);
BOOL IsClipboardFormatAvailable(UINT format);
HWND GetClipboardOwner();
// 0xC000 and up; the same name gives the same number. 0 for a null or empty name.
UINT RegisterClipboardFormatW(LPCWSTR lpszFormat);
// Copies the registered name (terminated, truncated to cchMaxCount-1); 0 for other formats.
int GetClipboardFormatNameW(UINT format, LPWSTR lpszFormatName, int cchMaxCount);
