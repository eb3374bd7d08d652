#include "platform/panlet/Progress.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>

namespace {

// Process-wide display state. The cancel request and the poll counter are atomics because the
// operator's window runs on another thread than the polling loop.
struct ProgressState {
  std::mutex mutex;
  int depth = 0;            // open CQProgress objects
  bool threadShown = false; // gShowThreadProg without its gHideThreadProg yet
  double pos = 0.0;
  CProgressLog log;
  CProgressSink* sink = nullptr;  // null: the log
  std::atomic<bool> cancel{false};
  std::atomic<int> polls{0};
  std::atomic<int> cancelAt{0};   // 0: hook disarmed

  CProgressSink& Sink() { return sink ? *sink : log; }
  bool Visible() const { return depth > 0 || threadShown; }

  // Called with the mutex held, before the state change that may open the display.
  void OpenIfHidden(const std::wstring& caption, int flags) {
    if (Visible()) return;
    pos = 0.0;
    // A request left over from an earlier display must not stop the new operation.
    cancel.store(false);
    Sink().OnShow(caption, flags);
  }
  void CloseIfHidden() {
    if (Visible()) return;
    // The request belonged to the display just closed; loops that poll without a display of
    // their own must not inherit it.
    cancel.store(false);
    Sink().OnHide();
  }
};

ProgressState& State() {
  static ProgressState s;
  return s;
}

}  // namespace

void CProgressLog::Add(ProgressEvent e) {
  std::lock_guard lock(m_lock);
  if (m_events.size() >= kCapacity)
    m_events.erase(m_events.begin(), m_events.begin() + kCapacity / 2);
  m_events.push_back(std::move(e));
}

void CProgressLog::OnShow(const std::wstring& caption, int flags) {
  Add({ProgressEvent::Show, 0.0, caption, flags});
}

void CProgressLog::OnPos(double pos) { Add({ProgressEvent::Pos, pos, {}, 0}); }

void CProgressLog::OnHide() { Add({ProgressEvent::Hide, 0.0, {}, 0}); }

std::vector<ProgressEvent> CProgressLog::Events() const {
  std::lock_guard lock(m_lock);
  return m_events;
}

void CProgressLog::Clear() {
  std::lock_guard lock(m_lock);
  m_events.clear();
}

CQProgress::CQProgress() {
  ProgressState& s = State();
  std::lock_guard lock(s.mutex);
  s.OpenIfHidden(std::wstring(), 0);
  ++s.depth;
}

CQProgress::~CQProgress() {
  ProgressState& s = State();
  std::lock_guard lock(s.mutex);
  // A reset while this object was open already closed the display.
  if (s.depth == 0) return;
  --s.depth;
  s.CloseIfHidden();
}

void CQProgress::SetRange(double share) {
  if (!std::isfinite(share)) return;
  ProgressState& s = State();
  std::lock_guard lock(s.mutex);
  s.pos = std::clamp(s.pos + share, 0.0, 1.0);
  if (s.Visible()) s.Sink().OnPos(s.pos);
}

bool gIsProgressCancel() {
  ProgressState& s = State();
  // Compared before counting on, so a run long enough to wrap the counter stays defined.
  const int before = s.polls.fetch_add(1);
  const int at = s.cancelAt.load();
  // One request, as from the operator's button: it lasts as long as the display.
  if (at > 0 && before == at - 1) s.cancel.store(true);
  return s.cancel.load();
}

void gCancelProgress() { State().cancel.store(true); }

void gShowThreadProg(const wchar_t* caption, int flags) {
  ProgressState& s = State();
  std::lock_guard lock(s.mutex);
  if (s.threadShown) return;
  s.OpenIfHidden(caption ? std::wstring(caption) : std::wstring(), flags);
  s.threadShown = true;
}

void gHideThreadProg() {
  ProgressState& s = State();
  std::lock_guard lock(s.mutex);
  if (!s.threadShown) return;
  s.threadShown = false;
  s.CloseIfHidden();
}

CProgressSink* gSetProgressSink(CProgressSink* sink) {
  ProgressState& s = State();
  std::lock_guard lock(s.mutex);
  CProgressSink* prev = s.sink ? s.sink : &s.log;
  s.sink = (sink == &s.log) ? nullptr : sink;
  return prev;
}

CProgressLog& gGetProgressLog() { return State().log; }

double gGetProgressPos() {
  ProgressState& s = State();
  std::lock_guard lock(s.mutex);
  return s.pos;
}

bool gIsProgressShown() {
  ProgressState& s = State();
  std::lock_guard lock(s.mutex);
  return s.Visible();
}

void gSetProgressCancelAfter(int polls) {
  ProgressState& s = State();
  s.polls.store(0);
  s.cancelAt.store(polls > 0 ? polls : 0);
}

int gGetProgressPollCount() { return State().polls.load(); }

void gResetProgress() {
  ProgressState& s = State();
  std::lock_guard lock(s.mutex);
  s.depth = 0;
  s.threadShown = false;
  s.pos = 0.0;
  s.sink = nullptr;
  s.log.Clear();
  s.cancel.store(false);
  s.polls.store(0);
  s.cancelAt.store(0);
}
