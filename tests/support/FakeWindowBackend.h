// A window backend for tests: a clock that only moves when the message loop waits (by exactly
// the time to the next timer), scripted answers for message boxes and file dialogs, and a record
// of what the window layer asked the toolkit to do. Installing it also empties the window layer's
// queue and key state, so each test starts from a quiet loop.
#pragma once

#include "platform/win/MessageBox.h"
#include "platform/win/Window.h"
#include "platform/win/WindowBackend.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

class FakeWindowBackend : public velmora::win::HeadlessBackend {
 public:
  struct Box {
    std::wstring text, caption;
    UINT type;
  };

  FakeWindowBackend() {
    m_previous = velmora::win::SetWindowBackend(this);
    Drain();
    for (UINT vk : {VK_SHIFT, VK_CONTROL, VK_MENU}) velmora::win::SetKeyDown(vk, false);
  }
  ~FakeWindowBackend() override {
    Drain();
    velmora::win::SetWindowBackend(m_previous);
  }
  FakeWindowBackend(const FakeWindowBackend&) = delete;
  FakeWindowBackend& operator=(const FakeWindowBackend&) = delete;

  // Takes out every pending message (paints are validated, due timers re-armed).
  static void Drain() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
      if (m.message == WM_PAINT) ValidateRect(m.hwnd, nullptr);
  }

  DWORD TickCount() override { return now; }
  bool WaitForInput(DWORD timeoutMs) override {
    if (timeoutMs == INFINITE) return false;
    now += timeoutMs;
    waited += timeoutMs;
    return true;
  }

  int MessageBox(HWND, LPCWSTR text, LPCWSTR caption, UINT type) override {
    boxes.push_back(Box{text ? text : L"", caption ? caption : L"", type});
    if (boxAnswers.empty()) {
      ADD_FAILURE() << "unexpected message box: " << testing::PrintToString(boxes.back().text);
      return IDCANCEL;
    }
    const int a = boxAnswers.front();
    boxAnswers.pop_front();
    return a;
  }

  // An answer of nullopt cancels the dialog.
  bool FileDialog(velmora::win::FileDialogRequest& request) override {
    dialogs.push_back(request);
    if (dialogAnswers.empty()) {
      ADD_FAILURE() << "unexpected file dialog";
      return false;
    }
    const auto a = dialogAnswers.front();
    dialogAnswers.pop_front();
    if (!a) return false;
    request.chosenPath = *a;
    return true;
  }

  HDC BeginPaint(HWND h) override {
    painted.push_back(h);
    return paintDC;
  }
  HDC GetDC(HWND) override {
    ++dcTaken;
    return paintDC;
  }
  void ReleaseDC(HWND, HDC) override { ++dcReleased; }

  void PeerCreated(HWND h, HWND, const RECT&, DWORD, LPCWSTR) override { created.push_back(h); }
  void PeerDestroyed(HWND h) override { destroyed.push_back(h); }
  void PeerShown(HWND h, bool visible) override { shown[h] = visible; }

  DWORD now = 1000;
  DWORD waited = 0;
  std::deque<int> boxAnswers;
  std::vector<Box> boxes;
  std::deque<std::optional<std::wstring>> dialogAnswers;
  std::vector<velmora::win::FileDialogRequest> dialogs;
  HDC paintDC = nullptr;  // what BeginPaint and GetDC hand out (a CDC's address in class-library tests)
  int dcTaken = 0, dcReleased = 0;
  std::vector<HWND> painted, created, destroyed;
  std::map<HWND, bool> shown;

 private:
  velmora::win::WindowBackend* m_previous = nullptr;
};
