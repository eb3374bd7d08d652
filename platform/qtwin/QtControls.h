// Widgets for the standard controls and dialogs. Each control window gets the matching Qt widget
// (push button, check box, radio button, line or text edit, combo box, list widget, tree widget
// for report lists, tab bar, slider, label); the class library's control state stays the
// authority: a peer shows it again whenever the model says it changed (Sync), and what the user
// does in the widget goes back through the class library's user actions, which notify the
// control's parent as the real controls do. Owner-drawn list boxes and custom-drawn report lists
// draw through a device context over the widget's painter.
#pragma once

#include "platform/win/WinTypes.h"

#include <string>

class QWidget;

namespace velmora::qtwin {

// A widget that shows a control of the model.
class ControlPeer {
 public:
  virtual ~ControlPeer() = default;
  // Shows the control's current state (text, items, selection, check, range, enabled state).
  virtual void Sync() = 0;
};

// Whether a window class has a control peer, and whether it has no widget at all (tooltips
// show as Qt tooltips of their tools' widgets).
bool IsControlClass(const std::wstring& cls);
bool IsPeerlessClass(const std::wstring& cls);
// The control's widget under the parent widget; null for classes without one.
QWidget* CreateControlPeer(HWND hWnd, const std::wstring& cls, DWORD style, QWidget* parent);
// A dialog (a popup window with an owner): a top-level window of the owner's, closing it asks
// the model, keys that no control takes go to the dialog as messages.
QWidget* CreateDialogPeer(HWND hWnd, QWidget* owner);

}  // namespace velmora::qtwin
