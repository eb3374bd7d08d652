#include "platform/win/FileReplace.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora::win {

namespace {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The folder's entry for the rename must reach the disk too, or a crash may bring the old file
// back. Some file systems refuse to sync a folder; the file itself is synced already.
void SyncFolder(const std::string& path) {
  const int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return;
  ::fsync(dir);
  ::close(dir);
}

}  // namespace

std::string ResolveReplaceTarget(const std::string& target) {
  std::string path = target;
  // A chain of links is followed a few steps; a loop ends as the path it reached.
  for (int hops = 0; hops < 16; ++hops) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
    char buf[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf - 1);
    if (n <= 0) break;
    std::string link(buf, size_t(n));
    path = link[0] == '/' ? link : FolderOf(path) + "/" + link;
  }
  return path;
}

int CreateFileBeside(const std::string& target, std::string& tempPath) {
  static std::atomic<unsigned> counter{0};
  const std::string folder = FolderOf(target);
  const size_t slash = target.rfind('/');
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  struct stat st;
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) {
    errno = EISDIR;
    return -1;
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    const unsigned n = counter.fetch_add(1) ^ (unsigned(::getpid()) << 12);
    tempPath = folder + "/." + name + "." + std::to_string(n) + ".part";
    // O_EXCL: never write into a file someone else made under that name.
    const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      tempPath.clear();
      return -1;
    }
    // The replaced file keeps its permissions; when that is not allowed the defaults stay.
    if (exists) (void)::fchmod(fd, st.st_mode & 07777);
    return fd;
  }
  tempPath.clear();
  errno = EEXIST;
  return -1;
}

int ReplaceWithFile(int fd, const std::string& tempPath, const std::string& target) {
  int err = 0;
  if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) err = errno;
  // A close can report a write that failed late (network and full file systems).
  if (::close(fd) != 0 && errno != EINTR && err == 0) err = errno;
  if (err == 0 && ::rename(tempPath.c_str(), target.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(tempPath.c_str());
    return err;
  }
  SyncFolder(target);
  return 0;
}

void DiscardFileBeside(int fd, const std::string& tempPath) {
  if (fd >= 0) ::close(fd);
  if (!tempPath.empty()) ::unlink(tempPath.c_str());
}

int WriteFileReplacing(const std::string& target, const void* data, size_t size) {
  const std::string real = ResolveReplaceTarget(target);
  std::string temp;
  const int fd = CreateFileBeside(real, temp);
  if (fd < 0) return errno;
  const auto* p = static_cast<const char*>(data);
  for (size_t done = 0; done < size;) {
    const ssize_t n = ::write(fd, p + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int err = n < 0 ? errno : ENOSPC;
      DiscardFileBeside(fd, temp);
      return err;
    }
    done += size_t(n);
  }
  return ReplaceWithFile(fd, temp, real);
}

}  // namespace velmora::win
