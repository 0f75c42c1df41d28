#pragma once
// The native forms in which record buffers hold date and time values (what
// GetFieldData and SetFieldData exchange for ftDate, ftTime and ftDateTime):
// - ftDate: int32 days, 1 January 0001 being day 1;
// - ftTime: int32 milliseconds since midnight;
// - ftDateTime: a double of milliseconds, days counted as for ftDate.
// Fields exchange TDateTime values; the data set converts between the two
// (TDataSet::DataConvert) with these functions.

#include <cstdint>

#include "platform/text/DateTime.h"

// The native day of the day-count date 0 (30 December 1899).
inline constexpr int32_t kDateDelta = 693594;

struct TTimeStamp {
  int32_t Time = 0;  // milliseconds since midnight
  int32_t Date = 0;  // days, 1 January 0001 being day 1
};

// Rounds to the nearest millisecond; the time of day of a date before
// 30 December 1899 is still counted forward from its midnight.
TTimeStamp DateTimeToTimeStamp(TDateTime value);
TDateTime TimeStampToDateTime(const TTimeStamp& stamp);
double TimeStampToMSecs(const TTimeStamp& stamp);
// EConvertError for a count whose day lies outside 32 bits (or is not finite).
TTimeStamp MSecsToTimeStamp(double milliseconds);
