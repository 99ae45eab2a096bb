// The process-wide debug trace: one line per event, a file per local day,
// beside the executable. Both the desk's thread and the worker write to it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/files.h"
#include "platform/sync.h"

class KestoDebugLog {
 public:
  // Seconds since 1970; the log asks it for every line, so tests can cross midnight.
  using Clock = std::function<std::int64_t()>;

  KestoDebugLog();
  virtual ~KestoDebugLog();
  KestoDebugLog(const KestoDebugLog&) = delete;
  KestoDebugLog& operator=(const KestoDebugLog&) = delete;

  // Closes any open file and opens the file of today's local date for `name`
  // (the date goes before the last dot). Returns whether the file is open.
  bool Open(const std::string& name);
  // Writes raw bytes as they are, after a roll-over when the local date has changed.
  void Write(const std::string& text);
  void Close();
  bool IsOpen() const;

  // Formats and writes one line: "[" stamp "]" message "\n".
  void PrintLine(const std::string& message);

  // The file name for `name` on the given date.
  static std::string DatedName(const std::string& name, int year, int month, int day);
  // The ctime layout with a two-digit day, "Sat Mar 01 14:05:09 2009";
  // 0 gives "1970-01-01 00:00:00".
  static std::string TimeToText(std::int64_t t);

  void SetClock(Clock clock);
  std::int64_t Now() const;

 private:
  bool OpenLocked(const std::string& name);

  platform::SharedAppendFile File;
  int Month = 0;
  int Year = 0;
  int Day = 0;
  std::string BaseName;
  mutable platform::Mutex Lock;
  Clock clock_;
};

// The one log of the process.
extern KestoDebugLog DebugLog;

// Longest formatted message, its terminating zero included; longer ones are cut.
constexpr std::size_t kDebugLogMessageBuffer = 8004;

// Opens the log named after the executable and writes the start line.
void OpenDebugLog();

// printf-style; the format must be a literal, never data.
void PrintToDebugLog(const char* format, ...)
#if defined(__MINGW32__)
    __attribute__((format(gnu_printf, 1, 2)))
#elif defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
