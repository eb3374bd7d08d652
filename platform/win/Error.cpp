#include "platform/win/Error.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

namespace {
thread_local DWORD t_lastError = ERROR_SUCCESS;
thread_local std::wstring t_detail;  // belongs to t_lastError

const wchar_t* SystemText(DWORD code) {
  switch (code) {
    case ERROR_SUCCESS: return L"The operation completed successfully.";
    case ERROR_FILE_NOT_FOUND: return L"The system cannot find the file specified.";
    case ERROR_PATH_NOT_FOUND: return L"The system cannot find the path specified.";
    case ERROR_ACCESS_DENIED: return L"Access is denied.";
    case ERROR_INVALID_HANDLE: return L"The handle is invalid.";
    case ERROR_NOT_ENOUGH_MEMORY: return L"Not enough memory resources are available to process this command.";
    case ERROR_NO_MORE_FILES: return L"There are no more files.";
    case ERROR_INVALID_PARAMETER: return L"The parameter is incorrect.";
    case ERROR_INSUFFICIENT_BUFFER: return L"The data area passed to a system call is too small.";
    case ERROR_MOD_NOT_FOUND: return L"The specified module could not be found.";
    case ERROR_PROC_NOT_FOUND: return L"The specified procedure could not be found.";
    case ERROR_BAD_EXE_FORMAT: return L"The file is not a valid module for this system.";
    case ERROR_NO_UNICODE_TRANSLATION: return L"No mapping for the Unicode character exists in the target multi-byte code page.";
    case ERROR_INVALID_MENU_HANDLE: return L"Invalid menu handle.";
    case ERROR_INVALID_ACCEL_HANDLE: return L"Invalid accelerator table handle.";
    default: return nullptr;
  }
}
}  // namespace

DWORD GetLastError() { return t_lastError; }

void SetLastError(DWORD code) {
  t_lastError = code;
  t_detail.clear();
}

void velmora::win::SetLastErrorDetail(DWORD code, const wchar_t* detail) {
  t_lastError = code;
  t_detail = detail ? detail : L"";
}

void* LocalAlloc(UINT, size_t uBytes) { return std::calloc(1, uBytes ? uBytes : 1); }

void* LocalFree(void* hMem) {
  std::free(hMem);
  return nullptr;
}

DWORD FormatMessageW(DWORD dwFlags, LPCVOID, DWORD dwMessageId, DWORD, LPWSTR lpBuffer, DWORD nSize, va_list*) {
  if (!(dwFlags & FORMAT_MESSAGE_FROM_SYSTEM) || !lpBuffer) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const wchar_t* base = SystemText(dwMessageId);
  if (!base) {
    SetLastError(ERROR_MR_MID_NOT_FOUND);
    return 0;
  }
  std::wstring text = base;
  if (dwMessageId == t_lastError && !t_detail.empty()) text += L"\r\n" + t_detail;
  text += L"\r\n";
  const size_t n = text.size();
  if (dwFlags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
    auto* out = static_cast<wchar_t*>(LocalAlloc(0, (n + 1) * sizeof(wchar_t)));
    if (!out) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return 0;
    }
    std::wmemcpy(out, text.c_str(), n + 1);
    *reinterpret_cast<wchar_t**>(lpBuffer) = out;
    return static_cast<DWORD>(n);
  }
  if (nSize < n + 1) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::wmemcpy(lpBuffer, text.c_str(), n + 1);
  return static_cast<DWORD>(n);
}
