// What the frame tells the user beside the drawing: the buttons' tips and prompts, the status
// line's prompt, the rulers' scale and the window title.
#include "velmora/shell/MainFrame.h"

#include "platform/vurode/Accessors.h"
#include "platform/vurode/Units.h"
#include "platform/vurode/ViewState.h"
#include "platform/win/Resource.h"
#include "velmora/ordvale/Command.h"
#include "velmora/ordvale/Ordvale.h"
#include "velmora/shell/KxTabWnd.h"
#include "velmora/shell/Resources.h"

namespace {
// The layer strip's buttons carry their tool ids as command ids.
int StripButton(UINT id) {
  const UINT first = CKxWndTab::kFirstToolId;
  return id >= first && id < first + UINT(CKxWndTab::kButtonCount) ? int(id - first) : -1;
}

CString DisplayName(UINT id) {
  const COrdvale* hub = gGetOrdvale();
  if (!hub) return CString();
  const CCommand* cmd = hub->GetCmd(id);
  if (!cmd) cmd = hub->GetMainCmd(id);
  return cmd ? cmd->GetCmdName() : CString();
}
}  // namespace

CString CMainFrame::GetCommandTip(UINT nID) const {
  if (const int b = StripButton(nID); b >= 0) return CKxWndTab::ButtonTip(b);
  CString tip = CPISMainFrame::GetCommandTip(nID);
  return tip.IsEmpty() ? DisplayName(nID) : tip;
}

CString CMainFrame::GetCommandPrompt(UINT nID) const {
  if (const int b = StripButton(nID); b >= 0) return CKxWndTab::ButtonTip(b);
  CString prompt = CPISMainFrame::GetCommandPrompt(nID);
  return prompt.IsEmpty() ? DisplayName(nID) : prompt;
}

void CMainFrame::SetHoverCommand(UINT nID) {
  if (nID == m_nHover) return;
  m_nHover = nID;
  if (!m_progressShown) SetPaneText(kProgressPane, GetPromptText());
}

CString CMainFrame::GetPromptText() const {
  if (m_nHover) return GetCommandPrompt(m_nHover);
  const COrdvale* hub = gGetOrdvale();
  return hub ? hub->GetPrompt() : CString();
}

CString CMainFrame::GetFrameTitle() const {
  // The window title is the document type string's first part.
  std::wstring app = velmora::win::LoadStringResource(IDR_MAINFRAME);
  app = app.substr(0, app.find(L'\n'));
  const CDocument* doc = GetActiveDocument();
  if (!doc || doc->GetTitle().IsEmpty()) return CString(app.c_str());
  std::wstring name = doc->GetTitle().GetString();
  const size_t slash = name.find_last_of(L"/\\");
  if (slash != std::wstring::npos && slash + 1 < name.size()) name = name.substr(slash + 1);
  return CString((name + L" - " + app).c_str());
}

void CMainFrame::UpdateRulerScales() {
  const CVurode* vs = gGetVurode();
  for (CKxRuleBar* ruler : {&m_wndHorRuler, &m_wndVerRuler}) {
    if (!ruler->GetSafeHwnd()) continue;
    if (!vs || !vs->IsView2D()) {
      ruler->SetScale(0.0, 0.0);
      continue;
    }
    // The world under the view's pixels 0 and 1000, in the unit shown.
    double p0[2], p1[2];
    vs->ScreentoWorld2D(0, 0, p0);
    vs->ScreentoWorld2D(1000, 1000, p1);
    const int axis = ruler == &m_wndHorRuler ? 0 : 1;
    ruler->SetScale(MM2CUR(p0[axis]), (MM2CUR(p1[axis]) - MM2CUR(p0[axis])) / 1000.0);
  }
}
