// Progress display and cancellation for long operations. Kernel loops open a CQProgress,
// advance it by shares of the whole and poll gIsProgressCancel between steps. What the display
// shows goes to a sink: the program installs its window; without one, a built-in log keeps the
// events so that tests and headless runs can read them.
#pragma once

#include <mutex>
#include <string>
#include <vector>

// One display event as a sink sees it.
struct ProgressEvent {
  enum Kind { Show, Pos, Hide };
  Kind kind;
  double pos;           // progress in [0, 1] (Pos; 0 for Show/Hide)
  std::wstring caption; // Show only
  int flags;            // Show only: the second argument of gShowThreadProg
};

class CProgressSink {
 public:
  virtual ~CProgressSink() = default;
  // The display opens (from hidden) with a caption (empty for a plain CQProgress).
  virtual void OnShow(const std::wstring& caption, int flags) = 0;
  // The position changed; pos is the accumulated share in [0, 1].
  virtual void OnPos(double pos) = 0;
  virtual void OnHide() = 0;
};

// The built-in sink: a bounded event log (the oldest half is dropped when full, so a long
// headless run cannot grow it without limit). It may be read on one thread while a worker
// reports into it.
class CProgressLog : public CProgressSink {
 public:
  static constexpr size_t kCapacity = 8192;
  void OnShow(const std::wstring& caption, int flags) override;
  void OnPos(double pos) override;
  void OnHide() override;
  std::vector<ProgressEvent> Events() const;
  void Clear();

 private:
  void Add(ProgressEvent e);
  mutable std::mutex m_lock;
  std::vector<ProgressEvent> m_events;
};

// Opens the progress display for its lifetime; nested objects share the open display, and
// only the outermost one closes it. The display is one per process: objects on several threads
// share it too. Sinks are called on the reporting thread with the display locked, so a sink must
// not call back into these functions.
class CQProgress {
 public:
  CQProgress();
  ~CQProgress();
  CQProgress(const CQProgress&) = delete;
  CQProgress& operator=(const CQProgress&) = delete;
  // Advances the display by `share` of the whole; the position is kept within [0, 1] and a
  // share that is not a finite number is ignored.
  void SetRange(double share);
};

// True once a cancel was requested for the display now open; opening and closing the display
// clear the request. Each call counts as a poll. Any thread may poll and cancel.
bool gIsProgressCancel();
// The operator's cancel request (from the display's button or another thread).
void gCancelProgress();

// Threaded progress window: shown with a caption until gHideThreadProg. A CQProgress opened
// meanwhile reports into the same display.
void gShowThreadProg(const wchar_t* caption, int flags);
void gHideThreadProg();

// Installs the display's sink (null: the built-in log); returns the previous sink. The sink is
// not owned.
CProgressSink* gSetProgressSink(CProgressSink* sink);
CProgressLog& gGetProgressLog();

// Current state, for the program's status display and for tests.
double gGetProgressPos();
bool gIsProgressShown();

// Test hook: the `polls`-th poll of gIsProgressCancel from now (1 = the next one) requests a
// cancel, as if the operator pressed the button just before it (once: the request then lasts
// until the display closes); polls <= 0 disarms the hook.
void gSetProgressCancelAfter(int polls);
// Number of polls since the hook was last set (or since the last reset).
int gGetProgressPollCount();

// Back to the start-up state: hidden, nothing requested, hook disarmed, log cleared, built-in
// sink installed. For test fixtures.
void gResetProgress();
