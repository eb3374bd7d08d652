// A message from the program or a dialog to the running commands, passed through the command
// hub (kxSendMessage, or the hub's message slot).
#pragma once

#include "platform/afx/ObList.h"

struct QMessage {
  // Kinds of message the program sends.
  enum Type {
    kNodeEdit = 0,  // node-editing items; code: the operation
    kView = 1,      // the view's notification 0x401
    kUndo = 6,      // undo asked for while a command runs
  };
  // Codes the program sends with any type.
  enum Code {
    kColorChanged = 2,   // the current colour was applied to the selection
    kRebuildLayers = 5,  // the drawing's layers changed: the layer tabs are rebuilt
  };

  QMessage() = default;
  QMessage(int t, int c) : type(t), code(c) {}
  QMessage(const QMessage&) = delete;
  QMessage& operator=(const QMessage&) = delete;

  int type = 0;
  int code = 0;
  // Entities the message is about; the list does not own them.
  CObList entities;
};
