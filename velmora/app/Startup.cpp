#include "velmora/app/Startup.h"

#include <cstdlib>

namespace velmora::app {

bool DisplayAvailable() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || (platform && *platform);
}

CProgramSession::CProgramSession() { m_previous = velmora::win::SetWindowBackend(&m_backend); }

CProgramSession::~CProgramSession() { velmora::win::SetWindowBackend(m_previous); }

}  // namespace velmora::app
