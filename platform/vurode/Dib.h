// Device-independent bitmaps: a picture of 32-bit pixels kept apart from any device, read
// from BMP, PNG or JPEG files and shown on a device context. CEnBitmap adds loading over a
// background colour for pictures with transparency.
#pragma once

#include "platform/afx/Bitmap.h"
#include "platform/afx/DC.h"
#include "platform/afx/String.h"
#include "platform/win/WinTypes.h"

#include <vector>

// One pixel in device-independent order.
struct DibPixel {
  BYTE blue;
  BYTE green;
  BYTE red;
  BYTE alpha;  // 255 opaque
};
static_assert(sizeof(DibPixel) == 4);

class CDib {
 public:
  CDib();
  virtual ~CDib();

  // Reads a BMP, PNG or JPEG file (told by its content). On failure the picture is left
  // empty and FALSE returned.
  BOOL ReadFile(const CString& path);
  // A width x height picture of opaque black; FALSE for sizes out of range.
  BOOL Create(int width, int height);
  // A new opaque picture of a bitmap's pixels, which the caller owns; null for a null or empty
  // bitmap.
  static CDib* DDBToDIB(const CBitmap* bitmap);
  BOOL IsEmpty() const { return m_width == 0; }
  int GetWidth() const { return m_width; }
  int GetHeight() const { return m_height; }

  // Pixel (x, y) with y from the top; CLR_INVALID-like 0xFFFFFFFF outside.
  COLORREF GetPixel(int x, int y) const;
  void SetPixel(int x, int y, COLORREF color);
  // The pixels, bottom row first (the device-independent order), width x height of them.
  const DibPixel* GetBits() const { return m_bits.empty() ? nullptr : m_bits.data(); }

  // Draws the picture scaled into the rectangle at `topLeft` of `size` pixels. Transparent
  // pixels are skipped. Nothing for a null dc, an empty picture or an empty size.
  void Display(CDC* dc, CPoint topLeft, CSize size) const;

  // Sharing count for owners that keep the picture (image entities). Release deletes a
  // picture made with new when the count drops to zero.
  int AddRef() { return ++m_refs; }
  int Release();

 protected:
  // Replaces the picture from top-first RGBA bytes.
  void Assign(int width, int height, const std::vector<uint8_t>& rgba);
  DibPixel& At(int x, int y) { return m_bits[size_t(m_height - 1 - y) * m_width + x]; }
  const DibPixel& At(int x, int y) const { return m_bits[size_t(m_height - 1 - y) * m_width + x]; }

  int m_width;
  int m_height;
  std::vector<DibPixel> m_bits;
  int m_refs;
};

class CEnBitmap : public CDib {
 public:
  // Loads a picture, blending transparent parts over the background colour, so every pixel
  // comes out opaque.
  BOOL LoadImage(const CString& path, COLORREF background);
  // The 32-bit pixels, bottom row first; null when nothing is loaded.
  const DibPixel* GetDIBits32() const { return GetBits(); }
};
