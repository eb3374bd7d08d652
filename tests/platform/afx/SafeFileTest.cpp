// CSafeFile: the target changes only when a complete file is closed; a write that fails (a full
// disk, a file size limit) or an abort leaves the target and its folder as they were.
#include "platform/afx/Exception.h"
#include "platform/afx/SafeFile.h"
#include "support/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sched.h>
#include <set>
#include <string>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class SafeFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    m_dir = fs::temp_directory_path() / ("velmora-safefile-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    fs::create_directories(m_dir);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(m_dir, ec);
  }
  static std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static void Put(const fs::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }
  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(m_dir)) names.insert(e.path().filename().string());
    return names;
  }
  CString Wide(const std::string& name) const { return CString::FromUtf8((m_dir / name).string()); }

  fs::path m_dir;
};

TEST_F(SafeFileTest, TheTargetChangesOnlyWhenTheCompleteFileIsClosed) {
  Put(m_dir / "doc", "old content");
  CSafeFile file;
  ASSERT_TRUE(file.Open(Wide("doc")));
  EXPECT_EQ(file.GetFilePath(), Wide("doc"));
  file.Write("new", 3);
  EXPECT_EQ(Read(m_dir / "doc"), "old content");  // still the old file while writing
  EXPECT_EQ(Names().size(), 2u);
  file.Close();
  EXPECT_EQ(Read(m_dir / "doc"), "new");
  EXPECT_EQ(Names(), (std::set<std::string>{"doc"}));

  // Abort, and destruction without Close, leave the target and remove what was written.
  {
    CSafeFile aborted;
    ASSERT_TRUE(aborted.Open(Wide("doc")));
    aborted.Write("xyz", 3);
    aborted.Abort();
    CSafeFile dropped;
    ASSERT_TRUE(dropped.Open(Wide("doc")));
    dropped.Write("xyz", 3);
  }
  EXPECT_EQ(Read(m_dir / "doc"), "new");
  EXPECT_EQ(Names(), (std::set<std::string>{"doc"}));

  // A new target appears only on Close.
  CSafeFile fresh;
  ASSERT_TRUE(fresh.Open(Wide("fresh")));
  EXPECT_FALSE(fs::exists(m_dir / "fresh"));
  fresh.Close();
  EXPECT_TRUE(fs::exists(m_dir / "fresh"));
}

TEST_F(SafeFileTest, TargetsThatCannotBeWrittenAreRefusedWithTheirCause) {
  fs::create_directory(m_dir / "folder");
  struct Case {
    const char* name;
    LONG error;
  };
  for (const Case& c : {Case{"folder", EISDIR}, Case{"missing/doc", ENOENT}}) {
    SCOPED_TRACE(c.name);
    CSafeFile file;
    CFileException fe;
    EXPECT_FALSE(file.Open(Wide(c.name), CFile::modeCreate | CFile::modeWrite, &fe));
    EXPECT_EQ(fe.m_lOsError, c.error);
    EXPECT_EQ(fe.m_strFileName, Wide(c.name));
  }
  EXPECT_EQ(Names(), (std::set<std::string>{"folder"}));
}

TEST_F(SafeFileTest, AWriteThatFailsLeavesTheTargetWhole) {
  const std::string old(3000, 'o');
  Put(m_dir / "doc", old);
  CSafeFile file;
  ASSERT_TRUE(file.Open(Wide("doc")));
  int error = 0;
  {
    FileSizeLimit limit(1000);
    ASSERT_TRUE(limit.Active());
    const std::string more(4000, 'n');
    try {
      file.Write(more.data(), UINT(more.size()));
    } catch (const CFileException& e) {
      error = int(e.m_lOsError);
      EXPECT_EQ(e.m_cause, CFileException::diskFull);
    }
  }
  EXPECT_EQ(error, EFBIG);
  file.Abort();
  EXPECT_EQ(Read(m_dir / "doc"), old);
  EXPECT_EQ(Names(), (std::set<std::string>{"doc"}));
}

// A full disk for real: a small memory file system mounted in a private mount namespace of a
// child process. Skipped where the system allows no such namespace.
TEST_F(SafeFileTest, AFullDiskLeavesTheTargetWhole) {
  const fs::path mnt = m_dir / "small";
  fs::create_directory(mnt);
  constexpr int kSkip = 77;
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::unshare(CLONE_NEWNS) != 0) {
      // An ordinary user may still own a user namespace with its own mounts.
      const uid_t uid = ::getuid();
      const gid_t gid = ::getgid();
      if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) ::_exit(kSkip);
      std::ofstream("/proc/self/setgroups") << "deny";
      std::ofstream("/proc/self/uid_map") << "0 " << uid << " 1";
      std::ofstream("/proc/self/gid_map") << "0 " << gid << " 1";
    }
    // Private first, so the mount never shows outside this process.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) ::_exit(kSkip);
    if (::mount("tmpfs", mnt.c_str(), "tmpfs", 0, "size=64k") != 0) ::_exit(kSkip);
    const std::string old(10000, 'o');
    Put(mnt / "doc", old);
    int code = 0;
    {
      CSafeFile file;
      if (!file.Open(CString::FromUtf8((mnt / "doc").string()))) ::_exit(1);
      const std::string big(200000, 'n');
      try {
        file.Write(big.data(), UINT(big.size()));
        code = 2;  // the disk took more than it holds
      } catch (const CFileException& e) {
        if (e.m_lOsError != ENOSPC || e.m_cause != CFileException::diskFull) code = 3;
      }
      file.Abort();
    }
    if (code == 0 && Read(mnt / "doc") != old) code = 4;
    if (code == 0 && std::distance(fs::directory_iterator(mnt), fs::directory_iterator()) != 1) code = 5;
    ::umount(mnt.c_str());
    ::_exit(code);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == kSkip) GTEST_SKIP() << "no private mount namespace for a small file system";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1 open, 2 no failure, 3 wrong cause, 4 target changed, 5 file left";
}

}  // namespace
