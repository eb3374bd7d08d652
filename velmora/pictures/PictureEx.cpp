#include "velmora/pictures/PictureEx.h"

#include "platform/afx/PaintDC.h"
#include "platform/win/Resource.h"
#include "velmora/pictures/GifFile.h"

#include <algorithm>
#include <chrono>

IMPLEMENT_DYNAMIC(CPictureEx, CWnd)

BEGIN_MESSAGE_MAP(CPictureEx, CWnd)
ON_WM_PAINT()
ON_WM_TIMER()
ON_WM_DESTROY()
END_MESSAGE_MAP()

namespace {
constexpr COLORREF kButtonFace = RGB(240, 240, 240);
constexpr UINT_PTR kRefreshTimer = 1;
uint32_t Pixel(COLORREF c) { return (c & 0xFF) << 16 | (c & 0xFF00) | ((c >> 16) & 0xFF); }

// A decoded frame holds only its own rectangle: a decoder that gives the whole logical screen
// is cropped to it.
bool FitFrame(CPictureEx::Frame& f, int screenW, int screenH) {
  auto& p = f.picture;
  if (p.width == f.width && p.height == f.height) return true;
  if (p.width != screenW || p.height != screenH) return false;
  velmora::win::DecodedPicture crop;
  crop.width = std::max(0, std::min(f.width, screenW - f.left));
  crop.height = std::max(0, std::min(f.height, screenH - f.top));
  if (crop.width == 0 || crop.height == 0) return false;
  crop.argb.resize(static_cast<size_t>(crop.width) * crop.height);
  for (int r = 0; r < crop.height; ++r)
    std::copy_n(p.argb.begin() + static_cast<size_t>(f.top + r) * screenW + f.left, crop.width,
                crop.argb.begin() + static_cast<size_t>(r) * crop.width);
  p = std::move(crop);
  f.width = p.width;
  f.height = p.height;
  return true;
}
}  // namespace

CPictureEx::CPictureEx() = default;

CPictureEx::~CPictureEx() { Stop(); }

void CPictureEx::JoinThread() {
  if (m_thread.joinable()) m_thread.join();
}

void CPictureEx::Stop() {
  {
    std::lock_guard lock(m_stopMutex);
    m_bExitThread = true;
  }
  m_stopEvent.notify_all();
  // Joined, not waited for a moment: the thread may be drawing into the off-screen image.
  JoinThread();
  m_bExitThread = false;
}

void CPictureEx::UnLoad() {
  Stop();
  std::lock_guard lock(m_mutex);
  m_arrFrames.clear();
  m_screen.clear();
  m_saved.clear();
  m_hasSaved = false;
  m_shown.clear();
  m_PictureSize = CSize(0, 0);
  m_clrBackground = RGB(255, 255, 255);
  m_nCurrFrame = 0;
  m_single = false;
  m_loaded = false;
}

BOOL CPictureEx::Load(UINT nResId, LPCWSTR lpszType) {
  std::vector<BYTE> data;
  if (!lpszType || !velmora::win::LoadDataResource(nResId, lpszType, data)) {
    UnLoad();
    return FALSE;
  }
  return Load(data.data(), data.size());
}

BOOL CPictureEx::Load(const BYTE* data, size_t size) {
  UnLoad();
  m_bFirstFrame = true;
  if (!data || size == 0) return FALSE;
  std::vector<Frame> frames;
  COLORREF background = kButtonFace;
  int width = 0, height = 0;
  GifInfo gif;
  const bool isGif = GifHasSignature(data, size);
  if (isGif && !GifParse(data, size, gif)) return FALSE;
  if (isGif && gif.hasBackground) background = gif.background;
  if (!isGif || gif.frames.size() == 1) {
    Frame f;
    if (!velmora::win::DecodePicture(data, size, f.picture)) return FALSE;
    width = f.width = f.picture.width;
    height = f.height = f.picture.height;
    frames.push_back(std::move(f));
  } else {
    width = gif.width;
    height = gif.height;
    for (const GifFrameInfo& g : gif.frames) {
      Frame f;
      f.left = g.left;
      f.top = g.top;
      f.width = g.width;
      f.height = g.height;
      f.delay = g.delay;
      f.disposal = g.disposal;
      if (!velmora::win::DecodePicture(g.gif.data(), g.gif.size(), f.picture)) continue;
      if (FitFrame(f, width, height)) frames.push_back(std::move(f));
    }
    if (frames.empty()) return FALSE;
  }
  if (width <= 0 || height <= 0 || static_cast<int64_t>(width) * height > kGifMaxPixels) return FALSE;
  {
    std::lock_guard lock(m_mutex);
    m_arrFrames = std::move(frames);
    m_single = m_arrFrames.size() == 1;
    m_PictureSize = CSize(width, height);
    m_clrBackground = background;
    m_screen.assign(static_cast<size_t>(width) * height, Pixel(RGB(255, 255, 255)));
    m_loaded = true;
  }
  if (m_hWnd) {
    CRect r;
    GetWindowRect(&r);
    if (CWnd* parent = GetParent()) parent->ScreenToClient(&r);
    MoveWindow(r.left, r.top, width, height, TRUE);
  }
  return TRUE;
}

BOOL CPictureEx::Draw() {
  if (!m_loaded || m_bIsPlaying) return FALSE;
  if (m_single) {
    {
      std::lock_guard lock(m_mutex);
      RenderFrame(m_arrFrames[0]);
    }
    Changed();
    if (m_hWnd) Invalidate(FALSE);
    return TRUE;
  }
  JoinThread();  // a pass that ended by itself
  m_bExitThread = false;
  m_bIsPlaying = true;
  m_thread = std::thread(&CPictureEx::ThreadAnimation, this);
  if (m_hWnd) SetTimer(kRefreshTimer, 20);
  return FALSE;
}

void CPictureEx::ThreadAnimation() {
  const size_t count = m_arrFrames.size();
  bool first = true;
  for (;;) {
    const Frame& f = m_arrFrames[m_nCurrFrame];
    {
      std::lock_guard lock(m_mutex);
      if (first) {
        // Whatever the frame's disposal leaves behind is taken back before it is drawn again.
        if (f.disposal == 2) FillRect(f.left, f.top, f.width, f.height, m_clrBackground);
        if (f.disposal == 3) RestoreArea();
        first = false;
      }
      if (f.disposal == 3) SaveArea(f);
      RenderFrame(f);
    }
    Changed();
    if (m_bExitThread) break;
    int wait = 0;
    if (m_bFirstFrame)
      m_bFirstFrame = false;
    else
      wait = FrameWaitMs(f.delay);
    {
      std::lock_guard lock(m_mutex);
      m_shown.emplace_back(static_cast<int>(m_nCurrFrame), wait);
    }
    if (wait > 0) {
      std::unique_lock lock(m_stopMutex);
      m_stopEvent.wait_for(lock, std::chrono::milliseconds(wait), [this] { return m_bExitThread.load(); });
    }
    if (m_bExitThread) break;
    {
      std::lock_guard lock(m_mutex);
      if (f.disposal == 2) FillRect(f.left, f.top, f.width, f.height, m_clrBackground);
      if (f.disposal == 3) RestoreArea();
    }
    if (m_nCurrFrame == 0) {
      // A pass ends on frame 0; the next starts with frame 1.
      m_nCurrFrame = 1;
      break;
    }
    if (++m_nCurrFrame >= count) {
      m_nCurrFrame = 0;
      std::lock_guard lock(m_mutex);
      Clear(m_clrBackground);
    }
    Changed();
  }
  m_bIsPlaying = false;
  Changed();
}

void CPictureEx::RenderFrame(const Frame& f) {
  const auto& p = f.picture;
  const int w = m_PictureSize.cx, h = m_PictureSize.cy;
  for (int r = 0; r < p.height; ++r) {
    const int y = f.top + r;
    if (y < 0 || y >= h) continue;
    for (int c = 0; c < p.width; ++c) {
      const int x = f.left + c;
      if (x < 0 || x >= w) continue;
      const uint32_t px = p.argb[static_cast<size_t>(r) * p.width + c];
      if ((px >> 24) == 0) continue;  // transparent: what is underneath stays
      m_screen[static_cast<size_t>(y) * w + x] = px & 0xFFFFFF;
    }
  }
}

void CPictureEx::FillRect(int left, int top, int width, int height, COLORREF color) {
  const int w = m_PictureSize.cx, h = m_PictureSize.cy;
  for (int y = std::max(0, top); y < std::min(h, top + height); ++y)
    for (int x = std::max(0, left); x < std::min(w, left + width); ++x)
      m_screen[static_cast<size_t>(y) * w + x] = Pixel(color);
}

void CPictureEx::SaveArea(const Frame& f) {
  const int w = m_PictureSize.cx, h = m_PictureSize.cy;
  m_savedRect.SetRect(std::max(0, f.left), std::max(0, f.top), std::min(w, f.left + f.width),
                      std::min(h, f.top + f.height));
  m_saved.clear();
  for (int y = m_savedRect.top; y < m_savedRect.bottom; ++y)
    for (int x = m_savedRect.left; x < m_savedRect.right; ++x) m_saved.push_back(m_screen[static_cast<size_t>(y) * w + x]);
  m_hasSaved = true;
}

void CPictureEx::RestoreArea() {
  if (!m_hasSaved) return;
  const int w = m_PictureSize.cx;
  size_t i = 0;
  for (int y = m_savedRect.top; y < m_savedRect.bottom; ++y)
    for (int x = m_savedRect.left; x < m_savedRect.right; ++x) m_screen[static_cast<size_t>(y) * w + x] = m_saved[i++];
  m_saved.clear();
  m_hasSaved = false;
}

void CPictureEx::Clear(COLORREF color) { std::fill(m_screen.begin(), m_screen.end(), Pixel(color)); }

void CPictureEx::Changed() { ++m_changes; }

std::vector<uint32_t> CPictureEx::GetImage() const {
  std::lock_guard lock(m_mutex);
  return m_screen;
}

std::vector<std::pair<int, int>> CPictureEx::GetShownFrames() const {
  std::lock_guard lock(m_mutex);
  return m_shown;
}

void CPictureEx::OnPaint() {
  CPaintDC dc(this);
  std::vector<uint32_t> image = GetImage();
  if (image.empty()) return;
  for (uint32_t& p : image) p |= 0xFF000000u;
  dc.DrawImage(0, 0, m_PictureSize.cx, m_PictureSize.cy, image.data());
}

void CPictureEx::OnTimer(UINT_PTR id) {
  if (id != kRefreshTimer) return;
  const unsigned now = m_changes.load();
  if (now != m_painted) {
    m_painted = now;
    Invalidate(FALSE);
  }
  if (!m_bIsPlaying) KillTimer(kRefreshTimer);
}

void CPictureEx::OnDestroy() {
  Stop();
  CWnd::OnDestroy();
}
