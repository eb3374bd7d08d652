// The one seam between the window layer and whatever shows it.
//
// The window layer (window records, the message queue, timers, focus, capture, painting state,
// the clipboard API, message boxes and file dialogs) keeps its whole model itself and runs
// headless. A backend only mirrors that model on a real toolkit and answers the few questions the
// model cannot answer alone: what time it is, how to wait for input, where painting goes, what the
// system clipboard holds, and what the user answers in a dialog.
//
// HeadlessBackend is the default: no peers, a steady clock, an in-process clipboard, message boxes
// written to the standard error stream answering with their first button, and file dialogs that
// are cancelled. Tests derive from it to script answers and to drive a fake clock; the Qt adapter
// implements the whole interface over widgets.
//
// Every call comes from the GUI thread.
#pragma once

#include "platform/win/WinTypes.h"

#include <map>
#include <string>
#include <vector>

constexpr DWORD INFINITE = 0xFFFFFFFFu;

namespace velmora::win {

// What a file dialog asks and what it answers.
struct FileDialogRequest {
  bool open = true;            // open, or save
  HWND owner = nullptr;
  std::wstring title;          // empty: the toolkit's default
  std::wstring filter;         // "Text|*.txt|All|*.*" pairs
  std::wstring defaultExt;     // without the dot
  std::wstring initialPath;    // suggested file
  DWORD flags = 0;
  // Answers.
  std::wstring chosenPath;
  int filterIndex = 1;         // 1-based, as the filter lists them
};

class WindowBackend {
 public:
  virtual ~WindowBackend() = default;

  // Peers: the model has created, destroyed, shown or hidden, moved (rectangle in the parent's
  // client coordinates) or retitled a window, or wants it repainted (the queue still delivers the
  // WM_PAINT; a toolkit may also ask for one by invalidating).
  virtual void PeerCreated(HWND hWnd, HWND hParent, const RECT& rect, DWORD style, LPCWSTR text) = 0;
  virtual void PeerDestroyed(HWND hWnd) = 0;
  virtual void PeerShown(HWND hWnd, bool visible) = 0;
  virtual void PeerMoved(HWND hWnd, const RECT& rect) = 0;
  virtual void PeerTextChanged(HWND hWnd, LPCWSTR text) = 0;
  virtual void PeerInvalidated(HWND hWnd) = 0;
  virtual void FocusChanged(HWND hWnd) = 0;
  virtual void CaptureChanged(HWND hWnd) = 0;
  virtual void CursorChanged(HCURSOR hCursor) = 0;
  // A scroll bar's range, page, position or visibility changed (the model holds the values:
  // GetScrollInfo, IsScrollBarShown). Backends without bars ignore it.
  virtual void PeerScrollBarChanged(HWND /*hWnd*/, int /*nBar*/) {}
  // The window was enabled or disabled (a modal dialog disables its owner).
  virtual void PeerEnabled(HWND, bool) {}
  // A control's content changed in the model (items, selection, check state, range, columns):
  // the peer re-reads what it shows.
  virtual void ControlChanged(HWND) {}
  // The window takes files dropped on it (DragAcceptFiles): the backend posts WM_DROPFILES.
  virtual void PeerAcceptsFiles(HWND, bool) {}

  // Painting: a device-context handle for the window's paint, or null when the backend draws
  // nowhere. A non-null handle is the address of a CDC the backend owns until EndPaint.
  virtual HDC BeginPaint(HWND hWnd) = 0;
  virtual void EndPaint(HWND hWnd, HDC hdc) = 0;
  // Drawing outside a paint (rubber bands, previews): the same contract as BeginPaint.
  virtual HDC GetDC(HWND hWnd) = 0;
  virtual void ReleaseDC(HWND hWnd, HDC hdc) = 0;

  // Milliseconds of a monotonic clock; timers run on it.
  virtual DWORD TickCount() = 0;
  // Waits until input may have arrived or timeoutMs passed (INFINITE: no timer is pending).
  // False when nothing can ever arrive: the message loop then ends instead of hanging.
  virtual bool WaitForInput(DWORD timeoutMs) = 0;

  // The system clipboard, one byte block per format. formatName names registered formats (empty
  // for standard ones), so that a toolkit can map them to its own types. GetClipboardBytes refuses
  // (false) data larger than maxBytes.
  virtual void ClearClipboard() = 0;
  virtual bool SetClipboardBytes(UINT format, const std::wstring& formatName, const BYTE* data, size_t size) = 0;
  virtual bool GetClipboardBytes(UINT format, const std::wstring& formatName, std::vector<BYTE>& data,
                                 size_t maxBytes) = 0;
  virtual bool HasClipboardFormat(UINT format, const std::wstring& formatName) = 0;

  // Dialogs. MessageBox answers IDOK, IDCANCEL, IDYES or IDNO; FileDialog fills chosenPath and
  // filterIndex and returns true, or returns false when cancelled.
  virtual int MessageBox(HWND hWnd, LPCWSTR text, LPCWSTR caption, UINT type) = 0;
  virtual bool FileDialog(FileDialogRequest& request) = 0;

  // A popup menu at a screen point, owned by a window: the command chosen, 0 when none (the
  // headless default, as nobody can choose).
  virtual UINT TrackPopupMenu(HMENU, int, int, HWND) { return 0; }
  // The toolkit's own arrangement of a frame's bars, kept with the bar state; empty when the
  // toolkit keeps none. Restoring answers whether the bytes were taken.
  virtual std::vector<BYTE> SaveBarLayout(HWND) { return {}; }
  virtual bool RestoreBarLayout(HWND, const std::vector<BYTE>&) { return false; }
  // The colour chooser: true with the chosen colour, false when cancelled (headless: cancelled).
  virtual bool ColorDialog(HWND, COLORREF&) { return false; }
};

class HeadlessBackend : public WindowBackend {
 public:
  void PeerCreated(HWND, HWND, const RECT&, DWORD, LPCWSTR) override {}
  void PeerDestroyed(HWND) override {}
  void PeerShown(HWND, bool) override {}
  void PeerMoved(HWND, const RECT&) override {}
  void PeerTextChanged(HWND, LPCWSTR) override {}
  void PeerInvalidated(HWND) override {}
  void FocusChanged(HWND) override {}
  void CaptureChanged(HWND) override {}
  void CursorChanged(HCURSOR) override {}
  HDC BeginPaint(HWND) override { return nullptr; }
  void EndPaint(HWND, HDC) override {}
  HDC GetDC(HWND) override { return nullptr; }
  void ReleaseDC(HWND, HDC) override {}
  DWORD TickCount() override;
  // Sleeps for a finite timeout; an infinite one returns false at once, as no input can come.
  bool WaitForInput(DWORD timeoutMs) override;
  void ClearClipboard() override { m_clipboard.clear(); }
  bool SetClipboardBytes(UINT format, const std::wstring& formatName, const BYTE* data, size_t size) override;
  bool GetClipboardBytes(UINT format, const std::wstring& formatName, std::vector<BYTE>& data,
                         size_t maxBytes) override;
  bool HasClipboardFormat(UINT format, const std::wstring& formatName) override;
  int MessageBox(HWND hWnd, LPCWSTR text, LPCWSTR caption, UINT type) override;
  bool FileDialog(FileDialogRequest&) override { return false; }

 private:
  // Keyed by format name for registered formats, by number for the others.
  static std::wstring Key(UINT format, const std::wstring& formatName);
  std::map<std::wstring, std::vector<BYTE>> m_clipboard;
};

// The installed backend (the process's headless one until another is installed).
WindowBackend& Backend();
// Installs a backend (null: the headless one) and returns the previous one. The caller keeps
// ownership and restores the previous backend before destroying its own.
WindowBackend* SetWindowBackend(WindowBackend* backend);

}  // namespace velmora::win
