#pragma once
// Day arithmetic of the proleptic Gregorian calendar, counted from
// 1 January 1970 (day 0); negative before it. Exact for every date whose day
// count fits in 64 bits; no validation of the fields (month 1..12 and a day
// of that month are the caller's to ensure).

#include <cstdint>

// Days from 1 January 1970 to year-month-day.
int64_t DaysFromCivil(int64_t year, int month, int day);
// The date `days` after 1 January 1970.
void CivilFromDays(int64_t days, int64_t& year, int& month, int& day);
