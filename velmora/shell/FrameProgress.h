// The main frame's progress display: the sink that long operations report into, from any
// thread. It only records; the frame shows the record on its own thread at each tick of its
// progress timer (Show), so a worker never touches a window. The program may add a display of
// its own (a progress bar with a Cancel button) that Show keeps in step with the record.
#pragma once

#include "platform/panlet/Progress.h"

#include <mutex>
#include <string>

class CFrameProgress : public CProgressSink {
 public:
  struct State {
    bool shown = false;
    double pos = 0.0;
    std::wstring caption;
  };
  void OnShow(const std::wstring& caption, int flags) override;
  void OnPos(double pos) override;
  void OnHide() override;
  State Get() const;

  // The display the running program shows progress on (not owned; null: none). GUI thread.
  static void SetDisplay(CProgressSink* display);
  static CProgressSink* GetDisplay();
  // Brings the display up to the record; GUI thread. Returns the record.
  State Show();

 private:
  mutable std::mutex m_lock;
  State m_state;
  State m_shown;  // what the display shows now
};

// The frame's progress thread: from start to end, long work anywhere reports into `progress`
// (installed as the progress sink) and the frame shows it; the end puts the previous sink back
// and closes the display.
void gStartThreadProg(CFrameProgress* progress);
void gEndThreadProg();
