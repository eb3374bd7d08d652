// The design-centre panel in the running program: made beside the frame at start-up, fed by the
// view's clicks and user messages, and gone at shut-down.
#include "ShellFixture.h"

#include "velmora/bramcourt/DesignCentral.h"
#include "velmora/ordvale/Command.h"

#include "tests/velmora/HeardPage.h"

namespace {

class ModeCmd : public CCommand {
 public:
  ModeCmd(int host) : CCommand(1, L"mode"), m_host(host) {}
  int HostType() const override { return m_host; }
  int m_host;
};

using N = CDesignCentral;

TEST_F(ShellTest, DesignCentreComesUpBesideTheFrameAndHearsTheView) {
  Start();
  ASSERT_TRUE(started);
  CDesignCentral* panel = gGetDlgDesignCenter();
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->GetParent(), frame);
  EXPECT_TRUE(panel->IsWindowVisible());

  HeardPage page;
  ASSERT_TRUE(page.Create(nullptr, L"page", WS_CHILD, RECT{0, 0, 10, 10}, panel, 0));
  panel->AddPage(L"Property", &page);

  // Clicks refresh the page in front only when it asks for it.
  view->SendMessage(WM_LBUTTONDOWN, 0, 0);
  EXPECT_TRUE(page.heard.empty());
  panel->RecoverDefaultPage();
  HeardPage refreshing;
  ASSERT_TRUE(refreshing.Create(nullptr, L"page", WS_CHILD, RECT{0, 0, 10, 10}, panel, 0));
  panel->AddPage(L"Work Area", &refreshing, 1);
  panel->SwitchTab(1);
  view->SendMessage(WM_LBUTTONDOWN, 0, 0);
  view->SendMessage(WM_RBUTTONDOWN, 0, 0);
  EXPECT_EQ(refreshing.heard, (std::vector<int>{N::kNotifyRefresh, N::kNotifyRefresh}));
  refreshing.heard.clear();

  // The unit command reaches the panel through the view.
  Command(ID_UNIT_INCH);
  EXPECT_EQ(page.heard, (std::vector<int>{N::kNotifyUnit}));

  // Selection changes count only under a selection-type main command.
  COrdvale* hub = gGetOrdvale();
  auto* draw = new ModeCmd(CCommand::kHostDraw);
  auto* select = new ModeCmd(CCommand::kHostSelect);
  hub->RegMainCmd(draw);
  hub->RegMainCmd(select);
  hub->SetCurMainCmd(draw);
  EXPECT_EQ(view->SendMessage(0x40B), 0);
  hub->SetCurMainCmd(select);
  view->SendMessage(0x40B);
  EXPECT_EQ(page.heard, (std::vector<int>{N::kNotifyUnit, N::kNotifySelChange}));

  // The work area is refreshed on 0x40E only while nothing is selected.
  page.heard.clear();
  Draw({{0, 0, 10, 0}});
  gGetSelector()->Add(gGetDBase()->GetEntityList().GetHead());
  view->SendMessage(0x40E);
  EXPECT_TRUE(page.heard.empty());
  gGetSelector()->RemoveAll(1);
  view->SendMessage(0x40E);
  view->SendMessage(0x40F);
  EXPECT_EQ(page.heard, (std::vector<int>{N::kNotifyWorkArea}));

  page.DestroyWindow();
  refreshing.DestroyWindow();
  Stop();
  EXPECT_EQ(gGetDlgDesignCenter(), nullptr);
}

}  // namespace
