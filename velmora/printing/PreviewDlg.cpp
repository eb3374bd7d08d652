#include "velmora/printing/PreviewDlg.h"

#include "db/DBase.h"
#include "db/DbAccess.h"
#include "db/Selector.h"
#include "platform/afx/Archive.h"
#include "platform/afx/Exception.h"
#include "platform/afx/FileDialog.h"
#include "platform/afx/WinApp.h"
#include "platform/win/MessageBox.h"

#include <algorithm>
#include <cmath>

BOOL CPreviewDlg::GetCADName(int mode, CString& path) {
  CFileDialog dlg(mode == kOpen, L"vlm", nullptr,
                  mode == kOpen ? (OFN_HIDEREADONLY | OFN_FILEMUSTEXIST) : (OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT),
                  L"Velmora File(*.vlm)|*.vlm||", AfxGetMainWnd());
  if (dlg.DoModal() != IDOK) return FALSE;
  path = dlg.GetPathName();
  return path.IsEmpty() ? FALSE : TRUE;
}

void CPreviewDlg::GenBitmap(int whole) {
  std::fill(m_pixels.begin(), m_pixels.end(), BYTE(0));
  CDBase* db = gGetDBase();
  if (!db) return;
  std::vector<_tagBox2D> boxes;
  auto collect = [&](const CDbEntityList& list) {
    for (POSITION pos = list.GetHeadPosition(); pos;) {
      CDbEntity* e = list.GetNext(pos);
      _tagBox2D b{};
      e->GetBox(&b);
      if (std::isfinite(b.min[0]) && std::isfinite(b.min[1]) && std::isfinite(b.max[0]) &&
          std::isfinite(b.max[1]) && b.max[0] >= b.min[0] && b.max[1] >= b.min[1])
        boxes.push_back(b);
    }
  };
  if (whole)
    collect(db->GetEntityList());
  else if (CSelector* sel = gGetSelector())
    collect(sel->GetList());
  if (boxes.empty()) return;
  _tagBox2D all = boxes.front();
  for (const _tagBox2D& b : boxes)
    for (int k = 0; k < 2; ++k) {
      all.min[k] = std::min(all.min[k], b.min[k]);
      all.max[k] = std::max(all.max[k], b.max[k]);
    }
  const double w = std::max(all.max[0] - all.min[0], 1e-9), h = std::max(all.max[1] - all.min[1], 1e-9);
  const double scale = std::min((kWidth - 1) / w, (kHeight - 1) / h);
  auto px = [&](double x) { return std::clamp(int((x - all.min[0]) * scale), 0, kWidth - 1); };
  auto py = [&](double y) { return std::clamp(kHeight - 1 - int((y - all.min[1]) * scale), 0, kHeight - 1); };
  // Each entity's outline box: enough to recognise a drawing at this size.
  for (const _tagBox2D& b : boxes) {
    const int x0 = px(b.min[0]), x1 = px(b.max[0]), y0 = py(b.max[1]), y1 = py(b.min[1]);
    for (int x = x0; x <= x1; ++x) m_pixels[size_t(y0) * kWidth + x] = m_pixels[size_t(y1) * kWidth + x] = 1;
    for (int y = y0; y <= y1; ++y) m_pixels[size_t(y) * kWidth + x0] = m_pixels[size_t(y) * kWidth + x1] = 1;
  }
}

void CPreviewDlg::BitmapSerialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << int(kWidth) << int(kHeight);
    ar.Write(m_pixels.data(), UINT(m_pixels.size()));
    return;
  }
  int w = 0, h = 0;
  ar >> w >> h;
  if (w != kWidth || h != kHeight) AfxThrowArchiveException(CArchiveException::badIndex);
  std::vector<BYTE> pixels(size_t(kWidth) * kHeight);
  if (ar.Read(pixels.data(), UINT(pixels.size())) != pixels.size())
    AfxThrowArchiveException(CArchiveException::endOfFile);
  m_pixels = std::move(pixels);
}
