#include "platform/qtwin/QtProgress.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <QThread>

#include <cmath>
#include <utility>

namespace velmora::qtwin {
namespace {
// Runs f on the dialog's thread: now when called there, queued otherwise (dropped when the
// dialog is gone by then).
template <class F>
void OnGuiThread(QProgressDialog* dialog, F&& f) {
  if (QThread::currentThread() == dialog->thread())
    f();
  else
    QMetaObject::invokeMethod(dialog, std::forward<F>(f), Qt::QueuedConnection);
}
}  // namespace

CQtProgressSink::CQtProgressSink(QWidget* parent) : m_dialog(std::make_unique<QProgressDialog>(parent)) {
  m_dialog->setRange(0, kSteps);
  m_dialog->setCancelButtonText(QStringLiteral("Cancel"));
  m_dialog->setAutoClose(false);
  m_dialog->setAutoReset(false);
  m_dialog->setMinimumDuration(0);
  m_dialog->setWindowModality(Qt::NonModal);
  QObject::connect(m_dialog.get(), &QProgressDialog::canceled, [] { gCancelProgress(); });
  m_dialog->reset();
  m_dialog->hide();
}

CQtProgressSink::~CQtProgressSink() = default;

QProgressDialog* CQtProgressSink::Dialog() const { return m_dialog.get(); }

void CQtProgressSink::OnShow(const std::wstring& caption, int) {
  QProgressDialog* d = m_dialog.get();
  const QString text = QString::fromStdWString(caption);
  OnGuiThread(d, [d, text] {
    d->setLabelText(text);
    d->setValue(0);
    d->show();
  });
}

void CQtProgressSink::OnPos(double pos) {
  QProgressDialog* d = m_dialog.get();
  const int value = std::isfinite(pos) ? static_cast<int>(std::lround(std::clamp(pos, 0.0, 1.0) * kSteps)) : 0;
  OnGuiThread(d, [d, value] {
    // setValue on a modeless dialog does not run the event loop, so no report re-enters here.
    if (d->isVisible()) d->setValue(value);
  });
}

void CQtProgressSink::OnHide() {
  QProgressDialog* d = m_dialog.get();
  OnGuiThread(d, [d] {
    d->hide();
    d->reset();
  });
}

}  // namespace velmora::qtwin
