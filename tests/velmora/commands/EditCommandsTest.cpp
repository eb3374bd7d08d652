// The selection tool and the commands that change the selection (move, copy, rotate, delete),
// driven through the hub: what gets selected, the geometry against closed forms, one undoable
// action per change.
#include "CommandHubFixture.h"

#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeLine.h"
#include "platform/vurode/Dib.h"
#include "platform/win/GlobalMem.h"
#include "db/DbImage.h"
#include "velmora/commandlib/EditSelCmds.h"
#include "velmora/commandlib/ImageScanCmd.h"

#include <cmath>
#include <cstring>
#include <numbers>
#include <set>

namespace {

CGeLine* LineOf(CDbEntity* e) {
  auto* c = dynamic_cast<CDbCurve*>(e);
  return c ? dynamic_cast<CGeLine*>(c->GetCurve()) : nullptr;
}

}  // namespace

class EditCommandsTest : public CommandHubTest {
 protected:
  void SetUp() override {
    CommandHubTest::SetUp();
    a = AddLine(0, 0, 10, 0);
    b = AddLine(20, 0, 30, 10);
    const double c[2] = {50, 50};
    circle = new CDbCurve(new CGeCircle(c, 5, 1));
    db.AddTail(circle);
  }
  std::set<CDbEntity*> SelSet() const {
    auto v = Selected();
    return {v.begin(), v.end()};
  }
  CDbEntity* a;
  CDbEntity* b;
  CDbEntity* circle;
};

// Left to right frames what lies wholly inside; right to left also what the frame crosses.
TEST_F(EditCommandsTest, WindowAndCrossingFrames) {
  struct Case {
    const char* name;
    double x0, y0, x1, y1;
    std::set<int> expect;  // 0 a, 1 b, 2 circle
  } cases[] = {
      {"window around a", -1, -1, 15, 5, {0}},
      {"window over a and b, b not whole", -1, -1, 25, 5, {0}},
      {"window around everything", -5, -5, 60, 60, {0, 1, 2}},
      {"crossing through a and b", 25, 5, 5, -5, {0, 1}},
      {"crossing of the circle's rim", 54, 51, 56, 49, {2}},
      {"crossing inside the circle touches nothing", 52, 52, 48, 48, {}},
      {"crossing of empty space", -50, -50, -60, -60, {}},
  };
  CDbEntity* ents[] = {a, b, circle};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sel.RemoveAll(1);
    Drag(c.x0, c.y0, c.x1, c.y1);
    std::set<CDbEntity*> expect;
    for (int i : c.expect) expect.insert(ents[i]);
    EXPECT_EQ(SelSet(), expect);
    for (CDbEntity* e : ents) EXPECT_EQ(e->IsSelected(), expect.count(e) ? 1 : 0);
  }
  // The frame's band is gone when the button comes up.
  EXPECT_EQ(XorDraws() % 2, 0u);
  EXPECT_GT(XorDraws(), 0u);
}

TEST_F(EditCommandsTest, ClicksAndShift) {
  Click(5, 1);  // on a, within the pick radius
  EXPECT_EQ(SelSet(), (std::set<CDbEntity*>{a}));
  Click(25, 5.5, CMD_MK_SHIFT);  // add b
  EXPECT_EQ(SelSet(), (std::set<CDbEntity*>{a, b}));
  Click(5, -1, CMD_MK_SHIFT);  // remove a
  EXPECT_EQ(SelSet(), (std::set<CDbEntity*>{b}));
  EXPECT_EQ(a->IsSelected(), 0);
  Click(55, 50);  // on the circle: replaces
  EXPECT_EQ(SelSet(), (std::set<CDbEntity*>{circle}));
  Drag(-1, -1, 15, 5, CMD_MK_SHIFT);  // a shift frame adds
  EXPECT_EQ(SelSet(), (std::set<CDbEntity*>{circle, a}));
  Click(-100, -100);  // empty space clears
  EXPECT_TRUE(sel.IsEmpty());
  // Locked and hidden entities are not picked or framed.
  a->SetLock(1);
  b->SetVisible(0);
  Drag(-5, -5, 60, 60);
  EXPECT_EQ(SelSet(), (std::set<CDbEntity*>{circle}));
  Click(5, 0);
  EXPECT_TRUE(sel.IsEmpty());
  Key(VK_ESCAPE);
}

TEST_F(EditCommandsTest, DeleteKeyAndDeleteCommandAreUndoable) {
  Drag(-5, -5, 40, 40);
  ASSERT_EQ(sel.GetCount(), 2);
  Key(VK_DELETE);
  EXPECT_EQ(db.GetCount(), 1);
  EXPECT_TRUE(sel.IsEmpty());
  EXPECT_EQ(gGetActManager()->GetCount(), 1);
  ASSERT_TRUE(gGetActManager()->Undo());
  EXPECT_EQ(Entities(), (std::vector<CDbEntity*>{a, b, circle})) << "back in their places";
  ASSERT_TRUE(gGetActManager()->Redo());
  EXPECT_EQ(Entities(), (std::vector<CDbEntity*>{circle}));
  ASSERT_TRUE(gGetActManager()->Undo());

  // The menu command does the same; with nothing selected it does nothing.
  Click(55, 50);
  EXPECT_EQ(hub.RunAppCmd(32818u, 0), 1);
  EXPECT_EQ(Entities(), (std::vector<CDbEntity*>{a, b}));
  EXPECT_EQ(hub.GetCurCmd(), nullptr);
  EXPECT_EQ(hub.RunAppCmd(32818u, 0), 0);
  // The undone delete gave way to the new one.
  EXPECT_EQ(gGetActManager()->GetCount(), 1);
}

TEST_F(EditCommandsTest, MoveAndCopyByTheBasePoint) {
  struct Case {
    const char* name;
    UINT flags;  // of the placing click
    bool copy;
  } cases[] = {{"move", 0, false}, {"copy with Ctrl", CMD_MK_CONTROL, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Click(5, 0);
    ASSERT_EQ(SelSet(), (std::set<CDbEntity*>{a}));
    ASSERT_EQ(hub.RunAppCmd(32795u, 0), 1);
    Click(2, 1);  // base point
    Move(4, 5);   // the moving copy follows
    Click(5, 5, c.flags);
    EXPECT_EQ(hub.GetCurCmd(), nullptr);
    EXPECT_EQ(db.GetCount(), c.copy ? 4 : 3);
    CDbEntity* moved = Entities().back();
    CGeLine* l = LineOf(moved);
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->m_ptStart[0], 3);
    EXPECT_EQ(l->m_ptStart[1], 4);
    EXPECT_EQ(l->m_ptEnd[0], 13);
    EXPECT_EQ(l->m_ptEnd[1], 4);
    EXPECT_EQ(SelSet(), (std::set<CDbEntity*>{moved})) << "the result is selected";
    EXPECT_EQ(db.Contains(a), c.copy);
    EXPECT_EQ(XorDraws() % 2, 0u);
    ASSERT_TRUE(gGetActManager()->Undo());
    EXPECT_EQ(Entities(), (std::vector<CDbEntity*>{a, b, circle}));
    EXPECT_EQ(LineOf(a)->m_ptStart[0], 0);
    sel.RemoveAll(1);
  }
  // An entity locked after it was selected stays where it is.
  Click(5, 0);
  Click(55, 50, CMD_MK_SHIFT);
  circle->SetLock(1);
  ASSERT_EQ(hub.RunAppCmd(32795u, 0), 1);
  Click(0, 0);
  Click(0, 100);
  EXPECT_TRUE(db.Contains(circle));
  EXPECT_FALSE(db.Contains(a));
  EXPECT_EQ(db.GetCount(), 3);
  ASSERT_TRUE(gGetActManager()->Undo());
  circle->SetLock(0);
  sel.RemoveAll(1);
  // Nothing selected: the command does not start.
  EXPECT_EQ(hub.RunAppCmd(32795u, 0), 0);
  EXPECT_EQ(hub.GetCurCmd(), nullptr);
}

// Rotation by a clicked direction and by a typed angle, against the rotation matrix.
TEST_F(EditCommandsTest, RotateAboutTheBasePoint) {
  const double pi = std::numbers::pi;
  Drag(-5, -5, 60, 60);
  ASSERT_EQ(sel.GetCount(), 3);
  ASSERT_EQ(hub.RunAppCmd(32933u, 0), 1);
  Click(0, 0);
  Click(0, 7);  // straight up: a quarter turn
  ASSERT_EQ(db.GetCount(), 3);
  auto all = Entities();
  CGeLine* la = LineOf(all[0]);
  ASSERT_NE(la, nullptr);
  EXPECT_NEAR(la->m_ptEnd[0], 0, 1e-12);
  EXPECT_NEAR(la->m_ptEnd[1], 10, 1e-12);
  auto* k = dynamic_cast<CGeCircle*>(static_cast<CDbCurve*>(all[2])->GetCurve());
  ASSERT_NE(k, nullptr);
  EXPECT_NEAR(k->m_ptCenter[0], -50, 1e-9);
  EXPECT_NEAR(k->m_ptCenter[1], 50, 1e-9);
  EXPECT_NEAR(k->m_dRadius, 5, 1e-12);
  ASSERT_TRUE(gGetActManager()->Undo());
  EXPECT_EQ(Entities(), (std::vector<CDbEntity*>{a, b, circle}));

  // A typed angle of 30 degrees about (10, 0), kept as a copy (option bit 0).
  sel.RemoveAll(1);
  Click(55, 50);
  auto* rot = static_cast<CRotateCmd*>(hub.GetCmd(32933u));
  rot->SetOption(CSelectionEditCmd::kOptCopy);
  ASSERT_EQ(hub.RunAppCmd(rot, 0), 1);
  Click(10, 0);
  EXPECT_EQ(rot->OnKeyInDouble(30.0), 1);
  ASSERT_EQ(db.GetCount(), 4);
  auto* k2 = dynamic_cast<CGeCircle*>(static_cast<CDbCurve*>(Entities().back())->GetCurve());
  ASSERT_NE(k2, nullptr);
  const double t = pi / 6, dx = 40, dy = 50;
  EXPECT_NEAR(k2->m_ptCenter[0], 10 + dx * std::cos(t) - dy * std::sin(t), 1e-9);
  EXPECT_NEAR(k2->m_ptCenter[1], dx * std::sin(t) + dy * std::cos(t), 1e-9);
  EXPECT_TRUE(db.Contains(circle));
  // Esc before the second click changes nothing.
  ASSERT_EQ(hub.RunAppCmd(rot, 0), 1);
  Click(0, 0);
  Key(VK_ESCAPE);
  EXPECT_EQ(db.GetCount(), 4);
  EXPECT_EQ(gGetActManager()->GetCount(), 1) << "only the copy; the undone rotation gave way";
}

// A scanned picture handed over as a packed bitmap becomes an image entity.
TEST_F(EditCommandsTest, ScannedPictureIsAdded) {
  auto* scan = dynamic_cast<CImageScanCmd*>(hub.GetCmd(32839u));
  ASSERT_NE(scan, nullptr);
  EXPECT_EQ(hub.RunAppCmd(scan, 0), 0) << "no picture waiting";
  // 3 x 2 pixels, 24 bits, rows bottom first, each padded to 12 bytes.
  const int w = 3, h = 2, stride = 12;
  std::vector<BYTE> dib(40 + stride * h, 0);
  auto put32 = [&](int at, uint32_t v) { std::memcpy(&dib[at], &v, 4); };
  put32(0, 40);
  put32(4, w);
  put32(8, h);
  dib[12] = 1;
  dib[14] = 24;
  // Bottom row: red, green, blue; top row: white, black, grey.
  const BYTE bgr[2][3][3] = {{{0, 0, 255}, {0, 255, 0}, {255, 0, 0}}, {{255, 255, 255}, {0, 0, 0}, {128, 128, 128}}};
  for (int r = 0; r < h; ++r)
    for (int x = 0; x < w; ++x) std::memcpy(&dib[40 + r * stride + x * 3], bgr[r][x], 3);
  HGLOBAL block = GlobalAlloc(GHND, dib.size());
  std::memcpy(GlobalLock(block), dib.data(), dib.size());
  GlobalUnlock(block);

  EXPECT_FALSE(scan->SetBitmap(block, 24, h, w + 1)) << "size disagrees with the header";
  EXPECT_FALSE(scan->SetBitmap(block, 32, h, w)) << "depth disagrees";
  HGLOBAL shortBlock = GlobalAlloc(GHND, 50);
  std::memcpy(GlobalLock(shortBlock), dib.data(), 50);
  GlobalUnlock(shortBlock);
  EXPECT_FALSE(scan->SetBitmap(shortBlock, 24, h, w)) << "rows missing";
  GlobalFree(shortBlock);
  ASSERT_TRUE(scan->SetBitmap(block, 24, h, w));
  GlobalFree(block);  // the scanner frees it at once

  EXPECT_EQ(hub.RunAppCmd(scan, 0), 1);
  ASSERT_EQ(db.GetCount(), 4);
  auto* image = dynamic_cast<CDbImage*>(Entities().back());
  ASSERT_NE(image, nullptr);
  const CDib* pic = image->GetDib();
  ASSERT_NE(pic, nullptr);
  EXPECT_EQ(pic->GetWidth(), 3);
  EXPECT_EQ(pic->GetHeight(), 2);
  EXPECT_EQ(pic->GetPixel(0, 1), RGB(255, 0, 0)) << "bottom-left red";
  EXPECT_EQ(pic->GetPixel(2, 1), RGB(0, 0, 255));
  EXPECT_EQ(pic->GetPixel(0, 0), RGB(255, 255, 255)) << "top-left white";
  EXPECT_EQ(pic->GetPixel(2, 0), RGB(128, 128, 128));
  EXPECT_FALSE(scan->HasBitmap());
  ASSERT_TRUE(gGetActManager()->Undo());
  EXPECT_EQ(db.GetCount(), 3);
}

// Pictures with a colour table: indices read at 1 and 8 bits per pixel, a top-first picture,
// and an index past the table refused.
TEST_F(EditCommandsTest, ScannedPicturesWithColourTables) {
  auto* scan = dynamic_cast<CImageScanCmd*>(hub.GetCmd(32839u));
  ASSERT_NE(scan, nullptr);
  struct Case {
    const char* name;
    int bpp, width, height;  // height < 0: rows top first
    std::vector<BYTE> rows;  // already padded to 4 bytes each, in stored order
    bool ok;
    COLORREF topLeft, bottomRight;
  } cases[] = {
      {"1 bit", 1, 3, 2, {0xA0, 0, 0, 0, 0x40, 0, 0, 0}, true, RGB(0, 0, 0), RGB(255, 255, 255)},
      {"8 bits", 8, 2, 2, {0, 1, 0, 0, 1, 0, 0, 0}, true, RGB(255, 255, 255), RGB(255, 255, 255)},
      {"8 bits top first", 8, 2, -2, {1, 0, 0, 0, 0, 1, 0, 0}, true, RGB(255, 255, 255), RGB(255, 255, 255)},
      {"index past the table", 8, 2, 2, {0, 2, 0, 0, 1, 0, 0, 0}, false, 0, 0},
  };
  // Two colours: 0 black, 1 white.
  const BYTE table[8] = {0, 0, 0, 0, 255, 255, 255, 0};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<BYTE> dib(40, 0);
    auto put32 = [&](int at, int32_t v) { std::memcpy(&dib[at], &v, 4); };
    put32(0, 40);
    put32(4, c.width);
    put32(8, c.height);
    dib[12] = 1;
    dib[14] = BYTE(c.bpp);
    put32(32, 2);
    dib.insert(dib.end(), table, table + 8);
    dib.insert(dib.end(), c.rows.begin(), c.rows.end());
    HGLOBAL block = GlobalAlloc(GHND, dib.size());
    std::memcpy(GlobalLock(block), dib.data(), dib.size());
    GlobalUnlock(block);
    const int h = c.height < 0 ? -c.height : c.height;
    EXPECT_EQ(scan->SetBitmap(block, c.bpp, h, c.width), c.ok);
    GlobalFree(block);
    if (!c.ok) {
      EXPECT_FALSE(scan->HasBitmap());
      continue;
    }
    const int before = db.GetCount();
    ASSERT_EQ(hub.RunAppCmd(scan, 0), 1);
    ASSERT_EQ(db.GetCount(), before + 1);
    const CDib* pic = static_cast<CDbImage*>(Entities().back())->GetDib();
    EXPECT_EQ(pic->GetPixel(0, 0), c.topLeft);
    EXPECT_EQ(pic->GetPixel(c.width - 1, h - 1), c.bottomRight);
  }
}
