// Inside the platform layer only: the two calendar conversions each system
// supplies, on which the shared local-time code is built.
#pragma once

#include <cstdint>
#include <ctime>

namespace platform {

// The local calendar time of `t`; false when the system cannot convert it.
bool SystemLocalTime(std::int64_t t, std::tm& parts);
// Seconds since 1970 of a local calendar time; -1 when it cannot be converted
// or lies before 1970.
std::int64_t SystemMakeTime(std::tm& parts);

}  // namespace platform
