#include "velmora/dialogs/AboutBox.h"

#include "platform/vurode/Accessors.h"
#include "platform/vurode/OpenGLDC.h"
#include "platform/win/MessageBox.h"

#include <mutex>

namespace {
std::mutex g_mutex;
CKxAboutBox::Presenter g_presenter;
}  // namespace

BOOL CKxAboutBox::OnInitDialog() {
  const COpenGLDC* gl = gGetOpenGLDC();
  m_bPicture = gl && gl->IsPerfect();
  return TRUE;
}

const std::vector<CString>& CKxAboutBox::Lines() {
  static const std::vector<CString> lines = {
      L"Velmora V9",
      L"Design and machining",
      L"Version 9.0",
      L"https://velmora.example.com",
      L"support@velmora.example.com",
  };
  return lines;
}

void CKxAboutBox::SetPresenter(Presenter presenter) {
  std::lock_guard lock(g_mutex);
  g_presenter = std::move(presenter);
}

INT_PTR CKxAboutBox::DoModal() {
  Presenter p;
  {
    std::lock_guard lock(g_mutex);
    p = g_presenter;
  }
  if (!OnInitDialog()) return IDCANCEL;
  return p ? p(*this) : IDCANCEL;
}
