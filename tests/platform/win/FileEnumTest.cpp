// Folder enumeration with masks and attributes.
#include "platform/win/Error.h"
#include "platform/win/FileEnum.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace fs = std::filesystem;

namespace {
std::map<std::wstring, WIN32_FIND_DATAW> Enumerate(const std::wstring& pattern) {
  std::map<std::wstring, WIN32_FIND_DATAW> out;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(pattern.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return out;
  do out[fd.cFileName] = fd;
  while (FindNextFileW(h, &fd));
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  EXPECT_TRUE(FindClose(h));
  return out;
}
}  // namespace

TEST(FileEnum, MasksAttributesSizesAndTimes) {
  const fs::path dir = fs::temp_directory_path() / ("fileenum-" + std::to_string(::getpid()));
  fs::create_directories(dir / "sub");
  std::ofstream(dir / "Plug.VPF") << "12345";
  std::ofstream(dir / "other.vpfx") << "";
  std::ofstream(dir / ".hidden.vpf") << "";
  std::ofstream(dir / "noext") << "";
  std::ofstream(dir / "ro.vpf") << "";
  ::chmod((dir / "ro.vpf").c_str(), 0444);
  const std::wstring base = dir.wstring();

  auto vpf = Enumerate(base + L"/*.vpf");
  ASSERT_EQ(vpf.size(), 3u);  // case ignored; "vpfx" does not match
  const WIN32_FIND_DATAW& plug = vpf[L"Plug.VPF"];
  EXPECT_EQ(plug.dwFileAttributes, FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(plug.nFileSizeLow, 5u);
  EXPECT_EQ(plug.nFileSizeHigh, 0u);
  const int64_t now = static_cast<int64_t>(::time(nullptr));
  EXPECT_NEAR(static_cast<double>(FileTimeToUnixSeconds(plug.ftLastWriteTime)), static_cast<double>(now), 60.0);
  EXPECT_EQ(vpf[L".hidden.vpf"].dwFileAttributes, FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(vpf[L"ro.vpf"].dwFileAttributes & FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_READONLY);

  auto all = Enumerate(base + L"\\*.*");  // backslashes separate too; "*.*" takes names without a dot
  EXPECT_TRUE(all.count(L"noext"));
  EXPECT_TRUE(all.count(L"."));
  ASSERT_TRUE(all.count(L"sub"));
  EXPECT_EQ(all[L"sub"].dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);

  auto one = Enumerate(base + L"/P?ug.*");
  EXPECT_EQ(one.size(), 1u);

  WIN32_FIND_DATAW fd;
  EXPECT_EQ(FindFirstFileW((base + L"/*.none").c_str(), &fd), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(FindFirstFileW(L"/no/such/folder/*.*", &fd), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));
  ::chmod((dir / "ro.vpf").c_str(), 0644);
  fs::remove_all(dir);
}

TEST(FileEnum, FileTimeRoundTrip) {
  for (int64_t t : {int64_t{0}, int64_t{1700000000}, int64_t{-86400}, int64_t{4102444800}})
    EXPECT_EQ(FileTimeToUnixSeconds(UnixSecondsToFileTime(t)), t);
  const FILETIME epoch = UnixSecondsToFileTime(0);
  EXPECT_EQ((static_cast<uint64_t>(epoch.dwHighDateTime) << 32) | epoch.dwLowDateTime, 116444736000000000ULL);
}
