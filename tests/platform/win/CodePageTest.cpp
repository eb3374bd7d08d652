// Code-page conversions.
#include "platform/win/CodePage.h"
#include "platform/win/Error.h"

#include <gtest/gtest.h>

#include <string>

TEST(CodePage, SizesQueriesAndTerminators) {
  // 1252 and GBK against their known byte forms.
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "caf\xE9", -1, nullptr, 0), 5);  // terminator counted
  wchar_t w[8];
  ASSERT_EQ(MultiByteToWideChar(1252, 0, "caf\xE9", 4, w, 8), 4);
  EXPECT_EQ(std::wstring(w, 4), L"caf\u00e9");
  ASSERT_EQ(MultiByteToWideChar(1252, 0, "\x80", 1, w, 8), 1);
  EXPECT_EQ(w[0], L'\u20ac');
  char b[8];
  EXPECT_EQ(WideCharToMultiByte(936, 0, L"\u65e0\u6807\u9898", 3, b, 8, nullptr, nullptr), 6);
  EXPECT_EQ(std::string(b, 6), "\xCE\xDE\xB1\xEA\xCC\xE2");
  EXPECT_EQ(WideCharToMultiByte(936, 0, L"ab", 2, b, 1, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST(CodePage, UnmappableAndInvalidInput) {
  BOOL usedDefault = FALSE;
  char b[8];
  ASSERT_EQ(WideCharToMultiByte(1252, WC_COMPOSITECHECK | WC_SEPCHARS, L"x\u4e2dy", 3, b, 8, "#", &usedDefault), 3);
  EXPECT_EQ(std::string(b, 3), "x#y");
  EXPECT_TRUE(usedDefault);
  // A bad UTF-8 byte becomes U+FFFD, or fails on request.
  wchar_t w[8];
  ASSERT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a\xFF" "b", 3, w, 8), 3);
  EXPECT_EQ(std::wstring(w, 3), L"a\ufffdb");
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xFF" "b", 3, w, 8), 0);
  EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, nullptr, 3, w, 8), 0);
}

TEST(CodePage, SystemCodePageOverrideAndLocaleText) {
  velmora::win::SetSystemAnsiCodePage(936);
  EXPECT_EQ(GetACP(), 936u);
  wchar_t digits[8];
  EXPECT_EQ(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, digits, 8), 4);
  EXPECT_EQ(std::wstring(digits), L"936");
  char b[4];
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"\u65e0", 1, b, 4, nullptr, nullptr), 2);
  velmora::win::SetSystemAnsiCodePage(0);
  EXPECT_EQ(GetLocaleInfoW(LOCALE_USER_DEFAULT, 0x1234, digits, 8), 0);
}
