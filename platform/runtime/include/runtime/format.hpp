#pragma once
// The original's Format for the patterns the windows use, with fixed en-US
// conventions ("," thousands, "." decimals) whatever the process locale, and
// halves rounded away from zero.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace runtime {

// A calendar date and time of day, as the original's Date values hold them.
struct DateTime {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0;

    static DateTime fromTimePoint(std::chrono::system_clock::time_point tp);  // local time
    static DateTime now();
    friend bool operator==(const DateTime&, const DateTime&) = default;
};

// Number patterns: "0", "00", "0.00", "####.00", "###,###,###",
// "###,###,##0.00" and the like ("0" digit placeholder, "#" optional digit,
// "." decimal point, "," thousands grouping). "" or "General Number" gives CStr.
std::string Format(double value, std::string_view pattern);
// Text is formatted as the number it holds when the pattern is a number
// pattern; as the time or date it holds ("0:5:7", "12:30:00") when the pattern
// is a date/time pattern ("HH:MM:SS", "hh:mm:ss", "General Date"); text that is
// neither is returned unchanged. A time of 24 hours or more keeps its hours.
std::string Format(std::string_view text, std::string_view pattern);
std::string Format(const DateTime& value, std::string_view pattern);

// The general date format: "M/D/YYYY h:mm:ss AM/PM"; the date alone when the
// time is midnight, the time alone when the date is 12/30/1899 (the zero date).
std::string GeneralDate(const DateTime& value);

}  // namespace runtime
