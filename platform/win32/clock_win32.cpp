// Wall clock and local time over the C runtime's 64-bit time functions.
#include <windows.h>

#include <ctime>

#include "platform/clock.h"
#include "platform/win32/systemtime_win32.h"

namespace platform {

std::int64_t NowSeconds() { return static_cast<std::int64_t>(::_time64(nullptr)); }

std::uint64_t MonotonicMs() { return static_cast<std::uint64_t>(::GetTickCount64()); }

bool ToLocalTime(std::int64_t t, LocalTime& out) {
  const __time64_t value = static_cast<__time64_t>(t);
  const tm* parts = ::_localtime64(&value);
  if (!parts) return false;
  out.Year = parts->tm_year + 1900;
  out.Month = parts->tm_mon + 1;
  out.Day = parts->tm_mday;
  out.Hour = parts->tm_hour;
  out.Minute = parts->tm_min;
  out.Second = parts->tm_sec;
  out.Millisecond = 0;
  out.WeekDay = parts->tm_wday;
  return true;
}

std::int64_t FromLocalTime(const LocalTime& local) {
  tm parts{};
  parts.tm_year = local.Year - 1900;
  parts.tm_mon = local.Month - 1;
  parts.tm_mday = local.Day;
  parts.tm_hour = local.Hour;
  parts.tm_min = local.Minute;
  parts.tm_sec = local.Second;
  parts.tm_isdst = 0;
  return static_cast<std::int64_t>(::_mktime64(&parts));
}

LocalTime CurrentLocalTime() {
  SYSTEMTIME st;
  ::GetLocalTime(&st);
  return FromSystemTime(st);
}

}  // namespace platform
