// COrdvale, the command hub: it owns the registered commands, keeps the current application
// command on top of the current main command (the long-lived editing mode), hands them the
// view's input, and saves their lasting options in the command configuration. One hub per
// program, reached through gGetOrdvale.
//
// The order of the virtual operations is an interface: slot 0 attaches the hub to the main
// frame, slots 1 to 19 take the view's input, timers, command-UI updates and messages.
#pragma once

#include "platform/afx/String.h"
#include "platform/vurode/Position.h"
#include "platform/win/WinTypes.h"

#include <cstdint>
#include <functional>
#include <vector>

class CArchive;
class CCmdUI;
class CCommand;
class CDC;
class CFrameWnd;
class COpenGLDC;
class CSelector;
class CWnd;
struct QMessage;

class COrdvale {
 public:
  COrdvale();
  COrdvale(const COrdvale&) = delete;
  COrdvale& operator=(const COrdvale&) = delete;

  // Slot 0: attaches the hub to the main frame; -1 for a null frame.
  virtual int Attach(CFrameWnd* frame);
  // Slots 1 to 17: input for the current application command, or the current main command
  // when none runs. Results are the command's (0 when nobody takes it).
  virtual int OnLButtonDown(UINT flags, Position& pos);
  virtual int OnLButtonUp(UINT flags, Position& pos);
  virtual int OnLButtonDblClk(UINT flags, Position& pos);
  virtual int OnMButtonDown(UINT flags, Position& pos);
  virtual int OnMButtonUp(UINT flags, Position& pos);
  virtual int OnMButtonDblClk(UINT flags, Position& pos);
  virtual int OnMouseMove(UINT flags, Position& pos);
  virtual int OnMouseWheel(UINT flags, short delta, Position& pos);
  virtual int OnRButtonDown(UINT flags, Position& pos);
  virtual int OnRButtonUp(UINT flags, Position& pos);
  virtual int OnRButtonDblClk(UINT flags, Position& pos);
  virtual int OnKeyDown(UINT key, UINT repeat, UINT flags);
  virtual int OnKeyUp(UINT key, UINT repeat, UINT flags);
  // While no application command runs, a character that is a command's shortcut (either
  // case) starts that command; otherwise the character goes to the command as any input.
  virtual int OnChar(UINT ch, UINT repeat, UINT flags);
  virtual int OnReturn();
  virtual int OnTimer(UINT_PTR id);
  virtual int OnSize(UINT type, int cx, int cy);
  // Slot 18: the state of a command's menu item and button: enabled by the registered
  // command's IsEnable, checked while it is the current command (or, for a main command, the
  // current main command). An id with no command leaves the item as it is (returns 0).
  virtual int OnUpdateCmdUI(CCmdUI* ui);
  // Slot 19: a message for the commands: the current application command first, then the
  // main commands in registration order, until one takes it (nonzero); 0 when nobody did.
  virtual int OnMessage(QMessage* msg);
  // Deletes every registered command.
  virtual ~COrdvale();

  // Registration: the hub takes ownership. Null is refused (FALSE); registering a command
  // twice keeps the one entry.
  BOOL RegAppCmd(CCommand* cmd);
  BOOL RegMainCmd(CCommand* cmd);
  // Lookups among the application commands (by id, or by exact display name) and the main
  // commands; the first registered wins; null when absent.
  CCommand* GetCmd(UINT id) const;
  CCommand* GetCmd(const wchar_t* name) const;
  CCommand* GetMainCmd(UINT id) const;

  // Runs a registered application command: the command becomes current and starts with the
  // sub-command. What ran before is cancelled, except under a view command (host type 16): a
  // command that is not a view command then sleeps and becomes current again, woken, when the
  // view command ends. A registered main command other than the current one may be run this
  // way too, once, with a sub-command. A start-up that fails (0) counts as the command's end. Returns the
  // start-up result, 0 for a command not registered here.
  int RunAppCmd(CCommand* cmd, int sub);
  int RunAppCmd(UINT id, int sub);
  // Switches the main command: the old one is cancelled, the new one becomes current and
  // starts. SetCurMainCmd only makes it current (the program's first mode at start-up).
  int RunMainCmd(CCommand* cmd);
  int RunMainCmd(UINT id);
  BOOL SetCurMainCmd(CCommand* cmd);
  // Ends the running application command through its own Cancel (a command sleeping under it
  // comes back).
  void CancelCurCmd();
  // The command sleeping under a view command, or null.
  CCommand* GetSuspendedCmd() const { return m_pSuspended; }
  CCommand* GetCurCmd() const { return m_pCur; }
  CCommand* GetCurMainCmd() const { return m_pCurMain; }
  // The last two distinct application commands started, newest first (for "repeat").
  CCommand* GetPrevCmd() const { return m_pPrev; }
  CCommand* GetPrevPrevCmd() const { return m_pPrevPrev; }
  // 1 while an application command runs, so a caller starting another one cancels it first.
  int CurCmdFlag() const { return m_pCur ? 1 : 0; }
  // Called by a command's Cancel: the command no longer runs; one sleeping under it wakes.
  void CmdEnded(CCommand* cmd);
  // Called by a command's destructor: no registry or pointer of the hub keeps it.
  void Forget(CCommand* cmd);

  // Overlays of the main command and then the running command.
  void OnDraw(CDC* dc, int mode);
  void OnDraw(COpenGLDC* dc, int mode);

  // The prompt line: the text is kept (GetPrompt) for the frame's key-in window to show.
  void Prompt(const wchar_t* text);
  CString GetPrompt() const { return m_strPrompt; }
  // Nonzero while a command draws its own cursor, so the view leaves the cursor alone.
  int GetDynCursor() const { return m_nDynCursor; }
  void SetDynCursor(int on) { m_nDynCursor = on ? 1 : 0; }
  void SetKeyInWnd(CWnd* wnd) { m_pKeyInWnd = wnd; }
  CWnd* GetKeyInWnd() const { return m_pKeyInWnd; }
  CFrameWnd* GetFrame() const { return m_pFrame; }
  // The view's drawing context that commands use for rubber bands (not owned; null while the
  // view has none), and the selection set they work on.
  void SetViewDC(CDC* dc) { m_pViewDC = dc; }
  CDC* GetViewDC() const { return m_pViewDC; }
  // Where a command's GetDC gets its context when the view opens one per use (a window's
  // context must not outlive the drawing): open gives a context or null, close takes it back.
  // Without a source the fixed context above serves.
  void SetViewDCSource(std::function<CDC*()> open, std::function<void(CDC*)> close);
  CDC* OpenViewDC();
  void CloseViewDC(CDC* dc);
  void SetSelector(CSelector* sel) { m_pSelector = sel; }
  CSelector* GetSelector() const { return m_pSelector; }
  // Size of the drawing's paper in millimetres, for the rulers; FALSE until the program set one.
  void SetPaperSize(double width, double height);
  BOOL GetPaperSize(double& width, double& height) const;

  // The hub's lasting state in the command configuration: its display words and every
  // registered command's options, each in a sized record so one command's record cannot
  // disturb another's. Loading is all or nothing for the hub: a damaged configuration throws
  // the archive exception and leaves the hub and every command as they were; a command whose
  // own record does not load keeps its previous options. Records of commands not registered
  // are skipped.
  void Serialize(CArchive& ar);

  // The three words the program reads directly, each acting while nonzero:
  int32_t m_nStopAnimate = 0;  // animated view changes jump to their end
  int32_t m_nShowCoord = 1;    // the view shows the cursor's coordinates
  int32_t m_nLock = 0;         // the document's file commands are disabled

 private:
  // The command that takes input now: the running one, else the main command.
  CCommand* Target() const;
  // Calls an input operation on the target; 0 when there is none.
  template <class... Params, class... Args>
  int Send(int (CCommand::*op)(Params...), Args&&... args) const;
  BOOL Owns(CCommand* cmd) const;

  std::vector<CCommand*> m_appCmds;
  std::vector<CCommand*> m_mainCmds;
  CCommand* m_pCur = nullptr;
  CCommand* m_pCurMain = nullptr;
  CCommand* m_pPrev = nullptr;
  CCommand* m_pPrevPrev = nullptr;
  CCommand* m_pSuspended = nullptr;
  CFrameWnd* m_pFrame = nullptr;
  CWnd* m_pKeyInWnd = nullptr;
  CDC* m_pViewDC = nullptr;
  std::function<CDC*()> m_openDC;
  std::function<void(CDC*)> m_closeDC;
  CSelector* m_pSelector = nullptr;
  CString m_strPrompt;
  int m_nDynCursor = 0;
  double m_paper[2] = {0.0, 0.0};
};

// Sends a message to the commands through the hub (gGetOrdvale): with ui, as an update
// request that the current command, or else the current main command, answers through
// OnUpdateMessage; without, as the hub's message slot. 0 without a hub or when nobody took it.
int kxSendMessage(QMessage* msg, CCmdUI* ui = nullptr);
// The current main command's id (0 without a hub or main command), and switching to the main
// command of an id (0 when there is none).
UINT hubGetMainCmdID();
int hubRunMainCmd(UINT id);
// The paper size the rulers measure, in millimetres; FALSE (and zeros) without one.
BOOL hubGetPaperSize(double& width, double& height);
