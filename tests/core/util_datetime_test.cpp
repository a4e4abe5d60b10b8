#include "util/datetime.h"

#include "tests/support/ScopedLocale.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>
#include <string>

namespace {

std::tm Date(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

// Sets TZ for one scope.
class ScopedTimeZone {
public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ"))
      saved_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    if (saved_)
      setenv("TZ", saved_->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
  std::optional<std::string> saved_;
};

TEST(DateTimeTest, EncodeCountsDaysFrom30December1899) {
  const struct {
    std::tm date;
    int ms;
    double expected;
  } cases[] = {
      {Date(1899, 12, 30), 0, 0.0},
      {Date(1899, 12, 31), 0, 1.0},
      {Date(1900, 1, 1), 0, 2.0},
      {Date(1900, 2, 28), 0, 60.0},
      {Date(1900, 3, 1), 0, 61.0}, // 1900 is no leap year
      {Date(1970, 1, 1), 0, 25569.0},
      {Date(2000, 2, 29), 0, 36585.0},
      {Date(2000, 3, 1), 0, 36586.0},
      {Date(2007, 4, 13), 0, 39185.0},
      {Date(9999, 12, 31), 0, 2958465.0},
      {Date(1899, 12, 29), 0, -1.0},
      {Date(2007, 4, 13, 12), 0, 39185.5},
      {Date(2007, 4, 13, 6), 0, 39185.25},
      {Date(2007, 4, 13, 21, 17, 33), 0, 39185.0 + 76653.0 / 86400.0},
      {Date(2007, 4, 13, 0, 0, 0), 1, 39185.0 + 1.0 / 86400000.0},
      {Date(2007, 4, 13, 23, 59, 59), 999, 39185.0 + 86399999.0 / 86400000.0},
      // fields past their range carry over
      {Date(2007, 13, 1), 0, 39448.0},     // = 2008-01-01
      {Date(2007, 4, 31), 0, 39203.0},     // = 2007-05-01
      {Date(2007, 4, 13, 24), 0, 39186.0}, // = next midnight
      {Date(2007, 4, 13, 0, 0, 0), -1, 39185.0 - 1.0 / 86400000.0},
  };
  for (const auto& c : cases)
    EXPECT_DOUBLE_EQ(EncodeDateTime(c.date, c.ms), c.expected)
        << c.date.tm_year + 1900 << "-" << c.date.tm_mon + 1 << "-" << c.date.tm_mday;
}

TEST(DateTimeTest, DecodeGivesTheCivilFields) {
  int ms = -1;
  const std::tm t = DecodeDateTime(39185.8871974421, &ms); // 13 April 2007, 21:17:33.86
  EXPECT_EQ(t.tm_year, 107);
  EXPECT_EQ(t.tm_mon, 3);
  EXPECT_EQ(t.tm_mday, 13);
  EXPECT_EQ(t.tm_hour, 21);
  EXPECT_EQ(t.tm_min, 17);
  EXPECT_EQ(t.tm_sec, 33);
  EXPECT_EQ(ms, 859);
  EXPECT_EQ(t.tm_wday, 5); // a Friday
  EXPECT_EQ(t.tm_yday, 102);
}

TEST(DateTimeTest, DecodeRoundsToMillisecondsWithoutASixtiethSecond) {
  const struct {
    double value;
    int day, hour, minute, second, ms;
  } cases[] = {
      {1.99999999, 31, 23, 59, 59, 999}, // 86399999.1 ms
      {1.9999999999, 1, 0, 0, 0, 0},     // rounds up to the next day (1 January 1900)
      {0.5 - 0.4 / 86400000.0, 30, 12, 0, 0, 0},
      {0.5 + 0.6 / 86400000.0, 30, 12, 0, 0, 1},
      {-0.25, 29, 18, 0, 0, 0}, // before the epoch: the day before, 18:00
  };
  for (const auto& c : cases) {
    int ms = -1;
    const std::tm t = DecodeDateTime(c.value, &ms);
    EXPECT_EQ(t.tm_mday, c.day) << c.value;
    EXPECT_EQ(t.tm_hour, c.hour) << c.value;
    EXPECT_EQ(t.tm_min, c.minute) << c.value;
    EXPECT_EQ(t.tm_sec, c.second) << c.value;
    EXPECT_EQ(ms, c.ms) << c.value;
  }
}

TEST(DateTimeTest, EncodeAndDecodeAreInverseOverTheCalendar) {
  // Every 97th day from year 1 to 9999, plus a time of day; weekdays must
  // advance steadily and each date must come back as it went in.
  int previousWday = -1;
  double previousDay = 0;
  for (double day = -693593; day <= 2958465; day += 97) {
    const double value = day + 0.75;
    int ms = -1;
    const std::tm t = DecodeDateTime(value, &ms);
    ASSERT_EQ(t.tm_hour, 18) << day;
    ASSERT_EQ(ms, 0) << day;
    ASSERT_GE(t.tm_mday, 1);
    ASSERT_LE(t.tm_mday, 31);
    ASSERT_EQ(EncodeDateTime(t), value) << day;
    if (previousWday >= 0) {
      ASSERT_EQ(t.tm_wday, (previousWday + static_cast<int>(day - previousDay)) % 7) << day;
    }
    previousWday = t.tm_wday;
    previousDay = day;
  }
  const std::tm first = DecodeDateTime(-693593);
  EXPECT_EQ(first.tm_year + 1900, 1);
  EXPECT_EQ(first.tm_mon, 0);
  EXPECT_EQ(first.tm_mday, 1);
}

TEST(DateTimeTest, DecodeStaysSaneForNonsense) {
  const double inf = std::numeric_limits<double>::infinity();
  for (double value : {std::numeric_limits<double>::quiet_NaN(), inf, -inf, 1e300, -1e300}) {
    int ms = -1;
    const std::tm t = DecodeDateTime(value, &ms);
    EXPECT_GE(t.tm_mon, 0) << value;
    EXPECT_LE(t.tm_mon, 11) << value;
    EXPECT_GE(t.tm_mday, 1) << value;
    EXPECT_GE(ms, 0) << value;
    EXPECT_FALSE(DateTimeToStr(value).empty()) << value;
  }
}

TEST(DateTimeTest, DateTimeFromUnixUsesTheLocalZone) {
  {
    ScopedTimeZone zone("UTC0");
    EXPECT_DOUBLE_EQ(DateTimeFromUnix(0), 25569.0);
    EXPECT_DOUBLE_EQ(DateTimeFromUnix(1176499053), 39185.0 + 76653.0 / 86400.0);
  }
  {
    ScopedTimeZone zone("EST5");
    EXPECT_DOUBLE_EQ(DateTimeFromUnix(0), 25569.0 - 5.0 / 24.0);
  }
  {
    ScopedTimeZone zone("XST-13");
    EXPECT_DOUBLE_EQ(DateTimeFromUnix(0), 25569.0 + 13.0 / 24.0);
  }
}

TEST(DateTimeTest, NowLiesBetweenTwoClockReadings) {
  const std::time_t before = std::time(nullptr);
  const TDateTime now = Now();
  const std::time_t after = std::time(nullptr);
  EXPECT_GE(now, DateTimeFromUnix(before));
  EXPECT_LT(now, DateTimeFromUnix(after + 1));
}

TEST(DateTimeTest, FormatsInTheCLocale) {
  ScopedLocale locale("C");
  ASSERT_TRUE(locale.active());
  const TDateTime value = EncodeDateTime(Date(2007, 4, 13, 21, 17, 33));
  EXPECT_EQ(DateToStr(value), "04/13/07");
  EXPECT_EQ(TimeToStr(value), "21:17:33");
  EXPECT_EQ(DateTimeToStr(value), "04/13/07 21:17:33");
  EXPECT_EQ(DateTimeToStr(39185.0), "04/13/07"); // exact midnight: date only
  EXPECT_EQ(DateTimeToStr(39185.0 + 1.0 / 86400000.0), "04/13/07 00:00:00");
  EXPECT_EQ(TimeToStr(39185.0), "00:00:00");
}

TEST(DateTimeTest, TryStrToDateParsesTheWholeText) {
  ScopedLocale locale("C");
  ASSERT_TRUE(locale.active());
  const struct {
    std::string text;
    std::optional<double> expected;
  } cases[] = {
      {"04/13/07", 39185.0},        {"04/13/07  ", 39185.0},
      {"04/13/07\t", 39185.0},      {"4/13/07", 39185.0},
      {"02/29/00", 36585.0},        {"12/31/99", 36525.0}, // %y: 69..99 are 19xx
      {"01/01/68", 61363.0},                               // 00..68 are 20xx
      {"", std::nullopt},           {"   ", std::nullopt},
      {"04/13/07x", std::nullopt},  {"04/13/07 21:17:33", std::nullopt},
      {"13/04/07", std::nullopt},   {"02/30/07", std::nullopt},
      {"02/29/07", std::nullopt},   {"04/13", std::nullopt},
      {"2007-04-13", std::nullopt}, {std::string("04/13/07\0junk", 13), std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TryStrToDate(c.text), c.expected) << '"' << c.text << '"';
}

class DateTimeLocaleTest : public ::testing::TestWithParam<const char*> {};

TEST_P(DateTimeLocaleTest, DateToStrRoundTripsThroughTryStrToDate) {
  ScopedLocale locale(GetParam());
  if (!locale.active())
    GTEST_SKIP() << GetParam() << " is not installed";
  for (const std::tm& date :
       {Date(2007, 4, 13, 21, 17, 33), Date(2000, 2, 29, 23, 59, 59), Date(1999, 12, 31),
        Date(2024, 1, 1, 0, 0, 1), Date(2038, 7, 4, 12)}) {
    const TDateTime value = EncodeDateTime(date);
    const std::string text = DateToStr(value);
    const std::optional<TDateTime> parsed = TryStrToDate(text);
    ASSERT_TRUE(parsed.has_value()) << text;
    EXPECT_EQ(*parsed, std::floor(value)) << text;
  }
}

INSTANTIATE_TEST_SUITE_P(Util, DateTimeLocaleTest,
                         ::testing::Values("C", "C.UTF-8", "en_US.UTF-8", "de_DE.UTF-8",
                                           "en_GB.UTF-8", "ja_JP.UTF-8"));

} // namespace
