// The lines and the default name of the run's log. Portable: the clock is read by the caller.
#pragma once

#include <string>

struct LogTime {
  int year, month, day, hour, minute, second, milliseconds;  // local time
};

// "2024-05-01 08:00:00.123 " followed by the event and CR LF. Line breaks inside the event
// become spaces, so that each event stays one line whatever text it carries.
std::wstring FormatLogLine(const LogTime& time, const std::wstring& event);

// "pakorra-20240501-080000.log" for the first attempt, "pakorra-20240501-080000-2.log" for the
// second and so on: two runs in one second each get a log of their own.
std::wstring DefaultLogFileName(const LogTime& time, int attempt);
