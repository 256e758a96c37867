#include "downloader/progress.hpp"

#include <gtest/gtest.h>

using namespace downloader;

TEST(FormatByteSize, BytesKilobytesAndMegabytes) {
    struct Case {
        std::int64_t n;
        const char* text;
    };
    const Case cases[] = {
        {0, "0 Bytes"},
        {1000, "1000 Bytes"},
        {1024, "1024 Bytes"},
        {1025, "1.00 KB"},
        {1536, "1.50 KB"},
        {1024000, "1000.00 KB"},
        {1024001, "1.00 MB"},
        {2048000, "2.00 MB"},
        {1024000LL * 1234 + 512000, "1,234.50 MB"},
        {5000000000LL, "4,882.81 MB"},  // beyond 32 bits
        {16777217, "16.38 MB"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatByteSize(c.n), c.text) << c.n;
}

TEST(ConvertTime, SecondsToClockText) {
    struct Case {
        double seconds;
        const char* text;
    };
    const Case cases[] = {
        {0, "00:00:00"},     {5, "00:00:05"},      {59, "00:00:59"},     {60, "00:01:00"},
        {61, "00:01:01"},    {3599, "00:59:59"},   {3600, "01:00:00"},   {3725, "01:02:05"},
        {86399, "23:59:59"}, {86400, "24:00:00"},  {360000, "100:00:00"},  // hours are not wrapped
    };
    for (const auto& c : cases) EXPECT_EQ(ConvertTime(c.seconds), c.text) << c.seconds;
}

TEST(ElapsedText, TwoDigitsPerPartAndNoWrap) {
    EXPECT_EQ(ElapsedText(0, 5, 7), "00:05:07");
    EXPECT_EQ(ElapsedText(1, 0, 0), "01:00:00");
    EXPECT_EQ(ElapsedText(0, 0, 0), "00:00:00");
    EXPECT_EQ(ElapsedText(25, 3, 9), "25:03:09");
}

TEST(PercentOf, WholePercentOfThePosition) {
    struct Case {
        std::int64_t position, size;
        int percent;
    };
    const Case cases[] = {
        {51, 100, 51}, {5, 100, 5},     {1, 100, 1},     {101, 100, 101}, {100, 100, 100},
        {1, 3, 33},    {2, 3, 67},      {1, 200, 1},     {1, 201, 0},     // 0.4975 rounds down
        {3, 200, 2},   // 1.5 rounds away from zero
        {3000000001LL, 6000000000LL, 50},
    };
    for (const auto& c : cases) EXPECT_EQ(PercentOf(c.position, c.size), c.percent) << c.position << "/" << c.size;
}

TEST(SpeedFigure, ThousandsOfBytesPerSecondToTwoDecimals) {
    struct Case {
        std::int64_t bytes;
        double seconds;
        float previous;
        float speed;
        const char* text;
    };
    const Case cases[] = {
        {2500, 1.0, 0, 2.5f, "2.5"},
        {12000, 1.0, 0, 12.0f, "12"},
        {4, 1.0, 7, 0.0f, "0"},          // under 5 bytes per second formats as .00
        {5, 1.0, 0, 0.01f, "0.01"},
        {10001, 4.0, 0, 2.5f, "2.5"},    // 2500.25 bytes per second: the whole part
        {3333, 1.0, 0, 3.33f, "3.33"},
        {3335, 1.0, 0, 3.34f, "3.34"},   // 3.335 rounds away from zero
        {1000, 0.0, 9.5f, 9.5f, "9.5"},  // no time passed: the figure is kept
        {268435456, 0.25, 0, 1073741.88f, "1073742"},
    };
    for (const auto& c : cases) {
        float s = SpeedFigure(c.bytes, c.seconds, c.previous);
        EXPECT_FLOAT_EQ(s, c.speed) << c.bytes << " in " << c.seconds;
        EXPECT_EQ(SpeedText(s), c.text) << c.bytes << " in " << c.seconds;
    }
}

TEST(RemainingText, MissingBytesAtTheMeasuredSpeed) {
    EXPECT_EQ(RemainingText(1024 * 100 + 1, 1, 1.0f), "00:01:40");  // 100 KiB at 1000 bytes/s
    EXPECT_EQ(RemainingText(1024 * 3725 + 1, 1, 1.0f), "01:02:05");
    EXPECT_EQ(RemainingText(1000, 1000, 2.5f), "00:00:00");
    EXPECT_EQ(RemainingText(1024000, 1, 0.0f), "--:--:--") << "no speed, no division by zero";
}
