#include "platform/afx/Afx.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#include <string>

namespace {

CString TempPath(const char* leaf) { return CString::FromUtf8(::testing::TempDir() + leaf); }

}  // namespace

TEST(CFile, OpenFailuresReportCauseAndName) {
  CFile f;
  CFileException e;
  const CString missing = TempPath("no_such_dir/x.bin");
  EXPECT_FALSE(f.Open(missing, CFile::modeRead, &e));
  EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
  EXPECT_EQ(e.m_lOsError, ENOENT);
  EXPECT_EQ(e.m_strFileName, missing);
  EXPECT_FALSE(f.Open(CString::FromUtf8(::testing::TempDir()), CFile::modeRead, &e));
  EXPECT_EQ(e.m_cause, CFileException::accessDenied);  // a folder is not a file
  EXPECT_THROW(CFile(missing, CFile::modeRead), CFileException);
  EXPECT_FALSE(f.IsOpen());
}

TEST(CFile, WriteSeekReadAndTruncationModes) {
  const CString path = TempPath("cfile_modes.bin");
  {
    CFile f(path, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary | CFile::shareExclusive);
    f.Write("hello world", 11);
    EXPECT_EQ(f.GetPosition(), 11u);
  }
  {
    // modeNoTruncate keeps the contents; read-write lets us patch in place.
    CFile f(path, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite);
    EXPECT_EQ(f.GetLength(), 11u);
    EXPECT_EQ(f.Seek(-5, CFile::end), 6u);
    f.Write("WORLD", 5);
    f.SeekToBegin();
    char buf[32] = {};
    EXPECT_EQ(f.Read(buf, sizeof buf), 11u);  // short read at the end, no exception
    EXPECT_STREQ(buf, "hello WORLD");
    EXPECT_THROW(f.Seek(-1, CFile::begin), CFileException);
    EXPECT_EQ(f.GetFileName(), L"cfile_modes.bin");
  }
  {
    CFile f(path, CFile::modeCreate | CFile::modeWrite);  // truncates
    EXPECT_EQ(f.GetLength(), 0u);
  }
  std::remove(CString(path).ToUtf8().c_str());
}

TEST(CMemFile, GrowsSeeksAndFixedBuffersRefuseToGrow) {
  CMemFile grow(4);
  grow.Write("abcdefghij", 10);
  grow.Seek(12, CFile::begin);
  grow.Write("z", 1);  // past the end: the gap reads as zeros
  EXPECT_EQ(grow.GetLength(), 13u);
  grow.SeekToBegin();
  char buf[16];
  ASSERT_EQ(grow.Read(buf, 16), 13u);
  EXPECT_EQ(std::string(buf, 13), std::string("abcdefghij\0\0z", 13));
  EXPECT_THROW(grow.Seek(-20, CFile::current), CFileException);

  BYTE fixed[4] = {1, 2, 3, 4};
  CMemFile attached(fixed, sizeof fixed);
  EXPECT_EQ(attached.GetLength(), 4u);
  attached.Seek(2, CFile::begin);
  attached.Write("\x09", 1);
  EXPECT_EQ(fixed[2], 9);
  attached.SeekToEnd();
  EXPECT_THROW(attached.Write("x", 1), CMemoryException);
  EXPECT_EQ(attached.Detach(), fixed);
}

TEST(CFileFind, MatchesWildcardsAndLiteralBrackets) {
  const std::string dir = ::testing::TempDir() + "cfilefind_dir/";
  std::remove((dir + "a1.vlm").c_str());
  ::mkdir(dir.c_str(), 0755);
  const char* names[] = {"a1.vlm", "a2.vlm", "b.txt", "[x].vlm"};
  for (const char* n : names) CFile(CString::FromUtf8(dir + n), CFile::modeCreate | CFile::modeWrite).Write("abc", 3);

  CFileFind finder;
  std::vector<std::string> found;
  BOOL more = finder.FindFile(CString::FromUtf8(dir + "*.vlm"));
  EXPECT_TRUE(more);
  while (more) {
    more = finder.FindNextFile();
    found.push_back(finder.GetFileName().ToUtf8());
    EXPECT_EQ(finder.GetLength(), 3u);
    EXPECT_FALSE(finder.IsDirectory());
  }
  EXPECT_EQ(found, (std::vector<std::string>{"[x].vlm", "a1.vlm", "a2.vlm"}));
  EXPECT_TRUE(finder.FindFile(CString::FromUtf8(dir + "[x].vlm")));  // brackets are literal
  EXPECT_TRUE(finder.FindFile(CString::FromUtf8(dir + "a?.vlm")));
  EXPECT_FALSE(finder.FindFile(CString::FromUtf8(dir + "missing.vlm")));
  EXPECT_FALSE(finder.FindNextFile());
  EXPECT_TRUE(finder.GetFilePath().IsEmpty());
  ASSERT_TRUE(finder.FindFile(CString::FromUtf8(::testing::TempDir() + "cfilefind_dir")));
  finder.FindNextFile();
  EXPECT_TRUE(finder.IsDirectory());
  for (const char* n : names) std::remove((dir + n).c_str());
  ::rmdir(dir.c_str());
}
