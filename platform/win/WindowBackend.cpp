#include "platform/win/WindowBackend.h"

#include "platform/win/MessageBox.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace velmora::win {
namespace {
HeadlessBackend& Headless() {
  static HeadlessBackend backend;
  return backend;
}
WindowBackend* g_backend = nullptr;
}  // namespace

DWORD HeadlessBackend::TickCount() {
  using namespace std::chrono;
  return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool HeadlessBackend::WaitForInput(DWORD timeoutMs) {
  if (timeoutMs == INFINITE) return false;
  std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
  return true;
}

std::wstring HeadlessBackend::Key(UINT format, const std::wstring& formatName) {
  return formatName.empty() ? L"#" + std::to_wstring(format) : formatName;
}

bool HeadlessBackend::SetClipboardBytes(UINT format, const std::wstring& formatName, const BYTE* data, size_t size) {
  if (!data && size) return false;
  m_clipboard[Key(format, formatName)].assign(data, data + size);
  return true;
}

bool HeadlessBackend::GetClipboardBytes(UINT format, const std::wstring& formatName, std::vector<BYTE>& data,
                                        size_t maxBytes) {
  auto it = m_clipboard.find(Key(format, formatName));
  if (it == m_clipboard.end() || it->second.size() > maxBytes) return false;
  data = it->second;
  return true;
}

bool HeadlessBackend::HasClipboardFormat(UINT format, const std::wstring& formatName) {
  return m_clipboard.count(Key(format, formatName)) != 0;
}

int HeadlessBackend::MessageBox(HWND, LPCWSTR text, LPCWSTR caption, UINT type) {
  std::fprintf(stderr, "[%ls] %ls\n", caption ? caption : L"", text ? text : L"");
  switch (type & 0xF) {
    case MB_YESNO:
    case MB_YESNOCANCEL: return IDYES;
    default: return IDOK;
  }
}

WindowBackend& Backend() { return g_backend ? *g_backend : Headless(); }

WindowBackend* SetWindowBackend(WindowBackend* backend) {
  WindowBackend* old = &Backend();
  g_backend = backend;
  return old == &Headless() ? nullptr : old;
}
}  // namespace velmora::win
