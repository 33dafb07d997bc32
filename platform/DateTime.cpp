#include "platform/DateTime.h"

#include <windows.h>

#include <cmath>

namespace platform {
namespace {

constexpr double kMsPerDay = 86400000.0;
constexpr long long kDaysFrom1601To1899 = 109205;  // 1601-01-01 .. 1899-12-30

}  // namespace

double LocalNow() {
  SYSTEMTIME local;
  GetLocalTime(&local);
  FILETIME ft;
  SystemTimeToFileTime(&local, &ft);
  ULARGE_INTEGER ticks;
  ticks.LowPart = ft.dwLowDateTime;
  ticks.HighPart = ft.dwHighDateTime;
  long long ms = static_cast<long long>(ticks.QuadPart / 10000);
  return static_cast<double>(ms) / kMsPerDay - static_cast<double>(kDaysFrom1601To1899);
}

std::string FormatLongTime(double dateTime) {
  if (!std::isfinite(dateTime)) dateTime = 0;
  // The fraction is the time of day on either side of day 0.
  double fraction = std::fabs(dateTime - std::trunc(dateTime));
  long long ms = std::llround(fraction * kMsPerDay) % static_cast<long long>(kMsPerDay);
  SYSTEMTIME time = {};
  time.wYear = 2000;
  time.wMonth = 1;
  time.wDay = 1;
  time.wHour = static_cast<WORD>(ms / 3600000);
  time.wMinute = static_cast<WORD>(ms / 60000 % 60);
  time.wSecond = static_cast<WORD>(ms / 1000 % 60);
  time.wMilliseconds = static_cast<WORD>(ms % 1000);
  char buffer[128];
  int n = GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, buffer, sizeof buffer);
  return n > 0 ? std::string(buffer, n - 1) : std::string();
}

}  // namespace platform
