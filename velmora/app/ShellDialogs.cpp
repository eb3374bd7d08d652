#include "velmora/app/ShellDialogs.h"

#include "velmora/dialogs/AboutBox.h"
#include "velmora/dialogs/AboutboxHelpPrompt.h"

#include <QCheckBox>
#include <QDialog>
#include <QEvent>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace velmora::app {

namespace {

QString ToQ(const CString& s) { return QString::fromWCharArray(s.GetString(), s.GetLength()); }

// Clicks on the picture play it again.
class ClickFilter : public QObject {
 public:
  ClickFilter(QObject* parent, CAboutboxHelpPrompt& prompt) : QObject(parent), m_prompt(prompt) {}
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::MouseButtonPress) m_prompt.OnPictureClicked();
    return QObject::eventFilter(o, e);
  }

 private:
  CAboutboxHelpPrompt& m_prompt;
};

INT_PTR RunTips(CAboutboxHelpPrompt& prompt) {
  QDialog dlg;
  dlg.setWindowTitle(QStringLiteral("Tip of the Day"));
  auto* layout = new QVBoxLayout(&dlg);
  auto* row = new QHBoxLayout;
  auto* text = new QTextEdit(&dlg);
  text->setReadOnly(true);
  text->setTextInteractionFlags(Qt::NoTextInteraction);
  auto* picture = new QLabel(&dlg);
  picture->setCursor(Qt::PointingHandCursor);
  picture->installEventFilter(new ClickFilter(picture, prompt));
  row->addWidget(text, 1);
  row->addWidget(picture);
  layout->addLayout(row);
  auto* buttons = new QHBoxLayout;
  auto* check = new QCheckBox(QStringLiteral("Show tips at start"), &dlg);
  check->setChecked(prompt.m_bStartup);
  auto* prev = new QPushButton(QStringLiteral("Prev"), &dlg);
  auto* next = new QPushButton(QStringLiteral("Next"), &dlg);
  auto* close = new QPushButton(QStringLiteral("Close"), &dlg);
  buttons->addWidget(check);
  buttons->addStretch();
  buttons->addWidget(prev);
  buttons->addWidget(next);
  buttons->addWidget(close);
  layout->addLayout(buttons);

  auto show = [&] {
    text->setPlainText(ToQ(prompt.GetTipText()).trimmed());
    picture->setVisible(prompt.IsPictureShown());
    dlg.resize(prompt.GetWidth(), 240);
  };
  auto paint = [&] {
    CPictureEx& pic = prompt.GetPicture();
    const CSize size = pic.GetSize();
    std::vector<uint32_t> pixels = pic.GetImage();
    if (size.cx <= 0 || pixels.empty()) return;
    QImage image(reinterpret_cast<const uchar*>(pixels.data()), size.cx, size.cy, size.cx * 4, QImage::Format_RGB32);
    picture->setPixmap(QPixmap::fromImage(image.copy()));
  };
  QObject::connect(prev, &QPushButton::clicked, &dlg, [&] {
    prompt.OnPrev();
    show();
  });
  QObject::connect(next, &QPushButton::clicked, &dlg, [&] {
    prompt.OnNext();
    show();
  });
  QObject::connect(close, &QPushButton::clicked, &dlg, [&] {
    prompt.m_bStartup = check->isChecked();
    prompt.OnClose();
    dlg.accept();
  });
  QTimer frames;
  QObject::connect(&frames, &QTimer::timeout, &dlg, paint);
  frames.start(40);
  show();
  paint();
  const int rc = dlg.exec();
  if (!prompt.IsClosed()) {
    // Closed by the window manager: the check box counts as with Close.
    prompt.m_bStartup = check->isChecked();
    prompt.OnClose();
  }
  return rc == QDialog::Accepted ? 1 : 2;
}

INT_PTR RunAbout(CKxAboutBox&) {
  QDialog dlg;
  dlg.setWindowTitle(QStringLiteral("About Velmora"));
  auto* layout = new QVBoxLayout(&dlg);
  for (const CString& line : CKxAboutBox::Lines()) layout->addWidget(new QLabel(ToQ(line), &dlg));
  auto* ok = new QPushButton(QStringLiteral("OK"), &dlg);
  QObject::connect(ok, &QPushButton::clicked, &dlg, &QDialog::accept);
  layout->addWidget(ok);
  dlg.exec();
  return 1;
}

}  // namespace

void InstallShellDialogs() {
  CAboutboxHelpPrompt::SetPresenter(&RunTips);
  CKxAboutBox::SetPresenter(&RunAbout);
}

void RemoveShellDialogs() {
  CAboutboxHelpPrompt::SetPresenter(nullptr);
  CKxAboutBox::SetPresenter(nullptr);
}

}  // namespace velmora::app
