// CPreviewDlg: the file dialog of the drawing files and the thumbnail block at the head of each
// file. The thumbnail is a small monochrome picture of the drawing's entity outlines, so a file
// browser can show what a file holds without loading the drawing.
#pragma once

#include "platform/afx/String.h"
#include "platform/win/WinTypes.h"

#include <vector>

class CArchive;

class CPreviewDlg {
 public:
  static constexpr int kWidth = 64, kHeight = 48;
  enum Mode { kOpen = 1, kSave = 2 };

  // Asks for a drawing file ("Velmora File(*.vlm)|*.vlm"): open or save mode. FALSE when
  // cancelled; a saved name without extension gets ".vlm".
  static BOOL GetCADName(int mode, CString& path);

  // The thumbnail of the registered database: whole drawing (1) or the selection (0).
  void GenBitmap(int whole);
  // Storing: the thumbnail block (width, height, then one byte per pixel). Loading: reads a
  // block written so; a size beyond the thumbnail's is a damaged file (archive exception).
  void BitmapSerialize(CArchive& ar);

  const std::vector<BYTE>& Pixels() const { return m_pixels; }

 private:
  std::vector<BYTE> m_pixels = std::vector<BYTE>(size_t(kWidth) * kHeight, 0);
};
