#include "velmora/shell/FrameProgress.h"

void CFrameProgress::OnShow(const std::wstring& caption, int) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_state = State{true, 0.0, caption};
}

void CFrameProgress::OnPos(double pos) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_state.pos = pos;
}

void CFrameProgress::OnHide() {
  std::lock_guard<std::mutex> hold(m_lock);
  m_state = State{};
}

CFrameProgress::State CFrameProgress::Get() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_state;
}

namespace {
CProgressSink* g_display = nullptr;
CFrameProgress* g_running = nullptr;
CProgressSink* g_previous = nullptr;
}  // namespace

void CFrameProgress::SetDisplay(CProgressSink* display) { g_display = display; }
CProgressSink* CFrameProgress::GetDisplay() { return g_display; }

CFrameProgress::State CFrameProgress::Show() {
  const State now = Get();
  if (g_display) {
    if (now.shown && (!m_shown.shown || now.caption != m_shown.caption)) g_display->OnShow(now.caption, 0);
    if (now.shown && (!m_shown.shown || now.pos != m_shown.pos)) g_display->OnPos(now.pos);
    if (!now.shown && m_shown.shown) g_display->OnHide();
  }
  m_shown = g_display ? now : State{};
  return now;
}

void gStartThreadProg(CFrameProgress* progress) {
  if (!progress || g_running) return;
  g_running = progress;
  g_previous = gSetProgressSink(progress);
}

void gEndThreadProg() {
  if (!g_running) return;
  gSetProgressSink(g_previous);
  if (g_display && g_running->Get().shown) g_display->OnHide();
  g_running = nullptr;
  g_previous = nullptr;
}
