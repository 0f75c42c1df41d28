#include "platform/win32/TimeZone.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <optional>
#include <string_view>

#include "platform/text/CivilDays.h"
#include "platform/text/DateTime.h"
#include "platform/text/Utf.h"

namespace {

constexpr int64_t kTicksPerSecond = 10'000'000;
constexpr int64_t kTicksPerMillisecond = 10'000;
constexpr int64_t kSecondsPerDay = 86'400;
// Seconds from 1 January 1601 to 1 January 1970.
constexpr int64_t kUnixEpochSeconds = 11'644'473'600;

BOOL FailTimeConversion() {
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

int64_t TicksOf(const FILETIME& time) {
  return static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) |
                              time.dwLowDateTime);
}

FILETIME FileTimeOf(int64_t ticks) {
  const auto bits = static_cast<uint64_t>(ticks);
  return FILETIME{static_cast<DWORD>(bits), static_cast<DWORD>(bits >> 32)};
}

// Calendar fields of `seconds` since 1970 read as a clock time, with the
// given milliseconds.
SYSTEMTIME SystemTimeOfSeconds(int64_t seconds, int milliseconds) {
  int64_t days = seconds / kSecondsPerDay;
  int64_t rest = seconds % kSecondsPerDay;
  if (rest < 0) {
    rest += kSecondsPerDay;
    --days;
  }
  int64_t year;
  int month, day;
  CivilFromDays(days, year, month, day);
  SYSTEMTIME result{};
  result.wYear = static_cast<WORD>(year);
  result.wMonth = static_cast<WORD>(month);
  result.wDay = static_cast<WORD>(day);
  result.wDayOfWeek = static_cast<WORD>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  result.wHour = static_cast<WORD>(rest / 3600);
  result.wMinute = static_cast<WORD>(rest / 60 % 60);
  result.wSecond = static_cast<WORD>(rest % 60);
  result.wMilliseconds = static_cast<WORD>(milliseconds);
  return result;
}

bool IsValid(const SYSTEMTIME& t) {
  return t.wYear >= 1601 && t.wYear <= 30827 && t.wMonth >= 1 && t.wMonth <= 12 && t.wDay >= 1 &&
         t.wDay <= DaysInMonth(t.wYear, t.wMonth) && t.wHour < 24 && t.wMinute < 60 &&
         t.wSecond < 60 && t.wMilliseconds < 1000;
}

// Seconds since 1970 of the clock time `t` (assumed valid).
int64_t SecondsOfSystemTime(const SYSTEMTIME& t) {
  return DaysFromCivil(t.wYear, t.wMonth, t.wDay) * kSecondsPerDay + t.wHour * 3600 +
         t.wMinute * 60 + t.wSecond;
}

// The C library's local time of an instant.
std::optional<std::tm> LocalTm(int64_t utcSeconds) {
  const auto t = static_cast<time_t>(utcSeconds);
  std::tm tm{};
  if (localtime_r(&t, &tm) == nullptr) return std::nullopt;
  return tm;
}

// The local clock's offset from UTC, in seconds, at an instant.
std::optional<int64_t> OffsetAt(int64_t utcSeconds) {
  std::optional<std::tm> tm = LocalTm(utcSeconds);
  if (!tm) return std::nullopt;
  return tm->tm_gmtoff;
}

// The instant at which the local clock shows `localSeconds` (see the header
// for times that occur twice or never).
std::optional<int64_t> UtcOfLocal(int64_t localSeconds) {
  // Changes of the clock are much more than 12 hours apart, so the offsets in
  // force half a day before and after are the only candidates.
  std::optional<int64_t> before = OffsetAt(localSeconds - 43'200);
  std::optional<int64_t> after = OffsetAt(localSeconds + 43'200);
  if (!before || !after) return std::nullopt;
  std::optional<int64_t> chosen;
  for (int64_t offset : {*before, *after}) {
    const int64_t candidate = localSeconds - offset;
    std::optional<std::tm> tm = LocalTm(candidate);
    if (!tm || tm->tm_gmtoff != offset) continue;
    if (!chosen || tm->tm_isdst == 0) chosen = candidate;
  }
  return chosen ? chosen : std::optional<int64_t>(localSeconds - *before);
}

// The zone's state, read from the C library.
struct ZoneState {
  TIME_ZONE_INFORMATION Info{};
  bool HasDaylight = false;
};

void CopyName(const char* name, WCHAR (&target)[32]) {
  const std::u16string wide = Utf8ToUtf16(name == nullptr ? "" : name);
  const size_t length = std::min<size_t>(wide.size(), 31);
  std::copy_n(wide.begin(), length, target);
  target[length] = u'\0';
}

// The first second after `from` (exclusive) up to `to` at which the
// daylight flag differs from its value at `from`.
int64_t FindChange(int64_t from, int64_t to) {
  const int dstAtFrom = LocalTm(from)->tm_isdst;
  while (to - from > 1) {
    const int64_t middle = from + (to - from) / 2;
    if (LocalTm(middle)->tm_isdst == dstAtFrom) {
      from = middle;
    } else {
      to = middle;
    }
  }
  return to;
}

// The recurring form of a change at `instant`, from the clock before it.
SYSTEMTIME RecurringDate(int64_t instant, int64_t offsetBefore) {
  SYSTEMTIME clock = SystemTimeOfSeconds(instant + offsetBefore, 0);
  const int week =
      clock.wDay + 7 > DaysInMonth(clock.wYear, clock.wMonth) ? 5 : (clock.wDay - 1) / 7 + 1;
  clock.wYear = 0;
  clock.wDay = static_cast<WORD>(week);
  clock.wSecond = 0;
  return clock;
}

ZoneState ReadZone() {
  tzset();
  ZoneState state;
  TIME_ZONE_INFORMATION& info = state.Info;
  CopyName(tzname[0], info.StandardName);
  CopyName(tzname[1], info.DaylightName);
  const int64_t now = time(nullptr);
  std::optional<std::tm> nowTm = LocalTm(now);
  const int64_t year = nowTm ? nowTm->tm_year + 1900 : 1970;
  const int64_t start = DaysFromCivil(year, 1, 1) * kSecondsPerDay;
  const int64_t end = DaysFromCivil(year + 1, 1, 1) * kSecondsPerDay;
  std::optional<int64_t> standardOffset, daylightOffset, toDaylight, toStandard;
  int previous = -1;
  for (int64_t t = start; t <= end; t += kSecondsPerDay) {
    std::optional<std::tm> tm = LocalTm(t);
    if (!tm) break;
    (tm->tm_isdst > 0 ? daylightOffset : standardOffset) = tm->tm_gmtoff;
    const int dst = tm->tm_isdst > 0 ? 1 : 0;
    if (previous >= 0 && dst != previous) {
      (dst == 1 ? toDaylight : toStandard) = FindChange(t - kSecondsPerDay, t);
    }
    previous = dst;
  }
  const int64_t base = standardOffset.value_or(daylightOffset.value_or(0));
  info.Bias = static_cast<LONG>(-base / 60);
  if (daylightOffset && standardOffset && toDaylight && toStandard) {
    state.HasDaylight = true;
    info.DaylightBias = static_cast<LONG>(-(*daylightOffset - base) / 60);
    info.DaylightDate = RecurringDate(*toDaylight, base);
    info.StandardDate = RecurringDate(*toStandard, *daylightOffset);
  }
  return state;
}

std::mutex gZoneMutex;

ZoneState& Zone() {
  static ZoneState state = ReadZone();
  return state;
}

bool SameSystemTime(const SYSTEMTIME& a, const SYSTEMTIME& b) {
  return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDayOfWeek == b.wDayOfWeek &&
         a.wDay == b.wDay && a.wHour == b.wHour && a.wMinute == b.wMinute &&
         a.wSecond == b.wSecond && a.wMilliseconds == b.wMilliseconds;
}

// Whether a caller's zone is the process's own (or null).
bool IsOwnZone(const TIME_ZONE_INFORMATION* zone) {
  if (zone == nullptr) return true;
  std::lock_guard lock(gZoneMutex);
  const TIME_ZONE_INFORMATION& own = Zone().Info;
  return zone->Bias == own.Bias && zone->StandardBias == own.StandardBias &&
         zone->DaylightBias == own.DaylightBias &&
         SameSystemTime(zone->StandardDate, own.StandardDate) &&
         SameSystemTime(zone->DaylightDate, own.DaylightDate) &&
         std::u16string_view(zone->StandardName) == own.StandardName &&
         std::u16string_view(zone->DaylightName) == own.DaylightName;
}

// A local clock time from the C library's fields, with milliseconds.
SYSTEMTIME SystemTimeOfTm(const std::tm& tm, int milliseconds) {
  SYSTEMTIME result{};
  result.wYear = static_cast<WORD>(tm.tm_year + 1900);
  result.wMonth = static_cast<WORD>(tm.tm_mon + 1);
  result.wDayOfWeek = static_cast<WORD>(tm.tm_wday);
  result.wDay = static_cast<WORD>(tm.tm_mday);
  result.wHour = static_cast<WORD>(tm.tm_hour);
  result.wMinute = static_cast<WORD>(tm.tm_min);
  result.wSecond = static_cast<WORD>(tm.tm_sec);
  result.wMilliseconds = static_cast<WORD>(milliseconds);
  return result;
}

}  // namespace

DWORD GetTimeZoneInformation(TIME_ZONE_INFORMATION* info) {
  if (info == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return TIME_ZONE_ID_INVALID;
  }
  bool hasDaylight;
  {
    std::lock_guard lock(gZoneMutex);
    *info = Zone().Info;
    hasDaylight = Zone().HasDaylight;
  }
  if (!hasDaylight) return TIME_ZONE_ID_UNKNOWN;
  std::optional<std::tm> now = LocalTm(time(nullptr));
  return now && now->tm_isdst > 0 ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
}

void ReloadTimeZoneInformation() {
  std::lock_guard lock(gZoneMutex);
  Zone() = ReadZone();
}

BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime) {
  if (fileTime == nullptr || systemTime == nullptr) return FailTimeConversion();
  const int64_t ticks = TicksOf(*fileTime);
  if (ticks < 0) return FailTimeConversion();
  *systemTime =
      SystemTimeOfSeconds(ticks / kTicksPerSecond - kUnixEpochSeconds,
                          static_cast<int>(ticks % kTicksPerSecond / kTicksPerMillisecond));
  return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, FILETIME* fileTime) {
  if (systemTime == nullptr || fileTime == nullptr || !IsValid(*systemTime))
    return FailTimeConversion();
  *fileTime = FileTimeOf((SecondsOfSystemTime(*systemTime) + kUnixEpochSeconds) * kTicksPerSecond +
                         systemTime->wMilliseconds * kTicksPerMillisecond);
  return TRUE;
}

BOOL SystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION* zone, const SYSTEMTIME* utc,
                                     SYSTEMTIME* local) {
  if (utc == nullptr || local == nullptr || !IsValid(*utc) || !IsOwnZone(zone))
    return FailTimeConversion();
  std::optional<std::tm> tm = LocalTm(SecondsOfSystemTime(*utc));
  if (!tm) return FailTimeConversion();
  *local = SystemTimeOfTm(*tm, utc->wMilliseconds);
  return TRUE;
}

BOOL TzSpecificLocalTimeToSystemTime(const TIME_ZONE_INFORMATION* zone, const SYSTEMTIME* local,
                                     SYSTEMTIME* utc) {
  if (local == nullptr || utc == nullptr || !IsValid(*local) || !IsOwnZone(zone))
    return FailTimeConversion();
  std::optional<int64_t> seconds = UtcOfLocal(SecondsOfSystemTime(*local));
  if (!seconds) return FailTimeConversion();
  *utc = SystemTimeOfSeconds(*seconds, local->wMilliseconds);
  return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local) {
  if (utc == nullptr || local == nullptr || TicksOf(*utc) < 0) return FailTimeConversion();
  const int64_t ticks = TicksOf(*utc);
  std::optional<int64_t> offset = OffsetAt(ticks / kTicksPerSecond - kUnixEpochSeconds);
  if (!offset || ticks + *offset * kTicksPerSecond < 0) return FailTimeConversion();
  *local = FileTimeOf(ticks + *offset * kTicksPerSecond);
  return TRUE;
}

BOOL LocalFileTimeToFileTime(const FILETIME* local, FILETIME* utc) {
  if (local == nullptr || utc == nullptr || TicksOf(*local) < 0) return FailTimeConversion();
  const int64_t ticks = TicksOf(*local);
  const int64_t seconds = ticks / kTicksPerSecond;
  std::optional<int64_t> utcSeconds = UtcOfLocal(seconds - kUnixEpochSeconds);
  if (!utcSeconds || *utcSeconds + kUnixEpochSeconds < 0) return FailTimeConversion();
  *utc = FileTimeOf((*utcSeconds + kUnixEpochSeconds) * kTicksPerSecond + ticks % kTicksPerSecond);
  return TRUE;
}

void GetSystemTimeAsFileTime(FILETIME* utc) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  *utc = UnixTimeToFileTime(now);
}

void GetSystemTime(SYSTEMTIME* utc) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  FileTimeToSystemTime(&now, utc);
}

void GetLocalTime(SYSTEMTIME* local) {
  SYSTEMTIME utc;
  GetSystemTime(&utc);
  SystemTimeToTzSpecificLocalTime(nullptr, &utc, local);
}

FILETIME UnixTimeToFileTime(const timespec& time) {
  return FileTimeOf((time.tv_sec + kUnixEpochSeconds) * kTicksPerSecond + time.tv_nsec / 100);
}
