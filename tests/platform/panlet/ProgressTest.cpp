#include "platform/panlet/Panlet.h"

#include <gtest/gtest.h>

#include <optional>
#include <thread>

namespace {

class ProgressTest : public ::testing::Test {
 protected:
  void SetUp() override { gResetProgress(); }
  void TearDown() override { gResetProgress(); }

  static std::vector<ProgressEvent::Kind> Kinds() {
    std::vector<ProgressEvent::Kind> k;
    for (const auto& e : gGetProgressLog().Events()) k.push_back(e.kind);
    return k;
  }
};

using K = ProgressEvent::Kind;

TEST_F(ProgressTest, SharesAccumulateAndStayWithinTheWhole) {
  {
    CQProgress p;
    EXPECT_TRUE(gIsProgressShown());
    for (int i = 0; i < 3; ++i) p.SetRange(0.25);
    EXPECT_DOUBLE_EQ(gGetProgressPos(), 0.75);
    p.SetRange(0.5);  // overshoot is held at the end
    p.SetRange(std::numeric_limits<double>::quiet_NaN());
    EXPECT_DOUBLE_EQ(gGetProgressPos(), 1.0);
    p.SetRange(-5.0);
    EXPECT_DOUBLE_EQ(gGetProgressPos(), 0.0);
  }
  EXPECT_FALSE(gIsProgressShown());
  const auto ev = gGetProgressLog().Events();
  ASSERT_EQ(ev.size(), 7u);
  EXPECT_EQ(ev.front().kind, K::Show);
  EXPECT_DOUBLE_EQ(ev[1].pos, 0.25);
  EXPECT_DOUBLE_EQ(ev[3].pos, 0.75);
  EXPECT_DOUBLE_EQ(ev[4].pos, 1.0);
  EXPECT_EQ(ev.back().kind, K::Hide);
}

TEST_F(ProgressTest, NestedDisplaysShareOneWindow) {
  gShowThreadProg(L"Roughing", 1);
  {
    CQProgress outer;
    outer.SetRange(0.2);
    {
      CQProgress inner;  // joins the open display: no reset, no second show
      inner.SetRange(0.3);
    }
    EXPECT_TRUE(gIsProgressShown());
    EXPECT_DOUBLE_EQ(gGetProgressPos(), 0.5);
  }
  EXPECT_TRUE(gIsProgressShown());  // the thread window is still up
  gHideThreadProg();
  gHideThreadProg();  // unbalanced hide is harmless
  EXPECT_FALSE(gIsProgressShown());
  EXPECT_EQ(Kinds(), (std::vector<K>{K::Show, K::Pos, K::Pos, K::Hide}));
  const auto ev = gGetProgressLog().Events();
  EXPECT_EQ(ev.front().caption, L"Roughing");
  EXPECT_EQ(ev.front().flags, 1);
}

TEST_F(ProgressTest, CancelAfterNPollsIsSeenOnPollN) {
  for (int n : {1, 2, 7}) {
    SCOPED_TRACE(n);
    gResetProgress();
    CQProgress p;
    gSetProgressCancelAfter(n);
    std::optional<int> firstTrue;
    for (int i = 1; i <= n + 3; ++i) {
      const bool c = gIsProgressCancel();
      if (c && !firstTrue) firstTrue = i;
      if (firstTrue) {
        EXPECT_TRUE(c) << "a cancel stays requested (poll " << i << ")";
      }
    }
    ASSERT_TRUE(firstTrue.has_value());
    EXPECT_EQ(*firstTrue, n);
    EXPECT_EQ(gGetProgressPollCount(), n + 3);
  }
}

TEST_F(ProgressTest, DisarmedHookNeverCancels) {
  gSetProgressCancelAfter(0);
  CQProgress p;
  for (int i = 0; i < 100; ++i) ASSERT_FALSE(gIsProgressCancel());
}

TEST_F(ProgressTest, ACancelEndsWithItsDisplay) {
  {
    CQProgress p;
    gCancelProgress();
    EXPECT_TRUE(gIsProgressCancel());
    {
      CQProgress nested;  // joins the cancelled display
      EXPECT_TRUE(gIsProgressCancel());
    }
    EXPECT_TRUE(gIsProgressCancel());
  }
  // A later loop that polls without a display of its own is not stopped by an old request.
  EXPECT_FALSE(gIsProgressCancel());
  gCancelProgress();  // a stray request before the next display opens
  CQProgress next;
  EXPECT_FALSE(gIsProgressCancel());
}

TEST_F(ProgressTest, HookAlsoServesLoopsWithoutADisplayAndFiresOnce) {
  gSetProgressCancelAfter(2);
  EXPECT_FALSE(gIsProgressCancel());
  EXPECT_TRUE(gIsProgressCancel());
  EXPECT_TRUE(gIsProgressCancel());
  { CQProgress next; }  // the request ends with the next display
  EXPECT_FALSE(gIsProgressCancel());
}

TEST_F(ProgressTest, CancelFromAnotherThreadReachesThePoller) {
  CQProgress p;
  std::thread t([] { gCancelProgress(); });
  t.join();
  EXPECT_TRUE(gIsProgressCancel());
}

struct CountingSink : CProgressSink {
  int shows = 0, hides = 0;
  double last = -1;
  void OnShow(const std::wstring&, int) override { ++shows; }
  void OnPos(double p) override { last = p; }
  void OnHide() override { ++hides; }
};

TEST_F(ProgressTest, InstalledSinkReplacesTheLog) {
  CountingSink sink;
  CProgressSink* prev = gSetProgressSink(&sink);
  EXPECT_EQ(prev, &gGetProgressLog());
  {
    CQProgress p;
    p.SetRange(0.4);
  }
  EXPECT_EQ(sink.shows, 1);
  EXPECT_EQ(sink.hides, 1);
  EXPECT_DOUBLE_EQ(sink.last, 0.4);
  EXPECT_TRUE(gGetProgressLog().Events().empty());
  EXPECT_EQ(gSetProgressSink(nullptr), &sink);
}

TEST_F(ProgressTest, ResetWhileOpenLeavesNoDanglingDisplay) {
  auto p = std::make_unique<CQProgress>();
  gResetProgress();
  p.reset();  // closing after a reset must not emit a second hide
  EXPECT_TRUE(gGetProgressLog().Events().empty());
  EXPECT_FALSE(gIsProgressShown());
}

}  // namespace
