#include "update/NewsDate.h"

#include <cstdint>

#include "util/text.h"

namespace {

bool ReadDigits(const std::string& text, std::size_t at, std::size_t count, int& value) {
  if (at + count > text.size())
    return false;
  value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9')
      return false;
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

std::optional<TDateTime> ReadIsoDate(const std::string& line) {
  int year = 0, month = 0, day = 0;
  if (!ReadDigits(line, 0, 4, year) || line.size() < 10 || line[4] != '-' ||
      !ReadDigits(line, 5, 2, month) || line[7] != '-' || !ReadDigits(line, 8, 2, day))
    return std::nullopt;
  for (std::size_t i = 10; i < line.size(); ++i)
    if (!IsBlank(line[i]))
      return std::nullopt;
  if (month < 1 || month > 12 || day < 1)
    return std::nullopt;
  std::tm date{};
  date.tm_year = year - 1900;
  date.tm_mon = month - 1;
  date.tm_mday = day;
  const TDateTime value = EncodeDateTime(date);
  // EncodeDateTime carries 31 April over into May; such a day is no date.
  if (DecodeDateTime(value).tm_mday != day)
    return std::nullopt;
  return value;
}

} // namespace

std::optional<TDateTime> ReadNewsDate(const std::string& line) {
  if (const auto iso = ReadIsoDate(line))
    return iso;
  return TryStrToDate(line);
}
