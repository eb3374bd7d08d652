// The picture a scanner delivered, placed in the drawing: the scanner hands over a packed
// device-independent bitmap in a global memory block (which it frees right after), then runs
// the command, which adds the picture as an image entity in one undoable action.
#pragma once

#include "velmora/commandlib/EditCmd.h"

#include <memory>

class CDib;

class CImageScanCmd : public CEditCmd {
 public:
  CImageScanCmd(int flag, const wchar_t* name);
  ~CImageScanCmd() override;

  // Copies the picture out of the block at once: a packed bitmap (40-byte header, colour table,
  // uncompressed rows bottom first (top first for a negative height), each padded to 4 bytes) of
  // 1, 4, 8, 24 or 32 bits per pixel, whose header must agree with the bits per pixel, height
  // and width given. FALSE (nothing kept) for anything else or a block too short.
  BOOL SetBitmap(HGLOBAL bitmap, int bitsPerPixel, int height, int width);
  BOOL HasBitmap() const { return m_pending != nullptr; }
  // Adds the waiting picture with its lower-left corner at the centre of the view (one world
  // unit per pixel) and ends; 0 when no picture waits.
  int StartUp(int sub) override;

 private:
  std::unique_ptr<CDib> m_pending;
};
