// Local time conversions used by the log stamp and the desk's date pickers.
#include "platform/clock.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Clock, LocalTimeRoundTripsKnowsTheWeekDayAndRefusesDatesBefore1970) {
  platform::LocalTime in;
  in.Year = 2009, in.Month = 3, in.Day = 1, in.Hour = 14, in.Minute = 5, in.Second = 9;
  const std::int64_t t = platform::FromLocalTime(in);
  ASSERT_GT(t, 0);
  platform::LocalTime out;
  ASSERT_TRUE(platform::ToLocalTime(t, out));
  EXPECT_EQ(std::vector<int>({out.Year, out.Month, out.Day, out.Hour, out.Minute, out.Second, out.WeekDay}),
            std::vector<int>({2009, 3, 1, 14, 5, 9, 0}));  // a Sunday
  in.Year = 1950;
  EXPECT_EQ(platform::FromLocalTime(in), -1);
}

TEST(Clock, MonotonicClockDoesNotGoBack) {
  const auto a = platform::MonotonicMs();
  EXPECT_LE(a, platform::MonotonicMs());
  EXPECT_GT(platform::NowSeconds(), 1700000000);
}

}  // namespace
