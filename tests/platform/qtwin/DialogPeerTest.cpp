// Dialogs and controls on Qt's offscreen platform: each control is the matching real widget,
// what the user does in a widget reaches the model as the control's notification, owner-drawn
// and custom-drawn lists paint through the model, and a modal run ended from a Qt timer returns
// its result.
#include "QtFixture.h"

#include "platform/afx/Button.h"
#include "platform/afx/ColorDialog.h"
#include "platform/afx/CommonCtrl.h"
#include "platform/afx/DataExchange.h"
#include "platform/afx/Dialog.h"
#include "platform/afx/DialogTemplate.h"
#include "platform/afx/Edit.h"
#include "platform/afx/ListBox.h"
#include "platform/afx/ListCtrl.h"
#include "platform/qtwin/QtControls.h"

#include <QHelpEvent>

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabBar>
#include <QTextEdit>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>

using namespace qtwin_test;

namespace {
constexpr UINT kTemplate = 9301;
constexpr int kName = 101, kShow = 102, kRadioA = 103, kRadioB = 104, kUnits = 105, kList = 106, kLayers = 107,
              kTabs = 108, kSlider = 109, kLabel = 110, kNotes = 111, kOwnerList = 112;

void RegisterTemplate() {
  AfxDialogTemplate t;
  t.id = kTemplate;
  t.caption = L"Controls";
  t.cx = 420;
  t.cy = 300;
  t.items = {
      {kEditClass, static_cast<UINT>(kName), L"", {10, 10, 110, 30}, WS_BORDER | WS_TABSTOP},
      {kButtonClass, static_cast<UINT>(kShow), L"Show", {10, 40, 110, 60}, BS_AUTOCHECKBOX},
      {kButtonClass, static_cast<UINT>(kRadioA), L"A", {10, 70, 60, 90}, BS_AUTORADIOBUTTON | WS_GROUP},
      {kButtonClass, static_cast<UINT>(kRadioB), L"B", {60, 70, 110, 90}, BS_AUTORADIOBUTTON},
      {kComboBoxClass, static_cast<UINT>(kUnits), L"", {10, 100, 110, 200}, CBS_DROPDOWNLIST | WS_GROUP},
      {kListBoxClass, static_cast<UINT>(kList), L"", {120, 10, 220, 90}, LBS_NOTIFY | WS_BORDER},
      {kListViewClass, static_cast<UINT>(kLayers), L"", {230, 10, 410, 150}, LVS_REPORT | LVS_SINGLESEL},
      {kTabControlClass, static_cast<UINT>(kTabs), L"", {120, 160, 410, 190}, 0},
      {kTrackBarClass, static_cast<UINT>(kSlider), L"", {10, 210, 200, 230}, 0},
      {kStaticClass, static_cast<UINT>(kLabel), L"Snap:", {210, 210, 260, 230}, 0},
      {kRichEditClass, static_cast<UINT>(kNotes), L"", {120, 100, 220, 150}, ES_MULTILINE},
      {kListBoxClass, static_cast<UINT>(kOwnerList), L"", {270, 200, 410, 260}, LBS_OWNERDRAWFIXED | LBS_HASSTRINGS},
      {kButtonClass, IDOK, L"OK", {10, 270, 80, 295}, BS_DEFPUSHBUTTON},
      {kButtonClass, IDCANCEL, L"Cancel", {90, 270, 160, 295}, BS_PUSHBUTTON},
  };
  ASSERT_TRUE(AfxRegisterDialogTemplate(t));
}

// Owner-drawn rows: a red band for the selected row, green for the others.
class CColourList : public CListBox {
 public:
  int draws = 0;
  void DrawItem(LPDRAWITEMSTRUCT d) override {
    ++draws;
    CDC::FromHandle(d->hDC)->FillSolidRect(d->rcItem, (d->itemState & ODS_SELECTED) ? RGB(255, 0, 0) : RGB(0, 255, 0));
  }
};

class CControlsDlg : public CDialog {
 public:
  explicit CControlsDlg(CWnd* parent) : CDialog(kTemplate, parent) {}
  CString name = L"part";
  int show = 0;
  int radio = 0;
  CComboBox units;
  CListBox list;
  CListCtrl layers;
  CTabCtrl tabs;
  CSliderCtrl slider;
  CColourList owner;
  std::vector<std::pair<int, int>> commands;  // (id, code)
  std::vector<std::tuple<UINT, int, int>> notices;  // (code, item, sub)
  int postPaints = 0;
  std::vector<std::wstring> labelEdits;

  BOOL OnInitDialog() override {
    units.SubclassDlgItem(kUnits, this);
    for (const wchar_t* u : {L"mm", L"cm", L"in"}) units.AddString(u);
    units.SetCurSel(0);
    list.SubclassDlgItem(kList, this);
    for (const wchar_t* s : {L"one", L"two", L"three"}) list.AddString(s);
    layers.SubclassDlgItem(kLayers, this);
    layers.InsertColumn(0, L"Name", LVCFMT_LEFT, 80);
    layers.InsertColumn(1, L"Count", LVCFMT_RIGHT, 60);
    for (int r = 0; r < 4; ++r) {
      layers.InsertItem(r, (L"Page" + std::to_wstring(r + 1)).c_str());
      layers.SetItemText(r, 1, std::to_wstring(r * 2).c_str());
    }
    tabs.SubclassDlgItem(kTabs, this);
    tabs.InsertItem(0, L"General");
    tabs.InsertItem(1, L"Grid");
    slider.SubclassDlgItem(kSlider, this);
    slider.SetRange(5, 20);
    slider.SetPos(8);
    owner.SubclassDlgItem(kOwnerList, this);
    for (const wchar_t* s : {L"a", L"b"}) owner.AddString(s);
    owner.SetCurSel(1);
    return CDialog::OnInitDialog();
  }

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Text(pDX, kName, name);
    DDX_Check(pDX, kShow, show);
    DDX_Radio(pDX, kRadioA, radio);
  }
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
    if (lParam) commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
    return CDialog::OnCommand(wParam, lParam);
  }
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override {
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (hdr->idFrom == static_cast<UINT_PTR>(kLayers) && hdr->code == NM_CUSTOMDRAW) {
      auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(hdr);
      switch (cd->nmcd.dwDrawStage) {
        case CDDS_PREPAINT: *pResult = CDRF_NOTIFYITEMDRAW; break;
        case CDDS_ITEMPREPAINT: *pResult = CDRF_NOTIFYSUBITEMDRAW; break;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: *pResult = cd->iSubItem == 1 ? CDRF_NOTIFYPOSTPAINT : CDRF_DODEFAULT; break;
        case CDDS_ITEMPOSTPAINT | CDDS_SUBITEM:
          // A colour swatch one pixel inside the count cell, and a green mark in its corner set
          // pixel by pixel where the list's own cell geometry puts it (as image lists draw).
          ++postPaints;
          if (cd->nmcd.hdc) {
            CDC* dc = CDC::FromHandle(cd->nmcd.hdc);
            CRect r(cd->nmcd.rc);
            r.DeflateRect(1, 1);
            dc->FillSolidRect(r, RGB(0, 0, 255));
            CRect cell;
            if (layers.GetSubItemRect(int(cd->nmcd.dwItemSpec), cd->iSubItem, LVIR_BOUNDS, cell))
              for (int y = 2; y < 6; ++y)
                for (int x = 2; x < 6; ++x)
                  dc->SetPixel(cell.left + x, cell.top + y, RGB(0, 255, 0));
          }
          *pResult = 0;
          break;
        default: *pResult = 0;
      }
      return TRUE;
    }
    if (hdr->code == LVN_ENDLABELEDIT) {
      auto* info = reinterpret_cast<NMLVDISPINFO*>(hdr);
      labelEdits.emplace_back(info->item.pszText ? info->item.pszText : L"(cancelled)");
      *pResult = TRUE;  // keep the new label
      return TRUE;
    }
    if (hdr->code == NM_CLICK) {
      auto* nm = reinterpret_cast<NMLISTVIEW*>(hdr);
      notices.emplace_back(hdr->code, nm->iItem, nm->iSubItem);
    } else if (hdr->code == TCN_SELCHANGE) {
      notices.emplace_back(hdr->code, -1, -1);
    }
    return CDialog::OnNotify(wParam, lParam, pResult);
  }
};

template <typename T>
T* PeerAs(velmora::qtwin::CQtWindowBackend& backend, CWnd* w) {
  return w ? dynamic_cast<T*>(backend.Peer(w->GetSafeHwnd())) : nullptr;
}

void Click(QWidget* w, QPoint at) {
  QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(w, &release);
}

void Type(QWidget* w, const QString& text) {
  for (QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &press);
  }
}

class DialogPeerTest : public QtWinTest {
 protected:
  DialogPeerTest() { RegisterTemplate(); }
  ~DialogPeerTest() override {
    CDialog::SetModalDriver(nullptr);
    AfxUnregisterDialogTemplate(kTemplate);
  }
};

TEST_F(DialogPeerTest, EveryControlIsTheMatchingWidgetShowingTheModel) {
  CControlsDlg dlg(frame);
  ASSERT_TRUE(dlg.Create(kTemplate, frame));
  dlg.ShowWindow(SW_SHOW);
  Pump();
  QWidget* window = backend.Peer(dlg.GetSafeHwnd());
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isWindow());
  EXPECT_EQ(window->windowTitle(), "Controls");
  EXPECT_EQ(window->parentWidget(), backend.Peer(frame->GetSafeHwnd()));

  auto* name = PeerAs<QLineEdit>(backend, dlg.GetDlgItem(kName));
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->text(), "part");
  EXPECT_EQ(name->parentWidget(), window);
  ASSERT_NE(PeerAs<QCheckBox>(backend, dlg.GetDlgItem(kShow)), nullptr);
  auto* radioA = PeerAs<QRadioButton>(backend, dlg.GetDlgItem(kRadioA));
  ASSERT_NE(radioA, nullptr);
  EXPECT_TRUE(radioA->isChecked());
  auto* units = PeerAs<QComboBox>(backend, dlg.GetDlgItem(kUnits));
  ASSERT_NE(units, nullptr);
  EXPECT_EQ(units->count(), 3);
  EXPECT_EQ(units->currentText(), "mm");
  // Its rectangle reaches over the dropped list; the closed box is one field high at its top.
  EXPECT_EQ(units->geometry().top(), 100);
  EXPECT_LT(units->height(), 50);
  auto* list = PeerAs<QListWidget>(backend, dlg.GetDlgItem(kList));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->count(), 3);
  EXPECT_EQ(list->item(2)->text(), "three");
  auto* layers = PeerAs<QTreeWidget>(backend, dlg.GetDlgItem(kLayers));
  ASSERT_NE(layers, nullptr);
  EXPECT_EQ(layers->columnCount(), 2);
  EXPECT_EQ(layers->topLevelItemCount(), 4);
  EXPECT_EQ(layers->topLevelItem(3)->text(1), "6");
  EXPECT_EQ(layers->columnWidth(0), 80);
  EXPECT_EQ(layers->headerItem()->text(1), "Count");
  auto* tabs = PeerAs<QTabBar>(backend, dlg.GetDlgItem(kTabs));
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(tabs->count(), 2);
  auto* slider = PeerAs<QSlider>(backend, dlg.GetDlgItem(kSlider));
  ASSERT_NE(slider, nullptr);
  EXPECT_EQ(slider->minimum(), 5);
  EXPECT_EQ(slider->value(), 8);
  auto* label = PeerAs<QLabel>(backend, dlg.GetDlgItem(kLabel));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text(), "Snap:");
  // A one-line static keeps its text on one line; one with room for more breaks it at words.
  EXPECT_FALSE(label->wordWrap());
  dlg.GetDlgItem(kLabel)->MoveWindow(210, 210, 80, 4 * label->fontMetrics().lineSpacing());
  Pump();
  EXPECT_TRUE(label->wordWrap());
  ASSERT_NE(PeerAs<QTextEdit>(backend, dlg.GetDlgItem(kNotes)), nullptr);
  ASSERT_NE(PeerAs<QPushButton>(backend, dlg.GetDlgItem(IDOK)), nullptr);

  // The program changes the model: the widgets follow.
  dlg.SetDlgItemText(kName, L"frame");
  dlg.CheckRadioButton(kRadioA, kRadioB, kRadioB);
  dlg.list.DeleteString(0);
  dlg.layers.SetItemText(0, 0, L"Walls");
  dlg.GetDlgItem(kShow)->EnableWindow(FALSE);
  EXPECT_EQ(name->text(), "frame");
  EXPECT_TRUE(PeerAs<QRadioButton>(backend, dlg.GetDlgItem(kRadioB))->isChecked());
  EXPECT_FALSE(radioA->isChecked());
  EXPECT_EQ(list->count(), 2);
  EXPECT_EQ(layers->topLevelItem(0)->text(0), "Walls");
  EXPECT_FALSE(PeerAs<QCheckBox>(backend, dlg.GetDlgItem(kShow))->isEnabled());
  dlg.DestroyWindow();
  Pump();
}

TEST_F(DialogPeerTest, UserActionsInWidgetsReachTheModelAsNotifications) {
  CControlsDlg dlg(frame);
  ASSERT_TRUE(dlg.Create(kTemplate, frame));
  dlg.ShowWindow(SW_SHOW);
  Pump();
  auto* name = PeerAs<QLineEdit>(backend, dlg.GetDlgItem(kName));
  name->setFocus();
  name->selectAll();
  Type(name, "42");
  CString text;
  dlg.GetDlgItemText(kName, text);
  EXPECT_EQ(text, CString(L"42"));
  EXPECT_NE(std::find(dlg.commands.begin(), dlg.commands.end(), std::pair{kName, EN_CHANGE}), dlg.commands.end());
  // Typing in the middle keeps the caret there.
  name->setCursorPosition(1);
  Type(name, "7");
  dlg.GetDlgItemText(kName, text);
  EXPECT_EQ(text, CString(L"472"));
  EXPECT_EQ(name->cursorPosition(), 2);
  name->selectAll();
  Type(name, "42");

  auto* show = PeerAs<QCheckBox>(backend, dlg.GetDlgItem(kShow));
  Click(show, QPoint(5, show->height() / 2));
  EXPECT_EQ(dlg.IsDlgButtonChecked(kShow), 1u);
  EXPECT_TRUE(show->isChecked());
  auto* radioB = PeerAs<QRadioButton>(backend, dlg.GetDlgItem(kRadioB));
  Click(radioB, QPoint(5, radioB->height() / 2));
  EXPECT_EQ(dlg.GetCheckedRadioButton(kRadioA, kRadioB), kRadioB);
  EXPECT_FALSE(PeerAs<QRadioButton>(backend, dlg.GetDlgItem(kRadioA))->isChecked());
  ASSERT_TRUE(dlg.UpdateData(TRUE));
  EXPECT_EQ(dlg.name, CString(L"42"));
  EXPECT_EQ(dlg.show, 1);
  EXPECT_EQ(dlg.radio, 1);

  dlg.commands.clear();
  emit PeerAs<QComboBox>(backend, dlg.GetDlgItem(kUnits))->activated(2);
  EXPECT_EQ(dlg.units.GetCurSel(), 2);
  PeerAs<QListWidget>(backend, dlg.GetDlgItem(kList))->setCurrentRow(1);
  EXPECT_EQ(dlg.list.GetCurSel(), 1);
  EXPECT_EQ(dlg.commands, (std::vector<std::pair<int, int>>{
                              {kUnits, CBN_SELCHANGE}, {kUnits, CBN_SELENDOK}, {kList, LBN_SELCHANGE}}));
  PeerAs<QSlider>(backend, dlg.GetDlgItem(kSlider))->setValue(15);
  EXPECT_EQ(dlg.slider.GetPos(), 15);
  PeerAs<QTabBar>(backend, dlg.GetDlgItem(kTabs))->setCurrentIndex(1);
  EXPECT_EQ(dlg.tabs.GetCurSel(), 1);

  // A click in the report list lands in the model's cell: row 2, column 1.
  auto* layers = PeerAs<QTreeWidget>(backend, dlg.GetDlgItem(kLayers));
  const QRect cell = layers->visualItemRect(layers->topLevelItem(2));
  Click(layers->viewport(), QPoint(80 + 10, cell.center().y()));
  EXPECT_EQ(dlg.layers.GetNextItem(-1, LVNI_SELECTED), 2);
  ASSERT_FALSE(dlg.notices.empty());
  EXPECT_EQ(dlg.notices.back(), std::make_tuple(NM_CLICK, 2, 1));
  dlg.DestroyWindow();
  Pump();
}

TEST_F(DialogPeerTest, ListsPaintThroughTheModel) {
  CControlsDlg dlg(frame);
  ASSERT_TRUE(dlg.Create(kTemplate, frame));
  dlg.ShowWindow(SW_SHOW);
  Pump();
  // Owner-drawn rows: the second row is selected and drawn red by the list's DrawItem.
  auto* owner = PeerAs<QListWidget>(backend, dlg.GetDlgItem(kOwnerList));
  ASSERT_NE(owner, nullptr);
  QImage image = owner->viewport()->grab().toImage();
  EXPECT_GE(dlg.owner.draws, 2);
  const QRect second = owner->visualItemRect(owner->item(1));
  EXPECT_EQ(image.pixelColor(second.center()), QColor(255, 0, 0));
  const QRect first = owner->visualItemRect(owner->item(0));
  EXPECT_EQ(image.pixelColor(first.center()), QColor(0, 255, 0));
  EXPECT_EQ(second.height(), 16);

  // Custom draw: the parent's post-paint swatch fills the count cells.
  auto* layers = PeerAs<QTreeWidget>(backend, dlg.GetDlgItem(kLayers));
  image = layers->viewport()->grab().toImage();
  EXPECT_GE(dlg.postPaints, 4);
  const QRect row = layers->visualItemRect(layers->topLevelItem(1));
  EXPECT_EQ(row.height(), CListCtrl::kRowHeight);
  EXPECT_EQ(image.pixelColor(QPoint(80 + 30, row.center().y())), QColor(0, 0, 255));
  EXPECT_NE(image.pixelColor(QPoint(40, row.center().y())), QColor(0, 0, 255));
  EXPECT_EQ(image.pixelColor(QPoint(80 + 3, row.top() + 3)), QColor(0, 255, 0));
  dlg.DestroyWindow();
  Pump();
}

TEST_F(DialogPeerTest, ModalRunClosedByATimerReturnsItsResult) {
  QWidget* frameWidget = backend.Peer(view.GetSafeHwnd());  // the frame's contents
  CControlsDlg dlg(frame);
  bool frameDisabled = false, dialogShown = false;
  QTimer::singleShot(50, [&] {
    QWidget* window = backend.Peer(dlg.GetSafeHwnd());
    dialogShown = window && window->isVisible() && window->isEnabled();
    frameDisabled = !frameWidget->isEnabled();
    auto* name = PeerAs<QLineEdit>(backend, dlg.GetDlgItem(kName));
    if (name) {
      name->selectAll();
      Type(name, "9");
    }
    auto* ok = PeerAs<QPushButton>(backend, dlg.GetDlgItem(IDOK));
    if (ok) Click(ok, ok->rect().center());
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_TRUE(dialogShown);
  EXPECT_TRUE(frameDisabled);
  EXPECT_TRUE(frameWidget->isEnabled());
  EXPECT_EQ(dlg.name, CString(L"9"));
  // Escape typed into the dialog's edit cancels the next run.
  QTimer::singleShot(50, [&] {
    if (auto* name = PeerAs<QLineEdit>(backend, dlg.GetDlgItem(kName))) {
      QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
      QApplication::sendEvent(name, &esc);
    }
  });
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  Pump();
}
}  // namespace

namespace {
TEST_F(DialogPeerTest, ToolTipsShowTheTextOfTheToolUnderTheMouse) {
  CToolTipCtrl tips;
  ASSERT_TRUE(tips.Create(&view));
  for (int i = 0; i < 3; ++i) {
    const RECT r{i * 20, 0, i * 20 + 16, 16};
    ASSERT_TRUE(tips.AddTool(&view, (L"button " + std::to_wstring(i)).c_str(), &r, 12345 + i));
  }
  QWidget* w = backend.Peer(view.GetSafeHwnd());
  ASSERT_NE(w, nullptr);
  const QPoint at(20 + 5, 5);
  QHelpEvent help(QEvent::ToolTip, at, w->mapToGlobal(at));
  QApplication::sendEvent(w, &help);
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_EQ(QToolTip::text(), "button 1");
  tips.UpdateTipText(L"renamed", &view, 12345 + 1);
  QApplication::sendEvent(w, &help);
  EXPECT_EQ(QToolTip::text(), "renamed");
  QToolTip::hideText();
  tips.DestroyWindow();
}
}  // namespace

namespace {
TEST_F(DialogPeerTest, ColourDialogAnswersWithTheChosenColour) {
  QTimer::singleShot(50, [] {
    if (auto* d = qobject_cast<QColorDialog*>(QApplication::activeModalWidget())) {
      d->setCurrentColor(QColor(10, 20, 30));
      d->accept();
    }
  });
  CColorDialog chosen(RGB(200, 100, 50), 0, frame);
  EXPECT_EQ(chosen.DoModal(), IDOK);
  EXPECT_EQ(chosen.GetColor(), RGB(10, 20, 30));
  QTimer::singleShot(50, [] {
    if (QWidget* d = QApplication::activeModalWidget()) d->close();
  });
  CColorDialog cancelled(RGB(200, 100, 50), 0, frame);
  EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
  EXPECT_EQ(cancelled.GetColor(), RGB(200, 100, 50));
}
}  // namespace

namespace {
TEST_F(DialogPeerTest, ListLabelEditedInItsWidgetEndsWithEnterOrEscape) {
  CControlsDlg dlg(frame);
  ASSERT_TRUE(dlg.Create(kTemplate, frame));
  dlg.ShowWindow(SW_SHOW);
  dlg.layers.ModifyStyle(0, LVS_EDITLABELS);
  Pump();
  for (bool cancel : {false, true}) {
    CEdit* edit = dlg.layers.EditLabel(1);
    ASSERT_NE(edit, nullptr);
    auto* line = PeerAs<QLineEdit>(backend, edit);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->parentWidget(), backend.Peer(dlg.layers.GetSafeHwnd()));
    EXPECT_EQ(line->text(), cancel ? "Roof" : "Page2");
    line->setFocus();
    line->selectAll();
    Type(line, cancel ? "Cellar" : "Roof");
    QKeyEvent key(QEvent::KeyPress, cancel ? Qt::Key_Escape : Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(line, &key);
    Pump();
    EXPECT_EQ(dlg.layers.GetEditControl(), nullptr);
  }
  // Enter ended the first edit with its text, Escape the second without; the dialog stayed open.
  EXPECT_EQ(dlg.labelEdits, (std::vector<std::wstring>{L"Roof", L"(cancelled)"}));
  EXPECT_EQ(dlg.layers.GetItemText(1, 0), CString(L"Roof"));
  EXPECT_EQ(PeerAs<QTreeWidget>(backend, &dlg.layers)->topLevelItem(1)->text(0), "Roof");
  EXPECT_NE(dlg.GetSafeHwnd(), nullptr);
  EXPECT_TRUE(dlg.IsWindowVisible());
  dlg.DestroyWindow();
  Pump();
}
}  // namespace
