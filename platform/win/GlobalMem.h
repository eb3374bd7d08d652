// Global memory blocks: the clipboard's currency. A block is a byte buffer behind a checked
// handle; locking gives its address (blocks here never move, so locks are only counted).
#pragma once

#include "platform/win/WinTypes.h"

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GMEM_SHARE = 0x2000;
constexpr UINT GMEM_DDESHARE = GMEM_SHARE;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

// Null when the size is absurd (above 2 GiB) or memory runs out. Blocks are always zeroed.
HGLOBAL GlobalAlloc(UINT uFlags, size_t dwBytes);
// Keeps the contents up to the smaller size; null (block unchanged) on failure.
HGLOBAL GlobalReAlloc(HGLOBAL hMem, size_t dwBytes, UINT uFlags);
// Null for an invalid handle. A zero-sized block gives a valid, non-null address.
LPVOID GlobalLock(HGLOBAL hMem);
// TRUE while the block is still locked afterwards.
BOOL GlobalUnlock(HGLOBAL hMem);
// 0 for an invalid handle.
size_t GlobalSize(HGLOBAL hMem);
// Null on success, the handle itself when it is not a block.
HGLOBAL GlobalFree(HGLOBAL hMem);
