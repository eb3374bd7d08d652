// The frame's progress display: a worker thread reports, the frame shows it on its ticks, and
// the Cancel command stops the worker's loop.
#include "ShellFixture.h"

#include "platform/panlet/Progress.h"

#include <atomic>
#include <chrono>
#include <thread>

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
