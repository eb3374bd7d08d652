// The Unicode/ANSI text file over real files.
#include "sockwell/StdioFileEx.h"

#include "platform/afx/Exception.h"
#include "platform/win/CodePage.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {
class StdioFileExTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::atomic<int> counter{0};
    dir = fs::temp_directory_path() / ("stdioex-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    fs::create_directories(dir);
    velmora::win::SetSystemAnsiCodePage(1252);
  }
  void TearDown() override {
    velmora::win::SetSystemAnsiCodePage(0);
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  CString Path(const char* name) const { return CString::FromUtf8((dir / name).string()); }
  void Write(const char* name, const std::string& bytes) { std::ofstream(dir / name, std::ios::binary) << bytes; }
  std::string Read(const char* name) {
    std::ifstream in(dir / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  std::vector<std::string> Lines(const char* name) {
    CStdioFileEx f;
    EXPECT_TRUE(f.Open(Path(name), CFile::modeRead | CFile::typeText));
    std::vector<std::string> out;
    CString line;
    while (f.ReadString(line)) out.push_back(line.ToUtf8());
    return out;
  }
  fs::path dir;
};

std::string Utf16(const std::u16string& s, bool mark) {
  std::string out = mark ? std::string("\xFF\xFE") : std::string();
  for (char16_t c : s) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  return out;
}

using ::testing::ElementsAre;
}  // namespace

TEST_F(StdioFileExTest, WritingUnicodePutsTheMarkFirst) {
  {
    CStdioFileEx f;
    ASSERT_TRUE(f.Open(Path("u.txt"), CFile::modeCreate | CFile::modeWrite | CStdioFileEx::modeWriteUnicode));
    f.WriteString(L"abc");
  }
  EXPECT_EQ(Read("u.txt"), std::string("\xFF\xFE" "a\0b\0c\0", 8));
  {
    CStdioFileEx f;  // a second string adds no second mark and no line-end translation
    ASSERT_TRUE(f.Open(Path("u2.txt"), CFile::modeCreate | CFile::modeWrite | CStdioFileEx::modeWriteUnicode));
    f.WriteString(L"x\n");
    f.WriteString(L"\U0001F600");
  }
  EXPECT_EQ(Read("u2.txt"), Utf16(u"x\n\U0001F600", true));
}

TEST_F(StdioFileExTest, UnicodeFileReadInTextMode) {
  Write("u.txt", Utf16(u"first line\r\nzweite Zeile \u00e4\r\n\r\nlast", true));
  EXPECT_TRUE(CStdioFileEx::IsFileUnicode(Path("u.txt")));
  CStdioFileEx f;
  ASSERT_TRUE(f.Open(Path("u.txt"), CFile::modeRead | CFile::typeText));
  EXPECT_TRUE(f.IsFileUnicodeText());
  const auto length = fs::file_size(dir / "u.txt");
  EXPECT_EQ(f.GetCharCount(), (length - 2) / 2);
  f.Close();
  EXPECT_THAT(Lines("u.txt"), ElementsAre("first line", "zweite Zeile \xC3\xA4", "", "last"));
}

TEST_F(StdioFileExTest, AnsiFileLinesIncludingLongAndEmptyOnes) {
  const std::string longLine(700, 'q');
  Write("a.txt", "one\r\n" + longLine + "\n\ncaf\xE9\nend");
  EXPECT_FALSE(CStdioFileEx::IsFileUnicode(Path("a.txt")));
  EXPECT_THAT(Lines("a.txt"), ElementsAre("one", longLine, "", "caf\xC3\xA9", "end"));
  CStdioFileEx f;
  ASSERT_TRUE(f.Open(Path("a.txt"), CFile::modeRead | CFile::typeText));
  EXPECT_FALSE(f.IsFileUnicodeText());
  EXPECT_EQ(f.GetCharCount(), fs::file_size(dir / "a.txt"));
}

TEST_F(StdioFileExTest, WritingAnsiUsesTheCodePageAndMarksUnmappable) {
  {
    CStdioFileEx f(Path("a.txt"), CFile::modeCreate | CFile::modeWrite | CFile::typeText);
    f.WriteString(L"caf\u00e9 \u4e2d\n");
  }
  EXPECT_EQ(Read("a.txt"), "caf\xE9 #\n");
}

TEST_F(StdioFileExTest, MarkDetectionNeedsTwoBytes) {
  Write("one.txt", "\xFF");
  Write("be.txt", "\xFE\xFF" "a");
  Write("empty.txt", "");
  EXPECT_FALSE(CStdioFileEx::IsFileUnicode(Path("one.txt")));
  EXPECT_FALSE(CStdioFileEx::IsFileUnicode(Path("be.txt")));
  EXPECT_FALSE(CStdioFileEx::IsFileUnicode(Path("empty.txt")));
  EXPECT_FALSE(CStdioFileEx::IsFileUnicode(Path("missing.txt")));
  CStdioFileEx closed;
  EXPECT_EQ(closed.GetCharCount(), 0u);
  CFileException error;
  EXPECT_FALSE(closed.Open(Path("missing.txt"), CFile::modeRead | CFile::typeText, &error));
}

TEST(StdioFileExConversions, CodePagesBothWays) {
  struct Case {
    UINT cp;
    const wchar_t* wide;
    std::string bytes;
  };
  const Case cases[] = {
      {1252, L"caf\u00e9", "caf\xE9"},
      {936, L"\u65e0\u6807\u9898", "\xCE\xDE\xB1\xEA\xCC\xE2"},
      {65001, L"\u00e9\u4e2d", "\xC3\xA9\xE4\xB8\xAD"},
  };
  for (const auto& c : cases) {
    wchar_t wide[32];
    ASSERT_TRUE(CStdioFileEx::GetUnicodeStringFromMultiByteString(c.bytes.c_str(), wide, 32, c.cp)) << c.cp;
    EXPECT_EQ(std::wstring(wide), c.wide) << c.cp;
    char bytes[32];
    const int n = CStdioFileEx::GetMultiByteStringFromUnicodeString(c.wide, bytes, 32, c.cp);
    EXPECT_EQ(n, static_cast<int>(c.bytes.size()) + 1) << c.cp;  // with the terminator
    EXPECT_EQ(std::string(bytes), c.bytes) << c.cp;
  }
  char bytes[8];
  EXPECT_EQ(CStdioFileEx::GetMultiByteStringFromUnicodeString(L"a\u4e2d", bytes, 8, 1252), 3);
  EXPECT_STREQ(bytes, "a#");
  wchar_t wide[4];
  EXPECT_FALSE(CStdioFileEx::GetUnicodeStringFromMultiByteString(nullptr, wide, 4));
  EXPECT_FALSE(CStdioFileEx::GetUnicodeStringFromMultiByteString("abcdef", wide, 4));  // too small
  EXPECT_EQ(CStdioFileEx::GetMultiByteStringFromUnicodeString(L"x", nullptr, 4), 0);
  velmora::win::SetSystemAnsiCodePage(936);
  EXPECT_EQ(CStdioFileEx::GetCurrentLocaleCodePage(), 936u);
  velmora::win::SetSystemAnsiCodePage(0);
}
