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
// "." decimal point, "," thousands grouping, "%" percent, quoted or
// backslashed literals, ";" between positive, negative and zero sections).
// A negative number gets "-" in front, unless every digit shown is 0.
// "" or "General Number" gives CStr. A date/time pattern shows the number as
// a date serial (days since 12/30/1899); one outside 100-9999 is error 6.
std::string Format(double value, std::string_view pattern);
// Text that holds a number is formatted as that number. Otherwise, with a
// date/time pattern ("HH:MM:SS", "hh:mm:ss", "General Date"), text holding a
// date or time ("0:5:7", "12:30:00", "1:05 PM", "1/2/2004 3:04:05 PM",
// "2004-01-02") is formatted as that; anything else is returned unchanged.
// A time of 24 hours or more ("25:0:1") keeps its hours with a pattern of
// hours, minutes and seconds alone ("25:00:01") and is unchanged otherwise.
std::string Format(std::string_view text, std::string_view pattern);
// Date/time patterns: d dd ddd dddd, m mm mmm mmmm (minutes after an hour or
// before a second), yy yyyy, h hh, n nn, s ss, AM/PM am/pm A/P a/p, q, w, c,
// ttttt, "General Date" (also ""); ":" and "/" as written. A number pattern
// shows the date's serial number. A month outside 1-12 is error 5.
std::string Format(const DateTime& value, std::string_view pattern);

// The general date format: "M/D/YYYY h:mm:ss AM/PM"; the date alone when the
// time is midnight, the time alone when the date is 12/30/1899 (the zero date).
std::string GeneralDate(const DateTime& value);

}  // namespace runtime
