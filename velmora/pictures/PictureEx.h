// CPictureEx: a picture control that plays GIF animations on a thread of its own, frame by
// frame with the GIF's delays and disposal methods, and shows any other picture as it is. The
// thread draws into an off-screen image only; the control's window thread copies that image when
// it paints, and a short timer invalidates the control while frames change.
#pragma once

#include "platform/afx/Wnd.h"
#include "platform/win/Picture.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CPictureEx : public CWnd {
  DECLARE_DYNAMIC(CPictureEx)

 public:
  struct Frame {
    velmora::win::DecodedPicture picture;
    int left = 0, top = 0, width = 0, height = 0;
    int delay = -1;  // hundredths; -1 without a graphic-control extension
    int disposal = 0;
  };

  CPictureEx();
  // Stops the thread before anything it uses goes.
  ~CPictureEx() override;

  // The resource of that number and type from the program's resources; FALSE when it is missing
  // or cannot be read (the control is left empty).
  BOOL Load(UINT nResId, LPCWSTR lpszType);
  BOOL Load(const BYTE* data, size_t size);
  // Shows the picture: an animation starts its thread (FALSE); a single picture is drawn at once
  // (TRUE). FALSE before anything is loaded, and while an animation plays.
  BOOL Draw();
  // Ends the animation: the thread is told to stop, cut short in any delay, and joined.
  void Stop();
  BOOL IsPlaying() const { return m_bIsPlaying.load(); }
  // Releases everything loaded.
  void UnLoad();

  CSize GetSize() const { return CSize(m_PictureSize.cx, m_PictureSize.cy); }
  size_t GetFrameCount() const { return m_arrFrames.size(); }
  const Frame& GetFrame(size_t i) const { return m_arrFrames[i]; }
  COLORREF GetBkColor() const { return m_clrBackground; }
  // The control's current image (0x00RRGGBB per pixel, rows top down).
  std::vector<uint32_t> GetImage() const;
  // Frames shown since the load with the wait that followed each (ms, 0 for none), in order.
  std::vector<std::pair<int, int>> GetShownFrames() const;

  // How long a frame stays: its delay in hundredths, or 100 ms for delays of 4 and less.
  static int FrameWaitMs(int delay) { return delay > 4 ? delay * 10 : 100; }

 protected:
  void OnPaint();
  void OnTimer(UINT_PTR id);
  void OnDestroy();
  DECLARE_MESSAGE_MAP()

 private:
  void ThreadAnimation();
  // Paints a frame's picture into the off-screen image (clipped to it).
  void RenderFrame(const Frame& f);
  void FillRect(int left, int top, int width, int height, COLORREF color);
  void SaveArea(const Frame& f);
  void RestoreArea();
  void Clear(COLORREF color);
  void Changed();
  void JoinThread();

  CSize m_PictureSize;
  COLORREF m_clrBackground = RGB(255, 255, 255);
  std::vector<uint32_t> m_screen;  // the off-screen image
  std::vector<uint32_t> m_saved;   // area under a restore-to-previous frame
  CRect m_savedRect;
  bool m_hasSaved = false;
  std::vector<Frame> m_arrFrames;
  size_t m_nCurrFrame = 0;
  bool m_single = false;
  bool m_loaded = false;

  std::thread m_thread;
  mutable std::mutex m_mutex;           // the images and the shown-frame log
  std::mutex m_stopMutex;
  std::condition_variable m_stopEvent;  // cuts a frame's delay short
  std::atomic<bool> m_bExitThread{false};
  std::atomic<bool> m_bIsPlaying{false};
  std::atomic<bool> m_bFirstFrame{false};
  std::atomic<unsigned> m_changes{0};
  unsigned m_painted = 0;
  std::vector<std::pair<int, int>> m_shown;
};
