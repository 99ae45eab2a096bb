// Wall clock and local time over the C library.
#include "platform/clock.h"

#include <sys/time.h>
#include <time.h>

namespace platform {

std::int64_t NowSeconds() { return static_cast<std::int64_t>(::time(nullptr)); }

std::uint64_t MonotonicMs() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::uint64_t>(ts.tv_sec) * 1000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
}

bool ToLocalTime(std::int64_t t, LocalTime& out) {
  const time_t value = static_cast<time_t>(t);
  if (static_cast<std::int64_t>(value) != t) return false;
  tm parts{};
  if (!::localtime_r(&value, &parts)) return false;
  out.Year = parts.tm_year + 1900;
  out.Month = parts.tm_mon + 1;
  out.Day = parts.tm_mday;
  out.Hour = parts.tm_hour;
  out.Minute = parts.tm_min;
  out.Second = parts.tm_sec;
  out.Millisecond = 0;
  out.WeekDay = parts.tm_wday;
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
  const time_t value = ::mktime(&parts);
  // Like the Windows conversion, refuse times before 1970.
  if (value < 0) return -1;
  return static_cast<std::int64_t>(value);
}

LocalTime CurrentLocalTime() {
  timeval now{};
  ::gettimeofday(&now, nullptr);
  LocalTime local;
  ToLocalTime(static_cast<std::int64_t>(now.tv_sec), local);
  local.Millisecond = static_cast<int>(now.tv_usec / 1000);
  return local;
}

}  // namespace platform
