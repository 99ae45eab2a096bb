// Conversions between Windows' SYSTEMTIME and the platform's LocalTime, for
// the clock and for the desk's date and time pickers.
#pragma once

#include <windows.h>

#include "platform/clock.h"

namespace platform {

inline LocalTime FromSystemTime(const SYSTEMTIME& st) {
  LocalTime local;
  local.Year = st.wYear;
  local.Month = st.wMonth;
  local.Day = st.wDay;
  local.Hour = st.wHour;
  local.Minute = st.wMinute;
  local.Second = st.wSecond;
  local.Millisecond = st.wMilliseconds;
  local.WeekDay = st.wDayOfWeek;
  return local;
}

inline SYSTEMTIME ToSystemTime(const LocalTime& local) {
  SYSTEMTIME st = {};
  st.wYear = static_cast<WORD>(local.Year);
  st.wMonth = static_cast<WORD>(local.Month);
  st.wDay = static_cast<WORD>(local.Day);
  st.wHour = static_cast<WORD>(local.Hour);
  st.wMinute = static_cast<WORD>(local.Minute);
  st.wSecond = static_cast<WORD>(local.Second);
  st.wMilliseconds = static_cast<WORD>(local.Millisecond);
  st.wDayOfWeek = static_cast<WORD>(local.WeekDay);
  return st;
}

}  // namespace platform
