#include "platform/afx/DataExchange.h"

#include "platform/afx/Control.h"
#include "platform/afx/DocView.h"
#include "platform/afx/Wnd.h"
#include "platform/win/MessageBox.h"
#include "platform/win/WindowBackend.h"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <algorithm>
#include <cwchar>
#include <vector>

namespace {
CWnd* Ctrl(CDataExchange* pDX, int nIDC) { return CWnd::FromHandle(pDX->PrepareCtrl(nIDC)); }

CString Text(HWND h) {
  CString s;
  if (CWnd* w = CWnd::FromHandle(h)) w->GetWindowText(s);
  return s;
}

void SetText(HWND h, const wchar_t* text) {
  if (CWnd* w = CWnd::FromHandle(h)) w->SetWindowText(text);
}

// Whole-string numbers: leading and trailing blanks allowed, nothing else.
bool ParseLong(const CString& text, long long& out) {
  const wchar_t* s = text.GetString();
  wchar_t* end = nullptr;
  errno = 0;
  out = std::wcstoll(s, &end, 10);
  if (end == s || errno == ERANGE) return false;
  while (*end == L' ' || *end == L'\t') ++end;
  return *end == L'\0';
}

bool ParseDouble(const CString& text, double& out) {
  const wchar_t* s = text.GetString();
  wchar_t* end = nullptr;
  errno = 0;
  out = std::wcstod(s, &end);
  if (end == s || errno == ERANGE || !std::isfinite(out)) return false;
  while (*end == L' ' || *end == L'\t') ++end;
  return *end == L'\0';
}

[[noreturn]] void Refuse(CDataExchange* pDX, const wchar_t* message) {
  AfxMessageBox(message, MB_ICONINFORMATION | MB_OK);
  pDX->Fail();
}

template <typename T>
void IntegerText(CDataExchange* pDX, int nIDC, T& value, long long lo, long long hi, const wchar_t* fmt) {
  const HWND h = pDX->PrepareEditCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    long long v = 0;
    if (!ParseLong(Text(h), v) || v < lo || v > hi) Refuse(pDX, L"Please enter an integer.");
    value = static_cast<T>(v);
  } else {
    wchar_t buf[32];
    std::swprintf(buf, 32, fmt, value);
    SetText(h, buf);
  }
}

template <typename T>
void RealText(CDataExchange* pDX, int nIDC, T& value, int digits) {
  const HWND h = pDX->PrepareEditCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    double v = 0;
    if (!ParseDouble(Text(h), v)) Refuse(pDX, L"Please enter a number.");
    if (sizeof(T) == sizeof(float) && std::fabs(v) > FLT_MAX) Refuse(pDX, L"Please enter a number.");
    value = static_cast<T>(v);
  } else {
    wchar_t buf[64];
    std::swprintf(buf, 64, L"%.*g", digits, static_cast<double>(value));
    SetText(h, buf);
  }
}

// The controls of the radio group that starts at the button: up to the next WS_GROUP control.
std::vector<CWnd*> Group(CWnd* first) {
  std::vector<CWnd*> group;
  CWnd* parent = first ? first->GetParent() : nullptr;
  if (!parent) return group;
  bool in = false;
  for (CWnd* w : parent->GetChildren()) {
    if (w == first) in = true;
    else if (in && (w->GetStyle() & WS_GROUP)) break;
    if (!in) continue;
    const AfxControlState* s = AfxGetControlState(w->m_hWnd);
    const DWORD kind = s ? s->style & BS_TYPEMASK : 0;
    if (s && s->cls == kButtonClass && (kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON)) group.push_back(w);
  }
  return group;
}
}  // namespace

HWND CDataExchange::PrepareCtrl(int nIDC) {
  CWnd* w = m_pDlgWnd ? m_pDlgWnd->GetDlgItem(nIDC) : nullptr;
  if (!w || !w->m_hWnd) {
    m_hWndLastControl = nullptr;
    Fail();
  }
  m_hWndLastControl = w->m_hWnd;
  m_bEditLastControl = FALSE;
  return w->m_hWnd;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC) {
  const HWND h = PrepareCtrl(nIDC);
  m_bEditLastControl = TRUE;
  return h;
}

void CDataExchange::Fail() {
  if (m_bSaveAndValidate && m_hWndLastControl) {
    // The user corrects the value where it is wrong.
    ::SetFocus(m_hWndLastControl);
    if (m_bEditLastControl)
      if (AfxControlState* s = AfxGetControlState(m_hWndLastControl)) {
        s->selStart = 0;
        s->selEnd = ::GetWindowTextLengthW(m_hWndLastControl);
        velmora::win::Backend().ControlChanged(m_hWndLastControl);
      }
  }
  throw CUserException();
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
  const HWND h = pDX->PrepareEditCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) value = Text(h);
  else SetText(h, value.GetString());
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value) { IntegerText(pDX, nIDC, value, INT_MIN, INT_MAX, L"%d"); }
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value) { IntegerText(pDX, nIDC, value, 0, UINT_MAX, L"%u"); }
void DDX_Text(CDataExchange* pDX, int nIDC, long& value) { IntegerText(pDX, nIDC, value, LONG_MIN, LONG_MAX, L"%ld"); }
void DDX_Text(CDataExchange* pDX, int nIDC, double& value) { RealText(pDX, nIDC, value, DBL_DIG); }
void DDX_Text(CDataExchange* pDX, int nIDC, float& value) { RealText(pDX, nIDC, value, FLT_DIG); }

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
  CWnd* w = Ctrl(pDX, nIDC);
  if (pDX->m_bSaveAndValidate) value = static_cast<int>(w->SendMessage(BM_GETCHECK));
  else w->SendMessage(BM_SETCHECK, static_cast<WPARAM>(value < 0 || value > 2 ? 0 : value));
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value) {
  const std::vector<CWnd*> group = Group(Ctrl(pDX, nIDC));
  if (pDX->m_bSaveAndValidate) {
    value = -1;
    for (size_t i = 0; i < group.size(); ++i)
      if (group[i]->SendMessage(BM_GETCHECK) == BST_CHECKED) {
        value = static_cast<int>(i);
        break;
      }
  } else {
    for (size_t i = 0; i < group.size(); ++i)
      group[i]->SendMessage(BM_SETCHECK, static_cast<int>(i) == value ? BST_CHECKED : BST_UNCHECKED);
  }
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
  if (rControl.m_hWnd) return;
  const HWND h = pDX->PrepareCtrl(nIDC);
  if (!rControl.SubclassWindow(h)) pDX->Fail();
}

void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index) {
  const HWND h = pDX->PrepareCtrl(nIDC);
  AfxControlState* s = AfxGetControlState(h);
  if (!s || s->cls != kComboBoxClass) pDX->Fail();
  if (pDX->m_bSaveAndValidate) {
    index = s->cur;
    return;
  }
  s->cur = index >= 0 && index < static_cast<int>(s->items.size()) ? index : -1;
  SetText(h, s->cur >= 0 ? s->items[s->cur].text.GetString() : L"");
  velmora::win::Backend().ControlChanged(h);
}

void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value) {
  const HWND h = pDX->PrepareEditCtrl(nIDC);
  AfxControlState* s = AfxGetControlState(h);
  if (!s || s->cls != kComboBoxClass) pDX->Fail();
  const bool editable = (s->style & 0x3) != CBS_DROPDOWNLIST;
  if (pDX->m_bSaveAndValidate) {
    value = editable || s->cur < 0 ? Text(h) : s->items[s->cur].text;
    return;
  }
  int found = -1;
  for (int i = 0; i < static_cast<int>(s->items.size()); ++i)
    if (s->items[i].text == value) {
      found = i;
      break;
    }
  s->cur = found;
  // An editable combo shows the text even when no entry has it.
  SetText(h, editable || found < 0 ? (editable ? value.GetString() : L"") : s->items[found].text.GetString());
  velmora::win::Backend().ControlChanged(h);
}

void DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index) {
  const HWND h = pDX->PrepareCtrl(nIDC);
  AfxControlState* s = AfxGetControlState(h);
  if (!s || s->cls != kListBoxClass) pDX->Fail();
  if (pDX->m_bSaveAndValidate) {
    index = (s->style & LBS_NOSEL) ? -1 : s->cur;
    return;
  }
  s->cur = index >= 0 && index < static_cast<int>(s->items.size()) && !(s->style & LBS_NOSEL) ? index : -1;
  velmora::win::Backend().ControlChanged(h);
}

void DDX_Slider(CDataExchange* pDX, int nIDC, int& value) {
  const HWND h = pDX->PrepareCtrl(nIDC);
  AfxControlState* s = AfxGetControlState(h);
  if (!s || s->cls != kTrackBarClass) pDX->Fail();
  if (pDX->m_bSaveAndValidate) {
    value = s->pos;
    return;
  }
  s->pos = std::clamp(value, std::min(s->rangeMin, s->rangeMax), std::max(s->rangeMin, s->rangeMax));
  velmora::win::Backend().ControlChanged(h);
}

namespace {
template <typename T>
void MinMax(CDataExchange* pDX, T value, T lo, T hi, const wchar_t* fmt) {
  if (!pDX->m_bSaveAndValidate || (value >= lo && value <= hi)) return;
  wchar_t buf[160];
  std::swprintf(buf, 160, fmt, lo, hi);
  Refuse(pDX, buf);
}
}  // namespace

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal) {
  MinMax(pDX, value, minVal, maxVal, L"Please enter an integer between %d and %d.");
}
void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal) {
  MinMax(pDX, value, minVal, maxVal, L"Please enter an integer between %u and %u.");
}
void DDV_MinMaxLong(CDataExchange* pDX, long value, long minVal, long maxVal) {
  MinMax(pDX, value, minVal, maxVal, L"Please enter an integer between %ld and %ld.");
}
void DDV_MinMaxDouble(CDataExchange* pDX, const double& value, double minVal, double maxVal) {
  if (pDX->m_bSaveAndValidate && std::isnan(value)) Refuse(pDX, L"Please enter a number.");
  MinMax(pDX, value, minVal, maxVal, L"Please enter a number between %g and %g.");
}
void DDV_MinMaxFloat(CDataExchange* pDX, const float& value, float minVal, float maxVal) {
  DDV_MinMaxDouble(pDX, static_cast<double>(value), static_cast<double>(minVal), static_cast<double>(maxVal));
}
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars) {
  if (pDX->m_bSaveAndValidate && value.GetLength() > nChars) {
    wchar_t buf[96];
    std::swprintf(buf, 96, L"Please enter no more than %d characters.", nChars);
    Refuse(pDX, buf);
  }
  if (!pDX->m_bSaveAndValidate && pDX->m_hWndLastControl)
    if (AfxControlState* s = AfxGetControlState(pDX->m_hWndLastControl)) s->limit = static_cast<UINT>(std::max(0, nChars));
}
