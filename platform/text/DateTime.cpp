#include "platform/text/DateTime.h"

#include <atomic>
#include <cmath>
#include <ctime>
#include <limits>

#include "platform/text/CivilDays.h"

namespace {

constexpr int64_t kMsPerDay = 86400000;
// Day numbers of 1 January 0001 and 31 December 9999.
constexpr int64_t kMinDay = -693593;
constexpr int64_t kMaxDay = 2958465;
// Day number of 1 January 1970, the origin of the civil-day arithmetic below.
constexpr int64_t kUnixEpochDay = 25569;

// Splits a value into its day number and the milliseconds of its time of day.
void Split(TDateTime value, int64_t& day, int64_t& ms) {
  if (!std::isfinite(value) || value < double(kMinDay) || value >= double(kMaxDay + 1)) {
    throw EConvertError("Invalid date and time value");
  }
  day = static_cast<int64_t>(value);
  ms = std::llround(std::fabs(value - double(day)) * double(kMsPerDay));
  if (ms >= kMsPerDay) {
    ++day;
    ms = 0;
  }
}

TDateTime Combine(TDateTime date, TDateTime time) { return date >= 0 ? date + time : date - time; }

TDateTime FromTm(const std::tm& tm, int64_t ms) {
  return Combine(EncodeDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday),
                 EncodeTime(tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(ms)));
}

// The fixed moment of the clock; NaN while the clock runs. Atomic because
// other threads may read the clock while a test fixes it.
std::atomic<double>& FixedMoment() {
  static std::atomic<double> moment{std::numeric_limits<double>::quiet_NaN()};
  return moment;
}

}  // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return (month == 2 && IsLeapYear(year)) ? 29 : days[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month)) {
    return false;
  }
  result = double(DaysFromCivil(year, month, day) + kUnixEpochDay);
  return true;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& result) {
  if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59 || msec < 0 ||
      msec > 999) {
    return false;
  }
  result = double(((hour * 60 + min) * 60 + sec) * 1000 + msec) / double(kMsPerDay);
  return true;
}

bool TryEncodeDateTime(int year, int month, int day, int hour, int min, int sec, int msec,
                       TDateTime& result) {
  TDateTime date;
  TDateTime time;
  if (!TryEncodeDate(year, month, day, date) || !TryEncodeTime(hour, min, sec, msec, time)) {
    return false;
  }
  result = Combine(date, time);
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime result;
  if (!TryEncodeDate(year, month, day, result)) {
    throw EConvertError("Invalid argument to date encode");
  }
  return result;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec) {
  TDateTime result;
  if (!TryEncodeTime(hour, min, sec, msec, result)) {
    throw EConvertError("Invalid argument to time encode");
  }
  return result;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int min, int sec, int msec) {
  return Combine(EncodeDate(year, month, day), EncodeTime(hour, min, sec, msec));
}

void DecodeDateTime(TDateTime value, uint16_t& year, uint16_t& month, uint16_t& day, uint16_t& hour,
                    uint16_t& min, uint16_t& sec, uint16_t& msec) {
  int64_t dayNumber;
  int64_t ms;
  Split(value, dayNumber, ms);
  if (dayNumber > kMaxDay) throw EConvertError("Invalid date and time value");
  int64_t y;
  int m, d;
  CivilFromDays(dayNumber - kUnixEpochDay, y, m, d);
  year = static_cast<uint16_t>(y);
  month = static_cast<uint16_t>(m);
  day = static_cast<uint16_t>(d);
  msec = static_cast<uint16_t>(ms % 1000);
  sec = static_cast<uint16_t>(ms / 1000 % 60);
  min = static_cast<uint16_t>(ms / 60000 % 60);
  hour = static_cast<uint16_t>(ms / 3600000);
}

void DecodeDate(TDateTime value, uint16_t& year, uint16_t& month, uint16_t& day) {
  uint16_t h, n, s, z;
  DecodeDateTime(value, year, month, day, h, n, s, z);
}

void DecodeTime(TDateTime value, uint16_t& hour, uint16_t& min, uint16_t& sec, uint16_t& msec) {
  uint16_t y, m, d;
  DecodeDateTime(value, y, m, d, hour, min, sec, msec);
}

int DayOfWeek(TDateTime value) {
  int64_t day;
  int64_t ms;
  Split(value, day, ms);
  // Day 0 (30 December 1899) was a Saturday.
  return static_cast<int>(((day % 7 + 7) % 7 + 6) % 7 + 1);
}

TDateTime FixClock(TDateTime moment) {
  if (!std::isfinite(moment)) moment = std::numeric_limits<double>::quiet_NaN();
  return FixedMoment().exchange(moment);
}

TDateTime Now() {
  if (const TDateTime fixed = FixedMoment().load(); !std::isnan(fixed)) return fixed;
  std::timespec ts{};
  std::timespec_get(&ts, TIME_UTC);
  std::tm tm{};
  tzset();  // localtime_r need not notice a changed TZ by itself
  localtime_r(&ts.tv_sec, &tm);
  return FromTm(tm, ts.tv_nsec / 1000000);
}

TDateTime Date() { return DateOf(Now()); }

TDateTime Time() { return TimeOf(Now()); }

TDateTime DateOf(TDateTime value) { return double(Trunc(value)); }

TDateTime TimeOf(TDateTime value) {
  uint16_t h, n, s, z;
  DecodeTime(value, h, n, s, z);
  return EncodeTime(h, n, s, z);
}

int64_t Trunc(double value) {
  // 2^63 is exactly representable; every double below it in magnitude fits.
  if (!std::isfinite(value) || value >= 9223372036854775808.0 || value < -9223372036854775808.0) {
    throw EInvalidOp("Invalid floating point operation");
  }
  return static_cast<int64_t>(value);
}

double Frac(double value) { return value - std::trunc(value); }

int64_t Round(double value) { return Trunc(std::nearbyint(value)); }
