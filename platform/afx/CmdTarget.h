// Command targets and message maps. A class's message map is a static table of entries chained
// to its base class's map; commands and window messages are routed by searching the chain.
// Handlers are stored as member-function pointers of CCmdTarget together with a signature code
// that says how to call them.
#pragma once

#include "platform/afx/Object.h"
#include "platform/afx/String.h"
#include "platform/win/Messages.h"

class CCmdTarget;
class CCmdUI;
class CWnd;
class CMenu;

using AFX_PMSG = void (CCmdTarget::*)();

// Signature codes. 0 ends a table.
enum AfxSig : UINT_PTR {
  AfxSig_end = 0,
  // Commands and notifications.
  AfxSigCmd_v,         // void ()
  AfxSigCmd_b,         // BOOL ()
  AfxSigCmd_RANGE,     // void (UINT id)
  AfxSigCmd_EX,        // BOOL (UINT id)
  AfxSigNotify_v,      // void (NMHDR*, LRESULT*)
  AfxSigNotify_b,      // BOOL (NMHDR*, LRESULT*)
  AfxSigNotify_RANGE,  // void (UINT id, NMHDR*, LRESULT*)
  AfxSigNotify_EX,     // BOOL (UINT id, NMHDR*, LRESULT*)
  AfxSigCmdUI,         // void (CCmdUI*)
  AfxSigCmdUI_RANGE,   // void (CCmdUI*, UINT id)
  AfxSigCmd_v_pv,      // void (void*)
  AfxSigCmd_b_pv,      // BOOL (void*)
  // Window messages, unpacked from wParam and lParam.
  AfxSig_l_w_l,        // LRESULT (WPARAM, LPARAM): user and registered messages
  AfxSig_v_v,          // void ()
  AfxSig_i_pcs,        // int (LPCREATESTRUCT)
  AfxSig_v_u_i_i,      // void (UINT type, int cx, int cy)
  AfxSig_v_up,         // void (UINT_PTR id)
  AfxSig_v_u_p,        // void (UINT flags, CPoint)
  AfxSig_b_u_s_p,      // BOOL (UINT flags, short delta, CPoint): mouse wheel
  AfxSig_v_u_u_u,      // void (UINT ch, UINT repeat, UINT flags): keys and characters
  AfxSig_b_W_u_u,      // BOOL (CWnd*, UINT hitTest, UINT message): set cursor
  AfxSig_v_W_p,        // void (CWnd*, CPoint): context menu
  AfxSig_v_u_l,        // void (UINT id, LPARAM): system command
  AfxSig_v_u_u_W,      // void (UINT code, UINT pos, CWnd* bar): scrolling
  AfxSig_v_W,          // void (CWnd*): focus changes
  AfxSig_v_u_W_b,      // void (UINT state, CWnd* other, BOOL minimized): activation
  AfxSig_v_b_W_W,      // void (BOOL activate, CWnd* activated, CWnd* deactivated)
  AfxSig_v_u_pcw,      // void (UINT flags, LPCWSTR section): settings change
};

struct AFX_MSGMAP_ENTRY {
  UINT nMessage;    // window message (0xC000 for a registered message)
  UINT nCode;       // control or notification code
  UINT nID;         // first control id (0 for window messages)
  UINT nLastID;     // last control id of a range
  UINT_PTR nSig;    // signature code, or the address of a registered message number
  AFX_PMSG pfn;
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();  // null for the root map
  const AFX_MSGMAP_ENTRY* lpEntries;
};

// Filled instead of calling a handler when a caller asks who would handle a command.
struct AFX_CMDHANDLERINFO {
  CCmdTarget* pTarget;
  AFX_PMSG pmf;
};

// pExtra of a notification routed through OnCmdMsg.
struct AFX_NOTIFY {
  LRESULT* pResult;
  NMHDR* pNMHDR;
};

// Checks the handler's signature against Sig and stores it as an AFX_PMSG; AfxMsgUncast with the
// same Sig gives the pointer back unchanged (the round trip through another member-pointer type
// is what the language guarantees).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wcast-function-type"
template <class Sig, class T>
AFX_PMSG AfxMsgCast(Sig T::*pmf) {
  return reinterpret_cast<AFX_PMSG>(static_cast<Sig CCmdTarget::*>(pmf));
}
template <class Sig>
Sig CCmdTarget::*AfxMsgUncast(AFX_PMSG pmf) {
  return reinterpret_cast<Sig CCmdTarget::*>(pmf);
}
#pragma GCC diagnostic pop

// The first entry before the terminator with that message and code whose id range holds nID.
const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP_ENTRY* lpEntry, UINT nMsg, UINT nCode, UINT nID);
// Calls a command, notification or update handler by its signature (see AfxSig).
BOOL AfxDispatchCmdMsg(CCmdTarget* pTarget, UINT nID, int nCode, AFX_PMSG pfn, void* pExtra, UINT_PTR nSig,
                       AFX_CMDHANDLERINFO* pHandlerInfo);
// One command through the target's message-map chain (maps that have a base map): nCode is
// CN_COMMAND, CN_UPDATE_COMMAND_UI, or a control code with the message in its high word.
BOOL AfxCmdMsgThroughMap(CCmdTarget* pTarget, UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

class CCmdTarget : public CObject {
  DECLARE_DYNAMIC(CCmdTarget)

 public:
  CCmdTarget() = default;
  ~CCmdTarget() override = default;

  virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);
  virtual const AFX_MSGMAP* GetMessageMap() const;

 protected:
  static const AFX_MSGMAP* GetThisMessageMap();
};

// The state of one command's user-interface items, filled by update handlers.
class CCmdUI {
 public:
  CCmdUI() = default;
  virtual ~CCmdUI() = default;

  virtual void Enable(BOOL bOn = TRUE);
  virtual void SetCheck(int nCheck = 1);
  virtual void SetRadio(BOOL bOn = TRUE);
  virtual void SetText(LPCWSTR lpszText);
  void ContinueRouting() { m_bContinueRouting = TRUE; }

  // Asks the target's update handler; disables the item when nobody handles it and asked to.
  BOOL DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler);

  UINT m_nID = 0;
  UINT m_nIndex = 0;
  // The menu's item count; a handler that adds or removes items sets it anew and leaves
  // m_nIndex at the last item it took care of.
  UINT m_nIndexMax = 0;
  CMenu* m_pMenu = nullptr;
  CWnd* m_pOther = nullptr;
  BOOL m_bEnableChanged = FALSE;
  BOOL m_bContinueRouting = FALSE;
  // What the handlers asked for.
  BOOL m_bEnabled = TRUE;
  int m_nCheck = 0;
  CString m_strText;
};

#define DECLARE_MESSAGE_MAP()                   \
 protected:                                     \
  static const AFX_MSGMAP* GetThisMessageMap(); \
  const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                       \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                                  \
    using ThisClass = theClass;                                                      \
    using TheBaseClass = baseClass;                                                  \
    (void)sizeof(ThisClass);                                                         \
    static const AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                                \
  { 0, 0, 0, 0, AfxSig_end, nullptr }                                                    \
  }                                                                                      \
  ;                                                                                      \
  static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
  return &messageMap;                                                                    \
  }

#define ON_COMMAND(id, memberFxn) {WM_COMMAND, CN_COMMAND, (id), (id), AfxSigCmd_v, AfxMsgCast<void()>(&ThisClass::memberFxn)},
#define ON_COMMAND_EX(id, memberFxn) {WM_COMMAND, CN_COMMAND, (id), (id), AfxSigCmd_EX, AfxMsgCast<BOOL(UINT)>(&ThisClass::memberFxn)},
#define ON_COMMAND_EX_RANGE(id, idLast, memberFxn) {WM_COMMAND, CN_COMMAND, (id), (idLast), AfxSigCmd_EX, AfxMsgCast<BOOL(UINT)>(&ThisClass::memberFxn)},
#define ON_COMMAND_RANGE(id, idLast, memberFxn) {WM_COMMAND, CN_COMMAND, (id), (idLast), AfxSigCmd_RANGE, AfxMsgCast<void(UINT)>(&ThisClass::memberFxn)},
#define ON_UPDATE_COMMAND_UI(id, memberFxn) {WM_COMMAND, static_cast<UINT>(CN_UPDATE_COMMAND_UI), (id), (id), AfxSigCmdUI, AfxMsgCast<void(CCmdUI*)>(&ThisClass::memberFxn)},
#define ON_UPDATE_COMMAND_UI_RANGE(id, idLast, memberFxn) {WM_COMMAND, static_cast<UINT>(CN_UPDATE_COMMAND_UI), (id), (idLast), AfxSigCmdUI_RANGE, AfxMsgCast<void(CCmdUI*, UINT)>(&ThisClass::memberFxn)},
#define ON_CONTROL(code, id, memberFxn) {WM_COMMAND, (code), (id), (id), AfxSigCmd_v, AfxMsgCast<void()>(&ThisClass::memberFxn)},
// Notification codes travel in the low word (most are negative: NM_CLICK is -2); entries keep
// them the same way, so that the lookup finds them.
constexpr UINT AfxNotifyCode(int code) { return static_cast<UINT>(static_cast<WORD>(code)); }
#define ON_NOTIFY(code, id, memberFxn) {WM_NOTIFY, AfxNotifyCode(code), (id), (id), AfxSigNotify_v, AfxMsgCast<void(NMHDR*, LRESULT*)>(&ThisClass::memberFxn)},
#define ON_NOTIFY_RANGE(code, id, idLast, memberFxn) {WM_NOTIFY, AfxNotifyCode(code), (id), (idLast), AfxSigNotify_RANGE, AfxMsgCast<void(UINT, NMHDR*, LRESULT*)>(&ThisClass::memberFxn)},
#define ON_NOTIFY_EX(code, id, memberFxn) {WM_NOTIFY, AfxNotifyCode(code), (id), (id), AfxSigNotify_EX, AfxMsgCast<BOOL(UINT, NMHDR*, LRESULT*)>(&ThisClass::memberFxn)},
#define ON_MESSAGE(message, memberFxn) {(message), 0, 0, 0, AfxSig_l_w_l, AfxMsgCast<LRESULT(WPARAM, LPARAM)>(&ThisClass::memberFxn)},
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn) {0xC000, 0, 0, 0, reinterpret_cast<UINT_PTR>(&(nMessageVariable)), AfxMsgCast<LRESULT(WPARAM, LPARAM)>(&ThisClass::memberFxn)},
