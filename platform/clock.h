// Wall clock, local calendar time and a monotonic clock for time limits.
#pragma once

#include <cstdint>

namespace platform {

// Seconds since 1970-01-01 00:00:00 UTC.
std::int64_t NowSeconds();

// Milliseconds from an arbitrary start; never goes back.
std::uint64_t MonotonicMs();

struct LocalTime {
  int Year = 1970;  // four digits
  int Month = 1;    // 1 to 12
  int Day = 1;      // 1 to 31
  int Hour = 0;     // 0 to 23
  int Minute = 0;
  int Second = 0;
  int Millisecond = 0;
  int WeekDay = 0;  // 0 Sunday to 6 Saturday
};

// Local time of `t`; false when the system cannot convert it.
bool ToLocalTime(std::int64_t t, LocalTime& out);

// Seconds since 1970 of a local time read with daylight saving off;
// -1 when it cannot be converted. Millisecond and WeekDay are ignored.
std::int64_t FromLocalTime(const LocalTime& local);

// The local time now, to the millisecond.
LocalTime CurrentLocalTime();

}  // namespace platform
