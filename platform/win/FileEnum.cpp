#include "platform/win/FileEnum.h"

#include "platform/win/Error.h"
#include "platform/win/Utf8.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cwctype>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

namespace {
struct FindState {
  std::vector<WIN32_FIND_DATAW> entries;
  size_t next = 0;
};

std::mutex g_mutex;
std::unordered_set<FindState*> g_finds;

constexpr int64_t kEpochDiff = 11644473600LL;  // seconds from 1601 to 1970

using velmora::win::FromUtf8;
using velmora::win::ToUtf8;

bool Match(const wchar_t* mask, const wchar_t* name) {
  // Iterative wildcard match with backtracking on the last '*'.
  const wchar_t* star = nullptr;
  const wchar_t* resume = nullptr;
  while (*name) {
    if (*mask == L'*') {
      star = mask++;
      resume = name;
    } else if (*mask == L'?' || (*mask && std::towlower(static_cast<wint_t>(*mask)) == std::towlower(static_cast<wint_t>(*name)))) {
      ++mask;
      ++name;
    } else if (star) {
      mask = star + 1;
      name = ++resume;
    } else {
      return false;
    }
  }
  while (*mask == L'*') ++mask;
  // "name.*" also matches "name" without an extension, as Windows does.
  if (mask[0] == L'.' && mask[1] == L'*' && mask[2] == L'\0') return true;
  return *mask == L'\0';
}

FILETIME ToFileTime(const timespec& ts) {
  const int64_t ticks = (static_cast<int64_t>(ts.tv_sec) + kEpochDiff) * 10000000LL + ts.tv_nsec / 100;
  return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32)};
}

bool Describe(const std::string& folder, const char* name, WIN32_FIND_DATAW& data) {
  const std::wstring wname = FromUtf8(name);
  if (wname.size() >= static_cast<size_t>(MAX_PATH)) return false;
  struct stat st{};
  const std::string full = folder + name;
  if (::stat(full.c_str(), &st) != 0 && ::lstat(full.c_str(), &st) != 0) return false;
  data = WIN32_FIND_DATAW{};
  DWORD attr = 0;
  if (S_ISDIR(st.st_mode)) attr |= FILE_ATTRIBUTE_DIRECTORY;
  else if (S_ISREG(st.st_mode)) attr |= FILE_ATTRIBUTE_ARCHIVE;
  else attr |= FILE_ATTRIBUTE_SYSTEM;
  if (!(st.st_mode & S_IWUSR)) attr |= FILE_ATTRIBUTE_READONLY;
  if (name[0] == '.' && std::string(name) != "." && std::string(name) != "..") attr |= FILE_ATTRIBUTE_HIDDEN;
  data.dwFileAttributes = attr;
  data.ftCreationTime = ToFileTime(st.st_ctim);
  data.ftLastAccessTime = ToFileTime(st.st_atim);
  data.ftLastWriteTime = ToFileTime(st.st_mtim);
  const auto size = S_ISDIR(st.st_mode) ? uint64_t{0} : static_cast<uint64_t>(st.st_size);
  data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
  data.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFF);
  std::copy(wname.begin(), wname.end(), data.cFileName);
  data.cFileName[wname.size()] = L'\0';
  return true;
}
}  // namespace

HANDLE FindFirstFileW(LPCWSTR lpFileName, WIN32_FIND_DATAW* lpFindFileData) {
  if (!lpFileName || !lpFindFileData) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  std::wstring path = lpFileName;
  for (auto& c : path)
    if (c == L'\\') c = L'/';
  const size_t slash = path.rfind(L'/');
  std::wstring folder = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
  const std::wstring mask = slash == std::wstring::npos ? path : path.substr(slash + 1);
  const std::string folder8 = folder.empty() ? std::string("./") : ToUtf8(folder);

  DIR* dir = ::opendir(folder8.c_str());
  if (!dir) {
    SetLastError(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  auto state = std::make_unique<FindState>();
  while (dirent* e = ::readdir(dir)) {
    const std::wstring wname = FromUtf8(e->d_name);
    if (!Match(mask.c_str(), wname.c_str())) continue;
    WIN32_FIND_DATAW data;
    if (Describe(folder8, e->d_name, data)) state->entries.push_back(data);
  }
  ::closedir(dir);
  if (state->entries.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  *lpFindFileData = state->entries[0];
  state->next = 1;
  std::lock_guard lock(g_mutex);
  g_finds.insert(state.get());
  SetLastError(ERROR_SUCCESS);
  return state.release();
}

BOOL FindNextFileW(HANDLE hFindFile, WIN32_FIND_DATAW* lpFindFileData) {
  std::lock_guard lock(g_mutex);
  auto* state = static_cast<FindState*>(hFindFile);
  if (!g_finds.count(state) || !lpFindFileData) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (state->next >= state->entries.size()) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  *lpFindFileData = state->entries[state->next++];
  return TRUE;
}

BOOL FindClose(HANDLE hFindFile) {
  std::lock_guard lock(g_mutex);
  auto* state = static_cast<FindState*>(hFindFile);
  if (!g_finds.erase(state)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  delete state;
  return TRUE;
}

int64_t FileTimeToUnixSeconds(const FILETIME& ft) {
  const auto ticks = static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
  return ticks / 10000000LL - kEpochDiff;
}

FILETIME UnixSecondsToFileTime(int64_t seconds) {
  const auto ticks = static_cast<uint64_t>((seconds + kEpochDiff) * 10000000LL);
  return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
}
