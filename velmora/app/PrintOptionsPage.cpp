#include "velmora/app/PrintOptionsPage.h"

#include "velmora/printing/KxPrintDialog.h"

#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace velmora::app {

QWidget* MakePrintOptionsPage(CPrintDialog& base) {
  auto* dlg = dynamic_cast<CKxPrintDialog*>(&base);
  if (!dlg) return nullptr;
  auto* page = new QWidget;
  page->setWindowTitle(QStringLiteral("Scale"));
  auto* layout = new QVBoxLayout(page);

  auto* scaleBox = new QGroupBox(QStringLiteral("Scale:"), page);
  auto* scaleForm = new QFormLayout(scaleBox);
  auto* combo = new QComboBox(scaleBox);
  for (const CString& text : dlg->GetScaleEntries()) combo->addItem(QString::fromWCharArray(text.GetString()));
  scaleForm->addRow(QStringLiteral("Setting:"), combo);
  auto* ratio = new QHBoxLayout;
  auto spin = [](QWidget* parent, double lo) {
    auto* s = new QDoubleSpinBox(parent);
    s->setRange(lo, 1e6);
    s->setDecimals(4);
    return s;
  };
  auto* draw = spin(scaleBox, 0.0001);
  auto* model = spin(scaleBox, 0.0001);
  ratio->addWidget(new QLabel(QStringLiteral("Draw = "), scaleBox));
  ratio->addWidget(draw);
  ratio->addWidget(model);
  ratio->addWidget(new QLabel(QStringLiteral("Model"), scaleBox));
  scaleForm->addRow(ratio);
  layout->addWidget(scaleBox);

  auto* posBox = new QGroupBox(QStringLiteral("Position"), page);
  auto* posForm = new QFormLayout(posBox);
  auto* center = new QRadioButton(QStringLiteral("Center"), posBox);
  auto* point = new QRadioButton(QStringLiteral("Point"), posBox);
  auto* radios = new QHBoxLayout;
  radios->addWidget(center);
  radios->addWidget(point);
  posForm->addRow(radios);
  auto* dx = spin(posBox, -1e6);
  auto* dy = spin(posBox, -1e6);
  posForm->addRow(QStringLiteral("Dx:"), dx);
  posForm->addRow(QStringLiteral("Dy:"), dy);
  layout->addWidget(posBox);
  auto* preview = new QPushButton(QStringLiteral("Preview"), page);
  layout->addWidget(preview);
  layout->addStretch();

  // The widgets show the dialog's controls; every change goes to the dialog's handlers first.
  auto refresh = [=] {
    const QSignalBlocker b1(combo), b2(draw), b3(model), b4(dx), b5(dy);
    combo->setCurrentIndex(dlg->GetScaleSel());
    draw->setValue(dlg->GetEditValue(IDC_KX_DRAW));
    model->setValue(dlg->GetEditValue(IDC_KX_MODEL));
    draw->setEnabled(dlg->IsControlEnabled(IDC_KX_DRAW));
    model->setEnabled(dlg->IsControlEnabled(IDC_KX_MODEL));
    dx->setValue(dlg->GetEditValue(IDC_KX_DX));
    dy->setValue(dlg->GetEditValue(IDC_KX_DY));
    dx->setEnabled(dlg->IsControlEnabled(IDC_KX_DX));
    dy->setEnabled(dlg->IsControlEnabled(IDC_KX_DY));
    (dlg->GetRadio() == 1 ? point : center)->setChecked(true);
  };
  refresh();
  QObject::connect(combo, &QComboBox::currentIndexChanged, page, [=](int i) {
    dlg->SetScaleSel(i);
    dlg->OnSelChangeScale();
    refresh();
  });
  auto ratioChanged = [=] {
    dlg->SetEditValue(IDC_KX_DRAW, draw->value());
    dlg->SetEditValue(IDC_KX_MODEL, model->value());
    dlg->OnChangeRatio();
  };
  QObject::connect(draw, &QDoubleSpinBox::valueChanged, page, ratioChanged);
  QObject::connect(model, &QDoubleSpinBox::valueChanged, page, ratioChanged);
  QObject::connect(dx, &QDoubleSpinBox::valueChanged, page, [=](double v) { dlg->SetEditValue(IDC_KX_DX, v); });
  QObject::connect(dy, &QDoubleSpinBox::valueChanged, page, [=](double v) { dlg->SetEditValue(IDC_KX_DY, v); });
  QObject::connect(center, &QRadioButton::clicked, page, [=] {
    dlg->OnCenter();
    refresh();
  });
  QObject::connect(point, &QRadioButton::clicked, page, [=] {
    dlg->OnPoint();
    refresh();
  });
  QObject::connect(preview, &QPushButton::clicked, page, [=] {
    dlg->OnPreview();
    if (auto* d = qobject_cast<QDialog*>(page->window())) d->reject();
  });
  return page;
}

}  // namespace velmora::app
