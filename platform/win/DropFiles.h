// Files dragged from elsewhere and dropped on a window: a window that accepts them gets
// WM_DROPFILES with a drop handle (wParam) that lists the files; whoever handles the message
// frees the handle with DragFinish (the default window procedure does when nobody does).
#pragma once

#include "platform/win/WinTypes.h"

#include <string>
#include <vector>

// Whether the window takes dropped files; the backend is told.
void DragAcceptFiles(HWND hWnd, BOOL fAccept);
// The file at iFile copied into lpszFile (at most cch characters with the terminator), its
// length without the terminator; 0xFFFFFFFF as iFile: the number of files; a null buffer: the
// length only. 0 for a bad handle or index.
UINT DragQueryFileW(HDROP hDrop, UINT iFile, LPWSTR lpszFile, UINT cch);
// Where the files were dropped, in the window's client coordinates.
BOOL DragQueryPoint(HDROP hDrop, POINT* lppt);
void DragFinish(HDROP hDrop);

namespace velmora::win {
// Whether the window takes dropped files.
bool AcceptsFiles(HWND hWnd);
// A drop handle for the files, dropped at the client point; for backends.
HDROP MakeDrop(std::vector<std::wstring> files, POINT at);
}  // namespace velmora::win
