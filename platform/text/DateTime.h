#pragma once
// The day-count date-time: whole days since 30 December 1899 plus the time of
// day as a fraction. Before that day the value is negative, but its
// fractional part is still the time of day regardless of the sign
// (-1.25 is 29 December 1899, 06:00). Years run from 1 to 9999; times have
// millisecond resolution, and decoding rounds to the nearest millisecond,
// carrying into the next day when the time rounds up to midnight.
// Invalid parts raise EConvertError; the Try* forms answer false instead.
// Now/Date/Time read the local clock (time zone from the C library), unless
// a moment is fixed: tests fix the clock so that results that depend on the
// current date and time are known in advance.

#include <cstdint>

#include "platform/text/Exception.h"

using TDateTime = double;

// Raised for a floating-point value that has no integer or date meaning.
KR_DECLARE_EXCEPTION(EInvalidOp, Exception);

constexpr double HoursPerDay = 24;
constexpr double MinsPerDay = 24 * 60;
constexpr double SecsPerDay = 24 * 60 * 60;
constexpr double MSecsPerDay = 24 * 60 * 60 * 1000;

bool IsLeapYear(int year);
// Days of `month` (1..12) in `year`; 0 for a month outside 1..12.
int DaysInMonth(int year, int month);

bool TryEncodeDate(int year, int month, int day, TDateTime& result);
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& result);
bool TryEncodeDateTime(int year, int month, int day, int hour, int min, int sec, int msec,
                       TDateTime& result);
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int min, int sec, int msec);
TDateTime EncodeDateTime(int year, int month, int day, int hour, int min, int sec, int msec);

// Decoding raises EConvertError for a value outside years 1..9999 or not finite.
void DecodeDate(TDateTime value, uint16_t& year, uint16_t& month, uint16_t& day);
void DecodeTime(TDateTime value, uint16_t& hour, uint16_t& min, uint16_t& sec, uint16_t& msec);
void DecodeDateTime(TDateTime value, uint16_t& year, uint16_t& month, uint16_t& day, uint16_t& hour,
                    uint16_t& min, uint16_t& sec, uint16_t& msec);
// 1 for Sunday .. 7 for Saturday.
int DayOfWeek(TDateTime value);

TDateTime Now();
TDateTime Date();  // today at midnight
TDateTime Time();  // the time of day only

// Fixes the clock at `moment` (a value that is not finite releases it) and answers
// the previously fixed moment (NaN when the clock was running).
TDateTime FixClock(TDateTime moment);

// Fixes the clock for the scope's lifetime, then restores what was before.
class TFixedClock {
 public:
  explicit TFixedClock(TDateTime moment) : previous_(FixClock(moment)) {}
  ~TFixedClock() { FixClock(previous_); }
  TFixedClock(const TFixedClock&) = delete;
  TFixedClock& operator=(const TFixedClock&) = delete;

 private:
  TDateTime previous_;
};

TDateTime DateOf(TDateTime value);  // the whole days, truncated toward zero
TDateTime TimeOf(TDateTime value);  // the time of day, always from 0 to below 1

// Truncation toward zero, fraction with the sign of the value, and rounding
// to the nearest integer with halves to even. Trunc and Round raise EInvalidOp
// for a value that is not finite or does not fit 64 bits.
int64_t Trunc(double value);
double Frac(double value);
int64_t Round(double value);
