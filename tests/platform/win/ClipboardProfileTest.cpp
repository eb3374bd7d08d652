// Global memory, the clipboard over the backend, and private profile files.
#include "platform/win/Clipboard.h"
#include "platform/win/GlobalMem.h"
#include "platform/win/Profile.h"
#include "platform/win/Utf8.h"
#include "support/FakeWindowBackend.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

TEST(GlobalMem, BlocksAreZeroedGrowKeepingContentsAndRefuseBadHandles) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, 8);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GlobalSize(h), 8u);
  auto* p = static_cast<BYTE*>(GlobalLock(h));
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(p[i], 0);
  std::memcpy(p, "abcdefgh", 8);
  EXPECT_FALSE(GlobalUnlock(h));
  ASSERT_EQ(GlobalReAlloc(h, 4096 + 8, GMEM_MOVEABLE), h);
  p = static_cast<BYTE*>(GlobalLock(h));
  EXPECT_EQ(std::memcmp(p, "abcdefgh", 8), 0);
  EXPECT_EQ(p[4096], 0);
  GlobalUnlock(h);
  EXPECT_EQ(GlobalFree(h), nullptr);
  // A freed or made-up handle is refused everywhere.
  EXPECT_EQ(GlobalLock(h), nullptr);
  EXPECT_EQ(GlobalSize(h), 0u);
  EXPECT_EQ(GlobalFree(h), h);
  EXPECT_EQ(GlobalReAlloc(h, 1, 0), nullptr);
  EXPECT_EQ(GlobalAlloc(0, size_t{1} << 40), nullptr);
  HGLOBAL empty = GlobalAlloc(0, 0);
  EXPECT_NE(GlobalLock(empty), nullptr);
  GlobalFree(empty);
}

namespace {
LRESULT Quiet(HWND, UINT, WPARAM, LPARAM) { return 0; }

HGLOBAL Block(const std::string& bytes) {
  HGLOBAL h = GlobalAlloc(GHND, bytes.size());
  std::memcpy(GlobalLock(h), bytes.data(), bytes.size());
  GlobalUnlock(h);
  return h;
}

std::string Bytes(HANDLE h) {
  const auto* p = static_cast<const char*>(GlobalLock(h));
  std::string s(p, GlobalSize(h));
  GlobalUnlock(h);
  return s;
}
}  // namespace

TEST(Clipboard, PrivateFormatRoundTripOwnerAndOpenRules) {
  FakeWindowBackend backend;
  HWND w = velmora::win::CreateWindowRecord(&Quiet, nullptr, 0, RECT{}, L"", L"VelmoraMainFrame");
  const UINT fmt = RegisterClipboardFormatW(L"Velmora Drawing");
  EXPECT_GE(fmt, 0xC000u);
  EXPECT_EQ(RegisterClipboardFormatW(L"Velmora Drawing"), fmt);
  EXPECT_NE(RegisterClipboardFormatW(L"Other"), fmt);
  EXPECT_EQ(RegisterClipboardFormatW(L""), 0u);
  wchar_t name[8];
  EXPECT_EQ(GetClipboardFormatNameW(fmt, name, 8), 7);
  EXPECT_STREQ(name, L"Velmora");

  // Nothing works on a closed clipboard.
  HGLOBAL h = Block(std::string("\x01\x02\x00\x03", 4));
  EXPECT_EQ(SetClipboardData(fmt, h), nullptr);
  EXPECT_EQ(GetClipboardData(fmt), nullptr);
  EXPECT_FALSE(EmptyClipboard());

  ASSERT_TRUE(OpenClipboard(w));
  EXPECT_FALSE(OpenClipboard(w));  // once at a time
  ASSERT_TRUE(EmptyClipboard());
  ASSERT_EQ(SetClipboardData(fmt, h), h);  // the clipboard owns it now
  ASSERT_TRUE(CloseClipboard());
  EXPECT_EQ(GetClipboardOwner(), w);
  EXPECT_TRUE(IsClipboardFormatAvailable(fmt));
  // Under its own name, never as text.
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));

  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE got = GetClipboardData(fmt);
  ASSERT_NE(got, nullptr);
  EXPECT_EQ(Bytes(got), std::string("\x01\x02\x00\x03", 4));
  EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
  CloseClipboard();

  // Another program taking the clipboard leaves it without our owner.
  velmora::win::ClipboardOwnerLost();
  EXPECT_EQ(GetClipboardOwner(), nullptr);
  velmora::win::ReleaseWindowRecord(w);
}

TEST(Clipboard, OversizedDataIsRefusedOnReading) {
  // The size limit is the backend's answer to GetClipboardBytes; the headless one honours it.
  velmora::win::HeadlessBackend b;
  const std::vector<BYTE> data(100, 7);
  ASSERT_TRUE(b.SetClipboardBytes(0xC001, L"Velmora Drawing", data.data(), data.size()));
  std::vector<BYTE> out;
  EXPECT_FALSE(b.GetClipboardBytes(0xC001, L"Velmora Drawing", out, 99));
  EXPECT_TRUE(out.empty());
  EXPECT_TRUE(b.GetClipboardBytes(0xC001, L"Velmora Drawing", out, 100));
  EXPECT_EQ(out, data);
}

namespace {
struct TempDir {
  fs::path path;
  TempDir() {
    path = fs::temp_directory_path() / ("velmora-profile-" + std::to_string(::getpid()) + "-" +
                                        testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(path);
    fs::create_directories(path);
  }
  ~TempDir() { fs::remove_all(path); }
  std::wstring File(const char* name) const { return velmora::win::FromUtf8((path / name).c_str()); }
};

std::wstring Read(LPCWSTR sec, LPCWSTR key, const std::wstring& file, LPCWSTR def = L"<none>") {
  wchar_t buf[64];
  GetPrivateProfileStringW(sec, key, def, buf, 64, file.c_str());
  return buf;
}
}  // namespace

TEST(Profile, WritesReadBackAndDeleteByKeyAndSection) {
  TempDir dir;
  const std::wstring f = dir.File("sub/folder/app.ini");  // folders are created
  ASSERT_TRUE(WritePrivateProfileStringW(L"Recent File List", L"File1", L"/home/u/a b.vlm", f.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(L"Recent File List", L"File2", L"/home/u/\u00e9t\u00e9.vlm", f.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(L"Settings", L"Minutes", L"15", f.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(L"Settings", L"Minutes", L"20", f.c_str()));  // replaces
  EXPECT_EQ(Read(L"Recent File List", L"File1", f), L"/home/u/a b.vlm");
  EXPECT_EQ(Read(L"recent file list", L"FILE2", f), L"/home/u/\u00e9t\u00e9.vlm");  // names ignore case
  EXPECT_EQ(GetPrivateProfileIntW(L"Settings", L"Minutes", 5, f.c_str()), 20u);
  EXPECT_EQ(GetPrivateProfileIntW(L"Settings", L"Missing", 5, f.c_str()), 5u);
  EXPECT_EQ(GetPrivateProfileIntW(L"Recent File List", L"File1", -1, f.c_str()), static_cast<UINT>(-1));
  // Truncation keeps the terminator.
  wchar_t small[4];
  EXPECT_EQ(GetPrivateProfileStringW(L"Settings", L"Minutes", L"", small, 2, f.c_str()), 1u);
  EXPECT_STREQ(small, L"2");

  ASSERT_TRUE(WritePrivateProfileStringW(L"Recent File List", L"File1", nullptr, f.c_str()));
  EXPECT_EQ(Read(L"Recent File List", L"File1", f), L"<none>");
  EXPECT_NE(Read(L"Recent File List", L"File2", f), L"<none>");
  ASSERT_TRUE(WritePrivateProfileStringW(L"Recent File List", nullptr, nullptr, f.c_str()));
  EXPECT_EQ(Read(L"Recent File List", L"File2", f), L"<none>");
  EXPECT_EQ(GetPrivateProfileIntW(L"Settings", L"Minutes", 5, f.c_str()), 20u);
  // A value with a line break would become a line of its own: refused.
  EXPECT_FALSE(WritePrivateProfileStringW(L"Settings", L"Bad", L"a\n[Injected]", f.c_str()));
  EXPECT_EQ(Read(L"Injected", L"x", f), L"<none>");
}

TEST(Profile, AnOversizedFileIsNeitherReadNorOverwritten) {
  TempDir dir;
  const std::wstring f = dir.File("big.ini");
  {
    std::ofstream out(dir.path / "big.ini", std::ios::binary);
    out << "[S]\nk=v\n";
    out << std::string((1 << 20) + 1, ';');
  }
  const auto before = fs::file_size(dir.path / "big.ini");
  EXPECT_EQ(Read(L"S", L"k", f), L"<none>");
  EXPECT_FALSE(WritePrivateProfileStringW(L"S", L"k", L"w", f.c_str()));
  EXPECT_EQ(fs::file_size(dir.path / "big.ini"), before);
}

TEST(Profile, ConfigHomeFollowsXdgThenHome) {
  const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
  const std::string savedXdg = oldXdg ? oldXdg : "";
  ::setenv("XDG_CONFIG_HOME", "/tmp/xdg-here", 1);
  EXPECT_EQ(velmora::win::ConfigHome(), L"/tmp/xdg-here");
  ::setenv("XDG_CONFIG_HOME", "relative/is/ignored", 1);
  const char* home = std::getenv("HOME");
  if (home) {
    EXPECT_EQ(velmora::win::ConfigHome(), velmora::win::FromUtf8(home) + L"/.config");
  }
  if (oldXdg) {
    ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
}
