// Dynamic loading and error texts.
#include "platform/win/Error.h"
#include "platform/win/Module.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <filesystem>
#include <fstream>

TEST(Module, LoadsBindsByNameAndUnloads) {
  HMODULE h = LoadLibraryW(L"libm.so.6");
  ASSERT_NE(h, nullptr);
  auto cosine = reinterpret_cast<double (*)(double)>(GetProcAddress(h, "cos"));
  ASSERT_NE(cosine, nullptr);
  EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
  EXPECT_EQ(GetProcAddress(h, "no_such_export"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  EXPECT_EQ(GetProcAddress(h, MAKEINTRESOURCEA(1)), nullptr);  // no ordinal table
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  EXPECT_TRUE(FreeLibrary(h));
  EXPECT_FALSE(FreeLibrary(h));  // that reference is gone
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(GetProcAddress(h, "cos"), nullptr);
}

TEST(Module, FailuresSetCodesWithReadableTexts) {
  const auto dir = std::filesystem::temp_directory_path();
  const auto junk = dir / "velmora-not-a-module.so";
  std::ofstream(junk) << "text";
  struct Case {
    std::wstring path;
    DWORD code;
  };
  const Case cases[] = {
      {L"/nonexistent/folder/none.so", ERROR_MOD_NOT_FOUND},
      {junk.wstring(), ERROR_BAD_EXE_FORMAT},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LoadLibraryW(c.path.c_str()), nullptr);
    ASSERT_EQ(GetLastError(), c.code);
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, c.code, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(std::wcslen(text), n);
    // The loader's reason names the file.
    const std::wstring name = c.path.substr(c.path.find_last_of(L'/') + 1);
    EXPECT_NE(std::wstring(text).find(name), std::wstring::npos);
    LocalFree(text);
  }
  std::filesystem::remove(junk);
  EXPECT_EQ(LoadLibraryW(nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(Error, FormatIntoCallerBuffer) {
  wchar_t buf[8];
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_FILE_NOT_FOUND, 0, buf, 8, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  wchar_t big[200];
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_FILE_NOT_FOUND, 0, big, 200, nullptr);
  ASSERT_GT(n, 0u);
  EXPECT_NE(std::wstring(big).find(L"cannot find the file"), std::wstring::npos);
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 99999, 0, big, 200, nullptr), 0u);
}
