// The platform layer: code page 1251 <-> UTF-8 (under Wine the tests run with
// a Russian locale, so the ANSI code page is 1251 there too), local time, and
// threads, events and locks with their bounded waits.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/sync.h"

namespace {

TEST(CodePage, LettersAndSignsConvertBothWaysAndWhatTheCodePageLacksBecomesAQuestionMark) {
  // "Тверская" (two bytes each in UTF-8); "№", "…" and "€" (three bytes each); a zero byte inside.
  const std::pair<std::string, std::string> cases[] = {
      {"\xD2\xE2\xE5\xF0\xF1\xEA\xE0\xFF", "\xD0\xA2\xD0\xB2\xD0\xB5\xD1\x80\xD1\x81\xD0\xBA\xD0\xB0\xD1\x8F"},
      {"\xB9\x85\x88", "\xE2\x84\x96\xE2\x80\xA6\xE2\x82\xAC"},
      {"", ""},
      {std::string("a\0b", 3), std::string("a\0b", 3)}};
  for (const auto& [ansi, utf8] : cases) {
    EXPECT_EQ(platform::Utf8FromAnsi(ansi), utf8);
    EXPECT_EQ(platform::AnsiFromUtf8(utf8), ansi);
  }
  EXPECT_EQ(platform::Utf8FromAnsi(std::string(1000, '\xB9')).size(), 3000u);
  // Every byte but the unassigned 0x98 comes back as it went.
  for (int b = 1; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    if (b == 0x98) continue;
    EXPECT_EQ(platform::AnsiFromUtf8(platform::Utf8FromAnsi(one)), one) << "byte " << b;
  }
  EXPECT_EQ(platform::AnsiFromUtf8("\xE4\xB8\xAD"), "?");  // a Chinese character
  EXPECT_EQ(platform::AnsiFromUtf8("a\xFF\x62"), "a?b");   // not UTF-8 at all
}

TEST(Clock, LocalTimeRoundTripsKnowsTheWeekDayAndRefusesDatesBefore1970) {
  platform::LocalTime in, out;
  in.Year = 2009, in.Month = 3, in.Day = 1, in.Hour = 14, in.Minute = 5, in.Second = 9;
  ASSERT_TRUE(platform::ToLocalTime(platform::FromLocalTime(in), out));
  EXPECT_EQ(std::vector<int>({out.Year, out.Month, out.Day, out.Hour, out.Minute, out.Second, out.WeekDay}),
            std::vector<int>({2009, 3, 1, 14, 5, 9, 0}));  // a Sunday
  in.Year = 1950;
  EXPECT_EQ(platform::FromLocalTime(in), -1);
  const auto before = platform::MonotonicMs();
  EXPECT_LE(before, platform::MonotonicMs());
  EXPECT_GT(platform::NowSeconds(), 1700000000);
}

TEST(Thread, BoundedWaitTimesOutWhileRunningAndSucceedsAfterTheEnd) {
  platform::Event release;
  std::atomic<platform::ThreadId> worker{0};
  platform::Thread thread;
  ASSERT_TRUE(thread.Start([&] {
    worker = platform::CurrentThreadId();
    release.Wait(10000);
  }));
  EXPECT_TRUE(thread.Joinable());
  EXPECT_FALSE(thread.WaitFor(50));
  release.Set();
  EXPECT_TRUE(thread.WaitFor(10000));
  EXPECT_FALSE(thread.Joinable());
  EXPECT_NE(worker.load(), 0u);
  EXPECT_NE(worker.load(), platform::CurrentThreadId());
}

TEST(Event, SetBeforeWaitIsKeptOnceAndWaitTimesOut) {
  platform::Event event;
  EXPECT_FALSE(event.Wait(10));
  event.Set();
  EXPECT_TRUE(event.Wait(0));
  EXPECT_FALSE(event.Wait(10));
}

TEST(Mutex, TwoThreadsCountWithoutLosingUpdates) {
  platform::Mutex lock;
  long counter = 0;
  platform::Thread threads[2];
  for (platform::Thread& thread : threads)
    ASSERT_TRUE(thread.Start([&] {
      for (int i = 0; i < 100000; ++i) {
        std::lock_guard<platform::Mutex> hold(lock);
        ++counter;
      }
    }));
  for (platform::Thread& thread : threads) ASSERT_TRUE(thread.WaitFor(30000));
  EXPECT_EQ(counter, 200000);
}

}  // namespace
