// Wall clock and local time over the C library.
#include <sys/time.h>
#include <time.h>

#include "platform/clock.h"
#include "platform/clock_system.h"

namespace platform {

std::int64_t NowSeconds() { return static_cast<std::int64_t>(::time(nullptr)); }

std::uint64_t MonotonicMs() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::uint64_t>(ts.tv_sec) * 1000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
}

bool SystemLocalTime(std::int64_t t, std::tm& parts) {
  const time_t value = static_cast<time_t>(t);
  return static_cast<std::int64_t>(value) == t && ::localtime_r(&value, &parts) != nullptr;
}

std::int64_t SystemMakeTime(std::tm& parts) {
  const time_t value = ::mktime(&parts);
  // Like the Windows conversion, refuse times before 1970.
  return value < 0 ? -1 : static_cast<std::int64_t>(value);
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
