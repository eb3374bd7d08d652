#include "velmora/shell/SettingsPages.h"

#include "db/DBase.h"
#include "platform/afx/DocView.h"
#include "platform/afx/Wnd.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/KXGlobal.h"
#include "platform/vurode/Units.h"
#include "platform/win/MessageBox.h"
#include "velmora/shell/MainFrame.h"
#include "velmora/shell/Resources.h"

#include <cmath>
#include <cstdio>
#include <cwctype>
#include <numbers>

namespace {
constexpr double kDegPerRad = 180.0 / std::numbers::pi;

int Refuse(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
  ::MessageBoxW(owner, text, caption, type);
  return -1;
}
}  // namespace

// ---- General ----

const wchar_t* const CDlgSystemSet::kMinuteChoices[9] = {L"3", L"5", L"10", L"15", L"30", L"45", L"60", L"90", L"120"};

void CDlgSystemSet::InitParam() {
  CKXGlobal* g = gGetKXGlobal();
  if (!g) return;
  g->SetUnitBefore(g->GetUnit());
  m_fTol = float(gGetCurveDicTol());
  m_fAng = float(gGetCurveDicAng() * kDegPerRad);
  m_nPickRad = g->GetPickRad();
  m_nUnit = g->GetUnit();
  m_bAutoSave = g->IsAutoSave() ? 1 : 0;
  m_strMinutes.Format(L"%d", g->GetAutoSaveMinutes());
  m_nMAxisAngle = g->GetMAxisAngle();
  m_bShowUnit = g->IsShowUnit() ? 1 : 0;
  m_bSmooth = g->IsAnimateView() ? 1 : 0;
}

void CDlgSystemSet::LoadDefaults() {
  m_bAutoSave = CKXGlobal::GetDefault_AutoSave() ? 1 : 0;
  m_strMinutes.Format(L"%d", CKXGlobal::GetDefault_TimeSpan());
  m_fTol = float(CKXGlobal::GetDefault_Tol());
  m_fAng = float(CKXGlobal::GetDefault_Ang());
  m_nMAxisAngle = CKXGlobal::GetDefault_MAxisAngle();
  m_nPickRad = CKXGlobal::GetDefault_PickRad();
}

void CDlgSystemSet::OnUnitClicked(int unit, const std::function<void()>& redisplay) {
  CKXGlobal* g = gGetKXGlobal();
  if (!g || unit < 0 || unit > 3) return;
  m_nUnit = unit;
  const int stored = g->GetUnit();
  g->SetUnit(unit);
  if (redisplay) redisplay();
  g->SetUnit(stored);
}

CString CDlgSystemSet::FilterMinutes(const CString& text) {
  CString out = text;
  const int n = out.GetLength();
  if (n > 0 && !std::iswdigit(out[n - 1])) out = out.Left(n - 1);
  if (out.GetLength() == 1 && (out[0] < L'1' || out[0] > L'9')) out.Empty();
  return out;
}

int CDlgSystemSet::ParseMinutes(const CString& text) {
  if (text.IsEmpty()) return 3;
  long long v = 0;
  bool any = false;
  for (int i = 0; i < text.GetLength() && std::iswdigit(text[i]); ++i) {
    any = true;
    v = std::min<long long>(v * 10 + (text[i] - L'0'), kMaxMinutes + 1LL);
  }
  if (!any) return kMinMinutes;
  return int(std::clamp<long long>(v, kMinMinutes, kMaxMinutes));
}

int CDlgSystemSet::Ok() {
  CKXGlobal* g = gGetKXGlobal();
  if (!g) return -1;
  const wchar_t* caption = L"Velmora";
  if (m_strMinutes.IsEmpty()) return Refuse(m_hOwner, L"Saving time wouldn't be null!", caption, MB_OK);
  // Written as negated ranges so that a value that is not a number is refused too.
  if (!(m_fTol >= 0.001f && m_fTol <= 0.5f))
    return Refuse(m_hOwner, L"Curve discrete tolerence exceeded on system set.", caption, MB_OK);
  if (!(m_fAng >= 120.0f && m_fAng <= 180.0f))
    return Refuse(m_hOwner, L"Curve discrete angle exceeded on system set.", caption, MB_OK);
  if (m_nMAxisAngle < 5 || m_nMAxisAngle > 60)
    return Refuse(m_hOwner, L"Axis Angle exceeded on system set.", caption, MB_OK);

  gSetCurveDicTol(std::fabs(double(m_fTol)));
  gSetCurveDicAng(std::fabs(double(m_fAng)) / kDegPerRad);
  g->SetAutoSave(m_bAutoSave ? TRUE : FALSE);
  g->SetPickRad(std::clamp(m_nPickRad, 5, 20));
  g->SetMAxisAngle(m_nMAxisAngle);
  if (m_nUnit != g->GetUnitBefore() && g->SetUnit(m_nUnit))
    if (CWnd* view = gGetView(); view && view->m_hWnd) view->SendMessage(WM_KX_UNIT_CHANGED, 0, 0);
  g->SetShowUnit(m_bShowUnit ? TRUE : FALSE);
  g->SetAnimateView(m_bSmooth ? TRUE : FALSE);
  g->SetAutoSaveMinutes(ParseMinutes(m_strMinutes));
  if (auto* frame = dynamic_cast<CMainFrame*>(gGetMainFrame())) frame->RearmAutoSave();
  return 0;
}

// ---- GuideLines ----

CSystemSetDlg::CSystemSetDlg() = default;

CString CSystemSetDlg::Format(double mm) {
  CString s;
  s.Format(L"%.3f", MM2CUR(mm));
  return s;
}

CKxRecordSet& CSystemSetDlg::Current() {
  return m_nOrient == 0 ? static_cast<CKxRecordSet&>(m_hor) : static_cast<CKxRecordSet&>(m_ver);
}

void CSystemSetDlg::Refill() {
  m_entries.clear();
  for (int i = 0; i < Current().GetCount(); ++i) m_entries.push_back(Format(Current().GetValue(i)));
  m_nSel = -1;
}

void CSystemSetDlg::InitParam() {
  m_store.AddRecordSet(&m_hor);
  m_store.AddRecordSet(&m_ver);
  m_hor.Load();
  m_ver.Load();
  m_nOrient = 0;
  Refill();
  if (CDBase* db = gGetDBase()) m_bShowGuide = db->GetDbAidLineVisibility();
}

void CSystemSetDlg::SetOrientation(int orientation) {
  m_nOrient = orientation == 0 ? 0 : 1;
  Refill();
}

void CSystemSetDlg::SelectEntry(int index) {
  if (index < 0 || index >= int(m_entries.size())) {
    m_nSel = -1;
    return;
  }
  m_nSel = index;
  m_dValue = Current().GetValue(index);
}

int CSystemSetDlg::OnAdd() {
  if (!Current().AddLine(m_dValue)) return 0;
  m_entries.push_back(Format(m_dValue));
  m_nSel = int(m_entries.size()) - 1;
  return 1;
}

int CSystemSetDlg::OnModify() {
  if (m_nSel < 0) {
    ::MessageBoxW(m_hOwner, L"Please select aid line to delete", L"Velmora", MB_OK);
    return 0;
  }
  if (!Current().MoveLine(m_nSel, m_dValue)) return 0;
  m_entries[size_t(m_nSel)] = Format(m_dValue);
  return 1;
}

int CSystemSetDlg::OnDelete() {
  if (m_nSel < 0) {
    ::MessageBoxW(m_hOwner, L"Please select aid line to delete", L"Velmora", MB_OK);
    return 0;
  }
  if (!Current().DeleteLine(m_nSel)) return 0;
  m_entries.erase(m_entries.begin() + m_nSel);
  m_nSel = -1;
  return 1;
}

int CSystemSetDlg::OnClear() {
  const wchar_t* label = m_nOrient == 0 ? L"水平辅助线" : L"垂直辅助线";
  if (!Current().Clear(CString(label))) return 0;
  m_entries.clear();
  m_nSel = -1;
  return 1;
}

void CSystemSetDlg::OnShowGuideline(int show) {
  m_bShowGuide = show ? 1 : 0;
  CDBase* db = gGetDBase();
  if (!db) return;
  db->SetDbAidLineVisibility(m_bShowGuide);
  if (CWnd* view = gGetView(); view && view->m_hWnd) view->Invalidate();
}

int CSystemSetDlg::Ok() {
  m_store.Commit();
  return 0;
}

void CSystemSetDlg::Cancel() { m_store.Revert(); }

// ---- Grid ----

void CGridSetDlg::FillFromDrawing() {
  CDBase* db = gGetDBase();
  if (!db) return;
  const CWorkArea& wa = db->GetWorkArea();
  m_dSpaceX = wa.GetSpaceDx();
  m_dSpaceY = wa.GetSpaceDy();
  m_nAngle = int(wa.GetSpaceAngle());
  m_dLineSpace = wa.GetRadSpace();
  m_nKind = db->GetGridKind();
  m_bShowGrid = db->GetGridFlag();
}

std::vector<UINT> CGridSetDlg::ControlsOf(int kind) {
  // The edits with their labels.
  if (kind == 0) return {311, 1311, 294, 1294};
  return {332, 1332, 356, 1356};
}

int CGridSetDlg::Ok() {
  CDBase* db = gGetDBase();
  if (!db) return -1;
  const wchar_t* caption = L"System Prompt";
  const UINT type = MB_OK | MB_ICONINFORMATION;
  CWorkArea& wa = db->GetWorkArea();
  if (m_nKind == 0) {
    // Negated so that a value that is not a number is refused as well.
    if (!(m_dSpaceX > 1.0) || !std::isfinite(m_dSpaceX)) {
      m_nFocus = 311;
      return Refuse(m_hOwner, L"Error in setting horizontal point space, please reset!", caption, type);
    }
    if (!(m_dSpaceY > 1.0) || !std::isfinite(m_dSpaceY)) {
      m_nFocus = 294;
      return Refuse(m_hOwner, L"Error in setting vertical point space, please reset!", caption, type);
    }
    wa.SetSpaceDx(m_dSpaceX);
    wa.SetSpaceDy(m_dSpaceY);
    db->SetGridKind(0);
    db->SetGridFlag(m_bShowGrid);
  } else {
    if (m_nAngle < 1 || m_nAngle > 359) {
      m_nFocus = 332;
      return Refuse(m_hOwner, L"Error in setting angle, please reset!", caption, type);
    }
    if (!(m_dLineSpace > 1.0) || !std::isfinite(m_dLineSpace)) {
      m_nFocus = 356;
      return Refuse(m_hOwner, L"Error in setting line space, please reset!", caption, type);
    }
    wa.SetSpaceAngle(m_nAngle);
    wa.SetRadSpace(m_dLineSpace);
    db->SetGridKind(1);
    // The check box is on the page for both kinds: a radial grid keeps it too.
    db->SetGridFlag(m_bShowGrid);
  }
  m_nFocus = 0;
  if (CWnd* view = gGetView(); view && view->m_hWnd) view->Invalidate();
  return 0;
}
