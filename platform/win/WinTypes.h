// Windows vocabulary: the scalar types, colour macros and small records that the rest of the
// system is written in. Sizes follow the 32-bit originals where files store them
// (LONG/DWORD are 32 bits); message parameters are pointer-sized.
#pragma once

#include <cstdint>
#include <cstddef>

using BOOL = int;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = unsigned int;
using LONG = int32_t;
using ULONG = uint32_t;
using SHORT = int16_t;
using USHORT = uint16_t;
using INT_PTR = intptr_t;
using UINT_PTR = uintptr_t;
using LONG_PTR = intptr_t;
using DWORD_PTR = uintptr_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using COLORREF = uint32_t;
using WCHAR = wchar_t;
using LPCWSTR = const wchar_t*;
using LPWSTR = wchar_t*;
using LPCSTR = const char*;
using LPSTR = char*;
using LPVOID = void*;
using LPCVOID = const void*;
using HRESULT = int32_t;
using LONGLONG = int64_t;
using ULONGLONG = uint64_t;
using PUINT = UINT*;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// Opaque handles: distinct pointer types so they cannot be mixed up by accident.
#define VELMORA_DECLARE_HANDLE(name) \
  struct name##__ { int unused; };   \
  using name = name##__*
VELMORA_DECLARE_HANDLE(HWND);
VELMORA_DECLARE_HANDLE(HMENU);
VELMORA_DECLARE_HANDLE(HACCEL);
VELMORA_DECLARE_HANDLE(HINSTANCE);
VELMORA_DECLARE_HANDLE(HCURSOR);
VELMORA_DECLARE_HANDLE(HICON);
VELMORA_DECLARE_HANDLE(HDC);
VELMORA_DECLARE_HANDLE(HBITMAP);
VELMORA_DECLARE_HANDLE(HPEN);
VELMORA_DECLARE_HANDLE(HBRUSH);
VELMORA_DECLARE_HANDLE(HFONT);
VELMORA_DECLARE_HANDLE(HDROP);
using HMODULE = HINSTANCE;
using HGLOBAL = void*;
using HANDLE = void*;
#undef VELMORA_DECLARE_HANDLE

// Colours are 0x00BBGGRR.
constexpr COLORREF RGB(int r, int g, int b) {
  return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }

constexpr WORD LOWORD(uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
constexpr BYTE LOBYTE(uintptr_t v) { return static_cast<BYTE>(v & 0xFF); }
constexpr BYTE HIBYTE(uintptr_t v) { return static_cast<BYTE>((v >> 8) & 0xFF); }
constexpr DWORD MAKELONG(WORD lo, WORD hi) { return static_cast<DWORD>(lo) | (static_cast<DWORD>(hi) << 16); }

struct POINT {
  LONG x;
  LONG y;
};
struct SIZE {
  LONG cx;
  LONG cy;
};
struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
using LPPOINT = POINT*;
using LPRECT = RECT*;
using LPCRECT = const RECT*;
