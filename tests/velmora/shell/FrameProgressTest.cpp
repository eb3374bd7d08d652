// The frame's progress display: a worker thread reports, the frame shows it on its ticks, and
// the Cancel command stops the worker's loop.
#include "ShellFixture.h"

#include "platform/panlet/Progress.h"

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

TEST_F(ShellTest, ProgressOfAWorkerShowsOnTheFrameAndItsCancelStopsTheLoop) {
  Start();
  ASSERT_TRUE(started);
  EXPECT_EQ(Enabled(ID_PROGRESS_CANCEL), 0);

  std::atomic<int> steps{0};
  std::atomic<bool> reached{false}, cancelled{false};
  std::thread worker([&] {
    gShowThreadProg(L"Offsetting", 0);
    {
      CQProgress progress;
      for (int i = 0; i < 1000000 && !cancelled; ++i) {
        if (i < 40) progress.SetRange(0.01);
        if (i == 40) reached = true;
        if (gIsProgressCancel()) cancelled = true;
        ++steps;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
      }
    }
    gHideThreadProg();
  });
  while (!reached) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  frame->SendMessage(WM_TIMER, CMainFrame::kProgressTimer);
  EXPECT_TRUE(frame->IsProgressShown());
  EXPECT_NEAR(frame->GetProgressPos(), 0.4, 1e-9);
  EXPECT_EQ(frame->GetPaneText(CMainFrame::kProgressPane), CString(L"Offsetting 40%"));
  EXPECT_EQ(Enabled(ID_PROGRESS_CANCEL), 1);
  Command(ID_PROGRESS_CANCEL);
  worker.join();
  EXPECT_TRUE(cancelled);
  EXPECT_LT(steps.load(), 1000000);
  frame->SendMessage(WM_TIMER, CMainFrame::kProgressTimer);
  EXPECT_FALSE(frame->IsProgressShown());
  EXPECT_TRUE(frame->GetPaneText(CMainFrame::kProgressPane).IsEmpty());
  Stop();
  gResetProgress();
}

namespace {
// A display that writes down what it is told.
struct RecordingDisplay : CProgressSink {
  std::vector<std::string> calls;
  void OnShow(const std::wstring& caption, int) override {
    calls.push_back("show " + std::string(caption.begin(), caption.end()));
  }
  void OnPos(double pos) override { calls.push_back("pos " + std::to_string(int(pos * 100 + 0.5))); }
  void OnHide() override { calls.push_back("hide"); }
};
}  // namespace

// The program's own display follows the record at the frame's ticks, told only of changes, and
// is closed when the frame goes while work is still showing.
TEST_F(ShellTest, ProgramDisplayFollowsTheFrameTicksAndClosesWithTheFrame) {
  RecordingDisplay display;
  CFrameProgress::SetDisplay(&display);
  // Taken out again however the test ends.
  struct Unset {
    ~Unset() { CFrameProgress::SetDisplay(nullptr); }
  } unset;
  Start();
  ASSERT_TRUE(started);
  auto tick = [&] { frame->SendMessage(WM_TIMER, CMainFrame::kProgressTimer); };
  tick();
  EXPECT_TRUE(display.calls.empty());

  gShowThreadProg(L"Building", 0);
  {
    CQProgress progress;
    progress.SetRange(0.25);
    tick();
    tick();  // nothing changed: the display hears nothing new
    progress.SetRange(0.25);
    tick();
  }
  gHideThreadProg();
  tick();
  const std::vector<std::string> once = {"show Building", "pos 25", "pos 50", "hide"};
  EXPECT_EQ(display.calls, once);

  display.calls.clear();
  gShowThreadProg(L"Offsetting", 0);
  tick();
  Stop();  // the frame goes with the display open
  EXPECT_EQ(display.calls, (std::vector<std::string>{"show Offsetting", "pos 0", "hide"}));
  gHideThreadProg();
  gResetProgress();
}
