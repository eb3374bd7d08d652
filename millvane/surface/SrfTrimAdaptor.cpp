#include "millvane/surface/SrfTrimAdaptor.h"

// No surface editors exist yet, so nothing can be taken in, cut or handed out.

CEdInterCurve* CSrfTrimAdaptor::AddInterCurve(_intcur*, CEdTrimSurf*, CEdTrimSurf*) {
  return nullptr;
}

int CSrfTrimAdaptor::Trim(int) { return 0; }

int CSrfTrimAdaptor::GetSurfaceResult(CGeTrimSurf*, CGeTrimSurfList*) { return 0; }

int CSrfTrimAdaptor::AddSurface(CGeTrimSurf*, bool) { return 0; }

CEdTrimSurf* CSrfTrimAdaptor::FindEditor(CGeTrimSurf*) { return nullptr; }
