// The window backend over Qt 6 Widgets. Every window record gets a widget peer: a top-level
// window is a QMainWindow (its menu bar built from the window's HMENU), a child window is a plain
// widget, the frame's first child its central widget. The model stays the authority: Qt input
// becomes posted window messages (so keys reach our accelerator tables through
// PreTranslateMessage, never Qt shortcuts), painting goes through a CDC over a QPainter into the
// peer's backing image, which the widget shows. CWinApp::Run drives Qt: WaitForInput runs Qt's
// event dispatcher until input or the next timer.
//
// Construct after the QApplication and install with SetWindowBackend; restore the previous
// backend before destroying this one. GUI thread only.
#pragma once

#include "platform/win/WindowBackend.h"

#include <functional>
#include <map>
#include <memory>

class QWidget;
class QMenu;
class QAction;
class QScrollBar;
class COpenGLDC;

namespace velmora::qtwin {

// Windows created with this class name get an OpenGL peer (a QOpenGLWidget) where the platform
// can make OpenGL contexts, and the ordinary painted peer elsewhere.
inline constexpr wchar_t kOpenGLViewClass[] = L"VelmoraOpenGLView";

class CQtWindowBackend : public win::WindowBackend {
 public:
  CQtWindowBackend();
  ~CQtWindowBackend() override;
  CQtWindowBackend(const CQtWindowBackend&) = delete;
  CQtWindowBackend& operator=(const CQtWindowBackend&) = delete;

  // The peer of a window (null when it has none); for tests and for embedding.
  QWidget* Peer(HWND hWnd) const;
  // Rebuilds the menu bar of a top-level window from its current HMENU (after a plug-in changed
  // the menu); the bar is also built when the window is first shown.
  void RebuildMenuBar(HWND hWnd);
  // Brings a popup's items up to date: the frame's command-UI handlers, then texts, checks and
  // enabled states. The popup's aboutToShow signal calls this; tests may call it directly.
  void RefreshMenu(QMenu* menu);

  // Whether this platform can make OpenGL contexts (Qt's offscreen platform cannot, and creating
  // a QOpenGLWidget there crashes). Asked once, with the 2.1 format the GL peers use.
  static bool OpenGLAvailable();
  // The drawing context the window's GL peer initialises (InitGL), sizes (SetScreenSize) and
  // keeps current while the window paints; null detaches it. False when the window has no GL
  // peer: the window then paints in 2D through its device context.
  bool AttachOpenGLDC(HWND hWnd, COpenGLDC* dc);
  // Whether the window's GL context is current for drawing now: inside Qt's paint of its GL
  // peer, or between GetDC and ReleaseDC. A paint from the message loop only asks Qt for a
  // frame, and the window must not draw then.
  bool IsOpenGLCurrent(HWND hWnd) const;

  void PeerCreated(HWND hWnd, HWND hParent, const RECT& rect, DWORD style, LPCWSTR text) override;
  void PeerDestroyed(HWND hWnd) override;
  void PeerShown(HWND hWnd, bool visible) override;
  void PeerMoved(HWND hWnd, const RECT& rect) override;
  void PeerTextChanged(HWND hWnd, LPCWSTR text) override;
  void PeerInvalidated(HWND hWnd) override;
  // Windows that take dropped files accept drags of local files; a drop posts WM_DROPFILES.
  void PeerAcceptsFiles(HWND hWnd, bool accept) override;
  void FocusChanged(HWND hWnd) override;
  void CaptureChanged(HWND hWnd) override;
  void CursorChanged(HCURSOR hCursor) override;
  void PeerScrollBarChanged(HWND hWnd, int nBar) override;
  // The Qt bar showing a window's scroll bar (SB_HORZ or SB_VERT), null until the model shows it.
  QScrollBar* ScrollBarPeer(HWND hWnd, int nBar) const;
  void PeerEnabled(HWND hWnd, bool enabled) override;
  void ControlChanged(HWND hWnd) override;
  HDC BeginPaint(HWND hWnd) override;
  void EndPaint(HWND hWnd, HDC hdc) override;
  HDC GetDC(HWND hWnd) override;
  void ReleaseDC(HWND hWnd, HDC hdc) override;
  DWORD TickCount() override;
  bool WaitForInput(DWORD timeoutMs) override;
  void ClearClipboard() override;
  bool SetClipboardBytes(UINT format, const std::wstring& formatName, const BYTE* data, size_t size) override;
  bool GetClipboardBytes(UINT format, const std::wstring& formatName, std::vector<BYTE>& data,
                         size_t maxBytes) override;
  bool HasClipboardFormat(UINT format, const std::wstring& formatName) override;
  int MessageBox(HWND hWnd, LPCWSTR text, LPCWSTR caption, UINT type) override;
  bool FileDialog(win::FileDialogRequest& request) override;
  // A QMenu with the popup's items, run at the pointer; the chosen item's command.
  UINT TrackPopupMenu(HMENU hMenu, int x, int y, HWND hWnd) override;
  // A frame's QMainWindow state (QMainWindow::saveState / restoreState); empty / false for a
  // window that is no frame, or bytes Qt does not take.
  std::vector<BYTE> SaveBarLayout(HWND hWnd) override;
  bool RestoreBarLayout(HWND hWnd, const std::vector<BYTE>& bytes) override;
  bool ColorDialog(HWND hWnd, COLORREF& color) override;

  // The MIME type a clipboard format travels under: registered formats get a private type of
  // their own, so binary data never passes for text.
  static std::string MimeTypeOf(UINT format, const std::wstring& formatName);
  // "Drawings|*.vlm|All|*.*" as a Qt name filter list ("Drawings (*.vlm)", "All (*.*)").
  static std::vector<std::wstring> NameFilters(const std::wstring& filter);

  // The peers' shared state (defined in the folder's private QtBackendImpl.h).
  struct Impl;

 private:
  std::unique_ptr<Impl> m_impl;
};

// Adds a model menu's items to a QMenu (the command id in each action's data); onSub hears of
// each sub-menu before its items are added, onCommand of each command item.
void AddMenuItems(QMenu* qmenu, HMENU menu, const std::function<void(QMenu*, HMENU)>& onSub,
                  const std::function<void(QAction*, UINT)>& onCommand);

}  // namespace velmora::qtwin
