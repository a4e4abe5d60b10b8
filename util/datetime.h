#pragma once

#include <ctime>
#include <optional>
#include <string>

// Local date-time as days since 30 December 1899, the time of day as fraction.
using TDateTime = double;

TDateTime EncodeDateTime(const std::tm& local, int milliseconds = 0);
std::tm DecodeDateTime(TDateTime value, int* milliseconds = nullptr);
TDateTime DateTimeFromUnix(std::time_t seconds); // in the local time zone
TDateTime Now();

// Short date and long time of the user's locale (setlocale(LC_ALL, "")).
std::string DateToStr(TDateTime value);
std::string TimeToStr(TDateTime value);
// Short date, a blank and long time; the time is left out at exact midnight.
std::string DateTimeToStr(TDateTime value);
// Parses a date in the locale's short date format; the result has no time.
std::optional<TDateTime> TryStrToDate(const std::string& text);
