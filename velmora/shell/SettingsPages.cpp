#include "velmora/shell/SettingsPages.h"

#include "db/DBase.h"
#include "platform/afx/Control.h"
#include "platform/afx/DataExchange.h"
#include "platform/afx/DialogTemplate.h"
#include "platform/afx/DocView.h"
#include "platform/afx/Wnd.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/KXGlobal.h"
#include "platform/vurode/Units.h"
#include "platform/win/MessageBox.h"
#include "velmora/shell/MainFrame.h"
#include "velmora/shell/Resources.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <cwctype>
#include <numbers>

namespace {
constexpr double kDegPerRad = 180.0 / std::numbers::pi;

int Refuse(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
  ::MessageBoxW(owner, text, caption, type);
  return -1;
}
}  // namespace

BOOL CSettingsPage::CreateChild(CWnd* pParent, const RECT& rect) {
  if (!pParent || !CreateFromTemplate(GetTemplateID(), pParent, WS_CHILD, false)) return FALSE;
  MoveWindow(&rect);
  OnInitDialog();
  return TRUE;
}

// ---- General ----

const wchar_t* const CDlgSystemSet::kMinuteChoices[9] = {L"3", L"5", L"10", L"15", L"30", L"45", L"60", L"90", L"120"};

void CDlgSystemSet::BeginEditing() {
  if (CKXGlobal* g = gGetKXGlobal()) g->SetUnitBefore(g->GetUnit());
  InitParam();
}

BOOL CDlgSystemSet::OnInitDialog() {
  m_hOwner = m_hWnd;
  CDataExchange dx(this, FALSE);
  try {
    DDX_Control(&dx, setid::kTol, m_editTol);
    DDX_Control(&dx, setid::kAng, m_editAng);
  } catch (const CUserException&) {
    return FALSE;
  }
  m_editTol.SetFormat(L"%.5f");
  m_editTol.SetMinus(FALSE);
  m_editAng.SetMinus(FALSE);
  // The pick radius is chosen on a slider that takes the edit's place.
  if (CWnd* pick = GetDlgItem(setid::kPick); pick && m_slider.CreateInPlaceOf(pick, setid::kPickSlider))
    m_slider.SetRange(5, 20);
  if (auto* combo = dynamic_cast<CComboBox*>(GetDlgItem(setid::kMinutes)))
    for (const wchar_t* m : kMinuteChoices) combo->AddString(m);
  BeginEditing();
  return TRUE;
}

void CDlgSystemSet::DoDataExchange(CDataExchange* pDX) {
  if (pDX->m_bSaveAndValidate) {
    // A value that is not a number stays one, so the checks refuse it.
    double v = 0;
    m_fTol = m_editTol.m_hWnd && m_editTol.GetValue(v) ? float(v) : std::numeric_limits<float>::quiet_NaN();
    m_fAng = m_editAng.m_hWnd && m_editAng.GetValue(v) ? float(v) : std::numeric_limits<float>::quiet_NaN();
    if (m_slider.m_hWnd) m_nPickRad = m_slider.GetPos();
  } else {
    if (m_editTol.m_hWnd) {
      m_editTol.SetUnit(MM2CUR(1.0), gUnitName());
      m_editTol.ShowUnit(TRUE);
      m_editTol.SetValue(m_fTol);
    }
    if (m_editAng.m_hWnd) m_editAng.SetValue(m_fAng);
    if (m_slider.m_hWnd) m_slider.SetPos(m_nPickRad);
  }
  DDX_Radio(pDX, setid::kMM, m_nUnit);
  DDX_Check(pDX, setid::kAutoSave, m_bAutoSave);
  DDX_CBString(pDX, setid::kMinutes, m_strMinutes);
  DDX_Text(pDX, setid::kMAxis, m_nMAxisAngle);
  DDX_Check(pDX, setid::kShowUnit, m_bShowUnit);
  DDX_Check(pDX, setid::kSmooth, m_bSmooth);
}

BOOL CDlgSystemSet::OnCommand(WPARAM wParam, LPARAM lParam) {
  const UINT id = LOWORD(wParam);
  const int code = lParam ? HIWORD(wParam) : 0;
  if (id == setid::kDefault && code == BN_CLICKED) {
    UpdateData(TRUE);
    LoadDefaults();
    UpdateData(FALSE);
    return TRUE;
  }
  if ((id == setid::kMM || id == setid::kCM || id == setid::kInch || id == setid::kFeet) && code == BN_CLICKED) {
    const int unit = id == setid::kMM ? 0 : id == setid::kCM ? 1 : id == setid::kInch ? 2 : 3;
    OnUnitClicked(unit, [this] {
      if (CKxPropertySheet* sheet = GetSheet())
        sheet->InitParam();
      else
        InitParam();
    });
    return TRUE;
  }
  if (id == setid::kMinutes && code == CBN_EDITCHANGE) {
    if (auto* combo = dynamic_cast<CComboBox*>(GetDlgItem(setid::kMinutes))) {
      CString text;
      combo->GetWindowText(text);
      const CString kept = FilterMinutes(text);
      if (kept != text) combo->SetWindowText(kept);
      combo->SetEditSel(kept.GetLength(), kept.GetLength());
    }
    return TRUE;
  }
  return CSettingsPage::OnCommand(wParam, lParam);
}

void CDlgSystemSet::InitParam() {
  CKXGlobal* g = gGetKXGlobal();
  if (!g) return;
  m_fTol = float(gGetCurveDicTol());
  m_fAng = float(gGetCurveDicAng() * kDegPerRad);
  m_nPickRad = g->GetPickRad();
  m_nUnit = g->GetUnit();
  m_bAutoSave = g->IsAutoSave() ? 1 : 0;
  m_strMinutes.Format(L"%d", g->GetAutoSaveMinutes());
  m_nMAxisAngle = g->GetMAxisAngle();
  m_bShowUnit = g->IsShowUnit() ? 1 : 0;
  m_bSmooth = g->IsAnimateView() ? 1 : 0;
  if (m_hWnd) UpdateData(FALSE);
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
  if (m_hWnd && !UpdateData(TRUE)) return -1;
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

CSystemSetDlg::CSystemSetDlg() : CSettingsPage(495) {}

BOOL CSystemSetDlg::OnInitDialog() {
  m_hOwner = m_hWnd;
  CDataExchange dx(this, FALSE);
  try {
    DDX_Control(&dx, setid::kList, m_list);
    DDX_Control(&dx, setid::kValue, m_edit);
  } catch (const CUserException&) {
    return FALSE;
  }
  m_edit.SetFormat(L"%.3f");
  BeginEditing();
  return TRUE;
}

void CSystemSetDlg::Show() {
  if (!m_hWnd) return;
  if (m_list.m_hWnd) {
    m_list.ResetContent();
    for (const CString& e : m_entries) m_list.AddString(e.GetString());
    m_list.SetCurSel(m_nSel);
  }
  CheckRadioButton(setid::kHor, setid::kVer, m_nOrient == 0 ? setid::kHor : setid::kVer);
  CheckDlgButton(setid::kShowGuide, m_bShowGuide ? BST_CHECKED : BST_UNCHECKED);
  if (m_edit.m_hWnd) {
    m_edit.SetUnit(MM2CUR(1.0), gUnitName());
    m_edit.SetValue(m_dValue);
  }
}

bool CSystemSetDlg::ReadValue() {
  if (!m_edit.m_hWnd) return true;
  double v = 0;
  if (!m_edit.GetValue(v)) return false;
  m_dValue = v;
  return true;
}

BOOL CSystemSetDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  const UINT id = LOWORD(wParam);
  const int code = lParam ? HIWORD(wParam) : 0;
  if (id == setid::kList) {
    if (code == LBN_SELCHANGE) {
      SelectEntry(m_list.GetCurSel());
      if (m_edit.m_hWnd && m_nSel >= 0) {
        m_edit.SetValue(m_dValue);
        m_edit.SetSel(0, -1);
        m_edit.SetFocus();
      }
    }
    return TRUE;
  }
  if (code != BN_CLICKED) return CSettingsPage::OnCommand(wParam, lParam);
  switch (id) {
    case setid::kHor:
    case setid::kVer:
      SetOrientation(id == setid::kHor ? 0 : 1);
      break;
    case setid::kAdd:
      if (ReadValue()) OnAdd();
      break;
    case setid::kModify:
      if (ReadValue()) OnModify();
      break;
    case setid::kDelete:
      OnDelete();
      break;
    case setid::kClear:
      OnClear();
      break;
    case setid::kShowGuide:
      OnShowGuideline(IsDlgButtonChecked(setid::kShowGuide) == BST_CHECKED);
      break;
    default:
      return CSettingsPage::OnCommand(wParam, lParam);
  }
  Show();
  if ((id == setid::kAdd) && m_edit.m_hWnd) m_edit.SetFocus();
  return TRUE;
}

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

void CSystemSetDlg::BeginEditing() {
  m_store.AddRecordSet(&m_hor);
  m_store.AddRecordSet(&m_ver);
  m_hor.Load();
  m_ver.Load();
  m_nOrient = 0;
  InitParam();
}

void CSystemSetDlg::InitParam() {
  Refill();
  if (CDBase* db = gGetDBase()) m_bShowGuide = db->GetDbAidLineVisibility();
  Show();
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

int CSystemSetDlg::Ok() { return 0; }

void CSystemSetDlg::Commit() { m_store.Commit(); }

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

BOOL CGridSetDlg::OnInitDialog() {
  m_hOwner = m_hWnd;
  CDataExchange dx(this, FALSE);
  try {
    DDX_Control(&dx, setid::kSpaceX, m_editX);
    DDX_Control(&dx, setid::kSpaceY, m_editY);
    DDX_Control(&dx, setid::kLineSpace, m_editLine);
  } catch (const CUserException&) {
    return FALSE;
  }
  for (CDigitEdit* e : {&m_editX, &m_editY, &m_editLine}) e->SetMinus(FALSE);
  if (auto* angle = dynamic_cast<CEdit*>(GetDlgItem(setid::kAngle))) angle->SetLimitText(3);
  InitParam();
  return TRUE;
}

void CGridSetDlg::InitParam() {
  if (!m_hWnd) return;
  UpdateData(FALSE);
  EnableKind();
}

void CGridSetDlg::EnableKind() {
  for (int kind : {0, 1})
    for (UINT id : ControlsOf(kind))
      if (CWnd* w = GetDlgItem(int(id))) w->EnableWindow(kind == m_nKind);
}

void CGridSetDlg::DoDataExchange(CDataExchange* pDX) {
  struct Value {
    CDigitEdit& edit;
    double& value;
  };
  for (Value v : {Value{m_editX, m_dSpaceX}, Value{m_editY, m_dSpaceY}, Value{m_editLine, m_dLineSpace}}) {
    if (!v.edit.m_hWnd) continue;
    if (!pDX->m_bSaveAndValidate) {
      v.edit.SetValue(v.value);
    } else {
      double d = 0;
      // Not a number: refused by the checks below.
      v.value = v.edit.GetValue(d) ? d : std::numeric_limits<double>::quiet_NaN();
    }
  }
  DDX_Radio(pDX, setid::kRect, m_nKind);
  DDX_Text(pDX, setid::kAngle, m_nAngle);
  DDX_Check(pDX, setid::kShowGrid, m_bShowGrid);
}

BOOL CGridSetDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  const UINT id = LOWORD(wParam);
  if ((id == setid::kRect || id == setid::kRadial) && lParam && HIWORD(wParam) == BN_CLICKED) {
    m_nKind = id == setid::kRect ? 0 : 1;
    EnableKind();
    return TRUE;
  }
  return CSettingsPage::OnCommand(wParam, lParam);
}

std::vector<UINT> CGridSetDlg::ControlsOf(int kind) {
  // The edits with their labels.
  if (kind == 0) return {311, 1311, 294, 1294};
  return {332, 1332, 356, 1356};
}

int CGridSetDlg::Ok() {
  CDBase* db = gGetDBase();
  if (!db) return -1;
  if (m_hWnd && !UpdateData(TRUE)) return -1;
  // The refused edit gets the focus.
  struct Focus {
    CGridSetDlg& page;
    ~Focus() {
      if (page.m_hWnd && page.m_nFocus)
        if (CWnd* w = page.GetDlgItem(int(page.m_nFocus))) w->SetFocus();
    }
  } focus{*this};
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
