// The settings sheet on Qt's offscreen platform: the General page and its controls get widgets
// that are shown where the page lays them out.
#include "db/DBase.h"
#include "db/DbAccess.h"
#include "db/Selector.h"
#include "platform/afx/Control.h"
#include "platform/afx/Dialog.h"
#include "platform/qtwin/QtBackend.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/KXGlobal.h"
#include "platform/win/MessageBox.h"
#include "platform/win/WindowBackend.h"
#include "velmora/shell/SettingsPages.h"

#include <QApplication>
#include <QWidget>

#include <gtest/gtest.h>

TEST(SettingsOnScreen, GeneralPageIsShownWithItsControls) {
  int argc = 1;
  char name[] = "test_velmora_shell_qt";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  velmora::qtwin::CQtWindowBackend backend;
  velmora::win::WindowBackend* prev = velmora::win::SetWindowBackend(&backend);
  gNewKXGlobal();
  CDBase db;
  CSelector sel;
  gSetDBase(&db);
  gSetSelector(&sel);
  kxCreateAllManager();
  gGetKXGlobal()->SetUnit(0);
  gSetCurveDicTol(0.02);

  int ran = 0;
  auto prevDriver = CDialog::SetModalDriver([&](CDialog& d) {
    // A failed check must not leave the modal run waiting for input that never comes.
    struct EndUnlessClosed {
      CDialog& dialog;
      bool closed = false;
      ~EndUnlessClosed() {
        if (!closed) dialog.EndDialog(IDABORT);
      }
    } guard{d};
    ++ran;
    auto* sheet = dynamic_cast<CKxPropertySheet*>(&d);
    ASSERT_NE(sheet, nullptr);
    sheet->Light(3);
    CWnd* page = sheet->GetPage(3);
    QWidget* sheetPeer = backend.Peer(sheet->m_hWnd);
    QWidget* pagePeer = page ? backend.Peer(page->m_hWnd) : nullptr;
    EXPECT_NE(sheetPeer, nullptr);
    ASSERT_NE(pagePeer, nullptr);
    QApplication::processEvents();
    EXPECT_TRUE(pagePeer->isVisible());
    // Every control of the General page is on screen inside the page (the pick radius edit
    // gave its place to the slider).
    for (UINT id : {setid::kTol, setid::kAng, setid::kPickSlider, setid::kMM, setid::kFeet, setid::kAutoSave,
                    setid::kMinutes, setid::kMAxis, setid::kShowUnit, setid::kSmooth, setid::kDefault}) {
      SCOPED_TRACE(id);
      CWnd* item = page->GetDlgItem(int(id));
      ASSERT_NE(item, nullptr);
      QWidget* w = backend.Peer(item->m_hWnd);
      ASSERT_NE(w, nullptr);
      EXPECT_TRUE(w->isVisible());
      EXPECT_TRUE(pagePeer->rect().contains(w->geometry()));
    }
    CString tol;
    page->GetDlgItem(setid::kTol)->GetWindowText(tol);
    EXPECT_EQ(tol, CString(L"0.02000 mm"));
    // The other pages stay hidden while General is shown.
    QWidget* guidePeer = backend.Peer(sheet->GetPage(1)->m_hWnd);
    ASSERT_NE(guidePeer, nullptr);
    EXPECT_FALSE(guidePeer->isVisible());
    guard.closed = AfxUserClick(sheet->GetDlgItem(IDCANCEL)->m_hWnd);
  });
  EXPECT_EQ(RunSettingsSheet(nullptr), IDCANCEL);
  EXPECT_EQ(ran, 1);
  CDialog::SetModalDriver(prevDriver);
  kxClearAllManager();
  gSetSelector(nullptr);
  gSetDBase(nullptr);
  gRestoreVurodeDefaults();
  velmora::win::SetWindowBackend(prev);
}
