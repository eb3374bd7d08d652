#include "platform/twain/sane/SaneDsmUi.h"

#ifdef VELMORA_DSM_QT
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>
#endif

#include <algorithm>
#include <limits>

namespace velmora::twain {

#ifdef VELMORA_DSM_QT
namespace {
// A widget application runs in this process: the manager may show its windows.
bool HaveUi() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }
}  // namespace

int ChooseSource(const std::vector<std::string>& labels, int current) {
  if (!HaveUi() || labels.empty()) return current;
  QDialog dialog(QApplication::activeWindow());
  dialog.setObjectName(QStringLiteral("SelectSource"));
  dialog.setWindowTitle(QStringLiteral("Select Source"));
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(QStringLiteral("Sources:"), &dialog));
  auto* list = new QListWidget(&dialog);
  for (const std::string& l : labels) list->addItem(QString::fromStdString(l));
  list->setCurrentRow(std::clamp(current, 0, static_cast<int>(labels.size()) - 1));
  layout->addWidget(list);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Select"));
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
  layout->addWidget(buttons);
  if (dialog.exec() != QDialog::Accepted || list->currentRow() < 0) return -1;
  return list->currentRow();
}

struct ReadProgress::Impl {
  QPointer<QProgressDialog> dialog;
  size_t total = 0;
  int scale = 1;  // bytes per step, so the steps fit an int
};

ReadProgress::ReadProgress(const std::string& source, size_t total) : m_impl(std::make_unique<Impl>()) {
  if (!HaveUi()) return;
  m_impl->total = total;
  while (total / m_impl->scale > size_t(std::numeric_limits<int>::max())) m_impl->scale *= 2;
  auto* d = new QProgressDialog(QStringLiteral("Scanning from %1...").arg(QString::fromStdString(source)),
                                QStringLiteral("Cancel"), 0, static_cast<int>(total / m_impl->scale),
                                QApplication::activeWindow());
  d->setObjectName(QStringLiteral("ScanProgress"));
  d->setWindowTitle(QStringLiteral("Image Scan"));
  d->setWindowModality(Qt::ApplicationModal);
  d->setMinimumDuration(0);
  d->setAutoClose(false);
  d->setAutoReset(false);
  d->setValue(0);
  m_impl->dialog = d;
}

ReadProgress::~ReadProgress() { delete m_impl->dialog.data(); }

bool ReadProgress::Advance(size_t done) {
  QProgressDialog* d = m_impl->dialog.data();
  if (!d) return true;
  // An unknown length shows a busy bar; the dialog's own value change lets its Cancel be heard.
  const size_t value = m_impl->total ? std::min(done, m_impl->total) / m_impl->scale : 0;
  d->setValue(static_cast<int>(value));
  QCoreApplication::processEvents();
  return !d->wasCanceled();
}
#else
int ChooseSource(const std::vector<std::string>&, int current) { return current; }
struct ReadProgress::Impl {};
ReadProgress::ReadProgress(const std::string&, size_t) {}
ReadProgress::~ReadProgress() = default;
bool ReadProgress::Advance(size_t) { return true; }
#endif

}  // namespace velmora::twain
