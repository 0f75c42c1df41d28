#pragma once
// Conversion between the Database API's time stamps (signed 32-bit seconds
// since 1 January 1970 UTC, 0 meaning null) and local date-times (day count,
// 0.0 meaning null). The machine's time-zone information is read once, on
// the first conversion; later changes of the zone are not seen. No
// conversion raises: a value that cannot be converted gives the null value
// of the target.

#include <cstdint>

#include "platform/text/DateTime.h"

// Seconds from 1 January 1601 to 1 January 1970.
int64_t GetDeltaUTC();
TDateTime ConvertUTCToDateTime(int32_t stamp);
// Adds biasMinutes / 1440 days.
void AdjustDateTimeWithBias(TDateTime& dateTime, int32_t biasMinutes);
// A local time that does not occur (skipped when the clock is set forward)
// and a time outside the stamp's range give the null stamp; a local time
// that occurs twice is read as standard time.
int32_t ConvertDateTimeToUTC(TDateTime dateTime);
