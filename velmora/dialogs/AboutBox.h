// The About box (template 222): product name, version and contact lines, and the picture
// (control 1034, image 100) shown only where the OpenGL context reports full support.
#pragma once

#include "platform/afx/String.h"

#include <functional>
#include <vector>

constexpr UINT ID_APP_ABOUT = 0xE140;
constexpr UINT IDD_ABOUTBOX = 222;
constexpr UINT IDC_ABOUT_PICTURE = 1034;
constexpr UINT IDB_ABOUT_PICTURE = 100;

class CKxAboutBox {
 public:
  // Decides the picture's visibility.
  BOOL OnInitDialog();
  BOOL IsPictureShown() const { return m_bPicture; }
  // The text lines, in order.
  static const std::vector<CString>& Lines();

  // Runs the box through the platform's presenter; without one (no screen) only initialises it
  // and answers IDCANCEL.
  INT_PTR DoModal();
  using Presenter = std::function<INT_PTR(CKxAboutBox&)>;
  static void SetPresenter(Presenter presenter);

 private:
  BOOL m_bPicture = FALSE;
};
