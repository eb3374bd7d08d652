#include "platform/win/Module.h"

#include "platform/win/Error.h"
#include "platform/win/Utf8.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

namespace {
std::mutex g_mutex;
// dlopen handles this layer gave out, with their reference counts (dlopen returns the same
// handle for the same module).
std::unordered_map<void*, int> g_handles;

}  // namespace

HMODULE LoadLibraryW(LPCWSTR lpLibFileName) {
  if (!lpLibFileName || !*lpLibFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const std::string path = velmora::win::ToUtf8(lpLibFileName, true);
  void* h = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!h) {
    const char* why = ::dlerror();
    struct stat st{};
    const DWORD code = ::stat(path.c_str(), &st) == 0 ? ERROR_BAD_EXE_FORMAT : ERROR_MOD_NOT_FOUND;
    velmora::win::SetLastErrorDetail(code, velmora::win::FromUtf8(why).c_str());
    return nullptr;
  }
  {
    std::lock_guard lock(g_mutex);
    ++g_handles[h];
  }
  SetLastError(ERROR_SUCCESS);
  return reinterpret_cast<HMODULE>(h);
}

BOOL FreeLibrary(HMODULE hLibModule) {
  void* h = reinterpret_cast<void*>(hLibModule);
  {
    std::lock_guard lock(g_mutex);
    auto it = h ? g_handles.find(h) : g_handles.end();
    if (it == g_handles.end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    if (--it->second == 0) g_handles.erase(it);
  }
  ::dlclose(h);
  return TRUE;
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  void* h = reinterpret_cast<void*>(hModule);
  {
    std::lock_guard lock(g_mutex);
    if (!h || !g_handles.count(h)) {
      SetLastError(ERROR_INVALID_HANDLE);
      return nullptr;
    }
  }
  if (!lpProcName) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  const char* name = lpProcName;
  if (IS_INTRESOURCE(lpProcName)) {
    const auto ordinal = static_cast<WORD>(reinterpret_cast<uintptr_t>(lpProcName));
    auto* table = static_cast<const char* const*>(::dlsym(h, "ExportOrdinals"));
    name = nullptr;
    if (table && ordinal > 0) {
      for (WORD i = 1; table[i - 1]; ++i)
        if (i == ordinal) {
          name = table[i - 1];
          break;
        }
    }
    if (!name) {
      SetLastError(ERROR_PROC_NOT_FOUND);
      return nullptr;
    }
  }
  void* sym = ::dlsym(h, name);
  if (!sym) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(sym);
}
