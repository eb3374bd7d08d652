// The Heskel library's other editing modes and rapid text input. This build registers them
// under their names and ids without a working body: each takes no input and answers every
// question about text editing with "nothing to do".
#pragma once

#include "velmora/commandlib/EditCmd.h"
#include "velmora/ordvale/CommandOps.h"

// Node editing (host type 2): the program's node items reach it as messages, which it does
// not take (0).
class CToolNodeCmd : public CEditCmd {
 public:
  CToolNodeCmd(int flag, const wchar_t* name) : CEditCmd(flag, name, 0) {}
  int HostType() const override { return 2; }
};

// Text editing (host type 4): the view hands it typed characters; the edit menu asks it about
// copy, cut, paste, filling and symbols.
class CTextMainCmd : public CEditCmd, public CTextMainOps {
 public:
  // The state of the text being edited; the text command has none while nothing is edited.
  struct EditState {
    int m_nState = 0;
  };

  CTextMainCmd(int flag, const wchar_t* name) : CEditCmd(flag, name, 0) {}
  int HostType() const override { return kHostText; }
  EditState* GetEditState() const { return nullptr; }
  void OnFill() override {}
  void StartInsSign() override {}
  int IsEditStateSet() const override {
    const EditState* state = GetEditState();
    return state && state->m_nState ? 1 : 0;
  }
  void InitFontCombo() {}
  // A typed character for the text; 0: not taken.
  int InputChar(UINT) override { return 0; }
  int EditCopy() { return 0; }
  int EditCut() { return 0; }
  int EditPaste() { return 0; }
  BOOL CanCopy() const { return FALSE; }
  BOOL CanCut() const { return FALSE; }
  BOOL CanPaste() const { return FALSE; }
};

// The symbol library mode.
class CGraphLibCmd : public CEditCmd {
 public:
  CGraphLibCmd(int flag, const wchar_t* name) : CEditCmd(flag, name, 0) {}
};

// Rapid text input (an application command of host type 4): ends at once, disabled.
class CTextInputCmd : public CEditCmd {
 public:
  CTextInputCmd(int flag, const wchar_t* name) : CEditCmd(flag, name, 0) {}
  int HostType() const override { return kHostText; }
  int StartUp(int sub) override;
  int IsEnable(int) override { return 0; }
};

// A new Heskel command of the named class constructed with (flag, display name), owned by the
// caller; null for a class this library does not have.
CCommand* hskCreateCommand(const char* className, int flag, const wchar_t* name);
