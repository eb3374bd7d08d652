#include "platform/afx/Afx.h"

#include <gtest/gtest.h>

#include <string>

TEST(CString, IsOnePointerAndEmptyByDefault) {
  static_assert(sizeof(CString) == sizeof(void*));
  CString s;
  EXPECT_TRUE(s.IsEmpty());
  EXPECT_EQ(s.GetLength(), 0);
  EXPECT_STREQ(static_cast<const wchar_t*>(s), L"");
}

TEST(CString, CopiesAreIndependent) {
  CString a(L"layer");
  CString b = a;
  b.SetAt(0, L'L');
  EXPECT_EQ(a, L"layer");
  EXPECT_EQ(b, L"Layer");
  CString& same = a;  // through a reference, so compilers let it be
  a = same;           // self-assignment keeps the text
  EXPECT_EQ(a, L"layer");
  a += a;  // appending itself
  EXPECT_EQ(a, L"layerlayer");
  a = a.Mid(2, 3);
  EXPECT_EQ(a, L"yer");
  CString moved = std::move(a);
  EXPECT_EQ(moved, L"yer");
}

TEST(CString, SubstringsClampLikeTheCallersExpect) {
  const CString s(L"abcdef");
  struct { CString got; const wchar_t* want; } cases[] = {
      {s.Left(2), L"ab"},   {s.Left(99), L"abcdef"}, {s.Left(-1), L""},
      {s.Right(2), L"ef"},  {s.Right(99), L"abcdef"}, {s.Mid(4), L"ef"},
      {s.Mid(1, 3), L"bcd"}, {s.Mid(5, 10), L"f"},  {s.Mid(9), L""}, {s.Mid(-3, 2), L"ab"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(CString, FindAndReverseFind) {
  const CString path(L"dir.v1/name.part.vlm");
  EXPECT_EQ(path.Find(L'.'), 3);
  EXPECT_EQ(path.Find(L'.', 4), 11);
  EXPECT_EQ(path.Find(L"part"), 12);
  EXPECT_EQ(path.Find(L"part", 13), -1);
  EXPECT_EQ(path.Find(L'q'), -1);
  EXPECT_EQ(path.Find(L'd', 99), -1);
  EXPECT_EQ(path.ReverseFind(L'.'), 16);
  EXPECT_EQ(path.ReverseFind(L'#'), -1);
}

TEST(CString, CaseCompareReplaceTrim) {
  CString s(L"  &File &Open\t ");
  EXPECT_EQ(s.Remove(L'&'), 2);
  s.TrimLeft();
  s.TrimRight();
  EXPECT_EQ(s, L"File Open");
  EXPECT_EQ(CString(s).MakeUpper(), L"FILE OPEN");
  EXPECT_EQ(CString(s).MakeLower(), L"file open");
  EXPECT_EQ(s.CompareNoCase(L"FILE open"), 0);
  EXPECT_LT(s.Compare(L"File Opens"), 0);
  EXPECT_GT(s.Compare(L"File Ope"), 0);
  EXPECT_TRUE(CString(L"a") < CString(L"b"));
  EXPECT_TRUE(L"b" > CString(L"a"));
  EXPECT_EQ(s.Replace(L"Open", L"Close"), 1);
  EXPECT_EQ(s, L"File Close");
  EXPECT_EQ(s.Replace(L'e', L'E'), 2);
  EXPECT_EQ(s.Replace(L"", L"x"), 0);
  CString dots(L"..a..");
  dots.TrimLeft(L'.');
  dots.TrimRight(L"x.");
  EXPECT_EQ(dots, L"a");
  EXPECT_EQ(CString(L"ab") + L'c' + CString(L"d") + L"e", L"abcde");
}

TEST(CString, FormatUsesWideConventions) {
  CString s;
  s.Format(L"%s=%d %S %c|%5.2f|%I64d", L"name", -7, "narrow", L'w', 3.14159, 1LL << 40);
  EXPECT_EQ(s, L"name=-7 narrow w| 3.14|1099511627776");
  std::wstring big(5000, L'x');
  s.Format(L"%s!", big.c_str());
  EXPECT_EQ(s.GetLength(), 5001);
  EXPECT_THROW(s.Format(L"%S", "\xc3\xa9"), CInvalidArgException);
}

TEST(CString, IndexOutsideThrows) {
  CString s(L"ab");
  EXPECT_EQ(s.GetAt(1), L'b');
  EXPECT_THROW(s.GetAt(2), CInvalidArgException);
  EXPECT_THROW(s.GetAt(-1), CInvalidArgException);
  EXPECT_THROW(s.SetAt(2, L'x'), CInvalidArgException);
}

TEST(CString, Utf8RoundTripAndMalformedInput) {
  const CString text(L"Gr\u00fc\u00dfe \u4e2d\u6587 \U0001F600");
  const std::string utf8 = text.ToUtf8();
  EXPECT_EQ(utf8, "Gr\xc3\xbc\xc3\x9f" "e \xe4\xb8\xad\xe6\x96\x87 \xf0\x9f\x98\x80");
  EXPECT_EQ(CString::FromUtf8(utf8), text);
  // Stray continuation, truncated sequence, overlong form, encoded surrogate: one U+FFFD each.
  EXPECT_EQ(CString::FromUtf8("a\x80" "b\xe4\xb8" "c\xc0\xaf" "d\xed\xa0\x80"),
            L"a\uFFFDb\uFFFDc\uFFFDd\uFFFD");
}

TEST(CString, Utf16RoundTripKeepsLoneSurrogates) {
  const CString text(L"x\U0001F600y");
  const std::u16string u = text.ToUtf16();
  EXPECT_EQ(u, (std::u16string{u'x', 0xD83D, 0xDE00, u'y'}));
  EXPECT_EQ(CString::FromUtf16(u), text);
  const std::u16string lone{0xDC00, u'a', 0xD800};
  EXPECT_EQ(CString::FromUtf16(lone).ToUtf16(), lone);
}
