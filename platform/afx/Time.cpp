#include "platform/afx/Time.h"

#include <ctime>

CTime CTime::GetCurrentTime() { return CTime(static_cast<__time64_t>(std::time(nullptr))); }
