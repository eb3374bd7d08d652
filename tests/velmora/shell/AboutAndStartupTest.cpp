// The About command and the start-up tip prompt: shown through the platform's presenter, the
// prompt only when the settings ask for it; without a presenter neither waits for anyone.
#include "ShellFixture.h"

#include "velmora/bramcourt/DesignCentral.h"
#include "velmora/dialogs/AboutBox.h"
#include "velmora/dialogs/AboutboxHelpPrompt.h"

namespace {
class AboutStartupTest : public ShellTest {
 protected:
  void TearDown() override {
    CAboutboxHelpPrompt::SetPresenter(nullptr);
    CKxAboutBox::SetPresenter(nullptr);
    ShellTest::TearDown();
  }
};
}  // namespace

TEST_F(AboutStartupTest, StartupPromptFollowsTheSetting) {
  int shown = 0;
  bool panelHidden = false;
  CAboutboxHelpPrompt::SetPresenter([&](CAboutboxHelpPrompt& p) {
    ++shown;
    // The design centre steps aside while the prompt is up.
    CDesignCentral* dc = gGetDlgDesignCenter();
    panelHidden = dc && !::IsWindowVisible(dc->GetSafeHwnd());
    // The user turns the prompt off and closes it.
    p.OnNext();
    p.m_bStartup = FALSE;
    p.OnClose();
    return INT_PTR(IDOK);
  });
  gGetKXGlobal()->SetShowTips(TRUE);
  Start();
  ASSERT_TRUE(started);
  EXPECT_EQ(shown, 1);
  EXPECT_TRUE(panelHidden);
  ASSERT_TRUE(gGetDlgDesignCenter());
  EXPECT_TRUE(::IsWindowVisible(gGetDlgDesignCenter()->GetSafeHwnd())) << "shown again once the prompt is gone";
  EXPECT_FALSE(gGetKXGlobal()->IsShowTips());
  Stop();
  Start();
  ASSERT_TRUE(started);
  EXPECT_EQ(shown, 1) << "turned off: not shown at the next start";
}

TEST_F(AboutStartupTest, AboutCommandShowsTheBox) {
  Start();
  ASSERT_TRUE(started);
  int shown = 0;
  BOOL picture = TRUE;
  CKxAboutBox::SetPresenter([&](CKxAboutBox& box) {
    ++shown;
    picture = box.IsPictureShown();
    return INT_PTR(IDOK);
  });
  EXPECT_TRUE(Command(ID_APP_ABOUT));
  EXPECT_EQ(shown, 1);
  // No OpenGL context reporting full support here: the picture stays hidden.
  EXPECT_FALSE(picture);
  EXPECT_FALSE(CKxAboutBox::Lines().empty());
  // Without a presenter the box is only initialised.
  CKxAboutBox::SetPresenter(nullptr);
  CKxAboutBox box;
  EXPECT_EQ(box.DoModal(), IDCANCEL);
  CAboutboxHelpPrompt prompt;
  EXPECT_EQ(prompt.DoModal(), IDCANCEL);
  EXPECT_GT(prompt.GetTipCount(), 0);
}
