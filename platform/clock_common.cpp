// The local-time conversions that are the same on every system, built on
// each system's calendar conversions.
#include "platform/clock.h"
#include "platform/clock_system.h"

namespace platform {

bool ToLocalTime(std::int64_t t, LocalTime& out) {
  std::tm parts{};
  if (!SystemLocalTime(t, parts)) return false;
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
  std::tm parts{};
  parts.tm_year = local.Year - 1900;
  parts.tm_mon = local.Month - 1;
  parts.tm_mday = local.Day;
  parts.tm_hour = local.Hour;
  parts.tm_min = local.Minute;
  parts.tm_sec = local.Second;
  parts.tm_isdst = 0;
  return SystemMakeTime(parts);
}

}  // namespace platform
