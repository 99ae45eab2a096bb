// The platform layer: code page 1251 <-> UTF-8 (under Wine the tests run with a Russian locale, so the ANSI code page
// is 1251 there too), local time, and threads, events and locks with their bounded waits.
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
  // "Тверская" (two bytes each in UTF-8); "№", "…" and "€" (three bytes each); a zero byte inside; nothing.
  const std::string ansi("\xD2\xE2\xE5\xF0\xF1\xEA\xE0\xFF\xB9\x85\x88\0b", 13);
  const std::string utf8(
      "\xD0\xA2\xD0\xB2\xD0\xB5\xD1\x80\xD1\x81\xD0\xBA\xD0\xB0\xD1\x8F\xE2\x84\x96\xE2\x80\xA6\xE2\x82\xAC\0b", 27);
  EXPECT_EQ(platform::Utf8FromAnsi(ansi) + '|' + platform::AnsiFromUtf8(utf8) + '|' + platform::Utf8FromAnsi("") +
                platform::AnsiFromUtf8(""),
            utf8 + '|' + ansi + '|');
  EXPECT_EQ(platform::Utf8FromAnsi(std::string(1000, '\xB9')).size(), 3000u);
  // Every byte but the unassigned 0x98 comes back as it went.
  std::string bytes;
  for (int b = 1; b < 256; ++b)
    if (b != 0x98) bytes += static_cast<char>(b);
  EXPECT_EQ(platform::AnsiFromUtf8(platform::Utf8FromAnsi(bytes)), bytes);
  EXPECT_EQ(platform::AnsiFromUtf8("\xE4\xB8\xAD|a\xFF\x62"), "?|a?b");  // a Chinese character; not UTF-8 at all
}

TEST(Clock, LocalTimeRoundTripsKnowsTheWeekDayAndRefusesDatesBefore1970) {
  platform::LocalTime in, out;
  in.Year = 2009, in.Month = 3, in.Day = 1, in.Hour = 14, in.Minute = 5, in.Second = 9;
  EXPECT_EQ(std::vector<int>({platform::ToLocalTime(platform::FromLocalTime(in), out), out.Year, out.Month, out.Day,
                              out.Hour, out.Minute, out.Second, out.WeekDay}),
            std::vector<int>({true, 2009, 3, 1, 14, 5, 9, 0}));  // a Sunday
  in.Year = 1950;
  EXPECT_EQ(platform::FromLocalTime(in), -1);
  const auto before = platform::MonotonicMs();
  EXPECT_LE(before, platform::MonotonicMs());
  EXPECT_GT(platform::NowSeconds(), 1700000000);
}

// An event set before its wait is kept for one wait; a thread's bounded wait
// times out while it runs and succeeds after its end; the lock loses no update.
TEST(Sync, EventsThreadsAndLocksWithTheirBoundedWaits) {
  platform::Event release;
  const bool setBefore = release.Wait(10);
  release.Set();
  EXPECT_EQ(std::vector<bool>({setBefore, release.Wait(0), release.Wait(10)}), std::vector<bool>({false, true, false}));
  platform::Mutex lock;
  long counter = 0;
  auto count = [&] {
    for (int i = 0; i < 100000; ++i) {
      std::lock_guard<platform::Mutex> hold(lock);
      ++counter;
    }
  };
  std::atomic<platform::ThreadId> worker{0};
  platform::Thread waiting, counting;
  ASSERT_TRUE(counting.Start(count) && waiting.Start([&] {
    worker = platform::CurrentThreadId();
    count();
    release.Wait(10000);
  }));
  EXPECT_TRUE(waiting.Joinable() && !waiting.WaitFor(50));
  release.Set();
  EXPECT_TRUE(waiting.WaitFor(30000) && !waiting.Joinable() && counting.WaitFor(30000));
  EXPECT_TRUE(worker != 0 && worker != platform::CurrentThreadId());
  EXPECT_EQ(counter, 200000);
}

}  // namespace
