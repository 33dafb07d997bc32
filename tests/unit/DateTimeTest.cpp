// Date-times: the current local time, and the long time format of the bench's locale (en-US,
// 12-hour) for fixed times, against strings written here.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "platform/DateTime.h"
#include "tests/support/TestSupport.h"

namespace {

const double kDay = 45000.0;  // a day of 2023; only the time of day is shown
double At(int h, int m, double s) { return (h * 3600 + m * 60 + s) / 86400.0; }

TEST(DateTime, LongTimeOfFixedTimes) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    const char* label;
    double dateTime;
    const char* text;
  } cases[] = {
      {"afternoon", kDay + At(14, 30, 0), "2:30:00 PM"},
      {"seconds", kDay + At(9, 5, 7), "9:05:07 AM"},
      {"midnight", kDay, "12:00:00 AM"},
      {"noon", kDay + 0.5, "12:00:00 PM"},
      {"last second of the day", kDay + At(23, 59, 59.4), "11:59:59 PM"},
      {"rounded up to midnight", kDay + At(23, 59, 59.9999996), "12:00:00 AM"},
      {"the date part dropped", 1.0 + At(14, 30, 0), "2:30:00 PM"},
      {"day zero", At(6, 0, 0), "6:00:00 AM"},
      // Before day 0 the fraction still counts forward from midnight: -1.25 is 6:00.
      {"negative date", -1.25, "6:00:00 AM"},
      {"negative date, evening", -700.75, "6:00:00 PM"},
      {"not a number", nan, "12:00:00 AM"},
      {"infinite", inf, "12:00:00 AM"},
      {"far future", 2958465.0 + At(23, 59, 59), "11:59:59 PM"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(c.text, platform::FormatLongTime(c.dateTime));
  }
}

TEST(DateTime, LocalNowIsTheClockToTheMillisecond) {
  // An oracle of our own from GetLocalTime; within one second, away from its edges, so a
  // value cut to whole seconds would fall before the first reading.
  const double halfMs = 0.5 / 86400000;
  for (;;) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    if (t.wMilliseconds < 100 || t.wMilliseconds > 800) continue;
    const double before = testsupport::OleLocalNow();
    const double now = platform::LocalNow();
    const double after = testsupport::OleLocalNow();
    if (std::floor(before * 86400) != std::floor(after * 86400)) continue;
    EXPECT_GE(now, before - halfMs);
    EXPECT_LE(now, after + halfMs);
    // And its text is the clock's time of day.
    const long long second = static_cast<long long>(std::floor(now * 86400)) % 86400;
    EXPECT_EQ(testsupport::EnUsLongTime(static_cast<int>(second / 3600),
                                        static_cast<int>(second / 60 % 60),
                                        static_cast<int>(second % 60)),
              platform::FormatLongTime(now));
    break;
  }
}

}  // namespace
