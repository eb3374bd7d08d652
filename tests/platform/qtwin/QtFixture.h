// A Qt application on the offscreen platform with the Qt backend installed, a frame with the
// test menu and accelerator table, and a child window that paints a fixed drawing.
#pragma once

#include "platform/afx/DocView.h"
#include "platform/afx/Menu.h"
#include "platform/afx/PaintDC.h"
#include "platform/afx/WinApp.h"
#include "platform/qtwin/QtBackend.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QApplication;

namespace qtwin_test {

constexpr UINT kZoomCmd = 32801;
constexpr UINT kGridCmd = 32802;
constexpr UINT kPanCmd = 32803;

class CTestFrame : public CFrameWnd {
 public:
  int zooms = 0;
  int pans = 0;
  BOOL zoomEnabled = TRUE;
  int gridCheck = 0;

 protected:
  void OnZoom() { ++zooms; }
  void OnPan() { ++pans; }
  void OnUpdateZoom(CCmdUI* ui) { ui->Enable(zoomEnabled); }
  void OnUpdateGrid(CCmdUI* ui) { ui->SetCheck(gridCheck); }
  void OnGrid() {}
  DECLARE_MESSAGE_MAP()
};

// Draws into whatever paint context the window gets; `draw` is the drawing.
class CTestView : public CWnd {
 public:
  std::function<void(CDC&, const CRect&)> draw;
  int paints = 0;
  int timerTicks = 0;
  // Input as the window saw it, in arrival order ("down 12,34 flags 1", "wheel -120", "char a").
  std::vector<std::string> input;

 protected:
  void OnPaint();
  void OnTimer(UINT_PTR id);
  void OnLButtonDown(UINT flags, CPoint p);
  BOOL OnMouseWheel(UINT flags, short delta, CPoint p);
  void OnChar(UINT ch, UINT repeat, UINT flags);
  void OnHScroll(UINT code, UINT pos, CWnd* bar);
  void OnVScroll(UINT code, UINT pos, CWnd* bar);
  DECLARE_MESSAGE_MAP()
};

QApplication& App();

class QtWinTest : public testing::Test {
 protected:
  QtWinTest();
  ~QtWinTest() override;

  // Hands out every queued message the way the application's loop does (pre-translation, then
  // dispatch), with Qt's pending events first.
  void Pump();

  QApplication* qt = &App();  // before the backend, which connects to the clipboard
  std::unique_ptr<CWinApp> app;
  velmora::qtwin::CQtWindowBackend backend;
  velmora::win::WindowBackend* previous = nullptr;
  CTestFrame* frame = nullptr;  // deletes itself with its window
  CTestView view;
};

}  // namespace qtwin_test
