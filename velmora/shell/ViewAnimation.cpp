#include "velmora/shell/ViewAnimation.h"

#include "platform/vurode/Accessors.h"
#include "platform/vurode/KXGlobal.h"
#include "platform/vurode/OpenGLDC.h"
#include "velmora/ordvale/GLView.h"
#include "velmora/ordvale/Ordvale.h"

BOOL CStdViewAnimation::Begin(CGLView* view, COpenGLDC* dc, int viewType) {
  if (!view || !dc) return FALSE;
  const GCamera before = dc->GetCamera();
  dc->PushViewPara();
  if (!view->OnViewType(viewType)) {
    dc->PopViewPara();
    dc->SetCamera(before);
    return FALSE;
  }
  m_end = dc->GetCamera();
  m_start = before;
  m_nStep = -1;
  return TRUE;
}

BOOL CStdViewAnimation::Tick(CGLView* view, COpenGLDC* dc) {
  if (!dc) {
    m_nStep = 0;
    return FALSE;
  }
  const CKXGlobal* settings = gGetKXGlobal();
  const COrdvale* hub = gGetOrdvale();
  m_nStep = m_nStep < 0 ? 1 : m_nStep + 1;
  if (!settings || !settings->IsAnimateView() || (hub && hub->m_nStopAnimate) || m_nStep >= kSteps) m_nStep = kSteps;
  dc->SetCamera(COpenGLDC::LerpView(m_start, m_end, static_cast<float>(double(m_nStep) / kSteps)));
  if (view) view->RequestRedraw(TRUE);
  if (m_nStep < kSteps) return TRUE;
  m_nStep = 0;
  return FALSE;
}
