// The debug log: file names, stamps, midnight roll-over, appending, cutting, and two writers.
#include "client/DebugLog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/files.h"
#include "support/TempDir.h"

namespace {

std::int64_t LocalSeconds(int year, int month, int day, int hour, int minute, int second) {
  platform::LocalTime t;
  t.Year = year, t.Month = month, t.Day = day, t.Hour = hour, t.Minute = minute, t.Second = second;
  return platform::FromLocalTime(t);
}

std::vector<std::string> Lines(const std::string& path) {
  std::string content;
  EXPECT_TRUE(platform::ReadWholeFile(path, content)) << path;
  std::vector<std::string> lines;
  std::istringstream in(content);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// "[" + 24-character stamp + "]" + message.
std::string MessageOf(const std::string& line) {
  if (line.size() < 26 || line[0] != '[' || line[25] != ']') return "<malformed>";
  return line.substr(26);
}

TEST(DebugLogName, DateGoesBeforeTheLastDotOrAtTheEnd) {
  EXPECT_EQ(KestoDebugLog::DatedName("C:\\kb\\desk.log", 2009, 3, 1), "C:\\kb\\desk_2009_03_01.log");
  EXPECT_EQ(KestoDebugLog::DatedName("/opt/kb/desk", 2026, 12, 31), "/opt/kb/desk_2026_12_31");
  // Only dot in a folder name: the date lands there, as the name rule says.
  EXPECT_EQ(KestoDebugLog::DatedName("/opt/kb.d/desk", 2026, 1, 2), "/opt/kb_2026_01_02.d/desk");
}

TEST(DebugLogStamp, CtimeLayoutWithTwoDigitDay) {
  const std::int64_t t = LocalSeconds(2009, 3, 1, 14, 5, 9);
  EXPECT_EQ(KestoDebugLog::TimeToText(t), "Sun Mar 01 14:05:09 2009");
  EXPECT_EQ(KestoDebugLog::TimeToText(0), "1970-01-01 00:00:00");
}

TEST(DebugLogFile, RollsOverToANewFileAtLocalMidnight) {
  TempDir dir;
  std::atomic<std::int64_t> now{LocalSeconds(2026, 3, 14, 23, 59, 59)};
  KestoDebugLog log;
  log.SetClock([&] { return now.load(); });
  ASSERT_TRUE(log.Open(dir.file("desk.log")));
  log.PrintLine("before midnight");
  now = LocalSeconds(2026, 3, 15, 0, 0, 1);
  log.PrintLine("after midnight");

  const auto first = Lines(dir.file("desk_2026_03_14.log"));
  const auto second = Lines(dir.file("desk_2026_03_15.log"));
  ASSERT_EQ(first.size(), 1u);
  ASSERT_EQ(second.size(), 1u);
  EXPECT_EQ(first[0], "[Sat Mar 14 23:59:59 2026]before midnight");
  EXPECT_EQ(second[0], "[Sun Mar 15 00:00:01 2026]after midnight");
}

TEST(DebugLogFile, SecondRunOnTheSameDayAppendsAndNameWithoutDotGetsNoExtension) {
  TempDir dir;
  const std::int64_t noon = LocalSeconds(2026, 7, 4, 12, 0, 0);
  for (const char* message : {"first run", "second run"}) {
    KestoDebugLog log;
    log.SetClock([=] { return noon; });
    ASSERT_TRUE(log.Open(dir.file("desk")));
    log.PrintLine(message);
    log.PrintLine("");
  }
  const auto lines = Lines(dir.file("desk_2026_07_04"));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(MessageOf(lines[0]), "first run");
  EXPECT_EQ(lines[1], "[Sat Jul 04 12:00:00 2026]");
  EXPECT_EQ(MessageOf(lines[2]), "second run");
}

TEST(DebugLogFile, ClosedLogWritesNothingAndUnopenableFileTurnsLoggingOff) {
  TempDir dir;
  KestoDebugLog log;
  log.PrintLine("nobody hears this");
  EXPECT_FALSE(log.Open(dir.file("missing/folder/desk.log")));
  log.PrintLine("nor this");
  EXPECT_FALSE(log.IsOpen());
}

TEST(DebugLogGlobal, StartLineAndOverlongMessageIsCut) {
  OpenDebugLog();
  ASSERT_TRUE(DebugLog.IsOpen());
  const std::string huge(20000, 'x');
  PrintToDebugLog("%s", huge.c_str());
  PrintToDebugLog("%d%%", 100);
  DebugLog.Close();

  std::string base = platform::ExecutablePath();
  if (base.rfind('.') != std::string::npos) base = base.substr(0, base.rfind('.')) + ".log";
  const platform::LocalTime today = platform::CurrentLocalTime();
  const std::string path = KestoDebugLog::DatedName(base, today.Year, today.Month, today.Day);
  const auto lines = Lines(path);
  std::remove(path.c_str());
  ASSERT_GE(lines.size(), 3u);
  const std::size_t n = lines.size();
  EXPECT_EQ(MessageOf(lines[n - 3]), "Старт программы");
  EXPECT_EQ(MessageOf(lines[n - 2]), std::string(kDebugLogMessageBuffer - 1, 'x'));
  EXPECT_EQ(MessageOf(lines[n - 1]), "100%");
}

TEST(DebugLogFile, LinesOfTwoThreadsNeverInterleave) {
  TempDir dir;
  KestoDebugLog log;
  const std::int64_t noon = LocalSeconds(2026, 7, 4, 12, 0, 0);
  log.SetClock([=] { return noon; });
  ASSERT_TRUE(log.Open(dir.file("desk.log")));
  const int perThread = 400;
  auto writer = [&](char c) {
    const std::string message(300, c);
    for (int i = 0; i < perThread; ++i) log.PrintLine(message);
  };
  std::thread a(writer, 'a');
  std::thread b(writer, 'b');
  a.join();
  b.join();
  const auto lines = Lines(dir.file("desk_2026_07_04.log"));
  int as = 0, bs = 0;
  for (const auto& line : lines) {
    const std::string m = MessageOf(line);
    if (m == std::string(300, 'a')) ++as;
    else if (m == std::string(300, 'b')) ++bs;
    else ADD_FAILURE() << "mixed line: " << line.substr(0, 60);
  }
  EXPECT_EQ(as, perThread);
  EXPECT_EQ(bs, perThread);
}

}  // namespace
