#include "platform/qtwin/QtControls.h"

#include "platform/afx/Button.h"
#include "platform/afx/CommonCtrl.h"
#include "platform/afx/Edit.h"
#include "platform/afx/ImageList.h"
#include "platform/afx/ListBox.h"
#include "platform/afx/ListCtrl.h"
#include "platform/qtwin/QtDC.h"
#include "platform/win/Window.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTextEdit>
#include <QToolTip>
#include <QTreeWidget>

#include <algorithm>
#include <vector>

namespace velmora::qtwin {
namespace {
QString Text(HWND h) {
  const int n = ::GetWindowTextLengthW(h);
  std::wstring s(static_cast<size_t>(n) + 1, L'\0');
  ::GetWindowTextW(h, s.data(), n + 1);
  s.resize(static_cast<size_t>(n));
  return QString::fromStdWString(s);
}

// Windows marks keyboard shortcuts with '&'; Qt does too, with "&&" for a plain one.
QString Caption(HWND h) { return Text(h); }

QColor Color(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

LPARAM PointParam(int x, int y) {
  return static_cast<LPARAM>(MAKELONG(static_cast<WORD>(static_cast<SHORT>(x)), static_cast<WORD>(static_cast<SHORT>(y))));
}

// Tells the model the widget took the focus (clicks and tabbing in Qt move it).
class FocusForwarder : public QObject {
 public:
  FocusForwarder(HWND h, QObject* parent) : QObject(parent), m_h(h) {}

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::FocusIn && ::IsWindow(m_h) && ::GetFocus() != m_h) ::SetFocus(m_h);
    return false;
  }

 private:
  HWND m_h;
};

// Common to the peers: the handle, the guard that keeps our own updates from reading as user
// actions, and focus forwarding.
template <typename Widget>
class Peer : public Widget, public ControlPeer {
 public:
  Peer(HWND h, QWidget* parent) : Widget(parent), m_h(h) {
    auto* f = new FocusForwarder(h, this);
    this->installEventFilter(f);
  }

 protected:
  AfxControlState* State() const { return AfxGetControlState(m_h); }
  bool Live() const { return ::IsWindow(m_h) && State(); }
  HWND m_h;
  bool m_syncing = false;
  struct Guard {
    bool& flag;
    bool old;
    explicit Guard(bool& f) : flag(f), old(f) { flag = true; }
    ~Guard() { flag = old; }
  };
};

class StaticPeer : public Peer<QLabel> {
 public:
  using Peer::Peer;
  void Sync() override {
    if (!Live()) return;
    setText(Caption(m_h));
    Lay();
  }

 protected:
  void resizeEvent(QResizeEvent* e) override {
    QLabel::resizeEvent(e);
    if (Live()) Lay();
  }

 private:
  // A text static as tall as two lines or more breaks its text at words to fit its width and
  // starts at its top, as the class library's statics do; a one-line static keeps its text on
  // one line, centred in its height (the toolkit's font may be wider than the box was made for).
  void Lay() {
    const DWORD style = State()->style;
    const DWORD align = style & 0x3;
    const bool lines = (style & 0x1F) <= SS_RIGHT && height() >= 2 * fontMetrics().lineSpacing();
    setWordWrap(lines);
    setAlignment((align == SS_CENTER  ? Qt::AlignHCenter
                  : align == SS_RIGHT ? Qt::AlignRight
                                      : Qt::AlignLeft) |
                 (lines ? Qt::AlignTop : Qt::AlignVCenter));
  }
};

class PushPeer : public Peer<QPushButton> {
 public:
  PushPeer(HWND h, QWidget* parent) : Peer(h, parent) {
    QObject::connect(this, &QPushButton::clicked, [this] {
      if (!m_syncing) AfxUserClick(m_h);
    });
  }
  void Sync() override {
    if (!Live()) return;
    Guard g(m_syncing);
    setText(Caption(m_h));
    setDefault((State()->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
  }
};

class GroupPeer : public Peer<QGroupBox> {
 public:
  using Peer::Peer;
  void Sync() override {
    if (Live()) setTitle(Caption(m_h));
  }
};

// Check boxes and radio buttons: Qt toggles its own state on a click; the model decides, so the
// widget is put back to the model's state right after.
template <typename Widget>
class CheckPeer : public Peer<Widget> {
 public:
  CheckPeer(HWND h, QWidget* parent) : Peer<Widget>(h, parent) {
    if constexpr (std::is_same_v<Widget, QRadioButton>) this->setAutoExclusive(false);
    QObject::connect(this, &QAbstractButton::clicked, [this] {
      if (this->m_syncing) return;
      const HWND h = this->m_h;
      AfxUserClick(h);
      if (::IsWindow(h)) Sync();
    });
  }
  void Sync() override {
    if (!this->Live()) return;
    typename Peer<Widget>::Guard g(this->m_syncing);
    this->setText(Caption(this->m_h));
    const int check = this->State()->check;
    if constexpr (std::is_same_v<Widget, QCheckBox>) {
      const DWORD kind = this->State()->style & BS_TYPEMASK;
      this->setTristate(kind == BS_3STATE || kind == BS_AUTO3STATE);
      this->setCheckState(check == BST_CHECKED ? Qt::Checked : check == BST_INDETERMINATE ? Qt::PartiallyChecked : Qt::Unchecked);
    } else {
      this->setChecked(check == BST_CHECKED);
    }
  }
};

class LineEditPeer : public Peer<QLineEdit> {
 public:
  LineEditPeer(HWND h, QWidget* parent) : Peer(h, parent) {
    QObject::connect(this, &QLineEdit::textEdited, [this](const QString& t) {
      if (m_syncing) return;
      const HWND h = m_h;
      const int caret = cursorPosition();
      m_typing = true;
      AfxUserEditText(h, t.toStdWString().c_str());
      m_typing = false;
      if (!::IsWindow(h)) return;
      Sync();  // what the edit kept (limits, filters)
      // The caret stays where the user typed when the text was taken as it stands.
      if (text() == t) setCursorPosition(caret);
    });
    // Enter is the dialog's (OK) or the label editor's: the model decides.
    QObject::connect(this, &QLineEdit::returnPressed, [this] { ::PostMessageW(m_h, WM_KEYDOWN, VK_RETURN, 1); });
  }
  void Sync() override {
    if (!Live()) return;
    Guard g(m_syncing);
    const AfxControlState* s = State();
    const QString t = Text(m_h);
    if (text() != t) setText(t);
    setReadOnly(s->style & ES_READONLY);
    setEchoMode(s->style & ES_PASSWORD ? QLineEdit::Password : QLineEdit::Normal);
    const DWORD align = s->style & 0x3;
    setAlignment((align == ES_CENTER ? Qt::AlignHCenter : align == ES_RIGHT ? Qt::AlignRight : Qt::AlignLeft) |
                 Qt::AlignVCenter);
    setMaxLength(s->limit ? static_cast<int>(std::min<UINT>(s->limit, 32767)) : 32767);
    if (hasFocus() && !m_typing) setSelection(s->selStart, s->selEnd - s->selStart);
  }

 protected:
  void keyPressEvent(QKeyEvent* e) override {
    // Escape and Tab are the dialog's.
    if (e->key() == Qt::Key_Escape) {
      ::PostMessageW(m_h, WM_KEYDOWN, VK_ESCAPE, 1);
      return;
    }
    QLineEdit::keyPressEvent(e);
  }

 private:
  bool m_typing = false;  // the user's edit is on its way to the model
};

template <typename Widget>
class TextEditPeer : public Peer<Widget> {
 public:
  TextEditPeer(HWND h, QWidget* parent) : Peer<Widget>(h, parent) {
    if constexpr (std::is_same_v<Widget, QTextEdit>) this->setAcceptRichText(false);
    QObject::connect(this, &Widget::textChanged, [this] {
      if (this->m_syncing) return;
      AfxUserEditText(this->m_h, this->toPlainText().toStdWString().c_str());
    });
  }
  void Sync() override {
    if (!this->Live()) return;
    typename Peer<Widget>::Guard g(this->m_syncing);
    const QString t = Text(this->m_h);
    if (this->toPlainText() != t) this->setPlainText(t);
    this->setReadOnly(this->State()->style & ES_READONLY);
    if constexpr (std::is_same_v<Widget, QTextEdit>) {
      const COLORREF bg = this->State()->color;
      QPalette p = this->palette();
      p.setColor(QPalette::Base, bg == CLR_DEFAULT ? this->style()->standardPalette().color(QPalette::Base) : Color(bg));
      this->setPalette(p);
    }
  }
};

class ComboPeer : public Peer<QComboBox> {
 public:
  ComboPeer(HWND h, QWidget* parent) : Peer(h, parent) {
    QObject::connect(this, &QComboBox::activated, [this](int index) {
      if (m_syncing) return;
      const HWND h = m_h;
      AfxUserSelect(h, index);
      if (::IsWindow(h)) Sync();
    });
  }
  void Sync() override {
    if (!Live()) return;
    Guard g(m_syncing);
    const AfxControlState* s = State();
    const bool editable = (s->style & 0x3) != CBS_DROPDOWNLIST;
    if (isEditable() != editable) {
      setEditable(editable);
      if (editable)
        QObject::connect(lineEdit(), &QLineEdit::textEdited, [this](const QString& t) {
          if (!m_syncing) AfxUserEditText(m_h, t.toStdWString().c_str());
        });
    }
    // A combo box's rectangle reaches down over its dropped list; the closed box is one field
    // high at its top (the toolkit drops its own list).
    setMaximumHeight(sizeHint().height());
    bool same = count() == static_cast<int>(s->items.size());
    for (int i = 0; same && i < count(); ++i) same = itemText(i).toStdWString() == s->items[i].text.GetString();
    if (!same) {
      clear();
      for (const AfxControlItem& it : s->items) addItem(QString::fromWCharArray(it.text.GetString()));
    }
    setCurrentIndex(s->cur);
    if (editable) {
      const QString t = Text(m_h);
      if (currentText() != t) setEditText(t);
    }
  }
};

// Owner-drawn list boxes paint their rows through the list's DrawItem.
class OwnerDrawDelegate : public QStyledItemDelegate {
 public:
  OwnerDrawDelegate(HWND h, QObject* parent) : QStyledItemDelegate(parent), m_h(h) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    auto* list = dynamic_cast<CListBox*>(CWnd::FromHandle(m_h));
    const AfxControlState* s = AfxGetControlState(m_h);
    const int row = index.row();
    if (!list || !s || row < 0 || row >= static_cast<int>(s->items.size()) ||
        !(s->style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE))) {
      QStyledItemDelegate::paint(painter, option, index);
      return;
    }
    painter->save();
    CQtPainterDC dc(*painter, option.rect.right() + 1, option.rect.bottom() + 1);
    UINT state = 0;
    if (s->cur == row && !(s->style & LBS_NOSEL)) state |= ODS_SELECTED;
    if (!::IsWindowEnabled(m_h)) state |= ODS_DISABLED;
    if (::GetFocus() == m_h && s->cur == row) state |= ODS_FOCUS;
    const QRect r = option.rect;
    DRAWITEMSTRUCT d{ODT_LISTBOX, list->GetDlgCtrlID(), static_cast<UINT>(row), ODA_DRAWENTIRE, state, m_h,
                     dc.GetSafeHdc(), RECT{r.left(), r.top(), r.right() + 1, r.bottom() + 1}, s->items[row].data};
    list->DrawItem(&d);
    painter->restore();
  }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const AfxControlState* s = AfxGetControlState(m_h);
    const int row = index.row();
    if (!s) return QStyledItemDelegate::sizeHint(option, index);
    const int h = row >= 0 && row < static_cast<int>(s->items.size()) && s->items[row].itemHeight
                      ? static_cast<int>(s->items[row].itemHeight)
                      : s->itemHeight;
    return QSize(option.rect.width(), h);
  }

 private:
  HWND m_h;
};

class ListBoxPeer : public Peer<QListWidget> {
 public:
  ListBoxPeer(HWND h, QWidget* parent) : Peer(h, parent) {
    setItemDelegate(new OwnerDrawDelegate(h, this));
    setUniformItemSizes(false);
    QObject::connect(this, &QListWidget::currentRowChanged, [this](int row) {
      if (m_syncing || row < 0) return;
      const HWND h = m_h;
      AfxUserSelect(h, row);
      if (::IsWindow(h)) Sync();
    });
    QObject::connect(this, &QListWidget::itemDoubleClicked, [this] {
      if (!m_syncing) ::SendMessageW(m_h, WM_LBUTTONDBLCLK, 0, 0);
    });
  }
  void Sync() override {
    if (!Live()) return;
    Guard g(m_syncing);
    const AfxControlState* s = State();
    const bool owner = s->style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE);
    const bool strings = !owner || (s->style & LBS_HASSTRINGS);
    if (count() != static_cast<int>(s->items.size())) {
      clear();
      for (size_t i = 0; i < s->items.size(); ++i) addItem(QString());
    }
    for (int i = 0; i < count(); ++i) {
      const QString t = strings ? QString::fromWCharArray(s->items[i].text.GetString()) : QString();
      if (item(i)->text() != t) item(i)->setText(t);
    }
    setSelectionMode(s->style & LBS_NOSEL ? QAbstractItemView::NoSelection : QAbstractItemView::SingleSelection);
    if (s->cur >= 0 && !(s->style & LBS_NOSEL)) setCurrentRow(s->cur);
    else clearSelection();
    viewport()->update();
  }

 protected:
  void mousePressEvent(QMouseEvent* e) override {
    // Owner-drawn lists take their own clicks (check boxes in rows): the model sees the press
    // in its row's place first.
    const AfxControlState* s = State();
    if (s && (s->style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE))) {
      const QPoint p = e->position().toPoint();
      ::SendMessageW(m_h, WM_LBUTTONDOWN, 0x1, PointParam(p.x(), p.y()));
      if (::IsWindow(m_h)) Sync();
      return;
    }
    QListWidget::mousePressEvent(e);
  }
};

// Report lists: cells are painted with the colours the parent's custom draw chooses, and its
// post-paint drawing goes into the cell through a device context over the painter.
class ReportDelegate : public QStyledItemDelegate {
 public:
  ReportDelegate(HWND h, QObject* parent) : QStyledItemDelegate(parent), m_h(h) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const AfxControlState* s = AfxGetControlState(m_h);
    const int row = index.row(), col = index.column();
    if (!s || row < 0 || row >= static_cast<int>(s->items.size())) {
      QStyledItemDelegate::paint(painter, option, index);
      return;
    }
    painter->save();
    CQtPainterDC dc(*painter, option.rect.right() + 1, option.rect.bottom() + 1);
    const QRect r = option.rect;
    const RECT rc{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
    const Cell cell{dc.GetSafeHdc(), rc, row, static_cast<LPARAM>(s->items[row].data),
                    s->items[row].selected ? UINT(CDIS_SELECTED) : 0u};
    COLORREF text = CLR_DEFAULT, back = CLR_DEFAULT;
    const LRESULT pre = Ask(cell, CDDS_PREPAINT, 0, nullptr, nullptr);
    LRESULT item = CDRF_DODEFAULT, sub = CDRF_DODEFAULT;
    if (pre & CDRF_NOTIFYITEMDRAW) item = Ask(cell, CDDS_ITEMPREPAINT, 0, &text, &back);
    sub = item & CDRF_NOTIFYPOSTPAINT;
    if (item & CDRF_NOTIFYSUBITEMDRAW)
      sub = Ask(cell, CDDS_ITEMPREPAINT | CDDS_SUBITEM, col, &text, &back);
    if (!(sub & CDRF_SKIPDEFAULT)) {
      QStyleOptionViewItem o = option;
      if (text != CLR_DEFAULT) o.palette.setColor(QPalette::Text, Color(text));
      if (back != CLR_DEFAULT) painter->fillRect(r, Color(back));
      QStyledItemDelegate::paint(painter, o, index);
      if (col == 0 && s->smallImages && s->items[row].image >= 0)
        s->smallImages->Draw(&dc, s->items[row].image, POINT{r.left(), r.top()}, ILD_TRANSPARENT);
    }
    if (sub & CDRF_NOTIFYPOSTPAINT) PostPaint(painter, r, cell, col);
    painter->restore();
  }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const AfxControlState* s = AfxGetControlState(m_h);
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    if (s) size.setHeight(s->itemHeight);
    return size;
  }

 private:
  // What the parent is told of the cell being drawn.
  struct Cell {
    HDC hdc;
    RECT rc;
    int row;
    LPARAM data;
    UINT state;
  };

  // One custom-draw notice to the parent; the colours go in and come back when given.
  LRESULT Ask(const Cell& cell, DWORD stage, int sub, COLORREF* text, COLORREF* back) const {
    NMLVCUSTOMDRAW cd{};
    cd.nmcd.dwDrawStage = stage;
    cd.nmcd.hdc = cell.hdc;
    cd.nmcd.rc = cell.rc;
    cd.nmcd.dwItemSpec = static_cast<DWORD_PTR>(cell.row);
    cd.nmcd.uItemState = cell.state;
    cd.nmcd.lItemlParam = cell.data;
    cd.iSubItem = sub;
    cd.clrText = text ? *text : CLR_DEFAULT;
    cd.clrTextBk = back ? *back : CLR_DEFAULT;
    const LRESULT r = AfxNotifyParent(m_h, &cd.nmcd.hdr, NM_CUSTOMDRAW);
    if (text) *text = cd.clrText;
    if (back) *back = cd.clrTextBk;
    return r;
  }

  // The parent draws after the cell in the list's own geometry (GetSubItemRect: below the
  // header, in the control's client area), as it does on the headless window layer; the painter
  // works in the viewport's. The device context is moved so that the model's cell falls on the
  // painted one, and the cell rectangle it is given is the model's.
  void PostPaint(QPainter* painter, const QRect& r, const Cell& painted, int col) const {
    auto* list = dynamic_cast<CListCtrl*>(CWnd::FromHandle(m_h));
    CRect bounds, label;
    if (!list || !list->GetSubItemRect(painted.row, col, LVIR_BOUNDS, bounds) ||
        !list->GetSubItemRect(painted.row, col, LVIR_LABEL, label))
      return;
    painter->save();
    painter->translate(r.left() - bounds.left, r.top() - bounds.top);
    CQtPainterDC dc(*painter, std::max<LONG>(bounds.right, label.right), bounds.bottom);
    Cell cell = painted;
    cell.hdc = dc.GetSafeHdc();
    cell.rc = label;
    Ask(cell, CDDS_ITEMPOSTPAINT | CDDS_SUBITEM, col, nullptr, nullptr);
    painter->restore();
  }

  HWND m_h;
};

class ReportPeer : public Peer<QTreeWidget> {
 public:
  ReportPeer(HWND h, QWidget* parent) : Peer(h, parent) {
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemDelegate(new ReportDelegate(h, this));
    setSelectionMode(QAbstractItemView::NoSelection);  // the model's selection is drawn
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIndentation(0);
    header()->setFixedHeight(CListCtrl::kHeaderHeight);
    header()->setStretchLastSection(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    QObject::connect(verticalScrollBar(), &QScrollBar::valueChanged, [this](int v) {
      if (m_syncing) return;
      if (AfxControlState* s = State()) s->top = v;
    });
  }
  void Sync() override {
    if (!Live()) return;
    Guard g(m_syncing);
    const AfxControlState* s = State();
    const int cols = std::max<int>(1, static_cast<int>(s->columns.size()));
    setColumnCount(cols);
    QStringList heads;
    for (const AfxControlColumn& c : s->columns) heads << QString::fromWCharArray(c.text.GetString());
    setHeaderLabels(heads);
    for (int c = 0; c < static_cast<int>(s->columns.size()); ++c)
      if (columnWidth(c) != s->columns[c].width) setColumnWidth(c, s->columns[c].width);
    while (topLevelItemCount() > static_cast<int>(s->items.size())) delete takeTopLevelItem(topLevelItemCount() - 1);
    while (topLevelItemCount() < static_cast<int>(s->items.size())) addTopLevelItem(new QTreeWidgetItem);
    for (int r = 0; r < topLevelItemCount(); ++r) {
      QTreeWidgetItem* it = topLevelItem(r);
      const AfxControlItem& row = s->items[r];
      for (int c = 0; c < cols; ++c) {
        const CString& t = c == 0 ? row.text : (static_cast<size_t>(c - 1) < row.sub.size() ? row.sub[c - 1] : CString());
        const QString q = QString::fromWCharArray(t.GetString());
        if (it->text(c) != q) it->setText(c, q);
        const int fmt = c < static_cast<int>(s->columns.size()) ? s->columns[c].fmt & LVCFMT_JUSTIFYMASK : 0;
        it->setTextAlignment(c, (fmt == LVCFMT_RIGHT ? Qt::AlignRight : fmt == LVCFMT_CENTER ? Qt::AlignHCenter : Qt::AlignLeft) |
                                    Qt::AlignVCenter);
        it->setBackground(c, row.selected ? palette().highlight() : QBrush());
        it->setForeground(c, row.selected ? palette().highlightedText() : QBrush());
      }
    }
    if (verticalScrollBar()->value() != s->top) verticalScrollBar()->setValue(s->top);
    viewport()->update();
  }

 protected:
  // Clicks go to the model in its own geometry: the centre of the hit cell as the model lays it
  // out, so that its hit tests find the same cell.
  void mousePressEvent(QMouseEvent* e) override { Forward(e, e->button() == Qt::RightButton ? WM_RBUTTONDOWN : WM_LBUTTONDOWN); }
  void mouseDoubleClickEvent(QMouseEvent* e) override { Forward(e, WM_LBUTTONDBLCLK); }
  // Mouse events of a scroll area arrive from its viewport, in the viewport's coordinates.
  void Forward(QMouseEvent* e, UINT msg) {
    setFocus(Qt::MouseFocusReason);
    const QPoint p = e->position().toPoint();
    const QModelIndex index = indexAt(p);
    auto* list = dynamic_cast<CListCtrl*>(CWnd::FromHandle(m_h));
    QPoint model(p.x(), p.y() + CListCtrl::kHeaderHeight);
    CRect cell;
    if (list && index.isValid() && list->GetSubItemRect(index.row(), index.column(), LVIR_LABEL, cell))
      model = QPoint(cell.CenterPoint().x, cell.CenterPoint().y);
    const HWND h = m_h;
    ::SendMessageW(h, msg, 0x1, PointParam(model.x(), model.y()));
    if (::IsWindow(h)) Sync();
  }
};

class TabPeer : public Peer<QTabBar> {
 public:
  TabPeer(HWND h, QWidget* parent) : Peer(h, parent) {
    setExpanding(false);
    QObject::connect(this, &QTabBar::currentChanged, [this](int index) {
      if (m_syncing || index < 0) return;
      const HWND h = m_h;
      AfxUserSelect(h, index);  // the parent may refuse: the bar goes back
      if (::IsWindow(h)) Sync();
    });
  }
  void Sync() override {
    if (!Live()) return;
    Guard g(m_syncing);
    const AfxControlState* s = State();
    while (count() > static_cast<int>(s->items.size())) removeTab(count() - 1);
    while (count() < static_cast<int>(s->items.size())) addTab(QString());
    for (int i = 0; i < count(); ++i) setTabText(i, QString::fromWCharArray(s->items[i].text.GetString()));
    if (s->cur >= 0) setCurrentIndex(s->cur);
  }
};

class SliderPeer : public Peer<QSlider> {
 public:
  SliderPeer(HWND h, QWidget* parent) : Peer(h, parent) {
    QObject::connect(this, &QSlider::valueChanged, [this](int v) {
      if (m_syncing) return;
      const HWND h = m_h;
      AfxUserSetPos(h, v);
      if (::IsWindow(h)) Sync();
    });
  }
  void Sync() override {
    if (!Live()) return;
    Guard g(m_syncing);
    const AfxControlState* s = State();
    setOrientation(s->style & TBS_VERT ? Qt::Vertical : Qt::Horizontal);
    setRange(std::min(s->rangeMin, s->rangeMax), std::max(s->rangeMin, s->rangeMax));
    setSingleStep(s->lineSize);
    setPageStep(s->pageSize);
    setValue(s->pos);
  }
};

class DialogWindow : public QWidget {
 public:
  DialogWindow(HWND h, QWidget* owner) : QWidget(owner, Qt::Dialog), m_h(h) { setFocusPolicy(Qt::StrongFocus); }

 protected:
  void closeEvent(QCloseEvent* e) override {
    e->ignore();
    ::PostMessageW(m_h, WM_CLOSE, 0, 0);
  }
  void keyPressEvent(QKeyEvent* e) override {
    // Keys no control took: Enter, Escape and Tab are the dialog's to handle.
    UINT vk = 0;
    switch (e->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter: vk = VK_RETURN; break;
      case Qt::Key_Escape: vk = VK_ESCAPE; break;
      case Qt::Key_Tab: vk = 0x09; break;
      default: QWidget::keyPressEvent(e); return;
    }
    // To the focused control when it is one of this dialog's; the focus may still be in the
    // window the dialog was opened from, which must not get the dialog's keys.
    HWND target = m_h;
    for (HWND f = ::GetFocus(); f && ::IsWindow(f); f = ::GetParent(f))
      if (f == m_h) {
        target = ::GetFocus();
        break;
      }
    ::PostMessageW(target, WM_KEYDOWN, vk, 1);
  }

 private:
  HWND m_h;
};
}  // namespace

bool IsControlClass(const std::wstring& cls) {
  return cls == kStaticClass || cls == kButtonClass || cls == kEditClass || cls == kRichEditClass ||
         cls == kComboBoxClass || cls == kListBoxClass || cls == kListViewClass || cls == kTabControlClass ||
         cls == kTrackBarClass;
}

bool IsPeerlessClass(const std::wstring& cls) { return cls == kToolTipClass; }

QWidget* CreateControlPeer(HWND hWnd, const std::wstring& cls, DWORD style, QWidget* parent) {
  QWidget* w = nullptr;
  if (cls == kStaticClass) {
    w = new StaticPeer(hWnd, parent);
  } else if (cls == kButtonClass) {
    switch (style & BS_TYPEMASK) {
      case BS_CHECKBOX:
      case BS_AUTOCHECKBOX:
      case BS_3STATE:
      case BS_AUTO3STATE: w = new CheckPeer<QCheckBox>(hWnd, parent); break;
      case BS_RADIOBUTTON:
      case BS_AUTORADIOBUTTON: w = new CheckPeer<QRadioButton>(hWnd, parent); break;
      case BS_GROUPBOX: w = new GroupPeer(hWnd, parent); break;
      default: w = new PushPeer(hWnd, parent); break;
    }
  } else if (cls == kEditClass) {
    if (style & ES_MULTILINE) w = new TextEditPeer<QPlainTextEdit>(hWnd, parent);
    else w = new LineEditPeer(hWnd, parent);
  } else if (cls == kRichEditClass) {
    w = new TextEditPeer<QTextEdit>(hWnd, parent);
  } else if (cls == kComboBoxClass) {
    w = new ComboPeer(hWnd, parent);
  } else if (cls == kListBoxClass) {
    w = new ListBoxPeer(hWnd, parent);
  } else if (cls == kListViewClass) {
    w = new ReportPeer(hWnd, parent);
  } else if (cls == kTabControlClass) {
    w = new TabPeer(hWnd, parent);
  } else if (cls == kTrackBarClass) {
    w = new SliderPeer(hWnd, parent);
  }
  if (auto* p = dynamic_cast<ControlPeer*>(w)) p->Sync();
  return w;
}

QWidget* CreateDialogPeer(HWND hWnd, QWidget* owner) {
  auto* d = new DialogWindow(hWnd, owner ? owner->window() : nullptr);
  d->setWindowTitle(Text(hWnd));
  return d;
}

}  // namespace velmora::qtwin
