#include <gtest/gtest.h>

#include <chrono>
#include <clocale>
#include <ctime>
#include <string>

#include "runtime/convert.hpp"
#include "runtime/error.hpp"
#include "runtime/format.hpp"
#include "testsupport/support.hpp"
#include "testsupport/errors.hpp"

using testsupport::errorOf;
using namespace runtime;

TEST(Format, NumberPatterns) {
    struct Case { double value; const char* pattern; const char* want; };
    const Case cases[] = {
        {5, "00", "05"},
        {51.4, "00", "51"},
        {0, "00", "00"},
        {100, "00", "100"},
        {4.5, "00", "05"},  // halves away from zero
        {-5, "00", "-05"},
        {2.5, "0", "3"},
        {-2.5, "0", "-3"},
        {1234.567, "0", "1235"},
        {-0.4, "0", "0"},  // nothing but zeros shown: no sign
        {1.5, "0.00", "1.50"},
        {1.005, "0.00", "1.01"},
        {2.675, "0.00", "2.68"},
        {0.125, "0.00", "0.13"},
        {999.995, "0.00", "1000.00"},
        {-1.234, "0.00", "-1.23"},
        {0, "0.00", "0.00"},
        {0.004, "####.00", ".00"},
        {0.005, "####.00", ".01"},
        {1.5, "####.00", "1.50"},
        {2.5, "####.00", "2.50"},
        {1234.567, "####.00", "1234.57"},
        {12345.6, "####.00", "12345.60"},
        {0, "###,###,###", ""},
        {999, "###,###,###", "999"},
        {1000.5, "###,###,###", "1,001"},
        {1234567, "###,###,###", "1,234,567"},
        {1234567890, "###,###,###", "1,234,567,890"},
        {0.5, "###,###,##0.00", "0.50"},
        {1, "###,###,##0.00", "1.00"},
        {1000, "###,###,##0.00", "1,000.00"},
        {1234567.891, "###,###,##0.00", "1,234,567.89"},
        {-1234567.891, "###,###,##0.00", "-1,234,567.89"},
        {1e9, "###,###,##0.00", "1,000,000,000.00"},
        {1234, "#,##0", "1,234"},
        {5, "0,000", "0,005"},
        {1234567, "#,##0,", "1,235"},  // a comma before the point scales by a thousand
        {1.5, "0.0#", "1.5"},
        {1.25, "0.0#", "1.25"},
        {1.255, "0.0#", "1.26"},
        {5, "#.##", "5."},
        {0.256, "0%", "26%"},
        {1234.5, "$#,##0.00", "$1,234.50"},
        {-1234.5, "$#,##0.00", "-$1,234.50"},
        {5, "\"x\"0", "x5"},
        {5, "0\\k", "5k"},
        {1234, "00-00", "12-34"},
        {5, "0 MB", "5 MB"},
        {-1.5, "0.00;(0.00)", "(1.50)"},
        {1.5, "0.00;(0.00)", "1.50"},
        {0, "0.00;(0.00);\"zero\"", "zero"},
        {1e20, "0", "100000000000000000000"},
        {1.5, "", "1.5"},
        {2500, "General Number", "2500"},
        {1e-5, "", "1E-05"},
    };
    for (const Case& c : cases) EXPECT_EQ(Format(c.value, c.pattern), c.want) << c.value << " " << c.pattern;
}

TEST(Format, IgnoresTheProcessLocale) {
    const char* old = std::setlocale(LC_ALL, nullptr);
    const std::string saved = old ? old : "C";
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"}) {
        if (std::setlocale(LC_ALL, name)) break;
    }
    EXPECT_EQ(Format(1234567.891, "###,###,##0.00"), "1,234,567.89");
    EXPECT_EQ(Format(2.5, "0.00"), "2.50");
    EXPECT_EQ(Format("2.5", "0.00"), "2.50");
    EXPECT_EQ(Format(DateTime{2004, 1, 2, 15, 4, 5}, "General Date"), "1/2/2004 3:04:05 PM");
    std::setlocale(LC_ALL, saved.c_str());
}

TEST(Format, TextAsNumberOrTime) {
    struct Case { const char* text; const char* pattern; const char* want; };
    const Case cases[] = {
        {"1.5", "0.00", "1.50"},
        {" 1,234.5 ", "###,###,##0.00", "1,234.50"},
        {"abc", "0.00", "abc"},  // neither number nor time: unchanged
        {"", "0.00", ""},
        {"0:5:7", "HH:MM:SS", "00:05:07"},
        {"1:2:3", "HH:MM:SS", "01:02:03"},
        {"00:00:59", "HH:MM:SS", "00:00:59"},
        {"00:00:5", "HH:MM:SS", "00:00:05"},
        {"0:59:59", "HH:MM:SS", "00:59:59"},
        {"23:59:59", "hh:mm:ss", "23:59:59"},
        {"25:0:1", "HH:MM:SS", "25:00:01"},  // an elapsed clock past a day keeps its hours
        {"100:00:00", "HH:MM:SS", "100:00:00"},
        {"25:00:01", "General Date", "25:00:01"},
        {"25:00:01", "h:mm AM/PM", "25:00:01"},
        {"0:60:00", "HH:MM:SS", "0:60:00"},   // no time: unchanged
        {"00:00:-5", "HH:MM:SS", "00:00:-5"},
        {"abc", "HH:MM:SS", "abc"},
        {"13:05", "h:mm AM/PM", "1:05 PM"},
        {"1:05 pm", "HH:MM", "13:05"},
        {"12:00:00 AM", "General Date", "12:00:00 AM"},
        {"0:00:00", "General Date", "12:00:00 AM"},
        {"1/2/2004 3:04:05 PM", "General Date", "1/2/2004 3:04:05 PM"},
        {"1/2/2004", "General Date", "1/2/2004"},
        {"2004-01-02", "dd/mm/yyyy", "02/01/2004"},
        {"2/30/2004", "dd/mm/yyyy", "2/30/2004"},
        {"1:2:3", "", "1:2:3"},
        {"1:2:3", "General Number", "1:2:3"},
        {"5", "General Number", "5"},
    };
    for (const Case& c : cases) EXPECT_EQ(Format(c.text, c.pattern), c.want) << c.text << " " << c.pattern;
}

TEST(Format, DatePatterns) {
    const DateTime t{2004, 1, 2, 15, 4, 5};  // a Friday
    struct Case { const char* pattern; const char* want; };
    const Case cases[] = {
        {"HH:MM:SS", "15:04:05"},
        {"hh:nn:ss", "15:04:05"},
        {"h:m:s", "15:4:5"},
        {"h:mm AM/PM", "3:04 PM"},
        {"h:mm am/pm", "3:04 pm"},
        {"h:mm a/p", "3:04 p"},
        {"yyyy-mm-dd", "2004-01-02"},
        {"m/d/yy", "1/2/04"},
        {"dddd, mmmm d, yyyy", "Friday, January 2, 2004"},
        {"ddd mmm", "Fri Jan"},
        {"q", "1"},
        {"w", "6"},
        {"y", "2"},
        {"\"at\" hh", "at 15"},
        {"General Date", "1/2/2004 3:04:05 PM"},
        {"c", "1/2/2004 3:04:05 PM"},
        {"", "1/2/2004 3:04:05 PM"},
        {"ttttt", "3:04:05 PM"},
    };
    for (const Case& c : cases) EXPECT_EQ(Format(t, c.pattern), c.want) << c.pattern;
    EXPECT_EQ(Format(t, "0.00000"), "37988.62784");  // a date with a number pattern is its serial number
    EXPECT_EQ(Format(DateTime{2004, 1, 2, 0, 0, 0}, "0"), "37988");
}

TEST(Format, NumbersAsDates) {
    EXPECT_EQ(Format(1.5, "General Date"), "12/31/1899 12:00:00 PM");
    EXPECT_EQ(Format(0.25, "hh:mm"), "06:00");
    EXPECT_EQ(Format(-1.25, "General Date"), "12/29/1899 6:00:00 AM");
    EXPECT_EQ(Format(37988.62783564815, "General Date"), "1/2/2004 3:04:05 PM");
    EXPECT_EQ(Format(2958465.0, "m/d/yyyy"), "12/31/9999");
    EXPECT_EQ(errorOf([] { Format(1e10, "hh:mm"); }), 6);
    EXPECT_EQ(errorOf([] { Format(1e308, "0%"); }), 6);
    EXPECT_EQ(errorOf([] { Format(DateTime{2004, 13, 1, 0, 0, 0}, "mmm"); }), 5);
}

TEST(Format, GeneralDate) {
    struct Case { DateTime t; const char* want; };
    const Case cases[] = {
        {{2004, 1, 2, 15, 4, 5}, "1/2/2004 3:04:05 PM"},
        {{2004, 1, 2, 0, 0, 0}, "1/2/2004"},  // midnight: the date alone
        {{2004, 12, 25, 0, 0, 1}, "12/25/2004 12:00:01 AM"},
        {{2004, 12, 25, 12, 0, 0}, "12/25/2004 12:00:00 PM"},
        {{1899, 12, 30, 0, 0, 0}, "12:00:00 AM"},  // the zero date: the time alone
        {{1899, 12, 30, 13, 0, 0}, "1:00:00 PM"},
        {{1899, 12, 31, 0, 0, 0}, "12/31/1899"},
    };
    for (const Case& c : cases) EXPECT_EQ(GeneralDate(c.t), c.want) << c.want;
}

TEST(Format, DateTimeFromTimePointIsLocalTime) {
    using namespace std::chrono;
    const auto tp = sys_days{year{2004} / 1 / 2} + hours{15} + minutes{4} + seconds{5} + milliseconds{900};
    {
        testsupport::ScopedEnv tz("TZ", "UTC");
        tzset();
        EXPECT_EQ(DateTime::fromTimePoint(tp), (DateTime{2004, 1, 2, 15, 4, 5}));
    }
    {
        testsupport::ScopedEnv tz("TZ", "EST5");
        tzset();
        EXPECT_EQ(DateTime::fromTimePoint(tp), (DateTime{2004, 1, 2, 10, 4, 5}));
        // now() is the clock's present moment, also across midnight.
        const double a = CDbl(Format(DateTime::fromTimePoint(system_clock::now()), "0.000000000"));
        const double b = CDbl(Format(DateTime::now(), "0.000000000"));
        EXPECT_NEAR(b, a, 3.0 / 86400);
    }
    tzset();
}
