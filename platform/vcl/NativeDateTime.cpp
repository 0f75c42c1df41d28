#include "platform/vcl/NativeDateTime.h"

#include <cmath>
#include <cstdint>
#include <string>

namespace {
constexpr int64_t kMSecsPerDay = 24 * 60 * 60 * 1000;
}  // namespace

TTimeStamp DateTimeToTimeStamp(TDateTime value) {
  const int64_t total = Round(value * MSecsPerDay);
  TTimeStamp stamp;
  stamp.Date = static_cast<int32_t>(kDateDelta + total / kMSecsPerDay);
  stamp.Time = static_cast<int32_t>(std::llabs(total) % kMSecsPerDay);
  return stamp;
}

TDateTime TimeStampToDateTime(const TTimeStamp& stamp) {
  const double days = static_cast<double>(stamp.Date) - kDateDelta;
  const double time = stamp.Time / MSecsPerDay;
  return days >= 0 ? days + time : days - time;
}

double TimeStampToMSecs(const TTimeStamp& stamp) {
  return static_cast<double>(stamp.Date) * MSecsPerDay + stamp.Time;
}

TTimeStamp MSecsToTimeStamp(double milliseconds) {
  double days = std::floor(milliseconds / MSecsPerDay);
  int64_t time = std::llround(milliseconds - days * MSecsPerDay);
  if (time >= kMSecsPerDay) {
    days += 1;
    time -= kMSecsPerDay;
  }
  if (!(days >= INT32_MIN && days <= INT32_MAX)) {
    throw EConvertError("Invalid time stamp: " + std::to_string(milliseconds) + " ms");
  }
  TTimeStamp stamp;
  stamp.Date = static_cast<int32_t>(days);
  stamp.Time = static_cast<int32_t>(time);
  return stamp;
}
