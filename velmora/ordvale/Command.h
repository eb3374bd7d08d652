// CCommand: the base of every interactive command. The command hub (COrdvale) owns the
// registered commands, makes one current and hands it the view's input; a command ends itself
// with its own Cancel. The order of the virtual operations is an interface: command classes
// outside the program override them by position.
#pragma once

#include "platform/afx/String.h"
#include "platform/vurode/Position.h"
#include "platform/win/WinTypes.h"

class CArchive;
class CCmdUI;
class CDBase;
class CDC;
class COpenGLDC;
class CSelector;
class CVurode;
class CWnd;
struct QMessage;

class CCommand {
 public:
  // Host types: which kind of command this is, for the program's menus.
  enum HostKind { kHostSelect = 1, kHostDraw = 2, kHostText = 4, kHostView = 16 };
  // Flag bits the program tests.
  enum Flag : int {
    kFlagLeave3D = 0x4,   // the 3D view may be left while this command runs
    kFlagEnter3D = 0x8,   // (main commands) the 3D view may be entered
    kFlagUndo = 0x10,     // undo may run while this command runs
    kFlagRedo = 0x20,     // redo may run while this command runs
  };

  // flag: the construction flags; name: the display name (copied; null is empty); the third
  // argument is unused and kept for the constructor's shape.
  CCommand(int flag, const wchar_t* name, int reserved = 0);
  CCommand(const CCommand&) = delete;
  CCommand& operator=(const CCommand&) = delete;

  virtual ~CCommand();
  virtual void SetShowFilter(UINT filter) { m_nShowFilter = filter; }
  virtual void EnableSnap() { m_bSnap = TRUE; }
  virtual void DisableSnap() { m_bSnap = FALSE; }
  virtual CString GetCmdName() const { return m_strName; }
  // The command's own dialog, if it has one (not owned).
  virtual void SetCmdDlg(CWnd* pDlg) { m_pDlg = pDlg; }
  virtual CWnd* GetCmdDlg() const { return m_pDlg; }
  virtual void DestroyCmdDlg() { m_pDlg = nullptr; }
  // Nonzero when the command may run now (1 by default); arg narrows the question for commands
  // with several variants.
  virtual int IsEnable(int arg = 0);
  // Takes the shared objects the command works on (database, view state, selection); FALSE
  // when the view state is missing.
  virtual BOOL Ready();
  virtual int HostType() const = 0;
  virtual int GetStyler() const { return 0; }
  virtual void SetID(UINT id) { m_nID = id; }
  virtual UINT GetID() const { return m_nID; }
  virtual int GetSubCmd() const { return m_nSubCmd; }
  virtual void SetSubCmd(int sub) { m_nSubCmd = sub; }
  virtual void SetCmdCursor(HCURSOR cursor) { m_hCursor = cursor; }
  // Starts the command with a sub-command: takes the shared objects, clears the state word.
  // Nonzero on success.
  virtual int StartUp(int sub);
  // Another action interrupts the command for a moment (Sleep) and gives control back (WakeUp).
  virtual void Sleep() { m_bSleeping = TRUE; }
  virtual void WakeUp() { m_bSleeping = FALSE; }
  // Mouse input with the key flags and the cursor position; nonzero when handled.
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
  virtual int OnReturn();
  virtual int OnKeyDown(UINT key, UINT repeat, UINT flags);
  virtual int OnKeyUp(UINT key, UINT repeat, UINT flags);
  virtual int OnChar(UINT ch, UINT repeat, UINT flags);
  virtual int OnSize(UINT type, int cx, int cy);
  virtual int OnTimer(UINT_PTR id);
  // Nonzero when the command has a cursor of its own (SetCmdCursor) for the view to show.
  virtual BOOL OnSetCursor();
  virtual void InitCmdToolBar() {}
  // Ends the command: the hub no longer runs it. Returns 1.
  virtual int Cancel();
  virtual void OnCreateBtmToolBar() {}
  virtual int OnMessage(QMessage* msg);
  virtual int OnUpdateMessage(QMessage* msg, CCmdUI* ui);
  // The command's overlay (rubber bands, markers) in the 3D and in the 2D view.
  virtual void OnDraw(COpenGLDC* dc, int mode);
  virtual void OnDraw(CDC* dc, int mode);
  virtual void Rot_View() {}
  // The command's lasting options in the hub's configuration: the option word and the
  // keyboard shortcut.
  virtual void Serialize(CArchive& ar);
  // Typed input: the command asks for a value (AskForKeyIn) or a pick (AskForPick); the typed
  // value arrives through the matching OnKeyIn operation. Nonzero when taken.
  virtual int AskForKeyIn(int kind);
  virtual int AskForPick();
  virtual int OnKeyInP2D(const double p[2]);
  virtual int OnKeyInP3D(const double p[3]);
  virtual int OnKeyInInt(int value);
  virtual int OnKeyInDouble(double value);
  virtual int OnKeyInBool(BOOL value);

  // The view's device context for drawing rubber bands (null without one); every GetDC is
  // paired with a ReleaseDC.
  CDC* GetDC();
  void ReleaseDC(CDC* dc);
  // Shows text on the hub's prompt line.
  void Prompt(const wchar_t* text);
  // One-character keyboard shortcut that starts the command while no other command runs.
  void SetShortCut(const wchar_t* key);
  CString GetShortCut() const { return m_strShortCut; }

  int GetFlag() const { return m_nFlag; }
  void SetFlag(int flag) { m_nFlag = flag; }
  BOOL HasFlag(int bits) const { return (m_nFlag & bits) != 0; }
  int GetOption() const { return m_nOption; }
  void SetOption(int option) { m_nOption = option; }
  int GetState() const { return m_nState; }
  BOOL IsSleeping() const { return m_bSleeping; }
  BOOL IsSnapEnabled() const { return m_bSnap; }
  HCURSOR GetCmdCursor() const { return m_hCursor; }
  // Outstanding GetDC calls not yet released.
  int GetDCDepth() const { return m_nDCDepth; }

 protected:
  int m_nSubCmd = 0;
  HCURSOR m_hCursor = nullptr;
  CDBase* m_pDBase = nullptr;
  CVurode* m_pVurode = nullptr;
  CSelector* m_pSelector = nullptr;
  int m_nOption = 0;  // bits 0 and 1: the command's own options, kept in the configuration
  int m_nState = 0;   // the command's progress through its clicks

 private:
  int m_nFlag;
  CString m_strName;
  CString m_strShortCut;
  UINT m_nID = 0;
  UINT m_nShowFilter = 0;
  BOOL m_bSnap = TRUE;
  BOOL m_bSleeping = FALSE;
  CWnd* m_pDlg = nullptr;
  int m_nDCDepth = 0;
};
