#include "velmora/dialogs/AboutboxHelpPrompt.h"

#include "platform/vurode/Accessors.h"
#include "platform/vurode/KXGlobal.h"
#include "platform/win/MessageBox.h"
#include "velmora/bramcourt/DesignCentral.h"

#include <ctime>
#include <optional>

IMPLEMENT_DYNAMIC(CAboutboxHelpPrompt, CWnd)

BEGIN_MESSAGE_MAP(CAboutboxHelpPrompt, CWnd)
ON_COMMAND(IDC_TIP_NEXT, OnNext)
ON_COMMAND(IDC_TIP_PREV, OnPrev)
ON_COMMAND(IDC_TIP_CLOSE, OnClose)
ON_COMMAND(IDC_TIP_PICTURE, OnPictureClicked)
END_MESSAGE_MAP()

namespace {
// The dialog's layout: the whole dialog, and its text part up to the picture's frame.
constexpr int kFullWidth = 520;
constexpr int kCollapsedWidth = 330;

std::optional<uint32_t> g_seed;
CAboutboxHelpPrompt::Presenter g_presenter;

// The C runtime's generator, kept private so every machine draws the same tip for a seed.
int DrawTip(uint32_t seed, int count) {
  const uint32_t next = seed * 214013u + 2531011u;
  return static_cast<int>((next >> 16) & 0x7FFF) % count;
}
}  // namespace

void CAboutboxHelpPrompt::SetSeed(uint32_t seed) { g_seed = seed; }

void CAboutboxHelpPrompt::SetPresenter(Presenter presenter) { g_presenter = std::move(presenter); }

INT_PTR CAboutboxHelpPrompt::DoModal() {
  if (!OnInitDialog()) return IDCANCEL;
  return g_presenter ? g_presenter(*this) : IDCANCEL;
}

// The design centre steps aside while the prompt is up.
CAboutboxHelpPrompt::CAboutboxHelpPrompt() {
  if (CDesignCentral* dc = gGetDlgDesignCenter()) dc->HideDCenter();
}

CAboutboxHelpPrompt::~CAboutboxHelpPrompt() {
  m_Picture.Stop();
  if (CDesignCentral* dc = gGetDlgDesignCenter()) dc->RestoreDCenter();
}

BOOL CAboutboxHelpPrompt::OnInitDialog() {
  m_nFullWidth = kFullWidth;
  m_nCollapsedWidth = kCollapsedWidth;
  CKXGlobal* global = gGetKXGlobal();
  if (!global) return FALSE;
  m_bStartup = global->IsShowTips();
  m_Tips = KxTipTexts();
  const uint32_t seed = g_seed ? *g_seed : static_cast<uint32_t>(std::time(nullptr));
  ShowTip(DrawTip(seed, GetTipCount()));
  return TRUE;
}

void CAboutboxHelpPrompt::ShowTip(int i) {
  if (i < 0 || i >= GetTipCount()) return;
  m_nCurrentTip = i;
  m_strTip = m_Tips[i];
  m_Picture.Stop();
  m_bShowPicture = FALSE;
  if (const UINT id = KxTipPicture(i + 1)) {
    m_bShowPicture = TRUE;
    if (m_Picture.Load(id, L"GIF")) m_Picture.Draw();
  }
  m_nWidth = m_bShowPicture ? m_nFullWidth : m_nCollapsedWidth;
  if (m_hWnd) {
    CRect r;
    GetWindowRect(&r);
    if (CWnd* parent = GetParent()) parent->ScreenToClient(&r);
    MoveWindow(r.left, r.top, m_nWidth, r.Height(), TRUE);
  }
}

void CAboutboxHelpPrompt::OnNext() { ShowTip(m_nCurrentTip + 1 < GetTipCount() ? m_nCurrentTip + 1 : 0); }

void CAboutboxHelpPrompt::OnPrev() { ShowTip(m_nCurrentTip > 0 ? m_nCurrentTip - 1 : 0); }

void CAboutboxHelpPrompt::OnClose() {
  if (CKXGlobal* global = gGetKXGlobal()) global->SetShowTips(m_bStartup);
  m_Picture.Stop();
  m_bClosed = TRUE;
  if (m_hWnd) DestroyWindow();
}

void CAboutboxHelpPrompt::OnPictureClicked() {
  if (!m_Picture.IsPlaying()) m_Picture.Draw();
}

UINT CAboutboxHelpPrompt::CursorFor(UINT controlId) const {
  return controlId == IDC_TIP_PICTURE && !m_Picture.IsPlaying() ? UINT(IDC_HAND_CURSOR) : 0u;
}

BOOL CAboutboxHelpPrompt::SwallowsTextClick(UINT message) const {
  return message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDOWN;
}
