// Scanning from the drawing view: SANE's "test" backend through our source manager arrives as an
// image of the device's frame size; without a manager or a device the scan items are disabled;
// a scripted manager covers transfer counts, skipped and failed transfers and close requests.
#include "ShellFixture.h"

#include "db/DbImage.h"
#include "platform/vurode/Dib.h"
#include "platform/win/Window.h"
#include "velmora/pictures/KxScan.h"
#include "velmora/pictures/ScanImage.h"

#ifdef VELMORA_SANE_DSM
#include <sane/sane.h>
#endif

#include <cstring>
#include <dlfcn.h>

#include "platform/win/GlobalMem.h"

#ifdef VELMORA_SANE_DSM

// Leaks of SANE's test backend are not ours to check.
extern "C" const char* __lsan_default_suppressions() { return "leak:libsane-test.so\n"; }

namespace {

std::vector<CDbImage*> Images() {
  std::vector<CDbImage*> out;
  const CDbEntityList& list = gGetDBase()->GetEntityList();
  for (POSITION pos = list.GetHeadPosition(); pos;)
    if (auto* img = dynamic_cast<CDbImage*>(list.GetNext(pos))) out.push_back(img);
  return out;
}

// SANE keeps the configuration folder it first found for the whole process: every test of this
// program (each shell start opens the source manager) uses one folder, whose backend list the
// scan tests rewrite.
const fs::path& SaneConfig() {
  static const fs::path dir = fs::temp_directory_path() / ("velmora-sane-" + std::to_string(::getpid()));
  return dir;
}
class SaneEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    // The test backend's reader thread can be cancelled before it frees its 64 KiB buffer (its
    // own race, whatever the caller does). The backend stays mapped so that the leak checker
    // can name it and pass over it (see __lsan_default_suppressions below).
    ::dlopen("libsane-test.so.1", RTLD_NOW | RTLD_NODELETE);
    ::dlopen("/usr/lib/x86_64-linux-gnu/sane/libsane-test.so.1", RTLD_NOW | RTLD_NODELETE);
    fs::create_directories(SaneConfig());
    std::ofstream(SaneConfig() / "dll.conf") << "test\n";
    ::setenv("SANE_CONFIG_DIR", SaneConfig().c_str(), 1);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(SaneConfig(), ec);
  }
};
[[maybe_unused]] ::testing::Environment* const g_saneEnv = ::testing::AddGlobalTestEnvironment(new SaneEnvironment);

class ScanTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    CKxScan::SetSourceManagerName(L"libvelmora_twain.so");
  }
  void TearDown() override {
    ShellTest::TearDown();
    Backends("test\n");
    CKxScan::SetSourceManagerName(L"libvelmora_twain.so");
  }
  void Backends(const char* lines) { std::ofstream(SaneConfig() / "dll.conf") << lines; }
  // The application's loop: pre-translation (where the source's events are taken), then dispatch.
  void Pump() {
    MSG msg;
    for (int i = 0; i < 100 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i)
      if (!app->PreTranslateMessage(&msg)) DispatchMessageW(&msg);
  }
  void Nudge() {
    PostMessageW(view->GetSafeHwnd(), WM_NULL, 0, 0);
    Pump();
  }
};

// The frame the test device makes with its defaults, asked of SANE directly.
bool TestFrameSize(int& width, int& height) {
  SANE_Int version = 0;
  if (sane_init(&version, nullptr) != SANE_STATUS_GOOD) return false;
  SANE_Handle h = nullptr;
  bool ok = false;
  if (sane_open("test:0", &h) == SANE_STATUS_GOOD) {
    SANE_Parameters p{};
    if (sane_start(h) == SANE_STATUS_GOOD && sane_get_parameters(h, &p) == SANE_STATUS_GOOD) {
      // Read the frame to its end (the backend's reader finishes) and count its lines.
      std::vector<SANE_Byte> buf(1 << 16);
      size_t bytes = 0;
      SANE_Int got = 0;
      while (sane_read(h, buf.data(), SANE_Int(buf.size()), &got) == SANE_STATUS_GOOD) bytes += size_t(got);
      width = p.pixels_per_line;
      height = p.bytes_per_line > 0 ? int(bytes / size_t(p.bytes_per_line)) : 0;
      ok = width > 0 && height > 0 && (p.lines < 0 || p.lines == height);
    }
    sane_cancel(h);
    sane_close(h);
  }
  sane_exit();
  return ok;
}

}  // namespace

TEST_F(ScanTest, TestBackendFrameArrivesAsAnImageOfItsSize) {
  Backends("test\n");
  int width = 0, height = 0;
  ASSERT_TRUE(TestFrameSize(width, height));
  Start();
  ASSERT_TRUE(view);
  ASSERT_TRUE(view->IsLoaded());
  EXPECT_TRUE(view->DSMOpen());
  EXPECT_EQ(Enabled(ID_SCAN_SELECT), 1);
  EXPECT_EQ(Enabled(ID_SCAN_ACQUIRE), 0);  // no source chosen yet
  Command(ID_SCAN_SELECT);
  EXPECT_STREQ(view->GetSourceIdentity().ProductName, "test:0");
  EXPECT_EQ(Enabled(ID_SCAN_ACQUIRE), 1);
  Command(ID_SCAN_ACQUIRE);
  EXPECT_TRUE(view->SourceEnabled());
  Pump();
  const auto images = Images();
  ASSERT_EQ(images.size(), 1u);
  ASSERT_TRUE(images[0]->GetDib());
  EXPECT_EQ(images[0]->GetDib()->GetWidth(), width);
  EXPECT_EQ(images[0]->GetDib()->GetHeight(), height);
  EXPECT_TRUE(doc->IsModified());
  // The source asked to be closed after its one frame: closed, the manager stays open, and a
  // new acquisition scans again.
  Nudge();
  EXPECT_FALSE(view->SourceOpen());
  EXPECT_TRUE(view->DSMOpen());
  Command(ID_SCAN_ACQUIRE);
  Pump();
  EXPECT_EQ(Images().size(), 2u);
}

TEST_F(ScanTest, NoDeviceOrNoManagerDisablesTheScanItems) {
  Backends("");  // SANE without backends: no device
  Start();
  ASSERT_TRUE(view);
  EXPECT_TRUE(view->IsLoaded());
  Command(ID_SCAN_SELECT);
  EXPECT_FALSE(view->SourceSelected());
  EXPECT_EQ(Enabled(ID_SCAN_ACQUIRE), 0);
  Command(ID_SCAN_ACQUIRE);
  EXPECT_FALSE(view->SourceOpen());
  Stop();
  // No manager at all: the view is made all the same and nothing about scanning is enabled.
  CKxScan::SetSourceManagerName(L"libvelmora-no-such-manager.so");
  Start();
  ASSERT_TRUE(view);
  EXPECT_FALSE(view->IsLoaded());
  EXPECT_EQ(Enabled(ID_SCAN_SELECT), 0);
  EXPECT_EQ(Enabled(ID_SCAN_ACQUIRE), 0);
  Command(ID_SCAN_SELECT);
  Command(ID_SCAN_ACQUIRE);
  EXPECT_FALSE(view->SourceOpen());
  // A library without the entry point is no manager either.
  CKxScan::SetSourceManagerName(L"libsane.so.1");
  Stop();
  Start();
  ASSERT_TRUE(view);
  EXPECT_FALSE(view->IsLoaded());
}

namespace {
// A scanner driver on the scripted manager, recording what it receives.
class ScriptedScan : public CKxScan {
 public:
  int decision = 0;
  std::vector<std::pair<int, int>> images;  // width, height of each copied image
  int closeRequests = 0;
  int ShouldTransfer(const TW_IMAGEINFO&) override { return decision; }
  BOOL ShouldCloseSource() override {
    ++closeRequests;
    return TRUE;
  }
  void CopyImage(HANDLE hBitmap, TW_IMAGEINFO&) override {
    CDib* dib = KxDibFromScan(hBitmap);
    ASSERT_TRUE(dib);
    images.emplace_back(dib->GetWidth(), dib->GetHeight());
    // Copied pixels: top row red, bottom row blue.
    EXPECT_EQ(dib->GetPixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(dib->GetPixel(2, 1), RGB(0, 0, 255));
    dib->Release();
  }
};

template <typename F>
F Fake(const char* name) {
  void* h = ::dlopen(TEST_FAKE_DSM, RTLD_NOW | RTLD_NOLOAD);
  return h ? reinterpret_cast<F>(::dlsym(h, name)) : nullptr;
}
}  // namespace

TEST_F(ScanTest, ScriptedManagerTransfersCountsAndCloseRequests) {
  Start();
  ASSERT_TRUE(view);
  CKxScan::SetSourceManagerName(CString::FromUtf8(TEST_FAKE_DSM).GetString());
  ScriptedScan scan;
  ASSERT_TRUE(scan.InitTwain(view->GetSafeHwnd()));
  auto script = Fake<void (*)(bool, bool, int)>("FakeDsmScript");
  auto lastSet = Fake<void (*)(TW_UINT16*, TW_UINT32*)>("FakeDsmLastSet");
  auto bitmaps = Fake<void (*)(int*, int*)>("FakeDsmBitmaps");
  ASSERT_TRUE(script && lastSet && bitmaps);
  auto pump = [&] {
    MSG msg{view->GetSafeHwnd(), WM_NULL, 0, 0, 0, {0, 0}};
    scan.ProcessMessage(msg);
  };

  // A signed count refused with check status: the current count is set again as unsigned.
  script(true, false, 2);
  ASSERT_TRUE(scan.Acquire(-1));
  TW_UINT16 type = 0;
  TW_UINT32 value = 0;
  lastSet(&type, &value);
  EXPECT_EQ(type, TWTY_UINT16);
  EXPECT_EQ(value, 7u);
  EXPECT_EQ(scan.GetTransferCount(), 7);
  EXPECT_FALSE(scan.ModalUI());
  pump();  // transfer ready: both images come over
  ASSERT_EQ(scan.images.size(), 2u);
  EXPECT_EQ(scan.images[0], std::make_pair(3, 2));
  int handed = 0, alive = 0;
  bitmaps(&handed, &alive);
  EXPECT_EQ(handed, 2);
  EXPECT_EQ(alive, 0) << "each bitmap is freed once copied";
  pump();  // close request
  EXPECT_EQ(scan.closeRequests, 1);
  EXPECT_FALSE(scan.SourceOpen());
  EXPECT_TRUE(scan.DSMOpen());

  // Skipping takes no image; aborting and a failed transfer reset the pending transfers.
  for (int decision : {1, 2}) {
    scan.decision = decision;
    script(false, false, 3);
    ASSERT_TRUE(scan.Acquire(-1));
    pump();
    EXPECT_EQ(scan.images.size(), 2u) << decision;
    pump();
    EXPECT_FALSE(scan.SourceOpen()) << decision;
  }
  scan.decision = 0;
  script(false, true, 3);
  ASSERT_TRUE(scan.Acquire(-1));
  pump();
  EXPECT_EQ(scan.images.size(), 2u);
  EXPECT_EQ(scan.GetStatus().ConditionCode, TWCC_OPERATIONERROR);
  scan.ReleaseTwain();
  EXPECT_FALSE(scan.IsLoaded());
}

#endif  // VELMORA_SANE_DSM

TEST(ScanImage, HostileBitmapsAreRefused) {
  auto block = [](const TW_BITMAPINFOHEADER& bi, size_t extra) {
    HGLOBAL h = GlobalAlloc(GHND, sizeof bi + extra);
    std::memcpy(GlobalLock(h), &bi, sizeof bi);
    GlobalUnlock(h);
    return h;
  };
  TW_BITMAPINFOHEADER good{40, 4, 3, 1, 8, 0, 0, 0, 0, 0, 0};
  const size_t goodBits = 256 * 4 + 4 * 3;
  HGLOBAL ok = block(good, goodBits);
  CDib* dib = KxDibFromScan(ok);
  ASSERT_TRUE(dib);
  EXPECT_EQ(dib->GetWidth(), 4);
  EXPECT_EQ(dib->GetHeight(), 3);
  dib->Release();
  GlobalFree(ok);
  struct Case { const char* name; TW_BITMAPINFOHEADER bi; size_t extra; } cases[] = {
      {"rows past the block", good, goodBits - 1},
      {"zero width", {40, 0, 3, 1, 8, 0, 0, 0, 0, 0, 0}, goodBits},
      {"absurd height", {40, 4, 0x7FFFFFFF, 1, 8, 0, 0, 0, 0, 0, 0}, goodBits},
      {"unknown bit count", {40, 4, 3, 1, 7, 0, 0, 0, 0, 0, 0}, goodBits},
      {"compressed", {40, 4, 3, 1, 8, 1, 0, 0, 0, 0, 0}, goodBits},
      {"header larger than the block", {4000, 4, 3, 1, 8, 0, 0, 0, 0, 0, 0}, goodBits},
  };
  for (const Case& c : cases) {
    HGLOBAL h = block(c.bi, c.extra);
    EXPECT_EQ(KxDibFromScan(h), nullptr) << c.name;
    GlobalFree(h);
  }
  EXPECT_EQ(KxDibFromScan(nullptr), nullptr);
}
