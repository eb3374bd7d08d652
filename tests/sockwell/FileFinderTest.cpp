// The recursive file finder over a real temporary folder.
#include "sockwell/FileFinder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <set>

namespace fs = std::filesystem;

namespace {
class FileFinderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::atomic<int> counter{0};
    dir = fs::temp_directory_path() / ("finder-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    fs::create_directories(dir);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  void Make(const std::string& rel, const std::string& content = "x") {
    fs::create_directories((dir / rel).parent_path());
    std::ofstream(dir / rel, std::ios::binary) << content;
  }
  CString Dir() const { return CString::FromUtf8(dir.string()); }
  std::set<std::string> Names(const CFileFinder& f) const {
    std::set<std::string> out;
    for (int i = 0; i < f.GetFileCount(); ++i) out.insert(fs::relative(f.GetFilePath(i).ToUtf8(), dir).string());
    return out;
  }
  fs::path dir;
};

using ::testing::ElementsAre;
}  // namespace

TEST_F(FileFinderTest, SearchesAccumulateAcrossMasks) {
  Make("a.vpf");
  Make("B.VPF");
  Make("c.mlp");
  Make("d.mlp");
  Make("e.mlp");
  Make("f.txt");
  CFileFinder finder;
  EXPECT_EQ(finder.FindFiles(Dir(), L"*.vpf", FALSE), 2);
  EXPECT_EQ(finder.FindFiles(Dir(), L"*.mlp", FALSE), 5);
  finder.SortByAsc(0);
  std::vector<std::string> names;
  for (int i = 0; i < finder.GetFileCount(); ++i) names.push_back(fs::path(finder.GetFilePath(i).ToUtf8()).filename());
  EXPECT_THAT(names, ElementsAre("a.vpf", "B.VPF", "c.mlp", "d.mlp", "e.mlp"));
  finder.SortByAsc(1);
  EXPECT_EQ(fs::path(finder.GetFilePath(0).ToUtf8()).filename(), "e.mlp");
}

TEST_F(FileFinderTest, SubfoldersAreSearchedFirstAndOnlyWhenAsked) {
  Make("top.dat");
  Make("one/mid.dat");
  Make("one/two/deep.dat");
  Make("one/two/other.txt");
  CFileFinder flat;
  flat.FindFiles(Dir(), L"*.dat", FALSE);
  EXPECT_EQ(Names(flat), (std::set<std::string>{"top.dat"}));
  CFileFinder deep;
  std::vector<std::string> folders;
  deep.SetCallback(
      [](CFileFinder* f, DWORD code, void* user) {
        if (code == CFileFinder::FF_FOLDER) static_cast<std::vector<std::string>*>(user)->push_back(f->GetSearchingFolder().ToUtf8());
      },
      &folders);
  EXPECT_EQ(deep.FindFiles(Dir(), L"*.dat", TRUE), 3);
  EXPECT_EQ(Names(deep), (std::set<std::string>{"top.dat", "one/mid.dat", "one/two/deep.dat"}));
  // The deepest folder's files are scanned first, the starting folder's last.
  ASSERT_EQ(folders.size(), 3u);
  EXPECT_NE(folders[0].find("one/two/"), std::string::npos);
  EXPECT_EQ(folders[2], dir.string() + "/");
  EXPECT_EQ(deep.GetFilePath(deep.GetFileCount() - 1).ToUtf8(), (dir / "top.dat").string());
}

TEST_F(FileFinderTest, FolderEndingInSlashGetsNoSecondSeparator) {
  Make("x.dat");
  CFileFinder finder;
  finder.FindFiles(Dir() + L"/", L"*.dat", FALSE);
  ASSERT_EQ(finder.GetFileCount(), 1);
  EXPECT_EQ(finder.GetFilePath(0).ToUtf8(), (dir / "x.dat").string());
}

TEST_F(FileFinderTest, ListAccessorsHandleBadIndexes) {
  Make("a.dat");
  Make("b.dat");
  CFileFinder finder;
  finder.FindFiles(Dir(), L"*.dat", FALSE);
  finder.SortByAsc(0);
  EXPECT_TRUE(finder.GetFilePath(-1).IsEmpty());
  EXPECT_TRUE(finder.GetFilePath(2).IsEmpty());
  const CString upper = CString::FromUtf8((dir / "B.DAT").string());
  EXPECT_EQ(finder.FindPathItem(upper), 1);
  EXPECT_EQ(finder.FindPathItem(L"/nowhere"), -1);
  finder.RemoveAt(5);
  finder.RemoveAt(-1);
  EXPECT_EQ(finder.GetFileCount(), 2);
  finder.RemoveAt(0);
  EXPECT_EQ(finder.FindPathItem(upper), 0);
  finder.RemoveAll();
  EXPECT_EQ(finder.GetFileCount(), 0);
  EXPECT_EQ(finder.FindFiles(Dir() + L"/missing", L"*.*", TRUE), 0);
}

TEST_F(FileFinderTest, FiltersBySizeAttributesAndText) {
  Make("small.dat", "abc");
  Make("large.dat", std::string(1000, 'z'));
  Make("hidden/.secret.dat", "abc");
  fs::create_directories(dir / "folder.dat");
  CFileFinder::CFindOpts opts;
  opts.sBaseFolder = Dir();
  opts.sFileMask = L"*.dat";
  opts.dwOptionsFlags = CFileFinder::FIND_SIZE;
  opts.nMinSize = 1;
  opts.nMaxSize = 100;
  CFileFinder bySize;
  bySize.Find(opts);
  EXPECT_EQ(Names(bySize), (std::set<std::string>{"small.dat"}));

  opts.dwOptionsFlags = CFileFinder::FIND_ATTRIBUTES;
  opts.dwFileAttributes = 0x10;  // folders only; an accepted folder ends in a separator
  CFileFinder folders;
  folders.Find(opts);
  ASSERT_EQ(folders.GetFileCount(), 1);
  EXPECT_EQ(folders.GetFilePath(0).ToUtf8(), (dir / "folder.dat").string() + "/");

  opts.dwFileAttributes = 0x2;  // hidden
  opts.bSubfolders = TRUE;
  CFileFinder hidden;
  hidden.Find(opts);
  EXPECT_EQ(Names(hidden), (std::set<std::string>{"hidden/.secret.dat"}));

  opts.dwOptionsFlags = CFileFinder::FIND_TEXT;
  opts.sFindText = L"ZZZZ";
  CFileFinder byText;
  byText.Find(opts);
  EXPECT_EQ(Names(byText), (std::set<std::string>{"large.dat"}));
}

TEST_F(FileFinderTest, ModifiedTimeRange) {
  Make("old.dat");
  Make("new.dat");
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(48);
  fs::last_write_time(dir / "old.dat", old);
  CFileFinder::CFindOpts opts;
  opts.sBaseFolder = Dir();
  opts.sFileMask = L"*.dat";
  opts.dwOptionsFlags = CFileFinder::FIND_DATEMODIFIED;
  opts.tMinModified = CTime(CTime::GetCurrentTime().GetTime() - 3600);
  opts.tMaxModified = CTime(CTime::GetCurrentTime().GetTime() + 3600);
  CFileFinder finder;
  finder.Find(opts);
  EXPECT_EQ(Names(finder), (std::set<std::string>{"new.dat"}));
}

TEST_F(FileFinderTest, TextSearchFindsMatchesAcrossBlockBoundaries) {
  CFileFinder finder;
  // Positions around the first block boundaries, in single-byte and UTF-16 files.
  for (size_t at : {0u, 100u, 120u, 125u, 126u, 127u, 128u, 250u, 251u, 252u, 2000u}) {
    std::string content(at, '.');
    content += "NeedLe";
    content += std::string(7, '.');
    Make("t.txt", content);
    EXPECT_TRUE(finder.FindTextInFile(CString::FromUtf8((dir / "t.txt").string()), L"needle")) << at;
    std::string wide;
    for (char c : content) wide += std::string{c, '\0'};
    Make("w.txt", wide);
    EXPECT_TRUE(finder.FindTextInFile(CString::FromUtf8((dir / "w.txt").string()), L"NEEDLE")) << "utf16 " << at;
  }
  Make("none.txt", std::string(5000, 'n') + "eedle");
  EXPECT_FALSE(finder.FindTextInFile(CString::FromUtf8((dir / "none.txt").string()), L"needle!"));
  // Leading blanks of the text are not matched by an imagined prefix before the file.
  Make("start.txt", "abc");
  EXPECT_FALSE(finder.FindTextInFile(CString::FromUtf8((dir / "start.txt").string()), L" abc"));
  EXPECT_FALSE(finder.FindTextInFile(CString::FromUtf8((dir / "missing.txt").string()), L"x"));
  EXPECT_FALSE(finder.FindTextInFile(CString::FromUtf8((dir / "start.txt").string()), L""));
  EXPECT_FALSE(finder.FindTextInFile(CString::FromUtf8((dir / "start.txt").string()), nullptr));
}

TEST_F(FileFinderTest, StopSearchFromCallbackEndsAllLevels) {
  for (int i = 0; i < 5; ++i) {
    Make("a" + std::to_string(i) + "/f.dat");
    Make("f" + std::to_string(i) + ".dat");
  }
  CFileFinder finder;
  finder.SetCallback(
      [](CFileFinder* f, DWORD code, void*) {
        if (code == CFileFinder::FF_FOUND) f->StopSearch();
      },
      nullptr);
  EXPECT_EQ(finder.FindFiles(Dir(), L"*.dat", TRUE), 1);
  // A new search starts afresh.
  finder.SetCallback(nullptr, nullptr);
  EXPECT_EQ(finder.FindFiles(Dir(), L"*.dat", TRUE), 11);
}

TEST(SortStringArray, CaseInsensitiveBothWays) {
  CStringArray a;
  for (const wchar_t* s : {L"beta", L"Alpha", L"gamma", L"ALPHB"}) a.Add(s);
  SortStringArray(a, 0);
  EXPECT_EQ(a[0], L"Alpha");
  EXPECT_EQ(a[1], L"ALPHB");
  EXPECT_EQ(a[3], L"gamma");
  SortStringArray(a, 1);
  EXPECT_EQ(a[0], L"gamma");
  EXPECT_EQ(a[3], L"Alpha");
  CStringArray empty;
  SortStringArray(empty, 0);
  EXPECT_EQ(empty.GetSize(), 0);
}
