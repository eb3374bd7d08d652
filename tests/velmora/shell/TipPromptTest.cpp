// "Tip of the Day": the tip list and its pictures, Prev and Next at the ends, the dialog's width
// with and without a picture, and "Show tips at start" kept in the settings.
#include "GifTestImages.h"

#include "platform/vurode/Accessors.h"
#include "platform/vurode/KXGlobal.h"
#include "platform/win/Resource.h"
#include "velmora/dialogs/AboutboxHelpPrompt.h"
#include "velmora/shell/Launcher.h"

#include <gtest/gtest.h>

#include <set>

namespace {
class TipPromptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gNewKXGlobal();
    velmora::win::SetPictureDecoder(giftest::DecodeWritten);
    KxRegisterTipPictures();
    CAboutboxHelpPrompt::SetSeed(7);
  }
  void TearDown() override {
    velmora::win::SetPictureDecoder(nullptr);
    gRestoreVurodeDefaults();
  }
};
}  // namespace

TEST(TipTexts, CountOrderAndPictures) {
  const auto& tips = KxTipTexts();
  ASSERT_EQ(tips.size(), 83u);
  for (size_t i = 0; i < tips.size(); ++i) {
    const bool breakFirst = tips[i].GetLength() >= 2 && tips[i].GetString()[0] == L'\r' && tips[i].GetString()[1] == L'\n';
    EXPECT_EQ(breakFirst, i != 81) << i;
  }
  EXPECT_EQ(tips[1], CString(L"\r\nCTRL+Z to Undo; CTRL+Y to Redo."));
  std::set<UINT> ids;
  int withPicture = 0;
  for (int n = 1; n <= 83; ++n)
    if (UINT id = KxTipPicture(n)) {
      ++withPicture;
      EXPECT_GE(id, 1046u);
      EXPECT_LE(id, 1099u);
      EXPECT_TRUE(ids.insert(id).second) << "picture used twice: " << id;
    }
  EXPECT_EQ(withPicture, 53);
  EXPECT_EQ(KxTipPicture(3), 1046u);
  EXPECT_EQ(KxTipPicture(83), 1099u);
  EXPECT_EQ(KxTipPicture(1), 0u);
  EXPECT_EQ(KxTipPicture(84), 0u);
}

TEST_F(TipPromptTest, PrevStopsAtTheFirstTipNextWrapsToIt) {
  CAboutboxHelpPrompt dlg;
  ASSERT_TRUE(dlg.OnInitDialog());
  ASSERT_EQ(dlg.GetTipCount(), 83);
  const int first = dlg.GetCurrentTip();
  EXPECT_GE(first, 0);
  EXPECT_LT(first, 83);
  // The same seed draws the same first tip.
  CAboutboxHelpPrompt again;
  ASSERT_TRUE(again.OnInitDialog());
  EXPECT_EQ(again.GetCurrentTip(), first);
  dlg.ShowTip(0);
  dlg.OnPrev();
  EXPECT_EQ(dlg.GetCurrentTip(), 0);
  EXPECT_EQ(dlg.GetTipText(), KxTipTexts()[0]);
  dlg.OnNext();
  EXPECT_EQ(dlg.GetCurrentTip(), 1);
  dlg.ShowTip(82);
  dlg.OnNext();
  EXPECT_EQ(dlg.GetCurrentTip(), 0);
  dlg.OnPrev();
  EXPECT_EQ(dlg.GetCurrentTip(), 0);
  // Through the command ids, as the buttons send them.
  dlg.OnCmdMsg(IDC_TIP_NEXT, CN_COMMAND, nullptr, nullptr);
  dlg.OnCmdMsg(IDC_TIP_NEXT, CN_COMMAND, nullptr, nullptr);
  dlg.OnCmdMsg(IDC_TIP_PREV, CN_COMMAND, nullptr, nullptr);
  EXPECT_EQ(dlg.GetCurrentTip(), 1);
}

TEST_F(TipPromptTest, PicturesWidenTheDialogAndTipsWithoutCollapseIt) {
  CAboutboxHelpPrompt dlg;
  ASSERT_TRUE(dlg.OnInitDialog());
  ASSERT_LT(dlg.GetCollapsedWidth(), dlg.GetFullWidth());
  struct Case { int index; bool picture; } cases[] = {{0, false}, {2, true}, {3, false}, {4, true}, {81, false}, {82, true}};
  for (const Case& c : cases) {
    dlg.ShowTip(c.index);
    EXPECT_EQ(bool(dlg.IsPictureShown()), c.picture) << c.index;
    EXPECT_EQ(dlg.GetWidth(), c.picture ? dlg.GetFullWidth() : dlg.GetCollapsedWidth()) << c.index;
  }
  // Tip 3's animation is loaded and its first frame drawn.
  dlg.ShowTip(2);
  EXPECT_GT(dlg.GetPicture().GetFrameCount(), 1u);
  EXPECT_EQ(dlg.GetPicture().GetSize(), CSize(120, 80));
  EXPECT_EQ(dlg.CursorFor(IDC_TIP_TEXT), 0u);
  dlg.GetPicture().Stop();
  EXPECT_EQ(dlg.CursorFor(IDC_TIP_PICTURE), UINT(IDC_HAND_CURSOR));
  EXPECT_TRUE(dlg.SwallowsTextClick(WM_LBUTTONDBLCLK));
  EXPECT_FALSE(dlg.SwallowsTextClick(WM_MOUSEMOVE));
}

TEST_F(TipPromptTest, ShowAtStartRoundTripsThroughTheSettings) {
  for (BOOL stored : {TRUE, FALSE, TRUE}) {
    gGetKXGlobal()->SetShowTips(stored);
    CAboutboxHelpPrompt dlg;
    ASSERT_TRUE(dlg.OnInitDialog());
    EXPECT_EQ(dlg.m_bStartup, stored);
    dlg.m_bStartup = !stored;
    dlg.OnCmdMsg(IDC_TIP_CLOSE, CN_COMMAND, nullptr, nullptr);
    EXPECT_TRUE(dlg.IsClosed());
    EXPECT_EQ(gGetKXGlobal()->IsShowTips(), !stored);
  }
}

TEST(TipPrompt, WithoutSettingsInitialisationFails) {
  gSetKXGlobal(nullptr);
  CAboutboxHelpPrompt dlg;
  EXPECT_FALSE(dlg.OnInitDialog());
  gRestoreVurodeDefaults();
}

TEST(Launcher, HelpToolsAndWebGoThroughTheLauncher) {
  std::vector<KxLaunchRequest> asked;
  KxSetLauncher([&](const KxLaunchRequest& r) {
    asked.push_back(r);
    return TRUE;
  });
  gSetApplicationPath(L"/opt/velmora");
  EXPECT_TRUE(KxOpenHelp());
  EXPECT_TRUE(KxOpenTool(ID_TOOL_CALCULATOR));
  EXPECT_TRUE(KxOpenTool(ID_TOOL_NOTEPAD));
  EXPECT_TRUE(KxOpenTool(ID_TOOL_PAINT));
  EXPECT_FALSE(KxOpenTool(12345));
  EXPECT_TRUE(KxOpenWebHelp());
  ASSERT_EQ(asked.size(), 5u);
  EXPECT_EQ(asked[0].kind, KxLaunchRequest::Document);
  EXPECT_EQ(asked[0].target, L"/opt/velmora/help");  // no index.html there: the folder
  EXPECT_EQ(asked[1].kind, KxLaunchRequest::Program);
  EXPECT_EQ(asked[4].kind, KxLaunchRequest::Url);
  KxSetLauncher(nullptr);
  // The default launcher refuses an empty target and a program that does not exist.
  EXPECT_FALSE(KxLaunch({KxLaunchRequest::Document, L""}));
  EXPECT_FALSE(KxLaunch({KxLaunchRequest::Program, L"velmora-no-such-program-here"}));
  gRestoreVurodeDefaults();
}
