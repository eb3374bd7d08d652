// CTime: a point in time as 64-bit seconds since 1970 (UTC).
#pragma once

#include "platform/win/WinTypes.h"

#include <compare>

using __time64_t = int64_t;

class CTime {
 public:
  constexpr CTime() = default;
  constexpr explicit CTime(__time64_t t) : m_time(t) {}

  static CTime GetCurrentTime();
  constexpr __time64_t GetTime() const { return m_time; }

  friend constexpr bool operator==(CTime a, CTime b) = default;
  friend constexpr auto operator<=>(CTime a, CTime b) = default;

 private:
  __time64_t m_time = 0;
};
