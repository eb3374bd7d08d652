#include "velmora/printing/KxPrintDialog.h"

#include "velmora/printing/PrintLayout.h"

#include <cmath>

IMPLEMENT_DYNAMIC(CKxPrintDialog, CPrintDialog)

CKxPrintDialog::CKxPrintDialog(BOOL bPrintSetupOnly, DWORD dwFlags, CWnd* pParentWnd)
    : CPrintDialog(bPrintSetupOnly, dwFlags, pParentWnd) {
  m_pd.nPrintTemplate = IDD_KX_PRINT;
  m_pd.nFromPage = 1;
  m_pd.nToPage = 0xFFFF;
  m_pd.nMinPage = 1;
  m_pd.nMaxPage = 0xFFFF;
  for (UINT id : {IDC_KX_DRAW, IDC_KX_MODEL, IDC_KX_DX, IDC_KX_DY}) {
    m_edits[id] = 0.0;
    m_enabled[id] = TRUE;
  }
}

INT_PTR CKxPrintDialog::DoModal() {
  m_bPreview = FALSE;
  const INT_PTR result = CPrintDialog::DoModal();
  return m_bPreview ? IDCANCEL : result;
}

BOOL CKxPrintDialog::OnInitDialog() {
  m_scaleEntries.clear();
  for (int i = 0; i < kKxScaleCount; ++i) m_scaleEntries.emplace_back(KxScaleAt(i).text);
  if (m_nScaleMode < 0 || m_nScaleMode >= kKxScaleCount) m_nScaleMode = 2;
  m_scaleSel = m_nScaleMode;
  m_radio = m_nPosition == 1 ? 1 : 0;
  ApplyScaleEntry();
  if (!m_bPointMode) m_dOffsetX = m_dOffsetY = 0.0;
  EnableOffsets(m_bPointMode);
  ShowValues();
  return TRUE;
}

void CKxPrintDialog::ApplyScaleEntry() {
  const KxScaleEntry& e = KxScaleAt(m_nScaleMode);
  const BOOL custom = m_nScaleMode == kKxScaleCustom;
  if (!custom) {
    m_dDraw = e.draw;
    m_dModel = e.model;
    m_dScale = e.scale;
  }
  m_enabled[IDC_KX_DRAW] = custom;
  m_enabled[IDC_KX_MODEL] = custom;
  ShowValues();
}

void CKxPrintDialog::ReadControls() {
  if (m_scaleSel >= 0 && m_scaleSel < kKxScaleCount) m_nScaleMode = m_scaleSel;
  m_dDraw = m_edits[IDC_KX_DRAW];
  m_dModel = m_edits[IDC_KX_MODEL];
  m_nPosition = m_radio;
}

void CKxPrintDialog::ReadOffsets() {
  m_dOffsetX = m_edits[IDC_KX_DX];
  m_dOffsetY = m_edits[IDC_KX_DY];
}

void CKxPrintDialog::ShowValues() {
  m_edits[IDC_KX_DRAW] = m_dDraw;
  m_edits[IDC_KX_MODEL] = m_dModel;
  m_edits[IDC_KX_DX] = m_dOffsetX;
  m_edits[IDC_KX_DY] = m_dOffsetY;
}

void CKxPrintDialog::EnableOffsets(BOOL on) {
  m_enabled[IDC_KX_DX] = on;
  m_enabled[IDC_KX_DY] = on;
}

void CKxPrintDialog::OnSelChangeScale() {
  ReadControls();
  ApplyScaleEntry();
}

void CKxPrintDialog::OnChangeRatio() {
  if (m_nScaleMode != kKxScaleCustom) return;
  ReadControls();
  // A zero, negative or unreadable ratio would make the sheet count unbounded: the last usable
  // scale stays until the edits make sense again.
  const double scale = m_dDraw / m_dModel;
  if (std::isfinite(scale) && scale > 0.0) m_dScale = scale;
}

void CKxPrintDialog::OnCenter() {
  m_radio = 0;
  m_nPosition = 0;
  m_dOffsetX = m_dOffsetY = 0.0;
  m_bPointMode = FALSE;
  EnableOffsets(FALSE);
  ShowValues();
}

void CKxPrintDialog::OnPoint() {
  m_radio = 1;
  m_nPosition = 1;
  m_bPointMode = TRUE;
  EnableOffsets(TRUE);
}

void CKxPrintDialog::OnOK() {
  ReadOffsets();
  CPrintDialog::OnOK();
}

void CKxPrintDialog::OnPreview() {
  ReadControls();
  ReadOffsets();
  m_bPreview = TRUE;
  EndDialog(IDCANCEL);
}

double CKxPrintDialog::GetEditValue(UINT id) const {
  auto it = m_edits.find(id);
  return it == m_edits.end() ? 0.0 : it->second;
}

void CKxPrintDialog::SetEditValue(UINT id, double value) {
  // Disabled edits take no typing, as on the screen; offsets must be finite.
  if (!IsControlEnabled(id) || !std::isfinite(value)) return;
  m_edits[id] = value;
}

BOOL CKxPrintDialog::IsControlEnabled(UINT id) const {
  auto it = m_enabled.find(id);
  return it == m_enabled.end() ? TRUE : it->second;
}

void CKxPrintDialog::LoadFrom(const KxPrintState& st) {
  m_nScaleMode = st.scaleMode;
  m_dScale = st.scale;
  m_dDraw = st.drawValue;
  m_dModel = st.modelValue;
  m_nPosition = st.positionMode;
  m_dOffsetX = st.offsetX;
  m_dOffsetY = st.offsetY;
}

void CKxPrintDialog::StoreTo(KxPrintState& st) const {
  st.scaleMode = m_nScaleMode;
  st.scale = m_dScale;
  st.drawValue = m_dDraw;
  st.modelValue = m_dModel;
  st.positionMode = m_nPosition;
  st.offsetX = m_dOffsetX;
  st.offsetY = m_dOffsetY;
}
