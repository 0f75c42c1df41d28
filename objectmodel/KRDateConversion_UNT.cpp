#include "objectmodel/KRDateConversion_UNT.h"

#include <limits>
#include <optional>

#include "platform/win32/TimeZone.h"

namespace {

constexpr int64_t kDeltaUTC = 11644473600;
constexpr int64_t kTicksPerSecond = 10000000;

const TIME_ZONE_INFORMATION& StoredTimeZone() {
  static const TIME_ZONE_INFORMATION zone = [] {
    TIME_ZONE_INFORMATION info{};
    GetTimeZoneInformation(&info);
    return info;
  }();
  return zone;
}

std::optional<SYSTEMTIME> DateTimeToSystemTime(TDateTime value) {
  SYSTEMTIME st{};
  try {
    DecodeDateTime(value, st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond,
                   st.wMilliseconds);
  } catch (const Exception&) {
    return std::nullopt;
  }
  return st;
}

std::optional<SYSTEMTIME> ToLocalTime(const SYSTEMTIME& utc) {
  SYSTEMTIME local{};
  if (!SystemTimeToTzSpecificLocalTime(&StoredTimeZone(), &utc, &local)) return std::nullopt;
  return local;
}

}  // namespace

int64_t GetDeltaUTC() { return kDeltaUTC; }

TDateTime ConvertUTCToDateTime(int32_t stamp) {
  if (stamp == 0) return 0.0;
  const uint64_t ticks = uint64_t((int64_t(stamp) + kDeltaUTC) * kTicksPerSecond);
  const FILETIME fileTime{DWORD(ticks), DWORD(ticks >> 32)};
  SYSTEMTIME utc{};
  if (!FileTimeToSystemTime(&fileTime, &utc)) return 0.0;
  const std::optional<SYSTEMTIME> local = ToLocalTime(utc);
  TDateTime result = 0.0;
  if (!local || !TryEncodeDateTime(local->wYear, local->wMonth, local->wDay, local->wHour,
                                   local->wMinute, local->wSecond, local->wMilliseconds, result)) {
    return 0.0;
  }
  return result;
}

void AdjustDateTimeWithBias(TDateTime& dateTime, int32_t biasMinutes) {
  dateTime += biasMinutes / 1440.0;
}

int32_t ConvertDateTimeToUTC(TDateTime dateTime) {
  if (dateTime == 0.0) return 0;
  const std::optional<SYSTEMTIME> wanted = DateTimeToSystemTime(dateTime);
  if (!wanted) return 0;
  const TIME_ZONE_INFORMATION& zone = StoredTimeZone();
  // D is the UTC guess: standard time first, then daylight time when the
  // guess does not give back the local hour.
  TDateTime guess = dateTime;
  AdjustDateTimeWithBias(guess, zone.Bias);
  std::optional<SYSTEMTIME> utc = DateTimeToSystemTime(guess);
  std::optional<SYSTEMTIME> local = utc ? ToLocalTime(*utc) : std::nullopt;
  if (local && local->wHour != wanted->wHour) {
    AdjustDateTimeWithBias(guess, zone.DaylightBias);
    utc = DateTimeToSystemTime(guess);
    local = utc ? ToLocalTime(*utc) : std::nullopt;
  }
  FILETIME fileTime{};
  if (!local || local->wHour != wanted->wHour || !SystemTimeToFileTime(&*utc, &fileTime)) return 0;
  const int64_t ticks = int64_t((uint64_t(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime);
  // Truncation toward zero of ticks / 10^7 - delta, also before 1970.
  int64_t seconds = ticks / kTicksPerSecond - kDeltaUTC;
  if (seconds < 0 && ticks % kTicksPerSecond != 0) ++seconds;
  if (seconds < std::numeric_limits<int32_t>::min() ||
      seconds > std::numeric_limits<int32_t>::max()) {
    return 0;
  }
  return int32_t(seconds);
}
