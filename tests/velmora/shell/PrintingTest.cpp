// Printing from the drawing view through a scripted printer: the dialog's scale and position
// controls, the sheet count of a run, what each sheet draws, and the preview's way back to the
// dialog.
#include "ShellFixture.h"

#include "platform/afx/Print.h"
#include "platform/afx/RecordingDC.h"
#include "platform/win/Window.h"
#include "velmora/printing/KxPrintDialog.h"
#include "velmora/printing/KxPreviewView.h"

#include <functional>

namespace {

// Pages drawn into recording contexts of an A4 device at 254 dpi (0.1 mm per pixel).
class RecordingJob : public CPrintJob {
 public:
  RecordingJob(std::vector<std::unique_ptr<CRecordingDC>>& pages, int& ended, int& aborted)
      : m_pages(pages), m_ended(ended), m_aborted(aborted) {}
  CDC* GetAttribDC() override { return &m_attrib; }
  CDC* StartPage() override {
    m_pages.push_back(std::make_unique<CRecordingDC>(2000, 2870, 254, 254));
    return m_pages.back().get();
  }
  BOOL EndPage() override { return TRUE; }
  BOOL EndDoc() override {
    ++m_ended;
    return TRUE;
  }
  void AbortDoc() override { ++m_aborted; }

 private:
  CRecordingDC m_attrib{2000, 2870, 254, 254};
  std::vector<std::unique_ptr<CRecordingDC>>& m_pages;
  int& m_ended;
  int& m_aborted;
};

class ScriptedPrinter : public CPrintBackend {
 public:
  std::function<void(CKxPrintDialog&)> script;  // acts on the dialog; it is accepted unless ended
  bool cancel = false;
  int dialogs = 0, jobs = 0, previews = 0, previewPages = 0;
  UINT previewButton = 0;  // pressed in the preview, 0 for none
  bool closedByButton = false;
  std::vector<std::unique_ptr<CRecordingDC>> pages;
  int ended = 0, aborted = 0;  // runs finished and abandoned

  INT_PTR RunPrintDialog(CPrintDialog& dlg) override {
    ++dialogs;
    dlg.OnInitDialog();
    if (auto* kx = dynamic_cast<CKxPrintDialog*>(&dlg); kx && script) script(*kx);
    if (!dlg.GetEndResult()) cancel ? dlg.OnCancel() : dlg.OnOK();
    return dlg.GetEndResult();
  }
  std::unique_ptr<CPrintJob> StartJob(const AFX_PRINTDLG&, LPCWSTR) override {
    ++jobs;
    pages.clear();
    return std::make_unique<RecordingJob>(pages, ended, aborted);
  }
  std::function<void()> whilePreviewing;  // looks at the program while the preview shows
  BOOL RunPreview(CPreviewView& preview) override {
    ++previews;
    if (whilePreviewing) whilePreviewing();
    std::vector<std::unique_ptr<CRecordingDC>> shown;
    int ended = 0, aborted = 0;
    RecordingJob job(shown, ended, aborted);
    previewPages = preview.RenderPages(job);
    if (previewButton) preview.OnCmdMsg(previewButton, CN_COMMAND, nullptr, nullptr);
    closedByButton = preview.IsClosed();
    if (!preview.IsClosed()) preview.ClosePreview();
    return TRUE;
  }
};

class PrintingTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    AfxSetPrintBackend(&printer);
    CKxPreviewView::SetClosePause(0);
  }
  void TearDown() override {
    AfxSetPrintBackend(nullptr);
    CKxPreviewView::SetClosePause(1000);
    ShellTest::TearDown();
  }
  void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  ScriptedPrinter printer;
};

}  // namespace

TEST(KxPrintDialog, ScaleEntriesSetTheRatioAndTheEdits) {
  CKxPrintDialog dlg;
  dlg.OnInitDialog();
  ASSERT_EQ(dlg.GetScaleEntries().size(), 18u);
  EXPECT_EQ(dlg.GetScaleEntries()[9], CString(L"1:30"));
  EXPECT_EQ(dlg.GetScaleSel(), 2);
  EXPECT_FALSE(dlg.IsControlEnabled(IDC_KX_DRAW));
  struct Case { int sel; double draw, model, scale; BOOL editable; } cases[] = {
      {0, 1, 1, 1.0, FALSE}, {3, 1, 2, 0.5, FALSE}, {9, 1, 30, 1.0 / 30, FALSE},
      {13, 1, 0.5, 2.0, FALSE}, {17, 1, 0.01, 100.0, FALSE}, {2, 1, 1, 1.0, FALSE},
  };
  for (const Case& c : cases) {
    dlg.SetScaleSel(c.sel);
    dlg.OnSelChangeScale();
    EXPECT_EQ(dlg.m_nScaleMode, c.sel);
    EXPECT_DOUBLE_EQ(dlg.m_dScale, c.scale) << c.sel;
    EXPECT_DOUBLE_EQ(dlg.GetEditValue(IDC_KX_DRAW), c.draw);
    EXPECT_DOUBLE_EQ(dlg.GetEditValue(IDC_KX_MODEL), c.model);
    EXPECT_EQ(dlg.IsControlEnabled(IDC_KX_MODEL), c.editable);
  }
  // Typing into a disabled ratio edit changes nothing.
  dlg.SetEditValue(IDC_KX_MODEL, 7.0);
  EXPECT_DOUBLE_EQ(dlg.GetEditValue(IDC_KX_MODEL), 1.0);
}

TEST(KxPrintDialog, CustomRatioRecomputesAndRefusesUnusableRatios) {
  CKxPrintDialog dlg;
  dlg.OnInitDialog();
  dlg.SetScaleSel(1);
  dlg.OnSelChangeScale();
  ASSERT_TRUE(dlg.IsControlEnabled(IDC_KX_DRAW));
  dlg.SetEditValue(IDC_KX_DRAW, 3.0);
  dlg.OnChangeRatio();
  dlg.SetEditValue(IDC_KX_MODEL, 4.0);
  dlg.OnChangeRatio();
  EXPECT_DOUBLE_EQ(dlg.m_dScale, 0.75);
  // Model 0 or a negative ratio would make the sheet count unbounded: the scale stays.
  for (double model : {0.0, -2.0}) {
    dlg.SetEditValue(IDC_KX_MODEL, model);
    dlg.OnChangeRatio();
    EXPECT_DOUBLE_EQ(dlg.m_dScale, 0.75) << model;
  }
}

TEST(KxPrintDialog, PositionRadiosAndPreview) {
  CKxPrintDialog dlg;
  dlg.m_dOffsetX = 5;
  dlg.m_dOffsetY = 6;
  dlg.OnInitDialog();
  // Point mode at construction: the offsets are editable and shown.
  EXPECT_TRUE(dlg.IsControlEnabled(IDC_KX_DX));
  EXPECT_DOUBLE_EQ(dlg.GetEditValue(IDC_KX_DY), 6.0);
  dlg.OnCenter();
  EXPECT_FALSE(dlg.IsControlEnabled(IDC_KX_DX));
  EXPECT_EQ(dlg.m_dOffsetX, 0.0);
  EXPECT_EQ(dlg.GetEditValue(IDC_KX_DX), 0.0);
  dlg.OnPoint();
  dlg.SetEditValue(IDC_KX_DX, 12.5);
  dlg.SetEditValue(IDC_KX_DY, -3.0);
  dlg.OnPreview();
  EXPECT_TRUE(dlg.m_bPreview);
  EXPECT_EQ(dlg.GetEndResult(), IDCANCEL);
  EXPECT_DOUBLE_EQ(dlg.m_dOffsetX, 12.5);
  EXPECT_DOUBLE_EQ(dlg.m_dOffsetY, -3.0);
  EXPECT_EQ(dlg.m_nPosition, 1);
}

TEST_F(PrintingTest, SheetCountFollowsTheChosenScale) {
  Start();
  ASSERT_TRUE(view);
  gGetDBase()->GetWorkArea().SetPageSize(_tagBox2D{{0, 0}, {594, 841}});  // A1 on A4 sheets
  Draw({{0, 0, 594, 841}});
  struct Case { int sel; size_t sheets; } cases[] = {{2, 9}, {3, 4}, {4, 1}, {0, 1}, {13, 36}};
  for (const Case& c : cases) {
    printer.script = [&](CKxPrintDialog& dlg) {
      dlg.SetScaleSel(c.sel);
      dlg.OnSelChangeScale();
    };
    view->SendMessage(WM_COMMAND, ID_FILE_PRINT, 0);
    EXPECT_EQ(printer.pages.size(), c.sheets) << c.sel;
    EXPECT_EQ(printer.ended, printer.jobs);
    EXPECT_EQ(printer.aborted, 0);
    // The chosen settings stay with the view for the next run.
    EXPECT_EQ(view->GetPrintState().scaleMode, c.sel);
  }
  // The device is 200 x 287 mm.
  EXPECT_EQ(view->GetPrintState().printableW, 200);
  EXPECT_EQ(view->GetPrintState().printableH, 287);
}

TEST_F(PrintingTest, EachSheetDrawsItsTileAndTheViewIsRestored) {
  Start();
  ASSERT_TRUE(view);
  gGetDBase()->GetWorkArea().SetPageSize(_tagBox2D{{0, 0}, {400, 100}});
  // A line across the seam of the two sheets, at mid height.
  Draw({{150, 50, 250, 50}});
  CVurode* vs = gGetVurode();
  const tagViewPara before = vs->GetViewPara();
  const CRect rectBefore = vs->GetViewRect();
  printer.script = [](CKxPrintDialog& dlg) {
    dlg.SetScaleSel(2);
    dlg.OnSelChangeScale();
    dlg.OnCenter();
  };
  view->SendMessage(WM_COMMAND, ID_FILE_PRINT, 0);
  ASSERT_EQ(printer.pages.size(), 2u);
  // At 1:1 and 0.1 mm per pixel the left sheet shows x 0..200 around its centre pixel 1000, the
  // right one x 200..400; each draws its part of the line, clipped at the sheet's edge.
  for (size_t i = 0; i < 2; ++i) {
    const auto& calls = printer.pages[i]->GetCalls();
    ASSERT_FALSE(calls.empty()) << i;
    int minX = 1 << 30, maxX = -(1 << 30);
    for (const auto& call : calls)
      for (const CPoint& p : call.points) {
        minX = std::min(minX, int(p.x));
        maxX = std::max(maxX, int(p.x));
        EXPECT_NEAR(p.y, 1435, 1) << "mid height of the sheet";
      }
    // The left sheet ends the line at its right edge; the right sheet starts it at its left.
    if (i == 0) {
      EXPECT_NEAR(minX, 1500, 2);
      EXPECT_NEAR(maxX, 2000, 2);
    } else {
      EXPECT_NEAR(minX, 0, 2);
      EXPECT_NEAR(maxX, 500, 2);
    }
  }
  EXPECT_EQ(vs->GetViewPara().scale, before.scale);
  EXPECT_EQ(vs->GetViewPara().origin[0], before.origin[0]);
  EXPECT_EQ(vs->GetViewRect(), rectBefore);
  EXPECT_FALSE(view->GetPrintState().printing);
}

TEST_F(PrintingTest, CancelPrintsNothingAndAnEmptyDrawingPrintsBlankSheets) {
  Start();
  ASSERT_TRUE(view);
  printer.cancel = true;
  view->SendMessage(WM_COMMAND, ID_FILE_PRINT, 0);
  EXPECT_EQ(printer.dialogs, 1);
  EXPECT_EQ(printer.jobs, 0);
  printer.cancel = false;
  gGetDBase()->GetWorkArea().SetPageSize(_tagBox2D{{0, 0}, {100, 100}});
  view->SendMessage(WM_COMMAND, ID_FILE_PRINT, 0);
  ASSERT_EQ(printer.pages.size(), 1u);
  EXPECT_TRUE(printer.pages[0]->GetCalls().empty());
  // Print without the dialog takes the last settings.
  view->SendMessage(WM_COMMAND, ID_FILE_PRINT_DIRECT, 0);
  EXPECT_EQ(printer.dialogs, 2);
  EXPECT_EQ(printer.jobs, 2);
}

TEST_F(PrintingTest, PreviewFromTheDialogAndPrintFromThePreview) {
  Start(true);
  ASSERT_TRUE(view);
  gGetDBase()->GetWorkArea().SetPageSize(_tagBox2D{{0, 0}, {400, 100}});
  Draw({{0, 50, 400, 50}});
  TestLogTake();
  printer.previewButton = AFX_ID_PREVIEW_CLOSE;  // the preview is closed with its Close button
  printer.script = [](CKxPrintDialog& dlg) {
    dlg.SetScaleSel(3);
    dlg.OnSelChangeScale();
    dlg.OnPreview();
  };
  view->SendMessage(WM_COMMAND, ID_FILE_PRINT, 0);
  // The dialog closed into the preview with the chosen scale, and nothing was printed.
  EXPECT_EQ(printer.jobs, 0);
  EXPECT_EQ(printer.previews, 1);
  EXPECT_EQ(view->GetPrintState().scaleMode, 3);
  EXPECT_EQ(printer.previewPages, 1);
  EXPECT_TRUE(printer.closedByButton);
  // Closing the preview docks the plug-ins' toolbars again.
  const auto log = TestLogTake();
  EXPECT_NE(std::find(log.begin(), log.end(), std::string("test.vpf:toolbar-dock")), log.end()) << ::testing::PrintToString(log);
  // The preview's Print button closes it and opens the print dialog again.
  printer.script = nullptr;
  printer.previewButton = AFX_ID_PREVIEW_PRINT;
  view->SendMessage(WM_COMMAND, ID_FILE_PRINT_PREVIEW, 0);
  EXPECT_EQ(printer.previews, 2);
  EXPECT_TRUE(printer.closedByButton);
  const int dialogsBefore = printer.dialogs;
  Pump();
  EXPECT_EQ(printer.dialogs, dialogsBefore + 1);
  EXPECT_EQ(printer.jobs, 1);
  EXPECT_EQ(printer.pages.size(), 1u);
}

TEST_F(PrintingTest, PreviewPutsTheTabToolBarAwayAndBringsTheCurrentLookBack) {
  Start();
  ASSERT_TRUE(view);
  CTabToolBar* tabs = frame->GetTabToolBar();
  ASSERT_NE(tabs, nullptr);
  ASSERT_TRUE(tabs->IsVisible());
  // A bar of the panel look the user had hidden comes back with the look.
  CKxToolBar* viewBar = frame->GetToolBar(59394);
  ASSERT_NE(viewBar, nullptr);
  frame->ShowControlBar(viewBar, FALSE, FALSE);
  bool tabsDuring = true, dragDuring = true;
  printer.whilePreviewing = [&] {
    tabsDuring = tabs->IsVisible() != FALSE;
    CKxToolBar* drag = tabs->GetDragBar();
    dragDuring = drag && drag->IsVisible();
  };
  view->SendMessage(WM_COMMAND, ID_FILE_PRINT_PREVIEW, 0);
  ASSERT_EQ(printer.previews, 1);
  EXPECT_FALSE(tabsDuring);
  EXPECT_FALSE(dragDuring);
  EXPECT_TRUE(tabs->IsVisible());
  ASSERT_NE(tabs->GetDragBar(), nullptr);
  EXPECT_TRUE(tabs->GetDragBar()->IsVisible());
  EXPECT_TRUE(viewBar->IsVisible());
  // The standard bars stay hidden in the panel look.
  EXPECT_FALSE(frame->GetToolBar(59396)->IsVisible());

  // In the standard look the panel and its drag bar stay away after the preview.
  frame->SetStyleWord(1);
  frame->ShowCurrentUI(CUIToolBarMgr::kLookClassic);
  frame->HideDragTBar();
  view->SendMessage(WM_COMMAND, ID_FILE_PRINT_PREVIEW, 0);
  ASSERT_EQ(printer.previews, 2);
  EXPECT_FALSE(tabs->IsVisible());
  EXPECT_FALSE(tabs->GetDragBar()->IsVisible());
  EXPECT_TRUE(frame->GetToolBar(59396)->IsVisible());
  EXPECT_FALSE(viewBar->IsVisible());
}

TEST_F(PrintingTest, WithoutAPrinterBackendThePreviewReportsFailure) {
  Start();
  ASSERT_TRUE(view);
  AfxSetPrintBackend(nullptr);
  backend.boxes.clear();
  view->SendMessage(WM_COMMAND, ID_FILE_PRINT_PREVIEW, 0);
  ASSERT_EQ(backend.boxes.size(), 1u);
  // Printing asks the (absent) platform dialog, which counts as cancel: no box, no run.
  view->SendMessage(WM_COMMAND, ID_FILE_PRINT, 0);
  EXPECT_EQ(backend.boxes.size(), 1u);
}
