// CDraftonView: the drawing view. Every mouse, wheel, key and character message goes to the
// command hub with its world position; the view draws the document (2D through the view state,
// 3D through the OpenGL context), zooms with the wheel and the page keys, and shows the
// cursor's coordinates in the main frame's status bar. It answers the view commands' questions
// from the drawing database and acts on the window layer for them.
#pragma once

#include "velmora/ordvale/GLView.h"
#include "velmora/printing/KxPrintDialog.h"
#include "velmora/pictures/KxScan.h"

#include <functional>

class COrdvale;
class CVurode;
class CDraftonDoc;

class CDraftonView : public CGLView, public CKxScan {
  DECLARE_DYNCREATE(CDraftonView)

 public:
  CDraftonView();
  ~CDraftonView() override;

  CDraftonDoc* GetDocument() const;

  // Where the running program gives the view an OpenGL surface: the window class whose windows
  // get a GL peer, and the call binding the view's drawing context to that peer (null context:
  // unbind; false: the window has no GL peer and the view draws in 2D), and whether the
  // window's context is current, so that a paint outside the surface's own frame draws
  // nothing (the surface then shows a frame of its own). Unset: always 2D.
  struct GLSurface {
    const wchar_t* windowClass = nullptr;
    std::function<bool(HWND, COpenGLDC*)> attach;
    std::function<bool(HWND)> current;
  };
  static void SetGLSurface(GLSurface surface);
  // Whether this view draws through its OpenGL context.
  bool IsDrawingGL() const { return drawGL; }

  BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
              UINT nID, void* pContext = nullptr) override;
  void DrawGL(COpenGLDC* dc, int mode) override;
  void OnDraw(CDC* pDC) override;

  // The view's menu table as a message map, chained below the view's own entries.
  static const AFX_MSGMAP* GetMenuMessageMap();
  // Printing: the scale and position settings live here between runs.
  KxPrintState& GetPrintState() { return m_print; }
  BOOL OnPreparePrinting(CPrintInfo* pInfo) override;
  // Measures the device and sets the page count of the run.
  void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) override;
  // One sheet of the tiled drawing.
  void OnPrint(CDC* pDC, CPrintInfo* pInfo) override;
  void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo) override;
  void OnEndPrintPreview(CDC* pDC, CPrintInfo* pInfo, POINT point, CPreviewView* pView) override;
  // The preview (57609) in the drawing's own preview view; a failure is reported.
  void OnKxFilePrintPreview();

  // Scanning: the source's events come through here first.
  BOOL PreTranslateMessage(MSG* pMsg) override;
  // A scanned image goes into the drawing at once (the bitmap is freed afterwards).
  void CopyImage(HANDLE hBitmap, TW_IMAGEINFO& info) override;
  void OnScanAcquire();
  void OnScanSelect();
  void OnUpdateScanAcquire(CCmdUI* ui);
  void OnUpdateScanSelect(CCmdUI* ui);

  // The status-bar text of a world point in the settings' unit.
  static CString FormatCursor(double x, double y);

  void RequestRedraw(BOOL erase = TRUE) override;
  void CaptureMouse() override;
  void ReleaseMouse() override;
  BOOL HasMouseCapture() const override;
  void StartTimer(UINT_PTR id, UINT elapse) override;
  void StopTimer(UINT_PTR id) override;
  void SetViewCursor(UINT resource) override;
  BOOL IsShiftDown() const override;
  BOOL GetFitBox2D(int target, _tagBox2D& box) override;
  BOOL SetViewRange2D(const _tagBox2D& box) override;

 protected:
  BOOL GetSceneBox(_tagBox3D& box) override;
  BOOL GetSelectionBox(_tagBox3D& box) override;
  BOOL GetPageBox(_tagBox3D& box) override;

  int OnCreate(LPCREATESTRUCT lpcs);
  void OnDestroy();
  void OnSize(UINT type, int cx, int cy);
  void OnHScroll(UINT code, UINT pos, CWnd* bar);
  void OnVScroll(UINT code, UINT pos, CWnd* bar);
  // Scroll-bar panning shared by both bars (nBar SB_HORZ or SB_VERT).
  void ScrollPan(int nBar, UINT code, UINT thumb);
  void OnLButtonDown(UINT flags, CPoint pt);
  void OnLButtonUp(UINT flags, CPoint pt);
  void OnLButtonDblClk(UINT flags, CPoint pt);
  void OnMButtonDown(UINT flags, CPoint pt);
  void OnMButtonUp(UINT flags, CPoint pt);
  void OnRButtonDown(UINT flags, CPoint pt);
  void OnRButtonUp(UINT flags, CPoint pt);
  void OnMouseMove(UINT flags, CPoint pt);
  BOOL OnMouseWheel(UINT flags, short delta, CPoint pt);
  void OnKeyDown(UINT key, UINT repeat, UINT flags);
  void OnKeyUp(UINT key, UINT repeat, UINT flags);
  void OnChar(UINT ch, UINT repeat, UINT flags);
  LRESULT OnHubView(WPARAM, LPARAM);
  LRESULT OnHubKey(WPARAM, LPARAM);
  LRESULT OnUndoMsg(WPARAM, LPARAM);
  LRESULT OnRedoMsg(WPARAM, LPARAM);
  LRESULT OnUnitChanged(WPARAM, LPARAM);
  // Selection changed (0x40B), relief-layer page wanted (0x40E) or no longer (0x40F): passed
  // on to the design-centre panel.
  LRESULT OnSelChangeMsg(WPARAM, LPARAM);
  LRESULT OnRlfLayerAddMsg(WPARAM, LPARAM);
  LRESULT OnRlfLayerDelMsg(WPARAM, LPARAM);
  // Every id of the menu table, to the row's handlers.
  void OnMenuCommand(UINT id);
  void OnMenuUpdate(CCmdUI* ui, UINT id);
  // A guide line dropped from the horizontal (0x404) or vertical (0x405) ruler.
  LRESULT OnDropHorGuide(WPARAM, LPARAM);
  LRESULT OnDropVerGuide(WPARAM, LPARAM);
  LRESULT DropGuide(int orientation);
  void OnMButtonDblClk(UINT flags, CPoint pt);
  void OnRButtonDblClk(UINT flags, CPoint pt);
  BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);

  DECLARE_MESSAGE_MAP()

 private:
  // The world position of a client point (the screen point kept in it).
  BOOL ToWorld(CPoint pt, class Position& pos) const;
  COrdvale* Hub();
  // Points the GL camera of the plan view at what the view state shows.
  void PlanCameraFromView(COpenGLDC& dc) const;
  // Every command of the program, registered with the hub under its id (once per hub): the
  // application commands with the drawing shortcuts, then the main commands, the selection
  // tool made current.
  void RegisterCommands();
  void RegisterMainCommands();

  COrdvale* hub = nullptr;
  CVurode* vurode = nullptr;
  bool drawGL = false;
  KxPrintState m_print;
};
