// The debug log: day-stamped file, roll-over at local midnight, whole lines under one lock.
#include "client/DebugLog.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <vector>

#include "platform/clock.h"

KestoDebugLog DebugLog;

KestoDebugLog::KestoDebugLog() : clock_(&platform::NowSeconds) {}

KestoDebugLog::~KestoDebugLog() { File.Close(); }

std::string KestoDebugLog::DatedName(const std::string& name, int year, int month, int day) {
  char date[64];
  std::snprintf(date, sizeof date, "_%4.4d_%2.2d_%2.2d", year, month, day);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos) return name + date;
  return name.substr(0, dot) + date + name.substr(dot);
}

std::string KestoDebugLog::TimeToText(std::int64_t t) {
  if (t == 0) return "1970-01-01 00:00:00";
  static const char* const kWeekDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  platform::LocalTime local;
  if (!platform::ToLocalTime(t, local) || local.WeekDay < 0 || local.WeekDay > 6 || local.Month < 1 || local.Month > 12)
    return std::string();
  char text[100];
  std::snprintf(text, sizeof text, "%s %s %2.2d %2.2d:%2.2d:%2.2d %4.4d", kWeekDays[local.WeekDay],
                kMonths[local.Month - 1], local.Day, local.Hour, local.Minute, local.Second, local.Year);
  return text;
}

void KestoDebugLog::SetClock(Clock clock) {
  std::lock_guard<platform::Mutex> hold(Lock);
  clock_ = clock ? std::move(clock) : Clock(&platform::NowSeconds);
}

std::int64_t KestoDebugLog::Now() const {
  std::lock_guard<platform::Mutex> hold(Lock);
  return clock_();
}

bool KestoDebugLog::Open(const std::string& name) {
  std::lock_guard<platform::Mutex> hold(Lock);
  return OpenLocked(name);
}

bool KestoDebugLog::OpenLocked(const std::string& name) {
  File.Close();
  BaseName = name;
  platform::LocalTime today;
  if (!platform::ToLocalTime(clock_(), today)) today = platform::CurrentLocalTime();
  Year = today.Year;
  Month = today.Month;
  Day = today.Day;
  return File.Open(DatedName(BaseName, Year, Month, Day));
}

void KestoDebugLog::Close() {
  std::lock_guard<platform::Mutex> hold(Lock);
  File.Close();
}

bool KestoDebugLog::IsOpen() const {
  std::lock_guard<platform::Mutex> hold(Lock);
  return File.IsOpen();
}

void KestoDebugLog::Write(const std::string& text) {
  if (text.empty()) return;
  std::lock_guard<platform::Mutex> hold(Lock);
  if (!File.IsOpen()) return;
  platform::LocalTime today;
  if (platform::ToLocalTime(clock_(), today) && (today.Year != Year || today.Month != Month || today.Day != Day)) {
    if (!OpenLocked(BaseName)) return;
  }
  File.Append(text.data(), text.size());
}

void KestoDebugLog::PrintLine(const std::string& message) {
  if (!IsOpen()) return;
  std::string line;
  line.reserve(message.size() + 32);
  line += '[';
  line += TimeToText(Now());
  line += ']';
  line += message;
  line += '\n';
  Write(line);
}

void OpenDebugLog() {
  std::string name = platform::ExecutablePath();
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) name = name.substr(0, dot) + ".log";
  DebugLog.Open(name);
  PrintToDebugLog("Старт программы");
}

void PrintToDebugLog(const char* format, ...) {
  if (!DebugLog.IsOpen()) return;
  std::vector<char> buffer(kDebugLogMessageBuffer);
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer.data(), buffer.size(), format, args);
  va_end(args);
  if (n < 0) buffer[0] = '\0';
  DebugLog.PrintLine(buffer.data());
}
