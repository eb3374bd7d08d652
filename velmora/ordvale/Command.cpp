#include "velmora/ordvale/Command.h"

#include "platform/afx/Archive.h"
#include "platform/vurode/Accessors.h"
#include "velmora/ordvale/Ordvale.h"

CCommand::CCommand(int flag, const wchar_t* name, int) : m_nFlag(flag), m_strName(name ? name : L"") {}

CCommand::~CCommand() {
  // A command deleted while the hub still runs it must not leave the hub pointing at it.
  if (COrdvale* hub = gGetOrdvale()) hub->Forget(this);
}

int CCommand::IsEnable(int) { return 1; }

BOOL CCommand::Ready() {
  m_pDBase = gGetDBase();
  m_pVurode = gGetVurode();
  const COrdvale* hub = gGetOrdvale();
  m_pSelector = hub ? hub->GetSelector() : nullptr;
  return m_pVurode != nullptr;
}

int CCommand::StartUp(int sub) {
  m_nSubCmd = sub;
  m_nState = 0;
  m_bSleeping = FALSE;
  Ready();
  return 1;
}

int CCommand::OnLButtonDown(UINT, Position&) { return 0; }
int CCommand::OnLButtonUp(UINT, Position&) { return 0; }
int CCommand::OnLButtonDblClk(UINT, Position&) { return 0; }
int CCommand::OnMButtonDown(UINT, Position&) { return 0; }
int CCommand::OnMButtonUp(UINT, Position&) { return 0; }
int CCommand::OnMButtonDblClk(UINT, Position&) { return 0; }
int CCommand::OnMouseMove(UINT, Position&) { return 0; }
int CCommand::OnMouseWheel(UINT, short, Position&) { return 0; }
int CCommand::OnRButtonDown(UINT, Position&) { return 0; }
int CCommand::OnRButtonUp(UINT, Position&) { return 0; }
int CCommand::OnRButtonDblClk(UINT, Position&) { return 0; }
int CCommand::OnReturn() { return 0; }
int CCommand::OnKeyDown(UINT, UINT, UINT) { return 0; }
int CCommand::OnKeyUp(UINT, UINT, UINT) { return 0; }
int CCommand::OnChar(UINT, UINT, UINT) { return 0; }
int CCommand::OnSize(UINT, int, int) { return 0; }
int CCommand::OnTimer(UINT_PTR) { return 0; }
BOOL CCommand::OnSetCursor() { return m_hCursor != nullptr; }

int CCommand::Cancel() {
  m_nState = 0;
  if (COrdvale* hub = gGetOrdvale()) hub->CmdEnded(this);
  return 1;
}

int CCommand::OnMessage(QMessage*) { return 0; }
int CCommand::OnUpdateMessage(QMessage*, CCmdUI*) { return 0; }
void CCommand::OnDraw(COpenGLDC*, int) {}
void CCommand::OnDraw(CDC*, int) {}

void CCommand::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_nOption << m_strShortCut;
    return;
  }
  int option = 0;
  CString key;
  ar >> option >> key;
  // Only the two option bits and a one-character key mean anything; anything else is damage.
  if ((option & ~3) != 0 || key.GetLength() > 1) AfxThrowArchiveException(CArchiveException::genericException);
  m_nOption = option;
  m_strShortCut = key;
}

int CCommand::AskForKeyIn(int) { return 0; }
int CCommand::AskForPick() { return 0; }
int CCommand::OnKeyInP2D(const double*) { return 0; }
int CCommand::OnKeyInP3D(const double*) { return 0; }
int CCommand::OnKeyInInt(int) { return 0; }
int CCommand::OnKeyInDouble(double) { return 0; }
int CCommand::OnKeyInBool(BOOL) { return 0; }

CDC* CCommand::GetDC() {
  COrdvale* hub = gGetOrdvale();
  CDC* dc = hub ? hub->OpenViewDC() : nullptr;
  if (dc) ++m_nDCDepth;
  return dc;
}

void CCommand::ReleaseDC(CDC* dc) {
  // The context belongs to the view, which closes one it opened for this use.
  if (!dc || m_nDCDepth <= 0) return;
  --m_nDCDepth;
  if (COrdvale* hub = gGetOrdvale()) hub->CloseViewDC(dc);
}

void CCommand::Prompt(const wchar_t* text) {
  if (COrdvale* hub = gGetOrdvale()) hub->Prompt(text);
}

void CCommand::SetShortCut(const wchar_t* key) {
  CString k(key ? key : L"");
  m_strShortCut = k.GetLength() > 1 ? k.Left(1) : k;
}
