// The debug log: file names, stamps, midnight roll-over, appending, cutting, and two writers.
#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

#include "client/DebugLog.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "support/TempDir.h"

namespace {

std::int64_t March2026(int day, int hour, int minute, int second) {
  platform::LocalTime t;
  t.Year = 2026, t.Month = 3, t.Day = day, t.Hour = hour, t.Minute = minute, t.Second = second;
  return platform::FromLocalTime(t);
}

std::string Text(const std::string& path) {
  std::string content;
  EXPECT_TRUE(platform::ReadWholeFile(path, content)) << path;
  return content;
}

// The date goes before the last dot, the stamp is ctime's with a two-digit day. Lines of two threads never interleave.
TEST(DebugLog, NamesAndStampsThenASecondRunAppendsMidnightStartsTheNextDaysFileAndEveryLineStaysWhole) {
  EXPECT_EQ(KestoDebugLog::DatedName("C:\\kb\\desk.log", 2009, 3, 1) + " " +
                KestoDebugLog::DatedName("/kb/desk", 2026, 12, 31) + " " +
                KestoDebugLog::DatedName("/kb.d/desk", 2026, 1, 2),
            "C:\\kb\\desk_2009_03_01.log /kb/desk_2026_12_31 /kb_2026_01_02.d/desk");
  EXPECT_EQ(KestoDebugLog::TimeToText(March2026(1, 14, 5, 9)) + ", " + KestoDebugLog::TimeToText(0),
            "Sun Mar 01 14:05:09 2026, 1970-01-01 00:00:00");
  TempDir dir;
  std::int64_t now = March2026(14, 23, 59, 59);
  for (const char* message : {"first run", "second run", "after midnight"}) {
    KestoDebugLog log;
    log.SetClock([&] { return now; });
    ASSERT_TRUE(log.Open(dir.file("desk.log")));
    if (message[0] == 'a') now = March2026(15, 0, 0, 1);
    log.PrintLine(message);
  }
  EXPECT_EQ(Text(dir.file("desk_2026_03_14.log")),
            "[Sat Mar 14 23:59:59 2026]first run\n[Sat Mar 14 23:59:59 2026]second run\n");
  KestoDebugLog log;
  log.SetClock([&] { return now; });
  ASSERT_TRUE(log.Open(dir.file("desk.log")));
  const auto writer = [&](char c) {
    for (int i = 0; i < 400; ++i) log.PrintLine(std::string(300, c));
  };
  std::thread a(writer, 'a'), b(writer, 'b');
  a.join();
  b.join();
  const std::string stamp = "[Sun Mar 15 00:00:01 2026]", text = Text(dir.file("desk_2026_03_15.log"));
  ASSERT_EQ(text.size(), 41 + 800u * 327);
  EXPECT_EQ(text.substr(0, 41), stamp + "after midnight\n");
  for (std::size_t at = 41; at < text.size(); at += 327)
    ASSERT_EQ(text.substr(at, 327), stamp + std::string(300, text[at + 26]) + "\n") << at;
  KestoDebugLog off;
  EXPECT_FALSE(off.Open(dir.file("missing/folder/desk.log")));
  off.PrintLine("nobody hears this");
}

TEST(DebugLog, TheProcessLogStartsWithItsLineAndCutsAnOverlongMessage) {
  OpenDebugLog();
  PrintToDebugLog("%s", std::string(20000, 'x').c_str());
  PrintToDebugLog("%d%%", 100);
  DebugLog.Close();
  std::string base = platform::ExecutablePath();
  if (base.rfind('.') != std::string::npos) base = base.substr(0, base.rfind('.')) + ".log";
  const platform::LocalTime today = platform::CurrentLocalTime();
  const std::string path = KestoDebugLog::DatedName(base, today.Year, today.Month, today.Day);
  std::string text = Text(path);
  std::remove(path.c_str());
  // The stamps are the clock's: each line's text starts after "]".
  for (std::size_t at = 0; (at = text.find('[', at)) != std::string::npos;) text.erase(at, text.find(']', at) - at + 1);
  EXPECT_EQ(text.substr(text.rfind("Старт программы")),
            "Старт программы\n" + std::string(kDebugLogMessageBuffer - 1, 'x') + "\n100%\n");
}

}  // namespace
