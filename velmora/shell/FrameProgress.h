// The main frame's progress display: the sink that long operations report into, from any
// thread. It only records; the frame shows the record on its own thread at each tick of its
// progress timer, so a worker never touches a window.
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

 private:
  mutable std::mutex m_lock;
  State m_state;
};
