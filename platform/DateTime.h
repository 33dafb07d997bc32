#pragma once
#include <string>

namespace platform {

// Date-times are OLE Automation dates: days since 30 December 1899, the fraction of a day
// for the time.

// The current local date and time, milliseconds included.
double LocalNow();

// The time of day of a date-time in the user's long time format (hours, minutes, seconds).
std::string FormatLongTime(double dateTime);

}  // namespace platform
