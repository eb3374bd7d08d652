// CMenu wrappers, the stdio text file and the time class.
#include "platform/afx/Menu.h"
#include "platform/afx/StdioFile.h"
#include "platform/afx/Time.h"
#include "platform/win/CodePage.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

TEST(CMenu, WrappersFollowTheirHandles) {
  CMenu bar;
  ASSERT_TRUE(bar.CreateMenu());
  CMenu popup;
  ASSERT_TRUE(popup.CreatePopupMenu());
  popup.AppendMenu(MF_STRING, 5, L"Five");
  const HMENU popupHandle = popup.Detach();
  ASSERT_TRUE(bar.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(popupHandle), L"&Pop"));
  EXPECT_EQ(CMenu::FromHandle(bar.m_hMenu), &bar);  // the attached object
  CMenu* sub = bar.GetSubMenu(0);
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(sub->m_hMenu, popupHandle);
  EXPECT_EQ(bar.GetSubMenu(0), sub);  // one temporary object per handle
  CString text;
  EXPECT_EQ(bar.GetMenuString(0, text, MF_BYPOSITION), 4);
  EXPECT_EQ(text, L"&Pop");
  EXPECT_EQ(sub->GetMenuItemID(0), 5u);
  EXPECT_EQ(bar.GetMenuString(9, text, MF_BYPOSITION), 0);
  EXPECT_TRUE(text.IsEmpty());
  CMenu::DeleteTempMap();
  const HMENU spare = CreateMenu();
  EXPECT_FALSE(bar.Attach(spare));  // already attached
  DestroyMenu(spare);
  EXPECT_TRUE(bar.DestroyMenu());
  EXPECT_FALSE(IsMenu(popupHandle));
  EXPECT_EQ(bar.GetSafeHmenu(), nullptr);
}

TEST(CStdioFile, TextAndBinaryLines) {
  const auto path = std::filesystem::temp_directory_path() / ("stdio-" + std::to_string(::getpid()) + ".txt");
  const CString name = CString::FromUtf8(path.string());
  velmora::win::SetSystemAnsiCodePage(1252);
  {
    CStdioFile f(name, CFile::modeCreate | CFile::modeWrite | CFile::typeText);
    f.WriteString(L"line \u00e9\r\n\nend");
  }
  {
    CStdioFile f(name, CFile::modeRead | CFile::typeText);
    CString line;
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_EQ(line, L"line \u00e9");
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_TRUE(line.IsEmpty());
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_EQ(line, L"end");
    EXPECT_FALSE(f.ReadString(line));
  }
  {
    CStdioFile f(name, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary);
    f.WriteString(L"a\U0001F600\r\nb");
  }
  std::ifstream in(path, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), {}};
  EXPECT_EQ(bytes, std::string("a\0\x3D\xD8\x00\xDE\r\0\n\0b\0", 12));
  {
    CStdioFile f(name, CFile::modeRead | CFile::typeBinary);
    CString line;
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_EQ(line, L"a\U0001F600");
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_EQ(line, L"b");
    EXPECT_FALSE(f.ReadString(line));
  }
  velmora::win::SetSystemAnsiCodePage(0);
  std::filesystem::remove(path);
}

TEST(CTime, OrderedSecondsSince1970) {
  const CTime a(100), b(200);
  EXPECT_LT(a, b);
  EXPECT_EQ(a, CTime(100));
  EXPECT_EQ(b.GetTime(), 200);
  const auto now = static_cast<int64_t>(::time(nullptr));
  EXPECT_NEAR(static_cast<double>(CTime::GetCurrentTime().GetTime()), static_cast<double>(now), 5.0);
}
