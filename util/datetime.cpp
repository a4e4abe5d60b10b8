#include "util/datetime.h"

#include <cmath>
#include <cstdint>
#include <time.h>
#include <vector>

#include "util/text.h"

namespace {

constexpr int64_t kMsPerDay = 86400000;
// Days from 30 December 1899 to 1 January 1970.
constexpr int64_t kUnixEpochDay = 25569;
// Beyond about 270,000 years the fields of std::tm and the millisecond count
// would overflow; such values are clamped, never trusted.
constexpr double kMaxDays = 1e8;

int64_t FloorDiv(int64_t a, int64_t b) {
  const int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm);
// exact for every date, with no time zone involved.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = FloorDiv(y, 400);
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

int64_t FloorMod(int64_t a, int64_t b) {
  return a - FloorDiv(a, b) * b;
}

void CivilFromDays(int64_t z, int64_t& y, int64_t& m, int64_t& d) {
  z += 719468;
  const int64_t era = FloorDiv(z, 146097);
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = yoe + era * 400 + (m <= 2);
}

bool IsLeapYear(int64_t y) {
  return y % 4 == 0 && (y % 100 != 0 || y % 400 == 0);
}

int DaysInMonth(int64_t y, int m) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : days[m - 1];
}

std::string Format(TDateTime value, const char* format) {
  const std::tm fields = DecodeDateTime(value);
  // strftime gives 0 both for an empty result and for a short buffer.
  for (std::size_t size = 128; size <= 8192; size *= 4) {
    std::vector<char> buffer(size);
    const std::size_t length = std::strftime(buffer.data(), buffer.size(), format, &fields);
    if (length > 0)
      return std::string(buffer.data(), length);
  }
  return {};
}

} // namespace

TDateTime EncodeDateTime(const std::tm& local, int milliseconds) {
  // Fields beyond their range carry over as they would with mktime.
  const int64_t months = static_cast<int64_t>(local.tm_year) * 12 + local.tm_mon;
  const int64_t year = 1900 + FloorDiv(months, 12);
  const int64_t month = FloorMod(months, 12) + 1;
  const int64_t days = DaysFromCivil(year, month, 1) + local.tm_mday - 1 + kUnixEpochDay;
  const int64_t ms =
      ((static_cast<int64_t>(local.tm_hour) * 60 + local.tm_min) * 60 + local.tm_sec) * 1000 +
      milliseconds;
  const int64_t day = days + FloorDiv(ms, kMsPerDay);
  const int64_t msOfDay = FloorMod(ms, kMsPerDay);
  return static_cast<double>(day) + static_cast<double>(msOfDay) / kMsPerDay;
}

std::tm DecodeDateTime(TDateTime value, int* milliseconds) {
  if (std::isnan(value))
    value = 0;
  value = std::fmax(-kMaxDays, std::fmin(kMaxDays, value));
  // Round to whole milliseconds first, so 23:59:59.9999 becomes the next day's
  // midnight rather than a sixtieth second.
  const int64_t total = std::llround(value * kMsPerDay);
  const int64_t day = FloorDiv(total, kMsPerDay);
  int64_t ms = FloorMod(total, kMsPerDay);

  int64_t y, m, d;
  CivilFromDays(day - kUnixEpochDay, y, m, d);
  std::tm fields{};
  fields.tm_year = static_cast<int>(y - 1900);
  fields.tm_mon = static_cast<int>(m - 1);
  fields.tm_mday = static_cast<int>(d);
  fields.tm_hour = static_cast<int>(ms / 3600000);
  ms %= 3600000;
  fields.tm_min = static_cast<int>(ms / 60000);
  ms %= 60000;
  fields.tm_sec = static_cast<int>(ms / 1000);
  fields.tm_wday = static_cast<int>(FloorMod(day + 6, 7)); // day 0 was a Saturday
  fields.tm_yday = static_cast<int>(day - kUnixEpochDay - DaysFromCivil(y, 1, 1));
  fields.tm_isdst = -1;
  if (milliseconds)
    *milliseconds = static_cast<int>(ms % 1000);
  return fields;
}

TDateTime DateTimeFromUnix(std::time_t seconds) {
  std::tm local{};
  if (!localtime_r(&seconds, &local))
    return static_cast<double>(kUnixEpochDay) + static_cast<double>(seconds) / 86400.0;
  return EncodeDateTime(local);
}

TDateTime Now() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm local{};
  localtime_r(&now.tv_sec, &local);
  return EncodeDateTime(local, static_cast<int>(now.tv_nsec / 1000000));
}

std::string DateToStr(TDateTime value) {
  return Format(value, "%x");
}

std::string TimeToStr(TDateTime value) {
  return Format(value, "%X");
}

std::string DateTimeToStr(TDateTime value) {
  int ms = 0;
  const std::tm fields = DecodeDateTime(value, &ms);
  const bool midnight = fields.tm_hour == 0 && fields.tm_min == 0 && fields.tm_sec == 0 && ms == 0;
  return midnight ? DateToStr(value) : DateToStr(value) + " " + TimeToStr(value);
}

std::optional<TDateTime> TryStrToDate(const std::string& text) {
  std::tm fields{}; // tm_mday stays 0 unless the text names a day
  const char* begin = text.c_str();
  const char* rest = strptime(begin, "%x", &fields);
  if (!rest)
    return std::nullopt;
  // Everything must be consumed; a NUL inside the text ends the parse early
  // and so fails here too.
  for (std::size_t i = static_cast<std::size_t>(rest - begin); i < text.size(); ++i)
    if (!IsBlank(text[i]))
      return std::nullopt;
  const int64_t year = 1900 + static_cast<int64_t>(fields.tm_year);
  if (fields.tm_mon < 0 || fields.tm_mon > 11 || fields.tm_mday < 1 ||
      fields.tm_mday > DaysInMonth(year, fields.tm_mon + 1))
    return std::nullopt;
  std::tm date{};
  date.tm_year = fields.tm_year;
  date.tm_mon = fields.tm_mon;
  date.tm_mday = fields.tm_mday;
  return EncodeDateTime(date);
}
