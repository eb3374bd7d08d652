// The window layer's queue: posted messages, quit, paint and timers in the loop's order, timers on
// a fake clock, focus and capture notifications, and accelerator translation.
#include "platform/win/Menu.h"
#include "platform/win/Window.h"
#include "support/FakeWindowBackend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

namespace {
// What the test windows' procedure saw: window, message, wParam, lParam.
using Seen = std::tuple<HWND, UINT, WPARAM, LPARAM>;
std::vector<Seen> g_seen;

LRESULT Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
  g_seen.emplace_back(h, m, w, l);
  return 0;
}

struct Queue : testing::Test {
  FakeWindowBackend backend;
  std::vector<HWND> windows;

  Queue() { g_seen.clear(); }
  ~Queue() override {
    for (HWND h : windows) velmora::win::ReleaseWindowRecord(h);
  }
  HWND Make(DWORD style = WS_VISIBLE, HWND parent = nullptr, RECT r = RECT{0, 0, 100, 50}) {
    HWND h = velmora::win::CreateWindowRecord(&Proc, parent, style, r, L"w", L"TestClass");
    windows.push_back(h);
    return h;
  }
  // Runs the loop until quit or until nothing more can come; the messages it took out.
  std::vector<MSG> Pump() {
    std::vector<MSG> out;
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
      out.push_back(m);
      DispatchMessageW(&m);
    }
    return out;
  }
  static std::vector<UINT> Messages(const std::vector<MSG>& ms) {
    std::vector<UINT> out;
    for (const MSG& m : ms) out.push_back(m.message);
    return out;
  }
};
}  // namespace

TEST_F(Queue, PostedMessagesComeFirstInOrderThenQuitThenNothing) {
  HWND a = Make(0), b = Make(0);
  ASSERT_TRUE(PostMessageW(a, WM_USER + 1, 1, 0));
  ASSERT_TRUE(PostMessageW(b, WM_USER + 2, 2, 0));
  ASSERT_TRUE(PostMessageW(nullptr, WM_USER + 3, 3, 0));  // to the thread
  ASSERT_TRUE(PostMessageW(a, WM_USER + 4, 4, 0));
  PostQuitMessage(7);
  EXPECT_EQ(GetQueuedMessageCount(), 4);

  MSG m;
  // A window filter only takes that window's messages.
  ASSERT_TRUE(PeekMessageW(&m, b, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_USER + 2u);
  std::vector<UINT> got;
  BOOL r;
  while ((r = GetMessageW(&m, nullptr, 0, 0)) > 0) got.push_back(m.message);
  EXPECT_EQ(got, (std::vector<UINT>{WM_USER + 1, WM_USER + 3, WM_USER + 4}));
  EXPECT_EQ(r, FALSE);
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_EQ(m.wParam, 7u);
  // Nothing is pending and no timer runs: the loop learns that nothing can come instead of hanging.
  EXPECT_EQ(GetMessageW(&m, nullptr, 0, 0), -1);
}

TEST_F(Queue, PostingToAMissingOrDestroyedWindowFailsAndItsMessagesGo) {
  HWND a = Make(0);
  ASSERT_TRUE(PostMessageW(a, WM_USER, 0, 0));
  ASSERT_TRUE(SetTimer(a, 5, 100, nullptr));
  ASSERT_TRUE(velmora::win::ReleaseWindowRecord(a));
  EXPECT_FALSE(PostMessageW(a, WM_USER, 0, 0));
  EXPECT_FALSE(PostMessageW(reinterpret_cast<HWND>(0x1234), WM_USER, 0, 0));
  EXPECT_EQ(GetQueuedMessageCount(), 0);
  EXPECT_FALSE(KillTimer(a, 5));  // went with the window
  EXPECT_EQ(SendMessageW(a, WM_USER, 0, 0), 0);
  EXPECT_TRUE(g_seen.empty());
}

TEST_F(Queue, TimersFireAtTheirPeriodsOnTheFakeClock) {
  HWND a = Make(0), b = Make(0);
  const DWORD start = backend.now;
  ASSERT_TRUE(SetTimer(a, 1, 100, nullptr));
  ASSERT_TRUE(SetTimer(b, 2, 250, nullptr));
  // Expected: every multiple of each period within one second, the earlier-armed timer first
  // on a tie.
  std::vector<std::pair<DWORD, UINT_PTR>> expected;
  for (DWORD t = 1; t <= 1000; ++t) {
    if (t % 100 == 0) expected.emplace_back(t, 1);
    if (t % 250 == 0) expected.emplace_back(t, 2);
  }
  std::vector<std::pair<DWORD, UINT_PTR>> ticks;
  MSG m;
  while (ticks.size() < expected.size() && GetMessageW(&m, nullptr, 0, 0) > 0)
    if (m.message == WM_TIMER) ticks.emplace_back(backend.now - start, m.wParam);
  EXPECT_EQ(ticks, expected);

  // Killing a timer stops it; re-arming restarts its period from now.
  EXPECT_TRUE(KillTimer(b, 2));
  EXPECT_FALSE(KillTimer(b, 2));
  ASSERT_EQ(SetTimer(a, 1, 300, nullptr), 1u);
  const DWORD armed = backend.now;
  ASSERT_GT(GetMessageW(&m, nullptr, 0, 0), 0);
  EXPECT_EQ(m.message, WM_TIMER);
  EXPECT_EQ(backend.now - armed, 300u);
}

TEST_F(Queue, AKilledTimersTakenMessageIsNotDelivered) {
  HWND a = Make(0);
  SetTimer(a, 3, 50, nullptr);
  MSG m;
  ASSERT_GT(GetMessageW(&m, nullptr, 0, 0), 0);
  ASSERT_EQ(m.message, WM_TIMER);
  KillTimer(a, 3);
  DispatchMessageW(&m);
  EXPECT_TRUE(g_seen.empty());
}

TEST_F(Queue, PaintComesAfterPostedMessagesAndBeforeTimersOnlyForShownWindows) {
  HWND shown = Make(WS_VISIBLE), hidden = Make(0);
  FakeWindowBackend::Drain();  // the first show's paint
  SetTimer(shown, 9, 10, nullptr);
  backend.now += 10;  // the timer is due
  ASSERT_TRUE(InvalidateRect(shown, nullptr, TRUE));
  ASSERT_TRUE(InvalidateRect(hidden, nullptr, TRUE));
  PostMessageW(shown, WM_USER, 0, 0);
  MSG m;
  std::vector<UINT> order;
  for (int i = 0; i < 3 && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE); ++i) {
    order.push_back(m.message);
    DispatchMessageW(&m);  // validates the painted window even though the procedure did not
  }
  EXPECT_EQ(order, (std::vector<UINT>{WM_USER, WM_PAINT, WM_TIMER}));
  RECT u;
  EXPECT_FALSE(GetUpdateRect(shown, &u, FALSE));
  // The hidden window keeps its update region and is painted once shown.
  EXPECT_TRUE(GetUpdateRect(hidden, &u, FALSE));
  ShowWindow(hidden, SW_SHOW);
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.message, WM_PAINT);
  EXPECT_EQ(m.hwnd, hidden);
}

TEST_F(Queue, UpdateRegionsGrowToTheirUnionWithinTheClientArea) {
  HWND w = Make(WS_VISIBLE, nullptr, RECT{10, 10, 110, 60});
  FakeWindowBackend::Drain();
  const RECT a{5, 5, 20, 20}, b{50, 30, 300, 300};
  InvalidateRect(w, &a, FALSE);
  InvalidateRect(w, &b, FALSE);
  RECT u;
  ASSERT_TRUE(GetUpdateRect(w, &u, FALSE));
  EXPECT_EQ(std::tie(u.left, u.top, u.right, u.bottom), std::make_tuple(5, 5, 100, 50));
  // Validating a part keeps it pending; the whole clears it.
  ValidateRect(w, &a);
  EXPECT_TRUE(GetUpdateRect(w, &u, FALSE));
  // UpdateWindow paints now, erase first.
  InvalidateRect(w, nullptr, TRUE);
  g_seen.clear();
  UpdateWindow(w);
  ASSERT_EQ(g_seen.size(), 1u);
  EXPECT_EQ(std::get<1>(g_seen[0]), WM_PAINT);
  PAINTSTRUCT ps;
  InvalidateRect(w, nullptr, TRUE);
  g_seen.clear();
  BeginPaint(w, &ps);
  EndPaint(w, &ps);
  EXPECT_TRUE(ps.fErase);
  ASSERT_EQ(g_seen.size(), 1u);
  EXPECT_EQ(std::get<1>(g_seen[0]), WM_ERASEBKGND);
  EXPECT_FALSE(GetUpdateRect(w, &u, FALSE));
}

TEST_F(Queue, PlacementSendsMoveAndSizeAndMapsPointsThroughParents) {
  HWND top = Make(WS_VISIBLE, nullptr, RECT{100, 200, 900, 800});
  HWND child = Make(WS_VISIBLE | WS_CHILD, top, RECT{10, 20, 110, 70});
  g_seen.clear();
  ASSERT_TRUE(MoveWindow(child, 30, 40, 300, 100, FALSE));
  ASSERT_EQ(g_seen.size(), 2u);
  EXPECT_EQ(g_seen[0], Seen(child, WM_MOVE, 0, MAKELONG(30, 40)));
  EXPECT_EQ(g_seen[1], Seen(child, WM_SIZE, 0, MAKELONG(300, 100)));
  RECT c, w;
  GetClientRect(child, &c);
  GetWindowRect(child, &w);
  EXPECT_EQ(std::tie(c.left, c.top, c.right, c.bottom), std::make_tuple(0, 0, 300, 100));
  EXPECT_EQ(std::tie(w.left, w.top, w.right, w.bottom), std::make_tuple(130, 240, 430, 340));
  POINT p{5, 6};
  ClientToScreen(child, &p);
  EXPECT_EQ(std::tie(p.x, p.y), std::make_tuple(135, 246));
  ScreenToClient(child, &p);
  EXPECT_EQ(std::tie(p.x, p.y), std::make_tuple(5, 6));
  // A hidden parent hides its children; visibility reports the previous state.
  EXPECT_TRUE(IsWindowVisible(child));
  EXPECT_TRUE(ShowWindow(top, SW_HIDE));
  EXPECT_FALSE(IsWindowVisible(child));
  EXPECT_FALSE(ShowWindow(top, SW_SHOWMAXIMIZED));
  EXPECT_TRUE(IsZoomed(top));
  EXPECT_FALSE(backend.shown.empty());
}

TEST_F(Queue, FocusAndCaptureTellTheWindowsConcerned) {
  HWND a = Make(0), b = Make(0);
  EXPECT_EQ(SetFocus(a), nullptr);
  g_seen.clear();
  EXPECT_EQ(SetFocus(b), a);
  EXPECT_EQ(GetFocus(), b);
  ASSERT_EQ(g_seen.size(), 2u);
  EXPECT_EQ(g_seen[0], Seen(a, WM_KILLFOCUS, reinterpret_cast<WPARAM>(b), 0));
  EXPECT_EQ(g_seen[1], Seen(b, WM_SETFOCUS, reinterpret_cast<WPARAM>(a), 0));

  g_seen.clear();
  SetCapture(a);
  EXPECT_EQ(SetCapture(b), a);
  EXPECT_EQ(g_seen, (std::vector<Seen>{Seen(a, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(b))}));
  EXPECT_TRUE(ReleaseCapture());
  EXPECT_EQ(GetCapture(), nullptr);
  // Destroying the focus window leaves no dangling focus.
  velmora::win::ReleaseWindowRecord(b);
  EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(Queue, TextClassNameAndCursors) {
  HWND a = Make(0);
  ASSERT_TRUE(SetWindowTextW(a, L"Velmora V9"));
  wchar_t buf[6];
  EXPECT_EQ(GetWindowTextLengthW(a), 10);
  EXPECT_EQ(GetWindowTextW(a, buf, 6), 5);
  EXPECT_STREQ(buf, L"Velmo");
  wchar_t cls[21];
  EXPECT_EQ(GetClassNameW(a, cls, 21), 9);
  EXPECT_STREQ(cls, L"TestClass");

  HCURSOR c = LoadCursorW(nullptr, 317);
  EXPECT_EQ(GetCursorResourceId(c), 317u);
  EXPECT_EQ(GetCursorResourceId(nullptr), 0u);
  const HCURSOR old = SetCursor(c);
  EXPECT_EQ(GetCursor(), c);
  SetCursor(old);
}

namespace {
struct KeyCase {
  const char* name;
  std::vector<UINT> held;  // modifier keys down
  UINT message;
  WPARAM key;
  int expectedCmd;  // 0: not translated
};

// Host table first, then a plug-in's, as merging concatenates them.
const ACCEL kTable[] = {
    {FVIRTKEY | FCONTROL, 'O', 57601},
    {FVIRTKEY | FCONTROL | FSHIFT, 'S', 57604},
    {FVIRTKEY | FCONTROL, 'S', 57603},
    {FALT, '.', 32825},  // character entry
    {FVIRTKEY | FSHIFT, VK_INSERT, 57637},
    {FVIRTKEY, VK_F1, 32954},
    {FVIRTKEY, VK_RETURN, 32816},
    // The plug-in's part: one key the host already has (the host keeps it), one new.
    {FVIRTKEY | FCONTROL, 'O', 40001},
    {FVIRTKEY | FCONTROL | FALT, 'Q', 40002},
};
}  // namespace

class Accelerators : public Queue, public testing::WithParamInterface<KeyCase> {};

TEST_P(Accelerators, KeysAndCharactersBecomeCommands) {
  const KeyCase& c = GetParam();
  HWND w = Make(0);
  ACCEL table[std::size(kTable)];
  std::copy(std::begin(kTable), std::end(kTable), table);
  HACCEL h = CreateAcceleratorTableW(table, static_cast<int>(std::size(table)));
  for (UINT vk : c.held) velmora::win::SetKeyDown(vk, true);
  MSG m{w, c.message, c.key, 0, 0, {}};
  g_seen.clear();
  const int r = TranslateAcceleratorW(w, h, &m);
  for (UINT vk : c.held) velmora::win::SetKeyDown(vk, false);
  DestroyAcceleratorTable(h);
  if (c.expectedCmd == 0) {
    EXPECT_EQ(r, 0);
    EXPECT_TRUE(g_seen.empty());
  } else {
    EXPECT_EQ(r, 1);
    ASSERT_EQ(g_seen.size(), 1u);
    EXPECT_EQ(g_seen[0], Seen(w, WM_COMMAND, MAKELONG(static_cast<WORD>(c.expectedCmd), 1), 0));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Accelerators,
    testing::Values(KeyCase{"ctrl_o_host_entry_wins_over_plugin", {VK_CONTROL}, WM_KEYDOWN, 'O', 57601},
                    KeyCase{"ctrl_shift_s_is_save_as", {VK_CONTROL, VK_SHIFT}, WM_KEYDOWN, 'S', 57604},
                    KeyCase{"ctrl_s_is_save", {VK_CONTROL}, WM_KEYDOWN, 'S', 57603},
                    KeyCase{"plain_o_is_no_command", {}, WM_KEYDOWN, 'O', 0},
                    KeyCase{"ctrl_alt_o_matches_nothing", {VK_CONTROL, VK_MENU}, WM_KEYDOWN, 'O', 0},
                    KeyCase{"alt_dot_as_syschar", {}, WM_SYSCHAR, '.', 32825},
                    KeyCase{"alt_dot_as_char_with_alt_held", {VK_MENU}, WM_CHAR, '.', 32825},
                    KeyCase{"dot_without_alt", {}, WM_CHAR, '.', 0},
                    KeyCase{"character_entry_ignores_keydown_of_same_code", {VK_MENU}, WM_SYSKEYDOWN, '.', 0},
                    KeyCase{"shift_insert_is_paste", {VK_SHIFT}, WM_KEYDOWN, VK_INSERT, 57637},
                    KeyCase{"f1", {}, WM_KEYDOWN, VK_F1, 32954},
                    KeyCase{"shift_f1_is_not_f1", {VK_SHIFT}, WM_KEYDOWN, VK_F1, 0},
                    KeyCase{"enter", {}, WM_KEYDOWN, VK_RETURN, 32816},
                    KeyCase{"plugin_only_key", {VK_CONTROL, VK_MENU}, WM_SYSKEYDOWN, 'Q', 40002},
                    KeyCase{"key_up_is_not_translated", {VK_CONTROL}, WM_KEYUP, 'O', 0}),
    [](const testing::TestParamInfo<KeyCase>& i) { return std::string(i.param.name); });

TEST_F(Queue, KeyStateFollowsTheKeyMessagesTheLoopTakesOut) {
  HWND w = Make(0);
  PostMessageW(w, WM_KEYDOWN, VK_CONTROL, 0);
  PostMessageW(w, WM_KEYDOWN, 'O', 0);
  PostMessageW(w, WM_KEYUP, VK_CONTROL, 0);
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_GE(GetKeyState(VK_CONTROL), 0);  // not taken out yet
  GetMessageW(&m, nullptr, 0, 0);
  GetMessageW(&m, nullptr, 0, 0);
  EXPECT_LT(GetKeyState(VK_CONTROL), 0);
  EXPECT_EQ(m.wParam, static_cast<WPARAM>('O'));
  GetMessageW(&m, nullptr, 0, 0);
  EXPECT_GE(GetAsyncKeyState(VK_CONTROL), 0);
}

TEST(WindowRecords, RefuseBadArguments) {
  EXPECT_EQ(velmora::win::CreateWindowRecord(nullptr, nullptr, 0, RECT{}, L"", L""), nullptr);
  EXPECT_EQ(velmora::win::CreateWindowRecord(&Proc, reinterpret_cast<HWND>(0x42), 0, RECT{}, L"", L""), nullptr);
  EXPECT_FALSE(velmora::win::ReleaseWindowRecord(nullptr));
  EXPECT_FALSE(IsWindow(nullptr));
  EXPECT_EQ(SetTimer(nullptr, 1, 10, nullptr), 0u);
  EXPECT_FALSE(ShowWindow(nullptr, SW_SHOW));
  EXPECT_FALSE(InvalidateRect(nullptr, nullptr, TRUE));
  EXPECT_FALSE(PeekMessageW(nullptr, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(GetMessageW(nullptr, nullptr, 0, 0), -1);
  MSG m{};
  EXPECT_EQ(TranslateAcceleratorW(nullptr, nullptr, &m), 0);
}

TEST_F(Queue, ScrollBarsKeepTheirInfoPerBarAndClampThePosition) {
  HWND a = Make(0);
  SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, -50, 150, 20, 30, 0};
  EXPECT_EQ(SetScrollInfo(a, SB_HORZ, &si, FALSE), 30);
  SCROLLINFO out{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
  ASSERT_TRUE(GetScrollInfo(a, SB_HORZ, &out));
  EXPECT_EQ(std::make_tuple(out.nMin, out.nMax, out.nPage, out.nPos, out.nTrackPos),
            std::make_tuple(-50, 150, 20u, 30, 30));
  // Only the masked fields change; a position outside the range lands on its nearer end.
  const std::tuple<int, int> clamps[] = {{400, 150}, {-400, -50}, {7, 7}};
  for (const auto& [asked, kept] : clamps) {
    SetScrollPos(a, SB_HORZ, asked, FALSE);
    EXPECT_EQ(GetScrollPos(a, SB_HORZ), kept) << asked;
  }
  ASSERT_TRUE(GetScrollInfo(a, SB_HORZ, &out));
  EXPECT_EQ(std::make_tuple(out.nMin, out.nMax, out.nPage), std::make_tuple(-50, 150, 20u));
  // The vertical bar is separate and starts at its defaults.
  ASSERT_TRUE(GetScrollInfo(a, SB_VERT, &out));
  EXPECT_EQ(std::make_tuple(out.nMin, out.nMax, out.nPos), std::make_tuple(0, 100, 0));
  // Showing: each bar or both.
  EXPECT_FALSE(IsScrollBarShown(a, SB_HORZ));
  ASSERT_TRUE(ShowScrollBar(a, SB_BOTH, TRUE));
  EXPECT_TRUE(IsScrollBarShown(a, SB_HORZ) && IsScrollBarShown(a, SB_VERT));
  ASSERT_TRUE(ShowScrollBar(a, SB_VERT, FALSE));
  EXPECT_TRUE(IsScrollBarShown(a, SB_HORZ) && !IsScrollBarShown(a, SB_VERT));
  // Unknown bars, windows and null records fail without touching anything.
  EXPECT_FALSE(GetScrollInfo(a, 2, &out));
  EXPECT_FALSE(GetScrollInfo(a, SB_HORZ, nullptr));
  EXPECT_EQ(SetScrollInfo(a, SB_HORZ, nullptr, FALSE), 0);
  EXPECT_FALSE(ShowScrollBar(a, 5, TRUE));
  velmora::win::ReleaseWindowRecord(a);
  windows.clear();
  EXPECT_FALSE(GetScrollInfo(a, SB_HORZ, &out));
  EXPECT_EQ(SetScrollInfo(a, SB_HORZ, &si, FALSE), 0);
}
