#pragma once
// System times, file times and the local time zone.
//
// - A FILETIME counts 100-nanosecond units since 1 January 1601 UTC; a
//   SYSTEMTIME holds the calendar fields of one instant (years 1601..30827).
// - The time-zone information is read from the C library (TZ) once, on the
//   first call, and kept; ReloadTimeZoneInformation reads it again (after a
//   change of TZ). Bias is UTC minus standard local time in minutes,
//   DaylightBias the further difference in daylight time (-60 for one hour),
//   StandardBias 0. StandardDate and DaylightDate give the current year's
//   changes in the platform's recurring form (wYear 0, wMonth, wDayOfWeek,
//   wDay = week of the month with 5 for the last, wHour and wMinute of the
//   local clock before the change); both are zero for a zone without
//   daylight time.
// - Conversions between UTC and local time use the C library's rules for the
//   instant converted (localtime_r), so they are right on both sides of every
//   change, also in past years. They accept a null zone or the information
//   GetTimeZoneInformation answers; any other zone fails with
//   ERROR_INVALID_PARAMETER.
// - A local time that occurs twice (when the clock is set back) is read as
//   standard time; a local time that does not occur (when the clock is set
//   forward) is read with the offset in force before the change.
// - Failures answer FALSE and set the last-error value to
//   ERROR_INVALID_PARAMETER.

#include <ctime>

#include "platform/win32/WinTypes.h"

struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;  // 0 = Sunday
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};

struct TIME_ZONE_INFORMATION {
  LONG Bias;
  WCHAR StandardName[32];
  SYSTEMTIME StandardDate;
  LONG StandardBias;
  WCHAR DaylightName[32];
  SYSTEMTIME DaylightDate;
  LONG DaylightBias;
};

inline constexpr DWORD TIME_ZONE_ID_UNKNOWN = 0;
inline constexpr DWORD TIME_ZONE_ID_STANDARD = 1;
inline constexpr DWORD TIME_ZONE_ID_DAYLIGHT = 2;
inline constexpr DWORD TIME_ZONE_ID_INVALID = 0xFFFFFFFF;

// Fills `info` and answers whether daylight time is in force now (UNKNOWN for
// a zone without daylight time).
DWORD GetTimeZoneInformation(TIME_ZONE_INFORMATION* info);
void ReloadTimeZoneInformation();

BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime);
// wDayOfWeek is ignored; fields out of range fail.
BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, FILETIME* fileTime);
BOOL SystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION* zone, const SYSTEMTIME* utc,
                                     SYSTEMTIME* local);
BOOL TzSpecificLocalTimeToSystemTime(const TIME_ZONE_INFORMATION* zone, const SYSTEMTIME* local,
                                     SYSTEMTIME* utc);
BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local);
BOOL LocalFileTimeToFileTime(const FILETIME* local, FILETIME* utc);

void GetSystemTime(SYSTEMTIME* utc);
void GetLocalTime(SYSTEMTIME* local);
void GetSystemTimeAsFileTime(FILETIME* utc);

// The FILETIME of a C library time (seconds and nanoseconds since 1970 UTC).
FILETIME UnixTimeToFileTime(const timespec& time);
