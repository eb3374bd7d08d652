// Documents, views, frames and document templates: the frame routes commands to its active
// view, the view to its document, and what remains to the application.
#pragma once

#include "platform/afx/Wnd.h"

#include <vector>

class CArchive;
class CDC;
class CView;

class CDocument : public CCmdTarget {
  DECLARE_DYNAMIC(CDocument)

 public:
  ~CDocument() override;

  virtual BOOL IsModified() { return m_bModified; }
  virtual void SetModifiedFlag(BOOL bModified = TRUE) { m_bModified = bModified; }

  void AddView(CView* pView);
  void RemoveView(CView* pView);
  const std::vector<CView*>& GetViews() const { return m_views; }

 protected:
  CDocument() = default;
  BOOL m_bModified = FALSE;

 private:
  std::vector<CView*> m_views;
};

class CView : public CWnd {
  DECLARE_DYNAMIC(CView)

 public:
  ~CView() override;

  CDocument* GetDocument() const { return m_pDocument; }
  virtual void OnDraw(CDC* pDC) = 0;
  // Own map first, then the document's.
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

 protected:
  CView() = default;
  // Views live on the heap and go with their windows.
  void PostNcDestroy() override { delete this; }

  CDocument* m_pDocument = nullptr;
  friend class CDocument;
};

class CFrameWnd : public CWnd {
  DECLARE_DYNAMIC(CFrameWnd)

 public:
  CFrameWnd() = default;
  ~CFrameWnd() override;

  CView* GetActiveView() const { return m_pViewActive; }
  void SetActiveView(CView* pViewNew) { m_pViewActive = pViewNew; }
  CDocument* GetActiveDocument() const { return m_pViewActive ? m_pViewActive->GetDocument() : nullptr; }

  // Active view (and through it the document), the frame itself, then the application.
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

  HACCEL m_hAccelTable = nullptr;  // owned by the frame

 protected:
  // Builds the client area; the frame's creation fails when this does.
  virtual BOOL OnCreateClient(LPCREATESTRUCT lpcs, void* pContext);
  int OnCreate(LPCREATESTRUCT lpCreateStruct);
  void OnDestroy();
  // Frames live on the heap and go with their windows.
  void PostNcDestroy() override { delete this; }

  DECLARE_MESSAGE_MAP()

 private:
  CView* m_pViewActive = nullptr;
};

class CDocTemplate : public CCmdTarget {
  DECLARE_DYNAMIC(CDocTemplate)

 public:
  CDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass, CRuntimeClass* pViewClass)
      : m_nIDResource(nIDResource), m_pDocClass(pDocClass), m_pFrameClass(pFrameClass), m_pViewClass(pViewClass) {}

  UINT m_nIDResource;
  CRuntimeClass* m_pDocClass;
  CRuntimeClass* m_pFrameClass;
  CRuntimeClass* m_pViewClass;
};

class CSingleDocTemplate : public CDocTemplate {
  DECLARE_DYNAMIC(CSingleDocTemplate)

 public:
  using CDocTemplate::CDocTemplate;
};
