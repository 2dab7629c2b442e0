#pragma once
// Date-time values as stored by the accounting product: days since 1899-12-30, the time of
// day as the fraction. 0 is the zero date, which stands for "no date".
#include <string>
#include <string_view>

using TDateTime = double;

bool IsLeapYear(int year);
int DaysInAMonth(int year, int month);

bool TryEncodeDate(int year, int month, int day, TDateTime& out);
// Throws std::invalid_argument for a date that does not exist.
TDateTime EncodeDate(int year, int month, int day);
void DecodeDate(TDateTime dt, int& year, int& month, int& day);
TDateTime EncodeTime(int hour, int minute, int second, int msec);
void DecodeTime(TDateTime dt, int& hour, int& minute, int& second, int& msec);

// The date part (time of day dropped).
TDateTime DateOf(TDateTime dt);
// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime dt);
// The same day `months` later (earlier when negative), clamped to the month's last day.
TDateTime IncMonth(TDateTime dt, int months);

TDateTime Now();
TDateTime Today();

// Formats with the date-time patterns the program uses:
//   yyyy four-digit year, yy two-digit year, m/mm month (minutes right after h/hh),
//   d/dd day, h/hh hour (24h), n/nn minute, s/ss second, zzz milliseconds,
//   '/' and ':' as themselves, "..." or '...' literal text. Other characters are copied.
std::string FormatDateTime(std::string_view pattern, TDateTime dt);

// Reads "yyyy/mm/dd" (one- or two-digit month and day, optionally followed by " hh:nn[:ss]").
bool TryStrToDate(std::string_view text, TDateTime& out);
