// Wall clock and local time over the C runtime's 64-bit time functions.
#include <windows.h>

#include <ctime>

#include "platform/clock.h"
#include "platform/clock_system.h"
#include "platform/win32/systemtime_win32.h"

namespace platform {

std::int64_t NowSeconds() { return static_cast<std::int64_t>(::_time64(nullptr)); }

std::uint64_t MonotonicMs() { return static_cast<std::uint64_t>(::GetTickCount64()); }

bool SystemLocalTime(std::int64_t t, std::tm& parts) {
  const __time64_t value = static_cast<__time64_t>(t);
  const std::tm* converted = ::_localtime64(&value);
  if (!converted) return false;
  parts = *converted;
  return true;
}

std::int64_t SystemMakeTime(std::tm& parts) { return static_cast<std::int64_t>(::_mktime64(&parts)); }

LocalTime CurrentLocalTime() {
  SYSTEMTIME st;
  ::GetLocalTime(&st);
  return FromSystemTime(st);
}

}  // namespace platform
