// Dates of the script language: a Double counting days from 30 December 1899,
// the fraction being the time of day (for days before that the fraction still
// counts forward from midnight: -1.25 is 29 December 1899, 06:00).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mcplot::vbs {

struct DateParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0;
    int weekday = 7;  // 1 = Sunday
};

// The language accepts years 100 to 9999.
inline constexpr double kMinDate = -657434.0;      // 1 January 100
inline constexpr double kMaxDate = 2958465.99999;  // 31 December 9999, 23:59:59

int64_t daysFromCivil(int64_t y, int m, int d);  // days since 1899-12-30
DateParts splitDate(double serial);
// Day count plus time of day into a serial; false when out of the date range.
bool makeDate(int64_t days, double secondsOfDay, double& out);
double dateSerial(int64_t y, int64_t m, int64_t d, bool& ok);  // months and days may overflow

// Text form in the script's regional settings, not the machine's: by default
// "m/d/yyyy h:mm:ss AM" (US order); the date alone when the time is midnight,
// the time alone when the date is 30/12/1899.
std::string dateText(double serial);
// Reads "m/d/yyyy", "m/d/yy", "yyyy-mm-dd", "yyyy/m/d" (with "/", "-" or "."),
// or a month by name ("October 19, 1962", "19 Oct 1962"), each optionally
// followed by a time "h:mm[:ss] [AM|PM]", or a time alone. Day and month come
// in the order of the script's regional settings, or the other way round
// when only that makes a date.
bool parseDate(std::string_view text, double& out);
// The same in US order whatever the settings: the #...# literals of a script.
bool parseDateLiteral(std::string_view text, double& out);

// Local now as a serial.
double nowSerial();

}  // namespace mcplot::vbs
