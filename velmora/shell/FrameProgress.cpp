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
