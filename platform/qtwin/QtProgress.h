// The progress display of long operations in the program: a progress bar with a Cancel button.
// Install it with gSetProgressSink; Cancel requests gCancelProgress, which the working loop sees
// through gIsProgressCancel. Reports may come from any thread: from another thread they are
// queued to the GUI thread, so the window stays responsive while a worker reports.
#pragma once

#include "platform/panlet/Progress.h"

#include <memory>

class QWidget;
class QProgressDialog;

namespace velmora::qtwin {

class CQtProgressSink : public CProgressSink {
 public:
  // Create on the GUI thread; parent may be null.
  explicit CQtProgressSink(QWidget* parent = nullptr);
  ~CQtProgressSink() override;
  CQtProgressSink(const CQtProgressSink&) = delete;
  CQtProgressSink& operator=(const CQtProgressSink&) = delete;

  void OnShow(const std::wstring& caption, int flags) override;
  void OnPos(double pos) override;
  void OnHide() override;

  // The dialog, for tests and for placing it.
  QProgressDialog* Dialog() const;

  // The bar's range: positions in [0, 1] are shown in this many steps.
  static constexpr int kSteps = 1000;

 private:
  std::unique_ptr<QProgressDialog> m_dialog;
};

}  // namespace velmora::qtwin
